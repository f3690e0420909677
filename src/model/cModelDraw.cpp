#include "model/cModel.h"

#include <cmath>
#include <unordered_map>
#include <utility>

#include "graphics/cTextureManager.h"

namespace {

// One blend for Interpolate and the shared vertices, so that a model drawn corner by corner
// with Interpolate gives the same pixels as Animate.
inline void Blend(const Point3D& a, const Point3D& b, float percent, Point3D& out)
{
    out.x = (b.x - a.x) * percent + a.x;
    out.y = (b.y - a.y) * percent + a.y;
    out.z = (b.z - a.z) * percent + a.z;
}

inline void MakeUnit(Point3D& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length > 0.0f) {
        v.x /= length;
        v.y /= length;
        v.z /= length;
    } else {
        // Opposite normals blended half-way, or a zero normal in the file: no direction to keep.
        v = Point3D{0.0f, 0.0f, 1.0f};
    }
}

// What OpenGL itself starts with, for groups whose material was never loaded.
Material NeutralMaterial()
{
    Material material;
    material.ambient = RGBColor{0.2f, 0.2f, 0.2f, 1.0f};
    material.diffuse = RGBColor{0.8f, 0.8f, 0.8f, 1.0f};
    material.specular = RGBColor{0.0f, 0.0f, 0.0f, 1.0f};
    return material;
}

void Transform(float tx, float ty, float tz, float sx, float sy, float sz, float angleDegrees,
               float ax, float ay, float az)
{
    glTranslatef(tx, ty, tz);
    glScalef(sx, sy, sz);
    if (angleDegrees != 0.0f)
        glRotatef(angleDegrees, ax, ay, az);
}

} // namespace

void CalculateNormal(const GLfloat a[3], const GLfloat b[3], const GLfloat c[3], Point3D& out)
{
    const float ux = a[0] - b[0], uy = a[1] - b[1], uz = a[2] - b[2];
    const float wx = a[0] - c[0], wy = a[1] - c[1], wz = a[2] - c[2];
    out.x = uy * wz - wy * uz;
    out.y = wx * uz - ux * wz;
    out.z = ux * wy - wx * uy;
    MakeUnit(out);
}

void cModel::Animate(unsigned int frame, float percent, float tx, float ty, float tz, float sx,
                     float sy, float sz, float angleDegrees, float ax, float ay, float az,
                     float alpha)
{
    if (frame >= m_NumFrames)
        throw cModelException(cModelException::ME_DRAW_ERROR,
                              "Specified frame number to draw does not exist");
    if (m_Texturing)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
    if (m_Static) {
        Draw(tx, ty, tz, sx, sy, sz, angleDegrees, ax, ay, az, alpha);
        return;
    }
    const unsigned int perFrame = VerticesPerFrame();
    const unsigned int offsetA = frame * perFrame;
    const unsigned int offsetB = ((frame + 1) % m_NumFrames) * perFrame;

    glEnable(GL_RESCALE_NORMAL);
    glPushMatrix();
    Transform(tx, ty, tz, sx, sy, sz, angleDegrees, ax, ay, az);
    if (m_Texturing)
        glBindTexture(GL_TEXTURE_2D, m_TextureID);
    DrawFrames(offsetA, offsetB, percent, alpha);
    glPopMatrix();
    glDisable(GL_RESCALE_NORMAL);
}

void cModel::Draw(float tx, float ty, float tz, float sx, float sy, float sz, float angleDegrees,
                  float ax, float ay, float az, float alpha)
{
    if (!m_Static)
        return;
    glPushMatrix();
    Transform(tx, ty, tz, sx, sy, sz, angleDegrees, ax, ay, az);
    if (m_Texturing)
        glBindTexture(GL_TEXTURE_2D, m_TextureID);
    DrawStatic(alpha);
    glPopMatrix();
}

void cModel::DrawStatic(float alpha) { DrawFrames(0, 0, 0.0f, alpha); }

void cModel::ApplyMaterial(const Group& group, float alpha)
{
    Material neutral;
    Material* pMaterial = &neutral;
    if (group.MatIndex >= 0 && size_t(group.MatIndex) < m_Materials.size())
        pMaterial = &m_Materials[size_t(group.MatIndex)];
    else
        neutral = NeutralMaterial();
    pMaterial->ambient.a = alpha;
    pMaterial->diffuse.a = alpha;
    pMaterial->specular.a = alpha;
    glMaterialf(GL_FRONT, GL_SHININESS, pMaterial->Ns);
    glMaterialfv(GL_FRONT, GL_AMBIENT, &pMaterial->ambient.r);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, &pMaterial->diffuse.r);
    glMaterialfv(GL_FRONT, GL_SPECULAR, &pMaterial->specular.r);
}

void cModel::BuildTopology()
{
    // One shared vertex per distinct (position, texture coordinate, normal) of the first frame,
    // so that each is blended once per draw however many faces meet at it. A corner without a
    // normal of its own takes its face's normal, so it gets a vertex of its own.
    sTopology& topology = m_Topology;
    topology = sTopology{};
    const Uint32 vertices = VerticesPerFrame();
    const Uint32 normals = NormalsPerFrame();
    std::unordered_map<std::uint64_t, std::vector<std::pair<Uint32, Uint32>>> shared;
    size_t cornerCount = 0;
    for (const Group& group : m_Groups)
        cornerCount += group.TriArray.size() * 3;
    topology.indices.reserve(cornerCount);
    shared.reserve(cornerCount / 2 + 1);
    for (const Group& group : m_Groups) {
        const GLint first = GLint(topology.indices.size());
        for (const TriFace& face : group.TriArray) {
            const bool ownNormals = face.normIndex[0] < normals && face.normIndex[1] < normals &&
                                    face.normIndex[2] < normals;
            if (!ownNormals)
                topology.faceNormalCorners.push_back(Uint32(topology.indices.size()));
            for (int k = 0; k < 3; ++k) {
                const Uint32 vertex = face.vertIndex[k] < vertices ? face.vertIndex[k] : 0;
                const Uint32 normal = face.normIndex[k] < normals ? face.normIndex[k] : NO_INDEX;
                const Uint32 tc = face.tcIndex[k] < m_FirstFrameTexCoords ? face.tcIndex[k] : NO_INDEX;
                Uint32 index = Uint32(topology.vertex.size());
                if (ownNormals) {
                    auto& candidates = shared[std::uint64_t(vertex) << 32 | normal];
                    bool found = false;
                    for (const auto& [candidateTc, candidateIndex] : candidates)
                        if (candidateTc == tc) {
                            index = candidateIndex;
                            found = true;
                            break;
                        }
                    if (!found)
                        candidates.emplace_back(tc, index);
                }
                if (index == topology.vertex.size()) {
                    topology.vertex.push_back(vertex);
                    topology.normal.push_back(normal);
                    topology.texCoords.push_back(tc == NO_INDEX ? TexCoord{} : m_TexCoords[tc]);
                }
                topology.indices.push_back(index);
            }
        }
        topology.groupRanges.emplace_back(first, GLsizei(topology.indices.size()) - first);
    }
    topology.built = true;
}

size_t cModel::BlendFrames(unsigned int frame, float percent)
{
    if (frame >= m_NumFrames)
        return 0;
    const unsigned int perFrame = VerticesPerFrame();
    BlendSharedVertices(frame * perFrame, ((frame + 1) % m_NumFrames) * perFrame, percent);
    return m_BlendedVertices.size();
}

void cModel::BlendSharedVertices(unsigned int offsetA, unsigned int offsetB, float percent)
{
    if (!m_Topology.built)
        BuildTopology();
    const sTopology& topology = m_Topology;
    const unsigned int perFrame = VerticesPerFrame();
    const unsigned int normalsPerFrame = NormalsPerFrame();
    const unsigned int normalA = perFrame ? offsetA / perFrame * normalsPerFrame : 0;
    const unsigned int normalB = perFrame ? offsetB / perFrame * normalsPerFrame : 0;
    const size_t count = topology.vertex.size();
    m_BlendedVertices.resize(count);
    m_BlendedNormals.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const Uint32 v = topology.vertex[i];
        Blend(m_Vertices[offsetA + v], m_Vertices[offsetB + v], percent, m_BlendedVertices[i]);
        const Uint32 n = topology.normal[i];
        if (n != NO_INDEX)
            NormalInterpolate(m_Normals[normalA + n], m_Normals[normalB + n], percent,
                              m_BlendedNormals[i]);
    }
    for (Uint32 corner : topology.faceNormalCorners) {
        const GLuint* face = &topology.indices[corner];
        Point3D normal;
        CalculateNormal(m_BlendedVertices[face[0]].Data(), m_BlendedVertices[face[1]].Data(),
                        m_BlendedVertices[face[2]].Data(), normal);
        for (int k = 0; k < 3; ++k)
            if (topology.normal[face[k]] == NO_INDEX)
                m_BlendedNormals[face[k]] = normal;
    }
}

void cModel::DrawFrames(unsigned int offsetA, unsigned int offsetB, float percent, float alpha)
{
    const bool textured = !m_TexCoords.empty() && m_Texturing;
    BlendSharedVertices(offsetA, offsetB, percent);

    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Point3D), m_BlendedVertices.data());
    glNormalPointer(GL_FLOAT, sizeof(Point3D), m_BlendedNormals.data());
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, sizeof(TexCoord), m_Topology.texCoords.data());
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    for (size_t g = 0; g < m_Groups.size(); ++g) {
        ApplyMaterial(m_Groups[g], alpha);
        const auto [first, count] = m_Topology.groupRanges[g];
        if (count > 0)
            glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, m_Topology.indices.data() + first);
    }
    glPopClientAttrib();
}

void cModel::Interpolate(const Point3D& a, const Point3D& b, float percent, Point3D& out)
{
    Blend(a, b, percent, out);
}

void cModel::NormalInterpolate(const Point3D& a, const Point3D& b, float percent, Point3D& out)
{
    Blend(a, b, percent, out);
    MakeUnit(out);
}

void cModel::SetTexture(const char* textureFileName)
{
    m_TextureName = textureFileName ? textureFileName : "";
    TEXTUREMANAGER.AddTexture(m_TextureName.c_str());
    m_TextureID = TEXTUREMANAGER.GetGLTextureID(m_TextureName.c_str());
}

