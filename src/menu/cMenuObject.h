#pragma once
#include "math/cVector2.h"

// A widget attached to a menu button and drawn with it: a slider or a second line of text. It
// reads no input; the menu manager puts it into its editing state with SetSelected.
class cMenuObject
{
public:
    cMenuObject() = default;
    cMenuObject(const cMenuObject&) = delete;
    cMenuObject& operator=(const cMenuObject&) = delete;
    virtual ~cMenuObject() = 0;   // widgets are always deleted through this base

    virtual void Draw();                    // in the graphics manager's 2D pixel mode
    virtual void ScaleSize(int from, int to);

    void SetPosition(float x, float y);     // menu pixels of an 800 x 600 window, y down
    float GetXPosition() const;
    float GetYPosition() const;
    bool IsSelected() const;                // being edited
    void SetSelected(bool selected);

protected:
    bool m_Selected = false;
    cVector2 m_Position{0, 0};
};
