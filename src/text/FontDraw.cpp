#include "text/FontDraw.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstring>
#include <string>

#include "text/cStringCache.h"
#include "text/cTextBatch.h"
#include "text/pf.h"
#include "text/sgl.h"

namespace {

// Every caller's text goes through DrawFontString, a free function: the strings it keeps must
// outlive each call, so they live here.
cStringCache s_Strings;

} // namespace

void DrawFontString(const char* text, float x, float y, int size, float r, float g, float b, bool shadow, float sr,
                    float sg, float sb)
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!text || !screen)
        return;
    cTextBatch batch;
    pfSetScale(float(size));
    float baseline = y + pfGetFontAscent();
    float offset = float(size) / 10;
    auto draw = [&] {
        // The first drawing at a pixel wins the depth test, so the shadow comes second and only
        // shows where the text itself left the pixel free.
        pfSetPosition(x, baseline);
        sglColor3f(r, g, b);
        pfDrawString(screen, text);
        if (shadow) {
            pfSetPosition(x + offset, baseline + offset);
            sglColor3f(sr, sg, sb);
            pfDrawString(screen, text);
        }
    };
    // Only OpenGL drawing can be kept in a list; a software surface is drawn into right away.
    size_t length = strnlen(text, cStringCache::MAX_TEXT_BYTES + 1);
    if (length > cStringCache::MAX_TEXT_BYTES || !(screen->flags & SDL_OPENGL)) {
        draw();
    } else if (s_Strings.Draw({std::string(text, length), pfGetCurrentFont(), x, y, size, {r, g, b, sr, sg, sb},
                               shadow, pfGetStyle()},
                              draw)) {
        // What the drawing would have left as the front end's colour.
        if (shadow)
            sglColor3f(sr, sg, sb);
        else
            sglColor3f(r, g, b);
    }
}

void DrawConsoleFontString(const char* text, float x, float y, int size, float r, float g, float b)
{
    pfSetFont(&pfPSansMonoBold7);
    DrawFontString(text, x, y, size, r, g, b, true, 0, 0, 0.8f);
    pfSetFont(&pfPBaveuse);
}

void DrawConsoleBackground()
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    float w = screen ? float(screen->w) : 0;
    cTextBatch batch;
    glBegin(GL_TRIANGLES);
    glColor4f(0, 0, 0.3f, 1);
    glVertex2f(0, 0);
    glColor4f(0, 0, 0.1f, 1);
    glVertex2f(0, 240);
    glVertex2f(w, 240);
    glVertex2f(w, 240);
    glColor4f(0, 0, 0.3f, 1);
    glVertex2f(w, 0);
    glVertex2f(0, 0);
    glEnd();
}
