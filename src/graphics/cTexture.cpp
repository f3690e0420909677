#include "graphics/cTexture.h"

#include <GL/gl.h>
#include <SDL/SDL_image.h>
#include <cstring>
#include <memory>
#include <vector>

#include "core/RegularFile.h"

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// glGetError reports every error since it was last asked, so an earlier call's error must not be
// blamed on the texture being loaded.
void DiscardPendingGLErrors()
{
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

void ThrowOnGLError(const char* text)
{
    if (glGetError() != GL_NO_ERROR)
        throw std::string(text);
}

} // namespace

bool CheckPNG(const char* fileName)
{
    SDL_RWops* stream = OpenRegularFileRW(fileName);
    if (!stream)
        return false;
    bool isPng = IMG_isPNG(stream) != 0;
    SDL_RWclose(stream);
    return isPng;
}

void MakeGLCompatible(SDL_Surface* surface)
{
    if (!surface || SDL_LockSurface(surface) < 0)
        return;
    if (surface->pixels) {
        size_t pitch = surface->pitch;
        std::vector<uint8_t> row(pitch);
        auto* pixels = static_cast<uint8_t*>(surface->pixels);
        for (int top = 0, bottom = surface->h - 1; top < bottom; ++top, --bottom) {
            uint8_t* a = pixels + top * pitch;
            uint8_t* b = pixels + bottom * pitch;
            std::memcpy(row.data(), a, pitch);
            std::memcpy(a, b, pitch);
            std::memcpy(b, row.data(), pitch);
        }
    }
    SDL_UnlockSurface(surface);
}

SDL_Surface* ExpandToPowerOf2(SDL_Surface* surface)
{
    if (!surface)
        return nullptr;
    int width = (surface->w + 63) / 64 * 64;
    int height = (surface->h + 63) / 64 * 64;
    if (width == surface->w && height == surface->h)
        return surface;
    SurfacePtr padded(SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0x000000FF, 0x0000FF00,
                                           0x00FF0000, 0xFF000000),
                      SDL_FreeSurface);
    if (!padded)
        return nullptr;
    SDL_FillRect(padded.get(), nullptr, 0);
    // Without this the blit would blend the image onto the black instead of copying its alpha.
    SDL_SetAlpha(surface, 0, 0);
    SDL_SetAlpha(padded.get(), 0, 0);
    SDL_Rect to = {0, 0, 0, 0};
    if (SDL_BlitSurface(surface, nullptr, padded.get(), &to) < 0)
        return nullptr;
    return padded.release();
}

cTexture::cTexture(const char* fileName)
{
    if (!CheckPNG(fileName))
        throw cTException(0, "Texture is not of .png type");
    SurfacePtr surface(LoadImageFile(fileName), SDL_FreeSurface);
    if (!surface)
        throw cTException(0, std::string("Could not load texture: ") + SDL_GetError() + fileName);
    if (surface->format->BitsPerPixel != 32)
        throw cTException(0, "Texture is not 32 bpp");
    MakeGLCompatible(surface.get());

    DiscardPendingGLErrors();
    glGenTextures(1, &m_TextureID);
    if (glGetError() != GL_NO_ERROR) {
        m_TextureID = 0;
        throw std::string("glGenTextures resulted in an error");
    }
    // The destructor does not run for a constructor that throws: the name is given back here.
    try {
        glBindTexture(GL_TEXTURE_2D, m_TextureID);
        ThrowOnGLError("glBindTexture resulted in an error");
        glTexImage2D(GL_TEXTURE_2D, 0, 4, surface->w, surface->h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     surface->pixels);
        ThrowOnGLError("glTexImage2D resulted in an error");
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        ThrowOnGLError("glTexParameteri resulted in an error");
    } catch (const std::string&) {
        glDeleteTextures(1, &m_TextureID);
        m_TextureID = 0;
        throw;
    }
}

cTexture::~cTexture()
{
    if (m_TextureID && glIsTexture(m_TextureID))
        glDeleteTextures(1, &m_TextureID);
    m_TextureID = 0;
}
