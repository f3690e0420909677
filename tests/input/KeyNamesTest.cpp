#include <gtest/gtest.h>

#include <set>
#include <string>

#include "input/InputManager.h"
#include "input/KeyNames.h"

TEST(KeyNames, ProgramFacingNamesGiveTheirKeyIds)
{
    const struct { const char* name; uint32_t id; } cases[] = {
        {"SDLK_a", 97},           {"SDLK_z", 122},           {"SDLK_0", 48},
        {"SDLK_RETURN", 13},      {"SDLK_BACKSPACE", 8},     {"SDLK_CLEAR", 12},
        {"SDLK_QUOTEDBL", 34},    {"SDLK_BACKQUOTE", 96},    {"SDLK_DELETE", 127},
        {"SDLK_KP0", 256},        {"SDLK_KP_EQUALS", 272},   {"SDLK_UP", 273},
        {"SDLK_F5", 286},         {"SDLK_F15", 296},         {"SDLK_NUMLOCK", 300},
        {"SDLK_RSHIFT", 303},     {"SDLK_LSUPER", 311},      {"SDLK_MODE", 313},
        {"SDLK_HELP", 315},       {"SDLK_EURO", 321},        {"SC_JOYSTICK_BUTTON0", 420},
        {"SC_JOYSTICK_BUTTON14", 434}, {"SC_JOYSTICK_AXIS_LEFT", 435},
        {"SC_JOYSTICK_AXIS_DOWN", 438}, {"SC_JOYSTICK_AXIS_3+", 440},
        {"SC_JOYSTICK_AXIS_6-", 445},  {"SC_JOYSTICK_HAT_UP", 447},
        {"SC_JOYSTICK_HAT_RIGHT", 450},
    };
    for (const auto& key : cases)
        EXPECT_EQ(g_Input.KeynameStringToInt(key.name), key.id) << key.name;
}

TEST(KeyNames, NamesOutsideTheListGiveTheSentinel)
{
    for (const char* name : {"SDLK_A", "SDLK_CARET", "SDLK_COMPOSE", "SDLK_UNDO", "SDLK_WORLD_0",
                             "SDLK_WORLD_95", "sdlk_a", "SDLK_a ", "SDLK_", "", "q",
                             "SC_BUTTON_ACTION", "SC_JOYSTICK_AXIS_2+", "SC_JOYSTICK_BUTTON15"})
        EXPECT_EQ(g_Input.KeynameStringToInt(name), SC_INVALID_KEY) << '"' << name << '"';
}

TEST(KeyNames, LogicalButtonNamesGiveTheirIdsInTableOrder)
{
    const char* names[] = {"SC_BUTTON_ACTION", "SC_BUTTON_CANCEL", "SC_BUTTON_INVENTORY",
                           "SC_BUTTON_SWITCH", "SC_BUTTON_MENU",   "SC_AXIS_UP",
                           "SC_AXIS_DOWN",     "SC_AXIS_LEFT",     "SC_AXIS_RIGHT"};
    for (uint32_t i = 0; i < 9; ++i)
        EXPECT_EQ(g_Input.KeymapStringToInt(names[i]), SC_BUTTON_ACTION + i) << names[i];
    for (const char* name : {"SDLK_RETURN", "sc_button_action", "SC_BUTTON_ACTION ", "", "SC_AXIS"})
        EXPECT_EQ(g_Input.KeymapStringToInt(name), 0u) << '"' << name << '"';
}

TEST(KeyNames, ReadableNamesByKeyId)
{
    const struct { uint32_t id; const char* name; } cases[] = {
        {8, "backspace"},       {32, "space"},           {40, "left parenthesis"},
        {47, "forward slash"},  {48, "0"},               {57, "9"},
        {60, "less-than sign"}, {64, "@"},               {94, "caret"},
        {96, "grave"},          {97, "a"},               {122, "z"},
        {127, "delete"},        {256, "keypad 0"},       {271, "keypad enter"},
        {277, "insert"},        {281, "page down"},      {286, "F5"},
        {296, "F15"},           {302, "scrollock"},      {309, "right command"},
        {311, "left windows key"}, {313, "mode shift"},  {316, "print-screen"},
        {317, "SysRq"},         {321, "euro"},           {420, "joystick button 0"},
        {434, "joystick button 14"}, {436, "joystick axis right"},
        {440, "joystick axis 3 +"},  {445, "joystick axis 6 -"},
        {448, "joystick hat down"},
        {7, "Undefined Key"},   {37, "Undefined Key"},   {314, "Undefined Key"},
        {322, "Undefined Key"}, {419, "Undefined Key"},  {451, "Undefined Key"},
        {666, "Undefined Key"}, {1000, "Undefined Key"}, {0xFFFFFFFF, "Undefined Key"},
    };
    for (const auto& key : cases)
        EXPECT_EQ(g_Input.KeyIDToName(key.id), key.name) << key.id;
}

// Every program-facing name leads to a key with a readable name, and every readable name but
// the caret's (which has no program-facing name) is reached by exactly one program-facing name.
TEST(KeyNames, EveryNameRoundTripsThroughItsKeyId)
{
    std::set<std::string> names;
    std::set<uint32_t> ids;
    for (int i = 0; i < k_NumKeyNames; ++i) {
        std::string name(KeyNameAt(i));
        ASSERT_FALSE(name.empty()) << i;
        uint32_t id = g_Input.KeynameStringToInt(name);
        ASSERT_NE(id, SC_INVALID_KEY) << name;
        EXPECT_NE(g_Input.KeyIDToName(id), "Undefined Key") << name;
        names.insert(name);
        ids.insert(id);
    }
    EXPECT_EQ(names.size(), 163u);
    EXPECT_EQ(ids.size(), 163u);
    EXPECT_EQ(KeyNameAt(163), "");
    EXPECT_EQ(KeyNameAt(-1), "");

    std::set<uint32_t> readable;
    for (uint32_t id = 0; id < 2000; ++id)
        if (g_Input.KeyIDToName(id) != "Undefined Key")
            readable.insert(id);
    ids.insert(94);
    EXPECT_EQ(readable, ids);
}
