#include <gtest/gtest.h>

#include "math/cVector2.h"

TEST(cVector2Test, ArithmeticOperatorsWorkComponentWise)
{
    const cVector2 a(1.5f, -2.0f), b(0.5f, 4.0f);
    cVector2 sum = a + b, difference = a - b, scaled = a * 3.0f;
    EXPECT_EQ(sum.x, 2.0f);
    EXPECT_EQ(sum.y, 2.0f);
    EXPECT_EQ(difference.x, 1.0f);
    EXPECT_EQ(difference.y, -6.0f);
    EXPECT_EQ(scaled.x, 4.5f);
    EXPECT_EQ(scaled.y, -6.0f);

    cVector2 c = a;
    ((c += b) -= cVector2(1.0f, 1.0f)) *= 0.5f;   // the in-place operators return the vector itself
    EXPECT_EQ(c.x, 0.5f);
    EXPECT_EQ(c.y, 0.5f);
    EXPECT_EQ(a.x, 1.5f);   // the operands are untouched
    EXPECT_EQ(b.y, 4.0f);
}
