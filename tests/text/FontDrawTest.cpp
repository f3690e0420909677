#include "support/EngineFixture.h"
#include "support/FrameCapture.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <functional>

#include "core/ScriptConsole.h"
#include "text/FontDraw.h"
#include "text/cStringCache.h"
#include "text/cTextBatch.h"
#include "text/sgl.h"
#include "text/pf.h"

namespace {

// A cleared frame with the depth test on, as the graphics manager leaves it.
sImage DrawFrame(const std::function<void()>& draw, float grey = 0)
{
    glClearColor(grey, grey, grey, 1);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    return ReadFrame();
}

sImage Crop(const sImage& image, int w, int h)
{
    sImage part{w, h, {}};
    for (int row = 0; row < h; ++row)
        part.rgb.insert(part.rgb.end(), image.At(0, row), image.At(0, row) + size_t(w) * 3);
    return part;
}

// Pixels of this colour, within a tolerance, and the right and bottom edges of where they lie.
struct sExtent
{
    int maxX = -1, maxY = -1, count = 0;
};

sExtent ExtentOf(const sImage& image, sRgb colour)
{
    sExtent e;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.At(x, y);
            if (std::abs(p[0] - colour.r) <= 8 && std::abs(p[1] - colour.g) <= 8 && std::abs(p[2] - colour.b) <= 8) {
                e.maxX = std::max(e.maxX, x), e.maxY = std::max(e.maxY, y);
                ++e.count;
            }
        }
    return e;
}

const char* const SAMPLE = "Brackwater: The quick brown fox jumps over 13 lazy dogs!";

} // namespace

TEST_F(EngineTest, SampleTextInBothFontsMatchesItsGolden)
{
    sImage frame = DrawFrame([] {
        float y = 4;
        for (int size : {12, 16, 20, 28, 40}) {
            DrawFontString(SAMPLE, 4, y, size, 1, 1, 1);
            y += size * 1.1f;
        }
        DrawFontString("\xc0 la for\xea" "t, \xc3\xa7" "a bouge: \xc5\x92uvre \xe2\x80\x9cna\xc3\xafve\xe2\x80\x9d \xe2\x84\xa2",
                       4, y, 20, 1, 0.8f, 0.3f, true, 0.2f, 0.2f, 0.6f);
    });
    EXPECT_TRUE(FrameMatchesGolden(Crop(frame, 800, 170), "text/golden/sample_pfPBaveuse"));
    frame = DrawFrame([] {
        pfSetFont(&pfPSansMonoBold7);
        float y = 4;
        for (int size : {12, 16, 20, 28, 40}) {
            DrawFontString(SAMPLE, 4, y, size, 1, 1, 1);
            y += size * 1.4f;
        }
        DrawConsoleFontString("{print('~x' + str(3 ** 7), end=\"|\")} # 0O1lI", 4, y, 17, 0.6f, 1, 0.6f);
    });
    EXPECT_TRUE(FrameMatchesGolden(Crop(frame, 800, 200), "text/golden/sample_pfPSansMonoBold7"));
    // A console string leaves the default font current and the pen after the shadow pass: four
    // monospaced advances from x = 2.
    pfSetFont(&pfPSansMonoBold7);
    DrawConsoleFontString("iiii", 0, 0, 20, 1, 1, 1);
    EXPECT_EQ(pfGetCurrentFont(), &pfPBaveuse);
    float x, y;
    pfGetPosition(&x, &y);
    EXPECT_FLOAT_EQ(x, 2 + 4 * 20 * 0.740523f);
}

// The font's top at y = 10, the glyphs on the baseline 10 + 20 x 0.81493, the shadow two pixels
// down and right; a refused call draws nothing.
TEST_F(EngineTest, DrawstringDrawsWithOrWithoutShadowAndRefusesBadArguments)
{
    ASSERT_EQ(Exec("import font"), "");
    const struct
    {
        const char* call;
        const char* result;
        int textPixels, shadowPixels;
    } cases[] = {
        {"font.drawstring('AB', 10, 10, 20, 1, 1, 1)", "None", 50, 10},
        {"font.drawstring('AB', 10, 10, 20, 1, 1, 1, False, 0, 0, 0)", "None", 50, 0},
        {"font.drawstring('AB', 10, 10, 20, 1, 1, 1, 1)", "TypeError: argument 8 must be bool, not int", 0, 0},
        {"font.drawstring('AB', 10, 10, 20, 1, 1)", "TypeError: function takes at least 7 arguments (6 given)", 0, 0},
        {"font.drawstring('AB', 10, 10, 20.5, 1, 1, 1)", "TypeError: 'float' object cannot be interpreted as an integer", 0, 0},
        {"font.drawstring(5, 10, 10, 20, 1, 1, 1)", "TypeError: argument 1 must be str, not int", 0, 0},
        {"font.drawstring.__doc__", "'Draw a string on the screen.'", 0, 0},
    };
    for (const auto& c : cases) {
        std::string result;
        sImage frame = DrawFrame([&] { result = Eval(c.call); }, 0.5f);
        EXPECT_EQ(result, c.result);
        sExtent text = ExtentOf(frame, {255, 255, 255}), shadow = ExtentOf(frame, {0, 0, 0});
        EXPECT_EQ(text.count > c.textPixels, c.textPixels > 0) << c.call;
        EXPECT_EQ(shadow.count > c.shadowPixels, c.shadowPixels > 0) << c.call;
        if (c.shadowPixels > 0) {
            EXPECT_LE(text.maxY, 27);
            EXPECT_EQ(std::make_pair(shadow.maxX, shadow.maxY), std::make_pair(text.maxX + 2, text.maxY + 2));
        }
    }
}

TEST_F(EngineTest, OpenConsoleMatchesItsGoldenAndTextDrawnBeforeItStaysInFront)
{
    for (int i = 0; i < 12; ++i)
        g_Console.LogMessage("line " + std::to_string(i) + ": print('hello')\n", i % 3 ? LOG_STDOUT : LOG_STDERR);
    g_Console.SetState(false);
    g_Console.Activate();
    EXPECT_TRUE(FrameMatchesGolden(Crop(DrawFrame([] { g_Console.DrawConsole(); }, 0.3f), 400, 250),
                                   "text/golden/console_open"));
    sImage frame = DrawFrame([] {
        DrawFontString("HHHH", 100, 100, 40, 1, 1, 1);
        DrawConsoleBackground();
    });
    EXPECT_GT(ExtentOf(frame, {255, 255, 255}).count, 200);
}

// The kept picture gives the pixels that direct drawing gives in every depth state, over 2D text
// drawn before it in the band.
TEST_F(EngineTest, KeptConsolePictureMatchesDirectDrawingInEveryDepthState)
{
    const struct
    {
        const char* name;
        bool depthTest;
        GLenum depthFunc;
    } states[] = {{"less", true, GL_LESS}, {"less or equal", true, GL_LEQUAL}, {"no depth test", false, GL_LESS},
                  {"greater", true, GL_GREATER}};
    for (const auto& s : states) {
        SCOPED_TRACE(s.name);
        ScriptConsole console;
        console.LogMessage("out\n", LOG_STDOUT);
        console.LogMessage("Error: x\n", LOG_STDERR);
        console.Activate();
        auto scene = [&] {
            DrawFontString("HUD", 500, 60, 40, 1, 0.5f, 0, true, 0, 0, 0);
            s.depthTest ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
            glDepthFunc(s.depthFunc);
            console.DrawConsole();
            glDepthFunc(GL_LESS);
            glEnable(GL_DEPTH_TEST);
        };
        sImage direct = DrawFrame(scene, 0.2f);
        for (int frame = 1; frame < 3; ++frame) {
            EXPECT_TRUE(DrawFrame(scene, 0.2f).rgb == direct.rgb) << "frame " << frame;
            EXPECT_TRUE(console.DrewFromPicture());
        }
    }
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

// Strings drawn again (compiled, then replayed) and strings drawn in one batch look as drawn the
// first time, at several sizes, skews and weights in both fonts; a batch leaves the state that
// single strings leave.
TEST_F(EngineTest, RepeatedAndBatchedStringsLookTheSameAsTheirFirstDrawing)
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
    };
    sImage first = DrawFrame(drawAll, 0.3f);
    for (int frame = 1; frame < 4; ++frame) {
        sImage again = DrawFrame([&] {
            if (frame < 3)
                return drawAll();
            cTextBatch batch;
            drawAll();
        }, 0.3f);
        EXPECT_TRUE(again.rgb == first.rgb) << "frame " << frame;
        GLint matrixMode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
        EXPECT_EQ(matrixMode, GL_MODELVIEW);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_TEXTURE_2D));
    }
}
