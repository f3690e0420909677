#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "graphics/cCamera.h"

namespace {

cCamera StartingCamera()
{
    return cCamera(cVector3(0.0f, 0.0f, -10.0f), cVector3(0.0f, 0.0f, 1.0f), cVector3(0.0f, 1.0f, 0.0f));
}

void ExpectVector(const cVector3& actual, float x, float y, float z, float tolerance = 0.0f)
{
    if (tolerance == 0.0f) {
        EXPECT_EQ(actual.x, x);
        EXPECT_EQ(actual.y, y);
        EXPECT_EQ(actual.z, z);
    } else {
        EXPECT_NEAR(actual.x, x, tolerance);
        EXPECT_NEAR(actual.y, y, tolerance);
        EXPECT_NEAR(actual.z, z, tolerance);
    }
}

bool SameBits(const cCamera& a, const cCamera& b)
{
    const cVector3* va[] = {&a.GetPosition(), &a.GetLookAt(), &a.GetUpVector()};
    const cVector3* vb[] = {&b.GetPosition(), &b.GetLookAt(), &b.GetUpVector()};
    for (int i = 0; i < 3; ++i) {
        if (std::memcmp(va[i], vb[i], sizeof(cVector3)) != 0)
            return false;
    }
    return true;
}

float EyeToLookAt(const cCamera& camera)
{
    return (camera.GetLookAt() - camera.GetPosition()).Length();
}

} // namespace

TEST(cCameraTest, SettersChangeOneMemberEach)
{
    cCamera camera = StartingCamera();
    camera.SetPosition(1.0f, 2.0f, 3.0f);
    ExpectVector(camera.GetPosition(), 1.0f, 2.0f, 3.0f);
    ExpectVector(camera.GetLookAt(), 0.0f, 0.0f, 1.0f);
    camera.SetLookAt(4.0f, 5.0f, 6.0f);
    camera.SetUpVector(0.0f, 0.0f, 3.0f);
    ExpectVector(camera.GetPosition(), 1.0f, 2.0f, 3.0f);
    ExpectVector(camera.GetLookAt(), 4.0f, 5.0f, 6.0f);
    ExpectVector(camera.GetUpVector(), 0.0f, 0.0f, 3.0f);
}

TEST(cCameraTest, MoveShiftsTheEyeOnly)
{
    cCamera camera = StartingCamera();
    camera.Move(cVector3(1.0f, 0.0f, 0.0f));
    ExpectVector(camera.GetPosition(), 1.0f, 0.0f, -10.0f);
    ExpectVector(camera.GetLookAt(), 0.0f, 0.0f, 1.0f);
}

TEST(cCameraTest, MovesCarryEyeAndLookAtAlong)
{
    struct sCase
    {
        void (cCamera::*move)(float);
        float distance;
        cVector3 position, lookAt;
    };
    const sCase cases[] = {
        {&cCamera::MoveForward, 2.0f, {0.0f, 0.0f, -8.0f}, {0.0f, 0.0f, 3.0f}},
        {&cCamera::MoveForward, -1.5f, {0.0f, 0.0f, -11.5f}, {0.0f, 0.0f, -0.5f}},
        {&cCamera::MoveSideToSide, 1.0f, {-1.0f, 0.0f, -10.0f}, {-1.0f, 0.0f, 1.0f}},
        {&cCamera::MoveSideToSide, -3.0f, {3.0f, 0.0f, -10.0f}, {3.0f, 0.0f, 1.0f}},
    };
    for (const sCase& each : cases) {
        cCamera camera = StartingCamera();
        (camera.*each.move)(each.distance);
        ExpectVector(camera.GetPosition(), each.position.x, each.position.y, each.position.z);
        ExpectVector(camera.GetLookAt(), each.lookAt.x, each.lookAt.y, each.lookAt.z);
        ExpectVector(camera.GetUpVector(), 0.0f, 1.0f, 0.0f);
    }
}

TEST(cCameraTest, SideMovesAreOneUnitPerDistanceWhateverTheUpLength)
{
    cCamera camera(cVector3(1.0f, 2.0f, 3.0f), cVector3(4.0f, 2.0f, 7.0f), cVector3(0.0f, 5.0f, 0.0f));
    camera.MoveSideToSide(2.0f);
    // view (3, 0, 4) x up (0, 5, 0) = (-20, 0, 15): unit (-0.8, 0, 0.6)
    ExpectVector(camera.GetPosition(), -0.6f, 2.0f, 4.2f, 1e-6f);
    ExpectVector(camera.GetLookAt(), 2.4f, 2.0f, 8.2f, 1e-6f);
}

TEST(cCameraTest, RotateLeftRightTurnsTowardsTheSideMoveDirection)
{
    cCamera camera = StartingCamera();
    camera.RotateLeftRight(90.0f);
    ExpectVector(camera.GetPosition(), 0.0f, 0.0f, -10.0f);
    ExpectVector(camera.GetLookAt(), -11.0f, 0.0f, -10.0f, 1e-5f);
    ExpectVector(camera.GetUpVector(), 0.0f, 1.0f, 0.0f);
}

TEST(cCameraTest, RotateUpDownPitchesUpForPositiveAngles)
{
    cCamera camera = StartingCamera();
    camera.RotateUpDown(90.0f);
    ExpectVector(camera.GetPosition(), 0.0f, 0.0f, -10.0f);
    ExpectVector(camera.GetLookAt(), 0.0f, 11.0f, -10.0f, 1e-5f);
    ExpectVector(camera.GetUpVector(), 0.0f, 1.0f, 0.0f);

    camera = StartingCamera();
    camera.RotateUpDown(135.0f);   // past the up direction: the pitch is not limited
    const float half = 11.0f / std::sqrt(2.0f);
    ExpectVector(camera.GetLookAt(), 0.0f, half, -10.0f - half, 1e-5f);
}

TEST(cCameraTest, RotationsKeepTheDistanceAndFullTurnsComeBack)
{
    const float angles[] = {1.0f, 30.0f, -45.0f, 90.0f, 179.0f, 360.0f};
    for (float degrees : angles) {
        for (auto rotate : {&cCamera::RotateLeftRight, &cCamera::RotateUpDown}) {
            cCamera camera(cVector3(1.0f, 2.0f, 3.0f), cVector3(-4.0f, 3.0f, 9.0f), cVector3(0.0f, 1.0f, 0.2f));
            float distance = EyeToLookAt(camera);
            (camera.*rotate)(degrees);
            EXPECT_NEAR(EyeToLookAt(camera), distance, 1e-5f) << degrees;
            ExpectVector(camera.GetPosition(), 1.0f, 2.0f, 3.0f);
            if (degrees == 360.0f)
                ExpectVector(camera.GetLookAt(), -4.0f, 3.0f, 9.0f, 1e-5f);
        }
    }
}

TEST(cCameraTest, CameraWithoutADirectionIsLeftAsItIs)
{
    struct sCase
    {
        const char* what;
        cCamera camera;
        bool forwardMoves;   // a view along the up vector still has a forward direction
    };
    const sCase cases[] = {
        {"look-at on the eye", {{1.0f, 2.0f, 3.0f}, {1.0f, 2.0f, 3.0f}, {0.0f, 1.0f, 0.0f}}, false},
        {"look-at within 1e-7 of the eye", {{1.0f, 0.0f, 0.0f}, {1.0f, 5e-8f, 0.0f}, {0.0f, 0.0f, 1.0f}}, false},
        {"looking straight up", {{0.0f, 0.0f, 0.0f}, {0.0f, 4.0f, 0.0f}, {0.0f, 1.0f, 0.0f}}, true},
        {"looking straight down", {{0.0f, 5.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 2.0f, 0.0f}}, true},
        {"zero up vector", {{0.0f, 0.0f, -10.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f}}, true},
        // Parallel but for the rounding of the coordinates: the cross product is rounding noise.
        {"nearly parallel, short", {{0.0f, 0.0f, 0.0f}, {0.1f / 3, 0.7f / 3, 0.3f / 3}, {1.0f, 7.0f, 3.0f}}, true},
        {"nearly parallel, long", {{0.0f, 0.0f, 0.0f}, {1000.0f / 3, 7000.0f / 3, 1000.0f}, {1.0f, 7.0f, 3.0f}}, true},
    };
    for (const sCase& each : cases) {
        SCOPED_TRACE(each.what);
        for (auto operation : {&cCamera::MoveSideToSide, &cCamera::RotateLeftRight, &cCamera::RotateUpDown,
                               &cCamera::MoveForward}) {
            cCamera camera = each.camera;
            (camera.*operation)(30.0f);
            EXPECT_EQ(SameBits(camera, each.camera), !(operation == &cCamera::MoveForward && each.forwardMoves));
        }
    }
}

TEST(cCameraTest, ForwardMoveAlongTheUpVectorStillWorks)
{
    cCamera camera(cVector3(0.0f, 0.0f, 0.0f), cVector3(0.0f, 4.0f, 0.0f), cVector3(0.0f, 1.0f, 0.0f));
    camera.MoveForward(1.0f);
    ExpectVector(camera.GetPosition(), 0.0f, 1.0f, 0.0f);
    ExpectVector(camera.GetLookAt(), 0.0f, 5.0f, 0.0f);
}
