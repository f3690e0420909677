#pragma once
#include <cstdint>
#include <vector>

#include "physics/CollisionModel.h"
#include "physics/cTriangleBVH.h"

// The triangles one sweep runs against, in the mover's ellipsoid space: the room's, moved to its
// place, scaled and indexed, then twelve per other object (their bounding boxes). Building the
// room's part costs more than a whole sweep through a real room, so it is kept from one Prepare to
// the next while it is exactly what would be built again: the same model with the same geometry
// version (cModel changes it with anything that changes its triangles, and never gives one value
// to two models), the same placement and the same scale. The boxes move and are rebuilt each time.
class cCollisionRoom
{
public:
    void Prepare(const CollisionModel& room, const std::vector<CollisionModel>& others, const cVector3& scale);
    // One sweep through the prepared triangles, with the same result, bit for bit, as testing
    // every triangle at every level; `levels` receives the levels entered.
    cVector3 Sweep(const cVector3& start, const cVector3& destination, int& levels) const;

    const std::vector<CollisionTriangle>& GetTriangles() const { return m_Triangles; }
    int GetRoomBuilds() const { return m_RoomBuilds; }   // how often the room's part was built

private:
    struct sKey
    {
        const cModel* model = nullptr;
        uint64_t geometryVersion = 0;
        float placement[10] = {};   // position, axis, angle, scale
        bool operator==(const sKey& other) const;
    };

    bool m_Valid = false;
    sKey m_Key;
    std::vector<CollisionTriangle> m_Triangles;   // the room's, then twelve per object box
    size_t m_RoomCount = 0;
    cTriangleBVH m_Index;                         // over the room's triangles
    std::vector<cTriangleBVH::sBox> m_Boxes;      // padded bounds of the object boxes' triangles
    std::vector<char> m_BoxBounded;               // false: a non-finite corner, always tested
    int m_RoomBuilds = 0;
};
