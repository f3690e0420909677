#include <benchmark/benchmark.h>

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "sound/SoundManager.h"

namespace fs = std::filesystem;

// The manager and the generated sounds, shared by every benchmark of this program.
namespace {

SoundManager* g_pBenchSound = nullptr;
fs::path g_BenchDir;

void WriteNoiseWav(const fs::path& path, int milliseconds, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> sample(-12000, 12000);
    const uint32_t frames = uint32_t(44100LL * milliseconds / 1000);
    const uint32_t dataBytes = frames * 4;
    std::ofstream out(path, std::ios::binary);
    auto put16 = [&](uint16_t v) { out.put(char(v & 0xff)).put(char(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(uint16_t(v & 0xffff)); put16(uint16_t(v >> 16)); };
    out.write("RIFF", 4);
    put32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(16);
    put16(1);
    put16(2);
    put32(44100);
    put32(44100 * 4);
    put16(4);
    put16(16);
    out.write("data", 4);
    put32(dataBytes);
    for (uint32_t i = 0; i < frames * 2; ++i)
        put16(uint16_t(int16_t(sample(random))));
}

std::string NoiseFile(int milliseconds) { return (g_BenchDir / ("noise" + std::to_string(milliseconds) + ".wav")).string(); }

void BM_PlaySoundNormal_Cached(benchmark::State& state)
{
    const std::string file = NoiseFile(int(state.range(0)));
    g_pBenchSound->KillAllSFX();
    g_pBenchSound->CacheSound(file);
    int played = 0;
    for (auto _ : state) {
        int channel = -1;
        benchmark::DoNotOptimize(g_pBenchSound->PlaySoundNormal(file, 128, &channel));
        if (++played % 32 == 0) {   // all channels busy: free them outside the timing
            state.PauseTiming();
            Mix_HaltChannel(-1);
            state.ResumeTiming();
        }
    }
    Mix_HaltChannel(-1);
}

void BM_PlaySoundNormal_FirstLoad(benchmark::State& state)
{
    const std::string file = NoiseFile(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        g_pBenchSound->KillAllSFX();   // the next play reads the file again
        state.ResumeTiming();
        int channel = -1;
        benchmark::DoNotOptimize(g_pBenchSound->PlaySoundNormal(file, 128, &channel));
    }
    g_pBenchSound->KillAllSFX();
}

// Peers: the mixer's own play of a chunk already in memory, and its own load of the file.
void BM_MixPlayChannel_Raw(benchmark::State& state)
{
    Mix_Chunk* pChunk = Mix_LoadWAV(NoiseFile(int(state.range(0))).c_str());
    int played = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Mix_PlayChannel(-1, pChunk, 0));
        if (++played % 32 == 0) {
            state.PauseTiming();
            Mix_HaltChannel(-1);
            state.ResumeTiming();
        }
    }
    Mix_HaltChannel(-1);
    Mix_FreeChunk(pChunk);
}

void BM_MixLoadWAV_Raw(benchmark::State& state)
{
    const std::string file = NoiseFile(int(state.range(0)));
    for (auto _ : state) {
        Mix_Chunk* pChunk = Mix_LoadWAV(file.c_str());
        benchmark::DoNotOptimize(pChunk);
        state.PauseTiming();
        Mix_FreeChunk(pChunk);
        state.ResumeTiming();
    }
}

BENCHMARK(BM_PlaySoundNormal_Cached)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaySoundNormal_FirstLoad)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MixPlayChannel_Raw)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MixLoadWAV_Raw)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The share of one core the whole process spends while the mixer plays `channels` effects under
// SDL's dummy driver (which paces the audio thread in real time) and the main thread sleeps.
enum eLoad { LOAD_NORMAL, LOAD_POSITIONAL, LOAD_WITH_MUSIC };

void BM_MixerLoad(benchmark::State& state)
{
    const int channels = int(state.range(0));
    const auto kind = eLoad(state.range(1));
    const std::string file = NoiseFile(10000);
    g_pBenchSound->CacheSound(file);
    if (kind == LOAD_WITH_MUSIC)
        g_pBenchSound->PlayMusic(NoiseFile(1000));
    for (int i = 0; i < channels; ++i) {
        bool ok = kind == LOAD_POSITIONAL ? g_pBenchSound->PlaySoundPositional(file, short(i * 11), 40)
                                          : g_pBenchSound->PlaySoundNormal(file, 128, nullptr);
        if (!ok)
            state.SkipWithError("a channel did not start");
    }
    SDL_Delay(100);   // let the mixer settle into its pace
    double cpuSeconds = 0, wallSeconds = 0;
    for (auto _ : state) {
        timespec cpu0{}, cpu1{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu0);
        const auto wall0 = std::chrono::steady_clock::now();
        SDL_Delay(200);
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu1);
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall0;
        cpuSeconds += double(cpu1.tv_sec - cpu0.tv_sec) + double(cpu1.tv_nsec - cpu0.tv_nsec) * 1e-9;
        wallSeconds += wall.count();
    }
    if (channels && !g_pBenchSound->IsChannelPlaying(channels - 1))
        state.SkipWithError("the effects ended before the measurement did");
    state.counters["cpu_load_%"] = 100.0 * cpuSeconds / wallSeconds;
    Mix_HaltChannel(-1);
    g_pBenchSound->KillMusic();
}

BENCHMARK(BM_MixerLoad)
    ->ArgNames({"channels", "kind"})
    ->Args({0, LOAD_NORMAL})
    ->Args({32, LOAD_NORMAL})
    ->Args({32, LOAD_POSITIONAL})
    ->Args({32, LOAD_WITH_MUSIC})
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Both ways of playing must give the same answer before their costs are compared.
bool PlaysAgree()
{
    const std::string file = NoiseFile(100);
    int loadedChannel = -1, cachedChannel = -1;
    g_pBenchSound->KillAllSFX();
    const bool loaded = g_pBenchSound->PlaySoundNormal(file, 128, &loadedChannel);
    Mix_HaltChannel(-1);
    const bool cached = g_pBenchSound->PlaySoundNormal(file, 128, &cachedChannel);
    Mix_HaltChannel(-1);
    Mix_Chunk* pPeer = Mix_LoadWAV(file.c_str());
    const int peerChannel = pPeer ? Mix_PlayChannel(-1, pPeer, 0) : -2;
    Mix_HaltChannel(-1);
    Mix_FreeChunk(pPeer);
    g_pBenchSound->KillAllSFX();
    return loaded && cached && loadedChannel == 0 && cachedChannel == 0 && peerChannel == 0;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::string pattern = (fs::temp_directory_path() / "brackwater-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    g_BenchDir = pattern;
    WriteNoiseWav(NoiseFile(100), 100, 100);
    WriteNoiseWav(NoiseFile(1000), 1000, 1000);
    WriteNoiseWav(NoiseFile(10000), 10000, 10000);

    SoundManager sound;
    sound.Init();
    g_pBenchSound = &sound;
    int result = 0;
    if (Mix_QuerySpec(nullptr, nullptr, nullptr) == 0) {
        std::fprintf(stderr, "no audio device could be opened\n");
        result = 1;
    } else if (!PlaysAgree()) {
        std::fprintf(stderr, "the loading and the cached play disagree\n");
        result = 1;
    } else {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    sound.Quit();
    fs::remove_all(g_BenchDir);
    return result;
}
