#pragma once
#include <gtest/gtest.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// An RGB image, rows top to bottom, as a player sees the frame.
struct sImage
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;   // width * height * 3

    const uint8_t* At(int x, int y) const { return &rgb[size_t(y * width + x) * 3]; }
};

struct sRgb
{
    int r, g, b;
    bool operator==(const sRgb&) const = default;
};

// Read before the buffer swap: afterwards the back buffer's contents are undefined.
sImage ReadFrame();
// The frame draw() gives after clearing colour and depth, with the depth test on and blending off,
// as the graphics manager leaves them.
sImage DrawFrame(const std::function<void()>& draw, float grey = 0);
// Equal byte for byte, or where the first difference is.
::testing::AssertionResult SameFrame(const sImage& expected, const sImage& actual);
sRgb ReadPixel(int x, int y);   // window coordinates, origin top-left

bool WritePng(const sImage& image, const std::string& path);
bool ReadPng(const std::string& path, sImage& image);

// Compares with tests/<goldenName>.png within a per-channel tolerance. On a mismatch it says how
// many pixels differ and where the first is, and writes the actual and a difference image beside
// the build. BW_UPDATE_GOLDEN=1 writes the golden instead.
::testing::AssertionResult FrameMatchesGolden(const sImage& actual, const std::string& goldenName,
                                              int tolerance = 8);
