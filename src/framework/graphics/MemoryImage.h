// A picture held in main memory as 32-bit 0xAARRGGBB words, with the forms
// derived from it on demand: a 256-colour palette form, a premultiplied copy
// in the display's pixel format, and run-length tables that let the blitters
// skip transparent, opaque or black runs. Every memory image is registered
// with the application from the end of its construction to the start of its
// destruction.
#pragma once

#include "framework/graphics/Image.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Lumo {

class LumoAppBase;
class NativeDisplay;
class TextureData;

class MemoryImage : public Image {
public:
    // The process's application object.
    MemoryImage();
    explicit MemoryImage(LumoAppBase* app);
    // Copies every present form; the source's pixels are made for the copy
    // when it has neither bits nor a palette, and dropped again afterwards.
    MemoryImage(const MemoryImage& other);
    MemoryImage& operator=(const MemoryImage&) = delete;

    // Image slots 0-16 (BltMirror and StretchBltMirror draw nothing here).
    ~MemoryImage() override;                                                                    // 0
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

    // Slots 17-34.
    // The pixels in the display's format, premultiplied (256 words in palette form).
    virtual uint32_t* GetNativeAlphaData(NativeDisplay* display);                                // 17
    // One byte per pixel: pixels from here to the end of its alpha run (0 / 255 / between).
    virtual uint8_t* GetRLAlphaData();                                                           // 18
    // One byte per pixel: pixels from here to the end of its black / non-black run.
    virtual uint8_t* GetRLAdditiveData(NativeDisplay* display);                                  // 19
    virtual void PurgeBits();                                                                    // 20
    virtual void DeleteSWBuffers();                                                              // 21
    virtual void Delete3DBuffers();                                                              // 22
    virtual void DeleteExtraBuffers();                                                           // 23
    virtual void ReInit();                                                                       // 24
    // Every pixel-writing operation ends with it: new bits version, derived forms dropped.
    virtual void BitsChanged();                                                                  // 25
    // Rescans the alpha bytes into the transparency flags when the bits changed.
    virtual void CommitBits();                                                                   // 26
    virtual void DeleteNativeData();                                                             // 27
    virtual void Clear();                                                                        // 28
    virtual void SetBits(const uint32_t* bits, int width, int height, bool commitBits = true);   // 29
    virtual void Create(int width, int height);                                                  // 30
    // The 32-bit pixels, made from the other forms (or zeros) when absent.
    virtual uint32_t* GetBits();                                                                 // 31
    virtual void SetImageMode(bool hasTrans, bool hasAlpha);                                     // 32
    virtual void SetVolatile(bool isVolatile);                                                   // 33
    // Turns an image of at most 256 colours into its palette form.
    virtual bool Palletize();                                                                    // 34

    // Clipping for the stretched blits: false when nothing is left.
    static bool ClipStretchRects(const TRect<int>& srcRect, const TRect<int>& clipRect, const TRect<int>& destRect,
                                 TRect<double>& clippedSrc, TRect<int>& clippedDest);
    // The same with the source counted from its right edge.
    static bool ClipStretchRectsMirror(const TRect<int>& srcRect, const TRect<int>& clipRect,
                                       const TRect<int>& destRect, TRect<double>& clippedSrc,
                                       TRect<int>& clippedDest);
    // The clipped bounds of a source rectangle rotated about (centerX, centerY)
    // and placed at (x, y); false when nothing is visible.
    static bool GetRotatedBounds(const float& x, const float& y, const TRect<int>& srcRect,
                                 const TRect<int>& clipRect, double angle, TRect<double>& bounds, float centerX,
                                 float centerY);

    // Software bodies behind the drawing slots (also used by the display image).
    void NormalDrawLine(double x1, double y1, double x2, double y2, const Color& color);
    void AdditiveDrawLine(double x1, double y1, double x2, double y2, const Color& color);
    void NormalDrawLineAA(double x1, double y1, double x2, double y2, const Color& color);
    void NormalBlt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color);
    void AdditiveBlt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color);
    void StretchBltImpl(Image* image, const TRect<int>& destRect, const TRect<double>& srcRect, const Color& color,
                        int drawMode);
    void FastStretchBltImpl(Image* image, const TRect<int>& destRect, const TRect<double>& srcRect,
                            const Color& color, int drawMode);
    void BltMatrixImpl(Image* image, float x, float y, const Matrix3& matrix, const TRect<int>& clipRect,
                       const Color& color, int drawMode, const TRect<int>& srcRect, void* surface, int pitch,
                       int pixelFormat, bool blend);
    void BltTrianglesTexImpl(Image* texture, const TriangleRasterizer::ClipVertex (*vertices)[3], int numTriangles,
                             const TRect<int>& clipRect, const Color& color, int drawMode, void* surface, int pitch,
                             int pixelFormat, float tx, float ty, bool blend);
    // Fills the colour table in order of first appearance; false past 256 colours.
    static bool BuildPalette(const uint32_t* bits, int width, int height, uint8_t* indices, uint32_t* colorTable);

    // width x height, 0 for an empty or negative size.
    size_t PixelCount() const;

    // Written after the last pixel whenever the bits are allocated, so that a
    // zero-weight read one past the last pixel stays inside the buffer.
    static constexpr uint32_t kBitsSentinel = 0x4BEEFADE;

    std::unique_ptr<uint32_t[]> mBits;           // width x height + 1 words; null when absent
    int mBitsVersion;                            // raised by every BitsChanged
    TextureData* mTextureData;                   // the 3-D renderer's; never owned here
    int mTextureFlags;                           // 1 "minsubdivide", 4 "a4r4g4b4", 8 "a8r8g8b8"
    std::unique_ptr<uint32_t[]> mColorTable;     // 256 words of the palette form
    std::unique_ptr<uint8_t[]> mColorIndices;    // width x height bytes of the palette form
    bool mForcedMode;                            // transparency flags set by SetImageMode, not computed
    bool mHasTrans;                              // some pixel has alpha 0
    bool mHasAlpha;                              // some pixel has alpha 1-254
    bool mIsVolatile;
    bool mPurgeBits;                             // drop the bits once another form holds the pixels
    bool mWantPal;                               // ReInit palettizes again
    std::unique_ptr<uint32_t[]> mNativeAlphaData;
    std::unique_ptr<uint8_t[]> mRLAlphaData;
    std::unique_ptr<uint8_t[]> mRLAdditiveData;
    bool mBitsChanged;                           // the transparency flags must be recomputed
    LumoAppBase* mApp;

private:
    void AllocateBits();
    void FreePaletteForm();
    NativeDisplay* AppDisplay() const;
    // Has the 3-D renderer copy the texture back into freshly allocated bits.
    bool CopyTextureDataToBits();
};

} // namespace Lumo
