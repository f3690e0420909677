#pragma once
#include <SDL/SDL.h>
#include <cstdint>
#include <vector>

// An image of any size cut into 64 x 64 tiles, one OpenGL texture each, for full-screen
// backgrounds. The image is padded on the right and at the top with transparent black up to
// whole tiles; tile row 0 is the bottom row of the image.
class cLargeTexture
{
public:
    // Both throw only cTException. The file may be of any format SDL_image reads. The surface
    // stays the caller's and is left turned upside down.
    explicit cLargeTexture(const char* fileName);
    explicit cLargeTexture(SDL_Surface* surface);
    ~cLargeTexture();
    cLargeTexture(const cLargeTexture&) = delete;
    cLargeTexture& operator=(const cLargeTexture&) = delete;

    uint32_t GetNumTexturesX() const { return m_NumTexturesX; }
    uint32_t GetNumTexturesY() const { return m_NumTexturesY; }
    uint32_t GetWidth() const { return m_Width; }     // of the image, before padding
    uint32_t GetHeight() const { return m_Height; }
    // Inserts the tile names, row-major from the bottom row, at the front of `out`.
    void GetTextureIDs(std::vector<unsigned int>& out) const;

    // The GL context that made the names is gone: drop them without asking OpenGL about them.
    void ForgetTextures() { m_TextureIDs.clear(); }

private:
    void LoadLargeSurface(SDL_Surface* surface);
    void UploadTiles(SDL_Surface* padded);
    void DeleteTextures();

    uint32_t m_NumTexturesX = 0;
    uint32_t m_NumTexturesY = 0;
    uint32_t m_Width = 0;
    uint32_t m_Height = 0;
    std::vector<uint32_t> m_TextureIDs;
};
