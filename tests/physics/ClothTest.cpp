#include <gtest/gtest.h>

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
    for (size_t i = 0; i < a.GetMasses().size(); ++i)
        if (!SameBits(a.GetMasses()[i].GetPos(), b.GetMasses()[i].GetPos()) ||
            !SameBits(a.GetMasses()[i].GetVelocity(), b.GetMasses()[i].GetVelocity()))
            return false;
    return a.GetMasses().size() == b.GetMasses().size();
}

} // namespace

// Structural + shear + bend springs: (y-1)x + (x-1)y + (2x-2)(y-1) + (x-2)y + (y-2)x. An update
// runs the frame, capped at 0.2 s, as one to ten equal sub-steps of about 4 ms.
TEST(Cloth, GridsHaveTheirSpringsAndTrianglesAndUpdateInCappedSubSteps)
{
    struct { float width; int numX, numY; size_t springs; float dt; int steps; } cases[] = {
        {4, 2, 2, 6, 0.001f, 1}, {4, 4, 5, 77, 0.01f, 2}, {4, 4, 4, 58, 0.05f, 10}, {4, 64, 64, 23938, 0.5f, 10},
        {4, 1, 5, 0, 0.1f, 0}, {0, 5, 5, 0, 0.1f, 0}, {4, 300, 300, 0, 0.1f, 0}};
    for (auto& c : cases) {
        cCloth cloth(c.width, 4, c.numX, c.numY, 0.1f, 500, 0.5f, 300, 0.3f, 100, 0.1f);
        cCloth twin;
        MakeCloth(twin, c.numX, c.numY, c.width);
        EXPECT_EQ(cloth.GetSprings().size(), c.springs) << c.numX << "x" << c.numY;
        EXPECT_EQ(cloth.IsInitialized(), c.springs > 0);
        cloth.Update(c.dt);
        EXPECT_EQ(cloth.GetSubStepsOfLastUpdate(), c.steps) << c.dt;
        for (int i = 0; i < c.steps; ++i)
            TimestepReference(twin, std::fmin(c.dt, 0.2f) / float(c.steps));
        EXPECT_TRUE(SameState(cloth, twin)) << c.dt;
        EXPECT_NEAR(cloth.GetTimeAccumulator(), 0.0f, 1e-6f);
        cloth.SetAllMassesImmovable(true);   // nothing moves, and with a bad grid nothing is touched
        for (auto setCorner : {&cCloth::SetCorner1, &cCloth::SetCorner2, &cCloth::SetCorner3, &cCloth::SetCorner4})
            (cloth.*setCorner)(true);
        const std::vector<cMass> before = cloth.GetMasses();
        cloth.Update(0.1f);
        for (size_t i = 0; i < before.size(); ++i)
            ASSERT_TRUE(SameBits(cloth.GetMasses()[i].GetPos(), before[i].GetPos())) << i;
        if (c.springs) {
            EXPECT_EQ(cloth.GetMesh()->m_Triangles.size(), size_t((c.numY - 1) * (2 * c.numX - 2)));
            // Neighbours of the first corner: right, then the next row.
            EXPECT_EQ(cloth.GetMasses()[0].GetAdjacentMass(1), &cloth.GetMasses()[size_t(c.numX)]);
            EXPECT_EQ(cloth.GetMasses()[0].GetAdjacentMass(2), nullptr);
        }
    }
}

TEST(Cloth, EnergyStaysBoundedWhileTheClothSettlesAndResetLaysItFlatAgain)
{
    cCloth cloth;
    MakeCloth(cloth, 16, 16);
    cloth.Reset();
    auto energy = [&] {
        double kinetic = 0;
        for (const cMass& m : cloth.GetMasses())
            kinetic += 0.5 * m.GetMass() * m.GetVelocity().LengthSquared();
        return kinetic;
    };
    double peak = 0;
    for (int frame = 0; frame < 600; ++frame) {
        cloth.Update(1.0f / 60);
        peak = std::fmax(peak, energy());
    }
    // Falling 4 m from height 10 at most turns the cloth's potential energy into motion.
    EXPECT_LT(peak, 0.1 * 256 * 9.8 * 4.5);
    EXPECT_LT(energy(), peak / 4);   // it settles instead of ringing up
    cloth.Reset();
    EXPECT_EQ(cloth.GetMasses()[255].GetPos().y, 10.0f);
    EXPECT_EQ(cloth.GetMasses()[255].GetPos().x, 2.0f);
    cloth.GetMesh()->CalculateNormals();   // flat again: every normal up, edges and corners too
    for (const cVector3& normal : cloth.GetMesh()->m_Normals)
        ASSERT_EQ(normal.y, 1.0f);
    cloth.Free();
    EXPECT_TRUE(cloth.GetMasses().empty());
    cloth.Update(0.1f);   // nothing left to move
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
    }
}

TEST(Cloth, SpeedsAreClampedAlongTheirDirectionEvenWhenTooLargeToSquare)
{
    struct { float mass; cVector3 velocity, force, expected; } cases[] = {
        {0, {0, 0, 0}, {3, 4, 0}, {60, 80, 0}},           // weightless: the inverse mass overflows
        {1, {-3e20f, 4e20f, 0}, {0, 0, 0}, {-60, 80, 0}},   // too fast to square
    };
    for (auto& c : cases) {
        cMass mass(c.mass);
        mass.SetVelocity(c.velocity);
        mass.AddForce(c.force);
        mass.Update(0.004f, 1);
        EXPECT_NEAR(mass.GetVelocity().x, c.expected.x, 1e-3f);
        EXPECT_NEAR(mass.GetVelocity().y, c.expected.y, 1e-3f);
    }
}
