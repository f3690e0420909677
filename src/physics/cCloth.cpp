#include "physics/cCloth.h"

#include <GL/gl.h>
#include <immintrin.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "physics/PhysicsMath.h"

using namespace physmath;

namespace {

constexpr float MAX_FRAME_TIME = 0.2f;
constexpr int MAX_SUB_STEPS = 10;
constexpr uint8_t STRUCT_COLOUR[3] = {20, 20, 200};
constexpr uint8_t SHEAR_COLOUR[3] = {200, 200, 20};
constexpr uint8_t BEND_COLOUR[3] = {20, 200, 20};

cVector3 Gravity(float mass) { return Scale(cVector3{0, -9.8f, 0}, mass); }

// The vector kernels of cCloth::Timestep. Each performs exactly the operations of cSpring and
// cMass, lane by lane, so that four or eight springs or masses at a time round as one would.
struct sSpringPass
{
    const uint32_t *mass1, *mass2;
    const float *restLength, *stiffness, *damping;
    const uint8_t* contiguous;   // per group of lanes: both masses' indices run on by one
    const float *px, *py, *pz, *vx, *vy, *vz;
    float *cx, *cy, *cz;         // slot e: the first mass's part; slot count + e: the second's
    size_t count;                // slots, a multiple of eight
};

struct sMassPass
{
    float *px, *py, *pz, *vx, *vy, *vz;
    const float *fx, *fy, *fz, *invMass, *movable;   // movable: all bits set or none
    uint8_t* clamp;                                   // set where cMass::Update must clamp
    size_t count;                                     // a multiple of eight
    float dt;
    bool fourStage;
};

// Whether Timestep may use the eight-wide kernels: they need AVX2, and tests turn them off to
// check the four-wide ones on the same machine.
bool s_AllowWideVectors = true;

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has && s_AllowWideVectors;
}

void SpringPassSse(const sSpringPass& p)
{
    const __m128 threshold = _mm_set1_ps(0.01f);
    const __m128 signBit = _mm_set1_ps(-0.0f);
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    for (size_t s = 0; s < p.count; s += 4) {
        const uint32_t* i1 = p.mass1 + s;
        const uint32_t* i2 = p.mass2 + s;
        __m128 p1x, p1y, p1z, p2x, p2y, p2z, v1x, v1y, v1z, v2x, v2y, v2z;
        if (p.contiguous[s / 4]) {
            p1x = _mm_loadu_ps(p.px + i1[0]), p1y = _mm_loadu_ps(p.py + i1[0]), p1z = _mm_loadu_ps(p.pz + i1[0]);
            p2x = _mm_loadu_ps(p.px + i2[0]), p2y = _mm_loadu_ps(p.py + i2[0]), p2z = _mm_loadu_ps(p.pz + i2[0]);
            v1x = _mm_loadu_ps(p.vx + i1[0]), v1y = _mm_loadu_ps(p.vy + i1[0]), v1z = _mm_loadu_ps(p.vz + i1[0]);
            v2x = _mm_loadu_ps(p.vx + i2[0]), v2y = _mm_loadu_ps(p.vy + i2[0]), v2z = _mm_loadu_ps(p.vz + i2[0]);
        } else {
            auto gather = [](const float* v, const uint32_t* i) { return _mm_setr_ps(v[i[0]], v[i[1]], v[i[2]], v[i[3]]); };
            p1x = gather(p.px, i1), p1y = gather(p.py, i1), p1z = gather(p.pz, i1);
            p2x = gather(p.px, i2), p2y = gather(p.py, i2), p2z = gather(p.pz, i2);
            v1x = gather(p.vx, i1), v1y = gather(p.vy, i1), v1z = gather(p.vz, i1);
            v2x = gather(p.vx, i2), v2y = gather(p.vy, i2), v2z = gather(p.vz, i2);
        }
        __m128 dx = _mm_sub_ps(p1x, p2x), dy = _mm_sub_ps(p1y, p2y), dz = _mm_sub_ps(p1z, p2z);
        __m128 length = _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz)));
        __m128 stretch = _mm_sub_ps(length, _mm_loadu_ps(p.restLength + s));
        // "Not at most 0.01", as cSpring asks, so that NaN lengths act the same way.
        __m128 active = _mm_and_ps(_mm_cmpnle_ps(length, threshold),
                                   _mm_cmpnle_ps(_mm_and_ps(stretch, absMask), threshold));
        __m128 negStiffness = _mm_xor_ps(_mm_loadu_ps(p.stiffness + s), signBit);
        __m128 damp = _mm_loadu_ps(p.damping + s);
        __m128 forceX = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(_mm_div_ps(dx, length), stretch), negStiffness),
                                   _mm_mul_ps(_mm_sub_ps(v2x, v1x), damp));
        __m128 forceY = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(_mm_div_ps(dy, length), stretch), negStiffness),
                                   _mm_mul_ps(_mm_sub_ps(v2y, v1y), damp));
        __m128 forceZ = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(_mm_div_ps(dz, length), stretch), negStiffness),
                                   _mm_mul_ps(_mm_sub_ps(v2z, v1z), damp));
        // Active: the force and its negation. Inactive: -0 for both, which leaves a sum unchanged.
        __m128 inactiveSign = _mm_andnot_ps(active, signBit), activeSign = _mm_and_ps(active, signBit);
        __m128 contributionX = _mm_or_ps(_mm_and_ps(active, forceX), inactiveSign);
        __m128 contributionY = _mm_or_ps(_mm_and_ps(active, forceY), inactiveSign);
        __m128 contributionZ = _mm_or_ps(_mm_and_ps(active, forceZ), inactiveSign);
        _mm_storeu_ps(p.cx + s, contributionX);
        _mm_storeu_ps(p.cy + s, contributionY);
        _mm_storeu_ps(p.cz + s, contributionZ);
        _mm_storeu_ps(p.cx + p.count + s, _mm_xor_ps(contributionX, activeSign));
        _mm_storeu_ps(p.cy + p.count + s, _mm_xor_ps(contributionY, activeSign));
        _mm_storeu_ps(p.cz + p.count + s, _mm_xor_ps(contributionZ, activeSign));
    }
}

__attribute__((target("avx2"))) void SpringPassAvx2(const sSpringPass& p)
{
    const __m256 threshold = _mm256_set1_ps(0.01f);
    const __m256 signBit = _mm256_set1_ps(-0.0f);
    const __m256 absMask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7fffffff));
    for (size_t s = 0; s < p.count; s += 8) {
        const uint32_t* i1 = p.mass1 + s;
        const uint32_t* i2 = p.mass2 + s;
        __m256 p1x, p1y, p1z, p2x, p2y, p2z, v1x, v1y, v1z, v2x, v2y, v2z;
        if (p.contiguous[s / 8]) {
            p1x = _mm256_loadu_ps(p.px + i1[0]), p1y = _mm256_loadu_ps(p.py + i1[0]), p1z = _mm256_loadu_ps(p.pz + i1[0]);
            p2x = _mm256_loadu_ps(p.px + i2[0]), p2y = _mm256_loadu_ps(p.py + i2[0]), p2z = _mm256_loadu_ps(p.pz + i2[0]);
            v1x = _mm256_loadu_ps(p.vx + i1[0]), v1y = _mm256_loadu_ps(p.vy + i1[0]), v1z = _mm256_loadu_ps(p.vz + i1[0]);
            v2x = _mm256_loadu_ps(p.vx + i2[0]), v2y = _mm256_loadu_ps(p.vy + i2[0]), v2z = _mm256_loadu_ps(p.vz + i2[0]);
        } else {
            __m256i j1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(i1));
            __m256i j2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(i2));
            p1x = _mm256_i32gather_ps(p.px, j1, 4), p1y = _mm256_i32gather_ps(p.py, j1, 4), p1z = _mm256_i32gather_ps(p.pz, j1, 4);
            p2x = _mm256_i32gather_ps(p.px, j2, 4), p2y = _mm256_i32gather_ps(p.py, j2, 4), p2z = _mm256_i32gather_ps(p.pz, j2, 4);
            v1x = _mm256_i32gather_ps(p.vx, j1, 4), v1y = _mm256_i32gather_ps(p.vy, j1, 4), v1z = _mm256_i32gather_ps(p.vz, j1, 4);
            v2x = _mm256_i32gather_ps(p.vx, j2, 4), v2y = _mm256_i32gather_ps(p.vy, j2, 4), v2z = _mm256_i32gather_ps(p.vz, j2, 4);
        }
        __m256 dx = _mm256_sub_ps(p1x, p2x), dy = _mm256_sub_ps(p1y, p2y), dz = _mm256_sub_ps(p1z, p2z);
        __m256 length = _mm256_sqrt_ps(
            _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(dy, dy)), _mm256_mul_ps(dz, dz)));
        __m256 stretch = _mm256_sub_ps(length, _mm256_loadu_ps(p.restLength + s));
        __m256 active = _mm256_and_ps(_mm256_cmp_ps(length, threshold, _CMP_NLE_UQ),
                                      _mm256_cmp_ps(_mm256_and_ps(stretch, absMask), threshold, _CMP_NLE_UQ));
        __m256 negStiffness = _mm256_xor_ps(_mm256_loadu_ps(p.stiffness + s), signBit);
        __m256 damp = _mm256_loadu_ps(p.damping + s);
        __m256 forceX = _mm256_add_ps(_mm256_mul_ps(_mm256_mul_ps(_mm256_div_ps(dx, length), stretch), negStiffness),
                                      _mm256_mul_ps(_mm256_sub_ps(v2x, v1x), damp));
        __m256 forceY = _mm256_add_ps(_mm256_mul_ps(_mm256_mul_ps(_mm256_div_ps(dy, length), stretch), negStiffness),
                                      _mm256_mul_ps(_mm256_sub_ps(v2y, v1y), damp));
        __m256 forceZ = _mm256_add_ps(_mm256_mul_ps(_mm256_mul_ps(_mm256_div_ps(dz, length), stretch), negStiffness),
                                      _mm256_mul_ps(_mm256_sub_ps(v2z, v1z), damp));
        __m256 inactiveSign = _mm256_andnot_ps(active, signBit), activeSign = _mm256_and_ps(active, signBit);
        __m256 contributionX = _mm256_or_ps(_mm256_and_ps(active, forceX), inactiveSign);
        __m256 contributionY = _mm256_or_ps(_mm256_and_ps(active, forceY), inactiveSign);
        __m256 contributionZ = _mm256_or_ps(_mm256_and_ps(active, forceZ), inactiveSign);
        _mm256_storeu_ps(p.cx + s, contributionX);
        _mm256_storeu_ps(p.cy + s, contributionY);
        _mm256_storeu_ps(p.cz + s, contributionZ);
        _mm256_storeu_ps(p.cx + p.count + s, _mm256_xor_ps(contributionX, activeSign));
        _mm256_storeu_ps(p.cy + p.count + s, _mm256_xor_ps(contributionY, activeSign));
        _mm256_storeu_ps(p.cz + p.count + s, _mm256_xor_ps(contributionZ, activeSign));
    }
}

// cMass::Update for the lanes whose new speed needs no clamp; the others are marked.
void MassPassSse(const sMassPass& p)
{
    const __m128 step = _mm_set1_ps(p.dt);
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 w1 = _mm_set1_ps(0.16666667f), w2 = _mm_set1_ps(0.3333333f), w4 = _mm_set1_ps(0.25f);
    const __m128 maxSpeedSquared = _mm_set1_ps(10000.0f), minSpeedSquared = _mm_set1_ps(1e-07f);
    for (size_t i = 0; i < p.count; i += 4) {
        __m128 a = _mm_loadu_ps(p.invMass + i);
        auto change = [&](__m128 f) {
            __m128 k1 = _mm_mul_ps(_mm_mul_ps(f, a), step);
            if (!p.fourStage)
                return k1;
            __m128 k2 = _mm_mul_ps(_mm_mul_ps(_mm_add_ps(f, _mm_mul_ps(k1, half)), a), step);
            __m128 k3 = _mm_mul_ps(_mm_mul_ps(_mm_add_ps(f, _mm_mul_ps(k2, half)), a), step);
            __m128 k4 = _mm_mul_ps(_mm_mul_ps(_mm_add_ps(f, k3), a), step);
            return _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(k1, w1), _mm_mul_ps(k2, w2)), _mm_mul_ps(k3, w2)),
                              _mm_mul_ps(k4, w4));
        };
        __m128 oldVx = _mm_loadu_ps(p.vx + i), oldVy = _mm_loadu_ps(p.vy + i), oldVz = _mm_loadu_ps(p.vz + i);
        __m128 newVx = _mm_add_ps(oldVx, change(_mm_loadu_ps(p.fx + i)));
        __m128 newVy = _mm_add_ps(oldVy, change(_mm_loadu_ps(p.fy + i)));
        __m128 newVz = _mm_add_ps(oldVz, change(_mm_loadu_ps(p.fz + i)));
        __m128 speedSquared = _mm_add_ps(_mm_add_ps(_mm_mul_ps(newVx, newVx), _mm_mul_ps(newVy, newVy)),
                                         _mm_mul_ps(newVz, newVz));
        __m128 move = _mm_loadu_ps(p.movable + i);
        __m128 keep = _mm_andnot_ps(_mm_cmplt_ps(speedSquared, minSpeedSquared), move);
        auto blend = [&](__m128 fresh, __m128 old) { return _mm_or_ps(_mm_and_ps(move, fresh), _mm_andnot_ps(move, old)); };
        __m128 velocityX = blend(_mm_and_ps(newVx, keep), oldVx);
        __m128 velocityY = blend(_mm_and_ps(newVy, keep), oldVy);
        __m128 velocityZ = blend(_mm_and_ps(newVz, keep), oldVz);
        __m128 positionX = _mm_loadu_ps(p.px + i), positionY = _mm_loadu_ps(p.py + i), positionZ = _mm_loadu_ps(p.pz + i);
        _mm_storeu_ps(p.px + i, blend(_mm_add_ps(positionX, _mm_mul_ps(velocityX, step)), positionX));
        _mm_storeu_ps(p.py + i, blend(_mm_add_ps(positionY, _mm_mul_ps(velocityY, step)), positionY));
        _mm_storeu_ps(p.pz + i, blend(_mm_add_ps(positionZ, _mm_mul_ps(velocityZ, step)), positionZ));
        _mm_storeu_ps(p.vx + i, velocityX);
        _mm_storeu_ps(p.vy + i, velocityY);
        _mm_storeu_ps(p.vz + i, velocityZ);
        int clamp = _mm_movemask_ps(_mm_and_ps(_mm_cmpgt_ps(speedSquared, maxSpeedSquared), move));
        for (int k = 0; k < 4; ++k)
            p.clamp[i + k] = uint8_t(clamp >> k & 1);
    }
}

__attribute__((target("avx2"))) void MassPassAvx2(const sMassPass& p)
{
    const __m256 step = _mm256_set1_ps(p.dt);
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 w1 = _mm256_set1_ps(0.16666667f), w2 = _mm256_set1_ps(0.3333333f), w4 = _mm256_set1_ps(0.25f);
    const __m256 maxSpeedSquared = _mm256_set1_ps(10000.0f), minSpeedSquared = _mm256_set1_ps(1e-07f);
    for (size_t i = 0; i < p.count; i += 8) {
        __m256 a = _mm256_loadu_ps(p.invMass + i);
        auto change = [&](__m256 f) __attribute__((target("avx2"))) {
            __m256 k1 = _mm256_mul_ps(_mm256_mul_ps(f, a), step);
            if (!p.fourStage)
                return k1;
            __m256 k2 = _mm256_mul_ps(_mm256_mul_ps(_mm256_add_ps(f, _mm256_mul_ps(k1, half)), a), step);
            __m256 k3 = _mm256_mul_ps(_mm256_mul_ps(_mm256_add_ps(f, _mm256_mul_ps(k2, half)), a), step);
            __m256 k4 = _mm256_mul_ps(_mm256_mul_ps(_mm256_add_ps(f, k3), a), step);
            return _mm256_add_ps(
                _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(k1, w1), _mm256_mul_ps(k2, w2)), _mm256_mul_ps(k3, w2)),
                _mm256_mul_ps(k4, w4));
        };
        __m256 oldVx = _mm256_loadu_ps(p.vx + i), oldVy = _mm256_loadu_ps(p.vy + i), oldVz = _mm256_loadu_ps(p.vz + i);
        __m256 newVx = _mm256_add_ps(oldVx, change(_mm256_loadu_ps(p.fx + i)));
        __m256 newVy = _mm256_add_ps(oldVy, change(_mm256_loadu_ps(p.fy + i)));
        __m256 newVz = _mm256_add_ps(oldVz, change(_mm256_loadu_ps(p.fz + i)));
        __m256 speedSquared = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(newVx, newVx), _mm256_mul_ps(newVy, newVy)),
                                            _mm256_mul_ps(newVz, newVz));
        __m256 move = _mm256_loadu_ps(p.movable + i);
        __m256 keep = _mm256_andnot_ps(_mm256_cmp_ps(speedSquared, minSpeedSquared, _CMP_LT_OQ), move);
        auto blend = [&](__m256 fresh, __m256 old) __attribute__((target("avx2"))) {
            return _mm256_or_ps(_mm256_and_ps(move, fresh), _mm256_andnot_ps(move, old));
        };
        __m256 velocityX = blend(_mm256_and_ps(newVx, keep), oldVx);
        __m256 velocityY = blend(_mm256_and_ps(newVy, keep), oldVy);
        __m256 velocityZ = blend(_mm256_and_ps(newVz, keep), oldVz);
        __m256 positionX = _mm256_loadu_ps(p.px + i), positionY = _mm256_loadu_ps(p.py + i);
        __m256 positionZ = _mm256_loadu_ps(p.pz + i);
        _mm256_storeu_ps(p.px + i, blend(_mm256_add_ps(positionX, _mm256_mul_ps(velocityX, step)), positionX));
        _mm256_storeu_ps(p.py + i, blend(_mm256_add_ps(positionY, _mm256_mul_ps(velocityY, step)), positionY));
        _mm256_storeu_ps(p.pz + i, blend(_mm256_add_ps(positionZ, _mm256_mul_ps(velocityZ, step)), positionZ));
        _mm256_storeu_ps(p.vx + i, velocityX);
        _mm256_storeu_ps(p.vy + i, velocityY);
        _mm256_storeu_ps(p.vz + i, velocityZ);
        int clamp = _mm256_movemask_ps(_mm256_and_ps(_mm256_cmp_ps(speedSquared, maxSpeedSquared, _CMP_GT_OQ), move));
        for (int k = 0; k < 8; ++k)
            p.clamp[i + k] = uint8_t(clamp >> k & 1);
    }
}

} // namespace

cCloth::cCloth(float width, float height, int numX, int numY, float mass, float structStiffness, float structDamping,
               float shearStiffness, float shearDamping, float bendStiffness, float bendDamping)
{
    Initialize(width, height, numX, numY, mass, structStiffness, structDamping, shearStiffness, shearDamping,
               bendStiffness, bendDamping);
}

void cCloth::Initialize(float width, float height, int numX, int numY, float mass, float structStiffness,
                        float structDamping, float shearStiffness, float shearDamping, float bendStiffness,
                        float bendDamping, const std::string& textureName)
{
    if (!(numX > 1 && numY > 1 && width > 0 && height > 0) || int64_t(numX) * numY > 65536)
        return;
    m_Width = width;
    m_Height = height;
    m_NumX = numX;
    m_NumY = numY;
    m_StructStiffness = structStiffness;
    m_StructDamping = structDamping;
    m_ShearStiffness = shearStiffness;
    m_ShearDamping = shearDamping;
    m_BendStiffness = bendStiffness;
    m_BendDamping = bendDamping;
    // Fresh masses: a second Initialize must not keep the old neighbour lists.
    m_Masses.assign(size_t(numX) * numY, cMass());
    m_Springs.assign(size_t((numY - 1) * numX + (numX - 1) * numY + (2 * numX - 2) * (numY - 1) +
                            (numX - 2) * numY + (numY - 2) * numX),
                     cSpring());
    m_Step.valid = false;
    Reset();

    float dx = width / float(numX - 1), dz = height / float(numY - 1);
    for (int y = 0; y < numY; ++y) {
        for (int x = 0; x < numX; ++x) {
            cMass& m = m_Masses[GetMassIndex(x, y)];
            m.Init(mass, {x * dx - width / 2, 1.0f, y * dz - height / 2 - 2.0f});
            m.SetImmovable(false);
            if (x > 0)
                m.AddAdjacentMass(&m_Masses[GetMassIndex(x - 1, y)]);
            if (x < numX - 1)
                m.AddAdjacentMass(&m_Masses[GetMassIndex(x + 1, y)]);
            if (y > 0)
                m.AddAdjacentMass(&m_Masses[GetMassIndex(x, y - 1)]);
            if (y < numY - 1)
                m.AddAdjacentMass(&m_Masses[GetMassIndex(x, y + 1)]);
        }
    }
    m_Masses[GetMassIndex(0, 0)].SetImmovable(true);
    m_Masses[GetMassIndex(numX - 1, 0)].SetImmovable(true);

    size_t springIndex = 0;
    auto add = [&](int x1, int y1, int x2, int y2, float k, float d, float rest, const uint8_t* colour) {
        m_Springs[springIndex++].Init(&m_Masses[GetMassIndex(x1, y1)], &m_Masses[GetMassIndex(x2, y2)], k, d, rest,
                                      colour[0], colour[1], colour[2]);
    };
    for (int y = 0; y < numY; ++y)
        for (int x = 0; x < numX - 1; ++x)
            add(x, y, x + 1, y, structStiffness, structDamping, dx, STRUCT_COLOUR);
    for (int x = 0; x < numX; ++x)
        for (int y = 0; y < numY - 1; ++y)
            add(x, y, x, y + 1, structStiffness, structDamping, dz, STRUCT_COLOUR);
    float shearRest = Length(cVector3{dx, dz, 0});
    for (int x = 0; x < numX - 1; ++x) {
        for (int y = 0; y < numY - 1; ++y) {
            add(x, y, x + 1, y + 1, shearStiffness, shearDamping, shearRest, SHEAR_COLOUR);
            add(x + 1, y, x, y + 1, shearStiffness, shearDamping, shearRest, SHEAR_COLOUR);
        }
    }
    for (int y = 0; y < numY; ++y)
        for (int x = 0; x < numX - 2; ++x)
            add(x, y, x + 2, y, bendStiffness, bendDamping, 2 * dx, BEND_COLOUR);
    for (int x = 0; x < numX; ++x)
        for (int y = 0; y < numY - 2; ++y)
            add(x, y, x, y + 2, bendStiffness, bendDamping, 2 * dz, BEND_COLOUR);
    assert(springIndex == m_Springs.size());

    m_Initialized = true;
    InitMesh(textureName);
}

void cCloth::InitMesh(const std::string& textureName)
{
    if (!m_Mesh)
        m_Mesh = std::make_unique<cMassMesh>(textureName);
    m_Mesh->m_Triangles.resize(size_t(m_NumY - 1) * (2 * m_NumX - 2));
    size_t triIndex = 0;
    for (int y = 0; y < m_NumY - 1; ++y) {
        for (int x = 0; x < m_NumX - 1; ++x) {
            auto index = [&](int mx, int my) { return uint16_t(GetMassIndex(mx, my)); };
            m_Mesh->m_Triangles[triIndex++] = {{index(x, y), index(x, y + 1), index(x + 1, y)}};
            m_Mesh->m_Triangles[triIndex++] = {{index(x + 1, y + 1), index(x + 1, y), index(x, y + 1)}};
        }
    }
    assert(triIndex == m_Mesh->m_Triangles.size());
    if (m_Mesh->m_Textured) {
        m_Mesh->m_TexCoords.resize(m_Masses.size());
        for (int y = 0; y < m_NumY; ++y)
            for (int x = 0; x < m_NumX; ++x)
                m_Mesh->m_TexCoords[GetMassIndex(x, y)] = {float(x) / float(m_NumX - 1), float(y) / float(m_NumY - 1)};
    }
    m_Mesh->m_pMasses = &m_Masses;
    m_Mesh->m_Normals.resize(m_Masses.size());
}

void cCloth::Reset()
{
    if (m_NumX < 2 || m_NumY < 2)
        return;
    float dx = m_Width / float(m_NumX - 1), dz = m_Height / float(m_NumY - 1);
    for (int y = 0; y < m_NumY; ++y) {
        for (int x = 0; x < m_NumX; ++x) {
            int index = IndexOf(x, y);
            if (index < 0)
                continue;
            cMass& m = m_Masses[index];
            m.ClearForce();
            m.SetVelocity({0, 0, 0});
            m.SetPosition(x * dx - m_Width / 2, 10.0f, y * dz - m_Height / 2);
        }
    }
}

void cCloth::Free()
{
    m_Springs.clear();
    m_Masses.clear();
    m_Step.valid = false;
    if (m_Mesh)
        m_Mesh->m_Triangles.clear();   // they would index masses that are gone
}

void cCloth::Update(float dt)
{
    m_LastSubSteps = 0;
    if (!m_Initialized || !std::isfinite(dt))
        return;
    if (dt > MAX_FRAME_TIME)
        dt = MAX_FRAME_TIME;
    float total = dt + m_TimeAccumulator;
    int steps = int(total / m_StepSize);
    if (steps == 0)
        steps = 1;
    if (steps > MAX_SUB_STEPS)
        steps = MAX_SUB_STEPS;
    float step = total / float(steps);
    m_TimeAccumulator = total - float(steps) * step;
    for (int i = 0; i < steps; ++i)
        Timestep(step);
    m_LastSubSteps = steps;
}

void cCloth::TimestepReference(float dt)
{
    for (cMass& mass : m_Masses) {
        mass.AddForce(Gravity(mass.GetMass()));
        if (m_ApplyExternalForce)
            mass.AddForce(m_ExternalForce);
    }
    for (cSpring& spring : m_Springs)
        spring.ApplySpringForce();
    for (cMass& mass : m_Masses)
        if (!mass.GetImmovable())
            UpdateMassWithCollisionDetection(mass, dt);
    for (cMass& mass : m_Masses)
        mass.ClearForce();
}

void cCloth::BuildSpringTopology()
{
    sStepBuffers& b = m_Step;
    const size_t count = m_Springs.size();
    const size_t padded = (count + 7) & ~size_t(7);
    b.springCount = count;
    std::vector<uint32_t> mass1(count, 0), mass2(count, 0);
    for (size_t s = 0; s < count; ++s) {
        const cSpring& spring = m_Springs[s];
        // A spring without both masses exerts nothing; it points at mass 0 twice, which gives a
        // length of 0 and so no force either.
        if (spring.GetMass1() && spring.GetMass2()) {
            mass1[s] = uint32_t(spring.GetMass1() - m_Masses.data());
            mass2[s] = uint32_t(spring.GetMass2() - m_Masses.data());
        }
    }
    // Springs of one kind sorted by their first mass: along a row their masses follow each other.
    std::vector<uint32_t> order(count);
    for (size_t s = 0; s < count; ++s)
        order[s] = uint32_t(s);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) {
        int64_t dx = int64_t(mass2[x]) - mass1[x], dy = int64_t(mass2[y]) - mass1[y];
        return dx != dy ? dx < dy : mass1[x] < mass1[y];
    });
    std::vector<uint32_t> slot(count, 0);
    b.evalMass1.assign(padded, 0);
    b.evalMass2.assign(padded, 0);
    b.stiffness.assign(padded, 0);
    b.damping.assign(padded, 0);
    b.restLength.assign(padded, 0);
    for (size_t e = 0; e < count; ++e) {
        uint32_t s = order[e];
        slot[s] = uint32_t(e);
        b.evalMass1[e] = mass1[s];
        b.evalMass2[e] = mass2[s];
        b.stiffness[e] = m_Springs[s].GetStiffness();
        b.damping[e] = m_Springs[s].GetDamping();
        b.restLength[e] = m_Springs[s].GetRestLength();
    }
    for (auto [list, width] : {std::pair{&b.contiguous4, 4}, std::pair{&b.contiguous8, 8}}) {
        list->assign(padded / width, 0);
        for (size_t g = 0; g < padded / width; ++g) {
            const uint32_t* i1 = &b.evalMass1[width * g];
            const uint32_t* i2 = &b.evalMass2[width * g];
            bool run = true;
            for (int k = 1; k < width; ++k)
                run = run && i1[k] == i1[0] + uint32_t(k) && i2[k] == i2[0] + uint32_t(k);
            (*list)[g] = run;
        }
    }
    // Each mass's contributions in spring-list order: slot e for a first mass, padded + e for a second.
    b.contributionStart.assign(m_Masses.size() + 1, 0);
    for (size_t s = 0; s < count; ++s) {
        ++b.contributionStart[mass1[s] + 1];
        ++b.contributionStart[mass2[s] + 1];
    }
    for (size_t i = 0; i < m_Masses.size(); ++i)
        b.contributionStart[i + 1] += b.contributionStart[i];
    b.contributions.assign(2 * count, 0);
    std::vector<uint32_t> fill(b.contributionStart.begin(), b.contributionStart.end() - 1);
    for (size_t s = 0; s < count; ++s) {
        b.contributions[fill[mass1[s]]++] = slot[s];
        b.contributions[fill[mass2[s]]++] = uint32_t(padded + slot[s]);
    }
    b.alignedGroup.assign(m_Masses.size() / 4, 0);
    for (size_t g = 0; g < m_Masses.size() / 4; ++g) {
        const uint32_t* first = &b.contributions[b.contributionStart[4 * g]];
        uint32_t degree = b.contributionStart[4 * g + 1] - b.contributionStart[4 * g];
        bool aligned = true;
        for (uint32_t k = 1; k < 4 && aligned; ++k) {
            const uint32_t* other = &b.contributions[b.contributionStart[4 * g + k]];
            aligned = b.contributionStart[4 * g + k + 1] - b.contributionStart[4 * g + k] == degree;
            for (uint32_t j = 0; j < degree && aligned; ++j)
                aligned = other[j] == first[j] + k;
        }
        b.alignedGroup[g] = aligned;
    }
    const size_t masses = (m_Masses.size() + 7) & ~size_t(7);
    for (auto* v : {&b.px, &b.py, &b.pz, &b.vx, &b.vy, &b.vz, &b.fx, &b.fy, &b.fz, &b.invMass, &b.movable})
        v->assign(masses, 0);
    b.clamp.assign(masses, 0);
    for (auto* v : {&b.cx, &b.cy, &b.cz})
        v->assign(2 * padded, 0);
    b.valid = true;
}

// The same sums as TimestepReference, in the same order and with the same roundings, so the
// result is bitwise the same: the springs are evaluated several at a time, each mass adds up its
// springs' contributions in spring-list order, and the masses are integrated several at a time.
void cCloth::Timestep(float dt)
{
    if (m_Masses.empty())
        return;
    if (!m_Step.valid)
        BuildSpringTopology();
    sStepBuffers& b = m_Step;
    const size_t massCount = m_Masses.size();
    const bool external = m_ApplyExternalForce;
    const cVector3 externalForce = m_ExternalForce;
    for (size_t i = 0; i < massCount; ++i) {
        const cMass& mass = m_Masses[i];
        cVector3 force = Add(mass.GetForce(), Gravity(mass.GetMass()));
        if (external)
            force = Add(force, externalForce);
        b.fx[i] = force.x;
        b.fy[i] = force.y;
        b.fz[i] = force.z;
        b.px[i] = mass.GetPos().x;
        b.py[i] = mass.GetPos().y;
        b.pz[i] = mass.GetPos().z;
        b.vx[i] = mass.GetVelocity().x;
        b.vy[i] = mass.GetVelocity().y;
        b.vz[i] = mass.GetVelocity().z;
        b.invMass[i] = mass.GetInvMass();
        uint32_t bits = mass.GetImmovable() ? 0u : ~0u;
        std::memcpy(&b.movable[i], &bits, sizeof(bits));
    }

    const bool wide = HasAvx2();
    sSpringPass springs{b.evalMass1.data(), b.evalMass2.data(), b.restLength.data(), b.stiffness.data(),
                        b.damping.data(), (wide ? b.contiguous8 : b.contiguous4).data(), b.px.data(), b.py.data(),
                        b.pz.data(), b.vx.data(), b.vy.data(), b.vz.data(), b.cx.data(), b.cy.data(), b.cz.data(),
                        b.evalMass1.size()};
    if (wide)
        SpringPassAvx2(springs);
    else
        SpringPassSse(springs);

    const float* __restrict cx = b.cx.data();
    const float* __restrict cy = b.cy.data();
    const float* __restrict cz = b.cz.data();
    float* __restrict fx = b.fx.data();
    float* __restrict fy = b.fy.data();
    float* __restrict fz = b.fz.data();
    const uint32_t* __restrict start = b.contributionStart.data();
    const uint32_t* __restrict contributions = b.contributions.data();
    const uint8_t* __restrict alignedGroup = b.alignedGroup.data();
    for (size_t i = 0; i < massCount; ++i) {
        if (i % 4 == 0 && i / 4 < b.alignedGroup.size() && alignedGroup[i / 4]) {
            __m128 sumX = _mm_loadu_ps(fx + i), sumY = _mm_loadu_ps(fy + i), sumZ = _mm_loadu_ps(fz + i);
            for (uint32_t j = start[i]; j < start[i + 1]; ++j) {
                uint32_t c = contributions[j];
                sumX = _mm_add_ps(sumX, _mm_loadu_ps(cx + c));
                sumY = _mm_add_ps(sumY, _mm_loadu_ps(cy + c));
                sumZ = _mm_add_ps(sumZ, _mm_loadu_ps(cz + c));
            }
            _mm_storeu_ps(fx + i, sumX);
            _mm_storeu_ps(fy + i, sumY);
            _mm_storeu_ps(fz + i, sumZ);
            i += 3;
            continue;
        }
        float sumX = fx[i], sumY = fy[i], sumZ = fz[i];
        for (uint32_t j = start[i]; j < start[i + 1]; ++j) {
            uint32_t c = contributions[j];
            sumX += cx[c];
            sumY += cy[c];
            sumZ += cz[c];
        }
        fx[i] = sumX;
        fy[i] = sumY;
        fz[i] = sumZ;
    }

    sMassPass masses{b.px.data(), b.py.data(), b.pz.data(), b.vx.data(), b.vy.data(), b.vz.data(), b.fx.data(),
                     b.fy.data(), b.fz.data(), b.invMass.data(), b.movable.data(), b.clamp.data(), b.px.size(), dt,
                     m_Method == 1};
    if (wide)
        MassPassAvx2(masses);
    else
        MassPassSse(masses);
    // A mass whose speed must be clamped goes through cMass::Update itself, from its old state.
    for (size_t i = 0; i < massCount; ++i) {
        cMass& mass = m_Masses[i];
        if (b.clamp[i]) {
            mass.SetForce({b.fx[i], b.fy[i], b.fz[i]});
            UpdateMassWithCollisionDetection(mass, dt);
        } else {
            mass.SetPosition(b.px[i], b.py[i], b.pz[i]);
            mass.SetVelocity({b.vx[i], b.vy[i], b.vz[i]});
        }
        mass.ClearForce();
    }
}

void cCloth::AllowWideVectors(bool allow) { s_AllowWideVectors = allow; }

void cCloth::UpdateMassWithCollisionDetection(cMass& mass, float dt)
{
    // The cloth collides with nothing yet; this is where a response would go.
    mass.Update(dt, m_Method);
}

void cCloth::Draw()
{
    if (!m_Initialized)
        return;
    if (m_DrawSolid && m_Mesh)
        DrawSolid();
    if (m_DrawWireFrame)
        DrawWireFrame();
}

void cCloth::DrawSolid()
{
    if (m_Mesh)
        m_Mesh->Draw();
}

void cCloth::DrawWireFrame()
{
    glPointSize(4);
    glBegin(GL_POINTS);
    glColor3ub(255, 0, 0);
    for (const cMass& mass : m_Masses)
        glVertex3f(mass.GetPos().x, mass.GetPos().y, mass.GetPos().z);
    glEnd();
    glLineWidth(2);
    glBegin(GL_LINES);
    for (const cSpring& spring : m_Springs) {
        cVector3 a, b;
        if (!spring.GetMass1() || !spring.GetMass2())
            continue;
        spring.GetMassPositions(a, b);
        glColor3ub(spring.GetRed(), spring.GetGreen(), spring.GetBlue());
        glVertex3f(a.x, a.y, a.z);
        glVertex3f(b.x, b.y, b.z);
    }
    glEnd();
}

void cCloth::AddForce(const cVector3& force)
{
    for (cMass& mass : m_Masses)
        mass.AddForce(force);
}

int cCloth::GetMassIndex(int x, int y) const
{
    int index = IndexOf(x, y);
    assert(index >= 0);
    assert(index < (int32_t)m_Masses.size());
    return index;
}

int cCloth::IndexOf(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_NumX || y >= m_NumY || y * m_NumX + x >= int(m_Masses.size()))
        return -1;
    return y * m_NumX + x;
}

void cCloth::SetMethod(uint8_t method) { m_Method = method < 3 ? method : 0; }

void cCloth::SetAllMassesImmovable(bool immovable)
{
    for (cMass& mass : m_Masses)
        mass.SetImmovable(immovable);
}

void cCloth::SetMassImmovable(int x, int y, bool immovable)
{
    int index = IndexOf(x, y);
    if (index >= 0)
        m_Masses[index].SetImmovable(immovable);
}

void cCloth::SetCorner1(bool immovable) { SetMassImmovable(0, 0, immovable); }
void cCloth::SetCorner2(bool immovable) { SetMassImmovable(m_NumX - 1, 0, immovable); }
void cCloth::SetCorner3(bool immovable) { SetMassImmovable(0, m_NumY - 1, immovable); }
void cCloth::SetCorner4(bool immovable) { SetMassImmovable(m_NumX - 1, m_NumY - 1, immovable); }
