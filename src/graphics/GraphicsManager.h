#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "menu/cMenuManager.h"

struct sDisplayMode
{
    int32_t width;
    int32_t height;
    uint8_t bpp;
};

void DisplayModeToString(std::string& out, const sDisplayMode& mode);   // "1024 x 768"

// The window, its video modes and the fixed-function OpenGL state; opens and closes every frame.
// FIXME: placeholder; camera, light states and the display-mode rules arrive with the graphics manager.
class GraphicsManager
{
public:
    void Init();
    void EnumDisplayModes();
    bool SetupFullscreenMode(int width, int height);
    bool SetupWindowedMode(int width, int height);
    void RenderScene();
    void RenderScene_End();
    int GetWindowWidth() const { return m_WindowWidth; }
    int GetWindowHeight() const { return m_WindowHeight; }

    cMenuManager m_MenuManager;

private:
    bool SetupMode(int width, int height, bool fullscreen);

    bool m_Fullscreen = false;
    int m_WindowWidth = 0;
    int m_WindowHeight = 0;
    std::vector<sDisplayMode> m_DisplayModes;
};

extern GraphicsManager g_Graphics;
