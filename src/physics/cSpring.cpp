#include "physics/cSpring.h"

#include <cassert>
#include <cmath>


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

void cSpring::ApplySpringForce() const
{
    if (!m_pMass1 || !m_pMass2)
        return;
    cVector3 d = m_pMass1->GetPos() - m_pMass2->GetPos();
    float length = d.Length();
    if (length <= 0.01f || std::fabs(length - m_RestLength) <= 0.01f)
        return;
    cVector3 direction = d;
    direction.Normalize();
    cVector3 force = direction * (length - m_RestLength) * -m_Stiffness +
                     (m_pMass2->GetVelocity() - m_pMass1->GetVelocity()) * m_Damping;
    m_pMass1->AddForce(force);
    m_pMass2->AddForce(-force);
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
