#pragma once
#include <vector>

#include "math/cVector3.h"

// Minimal stand-in so that collision code compiles before the model loader lands; the real
// header replaces this file whole.
struct CollisionTriangle
{
    cVector3 p1{0, 0, 0}, p2{0, 0, 0}, p3{0, 0, 0};
    cVector3 normal{0, 0, 0};   // unit length
};

class cModel
{
public:
    float GetWidth() const { return m_Width; }
    float GetHeight() const { return m_Height; }
    float GetLength() const { return m_Length; }
    void GetTriangles(std::vector<CollisionTriangle>& list) const
    {
        list.insert(list.end(), m_CollisionTriangles.begin(), m_CollisionTriangles.end());
    }

    const std::vector<CollisionTriangle>& GetTriangleList() const { return m_CollisionTriangles; }

    float m_Width = 0, m_Length = 0, m_Height = 0;
    std::vector<CollisionTriangle> m_CollisionTriangles;
};
