#include <string>

#include "input/InputFixture.h"

namespace {

const char* k_ConfigOrder =
    "[config[name] for name in ('SC_BUTTON_ACTION', 'SC_BUTTON_CANCEL', 'SC_BUTTON_INVENTORY',"
    " 'SC_BUTTON_SWITCH', 'SC_BUTTON_MENU', 'SC_AXIS_UP', 'SC_AXIS_DOWN', 'SC_AXIS_LEFT',"
    " 'SC_AXIS_RIGHT')]";

std::string KeyMap()
{
    const uint32_t* keyMap = g_Input.GetCurrentKeyMap();
    std::string text = "[";
    for (int i = 0; i < 9; ++i)
        text += (i ? ", " : "") + std::to_string(keyMap[i]);
    return text + "]";
}

} // namespace

TEST_F(EngineTest, FirstStartLeavesAllNineBindingsInTheConfig)
{
    EXPECT_EQ(Eval(k_ConfigOrder), "[13, 8, 305, 9, 27, 273, 274, 276, 275]");
    EXPECT_EQ(KeyMap(), "[13, 8, 305, 9, 27, 273, 274, 276, 275]");
}

TEST_F(EngineTest, BindingsAreReadFromTheConfigAsTheyAre)
{
    ASSERT_EQ(Exec("config['SC_BUTTON_ACTION'] = 32; config['SC_AXIS_UP'] = 9000"), "");
    g_Input.Init();
    EXPECT_EQ(KeyMap(), "[32, 8, 305, 9, 27, 9000, 274, 276, 275]");
    JoystickFrame();
    HoldKey(SDLK_SPACE);
    EXPECT_TRUE(g_Input.IsKeyDown(SC_BUTTON_ACTION));
    EXPECT_EQ(g_Input.KeyIDToName(g_Input.GetCurrentKeyMap()[5]), "Undefined Key");
    EXPECT_FALSE(g_Input.IsKeyDown(SC_AXIS_UP));
}

TEST_F(EngineTest, BindStoresTheKeyInTheConfigAndFreesTheOldOne)
{
    ASSERT_TRUE(g_Input.Bind(SDLK_F5, SC_BUTTON_SWITCH));
    EXPECT_EQ(Eval("config['SC_BUTTON_SWITCH']"), "286");
    EXPECT_TRUE(g_Input.CheckKeyAvailability(SDLK_TAB));
    EXPECT_FALSE(g_Input.CheckKeyAvailability(SDLK_F5));
    ASSERT_TRUE(g_Input.Bind(SDLK_TAB, SC_BUTTON_MENU));
    EXPECT_EQ(Eval(k_ConfigOrder), "[13, 8, 305, 286, 9, 273, 274, 276, 275]");
}

TEST_F(EngineTest, RefusedBindingsChangeNothing)
{
    const struct { uint32_t key, button; } refused[] = {
        {SDLK_RETURN, SC_BUTTON_CANCEL},   // return serves action
        {SDLK_RETURN, SC_BUTTON_ACTION},   // already this button's
        {SDLK_F5, 1009},
        {SDLK_F5, 999},
    };
    for (const auto& binding : refused) {
        EXPECT_FALSE(g_Input.Bind(binding.key, binding.button)) << binding.key << " " << binding.button;
        EXPECT_EQ(Eval(k_ConfigOrder), "[13, 8, 305, 9, 27, 273, 274, 276, 275]");
        EXPECT_EQ(KeyMap(), "[13, 8, 305, 9, 27, 273, 274, 276, 275]");
    }
}

TEST_F(EngineTest, DefaultControlsTakeLeftCtrlForTheInventory)
{
    ASSERT_TRUE(g_Input.Bind(SDLK_F5, SC_BUTTON_ACTION));
    g_Input.LoadDefaultControls();
    EXPECT_EQ(Eval(k_ConfigOrder), "[13, 8, 306, 9, 27, 273, 274, 276, 275]");
    for (uint32_t key : {13u, 8u, 306u, 9u, 27u, 273u, 274u, 276u, 275u})
        EXPECT_FALSE(g_Input.CheckKeyAvailability(key)) << key;
    EXPECT_TRUE(g_Input.CheckKeyAvailability(305));
    EXPECT_TRUE(g_Input.CheckKeyAvailability(SDLK_F5));
}

TEST_F(EngineTest, ConfigValueOfTheWrongTypeBindsNothingAndIsReported)
{
    ASSERT_EQ(Exec("config['SC_AXIS_RIGHT'] = 'right'"), "");
    g_Input.Init();
    EXPECT_EQ(TakeScriptError(), "TypeError: config['SC_AXIS_RIGHT'] must be an int, not str");
    EXPECT_EQ(Eval("config['SC_AXIS_RIGHT']"), "-1");
    JoystickFrame();
    HoldKey(SDLK_RIGHT);
    EXPECT_FALSE(g_Input.IsKeyDown(SC_AXIS_RIGHT));
}

TEST_F(EngineTest, LogicalButtonBoundToAnotherLogicalButtonBindsNothing)
{
    ASSERT_EQ(Exec("config['SC_BUTTON_ACTION'] = 1001; config['SC_BUTTON_CANCEL'] = 1000"), "");
    g_Input.Init();
    JoystickFrame();
    EXPECT_FALSE(g_Input.IsKeyDown(SC_BUTTON_ACTION));
    EXPECT_FALSE(g_Input.IsKeyTriggered(SC_BUTTON_CANCEL));
}

TEST_F(ScriptPackageTest, WithoutAConfigTheDefaultsServeAndTheMissingConfigIsReportedOnce)
{
    WriteFile("system/main.py", "def setup():\n    return iter(range(1000))\n");
    StartEngine();
    EXPECT_EQ(KeyMap(), "[13, 8, 305, 9, 27, 273, 274, 276, 275]");
    EXPECT_EQ(TakeScriptError(), "NameError: name 'config' is not defined");
    EXPECT_EQ(TakeScriptError(), "");
    EXPECT_TRUE(g_Input.Bind(SDLK_F5, SC_BUTTON_MENU));
    EXPECT_EQ(TakeScriptError(), "NameError: name 'config' is not defined");
}
