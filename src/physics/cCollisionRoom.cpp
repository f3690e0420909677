#include "physics/cCollisionRoom.h"

#include <algorithm>
#include <cmath>
#include <cstring>

bool cCollisionRoom::sKey::operator==(const sKey& other) const
{
    // Bitwise, so that a NaN placement is never taken for an equal one.
    return model == other.model && geometryVersion == other.geometryVersion &&
           std::memcmp(placement, other.placement, sizeof(placement)) == 0;
}

void cCollisionRoom::Prepare(const CollisionModel& room, const std::vector<CollisionModel>& others,
                             const cVector3& scale)
{
    sKey key;
    key.model = room.model;
    key.geometryVersion = room.model ? room.model->GetGeometryVersion() : 0;
    const float placement[10] = {room.position.x, room.position.y, room.position.z, room.rotAxis.x, room.rotAxis.y,
                                 room.rotAxis.z, room.rotAngle, scale.x, scale.y, scale.z};
    std::memcpy(key.placement, placement, sizeof(placement));
    if (!m_Valid || !(m_Key == key)) {
        m_Triangles.clear();
        AppendRoomTriangles(room, scale, m_Triangles);
        m_RoomCount = m_Triangles.size();
        m_Index.Build(m_Triangles);
        m_Key = key;
        m_Valid = true;
        ++m_RoomBuilds;
    }
    m_Triangles.resize(m_RoomCount);
    AppendBoxTriangles(others, scale, m_Triangles);
    const size_t boxCount = m_Triangles.size() - m_RoomCount;
    m_Boxes.resize(boxCount);
    m_BoxBounded.resize(boxCount);
    for (size_t i = 0; i < boxCount; ++i)
        m_BoxBounded[i] = cTriangleBVH::PaddedBox(m_Triangles[m_RoomCount + i], m_Boxes[i]);
}

cVector3 cCollisionRoom::Sweep(const cVector3& start, const cVector3& destination, int& levels) const
{
    return SweepLevels(start, destination, levels, [&](const Ellipsoid& ellipsoid, sContact& contact) {
        // Every contact point lies within 1 + travel of the sphere's centre: on a triangle's edge,
        // or inside it up to the inside test's tolerance, which the index adds to each triangle's
        // box. Farther triangles cannot be hit; the margins here cover rounding.
        const float travel = (ellipsoid.destination - ellipsoid.center).Length();
        const cVector3& c = ellipsoid.center;
        const float reach = (travel + 1.0f) * 1.001f + 0.01f +
                            1e-5f * std::fmax(std::fabs(c.x), std::fmax(std::fabs(c.y), std::fabs(c.z)));
        auto test = [&](size_t i) {
            CollisionInfo info;
            if (CheckEllipsoidTriangleIntersection(ellipsoid, m_Triangles[i], info))
                contact.Offer(info, i);
        };
        m_Index.Query(c, reach, test);
        for (size_t i = 0; i < m_Boxes.size(); ++i)
            if (!m_BoxBounded[i] || m_Boxes[i].WithinReach(c, reach))
                test(m_RoomCount + i);
    });
}
