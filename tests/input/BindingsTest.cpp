#include <string>
#include <vector>

#include "input/InputFixture.h"
#include "input/KeyNames.h"

namespace {

// The nine bindings, in the key map and in the config, which must agree.
class BindingsTest : public InputTest
{
protected:
    std::string Bindings()
    {
        std::string keyMap, config;
        for (uint32_t i = 0; i < 9; ++i) {
            keyMap += (i ? ", " : "[") + std::to_string(g_Input.GetCurrentKeyMap()[i]);
            config += (i ? ", " : "[") + Eval(std::string("config['") + LogicalButtonName(1000 + i) + "']");
        }
        return keyMap == config ? keyMap + "]" : "key map " + keyMap + "], config " + config + "]";
    }
};

} // namespace

TEST_F(BindingsTest, BindingsLiveInTheConfigAsTheyAreAndDefaultsTakeLeftCtrlForTheInventory)
{
    const struct { uint32_t key, button; } refused[] = {
        {SDLK_RETURN, SC_BUTTON_ACTION}, {SDLK_F5, 1009}, {SDLK_F5, 999},
    };
    for (const auto& binding : refused) {
        EXPECT_FALSE(g_Input.Bind(binding.key, binding.button)) << binding.key << " " << binding.button;
        EXPECT_EQ(Bindings(), "[13, 8, 305, 9, 27, 273, 274, 276, 275]");
    }
    EXPECT_EQ(Eval("input.bind('SDLK_F5', 'SC_BUTTON_SWITCH')"), "None");
    ASSERT_TRUE(g_Input.Bind(SDLK_TAB, SC_BUTTON_MENU));   // freed by the switch
    EXPECT_FALSE(g_Input.CheckKeyAvailability(SDLK_F5));
    EXPECT_EQ(Bindings(), "[13, 8, 305, 286, 9, 273, 274, 276, 275]");
    g_Input.LoadDefaultControls();
    EXPECT_EQ(Bindings(), "[13, 8, 306, 9, 27, 273, 274, 276, 275]");
    EXPECT_TRUE(g_Input.CheckKeyAvailability(SDLK_F5));

    // Config values are taken as they are; one that is no key, or names a logical button, binds
    // nothing.
    ASSERT_EQ(Exec("config['SC_BUTTON_ACTION'] = 32; config['SC_AXIS_UP'] = 9000;"
                   " config['SC_BUTTON_CANCEL'] = 1000; config['SC_AXIS_RIGHT'] = 'right'"), "");
    g_Input.Init();
    EXPECT_EQ(TakeScriptError(), "TypeError: config['SC_AXIS_RIGHT'] must be an int, not str");
    EXPECT_EQ(Eval("config['SC_AXIS_RIGHT'], config['SC_AXIS_UP']"), "(-1, 9000)");
    JoystickFrame();
    for (int key : {SDLK_SPACE, SDLK_BACKSPACE, SDLK_RIGHT})
        HoldKey(key);
    EXPECT_TRUE(g_Input.IsKeyDown(SC_BUTTON_ACTION));
    for (uint32_t button : {SC_BUTTON_CANCEL, SC_AXIS_UP, SC_AXIS_RIGHT})
        EXPECT_FALSE(g_Input.IsKeyDown(button) || g_Input.IsKeyTriggered(button)) << button;
}

TEST_F(ScriptPackageTest, WithoutAConfigTheDefaultsServeAndTheMissingConfigIsReportedOnce)
{
    WriteFile("system/main.py", "def setup():\n    return iter(range(1000))\n");
    StartEngine();
    const uint32_t* keyMap = g_Input.GetCurrentKeyMap();
    EXPECT_EQ(std::vector<uint32_t>(keyMap, keyMap + 9), (std::vector<uint32_t>{13, 8, 305, 9, 27, 273, 274, 276, 275}));
    EXPECT_EQ(TakeScriptError(), "NameError: name 'config' is not defined");
    EXPECT_EQ(TakeScriptError(), "");
    EXPECT_TRUE(g_Input.Bind(SDLK_F5, SC_BUTTON_MENU));
    EXPECT_EQ(TakeScriptError(), "NameError: name 'config' is not defined");
}
