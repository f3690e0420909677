#include "physics/cCloth.h"

#include <GL/gl.h>
#include <emmintrin.h>

#include <cassert>
#include <cmath>

#include "physics/PhysicsMath.h"

using namespace physmath;

namespace {

constexpr float MAX_FRAME_TIME = 0.2f;
constexpr int MAX_SUB_STEPS = 10;
constexpr uint8_t STRUCT_COLOUR[3] = {20, 20, 200};
constexpr uint8_t SHEAR_COLOUR[3] = {200, 200, 20};
constexpr uint8_t BEND_COLOUR[3] = {20, 200, 20};

cVector3 Gravity(float mass) { return Scale(cVector3{0, -9.8f, 0}, mass); }

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
    size_t count = m_Springs.size();
    size_t padded = (count + 3) & ~size_t(3);
    b.springCount = count;
    b.mass1.assign(padded, 0);
    b.mass2.assign(padded, 0);
    b.stiffness.assign(padded, 0);
    b.damping.assign(padded, 0);
    b.restLength.assign(padded, 0);
    for (size_t s = 0; s < count; ++s) {
        const cSpring& spring = m_Springs[s];
        // A spring without both masses exerts nothing; it points at mass 0 twice, which gives a
        // length of 0 and so no force either.
        if (spring.GetMass1() && spring.GetMass2()) {
            b.mass1[s] = uint32_t(spring.GetMass1() - m_Masses.data());
            b.mass2[s] = uint32_t(spring.GetMass2() - m_Masses.data());
        }
        b.stiffness[s] = spring.GetStiffness();
        b.damping[s] = spring.GetDamping();
        b.restLength[s] = spring.GetRestLength();
    }
    size_t masses = m_Masses.size();
    for (auto* v : {&b.px, &b.py, &b.pz, &b.vx, &b.vy, &b.vz, &b.fx, &b.fy, &b.fz})
        v->assign(masses, 0);
    for (auto* v : {&b.springFx, &b.springFy, &b.springFz})
        v->assign(padded, 0);
    b.active.assign(padded, 0);
    b.valid = true;
}

// The same sums as TimestepReference, in the same order and with the same roundings: the spring
// forces are computed four at a time into a buffer, then added to the masses in list order.
void cCloth::Timestep(float dt)
{
    if (m_Masses.empty())
        return;
    if (!m_Step.valid)
        BuildSpringTopology();
    sStepBuffers& b = m_Step;
    const size_t massCount = m_Masses.size();
    for (size_t i = 0; i < massCount; ++i) {
        const cMass& mass = m_Masses[i];
        cVector3 force = Add(mass.GetForce(), Gravity(mass.GetMass()));
        if (m_ApplyExternalForce)
            force = Add(force, m_ExternalForce);
        b.fx[i] = force.x;
        b.fy[i] = force.y;
        b.fz[i] = force.z;
        b.px[i] = mass.GetPos().x;
        b.py[i] = mass.GetPos().y;
        b.pz[i] = mass.GetPos().z;
        b.vx[i] = mass.GetVelocity().x;
        b.vy[i] = mass.GetVelocity().y;
        b.vz[i] = mass.GetVelocity().z;
    }

    const size_t padded = b.mass1.size();
    const __m128 threshold = _mm_set1_ps(0.01f);
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const float* px = b.px.data();
    const float* py = b.py.data();
    const float* pz = b.pz.data();
    const float* vx = b.vx.data();
    const float* vy = b.vy.data();
    const float* vz = b.vz.data();
    for (size_t s = 0; s < padded; s += 4) {
        const uint32_t* i1 = &b.mass1[s];
        const uint32_t* i2 = &b.mass2[s];
        auto gather = [](const float* v, const uint32_t* i) { return _mm_setr_ps(v[i[0]], v[i[1]], v[i[2]], v[i[3]]); };
        __m128 dx = _mm_sub_ps(gather(px, i1), gather(px, i2));
        __m128 dy = _mm_sub_ps(gather(py, i1), gather(py, i2));
        __m128 dz = _mm_sub_ps(gather(pz, i1), gather(pz, i2));
        __m128 length = _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz)));
        __m128 stretch = _mm_sub_ps(length, _mm_loadu_ps(&b.restLength[s]));
        // "Not at most 0.01", as the reference asks, so that NaN lengths act the same way.
        __m128 active = _mm_and_ps(_mm_cmpnle_ps(length, threshold),
                                   _mm_cmpnle_ps(_mm_and_ps(stretch, absMask), threshold));
        __m128 negStiffness = _mm_xor_ps(_mm_loadu_ps(&b.stiffness[s]), _mm_set1_ps(-0.0f));
        __m128 damping = _mm_loadu_ps(&b.damping[s]);
        __m128 fx = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(_mm_div_ps(dx, length), stretch), negStiffness),
                               _mm_mul_ps(_mm_sub_ps(gather(vx, i2), gather(vx, i1)), damping));
        __m128 fy = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(_mm_div_ps(dy, length), stretch), negStiffness),
                               _mm_mul_ps(_mm_sub_ps(gather(vy, i2), gather(vy, i1)), damping));
        __m128 fz = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(_mm_div_ps(dz, length), stretch), negStiffness),
                               _mm_mul_ps(_mm_sub_ps(gather(vz, i2), gather(vz, i1)), damping));
        _mm_storeu_ps(&b.springFx[s], fx);
        _mm_storeu_ps(&b.springFy[s], fy);
        _mm_storeu_ps(&b.springFz[s], fz);
        int mask = _mm_movemask_ps(active);
        for (int k = 0; k < 4; ++k)
            b.active[s + k] = uint8_t((mask >> k) & 1);
    }
    for (size_t s = 0; s < b.springCount; ++s) {
        if (!b.active[s])
            continue;
        uint32_t m1 = b.mass1[s], m2 = b.mass2[s];
        float fx = b.springFx[s], fy = b.springFy[s], fz = b.springFz[s];
        b.fx[m1] += fx;
        b.fy[m1] += fy;
        b.fz[m1] += fz;
        b.fx[m2] += -fx;
        b.fy[m2] += -fy;
        b.fz[m2] += -fz;
    }

    for (size_t i = 0; i < massCount; ++i) {
        cMass& mass = m_Masses[i];
        if (!mass.GetImmovable()) {
            mass.SetForce({b.fx[i], b.fy[i], b.fz[i]});
            UpdateMassWithCollisionDetection(mass, dt);
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
