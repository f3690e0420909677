#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace texturetest {

// RGBA pixels, rows top to bottom as in the file.
struct sRgbaImage
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// Opaque pixels from a fixed seed: every pixel differs from its neighbours, so that a shifted,
// mirrored or upside-down copy cannot pass for the original.
sRgbaImage NoiseImage(int width, int height, uint32_t seed);
sRgbaImage SolidImage(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);

bool WritePngRgba(const sRgbaImage& image, const std::string& path);
bool WritePngRgb(const sRgbaImage& image, const std::string& path);   // drops alpha: 24 bpp

// The RGBA texels of a 2D texture, rows as OpenGL stores them (bottom row first for our loads).
std::vector<uint8_t> ReadTexture(uint32_t textureId, int& width, int& height);

// Runs `body` with standard output captured; returns what it wrote.
template <typename F>
std::string CaptureOutput(F&& body)
{
    ::testing::internal::CaptureStdout();
    body();
    return ::testing::internal::GetCapturedStdout();
}

// A temporary working directory and a real 800 x 600 OpenGL window; the registry is emptied and
// SDL shut down afterwards.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::string PathOf(const std::string& name) const { return (m_Dir / name).string(); }

    std::filesystem::path m_Dir;

private:
    std::filesystem::path m_OldDir;
};

} // namespace texturetest
