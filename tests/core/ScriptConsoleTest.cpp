#include "support/EngineFixture.h"

#include <SDL/SDL.h>
#include <string>
#include <vector>

#include "core/ScriptConsole.h"
#include "input/InputManager.h"

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

TEST_F(EngineTest, LogJoinsPiecesUntilALineFeedKeepsTheTenNewestLinesAndTheEndsOfLongOnes)
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

    // A longer line keeps its end; a cut never leaves half of a two-byte letter at the start.
    g_Console.LogMessage("head" + std::string(1 << 20, 'A') + "\xc3\xa9tail\n", LOG_STDOUT);
    g_Console.LogMessage("more" + std::string(5000, 'B'), LOG_STDOUT);
    g_Console.LogMessage("\xc3\xa9", LOG_STDOUT);
    const std::string& cut = std::prev(g_Console.Log().end(), 2)->m_Text;
    EXPECT_EQ(cut.size(), ScriptConsole::MAX_LINE_BYTES);
    EXPECT_EQ(cut.substr(cut.size() - 6), "\xc3\xa9tail");
    EXPECT_EQ(g_Console.Log().back().m_Text, std::string(ScriptConsole::MAX_LINE_BYTES - 2, 'B') + "\xc3\xa9");
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

TEST_F(ConsoleTest, PageUpOpensAndClosesAndSwitchesTypedInputAndALineSubmittedWhileClosingRuns)
{
    for (bool open : {false, true, false}) {
        Frame();
        EXPECT_EQ(g_Console.IsActive(), open);
        EXPECT_EQ(g_Input.IsTyping(), open);
        Press(SDLK_PAGEUP);
    }
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
