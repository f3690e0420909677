#include "graphics/cLargeTexture.h"

#include <GL/gl.h>
#include <SDL/SDL_image.h>
#include <memory>
#include <string>

#include "core/RegularFile.h"

#include "graphics/cTexture.h"

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

constexpr int TILE_SIZE = 64;

void ThrowOnGLError(const char* text)
{
    if (glGetError() != GL_NO_ERROR)
        throw std::string(text);
}

} // namespace

cLargeTexture::cLargeTexture(const char* fileName)
{
    SurfacePtr surface(LoadImageFile(fileName), SDL_FreeSurface);
    if (!surface)
        throw cTException(0, std::string("Could not load texture: ") + SDL_GetError() + fileName);
    LoadLargeSurface(surface.get());
}

cLargeTexture::cLargeTexture(SDL_Surface* surface)
{
    LoadLargeSurface(surface);
}

cLargeTexture::~cLargeTexture()
{
    DeleteTextures();
}

void cLargeTexture::GetTextureIDs(std::vector<unsigned int>& out) const
{
    out.insert(out.begin(), m_TextureIDs.begin(), m_TextureIDs.end());
}

void cLargeTexture::DeleteTextures()
{
    for (uint32_t id : m_TextureIDs)
        if (glIsTexture(id))
            glDeleteTextures(1, &id);
    m_TextureIDs.clear();
}

void cLargeTexture::LoadLargeSurface(SDL_Surface* surface)
{
    if (!surface)
        throw cTException(0, "Passed in null surface pointer");
    if (surface->format->BitsPerPixel != 32)
        throw cTException(0, "Texture is not 32 bpp");
    MakeGLCompatible(surface);
    m_Width = surface->w;
    m_Height = surface->h;

    SDL_Surface* padded = ExpandToPowerOf2(surface);
    // Frees the padded surface only when it is a copy: the caller keeps `surface`.
    SurfacePtr paddedCopy(padded != surface ? padded : nullptr, SDL_FreeSurface);
    try {
        if (!padded)
            throw std::string("Could not create temp surface for large surface loading");
        UploadTiles(padded);
    } catch (const std::string& text) {
        // The destructor does not run for a constructor that throws: give the names back here.
        DeleteTextures();
        m_NumTexturesX = m_NumTexturesY = 0;
        throw cTException(0, text + " :LoadLargeSurface");
    }
}

void cLargeTexture::UploadTiles(SDL_Surface* padded)
{
    if (padded->w % TILE_SIZE != 0 || padded->h % TILE_SIZE != 0)
        throw "Large Texture not a multiple of: " + std::to_string(TILE_SIZE);
    m_NumTexturesX = padded->w / TILE_SIZE;
    m_NumTexturesY = padded->h / TILE_SIZE;

    SurfacePtr tile(SDL_CreateRGBSurface(SDL_SWSURFACE, TILE_SIZE, TILE_SIZE, 32, 0x000000FF,
                                         0x0000FF00, 0x00FF0000, 0xFF000000),
                    SDL_FreeSurface);
    if (!tile)
        throw std::string("Could not create temp surface for large surface loading");

    // glGetError reports every error since it was last asked: an earlier call's error must not
    // be blamed on this image.
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
    m_TextureIDs.assign(size_t(m_NumTexturesX) * m_NumTexturesY, 0);
    glGenTextures(GLsizei(m_TextureIDs.size()), m_TextureIDs.data());
    if (glGetError() != GL_NO_ERROR) {
        m_TextureIDs.clear();
        throw std::string("LoadLargeSurface: glGenTextures resulted in an error");
    }

    SDL_SetAlpha(padded, 0, 0);
    SDL_SetAlpha(tile.get(), 0, 0);
    // A colour key would make the blit skip pixels and leave the previous tile's in their place.
    bool keyed = (padded->flags & SDL_SRCCOLORKEY) != 0;
    size_t index = 0;
    for (int y = 0; y < padded->h; y += TILE_SIZE) {
        for (int x = 0; x < padded->w; x += TILE_SIZE, ++index) {
            SDL_Rect from = {Sint16(x), Sint16(y), TILE_SIZE, TILE_SIZE};
            SDL_Rect to = {0, 0, 0, 0};
            if (keyed)
                SDL_FillRect(tile.get(), nullptr, 0);
            if (SDL_BlitSurface(padded, &from, tile.get(), &to) < 0)
                throw std::string("LoadLargeSurface: Could not blit to temp surface");
            glBindTexture(GL_TEXTURE_2D, m_TextureIDs[index]);
            ThrowOnGLError("LoadLargeSurface: glBindTexture resulted in an error");
            glTexImage2D(GL_TEXTURE_2D, 0, 4, TILE_SIZE, TILE_SIZE, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         tile->pixels);
            ThrowOnGLError("LoadLargeSurface: glTexImage2D resulted in an error");
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            ThrowOnGLError("glTexParameteri resulted in an error");
        }
    }
}
