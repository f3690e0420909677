#include <SDL/SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/ScriptConsole.h"
#include "core/cErrorLog.h"
#include "support/EngineFixture.h"

namespace {

// The lines of a log file without their time stamps; "unstamped: ..." for a line without one.
std::vector<std::string> Entries(const std::string& text)
{
    static const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4}  (.*))");
    std::vector<std::string> entries;
    std::istringstream in(text);
    std::smatch match;
    for (std::string line; std::getline(in, line);)
        entries.push_back(std::regex_match(line, match, stamped) ? match[1].str() : "unstamped: " + line);
    return entries;
}

TEST_F(EngineTest, ErrorsReachTheLogFileLineByLineStampedEvenWhenTheConsoleDropsThem)
{
    ASSERT_EQ(Exec("import _console\n_console.putstderr('first\\nsecond ')\n_console.putstdout('no error\\n')"), "");
    HoldKey(SDLK_LCTRL);   // silences the console, not the log
    ASSERT_EQ(Exec("_console.putstderr('part\\n')"), "");
    ReleaseKey(SDLK_LCTRL);
    EXPECT_EQ(Entries(ReadFile("brackwater.log")), (std::vector<std::string>{"first", "second part"}));
    // The console dropped the piece rather than delaying it.
    ASSERT_EQ(Exec("print('kept')"), "");
    EXPECT_EQ(std::prev(g_Console.Log().end(), 2)->m_Text, "first\nsecond no error\n");
    EXPECT_EQ(Eval("_console.putstdout(3)"), "TypeError: argument 1 must be str, not int");
}

using ErrorLogTest = ScriptPackageTest;

TEST_F(ErrorLogTest, AFullLogDropsItsOlderHalfAndKeepsWholeLines)
{
    cErrorLog log;
    for (int i = 0; i < 3000; ++i)
        log.Append("entry " + std::to_string(i) + " " + std::string(200, 'x') + "\n");
    log.Append(std::string(1 << 20, 'y') + " end\nlast\n");   // one huge entry keeps its end
    const std::string text = ReadFile("brackwater.log");
    EXPECT_LE(text.size(), cErrorLog::MAX_BYTES);
    EXPECT_EQ(text.find("entry 0 "), std::string::npos);
    std::vector<std::string> entries = Entries(text);
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries.front().rfind("unstamped", 0), std::string::npos) << entries.front();
    EXPECT_TRUE(entries[entries.size() - 2].ends_with("yyy end"));
    EXPECT_EQ(entries.back(), "last");
}

TEST_F(ErrorLogTest, WhereTheGameDirectoryCannotBeWrittenTheLogGoesToTheStateDirectory)
{
    setenv("XDG_STATE_HOME", (m_Dir / "state").c_str(), 1);
    ASSERT_EQ(chdir("/proc"), 0);   // refuses new files even to root
    cErrorLog log;
    log.Append("warning\n");
    ASSERT_EQ(chdir(m_Dir.c_str()), 0);
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(log.LastPath(), (m_Dir / "state/brackwater/brackwater.log").string());
    EXPECT_EQ(Entries(ReadFile("state/brackwater/brackwater.log")), std::vector<std::string>{"warning"});
}

} // namespace
