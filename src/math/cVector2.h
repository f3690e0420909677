#pragma once

// Two single-precision components; a position or size in menu coordinates, a texture coordinate.
class cVector2
{
public:
    cVector2() = default;   // components unset: every user assigns them before reading
    cVector2(float x, float y) : x(x), y(y) {}

    cVector2 operator+(const cVector2& other) const;
    cVector2 operator-(const cVector2& other) const;
    cVector2 operator*(float scale) const;
    cVector2& operator+=(const cVector2& other);
    cVector2& operator-=(const cVector2& other);
    cVector2& operator*=(float scale);

    float x, y;
};
