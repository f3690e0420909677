#include "text/pf.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "text/sgl.h"

namespace {

// The library's one state, shared by every caller like OpenGL's: menus, credits, console and
// scripts all draw through it, each setting what it needs.
struct sFontState
{
    const pffont* currentFont = &pfPBaveuse;
    const pffont* defaultFont = &pfPBaveuse;
    float scaleX = 20, scaleY = 20;
    float textX = 0, textY = 0;
    float skew = 0;
    int weight = 1;
    float sine = 0, cosine = 1;
    bool center = false;
};
sFontState pf;

// Overdraw passes shift the glyph by whole pixels towards the right and upwards.
constexpr float WEIGHT_OFFSETS[9][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 2},
                                       {1, 2}, {2, 2}, {2, 1}, {2, 0}};

constexpr float POINT_SCALE = 1.0f / 32768.0f;

const pfglyph* pfGetGlyph(uint32_t code)
{
    const pffont* font = pf.currentFont;
    if (!font || !font->glyphs || font->numglyphs <= 0 || code > 0xffff)
        return nullptr;
    const pfglyph* end = font->glyphs + font->numglyphs;
    const pfglyph* found = std::lower_bound(font->glyphs, end, code,
                                            [](const pfglyph& g, uint32_t c) { return g.glyph < c; });
    return found != end && found->glyph == code ? found : nullptr;
}

float pfSkew(float x, float y)
{
    return x + pf.skew * y;
}

// UTF-8, falling back to Latin-1 for every byte that does not start a well-formed sequence:
// script text arrives as UTF-8, older text and typed bytes as Latin-1.
uint32_t NextCode(const unsigned char*& p)
{
    uint32_t lead = *p;
    int length = lead >= 0xf0 && lead <= 0xf4 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 && lead < 0xe0 ? 2 : 1;
    if (lead < 0x80 || length == 1) {
        ++p;
        return lead;
    }
    uint32_t code = lead & (0x3f >> (length - 1));
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xc0) != 0x80) {
            ++p;
            return lead;
        }
        code = code << 6 | (p[i] & 0x3f);
    }
    static constexpr uint32_t SMALLEST_CODES[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < SMALLEST_CODES[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
        ++p;
        return lead;
    }
    p += length;
    return code;
}

struct sBox
{
    float minx = 0, miny = 0, maxx = 0, maxy = 0;
};

sBox getCharBBox(uint32_t code)
{
    const pfglyph* g = pfGetGlyph(code);
    return g ? sBox{g->minx, g->miny, g->maxx, g->maxy} : sBox{};
}

float getCharAdvance(uint32_t code)
{
    const pfglyph* g = pfGetGlyph(code);
    return g ? g->advance : 0;
}

// In font units: from the first drawn glyph's left edge to the sum of the advances; characters
// without glyph are not drawn and take no part.
template <typename NextFn>
sBox getStringBox(NextFn next)
{
    sBox box;
    bool first = true;
    for (uint32_t code = next(); code != 0; code = next()) {
        const pfglyph* g = pfGetGlyph(code);
        if (!g)
            continue;
        if (first) {
            box = {g->minx, g->miny, 0, g->maxy};
            first = false;
        }
        box.miny = std::min(box.miny, g->miny);
        box.maxy = std::max(box.maxy, g->maxy);
        box.maxx += g->advance;
    }
    return box;
}

sBox getStringBox(const char* text)
{
    auto p = reinterpret_cast<const unsigned char*>(text);
    return getStringBox([&p] { return *p ? NextCode(p) : 0u; });
}

sBox getStringBoxW(const char16_t* text)
{
    return getStringBox([&text] { return *text ? uint32_t(*text++) : 0u; });
}

int SetScaleFromBox(const sBox& box, float w, float h)
{
    float width = box.maxx - box.minx, height = box.maxy - box.miny;
    if (!(width > 0) || !(height > 0))
        return -1;
    pf.scaleX = w / width;
    pf.scaleY = h / height;
    return 0;
}

// Scaled and skewed as every box query answers; a forward skew widens the top to the right.
int ScaledBox(sBox box, float* minx, float* miny, float* maxx, float* maxy)
{
    box.minx *= pf.scaleX, box.maxx *= pf.scaleX;
    box.miny *= pf.scaleY, box.maxy *= pf.scaleY;
    float left, right;
    if (pf.skew > 0) {
        left = pfSkew(box.minx, box.miny);
        right = pfSkew(box.maxx, box.maxy);
    } else {
        left = pfSkew(box.minx, box.maxy);
        right = pfSkew(box.maxx, box.miny);
    }
    if (minx) *minx = left;
    if (miny) *miny = box.miny;
    if (maxx) *maxx = right;
    if (maxy) *maxy = box.maxy;
    return 0;
}

sBox ScaledCharBox(char16_t c)
{
    sBox box;
    ScaledBox(getCharBBox(c), &box.minx, &box.miny, &box.maxx, &box.maxy);
    return box;
}

sBox ScaledFontBox()
{
    sBox box;
    pfGetFontBBox(&box.minx, &box.miny, &box.maxx, &box.maxy);
    return box;
}

int drawWideChar(SDL_Surface* surface, uint32_t code)
{
    const pfglyph* g = pfGetGlyph(code);
    if (!g)
        return -1;
    float cx = 0, cy = 0;
    if (pf.center) {
        cx = std::trunc((g->minx + g->maxx) / 2 * pf.scaleX);
        cy = std::trunc((g->miny + g->maxy) / 2 * pf.scaleY);
    }
    float originX = pf.textX - cx, originY = pf.textY + cy;
    for (int w = 0; w < pf.weight; ++w) {
        float ox = WEIGHT_OFFSETS[w][0], oy = WEIGHT_OFFSETS[w][1];
        const int16_t* segment = g->segments;
        for (int i = 0; i < g->numsegments; ++i) {
            int primitive = segment[0], count = segment[1];
            const int16_t* point = segment + 2;
            segment += 2 + 2 * count;
            // A primitive the loader did not recognise has no shape to draw.
            if (primitive < 0 || primitive > 9)
                continue;
            sglBegin(surface, primitive);
            for (int k = 0; k < count; ++k, point += 2) {
                float sy = point[1] * POINT_SCALE * pf.scaleY + oy;
                float sx = point[0] * POINT_SCALE * pf.scaleX + ox;
                float kx = sx + pf.skew * sy;
                sglVertex2f(pf.cosine * kx - pf.sine * sy + originX,
                            originY - (pf.cosine * sy + pf.sine * kx));
            }
            sglEnd();
        }
    }
    pf.textX += g->advance * pf.scaleX * pf.cosine;
    pf.textY -= g->advance * pf.scaleX * pf.sine;
    return 0;
}

} // namespace

int pfSetFont(const pffont* font)
{
    if (!font)
        return -1;
    pf.currentFont = font;
    return 0;
}

void pfSetScale(float s)
{
    pf.scaleX = pf.scaleY = s;
}

void pfSetScaleXY(float sx, float sy)
{
    pf.scaleX = sx;
    pf.scaleY = sy;
}

void pfSetPosition(float x, float y)
{
    pf.textX = x;
    pf.textY = y;
}

void pfGetPosition(float* x, float* y)
{
    if (x) *x = pf.textX;
    if (y) *y = pf.textY;
}

void pfSetSkew(float s)
{
    pf.skew = std::isnan(s) ? 0 : std::clamp(s, -1.0f, 1.0f);
}

int pfSetWeight(int w)
{
    pf.weight = std::clamp(w, 1, 9);
    return pf.weight;
}

void pfSetAngleR(float radians)
{
    pf.sine = std::sin(radians);
    pf.cosine = std::cos(radians);
}

void pfSetAngleD(float degrees)
{
    pfSetAngleR(float(degrees * 0.017453292519943295));
}

void pfSetCenter(int on)
{
    pf.center = on != 0;
}

int pfSetScaleBox(const char* text, float w, float h)
{
    if (!text || !pf.currentFont)
        return -1;
    return SetScaleFromBox(getStringBox(text), w, h);
}

int pfSetScaleBoxW(const char16_t* text, float w, float h)
{
    if (!text || !pf.currentFont)
        return -1;
    return SetScaleFromBox(getStringBoxW(text), w, h);
}

const char* pfGetFontName()
{
    return pf.currentFont ? pf.currentFont->name : nullptr;
}

const pffont* pfGetCurrentFont()
{
    return pf.currentFont;
}

int pfGetFontNumGlyphs()
{
    return pf.currentFont ? pf.currentFont->numglyphs : 0;
}

int pfGetChar(int i)
{
    if (!pf.currentFont || i < 0 || i >= pf.currentFont->numglyphs)
        return 0;
    return pf.currentFont->glyphs[i].glyph;
}

int pfGetFontBBox(float* minx, float* miny, float* maxx, float* maxy)
{
    const pffont* font = pf.currentFont;
    if (!font) {
        ScaledBox(sBox{}, minx, miny, maxx, maxy);
        return -1;
    }
    return ScaledBox(sBox{font->minx, font->miny, font->maxx, font->maxy}, minx, miny, maxx, maxy);
}

float pfGetFontHeight()
{
    sBox box = ScaledFontBox();
    return box.maxy - box.miny;
}

float pfGetFontWidth()
{
    sBox box = ScaledFontBox();
    return box.maxx - box.minx;
}

float pfGetFontAscent()
{
    return ScaledFontBox().maxy;
}

float pfGetFontDescent()
{
    return ScaledFontBox().miny;
}

float pfGetCharAdvance(char16_t c)
{
    return getCharAdvance(c) * pf.scaleX;
}

int pfGetCharBBox(char16_t c, float* minx, float* miny, float* maxx, float* maxy)
{
    if (!pf.currentFont) {
        ScaledBox(sBox{}, minx, miny, maxx, maxy);
        return -1;
    }
    return ScaledBox(getCharBBox(c), minx, miny, maxx, maxy);
}

float pfGetCharHeight(char16_t c)
{
    sBox box = ScaledCharBox(c);
    return box.maxy - box.miny;
}

float pfGetCharWidth(char16_t c)
{
    sBox box = ScaledCharBox(c);
    return box.maxx - box.minx;
}

float pfGetCharAscent(char16_t c)
{
    return ScaledCharBox(c).maxy;
}

float pfGetCharDescent(char16_t c)
{
    return ScaledCharBox(c).miny;
}

int pfDrawChar(SDL_Surface* surface, char16_t c)
{
    if (!surface)
        return -1;
    return drawWideChar(surface, c);
}

int pfDrawString(SDL_Surface* surface, const char* text)
{
    if (!surface || !text)
        return -1;
    auto p = reinterpret_cast<const unsigned char*>(text);
    while (*p)
        drawWideChar(surface, NextCode(p));
    return 0;
}

int pfDrawStringW(SDL_Surface* surface, const char16_t* text)
{
    if (!surface || !text)
        return -1;
    for (; *text; ++text)
        drawWideChar(surface, *text);
    return 0;
}

size_t pfFitString(const char* text, float width)
{
    if (!text)
        return 0;
    auto start = reinterpret_cast<const unsigned char*>(text), p = start;
    float pen = 0;
    while (*p) {
        const unsigned char* glyphStart = p;
        const pfglyph* g = pfGetGlyph(NextCode(p));
        if (!g)
            continue;
        if (pen >= width)
            return size_t(glyphStart - start);
        pen += g->advance * pf.scaleX;
    }
    return size_t(p - start);
}

pfstyle pfGetStyle()
{
    return {pf.skew, pf.weight, pf.sine, pf.cosine, pf.center ? 1 : 0};
}

int lookupGlOp(const char* name)
{
    static constexpr const char* PRIMITIVE_NAMES[10] = {
        "GL_POINTS",    "GL_LINES",          "GL_LINE_LOOP",   "GL_LINE_STRIP", "GL_TRIANGLES",
        "GL_TRIANGLE_STRIP", "GL_TRIANGLE_FAN", "GL_QUADS", "GL_QUAD_STRIP", "GL_POLYGON"};
    if (!name)
        return -1;
    for (int i = 0; i < 10; ++i)
        if (std::string_view(PRIMITIVE_NAMES[i]) == name)
            return i;
    return -1;
}

void pfUnloadFont(pffont* font)
{
    if (!font || font == pf.defaultFont || font->loaded != 1)
        return;
    if (pf.currentFont == font)
        pf.currentFont = pf.defaultFont;
    for (int i = 0; i < font->numglyphs; ++i)
        delete[] font->glyphs[i].segments;
    delete[] font->glyphs;
    delete[] font->name;
    delete font;
}
