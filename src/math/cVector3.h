#pragma once

// Three single-precision components, contiguous so that they can be addressed by index 0 to 2.
class cVector3
{
public:
    cVector3() = default;   // components unset: every user assigns them before reading
    cVector3(float x, float y, float z) : x(x), y(y), z(z) {}

    float& operator[](int index) { return (&x)[index]; }
    float operator[](int index) const { return (&x)[index]; }

    cVector3 operator+(const cVector3& other) const;
    cVector3 operator-(const cVector3& other) const;
    cVector3 operator*(float scale) const;
    cVector3& operator+=(const cVector3& other);
    cVector3& operator-=(const cVector3& other);
    cVector3& operator*=(float scale);

    void Zero();
    float Length() const;          // single-precision square root
    float LengthSquared() const;
    float Dot(const cVector3& other) const;
    void Normalize();              // a vector shorter than 1e-7 is left as it is

    float x, y, z;
};

cVector3 operator*(float scale, const cVector3& vector);
cVector3 operator-(const cVector3& vector);   // every sign flipped: 0 becomes -0

float DotVector3(const cVector3& a, const cVector3& b);
float LengthVector3(const cVector3& vector);
float LengthSquaredVector3(const cVector3& vector);
// No threshold: `in` must have a non-zero length.
void NormalizeVector3(const cVector3& in, cVector3& out);
// Right-handed a x b; `out` may be `a` or `b`.
void CrossVector3(const cVector3& a, const cVector3& b, cVector3& out);
cVector3 CrossVector3(const cVector3& a, const cVector3& b);
