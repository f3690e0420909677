#pragma once
#include "math/cVector3.h"

// A 4 x 4 transformation in the layout OpenGL's matrix functions take: column-major, element
// k = row + 4 x column, so elements 12, 13 and 14 hold the translation.
class cMatrix16
{
public:
    cMatrix16();   // the identity

    void LoadIdentity();
    void LoadRotationAboutX(double angleRadians);
    void LoadRotationAboutY(double angleRadians);
    void LoadRotationAboutZ(double angleRadians);
    // A zero axis gives the identity; the axis need not be unit length and is not changed.
    void LoadRotationAboutAxis(const cVector3& axis, double angleDegrees);

    cMatrix16 operator*(const cMatrix16& other) const;   // this x other
    cVector3 operator*(const cVector3& point) const;     // translated too; no perspective divide
    cMatrix16& operator*=(const cMatrix16& other);       // this = this x other

    double& operator()(int k) { return m_Elements[k]; }
    const double& operator[](int k) const { return m_Elements[k]; }

private:
    void LoadRotation(int cosine1, int cosine2, int sine, int minusSine, double angleRadians);

    double m_Elements[16];
};
