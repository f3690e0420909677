#pragma once
#include <cmath>

// Three single-precision components, contiguous so that they can be addressed by index 0 to 2.
// Everything is inline and written out operation by operation: collision and cloth compare fast
// paths with references bit for bit, and both must round each product and sum the same way (the
// physics sources are compiled without floating-point contraction).
class cVector3
{
public:
    cVector3() = default;   // components unset: every user assigns them before reading
    cVector3(float x, float y, float z) : x(x), y(y), z(z) {}

    float& operator[](int index) { return (&x)[index]; }
    float operator[](int index) const { return (&x)[index]; }

    cVector3 operator+(const cVector3& other) const { return cVector3(x + other.x, y + other.y, z + other.z); }
    cVector3 operator-(const cVector3& other) const { return cVector3(x - other.x, y - other.y, z - other.z); }
    cVector3 operator*(float scale) const { return cVector3(x * scale, y * scale, z * scale); }
    cVector3& operator+=(const cVector3& other)
    {
        x += other.x;
        y += other.y;
        z += other.z;
        return *this;
    }
    cVector3& operator-=(const cVector3& other)
    {
        x -= other.x;
        y -= other.y;
        z -= other.z;
        return *this;
    }
    cVector3& operator*=(float scale)
    {
        x *= scale;
        y *= scale;
        z *= scale;
        return *this;
    }

    void Zero() { x = y = z = 0.0f; }
    float Length() const { return std::sqrt(LengthSquared()); }   // single-precision square root
    float LengthSquared() const { return x * x + y * y + z * z; }
    float Dot(const cVector3& other) const { return x * other.x + y * other.y + z * other.z; }
    bool IsFinite() const { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }
    // A vector shorter than NORMALIZE_MIN_LENGTH is left as it is instead of being divided by
    // (almost) zero.
    void Normalize()
    {
        float length = Length();
        if (length < NORMALIZE_MIN_LENGTH)
            return;
        x /= length;
        y /= length;
        z /= length;
    }

    static constexpr float NORMALIZE_MIN_LENGTH = 1e-7f;   // 1.0000000116860974e-07 as a double

    float x, y, z;
};

inline cVector3 operator*(float scale, const cVector3& vector) { return vector * scale; }
// Every sign flipped: 0 becomes -0.
inline cVector3 operator-(const cVector3& vector) { return cVector3(-vector.x, -vector.y, -vector.z); }

inline float DotVector3(const cVector3& a, const cVector3& b) { return a.Dot(b); }
inline float LengthVector3(const cVector3& vector) { return vector.Length(); }
inline float LengthSquaredVector3(const cVector3& vector) { return vector.LengthSquared(); }
// No threshold: `in` must have a non-zero length.
inline void NormalizeVector3(const cVector3& in, cVector3& out)
{
    float length = LengthVector3(in);
    out = cVector3(in.x / length, in.y / length, in.z / length);
}
// Right-handed a x b.
inline cVector3 CrossVector3(const cVector3& a, const cVector3& b)
{
    return cVector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
// `out` may be `a` or `b`.
inline void CrossVector3(const cVector3& a, const cVector3& b, cVector3& out) { out = CrossVector3(a, b); }
