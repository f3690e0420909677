#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "graphics/cCamera.h"

namespace {

const cCamera START_CAMERA(cVector3(0.0f, 0.0f, -10.0f), cVector3(0.0f, 0.0f, 1.0f), cVector3(0.0f, 1.0f, 0.0f));

void ExpectVector(const cVector3& actual, const cVector3& expected, float tolerance = 1e-5f)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << i;
}

bool SameBits(const cCamera& a, const cCamera& b)
{
    return std::memcmp(&a.GetPosition(), &b.GetPosition(), sizeof(cVector3)) == 0 &&
           std::memcmp(&a.GetLookAt(), &b.GetLookAt(), sizeof(cVector3)) == 0 &&
           std::memcmp(&a.GetUpVector(), &b.GetUpVector(), sizeof(cVector3)) == 0;
}

} // namespace

// The plain moves and quarter turns are checked through the script module.
TEST(cCameraTest, MovesAndRotationsGiveTheirPositionAndLookAt)
{
    const float half = 11.0f / std::sqrt(2.0f);
    const cCamera longUp(cVector3(1, 2, 3), cVector3(4, 2, 7), cVector3(0, 5, 0));
    // Up not square to the view, lengths not 1: a full turn still comes back.
    const cCamera askew(cVector3(1, 2, 3), cVector3(-4, 3, 9), cVector3(0, 1, 0.2f));
    const struct { const char* what; cCamera camera; void (*act)(cCamera&); cVector3 position, lookAt; } cases[] = {
        {"back", START_CAMERA, [](cCamera& c) { c.MoveForward(-1.5f); }, {0, 0, -11.5f}, {0, 0, -0.5f}},
        // view (3, 0, 4) x up (0, 5, 0) = (-20, 0, 15): one unit per distance whatever the up length
        {"side, long up", longUp, [](cCamera& c) { c.MoveSideToSide(2); }, {-0.6f, 2, 4.2f}, {2.4f, 2, 8.2f}},
        {"past up, not limited", START_CAMERA, [](cCamera& c) { c.RotateUpDown(135); }, {0, 0, -10}, {0, half, -10 - half}},
        {"full turn left-right", askew, [](cCamera& c) { c.RotateLeftRight(360); }, {1, 2, 3}, {-4, 3, 9}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        cCamera camera = each.camera;
        each.act(camera);
        ExpectVector(camera.GetPosition(), each.position);
        ExpectVector(camera.GetLookAt(), each.lookAt);
        ExpectVector(camera.GetUpVector(), each.camera.GetUpVector(), 0.0f);
    }
}

TEST(cCameraTest, CameraWithoutADirectionIsLeftAsItIs)
{
    const struct { const char* what; cCamera camera; bool forwardMoves; } cases[] = {
        {"look-at within 1e-7 of the eye", {{1, 0, 0}, {1, 5e-8f, 0}, {0, 0, 1}}, false},
        {"looking straight up", {{0, 0, 0}, {0, 4, 0}, {0, 1, 0}}, true},
        // Parallel but for the rounding of the coordinates: the cross product is rounding noise.
        {"nearly parallel, long", {{0, 0, 0}, {1000.0f / 3, 7000.0f / 3, 1000}, {1, 7, 3}}, true},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        for (auto operation : {&cCamera::MoveSideToSide, &cCamera::RotateLeftRight, &cCamera::RotateUpDown,
                               &cCamera::MoveForward}) {
            cCamera camera = each.camera;
            (camera.*operation)(30.0f);
            EXPECT_EQ(SameBits(camera, each.camera), !(operation == &cCamera::MoveForward && each.forwardMoves));
        }
    }
}
