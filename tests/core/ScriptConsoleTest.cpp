#include "support/EngineFixture.h"

#include <SDL/SDL.h>
#include <string>

#include "core/ScriptConsole.h"
#include "input/InputManager.h"

namespace {

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
};

} // namespace

// Joining pieces and keeping the newest lines show in the real program's console and its golden;
// a line longer than the limit keeps its end, and a cut never leaves half of a two-byte letter.
TEST_F(EngineTest, LogKeepsTheEndsOfLongLines)
{
    g_Console.LogMessage("head" + std::string(1 << 20, 'A') + "\xc3\xa9tail\n", LOG_STDOUT);
    g_Console.LogMessage("more" + std::string(5000, 'B'), LOG_STDOUT);
    g_Console.LogMessage("\xc3\xa9", LOG_STDOUT);
    const std::string& cut = g_Console.Log().front().m_Text;
    EXPECT_EQ(cut.size(), ScriptConsole::MAX_LINE_BYTES);
    EXPECT_EQ(cut.substr(cut.size() - 6), "\xc3\xa9tail");
    EXPECT_EQ(g_Console.Log().back().m_Text, std::string(ScriptConsole::MAX_LINE_BYTES - 2, 'B') + "\xc3\xa9");
}

// Running a line and echoing its output show in the real program's console; here what only the
// console tells: an error in its colour, and an empty line.
TEST_F(ConsoleTest, SubmittedLinesReportTheirErrorsAndAnEmptyLineRunsAsNone)
{
    Press(SDLK_PAGEUP);
    Submit("1 / 0");
    EXPECT_EQ(g_Console.Log().back().m_Text, "ZeroDivisionError: division by zero\n");
    EXPECT_EQ(g_Console.Log().back().m_Type, LOG_STDERR);
    Submit("");
    EXPECT_EQ(g_Console.Log().back().m_Text, ">>> ");
    EXPECT_TRUE(g_Console.State());
}

TEST_F(ConsoleTest, ShiftUpAndDownBrowseTheHistory)
{
    Press(SDLK_PAGEUP);
    Submit("a = 1");
    Submit("b = 2");
    g_Input.SetTypedText("half typed");
    Press(SDLK_UP, SDLK_LSHIFT);
    EXPECT_EQ(g_Input.TypedText(), "b = 2");
    Press(SDLK_UP, SDLK_RSHIFT);
    Press(SDLK_UP, SDLK_LSHIFT);   // beyond the oldest line: it stays
    EXPECT_EQ(g_Input.TypedText(), "a = 1");
    Press(SDLK_DOWN, SDLK_LSHIFT);
    Press(SDLK_DOWN, SDLK_LSHIFT);
    EXPECT_EQ(g_Input.TypedText(), "");

    g_Input.SetTypedText("kept");
    Press(SDLK_UP);   // without Shift the arrows leave the line alone
    EXPECT_EQ(g_Input.TypedText(), "kept");
}

// Submitting comes before closing: a line entered in the frame that closes the console still runs.
TEST_F(ConsoleTest, ALineSubmittedWhileClosingRunsAndTypingStops)
{
    Press(SDLK_PAGEUP);
    g_Input.SetTypedText("y = 'ran'");
    Press(SDLK_RETURN, SDLK_PAGEUP);
    Frame();
    EXPECT_FALSE(g_Console.IsActive());
    EXPECT_FALSE(g_Input.IsTyping());
    EXPECT_EQ(Eval("y"), "'ran'");
}
