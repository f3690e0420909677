#include "SoundTestSupport.h"

#include <SDL/SDL.h>
#include <cstdlib>

// What the mixer really produced, captured through SDL's disk driver: each play is a 441 Hz
// tone of peak 16000, separated from the next by silence.
class SoundCaptureTest : public MixerTest
{
protected:
    void SetUp() override
    {
        MixerTest::SetUp();
        OpenOnDiskDriver();
        m_Beep = Tone("beep.wav", 0.2).string();
    }

    // Plays one sound through `play` (which returns its channel), then waits for silence.
    template <class Play>
    void PlayAlone(Play play)
    {
        int channel = play();
        ASSERT_GE(channel, 0);
        WaitUntilSilent(channel);
        SDL_Delay(200);
    }

    std::string m_Beep;
};

namespace {

constexpr int FULL = 16000;

int Scaled(int gain) { return FULL * gain / 255; }

} // namespace

TEST_F(SoundCaptureTest, PanSplitsTheSampleBetweenTheSidesSummingTo254)
{
    struct sCase { unsigned char pan; int left, right; } cases[] = {
        {0, 0, Scaled(254)},            // full right
        {254, Scaled(254), 0},          // full left
        {127, Scaled(127), Scaled(127)},   // centre: balanced, each side halved
        {255, FULL, FULL},              // 255 on both sides: untouched
    };
    for (const sCase& c : cases)
        PlayAlone([&] { return m_Sound.PlaySoundPanned(m_Beep, c.pan, 0) ? 0 : -1; });

    std::vector<sLevels> sounds = SplitIntoSounds(StopAndReadCapture());
    RecordProperty("levels", DescribeLevels(sounds));
    ASSERT_EQ(sounds.size(), std::size(cases)) << DescribeLevels(sounds);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("pan " + std::to_string(cases[i].pan) + ": " + DescribeLevels({sounds[i]}));
        EXPECT_NEAR(sounds[i].left, cases[i].left, 200);
        EXPECT_NEAR(sounds[i].right, cases[i].right, 200);
    }
}

TEST_F(SoundCaptureTest, PositionAndDistanceShapeTheLevels)
{
    PlayAlone([&] { return m_Sound.PlaySoundPositional(m_Beep, 90, 0) ? 0 : -1; });
    PlayAlone([&] { return m_Sound.PlaySoundPositional(m_Beep, 270, 0) ? 0 : -1; });
    // The mixer takes the angle's magnitude: -90 is 90, not 270.
    PlayAlone([&] { return m_Sound.PlaySoundPositional(m_Beep, -90, 0) ? 0 : -1; });
    PlayAlone([&] { return m_Sound.PlaySoundPanned(m_Beep, 127, 0) ? 0 : -1; });
    PlayAlone([&] { return m_Sound.PlaySoundPanned(m_Beep, 127, 255) ? 0 : -1; });

    std::vector<sLevels> sounds = SplitIntoSounds(StopAndReadCapture());
    RecordProperty("levels", DescribeLevels(sounds));
    // Distance 255 may fade to nothing at all, and then it is no sound of its own.
    ASSERT_GE(sounds.size(), 4u) << DescribeLevels(sounds);
    EXPECT_GT(sounds[0].right, 2 * sounds[0].left) << "90 degrees favours the right";
    EXPECT_GT(sounds[1].left, 2 * sounds[1].right) << "270 degrees favours the left";
    EXPECT_EQ(sounds[2].left, sounds[0].left);
    EXPECT_EQ(sounds[2].right, sounds[0].right);
    const int near = sounds[3].left;
    const int far = sounds.size() == 5 ? sounds[4].left : 0;
    EXPECT_LT(far, near / 2) << "distance 255 against distance 0: " << DescribeLevels(sounds);
}

TEST_F(SoundCaptureTest, NormalPlayAfterAPannedOneOnTheSameChannelIsCentredAgain)
{
    PlayAlone([&] { return m_Sound.PlaySoundPanned(m_Beep, 0, 0) ? 0 : -1; });
    int channel = -1;
    PlayAlone([&] { return m_Sound.PlaySoundNormal(m_Beep, 128, &channel) ? channel : -1; });
    EXPECT_EQ(channel, 0) << "both plays must share the first free channel";
    PlayAlone([&] { return m_Sound.PlaySoundPositional(m_Beep, 90, 200) ? 0 : -1; });
    PlayAlone([&] { return m_Sound.PlaySoundNormal(m_Beep, 128, nullptr) ? 0 : -1; });

    std::vector<sLevels> sounds = SplitIntoSounds(StopAndReadCapture());
    RecordProperty("levels", DescribeLevels(sounds));
    ASSERT_EQ(sounds.size(), 4u) << DescribeLevels(sounds);
    EXPECT_EQ(sounds[0].left, 0);
    EXPECT_EQ(sounds[1].left, FULL);
    EXPECT_EQ(sounds[1].right, FULL);
    EXPECT_LT(sounds[2].left, sounds[2].right);
    EXPECT_EQ(sounds[3].left, FULL);
    EXPECT_EQ(sounds[3].right, FULL);
}

TEST_F(SoundCaptureTest, SampleAndChannelVolumesMultiply)
{
    struct sCase { int sfxVolume, sampleVolume, peak; } cases[] = {
        {128, 128, FULL}, {128, 64, FULL / 2}, {64, 64, FULL / 4}, {0, 128, 0}, {200, 300, FULL},
    };
    for (const sCase& c : cases) {
        m_Sound.SetSoundVolume(c.sfxVolume);
        int channel = -1;
        ASSERT_TRUE(m_Sound.PlaySoundNormal(m_Beep, c.sampleVolume, &channel));
        WaitUntilSilent(channel);
        SDL_Delay(200);
    }
    std::vector<sLevels> sounds = SplitIntoSounds(StopAndReadCapture());
    RecordProperty("levels", DescribeLevels(sounds));
    ASSERT_EQ(sounds.size(), 4u) << "the muted play is no sound: " << DescribeLevels(sounds);
    const int expected[] = {FULL, FULL / 2, FULL / 4, FULL};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(sounds[i].left, expected[i], 2) << i;
        EXPECT_EQ(sounds[i].left, sounds[i].right) << i;
    }
}

TEST_F(SoundCaptureTest, EightBitAndStereoFilesPlayAtTheirOwnLevels)
{
    WriteWav(m_Dir / "8bit.wav", MakeTone(0.2, 441.0, 16000, 1), 1, TEST_RATE, 8);
    WriteWav(m_Dir / "left.wav", MakeTone(0.2, 441.0, 12000, 2, eSide::Left), 2);
    WriteWav(m_Dir / "22k.wav", MakeTone(0.4, 220.5, 16000, 1, eSide::Both, TEST_RATE / 2), 1, TEST_RATE / 2);
    for (const char* file : {"8bit.wav", "left.wav", "22k.wav"})
        PlayAlone([&] { return m_Sound.PlayBasicSound(file, 128); });

    std::vector<sLevels> sounds = SplitIntoSounds(StopAndReadCapture());
    RecordProperty("levels", DescribeLevels(sounds));
    ASSERT_EQ(sounds.size(), 3u) << DescribeLevels(sounds);
    EXPECT_NEAR(sounds[0].left, 16000, 300);
    EXPECT_EQ(sounds[0].left, sounds[0].right);
    EXPECT_NEAR(sounds[1].left, 12000, 10);
    EXPECT_EQ(sounds[1].right, 0);
    EXPECT_NEAR(sounds[2].left, 16000, 800);   // the rate conversion overshoots a little
    // Resampled to the mixer's rate: the 0.4 s at 22050 Hz last 0.4 s at 44100 Hz.
    EXPECT_NEAR(double(sounds[2].endFrame - sounds[2].firstFrame) / TEST_RATE, 0.4, 0.01);
}

TEST_F(SoundCaptureTest, OggVorbisMadeBySoxPlaysAsAnEffectAndLoopsAsMusic)
{
    if (std::system("command -v sox > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "sox is not installed; it writes this test's Ogg Vorbis file";
    const std::string ogg = (m_Dir / "tone.ogg").string();
    ASSERT_EQ(std::system(("sox -q -n -r 44100 -c 2 '" + ogg + "' synth 0.3 sine 441 vol 0.5").c_str()), 0);

    PlayAlone([&] { return m_Sound.PlayBasicSound(ogg, 128); });
    m_Sound.PlayMusic(ogg);
    RunFrames(900);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    m_Sound.KillMusic();

    std::vector<sLevels> sounds = SplitIntoSounds(StopAndReadCapture());
    RecordProperty("levels", DescribeLevels(sounds));
    ASSERT_EQ(sounds.size(), 2u) << DescribeLevels(sounds);
    EXPECT_NEAR(sounds[0].left, 16384, 800);
    EXPECT_NEAR(sounds[0].right, sounds[0].left, 200);
    EXPECT_GT(sounds[1].endFrame - sounds[1].firstFrame, TEST_RATE * 6 / 10) << "the 0.3 s file looped";
}
