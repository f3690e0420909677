#include "SoundTestSupport.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

// Effects on SDL's dummy driver, where only the manager's answers and messages matter.
class SoundManagerTest : public MixerTest
{
protected:
    void SetUp() override
    {
        MixerTest::SetUp();
        OpenOnDummyDriver();
        Tone("beep.wav", 0.05);
        Tone("long.wav", 5.0);
    }
};

namespace {

const std::string MISSING_MESSAGES = "SoundManager: *warning* cannot locate sound file \"nothing.wav\"\n"
                                     "SoundManager: *warning* could not play sound \"nothing.wav\"\n"
                                     "SoundManager: *error* problem playing sound\n";

} // namespace

TEST_F(SoundManagerTest, TheCacheLoadsEachNameOnceAndKeysByTheNameAsGiven)
{
    ASSERT_TRUE(m_Sound.CacheSound("beep.wav"));
    ASSERT_TRUE(m_Sound.PlaySoundNormal("beep.wav", 128, nullptr));
    fs::remove(m_Dir / "beep.wav");

    testing::internal::CaptureStdout();
    EXPECT_TRUE(m_Sound.CacheSound("beep.wav"));
    EXPECT_TRUE(m_Sound.PlaySoundNormal("beep.wav", 128, nullptr)) << "played from the cache";
    EXPECT_EQ(m_Sound.PlayBasicSound("./beep.wav", 128), -1) << "another name is another entry";
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "SoundManager: *warning* cannot locate sound file \"./beep.wav\"\n"
              "SoundManager: *warning* could not play sound \"./beep.wav\"\n");

    m_Sound.KillAllSFX();
    EXPECT_FALSE(m_Sound.CacheSound("beep.wav")) << "KillAllSFX emptied the cache";
}

TEST_F(SoundManagerTest, AMissingFileGivesThreeMessagesAndIsNotRemembered)
{
    int channel = 77;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(m_Sound.PlaySoundNormal("nothing.wav", 128, &channel));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), MISSING_MESSAGES);
    EXPECT_EQ(channel, 77) << "the channel is written only on success";

    testing::internal::CaptureStdout();
    EXPECT_FALSE(m_Sound.PlaySoundPanned("nothing.wav", 127, 0));
    EXPECT_FALSE(m_Sound.PlaySoundPositional("nothing.wav", 90, 0));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), MISSING_MESSAGES + MISSING_MESSAGES);

    fs::copy_file(m_Dir / "beep.wav", m_Dir / "nothing.wav");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(m_Sound.PlaySoundNormal("nothing.wav", 128, &channel));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(channel, 0);
}

TEST_F(SoundManagerTest, PlaysTakeTheFirstFreeChannelAndFailWhenAll32AreBusy)
{
    for (int expected = 0; expected < 32; ++expected) {
        int channel = -1;
        ASSERT_TRUE(m_Sound.PlaySoundNormal("long.wav", 128, &channel));
        EXPECT_EQ(channel, expected);
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(m_Sound.PlayBasicSound("long.wav", 128), -1);
    int channel = 55;
    EXPECT_FALSE(m_Sound.PlaySoundNormal("long.wav", 128, &channel));
    EXPECT_FALSE(m_Sound.PlaySoundPanned("long.wav", 127, 0));
    EXPECT_FALSE(m_Sound.PlaySoundPositional("long.wav", 45, 10));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SoundManager: *error* problem playing sound\n"
              "SoundManager: *error* problem playing sound\n"
              "SoundManager: *error* problem playing sound\n");
    EXPECT_EQ(channel, 55);

    m_Sound.KillAllSFX();   // freeing a sample stops the channels playing it
    EXPECT_FALSE(m_Sound.IsChannelPlaying(0));
    EXPECT_EQ(m_Sound.PlayBasicSound("long.wav", 128), 0);
}

TEST_F(SoundManagerTest, IsChannelPlayingAnswersForOneChannelOrExactlyOneOfAll)
{
    EXPECT_FALSE(m_Sound.IsChannelPlaying(-1));
    int first = -1, second = -1;
    ASSERT_TRUE(m_Sound.PlaySoundNormal("long.wav", 128, &first));
    EXPECT_TRUE(m_Sound.IsChannelPlaying(first));
    EXPECT_TRUE(m_Sound.IsChannelPlaying(-1)) << "exactly one channel plays";
    ASSERT_TRUE(m_Sound.PlaySoundNormal("long.wav", 128, &second));
    EXPECT_FALSE(m_Sound.IsChannelPlaying(-1)) << "two channels play";
    for (int channel : {2, 31, 32, 1000, -2, -1000})
        EXPECT_FALSE(m_Sound.IsChannelPlaying(channel)) << channel;

    int shortChannel = -1;
    ASSERT_TRUE(m_Sound.PlaySoundNormal("beep.wav", 128, &shortChannel));
    EXPECT_EQ(shortChannel, 2);
    WaitUntilSilent(shortChannel);
}

TEST_F(SoundManagerTest, EffectPlaysReportNoWarningsForAnyPanAngleOrDistance)
{
    testing::internal::CaptureStdout();
    int failures = 0;
    for (int pan : {0, 1, 127, 200, 254, 255}) {
        for (int distance : {0, 128, 255}) {
            failures += !m_Sound.PlaySoundPanned("beep.wav", (unsigned char)pan, (unsigned char)distance);
            Mix_HaltChannel(-1);   // keeps channels free for the next case
        }
    }
    for (int angle : {0, 90, 180, 359, 360, 720, -90, -32768, 32767}) {
        for (int distance : {0, 255}) {
            failures += !m_Sound.PlaySoundPositional("beep.wav", (short)angle, (unsigned char)distance);
            Mix_HaltChannel(-1);
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(failures, 0);
}

TEST_F(SoundManagerTest, ResetStopsEverythingAndKeepsTheMixerOpen)
{
    Tone("music.wav", 1.0);
    m_Sound.PlayMusic("music.wav");
    ASSERT_TRUE(m_Sound.PlaySoundNormal("long.wav", 128, nullptr));
    ASSERT_EQ(Mix_PlayingMusic(), 1);

    m_Sound.Reset();
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_FALSE(m_Sound.IsChannelPlaying(0));
    EXPECT_EQ(OpenFileCount(m_Dir / "music.wav"), 0);
    fs::remove(m_Dir / "long.wav");
    EXPECT_FALSE(m_Sound.CacheSound("long.wav")) << "the cache was emptied";
    EXPECT_TRUE(m_Sound.PlaySoundNormal("beep.wav", 128, nullptr)) << "still initialised";

    m_Sound.Init();   // a second Init changes nothing
    EXPECT_TRUE(m_Sound.IsChannelPlaying(0));
}

TEST_F(SoundManagerTest, QuitReleasesAStreamStillFadingOutAndInitOpensAgain)
{
    Tone("music.wav", 1.0);
    m_Sound.PlayMusic("music.wav");
    m_Sound.StopMusic();
    ASSERT_EQ(OpenFileCount(m_Dir / "music.wav"), 1);
    m_Sound.Quit();
    EXPECT_EQ(OpenFileCount(m_Dir / "music.wav"), 0);
    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0) << "the mixer is closed";
    EXPECT_FALSE(m_Sound.CacheSound("beep.wav"));

    m_Sound.Init();
    EXPECT_TRUE(m_Sound.CacheSound("beep.wav"));
}

// Bad files must be refused with the warning, never crash the engine.
TEST_F(SoundManagerTest, MalformedEffectFilesAreRefusedWithTheWarning)
{
    const std::string wav = [&] {
        std::ifstream in(m_Dir / "beep.wav", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }();
    struct sCase { const char* name; std::string bytes; } cases[] = {
        {"empty.wav", ""},
        {"text.wav", "this is not a sound\n"},
        {"header-only.wav", wav.substr(0, 12)},
        {"no-data.wav", wav.substr(0, 36)},
        {"riff-garbage.wav", "RIFF\xff\xff\xff\x7fWAVEfmt \x10\0\0\0" + std::string(200, '\xee')},
        {"ogg-garbage.ogg", "OggS" + std::string(500, '\x11')},
    };
    for (const sCase& c : cases) {
        std::ofstream(m_Dir / c.name, std::ios::binary) << c.bytes;
        testing::internal::CaptureStdout();
        const bool cached = m_Sound.CacheSound(c.name);
        EXPECT_FALSE(cached) << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  std::string("SoundManager: *warning* cannot locate sound file \"") + c.name + "\"\n");
        m_Sound.PlayMusic(c.name);   // as music: silently nothing
        m_Sound.Update();
        EXPECT_EQ(Mix_PlayingMusic(), 0) << c.name;
    }
}

// Every real file either plays or is refused with the messages; truncated copies of them too.
TEST_F(SoundManagerTest, RealFilesOfTheCorpusPlayOrAreRefusedCleanly)
{
    const fs::path corpus = fs::path(BW_CORPUS_DIR) / "audio";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "no audio corpus at " << corpus;
    int files = 0;
    std::string refused, refusedAsMusic;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file())
            continue;
        const std::string file = entry.path().string();
        SCOPED_TRACE(file);
        ++files;
        int channel = -1;
        testing::internal::CaptureStdout();
        const bool played = m_Sound.PlaySoundNormal(file, 128, &channel);
        const std::string messages = testing::internal::GetCapturedStdout();
        if (played) {
            EXPECT_EQ(messages, "");
            EXPECT_TRUE(m_Sound.IsChannelPlaying(channel));
            EXPECT_TRUE(m_Sound.PlaySoundPositional(file, 45, 100));
        } else {
            refused += entry.path().filename().string() + " ";
            EXPECT_EQ(messages, "SoundManager: *warning* cannot locate sound file \"" + file + "\"\n"
                                "SoundManager: *warning* could not play sound \"" + file + "\"\n"
                                "SoundManager: *error* problem playing sound\n");
        }

        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (size_t length : {size_t(4), size_t(44), size_t(100), bytes.size() / 2, bytes.size() - 1}) {
            const fs::path cut = m_Dir / ("cut" + std::to_string(length) + entry.path().extension().string());
            std::ofstream(cut, std::ios::binary) << bytes.substr(0, length);
            testing::internal::CaptureStdout();
            m_Sound.PlayBasicSound(cut.string(), 128);
            testing::internal::GetCapturedStdout();
            m_Sound.PlayMusic(cut.string());
            m_Sound.KillMusic();
            m_Sound.KillAllSFX();
        }

        m_Sound.PlayMusic(file);
        if (Mix_PlayingMusic() != 1)
            refusedAsMusic += entry.path().filename().string() + " ";
        m_Sound.KillMusic();
    }
    RecordProperty("refused", refused);
    RecordProperty("refusedAsMusic", refusedAsMusic);
    EXPECT_GE(files, 10);
    EXPECT_LE(std::count(refused.begin(), refused.end(), ' '), 1) << "refused: " << refused;
    EXPECT_LE(std::count(refusedAsMusic.begin(), refusedAsMusic.end(), ' '), 1) << "as music: " << refusedAsMusic;
}

// With no audio device the manager stays silent: every operation does nothing and says nothing.
TEST(SoundManagerSilentTest, WithoutAnAudioDeviceEveryOperationDoesNothing)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const fs::path dir = fs::temp_directory_path() / ("brackwater-silent-" + std::to_string(getpid()));
    fs::create_directories(dir);
    WriteWav(dir / "beep.wav", MakeTone(0.1, 441.0, 16000, 1), 1);
    const std::string beep = (dir / "beep.wav").string();

    SoundManager sound;
    testing::internal::CaptureStdout();
    sound.Init();
    EXPECT_FALSE(sound.CacheSound(beep));
    EXPECT_FALSE(sound.CacheSound("nothing.wav"));
    int channel = 9;
    EXPECT_FALSE(sound.PlaySoundNormal(beep, 128, &channel));
    EXPECT_EQ(channel, 9);
    EXPECT_FALSE(sound.PlaySoundPanned(beep, 127, 0));
    EXPECT_FALSE(sound.PlaySoundPositional(beep, 90, 0));
    EXPECT_EQ(sound.PlayBasicSound(beep, 128), -1);
    EXPECT_FALSE(sound.IsChannelPlaying(-1));
    EXPECT_FALSE(sound.IsChannelPlaying(0));
    sound.PlayMusic(beep);
    sound.Update();
    sound.SetSoundVolume(10);
    sound.SetMusicVolume(10);
    sound.StopMusic();
    sound.KillMusic();
    sound.KillAllSFX();
    sound.Reset();
    sound.Quit();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
    fs::remove_all(dir);
}
