#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstdlib>
#include <string>
#include <tuple>

#include "core/GameState.h"
#include "graphics/GraphicsManager.h"
#include "support/FrameCapture.h"

namespace {

class GraphicsManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    void TearDown() override { SDL_Quit(); }

    // The real window and what the manager says of it.
    void ExpectMode(int width, int height, bool fullscreen, int displayModeIndex)
    {
        SDL_Surface* screen = SDL_GetVideoSurface();
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(std::make_tuple(screen->w, screen->h, (screen->flags & SDL_FULLSCREEN) != 0),
                  std::make_tuple(width, height, fullscreen));
        EXPECT_EQ(std::make_tuple(m_Graphics.GetWindowWidth(), m_Graphics.GetWindowHeight(),
                                  m_Graphics.GetCurrentDisplayModeIndex()),
                  std::make_tuple(width, height, displayModeIndex));
    }

    GraphicsManager m_Graphics;
};

// A white quad of side 2 around the origin, counter-clockwise as the default camera sees it. The
// menu light, shining from the viewer, leaves it white.
void DrawQuad()
{
    glColor3f(1.0f, 1.0f, 1.0f);
    glNormal3f(0.0f, 0.0f, -1.0f);
    glRectf(1.0f, -1.0f, -1.0f, 1.0f);
}

} // namespace

TEST_F(GraphicsManagerTest, DisplayModesAreListedAndSelectedBySizeAndAFailedChangeKeepsThePreviousOne)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(640, 480));   // an empty list answers with the window in use
    EXPECT_EQ(m_Graphics.GetCurrentDisplayMode().width, 640);

    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    const unsigned fitting = desktop->current_w >= 1152 && desktop->current_h >= 864 ? 3 : 2;
    m_Graphics.EnumDisplayModes();
    ASSERT_EQ(m_Graphics.GetNumDisplayModes(), fitting);
    const char* expected[3] = {"800 x 600", "1024 x 768", "1152 x 864"};
    std::string text = "previous text";
    for (unsigned i = 0; i < fitting; ++i) {
        DisplayModeToString(text, m_Graphics.GetDisplayMode(i));
        EXPECT_EQ(text, expected[i]);
    }

    ASSERT_TRUE(m_Graphics.SetupFullscreenMode(1024, 768));
    ExpectMode(1024, 768, true, 1);
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(640, 480));   // not in the list: the index stays
    ExpectMode(640, 480, false, 1);

    // A mode SDL refuses: one line on standard error, and the game goes on in the mode it had.
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(m_Graphics.SetupFullscreenMode(-1, 600));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("Couldn't set -1x600x32 video mode: ", 0), 0u) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;   // ending in SDL's error
    ExpectMode(640, 480, false, 1);
    g_State.m_InMenu = false;
    m_Graphics.RenderScene();
    DrawQuad();
    EXPECT_EQ(ReadPixel(320, 240), (sRgb{255, 255, 255}));
}

// A kept context still holds the last frame's camera in the model-view when the mode changes;
// the menu light, taken through it, would shine on the quad from behind.
TEST_F(GraphicsManagerTest, AModeChangeLightsTheMenuFromTheViewerWhateverTheModelViewHolds)
{
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    g_State.m_InMenu = false;
    m_Graphics.RenderScene();
    ASSERT_TRUE(m_Graphics.SetupWindowedMode(800, 600));
    m_Graphics.RenderScene();
    DrawQuad();
    // Global ambient 0.2 and light ambient 0.8 on the default material's 0.2, diffuse 1 on its 0.8:
    // white in all, where a light from behind leaves a fifth of it.
    EXPECT_EQ(ReadPixel(400, 300), (sRgb{255, 255, 255}));
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
