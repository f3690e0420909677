#include "support/MenuTestData.h"

#include <fstream>
#include <stb/stb_image_write.h>
#include <string>
#include <vector>

namespace {

// 32 bits, as the texture registry wants; 128 x 128, whole tiles, so no padding blurs the edges.
void WriteImage(const std::filesystem::path& path, int r, int g, int b, bool lighterTop)
{
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 128; ++y) {
        int lift = lighterTop && y < 32 ? 60 : 0;
        for (int x = 0; x < 128; ++x)
            rgba.insert(rgba.end(), {uint8_t(r + lift), uint8_t(g + lift), uint8_t(b + lift), 255});
    }
    std::filesystem::create_directories(path.parent_path());
    stbi_write_png(path.string().c_str(), 128, 128, 4, rgba.data(), 128 * 4);
}

} // namespace

void WriteMenuTestData(const std::filesystem::path& dir)
{
    const char* pictures[] = {"Copyright", "quillbrook", "MainScreen", "CharSelect", "WaitScreen", "GrayBackground"};
    const int colours[][3] = {{120, 20, 20}, {20, 120, 20}, {20, 20, 120}, {20, 100, 100}, {100, 20, 100}, {90, 90, 90}};
    for (int i = 0; i < 6; ++i)
        WriteImage(dir / "Images" / (std::string(pictures[i]) + ".png"), colours[i][0], colours[i][1], colours[i][2], true);

    // One quad facing the viewer, which the selection screen's transform (scale 10, moved by
    // (4.45, -3.8, -2), eye at z = 1.5) puts right of the middle of the screen.
    const std::string quad = "v -0.40 0.26 0\nv -0.30 0.26 0\nv -0.30 0.44 0\nv -0.40 0.44 0\n"
                             "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nusemtl body\n"
                             "f 1/1/1 2/2/1 3/3/1\nf 1/1/1 3/3/1 4/4/1\n";
    const char* folders[] = {"JossHartle", "OrlaVance", "MinaSorrel", "DovKestrel", "PellArden"};
    const char* prefixes[] = {"joss", "orla", "mina", "dov", "pell"};
    const char* textures[] = {"Joss", "Orla", "Mina", "Dov", "Pell"};
    const int textureColours[][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}};
    for (int i = 0; i < 5; ++i) {
        std::filesystem::path stem = dir / "Models/Characters" / folders[i] / (std::string(prefixes[i]) + "_idle");
        std::filesystem::create_directories(stem.parent_path());
        std::ofstream(stem.string() + ".mtl") << "newmtl body\nNs 10\nKa 0.4 0.4 0.4\nKd 1 1 1\nKs 0 0 0\nd 1\n";
        std::ofstream(stem.string() + "_0.obj") << quad;
        const int* c = textureColours[i];
        WriteImage(dir / "Images" / (std::string(textures[i]) + "Texture.png"), c[0], c[1], c[2], false);
    }
}
