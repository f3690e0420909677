#include "support/FrameCapture.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstdlib>
#include <filesystem>
#include <memory>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

sImage ReadFrame()
{
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    SDL_Surface* screen = SDL_GetVideoSurface();
    sImage image;
    image.width = screen ? screen->w : viewport[2];
    image.height = screen ? screen->h : viewport[3];
    std::vector<uint8_t> bottomUp(size_t(image.width) * image.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    image.rgb.resize(bottomUp.size());
    size_t row = size_t(image.width) * 3;
    for (int y = 0; y < image.height; ++y)
        std::copy_n(&bottomUp[size_t(image.height - 1 - y) * row], row, &image.rgb[size_t(y) * row]);
    return image;
}

sImage DrawFrame(const std::function<void()>& draw, float grey)
{
    glClearColor(grey, grey, grey, 1);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    return ReadFrame();
}

::testing::AssertionResult SameFrame(const sImage& expected, const sImage& actual)
{
    for (size_t i = 0; i < expected.rgb.size() && i < actual.rgb.size(); ++i)
        if (expected.rgb[i] != actual.rgb[i])
            return ::testing::AssertionFailure() << "first difference at pixel (" << i / 3 % size_t(expected.width)
                                                 << ", " << i / 3 / size_t(expected.width) << ")";
    return ::testing::AssertionResult(expected.rgb.size() == actual.rgb.size()) << "sizes differ";
}

sRgb ReadPixel(int x, int y)
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    int height = screen ? screen->h : 0;
    uint8_t rgb[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

bool WritePng(const sImage& image, const std::string& path)
{
    return stbi_write_png(path.c_str(), image.width, image.height, 3, image.rgb.data(), image.width * 3) != 0;
}

bool ReadPng(const std::string& path, sImage& image)
{
    int channels = 0;
    std::unique_ptr<uint8_t, decltype(&stbi_image_free)> pixels(
        stbi_load(path.c_str(), &image.width, &image.height, &channels, 3), stbi_image_free);
    if (!pixels)
        return false;
    image.rgb.assign(pixels.get(), pixels.get() + size_t(image.width) * image.height * 3);
    return true;
}

::testing::AssertionResult FrameMatchesGolden(const sImage& actual, const std::string& goldenName,
                                              int tolerance)
{
    std::string goldenPath = std::string(BW_SOURCE_DIR) + "/tests/" + goldenName + ".png";
    const char* update = std::getenv("BW_UPDATE_GOLDEN");
    if (update && *update == '1') {
        std::filesystem::create_directories(std::filesystem::path(goldenPath).parent_path());
        WritePng(actual, goldenPath);
        return ::testing::AssertionSuccess() << "golden written: " << goldenPath;
    }
    sImage golden;
    if (!ReadPng(goldenPath, golden))
        return ::testing::AssertionFailure() << "no golden image " << goldenPath
                                             << " (BW_UPDATE_GOLDEN=1 writes it)";
    if (golden.width != actual.width || golden.height != actual.height)
        return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height
                                             << ", golden " << golden.width << "x" << golden.height;
    sImage difference = actual;
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            const uint8_t* a = actual.At(x, y);
            const uint8_t* g = golden.At(x, y);
            bool differs = false;
            for (int c = 0; c < 3; ++c)
                differs |= std::abs(int(a[c]) - int(g[c])) > tolerance;
            uint8_t* d = &difference.rgb[size_t(y * actual.width + x) * 3];
            d[0] = differs ? 255 : 0;
            d[1] = d[2] = differs ? 0 : uint8_t(a[1] / 4);
            if (differs && differing++ == 0)
                firstX = x, firstY = y;
        }
    }
    if (differing == 0)
        return ::testing::AssertionSuccess();
    std::string stem = std::filesystem::path(goldenName).filename().string();
    std::string outDir = std::string(BW_BINARY_DIR) + "/golden-failures/";
    std::filesystem::create_directories(outDir);
    WritePng(actual, outDir + stem + ".actual.png");
    WritePng(difference, outDir + stem + ".diff.png");
    return ::testing::AssertionFailure() << differing << " pixels differ from " << goldenName
                                         << " beyond " << tolerance << ", the first at (" << firstX
                                         << ", " << firstY << "); see " << outDir;
}
