#include "support/EngineFixture.h"

#include <SDL/SDL_mixer.h>

#include "SoundTestSupport.h"
#include "core/ScriptCore.h"
#include "graphics/GraphicsManager.h"

// The `sound` module as the game's scripts see it, in the engine started as the program does.
using SoundModuleTest = SoundTest;

// Calls with wrong arguments raise the interpreter's TypeError before they change anything.
TEST_F(SoundModuleTest, ResultsAChannelThatPlaysOverTimeAndBadCallsThatChangeNothing)
{
    StartEngineOn("dummy");
    // Four channels play by the time playing() is asked, so -1 (exactly one) is False.
    EXPECT_EQ(Eval("(sound.cachesound('beep.wav'), sound.playsound('beep.wav'), sound.playsound('beep.wav', 64),"
                   " sound.playsoundpan('beep.wav', 127, 0), sound.playsoundpos('beep.wav', 90, 10),"
                   " sound.playing(0), sound.playing(4), sound.playing(-1), sound.playsound('nothing.wav'),"
                   " sound.cachesound('nothing.wav'), sound.playmusic('c.wav'), sound.setmusicvol(100))"),
              "(True, 0, 1, True, True, True, False, False, None, False, None, None)");
    EXPECT_TRUE(FramesUntil("not sound.playing(0)"));
    EXPECT_EQ(Eval("sound.playsound('beep.wav')"), "0") << "the channel is free again";
    ASSERT_EQ(Exec("def refused(f):\n    try:\n        f(1, 2, 3, 4)\n    except TypeError:\n        return True"), "");
    EXPECT_EQ(Eval("[n for n, f in vars(sound).items() if callable(f) and not refused(f)]"), "[]");
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_NE(Mix_FadingMusic(), MIX_FADING_OUT) << "the music was not stopped";
    EXPECT_EQ(Mix_VolumeMusic(-1), 100);
    EXPECT_EQ(Eval("sound.killallsfx(), sound.playing(0), sound.stopmusic(), sound.killmusic()"),
              "(None, False, None, None)");

    // The main loop reapplies the configured volumes.
    ASSERT_EQ(Exec("config['music volume'] = 50\nconfig['sound effects volume'] = 25\nsound.setsfxvol(128)"), "");
    g_Graphics.m_MenuManager.InitVolumeFromConfig();
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    EXPECT_EQ(Mix_Volume(0, -1), 32);
    EXPECT_EQ(Mix_Volume(31, -1), 32);
}

TEST_F(SoundModuleTest, WithoutAnAudioDeviceEveryFunctionStillAnswersSilently)
{
    StartEngineOn("no-such-driver");
    testing::internal::CaptureStdout();
    const std::string results = Eval(
        "(sound.cachesound('beep.wav'), sound.playing(0), sound.playing(-1), sound.playsound('beep.wav'),"
        " sound.playsound('nothing.wav'), sound.playsoundpan('beep.wav', 127, 0),"
        " sound.playsoundpos('beep.wav', 90, 0), sound.playmusic('c.wav'), sound.setsfxvol(5),"
        " sound.setmusicvol(5), sound.stopmusic(), sound.killmusic(), sound.killallsfx())");
    Frame();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(results, "(False, False, False, None, None, False, False, None, None, None, None, None, None)");
    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
}

// What the mixer produced, heard through SDL's disk driver: each play on channel 0 (the first free
// one), followed by silence. Pan 0 is full right, 254 full left, 127 the centre, 255 both sides
// untouched; pan and distance keep their low 8 bits, the angle its low 16. A play leaves no
// effect behind for the next play on its channel.
TEST_F(SoundModuleTest, PlaysSoundOnTheirSidesAndWrapOutOfRangeArguments)
{
    StartEngineOn("disk");
    const int half = FULL * 127 / 255, nearlyFull = FULL * 254 / 255;
    const struct { const char* call; int left, right, tolerance; } plays[] = {
        {"sound.playsoundpan('beep.wav', 255, 0)", FULL, FULL, 2},
        {"sound.playsoundpan('beep.wav', 0, 0)", 0, nearlyFull, 2},
        {"sound.playsound('beep.wav')", FULL, FULL, 2},   // the panning is gone
        {"sound.playsoundpan('beep.wav', 127, 0)", half, half, 200},
        {"sound.playsoundpos('beep.wav', 90, 0)", 0, FULL, FULL / 3},   // favours the right
        {"sound.playsoundpan('beep.wav', 510, 256)", nearlyFull, 0, 2},   // pan 254, distance 0
        {"sound.playsoundpos('beep.wav', 65626, 512)", 0, FULL, FULL / 3},   // angle 90, distance 0
        {"sound.playsound('beep.wav', 64)", FULL / 2, FULL / 2, 0},
        {"sound.playsoundpan('beep.wav', 127, 255)", 0, 0, half / 2},   // far below distance 0; may be silent
    };
    for (const auto& p : plays) {
        const std::string result = Eval(p.call);
        ASSERT_TRUE(result == "True" || result == "0") << p.call << " gave " << result;
        ASSERT_TRUE(FramesUntil("not sound.playing(0)"));
        RunForSound(m_Dir / "capture.raw", 100, [this] { Frame(); });
    }
    g_ScriptCore.Quit(true);   // closes the capture; the fixture's own Quit then finds nothing to do
    std::vector<sLevels> sounds = SplitIntoSounds(m_Dir / "capture.raw");
    ASSERT_GE(sounds.size(), std::size(plays) - 1);
    ASSERT_LE(sounds.size(), std::size(plays));
    sounds.resize(std::size(plays));
    for (size_t i = 0; i < std::size(plays); ++i) {
        EXPECT_NEAR(sounds[i].left, plays[i].left, plays[i].tolerance) << plays[i].call;
        EXPECT_NEAR(sounds[i].right, plays[i].right, plays[i].tolerance) << plays[i].call;
    }
}
