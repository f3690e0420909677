#include "menu/cMenuObject.h"

cMenuObject::~cMenuObject() = default;

void cMenuObject::Draw() {}

void cMenuObject::ScaleSize(int, int) {}

void cMenuObject::SetPosition(float x, float y)
{
    m_Position = cVector2(x, y);
}

float cMenuObject::GetXPosition() const
{
    return m_Position.x;
}

float cMenuObject::GetYPosition() const
{
    return m_Position.y;
}

bool cMenuObject::IsSelected() const
{
    return m_Selected;
}

void cMenuObject::SetSelected(bool selected)
{
    m_Selected = selected;
}
