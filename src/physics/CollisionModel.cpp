#include "physics/CollisionModel.h"

#include <cmath>

#include "math/cMatrix16.h"
#include "physics/cCollisionRoom.h"

namespace {

constexpr float CONTACT_GAP = 0.03f;

cVector3 MulComponents(const cVector3& a, const cVector3& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }

// Scales corners and normal into ellipsoid space. A normal that cannot be normalised (a degenerate
// triangle) stays zero, and a non-finite one becomes zero, so no division by zero follows.
void ScaleTriangle(CollisionTriangle& t, const cVector3& scale)
{
    t.p1 = MulComponents(t.p1, scale);
    t.p2 = MulComponents(t.p2, scale);
    t.p3 = MulComponents(t.p3, scale);
    t.normal = MulComponents(t.normal, scale);
    if (!t.normal.IsFinite())
        t.normal = {0, 0, 0};
    t.normal.Normalize();
}

// Whether `v` can be normalised: a contact straight above or below, or exactly at the sphere's
// centre, leaves no plane to slide on.
bool HasDirection(const cVector3& v) { return v.Length() >= cVector3::NORMALIZE_MIN_LENGTH; }

} // namespace

bool HasEllipsoidSize(const cModel& model)
{
    for (float size : {model.GetWidth(), model.GetHeight(), model.GetLength()})
        if (!(size > 0.0f) || !std::isfinite(size) || !std::isfinite(2.0f / size))
            return false;
    return true;
}

sEllipsoidFrame EllipsoidFrameOf(const cModel& model)
{
    return {{2.0f / model.GetWidth(), 2.0f / model.GetHeight(), 2.0f / model.GetLength()}, model.GetHeight() / 2.0f};
}

cVector3 sEllipsoidFrame::ToEllipsoid(cVector3 p) const
{
    p.y += halfHeight;
    return MulComponents(p, scale);
}

cVector3 sEllipsoidFrame::FromEllipsoid(cVector3 p) const
{
    p = {p.x / scale.x, p.y / scale.y, p.z / scale.z};
    p.y -= halfHeight;
    return p;
}

bool IsSweepInRange(const CollisionModel& object, const cVector3& destination)
{
    if (!object.model || !HasEllipsoidSize(*object.model))
        return true;   // nothing is swept
    const sEllipsoidFrame frame = EllipsoidFrameOf(*object.model);
    for (const cVector3& point : {frame.ToEllipsoid(object.position), frame.ToEllipsoid(destination)})
        for (float value : {point.x, point.y, point.z})
            if (!(std::fabs(value) <= MAX_SWEEP_RADII))
                return false;
    return true;
}

cVector3 HandleCollisions(const CollisionModel& object, const cVector3& destination, const CollisionModel& room,
                          const std::vector<CollisionModel>& others, cCollisionRoom& prepared, int* levels)
{
    int entered = 0;
    cVector3 result = object.position;
    if (object.model && HasEllipsoidSize(*object.model)) {
        const sEllipsoidFrame frame = EllipsoidFrameOf(*object.model);
        prepared.Prepare(room, others, frame.scale);
        result = frame.FromEllipsoid(
            prepared.Sweep(frame.ToEllipsoid(object.position), frame.ToEllipsoid(destination), entered));
    }
    if (levels)
        *levels = entered;
    return result;
}

void AppendRoomTriangles(const CollisionModel& room, const cVector3& scale, std::vector<CollisionTriangle>& list)
{
    size_t first = list.size();
    if (room.model)
        room.model->GetTriangles(list);
    cMatrix16 rotation;
    rotation.LoadRotationAboutAxis(room.rotAxis, room.rotAngle);
    for (size_t i = first; i < list.size(); ++i) {
        CollisionTriangle& t = list[i];
        t.p1 = rotation * t.p1 + room.position;
        t.p2 = rotation * t.p2 + room.position;
        t.p3 = rotation * t.p3 + room.position;
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

bool SlideAfterContact(cVector3& start, cVector3& destination, const sContact& contact)
{
    cVector3 dir = destination - start;
    dir.Normalize();
    const cVector3 base = contact.distance >= CONTACT_GAP ? start + dir * (contact.distance - CONTACT_GAP) : start;
    start = base;
    if (std::fabs(dir.y) > 0.98f)
        return false;   // falling or rising: no sliding

    // Contact normals steeper than these limits make the surface a vertical wall (ceilings too).
    cVector3 normal = base - contact.polyHitPoint;
    if (normal.y < 0.4f)
        normal.y = 0;
    if (!HasDirection(normal))
        return false;
    normal.Normalize();
    if (normal.y < 0.6f) {
        normal.y = 0;
        if (!HasDirection(normal))
            return false;
        normal.Normalize();
    }
    cVector3 slide;
    ProjectVectorOntoPlane(destination - base, normal, slide);
    destination = base + slide;
    return true;
}

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
        corner = rotation * corner + object.position;
    static const int faces[12][3] = {{0, 1, 2}, {0, 2, 3}, {0, 4, 5}, {0, 5, 1}, {1, 5, 6}, {1, 6, 2},
                                     {2, 6, 7}, {2, 7, 3}, {3, 7, 4}, {3, 4, 0}, {4, 7, 6}, {4, 6, 5}};
    for (int face = 0; face < 6; ++face) {
        const int* second = faces[2 * face + 1];
        cVector3 normal =
            CrossVector3(corners[second[0]] - corners[second[1]], corners[second[0]] - corners[second[2]]);
        for (int k = 0; k < 2; ++k) {
            const int* corner = faces[2 * face + k];
            list[first + 2 * face + k] = {corners[corner[0]], corners[corner[1]], corners[corner[2]], normal};
        }
    }
}

bool CheckEllipsoidTriangleIntersection(const Ellipsoid& ellipsoid, const CollisionTriangle& triangle,
                                        CollisionInfo& info)
{
    const cVector3& planeOrigin = triangle.p1;
    const cVector3& normal = triangle.normal;
    cVector3 velocity = ellipsoid.destination - ellipsoid.center;
    cVector3 dir = velocity;
    dir.Normalize();
    float travel = velocity.Length();

    cVector3 spherePoint = ellipsoid.center - normal;
    float t;
    cVector3 planePoint;
    if (ClassifyPoint(spherePoint, planeOrigin, normal) == 1) {
        // The plane cuts the sphere: the sphere's lowest point is moved onto the plane.
        t = RayPlaneIntersection(spherePoint, normal, planeOrigin, normal);
        planePoint = spherePoint + normal * t;
    } else {
        t = RayPlaneIntersection(spherePoint, dir, planeOrigin, normal);
        planePoint = spherePoint + dir * t;
    }
    cVector3 contactPoint = planePoint;
    float distance = t;
    if (!PointInTriangle(planePoint, triangle)) {
        contactPoint = ClosestPointOnTriangle(triangle.p1, triangle.p2, triangle.p3, planePoint);
        distance = CheckRayEllipsoidIntersection(contactPoint, -dir, ellipsoid.center, 1.0f);
        if (distance > 0)
            spherePoint = contactPoint - dir * distance;
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
    float cosine = planeNormal.Dot(rayDirection);
    if (std::fabs(cosine) <= 0.0001f)
        return -1.0f;
    return -(planeNormal.Dot(rayOrigin) - planeNormal.Dot(planeOrigin)) / cosine;
}

float CheckRayEllipsoidIntersection(const cVector3& rayOrigin, const cVector3& rayDirection, const cVector3& center,
                                    float radius)
{
    cVector3 toCenter = center - rayOrigin;
    float c = toCenter.Length();
    float v = toCenter.Dot(rayDirection);
    float k = radius * radius - (c * c - v * v);
    if (k < 0.0f)
        return -1.0f;
    return v - std::sqrt(k);
}

bool PointInTriangle(const cVector3& point, const CollisionTriangle& triangle)
{
    // A point on a corner gives a zero vector, which stays zero instead of becoming NaN.
    cVector3 a = point - triangle.p1;
    cVector3 b = point - triangle.p2;
    cVector3 c = point - triangle.p3;
    a.Normalize();
    b.Normalize();
    c.Normalize();
    float total = std::acos(a.Dot(b)) + std::acos(b.Dot(c)) + std::acos(a.Dot(c));
    return total >= 6.2731853f;   // two pi less 0.01
}

cVector3 ClosestPointOnLine(const cVector3& a, const cVector3& b, const cVector3& p)
{
    cVector3 direction = b - a;
    float length = direction.Length();
    direction.Normalize();   // a zero-length segment keeps a zero direction and yields its end a
    float s = direction.Dot(p - a);
    if (s < 0.0f)
        return a;
    if (s > length)
        return b;
    return a + direction * s;
}

cVector3 ClosestPointOnTriangle(const cVector3& a, const cVector3& b, const cVector3& c, const cVector3& p)
{
    cVector3 onAB = ClosestPointOnLine(a, b, p);
    cVector3 onAC = ClosestPointOnLine(a, c, p);
    cVector3 onBC = ClosestPointOnLine(b, c, p);
    float dAB = (p - onAB).LengthSquared();
    float dAC = (p - onAC).LengthSquared();
    float dBC = (p - onBC).LengthSquared();
    if (dAB < dAC && dAB < dBC)
        return onAB;
    if (dAC < dBC)
        return onAC;
    return onBC;
}

void ProjectVectorOntoPlane(const cVector3& v, const cVector3& n, cVector3& out)
{
    // (n.n) I - n n^T, without translation: for a unit n this removes v's part along n.
    float nn = n.Dot(n);
    cMatrix16 projection;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            projection(row + 4 * column) = (row == column ? nn : 0.0f) - n[row] * n[column];
    out = projection * v;
}

int ClassifyPoint(const cVector3& point, const cVector3& planeOrigin, const cVector3& planeNormal)
{
    float s = (planeOrigin - point).Dot(planeNormal);
    if (s < -1e-08f)
        return 0;
    if (s > 1e-08f)
        return 1;
    return 2;
}

bool CheckPointInSphere(const cVector3& point, const cVector3& center, float radius)
{
    return (point - center).LengthSquared() <= radius * radius;
}
