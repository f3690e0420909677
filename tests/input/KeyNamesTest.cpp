#include <gtest/gtest.h>

#include <set>
#include <string>

#include "input/KeyNames.h"

// Every program-facing name leads to its own key with a readable name, and every readable name
// but the caret's (which has no program-facing name) is reached by one of them.
TEST(KeyNames, EveryNameRoundTripsToAReadableNameAndOnlyTheListedNamesAreKeys)
{
    std::set<uint32_t> ids{94}, readable;
    for (int i = 0; i < NUM_KEY_NAMES; ++i)
        ids.insert(KeyIdFromName(KeyNameAt(i)));
    for (uint32_t id = 0; id < 2000; ++id)
        if (ReadableKeyName(id) != std::string("Undefined Key"))
            readable.insert(id);
    EXPECT_EQ(ids.size(), size_t(NUM_KEY_NAMES) + 1);
    EXPECT_EQ(readable, ids);
    EXPECT_EQ(KeyNameAt(NUM_KEY_NAMES), "");
    EXPECT_EQ(KeyIdFromName("SC_JOYSTICK_AXIS_3+"), 440u);
    EXPECT_EQ(ReadableKeyName(440), std::string("joystick axis 3 +"));
    EXPECT_EQ(ReadableKeyName(0xFFFFFFFF), std::string("Undefined Key"));
    for (const char* name : {"SDLK_A", "sdlk_a", "SDLK_a ", "", "SC_BUTTON_ACTION"})
        EXPECT_EQ(KeyIdFromName(name), SC_INVALID_KEY) << '"' << name << '"';
    for (uint32_t button = SC_BUTTON_ACTION; button <= SC_AXIS_RIGHT; ++button)
        EXPECT_EQ(LogicalButtonFromName(LogicalButtonName(button)), button);
    EXPECT_EQ(LogicalButtonName(SC_AXIS_RIGHT + 1), nullptr);
}
