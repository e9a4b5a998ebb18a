// The 3-D renderer: start, scenes, states and the drawing entries.
#include "framework/display/D3DInterface.h"

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DirectXErrorString.h"
#include "framework/display/TextureData.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/video/D3DDevice.h"
#include "platform/video/D3DObject.h"
#include "platform/video/DisplayDevice.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"

#include <algorithm>
#include <cmath>

namespace Lumo {

D3DTextureLimits gD3DLimits;
std::string gD3DLastError;

namespace {

bool gRenderTargetLost = false;
bool gLinearFilter = false;

inline uint32_t Diffuse(const Color& color)
{
    return (static_cast<uint32_t>(color.mAlpha & 255) << 24) | (static_cast<uint32_t>(color.mRed & 255) << 16) |
           (static_cast<uint32_t>(color.mGreen & 255) << 8) | static_cast<uint32_t>(color.mBlue & 255);
}

inline D3DInterface::Vertex MakeVertex(float x, float y, uint32_t diffuse, float u, float v)
{
    D3DInterface::Vertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.diffuse = diffuse;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

// The source rect cut to the image; false when nothing is left.
bool CutToImage(const TRect<int>& srcRect, const MemoryImage* image, TRect<int>& cut)
{
    cut = srcRect.Intersection(TRect<int>(0, 0, image->mWidth, image->mHeight));
    return cut.mWidth > 0 && cut.mHeight > 0;
}

// One texture piece's share of a source rectangle: the source pixels
// [left, right) x [top, bottom) and where they lie in the piece's texture.
struct PieceCut {
    TextureData::Piece& piece;
    int left;
    int top;
    int right;
    int bottom;
    float u0;
    float v0;
    float u1;
    float v1;
};

// Hands cut(PieceCut) every piece the (non-empty, inside the image) source
// rectangle overlaps, row by row.
template <typename Cut>
void ForEachPieceCut(TextureData& data, const TRect<int>& src, Cut cut)
{
    const int pw = data.mPieceWidth;
    const int ph = data.mPieceHeight;
    for (int row = src.mY / ph; row <= (src.mY + src.mHeight - 1) / ph; ++row) {
        for (int column = src.mX / pw; column <= (src.mX + src.mWidth - 1) / pw; ++column) {
            TextureData::Piece& piece = data.GetPiece(column, row);
            const int left = std::max(src.mX, column * pw);
            const int top = std::max(src.mY, row * ph);
            const int right = std::min(src.mX + src.mWidth, column * pw + pw);
            const int bottom = std::min(src.mY + src.mHeight, row * ph + ph);
            const float width = static_cast<float>(piece.width);
            const float height = static_cast<float>(piece.height);
            cut(PieceCut{piece, left, top, right, bottom, static_cast<float>(left - column * pw) / width,
                         static_cast<float>(top - row * ph) / height, static_cast<float>(right - column * pw) / width,
                         static_cast<float>(bottom - row * ph) / height});
        }
    }
}

inline bool Finite(float value)
{
    return std::isfinite(value);
}

} // namespace

D3DInterface::D3DInterface()
    : mWindow(nullptr),
      mWidth(640),
      mHeight(480),
      mDDInterface(nullptr),
      mDD7(nullptr),
      mDrawSurface(nullptr),
      mD3D(nullptr),
      mDevice(nullptr),
      mSceneBegun(false),
      mIsWindowed(true),
      mTransformSet(false),
      mTriangleListCount(0)
{
}

D3DInterface::~D3DInterface()
{
    Cleanup();
}

bool D3DInterface::CheckDXError(Plat::HResult result, const char* step)
{
    if (!Plat::Failed(result)) {
        return false;
    }
    const std::string text = std::string(step) + ": " + GetDirectXErrorString(result);
    gD3DLastError = text;
    gD3DTrouble = true;
    // Each write is a file save: only a new text is stored.
    if (text != mStoredError && mDDInterface != nullptr && mDDInterface->mApp != nullptr) {
        mDDInterface->mApp->RegistryWriteString("Test3D\\RuntimeError", text);
        mStoredError = text;
    }
    return true;
}

bool D3DInterface::Init(DDInterface* display)
{
    gD3DLastError.clear();
    Cleanup();
    mDDInterface = display;
    mWindow = display->mWindow;
    mDD7 = display->mDD7 != nullptr ? display->mDD7 : display->mDD;
    mWidth = display->mWidth;
    mHeight = display->mHeight;
    if (display->mDrawSurface == nullptr) {
        CheckDXError(Plat::DDERR_INVALIDOBJECT, "Query DrawSurface");
        return false;
    }
    mDrawSurface = display->mDrawSurface;
    mDrawSurface->AddRef();
    mIsWindowed = display->mIsWindowed;
    return InitD3D();
}

bool D3DInterface::InitD3D()
{
    if (mDD7 == nullptr || CheckDXError(mDD7->QueryInterface(&mD3D), "QueryInterface IID_IDirect3D7") ||
        CheckDXError(mD3D->CreateDevice(mDrawSurface, &mDevice), "CreateDevice IID_IDirect3DHALDevice")) {
        return false;
    }
    Plat::D3DDeviceDesc desc;
    if (CheckDXError(mDevice->GetCaps(&desc), "GetCaps")) {
        return false;
    }
    D3DTextureLimits limits;
    limits.powerOfTwo = (desc.textureCaps & Plat::kD3dptexturecapsNonPow2Conditional) == 0;
    if (desc.maxTextureWidth == 0) {
        limits.minWidth = limits.minHeight = limits.maxWidth = limits.maxHeight = 64;
        limits.maxAspect = 1;
    } else {
        // Held to sane bounds: a zero or huge limit would loop or overflow
        // in the piece sizing.
        auto hold = [](uint32_t value, int low, int high) {
            return static_cast<int>(std::clamp<uint32_t>(value, uint32_t(low), uint32_t(high)));
        };
        limits.minWidth = hold(desc.minTextureWidth, 1, 1024);
        limits.minHeight = hold(desc.minTextureHeight, 1, 1024);
        limits.maxWidth = hold(desc.maxTextureWidth, 1, 1024);
        limits.maxHeight = hold(desc.maxTextureHeight == 0 ? desc.maxTextureWidth : desc.maxTextureHeight, 1, 1024);
        limits.maxAspect = desc.maxTextureAspectRatio == 0 ? 65536 : hold(desc.maxTextureAspectRatio, 1, 65536);
        limits.minWidth = std::min(limits.minWidth, limits.maxWidth);
        limits.minHeight = std::min(limits.minHeight, limits.maxHeight);
    }
    int formats = 0;
    mDevice->EnumTextureFormats(&CollectTextureFormat, &formats);
    if ((desc.textureCaps & Plat::kD3dptexturecapsAlphaPalette) == 0) {
        formats &= ~kTextureFormatPalette8;
    }
    limits.formats = formats;
    gD3DLimits = limits;

    Plat::D3DViewport viewport;
    viewport.width = mWidth;
    viewport.height = mHeight;
    if (CheckDXError(mDevice->SetViewport(viewport), "SetViewport") ||
        CheckDXError(mDevice->Clear(Plat::kD3dclearTarget, 0xFF000000u, 1.0f, 0), "Clear")) {
        return false;
    }
    return true;
}

void D3DInterface::Cleanup()
{
    if (mSceneBegun && mDevice != nullptr) {
        mDevice->EndScene();
        gD3DLastError.clear();
    }
    mSceneBegun = false;
    for (MemoryImage* image : mImages) {
        delete image->mTextureData;
        image->mTextureData = nullptr;
    }
    mImages.clear();
    if (mDevice != nullptr) {
        mDevice->Release();
        mDevice = nullptr;
    }
    if (mD3D != nullptr) {
        mD3D->Release();
        mD3D = nullptr;
    }
    if (mDrawSurface != nullptr) {
        mDrawSurface->Release();
        mDrawSurface = nullptr;
    }
    mDD7 = nullptr;
}

bool D3DInterface::PrepareScene()
{
    if (mDDInterface != nullptr && mDDInterface->mApp != nullptr && mDDInterface->mApp->minimized) {
        return false;
    }
    if (mDevice == nullptr) {
        return false;
    }
    if (mSceneBegun) {
        return true;
    }
    if (Plat::Failed(mDevice->SetRenderTarget(mDrawSurface))) {
        gRenderTargetLost = true;
        return false;
    }
    gRenderTargetLost = false;
    if (CheckDXError(mDevice->BeginScene(), "BeginScene")) {
        return false;
    }
    const struct {
        uint32_t state;
        uint32_t value;
    } states[] = {
        {Plat::kD3drsAlphaBlendEnable, 1},
        {Plat::kD3drsSrcBlend, Plat::kD3dblendSrcAlpha},
        {Plat::kD3drsDestBlend, Plat::kD3dblendInvSrcAlpha},
        {Plat::kD3drsLighting, 0},
        {Plat::kD3drsDitherEnable, 0},
        {Plat::kD3drsSpecularEnable, 0},
        {Plat::kD3drsZWriteEnable, 0},
        {Plat::kD3drsZEnable, 0},
        {Plat::kD3drsCullMode, Plat::kD3dcullNone},
    };
    for (const auto& s : states) {
        CheckDXError(mDevice->SetRenderState(s.state, s.value), "SetRenderState");
    }
    const struct {
        uint32_t state;
        uint32_t value;
    } stages[] = {
        {Plat::kD3dtssMinFilter, Plat::kD3dtfPoint},   {Plat::kD3dtssMagFilter, Plat::kD3dtfPoint},
        {Plat::kD3dtssMipFilter, Plat::kD3dtfpNone},   {Plat::kD3dtssAlphaOp, Plat::kD3dtopModulate},
        {Plat::kD3dtssAddressU, Plat::kD3dtaddressClamp}, {Plat::kD3dtssAddressV, Plat::kD3dtaddressClamp},
    };
    for (const auto& s : stages) {
        CheckDXError(mDevice->SetTextureStageState(0, s.state, s.value), "SetTextureStageState");
    }
    mSceneBegun = true;
    gLinearFilter = false;
    return true;
}

void D3DInterface::EndScene()
{
    if (mSceneBegun && mDevice != nullptr) {
        mDevice->EndScene();
        mSceneBegun = false;
        gD3DLastError.clear();
    }
}

void D3DInterface::SetBlendMode(int drawMode)
{
    CheckDXError(mDevice->SetRenderState(Plat::kD3drsSrcBlend, Plat::kD3dblendSrcAlpha), "SetRenderState");
    CheckDXError(mDevice->SetRenderState(Plat::kD3drsDestBlend,
                                         drawMode == 1 ? Plat::kD3dblendOne : Plat::kD3dblendInvSrcAlpha),
                 "SetRenderState");
}

void D3DInterface::SetLinearFilter(bool linear)
{
    if (linear == gLinearFilter) {
        return;
    }
    const char* step = linear ? "SetTextureStageState LINEAR" : "SetTextureStageState Point";
    CheckDXError(mDevice->SetTextureStageState(0, Plat::kD3dtssMinFilter, linear ? Plat::kD3dtfLinear
                                                                                  : Plat::kD3dtfPoint),
                 step);
    CheckDXError(mDevice->SetTextureStageState(0, Plat::kD3dtssMagFilter, linear ? Plat::kD3dtfLinear
                                                                                  : Plat::kD3dtfPoint),
                 step);
    CheckDXError(mDevice->SetTextureStageState(0, Plat::kD3dtssMipFilter, linear ? Plat::kD3dtfpPoint
                                                                                  : Plat::kD3dtfpNone),
                 step);
    gLinearFilter = linear;
}

MemoryImage* D3DInterface::BeginTextured(Image* image, int drawMode)
{
    if (image == nullptr || !PrepareScene()) {
        return nullptr;
    }
    MemoryImage* memoryImage = dynamic_cast<MemoryImage*>(image);
    if (memoryImage == nullptr || !CreateTextureData(memoryImage)) {
        return nullptr;
    }
    SetBlendMode(drawMode);
    return memoryImage;
}

bool D3DInterface::DrawStrip(const Vertex* quad, const char* step)
{
    return !CheckDXError(mDevice->DrawPrimitive(Plat::kD3dptTriangleStrip, Plat::kTLVertexFvf, quad, 4, 0), step);
}

bool D3DInterface::Blt(Image* image, float x, float y, const TRect<int>& srcRect, const Color& color, int drawMode,
                       bool linear)
{
    if (mTransformSet) {
        return BltF(image, x, y, srcRect, TRect<int>(0, 0, mWidth, mHeight), color, drawMode);
    }
    MemoryImage* source = BeginTextured(image, drawMode);
    if (source == nullptr) {
        return false;
    }
    SetLinearFilter(linear);
    TRect<int> src;
    if (!CutToImage(srcRect, source, src)) {
        return true;
    }
    // What the cut took off the left and top moves the picture along.
    x += static_cast<float>(src.mX - srcRect.mX);
    y += static_cast<float>(src.mY - srcRect.mY);
    const uint32_t diffuse = Diffuse(color);
    bool ok = true;
    ForEachPieceCut(*source->mTextureData, src, [&](const PieceCut& c) {
        const float x0 = x - 0.5f + static_cast<float>(c.left - src.mX);
        const float y0 = y - 0.5f + static_cast<float>(c.top - src.mY);
        const float x1 = x0 + static_cast<float>(c.right - c.left);
        const float y1 = y0 + static_cast<float>(c.bottom - c.top);
        const Vertex quad[4] = {MakeVertex(x0, y0, diffuse, c.u0, c.v0), MakeVertex(x1, y0, diffuse, c.u1, c.v0),
                                MakeVertex(x0, y1, diffuse, c.u0, c.v1), MakeVertex(x1, y1, diffuse, c.u1, c.v1)};
        if (CheckDXError(mDevice->SetTexture(0, c.piece.texture), "SetTexture gTexture")) {
            ok = false;
            return;
        }
        ok = DrawStrip(quad, "DrawPrimitive (Tri) 1") && ok;
    });
    return ok;
}

bool D3DInterface::BltTransformed(Image* image, const TRect<int>* srcRect, const TRect<int>* clipRect,
                                  const Color& color, int drawMode, const Matrix3& matrix, bool linear, float x,
                                  float y, bool center)
{
    MemoryImage* source = BeginTextured(image, drawMode);
    if (source == nullptr) {
        return false;
    }
    SetLinearFilter(linear);
    const TRect<int> whole(0, 0, source->mWidth, source->mHeight);
    const TRect<int> asked = srcRect != nullptr ? *srcRect : whole;
    TRect<int> src;
    if (!CutToImage(asked, source, src)) {
        return true;
    }
    const uint32_t diffuse = Diffuse(color);
    const float offsetX = center ? -static_cast<float>(asked.mWidth) / 2.0f : 0.0f;
    const float offsetY = center ? -static_cast<float>(asked.mHeight) / 2.0f : 0.0f;
    // Pixel centres sit at whole coordinates: a corner lies half a pixel before.
    const float moveX = x - 0.5f;
    const float moveY = y - 0.5f;
    float clipLeft = 0.0f;
    float clipTop = 0.0f;
    float clipRight = 0.0f;
    float clipBottom = 0.0f;
    if (clipRect != nullptr) {
        clipLeft = static_cast<float>(clipRect->mX);
        clipTop = static_cast<float>(clipRect->mY);
        clipRight = static_cast<float>(int64_t(clipRect->mX) + clipRect->mWidth);
        clipBottom = static_cast<float>(int64_t(clipRect->mY) + clipRect->mHeight);
    }
    bool ok = true;
    ForEachPieceCut(*source->mTextureData, src, [&](const PieceCut& c) {
        const float ix[2] = {static_cast<float>(c.left - asked.mX) + offsetX,
                             static_cast<float>(c.right - asked.mX) + offsetX};
        const float iy[2] = {static_cast<float>(c.top - asked.mY) + offsetY,
                             static_cast<float>(c.bottom - asked.mY) + offsetY};
        const float u[2] = {c.u0, c.u1};
        const float v[2] = {c.v0, c.v1};
        // Strip order: top-left, top-right, bottom-left, bottom-right.
        Vertex quad[4];
        bool outside = false;
        bool finite = true;
        for (int corner = 0; corner < 4; ++corner) {
            const int cx = corner & 1;
            const int cy = corner >> 1;
            const Matrix3::Vector2 p = matrix.TransformPoint(ix[cx], iy[cy]);
            quad[corner] = MakeVertex(p.mX + moveX, p.mY + moveY, diffuse, u[cx], v[cy]);
            finite = finite && Finite(quad[corner].x) && Finite(quad[corner].y);
            outside = outside || (clipRect != nullptr &&
                                  (quad[corner].x < clipLeft || quad[corner].x > clipRight ||
                                   quad[corner].y < clipTop || quad[corner].y > clipBottom));
        }
        if (!finite) {
            return;
        }
        if (CheckDXError(mDevice->SetTexture(0, c.piece.texture), "SetTexture gTexture")) {
            ok = false;
            return;
        }
        if (outside) {
            mVertices.Clear();
            mVertices.Push(quad[0]);
            mVertices.Push(quad[1]);
            mVertices.Push(quad[3]);
            mVertices.Push(quad[2]);
            ok = ClipToRect(*clipRect, mVertices) && ok;
        } else {
            ok = DrawStrip(quad, "DrawPrimitive (Tri) 3") && ok;
        }
    });
    return ok;
}

bool D3DInterface::BltF(Image* image, float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect,
                        const Color& color, int drawMode)
{
    Matrix3 matrix;
    matrix.Translate(x, y);
    return BltTransformed(image, &srcRect, &clipRect, color, drawMode, matrix, true, 0.0f, 0.0f, false);
}

bool D3DInterface::BltMirror(Image* image, float x, float y, const TRect<int>& srcRect, const Color& color,
                             int drawMode)
{
    Matrix3 matrix;
    matrix.Translate(-static_cast<float>(srcRect.mWidth), 0.0f);
    matrix.Scale(-1.0f, 1.0f);
    matrix.Translate(x, y);
    return BltTransformed(image, &srcRect, nullptr, color, drawMode, matrix, false, 0.0f, 0.0f, false);
}

bool D3DInterface::StretchBlt(Image* image, const TRect<int>& destRect, const TRect<int>& srcRect,
                              const TRect<int>& clipRect, const Color& color, int drawMode, bool fastStretch,
                              bool mirror)
{
    if (srcRect.mWidth <= 0 || srcRect.mHeight <= 0) {
        return false;
    }
    const float sx = static_cast<float>(destRect.mWidth) / static_cast<float>(srcRect.mWidth);
    const float sy = static_cast<float>(destRect.mHeight) / static_cast<float>(srcRect.mHeight);
    Matrix3 matrix;
    if (mirror) {
        matrix.Translate(-static_cast<float>(srcRect.mWidth), 0.0f);
        matrix.Scale(-sx, sy);
    } else {
        matrix.Scale(sx, sy);
    }
    matrix.Translate(static_cast<float>(destRect.mX), static_cast<float>(destRect.mY));
    return BltTransformed(image, &srcRect, &clipRect, color, drawMode, matrix, !fastStretch, 0.0f, 0.0f, false);
}

bool D3DInterface::BltRotated(Image* image, float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect,
                              const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    Matrix3 matrix;
    matrix.Translate(-centerX, -centerY);
    matrix.RotateRadians(static_cast<float>(angle));
    matrix.Translate(x + centerX, y + centerY);
    return BltTransformed(image, &srcRect, &clipRect, color, drawMode, matrix, true, 0.0f, 0.0f, false);
}

bool D3DInterface::FlushTriangleList()
{
    if (mTriangleListCount == 0) {
        return true;
    }
    const uint32_t count = static_cast<uint32_t>(mTriangleListCount);
    mTriangleListCount = 0;
    return !CheckDXError(
        mDevice->DrawPrimitive(Plat::kD3dptTriangleList, Plat::kTLVertexFvf, mTriangleList, count, 0),
        "DrawPrimitive (TriList)");
}

void D3DInterface::DrawTrianglesSplit(MemoryImage* image, const Vertex* triangle)
{
    TextureData& data = *image->mTextureData;
    float minU = triangle[0].u;
    float maxU = minU;
    float minV = triangle[0].v;
    float maxV = minV;
    for (int i = 1; i < 3; ++i) {
        minU = std::min(minU, triangle[i].u);
        maxU = std::max(maxU, triangle[i].u);
        minV = std::min(minV, triangle[i].v);
        maxV = std::max(maxV, triangle[i].v);
    }
    const int firstColumn = std::max(0, static_cast<int>(std::floor(std::max(minU, -1.0f))));
    const int lastColumn = std::min(data.mPiecesAcross, static_cast<int>(std::ceil(std::min(maxU, 65536.0f))));
    const int firstRow = std::max(0, static_cast<int>(std::floor(std::max(minV, -1.0f))));
    const int lastRow = std::min(data.mPiecesDown, static_cast<int>(std::ceil(std::min(maxV, 65536.0f))));
    for (int row = firstRow; row < lastRow; ++row) {
        for (int column = firstColumn; column < lastColumn; ++column) {
            TextureData::Piece& piece = data.GetPiece(column, row);
            const float scaleU = column == data.mPiecesAcross - 1
                                     ? static_cast<float>(data.mPieceWidth) / static_cast<float>(piece.width)
                                     : 1.0f;
            const float scaleV = row == data.mPiecesDown - 1
                                     ? static_cast<float>(data.mPieceHeight) / static_cast<float>(piece.height)
                                     : 1.0f;
            mPieceScratch.Clear();
            for (int i = 0; i < 3; ++i) {
                Vertex vertex = triangle[i];
                vertex.u = (vertex.u - static_cast<float>(column)) * scaleU;
                vertex.v = (vertex.v - static_cast<float>(row)) * scaleV;
                mPieceScratch.Push(vertex);
            }
            ClipToPiece(mPieceScratch);
            if (mPieceScratch.Count() < 3) {
                continue;
            }
            if (CheckDXError(mDevice->SetTexture(0, piece.texture), "SetTexture gTexture")) {
                continue;
            }
            DrawFan(mPieceScratch, "DrawPrimitive (Tri) 4");
        }
    }
}

bool D3DInterface::BltTriangles(Image* image, const TriangleRasterizer::ClipVertex (*vertices)[3], int count,
                                const Color& color, int drawMode, float x, float y, bool linear)
{
    MemoryImage* source = BeginTextured(image, drawMode);
    if (source == nullptr || vertices == nullptr) {
        return false;
    }
    SetLinearFilter(linear);
    TextureData& data = *source->mTextureData;
    const uint32_t diffuse = Diffuse(color);
    const bool split = data.mPiecesAcross > 1 || data.mPiecesDown > 1;
    if (!split && CheckDXError(mDevice->SetTexture(0, data.GetPiece(0, 0).texture), "SetTexture gTexture")) {
        return false;
    }
    mTriangleListCount = 0;
    bool ok = true;
    for (int t = 0; t < count; ++t) {
        Vertex triangle[3];
        bool finite = true;
        for (int i = 0; i < 3; ++i) {
            const TriangleRasterizer::ClipVertex& corner = vertices[t][i];
            triangle[i] = MakeVertex(corner.mX + x, corner.mY + y, corner.mColor != 0 ? corner.mColor : diffuse,
                                     corner.mU * data.mMaxU, corner.mV * data.mMaxV);
            finite = finite && Finite(triangle[i].x) && Finite(triangle[i].y) && Finite(triangle[i].u) &&
                     Finite(triangle[i].v);
        }
        if (!finite) {
            continue;
        }
        if (split) {
            DrawTrianglesSplit(source, triangle);
            continue;
        }
        for (const Vertex& vertex : triangle) {
            mTriangleList[mTriangleListCount++] = vertex;
        }
        if (mTriangleListCount == 300) {
            ok = FlushTriangleList() && ok;
        }
    }
    return FlushTriangleList() && ok;
}

bool D3DInterface::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (!PrepareScene()) {
        return false;
    }
    if (CheckDXError(mDevice->SetTexture(0, nullptr), "SetTexture NULL")) {
        return false;
    }
    SetBlendMode(drawMode);
    const uint32_t diffuse = Diffuse(color);
    // Lines leave out their last pixel: a third point one pixel on along the
    // longer axis draws the end point too.
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    double stepX = 0.0;
    double stepY = 0.0;
    if (std::fabs(dx) >= std::fabs(dy)) {
        stepX = dx < 0.0 ? -1.0 : 1.0;
    } else {
        stepY = dy < 0.0 ? -1.0 : 1.0;
    }
    const Vertex line[3] = {
        MakeVertex(static_cast<float>(x1), static_cast<float>(y1), diffuse, 0.0f, 0.0f),
        MakeVertex(static_cast<float>(x2), static_cast<float>(y2), diffuse, 0.0f, 0.0f),
        MakeVertex(static_cast<float>(x2 + stepX), static_cast<float>(y2 + stepY), diffuse, 0.0f, 0.0f)};
    return !CheckDXError(mDevice->DrawPrimitive(Plat::kD3dptLineStrip, Plat::kTLVertexFvf, line, 3, 0),
                         "DrawPrimitive (Line)");
}

bool D3DInterface::FillRect(const TRect<int>& rect, const Color& color, int drawMode)
{
    if (!PrepareScene()) {
        return false;
    }
    if (CheckDXError(mDevice->SetTexture(0, nullptr), "SetTexture NULL")) {
        return false;
    }
    SetBlendMode(drawMode);
    const uint32_t diffuse = Diffuse(color);
    const float x0 = static_cast<float>(rect.mX) - 0.5f;
    const float y0 = static_cast<float>(rect.mY) - 0.5f;
    const float x1 = static_cast<float>(int64_t(rect.mX) + rect.mWidth) - 0.5f;
    const float y1 = static_cast<float>(int64_t(rect.mY) + rect.mHeight) - 0.5f;
    const Vertex quad[4] = {MakeVertex(x0, y0, diffuse, 0, 0), MakeVertex(x1, y0, diffuse, 0, 0),
                            MakeVertex(x0, y1, diffuse, 0, 0), MakeVertex(x1, y1, diffuse, 0, 0)};
    return DrawStrip(quad, "DrawPrimitive (Rect)");
}

bool D3DInterface::FillPoly(const TPoint<int>* points, int count, const TRect<int>* clipRect, const Color& color,
                            int drawMode, int x, int y)
{
    if (points == nullptr || count < 3 || !PrepareScene()) {
        return false;
    }
    if (CheckDXError(mDevice->SetTexture(0, nullptr), "SetTexture NULL")) {
        return false;
    }
    SetBlendMode(drawMode);
    const uint32_t diffuse = Diffuse(color);
    mVertices.Clear();
    for (int i = 0; i < count; ++i) {
        float px = static_cast<float>(points[i].mX + x);
        float py = static_cast<float>(points[i].mY + y);
        if (mTransformSet) {
            const Matrix3::Vector2 p = mTransform.TransformPoint(px, py);
            px = p.mX;
            py = p.mY;
        }
        mVertices.Push(MakeVertex(px, py, diffuse, 0.0f, 0.0f));
    }
    if (clipRect == nullptr) {
        return DrawFan(mVertices, "DrawPrimitive (FillPoly)");
    }
    return ClipToRect(*clipRect, mVertices);
}

} // namespace Lumo
