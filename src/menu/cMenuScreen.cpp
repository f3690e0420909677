#include "menu/cMenuScreen.h"

#include <GL/gl.h>

#include <cstdio>
#include <utility>

#include "graphics/cBackground.h"
#include "text/cTextBatch.h"

cMenuScreen::cMenuScreen(std::string name) : m_Name(std::move(name)) {}

// An owned background is not freed here: screens die with the globals, after SDL and the GL
// context are gone. Its owner frees it with FreeBackgroundImage while the context lives.
cMenuScreen::~cMenuScreen() = default;

void cMenuScreen::SetName(std::string name)
{
    m_Name = std::move(name);
}

const std::string& cMenuScreen::GetName() const
{
    return m_Name;
}

bool cMenuScreen::LoadBackgroundImage(const char* path)
{
    // A second load would otherwise drop the first image's registry reference on the floor.
    FreeBackgroundImage();
    m_pOwnedBackground = std::make_unique<cBackground>();
    m_pBackground = m_pOwnedBackground.get();
    m_OwnsBackground = true;
    return m_pBackground->LoadImageA(path ? path : "");
}

void cMenuScreen::SetBackground(cBackground* background)
{
    FreeBackgroundImage();
    m_pBackground = background;
}

void cMenuScreen::FreeBackgroundImage()
{
    if (m_OwnsBackground && m_pOwnedBackground)
        m_pOwnedBackground->FreeImage();
    m_pOwnedBackground.reset();
    m_pBackground = nullptr;
    m_OwnsBackground = false;
}

void cMenuScreen::AddButton(const char* text, float r, float g, float b, float x, float y, bool selected,
                            cMenuObject* object)
{
    std::unique_ptr<cMenuObject> owned(object);
    if (int(m_Buttons.size()) >= MAX_BUTTONS) {
        std::printf("cMenuScreen: *warning* %s has %d buttons already, \"%s\" not added\n", m_Name.c_str(),
                    MAX_BUTTONS, text ? text : "");
        return;
    }
    auto button = std::make_unique<cMenuButton>();
    button->Init(text, r, g, b, x, y, selected, owned.release());
    m_Buttons.push_back(std::move(button));
}

void cMenuScreen::FreeButtons()
{
    m_Buttons.clear();
    // The old index would point past the end, or at the wrong button once the screen is refilled.
    m_CurrentButton = 0;
}

void cMenuScreen::Draw(unsigned width, unsigned height)
{
    glDisable(GL_LIGHTING);
    if (m_pBackground)
        m_pBackground->Draw(int(width), int(height));
    if (!m_Buttons.empty()) {
        cTextBatch batch;
        for (const auto& button : m_Buttons)
            button->Draw();
    }
    glEnable(GL_LIGHTING);
}

void cMenuScreen::Step(int direction)
{
    const int count = int(m_Buttons.size());
    if (count < 2)
        return;
    int current = m_CurrentButton;
    if (current < 0 || current >= count)
        current = 0;
    m_Buttons[current]->SetSelected(false);
    int index = current;
    for (int step = 0; step < count; ++step) {
        index = (index + direction + count) % count;
        if (m_Buttons[index]->IsSelectable()) {
            current = index;
            break;
        }
    }
    m_CurrentButton = int8_t(current);
    m_Buttons[current]->SetSelected(true);
}

void cMenuScreen::SelectNextButton()
{
    Step(-1);
}

void cMenuScreen::SelectPrevButton()
{
    Step(+1);
}

int cMenuScreen::GetNumButtons() const
{
    return int(m_Buttons.size());
}

int8_t cMenuScreen::GetCurrentButton() const
{
    return m_CurrentButton;
}

void cMenuScreen::ResetCurrentButton()
{
    if (cMenuButton* current = Current())
        current->SetSelected(false);
    m_CurrentButton = 0;
    if (!m_Buttons.empty())
        m_Buttons[0]->SetSelected(true);
}

cMenuButton* cMenuScreen::GetButton(int index) const
{
    if (index < 0 || index >= int(m_Buttons.size()))
        return nullptr;
    return m_Buttons[size_t(index)].get();
}

cMenuObject* cMenuScreen::GetObjectA(int index) const
{
    cMenuButton* button = GetButton(index);
    return button ? button->GetObjectA() : nullptr;
}

cMenuObject* cMenuScreen::GetObjectA() const
{
    return GetObjectA(m_CurrentButton);
}

bool cMenuScreen::IsObjectSelected() const
{
    cMenuButton* current = Current();
    return current && current->IsObjectSelected();
}

void cMenuScreen::SelectObject(bool selected)
{
    if (cMenuButton* current = Current())
        current->SetObjectSelected(selected);
}

cMenuButton* cMenuScreen::Current() const
{
    return GetButton(m_CurrentButton);
}
