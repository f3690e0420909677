#pragma once
#include <cstdint>
#include <string_view>

// The names of the key id space (see InputManager.h): what scripts write, what the configuration
// stores and what the controls screen shows. Scripts look names up many times a frame, so the
// tables are built when the program is compiled and a lookup costs one hash and a comparison.

// The nine logical buttons' names, which are also their configuration keys.
uint32_t LogicalButtonFromName(std::string_view name);   // 1000-1008, or 0
const char* LogicalButtonName(uint32_t button);          // nullptr outside 1000-1008

// The program-facing names: "SDLK_..." keys and "SC_JOYSTICK_..." inputs, compared exactly.
uint32_t KeyIdFromName(std::string_view name);           // the key id, or SC_INVALID_KEY
constexpr int k_NumKeyNames = 163;
std::string_view KeyNameAt(int index);                   // every accepted name for 0 to 162; else empty

// The readable names of the controls screen.
const char* ReadableKeyName(uint32_t id);                // "Undefined Key" for ids without one
