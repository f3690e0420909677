#include "SoundTestSupport.h"

namespace fs = std::filesystem;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// Effects on SDL's dummy driver, where only the manager's answers and messages matter.
using SoundManagerTest = SoundTest;

namespace {

const std::string PROBLEM = "SoundManager: *error* problem playing sound\n";

std::string NotFound(const std::string& file, const std::string& then = PROBLEM)
{
    return "SoundManager: *warning* cannot locate sound file \"" + file + "\"\n"
           "SoundManager: *warning* could not play sound \"" + file + "\"\n" + then;
}

} // namespace

TEST_F(SoundManagerTest, AMissingFileGivesTheThreeMessagesAndIsNotCachedAndTheCacheKeysByName)
{
    Open("dummy");
    int channel = 77;
    CaptureStdout();
    EXPECT_FALSE(m_Sound.PlaySoundNormal("nothing.wav", 128, &channel));
    EXPECT_FALSE(m_Sound.PlaySoundPanned("nothing.wav", 127, 0));
    EXPECT_FALSE(m_Sound.PlaySoundPositional("nothing.wav", 90, 0));
    EXPECT_EQ(GetCapturedStdout(), NotFound("nothing.wav") + NotFound("nothing.wav") + NotFound("nothing.wav"));
    EXPECT_EQ(channel, 77) << "the channel is written only on success";

    // The failed load was not cached: the file plays once it is there, and then from the cache,
    // under that name only.
    fs::rename(m_Dir / "beep.wav", m_Dir / "nothing.wav");
    EXPECT_TRUE(m_Sound.PlaySoundNormal("nothing.wav", 128, &channel));
    EXPECT_EQ(channel, 0);
    fs::remove(m_Dir / "nothing.wav");
    CaptureStdout();
    EXPECT_TRUE(m_Sound.CacheSound("nothing.wav"));
    EXPECT_EQ(m_Sound.PlayBasicSound("./nothing.wav", 128), -1) << "another name is another entry";
    EXPECT_EQ(GetCapturedStdout(), NotFound("./nothing.wav", ""));
    m_Sound.KillAllSFX();
    EXPECT_FALSE(m_Sound.CacheSound("nothing.wav"));
}

TEST_F(SoundManagerTest, PlaysTakeTheFirstFreeChannelAndAllBusyGivesMinusOneAndTheError)
{
    Open("dummy");
    for (int expected = 0; expected < 32; ++expected) {
        int channel = -1;
        ASSERT_TRUE(m_Sound.PlaySoundNormal("long.wav", 128, &channel));
        EXPECT_EQ(channel, expected);
        EXPECT_EQ(m_Sound.IsChannelPlaying(-1), expected == 0) << "-1 asks whether exactly one plays";
    }
    for (int channel : {31, 32, 1000, -2, -1000})   // the mixer would read out of its table
        EXPECT_EQ(m_Sound.IsChannelPlaying(channel), channel == 31) << channel;

    int channel = 55;
    CaptureStdout();
    EXPECT_EQ(m_Sound.PlayBasicSound("long.wav", 128), -1);
    EXPECT_FALSE(m_Sound.PlaySoundNormal("long.wav", 128, &channel));
    EXPECT_EQ(GetCapturedStdout(), PROBLEM);
    EXPECT_EQ(channel, 55);

    m_Sound.KillAllSFX();   // freeing a sample stops the channels playing it
    EXPECT_FALSE(m_Sound.IsChannelPlaying(0));
    EXPECT_EQ(m_Sound.PlayBasicSound("long.wav", 128), 0);
}

TEST_F(SoundManagerTest, ResetStopsEverythingAndQuitReleasesEvenAStreamStillFadingOut)
{
    Open("dummy");
    const fs::path music = m_Dir / "c.wav";
    m_Sound.PlayMusic("c.wav");
    ASSERT_TRUE(m_Sound.PlaySoundNormal("long.wav", 128, nullptr));
    m_Sound.Reset();
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_FALSE(m_Sound.IsChannelPlaying(0));
    EXPECT_EQ(OpenFileCount(music), 0);

    m_Sound.PlayMusic("c.wav");
    m_Sound.StopMusic();
    ASSERT_EQ(OpenFileCount(music), 1);
    m_Sound.Quit();
    EXPECT_EQ(OpenFileCount(music), 0);
    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
    m_Sound.Init();
    EXPECT_TRUE(m_Sound.CacheSound("beep.wav")) << "a quit manager opens again";
}

// Bad files, the corpus's real files and truncated copies of them: each either plays or is
// refused with the messages, as an effect and as music, and never crashes or freezes the engine.
TEST_F(SoundManagerTest, MalformedAndRealFilesPlayOrAreRefusedCleanly)
{
    Open("dummy");
    const std::string wav = ReadBytes(m_Dir / "beep.wav");
    struct sFile { std::string path; char kind; };   // Malformed, Real, Truncated
    std::vector<sFile> files;
    auto write = [&](const std::string& name, const std::string& bytes, char kind) {
        std::ofstream(m_Dir / name, std::ios::binary) << bytes;
        files.push_back({(m_Dir / name).string(), kind});
    };
    write("empty.wav", "", 'M');
    write("text.wav", "this is not a sound\n", 'M');
    write("header-only.wav", wav.substr(0, 12), 'M');
    write("no-data.wav", wav.substr(0, 36), 'M');   // the mixer's stream loader would seek for ever
    write("riff-garbage.wav", "RIFF\xff\xff\xff\x7fWAVEfmt \x10\0\0\0" + std::string(200, '\xee'), 'M');
    write("ogg-garbage.ogg", "OggS" + std::string(500, '\x11'), 'M');
    const fs::path corpus = fs::path(BW_CORPUS_DIR) / "audio";
    std::error_code noCorpus;
    for (const auto& entry : fs::recursive_directory_iterator(corpus, noCorpus)) {
        if (!entry.is_regular_file())
            continue;
        files.push_back({entry.path().string(), 'R'});
        const std::string bytes = ReadBytes(entry.path());
        for (size_t length : {size_t(4), size_t(44), size_t(100), bytes.size() / 2, bytes.size() - 1})
            write(std::to_string(files.size()) + "-cut" + entry.path().extension().string(), bytes.substr(0, length), 'T');
    }

    std::string refused, silentAsMusic;
    for (const sFile& file : files) {
        SCOPED_TRACE(file.path);
        CaptureStdout();
        const bool played = m_Sound.PlaySoundNormal(file.path, 128, nullptr);
        const std::string messages = GetCapturedStdout();
        // A file loaded without a single sample cannot start on a channel: only the error then.
        EXPECT_TRUE(played ? messages.empty() : messages == NotFound(file.path) || messages == PROBLEM) << messages;
        m_Sound.PlayMusic(file.path);
        m_Sound.Update();
        const bool music = Mix_PlayingMusic();
        m_Sound.KillMusic();
        m_Sound.KillAllSFX();
        EXPECT_FALSE(file.kind == 'M' && (played || music));
        refused += file.kind == 'R' && !played ? file.path + " " : "";
        silentAsMusic += file.kind == 'R' && !music ? file.path + " " : "";
    }
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "no audio corpus at " << corpus << "; only the malformed files were tried";
    EXPECT_GE(std::count_if(files.begin(), files.end(), [](const sFile& f) { return f.kind == 'R'; }), 10);
    EXPECT_LE(std::count(refused.begin(), refused.end(), ' '), 1) << refused;
    EXPECT_LE(std::count(silentAsMusic.begin(), silentAsMusic.end(), ' '), 1) << silentAsMusic;
}
