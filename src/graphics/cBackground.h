#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A full-screen picture behind the menus: an image of any size, tiled through the texture
// registry and drawn stretched over the screen area it is given, upright.
//
// Copies share the tiles without a registry reference of their own: only one of them may call
// FreeImage.
class cBackground
{
public:
    bool LoadImageA(const char* fileName);   // false when the registry could not load it
    void FreeImage();                        // gives the registry reference back; no drawing after it
    // The image fills (0, 0)-(width, height) in pixels, without depth test, culling or lighting;
    // every OpenGL attribute is as it was afterwards.
    void Draw(int width, int height);

private:
    std::string m_FileName;
    std::vector<uint32_t> m_TextureIDs;   // row-major from the bottom row
    uint32_t m_NumTexturesX = 0;
    uint32_t m_NumTexturesY = 0;
    uint32_t m_Width = 0;                 // of the image, before padding to whole tiles
    uint32_t m_Height = 0;
    bool m_Loaded = false;
};
