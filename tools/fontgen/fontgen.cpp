// Turns outline fonts into the engine's two built-in polygon fonts: reads the outlines with
// FreeType, flattens their curves, triangulates them with the GLU tessellator, scales them into
// each font's declared box and writes every font twice: in the polygon font text format (which
// pfLoadFont reads) and as C++ constant data compiled into the engine.
//
//   fontgen <fonts dir> <source dir>
//
// <fonts dir> holds DejaVuSans.ttf and DejaVuSansMono-Bold.ttf; <source dir> is the engine's
// src/text, which receives fonts/<name>.txt and <name>.cpp.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct sFontSpec
{
    const char* symbol;        // also the font's name
    const char* fileName;      // the outline font it is made from
    std::vector<uint32_t> codes;
    float minx, miny, maxx, maxy;   // the declared box every glyph must fit into
    bool monospaced;
    float advance;             // the one advance of a monospaced font
    double embolden;           // added to the stroke width, in ems
    double tolerance;          // how far the outline may stray from the curves, font units
};

std::vector<uint32_t> Ranges(std::initializer_list<std::pair<uint32_t, uint32_t>> ranges)
{
    std::vector<uint32_t> codes;
    for (auto [first, last] : ranges)
        for (uint32_t c = first; c <= last; ++c)
            codes.push_back(c);
    return codes;
}

using sPoint = std::array<double, 2>;
using sContour = std::vector<sPoint>;

// Curves are first cut into chords far finer than any screen shows, then the outline is
// simplified until it strays at most the font's tolerance from the curves (in final font units).
// Every triangle costs the same to draw however small, so the tolerance is a budget: the
// console draws a screenful of its font every frame.
constexpr double k_Tolerance = 0.0005;

struct sOutlineBuilder
{
    std::vector<sContour> contours;
    std::vector<std::vector<bool>> corners;   // per point: an end of a straight edge
    double scale = 1;        // outline units to final font units
    double offsetX = 0;
    sPoint last{};

    sPoint Map(const FT_Vector* v) const { return {v->x * scale + offsetX, v->y * scale}; }
};

int MoveTo(const FT_Vector* to, void* user)
{
    auto* b = static_cast<sOutlineBuilder*>(user);
    b->contours.emplace_back();
    b->corners.emplace_back();
    b->last = b->Map(to);
    b->contours.back().push_back(b->last);
    b->corners.back().push_back(true);
    return 0;
}

int LineTo(const FT_Vector* to, void* user)
{
    auto* b = static_cast<sOutlineBuilder*>(user);
    b->last = b->Map(to);
    b->corners.back().back() = true;
    b->contours.back().push_back(b->last);
    b->corners.back().push_back(true);
    return 0;
}

double Length(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    auto* b = static_cast<sOutlineBuilder*>(user);
    sPoint p0 = b->last, p1 = b->Map(control), p2 = b->Map(to);
    // A uniform split into n chords strays at most |p0 - 2 p1 + p2| / (8 n^2) from the curve.
    double bend = Length(p0[0] - 2 * p1[0] + p2[0], p0[1] - 2 * p1[1] + p2[1]);
    int n = std::max(1, int(std::ceil(std::sqrt(bend / (8 * k_Tolerance)))));
    for (int i = 1; i <= n; ++i) {
        double t = double(i) / n, u = 1 - t;
        b->contours.back().push_back({u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                                      u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]});
        b->corners.back().push_back(false);
    }
    b->last = p2;
    return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    auto* b = static_cast<sOutlineBuilder*>(user);
    sPoint p0 = b->last, p1 = b->Map(c1), p2 = b->Map(c2), p3 = b->Map(to);
    double bend = std::max(Length(p0[0] - 2 * p1[0] + p2[0], p0[1] - 2 * p1[1] + p2[1]),
                           Length(p1[0] - 2 * p2[0] + p3[0], p1[1] - 2 * p2[1] + p3[1]));
    int n = std::max(1, int(std::ceil(std::sqrt(0.75 * bend / k_Tolerance))));
    for (int i = 1; i <= n; ++i) {
        double t = double(i) / n, u = 1 - t;
        double a = u * u * u, bb = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        b->contours.back().push_back({a * p0[0] + bb * p1[0] + c * p2[0] + d * p3[0],
                                      a * p0[1] + bb * p1[1] + c * p2[1] + d * p3[1]});
        b->corners.back().push_back(false);
    }
    b->last = p3;
    return 0;
}

double DistanceToChord(const sPoint& p, const sPoint& a, const sPoint& b)
{
    double dx = b[0] - a[0], dy = b[1] - a[1];
    double length = Length(dx, dy);
    if (length == 0)
        return Length(p[0] - a[0], p[1] - a[1]);
    return std::abs((p[0] - a[0]) * dy - (p[1] - a[1]) * dx) / length;
}

// Douglas-Peucker over points first..last, keeping those that carry the shape.
void Simplify(const sContour& in, size_t first, size_t last, double tolerance, std::vector<bool>& keep)
{
    if (last <= first + 1)
        return;
    double worst = -1;
    size_t at = first;
    for (size_t i = first + 1; i < last; ++i) {
        double d = DistanceToChord(in[i], in[first], in[last]);
        if (d > worst)
            worst = d, at = i;
    }
    if (worst <= tolerance)
        return;
    keep[at] = true;
    Simplify(in, first, at, tolerance, keep);
    Simplify(in, at, last, tolerance, keep);
}

// Simplifies a closed contour; the outline's own corners (its on-curve points) always stay, so
// stems keep their exact edges and only curves lose points.
sContour SimplifyContour(const sContour& contour, const std::vector<bool>& corner, double tolerance)
{
    std::vector<bool> keep(corner);
    size_t previous = 0;
    for (size_t i = 1; i < contour.size(); ++i)
        if (corner[i]) {
            Simplify(contour, previous, i, tolerance, keep);
            previous = i;
        }
    sContour out;
    for (size_t i = 0; i < contour.size(); ++i)
        if (keep[i])
            out.push_back(contour[i]);
    return out;
}

int16_t Quantise(double value)
{
    return int16_t(std::clamp(std::lround(value * 32768.0), -32767L, 32767L));
}

// The tessellator reports triangles only once an edge-flag callback is installed, so a whole
// glyph becomes one GL_TRIANGLES segment: one begin/end per glyph when it is drawn.
struct sTessellation
{
    std::deque<std::array<GLdouble, 3>> vertices;   // stable addresses for the tessellator
    std::vector<int16_t> points;                    // x, y pairs
    bool failed = false;
};

void TessBegin(GLenum, void*) {}
void TessEnd(void*) {}
void TessEdgeFlag(GLboolean, void*) {}

void TessVertex(void* vertexData, void* user)
{
    auto* t = static_cast<sTessellation*>(user);
    auto* v = static_cast<GLdouble*>(vertexData);
    t->points.push_back(Quantise(v[0]));
    t->points.push_back(Quantise(v[1]));
}

void TessCombine(GLdouble coords[3], void*[4], GLfloat[4], void** out, void* user)
{
    auto* t = static_cast<sTessellation*>(user);
    t->vertices.push_back({coords[0], coords[1], coords[2]});
    *out = t->vertices.back().data();
}

void TessError(GLenum error, void* user)
{
    std::fprintf(stderr, "fontgen: tessellation error %s\n", gluErrorString(error));
    static_cast<sTessellation*>(user)->failed = true;
}

std::vector<int16_t> Triangulate(const std::vector<sContour>& contours)
{
    sTessellation result;
    GLUtesselator* tess = gluNewTess();
    if (!tess)
        throw std::runtime_error("no tessellator");
    using Callback = void (*)();
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<Callback>(TessBegin));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<Callback>(TessVertex));
    gluTessCallback(tess, GLU_TESS_END_DATA, reinterpret_cast<Callback>(TessEnd));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<Callback>(TessEdgeFlag));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<Callback>(TessCombine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<Callback>(TessError));
    // Outline fonts fill by the non-zero rule; overlapping parts of composite glyphs stay solid.
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0, 0, 1);
    gluTessBeginPolygon(tess, &result);
    for (const sContour& contour : contours) {
        // A closed contour repeats its first point at the end; the tessellator closes it itself.
        size_t n = contour.size();
        if (n > 1 && contour[0] == contour[n - 1])
            --n;
        if (n < 3)
            continue;
        gluTessBeginContour(tess);
        for (size_t i = 0; i < n; ++i) {
            result.vertices.push_back({contour[i][0], contour[i][1], 0});
            gluTessVertex(tess, result.vertices.back().data(), result.vertices.back().data());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    if (result.failed)
        throw std::runtime_error("tessellation failed");
    return std::move(result.points);
}

struct sGlyph
{
    uint32_t code;
    float minx = 0, miny = 0, maxx = 0, maxy = 0, advance = 0;
    std::vector<int16_t> triangles;   // x, y pairs, three points per triangle
};

// Values pass through text in both outputs; printing them once and reusing the text makes the
// compiled font and the loaded text font bit-identical.
std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%f", double(value));
    return text;
}

class cFace
{
public:
    cFace(FT_Library library, const std::string& path)
    {
        if (FT_New_Face(library, path.c_str(), 0, &m_Face))
            throw std::runtime_error("cannot read " + path);
    }
    ~cFace() { FT_Done_Face(m_Face); }
    FT_Face Get() const { return m_Face; }

private:
    FT_Face m_Face = nullptr;
};

// Without anti-aliasing a stem narrower than a pixel can fall between pixel centres and vanish
// (an "l" at 12 pixels); emboldening keeps the thinnest stems of the regular font a pixel wide.
void LoadGlyph(FT_Face face, uint32_t code, double embolden)
{
    FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP))
        throw std::runtime_error("the outline font has no glyph for code " + std::to_string(code));
    if (embolden > 0) {
        FT_Pos strength = FT_Pos(std::lround(embolden * face->units_per_EM));
        FT_Outline_EmboldenXY(&face->glyph->outline, strength, strength / 2);
    }
}

// Largest uniform scale, and the horizontal offset that goes with it, at which every outline
// lies inside the declared box.
void FitScale(FT_Face face, const sFontSpec& wanted, double& scale)
{
    double em = face->units_per_EM;
    double lo = 0, hi = 4;
    auto fits = [&](double s) {
        for (uint32_t code : wanted.codes) {
            if (code == 127 && wanted.monospaced)
                continue;   // DEL has no outline
            LoadGlyph(face, code, wanted.embolden);
            FT_BBox box;
            FT_Outline_Get_BBox(&face->glyph->outline, &box);
            if (face->glyph->outline.n_points == 0)
                continue;
            double k = s / em;
            double offset = wanted.monospaced ? (wanted.advance - face->glyph->advance.x * k) / 2 : 0;
            if (box.xMin * k + offset < wanted.minx || box.xMax * k + offset > wanted.maxx || box.yMin * k < wanted.miny
                || box.yMax * k > wanted.maxy)
                return false;
        }
        return true;
    };
    for (int i = 0; i < 40; ++i) {
        double mid = (lo + hi) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    scale = lo;
}

std::vector<sGlyph> MakeGlyphs(FT_Face face, const sFontSpec& wanted, double scale)
{
    std::vector<sGlyph> glyphs;
    double k = scale / face->units_per_EM;
    for (uint32_t code : wanted.codes) {
        sGlyph glyph;
        glyph.code = code;
        if (code == 127 && wanted.monospaced) {
            glyph.advance = wanted.advance;
            glyphs.push_back(glyph);
            continue;
        }
        LoadGlyph(face, code, wanted.embolden);
        sOutlineBuilder builder;
        builder.scale = k;
        builder.offsetX = wanted.monospaced ? (wanted.advance - face->glyph->advance.x * k) / 2 : 0;
        FT_Outline_Funcs funcs = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
        if (FT_Outline_Decompose(&face->glyph->outline, &funcs, &builder))
            throw std::runtime_error("cannot read the outline of code " + std::to_string(code));
        for (size_t c = 0; c < builder.contours.size(); ++c) {
            builder.corners[c].back() = true;
            builder.contours[c] = SimplifyContour(builder.contours[c], builder.corners[c], wanted.tolerance);
        }
        glyph.triangles = Triangulate(builder.contours);
        // Rounding to 1/32768 must not carry a point that touches the box out of it.
        for (size_t i = 0; i < glyph.triangles.size(); i += 2) {
            glyph.triangles[i] = int16_t(std::clamp<double>(glyph.triangles[i], std::ceil(wanted.minx * 32768.0),
                                                            std::floor(wanted.maxx * 32768.0)));
            glyph.triangles[i + 1] = int16_t(std::clamp<double>(
                glyph.triangles[i + 1], std::ceil(wanted.miny * 32768.0), std::floor(wanted.maxy * 32768.0)));
        }
        glyph.advance = wanted.monospaced ? wanted.advance : float(face->glyph->advance.x * k);
        if (!glyph.triangles.empty()) {
            int16_t x0 = 32767, y0 = 32767, x1 = -32767, y1 = -32767;
            for (size_t i = 0; i < glyph.triangles.size(); i += 2) {
                x0 = std::min(x0, glyph.triangles[i]);
                x1 = std::max(x1, glyph.triangles[i]);
                y0 = std::min(y0, glyph.triangles[i + 1]);
                y1 = std::max(y1, glyph.triangles[i + 1]);
            }
            glyph.minx = x0 / 32768.0f, glyph.maxx = x1 / 32768.0f;
            glyph.miny = y0 / 32768.0f, glyph.maxy = y1 / 32768.0f;
        }
        glyphs.push_back(std::move(glyph));
    }
    return glyphs;
}

class cFile
{
public:
    explicit cFile(const std::string& path) : m_File(std::fopen(path.c_str(), "w"))
    {
        if (!m_File)
            throw std::runtime_error("cannot write " + path);
    }
    ~cFile() { std::fclose(m_File); }
    FILE* Get() const { return m_File; }

private:
    FILE* m_File;
};

void WriteTextFont(const std::string& path, const sFontSpec& wanted, const std::vector<sGlyph>& glyphs)
{
    cFile file(path);
    FILE* f = file.Get();
    std::fprintf(f, "/*PolyFontVersion\n1.0\n");
    std::fprintf(f, "/*fontname\n%s\n", wanted.symbol);
    std::fprintf(f, "/*glyphcount\n%zu\n", glyphs.size());
    std::fprintf(f, "/*fontinfo\n/*minx, miny, maxx, maxy, numglyphs\n%s, %s, %s, %s, %zu\n",
                 Number(wanted.minx).c_str(), Number(wanted.miny).c_str(), Number(wanted.maxx).c_str(),
                 Number(wanted.maxy).c_str(), glyphs.size());
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const sGlyph& g = glyphs[i];
        bool filled = !g.triangles.empty();
        std::fprintf(f, "/*glyphinfo\n%zu\n/*minx, miny, maxx, maxy, advance, glyph, numsegments\n", i);
        std::fprintf(f, "%s, %s, %s, %s, %s, %u, %d\n", Number(g.minx).c_str(), Number(g.miny).c_str(),
                     Number(g.maxx).c_str(), Number(g.maxy).c_str(), Number(g.advance).c_str(), g.code,
                     filled ? 1 : 0);
        std::fprintf(f, "/*glyphdata\n%zu,%zu\n", i, filled ? g.triangles.size() + 2 : 0);
        if (!filled)
            continue;
        size_t count = g.triangles.size() / 2;
        std::fprintf(f, "/*segment\n0\n/*primitive\nGL_TRIANGLES\n/*points\n%zu\n", count);
        for (size_t p = 0; p < count; ++p)
            std::fprintf(f, "/*%zu\n%d,%d\n", p, g.triangles[2 * p], g.triangles[2 * p + 1]);
    }
}

void WriteSourceFont(const std::string& path, const sFontSpec& wanted, const std::vector<sGlyph>& glyphs)
{
    cFile file(path);
    FILE* f = file.Get();
    std::fprintf(f, "// Generated by tools/fontgen/generate.sh from %s (fonts/LICENSE-DejaVu.txt); do not edit.\n",
                 wanted.fileName);
    std::fprintf(f, "#include \"text/pf.h\"\n\nnamespace {\n\n");
    for (const sGlyph& g : glyphs) {
        if (g.triangles.empty())
            continue;
        std::fprintf(f, "constexpr int16_t g%u[] = {4, %zu,", g.code, g.triangles.size() / 2);
        for (size_t i = 0; i < g.triangles.size(); ++i)
            std::fprintf(f, "%s%d,", i % 16 == 0 ? "\n    " : " ", g.triangles[i]);
        std::fprintf(f, "\n};\n");
    }
    std::fprintf(f, "\nconstexpr pfglyph glyphs[] = {\n");
    for (const sGlyph& g : glyphs) {
        bool filled = !g.triangles.empty();
        std::fprintf(f, "    {%sf, %sf, %sf, %sf, %sf, %u, %d, %s},\n", Number(g.minx).c_str(),
                     Number(g.miny).c_str(), Number(g.maxx).c_str(), Number(g.maxy).c_str(),
                     Number(g.advance).c_str(), g.code, filled ? 1 : 0,
                     filled ? ("g" + std::to_string(g.code)).c_str() : "nullptr");
    }
    std::fprintf(f, "};\n\n} // namespace\n\n");
    std::fprintf(f, "const pffont %s = {\"%s\", 0, %sf, %sf, %sf, %sf, %zu, glyphs};\n", wanted.symbol, wanted.symbol,
                 Number(wanted.minx).c_str(), Number(wanted.miny).c_str(), Number(wanted.maxx).c_str(),
                 Number(wanted.maxy).c_str(), glyphs.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fontgen <fonts dir> <engine src/text dir>\n");
        return 2;
    }
    std::string fontsDir = argv[1], sourceDir = argv[2];

    std::vector<sFontSpec> specs = {
        {"pfPBaveuse", "DejaVuSans.ttf",
         Ranges({{32, 93}, {95, 122}, {124, 124}, {162, 165}, {168, 169}, {171, 171}, {173, 174},
                 {180, 180}, {184, 184}, {187, 187}, {192, 255}, {258, 263}, {268, 273}, {280, 283},
                 {286, 287}, {304, 305}, {313, 314}, {317, 318}, {321, 324}, {327, 328}, {336, 341},
                 {344, 347}, {350, 357}, {366, 369}, {376, 382}, {710, 711}, {728, 733}, {8211, 8213},
                 {8216, 8217}, {8220, 8221}, {8226, 8226}, {8230, 8230}, {8249, 8250}, {8482, 8482}}),
         -0.044534f, -0.200949f, 1.0f, 0.81493f, false, 0, 0.03, 0.01},
        {"pfPSansMonoBold7", "DejaVuSansMono-Bold.ttf", Ranges({{32, 127}}), 0.0f, -0.290176f, 0.741858f, 1.0f,
         true, 0.740523f, 0, 0.01},
    };

    try {
        FT_Library library;
        if (FT_Init_FreeType(&library))
            throw std::runtime_error("FreeType does not start");
        for (const sFontSpec& wanted : specs) {
            cFace face(library, fontsDir + "/" + wanted.fileName);
            double scale = 0;
            FitScale(face.Get(), wanted, scale);
            std::vector<sGlyph> glyphs = MakeGlyphs(face.Get(), wanted, scale);
            size_t points = 0;
            for (const sGlyph& g : glyphs)
                points += g.triangles.size() / 2;
            std::printf("%s: %zu glyphs, %.4f units per em, %zu triangles\n", wanted.symbol, glyphs.size(), scale,
                        points / 3);
            WriteTextFont(sourceDir + "/fonts/" + wanted.symbol + ".txt", wanted, glyphs);
            WriteSourceFont(sourceDir + "/" + wanted.symbol + ".cpp", wanted, glyphs);
        }
        FT_Done_FreeType(library);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fontgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
