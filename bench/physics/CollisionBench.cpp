// HandleCollisions on a scripted walk with gravity through generated rooms with five other
// objects: the engine's whole sweep (every slide level) beside the brute-force reference. Then,
// move for move, one full first-level sweep of the engine (index query, ellipsoid test of every
// candidate, nearest contact) beside one convexSweepTest of Bullet's sphere against a
// btBvhTriangleMeshShape of the same room and boxes: the same question, where is the first contact.
#include <benchmark/benchmark.h>
#include <btBulletCollisionCommon.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>

#include "physics/CollisionReference.h"
#include "physics/RoomGenerator.h"
#include "physics/cCollisionRoom.h"
#include "physics/cTriangleBVH.h"

namespace {

struct sMove
{
    cVector3 start, destination, result;
    int levels;
};

struct sScene
{
    std::unique_ptr<cModel> roomModel, moverModel, crateModel;
    CollisionModel room, mover;
    std::vector<CollisionModel> others;
    std::vector<sMove> walk;
    int levels = 0;
    cCollisionRoom prepared;
};

constexpr int WALK_MOVES = 150;

std::filesystem::path ModelFolder()
{
    auto folder = std::filesystem::temp_directory_path() / ("bw_bench_physics_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

bool SameBits(const cVector3& a, const cVector3& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

// Builds the room and records the walk with the engine's sweep, then checks that the reference
// gives the same positions for every move.
sScene& Scene(size_t triangles)
{
    static std::map<size_t, std::unique_ptr<sScene>> scenes;
    auto& slot = scenes[triangles];
    if (slot)
        return *slot;
    slot = std::make_unique<sScene>();
    sScene& scene = *slot;
    auto folder = ModelFolder();
    scene.roomModel = roomgen::LoadMesh(roomgen::MakeRoom(42, triangles, 40), (folder / "room.obj").string());
    scene.moverModel = roomgen::LoadMesh(roomgen::MakeBox(1, 2, 1), (folder / "mover.obj").string());
    scene.crateModel = roomgen::LoadMesh(roomgen::MakeBox(1.2f, 1.2f, 1.2f), (folder / "crate.obj").string());
    std::filesystem::remove_all(folder);
    scene.room = {scene.roomModel.get()};
    std::mt19937 random(7);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    for (int k = 0; k < 5; ++k)
        scene.others.push_back({scene.crateModel.get(), {uniform(-8, 8), 0.6f, uniform(-8, 8)}, {0, 1, 0}, uniform(0, 90)});
    scene.mover = {scene.moverModel.get(), {0, 0.5f, 0}};
    cVector3 position = scene.mover.position, heading{1, 0, 0.3f};
    for (int move = 0; move < WALK_MOVES; ++move) {
        if (move % 15 == 0)
            heading = {uniform(-1, 1), 0, uniform(-1, 1)};
        cVector3 destination{position.x + heading.x * 0.4f, position.y - 0.25f, position.z + heading.z * 0.4f};
        CollisionModel mover = scene.mover;
        mover.position = position;
        int levels = 0;
        cVector3 result = HandleCollisions(mover, destination, scene.room, scene.others, scene.prepared, &levels);
        scene.walk.push_back({position, destination, result, levels});
        scene.levels += std::min(levels, MAX_SWEEP_LEVELS);
        position = result;
    }
    for (const sMove& move : scene.walk) {
        CollisionModel mover = scene.mover;
        mover.position = move.start;
        if (!SameBits(HandleCollisionsReference(mover, move.destination, scene.room, scene.others), move.result)) {
            std::fprintf(stderr, "the fast sweep and the reference differ\n");
            std::abort();
        }
    }
    return scene;
}

void RunWalk(benchmark::State& state, bool fast)
{
    sScene& scene = Scene(size_t(state.range(0)));
    CollisionModel mover = scene.mover;
    for (auto _ : state) {
        for (const sMove& move : scene.walk) {
            mover.position = move.start;
            cVector3 result = fast ? HandleCollisions(mover, move.destination, scene.room, scene.others, scene.prepared)
                                   : HandleCollisionsReference(mover, move.destination, scene.room, scene.others);
            benchmark::DoNotOptimize(result);
        }
    }
    state.counters["per_level"] = benchmark::Counter(double(scene.levels),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    state.counters["room_triangles"] = double(scene.roomModel->GetTriangleList().size());
}

void BM_HandleCollisions_engine(benchmark::State& state) { RunWalk(state, true); }
void BM_HandleCollisions_reference(benchmark::State& state) { RunWalk(state, false); }

cVector3 EllipsoidScale(const sScene& scene)
{
    return {2.0f / scene.moverModel->GetWidth(), 2.0f / scene.moverModel->GetHeight(),
            2.0f / scene.moverModel->GetLength()};
}

// Each move's start and destination in the mover's ellipsoid space, as the sweep takes them.
std::vector<std::pair<cVector3, cVector3>> EllipsoidMoves(const sScene& scene)
{
    const cVector3 scale = EllipsoidScale(scene);
    const float halfHeight = scene.moverModel->GetHeight() / 2;
    auto convert = [&](cVector3 p) { return cVector3{p.x * scale.x, (p.y + halfHeight) * scale.y, p.z * scale.z}; };
    std::vector<std::pair<cVector3, cVector3>> moves;
    for (const sMove& move : scene.walk)
        moves.push_back({convert(move.start), convert(move.destination)});
    return moves;
}

// The engine's first level of every move: the nearest contact of the whole move, found through an
// index over the room's and the boxes' triangles in ellipsoid space, with the engine's own reach.
void BM_FirstSweepLevel_engine(benchmark::State& state)
{
    sScene& scene = Scene(size_t(state.range(0)));
    const std::vector<CollisionTriangle> triangles = ReferenceTriangles(scene.room, scene.others, EllipsoidScale(scene));
    cTriangleBVH index;
    index.Build(triangles);
    const auto moves = EllipsoidMoves(scene);
    int hits = 0;
    for (auto _ : state) {
        for (const auto& [from, to] : moves) {
            const Ellipsoid ellipsoid{from, to};
            cVector3 d{to.x - from.x, to.y - from.y, to.z - from.z};
            float reach = (std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z) + 1.0f) * 1.001f + 0.01f;
            float nearest = 1e30f;
            index.Query(from, reach, [&](uint32_t i) {
                CollisionInfo info;
                if (CheckEllipsoidTriangleIntersection(ellipsoid, triangles[i], info) && info.distance < nearest)
                    nearest = info.distance;
            });
            hits += nearest < 1e30f;
        }
    }
    benchmark::DoNotOptimize(hits);
    state.counters["per_sweep"] = benchmark::Counter(double(moves.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

// The same room and boxes in Bullet, in the mover's ellipsoid space (the sphere has radius 1), and
// one convexSweepTest per move of the walk: the whole move, closest hit.
void BM_FirstSweepLevel_bullet(benchmark::State& state)
{
    sScene& scene = Scene(size_t(state.range(0)));
    const cVector3 scale = EllipsoidScale(scene);
    std::vector<CollisionTriangle> triangles;
    scene.roomModel->GetTriangles(triangles);
    btTriangleMesh mesh;
    auto toBullet = [&](const cVector3& p) { return btVector3(p.x * scale.x, p.y * scale.y, p.z * scale.z); };
    for (const CollisionTriangle& t : triangles)
        mesh.addTriangle(toBullet(t.p1), toBullet(t.p2), toBullet(t.p3));
    btBvhTriangleMeshShape roomShape(&mesh, true);
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher(&configuration);
    btDbvtBroadphase broadphase;
    btCollisionWorld world(&dispatcher, &broadphase, &configuration);
    btCollisionObject roomObject;
    roomObject.setCollisionShape(&roomShape);
    world.addCollisionObject(&roomObject);
    std::vector<std::unique_ptr<btBoxShape>> boxShapes;
    std::vector<std::unique_ptr<btCollisionObject>> boxes;
    for (const CollisionModel& other : scene.others) {
        btVector3 half(other.model->GetWidth() / 2 * scale.x, other.model->GetHeight() / 2 * scale.y,
                       other.model->GetLength() / 2 * scale.z);
        boxShapes.push_back(std::make_unique<btBoxShape>(half));
        boxes.push_back(std::make_unique<btCollisionObject>());
        btTransform transform;
        transform.setIdentity();
        transform.setOrigin(toBullet(other.position));
        transform.setRotation(btQuaternion(btVector3(0, 1, 0), other.rotAngle * SIMD_PI / 180));
        boxes.back()->setWorldTransform(transform);
        boxes.back()->setCollisionShape(boxShapes.back().get());
        world.addCollisionObject(boxes.back().get());
    }
    world.updateAabbs();
    btSphereShape sphere(1.0f);
    std::vector<std::pair<btVector3, btVector3>> sweeps;
    for (const auto& [from, to] : EllipsoidMoves(scene))
        sweeps.push_back({btVector3(from.x, from.y, from.z), btVector3(to.x, to.y, to.z)});
    int hits = 0;
    for (auto _ : state) {
        for (const auto& [from, to] : sweeps) {
            btTransform a, b;
            a.setIdentity();
            b.setIdentity();
            a.setOrigin(from);
            b.setOrigin(to);
            btCollisionWorld::ClosestConvexResultCallback callback(from, to);
            world.convexSweepTest(&sphere, a, b, callback);
            hits += callback.hasHit();
        }
    }
    benchmark::DoNotOptimize(hits);
    state.counters["per_sweep"] = benchmark::Counter(double(sweeps.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    world.removeCollisionObject(&roomObject);
    for (auto& box : boxes)
        world.removeCollisionObject(box.get());
}

} // namespace

BENCHMARK(BM_HandleCollisions_engine)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandleCollisions_reference)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstSweepLevel_engine)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstSweepLevel_bullet)->Arg(2000)->Arg(20000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
