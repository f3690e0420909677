#include "graphics/cBackground.h"

#include <GL/gl.h>

#include "graphics/GraphicsManager.h"
#include "graphics/cTextureManager.h"

bool cBackground::LoadImageA(const char* fileName)
{
    m_FileName = fileName;
    TEXTUREMANAGER.AddLargeTexture(fileName, m_NumTexturesX, m_NumTexturesY, m_Width, m_Height,
                                   m_TextureIDs);
    m_Loaded = !(m_NumTexturesX == 0 && m_NumTexturesY == 0);
    return m_Loaded;
}

void cBackground::FreeImage()
{
    if (m_Loaded)
        TEXTUREMANAGER.RemoveLargeTexture(m_FileName.c_str());
}

void cBackground::Draw(int width, int height)
{
    if (!m_Loaded || m_Width == 0 || m_Height == 0)
        return;
    // No depth test, culling or lighting behind the menus; every attribute comes back afterwards.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    // Row 0 of the tiles is the image's bottom row: y grows upwards here.
    g_Graphics.Push2D(GraphicsManager::ORIGIN_BOTTOM_LEFT);
    // Clamped to the edge texel, not to the border: plain GL_CLAMP would let linear filtering mix
    // the black border colour into the outer texels of whichever tile is bound here (the last
    // tile of the previous frame's drawing) and draw a dark line along it when stretched.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    float tileWidth = float(width) / float(m_Width) * 64.0f;
    float tileHeight = float(height) / float(m_Height) * 64.0f;
    // Each edge is computed once from its own index, so that neighbouring quads meet on the very
    // same coordinate (left + width rounds differently from the next left) and no seam opens.
    for (uint32_t row = 0; row < m_NumTexturesY; ++row) {
        float bottom = float(row) * tileHeight;
        float top = float(row + 1) * tileHeight;
        for (uint32_t column = 0; column < m_NumTexturesX; ++column) {
            size_t index = size_t(row) * m_NumTexturesX + column;
            if (index >= m_TextureIDs.size())
                break;
            float left = float(column) * tileWidth;
            float right = float(column + 1) * tileWidth;
            glBindTexture(GL_TEXTURE_2D, m_TextureIDs[index]);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex2f(left, bottom);
            glTexCoord2f(0, 1);
            glVertex2f(left, top);
            glTexCoord2f(1, 1);
            glVertex2f(right, top);
            glTexCoord2f(1, 0);
            glVertex2f(right, bottom);
            glEnd();
        }
    }
    g_Graphics.Pop2D();
    glPopAttrib();
}
