#include "input/InputFixture.h"

namespace {

SDL_Event ButtonEvent(Uint8 type, Uint8 button)
{
    SDL_Event event{};
    event.type = event.jbutton.type = type;
    event.jbutton.button = button;
    event.jbutton.state = type == SDL_JOYBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    return event;
}

} // namespace

// Presses come through SDL's event queue and count until the next poll only, as does the logical
// button bound to them; releases are ignored. Init opens joystick 0 and Cleanup closes it.
TEST_F(InputTest, JoystickButtonPressesReadDownUntilTheNextPoll)
{
    EXPECT_EQ(g_FakeJoystick.opened, 1);
    ASSERT_TRUE(g_Input.Bind(422, SC_BUTTON_ACTION));
    for (SDL_Event event : {ButtonEvent(SDL_JOYBUTTONDOWN, 2), ButtonEvent(SDL_JOYBUTTONUP, 3),
                            ButtonEvent(SDL_JOYBUTTONDOWN, 14)})
        ASSERT_EQ(SDL_PushEvent(&event), 0) << SDL_GetError();
    for (SDL_Event event; SDL_PollEvent(&event);)
        g_Input.HandleJoyStickEvent(event);
    for (uint32_t id : {422u, 434u, SC_BUTTON_ACTION})
        EXPECT_TRUE(g_Input.IsKeyDown(id) && g_Input.IsKeyTriggered(id)) << id;
    EXPECT_FALSE(g_Input.IsKeyDown(421) || g_Input.IsKeyDown(423));
    JoystickFrame();   // the button is still held: no release event came
    EXPECT_FALSE(g_Input.IsKeyDown(SC_BUTTON_ACTION) || g_Input.IsKeyTriggered(422));
    g_Input.Cleanup();
    EXPECT_EQ(g_FakeJoystick.closed, 1);
}

TEST_F(InputTest, JoystickAxesHaveADeadZoneAndTriggerOnlyWhenPushedFromRest)
{
    const struct { Sint16 reading; bool negative, positive; } readings[] = {
        {0, false, false}, {9999, false, false}, {-9999, false, false}, {10000, false, true},
        {-10000, true, false}, {32767, false, true}, {-32768, true, false},
    };
    for (const auto& axis : readings) {
        g_FakeJoystick.axes[0] = g_FakeJoystick.axes[5] = axis.reading;
        JoystickFrame();
        EXPECT_EQ(g_Input.IsKeyDown(435) && g_Input.IsKeyDown(445), axis.negative) << axis.reading;
        EXPECT_EQ(g_Input.IsKeyDown(436) && g_Input.IsKeyDown(446), axis.positive) << axis.reading;
        EXPECT_FALSE(g_Input.IsKeyDown(437) || g_Input.IsKeyDown(438));
    }
    g_FakeJoystick.axes[1] = -20000;
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyTriggered(437));
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyDown(437) && !g_Input.IsKeyTriggered(437));
    g_FakeJoystick.axes[1] = 20000;   // straight across, no rest between the polls
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyDown(438));
    EXPECT_FALSE(g_Input.IsKeyTriggered(438) || g_Input.IsKeyDown(437));
}

TEST_F(InputTest, OnlyTheFirstSixJoystickAxesThatExistAreRead)
{
    g_FakeJoystick.numAxes = 8;
    JoystickFrame();
    EXPECT_EQ(g_FakeJoystick.highestAxisRead, 5);
    g_FakeJoystick.numAxes = 2;
    g_FakeJoystick.axes[2] = 30000;
    g_Input.Init();
    JoystickFrame();
    EXPECT_FALSE(g_Input.IsKeyDown(440));
}

TEST_F(InputTest, HatDirectionsReadTheirBitsAndTriggerWhenTheBitWasClear)
{
    g_FakeJoystick.hat = SDL_HAT_RIGHTUP;
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyDown(447) && g_Input.IsKeyDown(450) && g_Input.IsKeyTriggered(447));
    EXPECT_FALSE(g_Input.IsKeyDown(448) || g_Input.IsKeyDown(449));
    g_FakeJoystick.hat = SDL_HAT_LEFTUP;
    JoystickFrame();
    EXPECT_FALSE(g_Input.IsKeyTriggered(447)) << "up was held through";
    EXPECT_TRUE(g_Input.IsKeyTriggered(449));
    EXPECT_FALSE(g_Input.IsKeyDown(450));
}

TEST_F(InputTest, OpenConsoleFreezesTheJoystickAndKeepsButtonPresses)
{
    SDL_Event press = ButtonEvent(SDL_JOYBUTTONDOWN, 0);
    g_Input.HandleJoyStickEvent(press);
    g_FakeJoystick.axes[0] = 30000;
    g_FakeJoystick.hat = SDL_HAT_DOWN;
    g_Input.m_TypedInputEnabled = true;
    g_Input.Update();
    g_Input.Update();
    EXPECT_FALSE(g_Input.IsKeyDown(436) || g_Input.IsKeyDown(448));
    EXPECT_TRUE(g_Input.IsKeyDown(420)) << "presses wait for the next poll";
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyDown(436) && g_Input.IsKeyDown(448));
    EXPECT_FALSE(g_Input.IsKeyDown(420));
}

// Without an open joystick no poll would ever clear a press.
TEST_F(InputTest, WithoutAJoystickEveryJoystickIdIsUp)
{
    g_Input.Cleanup();
    g_Input.SetJoystickDriver(sJoystickDriver{});   // SDL's own, which finds none here
    g_Input.Init();
    JoystickFrame();
    SDL_Event press = ButtonEvent(SDL_JOYBUTTONDOWN, 1);
    g_Input.HandleJoyStickEvent(press);
    JoystickFrame();
    for (uint32_t id = SC_JOYSTICK_BUTTON_FIRST; id <= SC_JOYSTICK_HAT_LAST; ++id)
        EXPECT_FALSE(g_Input.IsKeyDown(id) || g_Input.IsKeyTriggered(id)) << id;
}
