#pragma once
#include <SDL/SDL.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "input/InputManager.h"
#include "support/EngineFixture.h"

// No joystick exists where the tests run, so this scripted one stands in for the hardware,
// through the input manager's joystick driver; everything else the tests use is real SDL.
struct sFakeJoystick
{
    int numAxes = 6, opened = 0, closed = 0;
    Sint16 axes[6] = {};
    Uint8 hat = SDL_HAT_CENTERED;
};
inline sFakeJoystick g_FakeJoystick;

// One frame's input step with the console closed: snapshot, event pump, joystick poll.
inline void JoystickFrame()
{
    g_Input.StopTyping();
    g_Input.Update();
}

// One frame's input step with the console open, the keys changing while the events are pumped.
// SDL writes its key-state array only for real window-system key events, so this makes Update's
// own snapshot and pump, writes the array, then runs the typed-text step Update would run next.
inline void TypingFrame(const std::vector<int>& hold = {}, const std::vector<int>& release = {})
{
    JoystickFrame();
    std::for_each(release.begin(), release.end(), ReleaseKey);
    std::for_each(hold.begin(), hold.end(), HoldKey);
    g_Input.UpdateTypedInput();
}

// The engine started as the program starts it, finding the stand-in joystick; `input` imported.
class InputTest : public EngineTest
{
protected:
    void SetUp() override
    {
        sJoystickDriver driver;
        driver.NumJoysticks = [] { return 1; };
        driver.Open = [](int index) -> SDL_Joystick* {
            ++g_FakeJoystick.opened;
            return index == 0 ? reinterpret_cast<SDL_Joystick*>(&g_FakeJoystick) : nullptr;
        };
        driver.Close = [](SDL_Joystick*) { ++g_FakeJoystick.closed; };
        driver.NumAxes = [](SDL_Joystick*) { return g_FakeJoystick.numAxes; };
        driver.GetAxis = [](SDL_Joystick*, int axis) {
            // Only the first six axes that exist may be read.
            EXPECT_LT(axis, std::min(g_FakeJoystick.numAxes, 6)) << "axis read";
            return axis < 6 ? g_FakeJoystick.axes[axis] : Sint16(0);
        };
        driver.GetHat = [](SDL_Joystick*, int hat) { return hat == 0 ? g_FakeJoystick.hat : Uint8(0); };
        g_FakeJoystick = sFakeJoystick{};
        g_Input.SetJoystickDriver(driver);
        EngineTest::SetUp();
        ASSERT_EQ(Exec("import input"), "");
        JoystickFrame();
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        g_Input.SetJoystickDriver(sJoystickDriver{});
    }
};
