#include <gtest/gtest.h>

#include <cmath>

#include "math/cMatrix16.h"

namespace {

// pi / 180 in single precision, widened: degrees become radians through this constant.
constexpr double DEGREES_TO_RADIANS = 0.01745329238474369;

void FillWithGarbage(cMatrix16& m)
{
    for (int k = 0; k < 16; ++k)
        m(k) = 100.0 + k;
}

void ExpectElements(const cMatrix16& m, const double (&expected)[16], double tolerance = 0.0)
{
    for (int k = 0; k < 16; ++k) {
        if (tolerance == 0.0)
            EXPECT_EQ(m[k], expected[k]) << "element " << k;
        else
            EXPECT_NEAR(m[k], expected[k], tolerance) << "element " << k;
    }
}

const double IDENTITY[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

cMatrix16 Translation(double x, double y, double z)
{
    cMatrix16 m;
    m(12) = x;
    m(13) = y;
    m(14) = z;
    return m;
}

} // namespace

TEST(cMatrix16Test, StartsAsIdentityAndLoadIdentityResetsEverything)
{
    cMatrix16 m;
    ExpectElements(m, IDENTITY);
    FillWithGarbage(m);
    m.LoadIdentity();
    ExpectElements(m, IDENTITY);
}

TEST(cMatrix16Test, SingleAxisRotationsSetExactlyTheirElements)
{
    const double angle = 0.3, c = std::cos(angle), s = std::sin(angle);
    struct sCase
    {
        void (cMatrix16::*load)(double);
        double expected[16];
    };
    const sCase cases[] = {
        {&cMatrix16::LoadRotationAboutX, {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}},
        {&cMatrix16::LoadRotationAboutY, {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}},
        {&cMatrix16::LoadRotationAboutZ, {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
    };
    for (const sCase& each : cases) {
        cMatrix16 m;
        FillWithGarbage(m);
        (m.*each.load)(angle);
        ExpectElements(m, each.expected);
    }
}

TEST(cMatrix16Test, AxisRotationConvertsDegreesWithSinglePrecisionPi)
{
    ASSERT_EQ(DEGREES_TO_RADIANS, double(float(M_PI / 180.0)));
    cMatrix16 m;
    m.LoadRotationAboutAxis(cVector3(0.0f, 0.0f, 1.0f), 90.0);
    const double c = std::cos(90.0 * DEGREES_TO_RADIANS), s = std::sin(90.0 * DEGREES_TO_RADIANS);
    EXPECT_EQ(m[0], c);
    EXPECT_NE(m[0], std::cos(M_PI / 2.0));   // the single-precision constant shows in the result
    EXPECT_EQ(m[1], s);
    EXPECT_EQ(m[4], -s);
    EXPECT_EQ(m[5], c);
    EXPECT_EQ(m[10], 1.0);
}

TEST(cMatrix16Test, AxisRotationWithZeroAxisIsTheIdentity)
{
    cMatrix16 m;
    FillWithGarbage(m);
    m.LoadRotationAboutAxis(cVector3(0.0f, 0.0f, 0.0f), 45.0);
    ExpectElements(m, IDENTITY);
}

TEST(cMatrix16Test, AxisRotationNormalisesACopyOfTheAxis)
{
    cVector3 axis(0.0f, 0.0f, 2.0f);
    cMatrix16 aboutAxis, aboutZ;
    FillWithGarbage(aboutAxis);
    aboutAxis.LoadRotationAboutAxis(axis, 90.0);
    aboutZ.LoadRotationAboutZ(M_PI / 2.0);
    double expected[16];
    for (int k = 0; k < 16; ++k)
        expected[k] = aboutZ[k];
    ExpectElements(aboutAxis, expected, 1e-7);
    EXPECT_EQ(axis.z, 2.0f);
}

TEST(cMatrix16Test, AxisRotationTurnsRightHandedAboutAnArbitraryAxis)
{
    const cVector3 axis(1.0f, 2.0f, 2.0f);   // length 3
    const cVector3 unit(1.0f / 3.0f, 2.0f / 3.0f, 2.0f / 3.0f);
    const cVector3 perpendicular(2.0f, -1.0f, 0.0f);
    cMatrix16 m;
    m.LoadRotationAboutAxis(axis, 90.0);

    cVector3 onAxis = m * axis;
    EXPECT_NEAR(onAxis.x, 1.0f, 1e-6f);
    EXPECT_NEAR(onAxis.y, 2.0f, 1e-6f);
    EXPECT_NEAR(onAxis.z, 2.0f, 1e-6f);

    cVector3 turned = m * perpendicular, expected = CrossVector3(unit, perpendicular);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(turned[i], expected[i], 1e-6f) << i;
    EXPECT_EQ(m[3], 0.0);
    EXPECT_EQ(m[12], 0.0);
    EXPECT_EQ(m[15], 1.0);
}

TEST(cMatrix16Test, ProductAppliesTheRightOperandFirst)
{
    cMatrix16 rotation;
    rotation.LoadRotationAboutZ(M_PI / 2.0);
    const cMatrix16 translation = Translation(1.0, 2.0, 3.0);
    const cVector3 point(1.0f, 0.0f, 0.0f);

    cVector3 rotatedThenMoved = (translation * rotation) * point;   // (0, 1, 0) + (1, 2, 3)
    EXPECT_NEAR(rotatedThenMoved.x, 1.0f, 1e-6f);
    EXPECT_NEAR(rotatedThenMoved.y, 3.0f, 1e-6f);
    EXPECT_NEAR(rotatedThenMoved.z, 3.0f, 1e-6f);

    cVector3 movedThenRotated = (rotation * translation) * point;   // (2, 2, 3) turned
    EXPECT_NEAR(movedThenRotated.x, -2.0f, 1e-6f);
    EXPECT_NEAR(movedThenRotated.y, 2.0f, 1e-6f);
    EXPECT_NEAR(movedThenRotated.z, 3.0f, 1e-6f);

    cMatrix16 accumulated = translation;
    accumulated *= rotation;
    cMatrix16 product = translation * rotation;
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(accumulated[k], product[k]) << k;
}

TEST(cMatrix16Test, ProductOfGeneralMatricesMatchesRowTimesColumn)
{
    cMatrix16 a, b;
    for (int k = 0; k < 16; ++k) {
        a(k) = k + 1;    // rows (1 5 9 13), (2 6 10 14), ...
        b(k) = 16 - k;
    }
    cMatrix16 c = a * b;
    // Row 0 of a is (1, 5, 9, 13); column 0 of b is (16, 15, 14, 13); column 3 is (4, 3, 2, 1).
    EXPECT_EQ(c[0], 1 * 16 + 5 * 15 + 9 * 14 + 13 * 13);
    EXPECT_EQ(c[12], 1 * 4 + 5 * 3 + 9 * 2 + 13 * 1);
    // Row 3 of a is (4, 8, 12, 16).
    EXPECT_EQ(c[3], 4 * 16 + 8 * 15 + 12 * 14 + 16 * 13);
    EXPECT_EQ(c[15], 4 * 4 + 8 * 3 + 12 * 2 + 16 * 1);
}

TEST(cMatrix16Test, PointTransformAddsTheTranslationAndIgnoresTheFourthRow)
{
    const cVector3 v(0.25f, -3.0f, 7.5f);
    cVector3 same = cMatrix16() * v;
    EXPECT_EQ(same.x, v.x);
    EXPECT_EQ(same.y, v.y);
    EXPECT_EQ(same.z, v.z);

    cMatrix16 m = Translation(1.0, 2.0, 3.0);
    m(3) = 5.0;   // a perspective row has no effect: there is no divide
    m(15) = 2.0;
    cVector3 moved = m * v;
    EXPECT_EQ(moved.x, 1.25f);
    EXPECT_EQ(moved.y, -1.0f);
    EXPECT_EQ(moved.z, 10.5f);
}

TEST(cMatrix16Test, PointTransformSumsInDoubleBeforeRounding)
{
    // 2^24 + 1 is not a float; in double the sum 2^24 + 1 - 2^24 keeps the 1.
    cMatrix16 m = Translation(-16777216.0, 0.0, 0.0);
    cVector3 point = m * cVector3(1.0f, 0.0f, 0.0f);
    m(0) = 1.0;
    m(4) = 16777216.0;   // y's contribution
    cVector3 sum = m * cVector3(1.0f, 1.0f, 0.0f);
    EXPECT_EQ(point.x, -16777215.0f);
    EXPECT_EQ(sum.x, 1.0f);
}
