#include "support/EngineFixture.h"
#include "support/FrameCapture.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <functional>
#include <string>
#include <vector>

#include "core/ScriptConsole.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"
#include "text/FontDraw.h"
#include "text/pf.h"

namespace {

std::vector<std::string> LogTexts()
{
    std::vector<std::string> texts;
    for (const ConsoleLog& line : g_Console.Log())
        texts.push_back(line.m_Text);
    return texts;
}

// The console reads the keys the input manager sampled at the end of the previous frame.
class ConsoleTest : public EngineTest
{
protected:
    // Down for one frame, then up: the console sees the key pressed in the second frame.
    void Press(int key, int modifier = 0)
    {
        if (modifier)
            HoldKey(modifier);
        HoldKey(key);
        Frame();
        ReleaseKey(key);
        Frame();
        if (modifier)
            ReleaseKey(modifier);
    }

    void Submit(const std::string& line)
    {
        g_Input.SetTypedText(line);
        Press(SDLK_RETURN);
    }

    void Open()
    {
        if (!g_Console.IsActive())
            Press(SDLK_PAGEUP);
        ASSERT_TRUE(g_Console.IsActive());
    }
};

} // namespace

TEST_F(EngineTest, LogJoinsPiecesUntilALineFeedAndKeepsTheTenNewestLines)
{
    g_Console.LogMessage("first ", LOG_STDERR);
    g_Console.LogMessage("piece\nstill the same line ", LOG_STDOUT);
    g_Console.LogMessage("end\n", LOG_STDOUT);
    g_Console.LogMessage("", LOG_STDOUT);   // nothing at all
    g_Console.LogMessage("second\n", LOG_STDOUT);
    ASSERT_EQ(g_Console.Log().size(), 2u);
    EXPECT_EQ(g_Console.Log().front().m_Text, "first piece\nstill the same line end\n");
    EXPECT_EQ(g_Console.Log().front().m_Type, LOG_STDERR);   // a joined line keeps its first type
    EXPECT_EQ(g_Console.Log().back().m_Text, "second");

    for (int i = 0; i < 11; ++i)
        g_Console.LogMessage("line " + std::to_string(i) + "\n", LOG_STDOUT);
    std::vector<std::string> expected;
    for (int i = 1; i < 11; ++i)
        expected.push_back("line " + std::to_string(i));
    EXPECT_EQ(LogTexts(), expected);
}

TEST_F(EngineTest, ScriptOutputAndErrorsReachTheLogThroughTheConsoleModule)
{
    EXPECT_EQ(Exec("import _console\n_console.putstdout('out\\n')\n_console.putstderr('err\\n')"), "");
    EXPECT_EQ(Exec("print('printed')"), "");
    ASSERT_EQ(g_Console.Log().size(), 3u);
    // print writes the line feed as a piece of its own, which joins the line it ends.
    EXPECT_EQ(LogTexts(), (std::vector<std::string>{"out", "err", "printed\n"}));
    EXPECT_EQ(std::next(g_Console.Log().begin())->m_Type, LOG_STDERR);
    EXPECT_EQ(Eval("_console.putstdout(3)"), "TypeError: argument 1 must be str, not int");
    EXPECT_EQ(Eval("_console.putstderr.__doc__"), "'Store a string from stderr.'");
    EXPECT_EQ(Eval("_console.putstdout.__doc__"), "'Store a string from stdout.'");
}

TEST_F(ConsoleTest, PageUpOpensAndClosesAndSwitchesTypedInput)
{
    for (bool open : {false, true, false}) {
        Frame();
        EXPECT_EQ(g_Console.IsActive(), open);
        EXPECT_EQ(g_Input.IsTyping(), open);
        Press(SDLK_PAGEUP);
    }
}

TEST_F(ConsoleTest, SubmittedLineRunsInTheScriptNamespaceAndEchoes)
{
    Open();
    Submit("x = 6 * 7");
    EXPECT_EQ(Eval("x"), "42");
    Submit("x + 1");
    EXPECT_EQ(LogTexts(), (std::vector<std::string>{">>> x = 6 * 7", ">>> x + 1", "43\n"}));
    EXPECT_EQ(g_Input.TypedText(), "");
    EXPECT_EQ(g_Console.History(), (std::list<std::string>{"x + 1", "x = 6 * 7"}));
    EXPECT_FALSE(g_Console.CommandEntered());

    Submit("1 / 0");
    EXPECT_EQ(g_Console.Log().back().m_Text, "ZeroDivisionError: division by zero\n");
    EXPECT_EQ(g_Console.Log().back().m_Type, LOG_STDERR);

    // An empty line is stored, echoed alone and runs as None.
    size_t lines = g_Console.Log().size();
    Submit("");
    EXPECT_EQ(g_Console.Log().size(), lines + 1);
    EXPECT_EQ(g_Console.Log().back().m_Text, ">>> ");
    EXPECT_EQ(g_Console.History().front(), "");
    EXPECT_TRUE(g_Console.State());
}

TEST_F(ConsoleTest, ExitWordsSayGoodbyeAndBecomeExit)
{
    // Return goes down after the last snapshot: the console sees it pressed.
    auto submit = [](ScriptConsole& console, const char* line) {
        console.Activate();
        g_Input.SetTypedText(line);
        ReleaseKey(SDLK_RETURN);
        g_Input.Update();
        HoldKey(SDLK_RETURN);
        console.Update();
        ReleaseKey(SDLK_RETURN);
    };
    for (const char* word : {"exit", "Exit", "EXIT", "quit"}) {
        ScriptConsole console;
        submit(console, word);
        ASSERT_TRUE(console.CommandEntered()) << word;
        EXPECT_EQ(console.Command(), "exit()\n");
        // The goodbye has no line feed, so the echo joins it.
        EXPECT_EQ(console.Log().back().m_Text, ">>> Bye bye!>>> exit()\n");
        EXPECT_EQ(console.History().front(), word);
    }
    ScriptConsole console;
    submit(console, "QUIT");   // not an exit word
    EXPECT_EQ(console.Command(), "QUIT\n");
}

TEST_F(ConsoleTest, ShiftUpAndDownBrowseTheHistory)
{
    Open();
    Press(SDLK_UP, SDLK_LSHIFT);
    EXPECT_EQ(g_Console.HistoryIndex(), -1);   // nothing to show
    EXPECT_EQ(g_Input.TypedText(), "");

    Submit("a = 1");
    Submit("b = 2");
    g_Input.SetTypedText("half typed");
    Press(SDLK_UP, SDLK_LSHIFT);
    EXPECT_EQ(g_Input.TypedText(), "b = 2");
    Press(SDLK_UP, SDLK_RSHIFT);
    Press(SDLK_UP, SDLK_LSHIFT);
    EXPECT_EQ(g_Console.HistoryIndex(), 1);
    EXPECT_EQ(g_Input.TypedText(), "a = 1");
    Press(SDLK_DOWN, SDLK_LSHIFT);
    EXPECT_EQ(g_Input.TypedText(), "b = 2");
    Press(SDLK_DOWN, SDLK_LSHIFT);
    EXPECT_EQ(g_Console.HistoryIndex(), -1);
    EXPECT_EQ(g_Input.TypedText(), "");

    g_Input.SetTypedText("kept");
    Press(SDLK_UP);   // without Shift the arrows leave the line alone
    EXPECT_EQ(g_Input.TypedText(), "kept");
}

TEST_F(ConsoleTest, LineSubmittedWhileClosingStillRuns)
{
    Open();
    g_Input.SetTypedText("y = 'ran'");
    HoldKey(SDLK_RETURN);
    HoldKey(SDLK_PAGEUP);
    Frame();
    ReleaseKey(SDLK_RETURN);
    ReleaseKey(SDLK_PAGEUP);
    Frame();
    EXPECT_FALSE(g_Console.IsActive());
    EXPECT_EQ(Eval("y"), "'ran'");
}

namespace {

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

// A scene with 2D text drawn before the console inside its band, which must stay in front.
sImage DrawScene(const std::function<void()>& drawConsole)
{
    glClearColor(0.3f, 0.2f, 0.1f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawFontString("HUD", 500, 60, 40, 1, 0.5f, 0, true, 0, 0, 0);
    drawConsole();
    return ReadFrame();
}

// Equal byte for byte, or where the first difference is.
::testing::AssertionResult SameFrame(const sImage& expected, const sImage& actual)
{
    if (expected.width != actual.width || expected.height != actual.height)
        return ::testing::AssertionFailure() << "sizes differ";
    for (size_t i = 0; i < expected.rgb.size(); ++i)
        if (expected.rgb[i] != actual.rgb[i])
            return ::testing::AssertionFailure() << "first difference at pixel (" << i / 3 % size_t(expected.width)
                                                 << ", " << i / 3 / size_t(expected.width) << ")";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(EngineTest, KeptConsolePictureMatchesDirectDrawingInEveryState)
{
    struct sCase
    {
        const char* name;
        std::vector<std::pair<std::string, ConsoleLogType>> lines;
        bool state;
        std::string typed;
        int width, height;
    };
    std::string wide(300, 'W');
    // One console throughout: a picture kept from one case must never stand in for the next.
    const sCase cases[] = {
        {"empty log", {}, true, "", 800, 600},
        {"partial log, failed prompt", {{"out\n", LOG_STDOUT}, {"Error: x\n", LOG_STDERR}}, false, "pri", 800, 600},
        {"full log, Latin-1", {{"\xe9t\xc3\xa9 caf\xe9 \xc3\x9f\n", LOG_STDOUT}, {"a\nb\n", LOG_STDERR}, {"1\n", LOG_STDOUT},
          {"2\n", LOG_STDERR}, {"3\n", LOG_STDOUT}, {"4\n", LOG_STDOUT}, {"5\n", LOG_STDERR}, {"6\n", LOG_STDOUT},
          {"7\n", LOG_STDOUT}, {"8\n", LOG_STDOUT}}, true, "x = 1", 800, 600},
        {"lines wider than the window", {{wide + "\n", LOG_STDERR}}, true, wide, 800, 600},
        {"the same after a video-mode change", {}, true, wide, 640, 480},
        {"the same in a new mode of the same size", {}, true, wide, 640, 480},
        {"and back", {{"large\n", LOG_STDOUT}}, true, "z", 800, 600},
    };
    ScriptConsole console, closed;
    closed.LogMessage("hidden\n", LOG_STDOUT);
    sImage scene = DrawScene([] {});
    EXPECT_TRUE(SameFrame(scene, DrawScene([&] { closed.DrawConsole(); }))) << "a closed console draws nothing";
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
        sImage expected = DrawScene([&] { DrawConsoleDirectly(console); });
        float penX, penY;
        pfGetPosition(&penX, &penY);
        // The first frame draws directly, the second records the picture, the third reuses it.
        for (int frame = 0; frame < 3; ++frame) {
            EXPECT_TRUE(SameFrame(expected, DrawScene([&] { console.DrawConsole(); }))) << "frame " << frame;
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

TEST_F(EngineTest, ConsoleWhoseLogChangesEveryFrameDrawsDirectly)
{
    ScriptConsole console;
    console.Activate();
    for (int frame = 0; frame < 4; ++frame) {
        console.LogMessage("frame " + std::to_string(frame) + "\n", LOG_STDOUT);
        sImage expected = DrawScene([&] { DrawConsoleDirectly(console); });
        EXPECT_TRUE(SameFrame(expected, DrawScene([&] { console.DrawConsole(); })));
        EXPECT_FALSE(console.DrewFromPicture());
    }
}

TEST_F(EngineTest, LongLineKeepsItsEnd)
{
    std::string text = "head" + std::string(1 << 20, 'A') + "\xc3\xa9tail\n";
    g_Console.LogMessage(text, LOG_STDOUT);
    g_Console.LogMessage("more" + std::string(5000, 'B'), LOG_STDOUT);
    g_Console.LogMessage("\xc3\xa9", LOG_STDOUT);
    const std::string& first = g_Console.Log().front().m_Text;
    EXPECT_EQ(first.size(), ScriptConsole::MAX_LINE_BYTES);
    EXPECT_EQ(first.substr(first.size() - 6), "\xc3\xa9tail");
    // A cut never leaves half of a two-byte letter at the start.
    const std::string& joined = g_Console.Log().back().m_Text;
    EXPECT_EQ(joined, std::string(ScriptConsole::MAX_LINE_BYTES - 2, 'B') + "\xc3\xa9");
}
