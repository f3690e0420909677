#include "physics/CollisionReference.h"

std::vector<CollisionTriangle> ReferenceTriangles(const CollisionModel& room, const std::vector<CollisionModel>& others,
                                                  const cVector3& scale)
{
    std::vector<CollisionTriangle> triangles;
    AppendRoomTriangles(room, scale, triangles);
    AppendBoxTriangles(others, scale, triangles);
    return triangles;
}

cVector3 DetectCollisions(const cVector3& start, const cVector3& destination,
                          const std::vector<CollisionTriangle>& triangles, int* levels)
{
    int entered = 0;
    cVector3 result = SweepLevels(start, destination, entered, [&](const Ellipsoid& ellipsoid, sContact& contact) {
        for (size_t i = 0; i < triangles.size(); ++i) {
            CollisionInfo info;
            if (CheckEllipsoidTriangleIntersection(ellipsoid, triangles[i], info))
                contact.Offer(info, i);
        }
    });
    if (levels)
        *levels = entered;
    return result;
}

cVector3 HandleCollisionsReference(const CollisionModel& object, const cVector3& destination,
                                   const CollisionModel& room, const std::vector<CollisionModel>& others, int* levels)
{
    if (!object.model || !HasEllipsoidSize(*object.model))
        return object.position;
    const sEllipsoidFrame frame = EllipsoidFrameOf(*object.model);
    return frame.FromEllipsoid(DetectCollisions(frame.ToEllipsoid(object.position), frame.ToEllipsoid(destination),
                                                ReferenceTriangles(room, others, frame.scale), levels));
}
