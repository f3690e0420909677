#include "physics/cCloth.h"

#include <GL/gl.h>
#include <immintrin.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

namespace {

constexpr float MAX_FRAME_TIME = 0.2f;
constexpr int MAX_SUB_STEPS = 10;
constexpr uint8_t STRUCT_COLOUR[3] = {20, 20, 200};
constexpr uint8_t SHEAR_COLOUR[3] = {200, 200, 20};
constexpr uint8_t BEND_COLOUR[3] = {20, 200, 20};

cVector3 Gravity(float mass) { return cVector3{0, -9.8f, 0} * mass; }

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

// The kernels are written once over GCC vector types of N lanes and compiled for four (SSE, the
// x86-64 baseline) and for eight (inlined into an AVX2 entry point, used where the processor has
// it). Everything they call is forced inline so that the eight-lane code only ever exists inside
// that entry point; its 32-byte vectors never cross a function boundary compiled without AVX,
// which is what GCC's ABI note would warn about (at the end of the file, so it stays off).
#pragma GCC diagnostic ignored "-Wpsabi"

template <int N>
struct sLanes
{
    typedef float F __attribute__((vector_size(4 * N)));
    typedef int32_t I __attribute__((vector_size(4 * N)));
};

#define BW_LANE_INLINE [[gnu::always_inline]] inline

template <class V>
BW_LANE_INLINE V Load(const void* from)
{
    V v;
    std::memcpy(&v, from, sizeof(v));
    return v;
}

template <class V>
BW_LANE_INLINE void Store(void* to, const V& v)
{
    std::memcpy(to, &v, sizeof(v));
}

template <int N>
BW_LANE_INLINE typename sLanes<N>::F Gather(const float* values, const uint32_t* indices)
{
    using F = typename sLanes<N>::F;
    using I = typename sLanes<N>::I;
    if constexpr (N == 8) {
        return __builtin_ia32_gathersiv8sf(F{}, values, Load<I>(indices), F(I{} - 1), 4);
    } else {
        F out;
        for (int k = 0; k < N; ++k)
            out[k] = values[indices[k]];
        return out;
    }
}

template <int N>
BW_LANE_INLINE typename sLanes<N>::F Sqrt(const typename sLanes<N>::F& v)
{
    if constexpr (N == 8)
        return __builtin_ia32_sqrtps256(v);
    else
        return __builtin_ia32_sqrtps(v);
}

// Lanes where the mask is set take `fresh`, the others `old`.
template <class F, class I>
BW_LANE_INLINE F Blend(const I& mask, const F& fresh, const F& old)
{
    return F((I(fresh) & mask) | (I(old) & ~mask));
}

template <int N>
BW_LANE_INLINE void SpringPass(const sSpringPass& p)
{
    using F = typename sLanes<N>::F;
    using I = typename sLanes<N>::I;
    const F threshold = F{} + 0.01f;
    const I signBit = I{} + INT32_MIN;
    for (size_t s = 0; s < p.count; s += N) {
        const uint32_t* i1 = p.mass1 + s;
        const uint32_t* i2 = p.mass2 + s;
        F p1x, p1y, p1z, p2x, p2y, p2z, v1x, v1y, v1z, v2x, v2y, v2z;
        if (p.contiguous[s / N]) {
            p1x = Load<F>(p.px + i1[0]), p1y = Load<F>(p.py + i1[0]), p1z = Load<F>(p.pz + i1[0]);
            p2x = Load<F>(p.px + i2[0]), p2y = Load<F>(p.py + i2[0]), p2z = Load<F>(p.pz + i2[0]);
            v1x = Load<F>(p.vx + i1[0]), v1y = Load<F>(p.vy + i1[0]), v1z = Load<F>(p.vz + i1[0]);
            v2x = Load<F>(p.vx + i2[0]), v2y = Load<F>(p.vy + i2[0]), v2z = Load<F>(p.vz + i2[0]);
        } else {
            p1x = Gather<N>(p.px, i1), p1y = Gather<N>(p.py, i1), p1z = Gather<N>(p.pz, i1);
            p2x = Gather<N>(p.px, i2), p2y = Gather<N>(p.py, i2), p2z = Gather<N>(p.pz, i2);
            v1x = Gather<N>(p.vx, i1), v1y = Gather<N>(p.vy, i1), v1z = Gather<N>(p.vz, i1);
            v2x = Gather<N>(p.vx, i2), v2y = Gather<N>(p.vy, i2), v2z = Gather<N>(p.vz, i2);
        }
        F dx = p1x - p2x, dy = p1y - p2y, dz = p1z - p2z;
        F length = Sqrt<N>(dx * dx + dy * dy + dz * dz);
        F stretch = length - Load<F>(p.restLength + s);
        // "Not at most 0.01", as cSpring asks, so that NaN lengths act the same way.
        I active = ~(length <= threshold) & ~(F(I(stretch) & ~signBit) <= threshold);
        F negStiffness = -Load<F>(p.stiffness + s);
        F damp = Load<F>(p.damping + s);
        F forceX = dx / length * stretch * negStiffness + (v2x - v1x) * damp;
        F forceY = dy / length * stretch * negStiffness + (v2y - v1y) * damp;
        F forceZ = dz / length * stretch * negStiffness + (v2z - v1z) * damp;
        // Active: the force and its negation. Inactive: -0 for both, which leaves a sum unchanged.
        I inactiveSign = ~active & signBit, activeSign = active & signBit;
        I contributionX = (I(forceX) & active) | inactiveSign;
        I contributionY = (I(forceY) & active) | inactiveSign;
        I contributionZ = (I(forceZ) & active) | inactiveSign;
        Store(p.cx + s, contributionX);
        Store(p.cy + s, contributionY);
        Store(p.cz + s, contributionZ);
        Store(p.cx + p.count + s, contributionX ^ activeSign);
        Store(p.cy + p.count + s, contributionY ^ activeSign);
        Store(p.cz + p.count + s, contributionZ ^ activeSign);
    }
}

// The velocity change of cMass::Update for the force f.
template <class F>
BW_LANE_INLINE F VelocityChange(const F& f, const F& a, const F& step, bool fourStage)
{
    F k1 = f * a * step;
    if (!fourStage)
        return k1;
    F k2 = (f + k1 * 0.5f) * a * step;
    F k3 = (f + k2 * 0.5f) * a * step;
    F k4 = (f + k3) * a * step;
    return k1 * 0.16666667f + k2 * 0.3333333f + k3 * 0.3333333f + k4 * 0.25f;
}

// cMass::Update for the lanes whose new speed needs no clamp; the others are marked.
template <int N>
BW_LANE_INLINE void MassPass(const sMassPass& p)
{
    using F = typename sLanes<N>::F;
    using I = typename sLanes<N>::I;
    const F step = F{} + p.dt;
    const F maxSpeedSquared = F{} + 10000.0f, minSpeedSquared = F{} + 1e-07f;
    for (size_t i = 0; i < p.count; i += N) {
        F a = Load<F>(p.invMass + i);
        F oldVx = Load<F>(p.vx + i), oldVy = Load<F>(p.vy + i), oldVz = Load<F>(p.vz + i);
        F newVx = oldVx + VelocityChange(Load<F>(p.fx + i), a, step, p.fourStage);
        F newVy = oldVy + VelocityChange(Load<F>(p.fy + i), a, step, p.fourStage);
        F newVz = oldVz + VelocityChange(Load<F>(p.fz + i), a, step, p.fourStage);
        F speedSquared = newVx * newVx + newVy * newVy + newVz * newVz;
        I move = Load<I>(p.movable + i);
        I keep = ~(speedSquared < minSpeedSquared) & move;
        F velocityX = Blend(move, F(I(newVx) & keep), oldVx);
        F velocityY = Blend(move, F(I(newVy) & keep), oldVy);
        F velocityZ = Blend(move, F(I(newVz) & keep), oldVz);
        F positionX = Load<F>(p.px + i), positionY = Load<F>(p.py + i), positionZ = Load<F>(p.pz + i);
        Store(p.px + i, Blend(move, positionX + velocityX * step, positionX));
        Store(p.py + i, Blend(move, positionY + velocityY * step, positionY));
        Store(p.pz + i, Blend(move, positionZ + velocityZ * step, positionZ));
        Store(p.vx + i, velocityX);
        Store(p.vy + i, velocityY);
        Store(p.vz + i, velocityZ);
        I clamp = (speedSquared > maxSpeedSquared) & move;
        for (int k = 0; k < N; ++k)
            p.clamp[i + k] = uint8_t(clamp[k] != 0);
    }
}

void SpringPass4(const sSpringPass& p) { SpringPass<4>(p); }
void MassPass4(const sMassPass& p) { MassPass<4>(p); }
__attribute__((target("avx2"))) void SpringPass8(const sSpringPass& p) { SpringPass<8>(p); }
__attribute__((target("avx2"))) void MassPass8(const sMassPass& p) { MassPass<8>(p); }

#undef BW_LANE_INLINE

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
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
    float shearRest = cVector3{dx, dz, 0}.Length();
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

// The same sums as the plain step (every mass, then every spring in list order through its
// pointers, then every mass's Update), in the same order and with the same roundings, so the
// result is bitwise the same: the springs are evaluated several at a time, each mass adds up its
// springs' contributions in spring-list order, and the masses are integrated several at a time.
void cCloth::Timestep(float dt, bool allowWide)
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
        cVector3 force = mass.GetForce() + Gravity(mass.GetMass());
        if (external)
            force = force + externalForce;
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

    const bool wide = allowWide && HasAvx2();
    sSpringPass springs{b.evalMass1.data(), b.evalMass2.data(), b.restLength.data(), b.stiffness.data(),
                        b.damping.data(), (wide ? b.contiguous8 : b.contiguous4).data(), b.px.data(), b.py.data(),
                        b.pz.data(), b.vx.data(), b.vy.data(), b.vz.data(), b.cx.data(), b.cy.data(), b.cz.data(),
                        b.evalMass1.size()};
    if (wide)
        SpringPass8(springs);
    else
        SpringPass4(springs);

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
        MassPass8(masses);
    else
        MassPass4(masses);
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
