#include "support/MenuTestData.h"

#include <fstream>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>

#include "support/FrameCapture.h"

namespace {

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The texture registry takes 32-bit images only.
void WriteImage(const std::filesystem::path& path, sRgb colour, bool lighterTop)
{
    const int width = 128, height = 96;
    std::vector<uint8_t> rgba;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int lift = lighterTop && y < height / 4 ? 60 : 0;
            rgba.insert(rgba.end(), {uint8_t(colour.r + lift), uint8_t(colour.g + lift), uint8_t(colour.b + lift), 255});
        }
    std::filesystem::create_directories(path.parent_path());
    stbi_write_png(path.string().c_str(), width, height, 4, rgba.data(), width * 4);
}

// A box that the selection screen's transform (scale 10, moved by (4.45, -3.8, -2), eye at
// z = 1.5) puts right of the middle of the screen.
std::string BoxObj(const std::string& mtlLib)
{
    const float x0 = -0.40f, x1 = -0.30f, y0 = 0.26f, y1 = 0.44f, z0 = -0.02f, z1 = 0.02f;
    std::string obj = "mtllib " + mtlLib + "\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    const float xs[2] = {x0, x1}, ys[2] = {y0, y1}, zs[2] = {z0, z1};
    for (int i = 0; i < 8; ++i)
        obj += "v " + std::to_string(xs[i >> 2 & 1]) + " " + std::to_string(ys[i >> 1 & 1]) + " " +
               std::to_string(zs[i & 1]) + "\n";
    obj += "vn -1 0 0\nvn 1 0 0\nvn 0 -1 0\nvn 0 1 0\nvn 0 0 -1\nvn 0 0 1\nusemtl body\n";
    // Corner indices (1-based, bit 2 = x, bit 1 = y, bit 0 = z) of each face, counter-clockwise
    // seen from outside, and its normal.
    const int faces[6][5] = {{1, 2, 4, 3, 1}, {5, 7, 8, 6, 2}, {1, 5, 6, 2, 3},
                             {3, 4, 8, 7, 4}, {1, 3, 7, 5, 5}, {2, 6, 8, 4, 6}};
    for (const auto& f : faces) {
        auto corner = [&](int k, int t) {
            return std::to_string(f[k]) + "/" + std::to_string(t) + "/" + std::to_string(f[4]);
        };
        obj += "f " + corner(0, 1) + " " + corner(1, 2) + " " + corner(2, 3) + "\n";
        obj += "f " + corner(0, 1) + " " + corner(2, 3) + " " + corner(3, 4) + "\n";
    }
    return obj;
}

} // namespace

void WriteMenuTestData(const std::filesystem::path& dir)
{
    struct sPicture
    {
        const char* file;
        sRgb colour;
    };
    const sPicture pictures[] = {
        {"Images/Copyright.png", {120, 20, 20}},   {"Images/quillbrook.png", {20, 120, 20}},
        {"Images/MainScreen.png", {20, 20, 120}},  {"Images/CharSelect.png", {20, 100, 100}},
        {"Images/WaitScreen.png", {100, 20, 100}}, {"Images/GrayBackground.png", {90, 90, 90}},
    };
    for (const sPicture& picture : pictures)
        WriteImage(dir / picture.file, picture.colour, true);

    struct sCharacter
    {
        const char* folder;
        const char* prefix;
        const char* texture;
        sRgb colour;
    };
    const sCharacter characters[] = {
        {"JossHartle", "joss", "Joss", {255, 0, 0}},   {"OrlaVance", "orla", "Orla", {0, 255, 0}},
        {"MinaSorrel", "mina", "Mina", {0, 0, 255}},   {"DovKestrel", "dov", "Dov", {255, 255, 0}},
        {"PellArden", "pell", "Pell", {255, 0, 255}},
    };
    for (const sCharacter& c : characters) {
        std::filesystem::path folder = dir / "Models/Characters" / c.folder;
        std::string prefix = c.prefix;
        WriteText(folder / (prefix + "_idle.mtl"),
                  "newmtl body\nNs 10\nKa 0.4 0.4 0.4\nKd 1 1 1\nKs 0 0 0\nd 1\n");
        WriteText(folder / (prefix + "_idle_0.obj"), BoxObj(prefix + "_idle.mtl"));
        WriteImage(dir / "Images" / (std::string(c.texture) + "Texture.png"), c.colour, false);
    }
}
