#pragma once
#include <cstdint>
#include <functional>
#include <vector>

// 2D drawing kept as a picture: rendered once off screen, by the same rasteriser, in the same GL
// state and at the window's own size, then put on the screen as one textured quad a frame. Every
// pixel of the picture lands where drawing it directly would have put it, at the 2D mode's depth.
class cOffscreenLayer
{
public:
    cOffscreenLayer() = default;
    ~cOffscreenLayer();   // gives the GL objects back only while their context is still current
    cOffscreenLayer(const cOffscreenLayer&) = delete;
    cOffscreenLayer& operator=(const cOffscreenLayer&) = delete;

    // Renders draw() on cleared colour and depth. False when the GL offers no framebuffer objects
    // or the current GL state would make a picture look different from direct drawing.
    bool Record(const std::function<void()>& draw);
    // Puts rows [0, rows) of the picture, which the drawing must have covered whole, over the same
    // rows of the window: copied where the GL state lets a copy give the quad's colours (leaving the
    // window's depth there as it was), as a quad where it does not. False, drawing nothing, when the picture was not recorded for this
    // window, video mode and GL state.
    bool Draw(int rows);
    void Forget();   // the next Draw fails until the next Record

    // Gives the GL objects back; call while their context is current.
    void Release();

private:
    struct sGLState
    {
        int cullFace = 0, cullMode = 0, frontFace = 0, shadeModel = 0;
        bool operator==(const sGLState&) const = default;
    };
    static bool ReadGLState(sGLState& state);   // false where a picture cannot stand for direct drawing
    bool MatchesWindow() const;
    bool EnsureTarget(int width, int height);
    // False when rows cannot be copied in this GL state; else which rows the quad must draw.
    bool CopyableRows(int rows, bool depthTest, std::vector<bool>& covered) const;
    bool CopyRows(int top, int bottom);   // colour only; false when the window refuses the copy
    void DrawRows(int top, int bottom);   // as a textured quad, through every test

    uint32_t m_Framebuffer = 0, m_Texture = 0, m_DepthBuffer = 0;
    int m_Width = 0, m_Height = 0;
    uint32_t m_ModeSerial = 0;   // the video mode the GL objects were made under
    sGLState m_RecordedState;
    bool m_Recorded = false;
    bool m_CopyChecked = false, m_CanCopy = false;   // whether the window takes a copy of this target
};
