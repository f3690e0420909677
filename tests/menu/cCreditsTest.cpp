#include "support/EngineFixture.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "MenuWidgetTestSupport.h"
#include "menu/cCredits.h"

using namespace menutest;
namespace fs = std::filesystem;

namespace {

// "text@y s<size> r,g,b" for every line of the roll.
std::vector<std::string> Describe(const cCredits& credits)
{
    std::vector<std::string> result;
    for (const CreditsString& l : credits.GetLines())
        result.push_back(l.m_Text + "@" + std::to_string(l.m_Y) + " s" + std::to_string(l.m_Size) + " "
                         + std::to_string(l.m_Red) + "," + std::to_string(l.m_Green) + "," + std::to_string(l.m_Blue));
    return result;
}

// Restarts the roll and advances it by one step that the clock measures as at most a millisecond
// (two reads of the same millisecond count as one): speed x 4 pixels exactly. Retried until the
// step was that short, so the scroll does not depend on how busy the machine is.
void StartAndStep(cCredits& credits, int height, float speed)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const Uint32 before = SDL_GetTicks();
        while (SDL_GetTicks() == before) {
        }
        credits.StartCredits(height);
        credits.Update(speed);
        if (credits.GetScroll() == speed * 4000.0f / 1000.0f)
            return;
    }
    FAIL() << "no step of one millisecond in 1000 attempts";
}

using CreditsReaderTest = ScriptPackageTest;

} // namespace

TEST_F(CreditsReaderTest, LinesTakeTheSizeAndColourInForceUpToAMalformedCommandAndNoFileBreaksTheReader)
{
    const std::string longLine(100000, 'x'), white = " 255,255,255", kept = "kept@0 s12" + white;
    struct sCase
    {
        std::string file;
        std::vector<std::string> lines;
    };
    std::vector<sCase> cases = {
        {"First\n<s 20>\nSecond\n", {"First@0 s12" + white, "Second@14 s20" + white}},
        {"<s30>\na\nb", {"a@0 s30" + white, "b@35 s30" + white}},
        {"a\n\n<s 20\nb\n\n", {"a@0 s12" + white, "@14 s12" + white, "b@28 s20" + white, "@52 s20" + white}},
        {"<c 255 0 0>\nred\n<c 128 0 7>x\nhalf\n", {"red@0 s12 255,0,0", "half@14 s12 128,0,7"}},
        {"<x 1 2 3>\n<\na\r\n", {"a@0 s12" + white}},
        {"", {}},
        {longLine + "\nend", {longLine + "@0 s12" + white, "end@14 s12" + white}},
        {std::string("nul\0byte\n", 9), {std::string("nul\0byte", 8) + "@0 s12" + white}},
        {"<s 1000>\na\n<c 0 0 0>\nb\n", {"a@0 s1000" + white, "b@1167 s1000 0,0,0"}},
    };
    for (const char* command : {"<s 0>", "<s -3>", "<s 1001>", "<s>", "<s big>", "<s 99999999999999999999>",
                                "<c 255 0>", "<c 256 0 0>", "<c 0 -1 0>", "<c 1 2 x>"})
        cases.push_back({std::string("kept\n") + command + "\nlost\n", {kept}});
    for (const auto& c : cases) {
        WriteFile("credits.txt", c.file);
        cCredits credits;
        EXPECT_TRUE(credits.LoadFile("credits.txt"));
        EXPECT_EQ(Describe(credits), c.lines) << c.file.substr(0, 40);
    }
    // What cannot be read leaves the roll as it was.
    fs::create_directories(m_Dir / "folder");
    WriteFile("huge.txt", std::string(cCredits::MAX_FILE_BYTES + 1, '\n'));
    cCredits credits;
    ASSERT_TRUE(credits.LoadFile("credits.txt"));
    for (const char* path : {(const char*)nullptr, "missing.txt", "folder", "huge.txt", "/dev/zero"}) {
        EXPECT_FALSE(credits.LoadFile(path)) << (path ? path : "null");
        EXPECT_EQ(Describe(credits), std::vector<std::string>{kept});
    }
    // The game module reads its roll when it is created.
    WriteFile("system/Credits.txt", "<s 20>\nThanks\n");
    StartEngine();
    EXPECT_EQ(Describe(g_PyCredits), std::vector<std::string>{"Thanks@0 s20" + white});
}

// Images, sounds and models read as credits: nothing in them may crash or hang the reader or the
// roll.
TEST_F(EngineTest, EveryCorpusFileReadsAndRolls)
{
    const fs::path corpus = BW_CORPUS_DIR;
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        cCredits roll;
        if (!entry.is_regular_file() || !roll.LoadFile(entry.path().c_str()))
            continue;
        roll.StartCredits(600);
        for (int frame = 0; frame < 3; ++frame)
            roll.Update(100.0f * float(frame));
    }
}

// In a window 100 high the roll stops once its last line (y 86) has passed the middle: at a scroll
// above 136. Frozen at 158, the first two lines have left over the top edge, the third is cut by
// it, the small ones below are whole; a colour of 128 is full red.
TEST_F(EngineTest, TheRollStopsPastTheMiddleAndStaysDrawnAsItsGoldenAnEmptyOneNever)
{
    WriteFile("credits.txt", "<s 20>\nGone\nGone too\n<c 255 255 0>\nHalf out, yellow\n<s 12>\n<c 128 0 0>\n"
                             "Twelve, red at 128\n<c 0 255 255>\nAnd cyan\n<z ignored>\n");
    cCredits credits;
    ASSERT_TRUE(credits.LoadFile("credits.txt"));
    StartAndStep(credits, 100, 136 / 4.0f);
    EXPECT_FALSE(credits.IsFinished());
    StartAndStep(credits, 100, 158 / 4.0f);
    EXPECT_TRUE(credits.IsFinished());
    for (int frame = 0; frame < 2; ++frame) {
        BeginFrame();
        EXPECT_TRUE(credits.Update(0.005f));
        EXPECT_EQ(credits.GetScroll(), 158.0f);
        sImage top = ReadFrame();
        top.height = 100;
        top.rgb.resize(size_t(top.width) * 100 * 3);
        EXPECT_TRUE(FrameMatchesGolden(top, "menu/golden/credits_roll"));
    }
    // An empty roll draws nothing and never finishes, however far it scrolls.
    WriteFile("credits.txt", "");
    ASSERT_TRUE(credits.LoadFile("credits.txt"));
    StartAndStep(credits, 600, 1e6f);
    BeginFrame();
    EXPECT_FALSE(credits.Update(1e6f));
    const sImage empty = ReadFrame();
    EXPECT_EQ(std::count(empty.rgb.begin(), empty.rgb.end(), 0), std::ptrdiff_t(empty.rgb.size()));
}
