#include <gtest/gtest.h>

#include <set>
#include <string>

#include "input/KeyNames.h"

TEST(KeyNames, NamesGiveTheirIdsAndIdsTheirReadableNamesAndEveryNameRoundTrips)
{
    const struct { const char* name; uint32_t id; std::string readable; } keys[] = {
        {"SDLK_BACKSPACE", 8, "backspace"}, {"SDLK_QUOTEDBL", 34, "quotedbl"}, {"SDLK_AT", 64, "@"},
        {"SDLK_BACKQUOTE", 96, "grave"}, {"SDLK_KP_EQUALS", 272, "keypad equals"}, {"SDLK_F15", 296, "F15"},
        {"SDLK_LSUPER", 311, "left windows key"}, {"SDLK_EURO", 321, "euro"},
        {"SC_JOYSTICK_BUTTON14", 434, "joystick button 14"}, {"SC_JOYSTICK_AXIS_DOWN", 438, "joystick axis down"},
        {"SC_JOYSTICK_AXIS_3+", 440, "joystick axis 3 +"}, {"SC_JOYSTICK_HAT_RIGHT", 450, "joystick hat right"},
    };
    for (const auto& key : keys) {
        EXPECT_EQ(KeyIdFromName(key.name), key.id) << key.name;
        EXPECT_EQ(ReadableKeyName(key.id), key.readable) << key.id;
    }
    for (const char* name : {"SDLK_A", "SDLK_CARET", "SDLK_WORLD_0", "sdlk_a", "SDLK_a ", "", "SC_BUTTON_ACTION",
                             "SC_JOYSTICK_AXIS_2+", "SC_JOYSTICK_BUTTON15"})
        EXPECT_EQ(KeyIdFromName(name), SC_INVALID_KEY) << '"' << name << '"';
    for (uint32_t button = SC_BUTTON_ACTION; button <= SC_AXIS_RIGHT; ++button)
        EXPECT_EQ(LogicalButtonFromName(LogicalButtonName(button)), button);
    EXPECT_EQ(LogicalButtonFromName("sc_button_action"), 0u);
    EXPECT_EQ(LogicalButtonName(SC_AXIS_RIGHT + 1), nullptr);

    // Every program-facing name leads to a key with a readable name, and every readable name but
    // the caret's (which has no program-facing name) is reached by exactly one program-facing name.
    std::set<std::string> names;
    std::set<uint32_t> ids{94}, readable;
    for (int i = 0; i < NUM_KEY_NAMES; ++i) {
        names.insert(std::string(KeyNameAt(i)));
        ids.insert(KeyIdFromName(KeyNameAt(i)));
    }
    for (uint32_t id = 0; id < 2000; ++id)
        if (ReadableKeyName(id) != std::string("Undefined Key"))
            readable.insert(id);
    EXPECT_EQ(names.size(), 163u);
    EXPECT_EQ(KeyNameAt(163), "");
    EXPECT_EQ(ids.size(), 164u);
    EXPECT_EQ(readable, ids);
    EXPECT_EQ(ReadableKeyName(94), std::string("caret"));
    EXPECT_EQ(ReadableKeyName(0xFFFFFFFF), std::string("Undefined Key"));
}
