// What one engine frame costs beside the buffer swap that paces it: the console, sound and input
// updates and the event drain, without drawing and without script work.
#include <benchmark/benchmark.h>

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>

#include "core/ScriptConsole.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"
#include "sound/SoundManager.h"

namespace {

void DrainEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_JOYBUTTONDOWN || event.type == SDL_JOYBUTTONUP)
            g_Input.HandleJoyStickEvent(event);
    }
}

void BM_FrameWithoutDrawing(benchmark::State& state)
{
    for (auto _ : state) {
        g_Console.Update();
        g_Sound.Update();
        g_Input.Update();
        DrainEvents();
    }
}

void BM_BufferSwap(benchmark::State& state)
{
    for (auto _ : state)
        g_Graphics.RenderScene_End();
}

BENCHMARK(BM_FrameWithoutDrawing);
BENCHMARK(BM_BufferSwap)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0 || !g_Graphics.SetupWindowedMode(800, 600)) {
        std::fprintf(stderr, "FrameBench: no window: %s\n", SDL_GetError());
        return 1;
    }
    g_Sound.Init();
    g_Input.Init();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_Sound.Quit();
    g_Input.Cleanup();
    SDL_Quit();
    return 0;
}
