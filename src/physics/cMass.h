#pragma once
#include <cstdint>
#include <vector>

#include "math/cVector3.h"

// A point mass of the cloth.
class cMass
{
public:
    cMass();                      // mass 0, so an inverse mass of 3.4028235e38; at rest at the origin
    explicit cMass(float mass);

    void SetMass(float mass);     // a mass of exactly 0 gets the largest float as inverse mass
    void Init(float mass, const cVector3& position);   // at rest, no force
    void SetPosition(const cVector3& position) { m_Position = position; }
    void SetPosition(float x, float y, float z) { m_Position = {x, y, z}; }
    const cVector3& GetPos() const { return m_Position; }
    const cVector3& GetVelocity() const { return m_Velocity; }
    void SetVelocity(const cVector3& velocity) { m_Velocity = velocity; }
    const cVector3& GetForce() const { return m_Force; }
    void SetForce(const cVector3& force) { m_Force = force; }
    float GetMass() const { return m_Mass; }
    float GetInvMass() const { return m_InvMass; }
    bool GetImmovable() const { return m_Immovable; }
    void SetImmovable(bool immovable) { m_Immovable = immovable; }
    void AddForce(const cVector3& force);
    void ClearForce() { m_Force = {0, 0, 0}; }

    void AddAdjacentMass(cMass* pMass) { m_AdjacentMasses.push_back(pMass); }   // not owned
    void ClearAdjacentMasses() { m_AdjacentMasses.clear(); }
    cMass* GetAdjacentMass(int index) const;   // null for an index out of range
    int GetNumAdjacentMasses() const { return int(m_AdjacentMasses.size()); }

    // Integrates the accumulated force over dt: method 1 with the four-stage step, any other with
    // one simple step. Speeds above 100 are clamped to 100, speeds below about 0.0003 become 0.
    void Update(float dt, uint8_t method);

private:
    float m_Mass;
    float m_InvMass;
    bool m_Immovable = false;
    cVector3 m_Position{0, 0, 0};
    cVector3 m_Velocity{0, 0, 0};
    cVector3 m_Force{0, 0, 0};
    std::vector<cMass*> m_AdjacentMasses;   // left, right, previous row, next row: those that exist
};
