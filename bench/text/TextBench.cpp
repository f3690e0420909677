#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <string>

#include "core/ScriptConsole.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"
#include "text/FontDraw.h"
#include "text/cTextBatch.h"
#include "text/pf.h"

namespace {

// Every figure below is one whole frame as a player waits for it: the clear, the drawing and
// glFinish, which waits for Mesa's raster threads, all inside the timer, in the 800 x 600 window
// and GL state the graphics manager installs. The CPU column is the whole process's, Mesa's
// raster threads included: on a busy machine it is the steadier figure of the work a frame costs.
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
const char* const CONSOLE_LINES[] = {
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
        console.LogMessage(std::string(CONSOLE_LINES[i]) + "\n", i < 4 ? LOG_STDERR : LOG_STDOUT);
        triangles += 2 * TrianglesOf(pfPSansMonoBold7, CONSOLE_LINES[i]);
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
BENCHMARK(BM_ConsoleClosed)->Name("BM_ConsoleFrame/closed")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The console's band alone, drawn as ever: the floor under any console that covers those pixels.
void BM_ConsoleBand(benchmark::State& state)
{
    TimeFrames(state, [&](int64_t) { DrawConsoleBackground(); });
}
BENCHMARK(BM_ConsoleBand)->Name("BM_ConsoleFrame/band_only")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The open console with unchanged content, as it sits while the player reads it: its kept
// picture copied over the band.
void BM_ConsoleOpen(benchmark::State& state)
{
    ScriptConsole console;
    int64_t triangles = FillConsole(console);
    TimeFrames(state, [&](int64_t) { console.DrawConsole(); });
    state.counters["triangles"] = double(triangles);
}
BENCHMARK(BM_ConsoleOpen)->Name("BM_ConsoleFrame/open")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The same console with its kept picture drawn as one textured quad through the fragment stages,
// as before the copy: a polygon offset of zero changes no pixel but rules the copy out.
void BM_ConsoleOpenQuad(benchmark::State& state)
{
    ScriptConsole console;
    FillConsole(console);
    glPolygonOffset(0, 0);
    TimeFrames(state, [&](int64_t) {
        glEnable(GL_POLYGON_OFFSET_FILL);
        console.DrawConsole();
        glDisable(GL_POLYGON_OFFSET_FILL);
    });
}
BENCHMARK(BM_ConsoleOpenQuad)->Name("BM_ConsoleFrame/open_quad_as_before")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The open console over the game's HUD, whose first line lies in the band and stays in front:
// the rows holding it are drawn as a quad, the others copied. Measured against hud_only.
void BM_ConsoleOverHud(benchmark::State& state)
{
    ScriptConsole console;
    FillConsole(console);
    TimeFrames(state, [&](int64_t) {
        DrawFontString("Mara  60 fps", 10, 10, 16, 1, 1, 0.8f);
        console.DrawConsole();
    });
}
BENCHMARK(BM_ConsoleOverHud)->Name("BM_ConsoleFrame/open_over_hud")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The HUD's first line alone: the frame the open console over the HUD is measured against.
void BM_HudLineOnly(benchmark::State& state)
{
    TimeFrames(state, [&](int64_t) { DrawFontString("Mara  60 fps", 10, 10, 16, 1, 1, 0.8f); });
}
BENCHMARK(BM_HudLineOnly)->Name("BM_ConsoleFrame/hud_only")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The open console while a script prints a line every frame: the content never repeats.
void BM_ConsoleChanging(benchmark::State& state)
{
    ScriptConsole console;
    FillConsole(console);
    TimeFrames(state, [&](int64_t frame) {
        console.LogMessage(std::string(CONSOLE_LINES[frame % 10]) + std::to_string(frame) + "\n", LOG_STDOUT);
        console.DrawConsole();
    });
}
BENCHMARK(BM_ConsoleChanging)->Name("BM_ConsoleFrame/open_log_changing")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The open console holding a line of a megabyte, which a script can print by mistake.
void BM_ConsoleMegabyteLine(benchmark::State& state)
{
    ScriptConsole console;
    FillConsole(console);
    console.LogMessage(std::string(1 << 20, 'A') + "\n", LOG_STDOUT);
    TimeFrames(state, [&](int64_t) { console.DrawConsole(); });
}
BENCHMARK(BM_ConsoleMegabyteLine)->Name("BM_ConsoleFrame/open_megabyte_line")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

const char* const MENU_ENTRIES[] = {"New Game", "Load Game", "Options", "Credits", "Exit", "Video", "Sound",
                                    "Controls", "Back", "Resolution: 800 x 600", "Full screen: on", "Music volume",
                                    "Sound effects volume", "Action: SDLK_SPACE", "Cancel: SDLK_ESCAPE",
                                    "Inventory: SDLK_i", "Switch: SDLK_TAB", "Menu: SDLK_m", "Slot 1: empty",
                                    "Slot 2: the quay at dusk"};

void DrawMenuEntries()
{
    float y = 40;
    for (const char* entry : MENU_ENTRIES) {
        DrawFontString(entry, 260, y, 25, 1, 1, 1, true, 0, 0, 0);
        y += 27;
    }
}

// A menu screen's text as the menus draw it: twenty entries of size 25 with their shadows, in one
// text batch (the 2D mode entered and left once).
void BM_MenuText(benchmark::State& state)
{
    TimeFrames(state, [&](int64_t) {
        cTextBatch batch;
        DrawMenuEntries();
    });
}
BENCHMARK(BM_MenuText)->Name("BM_TextFrame/menu_20_strings")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The same twenty strings each entering and leaving the 2D mode and toggling lighting and
// texturing, as every string did before the batch.
void BM_MenuTextPerString(benchmark::State& state)
{
    TimeFrames(state, [&](int64_t) { DrawMenuEntries(); });
}
BENCHMARK(BM_MenuTextPerString)->Name("BM_TextFrame/menu_20_strings_per_string_state")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The game's HUD: the player's name with a frame rate that changes now and then, and a fixed hint.
void BM_HudText(benchmark::State& state)
{
    TimeFrames(state, [&](int64_t frame) {
        std::string status = "Mara  " + std::to_string(58 + frame / 30 % 5) + " fps";
        DrawFontString(status.c_str(), 10, 10, 16, 1, 1, 0.8f);
        DrawFontString("Arrows walk   Space rings the bell   Page Up console", 10, 570, 14, 0.8f, 0.85f, 0.9f);
    });
}
BENCHMARK(BM_HudText)->Name("BM_TextFrame/hud")->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
