#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <cstdio>
#include <cstdlib>

#include "core/ScriptCore.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"

namespace {

void cleanup()
{
    g_ScriptCore.Quit(true);
    g_Input.Cleanup();
    SDL_Quit();
}

void SetWindowIcon()
{
    // A missing icon is no error: the window keeps the platform's default one.
    SDL_Surface* icon = IMG_Load("Images/BrackwaterIcon.png");
    if (!icon)
        return;
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
}

bool QuitChordPressed()
{
    if ((g_Input.IsKeyDown(SDLK_LALT) || g_Input.IsKeyDown(SDLK_RALT)) && g_Input.IsKeyTriggered(SDLK_F4))
        return true;
    return g_Input.IsKeyDown(SDLK_LMETA) && g_Input.IsKeyTriggered(SDLK_q);
}

bool DrainEvents()   // true when the window was asked to close
{
    bool quit = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
            g_Input.HandleJoyStickEvent(event);
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

} // namespace

int main(int, char**)
{
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0) {
        std::fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        return 0;
    }
    std::atexit(cleanup);

    SDL_WM_SetCaption("Brackwater", nullptr);
    SetWindowIcon();
    g_Graphics.EnumDisplayModes();
    g_Graphics.SetupFullscreenMode(800, 600);
    SDL_ShowCursor(SDL_DISABLE);
    g_ScriptCore.Init(true);
    g_Input.Init();

    bool done = false;
    while (!done) {
        g_ScriptCore.Update();
        if (QuitChordPressed())
            done = true;
        g_Graphics.m_MenuManager.InitVolumeFromConfig();
        if (DrainEvents())
            done = true;
    }
    return 0;
}
