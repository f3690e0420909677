#pragma once
#include <cstdint>
#include <vector>

#include "model/cModel.h"

// A bounding-volume hierarchy over collision triangles in ellipsoid space. Each triangle's box is
// padded by the distance at which the sphere test can still report a contact beyond the triangle
// (the inside test's angle tolerance grows with the triangle's size), so a query can never miss a
// triangle that the brute-force sweep would have hit.
class cTriangleBVH
{
public:
    void Build(const std::vector<CollisionTriangle>& triangles);   // replaces what was built before

    // Calls visit(index) for every triangle whose padded box comes within radius of center, and for
    // every triangle with a non-finite corner (it has no box, so it is never ruled out).
    template <class Visit>
    void Query(const cVector3& center, float radius, Visit&& visit) const;

    // A triangle's padded box as the index uses it; false for a triangle with a non-finite corner.
    struct sBox
    {
        float lo[3], hi[3];
        bool WithinReach(const cVector3& center, float radius) const;   // true for a non-finite centre
    };
    static bool PaddedBox(const CollisionTriangle& triangle, sBox& box);

private:
    struct sNode
    {
        float lo[3], hi[3];
        uint32_t first;   // leaf: first entry of m_Order; inner node: index of the second child
        uint32_t count;   // triangles in a leaf; 0 for an inner node, whose first child follows it
    };
    struct sItem
    {
        float lo[3], hi[3], centroid[3];
        uint32_t index;
    };

    uint32_t BuildNode(std::vector<sItem>& items, uint32_t begin, uint32_t end);

    static bool Reaches(const float lo[3], const float hi[3], const float c[3], float radiusSquared)
    {
        float distanceSquared = 0;
        for (int axis = 0; axis < 3; ++axis) {
            float d = 0;
            if (c[axis] < lo[axis])
                d = lo[axis] - c[axis];
            else if (c[axis] > hi[axis])
                d = c[axis] - hi[axis];
            distanceSquared += d * d;
        }
        // A non-finite centre compares false everywhere and so reaches everything: never a miss.
        return !(distanceSquared > radiusSquared);
    }

    std::vector<sNode> m_Nodes;
    std::vector<uint32_t> m_Order;
    std::vector<uint32_t> m_Unbounded;
};

template <class Visit>
void cTriangleBVH::Query(const cVector3& center, float radius, Visit&& visit) const
{
    for (uint32_t index : m_Unbounded)
        visit(index);
    if (m_Nodes.empty())
        return;
    const float c[3] = {center.x, center.y, center.z};
    const float radiusSquared = radius * radius;
    uint32_t stack[64];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const sNode& node = m_Nodes[stack[--top]];
        if (!Reaches(node.lo, node.hi, c, radiusSquared))
            continue;
        if (node.count > 0) {
            for (uint32_t i = 0; i < node.count; ++i)
                visit(m_Order[node.first + i]);
        } else {
            uint32_t self = uint32_t(&node - m_Nodes.data());
            stack[top++] = node.first;
            stack[top++] = self + 1;
        }
    }
}

inline bool cTriangleBVH::sBox::WithinReach(const cVector3& center, float radius) const
{
    const float c[3] = {center.x, center.y, center.z};
    return Reaches(lo, hi, c, radius * radius);
}
