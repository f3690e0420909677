#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/cCamera.h"
#include "menu/cMenuManager.h"

// One entry of the display-mode list that the video options offer.
struct sDisplayMode
{
    int32_t width;
    int32_t height;
    uint8_t bpp;   // always 32 in the list
};

void DisplayModeToString(std::string& out, const sDisplayMode& mode);   // "1024 x 768"; no depth

// The window, its video modes and the fixed-function OpenGL state; opens and closes every frame.
class GraphicsManager
{
public:
    GraphicsManager();

    void Init();               // builds the menus
    void EnumDisplayModes();   // appends the accepted full-screen modes; call once

    // A successful change installs the menu OpenGL state and the projection for the new size; it may
    // re-create the GL context, and with it every texture. A failed one writes the SDL error to
    // stderr, returns to the mode in use before and returns false; when there is none to return
    // to, or it cannot be reopened either, the process ends with status 1.
    bool SetupFullscreenMode(int width, int height);
    bool SetupWindowedMode(int width, int height);
    bool ChangeResolution(int width, int height);   // keeps full screen or windowed
    bool ToggleFullscreen();                        // keeps the size

    void ReSizeGLWindow(int width, int height);   // viewport and projection only; height 0 counts as 1
    void InitMenuOpenGLVariables();
    void InitGameOpenGLVariables();
    void InitOpenGLVariables();   // the game state

    void RenderScene();       // frame begin: clear, camera, and the menus while they own the frame
    void RenderScene_End();   // frame end: buffer swap
    void SetLight0(float x, float y, float z);   // positional, in eye coordinates
    // Enables light 0 to 7 and sets "AMBIENT", "DIFFUSE", "SPECULAR" or "POSITION" (the name
    // exactly) to values; false, changing nothing, for any other name.
    bool SetLightParameter(int light, const char* name, const float values[4]);

    // The one 2D mode of pixels for everything flat: both matrices saved, the viewport on the
    // whole window, the origin at the top-left corner with y growing downwards (at the bottom-left
    // with y up for ORIGIN_BOTTOM_LEFT). Depth runs from z = -nearZ (depth 0) to z = -1; with the
    // default nearZ of 0 a vertex at z = 0 lies on the near plane, in front of the whole scene.
    enum e2DOrigin { ORIGIN_TOP_LEFT, ORIGIN_BOTTOM_LEFT };
    void Push2D(e2DOrigin origin = ORIGIN_TOP_LEFT, float nearZ = 0.0f);
    void Pop2D();   // restores both matrices and leaves the model-view one selected
    // Flat triangles at z = 0.5 in one colour, untextured and unlit; leaves lighting and texturing
    // on and the current colour opaque white.
    void DrawFlatTriangles(const float (*corners)[2], int count, const float colour[4]);
    // Window coordinates of a point under the current matrices, y counted up from the bottom edge.
    void ProjectToWindow(float x, float y, float z, double& windowX, double& windowY) const;

    int GetWindowWidth() const { return m_WindowWidth; }
    int GetWindowHeight() const { return m_WindowHeight; }
    unsigned int GetNumDisplayModes() const { return unsigned(m_DisplayModes.size()); }
    // Indices at or past the count (an empty list included) give the mode of the window in use.
    const sDisplayMode& GetDisplayMode(unsigned int index) const;
    const sDisplayMode& GetCurrentDisplayMode() const { return GetDisplayMode(m_CurrentDisplayMode); }
    uint16_t GetCurrentDisplayModeIndex() const { return m_CurrentDisplayMode; }
    // Changes with every attempt to set a video mode; GL objects made under another value may be gone.
    uint32_t GetVideoModeSerial() const { return m_VideoModeSerial; }

    cCamera m_Camera;
    cMenuManager m_MenuManager;

private:
    bool SetupMode(int width, int height, bool fullscreen);
    bool OpenVideoMode(int width, int height, bool fullscreen, int& bpp);
    void ReturnToPreviousMode();   // ends the process when it cannot
    void InstallModeState(int width, int height);   // menu state and projection, light in eye space
    void SetBaseStateUpToFog();
    void SetBaseStateColourToLineWidth();
    void SetLight0State(const float ambient[4], const float position[4]);

    bool m_Fullscreen = false;
    int32_t m_WindowWidth = 0;
    int32_t m_WindowHeight = 0;
    float m_Light0Position[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    std::vector<sDisplayMode> m_DisplayModes;
    uint16_t m_CurrentDisplayMode = 0;
    uint32_t m_VideoModeSerial = 0;
    bool m_ModeSet = false;                // a mode change has succeeded: there is one to return to
    sDisplayMode m_WindowMode{0, 0, 32};   // answers GetDisplayMode when the list has no such entry
};

extern GraphicsManager g_Graphics;
