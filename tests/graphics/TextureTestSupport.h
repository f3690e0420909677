#pragma once
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstdint>
#include <random>
#include <stb/stb_image_write.h>
#include <string>
#include <vector>

#include "graphics/GraphicsManager.h"
#include "graphics/cTextureManager.h"
#include "support/EngineFixture.h"

namespace texturetest {

// RGBA pixels, rows top to bottom as in the file.
struct sRgbaImage
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

inline sRgbaImage SolidImage(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
{
    sRgbaImage image{width, height, {}};
    for (size_t i = 0; i < size_t(width) * height; ++i)
        image.rgba.insert(image.rgba.end(), {r, g, b, a});
    return image;
}

// Opaque pixels from a fixed seed: every pixel differs from its neighbours, so that a shifted,
// mirrored or upside-down copy cannot pass for the original.
inline sRgbaImage NoiseImage(int width, int height, uint32_t seed)
{
    sRgbaImage image = SolidImage(width, height, 0, 0, 0);
    std::mt19937 random(seed);
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        const uint32_t value = random();
        for (int c = 0; c < 3; ++c)
            image.rgba[i + c] = uint8_t(value >> (8 * c));
    }
    return image;
}

inline bool WritePngRgba(const sRgbaImage& image, const std::string& path)
{
    return stbi_write_png(path.c_str(), image.width, image.height, 4, image.rgba.data(),
                          image.width * 4) != 0;
}

// Runs `body` with standard output captured; returns what it wrote.
template <typename F>
std::string CaptureOutput(F&& body)
{
    ::testing::internal::CaptureStdout();
    body();
    return ::testing::internal::GetCapturedStdout();
}

// A working directory of its own and a real 800 x 600 OpenGL window, without the script host; the
// registry is emptied and SDL shut down afterwards.
class WindowTest : public ScriptPackageTest
{
protected:
    void SetUp() override
    {
        ScriptPackageTest::SetUp();
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_TRUE(g_Graphics.SetupWindowedMode(800, 600)) << SDL_GetError();
    }
    void TearDown() override
    {
        TEXTUREMANAGER.Reset();
        SDL_Quit();
        ScriptPackageTest::TearDown();
    }
};

} // namespace texturetest
