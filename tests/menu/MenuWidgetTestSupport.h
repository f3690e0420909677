#pragma once
#include <GL/gl.h>

#include "support/FrameCapture.h"

namespace menutest {

// The frame state the menus draw into: cleared, the depth test on, as the graphics manager leaves
// it, and the colour white, which the menu manager sets so that backgrounds show unmodulated.
inline void BeginFrame()
{
    glColor3f(1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

} // namespace menutest
