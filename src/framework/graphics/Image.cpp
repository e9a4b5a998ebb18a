// The image base: construction, attributes, and the bodies that draw
// nothing or reduce to FillRect.
#include "framework/graphics/Image.h"

#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Graphics.h"

namespace Lumo {

Image::Image() : mDrawn(false), mWidth(0), mHeight(0), mNumRows(1), mNumCols(1), mAnimInfo(nullptr) {}

Image::Image(const Image& other)
    : mDrawn(false),
      mWidth(other.mWidth),
      mHeight(other.mHeight),
      mNumRows(other.mNumRows),
      mNumCols(other.mNumCols),
      mAnimInfo(other.mAnimInfo != nullptr ? new AnimInfo(*other.mAnimInfo) : nullptr)
{
}

Image::~Image()
{
    delete mAnimInfo;
}

void Image::CopyAttributes(Image* other)
{
    mNumRows = other->mNumRows;
    mNumCols = other->mNumCols;
    if (other == this) {
        return;
    }
    delete mAnimInfo;
    mAnimInfo = other->mAnimInfo != nullptr ? new AnimInfo(*other->mAnimInfo) : nullptr;
}

Graphics* Image::GetGraphics()
{
    return new Graphics(this);
}

bool Image::PolyFill3D(const TPoint<int>*, int, const TRect<int>*, const Color&, int, int, int)
{
    return false;
}

void Image::FillRect(const TRect<int>&, const Color&, int) {}

// The outline covers (w + 1) x (h + 1) pixels: its right and bottom edges lie
// on x + w and y + h.
void Image::DrawRect(const TRect<int>& rect, const Color& color, int drawMode)
{
    const int x = rect.mX;
    const int y = rect.mY;
    const int w = rect.mWidth;
    const int h = rect.mHeight;
    FillRect(TRect<int>(x, y, w + 1, 1), color, drawMode);
    FillRect(TRect<int>(x, y + h, w + 1, 1), color, drawMode);
    FillRect(TRect<int>(x, y + 1, 1, h - 1), color, drawMode);
    FillRect(TRect<int>(x + w, y + 1, 1, h - 1), color, drawMode);
}

void Image::ClearRect(const TRect<int>&) {}

void Image::DrawLine(double, double, double, double, const Color&, int) {}

void Image::DrawLineAA(double, double, double, double, const Color&, int) {}

void Image::FillScanLines(const Span* spans, int count, const Color& color, int drawMode)
{
    for (int i = 0; i < count; ++i) {
        FillRect(TRect<int>(spans[i].mX, spans[i].mY, spans[i].mWidth, 1), color, drawMode);
    }
}

void Image::FillScanLinesWithCoverage(const Span*, int, const Color&, int, const unsigned char*, int, int, int, int) {}

void Image::Blt(Image*, int, int, const TRect<int>&, const Color&, int) {}

void Image::BltF(Image*, float, float, const TRect<int>&, const TRect<int>&, const Color&, int) {}

void Image::BltRotated(Image*, float, float, const TRect<int>&, const TRect<int>&, const Color&, int, double, float,
                       float)
{
}

void Image::StretchBlt(Image*, const TRect<int>&, const TRect<int>&, const TRect<int>&, const Color&, int, bool) {}

void Image::BltMatrix(Image*, float, float, const Matrix3&, const TRect<int>&, const Color&, int, const TRect<int>&,
                      bool)
{
}

void Image::BltTrianglesTex(Image*, const TriangleRasterizer::ClipVertex (*)[3], int, const TRect<int>&, const Color&,
                            int, float, float, bool)
{
}

void Image::BltMirror(Image*, int, int, const TRect<int>&, const Color&, int) {}

void Image::StretchBltMirror(Image*, const TRect<int>&, const TRect<int>&, const TRect<int>&, const Color&, int, bool)
{
}

} // namespace Lumo
