#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "physics/CollisionReference.h"
#include "physics/RoomGenerator.h"
#include "physics/cCollisionRoom.h"
#include "support/EngineFixture.h"

namespace {

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
            << "fast " << Show(fast) << " reference " << Show(reference);
        return fast;
    }

    static std::string Show(const cVector3& v)
    {
        char text[96];
        std::snprintf(text, sizeof(text), "(%.9g, %.9g, %.9g)", v.x, v.y, v.z);
        return text;
    }

    std::vector<std::unique_ptr<cModel>> m_Models;
    cCollisionRoom m_Prepared;
};

} // namespace

TEST_F(HandleCollisionsTest, MoversWithoutSizeStayAndOtherObjectsBlockWithTheirRotatedBoxes)
{
    CollisionModel mover{Load(roomgen::MakeBox(1, 2, 1)), {0, 0, 0}};
    CollisionModel flat{Load(roomgen::MakeBox(1, 0, 1)), {1, 2, 3}};
    CollisionModel room{Load(roomgen::MakeRoom(3, 50))};
    EXPECT_EQ(Sweep(flat, {5, 2, 3}, room).x, 1.0f);
    cModel* plank = Load(roomgen::MakeBox(0.5f, 2, 6));   // thin along x until turned
    struct { float angle; float expectedStop; } cases[] = {{0, 5 - 0.25f - 0.5f}, {90, 5 - 3 - 0.5f}};
    for (auto& c : cases)
        EXPECT_NEAR(Sweep(mover, {8, 0, 0}, room, {{plank, {5, 1, 0}, {0, 1, 0}, c.angle}}).x, c.expectedStop, 0.05f);
    // Boxes face outwards: the top first, the bottom last.
    std::vector<CollisionTriangle> box;
    TriangulateObjectBoundingBox({plank, {10, 20, 30}, {0, 1, 0}, 0}, box, 0);
    EXPECT_TRUE(box[0].normal.y > 0 && box[0].p1.y == 21.0f);
    EXPECT_TRUE(box[11].normal.y < 0 && box[11].p1.y == 19.0f);
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
