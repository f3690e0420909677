#include "support/EngineFixture.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <memory>
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

// The ink's left, right, top and bottom; all -1 on a blank surface.
std::vector<int> InkBox(SDL_Surface* surface)
{
    std::vector<int> box = {-1, -1, -1, -1};
    for (int y = 0; y < surface->h; ++y)
        for (int x = 0; x < surface->w; ++x)
            if (static_cast<uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x]) {
                bool first = box[0] < 0;
                box = {first ? x : std::min(box[0], x), std::max(box[1], x), first ? y : box[2], y};
            }
    return box;
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

// Each built-in font is generated from its text file and must hold exactly what that file loads into.
TEST_F(FontTest, BuiltInFontsHoldWhatTheirTextFilesLoadInto)
{
    for (const pffont* font : {&pfPBaveuse, &pfPSansMonoBold7}) {
        SCOPED_TRACE(font->name);
        pffont* loaded = pfLoadFont((std::string(BW_SOURCE_DIR) + "/src/text/fonts/" + font->name + ".txt").c_str());
        ASSERT_NE(loaded, nullptr);
        EXPECT_STREQ(loaded->name, font->name);
        EXPECT_TRUE(loaded->minx == font->minx && loaded->miny == font->miny && loaded->maxx == font->maxx
                    && loaded->maxy == font->maxy);
        ASSERT_EQ(loaded->numglyphs, font->numglyphs);
        for (int i = 0; i < font->numglyphs; ++i) {
            const pfglyph &a = loaded->glyphs[i], &g = font->glyphs[i];
            ASSERT_TRUE(a.glyph == g.glyph && a.minx == g.minx && a.miny == g.miny && a.maxx == g.maxx
                        && a.maxy == g.maxy && a.advance == g.advance && a.numsegments == g.numsegments) << g.glyph;
            size_t length = 0;
            for (int k = 0; k < g.numsegments; ++k)
                length += 2 + 2 * size_t(g.segments[length + 1]);
            EXPECT_TRUE(std::equal(a.segments, a.segments + length, g.segments)) << g.glyph;
        }
        pfUnloadFont(loaded);
    }
    // The monospaced font holds the codes 32 to 127.
    pfSetFont(&pfPSansMonoBold7);
    EXPECT_EQ(pfGetFontNumGlyphs(), 96);
    EXPECT_TRUE(pfGetChar(-1) == 0 && pfGetChar(0) == 32 && pfGetChar(95) == 127 && pfGetChar(96) == 0);
}

TEST_F(FontTest, LoadedFontDrawsUntilUnloadedThenTheDefaultIsCurrent)
{
    pffont* font = Load(SmallFont());
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(pfSetFont(font), 0);
    EXPECT_STREQ(pfGetFontName(), "small");
    auto surface = MakeSurface(64, 64);
    pfSetScale(32);
    pfSetPosition(10, 40);
    EXPECT_EQ(pfDrawString(surface.get(), "B"), 0);
    // B is the square (0, -0.25)-(0.5, 0.5): 16 by 24 pixels, a quarter below the baseline.
    EXPECT_EQ(InkBox(surface.get()), std::vector<int>({10, 25, 25, 48}));
    EXPECT_FLOAT_EQ(PenX(), 10 + 0.7f * 32);
    pfUnloadFont(font);
    EXPECT_EQ(pfGetCurrentFont(), &pfPBaveuse);

    // A primitive the library does not know loads, and is not drawn.
    font = Load(SmallFont("odd", "66", "10", "GL_HEXAGONS"));
    EXPECT_EQ(pfSetFont(font), 0);
    auto blank = MakeSurface(64, 64);
    EXPECT_EQ(pfDrawChar(blank.get(), u'B'), 0);
    EXPECT_EQ(InkBox(blank.get())[0], -1);
    pfUnloadFont(font);

    pfSetFont(&pfPSansMonoBold7);
    pfUnloadFont(const_cast<pffont*>(&pfPSansMonoBold7));   // built in: ignored
    EXPECT_EQ(pfSetFont(nullptr), -1);
    EXPECT_EQ(pfGetCurrentFont(), &pfPSansMonoBold7);
}

// One file for each check of the loader, each refused with a message of its own. Accepted, most
// would have the library read or draw outside the glyph data, or bisect a table that is not sorted.
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
        {"no name", replace("/*fontname\nsmall\n", "")},
        {"file ending where the name belongs", "/*fontname\n"},
        {"no fontinfo", replace("/*fontinfo\n", "/*nothing\n")},
        {"glyph data before the count", replace("/*glyphcount\n2\n", "") + "/*glyphcount\n2\n"},
        {"not a number", replace("0.6, 65", "zz, 65")},
        {"no comma", replace("/*glyphdata\n0,8", "/*glyphdata\n0 8")},
        {"truncated segment", good.substr(0, good.size() - 9)},
        {"file ending where a primitive name belongs", good.substr(0, good.rfind("GL_TRIANGLE_FAN"))},
        {"data length beyond the segments present", SmallFont("small", "66", "12")},
        {"glyph index beyond the count", replace("/*glyphinfo\n1\n", "/*glyphinfo\n2\n")},
        {"negative glyph index", replace("/*glyphdata\n1,", "/*glyphdata\n-1,")},
        {"point count beyond the data length", SmallFont("small", "66", "9")},
        {"data length beyond the file", SmallFont("small", "66", "100000")},
        {"more segments declared than present", replace("0.7, 66, 1", "0.7, 66, 2")},
        {"duplicate codes", SmallFont("small", "65")},
        {"numglyphs beyond the glyph count", replace("1.0, 1.0, 2\n", "1.0, 1.0, 3\n")},
        {"huge glyph count", replace("/*glyphcount\n2\n", "/*glyphcount\n2000000000\n")},
        {"coordinate beyond 16 bits", replace("16384,16384", "16384,40000")},
        {"character code beyond 16 bits", SmallFont("small", "70000")},
        {"name of 1024 characters", SmallFont(std::string(1024, 'n'))},
    };
    for (const auto& [what, text] : cases)
        EXPECT_EQ(Load(text), nullptr) << what;
    EXPECT_EQ(pfLoadFont(nullptr), nullptr);

    pffont* longName = Load(SmallFont(std::string(1023, 'n')));
    ASSERT_NE(longName, nullptr);
    pfUnloadFont(longName);
}

TEST_F(FontTest, PenMovesByTheAdvancesOfTheGlyphsTheTextReads)
{
    float a = pfGetCharAdvance(u'a'), b = pfGetCharAdvance(u'b');
    const std::pair<const char*, float> cases[] = {
        {"a{b", a + b},                                      // no glyph for the brace: skipped
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
    pfDrawStringW(surface.get(), u"a\u2122");
    EXPECT_FLOAT_EQ(PenX(), a + pfGetCharAdvance(u'\u2122'));
    EXPECT_EQ(pfDrawChar(surface.get(), u'{'), -1);
    EXPECT_EQ(pfDrawString(nullptr, "a"), -1);
    EXPECT_EQ(pfDrawStringW(surface.get(), nullptr), -1);
    EXPECT_EQ(pfDrawChar(nullptr, u'a'), -1);
}

// Widths scale with x, heights with y; a box fitted to a text makes it exactly that wide.
TEST_F(FontTest, BoxesFollowScaleAndTheText)
{
    float minx, miny, maxx, maxy, gMinx, gMiny, gMaxx, gMaxy;
    pfSetScale(1);
    pfGetFontBBox(&minx, &miny, &maxx, &maxy);
    pfGetCharBBox(u'g', &gMinx, &gMiny, &gMaxx, &gMaxy);
    pfSetScaleXY(10, 30);
    EXPECT_FLOAT_EQ(pfGetFontDescent(), 30 * miny);
    EXPECT_FLOAT_EQ(pfGetFontHeight(), 30 * (maxy - miny));
    EXPECT_FLOAT_EQ(pfGetFontWidth(), 10 * (maxx - minx));
    EXPECT_FLOAT_EQ(pfGetCharDescent(u'g'), 30 * gMiny);
    EXPECT_FLOAT_EQ(pfGetCharWidth(u'g'), 10 * (gMaxx - gMinx));
    EXPECT_FLOAT_EQ(pfGetCharHeight(u'g'), 30 * (gMaxy - gMiny));
    float box[4] = {123, 123, 123, 123};   // no glyph: an empty box, whatever the variables held
    pfGetCharBBox(u'{', &box[0], &box[1], &box[2], &box[3]);
    EXPECT_TRUE(box[0] == 0 && box[1] == 0 && box[2] == 0 && box[3] == 0);

    EXPECT_EQ(pfSetScaleBox("Hello", 200, 50), 0);
    pfGetCharBBox(u'H', &minx, nullptr, nullptr, nullptr);
    float advances = 0;
    for (char16_t c : std::u16string(u"Hello"))
        advances += pfGetCharAdvance(c);
    EXPECT_NEAR(advances - minx, 200, 1e-3);
    float fitted = pfGetCharAdvance(u'H');
    pfSetScale(1);
    EXPECT_EQ(pfSetScaleBoxW(u"Hello", 200, 50), 0);
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'H'), fitted);
    for (const char* empty : {(const char*)nullptr, "{}"})   // the scale stays
        EXPECT_EQ(pfSetScaleBox(empty, 10, 10), -1);
    EXPECT_FLOAT_EQ(pfGetCharAdvance(u'H'), fitted);
}

TEST_F(FontTest, AngleAndCentringPlaceTheInk)
{
    auto turned = MakeSurface(80, 200);
    pfSetAngleD(90);
    pfSetPosition(40, 180);
    pfDrawString(turned.get(), "HH");
    float x, y;
    pfGetPosition(&x, &y);
    EXPECT_NEAR(x, 40, 1e-3);
    EXPECT_FLOAT_EQ(y, 180 - 2 * pfGetCharAdvance(u'H'));
    // The letters stand on their side: the ink runs up from the pen, to its left.
    std::vector<int> ink = InkBox(turned.get());
    EXPECT_TRUE(ink[3] <= 180 && ink[1] <= 40 && ink[3] - ink[2] > ink[1] - ink[0]);

    pfSetAngleR(0);
    auto centred = MakeSurface(100, 100);
    pfSetScale(60);
    pfSetCenter(1);
    pfSetPosition(50, 50);
    pfDrawChar(centred.get(), u'O');
    ink = InkBox(centred.get());
    EXPECT_NEAR((ink[0] + ink[1]) / 2.0, 50, 1.5);
    EXPECT_NEAR((ink[2] + ink[3]) / 2.0, 50, 1.5);
}
