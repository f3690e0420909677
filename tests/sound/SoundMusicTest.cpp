#include "SoundTestSupport.h"

#include <SDL/SDL.h>

namespace fs = std::filesystem;

// The music state machine, driven by real time and Update calls, heard through SDL's disk
// driver. Music A sounds on the left only, B on the right only and C on both sides, so every
// stretch of the capture tells which file made it, at whatever point of a fade.
class SoundMusicTest : public MixerTest
{
protected:
    void SetUp() override
    {
        MixerTest::SetUp();
        OpenOnDiskDriver();
        m_A = Tone("a.wav", 2.0, FULL, eSide::Left, 2).string();
        m_B = Tone("b.wav", 2.0, FULL, eSide::Right, 2).string();
        m_C = Tone("c.wav", 2.0, FULL, eSide::Both, 2).string();
    }

    // Runs frames until the music has stopped (at most `timeoutMs`), then one more.
    void RunUntilMusicStops(int timeoutMs)
    {
        const Uint32 end = SDL_GetTicks() + Uint32(timeoutMs);
        while (Mix_PlayingMusic() && SDL_GetTicks() < end)
            RunFrames(10);
        m_Sound.Update();
    }

    struct sHeard
    {
        // One letter per stretch: A, B, C, or '.' for silence of more than 100 ms after the first
        // sound (a fade's quiet end and the next frame's start leave shorter gaps).
        std::string timeline;
        std::vector<sLevels> windows;  // 1024-frame windows, one mixer buffer each
        std::string classes;           // one letter per window
    };

    sHeard Listen()
    {
        sHeard heard;
        heard.windows = WindowLevels(StopAndReadCapture(), WINDOW);
        for (const sLevels& w : heard.windows) {
            const bool left = w.left > 30, right = w.right > 30;
            heard.classes += left && right ? 'C' : left ? 'A' : right ? 'B' : '.';
        }
        for (size_t i = 0; i < heard.classes.size();) {
            const char c = heard.classes[i];
            const size_t end = std::min(heard.classes.find_first_not_of(c, i), heard.classes.size());
            // Silence before the first sound depends only on how soon the test began.
            const bool skipped = c == '.' && (i == 0 || (end < heard.classes.size() && end - i < 5));
            if (!skipped && (heard.timeline.empty() || heard.timeline.back() != c))
                heard.timeline += c;
            i = end;
        }
        RecordProperty("timeline", heard.timeline);
        return heard;
    }

    // Windows of `who` that are neither silent nor at full level: the length of its fades.
    static int FadingWindows(const sHeard& heard, char who)
    {
        int count = 0;
        for (size_t i = 0; i < heard.windows.size(); ++i) {
            const int level = std::max(heard.windows[i].left, heard.windows[i].right);
            count += heard.classes[i] == who && level < FULL * 97 / 100;
        }
        return count;
    }

    static double Seconds(int windows) { return double(windows) * WINDOW / TEST_RATE; }

    static constexpr int FULL = 16000;
    static constexpr long WINDOW = 1024;
    std::string m_A, m_B, m_C;
};

TEST_F(SoundMusicTest, AskingAgainForThePlayingFileNeitherRestartsNorInterruptsIt)
{
    m_Sound.PlayMusic(m_A);
    RunFrames(700);
    m_Sound.PlayMusic(m_A);
    RunFrames(700);
    EXPECT_EQ(OpenFileCount(m_A), 1) << "loaded once";

    sHeard heard = Listen();
    EXPECT_EQ(heard.timeline, "A") << heard.classes;
    // One fade-in of about 400 ms, and full level ever after.
    EXPECT_NEAR(Seconds(FadingWindows(heard, 'A')), 0.4, 0.1) << DescribeLevels(heard.windows);
}

TEST_F(SoundMusicTest, ASwitchFadesOutAndThenFadesInTheLastFileAskedFor)
{
    m_Sound.PlayMusic(m_A);
    RunFrames(700);
    m_Sound.PlayMusic(m_B);
    RunFrames(100);
    m_Sound.PlayMusic(m_C);   // within the 400 ms of A's fade-out
    RunFrames(1200);
    EXPECT_EQ(OpenFileCount(m_A), 0) << "A was released";
    EXPECT_EQ(OpenFileCount(m_B), 0) << "B was never loaded";
    EXPECT_EQ(OpenFileCount(m_C), 1);

    sHeard heard = Listen();
    // A fades in and out, C fades in: about 400 ms each; B is never heard.
    EXPECT_EQ(heard.timeline, "AC") << heard.classes;
    EXPECT_NEAR(Seconds(FadingWindows(heard, 'A')), 0.8, 0.15);
    EXPECT_NEAR(Seconds(FadingWindows(heard, 'C')), 0.4, 0.1);
    const size_t firstC = heard.classes.find('C');
    ASSERT_NE(firstC, std::string::npos);
    EXPECT_LT(heard.windows[firstC].left, FULL / 4) << "C starts quiet";
    EXPECT_LT(heard.windows[firstC - 1].left, FULL / 4) << "A ended quiet";
}

TEST_F(SoundMusicTest, AfterStopMusicKillMusicWaitsAndUpdateReleasesTheStreamWhenTheFadeEnds)
{
    m_Sound.PlayMusic(m_A);
    RunFrames(700);
    m_Sound.StopMusic();
    m_Sound.KillMusic();
    EXPECT_EQ(Mix_PlayingMusic(), 1) << "KillMusic leaves a stopping stream alone";
    RunFrames(1000);
    EXPECT_EQ(Mix_PlayingMusic(), 1) << "still fading after 1 s";
    EXPECT_EQ(OpenFileCount(m_A), 1);
    RunUntilMusicStops(3000);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(OpenFileCount(m_A), 0) << "Update released the stream";

    sHeard heard = Listen();
    EXPECT_EQ(heard.timeline, "A.") << heard.classes;
    EXPECT_NEAR(Seconds(FadingWindows(heard, 'A')), 0.4 + 2.0, 0.15);
}

TEST_F(SoundMusicTest, KillMusicStopsAtOnceAndForgetsTheFile)
{
    m_Sound.PlayMusic(m_A);
    RunFrames(600);
    m_Sound.KillMusic();
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(OpenFileCount(m_A), 0);
    RunFrames(200);
    m_Sound.PlayMusic(m_A);   // no longer the current file: starts afresh
    RunFrames(600);
    EXPECT_EQ(Mix_PlayingMusic(), 1);

    sHeard heard = Listen();
    EXPECT_EQ(heard.timeline, "A.A") << heard.classes;
    EXPECT_NEAR(Seconds(FadingWindows(heard, 'A')), 0.8, 0.15) << "two fade-ins, no fade-out";
}

TEST_F(SoundMusicTest, AMissingMusicFileFallsSilentWithoutAMessage)
{
    testing::internal::CaptureStdout();
    m_Sound.PlayMusic("missing.ogg");
    RunFrames(200);
    const bool playedMissing = Mix_PlayingMusic();
    m_Sound.PlayMusic(m_A);
    RunFrames(700);
    m_Sound.PlayMusic("missing.ogg");
    RunFrames(800);
    const bool playingAfter = Mix_PlayingMusic();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(playedMissing);
    EXPECT_FALSE(playingAfter);
    EXPECT_EQ(OpenFileCount(m_A), 0);

    sHeard heard = Listen();
    EXPECT_EQ(heard.timeline, "A.") << heard.classes;
    EXPECT_NEAR(Seconds(FadingWindows(heard, 'A')), 0.8, 0.15) << "faded in, then out over 400 ms";
}

TEST_F(SoundMusicTest, AStopDuringASwitchLetsTheSwitchComplete)
{
    m_Sound.PlayMusic(m_A);
    RunFrames(700);
    m_Sound.PlayMusic(m_C);
    m_Sound.StopMusic();
    RunUntilMusicStops(3000);
    RunFrames(600);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(OpenFileCount(m_C), 1);

    sHeard heard = Listen();
    EXPECT_EQ(heard.timeline, "AC") << heard.classes;
    // The switch's fade-out became the stop's slower one and ran out before C began.
    EXPECT_GT(Seconds(FadingWindows(heard, 'A')), 0.4 + 1.5);
}

// Killing the music during a switch leaves nothing to switch to: music started afterwards stops
// for good when asked to, instead of coming back once its fade has ended.
TEST_F(SoundMusicTest, MusicStartedAfterAKilledSwitchStaysStopped)
{
    m_Sound.PlayMusic(m_A);
    RunFrames(600);
    m_Sound.PlayMusic(m_C);
    m_Sound.KillMusic();
    m_Sound.PlayMusic(m_B);
    RunFrames(600);
    m_Sound.StopMusic();
    RunUntilMusicStops(3000);
    RunFrames(500);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(OpenFileCount(m_B), 0);

    EXPECT_EQ(Listen().timeline, "AB.");
}

// A new start during a stop's fade cuts that fade short instead of waiting the 2 s for it.
TEST_F(SoundMusicTest, PlayMusicDuringAStopsFadeStartsTheNewFileAtOnce)
{
    m_Sound.PlayMusic(m_A);
    RunFrames(700);
    m_Sound.StopMusic();
    RunFrames(100);
    m_Sound.PlayMusic(m_B);
    RunFrames(600);
    EXPECT_EQ(OpenFileCount(m_A), 0);
    EXPECT_EQ(OpenFileCount(m_B), 1);

    sHeard heard = Listen();
    EXPECT_EQ(heard.timeline, "AB") << heard.classes;
    EXPECT_LT(Seconds(int(std::count(heard.classes.begin(), heard.classes.end(), 'A'))), 1.2);
}

TEST_F(SoundMusicTest, MusicVolumeScalesTheStream)
{
    m_Sound.PlayMusic(m_C);
    RunFrames(700);
    m_Sound.SetMusicVolume(64);
    RunFrames(300);
    m_Sound.SetSoundVolume(0);   // effects only
    RunFrames(300);

    sHeard heard = Listen();
    ASSERT_GE(heard.windows.size(), 4u);
    const sLevels& last = heard.windows[heard.windows.size() - 2];
    EXPECT_NEAR(last.left, FULL / 2, 2);
    EXPECT_NEAR(last.right, FULL / 2, 2);
}
