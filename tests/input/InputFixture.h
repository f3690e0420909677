#pragma once
#include <SDL/SDL.h>
#include <algorithm>
#include <gtest/gtest.h>

#include "input/InputManager.h"
#include "support/EngineFixture.h"

// SDL's video (which owns the key-state array) and joystick subsystems and the input manager on
// their own: without the script host the key map is the one an empty configuration gives.
class InputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        g_Input.Init();
    }
    void TearDown() override
    {
        g_Input.Cleanup();
        SDL_Quit();
    }
};

// No joystick exists where the tests run, so this scripted one stands in for the hardware,
// through the input manager's joystick driver; everything else the tests use is real SDL.
struct sFakeJoystick
{
    int count = 1;
    int numAxes = 6;
    Sint16 axes[8] = {};
    Uint8 hat = SDL_HAT_CENTERED;
    int opened = 0;
    int closed = 0;
    int highestAxisRead = -1;
};

inline sFakeJoystick g_FakeJoystick;

inline sJoystickDriver FakeJoystickDriver()
{
    sJoystickDriver driver;
    driver.NumJoysticks = [] { return g_FakeJoystick.count; };
    driver.Open = [](int index) -> SDL_Joystick* {
        if (index != 0 || index >= g_FakeJoystick.count)
            return nullptr;
        ++g_FakeJoystick.opened;
        return reinterpret_cast<SDL_Joystick*>(&g_FakeJoystick);
    };
    driver.Close = [](SDL_Joystick*) { ++g_FakeJoystick.closed; };
    driver.NumAxes = [](SDL_Joystick*) { return g_FakeJoystick.numAxes; };
    driver.GetAxis = [](SDL_Joystick*, int axis) -> Sint16 {
        g_FakeJoystick.highestAxisRead = std::max(g_FakeJoystick.highestAxisRead, axis);
        return axis >= 0 && axis < 8 ? g_FakeJoystick.axes[axis] : 0;
    };
    driver.GetHat = [](SDL_Joystick*, int hat) -> Uint8 { return hat == 0 ? g_FakeJoystick.hat : 0; };
    return driver;
}

// One frame's input step with the console closed: snapshot, event pump, joystick poll.
inline void JoystickFrame()
{
    g_Input.m_TypedInputEnabled = false;
    g_Input.Update();
}

// One frame's input step with the console open, the keys changed by `press` arriving while the
// events are pumped. SDL writes its key-state array only for real window-system key events, so
// the test makes Update's own snapshot and pump, then writes the array and runs the typed-text
// step that Update would run next.
template <typename Press>
void TypingFrame(Press press)
{
    g_Input.m_TypedInputEnabled = false;   // the snapshot and pump, without a step of their own
    g_Input.Update();
    press();
    g_Input.UpdateTypedInput();
}
inline void TypingFrame() { TypingFrame([] {}); }
