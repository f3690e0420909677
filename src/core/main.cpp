#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <cstdio>
#include <cstdlib>

#include "core/MainLoop.h"
#include "core/RegularFile.h"
#include "core/ScriptCore.h"
#include "graphics/GraphicsManager.h"
#include "graphics/cTextureManager.h"
#include "input/InputManager.h"

namespace {

void cleanup()
{
    g_ScriptCore.Quit(true);
    g_Input.Cleanup();
    // GL names must go back while the context lives; the registry's destructor runs after SDL_Quit.
    TEXTUREMANAGER.Quit();
    SDL_Quit();
}

void SetWindowIcon()
{
    // A missing icon is no error: the window keeps the platform's default one.
    SDL_Surface* icon = LoadImageFile("Images/BrackwaterIcon.png");
    if (!icon)
        return;
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
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

    RunMainLoop();
    return 0;
}
