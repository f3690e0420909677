// Loading textures and tiled images against the bare decode of the same file, and drawing a
// full-screen tiled background against one full-screen quad of the same picture.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <stdlib.h>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "graphics/GraphicsManager.h"
#include "graphics/cBackground.h"
#include "graphics/cTextureManager.h"

namespace fs = std::filesystem;

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// File names of the pictures generated at start-up, in a temporary directory.
struct sInputs
{
    fs::path dir;
    std::string texture;      // 1024 x 1024 RGBA
    std::string background;   // 1920 x 1080 RGBA
    std::string small;        // 800 x 600 RGBA

    // The picture of the window's own size: what a menu screen shows.
    const std::string& ForWindow(int width) const { return width == 800 ? small : background; }
};
sInputs g_Inputs;

// Something like a game picture, from a fixed seed: smooth colour gradients and soft shapes under
// a little noise, so that the file compresses like a real one rather than like pure noise.
std::vector<uint8_t> PictureRgba(int width, int height, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-6, 6);
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
            double u = double(x) / width, v = double(y) / height;
            double wave = 0.5 + 0.5 * std::sin(u * 17.0 + std::cos(v * 11.0) * 3.0);
            p[0] = uint8_t(std::clamp(int(255 * u * wave) + noise(random), 0, 255));
            p[1] = uint8_t(std::clamp(int(255 * v) + noise(random), 0, 255));
            p[2] = uint8_t(std::clamp(int(255 * (1 - u) * (1 - wave)) + noise(random), 0, 255));
            p[3] = uint8_t(wave > 0.1 ? 255 : 128);
        }
    }
    return rgba;
}

bool WritePicture(const std::string& path, int width, int height, uint32_t seed)
{
    std::vector<uint8_t> rgba = PictureRgba(width, height, seed);
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

bool EnsureWindow(int width, int height)
{
    if (g_Graphics.GetWindowWidth() == width && g_Graphics.GetWindowHeight() == height)
        return true;
    return g_Graphics.SetupWindowedMode(width, height);
}

// The registry's texture holds the decoded picture, bottom row first.
bool TextureMatchesDecode(uint32_t textureId, const std::string& path)
{
    SurfacePtr surface(IMG_Load(path.c_str()), SDL_FreeSurface);
    if (!surface || surface->format->BitsPerPixel != 32)
        return false;
    std::vector<uint8_t> texels(size_t(surface->w) * surface->h * 4);
    glBindTexture(GL_TEXTURE_2D, textureId);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    size_t row = size_t(surface->w) * 4;
    for (int y = 0; y < surface->h; ++y) {
        const auto* decoded = static_cast<const uint8_t*>(surface->pixels) + size_t(surface->h - 1 - y) * surface->pitch;
        if (std::memcmp(decoded, &texels[y * row], row) != 0)
            return false;
    }
    return true;
}

void BM_LoadTexture_IMG_Load(benchmark::State& state)
{
    for (auto _ : state) {
        SurfacePtr surface(IMG_Load(g_Inputs.texture.c_str()), SDL_FreeSurface);
        benchmark::DoNotOptimize(surface.get());
    }
}

void BM_LoadTexture_AddTexture(benchmark::State& state)
{
    const char* name = g_Inputs.texture.c_str();
    TEXTUREMANAGER.AddTexture(name);
    bool same = TextureMatchesDecode(TEXTUREMANAGER.GetGLTextureID(name), name);
    TEXTUREMANAGER.RemoveTexture(name);
    if (!same) {
        state.SkipWithError("the texture differs from the decoded file");
        return;
    }
    for (auto _ : state) {
        TEXTUREMANAGER.AddTexture(name);
        TEXTUREMANAGER.RemoveTexture(name);
    }
}

void BM_LoadTexture_AddTextureRegistered(benchmark::State& state)
{
    const char* name = g_Inputs.texture.c_str();
    TEXTUREMANAGER.AddTexture(name);
    uint32_t id = TEXTUREMANAGER.GetGLTextureID(name);
    for (auto _ : state)
        TEXTUREMANAGER.AddTexture(name);
    bool same = TEXTUREMANAGER.GetGLTextureID(name) == id && id != 0;
    TEXTUREMANAGER.Reset();
    if (!same)
        state.SkipWithError("the repeated add did not share the texture");
}

void BM_LoadTiled_IMG_Load(benchmark::State& state)
{
    for (auto _ : state) {
        SurfacePtr surface(IMG_Load(g_Inputs.background.c_str()), SDL_FreeSurface);
        benchmark::DoNotOptimize(surface.get());
    }
}

void BM_LoadTiled_AddLargeTexture(benchmark::State& state)
{
    const char* name = g_Inputs.background.c_str();
    unsigned numX = 0, numY = 0, width = 0, height = 0;
    std::vector<unsigned> ids;
    TEXTUREMANAGER.AddLargeTexture(name, numX, numY, width, height, ids);
    TEXTUREMANAGER.RemoveLargeTexture(name);
    if (numX != 30 || numY != 17 || width != 1920 || height != 1080) {
        state.SkipWithError("the tiled image has the wrong shape");
        return;
    }
    for (auto _ : state) {
        ids.clear();
        TEXTUREMANAGER.AddLargeTexture(name, numX, numY, width, height, ids);
        TEXTUREMANAGER.RemoveLargeTexture(name);
    }
}

void BM_DrawBackground_tiled(benchmark::State& state)
{
    int width = int(state.range(0)), height = int(state.range(1));
    if (!EnsureWindow(width, height)) {
        state.SkipWithError("no window of that size");
        return;
    }
    cBackground background;
    if (!background.LoadImageA(g_Inputs.ForWindow(width).c_str())) {
        state.SkipWithError("the background did not load");
        return;
    }
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        background.Draw(width, height);
        glFinish();
    }
    background.FreeImage();
    state.counters["tiles"] = double(((width + 63) / 64) * ((height + 63) / 64));
}

// The same picture as one texture on one full-screen quad: the least a full-screen picture costs.
void BM_DrawBackground_single_quad(benchmark::State& state)
{
    int width = int(state.range(0)), height = int(state.range(1));
    if (!EnsureWindow(width, height)) {
        state.SkipWithError("no window of that size");
        return;
    }
    SurfacePtr surface(IMG_Load(g_Inputs.ForWindow(width).c_str()), SDL_FreeSurface);
    if (!surface) {
        state.SkipWithError("the picture did not load");
        return;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, surface->w, surface->h, 0, GL_RGBA, GL_UNSIGNED_BYTE, surface->pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // The state the background draws in.
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        g_Graphics.Push2D(GraphicsManager::ORIGIN_BOTTOM_LEFT);
        glBindTexture(GL_TEXTURE_2D, texture);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 1);
        glVertex2f(0, 0);
        glTexCoord2f(0, 0);
        glVertex2f(0, float(height));
        glTexCoord2f(1, 0);
        glVertex2f(float(width), float(height));
        glTexCoord2f(1, 1);
        glVertex2f(float(width), 0);
        glEnd();
        g_Graphics.Pop2D();
        glPopAttrib();
        glFinish();
    }
    glDeleteTextures(1, &texture);
}

BENCHMARK(BM_LoadTexture_IMG_Load)->Name("BM_LoadTexture1024/IMG_Load")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTexture_AddTexture)->Name("BM_LoadTexture1024/AddTexture")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTexture_AddTextureRegistered)->Name("BM_LoadTexture1024/AddTexture_registered");
BENCHMARK(BM_LoadTiled_IMG_Load)->Name("BM_LoadTiled1920x1080/IMG_Load")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTiled_AddLargeTexture)->Name("BM_LoadTiled1920x1080/AddLargeTexture")->Unit(benchmark::kMillisecond);
// Mesa rasterises on threads of its own: the wall clock, not the calling thread's time, is the cost.
BENCHMARK(BM_DrawBackground_tiled)->Name("BM_DrawBackground/tiled")->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawBackground_single_quad)->Name("BM_DrawBackground/single_quad")->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    std::string pattern = (fs::temp_directory_path() / "brackwater-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    g_Inputs.dir = pattern;
    g_Inputs.texture = (g_Inputs.dir / "texture1024.png").string();
    g_Inputs.background = (g_Inputs.dir / "background1920x1080.png").string();
    g_Inputs.small = (g_Inputs.dir / "background800x600.png").string();
    int result = 1;
    if (!WritePicture(g_Inputs.texture, 1024, 1024, 1) || !WritePicture(g_Inputs.background, 1920, 1080, 2) ||
        !WritePicture(g_Inputs.small, 800, 600, 3)) {
        std::fprintf(stderr, "could not write the pictures into %s\n", pattern.c_str());
    } else if (SDL_Init(SDL_INIT_VIDEO) != 0 || !g_Graphics.SetupWindowedMode(800, 600)) {
        std::fprintf(stderr, "no OpenGL window: %s\n", SDL_GetError());
    } else {
        benchmark::RunSpecifiedBenchmarks();
        result = 0;
    }
    benchmark::Shutdown();
    TEXTUREMANAGER.Reset();
    SDL_Quit();
    std::error_code ignored;
    fs::remove_all(g_Inputs.dir, ignored);
    return result;
}
