#include "SoundTestSupport.h"

// What the mixer really produced, heard through SDL's disk driver.
class SoundCaptureTest : public MixerTest
{
};

TEST_F(SoundCaptureTest, PlaysSoundOnTheirSidesAndLeaveNoEffectsToTheNextPlayOnTheirChannel)
{
    Open("disk");
    WriteTone(m_Dir / "beep.wav", 0.2);
    const int half = FULL * 127 / 255, nearlyFull = FULL * 254 / 255;
    // One after another, each on channel 0 (the first free one) and followed by silence. Pan 0 is
    // full right, 254 full left, 127 the centre, 255 both sides untouched.
    struct sPlay { char kind; int arg, distance, left, right, tolerance; } plays[] = {
        {'P', 255, 0, FULL, FULL, 2},
        {'P', 0, 0, 0, nearlyFull, 200},
        {'N', 128, 0, FULL, FULL, 2},   // the panning is gone
        {'P', 254, 0, nearlyFull, 0, 200},
        {'P', 127, 0, half, half, 200},
        {'O', 90, 0, 0, FULL, FULL / 3},   // favours the right
        {'N', 128, 0, FULL, FULL, 2},      // the position is gone
        {'O', 270, 0, FULL, 0, FULL / 3},
        {'P', 127, 255, 0, 0, half / 2},   // far below the same play at distance 0; may be silent
    };
    for (const sPlay& p : plays) {
        int channel = 0;
        const auto distance = (unsigned char)p.distance;
        const bool played = p.kind == 'N'   ? m_Sound.PlaySoundNormal("beep.wav", p.arg, &channel)
                            : p.kind == 'P' ? m_Sound.PlaySoundPanned("beep.wav", (unsigned char)p.arg, distance)
                                            : m_Sound.PlaySoundPositional("beep.wav", short(p.arg), distance);
        ASSERT_TRUE(played);
        EXPECT_EQ(channel, 0);
        for (const Uint32 end = SDL_GetTicks() + 3000; m_Sound.IsChannelPlaying(0) && SDL_GetTicks() < end;)
            SDL_Delay(5);
        SDL_Delay(200);
    }

    std::vector<sLevels> sounds = SplitIntoSounds(StopCapture());
    ASSERT_GE(sounds.size(), std::size(plays) - 1);
    ASSERT_LE(sounds.size(), std::size(plays));
    sounds.resize(std::size(plays));
    for (size_t i = 0; i < std::size(plays); ++i) {
        EXPECT_NEAR(sounds[i].left, plays[i].left, plays[i].tolerance) << "play " << i;
        EXPECT_NEAR(sounds[i].right, plays[i].right, plays[i].tolerance) << "play " << i;
    }
}
