#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iomanip>
#include <random>

#include "physics/CollisionReference.h"
#include "physics/RoomGenerator.h"
#include "physics/cCollisionRoom.h"
#include "support/EngineFixture.h"

namespace {

CollisionTriangle Tri(cVector3 a, cVector3 b, cVector3 c)
{
    cVector3 n = CrossVector3(b - a, c - a);
    n.Normalize();
    return {a, b, c, n};
}

// Two triangles covering a square; corners counter-clockwise seen from the front.
std::vector<CollisionTriangle> Quad(cVector3 a, cVector3 b, cVector3 c, cVector3 d) { return {Tri(a, b, c), Tri(a, c, d)}; }

// Models are loaded from OBJ files written into the test's own working folder.
class HandleCollisionsTest : public ScriptPackageTest
{
protected:
    cModel* Load(const roomgen::sMesh& mesh)
    {
        m_Models.push_back(roomgen::LoadMesh(mesh, "model" + std::to_string(m_Models.size()) + ".obj"));
        return m_Models.back().get();
    }

    // The engine's sweep, checked against the reference bit for bit.
    cVector3 Sweep(const CollisionModel& mover, const cVector3& destination, const CollisionModel& room,
                   const std::vector<CollisionModel>& others = {})
    {
        cVector3 fast = HandleCollisions(mover, destination, room, others, m_Prepared);
        cVector3 reference = HandleCollisionsReference(mover, destination, room, others);
        EXPECT_EQ(std::memcmp(&fast, &reference, sizeof(fast)), 0)
            << std::setprecision(9) << "fast " << fast.x << ' ' << fast.y << ' ' << fast.z << ", reference "
            << reference.x << ' ' << reference.y << ' ' << reference.z;
        return fast;
    }

    std::vector<std::unique_ptr<cModel>> m_Models;
    cCollisionRoom m_Prepared;
};

} // namespace

// The sweep's rules, shown on the reference sweep through hand-made triangles; the engine's sweep
// gives the reference's results bit for bit (below).
TEST(CollisionGeometry, MovesStopShortSlideAlongWallsClimbGentleRampsAndStayFinite)
{
    const auto floor = Quad({-50, 0, 50}, {50, 0, 50}, {50, 0, -50}, {-50, 0, -50});
    auto ramp = [](float degrees) {
        float rise = std::tan(degrees * float(M_PI) / 180.0f) * 40.0f;
        return Quad({3, 0, 20}, {43, rise, 20}, {43, rise, -20}, {3, 0, -20});
    };
    struct { const char* what; cVector3 start, destination; std::vector<CollisionTriangle> triangles;
             cVector3 lo, hi; } cases[] = {
        {"shorter than the gap: dropped", {0, 10, 0}, {0.029f, 10, 0}, floor, {0, 10, 0}, {0, 10, 0}},
        {"along a wall: slides", {0, 0, 0}, {10, 0, 10}, Quad({5, -50, -50}, {5, -50, 50}, {5, 50, 50}, {5, 50, -50}),
         {3.8f, 0, 9.5f}, {3.98f, 0, 10}},
        {"falling: no sliding", {0.5f, 5, 0}, {0.6f, -5, 0}, floor, {0.5f, 1.029f, 0}, {0.6f, 1.031f, 0}},
        {"a 45 degree ramp is climbed", {0, 1.01f, 0}, {6, 1.01f, 0.5f}, ramp(45), {4, 1.5f, 0}, {6, 6, 0.5f}},
        {"a 70 degree one is a wall", {0, 1.01f, 0}, {6, 1.01f, 0.5f}, ramp(70), {0, 1.01f, 0.001f}, {4, 1.01f, 2}},
    };
    for (auto& c : cases) {
        cVector3 result = DetectCollisions(c.start, c.destination, c.triangles);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GE(result[axis], c.lo[axis]) << c.what << " axis " << axis;
            EXPECT_LE(result[axis], c.hi[axis]) << c.what << " axis " << axis;
        }
    }
    // Degenerate triangles, and contacts that leave no plane to slide on, give finite positions.
    std::vector<std::vector<CollisionTriangle>> degenerate = {
        {{{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 0, 0}}},                 // a point
        {{{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {NAN, NAN, NAN}}},           // a non-finite normal
        {Tri({0.5f, -2, -2}, {0.5f, 2, 0}, {0.5f, -2, 2})},             // the centre in the plane
        Quad({-50, 1.5f, -50}, {50, 1.5f, -50}, {50, 1.5f, 50}, {-50, 1.5f, 50}),   // a ceiling hit head-on
    };
    for (const auto& triangles : degenerate)
        EXPECT_TRUE(DetectCollisions({0, 0, 0}, {4, 0.3f, 0.2f}, triangles).IsFinite());
}

// The prepared room follows every change of the room's geometry, however the cached one was made:
// a wall moved in place keeps the room's address and its number of triangles.
TEST_F(HandleCollisionsTest, TheSweepFollowsTheRoomsGeometryWhenItChanges)
{
    CollisionModel mover{Load(roomgen::MakeBox(1, 2, 1)), {0, 0, 0}};
    auto roomWithWallAt = [&](float x) {
        roomgen::sMesh mesh;
        for (int i = 0; i < 20; ++i) {
            float z = float(i) * 4 - 40;
            if (i == 4)   // neither the first nor the last triangle, nor one a sample would see
                mesh.Quad({x, 0, -20}, {x, 0, 20}, {x, 4, 20}, {x, 4, -20});
            else
                mesh.Quad({-20, 0, z + 4}, {20, 0, z + 4}, {20, 0, z}, {-20, 0, z});
        }
        return roomgen::LoadMesh(mesh, "room.obj");
    };
    std::unique_ptr<cModel> room = roomWithWallAt(5);
    EXPECT_NEAR(Sweep(mover, {8, 0, 0}, {room.get()}).x, 4.485f, 1e-3f);
    *room = *roomWithWallAt(3);   // the same model, other triangles
    EXPECT_NEAR(Sweep(mover, {8, 0, 0}, {room.get()}).x, 2.485f, 1e-3f);
    room->AddFrame("room.obj");
    room->CalcExtraData();   // appends the frame's triangles: the same wall again
    EXPECT_NEAR(Sweep(mover, {8, 0, 0}, {room.get()}).x, 2.485f, 1e-3f);
    const int builds = m_Prepared.GetRoomBuilds();
    Sweep(mover, {-8, 0, 0}, {room.get()});
    EXPECT_EQ(m_Prepared.GetRoomBuilds(), builds);   // unchanged: kept
    EXPECT_EQ(builds, 3);
}

// Thousands of moves of a scripted walk with gravity through generated rooms with steps, ramps,
// thin walls and other objects: the fast sweep must give bitwise the reference's positions.
TEST_F(HandleCollisionsTest, TheFastSweepMatchesTheReferenceBitForBit)
{
    constexpr int ROOMS = 6, MOVES = 700;
    std::mt19937 random(20261206);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    cModel* movers[2] = {Load(roomgen::MakeBox(1, 2, 1)), Load(roomgen::MakeBox(0.6f, 1.2f, 1.4f))};
    cModel* crate = Load(roomgen::MakeBox(1.5f, 1.5f, 1.5f));
    cModel* post = Load(roomgen::MakeBox(0.3f, 3, 0.3f));
    int blocked = 0;
    for (int r = 0; r < ROOMS; ++r) {
        CollisionModel room{Load(roomgen::MakeRoom(100 + r, 1500, 30))};
        if (r % 2) {
            room.position = {uniform(-2, 2), uniform(-1, 1), uniform(-2, 2)};
            room.rotAxis = {uniform(-1, 1), 1, uniform(-1, 1)};
            room.rotAngle = uniform(-10, 10);
        }
        std::vector<CollisionModel> others;
        for (int k = 0; k < 5; ++k)
            others.push_back({k % 2 ? crate : post, {uniform(-12, 12), 0.75f, uniform(-12, 12)},
                              {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)}, uniform(0, 360)});
        CollisionModel mover{movers[r % 2], {0, 1, 0}};
        cVector3 heading{1, 0, 0};
        for (int move = 0; move < MOVES && !HasFailure(); ++move) {
            if (random() % 10 == 0)
                heading = {uniform(-1, 1), 0, uniform(-1, 1)};
            float speed = (random() % 20 == 0) ? uniform(0, 0.02f) : uniform(0.05f, 0.6f);
            cVector3 destination{mover.position.x + heading.x * speed, mover.position.y - 0.2f,
                                 mover.position.z + heading.z * speed};
            if (random() % 25 == 0)
                destination.y += uniform(0.5f, 3);   // a jump
            if (random() % 30 == 0)
                destination = {mover.position.x, mover.position.y - uniform(0.5f, 4), mover.position.z};
            if (random() % 50 == 0)
                others[random() % 5].position = {uniform(-12, 12), 0.75f, uniform(-12, 12)};
            if (random() % 200 == 0)
                room.position.y += 0.01f;   // the room moved: the prepared triangles must follow
            cVector3 result = Sweep(mover, destination, room, others);
            blocked += std::memcmp(&result, &destination, sizeof(result)) != 0;
            mover.position = result;
            if (std::fabs(mover.position.x) > 14 || std::fabs(mover.position.z) > 14 || mover.position.y < -3)
                mover.position = {uniform(-10, 10), 4, uniform(-10, 10)};
        }
    }
    EXPECT_GT(blocked, ROOMS * MOVES / 2);   // the walk really meets the room, not thin air
}
