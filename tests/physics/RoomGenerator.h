#pragma once
// Generated rooms for collision tests and benchmarks: a floor grid with steps, ramps, thin walls
// and pillars, written as an OBJ file and loaded through cModel like any room.
#include <cmath>
#include <fstream>
#include <iomanip>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model/cModel.h"

namespace roomgen {

struct sMesh
{
    std::vector<cVector3> vertices;
    std::vector<int> faces;   // three one-based vertex numbers per triangle

    size_t TriangleCount() const { return faces.size() / 3; }

    void Quad(cVector3 a, cVector3 b, cVector3 c, cVector3 d)   // counter-clockwise seen from the front
    {
        const int ia = int(vertices.size()) + 1;
        vertices.insert(vertices.end(), {a, b, c, d});
        faces.insert(faces.end(), {ia, ia + 1, ia + 2, ia, ia + 2, ia + 3});
    }
    // An axis-aligned box from lo to hi, faces outwards.
    void Box(cVector3 lo, cVector3 hi)
    {
        cVector3 p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                         {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
        Quad(p[4], p[5], p[6], p[7]);   // +z
        Quad(p[1], p[0], p[3], p[2]);   // -z
        Quad(p[5], p[1], p[2], p[6]);   // +x
        Quad(p[0], p[4], p[7], p[3]);   // -x
        Quad(p[7], p[6], p[2], p[3]);   // +y
        Quad(p[0], p[1], p[5], p[4]);   // -y
    }

    std::string ToObj() const
    {
        std::ostringstream text;
        text << std::fixed << std::setprecision(6) << "usemtl default\n";
        for (const cVector3& v : vertices)
            text << "v " << v.x << ' ' << v.y << ' ' << v.z << '\n';
        for (size_t i = 0; i < faces.size(); i += 3)
            text << "f " << faces[i] << ' ' << faces[i + 1] << ' ' << faces[i + 2] << '\n';
        return text.str();
    }
};

// A square room of side `size` centred on the origin, floor at y = 0, with about `triangles`
// triangles: a floor grid of about half of them, and boxes and ramps for the rest.
inline sMesh MakeRoom(unsigned seed, size_t triangles, float size = 40.0f)
{
    std::mt19937 random(seed);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    sMesh mesh;
    float half = size / 2;
    int grid = std::max(1, int(std::sqrt(float(triangles) / 4.0f)));
    float cell = size / float(grid);
    for (int i = 0; i < grid; ++i) {
        for (int j = 0; j < grid; ++j) {
            float x0 = -half + i * cell, z0 = -half + j * cell;
            mesh.Quad({x0, 0, z0 + cell}, {x0 + cell, 0, z0 + cell}, {x0 + cell, 0, z0}, {x0, 0, z0});
        }
    }
    // Outer walls facing inwards.
    mesh.Quad({-half, 0, -half}, {half, 0, -half}, {half, 4, -half}, {-half, 4, -half});
    mesh.Quad({half, 0, half}, {-half, 0, half}, {-half, 4, half}, {half, 4, half});
    mesh.Quad({-half, 0, half}, {-half, 0, -half}, {-half, 4, -half}, {-half, 4, half});
    mesh.Quad({half, 0, -half}, {half, 0, half}, {half, 4, half}, {half, 4, -half});
    while (mesh.TriangleCount() < triangles) {
        float x = uniform(-half + 1, half - 1), z = uniform(-half + 1, half - 1);
        switch (random() % 4) {
        case 0: {   // a step
            float w = uniform(0.5f, 3), l = uniform(0.5f, 3), h = uniform(0.05f, 0.6f);
            mesh.Box({x, 0, z}, {x + w, h, z + l});
            break;
        }
        case 1: {   // a thin wall
            float length = uniform(1, 8), height = uniform(1, 3), thickness = uniform(0.02f, 0.1f);
            if (random() % 2)
                mesh.Box({x, 0, z}, {x + length, height, z + thickness});
            else
                mesh.Box({x, 0, z}, {x + thickness, height, z + length});
            break;
        }
        case 2: {   // a pillar
            float w = uniform(0.2f, 1);
            mesh.Box({x, 0, z}, {x + w, uniform(2, 4), z + w});
            break;
        }
        default: {   // a ramp rising along +x, gentle or steep
            float length = uniform(1, 6), width = uniform(1, 3), rise = length * std::tan(uniform(0.1f, 1.3f));
            mesh.Quad({x, 0, z + width}, {x + length, rise, z + width}, {x + length, rise, z}, {x, 0, z});
            break;
        }
        }
    }
    return mesh;
}

// A box model centred on the origin with the given extents.
inline sMesh MakeBox(float width, float height, float length)
{
    sMesh mesh;
    mesh.Box({-width / 2, -height / 2, -length / 2}, {width / 2, height / 2, length / 2});
    return mesh;
}

// Writes the mesh to `path` and loads it as a model with its bounds and triangles.
inline std::unique_ptr<cModel> LoadMesh(const sMesh& mesh, const std::string& path)
{
    std::ofstream(path) << mesh.ToObj();
    auto model = std::make_unique<cModel>();
    model->AddFrame(path.c_str());
    model->CalcExtraData();
    return model;
}

} // namespace roomgen
