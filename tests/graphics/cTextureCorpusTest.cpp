#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <filesystem>
#include <map>
#include <memory>

#include "TextureTestSupport.h"
#include "graphics/cTexture.h"
#include "graphics/cTextureManager.h"

using namespace texturetest;
namespace fs = std::filesystem;

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// Third-party PNG files, read in place: every valid image of every colour type and depth, the
// corrupt ones, and a few images from real programs.
class TextureCorpusTest : public WindowTest
{
protected:
    void SetUp() override
    {
        fs::path corpus = fs::path(BW_CORPUS_DIR) / "png";
        if (!fs::is_directory(corpus))
            GTEST_SKIP() << "PNG corpus not found at " << corpus << "; nothing to test";
        for (const auto& entry : fs::recursive_directory_iterator(corpus))
            if (entry.is_regular_file() && entry.path().extension() == ".png")
                m_Files.push_back(entry.path().string());
        std::sort(m_Files.begin(), m_Files.end());
        ASSERT_FALSE(m_Files.empty());
        WindowTest::SetUp();
    }

    // What the engine must say about a file, worked out from SDL_image directly; "" means it loads.
    static std::string Expected(const std::string& path, bool checksPngSignature)
    {
        if (checksPngSignature) {
            SDL_RWops* stream = SDL_RWFromFile(path.c_str(), "rb");
            bool isPng = stream && IMG_isPNG(stream);
            if (stream)
                SDL_RWclose(stream);
            if (!isPng)
                return "Texture is not of .png type";
        }
        SDL_ClearError();
        SurfacePtr surface(IMG_Load(path.c_str()), SDL_FreeSurface);
        if (!surface)
            return std::string("Could not load texture: ") + SDL_GetError() + path;
        if (surface->format->BitsPerPixel != 32)
            return "Texture is not 32 bpp";
        return "";
    }

    static bool IsCorrupt(const std::string& path)
    {
        // The suite's own naming: a file whose name starts with "x" is deliberately broken.
        return fs::path(path).filename().string()[0] == 'x';
    }

    std::vector<std::string> m_Files;
};

std::string Summary(const std::map<std::string, int>& counts)
{
    std::string text;
    for (const auto& [what, count] : counts)
        text += "  " + std::to_string(count) + "  " + what + "\n";
    return text;
}

// Groups the load errors by their first words: the decoder's detail differs from file to file.
std::string Kind(const std::string& message)
{
    if (message.empty())
        return "loaded";
    if (message.rfind("Could not load texture: ", 0) == 0)
        return "Could not load texture: ...";
    return message;
}

TEST_F(TextureCorpusTest, EverySingleTextureLoadsOrIsRefusedWithItsMessage)
{
    std::map<std::string, int> counts;
    for (const std::string& path : m_Files) {
        SCOPED_TRACE(path);
        std::string expected = Expected(path, true);
        std::string said = CaptureOutput([&] { TEXTUREMANAGER.AddTexture(path.c_str()); });
        uint32_t id = 0;
        std::string idSaid = CaptureOutput([&] { id = TEXTUREMANAGER.GetGLTextureID(path.c_str()); });
        if (expected.empty()) {
            EXPECT_EQ(said, "");
            EXPECT_NE(id, 0u);
            EXPECT_TRUE(glIsTexture(id));
            EXPECT_FALSE(IsCorrupt(path));
            TEXTUREMANAGER.RemoveTexture(path.c_str());
            EXPECT_FALSE(glIsTexture(id));
        } else {
            EXPECT_EQ(said, "0: " + expected + "  File: " + path + "\n");
            EXPECT_TRUE(!IsCorrupt(path) || expected != "Texture is not 32 bpp");
            EXPECT_EQ(id, 0u);
            EXPECT_EQ(idSaid, "Error: Tried to get gl tex ID from a texture not yet loaded - " + path + "\n");
        }
        ++counts[Kind(expected)];
    }
    EXPECT_EQ(CaptureOutput([] { TEXTUREMANAGER.DisplayData(); }), "Number Of Textures Loaded: 0\n");
    std::printf("%zu files, single textures:\n%s", m_Files.size(), Summary(counts).c_str());
    EXPECT_GT(counts["loaded"], 0);
    EXPECT_GT(counts["Texture is not 32 bpp"], 0);
    EXPECT_GT(counts["Could not load texture: ..."] + counts["Texture is not of .png type"], 0);
}

TEST_F(TextureCorpusTest, EveryTiledImageLoadsOrIsRefusedWithItsMessage)
{
    std::map<std::string, int> counts;
    for (const std::string& path : m_Files) {
        SCOPED_TRACE(path);
        std::string expected = Expected(path, false);
        unsigned numX = 77, numY = 77, width = 0, height = 0;
        std::vector<unsigned> ids;
        std::string said = CaptureOutput(
            [&] { TEXTUREMANAGER.AddLargeTexture(path.c_str(), numX, numY, width, height, ids); });
        if (expected.empty()) {
            EXPECT_EQ(said, "");
            EXPECT_EQ(numX, (width + 63) / 64);
            EXPECT_EQ(numY, (height + 63) / 64);
            EXPECT_GT(numX * numY, 0u);
            ASSERT_EQ(ids.size(), size_t(numX) * numY);
            EXPECT_FALSE(IsCorrupt(path));
            for (unsigned id : ids)
                EXPECT_TRUE(glIsTexture(id));
            TEXTUREMANAGER.RemoveLargeTexture(path.c_str());
            for (unsigned id : ids)
                EXPECT_FALSE(glIsTexture(id));
        } else {
            EXPECT_EQ(said, "0: " + expected + "  File: " + path + "\n");
            EXPECT_TRUE(!IsCorrupt(path) || expected != "Texture is not 32 bpp");
            EXPECT_EQ(numX, 0u);
            EXPECT_EQ(numY, 0u);
            EXPECT_TRUE(ids.empty());
        }
        ++counts[Kind(expected)];
    }
    std::printf("%zu files, tiled images:\n%s", m_Files.size(), Summary(counts).c_str());
    EXPECT_GT(counts["loaded"], 0);
}

} // namespace
