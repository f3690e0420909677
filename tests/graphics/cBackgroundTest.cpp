#include <GL/gl.h>
#include <SDL/SDL.h>

#include "TextureTestSupport.h"
#include "core/GameState.h"
#include "graphics/GraphicsManager.h"
#include "graphics/cBackground.h"
#include "graphics/cTextureManager.h"
#include "support/FrameCapture.h"

using namespace texturetest;

namespace {

void ClearTo(float r, float g, float b)
{
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

using BackgroundTest = WindowTest;

TEST_F(BackgroundTest, At800x600EveryImagePixelIsOneScreenPixelUprightAndLargerItIsStretched)
{
    const sRgbaImage noise = NoiseImage(800, 600, 21);
    // 100 x 100 blocks of distinct colours: inside a block, filtering cannot change a colour.
    sRgbaImage blocks = noise;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            for (int c = 0; c < 3; ++c)
                blocks.rgba[(size_t(y) * 800 + x) * 4 + c] = uint8_t(20 + ((y / 100) * 16 + x / 100) * (37 + 27 * c) % 200);
    ASSERT_TRUE(WritePngRgba(noise, "noise.png"));
    ASSERT_TRUE(WritePngRgba(blocks, "blocks.png"));
    cBackground exact, stretched;
    ASSERT_TRUE(exact.LoadImageA("noise.png"));
    ASSERT_TRUE(stretched.LoadImageA("blocks.png"));
    ClearTo(0, 0, 0);
    exact.Draw(800, 600);
    sImage frame = ReadFrame();
    int differing = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            differing += !std::equal(frame.At(x, y), frame.At(x, y) + 3, noise.At(x, y));
    EXPECT_EQ(differing, 0);

    ASSERT_TRUE(g_Graphics.SetupWindowedMode(1024, 768));
    for (int frameNumber = 0; frameNumber < 2; ++frameNumber) {   // the first frame leaves the last tile bound
        ClearTo(0, 0, 0);
        stretched.Draw(1024, 768);
    }
    frame = ReadFrame();
    ASSERT_EQ(frame.width, 1024);
    differing = 0;
    auto nearBorder = [](double v, int size) {   // pixels near a block border mix colours by design
        const double inBlock = v - int(v / 100) * 100;
        return inBlock < 1.5 || inBlock > 98.5 || v > size - 1.5;
    };
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const double ix = (x + 0.5) / 1.28, iy = (y + 0.5) / 1.28;
            if (nearBorder(ix, 800) || nearBorder(iy, 600))
                continue;
            differing += !std::equal(frame.At(x, y), frame.At(x, y) + 3, blocks.At(int(ix), int(iy)));
        }
    }
    EXPECT_EQ(differing, 0);
}

// The depth test, culling, lighting and the 3D matrices come back after the picture: a lit quad
// drawn after it looks as without it. A picture that did not load draws nothing.
TEST_F(BackgroundTest, ThePaddingIsTransparentBeyondTheEdgesAndTheSceneStateComesBack)
{
    // A 100 x 100 picture in a 200 x 100 area: the padded tiles reach to x = 256 and y = 128.
    ASSERT_TRUE(WritePngRgba(SolidImage(100, 100, 200, 100, 50), "small.png"));
    cBackground background, missing;
    ASSERT_TRUE(background.LoadImageA("small.png"));
    CaptureOutput([&] { EXPECT_FALSE(missing.LoadImageA("missing.png")); });
    auto scene = [](cBackground* picture) {
        g_State.m_InMenu = false;
        glLoadIdentity();   // the light's position is taken in the model-view of the moment
        g_Graphics.InitOpenGLVariables();
        glClearColor(0, 0, 1, 1);
        g_Graphics.RenderScene();
        if (picture)
            picture->Draw(200, 100);
        // Untextured: the background clamps whichever texture it finds bound, by design.
        glDisable(GL_TEXTURE_2D);
        glNormal3f(0, 0, -1);
        glRectf(1, -1, -1, 1);
        return ReadPixel(400, 300);
    };
    const sRgb lit = scene(nullptr);
    EXPECT_EQ(scene(&missing), lit);
    EXPECT_EQ(ReadPixel(0, 599), (sRgb{0, 0, 255}));
    EXPECT_EQ(scene(&background), lit);
    const struct { int x, y; sRgb colour; } probes[] = {
        {0, 599, {200, 100, 50}}, {198, 500, {200, 100, 50}}, {100, 502, {200, 100, 50}},
        {230, 560, {0, 0, 255}},  {100, 480, {0, 0, 255}},
    };
    for (const auto& p : probes)
        EXPECT_EQ(ReadPixel(p.x, p.y), p.colour) << "at (" << p.x << ", " << p.y << ")";
    EXPECT_EQ(CaptureOutput([&] { missing.FreeImage(); }), "");
}

} // namespace
