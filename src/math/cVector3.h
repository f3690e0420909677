#pragma once

// Three single-precision components, contiguous so that they can be addressed by index.
class cVector3
{
public:
    cVector3() = default;   // components unset: every user assigns them before reading
    cVector3(float x, float y, float z) : x(x), y(y), z(z) {}

    float& operator[](int index) { return (&x)[index]; }
    float operator[](int index) const { return (&x)[index]; }

    float x, y, z;
};
