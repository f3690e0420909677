#include "text/sgl.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

struct sPoint
{
    double x, y;
};

struct sEdge
{
    bool flag;   // the row has seen one crossing and waits for its partner
    float x;
};

// The front end mirrors OpenGL's own begin/vertex/end state machine, so like OpenGL it keeps one
// open primitive and one current colour for the whole program. The vertex array and the edge
// list are scratch reused by every primitive.
struct sFrontEnd
{
    int operation = -1;   // the open primitive, -1 when none is open
    int vertexCount = 0;
    // Vertices the open primitive takes without growing verts; 0 unless it is drawn in software,
    // so that one comparison lets the common vertex through.
    int room = 0;
    bool useGL = false;
    float red = 0, green = 0, blue = 0, alpha = 1;
    uint32_t color = 0;
    SDL_Surface* surface = nullptr;
    // The last mapping, reused while colour and format stay (paletted formats are mapped anew:
    // their palette may change under the same format).
    const SDL_PixelFormat* mappedFormat = nullptr;
    float mappedColour[4] = {-1, -1, -1, -1};
    std::vector<vertex> verts;
    std::vector<sEdge> edgeList;
    // A glyph is hundreds of tiny polygons; clipping them must not allocate each time.
    std::vector<sPoint> clipped, clipScratch;
};
sFrontEnd s;

[[noreturn]] void OutOfMemory(const char* message)
{
    std::fputs(message, stdout);
    std::fflush(stdout);
    std::exit(1);
}

float Clamp01(float value)
{
    if (!(value > 0))
        return 0;   // NaN included
    return value > 1 ? 1 : value;
}

// Towards zero, as the pixel grid wants it; NaN and infinities become harmless finite values so
// that no later conversion to an integer can overflow.
double TruncCoord(float value)
{
    if (std::isnan(value))
        return 0;
    return std::trunc(std::clamp(double(value), -1e30, 1e30));
}

// Lines and points work in integers. Far beyond any surface the exact value no longer matters,
// so it is limited to where the clipping arithmetic cannot overflow.
int64_t TruncInt(float value)
{
    return int64_t(std::clamp(TruncCoord(value), -1073741824.0, 1073741824.0));
}

template <int Bytes>
inline void StorePixel(uint8_t* p, uint32_t pixel)
{
    if constexpr (Bytes == 1) {
        *p = uint8_t(pixel);
    } else if constexpr (Bytes == 2) {
        uint16_t value = uint16_t(pixel);
        std::memcpy(p, &value, 2);
    } else if constexpr (Bytes == 3) {
        // The value's three low bytes, in the order they have in memory.
        std::memcpy(p, &pixel, 3);
    } else {
        std::memcpy(p, &pixel, 4);
    }
}

uint8_t* PixelAddress(SDL_Surface* surface, int x, int y)
{
    return static_cast<uint8_t*>(surface->pixels) + std::ptrdiff_t(y) * surface->pitch
           + std::ptrdiff_t(x) * surface->format->BytesPerPixel;
}

// Spans are the inner loop of every filled glyph and polygon: whole blocks of pixels are
// copied from a prepared pattern, which the compiler turns into wide stores.
template <int Bytes>
void FillSpan(uint8_t* p, int length, uint32_t pixel)
{
    constexpr int BLOCK_PIXELS = Bytes == 3 ? 16 : 32 / Bytes;
    constexpr int BLOCK_BYTES = BLOCK_PIXELS * Bytes;
    if (length >= BLOCK_PIXELS) {
        uint8_t pattern[BLOCK_BYTES];
        for (int i = 0; i < BLOCK_PIXELS; ++i)
            StorePixel<Bytes>(pattern + i * Bytes, pixel);
        for (; length >= BLOCK_PIXELS; length -= BLOCK_PIXELS, p += BLOCK_BYTES)
            std::memcpy(p, pattern, BLOCK_BYTES);
    }
    for (; length > 0; --length, p += Bytes)
        StorePixel<Bytes>(p, pixel);
}

template <int Bytes>
void DrawLineDepth(SDL_Surface* surface, int x1, int y1, int x2, int y2, uint32_t pixel)
{
    int dx = x2 - x1, dy = y2 - y1;
    int ax = std::abs(dx), ay = std::abs(dy);
    int xStep = dx < 0 ? -Bytes : Bytes;
    std::ptrdiff_t yStep = dy < 0 ? -std::ptrdiff_t(surface->pitch) : std::ptrdiff_t(surface->pitch);
    uint8_t* p = PixelAddress(surface, x1, y1);

    // The major axis takes one step per pixel; ties go to y.
    int major = ax, minor = ay;
    std::ptrdiff_t majorStep = xStep, minorStep = yStep;
    if (ax <= ay) {
        major = ay, minor = ax;
        majorStep = yStep, minorStep = xStep;
    }
    int decision = 2 * minor - major;
    for (int i = 0; i <= major; ++i) {
        StorePixel<Bytes>(p, pixel);
        if (decision >= 0) {
            p += minorStep;
            decision -= 2 * major;
        }
        decision += 2 * minor;
        p += majorStep;
    }
}

// Moves one end of a line onto the clip rectangle along the line. False when the line misses.
bool ClipLineEnd(int64_t& x, int64_t& y, int64_t ox, int64_t oy, const SDL_Rect& clip)
{
    int64_t left = clip.x, right = int64_t(clip.x) + clip.w - 1;
    int64_t top = clip.y, bottom = int64_t(clip.y) + clip.h - 1;
    if (x < left || x > right) {
        int64_t edge = x < left ? left : right;
        y += (edge - x) * (oy - y) / (ox - x);   // ox lies on the inner side, so ox != x
        x = edge;
    }
    if ((y < top || y > bottom) && oy != y) {
        int64_t edge = y < top ? top : bottom;
        x += (edge - y) * (ox - x) / (oy - y);
        y = edge;
    }
    return x >= left && x <= right && y >= top && y <= bottom;
}

// One Sutherland-Hodgman stage against the line axisValue on one axis; inside is the side where
// sign * (coordinate - axisValue) >= 0. Points on the line count as inside.
void ClipStage(const std::vector<sPoint>& in, std::vector<sPoint>& out, bool onX, double axisValue,
               double sign)
{
    out.clear();
    size_t n = in.size();
    if (n == 0)
        return;
    auto distance = [&](const sPoint& p) { return sign * ((onX ? p.x : p.y) - axisValue); };
    sPoint prev = in[n - 1];
    double dPrev = distance(prev);
    for (size_t i = 0; i < n; ++i) {
        const sPoint& cur = in[i];
        double dCur = distance(cur);
        if ((dPrev < 0 && dCur > 0) || (dPrev > 0 && dCur < 0)) {
            double t = dPrev / (dPrev - dCur);
            sPoint cut{prev.x + (cur.x - prev.x) * t, prev.y + (cur.y - prev.y) * t};
            // Exactly on the boundary: rounding must not push the point a pixel outside.
            (onX ? cut.x : cut.y) = axisValue;
            out.push_back(cut);
        }
        if (dCur >= 0)
            out.push_back(cur);
        prev = cur;
        dPrev = dCur;
    }
}

void EnsureEdgeList(int rows)
{
    if (rows <= 0 || size_t(rows) <= s.edgeList.size())
        return;
    try {
        s.edgeList.resize(size_t(rows), sEdge{false, 0});
    } catch (const std::bad_alloc&) {
        OutOfMemory("malloc failed\n");
    }
}

template <int Bytes>
void FillSpanAt(SDL_Surface* surface, int x, int y, int length, uint32_t pixel)
{
    FillSpan<Bytes>(PixelAddress(surface, x, y), length, pixel);
}

template <int Bytes>
void ScanConvert(SDL_Surface* surface, const sPoint* poly, size_t n, uint32_t pixel)
{
    for (size_t i = 0; i < n; ++i) {
        // After clipping every coordinate lies inside the surface, so these fit an int.
        int xa = int(poly[i].x), ya = int(poly[i].y);
        int xb = int(poly[(i + 1) % n].x), yb = int(poly[(i + 1) % n].y);
        if (ya == yb)
            continue;
        if (ya > yb) {
            std::swap(xa, xb);
            std::swap(ya, yb);
        }
        int x = xa * 1024;
        int step = (xb - xa) * 1024 / (yb - ya);
        for (int y = ya + 1; y <= yb; ++y) {
            x += step;
            int column = x >> 10;   // rounded down
            sEdge& edge = s.edgeList[size_t(y)];
            if (!edge.flag) {
                edge.flag = true;
                edge.x = float(column);
            } else {
                int a = int(edge.x), b = column;
                if (a > b)
                    std::swap(a, b);
                FillSpanAt<Bytes>(surface, a, y, b - a, pixel);
                edge.flag = false;
            }
        }
    }
}

#if defined(__SSE2__)
// Glyph spans are a few pixels long, in no predictable order. Rather than branch on the length,
// a window of one to four 16-byte vectors is read and written back with the span's bytes
// replaced: the bytes beyond the span are written with the values they had. The window's size
// is settled once per triangle from its width, which bounds every span in it. (Writing the span
// with stores clamped to its ends, nothing read back, measured slower.)
// SPAN_MASKS + 64 - n masks the first n bytes.
alignas(64) constexpr uint8_t SPAN_MASKS[128] = {
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
#endif
constexpr int WINDOW_BYTES = 64;

// Integer division truncated towards zero is one multiplication by a tabled reciprocal made a
// hair too large: the product never falls short of the exact quotient's magnitude, so whole
// quotients come out exact, and it overshoots by less than 2^-39 of it, far less than the 1/height
// by which any other quotient stays from the next whole number. A flat edge (height 0) steps by 0.
constexpr int RECIPROCAL_ROWS = 1024;
constexpr auto RECIPROCALS = [] {
    std::array<double, RECIPROCAL_ROWS + 1> table{};
    for (int i = 1; i <= RECIPROCAL_ROWS; ++i)
        table[size_t(i)] = 1.0 / i * (1.0 + 0x1p-40);
    return table;
}();

inline int EdgeStep(int dx, int height)
{
    return int(double(dx * 1024) * RECIPROCALS[size_t(height)]);
}

inline void OrderByY(int& xa, int& ya, int& xb, int& yb)
{
    bool swap = ya > yb;
    int x = swap ? xb : xa, y = swap ? yb : ya;
    xb = swap ? xa : xb, yb = swap ? ya : yb;
    xa = x, ya = y;
}

// A triangle's corners ordered by y and its three edge steps. Every row below the top corner is
// crossed by the long edge and by one of the two short ones, each stepping exactly as the edge
// walk of the general path does.
struct sTriangle
{
    int x0, y0, x1, y1, x2, y2;
    int longStep, upperStep, lowerStep;
};

template <typename Span>
inline void WalkRows(uint8_t* row, int pitch, const sTriangle& t, Span&& span)
{
    int longX = t.x0 * 1024, shortX = t.x0 * 1024, shortStep = t.upperStep;
    int upperRows = t.y1 - t.y0, rows = t.y2 - t.y0;
    for (int i = 1; i <= rows; ++i) {
        bool turn = i == upperRows + 1;
        shortX = turn ? t.x1 * 1024 : shortX;
        shortStep = turn ? t.lowerStep : shortStep;
        longX += t.longStep;
        shortX += shortStep;
        row += pitch;
        // Which edge lies left may change from row to row near a corner; masks, not branches.
        int longColumn = longX >> 10, shortColumn = shortX >> 10;
        int difference = longColumn - shortColumn, longLeft = difference >> 31;
        span(row, shortColumn + (difference & longLeft), (difference ^ longLeft) - longLeft);
    }
}

#if defined(__SSE2__)
template <int Bytes, int Vectors>
void FillWindowRows(uint8_t* row, int pitch, const sTriangle& t, const uint8_t* pattern)
{
    __m128i fill[Vectors];
#pragma GCC unroll 4
    for (int v = 0; v < Vectors; ++v)
        fill[v] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern + 16 * v));
    WalkRows(row, pitch, t, [&](uint8_t* r, int left, int length) {
        uint8_t* p = r + left * Bytes;
        const uint8_t* mask = SPAN_MASKS + 64 - length * Bytes;
#pragma GCC unroll 4
        for (int v = 0; v < Vectors; ++v) {
            __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + 16 * v));
            __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * v));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16 * v),
                             _mm_or_si128(_mm_and_si128(m, fill[v]), _mm_andnot_si128(m, old)));
        }
    });
}
#endif

// The same rule as the edge list, specialised for a triangle inside the clip rectangle; no
// scratch memory. pattern holds the pixel repeated over 64 bytes from a pixel's start; windows
// are used on rows above windowRows (see WindowRows).
template <int Bytes>
void FillTriangle(SDL_Surface* surface, const int (&x)[3], const int (&y)[3], const uint8_t* pattern,
                  uint32_t pixel, int windowRows)
{
    sTriangle t{x[0], y[0], x[1], y[1], x[2], y[2], 0, 0, 0};
    OrderByY(t.x0, t.y0, t.x1, t.y1);
    OrderByY(t.x1, t.y1, t.x2, t.y2);
    OrderByY(t.x0, t.y0, t.x1, t.y1);
    if (t.y0 == t.y2)
        return;
    if (t.y2 - t.y0 <= RECIPROCAL_ROWS) {   // the short edges are no taller than the long one
        t.longStep = EdgeStep(t.x2 - t.x0, t.y2 - t.y0);
        t.upperStep = EdgeStep(t.x1 - t.x0, t.y1 - t.y0);
        t.lowerStep = EdgeStep(t.x2 - t.x1, t.y2 - t.y1);
    } else {
        t.longStep = (t.x2 - t.x0) * 1024 / (t.y2 - t.y0);
        t.upperStep = t.y1 == t.y0 ? 0 : (t.x1 - t.x0) * 1024 / (t.y1 - t.y0);
        t.lowerStep = t.y2 == t.y1 ? 0 : (t.x2 - t.x1) * 1024 / (t.y2 - t.y1);
    }
    int pitch = surface->pitch;
    uint8_t* row = PixelAddress(surface, 0, t.y0);
#if defined(__SSE2__)
    int minX = std::min(t.x0, std::min(t.x1, t.x2)), maxX = std::max(t.x0, std::max(t.x1, t.x2));
    int vectors = ((maxX - minX) * Bytes + 15) >> 4;
    if (vectors <= WINDOW_BYTES / 16 && t.y2 < windowRows) {
        switch (vectors) {
        case 0:
        case 1: FillWindowRows<Bytes, 1>(row, pitch, t, pattern); return;
        case 2: FillWindowRows<Bytes, 2>(row, pitch, t, pattern); return;
        case 3: FillWindowRows<Bytes, 3>(row, pitch, t, pattern); return;
        default: FillWindowRows<Bytes, 4>(row, pitch, t, pattern); return;
        }
    }
#endif
    WalkRows(row, pitch, t, [&](uint8_t* r, int left, int length) { FillSpan<Bytes>(r + left * Bytes, length, pixel); });
}

// The pixel repeated from byte 0 over 64 bytes, plus room for the last pixel's spill.
template <int Bytes>
void MakePattern(uint8_t (&pattern)[68], uint32_t pixel)
{
    for (int i = 0; i < 64; i += Bytes)
        StorePixel<Bytes>(pattern + i, pixel);
}

// The triangles a filled mode is made of, as corner indices: (p0, p1, p2), ... for triangles;
// (p(i), p(i+1), p(i+2)) for strips; (p0, p(i), p(i+1)) for fans and polygons; two per quad.
template <typename Fn>
void ForEachTriangle(int mode, int n, Fn&& fn)
{
    switch (mode) {
    case GL_TRIANGLES:
        for (int i = 0; i + 2 < n; i += 3)
            fn(i, i + 1, i + 2);
        break;
    case GL_TRIANGLE_STRIP:
        for (int i = 0; i + 2 < n; ++i)
            fn(i, i + 1, i + 2);
        break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (int i = 1; i + 1 < n; ++i)
            fn(0, i, i + 1);
        break;
    case GL_QUADS:
        for (int i = 0; i + 3 < n; i += 4) {
            fn(i, i + 1, i + 2);
            fn(i, i + 2, i + 3);
        }
        break;
    case GL_QUAD_STRIP:
        for (int i = 0; i + 3 < n; i += 2) {
            fn(i, i + 1, i + 2);
            fn(i + 1, i + 2, i + 3);
        }
        break;
    default:
        break;
    }
}

// The rows on which a window of WINDOW_BYTES starting at any pixel of the row ends inside the
// surface: it may reach into the next row's first pixels but never past the surface's last byte.
int WindowRows(const SDL_Surface* surface)
{
    int64_t pitch = surface->pitch;
    int64_t last = int64_t(surface->h) * pitch - int64_t(surface->w) * surface->format->BytesPerPixel - WINDOW_BYTES;
    return pitch <= 0 || last < 0 ? 0 : int(std::min<int64_t>(last / pitch + 1, surface->h));
}

// Truncates n corners towards zero into xy (x, y pairs) and tells whether all of them lie in the
// clip rectangle. NaN and values beyond an int become INT_MIN, which lies outside any rectangle.
bool TruncateInside(const vertex* v, int n, const SDL_Rect& clip, int* xy)
{
#if defined(__SSE2__)
    const __m128i origin = _mm_setr_epi32(clip.x, clip.y, clip.x, clip.y);
    // Unsigned (c - origin) < size, as a signed comparison with both sides offset by 2^31.
    const __m128i bias = _mm_set1_epi32(INT32_MIN);
    const __m128i size = _mm_xor_si128(_mm_setr_epi32(clip.w, clip.h, clip.w, clip.h), bias);
    __m128i inside = _mm_set1_epi32(-1);
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        __m128i c = _mm_cvttps_epi32(_mm_loadu_ps(&v[i].x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(xy + 2 * i), c);
        inside = _mm_and_si128(inside, _mm_cmplt_epi32(_mm_xor_si128(_mm_sub_epi32(c, origin), bias), size));
    }
    if (i < n) {
        __m128 last = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(&v[i])));
        __m128i c = _mm_cvttps_epi32(last);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(xy + 2 * i), c);
        c = _mm_unpacklo_epi64(c, origin);
        inside = _mm_and_si128(inside, _mm_cmplt_epi32(_mm_xor_si128(_mm_sub_epi32(c, origin), bias), size));
    }
    return _mm_movemask_epi8(inside) == 0xffff;
#else
    bool inside = true;
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < 2; ++k) {
            float value = k == 0 ? v[i].x : v[i].y;
            int origin = k == 0 ? clip.x : clip.y, size = k == 0 ? clip.w : clip.h;
            bool ordinary = value > -1e9f && value < 1e9f;
            xy[2 * i + k] = ordinary ? int(value) : INT32_MIN;
            inside = inside && ordinary && xy[2 * i + k] >= origin && xy[2 * i + k] - origin < size;
        }
    }
    return inside;
#endif
}

// A glyph is one primitive of many small triangles: the clip test and the pixel pattern are
// settled once for all of them when all its corners lie inside the clip rectangle. Otherwise
// only triangles that cross the clip rectangle take the general polygon path.
template <int Bytes>
void FillTriangles(SDL_Surface* surface, int mode, const vertex* v, int n, uint32_t pixel)
{
    const SDL_Rect& clip = surface->clip_rect;
    if (clip.w == 0 || clip.h == 0 || n < 3)
        return;
    uint8_t pattern[68];
    MakePattern<Bytes>(pattern, pixel);
    int windowRows = WindowRows(surface);
    constexpr int CHUNK = 192;
    int xy[2 * CHUNK];
    if (n <= CHUNK && TruncateInside(v, n, clip, xy)) {
        ForEachTriangle(mode, n, [&](int i0, int i1, int i2) {
            const int x[3] = {xy[2 * i0], xy[2 * i1], xy[2 * i2]}, y[3] = {xy[2 * i0 + 1], xy[2 * i1 + 1], xy[2 * i2 + 1]};
            FillTriangle<Bytes>(surface, x, y, pattern, pixel, windowRows);
        });
        return;
    }
    ForEachTriangle(mode, n, [&](int i0, int i1, int i2) {
        vertex corners[3] = {v[i0], v[i1], v[i2]};
        int c[6];
        if (TruncateInside(corners, 3, clip, c)) {
            const int x[3] = {c[0], c[2], c[4]}, y[3] = {c[1], c[3], c[5]};
            FillTriangle<Bytes>(surface, x, y, pattern, pixel, windowRows);
        } else {
            drawSolidPoly(surface, 3, corners, pixel);
        }
    });
}

void BuildPrimitive(SDL_Surface* surface, int mode, vertex* v, int n, uint32_t pixel)
{
    auto line = [&](int a, int b) { drawLine(surface, v[a].x, v[a].y, v[b].x, v[b].y, pixel); };

    switch (mode) {
    case GL_POINTS:
        for (int i = 0; i < n; ++i) {
            int64_t x = TruncInt(v[i].x), y = TruncInt(v[i].y);
            if (x >= 0 && x < surface->w && y >= 0 && y < surface->h)
                putPixel(surface, int(x), int(y), pixel);
        }
        break;
    case GL_LINES:
        for (int i = 0; i + 1 < n; i += 2)
            line(i, i + 1);
        break;
    case GL_LINE_LOOP:
        if (n < 2)
            break;
        for (int i = 0; i + 1 < n; ++i)
            line(i, i + 1);
        line(n - 1, 0);
        break;
    case GL_LINE_STRIP:
        for (int i = 0; i + 1 < n; ++i)
            line(i, i + 1);
        break;
    default:
        switch (surface->format->BytesPerPixel) {
        case 1: FillTriangles<1>(surface, mode, v, n, pixel); break;
        case 2: FillTriangles<2>(surface, mode, v, n, pixel); break;
        case 3: FillTriangles<3>(surface, mode, v, n, pixel); break;
        case 4: FillTriangles<4>(surface, mode, v, n, pixel); break;
        default: break;
        }
        break;
    }
}

bool IsGLSurface(const SDL_Surface* surface)
{
    return (surface->flags & SDL_OPENGL) != 0;
}

// Each component times 255, truncated; components are already within 0..1.
uint32_t MapColor(SDL_Surface* surface, float r, float g, float b, float a)
{
    return SDL_MapRGBA(surface->format, Uint8(r * 255), Uint8(g * 255), Uint8(b * 255), Uint8(a * 255));
}

} // namespace

void putPixel(SDL_Surface* surface, int x, int y, uint32_t pixel)
{
    if (!surface || x < 0 || x >= surface->w || y < 0 || y >= surface->h)
        return;
    uint8_t* p = PixelAddress(surface, x, y);
    switch (surface->format->BytesPerPixel) {
    case 1: StorePixel<1>(p, pixel); break;
    case 2: StorePixel<2>(p, pixel); break;
    case 3: StorePixel<3>(p, pixel); break;
    case 4: StorePixel<4>(p, pixel); break;
    default: break;
    }
}

void drawLine(SDL_Surface* surface, float fx1, float fy1, float fx2, float fy2, uint32_t pixel)
{
    if (!surface)
        return;
    int64_t x1 = TruncInt(fx1), y1 = TruncInt(fy1), x2 = TruncInt(fx2), y2 = TruncInt(fy2);
    SDL_Rect clip;
    SDL_GetClipRect(surface, &clip);
    if (clip.w == 0 || clip.h == 0)
        return;
    int64_t left = clip.x, right = int64_t(clip.x) + clip.w - 1;
    int64_t top = clip.y, bottom = int64_t(clip.y) + clip.h - 1;
    if ((x1 < left && x2 < left) || (x1 > right && x2 > right) || (y1 < top && y2 < top)
        || (y1 > bottom && y2 > bottom))
        return;
    if (!ClipLineEnd(x1, y1, x2, y2, clip) || !ClipLineEnd(x2, y2, x1, y1, clip))
        return;

    switch (surface->format->BytesPerPixel) {
    case 1: DrawLineDepth<1>(surface, int(x1), int(y1), int(x2), int(y2), pixel); break;
    case 2: DrawLineDepth<2>(surface, int(x1), int(y1), int(x2), int(y2), pixel); break;
    case 3: DrawLineDepth<3>(surface, int(x1), int(y1), int(x2), int(y2), pixel); break;
    case 4: DrawLineDepth<4>(surface, int(x1), int(y1), int(x2), int(y2), pixel); break;
    default: break;
    }
}

void fillSolidSpan(SDL_Surface* surface, int x, int y, int length, uint32_t pixel)
{
    if (!surface || length <= 0)
        return;
    switch (surface->format->BytesPerPixel) {
    case 1: std::memset(PixelAddress(surface, x, y), int(pixel & 0xff), size_t(length)); break;
    case 2: FillSpanAt<2>(surface, x, y, length, pixel); break;
    case 3: FillSpanAt<3>(surface, x, y, length, pixel); break;
    case 4: FillSpanAt<4>(surface, x, y, length, pixel); break;
    default: break;
    }
}

void drawSolidPoly(SDL_Surface* surface, int count, vertex* vertices, uint32_t pixel)
{
    if (!surface || !vertices || count < 3)
        return;
    int bytes = surface->format->BytesPerPixel;
    if (bytes < 1 || bytes > 4)
        return;
    const SDL_Rect& clip = surface->clip_rect;
    if (clip.w == 0 || clip.h == 0)
        return;

    if (count == 3) {
        int c[6];
        if (TruncateInside(vertices, 3, clip, c)) {
            const int x[3] = {c[0], c[2], c[4]}, y[3] = {c[1], c[3], c[5]};
            for (int i = 0; i < 3; ++i)
                vertices[i] = {float(x[i]), float(y[i])};
            uint8_t pattern[68];
            int windowRows = WindowRows(surface);
            switch (bytes) {
            case 1: MakePattern<1>(pattern, pixel), FillTriangle<1>(surface, x, y, pattern, pixel, windowRows); break;
            case 2: MakePattern<2>(pattern, pixel), FillTriangle<2>(surface, x, y, pattern, pixel, windowRows); break;
            case 3: MakePattern<3>(pattern, pixel), FillTriangle<3>(surface, x, y, pattern, pixel, windowRows); break;
            default: MakePattern<4>(pattern, pixel), FillTriangle<4>(surface, x, y, pattern, pixel, windowRows); break;
            }
            return;
        }
    }
    EnsureEdgeList(surface->h);

    double left = clip.x, right = double(clip.x) + clip.w - 1;
    double top = clip.y, bottom = double(clip.y) + clip.h - 1;
    // Glyph triangles come by the hundred: the common case, a small polygon wholly inside,
    // stays on the stack.
    constexpr int SMALL_POLYGON = 16;
    sPoint local[SMALL_POLYGON];
    std::vector<sPoint>& poly = s.clipped;
    bool small = count <= SMALL_POLYGON;
    if (!small)
        poly.clear();
    bool inside = true;
    for (int i = 0; i < count; ++i) {
        double x = TruncCoord(vertices[i].x), y = TruncCoord(vertices[i].y);
        vertices[i].x = float(x);
        vertices[i].y = float(y);
        if (small)
            local[i] = {x, y};
        else
            poly.push_back({x, y});
        inside = inside && x >= left && x <= right && y >= top && y <= bottom;
    }
    const sPoint* points = small ? local : poly.data();
    size_t n = size_t(count);
    if (!inside) {
        if (small)
            poly.assign(local, local + count);
        std::vector<sPoint>& scratch = s.clipScratch;
        ClipStage(poly, scratch, true, left, 1);
        ClipStage(scratch, poly, true, right, -1);
        ClipStage(poly, scratch, false, bottom, -1);
        ClipStage(scratch, poly, false, top, 1);
        if (poly.size() < 3)
            return;
        // Intersections are fractional; the edges run between whole pixels. Interpolating between
        // points on a boundary may land a rounding error outside it, which must not become a
        // pixel outside the rectangle.
        for (sPoint& p : poly)
            p = {std::trunc(std::clamp(p.x, left, right)), std::trunc(std::clamp(p.y, top, bottom))};
        points = poly.data();
        n = poly.size();
    }

    switch (bytes) {
    case 1: ScanConvert<1>(surface, points, n, pixel); break;
    case 2: ScanConvert<2>(surface, points, n, pixel); break;
    case 3: ScanConvert<3>(surface, points, n, pixel); break;
    default: ScanConvert<4>(surface, points, n, pixel); break;
    }
}

void sglBegin(SDL_Surface* surface, int mode)
{
    s.vertexCount = 0;
    s.room = 0;
    // Nothing to draw on, or no such primitive: the vertices that follow are ignored.
    if (!surface || mode < GL_POINTS || mode > GL_POLYGON) {
        s.operation = -1;
        s.surface = nullptr;
        return;
    }
    s.operation = mode;
    s.surface = surface;
    s.useGL = IsGLSurface(surface);
    if (s.useGL) {
        glColor4f(s.red, s.green, s.blue, s.alpha);
        glBegin(GLenum(mode));
        return;
    }
    s.room = int(s.verts.size());
}

namespace {

void AddVertex(float x, float y)
{
    if (s.operation < 0)
        return;
    if (s.useGL) {
        glVertex2f(x, y);
        return;
    }
    try {
        s.verts.resize(s.verts.size() + 256);
    } catch (const std::bad_alloc&) {
        OutOfMemory("Out Of Memory\n");
    }
    s.room = int(s.verts.size());
    s.verts[size_t(s.vertexCount++)] = {x, y};
}

} // namespace

void sglVertex2f(float x, float y)
{
    int n = s.vertexCount;
    if (n < s.room) {
        s.verts[size_t(n)] = {x, y};
        s.vertexCount = n + 1;
        return;
    }
    AddVertex(x, y);
}

void sglEnd()
{
    if (s.operation < 0)
        return;
    int mode = s.operation;
    s.operation = -1;
    s.room = 0;
    if (s.useGL) {
        glEnd();
        return;
    }
    SDL_Surface* surface = s.surface;
    bool locked = SDL_MUSTLOCK(surface);
    if (locked && SDL_LockSurface(surface) < 0)
        return;
    const float colour[4] = {s.red, s.green, s.blue, s.alpha};
    if (surface->format != s.mappedFormat || surface->format->palette
        || !std::equal(colour, colour + 4, s.mappedColour)) {
        s.color = MapColor(surface, s.red, s.green, s.blue, s.alpha);
        s.mappedFormat = surface->format;
        std::copy(colour, colour + 4, s.mappedColour);
    }
    BuildPrimitive(surface, mode, s.verts.data(), s.vertexCount, s.color);
    if (locked)
        SDL_UnlockSurface(surface);
}

void sglColor3f(float r, float g, float b)
{
    sglColor4f(r, g, b, 1);
}

void sglColor4f(float r, float g, float b, float a)
{
    s.red = Clamp01(r);
    s.green = Clamp01(g);
    s.blue = Clamp01(b);
    s.alpha = Clamp01(a);
}

void sglSwapBuffers(SDL_Surface* surface)
{
    if (!surface)
        return;
    if (IsGLSurface(surface))
        SDL_GL_SwapBuffers();
    else
        SDL_Flip(surface);
}

void sglClearBuffer(SDL_Surface* surface, float r, float g, float b, float a, float depth)
{
    if (!surface)
        return;
    r = Clamp01(r), g = Clamp01(g), b = Clamp01(b), a = Clamp01(a);
    if (IsGLSurface(surface)) {
        GLfloat oldColor[4];
        GLfloat oldDepth = 1;
        glGetFloatv(GL_COLOR_CLEAR_VALUE, oldColor);
        glGetFloatv(GL_DEPTH_CLEAR_VALUE, &oldDepth);
        glClearColor(r, g, b, a);
        glClearDepth(depth);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(oldColor[0], oldColor[1], oldColor[2], oldColor[3]);
        glClearDepth(oldDepth);
        return;
    }
    SDL_FillRect(surface, nullptr, MapColor(surface, r, g, b, a));
}
