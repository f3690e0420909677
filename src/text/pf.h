#pragma once
#include <SDL/SDL.h>
#include <cstddef>
#include <cstdint>

// Polygon fonts: every glyph is a few filled primitives in font units (y up, baseline at 0),
// scaled, skewed, rotated and emboldened at draw time and drawn through the sgl front end.
// The library keeps one state for the whole program (current font, scale, pen, skew, weight,
// angle, centring); whatever a caller sets stays set for the next caller.
//
// Narrow text (char*) is read as UTF-8; a byte that does not start a valid UTF-8 sequence stands
// for the Latin-1 character of the same value, so both "\xc3\xa9" and "\xe9" draw an e acute.

struct pfglyph
{
    float minx, miny, maxx, maxy;   // font units, y upwards, baseline at 0
    float advance;                  // font units
    uint16_t glyph;                 // the character code (UCS-2)
    uint16_t numsegments;
    // Segments one after another: primitive (0..9, OpenGL's numbers), point count n, then n
    // points as (x, y) pairs in font units times 32768.
    const int16_t* segments;
};

struct pffont
{
    const char* name;
    int32_t loaded;                  // 1: made by pfLoadFont and released by pfUnloadFont
    float minx, miny, maxx, maxy;    // box of all glyphs, font units
    int32_t numglyphs;               // glyphs used for lookup
    const pfglyph* glyphs;           // sorted by ascending code
};

extern const pffont pfPBaveuse;         // proportional, the default font
extern const pffont pfPSansMonoBold7;   // monospaced bold, the console's font

// State. pfSetFont: 0, or -1 for a null font (the current font stays).
int pfSetFont(const pffont* font);
void pfSetScale(float s);                       // pixels per font unit on both axes
void pfSetScaleXY(float sx, float sy);
void pfSetPosition(float x, float y);           // the pen: origin of the next glyph, on the baseline
void pfGetPosition(float* x, float* y);
void pfSetSkew(float s);                        // horizontal shear per unit of height, clamped to -1..1
int pfSetWeight(int w);                         // overdraw passes, clamped to 1..9; returns the clamped value
void pfSetAngleR(float radians);                // positive turns the text counter-clockwise on screen
void pfSetAngleD(float degrees);
void pfSetCenter(int on);                       // centre each glyph's box on the pen
// Scales so that the text's box is w by h pixels. 0, or -1 for a null text or a text whose box
// is empty in either direction (the scale then stays).
int pfSetScaleBox(const char* text, float w, float h);
int pfSetScaleBoxW(const char16_t* text, float w, float h);

// Everything besides font, scale and pen that shapes the drawn glyphs.
struct pfstyle
{
    float skew;
    int weight;
    float sine, cosine;   // of the text angle
    int center;
    bool operator==(const pfstyle&) const = default;
};
pfstyle pfGetStyle();

// Queries on the current font; boxes are scaled and skewed but not rotated.
const char* pfGetFontName();
const pffont* pfGetCurrentFont();
int pfGetFontNumGlyphs();
int pfGetChar(int i);                           // code of glyph i, 0 outside 0..numglyphs-1
int pfGetFontBBox(float* minx, float* miny, float* maxx, float* maxy);
float pfGetFontHeight();
float pfGetFontWidth();
float pfGetFontAscent();
float pfGetFontDescent();                       // negative below the baseline
// A character without glyph has advance 0 and an empty box at the origin.
float pfGetCharAdvance(char16_t c);
int pfGetCharBBox(char16_t c, float* minx, float* miny, float* maxx, float* maxy);
float pfGetCharHeight(char16_t c);
float pfGetCharWidth(char16_t c);
float pfGetCharAscent(char16_t c);
float pfGetCharDescent(char16_t c);

// Drawing in the front end's current colour, from the pen, which moves by each glyph's advance.
// Characters without glyph are skipped and do not move the pen.
int pfDrawChar(SDL_Surface* surface, char16_t c);          // -1: null surface or no glyph
int pfDrawString(SDL_Surface* surface, const char* text);  // -1: null surface or text
int pfDrawStringW(SDL_Surface* surface, const char16_t* text);
// The length in bytes of the longest start of text whose glyphs begin less than width pixels
// right of the pen, at the current font and scale, with the text unturned.
size_t pfFitString(const char* text, float width);

// Reads a font in the polygon font text format. Null, with one line on standard output saying
// why, when the file cannot be read or is malformed. Release with pfUnloadFont.
pffont* pfLoadFont(const char* fileName);
// Releases a loaded font; ignores null, built-in and the default font. Unloading the current
// font makes the default font current again.
void pfUnloadFont(pffont* font);

// The primitive number of an OpenGL primitive name such as "GL_TRIANGLES", or -1.
int lookupGlOp(const char* name);
