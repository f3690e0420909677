#pragma once
#include <cstdint>
#include <string_view>

// The names of the key id space (see InputManager.h): what scripts write, what the configuration
// stores and what the controls screen shows. Lookups by name are binary searches over tables
// sorted when the program is compiled, so they cost a handful of comparisons on every call.

// The nine logical buttons' names, which are also their configuration keys.
uint32_t LogicalButtonFromName(std::string_view name);   // 1000-1008, or 0
const char* LogicalButtonName(uint32_t button);          // nullptr outside 1000-1008

// The program-facing names: "SDLK_..." keys and "SC_JOYSTICK_..." inputs, compared exactly.
uint32_t KeyIdFromName(std::string_view name);           // the key id, or SC_INVALID_KEY
constexpr int k_NumKeyNames = 163;
std::string_view KeyNameAt(int index);                   // every accepted name, 0 to k_NumKeyNames - 1

// The readable names of the controls screen.
const char* ReadableKeyName(uint32_t id);                // "Undefined Key" for ids without one
