#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <string>

#include "core/ScriptConsole.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"
#include "text/FontDraw.h"
#include "text/pf.h"

namespace {

// Every figure below is one whole frame as a player waits for it: the clear, the drawing and
// glFinish, which waits for Mesa's raster threads, all inside the timer, in the 800 x 600 window
// and GL state the graphics manager installs.
bool OpenWindow()
{
    static bool open = false;
    if (open)
        return true;
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return false;
    open = g_Graphics.SetupWindowedMode(800, 600);
    return open;
}

void ClearFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

template <typename Draw>
void TimeFrames(benchmark::State& state, Draw&& draw)
{
    if (!OpenWindow()) {
        state.SkipWithError("no OpenGL window (run under X)");
        return;
    }
    int64_t frame = 0;
    for (auto _ : state) {
        ClearFrame();
        draw(frame++);
        glFinish();
    }
}

// Triangles a text costs in a font: its glyphs are single GL_TRIANGLES segments.
int64_t TrianglesOf(const pffont& font, const std::string& text)
{
    int64_t count = 0;
    for (unsigned char c : text)
        for (int i = 0; i < font.numglyphs; ++i)
            if (font.glyphs[i].glyph == c && font.glyphs[i].numsegments > 0)
                count += font.glyphs[i].segments[1] / 3;
    return count;
}

// Ten lines of sixty characters as a traceback and script output fill them.
const char* const k_ConsoleLines[] = {
    "Traceback (most recent call last):                          ",
    "  File \"system/world.py\", line 120, in step                 ",
    "    self.player.move(self.camera.forward() * speed + drift)  ",
    "AttributeError: 'NoneType' object has no attribute 'move'   ",
    ">>> print([n * n for n in range(12) if n % 3 == 1])          ",
    "[1, 16, 49, 100]                                             ",
    ">>> config['music volume'], config['sound effects volume']   ",
    "(80, 65)                                                     ",
    ">>> findobjectbyname('lantern').position                     ",
    "(12.5, 0.75, -3.0625)                                        ",
};

int64_t FillConsole(ScriptConsole& console)
{
    int64_t triangles = 2;   // the band
    for (int i = 0; i < 10; ++i) {
        console.LogMessage(std::string(k_ConsoleLines[i]) + "\n", i < 4 ? LOG_STDERR : LOG_STDOUT);
        triangles += 2 * TrianglesOf(pfPSansMonoBold7, k_ConsoleLines[i]);
    }
    g_Input.SetTypedText("camera.lookat(player.position + (0, 1.5, 0)); step(0.25)");
    triangles += 2 * TrianglesOf(pfPSansMonoBold7, ">>> " + g_Input.TypedText() + "_");
    console.Activate();
    return triangles;
}

// The frame without the console: what the open console's cost is measured against.
void BM_ConsoleClosed(benchmark::State& state)
{
    ScriptConsole console;
    FillConsole(console);
    TimeFrames(state, [&](int64_t) {});
}
BENCHMARK(BM_ConsoleClosed)->Name("BM_ConsoleFrame/closed")->Unit(benchmark::kMicrosecond);

// The console's band alone, drawn as ever: the floor under any console that covers those pixels.
void BM_ConsoleBand(benchmark::State& state)
{
    TimeFrames(state, [&](int64_t) { DrawConsoleBackground(); });
}
BENCHMARK(BM_ConsoleBand)->Name("BM_ConsoleFrame/band_only")->Unit(benchmark::kMicrosecond);

// The open console with unchanged content, as it sits while the player reads it.
void BM_ConsoleOpen(benchmark::State& state)
{
    ScriptConsole console;
    int64_t triangles = FillConsole(console);
    TimeFrames(state, [&](int64_t) { console.DrawConsole(); });
    state.counters["triangles"] = double(triangles);
}
BENCHMARK(BM_ConsoleOpen)->Name("BM_ConsoleFrame/open")->Unit(benchmark::kMicrosecond);

// The open console while a script prints a line every frame: the content never repeats.
void BM_ConsoleChanging(benchmark::State& state)
{
    ScriptConsole console;
    FillConsole(console);
    TimeFrames(state, [&](int64_t frame) {
        console.LogMessage(std::string(k_ConsoleLines[frame % 10]) + std::to_string(frame) + "\n", LOG_STDOUT);
        console.DrawConsole();
    });
}
BENCHMARK(BM_ConsoleChanging)->Name("BM_ConsoleFrame/open_log_changing")->Unit(benchmark::kMicrosecond);

// The open console holding a line of a megabyte, which a script can print by mistake.
void BM_ConsoleMegabyteLine(benchmark::State& state)
{
    ScriptConsole console;
    FillConsole(console);
    console.LogMessage(std::string(1 << 20, 'A') + "\n", LOG_STDOUT);
    TimeFrames(state, [&](int64_t) { console.DrawConsole(); });
}
BENCHMARK(BM_ConsoleMegabyteLine)->Name("BM_ConsoleFrame/open_megabyte_line")->Unit(benchmark::kMicrosecond);

// A menu screen's text as the menus draw it: twenty entries of size 25 with their shadows.
void BM_MenuText(benchmark::State& state)
{
    const char* entries[] = {"New Game", "Load Game", "Options", "Credits", "Exit", "Video", "Sound",
                             "Controls", "Back", "Resolution: 800 x 600", "Full screen: on", "Music volume",
                             "Sound effects volume", "Action: SDLK_SPACE", "Cancel: SDLK_ESCAPE",
                             "Inventory: SDLK_i", "Switch: SDLK_TAB", "Menu: SDLK_m", "Slot 1: empty",
                             "Slot 2: the quay at dusk"};
    TimeFrames(state, [&](int64_t) {
        float y = 40;
        for (const char* entry : entries) {
            DrawFontString(entry, 260, y, 25, 1, 1, 1, true, 0, 0, 0);
            y += 27;
        }
    });
}
BENCHMARK(BM_MenuText)->Name("BM_TextFrame/menu_20_strings")->Unit(benchmark::kMicrosecond);

// The game's HUD: the player's name with a frame rate that changes now and then, and a fixed hint.
void BM_HudText(benchmark::State& state)
{
    TimeFrames(state, [&](int64_t frame) {
        std::string status = "Mara  " + std::to_string(58 + frame / 30 % 5) + " fps";
        DrawFontString(status.c_str(), 10, 10, 16, 1, 1, 0.8f);
        DrawFontString("Arrows walk   Space rings the bell   Page Up console", 10, 570, 14, 0.8f, 0.85f, 0.9f);
    });
}
BENCHMARK(BM_HudText)->Name("BM_TextFrame/hud")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
