#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "text/pf.h"

// Strings drawn frame after frame (menu entries, the HUD) kept as display lists: the second time
// the same string is drawn with the same font, size, colours, position and style, its drawing is
// compiled, and from then on it is one call. The GL calls are the very ones direct drawing makes,
// so the pixels are the same. A string seen once is drawn directly and only remembered, so text
// that changes every frame (a clock) costs what it always did; the lists are bounded in number.
class cStringCache
{
public:
    struct sKey
    {
        std::string text;
        const pffont* font = nullptr;
        float x = 0, y = 0;
        int size = 0;
        float colours[6] = {};   // the text's, then the shadow's
        bool shadow = false;
        pfstyle style{};
        bool operator==(const sKey&) const = default;
    };
    static constexpr size_t MAX_TEXT_BYTES = 256;   // callers draw longer strings directly
    static constexpr size_t MAX_LISTS = 256;

    // Draws what draw() would, from a list when there is one; draw() runs when there is not.
    // Leaves the pen where draw() leaves it. False when the string was drawn directly.
    bool Draw(const sKey& key, const std::function<void()>& draw);
    void Clear();   // gives every list back; call while their context is current

private:
    struct sKeyHash
    {
        size_t operator()(const sKey& key) const;
    };
    struct sEntry
    {
        uint32_t list = 0;
        float penX = 0, penY = 0;
        std::list<const sKey*>::iterator age;
    };

    std::unordered_map<sKey, sEntry, sKeyHash> m_Entries;
    std::list<const sKey*> m_Ages;             // least recently drawn first
    std::unordered_set<size_t> m_SeenOnce;     // hashes of strings drawn once, bounded
    uint32_t m_ModeSerial = 0;                 // the video mode the lists were made under
};
