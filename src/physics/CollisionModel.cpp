#include "physics/CollisionModel.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "math/cMatrix16.h"
#include "physics/PhysicsMath.h"
#include "physics/cTriangleBVH.h"

using namespace physmath;

namespace {

// The sweep is a set of free functions over plain records; what they share between calls lives
// here. The reference sweep keeps its triangle set and the level count, the fast sweep keeps the
// room's transformed triangles and their index while the room, its transform and the mover's size
// stay the same, since rebuilding them costs more than a whole sweep through a real room.
int s_counter = 0;
std::vector<CollisionTriangle> s_RoomTris;

// What the cached room triangles were made from. A model freed and another loaded at the same
// place with as many triangles is told apart by a sample of the triangles themselves.
struct sRoomKey
{
    static constexpr size_t SAMPLES = 16;

    const cModel* model = nullptr;
    const void* triangles = nullptr;
    size_t triangleCount = 0;
    float values[10] = {};   // position, axis, angle, scale
    Triangle samples[SAMPLES] = {};

    bool operator==(const sRoomKey& other) const
    {
        return model == other.model && triangles == other.triangles && triangleCount == other.triangleCount &&
               std::memcmp(values, other.values, sizeof(values)) == 0 &&
               std::memcmp(samples, other.samples, sizeof(samples)) == 0;
    }
};

struct sRoomCache
{
    bool valid = false;
    sRoomKey key;
    std::vector<CollisionTriangle> triangles;   // the room's, then twelve per object box
    size_t roomCount = 0;
    std::vector<cTriangleBVH::sBox> boxes;   // padded bounds of the object boxes' triangles
    std::vector<char> boxBounded;            // false: a non-finite corner, always tested
    cTriangleBVH index;
};
sRoomCache s_Cache;
const std::vector<CollisionTriangle>* s_pLastTriangles = &s_RoomTris;   // the last sweep's set

constexpr float MIN_MOVE_SQUARED = 0.0009f;   // moves shorter than 0.03 are dropped
constexpr float CONTACT_GAP = 0.03f;
constexpr int MAX_LEVELS = 10;

// Scales corners and normal into ellipsoid space. A normal that cannot be normalised (a degenerate
// triangle) stays zero, and a non-finite one becomes zero, so no division by zero follows.
void ScaleTriangle(CollisionTriangle& t, const cVector3& scale)
{
    t.p1 = MulComponents(t.p1, scale);
    t.p2 = MulComponents(t.p2, scale);
    t.p3 = MulComponents(t.p3, scale);
    t.normal = MulComponents(t.normal, scale);
    if (!IsFinite(t.normal))
        t.normal = {0, 0, 0};
    Normalize(t.normal);
}

// The room's triangles, moved to the room's place and scaled into ellipsoid space.
void AppendRoomTriangles(const CollisionModel& room, const cVector3& scale, std::vector<CollisionTriangle>& list)
{
    size_t first = list.size();
    if (room.model)
        room.model->GetTriangles(list);
    cMatrix16 rotation;
    rotation.LoadRotationAboutAxis(room.rotAxis, room.rotAngle);
    for (size_t i = first; i < list.size(); ++i) {
        CollisionTriangle& t = list[i];
        t.p1 = Add(rotation * t.p1, room.position);
        t.p2 = Add(rotation * t.p2, room.position);
        t.p3 = Add(rotation * t.p3, room.position);
        t.normal = rotation * t.normal;
        ScaleTriangle(t, scale);
    }
}

void AppendBoxTriangles(const std::vector<CollisionModel>& others, const cVector3& scale,
                        std::vector<CollisionTriangle>& list)
{
    size_t first = list.size();
    list.resize(first + 12 * others.size());
    for (size_t k = 0; k < others.size(); ++k)
        TriangulateObjectBoundingBox(others[k], list, int(first + 12 * k));
    for (size_t i = first; i < list.size(); ++i)
        ScaleTriangle(list[i], scale);
}

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

// The levels of one sweep: move to just before the nearest contact, then slide what is left of the
// move along the contact plane, at most ten times in all. findContact(ellipsoid, contact) fills the
// nearest contact of the level.
template <class FindContact>
cVector3 Sweep(cVector3 start, cVector3 destination, FindContact&& findContact)
{
    for (;;) {
        cVector3 velocity = Sub(destination, start);
        if (++s_counter > MAX_LEVELS)
            return start;
        if (LengthSquared(velocity) < MIN_MOVE_SQUARED)
            return start;
        cVector3 dir = velocity;
        Normalize(dir);
        Ellipsoid ellipsoid;
        ellipsoid.center = start;
        ellipsoid.destination = destination;
        sContact contact;
        findContact(ellipsoid, contact);
        if (!contact.found)
            return destination;

        cVector3 base = contact.distance >= CONTACT_GAP ? Add(start, Scale(dir, contact.distance - CONTACT_GAP)) : start;
        if (std::fabs(dir.y) > 0.98f)
            return base;   // falling or rising: no sliding

        // Contact normals steeper than these limits make the surface a vertical wall (ceilings too).
        cVector3 normal = Sub(base, contact.polyHitPoint);
        if (normal.y < 0.4f)
            normal.y = 0;
        // A contact straight above or below, or exactly at the sphere's centre, leaves no plane to
        // slide on: the sweep ends at the last valid point.
        if (!(Length(normal) >= NORMALIZE_EPSILON))
            return base;
        Normalize(normal);
        if (normal.y < 0.6f) {
            normal.y = 0;
            if (!(Length(normal) >= NORMALIZE_EPSILON))
                return base;
            Normalize(normal);
        }
        cVector3 slide;
        ProjectVectorOntoPlane(Sub(destination, base), normal, slide);
        start = base;
        destination = Add(base, slide);
    }
}

void FindContactLinear(const Ellipsoid& ellipsoid, const std::vector<CollisionTriangle>& triangles,
                       sContact& contact)
{
    for (size_t i = 0; i < triangles.size(); ++i) {
        CollisionInfo info;
        if (CheckEllipsoidTriangleIntersection(ellipsoid, triangles[i], info))
            contact.Offer(info, i);
    }
}

sRoomKey MakeRoomKey(const CollisionModel& room, const cVector3& scale)
{
    sRoomKey key;
    key.model = room.model;
    if (room.model) {
        // A model whose triangle list was rebuilt or grown has another size or storage.
        const std::vector<Triangle>& list = room.model->GetTriangleList();
        key.triangles = list.data();
        key.triangleCount = list.size();
        for (size_t k = 0; k < sRoomKey::SAMPLES && !list.empty(); ++k)
            key.samples[k] = list[k * (list.size() - 1) / (sRoomKey::SAMPLES - 1)];
    }
    const float values[10] = {room.position.x, room.position.y, room.position.z, room.rotAxis.x, room.rotAxis.y,
                              room.rotAxis.z, room.rotAngle, scale.x, scale.y, scale.z};
    std::memcpy(key.values, values, sizeof(values));
    return key;
}

struct sEllipsoidFrame
{
    cVector3 scale;
    float halfHeight;
};

sEllipsoidFrame FrameOf(const cModel& model)
{
    return {{2.0f / model.GetWidth(), 2.0f / model.GetHeight(), 2.0f / model.GetLength()}, model.GetHeight() / 2.0f};
}

cVector3 ToEllipsoidSpace(cVector3 p, const sEllipsoidFrame& frame)
{
    p.y += frame.halfHeight;
    return MulComponents(p, frame.scale);
}

cVector3 FromEllipsoidSpace(cVector3 p, const sEllipsoidFrame& frame)
{
    p = {p.x / frame.scale.x, p.y / frame.scale.y, p.z / frame.scale.z};
    p.y -= frame.halfHeight;
    return p;
}

} // namespace

bool HasEllipsoidSize(const cModel& model)
{
    for (float size : {model.GetWidth(), model.GetHeight(), model.GetLength()})
        if (!(size > 0.0f) || !std::isfinite(size) || !std::isfinite(2.0f / size))
            return false;
    return true;
}

bool IsSweepInRange(const CollisionModel& object, const cVector3& destination)
{
    if (!object.model || !HasEllipsoidSize(*object.model))
        return true;   // nothing is swept
    const sEllipsoidFrame frame = FrameOf(*object.model);
    for (const cVector3& point : {ToEllipsoidSpace(object.position, frame), ToEllipsoidSpace(destination, frame)})
        for (float value : {point.x, point.y, point.z})
            if (!(std::fabs(value) <= MAX_SWEEP_RADII))
                return false;
    return true;
}

cVector3 HandleCollisions(const CollisionModel& object, const cVector3& destination, const CollisionModel& room,
                          const std::vector<CollisionModel>& others, unsigned int)
{
    if (!object.model || !HasEllipsoidSize(*object.model))
        return object.position;
    sEllipsoidFrame frame = FrameOf(*object.model);

    sRoomKey key = MakeRoomKey(room, frame.scale);
    std::vector<CollisionTriangle>& triangles = s_Cache.triangles;
    if (!s_Cache.valid || !(s_Cache.key == key)) {
        triangles.clear();
        AppendRoomTriangles(room, frame.scale, triangles);
        s_Cache.roomCount = triangles.size();
        s_Cache.index.Build(triangles);
        s_Cache.key = key;
        s_Cache.valid = true;
    }
    // The boxes move between calls; the room's part of the list stays as it is.
    const size_t roomCount = s_Cache.roomCount;
    s_pLastTriangles = &triangles;
    triangles.resize(roomCount);
    AppendBoxTriangles(others, frame.scale, triangles);
    s_Cache.boxes.resize(triangles.size() - roomCount);
    s_Cache.boxBounded.resize(triangles.size() - roomCount);
    for (size_t i = roomCount; i < triangles.size(); ++i)
        s_Cache.boxBounded[i - roomCount] = cTriangleBVH::PaddedBox(triangles[i], s_Cache.boxes[i - roomCount]);

    cVector3 start = ToEllipsoidSpace(object.position, frame);
    cVector3 end = ToEllipsoidSpace(destination, frame);
    s_counter = 0;
    cVector3 result = Sweep(start, end, [&](const Ellipsoid& ellipsoid, sContact& contact) {
        // Every contact point lies within 1 + travel of the sphere's centre: on a triangle's edge,
        // or inside it up to the inside test's tolerance, which the index adds to each triangle's
        // box. Farther triangles cannot be hit; the margins here cover rounding.
        float travel = Length(Sub(ellipsoid.destination, ellipsoid.center));
        const cVector3& c = ellipsoid.center;
        float reach = (travel + 1.0f) * 1.001f + 0.01f +
                      1e-5f * std::fmax(std::fabs(c.x), std::fmax(std::fabs(c.y), std::fabs(c.z)));
        s_Cache.index.Query(c, reach, [&](uint32_t i) {
            CollisionInfo info;
            if (CheckEllipsoidTriangleIntersection(ellipsoid, triangles[i], info))
                contact.Offer(info, i);
        });
        for (size_t i = roomCount; i < triangles.size(); ++i) {
            if (s_Cache.boxBounded[i - roomCount] && !s_Cache.boxes[i - roomCount].WithinReach(c, reach))
                continue;
            CollisionInfo info;
            if (CheckEllipsoidTriangleIntersection(ellipsoid, triangles[i], info))
                contact.Offer(info, i);
        }
    });
    return FromEllipsoidSpace(result, frame);
}

cVector3 HandleCollisionsReference(const CollisionModel& object, const cVector3& destination,
                                   const CollisionModel& room, const std::vector<CollisionModel>& others,
                                   unsigned int)
{
    if (!object.model || !HasEllipsoidSize(*object.model))
        return object.position;
    sEllipsoidFrame frame = FrameOf(*object.model);
    LoadRoomTriangles(room, others, frame.scale);
    cVector3 start = ToEllipsoidSpace(object.position, frame);
    cVector3 end = ToEllipsoidSpace(destination, frame);
    s_counter = 0;
    return FromEllipsoidSpace(DetectCollisions(start, end, s_RoomTris), frame);
}

void LoadRoomTriangles(const CollisionModel& room, const std::vector<CollisionModel>& others, const cVector3& scale)
{
    s_pLastTriangles = &s_RoomTris;
    s_RoomTris.clear();
    AppendRoomTriangles(room, scale, s_RoomTris);
    AppendBoxTriangles(others, scale, s_RoomTris);
}

const std::vector<CollisionTriangle>& GetRoomTriangles() { return *s_pLastTriangles; }

void TriangulateObjectBoundingBox(const CollisionModel& object, std::vector<CollisionTriangle>& list, int first)
{
    float w = 0, h = 0, l = 0;
    if (object.model) {
        w = object.model->GetWidth() / 2;
        h = object.model->GetHeight() / 2;
        l = object.model->GetLength() / 2;
    }
    if (first < 0)
        return;
    if (list.size() < size_t(first) + 12)
        list.resize(size_t(first) + 12);
    cVector3 corners[8] = {{w, h, -l}, {-w, h, -l}, {-w, h, l}, {w, h, l},
                           {w, -h, -l}, {-w, -h, -l}, {-w, -h, l}, {w, -h, l}};
    cMatrix16 rotation;
    rotation.LoadRotationAboutAxis(object.rotAxis, object.rotAngle);
    for (cVector3& corner : corners)
        corner = Add(rotation * corner, object.position);
    static const int faces[12][3] = {{0, 1, 2}, {0, 2, 3}, {0, 4, 5}, {0, 5, 1}, {1, 5, 6}, {1, 6, 2},
                                     {2, 6, 7}, {2, 7, 3}, {3, 7, 4}, {3, 4, 0}, {4, 7, 6}, {4, 6, 5}};
    for (int face = 0; face < 6; ++face) {
        const int* second = faces[2 * face + 1];
        cVector3 normal = Cross(Sub(corners[second[0]], corners[second[1]]), Sub(corners[second[0]], corners[second[2]]));
        for (int k = 0; k < 2; ++k) {
            const int* corner = faces[2 * face + k];
            list[first + 2 * face + k] = {corners[corner[0]], corners[corner[1]], corners[corner[2]], normal};
        }
    }
}

cVector3 DetectCollisions(const cVector3& start, const cVector3& destination,
                          const std::vector<CollisionTriangle>& triangles)
{
    return Sweep(start, destination, [&](const Ellipsoid& ellipsoid, sContact& contact) {
        FindContactLinear(ellipsoid, triangles, contact);
    });
}

void ResetCollisionLevels() { s_counter = 0; }
int GetCollisionLevels() { return s_counter; }

bool CheckEllipsoidTriangleIntersection(const Ellipsoid& ellipsoid, const CollisionTriangle& triangle,
                                        CollisionInfo& info)
{
    const cVector3& planeOrigin = triangle.p1;
    const cVector3& normal = triangle.normal;
    cVector3 velocity = Sub(ellipsoid.destination, ellipsoid.center);
    cVector3 dir = velocity;
    Normalize(dir);
    float travel = Length(velocity);

    cVector3 spherePoint = Sub(ellipsoid.center, normal);
    float t;
    cVector3 planePoint;
    if (ClassifyPoint(spherePoint, planeOrigin, normal) == 1) {
        // The plane cuts the sphere: the sphere's lowest point is moved onto the plane.
        t = RayPlaneIntersection(spherePoint, normal, planeOrigin, normal);
        planePoint = Add(spherePoint, Scale(normal, t));
    } else {
        t = RayPlaneIntersection(spherePoint, dir, planeOrigin, normal);
        planePoint = Add(spherePoint, Scale(dir, t));
    }
    cVector3 contactPoint = planePoint;
    float distance = t;
    if (!PointInTriangle(planePoint, triangle)) {
        contactPoint = ClosestPointOnTriangle(triangle.p1, triangle.p2, triangle.p3, planePoint);
        distance = CheckRayEllipsoidIntersection(contactPoint, Negate(dir), ellipsoid.center, 1.0f);
        if (distance > 0)
            spherePoint = Sub(contactPoint, Scale(dir, distance));
    }
    if (CheckPointInSphere(contactPoint, ellipsoid.center, 1.0f))
        info.embedded = true;
    if (distance > -0.0001f && distance <= travel) {
        info.sphereHitPoint = spherePoint;
        info.polyHitPoint = contactPoint;
        info.distance = distance;
        return true;
    }
    return false;
}

float RayPlaneIntersection(const cVector3& rayOrigin, const cVector3& rayDirection, const cVector3& planeOrigin,
                           const cVector3& planeNormal)
{
    float cosine = Dot(planeNormal, rayDirection);
    if (std::fabs(cosine) <= 0.0001f)
        return -1.0f;
    return -(Dot(planeNormal, rayOrigin) - Dot(planeNormal, planeOrigin)) / cosine;
}

float CheckRayEllipsoidIntersection(const cVector3& rayOrigin, const cVector3& rayDirection, const cVector3& center,
                                    float radius)
{
    cVector3 toCenter = Sub(center, rayOrigin);
    float c = Length(toCenter);
    float v = Dot(toCenter, rayDirection);
    float k = radius * radius - (c * c - v * v);
    if (k < 0.0f)
        return -1.0f;
    return v - std::sqrt(k);
}

bool PointInTriangle(const cVector3& point, const CollisionTriangle& triangle)
{
    // A point on a corner gives a zero vector, which stays zero instead of becoming NaN.
    cVector3 a = Sub(point, triangle.p1);
    cVector3 b = Sub(point, triangle.p2);
    cVector3 c = Sub(point, triangle.p3);
    Normalize(a);
    Normalize(b);
    Normalize(c);
    float total = std::acos(Dot(a, b)) + std::acos(Dot(b, c)) + std::acos(Dot(a, c));
    return total >= 6.2731853f;   // two pi less 0.01
}

cVector3 ClosestPointOnLine(const cVector3& a, const cVector3& b, const cVector3& p)
{
    cVector3 direction = Sub(b, a);
    float length = Length(direction);
    Normalize(direction);   // a zero-length segment keeps a zero direction and yields its end a
    float s = Dot(direction, Sub(p, a));
    if (s < 0.0f)
        return a;
    if (s > length)
        return b;
    return Add(a, Scale(direction, s));
}

cVector3 ClosestPointOnTriangle(const cVector3& a, const cVector3& b, const cVector3& c, const cVector3& p)
{
    cVector3 onAB = ClosestPointOnLine(a, b, p);
    cVector3 onAC = ClosestPointOnLine(a, c, p);
    cVector3 onBC = ClosestPointOnLine(b, c, p);
    float dAB = LengthSquared(Sub(p, onAB));
    float dAC = LengthSquared(Sub(p, onAC));
    float dBC = LengthSquared(Sub(p, onBC));
    if (dAB < dAC && dAB < dBC)
        return onAB;
    if (dAC < dBC)
        return onAC;
    return onBC;
}

void ProjectVectorOntoPlane(const cVector3& v, const cVector3& n, cVector3& out)
{
    // (n.n) I - n n^T, without translation: for a unit n this removes v's part along n.
    float nn = Dot(n, n);
    cMatrix16 projection;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            projection(row + 4 * column) = (row == column ? nn : 0.0f) - n[row] * n[column];
    out = projection * v;
}

int ClassifyPoint(const cVector3& point, const cVector3& planeOrigin, const cVector3& planeNormal)
{
    float s = Dot(Sub(planeOrigin, point), planeNormal);
    if (s < -1e-08f)
        return 0;
    if (s > 1e-08f)
        return 1;
    return 2;
}

bool CheckPointInSphere(const cVector3& point, const cVector3& center, float radius)
{
    return LengthSquared(Sub(point, center)) <= radius * radius;
}
