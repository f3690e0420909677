#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "math/cVector2.h"
#include "physics/cMass.h"

struct sMassTriangle
{
    uint16_t index[3];   // into the cloth's mass list
};

// The cloth's masses drawn as a lit, optionally textured triangle mesh. The cloth fills the
// triangles and texture coordinates; the mesh refers to the cloth's mass list.
class cMassMesh
{
public:
    cMassMesh() = default;
    explicit cMassMesh(const std::string& textureName);   // textured, with the texture loaded
    ~cMassMesh();   // gives the texture back to the registry
    cMassMesh(const cMassMesh&) = delete;
    cMassMesh& operator=(const cMassMesh&) = delete;

    void LoadTexture(const std::string& textureName);   // registers it with TEXTUREMANAGER
    void CalculateNormals();   // from the triangles, so that all face the front's side
    void Draw();   // needs the GL context

    std::vector<cMass>* m_pMasses = nullptr;   // not owned
    std::vector<cVector3> m_Normals;           // one per mass
    std::vector<sMassTriangle> m_Triangles;
    std::vector<cVector2> m_TexCoords;         // one per mass
    uint8_t m_Red = 255, m_Green = 255, m_Blue = 255;
    bool m_Textured = false;
    std::string m_TextureName;
    unsigned int m_TextureID = 0;   // GL texture name; 0 for none
};
