// What a frame of play costs in each area of the shipped game at 800 x 600 under the renderer in
// use: one whole engine frame (console, scene and models, sound, the game's step, the buffer swap,
// input) timed up to glFinish, with the console closed and the player standing where the area is
// entered. Beside it the bare buffer swap, the floor that paces every frame. A frame must stay
// under 16.7 ms for 60 frames a second. The CPU column is the whole process's (the software
// renderer draws on threads of its own), which a busy machine inflates far less than the wall
// time. All on the shipped game and its generated data.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/GameState.h"
#include "core/ScriptConsole.h"
#include "core/ScriptCore.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"

namespace fs = std::filesystem;

namespace {

// A key held for one whole frame, then released for one, as the menus read it.
void Press(int key)
{
    Uint8* keys = SDL_GetKeyState(nullptr);
    keys[key] = 1;
    g_ScriptCore.Update();
    keys[key] = 0;
    g_ScriptCore.Update();
}

// Runs script statements in the game's namespace; false (with the error printed) when they raised.
bool Run(const std::string& statements)
{
    cPyRef result = cPyRef::Steal(PyRun_String(statements.c_str(), Py_file_input,
                                               g_ScriptCore.Namespace(), g_ScriptCore.Namespace()));
    if (!result.Get()) {
        PyErr_Print();
        return false;
    }
    return true;
}

// The areas' names, in the order the game lists them.
std::vector<std::string> AreaNames()
{
    std::vector<std::string> names;
    if (!Run("import system.main\n"
             "_bench_areas = [a if isinstance(a, str) else a.name for a in system.main.game.AREAS]\n"))
        return names;
    PyObject* list = PyDict_GetItemString(g_ScriptCore.Namespace(), "_bench_areas");
    for (Py_ssize_t i = 0; list && i < PyList_Size(list); ++i)
        names.push_back(PyUnicode_AsUTF8(PyList_GetItem(list, i)));
    return names;
}

void BM_AreaFrame(benchmark::State& state, const std::string& area)
{
    if (!Run("system.main.game.enter_area('" + area + "')\n")) {
        state.SkipWithError("enter_area raised");
        return;
    }
    for (int i = 0; i < 10; ++i)   // the music switch and the first frames' texture uploads
        g_ScriptCore.Update();
    if (g_Console.IsActive()) {
        state.SkipWithError("the console opened: a script error in this area");
        return;
    }
    for (auto _ : state) {
        g_ScriptCore.Update();
        glFinish();
    }
}

void BM_BufferSwapOnly(benchmark::State& state)
{
    for (auto _ : state) {
        g_Graphics.RenderScene_End();
        glFinish();
    }
}

} // namespace

int main(int argc, char** argv)
{
    // A working directory of its own: the shipped package and freshly generated data.
    fs::path dir = fs::temp_directory_path() / ("brackwater-areabench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::copy(fs::path(BW_SOURCE_DIR) / "game/system", dir / "system", fs::copy_options::recursive);
    std::string generate = "/usr/bin/python3 '" + (fs::path(BW_SOURCE_DIR) / "tools/make_game_data.py").string() +
                           "' '" + dir.string() + "' >/dev/null";
    if (std::system(generate.c_str()) != 0) {
        std::fprintf(stderr, "AreaBench: could not generate the game data\n");
        return 1;
    }
    fs::current_path(dir);

    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0 || !g_Graphics.SetupWindowedMode(800, 600)) {
        std::fprintf(stderr, "AreaBench: no window: %s\n", SDL_GetError());
        return 1;
    }
    g_Graphics.EnumDisplayModes();
    g_ScriptCore.Init(true);
    g_Input.Init();
    Press(SDLK_RETURN);   // past both splash screens to the main menu
    Press(SDLK_RETURN);
    g_Graphics.m_MenuManager.StartGame();   // the engine's default pair
    g_ScriptCore.Update();

    std::vector<std::string> areas = AreaNames();
    if (areas.empty()) {
        std::fprintf(stderr, "AreaBench: the game lists no areas\n");
        return 1;
    }
    for (const std::string& area : areas)
        benchmark::RegisterBenchmark(("BM_AreaFrame/" + area).c_str(), BM_AreaFrame, area)
            ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
    benchmark::RegisterBenchmark("BM_BufferSwapOnly", BM_BufferSwapOnly)
        ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

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
