// The 3-D renderer: draws onto the display's draw surface through the 3-D
// device while 3-D is on. Images (plain, coloured, additive, mirrored,
// stretched, rotated, through a matrix, as textured triangles), lines,
// rectangles and polygons become pre-transformed vertices; images are cut
// into texture pieces (TextureData). A failed device call is kept as the
// run-time error that turns 3-D off at the next presentation.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/Point.h"
#include "framework/graphics/Rect.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "platform/video/D3DTypes.h"
#include "platform/video/DisplayTypes.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>

namespace Plat {
class D3DDevice;
class D3DObject;
class DisplayDevice;
class DisplaySurface;
class Window;
} // namespace Plat

namespace Lumo {

class DDInterface;
class Image;
class MemoryImage;

// Texture format ids, also the bits of the supported-format set.
enum : int {
    kTextureFormatNone = 0,
    kTextureFormat8888 = 1,
    kTextureFormat4444 = 2,
    kTextureFormat565 = 4,
    kTextureFormatPalette8 = 8,
};

// Texture hint flags of a memory image.
enum : int {
    kTextureHintPowerOfTwo = 1,
    kTextureHintSmallPieces = 2,
    kTextureHintPrefer4444 = 4,
    kTextureHintNo565 = 8,
};

// What the device allows for textures; process-wide, set by InitD3D.
struct D3DTextureLimits {
    int formats = 0; // supported-format set
    int minWidth = 64;
    int minHeight = 64;
    int maxWidth = 64;
    int maxHeight = 64;
    int maxAspect = 1;
    bool powerOfTwo = false;
};
extern D3DTextureLimits gD3DLimits;
// The renderer's last run-time error; empty while the device behaves.
extern std::string gD3DLastError;

class D3DInterface {
public:
    using Vertex = Plat::TLVertex;

    // A polygon or primitive's vertices: 100 held inline, doubling on the
    // heap beyond.
    class VertexList {
    public:
        static constexpr int kInline = 100;
        VertexList() = default;
        VertexList(const VertexList&) = delete;
        VertexList& operator=(const VertexList&) = delete;

        void Push(const Vertex& vertex);
        void Clear() { mCount = 0; }
        int Count() const { return mCount; }
        Vertex* Data() { return mHeap != nullptr ? mHeap.get() : mInline; }
        const Vertex* Data() const { return mHeap != nullptr ? mHeap.get() : mInline; }
        Vertex& operator[](int i) { return Data()[i]; }
        const Vertex& operator[](int i) const { return Data()[i]; }

    private:
        int mCount = 0;
        int mCapacity = kInline;
        Vertex mInline[kInline];
        std::unique_ptr<Vertex[]> mHeap;
    };

    D3DInterface();
    virtual ~D3DInterface();
    D3DInterface(const D3DInterface&) = delete;
    D3DInterface& operator=(const D3DInterface&) = delete;

    // ---- Start and end
    bool Init(DDInterface* display);
    bool InitD3D();
    void Cleanup();
    // False when the result is no failure; otherwise keeps "step: name" as
    // the last error (stored in "Test3D\\RuntimeError" when it changed),
    // raises the 3-D trouble flag, and returns true.
    bool CheckDXError(Plat::HResult result, const char* step);

    // ---- Scenes and states
    bool PrepareScene();
    void EndScene();
    void SetBlendMode(int drawMode);
    void SetLinearFilter(bool linear);

    // ---- Drawing; false when nothing was drawn
    bool Blt(Image* image, float x, float y, const TRect<int>& srcRect, const Color& color, int drawMode,
             bool linear);
    bool BltF(Image* image, float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect,
              const Color& color, int drawMode);
    bool BltMirror(Image* image, float x, float y, const TRect<int>& srcRect, const Color& color, int drawMode);
    bool StretchBlt(Image* image, const TRect<int>& destRect, const TRect<int>& srcRect, const TRect<int>& clipRect,
                    const Color& color, int drawMode, bool fastStretch, bool mirror);
    bool BltRotated(Image* image, float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect,
                    const Color& color, int drawMode, double angle, float centerX, float centerY);
    // srcRect and clipRect may be null (the whole image; no clipping).
    bool BltTransformed(Image* image, const TRect<int>* srcRect, const TRect<int>* clipRect, const Color& color,
                        int drawMode, const Matrix3& matrix, bool linear, float x, float y, bool center);
    bool BltTriangles(Image* image, const TriangleRasterizer::ClipVertex (*vertices)[3], int count,
                      const Color& color, int drawMode, float x, float y, bool linear);
    bool DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
    bool FillRect(const TRect<int>& rect, const Color& color, int drawMode);
    bool FillPoly(const TPoint<int>* points, int count, const TRect<int>* clipRect, const Color& color, int drawMode,
                  int x, int y);

    // ---- Texture pieces
    bool CreateTextureData(MemoryImage* image);
    void RemoveImageData(MemoryImage* image);
    // A texture surface of the size and format id; failures are recorded
    // as "CreateTexture".
    Plat::DisplaySurface* CreateTexture(int width, int height, int format);
    // The size of a texture piece for a width and height under the limits.
    static void GetGoodTextureSize(int& width, int& height, bool isEdge, bool mustFit, int hints);
    static int ClassifyPixelFormat(const Plat::DisplayPixelFormat& format);
    // The device's texture format enumeration callback: adds the format's
    // id to the int set that context points to.
    static bool CollectTextureFormat(const Plat::DisplayPixelFormat& format, void* context);
    static Plat::DisplayPixelFormat FillPixelFormat(int format);

    // ---- Polygon clipping
    // Keep the part where component k (0 x, 1 y, 2 z, 3 u, 4 v) is >= c or <= c.
    static void ClipLower(int k, float c, const VertexList& in, VertexList& out);
    static void ClipUpper(int k, float c, const VertexList& in, VertexList& out);
    // Clips the polygon to the rect and draws what is left as a fan.
    bool ClipToRect(const TRect<int>& clipRect, VertexList& polygon);
    // Clips to 0 <= u, v <= 1; the result replaces the polygon.
    void ClipToPiece(VertexList& polygon);
    static Vertex InterpolateVertex(const Vertex& a, const Vertex& b, float t);

    // ---- Read-outs
    Plat::D3DDevice* Device() const { return mDevice; }
    bool SceneBegun() const { return mSceneBegun; }
    const std::set<MemoryImage*>& Images() const { return mImages; }

    Plat::Window* mWindow;
    int mWidth;
    int mHeight;
    DDInterface* mDDInterface;       // not owned
    Plat::DisplayDevice* mDD7;       // not owned
    Plat::DisplaySurface* mDrawSurface; // one reference
    Plat::D3DObject* mD3D;
    Plat::D3DDevice* mDevice;
    bool mSceneBegun;
    bool mIsWindowed;
    bool mTransformSet; // nothing sets it; points then pass through mTransform
    Matrix3 mTransform;

private:
    // Texture drawing set-up shared by the image entries: scene, texture
    // data, blend; the image as a memory image, or null when not drawn.
    MemoryImage* BeginTextured(Image* image, int drawMode);
    bool DrawStrip(const Vertex* quad, const char* step);
    bool DrawFan(const VertexList& polygon, const char* step);
    void DrawTrianglesSplit(MemoryImage* image, const Vertex* triangle);
    bool FlushTriangleList();

    std::set<MemoryImage*> mImages; // every image holding texture data
    VertexList mVertices;
    VertexList mScratch;
    VertexList mPieceScratch;
    Vertex mTriangleList[300];
    int mTriangleListCount;
    std::string mStoredError; // what "Test3D\\RuntimeError" holds from this run
};

} // namespace Lumo
