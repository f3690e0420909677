#pragma once
#include <SDL/SDL.h>
#include <cstdint>

// An immediate-mode front end shaped like OpenGL's begin/vertex/end. A primitive aimed at an
// OpenGL surface goes straight to OpenGL; on any other surface (8, 16, 24 or 32 bits per pixel)
// it is rasterised in software into the surface's pixels, clipped to its clip rectangle.
// Modes are OpenGL's primitive numbers 0 (points) to 9 (polygon); polygons must be convex.

void sglBegin(SDL_Surface* surface, int mode);
void sglVertex2f(float x, float y);   // ignored while no primitive is open
void sglEnd();                        // draws the open primitive; ignored while none is open
void sglColor3f(float r, float g, float b);            // components clamped to 0..1, alpha 1
void sglColor4f(float r, float g, float b, float a);   // components clamped to 0..1
void sglSwapBuffers(SDL_Surface* surface);
void sglClearBuffer(SDL_Surface* surface, float r, float g, float b, float a, float depth);

// The software raster operations behind the front end, usable on their own. Coordinates are
// pixels; pixel is a value already mapped to the surface's format. The caller locks the
// surface when it must be locked.
struct vertex
{
    float x, y;
};

void putPixel(SDL_Surface* surface, int x, int y, uint32_t pixel);                 // nothing outside
// Truncates the ends to whole pixels, clips to the clip rectangle and draws both ends.
void drawLine(SDL_Surface* surface, float x1, float y1, float x2, float y2, uint32_t pixel);
// length pixels from (x, y) rightwards; unclipped, the caller keeps the span inside the surface.
void fillSolidSpan(SDL_Surface* surface, int x, int y, int length, uint32_t pixel);
// Fills a convex polygon; truncates the caller's vertices to whole pixels in place.
void drawSolidPoly(SDL_Surface* surface, int count, vertex* vertices, uint32_t pixel);
