#include "physics/cMass.h"

#include <cmath>


namespace {

constexpr float MAX_SPEED = 100.0f;
constexpr float INVERSE_OF_ZERO_MASS = 3.4028235e38f;

} // namespace

cMass::cMass() { SetMass(0.0f); }

cMass::cMass(float mass) { SetMass(mass); }

void cMass::SetMass(float mass)
{
    m_Mass = mass;
    m_InvMass = mass == 0.0f ? INVERSE_OF_ZERO_MASS : 1.0f / mass;
}

void cMass::Init(float mass, const cVector3& position)
{
    SetMass(mass);
    m_Position = position;
    m_Velocity = {0, 0, 0};
    m_Force = {0, 0, 0};
}

void cMass::AddForce(const cVector3& force) { m_Force += force; }

cMass* cMass::GetAdjacentMass(int index) const
{
    if (index < 0 || index >= int(m_AdjacentMasses.size()))
        return nullptr;
    return m_AdjacentMasses[index];
}

void cMass::Update(float dt, uint8_t method)
{
    const float a = m_InvMass;
    const cVector3 oldVelocity = m_Velocity;
    if (method == 1) {
        cVector3 k1 = m_Force * a * dt;
        cVector3 k2 = (m_Force + k1 * 0.5f) * a * dt;
        cVector3 k3 = (m_Force + k2 * 0.5f) * a * dt;
        cVector3 k4 = (m_Force + k3) * a * dt;
        m_Velocity += k1 * 0.16666667f + k2 * 0.3333333f + k3 * 0.3333333f + k4 * 0.25f;
    } else {
        m_Velocity += m_Force * a * dt;
    }

    float speedSquared = m_Velocity.LengthSquared();
    if (speedSquared > MAX_SPEED * MAX_SPEED) {
        if (m_Velocity.IsFinite()) {
            if (!std::isfinite(speedSquared)) {
                // Too fast to square: shrink it first, keeping its direction.
                float largest = std::fmax(std::fabs(m_Velocity.x), std::fmax(std::fabs(m_Velocity.y), std::fabs(m_Velocity.z)));
                m_Velocity = {m_Velocity.x / largest, m_Velocity.y / largest, m_Velocity.z / largest};
            }
            m_Velocity.Normalize();
            m_Velocity *= MAX_SPEED;
        } else {
            // The step overflowed (a mass of 0 has an inverse mass of 3.4e38): the change points
            // along the force, so the clamped velocity does too, instead of becoming NaN.
            double change[3];
            double length = 0;
            for (int i = 0; i < 3; ++i) {
                change[i] = double(m_Force[i]) * a * dt;
                if (!std::isfinite(change[i]))
                    change[i] = 0;
                length += change[i] * change[i];
            }
            length = std::sqrt(length);
            if (length > 0 && std::isfinite(length) && oldVelocity.IsFinite())
                m_Velocity = {float(change[0] / length * MAX_SPEED), float(change[1] / length * MAX_SPEED),
                              float(change[2] / length * MAX_SPEED)};
            else
                m_Velocity = {0, 0, 0};
        }
    } else if (speedSquared < 1e-07f) {
        m_Velocity = {0, 0, 0};
    }

    if (!m_Immovable)
        m_Position += m_Velocity * dt;
}
