// Sutherland-Hodgman clipping of one triangle against the four sides of the
// clip rectangle, carrying position, texture coordinates and colour along.
#include "framework/rasterizer/TriangleRasterizer.h"

namespace Lumo::TriangleRasterizer {

namespace {

// New vertices of one clip; each call starts again from the first record.
// A clip takes at most 8 of them (two per side).
struct ClipVertexPool {
    ClipVertex mVertices[64];
    int mUsed;
};
ClipVertexPool sPool;

ClipVertex* NextPoolVertex()
{
    return &sPool.mVertices[sPool.mUsed++];
}

// A colour channel in 0-255, truncated toward zero; a coordinate that is not
// a number gives 0 instead of an undefined conversion.
uint32_t ChannelFromFloat(float c)
{
    if (!(c > 0.0f)) {
        return 0;
    }
    return c >= 255.0f ? 255 : static_cast<uint32_t>(c);
}

uint32_t LerpColor(uint32_t out, uint32_t in, float t)
{
    uint32_t result = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const int o = static_cast<int>((out >> shift) & 0xFF);
        const int i = static_cast<int>((in >> shift) & 0xFF);
        result |= ChannelFromFloat(static_cast<float>(i - o) * t + static_cast<float>(o)) << shift;
    }
    return result;
}

// Always from the outside vertex toward the inside one, so that two triangles
// sharing an edge get the same cut point. The cut coordinate is the bound
// itself: computed, it could land an ulp outside and add a row or a column.
const ClipVertex* IntersectX(const ClipVertex& out, const ClipVertex& in, float bound)
{
    ClipVertex* v = NextPoolVertex();
    const float t = (bound - out.mX) / (in.mX - out.mX);
    v->mX = bound;
    v->mY = out.mY + (in.mY - out.mY) * t;
    v->mU = out.mU + (in.mU - out.mU) * t;
    v->mV = out.mV + (in.mV - out.mV) * t;
    v->mColor = LerpColor(out.mColor, in.mColor, t);
    return v;
}

const ClipVertex* IntersectY(const ClipVertex& out, const ClipVertex& in, float bound)
{
    ClipVertex* v = NextPoolVertex();
    const float t = (bound - out.mY) / (in.mY - out.mY);
    v->mX = out.mX + (in.mX - out.mX) * t;
    v->mY = bound;
    v->mU = out.mU + (in.mU - out.mU) * t;
    v->mV = out.mV + (in.mV - out.mV) * t;
    v->mColor = LerpColor(out.mColor, in.mColor, t);
    return v;
}

// One side. The outside tests are strict, so a vertex on the bound (and a
// coordinate that is not a number) is inside.
// A convex polygon gains at most one vertex per side. Rounding could in
// principle bend a polygon so that a side is crossed more than twice; such a
// stage gives nothing rather than run past its lists or the pool.
template <class IsOutside, class Intersect>
int ClipStage(const ClipVertex* const* input, const ClipVertex** output, IsOutside isOutside, Intersect intersect)
{
    int count = 0;
    if (input[0] != nullptr) {
        for (int i = 0; input[i] != nullptr; ++i) {
            const ClipVertex* cur = input[i];
            const ClipVertex* next = input[i + 1] != nullptr ? input[i + 1] : input[0];
            const int code = (isOutside(*cur) ? 1 : 0) | (isOutside(*next) ? 2 : 0);
            if (count + (code == 2 ? 2 : 1) > kMaxClippedVertices) {
                count = 0;
                break;
            }
            switch (code) {
            case 0:
                output[count++] = cur;
                break;
            case 1:
                output[count++] = intersect(*cur, *next);
                break;
            case 2:
                output[count++] = cur;
                output[count++] = intersect(*next, *cur);
                break;
            default:
                break;
            }
        }
    }
    output[count] = nullptr;
    return count;
}

// The four sides, always in the order left, right, top, bottom.
int ClipLeft(const ClipVertex* const* input, const ClipVertex** output, float bound)
{
    return ClipStage(
        input, output, [bound](const ClipVertex& v) { return v.mX < bound; },
        [bound](const ClipVertex& out, const ClipVertex& in) { return IntersectX(out, in, bound); });
}

int ClipRight(const ClipVertex* const* input, const ClipVertex** output, float bound)
{
    return ClipStage(
        input, output, [bound](const ClipVertex& v) { return v.mX > bound; },
        [bound](const ClipVertex& out, const ClipVertex& in) { return IntersectX(out, in, bound); });
}

int ClipTop(const ClipVertex* const* input, const ClipVertex** output, float bound)
{
    return ClipStage(
        input, output, [bound](const ClipVertex& v) { return v.mY < bound; },
        [bound](const ClipVertex& out, const ClipVertex& in) { return IntersectY(out, in, bound); });
}

int ClipBottom(const ClipVertex* const* input, const ClipVertex** output, float bound)
{
    return ClipStage(
        input, output, [bound](const ClipVertex& v) { return v.mY > bound; },
        [bound](const ClipVertex& out, const ClipVertex& in) { return IntersectY(out, in, bound); });
}

} // namespace

int ClipPolygon(const ClipVertex* const* triangle, const ClipVertex** output, float left, float right, float top,
                float bottom)
{
    sPool.mUsed = 0;
    const ClipVertex* input[4] = {triangle[0], triangle[1], triangle[2], nullptr};
    // A convex polygon gains at most one vertex per side: 7 and a terminator.
    const ClipVertex* local[kMaxClippedVertices + 1];

    if (ClipLeft(input, local, left) < 3) {
        output[0] = nullptr;
        return 0;
    }
    if (ClipRight(local, output, right) < 3) {
        output[0] = nullptr;
        return 0;
    }
    if (ClipTop(output, local, top) < 3) {
        output[0] = nullptr;
        return 0;
    }
    const int count = ClipBottom(local, output, bottom);
    if (count < 3) {
        output[0] = nullptr;
        return 0;
    }
    return count;
}

} // namespace Lumo::TriangleRasterizer
