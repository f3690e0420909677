#pragma once

// PLACEHOLDER: declarations only, so that models compile before the texture registry lands.
// The registry's real header replaces this file.
class cTextureManager
{
public:
    void AddTexture(const char* fileName);
    unsigned int GetGLTextureID(const char* fileName);
    void RemoveTexture(const char* fileName);
};

extern cTextureManager TEXTUREMANAGER;
