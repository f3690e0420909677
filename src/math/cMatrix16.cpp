#include "math/cMatrix16.h"

#include <cmath>

namespace {

// pi / 180 as the single-precision constant it has always been; rotations built from degrees
// must come out bit for bit the same as before.
constexpr double DEGREES_TO_RADIANS = double(float(3.14159265358979323846 / 180.0));

} // namespace

cMatrix16::cMatrix16()
{
    LoadIdentity();
}

void cMatrix16::LoadIdentity()
{
    for (int k = 0; k < 16; ++k)
        m_Elements[k] = (k % 5 == 0) ? 1.0 : 0.0;
}

void cMatrix16::LoadRotation(int cosine1, int cosine2, int sine, int minusSine, double angleRadians)
{
    LoadIdentity();
    double c = std::cos(angleRadians);
    double s = std::sin(angleRadians);
    m_Elements[cosine1] = c;
    m_Elements[cosine2] = c;
    m_Elements[sine] = s;
    m_Elements[minusSine] = -s;
}

void cMatrix16::LoadRotationAboutX(double angleRadians)
{
    LoadRotation(5, 10, 6, 9, angleRadians);
}

void cMatrix16::LoadRotationAboutY(double angleRadians)
{
    LoadRotation(0, 10, 8, 2, angleRadians);
}

void cMatrix16::LoadRotationAboutZ(double angleRadians)
{
    LoadRotation(0, 5, 1, 4, angleRadians);
}

void cMatrix16::LoadRotationAboutAxis(const cVector3& axis, double angleDegrees)
{
    double radians = angleDegrees * DEGREES_TO_RADIANS;
    double c = std::cos(radians);
    double s = std::sin(radians);
    double t = 1.0 - c;

    cVector3 unit = axis;
    float lengthSquared = unit.LengthSquared();
    if (lengthSquared == 0.0f) {
        LoadIdentity();
        return;
    }
    if (lengthSquared != 1.0f)
        NormalizeVector3(unit, unit);
    float x = unit.x, y = unit.y, z = unit.z;

    double* e = m_Elements;
    e[0] = x * x * t + c;
    e[1] = x * y * t + z * s;
    e[2] = x * z * t - y * s;
    e[3] = 0.0;
    e[4] = x * y * t - z * s;
    e[5] = y * y * t + c;
    e[6] = y * z * t + x * s;
    e[7] = 0.0;
    e[8] = x * z * t + y * s;
    e[9] = y * z * t - x * s;
    e[10] = z * z * t + c;
    e[11] = 0.0;
    e[12] = e[13] = e[14] = 0.0;
    e[15] = 1.0;
}

cMatrix16 cMatrix16::operator*(const cMatrix16& other) const
{
    cMatrix16 product;
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = m_Elements[row] * other.m_Elements[4 * column];
            for (int j = 1; j < 4; ++j)
                sum += m_Elements[row + 4 * j] * other.m_Elements[j + 4 * column];
            product.m_Elements[row + 4 * column] = sum;
        }
    }
    return product;
}

cVector3 cMatrix16::operator*(const cVector3& point) const
{
    const double* e = m_Elements;
    double x = point.x, y = point.y, z = point.z;
    return cVector3(float(e[0] * x + e[4] * y + e[8] * z + e[12]),
                    float(e[1] * x + e[5] * y + e[9] * z + e[13]),
                    float(e[2] * x + e[6] * y + e[10] * z + e[14]));
}

cMatrix16& cMatrix16::operator*=(const cMatrix16& other)
{
    *this = *this * other;
    return *this;
}
