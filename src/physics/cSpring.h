#pragma once
#include <cstdint>

#include "physics/cMass.h"

// A damped spring between two masses of the cloth.
class cSpring
{
public:
    void Init(cMass* pMass1, cMass* pMass2, float stiffness, float damping, float restLength, uint8_t red,
              uint8_t green, uint8_t blue);
    // Adds the spring's force to the first mass and its opposite to the second. A spring within
    // 0.01 of its rest length, or shorter than 0.01, exerts none.
    void ApplySpringForce() const;   // changes the masses, not the spring
    void GetMassPositions(cVector3& position1, cVector3& position2) const;   // unchanged when a mass is missing

    cMass* GetMass1() const { return m_pMass1; }
    cMass* GetMass2() const { return m_pMass2; }
    float GetStiffness() const { return m_Stiffness; }
    float GetDamping() const { return m_Damping; }
    float GetRestLength() const { return m_RestLength; }
    uint8_t GetRed() const { return m_Red; }
    uint8_t GetGreen() const { return m_Green; }
    uint8_t GetBlue() const { return m_Blue; }

private:
    cMass* m_pMass1 = nullptr;   // not owned
    cMass* m_pMass2 = nullptr;   // not owned
    float m_Stiffness = 0;
    float m_Damping = 0;
    float m_RestLength = 0;
    uint8_t m_Red = 0, m_Green = 0, m_Blue = 0;
};
