#include <GL/gl.h>
#include <SDL/SDL.h>

#include <array>

#include "TextureTestSupport.h"
#include "graphics/GraphicsManager.h"
#include "graphics/cBackground.h"
#include "graphics/cTextureManager.h"
#include "support/FrameCapture.h"

using namespace texturetest;

namespace {

// Opaque 100 x 100 blocks of distinct colours: inside a block, filtering cannot change a colour,
// so a stretched picture can be checked exactly away from the block borders.
sRgbaImage BlockImage(int width, int height)
{
    sRgbaImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &image.rgba[(size_t(y) * width + x) * 4];
            int block = (y / 100) * 16 + x / 100;
            p[0] = uint8_t(40 + block * 37 % 200);
            p[1] = uint8_t(30 + block * 91 % 210);
            p[2] = uint8_t(20 + block * 53 % 220);
            p[3] = 255;
        }
    }
    return image;
}

// The OpenGL state that a background's drawing must leave as it found it.
struct sGLState
{
    std::array<GLboolean, 5> enabled{};
    GLint matrixMode = 0, texture = 0;
    std::array<GLint, 4> viewport{};
    std::array<GLdouble, 16> projection{}, modelView{};

    static sGLState Read()
    {
        sGLState s;
        const GLenum caps[] = {GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_TEXTURE_2D, GL_BLEND};
        for (size_t i = 0; i < s.enabled.size(); ++i)
            s.enabled[i] = glIsEnabled(caps[i]);
        glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
        glGetIntegerv(GL_VIEWPORT, s.viewport.data());
        glGetDoublev(GL_PROJECTION_MATRIX, s.projection.data());
        glGetDoublev(GL_MODELVIEW_MATRIX, s.modelView.data());
        return s;
    }
    bool operator==(const sGLState&) const = default;
};

class BackgroundTest : public WindowTest
{
protected:
    void ClearTo(float r, float g, float b)
    {
        glClearColor(r, g, b, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
};

TEST_F(BackgroundTest, At800x600EveryImagePixelIsOneScreenPixelUpright)
{
    sRgbaImage image = NoiseImage(800, 600, 21);
    ASSERT_TRUE(WritePngRgba(image, "noise.png"));
    cBackground background;
    ASSERT_TRUE(background.LoadImageA("noise.png"));
    ClearTo(0, 0, 0);
    background.Draw(800, 600);

    sImage frame = ReadFrame();
    ASSERT_EQ(frame.width, 800);
    ASSERT_EQ(frame.height, 600);
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            if (!std::equal(frame.At(x, y), frame.At(x, y) + 3, image.At(x, y)) && differing++ == 0)
                firstX = x, firstY = y;
        }
    }
    EXPECT_EQ(differing, 0) << "first at (" << firstX << ", " << firstY << ")";
}

TEST_F(BackgroundTest, At1024x768ThePictureIsStretchedWithoutSeams)
{
    ASSERT_TRUE(g_Graphics.SetupWindowedMode(1024, 768));
    sRgbaImage image = BlockImage(800, 600);
    ASSERT_TRUE(WritePngRgba(image, "blocks.png"));
    cBackground background;
    ASSERT_TRUE(background.LoadImageA("blocks.png"));
    // The second frame shows what every later frame shows: the first one's drawing leaves the
    // last tile bound.
    for (int frameNumber = 0; frameNumber < 2; ++frameNumber) {
        ClearTo(0, 0, 0);
        background.Draw(1024, 768);
    }

    sImage frame = ReadFrame();
    ASSERT_EQ(frame.width, 1024);
    int checked = 0, differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            // Where this pixel's centre falls in the image; pixels near a block border or the
            // image's edge mix colours by design and are left out.
            double ix = (x + 0.5) / 1.28, iy = (y + 0.5) / 1.28;
            auto nearBorder = [](double v, int size) {
                double inBlock = v - int(v / 100) * 100;
                return inBlock < 1.5 || inBlock > 98.5 || v > size - 1.5;
            };
            if (nearBorder(ix, 800) || nearBorder(iy, 600))
                continue;
            ++checked;
            if (!std::equal(frame.At(x, y), frame.At(x, y) + 3, image.At(int(ix), int(iy))) && differing++ == 0)
                firstX = x, firstY = y;
        }
    }
    EXPECT_GT(checked, 1024 * 768 * 9 / 10);
    EXPECT_EQ(differing, 0) << "first at (" << firstX << ", " << firstY << ")";
}

TEST_F(BackgroundTest, ThePaddingLiesBeyondTheScreenEdges)
{
    // A 100 x 100 picture drawn into a 200 x 100 area: the padded tiles reach to x = 256 and
    // y = 128, outside the area, and the padding itself is transparent.
    ASSERT_TRUE(WritePngRgba(SolidImage(100, 100, 200, 100, 50), "small.png"));
    cBackground background;
    ASSERT_TRUE(background.LoadImageA("small.png"));
    ClearTo(0, 0, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    background.Draw(200, 100);
    struct sProbe { int x, y; sRgb colour; };
    const sProbe probes[] = {
        {0, 599, {200, 100, 50}}, {198, 500, {200, 100, 50}}, {100, 502, {200, 100, 50}},
        {230, 560, {0, 0, 255}},  {100, 480, {0, 0, 255}},   {400, 300, {0, 0, 255}},
    };
    for (const sProbe& p : probes)
        EXPECT_EQ(ReadPixel(p.x, p.y), p.colour) << "at (" << p.x << ", " << p.y << ")";
}

TEST_F(BackgroundTest, DrawingLeavesTheOpenGLStateAsItFoundIt)
{
    ASSERT_TRUE(WritePngRgba(NoiseImage(130, 70, 22), "small.png"));
    cBackground background;
    ASSERT_TRUE(background.LoadImageA("small.png"));
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glViewport(10, 20, 300, 200);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    sGLState before = sGLState::Read();
    background.Draw(800, 600);
    EXPECT_TRUE(sGLState::Read() == before);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(BackgroundTest, ABackgroundThatDidNotLoadDrawsNothingAndTouchesNothing)
{
    cBackground background;
    std::string said = CaptureOutput([&] { EXPECT_FALSE(background.LoadImageA("missing.png")); });
    EXPECT_NE(said.find("  File: missing.png\n"), std::string::npos) << said;
    ClearTo(0, 1, 0);
    glMatrixMode(GL_PROJECTION);
    sGLState before = sGLState::Read();
    background.Draw(800, 600);
    EXPECT_TRUE(sGLState::Read() == before);
    EXPECT_EQ(ReadPixel(400, 300), (sRgb{0, 255, 0}));
    // Nothing was registered, so nothing is given back.
    EXPECT_EQ(CaptureOutput([&] { background.FreeImage(); }), "");
}

TEST_F(BackgroundTest, BackgroundsOfOneFileShareTheirTilesUntilTheLastIsFreed)
{
    ASSERT_TRUE(WritePngRgba(SolidImage(64, 64, 250, 0, 0), "red.png"));
    cBackground first, second;
    ASSERT_TRUE(first.LoadImageA("red.png"));
    ASSERT_TRUE(second.LoadImageA("red.png"));
    first.FreeImage();
    ClearTo(0, 0, 0);
    second.Draw(800, 600);
    EXPECT_EQ(ReadPixel(400, 300), (sRgb{250, 0, 0}));
    second.FreeImage();
    EXPECT_EQ(CaptureOutput([] { TEXTUREMANAGER.RemoveLargeTexture("red.png"); }),
              "Tried to remove nonexistant large texture\n");
}

TEST_F(BackgroundTest, ACopyDrawsTheSameTilesAndTheCurrentColourTintsThem)
{
    ASSERT_TRUE(WritePngRgba(SolidImage(64, 64, 200, 160, 120), "tan.png"));
    cBackground original;
    ASSERT_TRUE(original.LoadImageA("tan.png"));
    cBackground copy = original;
    ClearTo(0, 0, 0);
    glColor4f(1, 0.5f, 0, 1);
    copy.Draw(800, 600);
    glColor4f(1, 1, 1, 1);
    sRgb tinted = ReadPixel(400, 300);
    EXPECT_EQ(tinted.r, 200);
    EXPECT_NEAR(tinted.g, 80, 1);
    EXPECT_EQ(tinted.b, 0);
    original.FreeImage();
}

} // namespace
