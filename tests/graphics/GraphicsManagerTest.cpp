#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "core/GameState.h"
#include "graphics/GraphicsManager.h"
#include "support/FrameCapture.h"

namespace {

// Collects what is written to the standard error stream while it lives.
class cStderrCapture
{
public:
    cStderrCapture()
    {
        std::fflush(stderr);
        m_pFile = std::tmpfile();
        m_SavedFd = dup(fileno(stderr));
        dup2(fileno(m_pFile), fileno(stderr));
    }
    ~cStderrCapture()
    {
        Restore();
        std::fclose(m_pFile);
    }
    std::string Text()
    {
        Restore();
        std::string text;
        std::rewind(m_pFile);
        char buffer[256];
        size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, m_pFile)) > 0)
            text.append(buffer, count);
        return text;
    }

private:
    void Restore()
    {
        if (m_SavedFd < 0)
            return;
        std::fflush(stderr);
        dup2(m_SavedFd, fileno(stderr));
        close(m_SavedFd);
        m_SavedFd = -1;
    }

    std::FILE* m_pFile = nullptr;
    int m_SavedFd = -1;
};

// SDL video started; every test opens its own modes on a manager of its own.
class GraphicsManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    void TearDown() override { SDL_Quit(); }

    GraphicsManager m_Graphics;
};

bool SurfaceIsFullscreen()
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    return screen && (screen->flags & SDL_FULLSCREEN) != 0;
}

void ExpectSurface(int width, int height, bool fullscreen)
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->w, width);
    EXPECT_EQ(screen->h, height);
    EXPECT_EQ(SurfaceIsFullscreen(), fullscreen);
}

// A white quad of side 2 around the point (0, 0, z), facing a camera on the -z side, normal -z.
void DrawQuadFacingTheCamera(float z, bool lit)
{
    if (!lit)
        glDisable(GL_LIGHTING);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, -1.0f);
    // Counter-clockwise as the camera sees it: its right is the world's -x.
    glVertex3f(1.0f, -1.0f, z);
    glVertex3f(-1.0f, -1.0f, z);
    glVertex3f(-1.0f, 1.0f, z);
    glVertex3f(1.0f, 1.0f, z);
    glEnd();
    if (!lit)
        glEnable(GL_LIGHTING);
}

// OpenGL's lighting of the default material by light 0 of the given ambient, diffuse 1, under
// the default global ambient of 0.2, for a surface whose normal makes `cosine` with the light.
int ExpectedGrey(float ambient, float cosine)
{
    double intensity = 0.2 * 0.2 + ambient * 0.2 + 0.8 * cosine;
    return int(std::lround(std::min(intensity, 1.0) * 255.0));
}

void ExpectGrey(const sRgb& pixel, int grey)
{
    EXPECT_NEAR(pixel.r, grey, 2);
    EXPECT_NEAR(pixel.g, grey, 2);
    EXPECT_NEAR(pixel.b, grey, 2);
}

} // namespace

TEST(DisplayModeToStringTest, ShowsWidthAndHeightButNotTheDepth)
{
    struct sCase
    {
        sDisplayMode mode;
        const char* text;
    };
    const sCase cases[] = {
        {{1152, 864, 32}, "1152 x 864"},
        {{800, 600, 16}, "800 x 600"},
        {{0, -1, 0}, "0 x -1"},
    };
    for (const sCase& each : cases) {
        std::string out = "previous text";
        DisplayModeToString(out, each.mode);
        EXPECT_EQ(out, each.text);
    }
}

TEST(GraphicsManagerConstructionTest, StartsWithTheDefaultCameraAndNoModes)
{
    GraphicsManager graphics;
    const cCamera& camera = graphics.m_Camera;
    EXPECT_EQ(camera.GetPosition().z, -10.0f);
    EXPECT_EQ(camera.GetPosition().x, 0.0f);
    EXPECT_EQ(camera.GetLookAt().z, 1.0f);
    EXPECT_EQ(camera.GetUpVector().y, 1.0f);
    EXPECT_EQ(camera.GetUpVector().x, 0.0f);
    EXPECT_EQ(graphics.GetNumDisplayModes(), 0u);
    EXPECT_EQ(graphics.GetCurrentDisplayModeIndex(), 0);
    EXPECT_EQ(graphics.GetWindowWidth(), 0);
}

TEST_F(GraphicsManagerTest, EnumDisplayModesAppendsTheAcceptedCandidatesInOrder)
{
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    ASSERT_NE(desktop, nullptr);
    // Under Xvfb every candidate that fits on the screen is accepted.
    const bool bigScreen = desktop->current_w >= 1152 && desktop->current_h >= 864;
    m_Graphics.EnumDisplayModes();
    ASSERT_EQ(m_Graphics.GetNumDisplayModes(), bigScreen ? 3u : 2u);
    const int expected[3][2] = {{800, 600}, {1024, 768}, {1152, 864}};
    for (unsigned int i = 0; i < m_Graphics.GetNumDisplayModes(); ++i) {
        const sDisplayMode& mode = m_Graphics.GetDisplayMode(i);
        EXPECT_EQ(mode.width, expected[i][0]) << i;
        EXPECT_EQ(mode.height, expected[i][1]) << i;
        EXPECT_EQ(mode.bpp, 32) << i;
    }

    m_Graphics.EnumDisplayModes();   // appends again: neither cleared nor de-duplicated
    EXPECT_EQ(m_Graphics.GetNumDisplayModes(), bigScreen ? 6u : 4u);
    EXPECT_EQ(m_Graphics.GetDisplayMode(m_Graphics.GetNumDisplayModes() - 1).width, bigScreen ? 1152 : 1024);
}

TEST_F(GraphicsManagerTest, ModeChangesSelectTheListedModeOfTheSameSize)
{
    m_Graphics.EnumDisplayModes();
    ASSERT_GE(m_Graphics.GetNumDisplayModes(), 2u);

    ASSERT_TRUE(m_Graphics.SetupFullscreenMode(1024, 768));
    ExpectSurface(1024, 768, true);
    EXPECT_EQ(m_Graphics.GetWindowWidth(), 1024);
    EXPECT_EQ(m_Graphics.GetWindowHeight(), 768);
    EXPECT_EQ(m_Graphics.GetCurrentDisplayModeIndex(), 1);
    EXPECT_EQ(m_Graphics.GetCurrentDisplayMode().width, 1024);

    ASSERT_TRUE(m_Graphics.SetupWindowedMode(640, 480));   // not in the list: the index stays
    ExpectSurface(640, 480, false);
    EXPECT_EQ(m_Graphics.GetWindowWidth(), 640);
    EXPECT_EQ(m_Graphics.GetWindowHeight(), 480);
    EXPECT_EQ(m_Graphics.GetCurrentDisplayModeIndex(), 1);

    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    EXPECT_EQ(m_Graphics.GetCurrentDisplayModeIndex(), 0);
}

TEST_F(GraphicsManagerTest, AnEmptyModeListAnswersWithTheWindowInUse)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(640, 480));
    ASSERT_EQ(m_Graphics.GetNumDisplayModes(), 0u);
    const sDisplayMode& mode = m_Graphics.GetCurrentDisplayMode();
    EXPECT_EQ(mode.width, 640);
    EXPECT_EQ(mode.height, 480);
}

TEST_F(GraphicsManagerTest, ToggleFullscreenTwiceReturnsToTheStartingMode)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(1024, 768));
    ASSERT_TRUE(m_Graphics.ToggleFullscreen());
    ExpectSurface(1024, 768, true);
    ASSERT_TRUE(m_Graphics.ToggleFullscreen());
    ExpectSurface(1024, 768, false);
    EXPECT_EQ(m_Graphics.GetWindowWidth(), 1024);
    EXPECT_EQ(m_Graphics.GetWindowHeight(), 768);
}

TEST_F(GraphicsManagerTest, ChangeResolutionKeepsFullScreenOrWindowed)
{
    for (bool fullscreen : {true, false}) {
        ASSERT_TRUE(fullscreen ? m_Graphics.SetupFullscreenMode(800, 600) : m_Graphics.SetupWindowedMode(800, 600));
        ASSERT_TRUE(m_Graphics.ChangeResolution(1024, 768));
        ExpectSurface(1024, 768, fullscreen);
        EXPECT_EQ(m_Graphics.GetWindowWidth(), 1024);
    }
}

TEST_F(GraphicsManagerTest, ReSizeGLWindowTakesHeightZeroAsOne)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    struct sCase
    {
        int width, height;
        double aspect;
        int viewportHeight;
    };
    // 640 / 480 as a float division; integer division would give 1.
    const sCase cases[] = {{800, 0, 800.0, 1}, {640, 480, 640.0 / 480.0, 480}, {800, 600, 800.0 / 600.0, 600}};
    for (const sCase& each : cases) {
        glMatrixMode(GL_TEXTURE);   // ReSizeGLWindow selects the matrices itself
        m_Graphics.ReSizeGLWindow(each.width, each.height);

        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], each.width);
        EXPECT_EQ(viewport[3], each.viewportHeight);

        GLdouble p[16];
        glGetDoublev(GL_PROJECTION_MATRIX, p);
        EXPECT_NEAR(p[5] / p[0], each.aspect, each.aspect * 1e-6);
        EXPECT_NEAR(p[5], 1.0 / std::tan(22.5 * M_PI / 180.0), 1e-6);   // 45 degrees vertically
        double nearPlane = p[14] / (p[10] - 1.0), farPlane = p[14] / (p[10] + 1.0);
        EXPECT_NEAR(nearPlane, 0.1, 1e-6);
        EXPECT_NEAR(farPlane, 500.0, 0.5);

        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        GLdouble m[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, m);
        for (int k = 0; k < 16; ++k)
            EXPECT_EQ(m[k], k % 5 == 0 ? 1.0 : 0.0);
    }
}

TEST_F(GraphicsManagerTest, MenuAndGameStatesDifferOnlyInLightZero)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    struct sState
    {
        const char* name;
        void (GraphicsManager::*install)();
        float ambient;
        float position[4];
    };
    const sState states[] = {
        {"game", &GraphicsManager::InitGameOpenGLVariables, 0.4f, {-5.0f, 7.0f, 10.0f, 0.0f}},
        {"menu", &GraphicsManager::InitMenuOpenGLVariables, 0.8f, {0.0f, 0.0f, 1.0f, 0.0f}},
        {"InitOpenGLVariables", &GraphicsManager::InitOpenGLVariables, 0.4f, {-5.0f, 7.0f, 10.0f, 0.0f}},
    };
    for (const sState& state : states) {
        SCOPED_TRACE(state.name);
        glDisable(GL_DEPTH_TEST);   // every switch of the base state must be set again
        glEnable(GL_FOG);
        glLineWidth(1.0f);
        (m_Graphics.*state.install)();

        for (GLenum on : {GL_ALPHA_TEST, GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_TEXTURE_2D, GL_LIGHTING, GL_LIGHT0})
            EXPECT_TRUE(glIsEnabled(on)) << std::hex << on;
        EXPECT_FALSE(glIsEnabled(GL_FOG));
        const GLenum settings[][2] = {
            {GL_ALPHA_TEST_FUNC, GL_ALWAYS}, {GL_BLEND_SRC, GL_SRC_ALPHA}, {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA},
            {GL_DEPTH_FUNC, GL_LESS},        {GL_CULL_FACE_MODE, GL_BACK},  {GL_FRONT_FACE, GL_CCW},
            {GL_SHADE_MODEL, GL_SMOOTH},     {GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST},
        };
        for (const auto& setting : settings) {
            GLint value = 0;
            glGetIntegerv(setting[0], &value);
            EXPECT_EQ(GLenum(value), setting[1]) << std::hex << setting[0];
        }
        GLboolean mask[4];
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        EXPECT_TRUE(mask[0] && mask[1] && mask[2]);
        EXPECT_FALSE(mask[3]);
        GLfloat width = 0.0f;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, 3.0f);

        GLfloat ambient[4], diffuse[4], specular[4], position[4];
        glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
        glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        glGetLightfv(GL_LIGHT0, GL_SPECULAR, specular);
        glGetLightfv(GL_LIGHT0, GL_POSITION, position);   // eye coordinates: the model-view is identity
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(ambient[i], i < 3 ? state.ambient : 1.0f) << i;
            EXPECT_EQ(specular[i], ambient[i]) << i;
            EXPECT_EQ(diffuse[i], 1.0f) << i;
            EXPECT_EQ(position[i], state.position[i]) << i;
        }
    }
}

TEST_F(GraphicsManagerTest, MenuAndGameLightsShadeTheSameQuadDifferently)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    g_State.m_InMenu = false;

    // A mode change installs the menu light: straight from the viewer, bright ambient.
    m_Graphics.RenderScene();
    DrawQuadFacingTheCamera(0.0f, true);
    sRgb menu = ReadPixel(400, 300);
    ExpectGrey(menu, ExpectedGrey(0.8f, 1.0f));

    // The game light comes from (-5, 7, 10) in the space of the model-view matrix in force, here the
    // identity: the quad's eye-space normal (0, 0, 1) meets it at a slant.
    glLoadIdentity();
    m_Graphics.InitGameOpenGLVariables();
    m_Graphics.RenderScene();
    DrawQuadFacingTheCamera(0.0f, true);
    sRgb game = ReadPixel(400, 300);
    ExpectGrey(game, ExpectedGrey(0.4f, float(10.0 / std::sqrt(174.0))));
    EXPECT_LT(game.r, menu.r - 40);

    // A later mode change puts the menu light back, even in a running game, and again in eye
    // coordinates, though the model-view matrix still holds the camera of the frame before.
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    m_Graphics.RenderScene();
    DrawQuadFacingTheCamera(0.0f, true);
    EXPECT_EQ(ReadPixel(400, 300), menu);
}

TEST_F(GraphicsManagerTest, RenderSceneClearsAndLooksThroughTheCamera)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    g_State.m_InMenu = false;

    DrawQuadFacingTheCamera(0.0f, false);
    m_Graphics.RenderScene();
    EXPECT_EQ(ReadPixel(400, 300), (sRgb{0, 0, 0}));

    // The default camera at (0, 0, -10) looks at (0, 0, 1): the quad around (0, 0, 1) is in the middle,
    // its right-hand side at the world's -x.
    DrawQuadFacingTheCamera(1.0f, false);
    EXPECT_EQ(ReadPixel(400, 300), (sRgb{255, 255, 255}));
    EXPECT_EQ(ReadPixel(440, 300), (sRgb{255, 255, 255}));

    m_Graphics.m_Camera.SetLookAt(-3.0f, 0.0f, 1.0f);   // looks to its right: the quad moves left
    m_Graphics.RenderScene();
    DrawQuadFacingTheCamera(1.0f, false);
    EXPECT_EQ(ReadPixel(400, 300), (sRgb{0, 0, 0}));
    EXPECT_EQ(ReadPixel(150, 300), (sRgb{255, 255, 255}));

    m_Graphics.m_Camera.SetLookAt(0.0f, 0.0f, 1.0f);
    m_Graphics.m_Camera.SetUpVector(0.0f, -1.0f, 0.0f);   // upside down: the world's -x is now on the left
    m_Graphics.RenderScene();
    glBegin(GL_TRIANGLES);   // a triangle that covers only the world's -x side, wound for this view
    glColor3f(1.0f, 1.0f, 1.0f);
    glVertex3f(-1.0f, -1.0f, 1.0f);
    glVertex3f(-1.0f, 1.0f, 1.0f);
    glVertex3f(-0.1f, 0.0f, 1.0f);
    glEnd();
    EXPECT_EQ(ReadPixel(360, 300), (sRgb{255, 255, 255}));
    EXPECT_EQ(ReadPixel(440, 300), (sRgb{0, 0, 0}));
}

TEST_F(GraphicsManagerTest, SetLight0PlacesAPositionalLightInEyeCoordinates)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    m_Graphics.m_Camera.SetPosition(3.0f, 4.0f, 5.0f);
    m_Graphics.RenderScene();   // the model-view matrix now holds the camera
    GLdouble before[16], after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, before);

    glMatrixMode(GL_PROJECTION);
    m_Graphics.SetLight0(1.0f, -2.0f, 3.0f);

    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_EQ(position[0], 1.0f);
    EXPECT_EQ(position[1], -2.0f);
    EXPECT_EQ(position[2], 3.0f);
    EXPECT_EQ(position[3], 1.0f);
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(after[k], before[k]) << k;
}

TEST_F(GraphicsManagerTest, AFailedModeChangeReportsAndKeepsThePreviousMode)
{
    m_Graphics.EnumDisplayModes();
    struct sCase
    {
        bool fullscreen;
        const char* message;   // SDL refuses a negative width
    };
    const sCase cases[] = {
        {false, "Couldn't set -1x600x0 video mode: "},
        {true, "Couldn't set -1x600x32 video mode: "},
    };
    for (const sCase& each : cases) {
        SCOPED_TRACE(each.fullscreen ? "full screen" : "windowed");
        ASSERT_TRUE(m_Graphics.SetupFullscreenMode(1024, 768));
        ASSERT_EQ(m_Graphics.GetCurrentDisplayModeIndex(), 1);
        bool result = true;
        std::string text;
        {
            cStderrCapture capture;
            result = each.fullscreen ? m_Graphics.SetupFullscreenMode(-1, 600) : m_Graphics.SetupWindowedMode(-1, 600);
            text = capture.Text();
        }
        EXPECT_FALSE(result);
        ASSERT_EQ(text.rfind(each.message, 0), 0u) << text;
        EXPECT_EQ(text.find('\n'), text.size() - 1) << text;   // one line: the SDL error text
        EXPECT_GT(text.size(), std::string(each.message).size() + 1) << text;

        // Still drawing in the mode it had.
        ExpectSurface(1024, 768, true);
        EXPECT_EQ(m_Graphics.GetWindowWidth(), 1024);
        EXPECT_EQ(m_Graphics.GetWindowHeight(), 768);
        EXPECT_EQ(m_Graphics.GetCurrentDisplayModeIndex(), 1);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 1024);
        EXPECT_EQ(viewport[3], 768);
        g_State.m_InMenu = false;
        m_Graphics.RenderScene();
        DrawQuadFacingTheCamera(1.0f, false);
        EXPECT_EQ(ReadPixel(512, 384), (sRgb{255, 255, 255}));
    }
}

// The sanitizer build may add its report after these lines: the pattern is anchored at the start only.
TEST_F(GraphicsManagerTest, AFailedFirstModeChangeEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(m_Graphics.SetupWindowedMode(-1, 600), ::testing::ExitedWithCode(1),
                "^Couldn't set -1x600x0 video mode: [^\n]+\n"
                "GraphicsManager: \\*fatal\\* no video mode could be set; exiting\n");
}

TEST_F(GraphicsManagerTest, AModeThatCannotBeReopenedEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto loseOpenGL = [this] {
        if (!m_Graphics.SetupWindowedMode(800, 600))
            std::exit(2);
        // A video driver without OpenGL: neither the new mode nor the old one can be opened.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            std::exit(3);
        m_Graphics.SetupWindowedMode(1024, 768);
    };
    EXPECT_EXIT(loseOpenGL(), ::testing::ExitedWithCode(1),
                "^Couldn't set 1024x768x0 video mode: [^\n]+\n"
                "GraphicsManager: \\*fatal\\* could not return to the 800x600x0 windowed video mode: [^\n]+; exiting\n");
}
