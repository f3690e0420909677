#include "physics/cMassMesh.h"

#include <GL/gl.h>

#include "graphics/cTextureManager.h"
#include "physics/PhysicsMath.h"

using namespace physmath;

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
    std::vector<cMass>& masses = *m_pMasses;
    m_Normals.resize(masses.size());
    for (size_t i = 0; i < masses.size(); ++i) {
        const cMass& mass = masses[i];
        cVector3 normal{0, 0, 0};
        int count = mass.GetNumAdjacentMasses();
        for (int k = 1; k < count; ++k) {
            cVector3 previous = Sub(mass.GetAdjacentMass(k - 1)->GetPos(), mass.GetPos());
            cVector3 current = Sub(mass.GetAdjacentMass(k)->GetPos(), mass.GetPos());
            normal = Add(normal, Cross(previous, current));
        }
        Normalize(normal);   // a flat fold leaves a zero normal rather than NaN
        m_Normals[i] = normal;
    }
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
