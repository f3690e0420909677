#include "math/cVector3.h"

#include <cmath>

namespace {

// The threshold is the single-precision constant, 1.0000000116860974e-07 as a double.
constexpr float NORMALIZE_MIN_LENGTH = 1e-7f;

} // namespace

cVector3 cVector3::operator+(const cVector3& other) const
{
    return cVector3(x + other.x, y + other.y, z + other.z);
}

cVector3 cVector3::operator-(const cVector3& other) const
{
    return cVector3(x - other.x, y - other.y, z - other.z);
}

cVector3 cVector3::operator*(float scale) const
{
    return cVector3(x * scale, y * scale, z * scale);
}

cVector3& cVector3::operator+=(const cVector3& other)
{
    for (int i = 0; i < 3; ++i)
        (*this)[i] += other[i];
    return *this;
}

cVector3& cVector3::operator-=(const cVector3& other)
{
    for (int i = 0; i < 3; ++i)
        (*this)[i] -= other[i];
    return *this;
}

cVector3& cVector3::operator*=(float scale)
{
    for (int i = 0; i < 3; ++i)
        (*this)[i] *= scale;
    return *this;
}

void cVector3::Zero()
{
    x = y = z = 0.0f;
}

float cVector3::Length() const
{
    return std::sqrt(LengthSquared());
}

float cVector3::LengthSquared() const
{
    return x * x + y * y + z * z;
}

float cVector3::Dot(const cVector3& other) const
{
    return x * other.x + y * other.y + z * other.z;
}

void cVector3::Normalize()
{
    float length = Length();
    if (length < NORMALIZE_MIN_LENGTH)
        return;
    for (int i = 0; i < 3; ++i)
        (*this)[i] /= length;
}

cVector3 operator*(float scale, const cVector3& vector)
{
    return vector * scale;
}

cVector3 operator-(const cVector3& vector)
{
    return cVector3(-vector.x, -vector.y, -vector.z);
}

float DotVector3(const cVector3& a, const cVector3& b)
{
    return a.Dot(b);
}

float LengthVector3(const cVector3& vector)
{
    return vector.Length();
}

float LengthSquaredVector3(const cVector3& vector)
{
    return vector.LengthSquared();
}

void NormalizeVector3(const cVector3& in, cVector3& out)
{
    float length = LengthVector3(in);
    out = cVector3(in.x / length, in.y / length, in.z / length);
}

void CrossVector3(const cVector3& a, const cVector3& b, cVector3& out)
{
    out = CrossVector3(a, b);
}

cVector3 CrossVector3(const cVector3& a, const cVector3& b)
{
    return cVector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
