// Polygon clipping of the 3-D renderer, one boundary at a time: what stays,
// where new corners land (exactly on the bound), and how their colours mix.
#include "framework/display/D3DInterface.h"

#include <gtest/gtest.h>

#include <vector>

using Lumo::D3DInterface;
using Vertex = D3DInterface::Vertex;

namespace {

Vertex V(float x, float y, uint32_t diffuse = 0xFFFFFFFF, float u = 0.0f, float v = 0.0f)
{
    Vertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.diffuse = diffuse;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

void Fill(D3DInterface::VertexList& list, const std::vector<Vertex>& vertices)
{
    list.Clear();
    for (const Vertex& v : vertices) {
        list.Push(v);
    }
}

TEST(D3DClippingTest, OneBoundaryKeepsInsideCornersAndCutsTheRest)
{
    D3DInterface::VertexList in;
    D3DInterface::VertexList out;
    // Wholly inside: unchanged, same order. A corner on the bound is inside.
    Fill(in, {V(1, 1), V(4, 1), V(4, 3), V(1, 3)});
    D3DInterface::ClipUpper(0, 4.0f, in, out);
    ASSERT_EQ(out.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out[i].x, in[i].x);
        EXPECT_EQ(out[i].y, in[i].y);
    }
    // Wholly outside: nothing.
    D3DInterface::ClipLower(1, 5.0f, in, out);
    EXPECT_EQ(out.Count(), 0);
    // One corner beyond x <= 2: a quadrilateral with two corners on x = 2.
    Fill(in, {V(0, 0), V(4, 1), V(0, 3)});
    D3DInterface::ClipUpper(0, 2.0f, in, out);
    ASSERT_EQ(out.Count(), 4);
    int onBound = 0;
    for (int i = 0; i < out.Count(); ++i) {
        EXPECT_LE(out[i].x, 2.0f);
        onBound += out[i].x == 2.0f ? 1 : 0;
    }
    EXPECT_EQ(onBound, 2);
    // Fewer than two corners give nothing.
    Fill(in, {V(0, 0)});
    D3DInterface::ClipLower(0, -1.0f, in, out);
    EXPECT_EQ(out.Count(), 0);
}

TEST(D3DClippingTest, NewCornersSitExactlyOnTheBoundEvenWhenRoundingMisses)
{
    // 0.1 steps do not add up in floats: a cut at 0.7 between 0.1 and 1.3
    // lands a hair off unless it is set to the bound.
    D3DInterface::VertexList in;
    D3DInterface::VertexList out;
    Fill(in, {V(0, 0, 0xFFFFFFFF, 0.1f, 0.3f), V(3, 0, 0xFFFFFFFF, 1.3f, 0.3f), V(0, 3, 0xFFFFFFFF, 0.1f, 0.9f)});
    D3DInterface::ClipUpper(3, 0.7f, in, out);
    ASSERT_GE(out.Count(), 3);
    for (int i = 0; i < out.Count(); ++i) {
        EXPECT_LE(out[i].u, 0.7f);
    }
    // On the unit square of a piece nothing strays past 0 or 1.
    D3DInterface renderer;
    Fill(in, {V(0, 0, 0xFFFFFFFF, -0.37f, 0.21f), V(5, 0, 0xFFFFFFFF, 1.91f, -0.13f),
              V(0, 5, 0xFFFFFFFF, 0.33f, 1.77f)});
    renderer.ClipToPiece(in);
    ASSERT_GE(in.Count(), 3);
    for (int i = 0; i < in.Count(); ++i) {
        EXPECT_GE(in[i].u, 0.0f);
        EXPECT_LE(in[i].u, 1.0f);
        EXPECT_GE(in[i].v, 0.0f);
        EXPECT_LE(in[i].v, 1.0f);
    }
}

TEST(D3DClippingTest, InterpolatedColoursTruncateEachChannel)
{
    const Vertex black = V(0, 0, 0xFF000000);
    const Vertex white = V(10, 0, 0xFFFFFFFF);
    const Vertex mid = D3DInterface::InterpolateVertex(black, white, 0.5f);
    EXPECT_EQ(mid.diffuse, 0xFF7F7F7Fu); // 255 x 0.5 = 127.5, truncated
    EXPECT_EQ(mid.x, 5.0f);
    // Falling channels truncate toward zero as well: 255 - 127.5 -> 128.
    EXPECT_EQ(D3DInterface::InterpolateVertex(white, black, 0.5f).diffuse, 0xFF808080u);
    // Equal colours are taken as they are.
    EXPECT_EQ(D3DInterface::InterpolateVertex(V(0, 0, 0x12345678), V(1, 1, 0x12345678), 0.3f).diffuse, 0x12345678u);
}

TEST(D3DClippingTest, LongPolygonsMoveToTheHeapAndKeepTheirCorners)
{
    D3DInterface::VertexList list;
    for (int i = 0; i < 250; ++i) {
        list.Push(V(float(i), 0));
    }
    ASSERT_EQ(list.Count(), 250);
    for (int i = 0; i < 250; ++i) {
        EXPECT_EQ(list[i].x, float(i));
    }
}

} // namespace
