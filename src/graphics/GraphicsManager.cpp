#include "graphics/GraphicsManager.h"

#include <SDL/SDL.h>
#include <GL/gl.h>
#include <cstdio>

#include "core/GameState.h"

GraphicsManager g_Graphics;

void DisplayModeToString(std::string& out, const sDisplayMode& mode)
{
    char text[32];
    std::snprintf(text, sizeof text, "%i x %i", mode.width, mode.height);
    out = text;
}

void GraphicsManager::Init()
{
    m_MenuManager.Init();
}

void GraphicsManager::EnumDisplayModes() {}

bool GraphicsManager::SetupFullscreenMode(int width, int height)
{
    return SetupMode(width, height, true);
}

bool GraphicsManager::SetupWindowedMode(int width, int height)
{
    return SetupMode(width, height, false);
}

bool GraphicsManager::SetupMode(int width, int height, bool fullscreen)
{
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    Uint32 flags = SDL_ANYFORMAT | SDL_OPENGL | (fullscreen ? SDL_FULLSCREEN : 0);
    if (!SDL_SetVideoMode(width, height, 0, flags))
        return false;
    glViewport(0, 0, width, height);
    m_WindowWidth = width;
    m_WindowHeight = height;
    m_Fullscreen = fullscreen;
    return true;
}

void GraphicsManager::RenderScene()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (g_State.m_InMenu)
        m_MenuManager.Update();
}

void GraphicsManager::RenderScene_End()
{
    SDL_GL_SwapBuffers();
}
