#pragma once
#include <GL/gl.h>

#include <cstdlib>

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

// Pixels of this colour, within a tolerance, inside [x0, x1) x [y0, y1) of the frame.
inline int CountColour(const sImage& image, sRgb c, int x0, int y0, int x1, int y1, int tolerance = 8)
{
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = image.At(x, y);
            count += std::abs(p[0] - c.r) <= tolerance && std::abs(p[1] - c.g) <= tolerance
                     && std::abs(p[2] - c.b) <= tolerance;
        }
    return count;
}

} // namespace menutest
