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

TEST(cVector3Test, OperatorsWorkComponentWiseAndInPlace)
{
    const cVector3 a(1.0f, -2.0f, 3.5f), b(0.5f, 4.0f, -1.0f);
    ExpectVector(a - b, 0.5f, -6.0f, 4.5f);
    ExpectVector(2.0f * a, 2.0f, -4.0f, 7.0f);
    cVector3 c = a;
    ((c += b) -= cVector3(1, 1, 1)) *= 2.0f;
    ExpectVector(c, 1.0f, 2.0f, 3.0f);
    cVector3 zero;
    zero.Zero();
    EXPECT_TRUE(std::signbit((-zero).y));
    EXPECT_EQ(cVector3(2, 3, 6).Length(), 7.0f);
    EXPECT_EQ(DotVector3(cVector3(2, 3, 6), cVector3(1, -1, 0.5f)), 2.0f);

    cVector2 v(1.5f, -2.0f);
    ((v += cVector2(0.5f, 4.0f)) -= cVector2(1, 1)) *= 0.5f;
    EXPECT_EQ((v - cVector2(0.5f, 0.5f) + cVector2(1, 1) * 2.0f).x, 2.0f);
    EXPECT_EQ(v.y, 0.5f);
}

TEST(cVector3Test, NormalizeLeavesVectorsShorterThanTheThresholdAlone)
{
    const float threshold = 1e-7f;
    const struct { cVector3 in; bool normalised; } cases[] = {
        {{5e-8f, 0.0f, 0.0f}, false},
        {{0.0f, std::nextafter(threshold, 0.0f), 0.0f}, false},
        {{0.0f, 0.0f, 0.0f}, false},
        {{0.0f, threshold, 0.0f}, true},
        {{3.0f, 0.0f, 4.0f}, true},
    };
    for (const auto& c : cases) {
        cVector3 v = c.in;
        v.Normalize();
        const float length = c.normalised ? c.in.Length() : 1.0f;
        ExpectVector(v, c.in.x / length, c.in.y / length, c.in.z / length);
    }
    cVector3 tiny(5e-8f, 0.0f, 0.0f);   // the free function has no threshold
    NormalizeVector3(tiny, tiny);
    ExpectVector(tiny, 1.0f, 0.0f, 0.0f);
}

TEST(cVector3Test, CrossProductIsRightHandedAndSafeWhenOutIsAnInput)
{
    ExpectVector(CrossVector3(cVector3(1, 0, 0), cVector3(0, 1, 0)), 0.0f, 0.0f, 1.0f);
    const cVector3 a(1.0f, 2.0f, 3.0f), b(-4.0f, 5.0f, 0.5f);
    cVector3 out = a;
    CrossVector3(out, b, out);
    ExpectVector(out, -14.0f, -12.5f, 13.0f);
    out = b;
    CrossVector3(a, out, out);
    ExpectVector(out, -14.0f, -12.5f, 13.0f);
}
