#include "physics/cMassMesh.h"

#include <GL/gl.h>

#include "graphics/cTextureManager.h"

cMassMesh::cMassMesh(const std::string& textureName) : m_Textured(!textureName.empty())
{
    LoadTexture(textureName);
}

cMassMesh::~cMassMesh()
{
    if (m_TextureID != 0)
        TEXTUREMANAGER.RemoveTexture(m_TextureName.c_str());
}

void cMassMesh::LoadTexture(const std::string& textureName)
{
    if (textureName.empty())
        return;
    if (m_TextureID != 0)
        TEXTUREMANAGER.RemoveTexture(m_TextureName.c_str());
    m_TextureName = textureName;
    TEXTUREMANAGER.AddTexture(m_TextureName.c_str());
    m_TextureID = TEXTUREMANAGER.GetGLTextureID(m_TextureName.c_str());
}

void cMassMesh::CalculateNormals()
{
    if (!m_pMasses)
        return;
    const std::vector<cMass>& masses = *m_pMasses;
    // Each mass's normal is the sum of its triangles' normals (weighted by their areas): every mass,
    // along the edges and at the corners too, faces the side that the triangles' winding makes the
    // front. Crossing the vectors to its neighbours in turn would turn the normals of the first row
    // and the last column the other way, and those edges would be lit from behind.
    m_Normals.assign(masses.size(), cVector3{0, 0, 0});
    for (const sMassTriangle& triangle : m_Triangles) {
        if (triangle.index[0] >= masses.size() || triangle.index[1] >= masses.size() ||
            triangle.index[2] >= masses.size())
            continue;
        const cVector3& a = masses[triangle.index[0]].GetPos();
        cVector3 normal = CrossVector3(masses[triangle.index[1]].GetPos() - a, masses[triangle.index[2]].GetPos() - a);
        for (uint16_t index : triangle.index)
            m_Normals[index] += normal;
    }
    for (cVector3& normal : m_Normals)
        normal.Normalize();   // a folded-flat mass keeps a zero normal rather than NaN
}

void cMassMesh::Draw()
{
    if (!m_pMasses)
        return;
    glColor3ub(m_Red, m_Green, m_Blue);
    CalculateNormals();
    const std::vector<cMass>& masses = *m_pMasses;
    bool textured = m_Textured && m_TexCoords.size() == masses.size();
    if (textured)
        glBindTexture(GL_TEXTURE_2D, m_TextureID);
    glBegin(GL_TRIANGLES);
    for (const sMassTriangle& triangle : m_Triangles) {
        if (triangle.index[0] >= masses.size() || triangle.index[1] >= masses.size() ||
            triangle.index[2] >= masses.size())
            continue;
        for (uint16_t index : triangle.index) {
            if (textured)
                glTexCoord2f(m_TexCoords[index].x, m_TexCoords[index].y);
            glNormal3f(m_Normals[index].x, m_Normals[index].y, m_Normals[index].z);
            const cVector3& p = masses[index].GetPos();
            glVertex3f(p.x, p.y, p.z);
        }
    }
    glEnd();
    glFlush();
    if (textured)
        glBindTexture(GL_TEXTURE_2D, 0);
}
