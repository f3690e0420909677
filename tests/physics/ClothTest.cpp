#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "physics/ClothReference.h"

namespace {

// Constants of a cloth that hangs from its two pinned corners.
void MakeCloth(cCloth& cloth, int numX, int numY, float width = 4.0f)
{
    cloth.Initialize(width, 4.0f, numX, numY, 0.1f, 500.0f, 0.5f, 300.0f, 0.3f, 100.0f, 0.1f);
}

bool SameBits(const cVector3& a, const cVector3& b) { return std::memcmp(&a, &b, sizeof(cVector3)) == 0; }

bool SameState(const cCloth& a, const cCloth& b)
{
    auto same = [](const cMass& m, const cMass& n) {
        return SameBits(m.GetPos(), n.GetPos()) && SameBits(m.GetVelocity(), n.GetVelocity());
    };
    return std::equal(a.GetMasses().begin(), a.GetMasses().end(), b.GetMasses().begin(), b.GetMasses().end(), same);
}

} // namespace

// Structural + shear + bend springs: (y-1)x + (x-1)y + (2x-2)(y-1) + (x-2)y + (y-2)x. An update
// runs the frame, capped at 0.2 s, as one to ten equal sub-steps of about 4 ms.
TEST(Cloth, GridsHaveTheirSpringsUpdateInCappedSubStepsAndLieFlatAfterAReset)
{
    struct { float width; int numX, numY; size_t springs; float dt; int steps; } cases[] = {
        {4, 2, 2, 6, 0.001f, 1}, {4, 4, 5, 77, 0.01f, 2}, {4, 4, 4, 58, 0.05f, 10}, {4, 64, 64, 23938, 0.5f, 10},
        {4, 1, 5, 0, 0.1f, 0}, {0, 5, 5, 0, 0.1f, 0}, {4, 300, 300, 0, 0.1f, 0}};
    for (auto& c : cases) {
        cCloth cloth(c.width, 4, c.numX, c.numY, 0.1f, 500, 0.5f, 300, 0.3f, 100, 0.1f);
        cCloth twin;
        MakeCloth(twin, c.numX, c.numY, c.width);
        EXPECT_EQ(cloth.GetSprings().size(), c.springs) << c.numX << "x" << c.numY;
        cloth.Update(c.dt);
        EXPECT_EQ(cloth.GetSubStepsOfLastUpdate(), c.steps) << c.dt;
        for (int i = 0; i < c.steps; ++i)
            TimestepReference(twin, std::fmin(c.dt, 0.2f) / float(c.steps));
        EXPECT_TRUE(SameState(cloth, twin)) << c.dt;
        cloth.SetAllMassesImmovable(true);   // nothing moves, and with a bad grid nothing is touched
        for (auto setCorner : {&cCloth::SetCorner1, &cCloth::SetCorner2, &cCloth::SetCorner3, &cCloth::SetCorner4})
            (cloth.*setCorner)(true);
        const std::vector<cMass> before = cloth.GetMasses();
        cloth.Update(0.1f);
        for (size_t i = 0; i < before.size(); ++i)
            ASSERT_TRUE(SameBits(cloth.GetMasses()[i].GetPos(), before[i].GetPos())) << i;
        if (c.springs) {
            // Neighbours of the first corner: right, then the next row.
            EXPECT_EQ(cloth.GetMasses()[0].GetAdjacentMass(1), &cloth.GetMasses()[size_t(c.numX)]);
            EXPECT_EQ(cloth.GetMasses()[0].GetAdjacentMass(2), nullptr);
            // Laid flat again, it faces up along its edges and at its corners too: none is lit from behind.
            cloth.Reset();
            cloth.GetMesh()->CalculateNormals();
            for (const cVector3& normal : cloth.GetMesh()->m_Normals)
                ASSERT_EQ(normal.y, 1.0f) << c.numX << "x" << c.numY;
        }
        cloth.Free();
        EXPECT_TRUE(cloth.GetMasses().empty());
        cloth.Update(0.1f);   // nothing left to move
    }
}

// The vector step, eight and four lanes wide, against the pointer-linked one: a breeze, a push, a
// weightless mass (clamped, never NaN) and both integration methods.
TEST(Cloth, TheFastTimestepMatchesThePointerLinkedOneBitForBit)
{
    for (int run = 0; run < 4; ++run) {
        const uint8_t method = run % 2 ? 0 : 1;
        const bool wide = run < 2;
        cCloth fast, reference;
        for (cCloth* cloth : {&fast, &reference}) {
            MakeCloth(*cloth, 32, 24);
            cloth->SetMethod(method);
            cloth->SetExternalForce(true, {0.3f, 0, -0.7f});
            cloth->GetMasses()[17].SetMass(0);
        }
        for (int step = 0; step < 1000; ++step) {
            if (step == 500) {
                fast.AddForce({0, 20, 0});
                reference.AddForce({0, 20, 0});
            }
            fast.Timestep(0.004f, wide);
            TimestepReference(reference, 0.004f);
        }
        EXPECT_TRUE(SameState(fast, reference)) << "method " << int(method) << (wide ? ", wide" : ", narrow");
        EXPECT_GT(std::fabs(fast.GetMasses()[300].GetVelocity().y), 0.0f);
        EXPECT_TRUE(fast.GetMasses()[17].GetVelocity().IsFinite());
    }
}
