#include "support/EngineFixture.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "text/pf.h"
#include "text/sgl.h"

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
        for (int x = 0; x < surface->w; ++x)
            if (static_cast<uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x]) {
                ink.minX = std::min(ink.minX, x), ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y), ink.maxY = std::max(ink.maxY, y);
                ++ink.count;
            }
    return ink;
}

float PenX()
{
    float x;
    pfGetPosition(&x, nullptr);
    return x;
}

// Every test starts from the library's initial state (the state is shared by design), in a
// working directory of its own for the font files it writes.
class FontTest : public ScriptPackageTest
{
protected:
    void SetUp() override
    {
        ScriptPackageTest::SetUp();
        pfSetFont(&pfPBaveuse), pfSetScale(20), pfSetPosition(0, 0), pfSetSkew(0), pfSetWeight(1), pfSetAngleR(0);
        pfSetCenter(0);
        sglColor3f(1, 1, 1);
    }

    pffont* Load(const std::string& text)
    {
        WriteFile("font.txt", text);
        return pfLoadFont("font.txt");
    }
};

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

// Each built-in font holds exactly what its text file, the source it is generated from, loads
// into; every glyph lies in the font's box, and all but the blank ones are filled.
TEST_F(FontTest, BuiltInFontsHoldTheirTextFilesCodesBoxesAndFilledGlyphs)
{
    struct sCase
    {
        const pffont* font;
        std::vector<std::pair<int, int>> ranges;
        float box[4];
        int blank;   // glyphs without outline: the space, and DEL in the monospaced font
    };
    const sCase cases[] = {
        {&pfPBaveuse,
         {{32, 93}, {95, 122}, {124, 124}, {162, 165}, {168, 169}, {171, 171}, {173, 174}, {180, 180}, {184, 184},
          {187, 187}, {192, 255}, {258, 263}, {268, 273}, {280, 283}, {286, 287}, {304, 305}, {313, 314}, {317, 318},
          {321, 324}, {327, 328}, {336, 341}, {344, 347}, {350, 357}, {366, 369}, {376, 382}, {710, 711}, {728, 733},
          {8211, 8213}, {8216, 8217}, {8220, 8221}, {8226, 8226}, {8230, 8230}, {8249, 8250}, {8482, 8482}},
         {-0.044534f, -0.200949f, 1.0f, 0.81493f}, 1},
        {&pfPSansMonoBold7, {{32, 127}}, {0.0f, -0.290176f, 0.741858f, 1.0f}, 2},
    };
    for (const sCase& c : cases) {
        SCOPED_TRACE(c.font->name);
        pffont* loaded = pfLoadFont((std::string(BW_SOURCE_DIR) + "/src/text/fonts/" + c.font->name + ".txt").c_str());
        ASSERT_NE(loaded, nullptr);
        EXPECT_STREQ(loaded->name, c.font->name);
        EXPECT_EQ(loaded->loaded - c.font->loaded, 1);
        const float box[4] = {c.font->minx, c.font->miny, c.font->maxx, c.font->maxy};
        const float loadedBox[4] = {loaded->minx, loaded->miny, loaded->maxx, loaded->maxy};
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(box[k], c.box[k]);
            EXPECT_EQ(loadedBox[k], box[k]);
        }
        EXPECT_EQ(pfSetFont(c.font), 0);
        EXPECT_STREQ(pfGetFontName(), c.font->name);
        std::vector<int> codes, expected;
        for (int i = 0; i <= pfGetFontNumGlyphs(); ++i)
            codes.push_back(pfGetChar(i));
        for (auto [first, last] : c.ranges)
            for (int code = first; code <= last; ++code)
                expected.push_back(code);
        expected.push_back(0);   // beyond the last glyph
        EXPECT_EQ(codes, expected);
        ASSERT_EQ(loaded->numglyphs, c.font->numglyphs);
        int blank = 0;
        for (int i = 0; i < c.font->numglyphs; ++i) {
            const pfglyph &a = loaded->glyphs[i], &g = c.font->glyphs[i];
            ASSERT_TRUE(a.glyph == g.glyph && a.minx == g.minx && a.miny == g.miny && a.maxx == g.maxx && a.maxy == g.maxy && a.advance == g.advance && a.numsegments == g.numsegments) << g.glyph;
            EXPECT_TRUE(g.minx >= box[0] - 1e-6f && g.miny >= box[1] - 1e-6f && g.maxx <= box[2] + 1e-6f && g.maxy <= box[3] + 1e-6f && g.advance > 0) << g.glyph;
            size_t length = 0;
            for (int k = 0; k < g.numsegments; ++k) {
                const int16_t* segment = g.segments + length;
                EXPECT_TRUE((segment[0] == 4 || segment[0] == 5 || segment[0] == 6) && segment[1] > 2) << g.glyph;
                length += 2 + 2 * size_t(segment[1]);
            }
            EXPECT_TRUE(std::equal(a.segments, a.segments + length, g.segments)) << g.glyph;
            blank += g.numsegments == 0;
        }
        EXPECT_EQ(blank, c.blank);
        pfUnloadFont(loaded);
    }
    EXPECT_EQ(pfGetChar(-1), 0);
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'i'), 20 * 0.740523f);   // monospaced: all alike
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'W'), 20 * 0.740523f);
}

TEST_F(FontTest, LoadedFontDrawsUntilUnloadedThenTheDefaultIsCurrent)
{
    pffont* font = Load(SmallFont());
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(pfSetFont(font), 0);
    EXPECT_STREQ(pfGetFontName(), "small");
    EXPECT_EQ(pfGetFontNumGlyphs(), 2);
    auto surface = MakeSurface(64, 64);
    pfSetScale(32);
    pfSetPosition(10, 40);
    EXPECT_EQ(pfDrawString(surface.get(), "B"), 0);
    // B is the square (0, -0.25)-(0.5, 0.5): 16 by 24 pixels, a quarter below the baseline.
    sInk ink = InkOf(surface.get());
    EXPECT_EQ(std::vector<int>({ink.minX, ink.maxX, ink.minY, ink.maxY}), std::vector<int>({10, 25, 25, 48}));
    EXPECT_FLOAT_EQ(PenX(), 10 + 0.7f * 32);
    pfUnloadFont(font);
    EXPECT_EQ(pfGetCurrentFont(), &pfPBaveuse);

    // A primitive the library does not know is not drawn, but its glyph still advances.
    font = Load(SmallFont("odd", "66", "10", "GL_HEXAGONS"));
    ASSERT_NE(font, nullptr);
    pfSetFont(font);
    auto blank = MakeSurface(64, 64);
    pfSetPosition(5, 40);
    EXPECT_EQ(pfDrawChar(blank.get(), u'B'), 0);
    EXPECT_EQ(InkOf(blank.get()).count, 0);
    EXPECT_FLOAT_EQ(PenX(), 5 + 0.7f * 32);
    pfUnloadFont(font);

    pfSetFont(&pfPSansMonoBold7);
    pfUnloadFont(const_cast<pffont*>(&pfPSansMonoBold7));   // built in: ignored
    pfUnloadFont(nullptr);
    EXPECT_EQ(pfSetFont(nullptr), -1);
    EXPECT_EQ(pfGetCurrentFont(), &pfPSansMonoBold7);
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
    const std::pair<const char*, std::string> cases[] = {
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
    for (const auto& [what, text] : cases)
        EXPECT_EQ(Load(text), nullptr) << what;
    EXPECT_EQ(pfLoadFont("missing.txt"), nullptr);
    EXPECT_EQ(pfLoadFont(nullptr), nullptr);

    pffont* longName = Load(SmallFont(std::string(1023, 'n')));
    ASSERT_NE(longName, nullptr);
    EXPECT_EQ(std::string(longName->name).size(), 1023u);
    pfUnloadFont(longName);
}

TEST_F(FontTest, PenMovesByTheAdvancesOfTheGlyphsTheTextReads)
{
    float a = pfGetCharAdvance(u'a'), b = pfGetCharAdvance(u'b'), e = pfGetCharAdvance(u'\u00e9');
    ASSERT_GT(e, 0);
    const std::pair<const char*, float> cases[] = {
        {"ab", a + b},
        {"a{b", a + b},                                      // no glyph for the brace: skipped
        {"\xc3\xa9", e},                                     // UTF-8
        {"\xe9t\xc3\xa9", 2 * e + pfGetCharAdvance(u't')},   // Latin-1 and UTF-8 in one text
        {"\xe2\x84\xa2", pfGetCharAdvance(u'\u2122')},       // three bytes
        {"\xc3", pfGetCharAdvance(u'\u00c3')},               // a lone lead byte is Latin-1
        {"\xf0\x9f\x98\x80", 0},                             // beyond 16 bits: no glyph
    };
    auto surface = MakeSurface(64, 64);
    for (const auto& [text, advance] : cases) {
        pfSetPosition(0, 30);
        EXPECT_EQ(pfDrawString(surface.get(), text), 0);
        EXPECT_FLOAT_EQ(PenX(), advance) << text;
    }
    pfSetPosition(0, 30);
    pfDrawStringW(surface.get(), u"\u00e9\u2122");
    EXPECT_FLOAT_EQ(PenX(), e + pfGetCharAdvance(u'\u2122'));
    EXPECT_EQ(pfGetCharAdvance(u'{'), 0);
    EXPECT_EQ(pfDrawChar(surface.get(), u'{'), -1);
    EXPECT_EQ(pfDrawString(surface.get(), nullptr), -1);
    EXPECT_EQ(pfDrawString(nullptr, "a"), -1);
    EXPECT_EQ(pfDrawStringW(surface.get(), nullptr), -1);
    EXPECT_EQ(pfDrawChar(nullptr, u'a'), -1);
}

TEST_F(FontTest, BoxesFollowScaleSkewAndTheGlyphs)
{
    EXPECT_EQ(pfSetWeight(12), 9);
    pfSetScaleXY(10, 30);
    EXPECT_FLOAT_EQ(pfGetFontAscent(), 30 * 0.81493f);
    EXPECT_FLOAT_EQ(pfGetFontDescent(), 30 * -0.200949f);
    EXPECT_FLOAT_EQ(pfGetFontHeight(), 30 * (0.81493f + 0.200949f));
    EXPECT_FLOAT_EQ(pfGetFontWidth(), 10 * (1.0f + 0.044534f));
    const pfglyph* g = std::find_if(pfPBaveuse.glyphs, pfPBaveuse.glyphs + pfPBaveuse.numglyphs, [](const pfglyph& x) { return x.glyph == 'g'; });
    float minx, miny, maxx, maxy;
    EXPECT_EQ(pfGetCharBBox(u'g', &minx, &miny, &maxx, &maxy), 0);
    EXPECT_FLOAT_EQ(minx, 10 * g->minx);
    EXPECT_FLOAT_EQ(maxy, 30 * g->maxy);
    EXPECT_FLOAT_EQ(pfGetCharDescent(u'g'), 30 * g->miny);
    EXPECT_FLOAT_EQ(pfGetCharWidth(u'g'), 10 * (g->maxx - g->minx));
    EXPECT_FLOAT_EQ(pfGetCharHeight(u'g'), 30 * (g->maxy - g->miny));
    minx = miny = maxx = maxy = 123;   // no glyph: an empty box, whatever the variables held
    EXPECT_EQ(pfGetCharBBox(u'{', &minx, &miny, &maxx, &maxy), 0);
    EXPECT_TRUE(minx == 0 && miny == 0 && maxx == 0 && maxy == 0);

    // Skew is clamped to -1..1 and moves the box's sides by the height above or below the baseline.
    pfSetScale(10);
    pfSetSkew(2.5f);
    pfGetFontBBox(&minx, &miny, &maxx, &maxy);
    EXPECT_FLOAT_EQ(maxx, 10 * 1.0f + 10 * 0.81493f);
    EXPECT_FLOAT_EQ(minx, 10 * -0.044534f + 10 * -0.200949f);
    pfSetSkew(-7);
    pfGetFontBBox(&minx, &miny, &maxx, &maxy);
    EXPECT_FLOAT_EQ(minx, 10 * -0.044534f - 10 * 0.81493f);
    EXPECT_FLOAT_EQ(maxx, 10 * 1.0f + 10 * 0.200949f);
    EXPECT_FLOAT_EQ(miny, 10 * -0.200949f);
}

TEST_F(FontTest, ScaleBoxFitsTheTextIntoTheGivenSize)
{
    EXPECT_EQ(pfSetScaleBox("Hello", 200, 50), 0);
    // The text's box, in font units: from H's left edge to the sum of the advances.
    float advances = 0, hLeft;
    for (char16_t c : std::u16string(u"Hello"))
        advances += pfGetCharAdvance(c);
    pfGetCharBBox(u'H', &hLeft, nullptr, nullptr, nullptr);
    EXPECT_NEAR(advances - hLeft, 200, 1e-3);
    float fitted = pfGetCharAdvance(u'H');
    pfSetScale(1);
    EXPECT_EQ(pfSetScaleBoxW(u"Hello", 200, 50), 0);
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'H'), fitted);
    for (const char* empty : {(const char*)nullptr, "", "{}"})   // the scale stays
        EXPECT_EQ(pfSetScaleBox(empty, 10, 10), -1);
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'H'), fitted);
}

TEST_F(FontTest, AngleCentringAndWeightPlaceTheInk)
{
    auto turned = MakeSurface(80, 200);
    EXPECT_EQ(pfSetWeight(0), 1);
    pfSetAngleD(90);
    pfSetPosition(40, 180);
    pfDrawString(turned.get(), "HH");
    float x, y;
    pfGetPosition(&x, &y);
    EXPECT_NEAR(x, 40, 1e-3);
    EXPECT_FLOAT_EQ(y, 180 - 2 * pfGetCharAdvance(u'H'));
    // The letters stand on their side: the ink runs up from the pen, to its left.
    sInk ink = InkOf(turned.get());
    EXPECT_TRUE(ink.maxY <= 180 && ink.maxX <= 40 && ink.maxY - ink.minY > ink.maxX - ink.minX);

    pfSetAngleR(0);
    auto centred = MakeSurface(100, 100);
    pfSetScale(60);
    pfSetCenter(1);
    pfSetPosition(50, 50);
    pfDrawChar(centred.get(), u'O');
    ink = InkOf(centred.get());
    EXPECT_NEAR((ink.minX + ink.maxX) / 2.0, 50, 1.5);
    EXPECT_NEAR((ink.minY + ink.maxY) / 2.0, 50, 1.5);

    // Weight overdraws rightwards and upwards.
    pfSetCenter(0);
    pfSetScale(40);
    sInk ink2[2];
    for (int weight : {1, 9}) {
        auto surface = MakeSurface(60, 60);
        EXPECT_EQ(pfSetWeight(weight), weight);
        pfSetPosition(10, 45);
        pfDrawChar(surface.get(), u'I');
        ink2[weight / 9] = InkOf(surface.get());
    }
    const sInk &a = ink2[0], &b = ink2[1];
    EXPECT_EQ(std::vector<int>({b.minX, b.maxX, b.minY, b.maxY}), std::vector<int>({a.minX, a.maxX + 2, a.minY - 2, a.maxY}));
    EXPECT_GT(b.count, a.count);
}

TEST_F(FontTest, LookupOfPrimitiveNamesIsExact)
{
    const std::pair<const char*, int> cases[] = {{"GL_POINTS", 0}, {"GL_TRIANGLE_FAN", 6}, {"GL_POLYGON", 9}, {"gl_polygon", -1}, {"GL_TRIANGLE", -1}, {nullptr, -1}};
    for (const auto& [name, op] : cases)
        EXPECT_EQ(lookupGlOp(name), op) << (name ? name : "null");
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
        for (int e = 0, edits = 1 + int(random() % 4); e < edits && !text.empty(); ++e) {
            size_t at = random() % text.size();
            switch (random() % 4) {
            case 0: text[at] = char("0123456789-,\n/*GL_ax"[random() % 20]); break;
            case 1: text.insert(at, 1, char("0123456789-,\n"[random() % 13])); break;
            case 2: text.erase(at, 1 + random() % 8); break;
            default: text.resize(at); break;
            }
        }
        pffont* font = Load(text);
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
