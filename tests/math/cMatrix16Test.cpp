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

// Degrees become radians through the single-precision constant they always have: the last bits of
// a turn about an axis differ from those of a double-precision pi / 2.
TEST(cMatrix16Test, LoadsOverwriteEveryElement)
{
    const double c = std::cos(0.3), s = std::sin(0.3);
    const double toRadians = double(float(M_PI / 180.0));
    const double c90 = std::cos(90.0 * toRadians), s90 = std::sin(90.0 * toRadians);
    EXPECT_NE(c90, std::cos(M_PI / 2.0));
    struct sCase { void (*load)(cMatrix16&); double expected[16]; };
    const sCase cases[] = {
        {[](cMatrix16& m) { m.LoadRotationAboutX(0.3); }, {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}},
        {[](cMatrix16& m) { m.LoadRotationAboutY(0.3); }, {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}},
        {[](cMatrix16& m) { m.LoadRotationAboutZ(0.3); }, {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {[](cMatrix16& m) { m.LoadRotationAboutAxis(cVector3(0, 0, 1), 90.0); },
         {c90, s90, 0, 0, -s90, c90, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        // A zero axis has no direction: the identity, not NaNs.
        {[](cMatrix16& m) { m.LoadRotationAboutAxis(cVector3(0, 0, 0), 45.0); }, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
    };
    ExpectElements(cMatrix16(), cases[4].expected);
    for (const sCase& each : cases) {
        cMatrix16 m;
        for (int k = 0; k < 16; ++k)
            m(k) = 100.0 + k;
        each.load(m);
        ExpectElements(m, each.expected, 1e-15);
    }
}

TEST(cMatrix16Test, ProductAppliesTheRightOperandFirstAndPointsIgnoreTheFourthRow)
{
    cMatrix16 rotation, translation;
    rotation.LoadRotationAboutZ(M_PI / 2.0);
    translation(12) = 1.0, translation(13) = 2.0, translation(14) = 3.0;
    translation(3) = 5.0, translation(15) = 2.0;   // a fourth row that points do not use: no perspective divide
    cMatrix16 accumulated = translation;
    accumulated *= rotation;
    const cVector3 a = accumulated * cVector3(1, 0, 0), b = (rotation * translation) * cVector3(1, 0, 0);
    const float expectedA[3] = {1, 3, 3}, expectedB[3] = {-2, 2, 3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(a[i], expectedA[i], 1e-6f) << i;
        EXPECT_NEAR(b[i], expectedB[i], 1e-6f) << i;
    }

    cMatrix16 big;
    big(12) = -16777216.0, big(4) = 16777216.0;   // 2^24 + 1 - 2^24 keeps the 1 only in double
    EXPECT_EQ((big * cVector3(1.0f, 1.0f, 0.0f)).x, 1.0f);
}
