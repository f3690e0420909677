#include "physics/cTriangleBVH.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t LEAF_SIZE = 4;

float MaxAbs(const cVector3& v) { return std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)}); }

} // namespace

bool cTriangleBVH::PaddedBox(const CollisionTriangle& t, sBox& box)
{
    if (!t.p1.IsFinite() || !t.p2.IsFinite() || !t.p3.IsFinite())
        return false;
    // The inside test accepts points up to about 0.0015 of the longest edge outside the triangle
    // (its angle sum may fall 0.01 short of two pi); 0.01 of it keeps a wide margin. The other
    // terms cover rounding at large coordinates.
    float longest = std::max({(t.p2 - t.p1).Length(), (t.p3 - t.p2).Length(), (t.p1 - t.p3).Length()});
    float coordinates = std::max({MaxAbs(t.p1), MaxAbs(t.p2), MaxAbs(t.p3)});
    float pad = 0.01f * longest + 1e-5f * coordinates + 1e-3f;
    for (int axis = 0; axis < 3; ++axis) {
        box.lo[axis] = std::min({t.p1[axis], t.p2[axis], t.p3[axis]}) - pad;
        box.hi[axis] = std::max({t.p1[axis], t.p2[axis], t.p3[axis]}) + pad;
    }
    return true;
}

void cTriangleBVH::Build(const std::vector<CollisionTriangle>& triangles)
{
    m_Nodes.clear();
    m_Order.clear();
    m_Unbounded.clear();
    std::vector<sItem> items;
    items.reserve(triangles.size());
    for (uint32_t i = 0; i < triangles.size(); ++i) {
        const CollisionTriangle& t = triangles[i];
        if (!t.p1.IsFinite() || !t.p2.IsFinite() || !t.p3.IsFinite()) {
            m_Unbounded.push_back(i);
            continue;
        }
        sItem item;
        sBox box;
        PaddedBox(t, box);
        for (int axis = 0; axis < 3; ++axis) {
            item.lo[axis] = box.lo[axis];
            item.hi[axis] = box.hi[axis];
            item.centroid[axis] = 0.5f * (box.lo[axis] + box.hi[axis]);
        }
        item.index = i;
        items.push_back(item);
    }
    if (items.empty())
        return;
    m_Nodes.reserve(2 * items.size() / LEAF_SIZE + 2);
    m_Order.reserve(items.size());
    BuildNode(items, 0, uint32_t(items.size()));
}

uint32_t cTriangleBVH::BuildNode(std::vector<sItem>& items, uint32_t begin, uint32_t end)
{
    uint32_t self = uint32_t(m_Nodes.size());
    m_Nodes.push_back({});
    sNode node;
    float centroidLo[3], centroidHi[3];
    for (int axis = 0; axis < 3; ++axis) {
        node.lo[axis] = centroidLo[axis] = INFINITY;
        node.hi[axis] = centroidHi[axis] = -INFINITY;
    }
    for (uint32_t i = begin; i < end; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            node.lo[axis] = std::min(node.lo[axis], items[i].lo[axis]);
            node.hi[axis] = std::max(node.hi[axis], items[i].hi[axis]);
            centroidLo[axis] = std::min(centroidLo[axis], items[i].centroid[axis]);
            centroidHi[axis] = std::max(centroidHi[axis], items[i].centroid[axis]);
        }
    }
    if (end - begin <= LEAF_SIZE) {
        node.first = uint32_t(m_Order.size());
        node.count = end - begin;
        for (uint32_t i = begin; i < end; ++i)
            m_Order.push_back(items[i].index);
        m_Nodes[self] = node;
        return self;
    }
    int axis = 0;
    for (int a = 1; a < 3; ++a)
        if (centroidHi[a] - centroidLo[a] > centroidHi[axis] - centroidLo[axis])
            axis = a;
    uint32_t middle = begin + (end - begin) / 2;
    std::nth_element(items.begin() + begin, items.begin() + middle, items.begin() + end,
                     [axis](const sItem& a, const sItem& b) { return a.centroid[axis] < b.centroid[axis]; });
    BuildNode(items, begin, middle);   // the first child directly follows its parent
    node.first = BuildNode(items, middle, end);
    node.count = 0;
    m_Nodes[self] = node;
    return self;
}
