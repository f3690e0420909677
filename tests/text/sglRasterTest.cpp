#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "text/sgl.h"

namespace {

using Pixel = std::pair<int, int>;   // (x, y)
using Pixels = std::set<Pixel>;

// A software surface over our own buffer with guard bytes on both sides, so a write outside
// the pixels shows up even without the sanitizer.
class cGuardedSurface
{
public:
    static constexpr uint8_t GUARD = 0xa5;
    static constexpr size_t GUARD_BYTES = 256;

    cGuardedSurface(int w, int h, int bpp, uint32_t seed = 0) : m_Bytes(bpp / 8)
    {
        int pitch = (w * m_Bytes + 3) & ~3;
        m_Memory.assign(GUARD_BYTES * 2 + size_t(pitch) * h, GUARD);
        uint32_t r = bpp == 16 ? 0xf800 : bpp >= 24 ? 0xff0000 : 0, g = bpp == 16 ? 0x07e0 : bpp >= 24 ? 0xff00 : 0;
        uint32_t b = bpp == 16 ? 0x001f : bpp >= 24 ? 0xff : 0;
        m_pSurface = SDL_CreateRGBSurfaceFrom(m_Memory.data() + GUARD_BYTES, w, h, bpp, pitch, r, g, b, 0);
        // Zero, or noise that every byte a primitive does not cover must keep.
        std::mt19937 random(seed);
        std::generate_n(m_Memory.begin() + GUARD_BYTES, size_t(pitch) * h, [&] { return seed ? uint8_t(random() | 1) : 0; });
        SDL_Color ramp[256];   // 8 bits: a grey ramp, black is index 0
        for (int i = 0; i < 256; ++i)
            ramp[i] = {Uint8(i), Uint8(i), Uint8(i), 0};
        if (bpp == 8)
            SDL_SetColors(m_pSurface, ramp, 0, 256);
    }
    ~cGuardedSurface() { SDL_FreeSurface(m_pSurface); }

    SDL_Surface* Get() const { return m_pSurface; }
    const std::vector<uint8_t>& Memory() const { return m_Memory; }

    bool GuardsIntact() const
    {
        auto intact = [](auto first, auto last) { return std::all_of(first, last, [](uint8_t v) { return v == GUARD; }); };
        return intact(m_Memory.begin(), m_Memory.begin() + GUARD_BYTES) && intact(m_Memory.end() - GUARD_BYTES, m_Memory.end());
    }

    uint8_t* Address(int x, int y) const { return static_cast<uint8_t*>(m_pSurface->pixels) + y * m_pSurface->pitch + x * m_Bytes; }

    uint32_t At(int x, int y) const
    {
        uint32_t value = 0;
        std::memcpy(&value, Address(x, y), size_t(m_Bytes));
        return value;
    }

    Pixels Drawn() const
    {
        Pixels drawn;
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

void Draw(SDL_Surface* surface, int mode, const std::vector<float>& xy)
{
    sglBegin(surface, mode);
    for (size_t i = 0; i + 1 < xy.size(); i += 2)
        sglVertex2f(xy[i], xy[i + 1]);
    sglEnd();
}

// The rasteriser's rule, written plainly pixel by pixel: integer corners; every edge steps its
// x in 1/1024 pixels from the upper end and crosses rows upper+1 to lower; per row the pixels
// from the leftmost crossing up to, not including, the rightmost. Only for triangles inside the
// clip rectangle, where no clipping enters.
void PlainTriangle(Pixels& pixels, const int (&x)[3], const int (&y)[3])
{
    std::map<int, std::vector<int>> crossings;
    for (int i = 0; i < 3; ++i) {
        int ax = x[i], ay = y[i], bx = x[(i + 1) % 3], by = y[(i + 1) % 3];
        if (ay == by)
            continue;
        if (ay > by)
            std::swap(ax, bx), std::swap(ay, by);
        int step = (bx - ax) * 1024 / (by - ay);
        for (int row = ay + 1; row <= by; ++row)
            crossings[row].push_back((ax * 1024 + step * (row - ay)) / 1024);
    }
    for (auto& [row, xs] : crossings) {
        EXPECT_EQ(xs.size(), 2u) << "row " << row;
        for (int column = std::min(xs[0], xs[1]); column < std::max(xs[0], xs[1]); ++column)
            pixels.insert({column, row});
    }
}

Pixels Rectangle(int x0, int y0, int x1, int y1)   // inclusive
{
    Pixels pixels;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            pixels.insert({x, y});
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

// Glyph-like batches in every filled mode, on noise and up to the surface's last row and column:
// byte for byte the plain rule, and every other byte as it was.
TEST_P(RasterTest, FilledPrimitivesMatchThePlainRuleByteForByte)
{
    struct sCase { int w, h, mode, vertices, size; };
    const sCase cases[] = {{96, 80, 4, 48, 14}, {96, 80, 4, 210, 20}, {13, 7, 4, 30, 13}, {96, 80, 5, 12, 30},
                           {96, 80, 6, 9, 40},  {96, 80, 7, 16, 30},  {96, 80, 8, 10, 30}, {40, 30, 9, 3, 60}};
    std::mt19937 random(1234);
    sglColor3f(1, 0.5f, 0.25f);
    for (const sCase& c : cases) {
        for (int round = 0; round < 20; ++round) {
            cGuardedSurface surface(c.w, c.h, GetParam(), 77 + round), expected(c.w, c.h, GetParam(), 77 + round);
            std::uniform_int_distribution<int> dx(0, std::min(c.size, c.w - 1)), dy(0, std::min(c.size, c.h - 1));
            int cornerX = std::uniform_int_distribution<int>(0, c.w - 1 - dx.max())(random);
            int cornerY = std::uniform_int_distribution<int>(0, c.h - 1 - dy.max())(random);
            std::vector<int> x, y;
            std::vector<float> xy;
            for (int i = 0; i < c.vertices; ++i) {
                x.push_back(cornerX + dx(random)), y.push_back(cornerY + dy(random));
                // Fractions are truncated towards zero before anything else.
                xy.push_back(float(x.back()) + 0.9f), xy.push_back(float(y.back()) + 0.3f);
            }
            Draw(surface.Get(), c.mode, xy);

            Pixels covered;
            auto triangle = [&](int a, int b, int d) { PlainTriangle(covered, {x[a], x[b], x[d]}, {y[a], y[b], y[d]}); };
            for (int i = 0, n = c.vertices; i + 2 < n; ++i) {
                if ((c.mode == 4 && i % 3 == 0) || c.mode == 5)
                    triangle(i, i + 1, i + 2);
                else if (c.mode == 6 || c.mode == 9)
                    triangle(0, i + 1, i + 2);
                else if (i + 3 < n && ((c.mode == 7 && i % 4 == 0) || (c.mode == 8 && i % 2 == 0)))
                    triangle(i, i + 1, i + 2), c.mode == 7 ? triangle(i, i + 2, i + 3) : triangle(i + 1, i + 2, i + 3);
            }
            uint32_t pixel = SDL_MapRGBA(expected.Get()->format, 255, 127, 63, 255);
            for (const Pixel& p : covered)
                std::memcpy(expected.Address(p.first, p.second), &pixel, size_t(GetParam() / 8));
            ASSERT_EQ(surface.Memory(), expected.Memory()) << "mode " << c.mode << " size " << c.size << " round " << round;
        }
    }
}

TEST_P(RasterTest, PolygonsAreClippedToTheClipRectangleAndNothingOutsideIsWritten)
{
    cGuardedSurface covering(64, 48, GetParam());
    SDL_Rect clip = {8, 4, 40, 30};
    SDL_SetClipRect(covering.Get(), &clip);
    Draw(covering.Get(), 4, {-1000, -1000, 5000, -1000, -1000, 5000});
    // The clipped outline is the clip rectangle itself; as every polygon, it leaves out its top
    // row and its right column.
    EXPECT_EQ(covering.Drawn(), Rectangle(8, 5, 46, 33));
    EXPECT_TRUE(covering.GuardsIntact());

    std::mt19937 random(99);
    std::uniform_real_distribution<float> coordinate(-300, 400);
    cGuardedSurface surface(100, 80, GetParam());
    clip = {13, 7, 61, 50};
    SDL_SetClipRect(surface.Get(), &clip);
    for (int mode = 1; mode <= 9; ++mode)
        for (int round = 0; round < 30; ++round) {
            std::vector<float> xy(14);
            std::generate(xy.begin(), xy.end(), [&] { return coordinate(random); });
            Draw(surface.Get(), mode, xy);
        }
    Pixels drawn = surface.Drawn(), inside = Rectangle(13, 7, 73, 56);
    EXPECT_FALSE(drawn.empty());
    EXPECT_TRUE(std::includes(inside.begin(), inside.end(), drawn.begin(), drawn.end()));
    EXPECT_TRUE(surface.GuardsIntact());
}

// Vertices without an open primitive, an unknown primitive and a null surface draw nothing;
// degenerate and huge coordinates draw nothing outside the surface.
TEST_P(RasterTest, StrayDegenerateAndHugeInputIsSafe)
{
    cGuardedSurface surface(32, 32, GetParam());
    sglEnd();
    Draw(nullptr, 4, {1, 1, 9, 1, 1, 9});
    sglVertex2f(1, 1), sglVertex2f(9, 1), sglVertex2f(1, 9);
    sglEnd();
    Draw(surface.Get(), 42, {1, 1, 9, 1, 1, 9});
    EXPECT_TRUE(surface.Drawn().empty());
    float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    Draw(surface.Get(), 4, {nan, 3, 20, nan, 5, 5, -inf, -inf, inf, -inf, 0, inf, 3e9f, 1, -3e9f, 2, 5, 3e9f});
    Draw(surface.Get(), 1, {-inf, 5, inf, 6, 1e20f, -1e20f, -1e20f, 1e20f});
    Draw(surface.Get(), 0, {nan, nan, -1, 40, 31.9f, 31.9f});
    EXPECT_TRUE(surface.GuardsIntact());
}

TEST_P(RasterTest, ColourIsClampedAndMappedToTheSurfaceFormat)
{
    cGuardedSurface surface(8, 8, GetParam());
    sglColor3f(2, -1, 0.5f);
    Draw(surface.Get(), 0, {3, 4});
    EXPECT_EQ(surface.At(3, 4), SDL_MapRGBA(surface.Get()->format, 255, 0, 127, 255));
    sglClearBuffer(surface.Get(), 0, 1, 0, 1, 1);   // the current colour stays
    EXPECT_EQ(surface.At(7, 7), SDL_MapRGBA(surface.Get()->format, 0, 255, 0, 255));
    Draw(surface.Get(), 0, {2, 2});
    EXPECT_EQ(surface.At(2, 2), SDL_MapRGBA(surface.Get()->format, 255, 0, 127, 255));
}

TEST(SoftwareRaster, SpansFillEveryLengthAndAlignmentExactly)
{
    for (int bpp : {8, 16, 24, 32})
        for (int start = 0; start < 5; ++start)
            for (int length = 0; length <= 40; ++length) {
                cGuardedSurface surface(48, 3, bpp);
                fillSolidSpan(surface.Get(), start, 1, length, 0x123456);
                ASSERT_EQ(surface.Drawn(), length ? Rectangle(start, 1, start + length - 1, 1) : Pixels{}) << bpp << " bpp " << start << "+" << length;
                if (length > 0) {
                    ASSERT_EQ(surface.At(start + length - 1, 1), 0x123456u & (bpp == 32 ? ~0u : (1u << bpp) - 1));
                }
            }
}
