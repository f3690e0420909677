#include "text/cStringCache.h"

#include <GL/gl.h>
#include <cstring>
#include <string_view>

#include "graphics/GraphicsManager.h"

namespace {

constexpr size_t MAX_SEEN = 1024;

size_t Mix(size_t seed, size_t value)
{
    return seed ^ (value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2));
}

size_t Bits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

size_t cStringCache::sKeyHash::operator()(const sKey& key) const
{
    size_t h = std::hash<std::string_view>()(key.text);
    h = Mix(h, std::hash<const void*>()(key.font));
    h = Mix(h, Bits(key.x));
    h = Mix(h, Bits(key.y));
    h = Mix(h, size_t(key.size));
    for (float c : key.colours)
        h = Mix(h, Bits(c));
    h = Mix(h, key.shadow);
    h = Mix(h, Bits(key.style.skew));
    h = Mix(h, size_t(key.style.weight));
    h = Mix(h, Bits(key.style.sine));
    h = Mix(h, Bits(key.style.cosine));
    return Mix(h, size_t(key.style.center));
}

bool cStringCache::Draw(const sKey& key, const std::function<void()>& draw)
{
    uint32_t serial = g_Graphics.GetVideoModeSerial();
    if (serial != m_ModeSerial) {
        // A new video mode may have brought a new context. Nothing else makes display lists, and
        // deleting names that do not exist is harmless, so the lists go either way.
        Clear();
        m_ModeSerial = serial;
    }
    auto found = m_Entries.find(key);
    if (found != m_Entries.end()) {
        sEntry& entry = found->second;
        glCallList(entry.list);
        pfSetPosition(entry.penX, entry.penY);
        m_Ages.splice(m_Ages.end(), m_Ages, entry.age);
        return true;
    }
    size_t hash = sKeyHash()(key);
    if (m_SeenOnce.insert(hash).second) {
        if (m_SeenOnce.size() > MAX_SEEN)
            m_SeenOnce = {hash};
        draw();
        return false;
    }
    GLuint list = glGenLists(1);
    if (list == 0) {
        draw();
        return false;
    }
    if (m_Entries.size() >= MAX_LISTS) {
        auto oldest = m_Entries.find(*m_Ages.front());
        glDeleteLists(oldest->second.list, 1);
        m_Ages.pop_front();
        m_Entries.erase(oldest);
    }
    glNewList(list, GL_COMPILE);
    draw();
    glEndList();
    glCallList(list);
    auto [inserted, _] = m_Entries.emplace(key, sEntry{});
    sEntry& entry = inserted->second;
    entry.list = list;
    pfGetPosition(&entry.penX, &entry.penY);
    entry.age = m_Ages.insert(m_Ages.end(), &inserted->first);
    m_SeenOnce.erase(hash);
    return true;
}

void cStringCache::Clear()
{
    for (auto& [key, entry] : m_Entries)
        glDeleteLists(entry.list, 1);
    m_Entries.clear();
    m_Ages.clear();
    m_SeenOnce.clear();
}
