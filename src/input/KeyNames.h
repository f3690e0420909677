#pragma once
#include <cstdint>
#include <string_view>

// One code space for every input query: keyboard keys are SDL 1.2 key symbols (0-419), then the
// joystick's buttons, axis directions and hat directions, then the nine logical buttons that the
// key map resolves to one of the others.
constexpr uint32_t SC_JOYSTICK_BUTTON_FIRST = 420;   // buttons 0-14: 420-434
constexpr uint32_t SC_JOYSTICK_AXIS_FIRST = 435;     // axes 0-5, negative then positive: 435-446
constexpr uint32_t SC_JOYSTICK_HAT_FIRST = 447;      // up, down, left, right: 447-450
constexpr uint32_t SC_JOYSTICK_HAT_LAST = 450;

constexpr uint32_t SC_BUTTON_ACTION = 1000;
constexpr uint32_t SC_BUTTON_CANCEL = 1001;
constexpr uint32_t SC_BUTTON_INVENTORY = 1002;
constexpr uint32_t SC_BUTTON_SWITCH = 1003;
constexpr uint32_t SC_BUTTON_MENU = 1004;
constexpr uint32_t SC_AXIS_UP = 1005;
constexpr uint32_t SC_AXIS_DOWN = 1006;
constexpr uint32_t SC_AXIS_LEFT = 1007;
constexpr uint32_t SC_AXIS_RIGHT = 1008;
constexpr int SC_NUM_LOGICAL_BUTTONS = 9;

constexpr uint32_t SC_INVALID_KEY = 666;   // what KeyIdFromName gives for an unknown name

// The names of that code space: what scripts write, what the configuration stores and what the
// controls screen shows. Scripts look names up many times a frame, so the tables are built when
// the program is compiled and a lookup costs one hash and a comparison.

// The nine logical buttons' names, which are also their configuration keys.
uint32_t LogicalButtonFromName(std::string_view name);   // 1000-1008, or 0
const char* LogicalButtonName(uint32_t button);          // nullptr outside 1000-1008

// The program-facing names: "SDLK_..." keys and "SC_JOYSTICK_..." inputs, compared exactly.
uint32_t KeyIdFromName(std::string_view name);           // the key id, or SC_INVALID_KEY
constexpr int NUM_KEY_NAMES = 163;
std::string_view KeyNameAt(int index);                   // every accepted name for 0 to 162; else empty

// The readable names of the controls screen.
const char* ReadableKeyName(uint32_t id);                // "Undefined Key" for ids without one
