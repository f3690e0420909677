#include <SDL/SDL.h>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/ScriptConsole.h"
#include "core/cErrorLog.h"
#include "support/EngineFixture.h"

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

const std::regex k_Stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4}  (.*))");

std::string Unstamped(const std::string& line)
{
    std::smatch match;
    return std::regex_match(line, match, k_Stamped) ? match[1].str() : "unstamped: " + line;
}

TEST_F(EngineTest, ErrorsReachTheLogFileLineByLineStampedEvenWhenTheConsoleDropsThem)
{
    ASSERT_EQ(Exec("import _console\n_console.putstderr('first\\nsecond ')\n_console.putstdout('no error\\n')"), "");
    HoldKey(SDLK_LCTRL);   // silences the console, not the log
    ASSERT_EQ(Exec("_console.putstderr('part\\n')"), "");
    ReleaseKey(SDLK_LCTRL);
    std::vector<std::string> lines = Lines(ReadFile("brackwater.log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Unstamped(lines[0]), "first");
    EXPECT_EQ(Unstamped(lines[1]), "second part");
    EXPECT_EQ(g_Console.ErrorLog().LastPath(), "brackwater.log");
}

class ErrorLogTest : public ScriptPackageTest
{
};

TEST_F(ErrorLogTest, AFullLogDropsItsOlderHalfAndKeepsWholeLines)
{
    cErrorLog log;
    const std::string filler(200, 'x');
    for (int i = 0; i < 3000; ++i)
        log.Append("entry " + std::to_string(i) + " " + filler + "\n");
    log.Append(std::string(1 << 20, 'y') + " end\n");   // one huge entry keeps its end
    log.Append("last\n");
    const std::string text = ReadFile("brackwater.log");
    EXPECT_LE(text.size(), cErrorLog::k_MaxBytes);
    std::vector<std::string> lines = Lines(text);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(Unstamped(lines.back()), "last");
    EXPECT_TRUE(Unstamped(lines[lines.size() - 2]).ends_with("yyy end"));
    EXPECT_EQ(text.find("entry 0 "), std::string::npos);
    EXPECT_EQ(Unstamped(lines.front()).rfind("unstamped", 0), std::string::npos) << lines.front();
}

TEST_F(ErrorLogTest, WhereTheGameDirectoryCannotBeWrittenTheLogGoesToTheStateDirectory)
{
    const std::string state = (m_Dir / "state").string();
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    ASSERT_EQ(chdir("/proc"), 0);   // refuses new files even to root
    cErrorLog log;
    log.Append("warning\n");
    ASSERT_EQ(chdir(m_Dir.c_str()), 0);
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(log.LastPath(), state + "/brackwater/brackwater.log");
    EXPECT_EQ(Unstamped(Lines(ReadFile("state/brackwater/brackwater.log")).at(0)), "warning");
}

} // namespace
