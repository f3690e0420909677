#include "graphics/GraphicsManager.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/GameState.h"

GraphicsManager g_Graphics;

namespace {

constexpr Uint32 FULLSCREEN_FLAGS = SDL_FULLSCREEN | SDL_ANYFORMAT | SDL_OPENGL;
constexpr Uint32 WINDOWED_FLAGS = SDL_ANYFORMAT | SDL_OPENGL;

struct sCandidateSize
{
    int width, height;
};
constexpr sCandidateSize CANDIDATE_SIZES[] = {{800, 600}, {1024, 768}, {1152, 864}};

constexpr float MENU_LIGHT_AMBIENT[4] = {0.8f, 0.8f, 0.8f, 1.0f};
constexpr float MENU_LIGHT_POSITION[4] = {0.0f, 0.0f, 1.0f, 0.0f};
constexpr float GAME_LIGHT_AMBIENT[4] = {0.4f, 0.4f, 0.4f, 1.0f};
constexpr float GAME_LIGHT_POSITION[4] = {-5.0f, 7.0f, 10.0f, 0.0f};
constexpr float LIGHT_DIFFUSE[4] = {1.0f, 1.0f, 1.0f, 1.0f};

struct sLightParameter
{
    const char* name;
    GLenum parameter;
};
constexpr sLightParameter LIGHT_PARAMETERS[] = {
    {"AMBIENT", GL_AMBIENT}, {"DIFFUSE", GL_DIFFUSE}, {"SPECULAR", GL_SPECULAR}, {"POSITION", GL_POSITION}};

} // namespace

void DisplayModeToString(std::string& out, const sDisplayMode& mode)
{
    char text[32];
    std::snprintf(text, sizeof text, "%i x %i", mode.width, mode.height);
    out = text;
}

GraphicsManager::GraphicsManager()
    : m_Camera(cVector3(0.0f, 0.0f, -10.0f), cVector3(0.0f, 0.0f, 1.0f), cVector3(0.0f, 1.0f, 0.0f))
{
}

void GraphicsManager::Init()
{
    m_MenuManager.Init();
}

void GraphicsManager::EnumDisplayModes()
{
    for (const sCandidateSize& size : CANDIDATE_SIZES) {
        if (SDL_VideoModeOK(size.width, size.height, 32, FULLSCREEN_FLAGS) != 0)
            m_DisplayModes.push_back({size.width, size.height, 32});
    }
}

bool GraphicsManager::SetupFullscreenMode(int width, int height)
{
    return SetupMode(width, height, true);
}

bool GraphicsManager::SetupWindowedMode(int width, int height)
{
    return SetupMode(width, height, false);
}

bool GraphicsManager::ChangeResolution(int width, int height)
{
    return m_Fullscreen ? SetupFullscreenMode(width, height) : SetupWindowedMode(width, height);
}

bool GraphicsManager::ToggleFullscreen()
{
    return m_Fullscreen ? SetupWindowedMode(m_WindowWidth, m_WindowHeight)
                        : SetupFullscreenMode(m_WindowWidth, m_WindowHeight);
}

bool GraphicsManager::SetupMode(int width, int height, bool fullscreen)
{
    uint16_t previousIndex = m_CurrentDisplayMode;
    for (size_t index = 0; index < m_DisplayModes.size(); ++index) {
        if (m_DisplayModes[index].width == width && m_DisplayModes[index].height == height)
            m_CurrentDisplayMode = uint16_t(index);
    }

    int bpp = 0;
    if (!OpenVideoMode(width, height, fullscreen, bpp)) {
        std::fprintf(stderr, "Couldn't set %dx%dx%d video mode: %s\n", width, height, bpp, SDL_GetError());
        m_CurrentDisplayMode = previousIndex;
        ReturnToPreviousMode();
        return false;
    }

    InstallModeState(width, height);
    m_WindowWidth = width;
    m_WindowHeight = height;
    m_Fullscreen = fullscreen;
    m_ModeSet = true;
    m_WindowMode = {width, height, 32};
    return true;
}

bool GraphicsManager::OpenVideoMode(int width, int height, bool fullscreen, int& bpp)
{
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    bpp = 0;
    if (fullscreen) {
        // The desktop's depth before the first mode is set, the current mode's afterwards.
        const SDL_VideoInfo* info = SDL_GetVideoInfo();
        if (info && info->vfmt)
            bpp = info->vfmt->BitsPerPixel;
    }
    ++m_VideoModeSerial;
    return SDL_SetVideoMode(width, height, bpp, fullscreen ? FULLSCREEN_FLAGS : WINDOWED_FLAGS) != nullptr;
}

void GraphicsManager::ReturnToPreviousMode()
{
    // Drawing on without a window helps nobody: either the mode in use before comes back, with the
    // state a mode change installs, or the engine stops here and says why.
    if (!m_ModeSet) {
        std::fprintf(stderr, "GraphicsManager: *fatal* no video mode could be set; exiting\n");
        std::exit(1);
    }
    int bpp = 0;
    if (!OpenVideoMode(m_WindowWidth, m_WindowHeight, m_Fullscreen, bpp)) {
        std::fprintf(stderr, "GraphicsManager: *fatal* could not return to the %dx%dx%d %s video mode: %s; exiting\n",
                     m_WindowWidth, m_WindowHeight, bpp, m_Fullscreen ? "full-screen" : "windowed",
                     SDL_GetError());
        std::exit(1);
    }
    InstallModeState(m_WindowWidth, m_WindowHeight);
    std::printf("GraphicsManager: *warning* kept the %dx%d %s video mode\n", m_WindowWidth, m_WindowHeight,
                m_Fullscreen ? "full-screen" : "windowed");
}

void GraphicsManager::InstallModeState(int width, int height)
{
    // The light position goes through the model-view matrix. A new context starts with the identity
    // there, but a kept one (the usual case with SDL 2 underneath) still holds the last frame's
    // camera, which would turn the menu light away from the viewer after every mode change.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    InitMenuOpenGLVariables();
    ReSizeGLWindow(width, height);
}

void GraphicsManager::ReSizeGLWindow(int width, int height)
{
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(width) / double(height), double(0.1f), 500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GraphicsManager::SetBaseStateUpToFog()
{
    glAlphaFunc(GL_ALWAYS, 0.0f);
    glEnable(GL_ALPHA_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    glDepthRange(0.0, 1.0);
    glEnable(GL_DEPTH_TEST);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glDisable(GL_FOG);
}

void GraphicsManager::SetBaseStateColourToLineWidth()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearIndex(0.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    glPointSize(1.0f);
    glRenderMode(GL_RENDER);
    glShadeModel(GL_SMOOTH);
    glLineWidth(3.0f);
}

void GraphicsManager::SetLight0State(const float ambient[4], const float position[4])
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    for (int i = 0; i < 4; ++i)
        m_Light0Position[i] = position[i];
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, LIGHT_DIFFUSE);
    glLightfv(GL_LIGHT0, GL_SPECULAR, ambient);
    glLightfv(GL_LIGHT0, GL_POSITION, m_Light0Position);
}

void GraphicsManager::InitMenuOpenGLVariables()
{
    SetBaseStateUpToFog();
    SetLight0State(MENU_LIGHT_AMBIENT, MENU_LIGHT_POSITION);
    SetBaseStateColourToLineWidth();
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void GraphicsManager::InitGameOpenGLVariables()
{
    SetBaseStateUpToFog();
    SetBaseStateColourToLineWidth();
    SetLight0State(GAME_LIGHT_AMBIENT, GAME_LIGHT_POSITION);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void GraphicsManager::InitOpenGLVariables()
{
    InitGameOpenGLVariables();
}

void GraphicsManager::RenderScene()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const cVector3& eye = m_Camera.GetPosition();
    const cVector3& centre = m_Camera.GetLookAt();
    const cVector3& up = m_Camera.GetUpVector();
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
    if (g_State.m_InMenu)
        m_MenuManager.Update();
}

void GraphicsManager::RenderScene_End()
{
    SDL_GL_SwapBuffers();
}

void GraphicsManager::SetLight0(float x, float y, float z)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    m_Light0Position[0] = x;
    m_Light0Position[1] = y;
    m_Light0Position[2] = z;
    m_Light0Position[3] = 1.0f;
    glLightfv(GL_LIGHT0, GL_POSITION, m_Light0Position);
    glPopMatrix();
}

bool GraphicsManager::SetLightParameter(int light, const char* name, const float values[4])
{
    for (const sLightParameter& entry : LIGHT_PARAMETERS) {
        if (std::strcmp(name, entry.name) == 0) {
            GLenum lightId = GLenum(GL_LIGHT0 + light);
            glEnable(lightId);
            glLightfv(lightId, entry.parameter, values);
            return true;
        }
    }
    return false;
}

void GraphicsManager::Push2D(e2DOrigin origin, float nearZ)
{
    const SDL_Surface* screen = SDL_GetVideoSurface();
    int width = screen ? screen->w : m_WindowWidth;
    int height = screen ? screen->h : m_WindowHeight;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, width, height);
    if (origin == ORIGIN_BOTTOM_LEFT)
        glOrtho(0, width, 0, height, nearZ, 1);
    else
        glOrtho(0, width, height, 0, nearZ, 1);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void GraphicsManager::Pop2D()
{
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    // Back to the model-view matrix that everything else in the frame draws with: models push and
    // transform "the current matrix", which must not be the projection.
    glMatrixMode(GL_MODELVIEW);
}

void GraphicsManager::DrawFlatTriangles(const float (*corners)[2], int count, const float colour[4])
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glBegin(GL_TRIANGLES);
    glColor4f(colour[0], colour[1], colour[2], colour[3]);
    for (int i = 0; i < count; ++i)
        glVertex3f(corners[i][0], corners[i][1], 0.5f);
    glColor4f(1, 1, 1, 1);
    glEnd();
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
}

void GraphicsManager::ProjectToWindow(float x, float y, float z, double& windowX, double& windowY) const
{
    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble windowZ = 0;
    windowX = windowY = 0;
    gluProject(x, y, z, modelView, projection, viewport, &windowX, &windowY, &windowZ);
}

const sDisplayMode& GraphicsManager::GetDisplayMode(unsigned int index) const
{
    if (index < m_DisplayModes.size())
        return m_DisplayModes[index];
    // Callers keep to the count; this only spares them an out-of-bounds read when the display
    // accepted none of the candidate modes.
    return m_WindowMode;
}
