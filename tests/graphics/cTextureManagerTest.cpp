#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <tuple>

#include "TextureTestSupport.h"
#include "graphics/cTextureManager.h"

using namespace texturetest;
namespace fs = std::filesystem;

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

struct sTiled
{
    unsigned numX = 5, numY = 5, width = 5, height = 5;
    std::vector<unsigned> ids;
    std::string said;
};

class TextureRegistryTest : public WindowTest
{
protected:
    std::string Add(const std::string& name) { return CaptureOutput([&] { TEXTUREMANAGER.AddTexture(name.c_str()); }); }
    uint32_t IdOf(const std::string& name, std::string* said = nullptr)
    {
        uint32_t id = 0;
        std::string text = CaptureOutput([&] { id = TEXTUREMANAGER.GetGLTextureID(name.c_str()); });
        if (said)
            *said = text;
        return id;
    }
    std::string Registry() { return CaptureOutput([] { TEXTUREMANAGER.DisplayData(); }); }
    std::string RemoveLarge(const std::string& name)
    {
        return CaptureOutput([&] { TEXTUREMANAGER.RemoveLargeTexture(name.c_str()); });
    }
    sTiled AddTiled(const std::string& name, std::vector<unsigned> ids = {})
    {
        sTiled t;
        t.ids = std::move(ids);
        t.said = CaptureOutput(
            [&] { TEXTUREMANAGER.AddLargeTexture(name.c_str(), t.numX, t.numY, t.width, t.height, t.ids); });
        return t;
    }
    // The decoder's own words for a file it refuses, as the registry quotes them.
    static std::string LoadError(const char* name)
    {
        SDL_ClearError();
        SurfacePtr surface(IMG_Load(name), SDL_FreeSurface);
        EXPECT_EQ(surface, nullptr) << name;
        return std::string("0: Could not load texture: ") + SDL_GetError() + name + "  File: " + name + "\n";
    }
    void WriteBadFiles()
    {
        ASSERT_TRUE(WritePngRgb(NoiseImage(8, 8, 4), "rgb.png"));
        ASSERT_TRUE(WritePngRgba(NoiseImage(8, 8, 4), "full.png"));
        std::ifstream in("full.png", std::ios::binary);
        std::string png(std::istreambuf_iterator<char>(in), {});
        std::ofstream("cut.png", std::ios::binary) << png.substr(0, png.size() / 2);
        std::ofstream("text.png") << "not an image at all\n";
        std::ofstream("empty.png");
        fs::create_directory("folder.png");
    }
};

TEST_F(TextureRegistryTest, TwoAddsLoadOnceAndTheSecondRemoveDeletes)
{
    for (const char* name : {"b.png", "a.png", "B.png"})
        ASSERT_TRUE(WritePngRgba(NoiseImage(16, 8, 1), name));
    EXPECT_EQ(Add("b.png"), "");
    const uint32_t id = IdOf("b.png");
    ASSERT_NE(id, 0u);
    for (const char* name : {"a.png", "b.png", "B.png"})
        EXPECT_EQ(Add(name), "");
    EXPECT_EQ(IdOf("b.png"), id);
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 3\n1  B.png\n1  a.png\n2  b.png\n");

    TEXTUREMANAGER.RemoveTexture("b.png");
    EXPECT_TRUE(glIsTexture(id));
    TEXTUREMANAGER.RemoveTexture("b.png");
    EXPECT_FALSE(glIsTexture(id));
    std::string said;
    EXPECT_EQ(IdOf("b.png", &said), 0u);
    EXPECT_EQ(said, "Error: Tried to get gl tex ID from a texture not yet loaded - b.png\n");
    EXPECT_EQ(CaptureOutput([] { TEXTUREMANAGER.RemoveTexture("b.png"); }),
              "Error: Tried to remove a texture not yet loaded - b.png\n");

    const sRgbaImage image = NoiseImage(3, 5, 2);   // uploaded at its own size, bottom row first
    ASSERT_TRUE(WritePngRgba(image, "odd.png"));
    Add("odd.png");
    int width = 0, height = 0;
    const std::vector<uint8_t> texels = ReadTexture(IdOf("odd.png"), width, height);
    ASSERT_EQ(std::make_pair(width, height), std::make_pair(3, 5));
    for (int y = 0; y < 5; ++y)
        EXPECT_TRUE(std::equal(image.At(0, 4 - y), image.At(0, 4 - y) + 12, &texels[size_t(y) * 12])) << y;
}

// Single textures check the PNG signature first; tiled images go to the decoder. A refused tiled
// image zeroes the counts and leaves the names and sizes it was given alone.
TEST_F(TextureRegistryTest, RefusesWhatIsNotA32BitPngWithOneLineAndNoEntry)
{
    WriteBadFiles();
    const std::string notPng = "0: Texture is not of .png type  File: ";
    const struct
    {
        const char* name;
        std::string single, tiled;
    } cases[] = {
        {"rgb.png", "0: Texture is not 32 bpp  File: rgb.png\n", "0: Texture is not 32 bpp  File: rgb.png\n"},
        {"cut.png", LoadError("cut.png"), ""},
        {"text.png", notPng + "text.png\n", LoadError("text.png")},
        {"empty.png", notPng + "empty.png\n", LoadError("empty.png")},
        {"folder.png", notPng + "folder.png\n",
         "0: Could not load texture: Couldn't open folder.png: Is a directoryfolder.png  File: folder.png\n"},
        {"missing.png", notPng + "missing.png\n",
         "0: Could not load texture: Couldn't open missing.png: No such file or directorymissing.png  File: missing.png\n"},
        {"", notPng + "\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Add(c.name), c.single);
        EXPECT_EQ(IdOf(c.name), 0u);
        if (c.tiled.empty())
            continue;
        const sTiled t = AddTiled(c.name, {1, 2});
        EXPECT_EQ(t.said, c.tiled);
        EXPECT_EQ(std::tie(t.numX, t.numY, t.width, t.height), std::make_tuple(0u, 0u, 5u, 5u));
        EXPECT_EQ(t.ids, (std::vector<unsigned>{1, 2}));
        EXPECT_EQ(RemoveLarge(c.name), "Tried to remove nonexistant large texture\n");
    }
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");
}

TEST_F(TextureRegistryTest, AnOpenGLFailureIsReportedAndLeavesNoEntry)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    // Tall, not wide: SDL 1.2 keeps a row's length in 16 bits and could not even decode a wide one.
    ASSERT_TRUE(WritePngRgba(SolidImage(1, maxSize + 1, 10, 20, 30), "tall.png"));
    ASSERT_TRUE(WritePngRgba(NoiseImage(4, 4, 5), "fine.png"));
    const std::string line = "0: glTexImage2D resulted in an error  File: tall.png\n";
    EXPECT_EQ(Add("tall.png"), line);
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");
    EXPECT_EQ(Add("tall.png"), line);   // tried and reported again, not a stale entry
    glEnable(GL_INVALID_ENUM);          // an earlier pending error is not blamed on the next load
    EXPECT_EQ(Add("fine.png"), "");
    EXPECT_NE(IdOf("fine.png"), 0u);
}

TEST_F(TextureRegistryTest, ResetDeletesEveryTextureWhateverItsCount)
{
    ASSERT_TRUE(WritePngRgba(NoiseImage(4, 4, 7), "a.png"));
    ASSERT_TRUE(WritePngRgba(NoiseImage(100, 70, 8), "big.png"));
    Add("a.png");
    Add("a.png");
    const uint32_t single = IdOf("a.png");
    const sTiled big = AddTiled("big.png");
    ASSERT_EQ(big.ids.size(), 4u);
    TEXTUREMANAGER.Reset();
    EXPECT_FALSE(glIsTexture(single));
    for (unsigned tile : big.ids)
        EXPECT_FALSE(glIsTexture(tile));
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");
    EXPECT_EQ(RemoveLarge("big.png"), "Tried to remove nonexistant large texture\n");
}

TEST_F(TextureRegistryTest, TilesAnImageBottomRowFirstAndPadsWithTransparentBlack)
{
    const sRgbaImage image = NoiseImage(800, 600, 9);
    ASSERT_TRUE(WritePngRgba(image, "screen.png"));
    const sTiled t = AddTiled("screen.png");
    EXPECT_EQ(t.said, "");
    EXPECT_EQ(std::tie(t.numX, t.numY, t.width, t.height), std::make_tuple(13u, 10u, 800u, 600u));
    ASSERT_EQ(t.ids.size(), 130u);
    static const uint8_t CLEAR_TEXEL[4] = {0, 0, 0, 0};
    for (unsigned row = 0; row < 10; ++row) {
        for (unsigned column = 0; column < 13; ++column) {
            int w = 0, h = 0, mismatches = 0;
            const std::vector<uint8_t> texels = ReadTexture(t.ids[row * 13 + column], w, h);
            ASSERT_EQ(std::make_pair(w, h), std::make_pair(64, 64));
            for (int ty = 0; ty < 64; ++ty) {
                for (int tx = 0; tx < 64; ++tx) {
                    const int x = int(column) * 64 + tx, yFromBottom = int(row) * 64 + ty;
                    const uint8_t* want = (x < 800 && yFromBottom < 600) ? image.At(x, 599 - yFromBottom) : CLEAR_TEXEL;
                    mismatches += !std::equal(want, want + 4, &texels[(size_t(ty) * 64 + tx) * 4]);
                }
            }
            EXPECT_EQ(mismatches, 0) << "tile row " << row << ", column " << column;
        }
    }
    const struct { int width, height; unsigned numX, numY; } sizes[] = {{64, 64, 1, 1}, {1, 1, 1, 1}, {65, 129, 2, 3}};
    for (const auto& c : sizes) {
        const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height) + ".png";
        ASSERT_TRUE(WritePngRgba(SolidImage(c.width, c.height, 1, 2, 3), name));
        const sTiled s = AddTiled(name);
        EXPECT_EQ(s.numX, c.numX) << name;
        EXPECT_EQ(s.numY, c.numY) << name;
        EXPECT_EQ(s.ids.size(), size_t(c.numX) * c.numY) << name;
    }
}

TEST_F(TextureRegistryTest, AKnownTiledImageIsSharedAndItsNamesGoInFront)
{
    ASSERT_TRUE(WritePngRgba(NoiseImage(128, 64, 10), "tall.png"));
    const sTiled first = AddTiled("tall.png", {999});
    ASSERT_EQ(first.ids.size(), 3u);
    EXPECT_EQ(first.ids[2], 999u);
    const sTiled second = AddTiled("tall.png", {7, 8});
    EXPECT_EQ(second.said, "");
    EXPECT_EQ(std::tie(second.numX, second.numY, second.width, second.height), std::make_tuple(2u, 1u, 128u, 64u));
    EXPECT_EQ(second.ids, (std::vector<unsigned>{first.ids[0], first.ids[1], 7, 8}));
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");   // not listed with the single textures

    TEXTUREMANAGER.RemoveLargeTexture("tall.png");
    EXPECT_TRUE(glIsTexture(first.ids[0]));
    TEXTUREMANAGER.RemoveLargeTexture("tall.png");
    EXPECT_FALSE(glIsTexture(first.ids[0]));
    EXPECT_FALSE(glIsTexture(first.ids[1]));
    EXPECT_EQ(RemoveLarge("tall.png"), "Tried to remove nonexistant large texture\n");
}

TEST_F(TextureRegistryTest, ASurfaceIsTiledUnderItsAddressAndLeftUpsideDown)
{
    SurfacePtr surface(SDL_CreateRGBSurface(SDL_SWSURFACE, 70, 2, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000),
                       SDL_FreeSurface);
    SurfacePtr rgb(SDL_CreateRGBSurface(SDL_SWSURFACE, 8, 8, 24, 0xFF, 0xFF00, 0xFF0000, 0), SDL_FreeSurface);
    ASSERT_TRUE(surface && rgb);
    auto* pixels = static_cast<uint32_t*>(surface->pixels);
    std::fill_n(pixels, 70, 0xFF0000FFu);                                                  // top row red
    std::fill_n(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + surface->pitch), 70,
                0xFFFF0000u);                                                              // bottom row blue
    std::string name;
    unsigned numX = 0, numY = 0;
    std::vector<unsigned> ids;
    EXPECT_EQ(CaptureOutput([&] { TEXTUREMANAGER.AddLargeTexture(surface.get(), name, numX, numY, ids); }), "");
    char key[32];
    std::snprintf(key, sizeof key, "%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(surface.get())));
    EXPECT_EQ(name, key);
    EXPECT_EQ(std::make_pair(numX, numY), std::make_pair(2u, 1u));
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(pixels[0], 0xFFFF0000u) << "the caller's surface is left with the bottom row first";
    int w = 0, h = 0;
    const std::vector<uint8_t> texels = ReadTexture(ids[0], w, h);
    EXPECT_EQ((std::vector<uint8_t>(texels.begin(), texels.begin() + 4)), (std::vector<uint8_t>{0, 0, 255, 255}));
    TEXTUREMANAGER.RemoveLargeTexture(name.c_str());
    EXPECT_FALSE(glIsTexture(ids[0]));

    const std::pair<SDL_Surface*, const char*> bad[] = {{nullptr, "0: Passed in null surface pointer\n"},
                                                         {rgb.get(), "0: Texture is not 32 bpp\n"}};
    for (const auto& [each, line] : bad) {
        std::string badName;
        unsigned x = 9, y = 9;
        std::vector<unsigned> none;
        EXPECT_EQ(CaptureOutput([&] { TEXTUREMANAGER.AddLargeTexture(each, badName, x, y, none); }), line);
        EXPECT_EQ(std::make_pair(x, y), std::make_pair(0u, 0u));
        EXPECT_TRUE(none.empty());
        EXPECT_EQ(RemoveLarge(badName), "Tried to remove nonexistant large texture\n");
    }
}

} // namespace
