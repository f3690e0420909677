#include <gtest/gtest.h>

#include <cmath>

#include "math/cVector3.h"

namespace {

void ExpectVector(const cVector3& actual, float x, float y, float z)
{
    EXPECT_EQ(actual.x, x);
    EXPECT_EQ(actual.y, y);
    EXPECT_EQ(actual.z, z);
}

} // namespace

TEST(cVector3Test, ComponentsAreContiguousAndIndexable)
{
    cVector3 v(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(&v[1], &v.x + 1);
    EXPECT_EQ(&v[2], &v.x + 2);
    v[2] = 7.0f;
    EXPECT_EQ(v.z, 7.0f);
    const cVector3& constant = v;
    EXPECT_EQ(constant[0], 1.0f);
}

TEST(cVector3Test, ArithmeticOperatorsWorkComponentWise)
{
    const cVector3 a(1.0f, -2.0f, 3.5f), b(0.5f, 4.0f, -1.0f);
    ExpectVector(a + b, 1.5f, 2.0f, 2.5f);
    ExpectVector(a - b, 0.5f, -6.0f, 4.5f);
    ExpectVector(a * 2.0f, 2.0f, -4.0f, 7.0f);
    ExpectVector(2.0f * a, 2.0f, -4.0f, 7.0f);

    cVector3 c = a;
    ExpectVector(c += b, 1.5f, 2.0f, 2.5f);
    ExpectVector(c -= b, 1.0f, -2.0f, 3.5f);
    ExpectVector(c *= -0.5f, -0.5f, 1.0f, -1.75f);
    ExpectVector(c, -0.5f, 1.0f, -1.75f);
    (c += b) *= 2.0f;   // the in-place operators return the vector itself
    ExpectVector(c, 0.0f, 10.0f, -5.5f);
}

TEST(cVector3Test, NegatingZeroGivesNegativeZeroThatEqualsZero)
{
    cVector3 zero;
    zero.Zero();
    cVector3 negated = -zero;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::signbit(negated[i])) << i;
        EXPECT_EQ(negated[i], 0.0f) << i;
    }
    ExpectVector(-cVector3(1.0f, -2.0f, 0.25f), -1.0f, 2.0f, -0.25f);
}

TEST(cVector3Test, LengthsAndDotProducts)
{
    const cVector3 v(2.0f, 3.0f, 6.0f);
    EXPECT_EQ(v.LengthSquared(), 49.0f);
    EXPECT_EQ(v.Length(), 7.0f);
    EXPECT_EQ(LengthVector3(v), 7.0f);
    EXPECT_EQ(LengthSquaredVector3(v), 49.0f);
    const cVector3 w(1.0f, -1.0f, 0.5f);
    EXPECT_EQ(v.Dot(w), 2.0f);
    EXPECT_EQ(DotVector3(v, w), 2.0f);
    EXPECT_EQ(cVector3(1.0f, 1.0f, 1.0f).Length(), std::sqrt(3.0f));
}

TEST(cVector3Test, NormalizeLeavesVectorsShorterThanTheThresholdAlone)
{
    struct sCase
    {
        cVector3 in;
        bool normalised;
    };
    const float threshold = 1e-7f;   // 1.0000000116860974e-07 as a double
    ASSERT_EQ(double(threshold), 1.0000000116860974e-07);
    const sCase cases[] = {
        {{5e-8f, 0.0f, 0.0f}, false},
        {{0.0f, std::nextafter(threshold, 0.0f), 0.0f}, false},
        {{0.0f, 0.0f, 0.0f}, false},
        {{0.0f, threshold, 0.0f}, true},
        {{0.0f, 0.0f, -2e-7f}, true},
        {{3.0f, 0.0f, 4.0f}, true},
    };
    for (const sCase& c : cases) {
        cVector3 v = c.in;
        v.Normalize();
        if (c.normalised) {
            float length = c.in.Length();
            ExpectVector(v, c.in.x / length, c.in.y / length, c.in.z / length);
            EXPECT_NEAR(v.Length(), 1.0f, 1e-6f);
        } else {
            ExpectVector(v, c.in.x, c.in.y, c.in.z);
        }
    }
}

TEST(cVector3Test, NormalizeVector3DividesByTheLengthAndMayWriteItsInput)
{
    cVector3 out(9.0f, 9.0f, 9.0f);
    NormalizeVector3(cVector3(3.0f, 0.0f, 4.0f), out);
    ExpectVector(out, 0.6f, 0.0f, 0.8f);

    cVector3 tiny(5e-8f, 0.0f, 0.0f);   // no threshold here
    NormalizeVector3(tiny, tiny);
    ExpectVector(tiny, 1.0f, 0.0f, 0.0f);
}

TEST(cVector3Test, CrossProductIsRightHandedAndSafeWhenOutIsAnInput)
{
    const cVector3 x(1.0f, 0.0f, 0.0f), y(0.0f, 1.0f, 0.0f);
    ExpectVector(CrossVector3(x, y), 0.0f, 0.0f, 1.0f);
    ExpectVector(CrossVector3(y, x), 0.0f, 0.0f, -1.0f);

    const cVector3 a(1.0f, 2.0f, 3.0f), b(-4.0f, 5.0f, 0.5f);
    const float ex = 2.0f * 0.5f - 3.0f * 5.0f, ey = 3.0f * -4.0f - 1.0f * 0.5f, ez = 1.0f * 5.0f - 2.0f * -4.0f;
    ExpectVector(CrossVector3(a, b), ex, ey, ez);

    cVector3 out = a;
    CrossVector3(out, b, out);
    ExpectVector(out, ex, ey, ez);
    out = b;
    CrossVector3(a, out, out);
    ExpectVector(out, ex, ey, ez);
    out = a;
    CrossVector3(out, out, out);
    ExpectVector(out, 0.0f, 0.0f, 0.0f);
}
