#include "support/EngineFixture.h"
#include "support/FrameCapture.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include "core/ScriptConsole.h"
#include "text/FontDraw.h"
#include "text/cStringCache.h"
#include "text/sgl.h"
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

TEST_F(EngineTest, DrawstringDrawsTextWithAShadowATenthOfTheSizeDownAndRight)
{
    BeginFrame(0.5f, 0.5f, 0.5f);
    EXPECT_EQ(Exec("import font\nfont.drawstring('AB', 10, 10, 20, 1, 1, 1)"), "");
    sImage frame = ReadFrame();
    sExtent text = ExtentOf(frame, {255, 255, 255}), shadow = ExtentOf(frame, {0, 0, 0});
    ASSERT_GT(text.count, 50);
    ASSERT_GT(shadow.count, 10);
    // The font's top is at y = 10; the glyphs stand on the baseline 10 + 20 x 0.81493.
    EXPECT_GE(text.minY, 10);
    EXPECT_LE(text.maxY, 27);
    EXPECT_GE(text.minX, 10);
    EXPECT_EQ(shadow.maxX, text.maxX + 2);
    EXPECT_EQ(shadow.maxY, text.maxY + 2);
}

TEST_F(EngineTest, DrawstringWithoutShadowDrawsOnePass)
{
    BeginFrame(0.5f, 0.5f, 0.5f);
    EXPECT_EQ(Exec("import font\nfont.drawstring('AB', 10, 10, 20, 1, 0, 0, False, 0, 0, 0)"), "");
    sImage frame = ReadFrame();
    EXPECT_GT(ExtentOf(frame, {255, 0, 0}).count, 50);
    EXPECT_EQ(ExtentOf(frame, {0, 0, 0}).count, 0);
}

TEST_F(EngineTest, DrawstringRefusesBadArgumentsWithoutDrawing)
{
    BeginFrame(0.5f, 0.5f, 0.5f);
    const std::pair<const char*, const char*> cases[] = {
        {"font.drawstring('AB', 10, 10, 20, 1, 1, 1, 1)", "TypeError: argument 8 must be bool, not int"},
        {"font.drawstring('AB', 10, 10, 20, 1, 1)", "TypeError: function takes at least 7 arguments (6 given)"},
        {"font.drawstring('AB', 10, 10, 20.5, 1, 1, 1)", "TypeError: 'float' object cannot be interpreted as an integer"},
        {"font.drawstring(5, 10, 10, 20, 1, 1, 1)", "TypeError: argument 1 must be str, not int"},
        {"font.drawstring.__doc__", "'Draw a string on the screen.'"},
    };
    Exec("import font");
    for (auto [call, expected] : cases)
        EXPECT_EQ(Eval(call), expected);
    EXPECT_EQ(ExtentOf(ReadFrame(), {128, 128, 128}, 1).count, 800 * 600);
    EXPECT_EQ(Eval("font.drawstring('x', 0, 0, 12, 1, 1, 1, True, 0, 0, 0)"), "None");
}

TEST_F(EngineTest, ConsoleStringUsesTheMonospacedFontAndRestoresTheDefault)
{
    pfSetFont(&pfPSansMonoBold7);
    BeginFrame();
    DrawConsoleFontString("iiii", 0, 0, 20, 1, 1, 1);
    EXPECT_EQ(pfGetCurrentFont(), &pfPBaveuse);
    float x, y;
    pfGetPosition(&x, &y);
    // The pen ends after the shadow pass: four monospaced advances from x = 2.
    EXPECT_FLOAT_EQ(x, 2 + 4 * 20 * 0.740523f);
    // The shadow is dark blue.
    EXPECT_GT(ExtentOf(ReadFrame(), {0, 0, 204}).count, 10);
}

TEST_F(EngineTest, TextDrawnBeforeTheConsoleBandStaysInFrontOfIt)
{
    BeginFrame();
    DrawFontString("HHHH", 100, 100, 40, 1, 1, 1);
    DrawConsoleBackground();
    sImage frame = ReadFrame();
    EXPECT_GT(ExtentOf(frame, {255, 255, 255}).count, 200);
    // The band: 240 rows, blue 0.3 at the top shading to 0.1 at the bottom, nothing below.
    EXPECT_EQ(ReadPixel(5, 0), (sRgb{0, 0, 76}));
    EXPECT_NEAR(ReadPixel(700, 239).b, 26, 2);
    EXPECT_EQ(ReadPixel(700, 239).r, 0);
    EXPECT_EQ(ReadPixel(400, 240), (sRgb{0, 0, 0}));
    EXPECT_EQ(ReadPixel(799, 120).r, 0);
    EXPECT_NEAR(ReadPixel(799, 120).b, 51, 2);
}

TEST_F(EngineTest, OpenConsoleMatchesItsGolden)
{
    for (int i = 0; i < 12; ++i)
        g_Console.LogMessage("line " + std::to_string(i) + ": print('hello')\n", i % 3 ? LOG_STDOUT : LOG_STDERR);
    g_Console.SetState(false);
    g_Console.Activate();
    BeginFrame(0.3f, 0.3f, 0.3f);
    g_Console.DrawConsole();
    EXPECT_TRUE(FrameMatchesGolden(Crop(ReadFrame(), 0, 0, 400, 250), "text/golden/console_open"));
}

TEST_F(EngineTest, StringCacheCompilesOnTheSecondDrawingAndReplaysAfterwards)
{
    cStringCache cache;
    cStringCache::sKey key{"Hi", &pfPBaveuse, 10, 20, 25, {1, 1, 1, 0, 0, 0}, true, pfGetStyle()};
    int drawn = 0;
    auto draw = [&] {
        ++drawn;
        pfSetPosition(10, 30);
        sglColor3f(1, 0, 0);
        pfDrawString(SDL_GetVideoSurface(), "Hi");
    };
    // Seen once: drawn directly; twice: compiled; then replayed without drawing, the pen set as drawing left it.
    EXPECT_FALSE(cache.Draw(key, draw));
    EXPECT_TRUE(cache.Draw(key, draw));
    float afterX, afterY;
    pfGetPosition(&afterX, &afterY);
    pfSetPosition(0, 0);
    EXPECT_TRUE(cache.Draw(key, draw));
    EXPECT_EQ(drawn, 2);
    float x, y;
    pfGetPosition(&x, &y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(afterX, afterY));
    // Strings that change every time never fill it.
    for (int i = 0; i < 3000; ++i)
        EXPECT_FALSE(cache.Draw({std::to_string(i), &pfPBaveuse, 0, 0, 12, {}, false, pfGetStyle()}, draw));
    EXPECT_TRUE(cache.Draw(key, draw));
    EXPECT_EQ(drawn, 3002);
    cache.Clear();
}

TEST_F(EngineTest, RepeatedStringsLookTheSameAsTheirFirstDrawing)
{
    struct sStyle
    {
        const pffont* font;
        int size;
        float skew;
        int weight;
    };
    const sStyle styles[] = {{&pfPBaveuse, 12, 0, 1}, {&pfPBaveuse, 25, 0.3f, 1}, {&pfPBaveuse, 40, -0.5f, 3},
                             {&pfPSansMonoBold7, 17, 0, 2}, {&pfPSansMonoBold7, 33, 1, 9}};
    auto drawAll = [&] {
        BeginFrame(0.2f, 0.3f, 0.4f);
        float y = 0;
        for (const sStyle& s : styles) {
            pfSetFont(s.font);
            pfSetSkew(s.skew);
            pfSetWeight(s.weight);
            DrawFontString("Caf\xc3\xa9 \xe0 la cr\xe8me, ~{x} 0O1lI", 3.5f, y, s.size, 1, 0.8f, 0.2f, s.weight != 2, 0, 0, 0.8f);
            y += s.size * 1.5f;
        }
        pfSetSkew(0);
        pfSetWeight(1);
        pfSetFont(&pfPBaveuse);
        return ReadFrame();
    };
    sImage first = drawAll();
    // The second frame compiles the strings, the third only replays them.
    for (int frame = 1; frame < 3; ++frame) {
        sImage again = drawAll();
        EXPECT_TRUE(again.rgb == first.rgb) << "frame " << frame;
    }
}
