#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "physics/CollisionModel.h"

namespace {

CollisionTriangle Tri(cVector3 a, cVector3 b, cVector3 c)
{
    cVector3 u{b.x - a.x, b.y - a.y, b.z - a.z}, w{c.x - a.x, c.y - a.y, c.z - a.z};
    cVector3 n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
    float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    return {a, b, c, {n.x / length, n.y / length, n.z / length}};
}

// Two triangles covering a large square; corners counter-clockwise seen from the front.
void AddQuad(std::vector<CollisionTriangle>& list, cVector3 a, cVector3 b, cVector3 c, cVector3 d)
{
    list.push_back(Tri(a, b, c));
    list.push_back(Tri(a, c, d));
}

std::vector<CollisionTriangle> Quad(cVector3 a, cVector3 b, cVector3 c, cVector3 d)
{
    std::vector<CollisionTriangle> list;
    AddQuad(list, a, b, c, d);
    return list;
}

std::vector<CollisionTriangle> Floor() { return Quad({-50, 0, 50}, {50, 0, 50}, {50, 0, -50}, {-50, 0, -50}); }
std::vector<CollisionTriangle> WallAtX5() { return Quad({5, -50, -50}, {5, -50, 50}, {5, 50, 50}, {5, 50, -50}); }

cVector3 Sweep(cVector3 start, cVector3 destination, const std::vector<CollisionTriangle>& triangles)
{
    ResetCollisionLevels();
    return DetectCollisions(start, destination, triangles);
}

bool Finite(const cVector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

} // namespace

TEST(CollisionGeometry, FreeMovesArriveAndMovesShorterThanTheContactGapAreDropped)
{
    struct { cVector3 destination; bool moves; } cases[] = {
        {{3, 10, 4}, true}, {{0.029f, 10, 0}, false}, {{0.0f, 10, -0.02f}, false}, {{0.031f, 10, 0}, true}};
    for (auto& c : cases) {
        cVector3 result = Sweep({0, 10, 0}, c.destination, Floor());
        EXPECT_EQ(result.x == c.destination.x && result.z == c.destination.z, c.moves) << c.destination.x;
        EXPECT_EQ(result.x == 0.0f && result.z == 0.0f, !c.moves);
        EXPECT_EQ(result.y, 10.0f);
        EXPECT_EQ(GetCollisionLevels(), 1);
    }
}

TEST(CollisionGeometry, WalkingIntoAWallStopsTheContactGapBeforeItAndSlides)
{
    cVector3 straight = Sweep({0, 0, 0}, {10, 0, 0}, WallAtX5());
    EXPECT_FLOAT_EQ(straight.x, 4.0f - 0.03f);   // the sphere's surface stops 0.03 before x = 5
    EXPECT_EQ(straight.z, 0.0f);

    cVector3 diagonal = Sweep({0, 0, 0}, {10, 0, 10}, WallAtX5());
    // The gap is kept along the move, so the sliding plane tilts a little away from the wall.
    EXPECT_GT(diagonal.x, 3.8f);
    EXPECT_LT(diagonal.x, 3.98f);
    EXPECT_GT(diagonal.z, 9.5f);   // the blocked part of the move became sliding along z
    EXPECT_EQ(diagonal.y, 0.0f);
}

TEST(CollisionGeometry, GentleRampsAreClimbedAndSteepOnesActAsWalls)
{
    struct { float slopeDegrees; bool climbs; } cases[] = {{20, true}, {45, true}, {70, false}};
    for (auto& c : cases) {
        // A ramp rising along +x from x = 3; its normal's y is cos(slope).
        float rise = std::tan(c.slopeDegrees * float(M_PI) / 180.0f) * 40.0f;
        cVector3 result = Sweep({0, 1.01f, 0}, {6, 1.01f, 0.5f}, Quad({3, 0, 20}, {43, rise, 20}, {43, rise, -20}, {3, 0, -20}));
        ASSERT_TRUE(Finite(result));
        if (c.climbs) {
            EXPECT_GT(result.y, 1.5f) << c.slopeDegrees;
            EXPECT_GT(result.x, 4.0f) << c.slopeDegrees;
        } else {
            EXPECT_EQ(result.y, 1.01f) << c.slopeDegrees;   // slid sideways at the same height
            EXPECT_GT(result.z, 0.0f);
        }
    }
}

TEST(CollisionGeometry, AVerticalFallStopsAboveTheFloorWithoutSliding)
{
    cVector3 result = Sweep({0.5f, 5, 0}, {0.6f, -5, 0}, Floor());
    EXPECT_NEAR(result.y, 1.03f, 1e-3f);
    EXPECT_LT(result.x, 0.6f);   // only the way to the contact, nothing slid along the floor
    EXPECT_EQ(GetCollisionLevels(), 1);
}

TEST(CollisionGeometry, OfTwoContactsAtTheSameDistanceTheFirstInTheListWins)
{
    // A notch mirrored in z: both walls are touched at exactly the same distance, and each slides
    // the sphere towards the other side.
    CollisionTriangle left = Tri({10, -20, 0}, {10, 20, 0}, {0, 0, 10});
    CollisionTriangle right = Tri({10, -20, 0}, {0, 0, -10}, {10, 20, 0});
    cVector3 leftFirst = Sweep({0, 0, 0}, {9, 0, 0}, {left, right});
    cVector3 rightFirst = Sweep({0, 0, 0}, {9, 0, 0}, {right, left});
    EXPECT_EQ(leftFirst.x, rightFirst.x);
    EXPECT_NE(leftFirst.z, 0.0f);
    EXPECT_EQ(leftFirst.z, -rightFirst.z);
}

TEST(CollisionGeometry, CornersAndEdgesStopTheSphereAtTheirDistance)
{
    // A small triangle whose corner (2, 0, 0) points at the sphere moving along +x.
    CollisionTriangle corner = Tri({2, 0, 0}, {4, 0, 1}, {4, 0, -1});
    cVector3 result = Sweep({0, 0, 0}, {5, 0, 0}, {corner});
    EXPECT_NEAR(result.x, 1.0f - 0.03f, 1e-4f);

    // An edge from (3, -1, -1) to (3, 1, -1) passed at a lateral distance of 0.5.
    CollisionTriangle edge = Tri({3, -1, -1}, {3, 1, -1}, {3, 0, -3});
    cVector3 past = Sweep({0, 0, -0.5f}, {5, 0, -0.5f}, {edge});
    EXPECT_LT(past.x, 3.0f);
    EXPECT_GT(past.x, 2.0f);
    EXPECT_TRUE(Finite(past));
}

TEST(CollisionGeometry, DegenerateInputNeverProducesNaN)
{
    std::vector<CollisionTriangle> cases = {
        {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 0, 0}},                     // a point
        {{1, -1, 0}, {1, 1, 0}, {1, 1, 0}, {0, 0, 0}},                    // a segment across the way
        {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {NAN, NAN, NAN}},               // a non-finite normal
        Tri({0.5f, -2, -2}, {0.5f, 2, 0}, {0.5f, -2, 2}),                 // the centre in the plane
    };
    for (const auto& triangle : cases) {
        cVector3 result = Sweep({0, 0, 0}, {4, 0.3f, 0.2f}, {triangle});
        EXPECT_TRUE(Finite(result));
    }
    // A ceiling hit head-on while moving sideways leaves no sliding plane.
    cVector3 result = Sweep({0, 0, 0}, {3, 1.0f, 0}, Quad({-50, 1.5f, -50}, {50, 1.5f, -50}, {50, 1.5f, 50}, {-50, 1.5f, 50}));
    EXPECT_TRUE(Finite(result));
    EXPECT_LE(result.y, 0.5f);
    cVector3 onSegment = ClosestPointOnLine({1, 1, 1}, {1, 1, 1}, {5, 5, 5});
    EXPECT_EQ(onSegment.x, 1.0f);
}

TEST(CollisionGeometry, TheClosestPointTieGoesToTheLaterEdgeAndCornersAreOutside)
{
    // Equally near to ab and ac: ab is taken only when strictly nearer, so ac wins.
    cVector3 tie = ClosestPointOnTriangle({0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {-1, -1, 0});
    EXPECT_EQ(tie.x, 0.0f);
    EXPECT_EQ(tie.y, 0.0f);
    EXPECT_EQ(ClassifyPoint({0, 1e-9f, 0}, {0, 0, 0}, {0, 1, 0}), 2);   // within the plane's thickness
    CollisionTriangle triangle = Tri({0, 0, 0}, {1, 0, 0}, {0, 0, 1});
    EXPECT_TRUE(PointInTriangle({0.2f, 0, 0.2f}, triangle));
    EXPECT_FALSE(PointInTriangle({0, 0, 0}, triangle));   // exactly on a corner
}

TEST(CollisionGeometry, TheSweepStopsAfterTenLevels)
{
    // A narrow funnel keeps the sphere sliding from wall to wall.
    std::vector<CollisionTriangle> walls;
    for (int i = 0; i < 20; ++i) {
        float x = 2.0f + i * 0.3f;
        AddQuad(walls, {x, -5, -5}, {x, -5, 5}, {x, 5, 5}, {x, 5, -5});
    }
    Sweep({0, 0, 0}, {10, 0, 0.5f}, walls);
    EXPECT_LE(GetCollisionLevels(), 11);
}
