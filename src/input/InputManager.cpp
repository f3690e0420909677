#include "input/InputManager.h"

InputManager g_Input;

void InputManager::Init() {}
void InputManager::Cleanup() {}
void InputManager::Update() { SDL_PumpEvents(); }
bool InputManager::IsKeyDown(uint32_t) { return false; }
bool InputManager::IsKeyTriggered(uint32_t) { return false; }
void InputManager::HandleJoyStickEvent(SDL_Event&) {}
