#pragma once
// The straightforward collision sweep the engine's is checked against: every triangle tested at
// every level, the triangle set rebuilt on every call.
#include <vector>

#include "physics/CollisionModel.h"

// The room's triangles, then twelve per other object, in the ellipsoid space given by `scale`.
std::vector<CollisionTriangle> ReferenceTriangles(const CollisionModel& room, const std::vector<CollisionModel>& others,
                                                  const cVector3& scale);

// One sweep in ellipsoid space through every triangle of the list; `levels` as in HandleCollisions.
cVector3 DetectCollisions(const cVector3& start, const cVector3& destination,
                          const std::vector<CollisionTriangle>& triangles, int* levels = nullptr);

// What HandleCollisions must give, bit for bit.
cVector3 HandleCollisionsReference(const CollisionModel& object, const cVector3& destination,
                                   const CollisionModel& room, const std::vector<CollisionModel>& others,
                                   int* levels = nullptr);
