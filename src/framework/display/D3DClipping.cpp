// Polygon clipping of the renderer: one axis-aligned boundary at a time,
// against the clip rectangle on the screen or the unit square of a texture
// piece.
#include "framework/display/D3DInterface.h"

#include "platform/video/D3DDevice.h"

namespace Lumo {

namespace {

inline float Component(const D3DInterface::Vertex& v, int k)
{
    switch (k) {
    case 0:
        return v.x;
    case 1:
        return v.y;
    case 2:
        return v.z;
    case 3:
        return v.u;
    case 4:
        return v.v;
    default:
        return 0.0f;
    }
}

inline void SetComponent(D3DInterface::Vertex& v, int k, float value)
{
    switch (k) {
    case 0:
        v.x = value;
        break;
    case 1:
        v.y = value;
        break;
    case 2:
        v.z = value;
        break;
    case 3:
        v.u = value;
        break;
    case 4:
        v.v = value;
        break;
    default:
        break;
    }
}

template <bool Lower>
void ClipAgainst(int k, float c, const D3DInterface::VertexList& in, D3DInterface::VertexList& out)
{
    out.Clear();
    const int n = in.Count();
    if (n < 2) {
        return;
    }
    auto inside = [&](const D3DInterface::Vertex& v) { return Lower ? Component(v, k) >= c : Component(v, k) <= c; };
    auto cut = [&](const D3DInterface::Vertex& from, const D3DInterface::Vertex& to) {
        const float t = (c - Component(from, k)) / (Component(to, k) - Component(from, k));
        D3DInterface::Vertex v = D3DInterface::InterpolateVertex(from, to, t);
        // Rounding may leave the new vertex a hair outside; it belongs on the bound.
        SetComponent(v, k, c);
        out.Push(v);
    };
    const D3DInterface::Vertex* previous = &in[n - 1];
    bool previousInside = inside(*previous);
    for (int i = 0; i < n; ++i) {
        const D3DInterface::Vertex& current = in[i];
        const bool currentInside = inside(current);
        if (previousInside && currentInside) {
            out.Push(current);
        } else if (previousInside) {
            cut(*previous, current);
        } else if (currentInside) {
            cut(*previous, current);
            out.Push(current);
        }
        previous = &current;
        previousInside = currentInside;
    }
}

} // namespace

void D3DInterface::VertexList::Push(const Vertex& vertex)
{
    if (mCount == mCapacity) {
        const int capacity = mCapacity * 2;
        std::unique_ptr<Vertex[]> grown(new Vertex[static_cast<size_t>(capacity)]);
        const Vertex* old = Data();
        for (int i = 0; i < mCount; ++i) {
            grown[size_t(i)] = old[i];
        }
        mHeap = std::move(grown);
        mCapacity = capacity;
    }
    Data()[mCount++] = vertex;
}

D3DInterface::Vertex D3DInterface::InterpolateVertex(const Vertex& a, const Vertex& b, float t)
{
    Vertex v = a;
    v.x = a.x + (b.x - a.x) * t;
    v.y = a.y + (b.y - a.y) * t;
    v.u = a.u + (b.u - a.u) * t;
    v.v = a.v + (b.v - a.v) * t;
    if (a.diffuse != b.diffuse) {
        uint32_t colour = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int ca = static_cast<int>((a.diffuse >> shift) & 255);
            const int cb = static_cast<int>((b.diffuse >> shift) & 255);
            const int channel = ca + static_cast<int>(static_cast<float>(cb - ca) * t);
            colour |= static_cast<uint32_t>(channel & 255) << shift;
        }
        v.diffuse = colour;
    }
    return v;
}

void D3DInterface::ClipLower(int k, float c, const VertexList& in, VertexList& out)
{
    ClipAgainst<true>(k, c, in, out);
}

void D3DInterface::ClipUpper(int k, float c, const VertexList& in, VertexList& out)
{
    ClipAgainst<false>(k, c, in, out);
}

bool D3DInterface::ClipToRect(const TRect<int>& clipRect, VertexList& polygon)
{
    const float left = static_cast<float>(clipRect.mX);
    const float top = static_cast<float>(clipRect.mY);
    const float right = static_cast<float>(static_cast<int64_t>(clipRect.mX) + clipRect.mWidth);
    const float bottom = static_cast<float>(static_cast<int64_t>(clipRect.mY) + clipRect.mHeight);
    ClipLower(0, left, polygon, mScratch);
    ClipLower(1, top, mScratch, polygon);
    ClipUpper(0, right, polygon, mScratch);
    ClipUpper(1, bottom, mScratch, polygon);
    if (polygon.Count() < 3) {
        return true;
    }
    return DrawFan(polygon, "DrawPrimitive (Tri) 2");
}

void D3DInterface::ClipToPiece(VertexList& polygon)
{
    ClipLower(3, 0.0f, polygon, mScratch);
    ClipLower(4, 0.0f, mScratch, polygon);
    ClipUpper(3, 1.0f, polygon, mScratch);
    ClipUpper(4, 1.0f, mScratch, polygon);
}

bool D3DInterface::DrawFan(const VertexList& polygon, const char* step)
{
    return !CheckDXError(mDevice->DrawPrimitive(Plat::kD3dptTriangleFan, Plat::kTLVertexFvf, polygon.Data(),
                                                static_cast<uint32_t>(polygon.Count()), 0),
                         step);
}

} // namespace Lumo
