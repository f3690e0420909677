#include "support/EngineFixture.h"
#include "support/FrameCapture.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include "text/FontDraw.h"
#include "text/pf.h"

namespace {

// The frame state text is drawn into in the game: a cleared frame with the depth test on, as
// the graphics manager leaves it.
void BeginFrame(float r = 0, float g = 0, float b = 0)
{
    glClearColor(r, g, b, 1);
    glClearDepth(1);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

sImage Crop(const sImage& image, int x, int y, int w, int h)
{
    sImage part;
    part.width = w;
    part.height = h;
    for (int row = 0; row < h; ++row)
        part.rgb.insert(part.rgb.end(), image.At(x, y + row), image.At(x, y + row) + size_t(w) * 3);
    return part;
}

bool IsBlack(const sRgb& c)
{
    return c.r < 8 && c.g < 8 && c.b < 8;
}

// Rows and columns of the window that hold pixels of exactly this colour, within a tolerance.
struct sExtent
{
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1, count = 0;
};

sExtent ExtentOf(const sImage& image, sRgb colour, int tolerance = 8)
{
    sExtent e;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.At(x, y);
            if (std::abs(p[0] - colour.r) <= tolerance && std::abs(p[1] - colour.g) <= tolerance
                && std::abs(p[2] - colour.b) <= tolerance) {
                e.minX = std::min(e.minX, x), e.maxX = std::max(e.maxX, x);
                e.minY = std::min(e.minY, y), e.maxY = std::max(e.maxY, y);
                ++e.count;
            }
        }
    return e;
}

const char* const k_Sample = "Brackwater: The quick brown fox jumps over 13 lazy dogs!";

} // namespace

TEST_F(EngineTest, SampleTextInTheDefaultFontMatchesItsGolden)
{
    BeginFrame();
    float y = 4;
    for (int size : {12, 16, 20, 28, 40}) {
        DrawFontString(k_Sample, 4, y, size, 1, 1, 1);
        y += size * 1.1f;
    }
    DrawFontString("\xc0 la for\xea" "t, \xc3\xa7" "a bouge: \xc5\x92uvre \xe2\x80\x9cna\xc3\xafve\xe2\x80\x9d \xe2\x84\xa2",
                   4, y, 20, 1, 0.8f, 0.3f, true, 0.2f, 0.2f, 0.6f);
    EXPECT_TRUE(FrameMatchesGolden(Crop(ReadFrame(), 0, 0, 800, 170), "text/golden/sample_pfPBaveuse"));
}

TEST_F(EngineTest, SampleTextInTheConsoleFontMatchesItsGolden)
{
    BeginFrame();
    pfSetFont(&pfPSansMonoBold7);
    float y = 4;
    for (int size : {12, 16, 20, 28, 40}) {
        DrawFontString(k_Sample, 4, y, size, 1, 1, 1);
        y += size * 1.4f;
    }
    DrawConsoleFontString("{print('~x' + str(3 ** 7), end=\"|\")} # 0O1lI", 4, y, 17, 0.6f, 1, 0.6f);
    EXPECT_TRUE(FrameMatchesGolden(Crop(ReadFrame(), 0, 0, 800, 200), "text/golden/sample_pfPSansMonoBold7"));
}
