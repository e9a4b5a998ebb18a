// The root of the picture classes: size, animation layout and the table of
// drawing operations. The slot order below is shared by MemoryImage and the
// display image; the base bodies draw nothing.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Point.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/Span.h"

#include <string>

namespace Lumo {

class AnimInfo;
class Graphics;
class Matrix3;

namespace TriangleRasterizer {
struct ClipVertex;
}

class Image {
public:
    Image();
    // Copies size, cells and a deep copy of the animation info; the file
    // path stays empty and the drawn flag false.
    Image(const Image& other);
    Image& operator=(const Image&) = delete;

    // Slots 0-16. Draw mode 0 blends normally, 1 adds. Callers clip first
    // (the drawing context does); the slots do not clip.
    virtual ~Image();                                                                          // 0
    virtual bool PolyFill3D(const TPoint<int>* vertices, int count, const TRect<int>* clipRect, // 1
                            const Color& color, int drawMode, int x, int y);
    virtual void FillRect(const TRect<int>& rect, const Color& color, int drawMode);             // 2
    virtual void DrawRect(const TRect<int>& rect, const Color& color, int drawMode);             // 3
    virtual void ClearRect(const TRect<int>& rect);                                              // 4
    virtual void DrawLine(double x1, double y1, double x2, double y2, const Color& color,        // 5
                          int drawMode);
    virtual void DrawLineAA(double x1, double y1, double x2, double y2, const Color& color,      // 6
                            int drawMode);
    virtual void FillScanLines(const Span* spans, int count, const Color& color, int drawMode);  // 7
    virtual void FillScanLinesWithCoverage(const Span* spans, int count, const Color& color,     // 8
                                           int drawMode, const unsigned char* coverage,
                                           int coverageX, int coverageY, int coveragePitch,
                                           int unused);
    virtual void Blt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color,  // 9
                     int drawMode);
    virtual void BltF(Image* image, float x, float y, const TRect<int>& srcRect,                 // 10
                      const TRect<int>& clipRect, const Color& color, int drawMode);
    virtual void BltRotated(Image* image, float x, float y, const TRect<int>& srcRect,           // 11
                            const TRect<int>& clipRect, const Color& color, int drawMode,
                            double angle, float centerX, float centerY);
    virtual void StretchBlt(Image* image, const TRect<int>& destRect, const TRect<int>& srcRect, // 12
                            const TRect<int>& clipRect, const Color& color, int drawMode,
                            bool fastStretch);
    virtual void BltMatrix(Image* image, float x, float y, const Matrix3& matrix,                // 13
                           const TRect<int>& clipRect, const Color& color, int drawMode,
                           const TRect<int>& srcRect, bool blend);
    virtual void BltTrianglesTex(Image* texture, const TriangleRasterizer::ClipVertex (*vertices)[3], // 14
                                 int numTriangles, const TRect<int>& clipRect, const Color& color,
                                 int drawMode, float tx, float ty, bool blend);
    virtual void BltMirror(Image* image, int x, int y, const TRect<int>& srcRect,                // 15
                           const Color& color, int drawMode);
    virtual void StretchBltMirror(Image* image, const TRect<int>& destRect,                      // 16
                                  const TRect<int>& srcRect, const TRect<int>& clipRect,
                                  const Color& color, int drawMode, bool fastStretch);

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }

    // A new drawing context on this image, owned by the caller.
    Graphics* GetGraphics();

    // Rows and columns from the other image; the own animation info is
    // replaced by a copy of the other's (or none).
    void CopyAttributes(Image* other);

    bool mDrawn;           // set on a source whenever a blit draws from it
    std::string mFilePath; // the file the image came from
    int mWidth;
    int mHeight;
    int mNumRows;          // cells of an animation strip
    int mNumCols;
    AnimInfo* mAnimInfo;   // owned; null when the image is not animated
};

} // namespace Lumo
