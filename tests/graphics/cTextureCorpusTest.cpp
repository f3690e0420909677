#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "TextureTestSupport.h"
#include "graphics/cTextureManager.h"

using namespace texturetest;
namespace fs = std::filesystem;

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// What the engine must say about a file, worked out from SDL_image directly; "" means it loads.
std::string Expected(const std::string& path, bool checksPngSignature)
{
    if (checksPngSignature) {
        SDL_RWops* stream = SDL_RWFromFile(path.c_str(), "rb");
        const bool isPng = stream && IMG_isPNG(stream);
        if (stream)
            SDL_RWclose(stream);
        if (!isPng)
            return "Texture is not of .png type";
    }
    SDL_ClearError();
    SurfacePtr surface(IMG_Load(path.c_str()), SDL_FreeSurface);
    if (!surface)
        return std::string("Could not load texture: ") + SDL_GetError() + path;
    return surface->format->BitsPerPixel != 32 ? "Texture is not 32 bpp" : "";
}

class TextureCorpusTest : public WindowTest
{
};

// Every valid image of every colour type and depth and the corrupt ones, on both load paths.
TEST_F(TextureCorpusTest, EveryFileLoadsOrIsRefusedWithItsMessage)
{
    const fs::path corpus = fs::path(BW_CORPUS_DIR) / "png";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "PNG corpus not found at " << corpus << "; nothing to test";
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(corpus))
        if (entry.is_regular_file() && entry.path().extension() == ".png")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    std::map<std::string, int> counts;
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const bool corrupt = fs::path(path).filename().string()[0] == 'x';   // the suite's own naming
        const std::string single = Expected(path, true), tiled = Expected(path, false);
        EXPECT_TRUE(!corrupt || (single != "" && single != "Texture is not 32 bpp"));
        ++counts[single.rfind("Could not load texture: ", 0) == 0 ? "Could not load texture: ..."
                                                                   : single.empty() ? "loaded" : single];

        const std::string said = CaptureOutput([&] { TEXTUREMANAGER.AddTexture(path.c_str()); });
        uint32_t id = 0;
        CaptureOutput([&] { id = TEXTUREMANAGER.GetGLTextureID(path.c_str()); });
        EXPECT_EQ(said, single.empty() ? "" : "0: " + single + "  File: " + path + "\n");
        EXPECT_EQ(id != 0 && glIsTexture(id), single.empty());
        if (id)
            TEXTUREMANAGER.RemoveTexture(path.c_str());

        unsigned numX = 77, numY = 77, width = 0, height = 0;
        std::vector<unsigned> ids;
        const std::string tiledSaid = CaptureOutput(
            [&] { TEXTUREMANAGER.AddLargeTexture(path.c_str(), numX, numY, width, height, ids); });
        EXPECT_EQ(tiledSaid, tiled.empty() ? "" : "0: " + tiled + "  File: " + path + "\n");
        EXPECT_EQ(numX, tiled.empty() ? (width + 63) / 64 : 0u);
        EXPECT_EQ(numY, tiled.empty() ? (height + 63) / 64 : 0u);
        ASSERT_EQ(ids.size(), size_t(numX) * numY);
        for (unsigned tile : ids)
            EXPECT_TRUE(glIsTexture(tile));
        if (!ids.empty())
            TEXTUREMANAGER.RemoveLargeTexture(path.c_str());
        for (unsigned tile : ids)
            EXPECT_FALSE(glIsTexture(tile));
    }
    EXPECT_EQ(CaptureOutput([] { TEXTUREMANAGER.DisplayData(); }), "Number Of Textures Loaded: 0\n");
    std::printf("%zu files, single textures:\n", files.size());
    for (const auto& [what, count] : counts)
        std::printf("  %d  %s\n", count, what.c_str());
    EXPECT_GT(counts["loaded"], 0);
    EXPECT_GT(counts["Texture is not 32 bpp"], 0);
    EXPECT_GT(counts["Could not load texture: ..."] + counts["Texture is not of .png type"], 0);
}

} // namespace
