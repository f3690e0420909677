#include "menu/cMenuButton.h"

#include "text/FontDraw.h"

void cMenuButton::Init(const char* text, float r, float g, float b, float x, float y, bool selected,
                       cMenuObject* object)
{
    SetText(text);
    SetTextColor(r, g, b);
    SetPosition(x, y);
    m_Selected = selected;
    m_pObject.reset(object);
}

void cMenuButton::SetText(const char* text)
{
    m_Text = text ? text : "";
}

const std::string& cMenuButton::GetText() const
{
    return m_Text;
}

void cMenuButton::SetTextColor(float r, float g, float b)
{
    m_Color[0] = r;
    m_Color[1] = g;
    m_Color[2] = b;
}

void cMenuButton::SetPosition(float x, float y)
{
    m_Position = cVector2(x, y);
}

float cMenuButton::GetXPosition() const
{
    return m_Position.x;
}

float cMenuButton::GetYPosition() const
{
    return m_Position.y;
}

void cMenuButton::SetSelected(bool selected)
{
    m_Selected = selected;
}

bool cMenuButton::IsSelected() const
{
    return m_Selected;
}

void cMenuButton::ToggleSelected()
{
    m_Selected = !m_Selected;
}

void cMenuButton::SetSelectable(bool selectable)
{
    m_Selectable = selectable;
}

bool cMenuButton::IsSelectable() const
{
    return m_Selectable;
}

void cMenuButton::SetDisplay(bool display)
{
    m_Display = display;
}

bool cMenuButton::IsDisplayed() const
{
    return m_Display;
}

cMenuObject* cMenuButton::GetObjectA() const
{
    return m_pObject.get();
}

void cMenuButton::SetObjectSelected(bool selected)
{
    if (m_pObject)
        m_pObject->SetSelected(selected);
}

bool cMenuButton::IsObjectSelected() const
{
    return m_pObject && m_pObject->IsSelected();
}

void cMenuButton::ScaleSize(int from, int to)
{
    // A zero source size has no ratio; the text keeps its size rather than dividing by zero.
    if (from == 0)
        return;
    m_Size = m_Size * (to / from);
}

void cMenuButton::Draw()
{
    if (m_Display) {
        if (m_Selected)
            DrawFontString(m_Text.c_str(), m_Position.x, m_Position.y, m_Size, 0.8f, 0.2f, 0.0f);
        else
            DrawFontString(m_Text.c_str(), m_Position.x, m_Position.y, m_Size, m_Color[0], m_Color[1], m_Color[2]);
    }
    if (m_pObject)
        m_pObject->Draw();
}
