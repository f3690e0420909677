#include "support/EngineFixture.h"
#include "support/FrameCapture.h"

#include <GL/gl.h>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ScriptConsole.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"
#include "text/FontDraw.h"
#include "text/cTextBatch.h"
#include "text/pf.h"

namespace {

sImage Crop(const sImage& image, int w, int h)
{
    sImage part{w, h, {}};
    for (int row = 0; row < h; ++row)
        part.rgb.insert(part.rgb.end(), image.At(0, row), image.At(0, row) + size_t(w) * 3);
    return part;
}

// Pixels of this colour, within a tolerance.
int CountOf(const sImage& image, sRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.At(x, y);
            count += std::abs(p[0] - colour.r) <= 8 && std::abs(p[1] - colour.g) <= 8 && std::abs(p[2] - colour.b) <= 8;
        }
    return count;
}

const char* const SAMPLE = "Brackwater: The quick brown fox jumps over 13 lazy dogs!";

// The console as it was always drawn, every line in full and straight to the window: the pixels
// the kept picture must reproduce.
void DrawConsoleDirectly(const ScriptConsole& console)
{
    float y = float(21 * (10 - int(console.Log().size())));
    for (const ConsoleLog& line : console.Log()) {
        float green = line.m_Type == LOG_STDERR ? 0.8f : 1.0f;
        DrawConsoleFontString(line.m_Text.c_str(), 5, y, 17, 1, green, green);
        y += 21;
    }
    std::string prompt = (console.State() ? ">>> " : "!>> ") + g_Input.TypedText() + "_";
    DrawConsoleFontString(prompt.c_str(), 5, y, 17, 0.6f, 1, 0.6f);
    DrawConsoleBackground();
}

// Strings in both fonts at several sizes, skews and weights, in the console's band.
void DrawStyledStrings()
{
    struct sStyle { const pffont* font; int size; float skew; int weight; };
    const sStyle styles[] = {{&pfPBaveuse, 12, 0, 1}, {&pfPBaveuse, 25, 0.3f, 1}, {&pfPBaveuse, 40, -0.5f, 3},
                             {&pfPSansMonoBold7, 17, 0, 2}, {&pfPSansMonoBold7, 33, 1, 9}};
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
}

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
}

// Where the text and its shadow lie the goldens show; here the script call's optional shadow,
// and a refused call, which draws nothing.
TEST_F(EngineTest, DrawstringDrawsWithOrWithoutShadowAndRefusesBadArguments)
{
    ASSERT_EQ(Exec("import font"), "");
    const struct { const char* call; const char* result; bool text, shadow; } cases[] = {
        {"font.drawstring('AB', 10, 10, 20, 1, 1, 1)", "None", true, true},
        {"font.drawstring('AB', 10, 10, 20, 1, 1, 1, False, 0, 0, 0)", "None", true, false},
        {"font.drawstring('AB', 10, 10, 20, 1, 1, 1, 1)", "TypeError: argument 8 must be bool, not int", false, false},
    };
    for (const auto& c : cases) {
        std::string result;
        sImage frame = DrawFrame([&] { result = Eval(c.call); }, 0.5f);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(CountOf(frame, {255, 255, 255}) > 50, c.text) << c.call;
        EXPECT_EQ(CountOf(frame, {0, 0, 0}) > 10, c.shadow) << c.call;
    }
}

TEST_F(EngineTest, OpenConsoleMatchesItsGolden)
{
    for (int i = 0; i < 12; ++i)
        g_Console.LogMessage("line " + std::to_string(i) + ": print('hello')\n", i % 3 ? LOG_STDOUT : LOG_STDERR);
    g_Console.SetState(false);
    g_Console.Activate();
    EXPECT_TRUE(FrameMatchesGolden(Crop(DrawFrame([] { g_Console.DrawConsole(); }, 0.3f), 400, 250),
                                   "text/golden/console_open"));
}

// Drawing kept for reuse looks as drawn directly, byte for byte: strings drawn a second time
// (compiled), a third (replayed) and in one batch; and the console's picture, over those strings,
// in every state, video mode and depth state.
TEST_F(EngineTest, KeptDrawingLooksLikeDirectDrawing)
{
    ScriptConsole console, closed;
    closed.LogMessage("hidden\n", LOG_STDOUT);
    sImage scene = DrawFrame(DrawStyledStrings);
    for (int frame = 1; frame < 4; ++frame) {
        sImage again = DrawFrame([&] {
            std::optional<cTextBatch> batch;
            if (frame == 3)
                batch.emplace();
            DrawStyledStrings();
            closed.DrawConsole();
        });
        // A closed console draws nothing; a batch leaves the state that single strings leave.
        EXPECT_TRUE(SameFrame(scene, again)) << "frame " << frame;
        GLint matrixMode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
        EXPECT_EQ(matrixMode, GL_MODELVIEW);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_TEXTURE_2D));
    }

    struct sCase
    {
        const char* name;
        std::vector<std::pair<std::string, ConsoleLogType>> lines;   // none: a new video mode
        bool state;
        std::string typed;
        int width, height;
        GLenum depthFunc;   // GL_NEVER: no depth test
    };
    std::string wide(300, 'W');
    // One console throughout: a picture kept from one case must never stand in for the next.
    const sCase cases[] = {
        {"empty log", {}, true, "", 800, 600, GL_LESS},
        {"partial log, failed prompt", {{"out\n", LOG_STDOUT}, {"Error: x\n", LOG_STDERR}}, false, "pri", 800, 600, GL_LESS},
        {"full log, Latin-1", {{"\xe9t\xc3\xa9 caf\xe9 \xc3\x9f\n", LOG_STDOUT}, {"a\nb\n", LOG_STDERR}, {"1\n", LOG_STDOUT},
          {"2\n", LOG_STDERR}, {"3\n", LOG_STDOUT}, {"4\n", LOG_STDOUT}, {"5\n", LOG_STDERR}, {"6\n", LOG_STDOUT},
          {"7\n", LOG_STDOUT}, {"8\n", LOG_STDOUT}}, true, "x = 1", 800, 600, GL_LESS},
        {"depth test less or equal", {{"9\n", LOG_STDOUT}}, true, "", 800, 600, GL_LEQUAL},
        {"no depth test", {{"10\n", LOG_STDERR}}, true, "", 800, 600, GL_NEVER},
        {"depth test greater", {{"11\n", LOG_STDOUT}}, true, "", 800, 600, GL_GREATER},
        {"lines wider than the window", {{wide + "\n", LOG_STDERR}}, true, wide, 800, 600, GL_LESS},
        {"the same after a video-mode change", {}, true, wide, 640, 480, GL_LESS},
        {"the same in a new mode of the same size", {}, true, wide, 640, 480, GL_LESS},
        {"and back", {{"large\n", LOG_STDOUT}}, true, "z", 800, 600, GL_LESS},
    };
    console.Activate();
    for (const sCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.width != g_Graphics.GetWindowWidth() || c.lines.empty()) {
            ASSERT_TRUE(g_Graphics.SetupWindowedMode(c.width, c.height));
        }
        for (const auto& [text, type] : c.lines)
            console.LogMessage(text, type);
        console.SetState(c.state);
        g_Input.SetTypedText(c.typed);
        auto drawScene = [&](const std::function<void()>& drawConsole) {
            return DrawFrame([&] {
                // Blending on, as the graphics manager leaves it: the picture's quad turns it off
                // and must turn it back on.
                glEnable(GL_BLEND);
                DrawStyledStrings();
                c.depthFunc == GL_NEVER ? glDisable(GL_DEPTH_TEST) : glDepthFunc(c.depthFunc);
                drawConsole();
                glDepthFunc(GL_LESS);
            });
        };
        sImage expected = drawScene([&] { DrawConsoleDirectly(console); });
        float penX, penY;
        pfGetPosition(&penX, &penY);
        // The first frame draws directly, the second records the picture, the third reuses it.
        for (int frame = 0; frame < 3; ++frame) {
            EXPECT_TRUE(SameFrame(expected, drawScene([&] { console.DrawConsole(); }))) << "frame " << frame;
            EXPECT_EQ(console.DrewFromPicture(), frame > 0);
            float x, y;
            pfGetPosition(&x, &y);
            if (c.typed.size() < 100) {
                EXPECT_EQ(std::make_pair(x, y), std::make_pair(penX, penY));
            }
            EXPECT_EQ(pfGetCurrentFont(), &pfPBaveuse);
        }
    }
}
