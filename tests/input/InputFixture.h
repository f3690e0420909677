#pragma once
#include <SDL/SDL.h>
#include <algorithm>
#include <gtest/gtest.h>

#include "input/InputManager.h"
#include "support/EngineFixture.h"

// No joystick exists where the tests run, so this scripted one stands in for the hardware,
// through the input manager's joystick driver; everything else the tests use is real SDL.
struct sFakeJoystick
{
    int numAxes = 6, opened = 0, closed = 0, highestAxisRead = -1;
    Sint16 axes[8] = {};
    Uint8 hat = SDL_HAT_CENTERED;
};
inline sFakeJoystick g_FakeJoystick;

// One frame's input step with the console closed: snapshot, event pump, joystick poll.
inline void JoystickFrame()
{
    g_Input.m_TypedInputEnabled = false;
    g_Input.Update();
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
            g_FakeJoystick.highestAxisRead = std::max(g_FakeJoystick.highestAxisRead, axis);
            return axis < 8 ? g_FakeJoystick.axes[axis] : Sint16(0);
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

// One frame's input step with the console open, the keys changed by `press` arriving while the
// events are pumped. SDL writes its key-state array only for real window-system key events, so
// the test makes Update's own snapshot and pump, then writes the array and runs the typed-text
// step that Update would run next.
template <typename Press>
void TypingFrame(Press press)
{
    JoystickFrame();
    press();
    g_Input.UpdateTypedInput();
}
inline void TypingFrame() { TypingFrame([] {}); }
