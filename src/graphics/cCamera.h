#pragma once
#include "math/cVector3.h"

// The eye of the 3D scene: what the frame begin hands to gluLookAt. The view direction is always
// m_LookAt - m_Position; moves keep that difference, rotations keep its length.
class cCamera
{
public:
    cCamera() = default;   // vectors unset: the owner sets them
    cCamera(const cVector3& position, const cVector3& lookAt, const cVector3& up);

    cVector3& GetPosition() { return m_Position; }
    cVector3& GetLookAt() { return m_LookAt; }
    cVector3& GetUpVector() { return m_UpVector; }
    const cVector3& GetPosition() const { return m_Position; }
    const cVector3& GetLookAt() const { return m_LookAt; }
    const cVector3& GetUpVector() const { return m_UpVector; }

    // Each sets its member alone: SetPosition changes the view direction.
    void SetPosition(float x, float y, float z);
    void SetLookAt(float x, float y, float z);
    void SetUpVector(float x, float y, float z);

    void Move(const cVector3& offset);     // the eye moves, the look-at point stays
    // Positive distances go towards the look-at point; positive side distances to the right.
    // The moves and rotations below need a view direction (and a side axis, all but
    // MoveForward): a camera looking at its own position, or along its up vector, is left as it is.
    void MoveForward(float distance);
    void MoveSideToSide(float distance);
    void RotateLeftRight(float degrees);   // about the up vector
    void RotateUpDown(float degrees);      // about the side axis; the pitch is not limited

private:
    bool HasViewDirection() const;
    bool HasSideAxis() const;
    void RotateLookAt(const cVector3& axis, float degrees);

    cVector3 m_Position;
    cVector3 m_LookAt;
    cVector3 m_UpVector;   // not kept normalised
};
