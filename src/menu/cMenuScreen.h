#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "menu/cMenuButton.h"

class cBackground;

// One page of the menus: an optional background and an ordered list of buttons, one of them
// current. Indexes are the order of adding. It reads no input: the menu manager decides what the
// keys do and calls the navigation below.
class cMenuScreen
{
public:
    explicit cMenuScreen(std::string name = "");
    cMenuScreen(const cMenuScreen&) = delete;
    cMenuScreen& operator=(const cMenuScreen&) = delete;
    ~cMenuScreen();

    void SetName(std::string name);
    const std::string& GetName() const;

    bool LoadBackgroundImage(const char* path);   // an owned background; false when it did not load
    void SetBackground(cBackground* background);  // owned elsewhere, must outlive its use here
    void FreeBackgroundImage();                   // leaves the screen without a background

    // Takes ownership of object (may be null). A screen holds at most MAX_BUTTONS buttons; beyond
    // that the button is refused and object deleted.
    void AddButton(const char* text, float r, float g, float b, float x, float y, bool selected,
                   cMenuObject* object);
    void FreeButtons();                           // every button and widget; button 0 current again
    static constexpr int MAX_BUTTONS = 128;       // indexes are signed 8-bit

    void Draw(unsigned width, unsigned height);   // the background fills width x height pixels

    // The highlight moves to the previous (Next) or following (Prev) selectable button, wrapping
    // round; with fewer than two buttons, or none selectable, it stays where it is.
    void SelectNextButton();
    void SelectPrevButton();
    int GetNumButtons() const;
    int8_t GetCurrentButton() const;
    void ResetCurrentButton();                    // button 0 current and highlighted

    cMenuButton* GetButton(int index) const;      // null for an index outside the list
    cMenuObject* GetObjectA(int index) const;     // that button's widget, or null
    cMenuObject* GetObjectA() const;              // the current button's widget, or null
    bool IsObjectSelected() const;                // the current button's widget is being edited
    void SelectObject(bool selected);

private:
    cMenuButton* Current() const;
    void Step(int direction);

    std::string m_Name;
    cBackground* m_pBackground = nullptr;
    bool m_OwnsBackground = false;
    std::unique_ptr<cBackground> m_pOwnedBackground;   // what m_pBackground points at when owned
    std::vector<std::unique_ptr<cMenuButton>> m_Buttons;
    int8_t m_CurrentButton = 0;
};
