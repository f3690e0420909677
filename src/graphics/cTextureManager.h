#pragma once
#include <SDL/SDL.h>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/cLargeTexture.h"
#include "graphics/cTexture.h"

// A single texture and the number of its users.
struct cTexturePtr
{
    std::unique_ptr<cTexture> m_pTexture;   // null only while the entry is being loaded
    uint32_t m_RefCount = 0;
};

// A tiled image, its registry key and the number of its users.
struct cLargeTexturePtr
{
    std::string m_Name;
    std::unique_ptr<cLargeTexture> m_pTexture;
    uint32_t m_RefCount = 1;
};

// Shares textures by file name among all their users with a count of users, so that models and
// menus naming the same file share one texture. Failures are written to standard output, one
// line each; the callers are not told, except through a 0 name or 0 tile counts.
class cTextureManager
{
public:
    cTextureManager() = default;
    ~cTextureManager();
    cTextureManager(const cTextureManager&) = delete;
    cTextureManager& operator=(const cTextureManager&) = delete;

    void Init() {}
    void Update() {}
    void Quit() { Reset(); }
    void Reset();   // deletes every texture whatever its count: after a video-mode change

    void AddTexture(const char* fileName);
    uint32_t GetGLTextureID(const char* fileName);   // 0 when not registered
    void RemoveTexture(const char* fileName);        // the last user's remove deletes it

    // A tiled image by file name, shared: the outputs describe it and its tile names are inserted
    // at the front of `ids`. On failure numX = numY = 0 and the other outputs are left alone.
    void AddLargeTexture(const char* fileName, unsigned int& numX, unsigned int& numY,
                         unsigned int& width, unsigned int& height, std::vector<unsigned int>& ids);
    // A tiled image of a surface, never shared; its key (the surface's address in lower-case
    // hexadecimal) goes to `name`. The surface stays the caller's and is left upside down.
    void AddLargeTexture(SDL_Surface* surface, std::string& name, unsigned int& numX,
                         unsigned int& numY, std::vector<unsigned int>& ids);
    void RemoveLargeTexture(const char* fileName);

    void DisplayData();   // the count of single textures, then "count  name" per entry

private:
    std::map<std::string, cTexturePtr> m_Textures;
    std::list<cLargeTexturePtr> m_LargeTextures;
};

extern cTextureManager TEXTUREMANAGER;
