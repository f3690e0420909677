#include <benchmark/benchmark.h>

#include <SDL/SDL.h>
#include <SDL/SDL_gfxPrimitives.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "text/pf.h"
#include "text/sgl.h"

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

constexpr int SURFACE_WIDTH = 1024, SURFACE_HEIGHT = 768;

SurfacePtr MakeSurface(int bpp, int w = SURFACE_WIDTH, int h = SURFACE_HEIGHT)
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

// One quad larger than a 1024 x 768 surface, clipped and filled at each depth, beside memset
// of the whole 32-bit surface: the floor for filling the same bytes.
void BM_LargePolygon(benchmark::State& state)
{
    int bpp = int(state.range(0));
    SurfacePtr surface = MakeSurface(bpp);
    sglColor3f(1, 0.5f, 0.25f);
    for (auto _ : state) {
        // Larger than the surface: clipped to it, then every row filled.
        sglBegin(surface.get(), 7);
        sglVertex2f(-10, -10);
        sglVertex2f(SURFACE_WIDTH + 10, -10);
        sglVertex2f(SURFACE_WIDTH + 10, SURFACE_HEIGHT + 10);
        sglVertex2f(-10, SURFACE_HEIGHT + 10);
        sglEnd();
        benchmark::DoNotOptimize(surface->pixels);
        benchmark::ClobberMemory();
    }
    // The polygon leaves out the top row and the right column of what it covers.
    int64_t pixels = int64_t(SURFACE_WIDTH - 1) * (SURFACE_HEIGHT - 1);
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

// The engine's sglBegin/sglVertex2f/sglEnd on a 32-bit 800 x 600 software surface beside SDL_gfx's
// filledPolygonColor, one call per triangle, on the same 4,096 triangles; items are triangles.
// The set-up check above makes sure both draw the same shapes first.
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

// Ten lines of 60 characters in the default font at two sizes on a 32-bit software surface, the
// engine alone: what text costs where no OpenGL is involved. Items are characters.
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

} // namespace
