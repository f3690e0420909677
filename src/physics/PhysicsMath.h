#pragma once
#include <cmath>

#include "math/cVector3.h"

// Single-precision vector arithmetic for collision and cloth, inline and written out operation by
// operation, so that the hot loops of the fast paths and their brute-force references round the
// same way. The files that use it are compiled without floating-point contraction.
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

} // namespace physmath
