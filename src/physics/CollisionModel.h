#pragma once
#include <vector>

#include "math/cMatrix16.h"
#include "math/cVector3.h"
#include "model/cModel.h"

// One object or the room: its model supplies the triangles and the bounding size.
struct CollisionModel
{
    cModel* model = nullptr;   // not owned
    cVector3 position{0, 0, 0};   // the object's base point
    cVector3 rotAxis{0, 0, 0};
    float rotAngle = 0;   // degrees
};

// The sphere being swept, in ellipsoid space.
struct Ellipsoid
{
    cVector3 center;
    cVector3 destination;
    cMatrix16 transform;   // the identity; nothing reads it
};

// The outcome of one sphere/triangle test; the fields stay unset unless a contact is reported.
struct CollisionInfo
{
    cVector3 sphereHitPoint;
    cVector3 polyHitPoint;
    bool embedded = false;
    float distance;
};

// The sweep squares distances in single precision: points farther from the origin than this, in
// units of the moving object's radii, would overflow it.
constexpr float MAX_SWEEP_RADII = 1e15f;

// Whether the object's position and `destination` both lie within MAX_SWEEP_RADII of the origin.
bool IsSweepInRange(const CollisionModel& object, const cVector3& destination);

// Moves `object` towards `destination` (a base point, world space) through the room's triangles and
// the bounding boxes of `others`, and returns the position it may take. The object's model must
// have a positive, finite width, height and length; otherwise the object stays where it is.
// The room's transformed triangles are kept between calls while the room, its transform and the
// object's size do not change; the result is bitwise that of HandleCollisionsReference.
cVector3 HandleCollisions(const CollisionModel& object, const cVector3& destination,
                          const CollisionModel& room, const std::vector<CollisionModel>& others,
                          unsigned int unused = 0);

// The same sweep testing every triangle at every level and rebuilding the triangle set on every
// call: the reference the fast sweep is checked against.
cVector3 HandleCollisionsReference(const CollisionModel& object, const cVector3& destination,
                                   const CollisionModel& room, const std::vector<CollisionModel>& others,
                                   unsigned int unused = 0);

// True when the model can be an ellipsoid: width, height and length positive and finite.
bool HasEllipsoidSize(const cModel& model);

// Fills the reference sweep's triangle set: the room's triangles, then twelve per other object.
void LoadRoomTriangles(const CollisionModel& room, const std::vector<CollisionModel>& others,
                       const cVector3& scale);
// The triangle set, in ellipsoid space, of the last sweep or LoadRoomTriangles.
const std::vector<CollisionTriangle>& GetRoomTriangles();

// Writes the twelve triangles of the object's rotated bounding box into slots first to first + 11,
// growing the list when it is shorter.
void TriangulateObjectBoundingBox(const CollisionModel& object, std::vector<CollisionTriangle>& list,
                                  int first);

// One sweep in ellipsoid space against every triangle of the list, with sliding; at most ten levels
// counted from the last HandleCollisions (or ResetCollisionLevels).
cVector3 DetectCollisions(const cVector3& start, const cVector3& destination,
                          const std::vector<CollisionTriangle>& triangles);
void ResetCollisionLevels();
int GetCollisionLevels();   // DetectCollisions levels entered since the reset

bool CheckEllipsoidTriangleIntersection(const Ellipsoid& ellipsoid, const CollisionTriangle& triangle,
                                        CollisionInfo& info);
float RayPlaneIntersection(const cVector3& rayOrigin, const cVector3& rayDirection,
                           const cVector3& planeOrigin, const cVector3& planeNormal);   // -1: parallel
float CheckRayEllipsoidIntersection(const cVector3& rayOrigin, const cVector3& rayDirection,
                                    const cVector3& center, float radius);   // -1: missed
bool PointInTriangle(const cVector3& point, const CollisionTriangle& triangle);
cVector3 ClosestPointOnTriangle(const cVector3& a, const cVector3& b, const cVector3& c, const cVector3& p);
cVector3 ClosestPointOnLine(const cVector3& a, const cVector3& b, const cVector3& p);
void ProjectVectorOntoPlane(const cVector3& v, const cVector3& normal, cVector3& out);
int ClassifyPoint(const cVector3& point, const cVector3& planeOrigin, const cVector3& planeNormal);   // 0 front, 1 behind, 2 on
bool CheckPointInSphere(const cVector3& point, const cVector3& center, float radius);
