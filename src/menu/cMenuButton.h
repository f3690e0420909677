#pragma once
#include <memory>
#include <string>

#include "math/cVector2.h"
#include "menu/cMenuObject.h"

// One line of text on a menu screen, highlighted while it is the current one, with at most one
// attached widget that it owns and draws after its text.
class cMenuButton
{
public:
    cMenuButton() = default;
    cMenuButton(const cMenuButton&) = delete;
    cMenuButton& operator=(const cMenuButton&) = delete;

    // Takes ownership of object (may be null); a widget attached before is deleted.
    void Init(const char* text, float r, float g, float b, float x, float y, bool selected, cMenuObject* object);
    void SetText(const char* text);
    const std::string& GetText() const;
    void SetTextColor(float r, float g, float b);   // 0.0-1.0, the colour when not highlighted
    void SetPosition(float x, float y);
    float GetXPosition() const;
    float GetYPosition() const;
    void SetSelected(bool selected);                 // highlighted as the current button
    bool IsSelected() const;
    void ToggleSelected();
    void SetSelectable(bool selectable);             // false: keyboard navigation skips it
    bool IsSelectable() const;
    void SetDisplay(bool display);                   // false hides the text, not the widget
    bool IsDisplayed() const;
    cMenuObject* GetObjectA() const;                 // the attached widget, or null
    void SetObjectSelected(bool selected);           // the widget's editing state
    bool IsObjectSelected() const;                   // false without a widget
    void ScaleSize(int from, int to);                // size times to / from, the quotient in integers

    void Draw();

private:
    bool m_Selectable = true;
    bool m_Display = true;
    std::string m_Text;
    int m_Size = 25;
    cVector2 m_Position{0, 0};
    float m_Color[3] = {1, 1, 1};
    bool m_Selected = false;
    std::unique_ptr<cMenuObject> m_pObject;
};
