// The span walk: which pixels a triangle covers (top-left rule, rows and
// columns from the 16.16 edges) and the attribute values at each of them,
// through a recording shader on canvases of 8x8.
#include "framework/rasterizer/SpanWalker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace Lumo::TriangleRasterizer;

namespace {

constexpr int kSize = 8;

// One canvas cell: how often it was drawn and the last values seen there.
struct Sample {
    int32_t mHits;
    int32_t mA;
    int32_t mU;
    int32_t mV;
};

struct SampleFormat {
    using Pixel = Sample;
};

struct RecordingShader {
    static constexpr unsigned kAttributes = kSpanColorAttributes | kSpanTextureAttributes;

    RecordingShader(SpanVertex (&)[3], const TextureInfo*, const SpanColor*) {}

    void Shade(Sample* pixel, const SpanAttributes& at) const
    {
        ++pixel->mHits;
        pixel->mA = at.mA;
        pixel->mU = at.mU;
        pixel->mV = at.mV;
    }
};

int32_t Fixed(double v)
{
    return static_cast<int32_t>(v * 65536.0);
}

SpanVertex Vertex(double x, double y, double u = 0.0, double v = 0.0, double a = 0.0)
{
    SpanVertex s = {};
    s.mX = Fixed(x);
    s.mY = Fixed(y);
    s.mU = Fixed(u);
    s.mV = Fixed(v);
    s.mA = Fixed(a);
    return s;
}

class Canvas {
public:
    Canvas() : mCells(kSize * kSize, Sample{}) {}

    void Draw(const SpanVertex& a, const SpanVertex& b, const SpanVertex& c)
    {
        const SpanVertex v[3] = {a, b, c};
        WalkTriangle<SampleFormat, RecordingShader>(v, reinterpret_cast<uint8_t*>(mCells.data()),
                                                    kSize * int(sizeof(Sample)), nullptr, nullptr);
    }

    // '.' untouched, '#' drawn once, '2'... drawn more often.
    std::vector<std::string> Mask() const
    {
        std::vector<std::string> rows;
        for (int y = 0; y < kSize; ++y) {
            std::string row;
            for (int x = 0; x < kSize; ++x) {
                const int hits = At(x, y).mHits;
                row += hits == 0 ? '.' : (hits == 1 ? '#' : static_cast<char>('0' + (hits > 9 ? 9 : hits)));
            }
            rows.push_back(row);
        }
        return rows;
    }

    const Sample& At(int x, int y) const { return mCells[size_t(y * kSize + x)]; }

private:
    std::vector<Sample> mCells;
};

const std::vector<std::string> kEmpty(kSize, "........");

TEST(SpanWalkTest, CoversPixelsWhosePointIsInsideByTheTopLeftRule)
{
    struct Case {
        const char* name;
        SpanVertex a, b, c;
        std::vector<std::string> mask;
    };
    const Case cases[] = {
        // Hypotenuse x + y = 4 is a right edge: its points are not drawn.
        {"right triangle", Vertex(0, 0), Vertex(4, 0), Vertex(0, 4),
         {"####....", "###.....", "##......", "#.......", "........", "........", "........", "........"}},
        // Flat top: no upper half. Right edge x = 6 - 0.75 (y - 1): 6, 5.25, 4.5, 3.75.
        {"flat top, edges at 3 and 6", Vertex(3, 1), Vertex(6, 1), Vertex(3, 5),
         {"........", "...###..", "...###..", "...##...", "...#....", "........", "........", "........"}},
        // Left edge 3.25 starts at column 4; right edge 6 - 0.6875 (y - 1).
        {"left edge at 3.25", Vertex(3.25, 1), Vertex(6, 1), Vertex(3.25, 5),
         {"........", "....##..", "....##..", "....#...", "........", "........", "........", "........"}},
        // Edges at 3.0 and 3.5 cover column 3 alone.
        {"narrow, 3 to 3.5", Vertex(3, 1), Vertex(3.5, 1), Vertex(3, 5),
         {"........", "...#....", "...#....", "...#....", "...#....", "........", "........", "........"}},
        // From y 1.0 to 3.0: rows 1 and 2, never 3. Right edge 5 - 2 (y - 1).
        {"rows 1 and 2 of 1.0 to 3.0", Vertex(1, 1), Vertex(5, 1), Vertex(1, 3),
         {"........", ".####...", ".##.....", "........", "........", "........", "........", "........"}},
        // Flat bottom: no lower half. Edges 3 - (y - 1) and 3 + (y - 1).
        {"flat bottom", Vertex(3, 1), Vertex(0, 4), Vertex(6, 4),
         {"........", "........", "..##....", ".####...", "........", "........", "........", "........"}},
        // y from 1.0 to 1.75: row 1 only.
        {"one row band from 1.0", Vertex(0, 1), Vertex(6, 1), Vertex(0, 1.75),
         {"........", "######..", "........", "........", "........", "........", "........", "........"}},
        // 2.25, 2.5 and 2.75 all round up to row 3: nothing.
        {"within one row band", Vertex(1, 2.25), Vertex(6, 2.5), Vertex(3, 2.75), kEmpty},
        {"from 1.25 to 1.75", Vertex(0, 1.25), Vertex(6, 1.25), Vertex(0, 1.75), kEmpty},
        {"collinear", Vertex(0, 0), Vertex(2, 2), Vertex(4, 4), kEmpty},
        {"middle on the long edge", Vertex(0, 0), Vertex(1, 0.5), Vertex(4, 2), kEmpty},
    };
    for (const Case& c : cases) {
        Canvas canvas;
        canvas.Draw(c.a, c.b, c.c);
        EXPECT_EQ(canvas.Mask(), c.mask) << c.name;
        // The vertex order does not matter.
        Canvas reordered;
        reordered.Draw(c.c, c.a, c.b);
        EXPECT_EQ(reordered.Mask(), c.mask) << c.name << " (reordered)";
    }
}

TEST(SpanWalkTest, SamplesAttributesAtEachPixelsIntegerPoint)
{
    // u = x and v = y over a triangle 8 wide: every gradient is a power of
    // two, so each pixel gets exactly its own column and row.
    Canvas exact;
    exact.Draw(Vertex(0, 0, 0, 0), Vertex(8, 0, 8, 0), Vertex(0, 8, 0, 8));
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x + y < kSize; ++x) {
            ASSERT_EQ(exact.At(x, y).mHits, 1) << x << "," << y;
            EXPECT_EQ(exact.At(x, y).mU, x << 16) << x << "," << y;
            EXPECT_EQ(exact.At(x, y).mV, y << 16) << x << "," << y;
        }
    }

    // 6 wide: recipX = 2^48 / (6 << 16) = 715827882 and the gradient
    // (393216 x 715827882) >> 32 = 65535; the long edge x = 0 holds u = 0
    // on every row, so pixel x gets 65535 x.
    Canvas rounded;
    rounded.Draw(Vertex(0, 0, 0, 0), Vertex(6, 0, 6, 0), Vertex(0, 6, 0, 6));
    EXPECT_EQ(rounded.At(5, 0).mU, 5 * 65535);
    EXPECT_EQ(rounded.At(3, 2).mU, 3 * 65535);

    // Sub-pixel start: top at y 0.25, alpha 0 there and 255 at y 4.25 on a
    // vertical long edge. recipLong = 2^48 / 262144 = 2^30, the slope
    // (16711680 x 2^30) >> 32 = 4177920 a row, p = 65536 - 16384 = 49152,
    // so row 1 starts at (4177920 x 49152) >> 16 = 3133440 (47.8125).
    Canvas alpha;
    alpha.Draw(Vertex(1, 0.25, 0, 0, 0), Vertex(5, 4.25, 0, 0, 255), Vertex(1, 4.25, 0, 0, 255));
    EXPECT_EQ(alpha.At(1, 1).mA, 3133440);
    EXPECT_EQ(alpha.At(1, 2).mA, 3133440 + 4177920);
}

// Vertices on a quarter-pixel grid, in quarter units.
struct Quarter {
    int x;
    int y;
};

// Twice the signed area of (a, b, p), in quarter units squared.
int64_t Cross(const Quarter& a, const Quarter& b, const Quarter& p)
{
    return int64_t(b.x - a.x) * (p.y - a.y) - int64_t(b.y - a.y) * (p.x - a.x);
}

TEST(SpanWalkTest, TrianglesSharingEdgesDrawEachPixelOnce)
{
    // Random convex polygons on the quarter grid, drawn as a fan from each of
    // their vertices: no pixel twice, and every pixel strictly inside once.
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> coordinate(0, 4 * kSize);
    int polygons = 0;
    for (int round = 0; round < 1000; ++round) {
        // Four points in convex position, counter-clockwise on screen.
        Quarter p[4];
        for (Quarter& q : p) {
            q = {coordinate(random), coordinate(random)};
        }
        bool convex = true;
        int sign = 0;
        for (int i = 0; i < 4 && convex; ++i) {
            const int64_t c = Cross(p[i], p[(i + 1) % 4], p[(i + 2) % 4]);
            const int s = c > 0 ? 1 : (c < 0 ? -1 : 0);
            if (s == 0 || (sign != 0 && s != sign)) {
                convex = false;
            }
            sign = s;
        }
        if (!convex) {
            continue;
        }
        ++polygons;
        auto vertex = [](const Quarter& q) { return Vertex(q.x / 4.0, q.y / 4.0); };
        for (int hub = 0; hub < 4; ++hub) {
            Canvas canvas;
            canvas.Draw(vertex(p[hub]), vertex(p[(hub + 1) % 4]), vertex(p[(hub + 2) % 4]));
            canvas.Draw(vertex(p[hub]), vertex(p[(hub + 2) % 4]), vertex(p[(hub + 3) % 4]));
            for (int y = 0; y < kSize; ++y) {
                for (int x = 0; x < kSize; ++x) {
                    const Quarter point = {4 * x, 4 * y};
                    bool strictlyInside = true;
                    for (int i = 0; i < 4; ++i) {
                        if (Cross(p[i], p[(i + 1) % 4], point) * sign <= 0) {
                            strictlyInside = false;
                        }
                    }
                    const int hits = canvas.At(x, y).mHits;
                    ASSERT_LE(hits, 1) << "round " << round << " hub " << hub << " at " << x << "," << y;
                    if (strictlyInside) {
                        ASSERT_EQ(hits, 1) << "round " << round << " hub " << hub << " at " << x << "," << y;
                    }
                }
            }
        }
    }
    EXPECT_GT(polygons, 100);
}

TEST(SpanWalkTest, RowsFollowThePitchRoundedToWholePixels)
{
    // A pitch of 8 cells plus 15 bytes still steps 8 cells a row.
    std::vector<Sample> cells(kSize * kSize + kSize);
    const SpanVertex v[3] = {Vertex(0, 0), Vertex(2, 0), Vertex(0, 2)};
    WalkTriangle<SampleFormat, RecordingShader>(v, reinterpret_cast<uint8_t*>(cells.data()),
                                                kSize * int(sizeof(Sample)) + 15, nullptr, nullptr);
    EXPECT_EQ(cells[0].mHits, 1);
    EXPECT_EQ(cells[1].mHits, 1);
    EXPECT_EQ(cells[kSize].mHits, 1);
    EXPECT_EQ(cells[kSize + 1].mHits, 0);
}

TEST(SpanWalkTest, SliversNeedWideProductsAndStayInsideTheirBoundingBox)
{
    // Edges far steeper than 32768 pixels a row: the set-up products need
    // more than 64 bits. Worked out with exact products.
    struct Case {
        const char* name;
        SpanVertex a, b, c;
        std::vector<std::string> mask;
    };
    auto raw = [](int32_t x, int32_t y) {
        SpanVertex s = {};
        s.mX = x;
        s.mY = y;
        return s;
    };
    const Case cases[] = {
        // Two units high across row 2: recipLong = 2^47, the long edge's slope
        // (3 << 16) x 2^47 >> 32 = 3 x 2^31 a row, one unit down it is at 1.5.
        {"two units high across a row", raw(0, 0x1FFFF), raw(7 << 16, 0x20000), raw(3 << 16, 0x20001),
         {"........", "........", "..#####.", "........", "........", "........", "........", "........"}},
        {"one unit high, flat top", raw(1 << 16, 0x30000), raw(6 << 16, 0x30000), raw(2 << 16, 0x30001),
         {"........", "........", "........", ".#####..", "........", "........", "........", "........"}},
        // x_mid = (65536 x 196608) >> 16 = 196608, the middle vertex's own x.
        {"middle on the rounded long edge", raw(0, 0), raw(3 << 16, 3 << 16), raw((6 << 16) + 1, 6 << 16),
         kEmpty},
        // The long edge from x 1.0 to one unit right of it has slope
        // 613566756 >> 32 = 0 and stays on 1.0; the short edge M-B, slope -1
        // a row, is at 65538 - 1 on row 1 and back on 1.0 from row 2.
        {"needle", raw(1 << 16, 0), raw((1 << 16) + 2, 0x10), raw((1 << 16) + 1, 7 << 16),
         {"........", ".#......", "........", "........", "........", "........", "........", "........"}},
        // 8 units high and 6 pixels wide across row 4: the short edge's slope
        // (6 << 16) x 2^45 >> 32 = 3 x 2^30 a row, 7 units down it is at
        // 1 + 6 x 7 / 8 = 6.25.
        {"eight units high", raw(1 << 16, (4 << 16) - 7), raw(7 << 16, (4 << 16) + 1), raw(1 << 16, (4 << 16) + 1),
         {"........", "........", "........", "........", ".######.", "........", "........", "........"}},
    };
    for (const Case& c : cases) {
        Canvas canvas;
        canvas.Draw(c.a, c.b, c.c);
        EXPECT_EQ(canvas.Mask(), c.mask) << c.name;
    }
}

} // namespace
