// The surface image: a memory image whose pixels may also live in a display
// surface in the display's own pixel format. The display wraps its screen,
// back-buffer and cursor-area surfaces in surface images; loaded pictures
// keep a surface copy so that drawing them onto the screen is a
// surface-to-surface blit. Keeps the 32-bit bits and the surface consistent,
// and writes and reads the cached-image record "DDImage:".
#pragma once

#include "framework/graphics/MemoryImage.h"
#include "platform/video/DisplayTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Plat {
class DisplaySurface;
}

namespace Lumo {

class D3DInterface;
class DDInterface;
struct SurfaceView;

class DDImage : public MemoryImage {
public:
    // On the application's display.
    DDImage();
    explicit DDImage(DDInterface* ddInterface);
    DDImage(const DDImage&) = delete;
    DDImage& operator=(const DDImage&) = delete;

    // ---- Slots shared with the memory image. Each drawing slot chooses its
    // route: the 3-D renderer for the display's draw surface while 3-D is
    // on, the loops on the locked surface (in the surface's own pixel
    // format) for an image without alpha or transparency, else the memory
    // image's software body on the bits (on an adopted surface, the touched
    // area is read back and written back around it).
    ~DDImage() override;                                                                        // 0
    bool PolyFill3D(const TPoint<int>* vertices, int count, const TRect<int>* clipRect,         // 1
                    const Color& color, int drawMode, int x, int y) override;
    void FillRect(const TRect<int>& rect, const Color& color, int drawMode) override;          // 2
    void ClearRect(const TRect<int>& rect) override;                                           // 4
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color,              // 5
                  int drawMode) override;
    void DrawLineAA(double x1, double y1, double x2, double y2, const Color& color,            // 6
                    int drawMode) override;
    void FillScanLinesWithCoverage(const Span* spans, int count, const Color& color,           // 8
                                   int drawMode, const unsigned char* coverage, int coverageX,
                                   int coverageY, int coveragePitch, int unused) override;
    void Blt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color,        // 9
             int drawMode) override;
    void BltF(Image* image, float x, float y, const TRect<int>& srcRect,                       // 10
              const TRect<int>& clipRect, const Color& color, int drawMode) override;
    void BltRotated(Image* image, float x, float y, const TRect<int>& srcRect,                 // 11
                    const TRect<int>& clipRect, const Color& color, int drawMode, double angle,
                    float centerX, float centerY) override;
    void StretchBlt(Image* image, const TRect<int>& destRect, const TRect<int>& srcRect,       // 12
                    const TRect<int>& clipRect, const Color& color, int drawMode,
                    bool fastStretch) override;
    void BltMatrix(Image* image, float x, float y, const Matrix3& matrix,                      // 13
                   const TRect<int>& clipRect, const Color& color, int drawMode,
                   const TRect<int>& srcRect, bool blend) override;
    void BltTrianglesTex(Image* texture, const TriangleRasterizer::ClipVertex (*vertices)[3],  // 14
                         int numTriangles, const TRect<int>& clipRect, const Color& color,
                         int drawMode, float tx, float ty, bool blend) override;
    void BltMirror(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color,   // 15
                   int drawMode) override;
    void StretchBltMirror(Image* image, const TRect<int>& destRect, const TRect<int>& srcRect, // 16
                          const TRect<int>& clipRect, const Color& color, int drawMode,
                          bool fastStretch) override;
    void PurgeBits() override;                                                                 // 20
    void DeleteExtraBuffers() override;                                                        // 23
    void ReInit() override;                                                                    // 24
    void BitsChanged() override;                                                               // 25
    void CommitBits() override;                                                                // 26
    void DeleteNativeData() override;                                                          // 27
    void Create(int width, int height) override;                                               // 30
    // The 32-bit bits, read back from the surface when absent; null when the
    // surface may not be locked (or cannot be).
    uint32_t* GetBits() override;                                                              // 31
    bool Palletize() override;                                                                 // 34

    // ---- Operations of the surface image
    // Memory of the surface to be made: video (true) or system memory.
    virtual void SetVideoMemory(bool videoMemory);                                             // 35
    // Makes the surface from the bits; false for an image with partly
    // transparent pixels, or when the surface cannot be made.
    virtual bool GenerateDDSurface();                                                          // 36
    // The loops on the locked surface (16-bit 5:6:5 and 5:5:5, 32-bit). Each
    // locks the surface for its duration (making it when missing), draws
    // nothing when the surface may not or cannot be locked, cuts what it is
    // given to the images, and afterwards leaves the surface as the one
    // copy of the pixels.
    virtual void NormalFillRect(const TRect<int>& rect, const Color& color);                    // 37
    virtual void AdditiveFillRect(const TRect<int>& rect, const Color& color);                  // 38
    virtual void NormalBlt(Image* image, int x, int y, const TRect<int>& srcRect,               // 39
                           const Color& color);
    virtual void AdditiveBlt(Image* image, int x, int y, const TRect<int>& srcRect,             // 40
                             const Color& color);
    virtual void NormalDrawLine(double x1, double y1, double x2, double y2, const Color& color); // 41
    virtual void AdditiveDrawLine(double x1, double y1, double x2, double y2,                   // 42
                                  const Color& color);
    virtual void NormalDrawLineAA(double x1, double y1, double x2, double y2,                   // 43
                                  const Color& color);
    // Draws nothing.
    virtual void AdditiveDrawLineAA(double x1, double y1, double x2, double y2,                 // 44
                                    const Color& color);
    // As NormalBlt and AdditiveBlt, each row written from right to left.
    virtual void NormalBltMirror(Image* image, int x, int y, const TRect<int>& srcRect,         // 45
                                 const Color& color);
    virtual void AdditiveBltMirror(Image* image, int x, int y, const TRect<int>& srcRect,       // 46
                                   const Color& color);
    // Counted: only the outermost pair reaches the surface.
    virtual bool LockSurface();                                                                // 47
    virtual bool UnlockSurface();                                                              // 48
    // Adopts a surface made elsewhere (one reference taken); takes its size.
    virtual void SetSurface(Plat::DisplaySurface* surface);                                    // 49
    // Stores the image in the data cache under group and "DDImage:" + suffix.
    virtual void WriteToCache(const std::string& group, const std::string& suffix);            // 50

    // The surface, generated first when missing (may still be null).
    Plat::DisplaySurface* GetSurface();
    // Releases the surface, reading the pixels back first when no other
    // form holds them.
    void DeleteDDSurface();
    // Frees bits, native data, run-length data, colour table and indices:
    // the surface is then the only copy.
    void DeleteAllNonSurfaceData();
    // A new image on the application's display from the cache record of
    // group and "DDImage:" + suffix; null when there is none or it is damaged.
    static DDImage* ReadFromCache(const std::string& group, const std::string& suffix);

    // ---- The cached-image record
    // Bytes of this image's record.
    size_t CacheRecordSize();
    // Writes the record into area (CacheRecordSize() bytes).
    void WriteCacheRecord(uint8_t* area);
    // A new image on the display from a record; null when the record's size
    // does not match the dimensions it claims.
    static DDImage* ReadCacheRecord(DDInterface* ddInterface, const uint8_t* data, size_t size);
    // The file names a picture of this path may have been read from.
    static std::string CacheFileNames(const std::string& path);

    DDInterface* mDDInterface;     // not owned
    Plat::DisplaySurface* mSurface; // one reference; null when absent
    bool mSurfaceSet;              // adopted through SetSurface
    bool mNoLock;                  // never lock the surface for reading back
    bool mVideoMemory;
    bool mWantDDSurface;
    int mLockCount;
    Plat::SurfaceDesc mLockedSurfaceDesc; // filled by the surface's Lock

private:
    // True when 3-D draws onto this image's surface (the display's draw surface).
    bool Is3DTarget() const;
    // The display's 3-D renderer (while Is3DTarget()).
    D3DInterface* Renderer() const;
    // Blt on the 3-D target: a display blit for a plain opaque surface
    // source, else the renderer.
    void BltOn3DTarget(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, int drawMode);
    // Coverage spans on the 3-D target: filled into a picture of their
    // bounding box, which the renderer draws.
    void CoverageThroughImage(const Span* spans, int count, const Color& color, int drawMode,
                              const unsigned char* coverage, int coverageX, int coverageY, int coveragePitch,
                              int unused);
    // The display draws in 2-D and this image has neither alpha nor
    // transparency (after CommitBits): its drawing goes to the surface loops.
    bool SurfaceRouteOpen() const;
    // Locks the surface (making it when missing) for a loop; false, with
    // nothing locked, when it may not or cannot be, or has a layout the
    // loops do not draw.
    bool BeginSurfaceLoop(SurfaceView& view);
    // Unlocks, and drops every other copy of the pixels.
    void EndSurfaceLoop();
    // Drops every other copy of the pixels when the surface holds the picture.
    void KeepSurfaceOnly();
    // One display blit from source's surface onto this image's surface
    // (releasing a lock held on this image around it); false when it failed.
    bool BltFromSurface(DDImage* source, const Plat::DisplayRect& destRect, const Plat::DisplayRect& srcRect);
    // The nearest-pixel stretch loops (rects clipped, dest inside this image).
    void StretchLoop(MemoryImage* source, const TRect<int>& destRect, const TRect<double>& srcRect,
                     const Color& color, int drawMode, bool mirror);
    // Draws a horizontal or vertical line as a fill; false for a slanted one.
    bool AxisLineAsFill(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
    // DrawLine and DrawLineAA: the surface loops or the software body.
    void RouteLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode, bool smooth);
    // The slanted-line loops on the locked surface.
    enum class LineStyle { kNormal, kAdditive, kSmooth };
    void SurfaceLine(double x1, double y1, double x2, double y2, const Color& color, LineStyle style);
    // The coverage-span loop.
    void CoverageLoop(const Span* spans, int count, const Color& color, const unsigned char* coverage,
                      int coverageX, int coverageY, int coveragePitch);
    // The bilinear rotation loops.
    void RotateLoop(MemoryImage* source, float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect,
                    const Color& color, int drawMode, double angle, float centerX, float centerY);
    // The unscaled blit loops (normal or additive, straight or mirrored).
    void BlitLoop(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, bool additive,
                  bool mirror);
    // Runs a software body on the bits. On an adopted surface only reach
    // (inside the image; a superset of what the body reads and writes) is
    // read back first and written back afterwards, so a primitive costs the
    // area it draws rather than the whole surface.
    template <typename Body>
    void DrawSoftware(const TRect<int>& reach, Body body);
    // The bits into the locked surface, converted to its format (opaque).
    bool WriteBitsToSurface();
    // Between the bits and the locked surface (16 or 32 bits per pixel),
    // converting; area lies inside the image.
    void ReadSurfaceArea(const TRect<int>& area);
    void WriteSurfaceArea(const TRect<int>& area);
    // Releases the surface without reading it back.
    void ReleaseSurface();

    bool mKeepSurface; // a software body runs on an adopted surface's bits
    // The bits lent to software bodies on an adopted surface, kept between
    // operations so that drawing allocates nothing; only the drawn area of
    // it is ever valid.
    std::unique_ptr<uint32_t[]> mDrawBits;
    size_t mDrawBitsCount;
};

} // namespace Lumo
