#pragma once
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "sound/SoundManager.h"
#include "support/EngineFixture.h"

constexpr int TEST_RATE = 44100;
constexpr int FULL = 16000;   // the peak of every generated tone

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 16-bit 44100 Hz WAV of a 441 Hz sine; a stereo one sounds on the chosen sides only, so that a
// capture tells music files apart at any point of a fade.
inline void WriteTone(const std::filesystem::path& path, double seconds, int channels = 1, bool left = true,
                      bool right = true)
{
    std::string samples, wav;
    auto put = [](std::string& out, uint32_t v, int bytes) { while (bytes--) out += char(v), v >>= 8; };
    for (long i = 0; i < std::lround(seconds * TEST_RATE); ++i) {
        const auto v = uint16_t(std::lround(FULL * std::sin(2.0 * M_PI * 441.0 * double(i) / TEST_RATE)));
        put(samples, channels == 1 || left ? v : 0, 2);
        if (channels == 2)
            put(samples, right ? v : 0, 2);
    }
    const uint32_t size = uint32_t(samples.size()), block = 2u * uint32_t(channels);
    wav = "RIFF";
    put(wav, 36 + size, 4);
    wav += "WAVEfmt ";
    put(wav, 16, 4), put(wav, 1, 2), put(wav, uint32_t(channels), 2), put(wav, TEST_RATE, 4);
    put(wav, TEST_RATE * block, 4), put(wav, block, 2), put(wav, 16, 2);
    wav += "data";
    put(wav, size, 4);
    std::ofstream(path, std::ios::binary) << wav << samples;
}

// Runs `frame` about every 5 ms until SDL's disk driver has written `ms` more of sound to
// `capture`. Durations count in sound, not in wall time: a loaded machine feeds the driver late,
// and a fixed sleep would then hear less than it asked for.
inline void RunForSound(const std::filesystem::path& capture, int ms, const std::function<void()>& frame)
{
    std::error_code error;
    const uintmax_t target = std::filesystem::file_size(capture, error) + uintmax_t(ms) * TEST_RATE / 1000 * 4;
    for (const Uint32 end = SDL_GetTicks() + 20000;
         std::filesystem::file_size(capture, error) < target && SDL_GetTicks() < end; SDL_Delay(5))
        frame();
}

struct sLevels
{
    int left = 0, right = 0;   // peak absolute samples
};

// Peaks over windows of `window` frames of what SDL's disk driver wrote (16-bit stereo).
inline std::vector<sLevels> WindowLevels(const std::filesystem::path& capture, long window)
{
    const std::string bytes = ReadBytes(capture);
    std::vector<int16_t> stereo(bytes.size() / 4 / size_t(window) * size_t(window) * 2);
    std::memcpy(stereo.data(), bytes.data(), stereo.size() * 2);
    std::vector<sLevels> windows(stereo.size() / 2 / size_t(window));
    for (size_t i = 0; i < stereo.size(); ++i) {
        int& peak = i % 2 ? windows[i / 2 / size_t(window)].right : windows[i / 2 / size_t(window)].left;
        peak = std::max(peak, std::abs(int(stereo[i])));
    }
    return windows;
}

// The peaks of each run of sound after silence of at least 1024 frames.
inline std::vector<sLevels> SplitIntoSounds(const std::filesystem::path& capture)
{
    std::vector<sLevels> sounds;
    bool silent = true;
    for (const sLevels& w : WindowLevels(capture, 1024)) {
        if (silent && (w.left || w.right))
            sounds.emplace_back();
        if ((silent = !w.left && !w.right))
            continue;
        sounds.back() = {std::max(sounds.back().left, w.left), std::max(sounds.back().right, w.right)};
    }
    return sounds;
}

// A working directory with the tones the tests play, and either a manager of the test's own
// (never g_Sound) or the engine started as the program starts it.
class SoundTest : public ScriptPackageTest
{
protected:
    void SetUp() override
    {
        ScriptPackageTest::SetUp();
        WriteTone(m_Dir / "beep.wav", 0.2);
        WriteTone(m_Dir / "long.wav", 5.0);
        WriteTone(m_Dir / "a.wav", 2.0, 2, true, false);
        WriteTone(m_Dir / "b.wav", 2.0, 2, false, true);
        WriteTone(m_Dir / "c.wav", 2.0, 2);
    }
    void TearDown() override
    {
        // The engine's shutdown comes first: it closes the mixer that an engine test's g_Sound
        // opened, which the test's own manager must not close from under it.
        ScriptPackageTest::TearDown();
        m_Sound.Quit();
    }

    // On SDL's "disk" driver the mixer's output is captured to capture.raw; "dummy" discards it.
    void Open(const char* driver)
    {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", (m_Dir / "capture.raw").c_str(), 1);
        m_Sound.Init();
        int frequency = 0, channels = 0;
        Uint16 format = 0;
        ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1) << "the " << driver << " driver did not open";
        ASSERT_EQ(std::tuple(frequency, format, channels), std::tuple(44100, Uint16(AUDIO_S16SYS), 2));
    }
    void StartEngineOn(const char* driver)
    {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", (m_Dir / "capture.raw").c_str(), 1);
        StartEngine();
        ASSERT_EQ(Exec("import sound"), "");
    }
    // Runs engine frames until `expression` is true, for at most `timeoutMs`.
    bool FramesUntil(const std::string& expression, int timeoutMs = 3000)
    {
        for (const Uint32 end = SDL_GetTicks() + Uint32(timeoutMs); SDL_GetTicks() < end; SDL_Delay(5)) {
            if (Eval(expression) == "True")
                return true;
            Frame();
        }
        return Eval(expression) == "True";
    }
    // Descriptors of this process open on `path`: whether a stream was loaded and released.
    static int OpenFileCount(const std::filesystem::path& path)
    {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            count += std::filesystem::read_symlink(entry.path(), error) == std::filesystem::weakly_canonical(path);
        }
        return count;
    }

    SoundManager m_Sound;
};
