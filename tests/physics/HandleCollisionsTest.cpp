#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

#include "physics/CollisionModel.h"
#include "physics/RoomGenerator.h"

namespace {

// Models are loaded from OBJ files written into a temporary folder of the test's own.
class HandleCollisionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Dir = std::filesystem::temp_directory_path() /
                ("bw_collision_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_Dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_Dir); }

    cModel* Load(const roomgen::sMesh& mesh)
    {
        std::string path = (m_Dir / ("model" + std::to_string(m_Models.size()) + ".obj")).string();
        m_Models.push_back(roomgen::LoadMesh(mesh, path));
        return m_Models.back().get();
    }

    std::filesystem::path m_Dir;
    std::vector<std::unique_ptr<cModel>> m_Models;
};

bool SameBits(const cVector3& a, const cVector3& b) { return std::memcmp(&a, &b, sizeof(cVector3)) == 0; }

std::string Show(const cVector3& v)
{
    char text[96];
    std::snprintf(text, sizeof(text), "(%.9g, %.9g, %.9g)", v.x, v.y, v.z);
    return text;
}

} // namespace

TEST_F(HandleCollisionsTest, AFreeMoveArrivesAndAMoverWithoutSizeStays)
{
    CollisionModel mover{Load(roomgen::MakeBox(1, 2, 1)), {0, 0, 0}};
    CollisionModel room{Load(roomgen::MakeBox(1, 1, 1)), {100, 0, 0}};
    cVector3 result = HandleCollisions(mover, {0.5f, 0.25f, -0.75f}, room, {});
    EXPECT_FLOAT_EQ(result.x, 0.5f);
    EXPECT_FLOAT_EQ(result.y, 0.25f);
    EXPECT_FLOAT_EQ(result.z, -0.75f);
    CollisionModel flat{Load(roomgen::MakeBox(1, 0, 1)), {1, 2, 3}};
    EXPECT_TRUE(SameBits(HandleCollisions(flat, {5, 2, 3}, room, {}), flat.position));
    EXPECT_FALSE(HasEllipsoidSize(*flat.model));
}

TEST_F(HandleCollisionsTest, ABoxWithoutRotationIsAxisAlignedAndCentredOnItsPosition)
{
    CollisionModel object{Load(roomgen::MakeBox(2, 4, 6)), {10, 20, 30}, {0, 1, 0}, 0};
    std::vector<CollisionTriangle> list(14);
    TriangulateObjectBoundingBox(object, list, 2);
    for (int i = 2; i < 14; ++i) {
        cVector3 middle{-30, -60, -90};   // three times the centre, taken off the corners' sum
        for (const cVector3& corner : {list[i].p1, list[i].p2, list[i].p3}) {
            EXPECT_TRUE(std::fabs(corner.x - 10) == 1 && std::fabs(corner.y - 20) == 2 && std::fabs(corner.z - 30) == 3);
            middle = {middle.x + corner.x, middle.y + corner.y, middle.z + corner.z};
        }
        const cVector3& n = list[i].normal;   // pointing out of the box
        EXPECT_GT(n.x * middle.x + n.y * middle.y + n.z * middle.z, 0.0f) << i;
    }
    EXPECT_GT(list[2].normal.y, 0.0f);    // the top first
    EXPECT_LT(list[12].normal.y, 0.0f);   // the bottom last
}

TEST_F(HandleCollisionsTest, OtherObjectsBlockWithTheirRotatedBoxes)
{
    cModel* floor = Load(roomgen::MakeRoom(3, 50));
    CollisionModel mover{Load(roomgen::MakeBox(1, 2, 1)), {0, 0, 0}};
    cModel* plank = Load(roomgen::MakeBox(0.5f, 2, 6));   // thin along x until turned
    CollisionModel room{floor};
    struct { float angle; float expectedStop; } cases[] = {{0, 5 - 0.25f - 0.5f}, {90, 5 - 3 - 0.5f}};
    for (auto& c : cases) {
        CollisionModel other{plank, {5, 1, 0}, {0, 1, 0}, c.angle};
        cVector3 result = HandleCollisions(mover, {8, 0, 0}, room, {other});
        EXPECT_NEAR(result.x, c.expectedStop, 0.05f) << c.angle;
        cVector3 reference = HandleCollisionsReference(mover, {8, 0, 0}, room, {other});
        EXPECT_TRUE(SameBits(result, reference)) << Show(result) << " " << Show(reference);
    }
}

TEST_F(HandleCollisionsTest, ARoomLoadedInPlaceOfAnotherIsNotMistakenForIt)
{
    CollisionModel mover{Load(roomgen::MakeBox(1, 2, 1)), {0, 0, 0}};
    auto wallAt = [&](float x) {
        roomgen::sMesh mesh;
        mesh.Quad({x, 0, -20}, {x, 0, 20}, {x, 4, 20}, {x, 4, -20});
        return roomgen::LoadMesh(mesh, (m_Dir / "wall.obj").string());
    };
    auto room = wallAt(5);
    EXPECT_NEAR(HandleCollisions(mover, {8, 0, 0}, {room.get()}, {}).x, 4.485f, 1e-3f);
    // Freed and loaded again: quite likely at the same address, with as many triangles.
    room.reset();
    room = wallAt(3);
    EXPECT_NEAR(HandleCollisions(mover, {8, 0, 0}, {room.get()}, {}).x, 2.485f, 1e-3f);
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
    int compared = 0, blocked = 0;
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
        for (int move = 0; move < MOVES; ++move) {
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
                room.position.y += 0.01f;   // the room moved: the cached triangles must follow

            cVector3 fast = HandleCollisions(mover, destination, room, others);
            cVector3 reference = HandleCollisionsReference(mover, destination, room, others);
            ASSERT_TRUE(SameBits(fast, reference))
                << "room " << r << " move " << move << ": fast " << Show(fast) << " reference " << Show(reference);
            ++compared;
            if (!SameBits(fast, destination))
                ++blocked;
            mover.position = fast;
            if (std::fabs(mover.position.x) > 14 || std::fabs(mover.position.z) > 14 || mover.position.y < -3)
                mover.position = {uniform(-10, 10), 4, uniform(-10, 10)};
        }
    }
    EXPECT_EQ(compared, ROOMS * MOVES);
    EXPECT_GT(blocked, compared / 2);   // the walk really meets the room, not thin air
}
