#pragma once
#include <SDL/SDL.h>
#include <cstdint>
#include <string>

// Keyboard and joystick state for every input query. FIXME: placeholder; sampling, the key map
// and typed text arrive with the input manager.
class InputManager
{
public:
    void Init();
    void Cleanup();
    void Update();
    bool IsKeyDown(uint32_t id);
    bool IsKeyTriggered(uint32_t id);
    void HandleJoyStickEvent(SDL_Event& event);

    std::string m_TypedText;          // read, stored and emptied by the script console
    bool m_TypedInputEnabled = true;  // written by the script console every frame
};

extern InputManager g_Input;
