#pragma once
#include <cstdint>
#include <string>

#include "menu/cMenuObject.h"

// A bar with a handle over a fixed number of positions (a resolution, a volume), with a label
// above it. The handle never wraps at either end.
class cMenuSlider : public cMenuObject
{
public:
    // A current entry at or beyond the count starts at the last entry.
    void InitSlider(float width, float height, unsigned short entries, unsigned char current);
    void CalculateBarOffset();
    void IncreaseBar();
    void DecreaseBar();

    void SetCurrentEntry(unsigned short entry);   // ignored unless entry < the number of entries
    unsigned short GetCurrentEntry() const;
    unsigned short GetNumEntries() const;
    unsigned short GetTempEntry() const;           // the entry kept for cancelling an edit
    void SetTempEntry(unsigned short entry);
    std::string& GetText();                        // the label, for the caller to rewrite
    float GetBarOffset() const;                    // handle centre, pixels from the bar's left edge

    void Draw() override;

private:
    std::string m_Text;
    float m_Height = 0;
    float m_Width = 0;
    uint16_t m_NumEntries = 0;
    uint16_t m_CurrentEntry = 0;
    uint16_t m_TempEntry = 0;
    float m_BarOffset = 0;
};
