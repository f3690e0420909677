#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/GameState.h"
#include "graphics/GraphicsManager.h"
#include "support/FrameCapture.h"

namespace {

class GraphicsManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    void TearDown() override { SDL_Quit(); }

    void ExpectMode(int width, int height, bool fullscreen, int displayModeIndex)
    {
        SDL_Surface* screen = SDL_GetVideoSurface();
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->w, width);
        EXPECT_EQ(screen->h, height);
        EXPECT_EQ((screen->flags & SDL_FULLSCREEN) != 0, fullscreen);
        EXPECT_EQ(m_Graphics.GetWindowWidth(), width);
        EXPECT_EQ(m_Graphics.GetWindowHeight(), height);
        EXPECT_EQ(m_Graphics.GetCurrentDisplayModeIndex(), displayModeIndex);
    }

    GraphicsManager m_Graphics;
};

// A white quad of side 2 around (0, 0, z) facing the default camera, counter-clockwise as it sees it.
void DrawQuad(float z, bool lit)
{
    if (!lit)
        glDisable(GL_LIGHTING);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, -1.0f);
    glVertex3f(1.0f, -1.0f, z);
    glVertex3f(-1.0f, -1.0f, z);
    glVertex3f(-1.0f, 1.0f, z);
    glVertex3f(1.0f, 1.0f, z);
    glEnd();
    if (!lit)
        glEnable(GL_LIGHTING);
}

// The default material lit by light 0 (diffuse 1) under the default global ambient of 0.2.
void ExpectGrey(const sRgb& pixel, float ambient, float cosine)
{
    const int grey = int(std::lround(std::min(0.04 + ambient * 0.2 + 0.8 * cosine, 1.0) * 255.0));
    EXPECT_NEAR(pixel.r, grey, 2);
    EXPECT_NEAR(pixel.g, grey, 2);
    EXPECT_NEAR(pixel.b, grey, 2);
}

} // namespace

TEST_F(GraphicsManagerTest, DisplayModesAreListedAndSelectedBySize)
{
    std::string text = "previous text";
    DisplayModeToString(text, sDisplayMode{1152, 864, 32});
    EXPECT_EQ(text, "1152 x 864");
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(640, 480));   // an empty list answers with the window in use
    EXPECT_EQ(m_Graphics.GetCurrentDisplayMode().width, 640);

    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    const unsigned fitting = desktop->current_w >= 1152 && desktop->current_h >= 864 ? 3 : 2;
    m_Graphics.EnumDisplayModes();
    ASSERT_EQ(m_Graphics.GetNumDisplayModes(), fitting);
    const int expected[3][2] = {{800, 600}, {1024, 768}, {1152, 864}};
    for (unsigned i = 0; i < fitting; ++i) {
        EXPECT_EQ(m_Graphics.GetDisplayMode(i).width, expected[i][0]) << i;
        EXPECT_EQ(m_Graphics.GetDisplayMode(i).height, expected[i][1]) << i;
        EXPECT_EQ(m_Graphics.GetDisplayMode(i).bpp, 32) << i;
    }

    ASSERT_TRUE(m_Graphics.SetupFullscreenMode(1024, 768));
    ExpectMode(1024, 768, true, 1);
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(640, 480));   // not in the list: the index stays
    ExpectMode(640, 480, false, 1);
    ASSERT_TRUE(m_Graphics.ChangeResolution(800, 600));   // keeps windowed
    ExpectMode(800, 600, false, 0);
    ASSERT_TRUE(m_Graphics.ToggleFullscreen());
    ExpectMode(800, 600, true, 0);
    ASSERT_TRUE(m_Graphics.ChangeResolution(1024, 768));   // keeps full screen
    ExpectMode(1024, 768, true, 1);
    ASSERT_TRUE(m_Graphics.ToggleFullscreen());
    ExpectMode(1024, 768, false, 1);
}

TEST_F(GraphicsManagerTest, MenuAndGameLightsShadeTheSameQuadDifferently)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));   // a mode change installs the menu light
    g_State.m_InMenu = false;
    m_Graphics.RenderScene();
    DrawQuad(0.0f, true);
    const sRgb menu = ReadPixel(400, 300);
    ExpectGrey(menu, 0.8f, 1.0f);

    glLoadIdentity();   // the game light's (-5, 7, 10) is taken in the model-view of the moment
    glDisable(GL_DEPTH_TEST);   // every switch of the base state is set again
    m_Graphics.InitOpenGLVariables();
    m_Graphics.RenderScene();
    DrawQuad(0.0f, true);
    const sRgb game = ReadPixel(400, 300);
    ExpectGrey(game, 0.4f, float(10.0 / std::sqrt(174.0)));
    EXPECT_LT(game.r, menu.r - 40);

    // A later mode change puts the menu light back in eye coordinates, whatever the model-view holds.
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    m_Graphics.RenderScene();
    DrawQuad(0.0f, true);
    EXPECT_EQ(ReadPixel(400, 300), menu);
}

TEST_F(GraphicsManagerTest, RenderSceneClearsAndLooksThroughTheCamera)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    g_State.m_InMenu = false;
    DrawQuad(0.0f, false);
    m_Graphics.RenderScene();
    EXPECT_EQ(ReadPixel(400, 300), (sRgb{0, 0, 0}));
    // The quad lies around the default look-at (0, 0, 1). Turned to its right (world -x), the camera
    // sees it on the left; upside down, it has world -x on its left and sees it on the right.
    const struct { float lookAtX, upY; int quadX, emptyX; } views[] = {
        {0, 1, 400, 40}, {-3, 1, 150, 400}, {-3, -1, 650, 400}};
    for (const auto& view : views) {
        SCOPED_TRACE(testing::Message() << "look-at x " << view.lookAtX << ", up y " << view.upY);
        m_Graphics.m_Camera.SetLookAt(view.lookAtX, 0.0f, 1.0f);
        m_Graphics.m_Camera.SetUpVector(0.0f, view.upY, 0.0f);
        m_Graphics.RenderScene();
        DrawQuad(1.0f, false);
        EXPECT_EQ(ReadPixel(view.quadX, 300), (sRgb{255, 255, 255}));
        EXPECT_EQ(ReadPixel(view.emptyX, 300), (sRgb{0, 0, 0}));
    }
}

TEST_F(GraphicsManagerTest, AFailedModeChangeReportsAndKeepsThePreviousMode)
{
    m_Graphics.EnumDisplayModes();
    for (bool fullscreen : {false, true}) {
        SCOPED_TRACE(fullscreen ? "full screen" : "windowed");
        ASSERT_TRUE(m_Graphics.SetupFullscreenMode(1024, 768));
        ::testing::internal::CaptureStderr();
        const bool result = fullscreen ? m_Graphics.SetupFullscreenMode(-1, 600) : m_Graphics.SetupWindowedMode(-1, 600);
        const std::string text = ::testing::internal::GetCapturedStderr();
        const std::string message = fullscreen ? "Couldn't set -1x600x32 video mode: " : "Couldn't set -1x600x0 video mode: ";
        EXPECT_FALSE(result);
        EXPECT_EQ(text.rfind(message, 0), 0u) << text;
        EXPECT_EQ(text.find('\n'), text.size() - 1) << text;   // one line ending in SDL's error
        EXPECT_GT(text.size(), message.size() + 1) << text;

        ExpectMode(1024, 768, true, 1);
        g_State.m_InMenu = false;
        m_Graphics.RenderScene();
        DrawQuad(1.0f, false);
        EXPECT_EQ(ReadPixel(512, 384), (sRgb{255, 255, 255}));
    }
}

// The sanitizer build may add its report after these lines: the patterns leave the end open.
TEST_F(GraphicsManagerTest, AModeThatCannotBeSetOrReopenedEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(m_Graphics.SetupWindowedMode(-1, 600), ::testing::ExitedWithCode(1),
                "^Couldn't set -1x600x0 video mode: [^\n]+\n"
                "GraphicsManager: \\*fatal\\* no video mode could be set; exiting\n");
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
                // The platform may say something of its own first.
                "(^|\n)Couldn't set 1024x768x0 video mode: [^\n]+\n"
                "GraphicsManager: \\*fatal\\* could not return to the 800x600x0 windowed video mode: [^\n]+; exiting\n");
}
