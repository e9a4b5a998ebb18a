// Clipping one triangle to the rectangle: kept vertices, cut points with
// their interpolated attributes, and what lies exactly on a bound.
#include "framework/rasterizer/TriangleRasterizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using Lumo::TriangleRasterizer::ClipPolygon;
using Lumo::TriangleRasterizer::ClipVertex;
using Lumo::TriangleRasterizer::kMaxClippedVertices;

namespace {

// The rectangle of every case: x 0 to 8, y 0 to 6.
constexpr float kLeft = 0.0f;
constexpr float kRight = 8.0f;
constexpr float kTop = 0.0f;
constexpr float kBottom = 6.0f;

struct Result {
    int count;
    std::vector<const ClipVertex*> vertices;
};

Result Clip(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c)
{
    const ClipVertex* triangle[3] = {&a, &b, &c};
    const ClipVertex* output[kMaxClippedVertices + 1];
    Result result;
    result.count = ClipPolygon(triangle, output, kLeft, kRight, kTop, kBottom);
    for (int i = 0; i < result.count; ++i) {
        result.vertices.push_back(output[i]);
    }
    if (result.count > 0) {
        EXPECT_EQ(output[result.count], nullptr);
    }
    return result;
}

TEST(ClipPolygonTest, KeepsATriangleInsideAsItsOwnVertices)
{
    // On the bounds counts as inside.
    const ClipVertex a = {0, 0, 0, 0, 0}, b = {8, 3, 0, 0, 0}, c = {2, 6, 0, 0, 0};
    const Result r = Clip(a, b, c);
    ASSERT_EQ(r.count, 3);
    EXPECT_EQ(r.vertices[0], &a);
    EXPECT_EQ(r.vertices[1], &b);
    EXPECT_EQ(r.vertices[2], &c);
}

TEST(ClipPolygonTest, DropsATriangleBeyondAnySide)
{
    struct Case {
        const char* name;
        ClipVertex a, b, c;
    };
    const Case cases[] = {
        {"left", {-3, 0, 0, 0, 0}, {-1, 2, 0, 0, 0}, {-0.5f, 6, 0, 0, 0}},
        {"right", {8.25f, 0, 0, 0, 0}, {12, 2, 0, 0, 0}, {9, 6, 0, 0, 0}},
        {"top", {0, -1, 0, 0, 0}, {8, -0.25f, 0, 0, 0}, {4, -6, 0, 0, 0}},
        {"bottom", {0, 7, 0, 0, 0}, {8, 6.5f, 0, 0, 0}, {4, 9, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Clip(c.a, c.b, c.c).count, 0) << c.name;
    }
}

TEST(ClipPolygonTest, CutsFromTheOutsideVertexInOrder)
{
    // The first vertex beyond the left side: the cut on edge 0-1, vertices 1
    // and 2, the cut on edge 2-0. Edge 0-1 from (-2, 0) to (2, 4) meets x = 0
    // at t = 0.5: y 2, u 0.5, v 0.25, alpha halfway from 0 to 255 = 127.
    const ClipVertex a = {-2, 0, 0.0f, 0.0f, 0x00000000}, b = {2, 4, 1.0f, 0.5f, 0xFF204060},
                     c = {6, 0, 1.0f, 1.0f, 0x80FF0000};
    const Result r = Clip(a, b, c);
    ASSERT_EQ(r.count, 4);
    const ClipVertex& cut01 = *r.vertices[0];
    EXPECT_EQ(cut01.mX, 0.0f);
    EXPECT_EQ(cut01.mY, 2.0f);
    EXPECT_EQ(cut01.mU, 0.5f);
    EXPECT_EQ(cut01.mV, 0.25f);
    // Each channel truncated: 0x7F, 0x10, 0x20, 0x30.
    EXPECT_EQ(cut01.mColor, 0x7F102030u);
    EXPECT_EQ(r.vertices[1], &b);
    EXPECT_EQ(r.vertices[2], &c);
    // Edge 2-0 from (6, 0) to (-2, 0), cut from a at t = 0.25: colour a + (c - a) / 4.
    const ClipVertex& cut20 = *r.vertices[3];
    EXPECT_EQ(cut20.mX, 0.0f);
    EXPECT_EQ(cut20.mY, 0.0f);
    EXPECT_EQ(cut20.mU, 0.25f);
    EXPECT_EQ(cut20.mColor, 0x203F0000u);
}

TEST(ClipPolygonTest, ShapesOfTheResult)
{
    struct Case {
        const char* name;
        ClipVertex a, b, c;
        int count;
    };
    const Case cases[] = {
        // Touches the rectangle with one corner only: three coincident points.
        {"corner touch", {8, 6, 0, 0, 0}, {12, 8, 0, 0, 0}, {10, 10, 0, 0, 0}, 3},
        // Holds the whole rectangle: its four corners.
        {"contains the rectangle", {-20, -20, 0, 0, 0}, {60, -20, 0, 0, 0}, {-20, 60, 0, 0, 0}, 4},
        // Each side adds one vertex: 7.
        {"crosses every side", {-4, 5, 0, 0, 0}, {4, -2, 0, 0, 0}, {10, 8, 0, 0, 0}, 7},
    };
    for (const Case& c : cases) {
        const Result r = Clip(c.a, c.b, c.c);
        EXPECT_EQ(r.count, c.count) << c.name;
        for (const ClipVertex* v : r.vertices) {
            EXPECT_TRUE(v->mX >= kLeft && v->mX <= kRight && v->mY >= kTop && v->mY <= kBottom) << c.name;
        }
    }
    const ClipVertex a = {8, 6, 0, 0, 0}, b = {12, 8, 0, 0, 0}, c = {10, 10, 0, 0, 0};
    for (const ClipVertex* v : Clip(a, b, c).vertices) {
        EXPECT_EQ(v->mX, 8.0f);
        EXPECT_EQ(v->mY, 6.0f);
    }
}

TEST(ClipPolygonTest, ANonNumberIsNeverOutside)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const ClipVertex a = {nan, 1, 0, 0, 0}, b = {4, nan, 0, 0, 0}, c = {2, 5, 0, 0, 0};
    EXPECT_EQ(Clip(a, b, c).count, 3);
    // Cuts toward a vertex that is not a number give channels of 0, not an
    // undefined conversion.
    const ClipVertex d = {-2, 1, 0, 0, 0xFFFFFFFF}, e = {nan, 2, 0, 0, 0xFFFFFFFF}, f = {2, 5, 0, 0, 0};
    const Result r = Clip(d, e, f);
    ASSERT_GT(r.count, 0);
}

TEST(ClipPolygonTest, CutPointsLieOnTheBoundAndMatchAcrossASharedEdge)
{
    std::mt19937 random(77);
    std::uniform_real_distribution<float> coordinate(-20.0f, 28.0f);
    for (int i = 0; i < 2000; ++i) {
        const ClipVertex p = {coordinate(random), coordinate(random), 0.3f, 0.7f, 0xFF00FF00};
        const ClipVertex q = {coordinate(random), coordinate(random), 0.9f, 0.1f, 0x8000FFFF};
        const ClipVertex r1 = {coordinate(random), coordinate(random), 0, 0, 0};
        const ClipVertex r2 = {coordinate(random), coordinate(random), 0, 0, 0};
        // Every cut coordinate is exactly a bound.
        const Result first = Clip(p, q, r1);
        std::vector<ClipVertex> firstVertices;
        for (const ClipVertex* v : first.vertices) {
            const bool original = v == &p || v == &q || v == &r1;
            if (!original) {
                EXPECT_TRUE(v->mX == kLeft || v->mX == kRight || v->mY == kTop || v->mY == kBottom);
            }
            firstVertices.push_back(*v);
        }
        // The edge p-q run the other way by a neighbour gives the same cuts
        // where it crosses one side only.
        const Result second = Clip(q, p, r2);
        for (const ClipVertex& v : firstVertices) {
            const bool onEdge = std::fabs((q.mX - p.mX) * (v.mY - p.mY) - (q.mY - p.mY) * (v.mX - p.mX)) < 1e-3f;
            if (!onEdge) {
                continue;
            }
            for (const ClipVertex* w : second.vertices) {
                if (w->mX == v.mX && std::fabs(w->mY - v.mY) < 1e-3f) {
                    EXPECT_EQ(w->mY, v.mY);
                    EXPECT_EQ(w->mU, v.mU);
                    EXPECT_EQ(w->mColor, v.mColor);
                }
            }
        }
    }
}

} // namespace
