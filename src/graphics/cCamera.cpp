#include "graphics/cCamera.h"

#include <cmath>

#include "math/cMatrix16.h"

namespace {

// Below this length Normalize() leaves a vector as it is, so it gives no direction.
constexpr float MIN_DIRECTION_LENGTH = 1e-7f;

// A side axis whose length is below this fraction of |view| x |up| is rounding noise left over
// from a view direction parallel to the up vector, and points nowhere in particular.
constexpr double MIN_SINE_VIEW_UP = 1e-6;

// Vectors whose squared length is exactly 1 are used as they are; normalising them again could
// move their last bits.
void NormalizeUnlessUnit(cVector3& vector)
{
    if (vector.LengthSquared() != 1.0f)
        vector.Normalize();
}

double LengthInDouble(const cVector3& vector)
{
    double x = vector.x, y = vector.y, z = vector.z;
    return std::sqrt(x * x + y * y + z * z);
}

} // namespace

cCamera::cCamera(const cVector3& position, const cVector3& lookAt, const cVector3& up)
    : m_Position(position), m_LookAt(lookAt), m_UpVector(up)
{
}

void cCamera::SetPosition(float x, float y, float z)
{
    m_Position = cVector3(x, y, z);
}

void cCamera::SetLookAt(float x, float y, float z)
{
    m_LookAt = cVector3(x, y, z);
}

void cCamera::SetUpVector(float x, float y, float z)
{
    m_UpVector = cVector3(x, y, z);
}

bool cCamera::HasViewDirection() const
{
    return (m_LookAt - m_Position).Length() >= MIN_DIRECTION_LENGTH;
}

bool cCamera::HasSideAxis() const
{
    if (!HasViewDirection())
        return false;
    cVector3 view = m_LookAt - m_Position;
    cVector3 side = CrossVector3(view, m_UpVector);
    double sideLength = LengthInDouble(side);
    return side.Length() >= MIN_DIRECTION_LENGTH
        && sideLength >= MIN_SINE_VIEW_UP * LengthInDouble(view) * LengthInDouble(m_UpVector);
}

void cCamera::Move(const cVector3& offset)
{
    m_Position += offset;
}

void cCamera::MoveForward(float distance)
{
    if (!HasViewDirection())
        return;
    cVector3 forward = m_LookAt - m_Position;
    NormalizeUnlessUnit(forward);
    forward *= distance;
    m_Position += forward;
    m_LookAt += forward;
}

void cCamera::MoveSideToSide(float distance)
{
    if (!HasSideAxis())
        return;
    cVector3 side;
    CrossVector3(m_LookAt - m_Position, m_UpVector, side);
    NormalizeUnlessUnit(side);
    side *= distance;
    m_Position += side;
    m_LookAt += side;
}

void cCamera::RotateLeftRight(float degrees)
{
    if (!HasSideAxis())
        return;
    RotateLookAt(m_UpVector, -degrees);
}

void cCamera::RotateUpDown(float degrees)
{
    if (!HasSideAxis())
        return;
    cVector3 side;
    CrossVector3(m_LookAt - m_Position, m_UpVector, side);
    NormalizeUnlessUnit(side);
    RotateLookAt(side, degrees);
}

void cCamera::RotateLookAt(const cVector3& axis, float degrees)
{
    cMatrix16 rotation;
    rotation.LoadRotationAboutAxis(axis, degrees);
    m_LookAt -= m_Position;
    m_LookAt = rotation * m_LookAt;
    m_LookAt += m_Position;
}
