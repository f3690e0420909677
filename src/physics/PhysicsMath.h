#pragma once
#include <cmath>

#include "math/cVector3.h"

// Single-precision vector arithmetic for collision and cloth, written out operation by operation
// so that every caller (the fast paths and their brute-force references alike) rounds the same way.
// The files that use it are compiled without floating-point contraction.
namespace physmath {

inline cVector3 Add(const cVector3& a, const cVector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline cVector3 Sub(const cVector3& a, const cVector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline cVector3 Scale(const cVector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline cVector3 Negate(const cVector3& a) { return {-a.x, -a.y, -a.z}; }
inline cVector3 MulComponents(const cVector3& a, const cVector3& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
inline float Dot(const cVector3& a, const cVector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float LengthSquared(const cVector3& a) { return a.x * a.x + a.y * a.y + a.z * a.z; }
inline float Length(const cVector3& a) { return std::sqrt(LengthSquared(a)); }
inline cVector3 Cross(const cVector3& a, const cVector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline bool IsFinite(const cVector3& a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }

// Below this length a vector is left as it is instead of being divided by (almost) zero.
constexpr float NORMALIZE_EPSILON = 1e-7f;

inline void Normalize(cVector3& v)
{
    float length = Length(v);
    if (length < NORMALIZE_EPSILON)
        return;
    v.x /= length;
    v.y /= length;
    v.z /= length;
}

// A rotation about an axis by an angle in degrees, with double elements in column-major order
// (element = row + 4 * column), as the engine's matrices and OpenGL hold it.
struct sRotation
{
    double e[16];
};

inline sRotation RotationAboutAxis(const cVector3& axisIn, double angleDegrees)
{
    sRotation m{};
    m.e[0] = m.e[5] = m.e[10] = m.e[15] = 1.0;
    double radians = angleDegrees * 0.01745329238474369;
    double c = std::cos(radians), s = std::sin(radians), t = 1.0 - c;
    cVector3 axis = axisIn;
    float lengthSquared = LengthSquared(axis);
    if (lengthSquared == 0.0f)
        return m;
    if (lengthSquared != 1.0f) {
        float length = Length(axis);
        axis = {axis.x / length, axis.y / length, axis.z / length};
    }
    double x = axis.x, y = axis.y, z = axis.z;
    m.e[0] = x * x * t + c;     m.e[1] = x * y * t + z * s; m.e[2] = x * z * t - y * s;  m.e[3] = 0;
    m.e[4] = x * y * t - z * s; m.e[5] = y * y * t + c;     m.e[6] = y * z * t + x * s;  m.e[7] = 0;
    m.e[8] = x * z * t + y * s; m.e[9] = y * z * t - x * s; m.e[10] = z * z * t + c;     m.e[11] = 0;
    m.e[12] = m.e[13] = m.e[14] = 0;
    m.e[15] = 1;
    return m;
}

inline cVector3 Transform(const sRotation& m, const cVector3& v)
{
    const double* e = m.e;
    double x = v.x, y = v.y, z = v.z;
    return {float(e[0] * x + e[4] * y + e[8] * z + e[12]), float(e[1] * x + e[5] * y + e[9] * z + e[13]),
            float(e[2] * x + e[6] * y + e[10] * z + e[14])};
}

} // namespace physmath
