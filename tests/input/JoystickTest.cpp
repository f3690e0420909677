#include <initializer_list>
#include <utility>

#include "input/InputFixture.h"

namespace {

// Joystick button events through SDL's queue, handed to the input manager as the main loop does.
void SendButtonEvents(std::initializer_list<std::pair<Uint8, Uint8>> events)
{
    for (auto [type, button] : events) {
        SDL_Event event{};
        event.type = event.jbutton.type = type;
        event.jbutton.button = button;
        event.jbutton.state = type == SDL_JOYBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        ASSERT_EQ(SDL_PushEvent(&event), 0) << SDL_GetError();
    }
    for (SDL_Event event; SDL_PollEvent(&event);)
        g_Input.HandleJoyStickEvent(event);
}

} // namespace

// Presses come through SDL's event queue and count until the next poll only, as does the logical
// button bound to them; releases are ignored. Init opens joystick 0 and Cleanup closes it; with
// no joystick open, presses are ignored.
TEST_F(InputTest, JoystickButtonPressesReadDownUntilTheNextPollAndOnlyWithAJoystick)
{
    EXPECT_EQ(g_FakeJoystick.opened, 1);
    ASSERT_TRUE(g_Input.Bind(422, SC_BUTTON_ACTION));
    SendButtonEvents({{SDL_JOYBUTTONDOWN, 2}, {SDL_JOYBUTTONUP, 3}, {SDL_JOYBUTTONDOWN, 14}});
    for (uint32_t id : {422u, 434u, SC_BUTTON_ACTION})
        EXPECT_TRUE(g_Input.IsKeyDown(id) && g_Input.IsKeyTriggered(id)) << id;
    EXPECT_FALSE(g_Input.IsKeyDown(421) || g_Input.IsKeyDown(423));
    JoystickFrame();   // the button is still held: no release event came
    EXPECT_FALSE(g_Input.IsKeyDown(SC_BUTTON_ACTION) || g_Input.IsKeyTriggered(422));
    g_Input.Cleanup();
    EXPECT_EQ(g_FakeJoystick.closed, 1);

    // Without an open joystick no poll would ever clear a press.
    g_Input.SetJoystickDriver(sJoystickDriver{});   // SDL's own, which finds none here
    g_Input.Init();
    SendButtonEvents({{SDL_JOYBUTTONDOWN, 1}});
    JoystickFrame();
    for (uint32_t id = SC_JOYSTICK_BUTTON_FIRST; id <= SC_JOYSTICK_HAT_LAST; ++id)
        EXPECT_FALSE(g_Input.IsKeyDown(id) || g_Input.IsKeyTriggered(id)) << id;
}

TEST_F(InputTest, JoystickAxesAndHatTriggerOnlyWhenPushedFromRest)
{
    const struct { Sint16 reading; bool negative, positive; } readings[] = {
        {9999, false, false}, {-9999, false, false}, {10000, false, true}, {-32768, true, false},
    };
    for (const auto& axis : readings) {   // the dead zone
        g_FakeJoystick.axes[0] = g_FakeJoystick.axes[5] = axis.reading;
        JoystickFrame();
        EXPECT_EQ(g_Input.IsKeyDown(435) && g_Input.IsKeyDown(445), axis.negative) << axis.reading;
        EXPECT_EQ(g_Input.IsKeyDown(436) && g_Input.IsKeyDown(446), axis.positive) << axis.reading;
        EXPECT_FALSE(g_Input.IsKeyDown(437) || g_Input.IsKeyDown(438));
    }
    g_FakeJoystick.axes[1] = -20000;
    g_FakeJoystick.hat = SDL_HAT_RIGHTUP;
    JoystickFrame();
    for (uint32_t id : {437u, 447u, 450u})   // axis up, hat up and right
        EXPECT_TRUE(g_Input.IsKeyDown(id) && g_Input.IsKeyTriggered(id)) << id;
    EXPECT_FALSE(g_Input.IsKeyDown(448) || g_Input.IsKeyDown(449));
    g_FakeJoystick.axes[1] = 20000;   // straight across, no rest between the polls
    g_FakeJoystick.hat = SDL_HAT_LEFTUP;
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyDown(438) && !g_Input.IsKeyTriggered(438) && !g_Input.IsKeyDown(437));
    EXPECT_TRUE(g_Input.IsKeyDown(447) && !g_Input.IsKeyTriggered(447)) << "hat up was held through";
    EXPECT_TRUE(g_Input.IsKeyTriggered(449) && !g_Input.IsKeyDown(450));
    g_FakeJoystick.numAxes = 8;   // the stand-in fails a read of any axis past the sixth that exists
    JoystickFrame();
    g_FakeJoystick.numAxes = 2;
    JoystickFrame();
}
