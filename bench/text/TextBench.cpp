#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_gfxPrimitives.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/ScriptConsole.h"
#include "graphics/GraphicsManager.h"
#include "input/InputManager.h"
#include "text/FontDraw.h"
#include "text/cTextBatch.h"
#include "text/pf.h"
#include "text/sgl.h"

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

constexpr int k_Width = 1024, k_Height = 768;

SurfacePtr MakeSurface(int bpp, int w = k_Width, int h = k_Height)
{
    uint32_t r = bpp == 16 ? 0xf800 : bpp == 8 ? 0 : 0xff0000;
    uint32_t g = bpp == 16 ? 0x07e0 : bpp == 8 ? 0 : 0x00ff00;
    uint32_t b = bpp == 16 ? 0x001f : bpp == 8 ? 0 : 0x0000ff;
    SurfacePtr surface(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, bpp, r, g, b, 0), SDL_FreeSurface);
    if (!surface) {
        std::fprintf(stderr, "cannot make a %d bpp surface: %s\n", bpp, SDL_GetError());
        std::exit(1);
    }
    return surface;
}

// ---- large polygons against memset -----------------------------------------------------------

void BM_LargePolygon(benchmark::State& state)
{
    int bpp = int(state.range(0));
    SurfacePtr surface = MakeSurface(bpp);
    sglColor3f(1, 0.5f, 0.25f);
    for (auto _ : state) {
        // Larger than the surface: clipped to it, then every row filled.
        sglBegin(surface.get(), 7);
        sglVertex2f(-10, -10);
        sglVertex2f(k_Width + 10, -10);
        sglVertex2f(k_Width + 10, k_Height + 10);
        sglVertex2f(-10, k_Height + 10);
        sglEnd();
        benchmark::DoNotOptimize(surface->pixels);
        benchmark::ClobberMemory();
    }
    // The polygon leaves out the top row and the right column of what it covers.
    int64_t pixels = int64_t(k_Width - 1) * (k_Height - 1);
    state.SetItemsProcessed(state.iterations() * pixels);
    state.SetBytesProcessed(state.iterations() * pixels * surface->format->BytesPerPixel);
}
BENCHMARK(BM_LargePolygon)->Name("BM_LargePolygon/engine")->Arg(8)->Arg(16)->Arg(24)->Arg(32);

void BM_Memset(benchmark::State& state)
{
    SurfacePtr surface = MakeSurface(int(state.range(0)));
    size_t bytes = size_t(surface->pitch) * surface->h;
    for (auto _ : state) {
        std::memset(surface->pixels, 0x5a, bytes);
        benchmark::DoNotOptimize(surface->pixels);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(bytes));
}
BENCHMARK(BM_Memset)->Name("BM_LargePolygon/memset")->Arg(32);

// ---- glyph-sized triangles against SDL_gfx ---------------------------------------------------

struct sTriangle
{
    int16_t x[3], y[3];
};

// Triangles 4 to 12 pixels across, laid out as text lays them out: sixteen to a glyph cell of
// 12 x 16 pixels, cells side by side in lines of 60 over an 800 x 600 surface.
const std::vector<sTriangle>& GlyphTriangles()
{
    static const std::vector<sTriangle> triangles = [] {
        std::mt19937 random(2024);
        std::uniform_int_distribution<int> size(4, 12), offset(0, 12);
        std::vector<sTriangle> list;
        for (int glyph = 0; glyph < 256; ++glyph) {
            int cellX = 10 + (glyph % 60) * 13, cellY = 10 + (glyph / 60) * 24;
            for (int i = 0; i < 16; ++i) {
                int s = size(random);
                int x = cellX + offset(random) % (13 - s + 4), y = cellY + offset(random) % 5;
                list.push_back({{int16_t(x), int16_t(x + s), int16_t(x + offset(random) % (s + 1))},
                                {int16_t(y + offset(random) % (s + 1)), int16_t(y + offset(random) % (s + 1)),
                                 int16_t(y + s)}});
            }
        }
        return list;
    }();
    return triangles;
}

// As a glyph is drawn: its sixteen triangles in one primitive. SDL_gfx takes one polygon a call.
void DrawEngineTriangles(SDL_Surface* surface)
{
    const std::vector<sTriangle>& triangles = GlyphTriangles();
    for (size_t glyph = 0; glyph < triangles.size(); glyph += 16) {
        sglBegin(surface, 4);
        for (size_t k = glyph; k < glyph + 16; ++k)
            for (int i = 0; i < 3; ++i)
                sglVertex2f(triangles[k].x[i], triangles[k].y[i]);
        sglEnd();
    }
}

void DrawGfxTriangles(SDL_Surface* surface)
{
    for (const sTriangle& t : GlyphTriangles())
        filledPolygonColor(surface, t.x, t.y, 3, 0xffffffff);
}

// The rasteriser's rule written plainly, pixel by pixel, for triangles inside the surface.
void PlainTriangle(std::vector<uint8_t>& covered, int pitch, const sTriangle& t)
{
    std::vector<std::vector<int>> crossings(600 + 16);
    for (int i = 0; i < 3; ++i) {
        int ax = t.x[i], ay = t.y[i], bx = t.x[(i + 1) % 3], by = t.y[(i + 1) % 3];
        if (ay == by)
            continue;
        if (ay > by)
            std::swap(ax, bx), std::swap(ay, by);
        int step = (bx - ax) * 1024 / (by - ay);
        for (int y = ay + 1; y <= by; ++y)
            crossings[size_t(y)].push_back((ax * 1024 + step * (y - ay)) >> 10);
    }
    for (size_t y = 0; y < crossings.size(); ++y)
        if (crossings[y].size() == 2)
            for (int x = std::min(crossings[y][0], crossings[y][1]); x < std::max(crossings[y][0], crossings[y][1]); ++x)
                covered[y * size_t(pitch) + size_t(x)] = 1;
}

int64_t Coverage(SDL_Surface* surface)
{
    int64_t count = 0;
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x)
            count += static_cast<uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x] != 0;
    return count;
}

// The fast rasteriser must stay pixel-identical to the plain rule, and both fillers must cover
// about the same area (SDL_gfx also fills each triangle's top row and right column).
void CheckGlyphTriangles()
{
    static bool checked = false;
    if (checked)
        return;
    checked = true;
    SurfacePtr engine = MakeSurface(32, 800, 600), gfx = MakeSurface(32, 800, 600);
    sglColor3f(1, 1, 1);
    DrawEngineTriangles(engine.get());
    DrawGfxTriangles(gfx.get());
    std::vector<uint8_t> plain(800 * 600, 0);
    for (const sTriangle& t : GlyphTriangles())
        PlainTriangle(plain, 800, t);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if ((static_cast<uint32_t*>(engine->pixels)[y * engine->pitch / 4 + x] != 0) != (plain[size_t(y) * 800 + size_t(x)] != 0)) {
                std::fprintf(stderr, "the rasteriser differs from the plain rule at (%d, %d)\n", x, y);
                std::exit(1);
            }
    int64_t ours = Coverage(engine.get()), theirs = Coverage(gfx.get());
    if (ours == 0 || theirs < ours || theirs > ours * 2) {
        std::fprintf(stderr, "coverage differs too much: engine %lld, SDL_gfx %lld\n", (long long)ours, (long long)theirs);
        std::exit(1);
    }
}

void BM_GlyphTrianglesEngine(benchmark::State& state)
{
    CheckGlyphTriangles();
    SurfacePtr surface = MakeSurface(32, 800, 600);
    sglColor3f(1, 1, 1);
    for (auto _ : state) {
        DrawEngineTriangles(surface.get());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(GlyphTriangles().size()));
}
BENCHMARK(BM_GlyphTrianglesEngine)->Name("BM_GlyphTriangles/engine");

void BM_GlyphTrianglesGfx(benchmark::State& state)
{
    CheckGlyphTriangles();
    SurfacePtr surface = MakeSurface(32, 800, 600);
    for (auto _ : state) {
        DrawGfxTriangles(surface.get());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(GlyphTriangles().size()));
}
BENCHMARK(BM_GlyphTrianglesGfx)->Name("BM_GlyphTriangles/SDL_gfx");

// ---- text on a software surface --------------------------------------------------------------

void BM_pfDrawString(benchmark::State& state)
{
    SurfacePtr surface = MakeSurface(32, 800, 600);
    const char* line = "The quick brown fox jumps over the lazy dog: 0123456789 (ok)";
    pfSetFont(&pfPBaveuse);
    pfSetScale(float(state.range(0)));
    sglColor3f(1, 1, 1);
    for (auto _ : state) {
        for (int row = 0; row < 10; ++row) {
            pfSetPosition(4, 30 + row * 50);
            pfDrawString(surface.get(), line);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 10 * int64_t(std::strlen(line)));
}
BENCHMARK(BM_pfDrawString)->Arg(17)->Arg(40);

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
    g_Input.m_TypedText = "camera.lookat(player.position + (0, 1.5, 0)); step(0.25)";
    triangles += 2 * TrianglesOf(pfPSansMonoBold7, ">>> " + g_Input.m_TypedText + "_");
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
        console.LogMessage(std::string(k_ConsoleLines[frame % 10]) + std::to_string(frame) + "\n", LOG_STDOUT);
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
