#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "TextureTestSupport.h"
#include "graphics/cTextureManager.h"

using namespace texturetest;
namespace fs = std::filesystem;

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

class TextureRegistryTest : public WindowTest
{
protected:
    // Adds a name and returns what the registry said about it.
    std::string Add(const std::string& name)
    {
        return CaptureOutput([&] { TEXTUREMANAGER.AddTexture(name.c_str()); });
    }
    uint32_t IdOf(const std::string& name, std::string* said = nullptr)
    {
        uint32_t id = 0;
        std::string text = CaptureOutput([&] { id = TEXTUREMANAGER.GetGLTextureID(name.c_str()); });
        if (said)
            *said = text;
        return id;
    }
    std::string Registry()
    {
        return CaptureOutput([] { TEXTUREMANAGER.DisplayData(); });
    }
};

TEST_F(TextureRegistryTest, TwoAddsLoadOnceAndTheSecondRemoveDeletes)
{
    ASSERT_TRUE(WritePngRgba(NoiseImage(16, 8, 1), "a.png"));
    EXPECT_EQ(Add("a.png"), "");
    uint32_t id = IdOf("a.png");
    ASSERT_NE(id, 0u);
    EXPECT_EQ(Add("a.png"), "");
    EXPECT_EQ(IdOf("a.png"), id);
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 1\n2  a.png\n");

    TEXTUREMANAGER.RemoveTexture("a.png");
    EXPECT_TRUE(glIsTexture(id));
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 1\n1  a.png\n");

    TEXTUREMANAGER.RemoveTexture("a.png");
    EXPECT_FALSE(glIsTexture(id));
    std::string said;
    EXPECT_EQ(IdOf("a.png", &said), 0u);
    EXPECT_EQ(said, "Error: Tried to get gl tex ID from a texture not yet loaded - a.png\n");
    EXPECT_EQ(CaptureOutput([] { TEXTUREMANAGER.RemoveTexture("a.png"); }),
              "Error: Tried to remove a texture not yet loaded - a.png\n");
}

TEST_F(TextureRegistryTest, UploadsTheImageAtItsOwnSizeBottomRowFirst)
{
    sRgbaImage image = NoiseImage(3, 5, 2);
    ASSERT_TRUE(WritePngRgba(image, "odd.png"));
    Add("odd.png");
    int width = 0, height = 0;
    std::vector<uint8_t> texels = ReadTexture(IdOf("odd.png"), width, height);
    ASSERT_EQ(width, 3);
    ASSERT_EQ(height, 5);
    for (int y = 0; y < 5; ++y)
        EXPECT_TRUE(std::equal(image.At(0, 4 - y), image.At(0, 4 - y) + 12, &texels[size_t(y) * 12]))
            << "texture row " << y << " is not image row " << 4 - y;
}

TEST_F(TextureRegistryTest, DisplayDataListsEntriesInNameOrder)
{
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");
    for (const char* name : {"b.png", "a.png", "B.png"})
        ASSERT_TRUE(WritePngRgba(NoiseImage(4, 4, 3), name));
    for (const char* name : {"b.png", "a.png", "b.png", "B.png"})
        Add(name);
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 3\n1  B.png\n1  a.png\n2  b.png\n");
}

TEST_F(TextureRegistryTest, RefusesWhatIsNotA32BitPngWithOneLineAndNoEntry)
{
    sRgbaImage image = NoiseImage(8, 8, 4);
    ASSERT_TRUE(WritePngRgb(image, "rgb.png"));
    ASSERT_TRUE(WritePngRgba(image, "full.png"));
    std::string png;
    {
        std::ifstream in("full.png", std::ios::binary);
        png.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::ofstream("cut.png", std::ios::binary) << png.substr(0, png.size() / 2);
    std::ofstream("text.png") << "not an image at all\n";
    std::ofstream("empty.png");
    fs::create_directory("folder.png");

    // The decoder's own words for the cut file, as SDL_image reports them.
    SDL_ClearError();
    SurfacePtr cut(IMG_Load("cut.png"), SDL_FreeSurface);
    ASSERT_EQ(cut, nullptr);
    std::string cutError = SDL_GetError();
    ASSERT_FALSE(cutError.empty());

    struct sCase { const char* name; std::string line; };
    const sCase cases[] = {
        {"rgb.png", "0: Texture is not 32 bpp  File: rgb.png\n"},
        {"cut.png", "0: Could not load texture: " + cutError + "cut.png  File: cut.png\n"},
        {"text.png", "0: Texture is not of .png type  File: text.png\n"},
        {"empty.png", "0: Texture is not of .png type  File: empty.png\n"},
        {"folder.png", "0: Texture is not of .png type  File: folder.png\n"},
        {"missing.png", "0: Texture is not of .png type  File: missing.png\n"},
        {"", "0: Texture is not of .png type  File: \n"},
    };
    for (const sCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Add(c.name), c.line);
        std::string said;
        EXPECT_EQ(IdOf(c.name, &said), 0u);
        EXPECT_EQ(said, std::string("Error: Tried to get gl tex ID from a texture not yet loaded - ") +
                            c.name + "\n");
    }
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");
}

TEST_F(TextureRegistryTest, AnOpenGLFailureIsReportedAndLeavesNoEntry)
{
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    ASSERT_GT(maxSize, 0);
    // Tall, not wide: SDL 1.2 keeps a row's length in 16 bits and could not even decode a wide one.
    ASSERT_TRUE(WritePngRgba(SolidImage(1, maxSize + 1, 10, 20, 30), "tall.png"));
    ASSERT_TRUE(WritePngRgba(NoiseImage(4, 4, 5), "fine.png"));
    const std::string line = "0: glTexImage2D resulted in an error  File: tall.png\n";

    EXPECT_EQ(Add("tall.png"), line);
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");
    // Not a user of nothing: a second add tries the file again and reports again.
    EXPECT_EQ(Add("tall.png"), line);
    EXPECT_EQ(IdOf("tall.png"), 0u);
    // The failure does not spill into the next load.
    EXPECT_EQ(Add("fine.png"), "");
    EXPECT_NE(IdOf("fine.png"), 0u);
}

TEST_F(TextureRegistryTest, AnEarlierOpenGLErrorIsNotBlamedOnTheNextLoad)
{
    ASSERT_TRUE(WritePngRgba(NoiseImage(4, 4, 6), "fine.png"));
    glEnable(GL_INVALID_ENUM);   // leaves GL_INVALID_ENUM pending
    EXPECT_EQ(Add("fine.png"), "");
    EXPECT_NE(IdOf("fine.png"), 0u);
}

TEST_F(TextureRegistryTest, ResetDeletesEveryTextureWhateverItsCount)
{
    ASSERT_TRUE(WritePngRgba(NoiseImage(4, 4, 7), "a.png"));
    ASSERT_TRUE(WritePngRgba(NoiseImage(100, 70, 8), "big.png"));
    Add("a.png");
    Add("a.png");
    uint32_t single = IdOf("a.png");
    unsigned numX = 0, numY = 0, width = 0, height = 0;
    std::vector<unsigned> tiles;
    TEXTUREMANAGER.AddLargeTexture("big.png", numX, numY, width, height, tiles);
    ASSERT_EQ(tiles.size(), 4u);

    TEXTUREMANAGER.Reset();
    EXPECT_FALSE(glIsTexture(single));
    for (unsigned tile : tiles)
        EXPECT_FALSE(glIsTexture(tile));
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");
    EXPECT_EQ(CaptureOutput([] { TEXTUREMANAGER.RemoveLargeTexture("big.png"); }),
              "Tried to remove nonexistant large texture\n");
}

// ---- tiled images

struct sTiled
{
    unsigned numX = 0, numY = 0, width = 0, height = 0;
    std::vector<unsigned> ids;
    std::string said;
};

sTiled AddTiled(const std::string& name, std::vector<unsigned> ids = {})
{
    sTiled t;
    t.ids = std::move(ids);
    t.said = CaptureOutput(
        [&] { TEXTUREMANAGER.AddLargeTexture(name.c_str(), t.numX, t.numY, t.width, t.height, t.ids); });
    return t;
}

TEST_F(TextureRegistryTest, TilesAnImageBottomRowFirstAndPadsWithTransparentBlack)
{
    sRgbaImage image = NoiseImage(800, 600, 9);
    ASSERT_TRUE(WritePngRgba(image, "screen.png"));
    sTiled t = AddTiled("screen.png");
    EXPECT_EQ(t.said, "");
    EXPECT_EQ(t.numX, 13u);
    EXPECT_EQ(t.numY, 10u);
    EXPECT_EQ(t.width, 800u);
    EXPECT_EQ(t.height, 600u);
    ASSERT_EQ(t.ids.size(), 130u);

    // Every tile holds its 64 x 64 piece of the image, or transparent black beyond it.
    for (unsigned row = 0; row < 10; ++row) {
        for (unsigned column = 0; column < 13; ++column) {
            int w = 0, h = 0;
            std::vector<uint8_t> texels = ReadTexture(t.ids[row * 13 + column], w, h);
            ASSERT_EQ(w, 64);
            ASSERT_EQ(h, 64);
            int mismatches = 0;
            for (int ty = 0; ty < 64; ++ty) {
                for (int tx = 0; tx < 64; ++tx) {
                    int x = int(column) * 64 + tx;
                    int yFromBottom = int(row) * 64 + ty;
                    static const uint8_t k_Clear[4] = {0, 0, 0, 0};
                    const uint8_t* want = (x < 800 && yFromBottom < 600) ? image.At(x, 599 - yFromBottom)
                                                                          : k_Clear;
                    mismatches += !std::equal(want, want + 4, &texels[(size_t(ty) * 64 + tx) * 4]);
                }
            }
            EXPECT_EQ(mismatches, 0) << "tile row " << row << ", column " << column;
        }
    }
}

TEST_F(TextureRegistryTest, TileCountsFollowTheImageSize)
{
    struct sCase { int width, height; unsigned numX, numY; };
    const sCase cases[] = {{128, 64, 2, 1}, {64, 64, 1, 1}, {1, 1, 1, 1}, {65, 129, 2, 3}, {1920, 1080, 30, 17}};
    for (const sCase& c : cases) {
        std::string name = std::to_string(c.width) + "x" + std::to_string(c.height) + ".png";
        SCOPED_TRACE(name);
        ASSERT_TRUE(WritePngRgba(SolidImage(c.width, c.height, 1, 2, 3), name));
        sTiled t = AddTiled(name);
        EXPECT_EQ(t.said, "");
        EXPECT_EQ(t.numX, c.numX);
        EXPECT_EQ(t.numY, c.numY);
        EXPECT_EQ(t.width, unsigned(c.width));
        EXPECT_EQ(t.height, unsigned(c.height));
        EXPECT_EQ(t.ids.size(), size_t(c.numX) * c.numY);
    }
}

TEST_F(TextureRegistryTest, AKnownTiledImageIsSharedAndItsNamesGoInFront)
{
    ASSERT_TRUE(WritePngRgba(NoiseImage(128, 64, 10), "tall.png"));
    sTiled first = AddTiled("tall.png", {999});
    ASSERT_EQ(first.ids.size(), 3u);
    EXPECT_EQ(first.ids[2], 999u);
    sTiled second = AddTiled("tall.png", {7, 8});
    EXPECT_EQ(second.said, "");
    EXPECT_EQ(second.numX, 2u);
    EXPECT_EQ(second.numY, 1u);
    EXPECT_EQ(second.width, 128u);
    EXPECT_EQ(second.height, 64u);
    EXPECT_EQ(second.ids, (std::vector<unsigned>{first.ids[0], first.ids[1], 7, 8}));
    // Tiled images are not listed with the single textures.
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");

    TEXTUREMANAGER.RemoveLargeTexture("tall.png");
    EXPECT_TRUE(glIsTexture(first.ids[0]));
    TEXTUREMANAGER.RemoveLargeTexture("tall.png");
    EXPECT_FALSE(glIsTexture(first.ids[0]));
    EXPECT_FALSE(glIsTexture(first.ids[1]));
    EXPECT_EQ(CaptureOutput([] { TEXTUREMANAGER.RemoveLargeTexture("tall.png"); }),
              "Tried to remove nonexistant large texture\n");
}

TEST_F(TextureRegistryTest, AFailedTiledImageZeroesTheCountsAndLeavesTheRestAlone)
{
    sRgbaImage image = NoiseImage(8, 8, 11);
    ASSERT_TRUE(WritePngRgb(image, "rgb.png"));
    std::ofstream("empty.png");
    fs::create_directory("folder.png");
    std::ofstream("text.png") << "plain text";

    struct sCase { const char* name; std::string line; };
    auto loadError = [](const char* name) {
        SDL_ClearError();
        SurfacePtr surface(IMG_Load(name), SDL_FreeSurface);
        EXPECT_EQ(surface, nullptr) << name;
        return std::string("0: Could not load texture: ") + SDL_GetError() + name + "  File: " + name + "\n";
    };
    const sCase cases[] = {
        {"rgb.png", "0: Texture is not 32 bpp  File: rgb.png\n"},
        {"empty.png", loadError("empty.png")},
        {"folder.png", loadError("folder.png")},
        {"text.png", loadError("text.png")},
        {"missing.png", loadError("missing.png")},
    };
    for (const sCase& c : cases) {
        SCOPED_TRACE(c.name);
        sTiled t;
        t.numX = t.numY = t.width = t.height = 5;
        t.ids = {1, 2};
        t.said = CaptureOutput(
            [&] { TEXTUREMANAGER.AddLargeTexture(c.name, t.numX, t.numY, t.width, t.height, t.ids); });
        EXPECT_EQ(t.said, c.line);
        EXPECT_EQ(t.numX, 0u);
        EXPECT_EQ(t.numY, 0u);
        EXPECT_EQ(t.width, 5u);
        EXPECT_EQ(t.height, 5u);
        EXPECT_EQ(t.ids, (std::vector<unsigned>{1, 2}));
        EXPECT_EQ(CaptureOutput([&] { TEXTUREMANAGER.RemoveLargeTexture(c.name); }),
                  "Tried to remove nonexistant large texture\n");
    }
}

TEST_F(TextureRegistryTest, ASurfaceIsTiledUnderItsAddressAndLeftUpsideDown)
{
    SurfacePtr surface(SDL_CreateRGBSurface(SDL_SWSURFACE, 70, 2, 32, 0x000000FF, 0x0000FF00,
                                            0x00FF0000, 0xFF000000),
                       SDL_FreeSurface);
    ASSERT_NE(surface, nullptr);
    auto* pixels = static_cast<uint32_t*>(surface->pixels);
    std::fill_n(pixels, 70, 0xFF0000FFu);                                      // top row red
    std::fill_n(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + surface->pitch),
                70, 0xFFFF0000u);                                              // bottom row blue
    std::string name;
    unsigned numX = 0, numY = 0;
    std::vector<unsigned> ids;
    EXPECT_EQ(CaptureOutput([&] { TEXTUREMANAGER.AddLargeTexture(surface.get(), name, numX, numY, ids); }), "");
    char key[32];
    std::snprintf(key, sizeof key, "%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(surface.get())));
    EXPECT_EQ(name, key);
    EXPECT_EQ(numX, 2u);
    EXPECT_EQ(numY, 1u);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(pixels[0], 0xFFFF0000u) << "the caller's surface is left with the bottom row first";

    int w = 0, h = 0;
    std::vector<uint8_t> texels = ReadTexture(ids[0], w, h);
    EXPECT_EQ((std::vector<uint8_t>(texels.begin(), texels.begin() + 4)), (std::vector<uint8_t>{0, 0, 255, 255}));

    TEXTUREMANAGER.RemoveLargeTexture(name.c_str());
    EXPECT_FALSE(glIsTexture(ids[0]));
}

TEST_F(TextureRegistryTest, ASurfaceThatCannotBeTiledGivesZeroCountsAndOneLine)
{
    SurfacePtr rgb(SDL_CreateRGBSurface(SDL_SWSURFACE, 8, 8, 24, 0xFF, 0xFF00, 0xFF0000, 0), SDL_FreeSurface);
    ASSERT_NE(rgb, nullptr);
    struct sCase { SDL_Surface* surface; const char* line; };
    const sCase cases[] = {{nullptr, "0: Passed in null surface pointer\n"}, {rgb.get(), "0: Texture is not 32 bpp\n"}};
    for (const sCase& c : cases) {
        SCOPED_TRACE(c.line);
        std::string name;
        unsigned numX = 9, numY = 9;
        std::vector<unsigned> ids;
        EXPECT_EQ(CaptureOutput([&] { TEXTUREMANAGER.AddLargeTexture(c.surface, name, numX, numY, ids); }), c.line);
        EXPECT_EQ(numX, 0u);
        EXPECT_EQ(numY, 0u);
        EXPECT_TRUE(ids.empty());
        EXPECT_EQ(CaptureOutput([&] { TEXTUREMANAGER.RemoveLargeTexture(name.c_str()); }),
                  "Tried to remove nonexistant large texture\n");
    }
}

} // namespace
