#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <tuple>

#include "TextureTestSupport.h"
#include "graphics/cTextureManager.h"

using namespace texturetest;
namespace fs = std::filesystem;

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

const std::string NO_LARGE_TEXTURE = "Tried to remove nonexistant large texture\n";

struct sTiled
{
    unsigned numX = 5, numY = 5, width = 5, height = 5;
    std::vector<unsigned> ids;
    std::string said;
};

// What the engine must say about a file and the size it must report, worked out from SDL_image
// directly; a refused file leaves the size it was given (5 x 5) alone.
sTiled Expected(const std::string& path, bool checksPngSignature)
{
    sTiled verdict;
    if (checksPngSignature) {
        SDL_RWops* stream = SDL_RWFromFile(path.c_str(), "rb");
        const bool isPng = stream && IMG_isPNG(stream);
        if (stream)
            SDL_RWclose(stream);
        verdict.said = isPng ? "" : "Texture is not of .png type";
        if (!isPng)
            return verdict;
    }
    SDL_ClearError();
    SurfacePtr surface(IMG_Load(path.c_str()), SDL_FreeSurface);
    if (!surface)
        verdict.said = std::string("Could not load texture: ") + SDL_GetError() + path;
    else if (surface->format->BitsPerPixel != 32)
        verdict.said = "Texture is not 32 bpp";
    else
        std::tie(verdict.width, verdict.height) = std::make_pair(unsigned(surface->w), unsigned(surface->h));
    return verdict;
}

class TextureRegistryTest : public WindowTest
{
protected:
    std::string Add(const std::string& name)
    {
        return CaptureOutput([&] { TEXTUREMANAGER.AddTexture(name.c_str()); });
    }
    uint32_t IdOf(const std::string& name)
    {
        uint32_t id = 0;
        CaptureOutput([&] { id = TEXTUREMANAGER.GetGLTextureID(name.c_str()); });
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
};

TEST_F(TextureRegistryTest, SharedTexturesLiveWhileAUserIsLeftOrUntilAReset)
{
    for (const char* name : {"b.png", "a.png", "B.png"})
        ASSERT_TRUE(WritePngRgba(NoiseImage(3, 5, 2), name));
    ASSERT_TRUE(WritePngRgba(NoiseImage(128, 64, 10), "wide.png"));
    for (const char* name : {"b.png", "a.png", "b.png", "B.png"})
        EXPECT_EQ(Add(name), "");
    const uint32_t id = IdOf("b.png");
    GLint width = 0, height = 0;   // uploaded at its own size
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(3, 5));
    const sTiled first = AddTiled("wide.png");
    const sTiled second = AddTiled("wide.png", {7, 8});   // shared, its names in front
    EXPECT_EQ(std::tie(second.numX, second.numY, second.width, second.height), std::make_tuple(2u, 1u, 128u, 64u));
    EXPECT_EQ(second.ids, (std::vector<unsigned>{first.ids[0], first.ids[1], 7, 8}));
    // Tiled images are not listed with the single textures.
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 3\n1  B.png\n1  a.png\n2  b.png\n");

    TEXTUREMANAGER.RemoveTexture("b.png");
    TEXTUREMANAGER.RemoveLargeTexture("wide.png");
    for (uint32_t name : {id, first.ids[0], first.ids[1]})
        EXPECT_TRUE(glIsTexture(name)) << name;   // a user is left
    const uint32_t single = IdOf("a.png");
    TEXTUREMANAGER.Reset();   // users or not
    for (uint32_t name : {id, single, first.ids[0], first.ids[1]})
        EXPECT_FALSE(glIsTexture(name)) << name;
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");
    EXPECT_EQ(CaptureOutput([] { EXPECT_EQ(TEXTUREMANAGER.GetGLTextureID("b.png"), 0u); }),
              "Error: Tried to get gl tex ID from a texture not yet loaded - b.png\n");
    EXPECT_EQ(CaptureOutput([] { TEXTUREMANAGER.RemoveTexture("b.png"); }),
              "Error: Tried to remove a texture not yet loaded - b.png\n");
    EXPECT_EQ(RemoveLarge("wide.png"), NO_LARGE_TEXTURE);
}

// Every image of the corpus (each colour type and depth, and the corrupt ones) and made ones on
// both load paths: single textures check the PNG signature first, tiled images go straight to the
// decoder. A refused tiled image zeroes the counts and leaves the names and sizes it was given.
TEST_F(TextureRegistryTest, EveryFileLoadsOrIsRefusedWithItsMessage)
{
    const fs::path corpus = fs::path(BW_CORPUS_DIR) / "png";
    const bool haveCorpus = fs::is_directory(corpus);
    std::error_code error;   // no corpus: an empty walk
    std::vector<std::string> files = {"64x64.png", "65x129.png", "empty.png"};
    ASSERT_TRUE(WritePngRgba(SolidImage(64, 64, 1, 2, 3), files[0]));
    ASSERT_TRUE(WritePngRgba(SolidImage(65, 129, 1, 2, 3), files[1]));
    std::ofstream{files[2]};
    for (const auto& entry : fs::recursive_directory_iterator(corpus, fs::directory_options::none, error))
        if (entry.path().extension() == ".png")
            files.push_back(entry.path().string());

    std::set<std::string> outcomes;
    auto line = [](const std::string& said, const std::string& path) {
        return said.empty() ? "" : "0: " + said + "  File: " + path + "\n";
    };
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const std::string single = Expected(path, true).said;
        outcomes.insert(single.substr(0, single.find(':')));
        const bool corrupt = fs::path(path).filename().string()[0] == 'x';   // the suite's naming
        EXPECT_TRUE(!corrupt || (single != "" && single != "Texture is not 32 bpp"));
        EXPECT_EQ(Add(path), line(single, path));
        const uint32_t id = IdOf(path);
        EXPECT_EQ(id != 0 && glIsTexture(id), single.empty());
        if (id)
            TEXTUREMANAGER.RemoveTexture(path.c_str());

        const sTiled want = Expected(path, false), t = AddTiled(path, {1, 2});
        EXPECT_EQ(t.said, line(want.said, path));
        EXPECT_EQ(std::tie(t.width, t.height), std::tie(want.width, want.height));
        EXPECT_EQ(t.numX, want.said.empty() ? (want.width + 63) / 64 : 0u);
        EXPECT_EQ(t.numY, want.said.empty() ? (want.height + 63) / 64 : 0u);
        ASSERT_EQ(t.ids.size(), t.numX * t.numY + 2);
        EXPECT_EQ(t.ids.back(), 2u);
        for (size_t i = 0; i + 2 < t.ids.size(); ++i)
            EXPECT_TRUE(glIsTexture(t.ids[i]));
        EXPECT_EQ(RemoveLarge(path), want.said.empty() ? "" : NO_LARGE_TEXTURE);
        for (size_t i = 0; i + 2 < t.ids.size(); ++i)
            EXPECT_FALSE(glIsTexture(t.ids[i]));
    }
    EXPECT_TRUE(!haveCorpus || outcomes.size() == 4u) << "every outcome is met: loaded, not a PNG, not loadable, not 32 bpp";

    // A name that is no file: the signature check refuses it, the decoder quotes why.
    EXPECT_EQ(Add("missing.png"), "0: Texture is not of .png type  File: missing.png\n");
    EXPECT_EQ(AddTiled("missing.png").said, "0: Could not load texture: Couldn't open missing.png: "
                                            "No such file or directorymissing.png  File: missing.png\n");
    EXPECT_EQ(Registry(), "Number Of Textures Loaded: 0\n");
    if (!haveCorpus)
        GTEST_SKIP() << "no PNG corpus at " << corpus << "; only the made files were tried";
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
    EXPECT_EQ(Add("tall.png"), line);   // tried and reported again, not a stale entry
    glEnable(GL_INVALID_ENUM);          // an earlier pending error is not blamed on the next load
    EXPECT_EQ(Add("fine.png"), "");
    EXPECT_NE(IdOf("fine.png"), 0u);
}

TEST_F(TextureRegistryTest, ASurfaceIsTiledUnderItsWholeAddress)
{
    SurfacePtr surface(SDL_CreateRGBSurface(SDL_SWSURFACE, 70, 2, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000),
                       SDL_FreeSurface);
    ASSERT_TRUE(surface);
    std::string name;
    unsigned numX = 0, numY = 0;
    std::vector<unsigned> ids;
    EXPECT_EQ(CaptureOutput([&] { TEXTUREMANAGER.AddLargeTexture(surface.get(), name, numX, numY, ids); }), "");
    char key[32];
    std::snprintf(key, sizeof key, "%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(surface.get())));
    EXPECT_EQ(name, key);
    EXPECT_EQ(std::make_pair(numX, numY), std::make_pair(2u, 1u));
    ASSERT_EQ(ids.size(), 2u);
    TEXTUREMANAGER.RemoveLargeTexture(name.c_str());
    EXPECT_FALSE(glIsTexture(ids[0]));

    EXPECT_EQ(CaptureOutput([&] { TEXTUREMANAGER.AddLargeTexture(nullptr, name, numX, numY, ids); }),
              "0: Passed in null surface pointer\n");
    EXPECT_EQ(std::make_pair(numX, numY), std::make_pair(0u, 0u));
    EXPECT_EQ(RemoveLarge(name), NO_LARGE_TEXTURE);
}

} // namespace
