// What the menus cost at 800 x 600 under the renderer in use, each frame timed up to glFinish
// after the buffer swap: the main menu, the character select screen in its confirmation stage
// (the model on show and the box) and the control options, beside the bare buffer swap that
// paces every frame; then leaving the menus for play (StartGame up to the end of the first game
// frame, the shipped game loading its room and characters) and a resolution change (backgrounds
// and character textures reloaded). All on the shipped game and its generated data.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "core/GameState.h"
#include "core/ScriptCore.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"

namespace fs = std::filesystem;

namespace {

cMenuManager& Menus() { return g_Graphics.m_MenuManager; }

// A key held for one whole frame, then released for one, as the menus read it.
void Press(int key)
{
    Uint8* keys = SDL_GetKeyState(nullptr);
    keys[key] = 1;
    g_ScriptCore.Update();
    keys[key] = 0;
    g_ScriptCore.Update();
}

void TimedMenuFrames(benchmark::State& state)
{
    for (auto _ : state) {
        g_Graphics.RenderScene();
        g_Graphics.RenderScene_End();
        glFinish();
    }
}

void BM_MenuFrame_MainMenu(benchmark::State& state)
{
    TimedMenuFrames(state);
}

void BM_MenuFrame_CharSelectConfirm(benchmark::State& state)
{
    Press(SDLK_RETURN);   // New Game
    Press(SDLK_RETURN);   // the first character
    Press(SDLK_RETURN);   // the second: "Are these two ok?"
    TimedMenuFrames(state);
    for (int i = 0; i < 3; ++i)
        Press(SDLK_BACKSPACE);
}

void BM_MenuFrame_ControlOptions(benchmark::State& state)
{
    Menus().ChangeScreens(&Menus().m_ControlOptionsScreen);
    TimedMenuFrames(state);
    Menus().ChangeToPrevScreen();
}

void BM_BufferSwapOnly(benchmark::State& state)
{
    for (auto _ : state) {
        g_Graphics.RenderScene_End();
        glFinish();
    }
}

void BM_StartGameToFirstGameFrame(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Press(SDLK_RETURN);
        Press(SDLK_RETURN);
        Press(SDLK_RETURN);
        state.ResumeTiming();
        Menus().StartGame();
        g_ScriptCore.Update();
        glFinish();
        state.PauseTiming();
        g_ScriptCore.Reset();
        g_State.m_InMenu = true;
        Menus().EnterMainMenu();
        state.ResumeTiming();
    }
}

void BM_HandleResolutionChange(benchmark::State& state)
{
    for (auto _ : state) {
        Menus().HandleResolutionChange(800, 600, 800, 600);
        glFinish();
    }
}

BENCHMARK(BM_MenuFrame_MainMenu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MenuFrame_CharSelectConfirm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MenuFrame_ControlOptions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BufferSwapOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartGameToFirstGameFrame)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_HandleResolutionChange)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // A working directory of its own: the shipped package and freshly generated data.
    fs::path dir = fs::temp_directory_path() / ("brackwater-menubench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::copy(fs::path(BW_SOURCE_DIR) / "game/system", dir / "system", fs::copy_options::recursive);
    std::string generate = "/usr/bin/python3 '" + (fs::path(BW_SOURCE_DIR) / "tools/make_game_data.py").string() +
                           "' '" + dir.string() + "' >/dev/null";
    if (std::system(generate.c_str()) != 0) {
        std::fprintf(stderr, "MenuBench: could not generate the game data\n");
        return 1;
    }
    fs::current_path(dir);

    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0 || !g_Graphics.SetupWindowedMode(800, 600)) {
        std::fprintf(stderr, "MenuBench: no window: %s\n", SDL_GetError());
        return 1;
    }
    g_Graphics.EnumDisplayModes();
    g_ScriptCore.Init(true);
    g_Input.Init();
    Press(SDLK_RETURN);   // past both splash screens to the main menu
    Press(SDLK_RETURN);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_ScriptCore.Quit(true);
    g_Input.Cleanup();
    SDL_Quit();
    fs::current_path(fs::temp_directory_path());
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
