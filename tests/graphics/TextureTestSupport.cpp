#include "TextureTestSupport.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <random>
#include <stb/stb_image_write.h>
#include <stdlib.h>

#include "graphics/GraphicsManager.h"
#include "graphics/cTextureManager.h"

namespace fs = std::filesystem;

namespace texturetest {

sRgbaImage NoiseImage(int width, int height, uint32_t seed)
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

sRgbaImage SolidImage(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    sRgbaImage image{width, height, {}};
    for (size_t i = 0; i < size_t(width) * height; ++i)
        image.rgba.insert(image.rgba.end(), {r, g, b, a});
    return image;
}

bool WritePngRgba(const sRgbaImage& image, const std::string& path)
{
    return stbi_write_png(path.c_str(), image.width, image.height, 4, image.rgba.data(),
                          image.width * 4) != 0;
}

bool WritePngRgb(const sRgbaImage& image, const std::string& path)
{
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(image.width) * image.height * 3);
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        rgb.insert(rgb.end(), &image.rgba[i], &image.rgba[i + 3]);
    return stbi_write_png(path.c_str(), image.width, image.height, 3, rgb.data(), image.width * 3) != 0;
}

std::vector<uint8_t> ReadTexture(uint32_t textureId, int& width, int& height)
{
    glBindTexture(GL_TEXTURE_2D, textureId);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<uint8_t> texels(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

void WindowTest::SetUp()
{
    m_OldDir = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "brackwater-texture-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_Dir = pattern;
    fs::current_path(m_Dir);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_TRUE(g_Graphics.SetupWindowedMode(800, 600)) << SDL_GetError();
}

void WindowTest::TearDown()
{
    TEXTUREMANAGER.Reset();
    SDL_Quit();
    if (m_OldDir.empty())
        return;   // skipped before it started
    fs::current_path(m_OldDir);
    std::error_code ignored;
    fs::remove_all(m_Dir, ignored);
}

} // namespace texturetest
