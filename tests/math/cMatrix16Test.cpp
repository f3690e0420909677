#include <gtest/gtest.h>

#include <cmath>

#include "math/cMatrix16.h"

namespace {

void ExpectElements(const cMatrix16& m, const double (&expected)[16], double tolerance = 0.0)
{
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(m[k], expected[k], tolerance) << "element " << k;
}

} // namespace

TEST(cMatrix16Test, LoadsOverwriteEveryElement)
{
    const double c = std::cos(0.3), s = std::sin(0.3);
    struct sCase { void (*load)(cMatrix16&); double expected[16]; };
    const sCase cases[] = {
        {[](cMatrix16& m) { m.LoadIdentity(); }, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {[](cMatrix16& m) { m.LoadRotationAboutX(0.3); }, {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}},
        {[](cMatrix16& m) { m.LoadRotationAboutY(0.3); }, {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}},
        {[](cMatrix16& m) { m.LoadRotationAboutZ(0.3); }, {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        // A zero axis has no direction: the identity, not NaNs.
        {[](cMatrix16& m) { m.LoadRotationAboutAxis(cVector3(0, 0, 0), 45.0); }, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
    };
    ExpectElements(cMatrix16(), cases[0].expected);
    for (const sCase& each : cases) {
        cMatrix16 m;
        for (int k = 0; k < 16; ++k)
            m(k) = 100.0 + k;
        each.load(m);
        ExpectElements(m, each.expected);
    }
}

TEST(cMatrix16Test, AxisRotationUsesSinglePrecisionDegreesAndTurnsRightHanded)
{
    const double toRadians = double(float(M_PI / 180.0));
    cMatrix16 m;
    m.LoadRotationAboutAxis(cVector3(0.0f, 0.0f, 1.0f), 90.0);
    EXPECT_EQ(m[0], std::cos(90.0 * toRadians));
    EXPECT_NE(m[0], std::cos(M_PI / 2.0));
    EXPECT_EQ(m[1], std::sin(90.0 * toRadians));

    cVector3 axis(1.0f, 2.0f, 2.0f);   // length 3, normalised on a copy
    m.LoadRotationAboutAxis(axis, 90.0);
    EXPECT_EQ(axis.z, 2.0f);
    const cVector3 perpendicular(2.0f, -1.0f, 0.0f), onAxis = m * axis;
    const cVector3 turned = m * perpendicular, expected = CrossVector3(cVector3(1 / 3.0f, 2 / 3.0f, 2 / 3.0f), perpendicular);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(onAxis[i], axis[i], 1e-6f) << i;
        EXPECT_NEAR(turned[i], expected[i], 1e-6f) << i;
    }
}

TEST(cMatrix16Test, ProductAppliesTheRightOperandFirstAndPointsIgnoreTheFourthRow)
{
    cMatrix16 rotation, translation, accumulated;
    rotation.LoadRotationAboutZ(M_PI / 2.0);
    translation(12) = 1.0, translation(13) = 2.0, translation(14) = 3.0;
    const cVector3 a = (translation * rotation) * cVector3(1, 0, 0), b = (rotation * translation) * cVector3(1, 0, 0);
    const float expectedA[3] = {1, 3, 3}, expectedB[3] = {-2, 2, 3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(a[i], expectedA[i], 1e-6f) << i;
        EXPECT_NEAR(b[i], expectedB[i], 1e-6f) << i;
    }
    accumulated = translation;
    accumulated *= rotation;
    const cMatrix16 product = translation * rotation;
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(accumulated[k], product[k]) << k;

    translation(3) = 5.0, translation(15) = 2.0;   // no perspective divide
    const cVector3 moved = translation * cVector3(0.25f, -3.0f, 7.5f);
    EXPECT_EQ(moved.x, 1.25f);
    EXPECT_EQ(moved.y, -1.0f);
    EXPECT_EQ(moved.z, 10.5f);
    cMatrix16 big;
    big(12) = -16777216.0, big(4) = 16777216.0;   // 2^24 + 1 - 2^24 keeps the 1 only in double
    EXPECT_EQ((big * cVector3(1.0f, 1.0f, 0.0f)).x, 1.0f);
}
