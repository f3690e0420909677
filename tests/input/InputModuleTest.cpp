#include <string>

#include "input/InputFixture.h"

TEST_F(InputTest, ScriptsSeeKeysLogicalButtonsAndTheJoystickHeldAndTriggered)
{
    HoldKey(SDLK_q);
    HoldKey(SDLK_UP);
    g_FakeJoystick.hat = SDL_HAT_LEFT;
    JoystickFrame();
    HoldKey(SDLK_RETURN);
    const std::string names = " for k in ('SDLK_q', 'SDLK_RETURN', 'SDLK_w', 'SC_BUTTON_ACTION', 'SC_AXIS_UP',"
                              " 'SC_AXIS_DOWN', 'SC_JOYSTICK_HAT_LEFT', 'SC_JOYSTICK_HAT_UP')]";
    EXPECT_EQ(Eval("[input.iskeydown(k)" + names), "[True, True, False, True, True, False, True, False]");
    EXPECT_EQ(Eval("[input.iskeytriggered(k)" + names), "[False, True, False, True, False, False, True, False]");
    // A button function reads whether its key was pressed since the last frame (no argument or
    // True) or is held (False).
    EXPECT_EQ(Eval("input.action(), input.action(True), input.action(False), input.cancel(False)"),
              "(True, True, True, False)");
    JoystickFrame();
    EXPECT_EQ(Eval("input.action(), input.action(False)"), "(False, True)");
}

// The engine's own messages for a name it does not know and a key already bound; any call with
// wrong arguments raises the interpreter's TypeError. Nothing of it changes a binding.
TEST_F(InputTest, BadNamesAndCallsRaiseAndChangeNothing)
{
    ASSERT_EQ(Exec("def refused(f):\n    try:\n        f(1, 2, 3)\n    except TypeError:\n        return True"), "");
    const struct { const char* expression; const char* result; } calls[] = {
        {"input.iskeydown('q')", "ValueError: 'q' is an invalid key name"},
        {"input.iskeytriggered('SDLK_A')", "ValueError: 'SDLK_A' is an invalid key name"},
        {"input.bind('q', 'SC_BUTTON_SWITCH')", "ValueError: 'q' is an invalid key name"},
        {"input.bind('SDLK_F5', 'SDLK_RETURN')", "ValueError: 'SDLK_RETURN' is an invalid key name"},
        {"input.bind('SDLK_RETURN', 'SC_BUTTON_CANCEL')", "ValueError: '13' is already bound"},
        {"[n for n, f in vars(input).items() if callable(f) and not refused(f)]", "[]"},
        {"[config['SC_BUTTON_ACTION'], config['SC_BUTTON_CANCEL'], config['SC_BUTTON_SWITCH']]", "[13, 8, 9]"},
    };
    for (const auto& call : calls)
        EXPECT_EQ(Eval(call.expression), call.result) << call.expression;
}
