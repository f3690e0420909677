#include "SoundTestSupport.h"

#include <map>
#include <sstream>

// The music state machine, driven by Update calls and heard through SDL's disk driver. Steps:
// A, B, C play a.wav (left side only), b.wav (right only), c.wav (both sides); M plays a missing
// file; S stops, K kills; a number runs frames until that many ms of sound have been heard; W runs
// frames until the music's fade-out has ended. Waiting on sound, not on the clock, keeps the
// cases the same on a loaded machine.
struct sMusicCase
{
    const char* name;
    const char* steps;
    const char* timeline;   // which file was heard, stretch by stretch; '.' for silence
    bool playingAtEnd;
    const char* openStreams;   // descriptors held on a.wav, b.wav, c.wav at the end
    double fadeA, fadeC;       // seconds of a.wav, c.wav heard below full level; < 0: not checked
};

void PrintTo(const sMusicCase& c, std::ostream* out) { *out << c.steps; }

class SoundMusicTest : public SoundTest, public testing::WithParamInterface<sMusicCase>
{
};

TEST_P(SoundMusicTest, IsHeardAsTheStepsAsk)
{
    const sMusicCase& c = GetParam();
    Open("disk");
    const std::filesystem::path capture = m_Dir / "capture.raw";
    const auto runFrames = [&](int ms) { RunForSound(capture, ms, [this] { m_Sound.Update(); }); };
    const std::map<std::string, std::string> files = {{"A", "a.wav"}, {"B", "b.wav"}, {"C", "c.wav"}, {"M", "no.ogg"}};
    testing::internal::CaptureStdout();
    std::istringstream steps(c.steps);
    for (std::string step; steps >> step;) {
        if (std::isdigit(step[0]))
            runFrames(std::stoi(step));
        else if (step == "S")
            m_Sound.StopMusic();
        else if (step == "K")
            m_Sound.KillMusic();
        else if (step == "W") {
            for (const Uint32 end = SDL_GetTicks() + 20000; Mix_FadingMusic() == MIX_FADING_OUT && SDL_GetTicks() < end;)
                runFrames(10);
        } else
            m_Sound.PlayMusic(files.at(step));
    }
    m_Sound.Update();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "music never writes a message";
    EXPECT_EQ(Mix_PlayingMusic(), c.playingAtEnd);
    std::string open;
    for (const char* file : {"a.wav", "b.wav", "c.wav"})
        open += char('0' + OpenFileCount(m_Dir / file));
    EXPECT_EQ(open, c.openStreams);

    // One letter per mixer buffer of 1024 frames.
    m_Sound.Quit();   // closes the capture file
    const std::vector<sLevels> windows = WindowLevels(capture, 1024);
    std::string heard, timeline;
    for (const sLevels& w : windows)
        heard += w.left > 30 && w.right > 30 ? 'C' : w.left > 30 ? 'A' : w.right > 30 ? 'B' : '.';
    for (size_t i = 0; i < heard.size();) {
        const size_t end = std::min(heard.find_first_not_of(heard[i], i), heard.size());
        // Silence before the first sound depends on how soon the test began. A fade's quiet end,
        // and the frame after it that starts the next file coming late on a loaded machine, leave
        // a gap of up to a few buffers before the next file.
        if (heard[i] != '.' || (i > 0 && (end == heard.size() || end - i >= 10)))
            timeline += timeline.empty() || timeline.back() != heard[i] ? std::string(1, heard[i]) : "";
        i = end;
    }
    RecordProperty("timeline", timeline);
    EXPECT_EQ(timeline, c.timeline) << heard;
    for (auto [who, expected] : {std::pair('A', c.fadeA), std::pair('C', c.fadeC)}) {
        int fading = 0;
        for (size_t i = 0; i < windows.size(); ++i)
            fading += heard[i] == who && std::max(windows[i].left, windows[i].right) < FULL * 97 / 100;
        RecordProperty(std::string("fade") + who, std::to_string(fading * 1024.0 / TEST_RATE));
        EXPECT_TRUE(expected < 0 || std::abs(fading * 1024.0 / TEST_RATE - expected) < 0.15)
            << who << " fades for " << fading * 1024.0 / TEST_RATE << " s in " << heard;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Music, SoundMusicTest,
    testing::Values(
        // A 400 ms fade-in, then full level, past the end of the 2 s file: it loops.
        sMusicCase{"TheSameFileTwiceStartsOnceAndLoops", "A 1000 A 1300", "A", true, "100", 0.4, -1},
        // KillMusic leaves the stop's 2 s fade alone; Update releases the stream afterwards.
        sMusicCase{"KillMusicWaitsForTheFadeOfStopMusic", "A 700 S K 1000 W", "A.", false, "000", 2.4, -1},
        sMusicCase{"KillMusicStopsAtOnceAndForgetsTheFile", "A 600 K 500 A 600", "A.A", true, "100", 0.8, -1},
        sMusicCase{"AMissingFileFallsSilent", "M 200 A 700 M 800", "A.", false, "000", 0.8, -1},
        // B, asked for as A starts to fade out, is never loaded: the switch goes to C, the last
        // file asked for.
        sMusicCase{"AStopDuringASwitchRunsItsFadeThenSwitchesToTheLastFileAskedFor", "A 700 B C S W 600", "AC", true,
                   "001", 2.4, 0.4},
        // Killing a switch leaves nothing to switch to: later music stops for good when asked.
        sMusicCase{"MusicAfterAKilledSwitchStaysStopped", "A 600 C K B 600 S W 500", "AB.", false, "000", -1, -1},
        // A new start cuts a stop's fade short instead of stalling the frame for it.
        sMusicCase{"PlayMusicDuringAStopsFadeStartsAtOnce", "A 700 S 100 B 600", "AB", true, "010", 0.5, -1}),
    [](const testing::TestParamInfo<sMusicCase>& info) { return std::string(info.param.name); });
