#include "text/cOffscreenLayer.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL/SDL.h>
#include <cstdlib>
#include <vector>

#include "graphics/GraphicsManager.h"

namespace {

// Framebuffer objects lie beyond OpenGL 1.1 and come from the driver by name. Its entry points
// do not change while the program runs, so they are looked up once, on first use.
struct sFramebufferCalls
{
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLISFRAMEBUFFERPROC isFramebuffer = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
    bool looked = false;
    bool available = false;
};
sFramebufferCalls gl;

template <typename Fn>
bool Load(Fn& fn, const char* name)
{
    fn = reinterpret_cast<Fn>(SDL_GL_GetProcAddress(name));
    return fn != nullptr;
}

bool LoadFramebufferCalls()
{
    if (gl.looked)
        return gl.available;
    // GLX hands out an address for any name, so the version decides whether the calls exist.
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!version)
        return false;
    gl.looked = true;
    gl.available = std::atoi(version) >= 3 && Load(gl.genFramebuffers, "glGenFramebuffers")
                   && Load(gl.deleteFramebuffers, "glDeleteFramebuffers") && Load(gl.isFramebuffer, "glIsFramebuffer")
                   && Load(gl.bindFramebuffer, "glBindFramebuffer")
                   && Load(gl.framebufferTexture2D, "glFramebufferTexture2D")
                   && Load(gl.framebufferRenderbuffer, "glFramebufferRenderbuffer")
                   && Load(gl.checkFramebufferStatus, "glCheckFramebufferStatus")
                   && Load(gl.genRenderbuffers, "glGenRenderbuffers")
                   && Load(gl.deleteRenderbuffers, "glDeleteRenderbuffers")
                   && Load(gl.bindRenderbuffer, "glBindRenderbuffer")
                   && Load(gl.renderbufferStorage, "glRenderbufferStorage")
                   && Load(gl.blitFramebuffer, "glBlitFramebuffer");
    return gl.available;
}

GLint Integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

} // namespace

cOffscreenLayer::~cOffscreenLayer()
{
    // Global owners die after SDL has quit and taken every context with it.
    if (m_Framebuffer && gl.available && SDL_GetVideoSurface() && g_Graphics.GetVideoModeSerial() == m_ModeSerial
        && gl.isFramebuffer(m_Framebuffer))
        Release();
}

bool cOffscreenLayer::ReadGLState(sGLState& state)
{
    // A picture is put down once, opaque: the alpha test could only refuse it whole, fog would be applied twice, other blending would
    // mix with the clear colour of the picture instead of the scene, and scissors, stencils
    // and logic operations would cut or change it differently.
    if (glIsEnabled(GL_FOG) || glIsEnabled(GL_SCISSOR_TEST) || glIsEnabled(GL_STENCIL_TEST)
        || glIsEnabled(GL_COLOR_LOGIC_OP) || glIsEnabled(GL_POLYGON_STIPPLE) || glIsEnabled(GL_POLYGON_SMOOTH))
        return false;
    if (glIsEnabled(GL_BLEND)
        && !(Integer(GL_BLEND_SRC) == GL_SRC_ALPHA && Integer(GL_BLEND_DST) == GL_ONE_MINUS_SRC_ALPHA)
        && !(Integer(GL_BLEND_SRC) == GL_ONE && Integer(GL_BLEND_DST) == GL_ZERO))
        return false;
    GLint alphaFunc = GL_ALWAYS;
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunc);
    if (glIsEnabled(GL_ALPHA_TEST) && alphaFunc != GL_ALWAYS)
        return false;
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    if (polygonMode[0] != GL_FILL || polygonMode[1] != GL_FILL)
        return false;
    state.cullFace = glIsEnabled(GL_CULL_FACE);
    state.cullMode = Integer(GL_CULL_FACE_MODE);
    state.frontFace = Integer(GL_FRONT_FACE);
    state.shadeModel = Integer(GL_SHADE_MODEL);
    // The picture's quad has the band's winding; it must survive culling as the band does.
    bool quadFaces = state.frontFace == GL_CCW ? state.cullMode == GL_BACK : state.cullMode == GL_FRONT;
    return !state.cullFace || quadFaces;
}

bool cOffscreenLayer::MatchesWindow() const
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    return screen && screen->w == m_Width && screen->h == m_Height && g_Graphics.GetVideoModeSerial() == m_ModeSerial;
}

bool cOffscreenLayer::EnsureTarget(int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    uint32_t serial = g_Graphics.GetVideoModeSerial();
    if (serial != m_ModeSerial) {
        // A new video mode may have brought a new context, in which these names are free or
        // someone else's. Only this class makes framebuffers: if ours still exists, the context
        // was kept and the objects are still ours to give back.
        if (m_Framebuffer && gl.isFramebuffer(m_Framebuffer))
            Release();
        m_Framebuffer = m_Texture = m_DepthBuffer = 0;
        m_ModeSerial = serial;
    }
    if (m_Framebuffer && width == m_Width && height == m_Height)
        return true;
    if (!m_Framebuffer) {
        gl.genFramebuffers(1, &m_Framebuffer);
        glGenTextures(1, &m_Texture);
        gl.genRenderbuffers(1, &m_DepthBuffer);
    }
    GLint boundTexture = Integer(GL_TEXTURE_BINDING_2D);
    glBindTexture(GL_TEXTURE_2D, m_Texture);
    // One texel per pixel, never blended with a neighbour.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    // The picture is put down opaque, so its alpha (which the colour mask may keep from being
    // written) is never read; the window's own pixel layout keeps the copy cheap.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, GLuint(boundTexture));

    GLint boundRenderbuffer = Integer(GL_RENDERBUFFER_BINDING);
    gl.bindRenderbuffer(GL_RENDERBUFFER, m_DepthBuffer);
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    gl.bindRenderbuffer(GL_RENDERBUFFER, GLuint(boundRenderbuffer));

    GLint boundFramebuffer = Integer(GL_FRAMEBUFFER_BINDING);
    gl.bindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
    gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_Texture, 0);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_DepthBuffer);
    bool complete = gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl.bindFramebuffer(GL_FRAMEBUFFER, GLuint(boundFramebuffer));
    m_Width = width;
    m_Height = height;
    m_CopyChecked = m_CanCopy = false;
    if (!complete)
        Release();
    return complete;
}

bool cOffscreenLayer::Record(const std::function<void()>& draw)
{
    m_Recorded = false;
    SDL_Surface* screen = SDL_GetVideoSurface();
    sGLState state;
    if (!screen || !ReadGLState(state) || !LoadFramebufferCalls() || !EnsureTarget(screen->w, screen->h))
        return false;

    GLint boundFramebuffer = Integer(GL_FRAMEBUFFER_BINDING);
    GLfloat clearColour[4], clearDepth = 1;
    GLboolean depthMask = GL_TRUE;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &clearDepth);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    gl.bindFramebuffer(GL_FRAMEBUFFER, m_Framebuffer);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthMask(depthMask);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glClearDepth(clearDepth);
    draw();
    gl.bindFramebuffer(GL_FRAMEBUFFER, GLuint(boundFramebuffer));
    m_RecordedState = state;
    m_Recorded = true;
    return true;
}

bool cOffscreenLayer::Draw(int rows)
{
    sGLState state;
    if (!m_Recorded || !MatchesWindow() || !ReadGLState(state) || !(state == m_RecordedState))
        return false;
    rows = rows < m_Height ? rows : m_Height;
    bool depthTest = glIsEnabled(GL_DEPTH_TEST);
    std::vector<bool> covered;
    if (!CopyableRows(rows, depthTest, covered)) {
        DrawRows(0, rows);
        return true;
    }
    // Rows where earlier drawing holds the nearest depth are drawn as a quad, which loses the depth
    // test there as direct drawing does; every other row is copied. A copy leaves the window's
    // depth as it was: the picture is the last thing drawn in a frame, so nothing reads it.
    for (int top = 0; top < rows;) {
        int bottom = top + 1;
        while (bottom < rows && covered[size_t(bottom)] == covered[size_t(top)])
            ++bottom;
        if (covered[size_t(top)] || !CopyRows(top, bottom)) {
            DrawRows(top, bottom);
        }
        top = bottom;
    }
    return true;
}

bool cOffscreenLayer::CopyableRows(int rows, bool depthTest, std::vector<bool>& covered) const
{
    // A copy skips the fragment stages: only where they would pass the picture through unchanged
    // may it stand in for the quad.
    if (!gl.blitFramebuffer || (m_CopyChecked && !m_CanCopy))
        return false;
    GLboolean colourMask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    if (!colourMask[0] || !colourMask[1] || !colourMask[2] || (!colourMask[3] && Integer(GL_ALPHA_BITS) > 0))
        return false;
    GLfloat depthRange[2];
    glGetFloatv(GL_DEPTH_RANGE, depthRange);
    if (glIsEnabled(GL_POLYGON_OFFSET_FILL) || depthRange[0] != 0 || depthRange[1] != 1)
        return false;
    covered.assign(size_t(rows), false);
    if (!depthTest)
        return true;
    GLint depthFunc = Integer(GL_DEPTH_FUNC);
    if (depthFunc == GL_LEQUAL || depthFunc == GL_ALWAYS)
        return true;
    if (depthFunc != GL_LESS)
        return false;
    // The 2D mode draws at depth 0: under GL_LESS it loses wherever earlier drawing left depth 0.
    // Read in the buffer's own width, which the driver copies without converting.
    bool shortDepth = Integer(GL_DEPTH_BITS) <= 16;
    size_t count = size_t(m_Width) * size_t(rows);
    std::vector<GLushort> shortDepths(shortDepth ? count : 0);
    std::vector<GLuint> depths(shortDepth ? 0 : count);
    GLint packAlignment = Integer(GL_PACK_ALIGNMENT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, m_Height - rows, m_Width, rows, GL_DEPTH_COMPONENT, shortDepth ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                 shortDepth ? static_cast<void*>(shortDepths.data()) : static_cast<void*>(depths.data()));
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    for (int row = 0; row < rows; ++row) {
        // Window rows count upwards from the bottom edge; picture rows downwards from the top.
        size_t start = size_t(rows - 1 - row) * size_t(m_Width);
        for (size_t i = start; i < start + size_t(m_Width) && !covered[size_t(row)]; ++i)
            covered[size_t(row)] = shortDepth ? shortDepths[i] == 0 : depths[i] == 0;
    }
    return true;
}

bool cOffscreenLayer::CopyRows(int top, int bottom)
{
    GLint readFramebuffer = Integer(GL_READ_FRAMEBUFFER_BINDING);
    if (!m_CopyChecked) {
        while (glGetError() != GL_NO_ERROR)
            continue;   // only the copy's own error may decide
    }
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, m_Framebuffer);
    int y0 = m_Height - bottom, y1 = m_Height - top;
    gl.blitFramebuffer(0, y0, m_Width, y1, 0, y0, m_Width, y1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(readFramebuffer));
    if (!m_CopyChecked) {
        // A window whose colour format the picture cannot be copied into refuses once and for all.
        m_CopyChecked = true;
        m_CanCopy = glGetError() == GL_NO_ERROR;
    }
    return m_CanCopy;
}

void cOffscreenLayer::DrawRows(int top, int bottom)
{
    float w = float(m_Width);
    // Texture rows run upwards from the window's bottom edge.
    float tTop = 1 - float(top) / float(m_Height), tBottom = 1 - float(bottom) / float(m_Height);
    GLint boundTexture = Integer(GL_TEXTURE_BINDING_2D);
    // Every fragment the picture gives is opaque and alpha-tested ALWAYS: blending with alpha 1
    // and the alpha test change nothing, so they are left out of the work.
    GLboolean blend = glIsEnabled(GL_BLEND), alphaTest = glIsEnabled(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_LIGHTING);
    g_Graphics.Push2D();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_Texture);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_TRIANGLES);
    glTexCoord2f(0, tTop), glVertex2f(0, float(top));
    glTexCoord2f(0, tBottom), glVertex2f(0, float(bottom));
    glTexCoord2f(1, tBottom), glVertex2f(w, float(bottom));
    glTexCoord2f(1, tBottom), glVertex2f(w, float(bottom));
    glTexCoord2f(1, tTop), glVertex2f(w, float(top));
    glTexCoord2f(0, tTop), glVertex2f(0, float(top));
    glEnd();
    glBindTexture(GL_TEXTURE_2D, GLuint(boundTexture));
    g_Graphics.Pop2D();
    if (blend)
        glEnable(GL_BLEND);
    if (alphaTest)
        glEnable(GL_ALPHA_TEST);
}

void cOffscreenLayer::Forget()
{
    m_Recorded = false;
}

void cOffscreenLayer::Release()
{
    if (m_Framebuffer && gl.available) {
        gl.deleteFramebuffers(1, &m_Framebuffer);
        gl.deleteRenderbuffers(1, &m_DepthBuffer);
        glDeleteTextures(1, &m_Texture);
    }
    m_Framebuffer = m_Texture = m_DepthBuffer = 0;
    m_Width = m_Height = 0;
    m_Recorded = false;
}
