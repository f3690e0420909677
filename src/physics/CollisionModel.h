#pragma once
#include <vector>

#include "math/cVector3.h"
#include "model/cModel.h"

class cCollisionRoom;

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
constexpr int MAX_SWEEP_LEVELS = 10;

// Whether the object's position and `destination` both lie within MAX_SWEEP_RADII of the origin.
bool IsSweepInRange(const CollisionModel& object, const cVector3& destination);

// Moves `object` towards `destination` (a base point, world space) through the room's triangles and
// the bounding boxes of `others`, and returns the position it may take. The object's model must
// have a positive, finite width, height and length; otherwise the object stays where it is.
// `prepared` keeps the room's triangles ready between calls (see cCollisionRoom); `levels`, when
// given, receives the number of sweep levels entered (one more than the limit when it was hit).
cVector3 HandleCollisions(const CollisionModel& object, const cVector3& destination, const CollisionModel& room,
                          const std::vector<CollisionModel>& others, cCollisionRoom& prepared,
                          int* levels = nullptr);

// True when the model can be an ellipsoid: width, height and length positive and finite.
bool HasEllipsoidSize(const cModel& model);

// The mover's ellipsoid space: its radii scaled to 1 and its base point lifted to the centre.
struct sEllipsoidFrame
{
    cVector3 scale;
    float halfHeight;

    cVector3 ToEllipsoid(cVector3 p) const;
    cVector3 FromEllipsoid(cVector3 p) const;
};
sEllipsoidFrame EllipsoidFrameOf(const cModel& model);   // needs HasEllipsoidSize

// The room's triangles moved to its place and scaled into ellipsoid space, appended to `list`.
void AppendRoomTriangles(const CollisionModel& room, const cVector3& scale, std::vector<CollisionTriangle>& list);
// Twelve triangles per object, its rotated bounding box, scaled into ellipsoid space.
void AppendBoxTriangles(const std::vector<CollisionModel>& others, const cVector3& scale,
                        std::vector<CollisionTriangle>& list);
// Writes the twelve triangles of the object's rotated bounding box into slots first to first + 11,
// growing the list when it is shorter.
void TriangulateObjectBoundingBox(const CollisionModel& object, std::vector<CollisionTriangle>& list,
                                  int first);

// The nearest contact of one sweep level.
struct sContact
{
    bool found = false;
    float distance = 0;
    cVector3 polyHitPoint{0, 0, 0};
    size_t index = 0;

    // The list's first triangle at the smallest distance wins, whatever order they are tested in.
    void Offer(const CollisionInfo& info, size_t triangleIndex)
    {
        if (!found || info.distance < distance || (info.distance == distance && triangleIndex < index)) {
            found = true;
            distance = info.distance;
            polyHitPoint = info.polyHitPoint;
            index = triangleIndex;
        }
    }
};

// The next level of a sweep after `contact`: false when the sweep ends at `start` (moved to just
// before the contact), true with a new start and destination for sliding along the contact plane.
bool SlideAfterContact(cVector3& start, cVector3& destination, const sContact& contact);

// The levels of one sweep in ellipsoid space: move to just before the nearest contact, then slide
// what is left of the move along the contact plane, at most MAX_SWEEP_LEVELS times in all.
// findContact(ellipsoid, contact) fills the nearest contact of a level.
template <class FindContact>
cVector3 SweepLevels(cVector3 start, cVector3 destination, int& levels, FindContact&& findContact)
{
    constexpr float MIN_MOVE_SQUARED = 0.0009f;   // moves shorter than 0.03 are dropped
    for (levels = 1;; ++levels) {
        if (levels > MAX_SWEEP_LEVELS || (destination - start).LengthSquared() < MIN_MOVE_SQUARED)
            return start;
        sContact contact;
        findContact(Ellipsoid{start, destination}, contact);
        if (!contact.found)
            return destination;
        if (!SlideAfterContact(start, destination, contact))
            return start;
    }
}

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
