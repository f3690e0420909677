#include "SoundTestSupport.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

std::vector<int16_t> MakeTone(double seconds, double hz, int amplitude, int channels, eSide side, int rate)
{
    const long frames = std::lround(seconds * rate);
    std::vector<int16_t> samples;
    samples.reserve(size_t(frames * channels));
    for (long i = 0; i < frames; ++i) {
        auto value = int16_t(std::lround(amplitude * std::sin(2.0 * M_PI * hz * double(i) / rate)));
        if (channels == 1) {
            samples.push_back(value);
        } else {
            samples.push_back(side == eSide::Right ? 0 : value);
            samples.push_back(side == eSide::Left ? 0 : value);
        }
    }
    return samples;
}

namespace {

void Put16(std::ofstream& out, uint16_t v) { out.put(char(v & 0xff)).put(char(v >> 8)); }
void Put32(std::ofstream& out, uint32_t v) { Put16(out, uint16_t(v & 0xffff)); Put16(out, uint16_t(v >> 16)); }

} // namespace

void WriteWav(const fs::path& path, const std::vector<int16_t>& samples, int channels, int rate, int bitsPerSample)
{
    std::ofstream out(path, std::ios::binary);
    const uint32_t bytesPerSample = uint32_t(bitsPerSample / 8);
    const uint32_t dataBytes = uint32_t(samples.size()) * bytesPerSample;
    out.write("RIFF", 4);
    Put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);   // PCM
    Put16(out, uint16_t(channels));
    Put32(out, uint32_t(rate));
    Put32(out, uint32_t(rate) * uint32_t(channels) * bytesPerSample);
    Put16(out, uint16_t(uint32_t(channels) * bytesPerSample));
    Put16(out, uint16_t(bitsPerSample));
    out.write("data", 4);
    Put32(out, dataBytes);
    for (int16_t s : samples) {
        if (bitsPerSample == 8)
            out.put(char(uint8_t((s >> 8) + 128)));   // 8-bit WAV is unsigned
        else
            Put16(out, uint16_t(s));
    }
}

std::vector<sLevels> SplitIntoSounds(const std::vector<int16_t>& stereo, long minGapFrames)
{
    std::vector<sLevels> sounds;
    const long frames = long(stereo.size() / 2);
    long silentRun = minGapFrames;
    for (long f = 0; f < frames; ++f) {
        int l = std::abs(int(stereo[size_t(2 * f)])), r = std::abs(int(stereo[size_t(2 * f + 1)]));
        if (l == 0 && r == 0) {
            ++silentRun;
            continue;
        }
        if (silentRun >= minGapFrames || sounds.empty())
            sounds.push_back({0, 0, f, f});
        silentRun = 0;
        sLevels& s = sounds.back();
        s.left = std::max(s.left, l);
        s.right = std::max(s.right, r);
        s.endFrame = f + 1;
    }
    return sounds;
}

std::vector<sLevels> WindowLevels(const std::vector<int16_t>& stereo, long windowFrames)
{
    std::vector<sLevels> windows;
    const long frames = long(stereo.size() / 2);
    for (long start = 0; start + windowFrames <= frames; start += windowFrames) {
        sLevels w{0, 0, start, start + windowFrames};
        for (long f = start; f < start + windowFrames; ++f) {
            w.left = std::max(w.left, std::abs(int(stereo[size_t(2 * f)])));
            w.right = std::max(w.right, std::abs(int(stereo[size_t(2 * f + 1)])));
        }
        windows.push_back(w);
    }
    return windows;
}

std::string DescribeLevels(const std::vector<sLevels>& levels)
{
    std::ostringstream text;
    for (const sLevels& l : levels)
        text << "[" << l.firstFrame << "-" << l.endFrame << " L" << l.left << " R" << l.right << "] ";
    return text.str();
}

void MixerTest::SetUp()
{
    m_OldDir = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "brackwater-sound-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_Dir = pattern;
    m_CapturePath = m_Dir / "capture.raw";
    fs::current_path(m_Dir);
}

void MixerTest::TearDown()
{
    m_Sound.Quit();
    fs::current_path(m_OldDir);
    std::error_code ignored;
    fs::remove_all(m_Dir, ignored);
}

void MixerTest::OpenOnDiskDriver()
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", m_CapturePath.c_str(), 1);
    m_Sound.Init();
    ASSERT_GT(Mix_QuerySpec(nullptr, nullptr, nullptr), 0) << "the disk audio driver did not open";
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    ASSERT_EQ(frequency, 44100);
    ASSERT_EQ(format, AUDIO_S16SYS);
    ASSERT_EQ(channels, 2);
}

void MixerTest::OpenOnDummyDriver()
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    m_Sound.Init();
    ASSERT_GT(Mix_QuerySpec(nullptr, nullptr, nullptr), 0) << "the dummy audio driver did not open";
}

std::vector<int16_t> MixerTest::StopAndReadCapture()
{
    m_Sound.Quit();
    std::ifstream in(m_CapturePath, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

void MixerTest::RunFrames(int ms)
{
    const Uint32 end = SDL_GetTicks() + Uint32(ms);
    while (SDL_GetTicks() < end) {
        m_Sound.Update();
        SDL_Delay(10);
    }
}

void MixerTest::WaitUntilSilent(int channel, int timeoutMs)
{
    const Uint32 end = SDL_GetTicks() + Uint32(timeoutMs);
    while (m_Sound.IsChannelPlaying(channel) && SDL_GetTicks() < end)
        SDL_Delay(5);
    ASSERT_FALSE(m_Sound.IsChannelPlaying(channel)) << "channel " << channel << " still playing";
}

fs::path MixerTest::Tone(const std::string& name, double seconds, int amplitude, eSide side, int channels, double hz)
{
    fs::path path = m_Dir / name;
    WriteWav(path, MakeTone(seconds, hz, amplitude, channels, side), channels);
    return path;
}

int MixerTest::OpenFileCount(const fs::path& path) const
{
    int count = 0;
    const fs::path target = fs::weakly_canonical(path);
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        fs::path link = fs::read_symlink(entry.path(), error);
        if (!error && link == target)
            ++count;
    }
    return count;
}
