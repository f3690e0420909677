#include "text/cTextBatch.h"

#include <GL/gl.h>

#include "graphics/GraphicsManager.h"

namespace {

// Batches nest within one frame's drawing on one thread: only the outermost one enters and leaves.
int s_Depth = 0;

} // namespace

cTextBatch::cTextBatch() : m_Outermost(s_Depth++ == 0)
{
    if (!m_Outermost)
        return;
    glDisable(GL_LIGHTING);
    g_Graphics.Push2D();
    glDisable(GL_TEXTURE_2D);
}

cTextBatch::~cTextBatch()
{
    --s_Depth;
    if (!m_Outermost)
        return;
    g_Graphics.Pop2D();
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
}
