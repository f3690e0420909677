#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "physics/CollisionReference.h"

// The sweep's rules, shown on the reference sweep through hand-made triangles; the engine's sweep
// gives the reference's results bit for bit (HandleCollisionsTest).
namespace {

CollisionTriangle Tri(cVector3 a, cVector3 b, cVector3 c)
{
    cVector3 n = CrossVector3(b - a, c - a);
    n.Normalize();
    return {a, b, c, n};
}

// Two triangles covering a square; corners counter-clockwise seen from the front.
std::vector<CollisionTriangle> Quad(cVector3 a, cVector3 b, cVector3 c, cVector3 d) { return {Tri(a, b, c), Tri(a, c, d)}; }

const std::vector<CollisionTriangle> FLOOR = Quad({-50, 0, 50}, {50, 0, 50}, {50, 0, -50}, {-50, 0, -50});
const std::vector<CollisionTriangle> WALL_AT_X5 = Quad({5, -50, -50}, {5, -50, 50}, {5, 50, 50}, {5, 50, -50});

} // namespace

TEST(CollisionGeometry, MovesStopBeforeContactsAndSlideAlongWalls)
{
    auto ramp = [](float degrees) {
        float rise = std::tan(degrees * float(M_PI) / 180.0f) * 40.0f;
        return Quad({3, 0, 20}, {43, rise, 20}, {43, rise, -20}, {3, 0, -20});
    };
    struct { const char* what; cVector3 start, destination; std::vector<CollisionTriangle> triangles;
             cVector3 lo, hi; } cases[] = {
        {"shorter than the gap: dropped", {0, 10, 0}, {0.029f, 10, 0}, FLOOR, {0, 10, 0}, {0, 10, 0}},
        {"just longer", {0, 10, 0}, {0.031f, 10, 0}, FLOOR, {0.031f, 10, 0}, {0.031f, 10, 0}},
        {"along a wall: slides", {0, 0, 0}, {10, 0, 10}, WALL_AT_X5, {3.8f, 0, 9.5f}, {3.98f, 0, 10}},
        {"falling: no sliding", {0.5f, 5, 0}, {0.6f, -5, 0}, FLOOR, {0.5f, 1.029f, 0}, {0.6f, 1.031f, 0}},
        {"a 20 degree ramp is climbed", {0, 1.01f, 0}, {6, 1.01f, 0.5f}, ramp(20), {4, 1.5f, 0}, {6, 4, 0.5f}},
        {"a 45 degree ramp too", {0, 1.01f, 0}, {6, 1.01f, 0.5f}, ramp(45), {4, 1.5f, 0}, {6, 6, 0.5f}},
        {"a 70 degree one is a wall", {0, 1.01f, 0}, {6, 1.01f, 0.5f}, ramp(70), {0, 1.01f, 0.001f}, {4, 1.01f, 2}},
        {"a corner pointing at the sphere", {0, 0, 0}, {5, 0, 0}, {Tri({2, 0, 0}, {4, 0, 1}, {4, 0, -1})},
         {0.969f, 0, 0}, {0.971f, 0, 0}},
        {"an edge passed at 0.5", {0, 0, -0.5f}, {5, 0, -0.5f}, {Tri({3, -1, -1}, {3, 1, -1}, {3, 0, -3})},
         {2, -1, -3}, {3, 1, 3}},
    };
    for (auto& c : cases) {
        cVector3 result = DetectCollisions(c.start, c.destination, c.triangles);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GE(result[axis], c.lo[axis]) << c.what << " axis " << axis;
            EXPECT_LE(result[axis], c.hi[axis]) << c.what << " axis " << axis;
        }
    }
}

TEST(CollisionGeometry, TiesDegenerateTrianglesAndEndlessSlidingAreHandled)
{
    // A notch mirrored in z: both walls are touched at exactly the same distance, and each slides
    // the sphere towards the other side; the first in the list wins.
    CollisionTriangle left = Tri({10, -20, 0}, {10, 20, 0}, {0, 0, 10});
    CollisionTriangle right = Tri({10, -20, 0}, {0, 0, -10}, {10, 20, 0});
    cVector3 leftFirst = DetectCollisions({0, 0, 0}, {9, 0, 0}, {left, right});
    cVector3 rightFirst = DetectCollisions({0, 0, 0}, {9, 0, 0}, {right, left});
    EXPECT_NE(leftFirst.z, 0.0f);
    EXPECT_EQ(leftFirst.z, -rightFirst.z);

    std::vector<std::vector<CollisionTriangle>> degenerate = {
        {{{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 0, 0}}},                 // a point
        {{{1, -1, 0}, {1, 1, 0}, {1, 1, 0}, {0, 0, 0}}},                // a segment across the way
        {{{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {NAN, NAN, NAN}}},           // a non-finite normal
        {Tri({0.5f, -2, -2}, {0.5f, 2, 0}, {0.5f, -2, 2})},             // the centre in the plane
        Quad({-50, 1.5f, -50}, {50, 1.5f, -50}, {50, 1.5f, 50}, {-50, 1.5f, 50}),   // a ceiling hit head-on
    };
    for (const auto& triangles : degenerate)
        EXPECT_TRUE(DetectCollisions({0, 0, 0}, {4, 0.3f, 0.2f}, triangles).IsFinite());
    EXPECT_EQ(ClosestPointOnLine({1, 1, 1}, {1, 1, 1}, {5, 5, 5}).x, 1.0f);   // a zero-length segment
    // Equally near to ab and ac: ab is taken only when strictly nearer, so ac wins.
    EXPECT_EQ(ClosestPointOnTriangle({0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {-1, -1, 0}).x, 0.0f);
    EXPECT_EQ(ClassifyPoint({0, 1e-9f, 0}, {0, 0, 0}, {0, 1, 0}), 2);   // within the plane's thickness
    EXPECT_FALSE(PointInTriangle({0, 0, 0}, Tri({0, 0, 0}, {1, 0, 0}, {0, 0, 1})));   // on a corner: outside

    // A narrow funnel keeps the sphere sliding from wall to wall until the level limit.
    std::vector<CollisionTriangle> walls;
    for (int i = 0; i < 20; ++i) {
        float x = 2.0f + i * 0.3f;
        for (const CollisionTriangle& t : Quad({x, -5, -5}, {x, -5, 5}, {x, 5, 5}, {x, 5, -5}))
            walls.push_back(t);
    }
    int levels = 0;
    DetectCollisions({0, 0, 0}, {10, 0, 0.5f}, walls, &levels);
    EXPECT_LE(levels, MAX_SWEEP_LEVELS + 1);
}
