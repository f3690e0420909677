#include <gtest/gtest.h>

#include <cmath>

#include "math/cVector2.h"
#include "math/cVector3.h"

namespace {

void ExpectVector(const cVector3& actual, float x, float y, float z)
{
    EXPECT_EQ(actual.x, x);
    EXPECT_EQ(actual.y, y);
    EXPECT_EQ(actual.z, z);
}

} // namespace

// The camera and collision tests check the vector arithmetic they use; these are the cases they
// cannot show: signed zeros, the 2D vector, and an output that is also an input.
TEST(cVector3Test, OperatorsWorkComponentWiseAndTheCrossProductIsSafeWhenOutIsAnInput)
{
    cVector3 zero;
    zero.Zero();
    EXPECT_TRUE(std::signbit((-zero).y));

    cVector2 v(1.5f, -2.0f);
    ((v += cVector2(0.5f, 4.0f)) -= cVector2(1, 1)) *= 0.5f;
    EXPECT_EQ((v - cVector2(0.5f, 0.5f) + cVector2(1, 1) * 2.0f).x, 2.0f);
    EXPECT_EQ(v.y, 0.5f);

    const cVector3 a(1.0f, 2.0f, 3.0f), b(-4.0f, 5.0f, 0.5f);
    cVector3 out = a;
    CrossVector3(out, b, out);
    ExpectVector(out, -14.0f, -12.5f, 13.0f);
    out = b;
    CrossVector3(a, out, out);
    ExpectVector(out, -14.0f, -12.5f, 13.0f);
}

TEST(cVector3Test, NormalizeLeavesVectorsShorterThanTheThresholdAlone)
{
    const float shorter = std::nextafter(1e-7f, 0.0f);
    cVector3 below(0.0f, shorter, 0.0f), at(0.0f, 1e-7f, 0.0f), tiny(5e-8f, 0.0f, 0.0f);
    below.Normalize();
    at.Normalize();
    ExpectVector(below, 0.0f, shorter, 0.0f);
    EXPECT_NEAR(at.y, 1.0f, 1e-6f);
    NormalizeVector3(tiny, tiny);   // the free function has no threshold
    ExpectVector(tiny, 1.0f, 0.0f, 0.0f);
}
