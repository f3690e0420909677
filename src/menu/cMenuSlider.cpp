#include "menu/cMenuSlider.h"

#include <GL/gl.h>

#include "text/FontDraw.h"

void cMenuSlider::InitSlider(float width, float height, unsigned short entries, unsigned char current)
{
    m_Width = width;
    m_Height = height;
    m_NumEntries = entries;
    m_CurrentEntry = current;
    // With no entries at all, "the last entry" would wrap round to 65535.
    if (m_CurrentEntry >= m_NumEntries)
        m_CurrentEntry = m_NumEntries > 0 ? m_NumEntries - 1 : 0;
    CalculateBarOffset();
}

void cMenuSlider::CalculateBarOffset()
{
    // One entry (a single offered display mode) has no span to divide: the handle rests at the
    // left edge instead of at a NaN offset.
    if (m_NumEntries < 2) {
        m_BarOffset = 0;
        return;
    }
    m_BarOffset = float(m_CurrentEntry) / float(m_NumEntries - 1) * m_Width;
}

void cMenuSlider::IncreaseBar()
{
    if (int(m_CurrentEntry) < int(m_NumEntries) - 1) {
        ++m_CurrentEntry;
        CalculateBarOffset();
    }
}

void cMenuSlider::DecreaseBar()
{
    if (m_CurrentEntry > 0) {
        --m_CurrentEntry;
        CalculateBarOffset();
    }
}

void cMenuSlider::SetCurrentEntry(unsigned short entry)
{
    if (entry >= m_NumEntries)
        return;
    m_CurrentEntry = entry;
    CalculateBarOffset();
}

unsigned short cMenuSlider::GetCurrentEntry() const
{
    return m_CurrentEntry;
}

unsigned short cMenuSlider::GetNumEntries() const
{
    return m_NumEntries;
}

unsigned short cMenuSlider::GetTempEntry() const
{
    return m_TempEntry;
}

void cMenuSlider::SetTempEntry(unsigned short entry)
{
    m_TempEntry = entry;
}

std::string& cMenuSlider::GetText()
{
    return m_Text;
}

float cMenuSlider::GetBarOffset() const
{
    return m_BarOffset;
}

void cMenuSlider::Draw()
{
    const float x = m_Position.x, y = m_Position.y;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_LIGHTING);
    // The frame, handle and bar are plain shapes: with texturing left on, the last texture bound
    // (a background tile, a glyph) would tint them.
    glDisable(GL_TEXTURE_2D);

    if (m_Selected) {
        glColor3ub(255, 255, 0);
        glBegin(GL_LINE_LOOP);
        glVertex2f(x, y);
        glVertex2f(x, y + m_Height);
        glVertex2f(x + m_Width, y + m_Height);
        glVertex2f(x + m_Width, y);
        glEnd();
    }

    // The handle comes before the bar: in the 2D mode the first drawing at a pixel stays in
    // front, so the bar does not cover it.
    glColor3ub(220, 220, 220);
    glBegin(GL_QUADS);
    glVertex2f(x + m_BarOffset - 5, y);
    glVertex2f(x + m_BarOffset - 5, y + m_Height);
    glVertex2f(x + m_BarOffset + 5, y + m_Height);
    glVertex2f(x + m_BarOffset + 5, y);
    glEnd();

    glBegin(GL_TRIANGLES);
    glColor3ub(0, 255, 0);
    glVertex2f(x, y + m_Height);
    glColor3ub(0, 0, 255);
    glVertex2f(x + m_Width, y + m_Height);
    glVertex2f(x + m_Width, y);
    glEnd();

    glFlush();
    DrawFontString(m_Text.c_str(), x, y - 20, 15, 255, 255, 255);
    glPopAttrib();
}
