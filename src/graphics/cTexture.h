#pragma once
#include <SDL/SDL.h>
#include <cstdint>
#include <string>

// A texture load that failed. Inside the loaders an OpenGL failure is thrown as a plain
// std::string; only this type leaves the registry's loaders.
class cTException
{
public:
    cTException(uint32_t code, std::string message) : m_Code(code), m_Message(std::move(message)) {}
    cTException(const cTException&) = default;

    uint32_t code() const { return m_Code; }                  // always 0 today
    const char* what() const { return m_Message.c_str(); }

    uint32_t m_Code;
    std::string m_Message;
};

// One PNG file as one OpenGL texture of the image's own size.
class cTexture
{
public:
    // Throws cTException for a file that is missing, not PNG or not 32 bits per pixel, and a
    // std::string naming the OpenGL call that failed.
    explicit cTexture(const char* fileName);
    ~cTexture();
    cTexture(const cTexture&) = delete;
    cTexture& operator=(const cTexture&) = delete;

    uint32_t GetTextureID() const { return m_TextureID; }   // 0 when there is none

    // The GL context that made the name is gone: drop the name without asking OpenGL about it.
    void ForgetTexture() { m_TextureID = 0; }

private:
    uint32_t m_TextureID = 0;
};

// True when the file opens and starts with the PNG signature.
bool CheckPNG(const char* fileName);

// Turns the rows upside down in place: OpenGL wants the bottom row first.
void MakeGLCompatible(SDL_Surface* surface);

// Despite the name: each side raised to the next multiple of 64. Returns `surface` itself when
// both sides already are; otherwise a new RGBA surface (bytes R, G, B, A) that the caller frees,
// the image at (0, 0) and the rest transparent black. Null when that surface cannot be made.
SDL_Surface* ExpandToPowerOf2(SDL_Surface* surface);
