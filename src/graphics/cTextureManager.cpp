#include "graphics/cTextureManager.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

cTextureManager TEXTUREMANAGER;

namespace {

// One line on standard output, flushed at once so that it keeps its place among the lines that
// the interpreter and the other subsystems write when the output is a pipe or a file.
__attribute__((format(printf, 1, 2))) void Say(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

void ReportFailure(const cTException& e, const char* fileName)
{
    Say("%u: %s  File: %s\n", e.code(), e.what(), fileName);
}

} // namespace

cTextureManager::~cTextureManager()
{
    // Globals die after SDL has quit: the GL context is gone and its names with it, so the objects
    // are freed without any OpenGL call.
    for (auto& [name, entry] : m_Textures)
        if (entry.m_pTexture)
            entry.m_pTexture->ForgetTexture();
    for (cLargeTexturePtr& entry : m_LargeTextures)
        entry.m_pTexture->ForgetTextures();
}

void cTextureManager::Reset()
{
    m_Textures.clear();
    m_LargeTextures.clear();
}

void cTextureManager::AddTexture(const char* fileName)
{
    auto [it, inserted] = m_Textures.try_emplace(fileName);
    if (inserted) {
        try {
            it->second.m_pTexture = std::make_unique<cTexture>(fileName);
        } catch (const cTException& e) {
            ReportFailure(e, fileName);
            m_Textures.erase(it);
            return;
        } catch (const std::string& text) {
            // An OpenGL failure: an entry without a texture would make every later add of the
            // name count a user of nothing, so it goes like any other failed load.
            ReportFailure(cTException(0, text), fileName);
            m_Textures.erase(it);
            return;
        }
    }
    ++it->second.m_RefCount;
}

uint32_t cTextureManager::GetGLTextureID(const char* fileName)
{
    auto it = m_Textures.find(fileName);
    if (it == m_Textures.end()) {
        Say("Error: Tried to get gl tex ID from a texture not yet loaded - %s\n", fileName);
        return 0;
    }
    return it->second.m_pTexture ? it->second.m_pTexture->GetTextureID() : 0;
}

void cTextureManager::RemoveTexture(const char* fileName)
{
    auto it = m_Textures.find(fileName);
    if (it == m_Textures.end()) {
        Say("Error: Tried to remove a texture not yet loaded - %s\n", fileName);
        return;
    }
    if (it->second.m_RefCount > 0)
        --it->second.m_RefCount;
    if (it->second.m_RefCount == 0)
        m_Textures.erase(it);
}

void cTextureManager::AddLargeTexture(const char* fileName, unsigned int& numX, unsigned int& numY,
                                      unsigned int& width, unsigned int& height,
                                      std::vector<unsigned int>& ids)
{
    for (cLargeTexturePtr& entry : m_LargeTextures) {
        if (entry.m_Name == fileName) {
            numX = entry.m_pTexture->GetNumTexturesX();
            numY = entry.m_pTexture->GetNumTexturesY();
            width = entry.m_pTexture->GetWidth();
            height = entry.m_pTexture->GetHeight();
            entry.m_pTexture->GetTextureIDs(ids);
            ++entry.m_RefCount;
            return;
        }
    }
    try {
        auto pTexture = std::make_unique<cLargeTexture>(fileName);
        numX = pTexture->GetNumTexturesX();
        numY = pTexture->GetNumTexturesY();
        width = pTexture->GetWidth();
        height = pTexture->GetHeight();
        pTexture->GetTextureIDs(ids);
        m_LargeTextures.push_back({fileName, std::move(pTexture), 1});
    } catch (const cTException& e) {
        numX = numY = 0;
        ReportFailure(e, fileName);
    }
}

void cTextureManager::AddLargeTexture(SDL_Surface* surface, std::string& name, unsigned int& numX,
                                      unsigned int& numY, std::vector<unsigned int>& ids)
{
    // The whole address: cut to 32 bits, two live surfaces could share a key.
    char key[2 * sizeof(uintptr_t) + 1];
    std::snprintf(key, sizeof key, "%" PRIxPTR, reinterpret_cast<uintptr_t>(surface));
    name = key;
    try {
        auto pTexture = std::make_unique<cLargeTexture>(surface);
        numX = pTexture->GetNumTexturesX();
        numY = pTexture->GetNumTexturesY();
        pTexture->GetTextureIDs(ids);
        m_LargeTextures.push_back({name, std::move(pTexture), 1});
    } catch (const cTException& e) {
        numX = numY = 0;
        Say("%u: %s\n", e.code(), e.what());
    }
}

void cTextureManager::RemoveLargeTexture(const char* fileName)
{
    for (auto it = m_LargeTextures.begin(); it != m_LargeTextures.end(); ++it) {
        if (it->m_Name == fileName) {
            if (--it->m_RefCount == 0)
                m_LargeTextures.erase(it);
            return;
        }
    }
    Say("Tried to remove nonexistant large texture\n");
}

void cTextureManager::DisplayData()
{
    Say("Number Of Textures Loaded: %zu\n", m_Textures.size());
    for (const auto& [name, entry] : m_Textures)
        Say("%u  %s\n", entry.m_RefCount, name.c_str());
}
