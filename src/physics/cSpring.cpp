#include "physics/cSpring.h"

#include <cassert>
#include <cmath>

#include "physics/PhysicsMath.h"

using namespace physmath;

void cSpring::Init(cMass* pMass1, cMass* pMass2, float stiffness, float damping, float restLength, uint8_t red,
                   uint8_t green, uint8_t blue)
{
    m_pMass1 = pMass1;
    m_pMass2 = pMass2;
    m_Stiffness = stiffness;
    m_Damping = damping;
    m_RestLength = restLength;
    m_Red = red;
    m_Green = green;
    m_Blue = blue;
}

void cSpring::ApplySpringForce()
{
    if (!m_pMass1 || !m_pMass2)
        return;
    cVector3 d = Sub(m_pMass1->GetPos(), m_pMass2->GetPos());
    float length = Length(d);
    if (length <= 0.01f || std::fabs(length - m_RestLength) <= 0.01f)
        return;
    cVector3 direction = d;
    Normalize(direction);
    cVector3 force = Add(Scale(Scale(direction, length - m_RestLength), -m_Stiffness),
                         Scale(Sub(m_pMass2->GetVelocity(), m_pMass1->GetVelocity()), m_Damping));
    m_pMass1->AddForce(force);
    m_pMass2->AddForce(Negate(force));
}

void cSpring::GetMassPositions(cVector3& position1, cVector3& position2) const
{
    assert(m_pMass1 != NULL);
    assert(m_pMass2 != NULL);
    if (!m_pMass1 || !m_pMass2)
        return;
    position1 = m_pMass1->GetPos();
    position2 = m_pMass2->GetPos();
}
