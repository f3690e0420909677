#include "math/cVector2.h"

cVector2 cVector2::operator+(const cVector2& other) const
{
    return cVector2(x + other.x, y + other.y);
}

cVector2 cVector2::operator-(const cVector2& other) const
{
    return cVector2(x - other.x, y - other.y);
}

cVector2 cVector2::operator*(float scale) const
{
    return cVector2(x * scale, y * scale);
}

cVector2& cVector2::operator+=(const cVector2& other)
{
    x += other.x;
    y += other.y;
    return *this;
}

cVector2& cVector2::operator-=(const cVector2& other)
{
    x -= other.x;
    y -= other.y;
    return *this;
}

cVector2& cVector2::operator*=(float scale)
{
    x *= scale;
    y *= scale;
    return *this;
}
