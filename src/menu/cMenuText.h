#pragma once
#include <string>

#include "menu/cMenuObject.h"

// A second line of text beside a button, such as the name of the key bound to a control. It shows
// in its own colour while being edited and in the complementary colour otherwise.
class cMenuText : public cMenuObject
{
public:
    // Colour components 0.0-1.0; larger values saturate when drawn.
    void Init(const char* text, float x, float y, int size, float r, float g, float b);
    void SetText(const char* text);
    const std::string& GetText() const;

    void Draw() override;
    void ScaleSize(int from, int to) override;   // size times to / from, the quotient in integers

private:
    std::string m_Text;
    int m_Size = 0;
    float m_Color[3] = {1, 1, 1};
};
