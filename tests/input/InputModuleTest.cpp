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
    ReleaseKey(SDLK_RETURN);
    // Each button function reads its own key only: triggered by default (1) and with True (2),
    // held with False (4).
    const int keys[] = {SDLK_RETURN, SDLK_BACKSPACE, SDLK_RCTRL, SDLK_TAB, SDLK_ESCAPE};
    const char* read = "[b() + 2 * b(True) + 4 * b(False) for b in (input.action, input.cancel,"
                       " input.inventory, input.switch, input.menu)]";
    for (int i = 0; i < 5; ++i) {
        std::string pressed = "[0, 0, 0, 0, 0]", held = pressed;
        pressed[size_t(1 + 3 * i)] = '7';
        held[size_t(1 + 3 * i)] = '4';
        HoldKey(keys[i]);
        EXPECT_EQ(Eval(read), pressed);
        JoystickFrame();
        EXPECT_EQ(Eval(read), held);
        ReleaseKey(keys[i]);
    }
}

TEST_F(InputTest, BadArgumentsRaiseTheInterpretersErrorsAndDocsAreTheScriptsOwn)
{
    const struct { const char* expression; const char* result; } calls[] = {
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
        {"[config['SC_BUTTON_ACTION'], config['SC_BUTTON_CANCEL'], config['SC_BUTTON_SWITCH']]", "[13, 8, 9]"},
        {"input.iskeydown.__doc__, input.iskeytriggered.__doc__, input.bind.__doc__, input.__doc__",
         "('Check to see if a key is down.', 'Check to see if a key is triggered.',"
         " 'Bind a key to the specified button', None)"},
        {"{getattr(input, b).__doc__.replace(b, 'X') for b in ('action', 'cancel', 'inventory', 'switch', 'menu')}",
         "{'Check to see if X key is down/triggered.'}"},
    };
    for (const auto& call : calls)
        EXPECT_EQ(Eval(call.expression), call.result) << call.expression;
}
