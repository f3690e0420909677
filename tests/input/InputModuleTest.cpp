#include <string>

#include "input/InputFixture.h"

namespace {

class InputModuleTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_EQ(Exec("import input"), "");
        JoystickFrame();
    }
};

struct sCall
{
    const char* expression;
    const char* result;
};

} // namespace

TEST_F(InputModuleTest, IskeydownAndIskeytriggeredSeeAKeyPressedThroughSdl)
{
    HoldKey(SDLK_q);
    EXPECT_EQ(Eval("input.iskeydown('SDLK_q')"), "True");
    EXPECT_EQ(Eval("input.iskeytriggered('SDLK_q')"), "True");
    EXPECT_EQ(Eval("input.iskeydown('SDLK_w')"), "False");
    JoystickFrame();
    EXPECT_EQ(Eval("input.iskeydown('SDLK_q')"), "True");
    EXPECT_EQ(Eval("input.iskeytriggered('SDLK_q')"), "False");
}

TEST_F(InputModuleTest, ButtonFunctionsAskTriggeredByDefaultAndHeldWithFalse)
{
    const struct { const char* function; int key; } buttons[] = {
        {"action", SDLK_RETURN}, {"cancel", SDLK_BACKSPACE}, {"inventory", SDLK_RCTRL},
        {"switch", SDLK_TAB},    {"menu", SDLK_ESCAPE},
    };
    for (const auto& button : buttons) {
        std::string function = std::string("input.") + button.function;
        SCOPED_TRACE(function);
        EXPECT_EQ(Eval(function + "(False)"), "False");
        HoldKey(button.key);
        EXPECT_EQ(Eval(function + "()"), "True");
        EXPECT_EQ(Eval(function + "(True)"), "True");
        EXPECT_EQ(Eval(function + "(False)"), "True");
        JoystickFrame();
        EXPECT_EQ(Eval(function + "()"), "False");
        EXPECT_EQ(Eval(function + "(False)"), "True");
        ReleaseKey(button.key);
    }
}

TEST_F(InputModuleTest, LogicalButtonNamesWorkInIskeydownAndIskeytriggered)
{
    HoldKey(SDLK_RETURN);
    HoldKey(SDLK_UP);
    EXPECT_EQ(Eval("input.iskeydown('SC_BUTTON_ACTION') == input.action(False) == True"), "True");
    EXPECT_EQ(Eval("input.iskeytriggered('SC_AXIS_UP')"), "True");
    EXPECT_EQ(Eval("input.iskeydown('SC_AXIS_DOWN')"), "False");
    JoystickFrame();
    ReleaseKey(SDLK_RETURN);
    EXPECT_EQ(Eval("input.iskeydown('SC_BUTTON_ACTION') == input.action(False) == False"), "True");
}

TEST_F(InputModuleTest, BadArgumentsRaiseTheInterpretersErrors)
{
    const sCall calls[] = {
        {"input.iskeydown('q')", "ValueError: 'q' is an invalid key name"},
        {"input.iskeytriggered('SDLK_A')", "ValueError: 'SDLK_A' is an invalid key name"},
        {"input.iskeydown('')", "ValueError: '' is an invalid key name"},
        {"input.iskeydown(5)", "TypeError: argument 1 must be str, not int"},
        {"input.iskeydown()", "TypeError: function takes exactly 1 argument (0 given)"},
        {"input.iskeydown('SDLK_q', 'SDLK_w')", "TypeError: function takes exactly 1 argument (2 given)"},
        {"input.iskeydown('SDLK\\0q')", "ValueError: embedded null character"},
        {"input.iskeydown(key='SDLK_q')", "TypeError: iskeydown() takes no keyword arguments"},
        {"input.action(1)", "TypeError: argument 1 must be bool, not int"},
        {"input.menu(None)", "TypeError: argument 1 must be bool, not None"},
        {"input.cancel(True, False)", "TypeError: function takes at most 1 argument (2 given)"},
        {"input.bind('SDLK_F5')", "TypeError: function takes exactly 2 arguments (1 given)"},
        {"input.bind('SDLK_F5', 3)", "TypeError: argument 2 must be str, not int"},
        {"input.bind('q', 'SC_BUTTON_SWITCH')", "ValueError: 'q' is an invalid key name"},
        {"input.bind('SDLK_F5', 'SC_BUTTON_NONE')", "ValueError: 'SC_BUTTON_NONE' is an invalid key name"},
        {"input.bind('SDLK_F5', 'SDLK_RETURN')", "ValueError: 'SDLK_RETURN' is an invalid key name"},
        {"input.bind('SDLK_RETURN', 'SC_BUTTON_CANCEL')", "ValueError: '13' is already bound"},
    };
    for (const sCall& call : calls)
        EXPECT_EQ(Eval(call.expression), call.result) << call.expression;
    EXPECT_EQ(Eval("[config['SC_BUTTON_ACTION'], config['SC_BUTTON_CANCEL'], config['SC_BUTTON_SWITCH']]"),
              "[13, 8, 9]");
}

TEST_F(InputModuleTest, BindMovesASwitchToAFreeKey)
{
    EXPECT_EQ(Eval("input.bind('SDLK_F5', 'SC_BUTTON_SWITCH')"), "None");
    EXPECT_EQ(Eval("config['SC_BUTTON_SWITCH']"), "286");
    HoldKey(SDLK_TAB);
    EXPECT_EQ(Eval("input.switch(False)"), "False");
    HoldKey(SDLK_F5);
    EXPECT_EQ(Eval("input.switch(False)"), "True");
    EXPECT_EQ(Eval("input.bind('SDLK_TAB', 'SC_BUTTON_ACTION')"), "None");
    EXPECT_EQ(Eval("input.action(False)"), "True");
}

TEST_F(InputModuleTest, FunctionsCarryTheirDocumentation)
{
    const sCall docs[] = {
        {"input.iskeydown.__doc__", "'Check to see if a key is down.'"},
        {"input.iskeytriggered.__doc__", "'Check to see if a key is triggered.'"},
        {"input.action.__doc__", "'Check to see if action key is down/triggered.'"},
        {"input.cancel.__doc__", "'Check to see if cancel key is down/triggered.'"},
        {"input.inventory.__doc__", "'Check to see if inventory key is down/triggered.'"},
        {"input.switch.__doc__", "'Check to see if switch key is down/triggered.'"},
        {"input.menu.__doc__", "'Check to see if menu key is down/triggered.'"},
        {"input.bind.__doc__", "'Bind a key to the specified button'"},
        {"input.__doc__", "None"},
        {"sorted(name for name in dir(input) if not name.startswith('_'))",
         "['action', 'bind', 'cancel', 'inventory', 'iskeydown', 'iskeytriggered', 'menu', 'switch']"},
    };
    for (const sCall& doc : docs)
        EXPECT_EQ(Eval(doc.expression), doc.result) << doc.expression;
}
