#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sound/SoundManager.h"

constexpr int TEST_RATE = 44100;

// Which output side a generated tone sounds on.
enum class eSide { Left, Right, Both };

// A sine tone of `seconds` at `hz`, peak `amplitude`, 16-bit at 44100 Hz; stereo files carry it
// on the chosen side(s) only, which lets a capture tell music files apart through any fade.
std::vector<int16_t> MakeTone(double seconds, double hz, int amplitude, int channels, eSide side = eSide::Both,
                              int rate = TEST_RATE);
void WriteWav(const std::filesystem::path& path, const std::vector<int16_t>& samples, int channels,
              int rate = TEST_RATE, int bitsPerSample = 16);

struct sLevels
{
    int left = 0;    // peak absolute sample
    int right = 0;
    long firstFrame = 0, endFrame = 0;   // frame span in the capture
};

// A run of sound bounded by at least `minGapFrames` of exact silence on both sides.
std::vector<sLevels> SplitIntoSounds(const std::vector<int16_t>& stereo, long minGapFrames = 1000);
// Peak levels over consecutive windows of `windowFrames`.
std::vector<sLevels> WindowLevels(const std::vector<int16_t>& stereo, long windowFrames);

// A working directory of its own and a manager of the test's own (never the global one), opened
// on SDL's disk driver (output captured as raw 16-bit stereo) or its dummy driver.
class MixerTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void OpenOnDiskDriver();
    void OpenOnDummyDriver();
    std::vector<int16_t> StopAndReadCapture();   // quits the manager, which closes the file

    // Calls Update about every 10 ms for `ms` of real time, as frames would.
    void RunFrames(int ms);
    void WaitUntilSilent(int channel, int timeoutMs = 3000);

    std::filesystem::path Tone(const std::string& name, double seconds, int amplitude = 16000,
                               eSide side = eSide::Both, int channels = 1, double hz = 441.0);
    int OpenFileCount(const std::filesystem::path& path) const;   // descriptors this process holds

    std::filesystem::path m_Dir;
    std::filesystem::path m_CapturePath;
    SoundManager m_Sound;

private:
    std::filesystem::path m_OldDir;
};

std::string DescribeLevels(const std::vector<sLevels>& levels);
