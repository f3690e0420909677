#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <unistd.h>
#include <string>
#include <vector>

#include "text/pf.h"
#include "text/sgl.h"

namespace fs = std::filesystem;

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

SurfacePtr MakeSurface(int w, int h)
{
    return SurfacePtr(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xff0000, 0xff00, 0xff, 0), SDL_FreeSurface);
}

struct sInk
{
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1, count = 0;
};

sInk InkOf(SDL_Surface* surface)
{
    sInk ink;
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x) {
            uint32_t pixel = static_cast<uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x];
            if (pixel) {
                ink.minX = std::min(ink.minX, x), ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y), ink.maxY = std::max(ink.maxY, y);
                ++ink.count;
            }
        }
    return ink;
}

// Every test starts from the library's initial state; the state is shared by design.
class FontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pfSetFont(&pfPBaveuse);
        pfSetScale(20);
        pfSetPosition(0, 0);
        pfSetSkew(0);
        pfSetWeight(1);
        pfSetAngleR(0);
        pfSetCenter(0);
        sglColor3f(1, 1, 1);
        m_Dir = fs::temp_directory_path() / ("pf-test-" + std::to_string(::getpid()));
        fs::create_directories(m_Dir);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_Dir, ignored);
    }

    std::string Write(const std::string& name, const std::string& text)
    {
        std::string path = (m_Dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    fs::path m_Dir;
};

std::string FontFile(const std::string& name)
{
    return std::string(BW_SOURCE_DIR) + "/src/text/fonts/" + name + ".txt";
}

std::vector<int> Codes(const pffont& font)
{
    std::vector<int> codes;
    for (int i = 0; i < font.numglyphs; ++i)
        codes.push_back(font.glyphs[i].glyph);
    return codes;
}

std::vector<int> Ranges(std::initializer_list<std::pair<int, int>> ranges)
{
    std::vector<int> codes;
    for (auto [first, last] : ranges)
        for (int c = first; c <= last; ++c)
            codes.push_back(c);
    return codes;
}

// A small valid font: two glyphs, 'A' a triangle and 'B' a fan, in the text format.
std::string SmallFont(const std::string& name = "small", const std::string& glyphB = "66", const std::string& lengthB = "10",
                      const std::string& primitiveB = "GL_TRIANGLE_FAN")
{
    return "/*PolyFontVersion\n1.0\n/*fontname\n" + name + "\n/*glyphcount\n2\n"
           "/*fontinfo\n/*box\n0.0, -0.25, 1.0, 1.0, 2\n"
           "/*glyphinfo\n0\n/*fields\n0.0, 0.0, 0.5, 1.0, 0.6, 65, 1\n"
           "/*glyphinfo\n1\n/*fields\n0.0, -0.25, 0.5, 0.5, 0.7, " + glyphB + ", 1\n"
           "/*glyphdata\n0,8\n/*segment\n0\n/*type\nGL_TRIANGLES\n/*n\n3\n/*p\n0,0\n/*p\n16384,0\n/*p\n0,32767\n"
           "/*glyphdata\n1," + lengthB + "\n/*segment\n0\n/*type\n" + primitiveB + "\n/*n\n4\n"
           "/*p\n0,-8192\n/*p\n16384,-8192\n/*p\n16384,16384\n/*p\n0,16384\n";
}

} // namespace

TEST_F(FontTest, BuiltInFontsCarryTheirNamesCodesBoxesAndAdvances)
{
    EXPECT_STREQ(pfPBaveuse.name, "pfPBaveuse");
    EXPECT_EQ(pfPBaveuse.loaded, 0);
    EXPECT_EQ(pfPBaveuse.numglyphs, 246);
    EXPECT_EQ(Codes(pfPBaveuse),
              Ranges({{32, 93}, {95, 122}, {124, 124}, {162, 165}, {168, 169}, {171, 171}, {173, 174}, {180, 180},
                      {184, 184}, {187, 187}, {192, 255}, {258, 263}, {268, 273}, {280, 283}, {286, 287}, {304, 305},
                      {313, 314}, {317, 318}, {321, 324}, {327, 328}, {336, 341}, {344, 347}, {350, 357}, {366, 369},
                      {376, 382}, {710, 711}, {728, 733}, {8211, 8213}, {8216, 8217}, {8220, 8221}, {8226, 8226},
                      {8230, 8230}, {8249, 8250}, {8482, 8482}}));
    EXPECT_FLOAT_EQ(pfPBaveuse.minx, -0.044534f);
    EXPECT_FLOAT_EQ(pfPBaveuse.miny, -0.200949f);
    EXPECT_FLOAT_EQ(pfPBaveuse.maxx, 1.0f);
    EXPECT_FLOAT_EQ(pfPBaveuse.maxy, 0.81493f);

    EXPECT_STREQ(pfPSansMonoBold7.name, "pfPSansMonoBold7");
    EXPECT_EQ(pfPSansMonoBold7.numglyphs, 96);
    EXPECT_EQ(Codes(pfPSansMonoBold7), Ranges({{32, 127}}));
    EXPECT_FLOAT_EQ(pfPSansMonoBold7.minx, 0.0f);
    EXPECT_FLOAT_EQ(pfPSansMonoBold7.miny, -0.290176f);
    EXPECT_FLOAT_EQ(pfPSansMonoBold7.maxx, 0.741858f);
    EXPECT_FLOAT_EQ(pfPSansMonoBold7.maxy, 1.0f);
    for (int i = 0; i < 96; ++i)
        EXPECT_FLOAT_EQ(pfPSansMonoBold7.glyphs[i].advance, 0.740523f) << "glyph " << i;
}

TEST_F(FontTest, BuiltInGlyphsAreFilledTrianglesInsideTheFontBox)
{
    for (const pffont* font : {&pfPBaveuse, &pfPSansMonoBold7}) {
        int drawn = 0;
        for (int i = 0; i < font->numglyphs; ++i) {
            const pfglyph& g = font->glyphs[i];
            SCOPED_TRACE(std::string(font->name) + " code " + std::to_string(g.glyph));
            EXPECT_GE(g.minx, font->minx - 1e-6f);
            EXPECT_GE(g.miny, font->miny - 1e-6f);
            EXPECT_LE(g.maxx, font->maxx + 1e-6f);
            EXPECT_LE(g.maxy, font->maxy + 1e-6f);
            EXPECT_GT(g.advance, 0);
            const int16_t* s = g.segments;
            for (int k = 0; k < g.numsegments; ++k) {
                EXPECT_TRUE(s[0] == 4 || s[0] == 5 || s[0] == 6);
                EXPECT_GT(s[1], 2);
                s += 2 + 2 * s[1];
            }
            drawn += g.numsegments > 0;
        }
        // Only the space (and DEL in the monospaced font) has no outline.
        EXPECT_EQ(drawn, font->numglyphs - (font == &pfPBaveuse ? 1 : 2));
    }
}

TEST_F(FontTest, GeneratedTextFontsLoadIntoExactlyTheBuiltInData)
{
    for (const pffont* builtIn : {&pfPBaveuse, &pfPSansMonoBold7}) {
        pffont* loaded = pfLoadFont(FontFile(builtIn->name).c_str());
        ASSERT_NE(loaded, nullptr) << builtIn->name;
        EXPECT_STREQ(loaded->name, builtIn->name);
        EXPECT_EQ(loaded->loaded, 1);
        EXPECT_EQ(loaded->minx, builtIn->minx);
        EXPECT_EQ(loaded->miny, builtIn->miny);
        EXPECT_EQ(loaded->maxx, builtIn->maxx);
        EXPECT_EQ(loaded->maxy, builtIn->maxy);
        ASSERT_EQ(loaded->numglyphs, builtIn->numglyphs);
        for (int i = 0; i < builtIn->numglyphs; ++i) {
            const pfglyph &a = loaded->glyphs[i], &b = builtIn->glyphs[i];
            ASSERT_EQ(a.glyph, b.glyph);
            EXPECT_EQ(a.minx, b.minx);
            EXPECT_EQ(a.miny, b.miny);
            EXPECT_EQ(a.maxx, b.maxx);
            EXPECT_EQ(a.maxy, b.maxy);
            EXPECT_EQ(a.advance, b.advance);
            ASSERT_EQ(a.numsegments, b.numsegments);
            size_t length = 0;
            for (int k = 0; k < b.numsegments; ++k)
                length += 2 + 2 * size_t(b.segments[length + 1]);
            EXPECT_TRUE(std::equal(a.segments, a.segments + length, b.segments)) << "code " << b.glyph;
        }
        pfUnloadFont(loaded);
    }
}

TEST_F(FontTest, SmallFontLoadsAndDraws)
{
    pffont* font = pfLoadFont(Write("small.txt", SmallFont()).c_str());
    ASSERT_NE(font, nullptr);
    EXPECT_STREQ(font->name, "small");
    EXPECT_EQ(pfSetFont(font), 0);
    EXPECT_STREQ(pfGetFontName(), "small");
    EXPECT_EQ(pfGetFontNumGlyphs(), 2);
    EXPECT_EQ(pfGetChar(1), 'B');

    auto surface = MakeSurface(64, 64);
    pfSetScale(32);
    pfSetPosition(10, 40);
    EXPECT_EQ(pfDrawString(surface.get(), "B"), 0);
    // B is the square (0, -0.25)-(0.5, 0.5): 16 by 24 pixels, a quarter below the baseline.
    sInk ink = InkOf(surface.get());
    EXPECT_EQ(ink.minX, 10);
    EXPECT_EQ(ink.maxX, 25);
    EXPECT_EQ(ink.minY, 25);
    EXPECT_EQ(ink.maxY, 48);
    float x, y;
    pfGetPosition(&x, &y);
    EXPECT_FLOAT_EQ(x, 10 + 0.7f * 32);
    pfUnloadFont(font);
}

TEST_F(FontTest, MalformedFontFilesAreRefused)
{
    std::string good = SmallFont();
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    struct sCase
    {
        const char* what;
        std::string text;
    };
    const sCase cases[] = {
        {"empty file", ""},
        {"no fontinfo", replace("/*fontinfo\n", "/*nothing\n")},
        {"no name", replace("/*fontname\nsmall\n", "")},
        {"glyph index beyond the count", replace("/*glyphinfo\n1\n", "/*glyphinfo\n2\n")},
        {"negative glyph index", replace("/*glyphdata\n1,", "/*glyphdata\n-1,")},
        {"glyph data before the count", replace("/*glyphcount\n2\n", "") + "/*glyphcount\n2\n"},
        {"truncated segment", good.substr(0, good.size() - 9)},
        {"point count beyond the data length", SmallFont("small", "66", "9")},
        {"data length beyond the file", SmallFont("small", "66", "100000")},
        {"more segments declared than present", replace("0.7, 66, 1", "0.7, 66, 2")},
        {"unsorted codes", SmallFont("small", "64")},
        {"duplicate codes", SmallFont("small", "65")},
        {"numglyphs beyond the glyph count", replace("1.0, 1.0, 2\n", "1.0, 1.0, 3\n")},
        {"huge glyph count", replace("/*glyphcount\n2\n", "/*glyphcount\n2000000000\n")},
        {"coordinate beyond 16 bits", replace("16384,16384", "16384,40000")},
        {"character code beyond 16 bits", SmallFont("small", "70000")},
        {"not a number", replace("0.6, 65", "zz, 65")},
        {"name of 1024 characters", SmallFont(std::string(1024, 'n'))},
    };
    for (const sCase& c : cases)
        EXPECT_EQ(pfLoadFont(Write("bad.txt", c.text).c_str()), nullptr) << c.what;
    EXPECT_EQ(pfLoadFont((m_Dir / "missing.txt").c_str()), nullptr);
    EXPECT_EQ(pfLoadFont(nullptr), nullptr);

    pffont* longName = pfLoadFont(Write("long.txt", SmallFont(std::string(1023, 'n'))).c_str());
    ASSERT_NE(longName, nullptr);
    EXPECT_EQ(std::string(longName->name).size(), 1023u);
    pfUnloadFont(longName);
}

TEST_F(FontTest, UnknownPrimitiveIsNotDrawnButTheGlyphStillAdvances)
{
    pffont* font = pfLoadFont(Write("odd.txt", SmallFont("odd", "66", "10", "GL_HEXAGONS")).c_str());
    ASSERT_NE(font, nullptr);
    pfSetFont(font);
    auto surface = MakeSurface(64, 64);
    pfSetPosition(5, 40);
    EXPECT_EQ(pfDrawChar(surface.get(), u'B'), 0);
    EXPECT_EQ(InkOf(surface.get()).count, 0);
    float x;
    pfGetPosition(&x, nullptr);
    EXPECT_FLOAT_EQ(x, 5 + 0.7f * 20);
    pfUnloadFont(font);
}

TEST_F(FontTest, UnloadingTheCurrentFontMakesTheDefaultCurrent)
{
    pffont* font = pfLoadFont(Write("small.txt", SmallFont()).c_str());
    ASSERT_NE(font, nullptr);
    pfSetFont(font);
    pfUnloadFont(font);
    EXPECT_EQ(pfGetCurrentFont(), &pfPBaveuse);
    EXPECT_STREQ(pfGetFontName(), "pfPBaveuse");

    pfSetFont(&pfPSansMonoBold7);
    pfUnloadFont(const_cast<pffont*>(&pfPSansMonoBold7));   // built in: ignored
    pfUnloadFont(nullptr);
    EXPECT_EQ(pfGetCurrentFont(), &pfPSansMonoBold7);
    EXPECT_EQ(pfSetFont(nullptr), -1);
    EXPECT_EQ(pfGetCurrentFont(), &pfPSansMonoBold7);
}

TEST_F(FontTest, PenMovesByTheAdvancesOfDrawnGlyphsOnly)
{
    auto surface = MakeSurface(200, 60);
    float advanceA = pfGetCharAdvance(u'A'), advanceB = pfGetCharAdvance(u'B');
    EXPECT_GT(advanceA, 0);
    pfSetPosition(10, 40);
    EXPECT_EQ(pfDrawString(surface.get(), "AB"), 0);
    float x, y;
    pfGetPosition(&x, &y);
    EXPECT_FLOAT_EQ(x, 10 + advanceA + advanceB);
    EXPECT_FLOAT_EQ(y, 40);

    // The brace has no glyph in the default font: a and b stand side by side.
    EXPECT_EQ(pfGetCharAdvance(u'{'), 0);
    EXPECT_EQ(pfDrawChar(surface.get(), u'{'), -1);
    pfSetPosition(0, 40);
    pfDrawString(surface.get(), "a{b");
    pfGetPosition(&x, nullptr);
    EXPECT_FLOAT_EQ(x, pfGetCharAdvance(u'a') + pfGetCharAdvance(u'b'));

    EXPECT_EQ(pfDrawString(surface.get(), nullptr), -1);
    EXPECT_EQ(pfDrawString(nullptr, "a"), -1);
    EXPECT_EQ(pfDrawStringW(surface.get(), nullptr), -1);
    EXPECT_EQ(pfDrawChar(nullptr, u'a'), -1);
}

TEST_F(FontTest, AccentedTextReadsAsUtf8AndFallsBackToLatin1)
{
    float eAcute = pfGetCharAdvance(u'\u00e9');
    ASSERT_GT(eAcute, 0);
    struct sCase
    {
        const char* text;
        float advance;
    };
    const sCase cases[] = {
        {"\xc3\xa9", eAcute},                                      // UTF-8
        {"\xe9", eAcute},                                          // Latin-1
        {"\xe9t\xc3\xa9", 2 * eAcute + pfGetCharAdvance(u't')},    // both in one text
        {"\xe2\x84\xa2", pfGetCharAdvance(u'\u2122')},             // three bytes
        {"\xc3", pfGetCharAdvance(u'\u00c3')},                     // a lone lead byte is Latin-1
        {"\xf0\x9f\x98\x80", 0},                                   // beyond 16 bits: no glyph
    };
    auto surface = MakeSurface(64, 64);
    for (const sCase& c : cases) {
        pfSetPosition(0, 30);
        pfDrawString(surface.get(), c.text);
        float x;
        pfGetPosition(&x, nullptr);
        EXPECT_FLOAT_EQ(x, c.advance) << c.text;
    }
    pfSetPosition(0, 30);
    pfDrawStringW(surface.get(), u"\u00e9\u2122");
    float x;
    pfGetPosition(&x, nullptr);
    EXPECT_FLOAT_EQ(x, eAcute + pfGetCharAdvance(u'\u2122'));
}

TEST_F(FontTest, SettersClampWeightAndSkew)
{
    EXPECT_EQ(pfSetWeight(0), 1);
    EXPECT_EQ(pfSetWeight(12), 9);
    EXPECT_EQ(pfSetWeight(4), 4);
    pfSetSkew(2.5f);
    pfSetScale(10);
    // The skew shows in the box: a forward skew of 1 moves the right edge by the top's height.
    float minx, miny, maxx, maxy;
    pfGetFontBBox(&minx, &miny, &maxx, &maxy);
    EXPECT_FLOAT_EQ(maxx, 10 * 1.0f + 1.0f * 10 * 0.81493f);
    EXPECT_FLOAT_EQ(minx, 10 * -0.044534f + 1.0f * 10 * -0.200949f);
    pfSetSkew(-7);
    pfGetFontBBox(&minx, &miny, &maxx, &maxy);
    EXPECT_FLOAT_EQ(minx, 10 * -0.044534f - 10 * 0.81493f);
    EXPECT_FLOAT_EQ(maxx, 10 * 1.0f + 10 * 0.200949f);
    EXPECT_FLOAT_EQ(miny, 10 * -0.200949f);
    EXPECT_FLOAT_EQ(maxy, 10 * 0.81493f);
}

TEST_F(FontTest, FontAndCharacterBoxesScaleWithTheFont)
{
    pfSetScaleXY(10, 30);
    EXPECT_FLOAT_EQ(pfGetFontAscent(), 30 * 0.81493f);
    EXPECT_FLOAT_EQ(pfGetFontDescent(), 30 * -0.200949f);
    EXPECT_FLOAT_EQ(pfGetFontHeight(), 30 * (0.81493f + 0.200949f));
    EXPECT_FLOAT_EQ(pfGetFontWidth(), 10 * (1.0f + 0.044534f));

    const pfglyph* g = nullptr;
    for (int i = 0; i < pfPBaveuse.numglyphs; ++i)
        if (pfPBaveuse.glyphs[i].glyph == 'g')
            g = &pfPBaveuse.glyphs[i];
    ASSERT_NE(g, nullptr);
    float minx, miny, maxx, maxy;
    EXPECT_EQ(pfGetCharBBox(u'g', &minx, &miny, &maxx, &maxy), 0);
    EXPECT_FLOAT_EQ(minx, 10 * g->minx);
    EXPECT_FLOAT_EQ(maxy, 30 * g->maxy);
    EXPECT_FLOAT_EQ(pfGetCharDescent(u'g'), 30 * g->miny);
    EXPECT_LT(pfGetCharDescent(u'g'), 0);
    EXPECT_FLOAT_EQ(pfGetCharWidth(u'g'), 10 * (g->maxx - g->minx));
    EXPECT_FLOAT_EQ(pfGetCharHeight(u'g'), 30 * (g->maxy - g->miny));
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'g'), 10 * g->advance);

    // No glyph: an empty box, whatever the caller's variables held.
    minx = miny = maxx = maxy = 123;
    EXPECT_EQ(pfGetCharBBox(u'{', &minx, &miny, &maxx, &maxy), 0);
    EXPECT_EQ(minx, 0);
    EXPECT_EQ(miny, 0);
    EXPECT_EQ(maxx, 0);
    EXPECT_EQ(maxy, 0);
}

TEST_F(FontTest, ScaleBoxFitsTheTextIntoTheGivenSize)
{
    EXPECT_EQ(pfSetScaleBox("Hello", 200, 50), 0);
    // The text's box, in font units: from H's left edge to the sum of the advances.
    float advances = 0;
    for (char16_t c : std::u16string(u"Hello"))
        advances += pfGetCharAdvance(c);
    float hLeft;
    pfGetCharBBox(u'H', &hLeft, nullptr, nullptr, nullptr);
    EXPECT_NEAR(advances - hLeft, 200, 1e-3);
    float narrowScale = pfGetCharAdvance(u'H');
    pfSetScale(1);
    EXPECT_EQ(pfSetScaleBoxW(u"Hello", 200, 50), 0);
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'H'), narrowScale);

    float before = pfGetCharAdvance(u'H');
    EXPECT_EQ(pfSetScaleBox(nullptr, 10, 10), -1);
    EXPECT_EQ(pfSetScaleBox("", 10, 10), -1);       // an empty box keeps the scale
    EXPECT_EQ(pfSetScaleBox("{}", 10, 10), -1);
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'H'), before);
}

TEST_F(FontTest, QueriesOnTheMonospacedFont)
{
    pfSetFont(&pfPSansMonoBold7);
    EXPECT_EQ(pfGetChar(0), 32);
    EXPECT_EQ(pfGetChar(95), 127);
    EXPECT_EQ(pfGetChar(96), 0);
    EXPECT_EQ(pfGetChar(-1), 0);
    EXPECT_EQ(pfGetFontNumGlyphs(), 96);
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'i'), 20 * 0.740523f);
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'W'), 20 * 0.740523f);
}

TEST_F(FontTest, QuarterTurnAdvancesUpwardsOnScreen)
{
    auto surface = MakeSurface(80, 200);
    pfSetAngleD(90);
    pfSetPosition(40, 180);
    pfDrawString(surface.get(), "HH");
    float x, y;
    pfGetPosition(&x, &y);
    EXPECT_NEAR(x, 40, 1e-3);
    EXPECT_FLOAT_EQ(y, 180 - 2 * pfGetCharAdvance(u'H'));
    // The letters stand on their side: the ink runs up from the pen, to its left.
    sInk ink = InkOf(surface.get());
    EXPECT_LE(ink.maxY, 180);
    EXPECT_LE(ink.maxX, 40);
    EXPECT_GT(ink.maxY - ink.minY, ink.maxX - ink.minX);
}

TEST_F(FontTest, CentringPutsTheGlyphBoxOnThePen)
{
    auto surface = MakeSurface(100, 100);
    pfSetScale(60);
    pfSetCenter(1);
    pfSetPosition(50, 50);
    pfDrawChar(surface.get(), u'O');
    sInk ink = InkOf(surface.get());
    EXPECT_NEAR((ink.minX + ink.maxX) / 2.0, 50, 1.5);
    EXPECT_NEAR((ink.minY + ink.maxY) / 2.0, 50, 1.5);
}

TEST_F(FontTest, WeightOverdrawsRightwardsAndUpwards)
{
    auto thin = MakeSurface(60, 60), bold = MakeSurface(60, 60);
    pfSetScale(40);
    pfSetPosition(10, 45);
    pfDrawChar(thin.get(), u'I');
    pfSetWeight(9);
    pfSetPosition(10, 45);
    pfDrawChar(bold.get(), u'I');
    sInk a = InkOf(thin.get()), b = InkOf(bold.get());
    EXPECT_EQ(b.minX, a.minX);
    EXPECT_EQ(b.maxX, a.maxX + 2);
    EXPECT_EQ(b.minY, a.minY - 2);
    EXPECT_EQ(b.maxY, a.maxY);
    EXPECT_GT(b.count, a.count);
}

TEST_F(FontTest, LookupOfPrimitiveNamesIsExact)
{
    EXPECT_EQ(lookupGlOp("GL_POINTS"), 0);
    EXPECT_EQ(lookupGlOp("GL_TRIANGLE_FAN"), 6);
    EXPECT_EQ(lookupGlOp("GL_POLYGON"), 9);
    EXPECT_EQ(lookupGlOp("gl_polygon"), -1);
    EXPECT_EQ(lookupGlOp("GL_TRIANGLE"), -1);
    EXPECT_EQ(lookupGlOp(nullptr), -1);
}

TEST_F(FontTest, MutatedFontFilesLoadOrAreRefusedAndLoadedOnesDrawSafely)
{
    // Random damage to a valid file, from a fixed seed: every result either loads into a font
    // that draws and unloads cleanly (the sanitizer build watches the memory) or is refused.
    const std::string original = SmallFont();
    std::mt19937 random(7);
    auto surface = MakeSurface(64, 64);
    int loaded = 0, refused = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string text = original;
        int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            size_t at = random() % text.size();
            switch (random() % 4) {
            case 0: text[at] = char("0123456789-,\n/*GL_ax"[random() % 20]); break;
            case 1: text.insert(at, 1, char("0123456789-,\n"[random() % 13])); break;
            case 2: text.erase(at, 1 + random() % 8); break;
            default: text.resize(at); break;
            }
        }
        pffont* font = pfLoadFont(Write("mutated.txt", text).c_str());
        if (!font) {
            ++refused;
            continue;
        }
        ++loaded;
        pfSetFont(font);
        pfSetPosition(5, 40);
        for (int i = 0; i < font->numglyphs; ++i)
            pfDrawChar(surface.get(), font->glyphs[i].glyph);
        pfDrawString(surface.get(), "AB\xc3\xa9");
        pfUnloadFont(font);
        ASSERT_EQ(pfGetCurrentFont(), &pfPBaveuse);
    }
    EXPECT_GT(loaded, 50);
    EXPECT_GT(refused, 50);
}
