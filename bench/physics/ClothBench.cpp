// One cloth sub-step on a 64 x 64 grid: the engine's Timestep beside the straightforward
// pointer-linked step it matches bit for bit (equal work, a speed-up). Bullet's soft body on the
// same grid is context only, not a speed-up: it solves position constraints with iterations and
// collision handling, other work than the engine's explicit spring forces, so neither its time nor
// its spring evaluations per second compare one to one with the engine's.
#include <benchmark/benchmark.h>
#include <btBulletDynamicsCommon.h>
#include <BulletSoftBody/btSoftBodyHelpers.h>
#include <BulletSoftBody/btSoftBodyRigidBodyCollisionConfiguration.h>
#include <BulletSoftBody/btSoftRigidDynamicsWorld.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "physics/ClothReference.h"

namespace {

constexpr int GRID = 64;
constexpr float STEP = 0.004f;

std::unique_ptr<cCloth> MakeCloth()
{
    auto cloth = std::make_unique<cCloth>(4.0f, 4.0f, GRID, GRID, 0.1f, 500.0f, 0.5f, 300.0f, 0.3f, 100.0f, 0.1f);
    cloth->SetExternalForce(true, {0.3f, 0, -0.7f});   // a breeze
    return cloth;
}

// Set-up check: after 1000 sub-steps both steps have left every mass in the same state.
void CheckIdentical()
{
    static bool checked = false;
    if (checked)
        return;
    checked = true;
    for (bool wide : {true, false}) {
        auto fast = MakeCloth(), reference = MakeCloth();
        for (int i = 0; i < 1000; ++i) {
            fast->Timestep(STEP, wide);
            TimestepReference(*reference, STEP);
        }
        for (size_t i = 0; i < fast->GetMasses().size(); ++i) {
            const cMass &a = fast->GetMasses()[i], &b = reference->GetMasses()[i];
            if (std::memcmp(&a.GetPos(), &b.GetPos(), sizeof(cVector3)) != 0 ||
                std::memcmp(&a.GetVelocity(), &b.GetVelocity(), sizeof(cVector3)) != 0) {
                std::fprintf(stderr, "the cloth steps differ at mass %zu\n", i);
                std::abort();
            }
        }
    }
}

void RunCloth(benchmark::State& state, bool fast, bool wide = true)
{
    CheckIdentical();
    auto cloth = MakeCloth();
    for (int i = 0; i < 100; ++i)
        cloth->Timestep(STEP);   // into motion first
    for (auto _ : state) {
        if (fast)
            cloth->Timestep(STEP, wide);
        else
            TimestepReference(*cloth, STEP);
    }
    state.counters["springs"] = double(cloth->GetSprings().size());
    state.counters["spring_evals_per_s"] =
        benchmark::Counter(double(cloth->GetSprings().size()), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ClothTimestep_engine(benchmark::State& state) { RunCloth(state, true); }
void BM_ClothTimestep_engine_fourwide(benchmark::State& state) { RunCloth(state, true, false); }
void BM_ClothTimestep_reference(benchmark::State& state) { RunCloth(state, false); }

void BM_ClothTimestep_bullet(benchmark::State& state)
{
    btSoftBodyRigidBodyCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher(&configuration);
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btSoftRigidDynamicsWorld world(&dispatcher, &broadphase, &solver, &configuration);
    world.setGravity(btVector3(0, -9.8f, 0));
    btSoftBodyWorldInfo& info = world.getWorldInfo();
    info.m_gravity.setValue(0, -9.8f, 0);
    info.m_sparsesdf.Initialize();
    // The same grid: structural and shear links (the diagonals), bend links two masses apart.
    btSoftBody* body = btSoftBodyHelpers::CreatePatch(info, btVector3(-2, 10, -2), btVector3(2, 10, -2),
                                                      btVector3(-2, 10, 2), btVector3(2, 10, 2), GRID, GRID,
                                                      1 + 2, true);
    body->generateBendingConstraints(2, body->appendMaterial());
    body->setTotalMass(0.1f * GRID * GRID);
    world.addSoftBody(body);
    for (int i = 0; i < 100; ++i)
        world.stepSimulation(STEP, 0);
    for (auto _ : state)
        world.stepSimulation(STEP, 0);
    double evaluations = double(body->m_links.size()) * body->m_cfg.piterations;
    state.counters["springs"] = double(body->m_links.size());
    state.counters["spring_evals_per_s"] =
        benchmark::Counter(evaluations, benchmark::Counter::kIsIterationInvariantRate);
    world.removeSoftBody(body);
    delete body;
}

} // namespace

BENCHMARK(BM_ClothTimestep_engine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClothTimestep_engine_fourwide)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClothTimestep_reference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClothTimestep_bullet)->Name("BM_ClothTimestep_context/bullet_soft_body")->Unit(benchmark::kMicrosecond);
