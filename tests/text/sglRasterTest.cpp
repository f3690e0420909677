#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "text/sgl.h"

namespace {

using Pixel = std::pair<int, int>;   // (x, y)

// A software surface over our own buffer with guard bytes on both sides, so a write outside
// the pixels shows up even without the sanitizer.
class cGuardedSurface
{
public:
    static constexpr uint8_t k_Guard = 0xa5;
    static constexpr size_t k_GuardBytes = 256;

    cGuardedSurface(int w, int h, int bpp) : m_Bytes(bpp / 8)
    {
        int pitch = (w * m_Bytes + 3) & ~3;
        m_Memory.assign(k_GuardBytes * 2 + size_t(pitch) * h, k_Guard);
        uint32_t r = 0, g = 0, b = 0;
        if (bpp == 16)
            r = 0xf800, g = 0x07e0, b = 0x001f;
        else if (bpp >= 24)
            r = 0xff0000, g = 0x00ff00, b = 0x0000ff;
        m_pSurface = SDL_CreateRGBSurfaceFrom(m_Memory.data() + k_GuardBytes, w, h, bpp, pitch, r, g, b, 0);
        if (!m_pSurface)
            return;
        std::fill_n(static_cast<uint8_t*>(m_pSurface->pixels), size_t(pitch) * h, 0);
        if (bpp == 8) {
            // A grey ramp: black is index 0, white index 255.
            SDL_Color ramp[256];
            for (int i = 0; i < 256; ++i)
                ramp[i] = {Uint8(i), Uint8(i), Uint8(i), 0};
            SDL_SetColors(m_pSurface, ramp, 0, 256);
        }
    }
    ~cGuardedSurface() { SDL_FreeSurface(m_pSurface); }

    SDL_Surface* Get() const { return m_pSurface; }

    bool GuardsIntact() const
    {
        auto intact = [](auto first, auto last) { return std::all_of(first, last, [](uint8_t v) { return v == k_Guard; }); };
        return intact(m_Memory.begin(), m_Memory.begin() + k_GuardBytes)
               && intact(m_Memory.end() - k_GuardBytes, m_Memory.end());
    }

    uint32_t At(int x, int y) const
    {
        const uint8_t* p = static_cast<const uint8_t*>(m_pSurface->pixels) + y * m_pSurface->pitch + x * m_Bytes;
        uint32_t value = 0;
        std::memcpy(&value, p, size_t(m_Bytes));
        return value;
    }

    std::set<Pixel> Drawn() const
    {
        std::set<Pixel> drawn;
        for (int y = 0; y < m_pSurface->h; ++y)
            for (int x = 0; x < m_pSurface->w; ++x)
                if (At(x, y) != 0)
                    drawn.insert({x, y});
        return drawn;
    }

private:
    int m_Bytes;
    std::vector<uint8_t> m_Memory;
    SDL_Surface* m_pSurface = nullptr;
};

void DrawTriangle(SDL_Surface* surface, float x0, float y0, float x1, float y1, float x2, float y2)
{
    sglBegin(surface, 4);
    sglVertex2f(x0, y0);
    sglVertex2f(x1, y1);
    sglVertex2f(x2, y2);
    sglEnd();
}

// The rasteriser's rules, written plainly pixel by pixel: integer corners; every edge steps its
// x in 1/1024 pixels from the upper end and crosses rows upper+1 to lower; per row the pixels
// from the leftmost crossing up to, not including, the rightmost. Only for triangles inside the
// clip rectangle, where no clipping enters.
std::set<Pixel> ExpectedTriangle(int x0, int y0, int x1, int y1, int x2, int y2)
{
    std::vector<std::pair<int, int>> corners = {{x0, y0}, {x1, y1}, {x2, y2}};
    std::map<int, std::vector<int>> crossings;
    for (int i = 0; i < 3; ++i) {
        auto [ax, ay] = corners[i];
        auto [bx, by] = corners[(i + 1) % 3];
        if (ay == by)
            continue;
        if (ay > by)
            std::swap(ax, bx), std::swap(ay, by);
        int step = (bx - ax) * 1024 / (by - ay);
        for (int y = ay + 1; y <= by; ++y) {
            int fixed = ax * 1024 + step * (y - ay);
            crossings[y].push_back(fixed >= 0 ? fixed / 1024 : -((-fixed + 1023) / 1024));
        }
    }
    std::set<Pixel> pixels;
    for (auto& [y, xs] : crossings) {
        EXPECT_EQ(xs.size(), 2u) << "row " << y;
        for (int x = std::min(xs[0], xs[1]); x < std::max(xs[0], xs[1]); ++x)
            pixels.insert({x, y});
    }
    return pixels;
}

} // namespace

class RasterTest : public ::testing::TestWithParam<int>   // bits per pixel
{
protected:
    void SetUp() override { sglColor3f(1, 1, 1); }
};

INSTANTIATE_TEST_SUITE_P(Depths, RasterTest, ::testing::Values(8, 16, 24, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bpp"; });

TEST_P(RasterTest, RightTriangleFillsFromItsLeftEdgeUpToItsHypotenuseBelowItsTopRow)
{
    cGuardedSurface surface(64, 64, GetParam());
    DrawTriangle(surface.Get(), 10, 10, 50, 10, 10, 50);
    std::set<Pixel> expected;
    for (int y = 11; y <= 50; ++y)
        for (int x = 10; x < 50 - (y - 10); ++x)
            expected.insert({x, y});
    EXPECT_EQ(surface.Drawn(), expected);
    EXPECT_TRUE(surface.GuardsIntact());
}

TEST_P(RasterTest, TrianglesMatchThePlainRuleAndSharedEdgesNeitherGapNorOverlap)
{
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> coordinate(0, 95);
    for (int round = 0; round < 40; ++round) {
        cGuardedSurface surface(96, 96, GetParam());
        int x[4], y[4];
        for (int i = 0; i < 4; ++i)
            x[i] = coordinate(random), y[i] = coordinate(random);
        // Fractions are truncated towards zero before anything else.
        DrawTriangle(surface.Get(), x[0] + 0.9f, y[0] + 0.5f, x[1] + 0.99f, y[1] + 0.1f, x[2] + 0.3f, y[2] + 0.7f);
        EXPECT_EQ(surface.Drawn(), ExpectedTriangle(x[0], y[0], x[1], y[1], x[2], y[2])) << "round " << round;
        EXPECT_TRUE(surface.GuardsIntact());
    }
}

TEST_P(RasterTest, TriangleCoveringEverythingIsClippedToTheClipRectangle)
{
    cGuardedSurface surface(64, 48, GetParam());
    SDL_Rect clip = {8, 4, 40, 30};
    SDL_SetClipRect(surface.Get(), &clip);
    DrawTriangle(surface.Get(), -1000, -1000, 5000, -1000, -1000, 5000);
    // The clipped outline is the clip rectangle itself; as every polygon, it leaves out its top
    // row and its right column.
    std::set<Pixel> expected;
    for (int y = 5; y <= 33; ++y)
        for (int x = 8; x < 47; ++x)
            expected.insert({x, y});
    EXPECT_EQ(surface.Drawn(), expected);
    EXPECT_TRUE(surface.GuardsIntact());
}

TEST_P(RasterTest, RandomPolygonsAndLinesNeverWriteOutsideTheClipRectangle)
{
    std::mt19937 random(99);
    std::uniform_real_distribution<float> coordinate(-300, 400);
    cGuardedSurface surface(100, 80, GetParam());
    SDL_Rect clip = {13, 7, 61, 50};
    SDL_SetClipRect(surface.Get(), &clip);
    for (int mode : {1, 2, 3, 4, 5, 6, 7, 8, 9}) {
        for (int round = 0; round < 30; ++round) {
            sglBegin(surface.Get(), mode);
            for (int i = 0; i < 7; ++i)
                sglVertex2f(coordinate(random), coordinate(random));
            sglEnd();
        }
    }
    for (const Pixel& p : surface.Drawn()) {
        ASSERT_GE(p.first, clip.x);
        ASSERT_LT(p.first, clip.x + clip.w);
        ASSERT_GE(p.second, clip.y);
        ASSERT_LT(p.second, clip.y + clip.h);
    }
    EXPECT_FALSE(surface.Drawn().empty());
    EXPECT_TRUE(surface.GuardsIntact());
}

TEST_P(RasterTest, DegenerateAndHugeCoordinatesAreSafe)
{
    cGuardedSurface surface(32, 32, GetParam());
    float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    DrawTriangle(surface.Get(), nan, 3, 20, nan, 5, 5);
    DrawTriangle(surface.Get(), -inf, -inf, inf, -inf, 0, inf);
    DrawTriangle(surface.Get(), 3e9f, 1, -3e9f, 2, 5, 3e9f);
    sglBegin(surface.Get(), 1);
    sglVertex2f(-inf, 5), sglVertex2f(inf, 6);
    sglVertex2f(1e20f, -1e20f), sglVertex2f(-1e20f, 1e20f);
    sglEnd();
    sglBegin(surface.Get(), 0);
    sglVertex2f(nan, nan), sglVertex2f(-1, 40), sglVertex2f(31.9f, 31.9f);
    sglEnd();
    EXPECT_TRUE(surface.GuardsIntact());
}

TEST_P(RasterTest, ColourIsMappedToTheSurfaceFormat)
{
    cGuardedSurface surface(8, 8, GetParam());
    sglColor3f(2, -1, 0.5f);   // clamped to (1, 0, 0.5)
    sglBegin(surface.Get(), 0);
    sglVertex2f(3, 4);
    sglEnd();
    EXPECT_EQ(surface.At(3, 4), SDL_MapRGBA(surface.Get()->format, 255, 0, 127, 255));
    // 5-6-5 keeps the top bits: 31, 0, 15. 24 bits are three bytes, low byte first.
    uint32_t expected = GetParam() == 16 ? 0xf80fu : GetParam() == 8 ? 0xa5u : 0xff007fu;
    if (GetParam() != 8) {
        EXPECT_EQ(surface.At(3, 4), expected);
    }
}

TEST(SoftwareRaster, BresenhamLinesDrawBothEndsAndStepTheMinorAxisOnANonNegativeDecision)
{
    struct sCase
    {
        int x1, y1, x2, y2;
        std::set<Pixel> expected;
    };
    const sCase cases[] = {
        {0, 0, 10, 3, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 2}, {8, 2}, {9, 3}, {10, 3}}},
        {10, 3, 0, 0, {{10, 3}, {9, 3}, {8, 2}, {7, 2}, {6, 2}, {5, 1}, {4, 1}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
        {2, 2, 5, 5, {{2, 2}, {3, 3}, {4, 4}, {5, 5}}},              // a tie goes to y: still diagonal
        {4, 1, 4, 4, {{4, 1}, {4, 2}, {4, 3}, {4, 4}}},
        {1, 7, 3, 7, {{1, 7}, {2, 7}, {3, 7}}},
        {6, 6, 6, 6, {{6, 6}}},
        {0, 0, 2, 5, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
    };
    sglColor3f(1, 1, 1);
    for (int bpp : {8, 16, 24, 32}) {
        for (const sCase& c : cases) {
            cGuardedSurface surface(16, 16, bpp);
            sglBegin(surface.Get(), 3);
            sglVertex2f(float(c.x1), float(c.y1));
            sglVertex2f(float(c.x2), float(c.y2));
            sglEnd();
            EXPECT_EQ(surface.Drawn(), c.expected)
                << bpp << " bpp, (" << c.x1 << "," << c.y1 << ")-(" << c.x2 << "," << c.y2 << ")";
        }
    }
}

TEST(SoftwareRaster, LinesAreClippedOntoTheClipRectangle)
{
    cGuardedSurface surface(40, 40, 32);
    SDL_Rect clip = {10, 10, 20, 20};
    SDL_SetClipRect(surface.Get(), &clip);
    sglColor3f(1, 1, 1);
    sglBegin(surface.Get(), 1);
    sglVertex2f(-5, 20), sglVertex2f(100, 20);   // across: clipped at both sides
    sglVertex2f(0, 0), sglVertex2f(5, 39);       // wholly left of the rectangle
    sglEnd();
    std::set<Pixel> expected;
    for (int x = 10; x <= 29; ++x)
        expected.insert({x, 20});
    EXPECT_EQ(surface.Drawn(), expected);
}

TEST(SoftwareRaster, FiveVerticesAsLinesDrawTwoLines)
{
    cGuardedSurface surface(16, 16, 32);
    sglColor3f(1, 1, 1);
    sglBegin(surface.Get(), 1);
    for (auto [x, y] : {Pixel{1, 1}, Pixel{3, 1}, Pixel{1, 5}, Pixel{3, 5}, Pixel{9, 9}})
        sglVertex2f(float(x), float(y));
    sglEnd();
    std::set<Pixel> expected = {{1, 1}, {2, 1}, {3, 1}, {1, 5}, {2, 5}, {3, 5}};
    EXPECT_EQ(surface.Drawn(), expected);
}

TEST(SoftwareRaster, LineLoopClosesAndQuadsSplitIntoTwoTriangles)
{
    cGuardedSurface loop(16, 16, 32);
    sglColor3f(1, 1, 1);
    sglBegin(loop.Get(), 2);
    sglVertex2f(1, 1), sglVertex2f(4, 1), sglVertex2f(4, 4);
    sglEnd();
    std::set<Pixel> expected = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}, {4, 4}, {3, 3}, {2, 2}};
    EXPECT_EQ(loop.Drawn(), expected);

    cGuardedSurface quad(16, 16, 32);
    sglBegin(quad.Get(), 7);
    sglVertex2f(2, 2), sglVertex2f(10, 2), sglVertex2f(10, 6), sglVertex2f(2, 6);
    sglEnd();
    std::set<Pixel> rectangle;
    for (int y = 3; y <= 6; ++y)
        for (int x = 2; x < 10; ++x)
            rectangle.insert({x, y});
    EXPECT_EQ(quad.Drawn(), rectangle);
}

TEST(SoftwareRaster, VerticesWithoutAnOpenPrimitiveAreIgnored)
{
    cGuardedSurface surface(16, 16, 32);
    sglColor3f(1, 1, 1);
    sglEnd();
    sglVertex2f(1, 1);
    sglVertex2f(9, 1);
    sglVertex2f(1, 9);
    sglEnd();
    sglBegin(surface.Get(), 42);   // no such primitive
    sglVertex2f(1, 1), sglVertex2f(9, 1), sglVertex2f(1, 9);
    sglEnd();
    sglBegin(nullptr, 4);
    sglVertex2f(1, 1), sglVertex2f(9, 1), sglVertex2f(1, 9);
    sglEnd();
    EXPECT_TRUE(surface.Drawn().empty());
}

TEST(SoftwareRaster, SpansFillEveryLengthAndAlignmentExactly)
{
    for (int bpp : {8, 16, 24, 32}) {
        for (int start = 0; start < 5; ++start) {
            for (int length = 0; length <= 40; ++length) {
                cGuardedSurface surface(48, 3, bpp);
                fillSolidSpan(surface.Get(), start, 1, length, 0x123456);
                std::set<Pixel> expected;
                for (int x = start; x < start + length; ++x)
                    expected.insert({x, 1});
                ASSERT_EQ(surface.Drawn(), expected) << bpp << " bpp from " << start << " length " << length;
                uint32_t mask = bpp == 32 ? 0xffffffffu : (1u << bpp) - 1;
                if (length > 0) {
                    ASSERT_EQ(surface.At(start + length - 1, 1), 0x123456u & mask);
                }
            }
        }
    }
}

TEST(SoftwareRaster, ClearBufferFillsTheWholeSurfaceAndKeepsTheCurrentColour)
{
    cGuardedSurface surface(8, 8, 32);
    sglColor3f(0, 1, 0);
    sglClearBuffer(surface.Get(), 1, 0, 0, 1, 1);
    EXPECT_EQ(surface.At(0, 0), 0xff0000u);
    EXPECT_EQ(surface.At(7, 7), 0xff0000u);
    sglBegin(surface.Get(), 0);
    sglVertex2f(2, 2);
    sglEnd();
    EXPECT_EQ(surface.At(2, 2), 0x00ff00u);
}
