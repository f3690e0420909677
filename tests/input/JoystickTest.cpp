#include <cstdlib>
#include <ostream>
#include <string>

#include "input/InputFixture.h"

namespace {

// The input manager started on the stand-in joystick, as Init finds a real one.
class JoystickTest : public InputTest
{
protected:
    void SetUp() override
    {
        g_FakeJoystick = sFakeJoystick{};
        g_Input.SetJoystickDriver(FakeJoystickDriver());
        InputTest::SetUp();
    }
    void TearDown() override
    {
        InputTest::TearDown();
        g_Input.SetJoystickDriver(sJoystickDriver{});
    }
};

SDL_Event JoyButtonEvent(Uint8 type, Uint8 button)
{
    SDL_Event event{};
    event.type = type;
    event.jbutton.type = type;
    event.jbutton.which = 0;
    event.jbutton.button = button;
    event.jbutton.state = type == SDL_JOYBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    return event;
}

void Press(Uint8 button)
{
    SDL_Event event = JoyButtonEvent(SDL_JOYBUTTONDOWN, button);
    g_Input.HandleJoyStickEvent(event);
}

} // namespace

TEST_F(JoystickTest, InitOpensJoystickZeroAndCleanupClosesIt)
{
    EXPECT_EQ(g_FakeJoystick.opened, 1);
    g_Input.Cleanup();
    EXPECT_EQ(g_FakeJoystick.closed, 1);
    g_Input.Init();
    EXPECT_EQ(g_FakeJoystick.opened, 2);
}

TEST_F(JoystickTest, ButtonEventsArriveThroughSdlsEventQueueAndReleasesAreIgnored)
{
    JoystickFrame();
    SDL_Event down = JoyButtonEvent(SDL_JOYBUTTONDOWN, 14);
    SDL_Event up = JoyButtonEvent(SDL_JOYBUTTONUP, 3);
    ASSERT_EQ(SDL_PushEvent(&down), 0) << SDL_GetError();
    ASSERT_EQ(SDL_PushEvent(&up), 0) << SDL_GetError();
    SDL_Event event;
    int handed = 0;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_JOYBUTTONDOWN || event.type == SDL_JOYBUTTONUP) {
            g_Input.HandleJoyStickEvent(event);
            ++handed;
        }
    }
    EXPECT_EQ(handed, 2);
    EXPECT_TRUE(g_Input.IsKeyDown(434));
    EXPECT_FALSE(g_Input.IsKeyDown(423));
}

TEST_F(JoystickTest, ButtonAndTheLogicalButtonBoundToItAreDownOnlyInTheFrameAfterThePress)
{
    ASSERT_TRUE(g_Input.Bind(422, SC_BUTTON_ACTION));
    JoystickFrame();
    Press(2);
    EXPECT_TRUE(g_Input.IsKeyDown(SC_BUTTON_ACTION));
    EXPECT_TRUE(g_Input.IsKeyTriggered(SC_BUTTON_ACTION));
    EXPECT_TRUE(g_Input.IsKeyDown(422));
    EXPECT_FALSE(g_Input.IsKeyDown(421));
    JoystickFrame();   // the button is still held: no release event came
    EXPECT_FALSE(g_Input.IsKeyDown(SC_BUTTON_ACTION));
    EXPECT_FALSE(g_Input.IsKeyTriggered(422));
}

struct sAxisCase
{
    Sint16 reading;
    bool negative;
    bool positive;
};

void PrintTo(const sAxisCase& axis, std::ostream* out) { *out << axis.reading; }

class AxisTest : public JoystickTest, public ::testing::WithParamInterface<sAxisCase>
{
};

TEST_P(AxisTest, ReadingsInsideTheDeadZoneAreAtRest)
{
    const sAxisCase& axis = GetParam();
    g_FakeJoystick.axes[0] = axis.reading;
    g_FakeJoystick.axes[5] = axis.reading;
    JoystickFrame();
    EXPECT_EQ(g_Input.IsKeyDown(435), axis.negative);
    EXPECT_EQ(g_Input.IsKeyDown(436), axis.positive);
    EXPECT_EQ(g_Input.IsKeyDown(445), axis.negative);
    EXPECT_EQ(g_Input.IsKeyDown(446), axis.positive);
    EXPECT_FALSE(g_Input.IsKeyDown(437));
    EXPECT_FALSE(g_Input.IsKeyDown(438));
}

INSTANTIATE_TEST_SUITE_P(Readings, AxisTest,
                         ::testing::Values(sAxisCase{0, false, false}, sAxisCase{9999, false, false},
                                           sAxisCase{-9999, false, false}, sAxisCase{10000, false, true},
                                           sAxisCase{-10000, true, false}, sAxisCase{32767, false, true},
                                           sAxisCase{-32768, true, false}),
                         [](const ::testing::TestParamInfo<sAxisCase>& info) {
                             int reading = info.param.reading;
                             return (reading < 0 ? "minus" : "") + std::to_string(std::abs(reading));
                         });

TEST_F(JoystickTest, AxisTriggersOnlyWhenPushedFromRest)
{
    JoystickFrame();
    g_FakeJoystick.axes[1] = -20000;
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyTriggered(437));
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyDown(437));
    EXPECT_FALSE(g_Input.IsKeyTriggered(437));
    g_FakeJoystick.axes[1] = 20000;   // straight across, no rest between the polls
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyDown(438));
    EXPECT_FALSE(g_Input.IsKeyTriggered(438));
    EXPECT_FALSE(g_Input.IsKeyDown(437));
}

TEST_F(JoystickTest, OnlyTheFirstSixAxesThatExistAreRead)
{
    g_FakeJoystick.numAxes = 8;
    JoystickFrame();
    EXPECT_EQ(g_FakeJoystick.highestAxisRead, 5);

    g_FakeJoystick.numAxes = 2;
    g_FakeJoystick.axes[0] = 0;
    g_FakeJoystick.axes[2] = 30000;
    g_Input.Cleanup();
    g_Input.Init();
    JoystickFrame();
    EXPECT_FALSE(g_Input.IsKeyDown(440));
}

TEST_F(JoystickTest, HatDirectionsReadTheirBitsAndTriggerWhenTheBitWasClear)
{
    JoystickFrame();
    g_FakeJoystick.hat = SDL_HAT_RIGHTUP;
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyDown(447));
    EXPECT_TRUE(g_Input.IsKeyDown(450));
    EXPECT_FALSE(g_Input.IsKeyDown(448));
    EXPECT_FALSE(g_Input.IsKeyDown(449));
    EXPECT_TRUE(g_Input.IsKeyTriggered(447));
    g_FakeJoystick.hat = SDL_HAT_LEFTUP;
    JoystickFrame();
    EXPECT_FALSE(g_Input.IsKeyTriggered(447)) << "up was held through";
    EXPECT_TRUE(g_Input.IsKeyTriggered(449));
    EXPECT_FALSE(g_Input.IsKeyDown(450));
}

TEST_F(JoystickTest, OpenConsoleFreezesTheJoystickAndKeepsButtonPresses)
{
    JoystickFrame();
    Press(0);
    g_FakeJoystick.axes[0] = 30000;
    g_FakeJoystick.hat = SDL_HAT_DOWN;
    g_Input.m_TypedInputEnabled = true;
    g_Input.Update();
    g_Input.Update();
    EXPECT_FALSE(g_Input.IsKeyDown(436));
    EXPECT_FALSE(g_Input.IsKeyDown(448));
    EXPECT_TRUE(g_Input.IsKeyDown(420)) << "presses wait for the next poll";
    JoystickFrame();
    EXPECT_TRUE(g_Input.IsKeyDown(436));
    EXPECT_TRUE(g_Input.IsKeyDown(448));
    EXPECT_FALSE(g_Input.IsKeyDown(420));
}

TEST_F(InputTest, WithoutAJoystickEveryJoystickIdIsUp)
{
    SDL_Event event = JoyButtonEvent(SDL_JOYBUTTONDOWN, 1);
    JoystickFrame();
    for (uint32_t id = 435; id <= 450; ++id) {
        EXPECT_FALSE(g_Input.IsKeyDown(id)) << id;
        EXPECT_FALSE(g_Input.IsKeyTriggered(id)) << id;
    }
    g_Input.HandleJoyStickEvent(event);
    JoystickFrame();
    EXPECT_FALSE(g_Input.IsKeyDown(421));
}

// A script asking for the hat by name reaches the same state.
class JoystickScriptTest : public EngineTest
{
protected:
    void SetUp() override
    {
        g_FakeJoystick = sFakeJoystick{};
        g_Input.SetJoystickDriver(FakeJoystickDriver());
        EngineTest::SetUp();
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        g_Input.SetJoystickDriver(sJoystickDriver{});
    }
};

TEST_F(JoystickScriptTest, IskeytriggeredSeesTheHatByName)
{
    ASSERT_EQ(Exec("import input"), "");
    JoystickFrame();
    g_FakeJoystick.hat = SDL_HAT_UP;
    JoystickFrame();
    EXPECT_EQ(Eval("input.iskeytriggered('SC_JOYSTICK_HAT_UP')"), "True");
    EXPECT_EQ(Eval("input.iskeydown('SC_JOYSTICK_HAT_DOWN')"), "False");
    JoystickFrame();
    EXPECT_EQ(Eval("input.iskeytriggered('SC_JOYSTICK_HAT_UP')"), "False");
    EXPECT_EQ(Eval("input.iskeydown('SC_JOYSTICK_HAT_UP')"), "True");
}
