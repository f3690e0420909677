#include "graphics/cTextureManager.h"

// PLACEHOLDER: the texture registry's real implementation replaces this file.
cTextureManager TEXTUREMANAGER;

void cTextureManager::AddTexture(const char*) {}
unsigned int cTextureManager::GetGLTextureID(const char*) { return 0; }
void cTextureManager::RemoveTexture(const char*) {}
