#include "core/MainLoop.h"

#include <SDL/SDL.h>

#include "core/ScriptCore.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"

bool QuitChordPressed()
{
    // A last key that went down in the previous pass's drain is already in the snapshot, so it
    // never triggers here; its event's modifiers still tell whether the chord came in order.
    if (((g_Input.IsKeyDown(SDLK_LALT) || g_Input.IsKeyDown(SDLK_RALT)) && g_Input.IsKeyTriggered(SDLK_F4)) ||
        g_Input.DrainedPressWith(SDLK_F4, KMOD_ALT))
        return true;
    return (g_Input.IsKeyDown(SDLK_LMETA) && g_Input.IsKeyTriggered(SDLK_q)) ||
           g_Input.DrainedPressWith(SDLK_q, KMOD_LMETA);
}

bool DrainEvents()
{
    bool quit = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
            g_Input.HandleJoyStickEvent(event);
            break;
        case SDL_KEYDOWN:
            g_Input.HandleKeyEvent(event);
            break;
        case SDL_QUIT:
            quit = true;
            break;
        default:
            break;
        }
    }
    return quit;
}

void RunMainLoop()
{
    // The flag is tested only at the top of a pass: a pass that sets it still runs to its end.
    bool done = false;
    while (!done) {
        g_ScriptCore.Update();
        if (QuitChordPressed())
            done = true;
        g_Graphics.m_MenuManager.InitVolumeFromConfig();
        if (DrainEvents())
            done = true;
    }
}
