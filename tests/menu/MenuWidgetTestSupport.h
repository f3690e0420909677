#pragma once
#include <GL/gl.h>

#include <cstdlib>

#include "support/FrameCapture.h"

namespace menutest {

// The frame state the menus draw into: cleared, the depth test on, as the graphics manager leaves it.
inline void BeginFrame(float r = 0, float g = 0, float b = 0)
{
    glClearColor(r, g, b, 1);
    glClearDepth(1);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Pixels of this colour, within a tolerance, inside [x0, x1) x [y0, y1) of the window.
inline int CountColour(const sImage& image, sRgb colour, int x0, int y0, int x1, int y1, int tolerance = 8)
{
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = image.At(x, y);
            count += std::abs(p[0] - colour.r) <= tolerance && std::abs(p[1] - colour.g) <= tolerance
                     && std::abs(p[2] - colour.b) <= tolerance;
        }
    return count;
}

inline sImage Crop(const sImage& image, int x, int y, int w, int h)
{
    sImage part;
    part.width = w;
    part.height = h;
    for (int row = 0; row < h; ++row)
        part.rgb.insert(part.rgb.end(), image.At(x, y + row), image.At(x, y + row) + size_t(w) * 3);
    return part;
}

} // namespace menutest
