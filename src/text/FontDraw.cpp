#include "text/FontDraw.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstring>
#include <string>

#include "text/cStringCache.h"
#include "text/pf.h"
#include "text/sgl.h"

namespace {

// Every caller's text goes through DrawFontString, a free function: the strings it keeps must
// outlive each call, so they live here.
cStringCache s_Strings;

} // namespace

void push2D()
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    int w = screen ? screen->w : 0, h = screen ? screen->h : 0;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, w, h);
    // z = 0 maps to the near plane: depth 0, in front of the whole scene.
    glOrtho(0, w, h, 0, 0, 1);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void pop2D()
{
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}

void DrawFontString(const char* text, float x, float y, int size, float r, float g, float b, bool shadow, float sr,
                    float sg, float sb)
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!text || !screen)
        return;
    glDisable(GL_LIGHTING);
    pfSetScale(float(size));
    float baseline = y + pfGetFontAscent();
    float offset = float(size) / 10;

    push2D();
    glDisable(GL_TEXTURE_2D);
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
    size_t length = strnlen(text, cStringCache::k_MaxTextBytes + 1);
    if (length > cStringCache::k_MaxTextBytes || !(screen->flags & SDL_OPENGL)) {
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
    pop2D();
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
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
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    push2D();
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
    pop2D();
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
}
