// The surface image: construction, the surface's making from the bits and
// the reading back, counted locks, and the buffer operations that keep bits
// and surface consistent. The drawing slots run the memory image's software
// bodies.
#include "framework/display/DDImage.h"

#include "framework/display/D3DInterface.h"

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DisplayPixel.h"
#include "framework/display/SurfaceView.h"
#include "framework/graphics/Matrix3.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace Lumo {

namespace {

LumoAppBase* AppOf(DDInterface* ddInterface)
{
    return ddInterface != nullptr ? ddInterface->mApp : gLumoAppBase;
}

DisplayChannels ChannelsOf(const Plat::SurfaceDesc& desc)
{
    return MakeDisplayChannels(desc.pixelFormat.redMask, desc.pixelFormat.greenMask, desc.pixelFormat.blueMask);
}

// The lowest value whose bit is clear; false when every value is taken.
bool LowestFreeValue(const std::vector<uint64_t>& used, uint32_t& value)
{
    for (size_t word = 0; word < used.size(); ++word) {
        if (used[word] != ~uint64_t{0}) {
            for (uint32_t bit = 0; bit < 64; ++bit) {
                if ((used[word] & (uint64_t{1} << bit)) == 0) {
                    value = static_cast<uint32_t>(word * 64 + bit);
                    return true;
                }
            }
        }
    }
    return false;
}

// The key for the pixels that are not opaque: the candidate unless an opaque
// pixel shows it, else the lowest value no visible pixel shows. False when
// every value is shown.
template <typename Word>
bool ChooseColorKey(const uint32_t* bits, const Word* converted, size_t count, uint32_t candidate,
                    uint32_t valueMask, uint32_t& key)
{
    bool collides = false;
    for (size_t i = 0; i < count; ++i) {
        if ((bits[i] >> 24) == 255 && (static_cast<uint32_t>(converted[i]) & valueMask) == candidate) {
            collides = true;
            break;
        }
    }
    if (!collides) {
        key = candidate;
        return true;
    }
    std::vector<uint64_t> used((static_cast<size_t>(valueMask) + 1) / 64, 0);
    for (size_t i = 0; i < count; ++i) {
        if ((bits[i] >> 24) != 0) {
            const uint32_t v = static_cast<uint32_t>(converted[i]) & valueMask;
            used[v / 64] |= uint64_t{1} << (v % 64);
        }
    }
    return LowestFreeValue(used, key);
}

} // namespace

DDImage::DDImage() : DDImage(gLumoAppBase != nullptr ? gLumoAppBase->ddInterface : nullptr) {}

DDImage::DDImage(DDInterface* ddInterface)
    : MemoryImage(AppOf(ddInterface)),
      mDDInterface(ddInterface),
      mSurface(nullptr),
      mSurfaceSet(false),
      mNoLock(false),
      mVideoMemory(false),
      mWantDDSurface(false),
      mLockCount(0),
      mKeepSurface(false),
      mDrawBitsCount(0)
{
    if (mDDInterface != nullptr) {
        mDDInterface->AddDDImage(this);
    }
}

DDImage::~DDImage()
{
    ReleaseSurface();
    if (mDDInterface != nullptr) {
        mDDInterface->RemoveDDImage(this);
    }
}

bool DDImage::Is3DTarget() const
{
    return mDDInterface != nullptr && mDDInterface->mIs3D && mSurface != nullptr &&
           mSurface == mDDInterface->mDrawSurface;
}

D3DInterface* DDImage::Renderer() const
{
    return mDDInterface->mD3DInterface;
}

void DDImage::BltOn3DTarget(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, int drawMode)
{
    DDImage* source = dynamic_cast<DDImage*>(image);
    if (source != nullptr && source->mSurface != nullptr && !Renderer()->mTransformSet && drawMode == 0 &&
        color == Color::White && !source->mHasAlpha) {
        // Cut to both surfaces first: the display refuses a rect that
        // leaves its surface, and a sprite partly off the screen would vanish.
        int64_t left = std::max<int64_t>({0, x, int64_t(x) - srcRect.mX});
        int64_t top = std::max<int64_t>({0, y, int64_t(y) - srcRect.mY});
        int64_t right = std::min<int64_t>({int64_t(x) + srcRect.mWidth, mWidth,
                                           int64_t(x) - srcRect.mX + source->mWidth});
        int64_t bottom = std::min<int64_t>({int64_t(y) + srcRect.mHeight, mHeight,
                                            int64_t(y) - srcRect.mY + source->mHeight});
        if (right > left && bottom > top) {
            const Plat::DisplayRect dest{int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)};
            const Plat::DisplayRect src{int32_t(left - x + srcRect.mX), int32_t(top - y + srcRect.mY),
                                        int32_t(right - x + srcRect.mX), int32_t(bottom - y + srcRect.mY)};
            BltFromSurface(source, dest, src);
        }
        return;
    }
    Renderer()->Blt(image, static_cast<float>(x), static_cast<float>(y), srcRect, color, drawMode, false);
}

void DDImage::ReleaseSurface()
{
    if (mSurface == nullptr) {
        return;
    }
    if (mLockCount > 0) {
        mSurface->Unlock(nullptr);
        mLockCount = 0;
    }
    mSurface->Release();
    mSurface = nullptr;
    mDrawBits.reset();
    mDrawBitsCount = 0;
}

// ---- Surface

bool DDImage::LockSurface()
{
    if (Is3DTarget()) {
        return false;
    }
    if (mLockCount == 0) {
        mLockedSurfaceDesc = Plat::SurfaceDesc();
        mLockedSurfaceDesc.size = Plat::kSurfaceDescSize;
        if (mSurface == nullptr && !GenerateDDSurface()) {
            return false;
        }
        if (mSurface == nullptr) {
            return false;
        }
        if (Plat::Failed(mSurface->Lock(nullptr, &mLockedSurfaceDesc, Plat::kDdlockWait))) {
            return false;
        }
    }
    ++mLockCount;
    return true;
}

bool DDImage::UnlockSurface()
{
    if (Is3DTarget() || mLockCount <= 0) {
        return false;
    }
    --mLockCount;
    if (mLockCount == 0 && mSurface != nullptr) {
        mSurface->Unlock(nullptr);
    }
    return true;
}

void DDImage::SetSurface(Plat::DisplaySurface* surface)
{
    if (surface != nullptr) {
        surface->AddRef();
    }
    ReleaseSurface();
    mSurfaceSet = true;
    mSurface = surface;
    mNoLock = false;
    if (mSurface == nullptr) {
        return;
    }
    Plat::SurfaceDesc desc;
    desc.size = Plat::kSurfaceDescSize;
    desc.flags = Plat::kDdsdWidth | Plat::kDdsdHeight;
    if (Plat::Failed(mSurface->GetSurfaceDesc(&desc))) {
        return;
    }
    const int width = static_cast<int>(desc.width);
    const int height = static_cast<int>(desc.height);
    if (width != mWidth || height != mHeight) {
        // Pixels of the old size cannot stand for the surface's.
        DeleteAllNonSurfaceData();
    }
    mWidth = width;
    mHeight = height;
}

Plat::DisplaySurface* DDImage::GetSurface()
{
    if (mSurface == nullptr) {
        GenerateDDSurface();
    }
    return mSurface;
}

bool DDImage::GenerateDDSurface()
{
    if (mSurface != nullptr) {
        return true;
    }
    MemoryImage::CommitBits();
    if (mHasAlpha || mDDInterface == nullptr || mWidth <= 0 || mHeight <= 0) {
        return false;
    }
    mWantDDSurface = true;
    const uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return false;
    }

    Plat::SurfaceDesc desc;
    desc.size = Plat::kSurfaceDesc2Size;
    desc.flags = Plat::kDdsdCaps | Plat::kDdsdHeight | Plat::kDdsdWidth;
    desc.width = static_cast<uint32_t>(mWidth);
    desc.height = static_cast<uint32_t>(mHeight);
    desc.caps = mVideoMemory ? Plat::kDdscapsVideoMemory : Plat::kDdscapsSystemMemory;

    AutoCrit lock(mDDInterface->mCritSect);
    if (Plat::Failed(mDDInterface->CreateSurface(&desc, &mSurface)) || mSurface == nullptr) {
        mSurface = nullptr;
        return false;
    }
    // A surface that never received the picture must not stand for it.
    if (!LockSurface()) {
        ReleaseSurface();
        return false;
    }

    const size_t count = PixelCount();
    const DisplayChannels channels = ChannelsOf(mLockedSurfaceDesc);
    const int pitch = mLockedSurfaceDesc.pitch;
    uint8_t* surfaceBits = static_cast<uint8_t*>(mLockedSurfaceDesc.surface);
    bool made = false;
    uint32_t key = 0;

    if (mLockedSurfaceDesc.pixelFormat.bitCount == 16) {
        std::vector<uint16_t> converted(count);
        uint32_t candidate = 0;
        bool candidateFound = false;
        for (size_t i = 0; i < count; ++i) {
            converted[i] = static_cast<uint16_t>(ArgbToDisplay(bits[i], channels));
            if (!candidateFound && (bits[i] >> 24) < 255) {
                candidate = converted[i];
                candidateFound = true;
            }
        }
        made = !mHasTrans || ChooseColorKey(bits, converted.data(), count, candidate, 0xFFFF, key);
        if (made) {
            for (int y = 0; y < mHeight; ++y) {
                uint16_t* row = reinterpret_cast<uint16_t*>(surfaceBits + static_cast<ptrdiff_t>(y) * pitch);
                const size_t start = static_cast<size_t>(y) * static_cast<size_t>(mWidth);
                for (int x = 0; x < mWidth; ++x) {
                    const size_t i = start + static_cast<size_t>(x);
                    row[x] = !mHasTrans || (bits[i] >> 24) == 255 ? converted[i] : static_cast<uint16_t>(key);
                }
            }
        }
    } else if (mLockedSurfaceDesc.pixelFormat.bitCount == 32) {
        std::vector<uint32_t> converted(count);
        uint32_t candidate = 0;
        bool candidateFound = false;
        for (size_t i = 0; i < count; ++i) {
            converted[i] = ArgbToDisplay(bits[i], channels);
            if (!candidateFound && (bits[i] >> 24) < 255) {
                candidate = bits[i];
                candidateFound = true;
            }
        }
        made = !mHasTrans || ChooseColorKey(bits, converted.data(), count, candidate, 0xFFFFFF, key);
        if (made) {
            for (int y = 0; y < mHeight; ++y) {
                uint32_t* row = reinterpret_cast<uint32_t*>(surfaceBits + static_cast<ptrdiff_t>(y) * pitch);
                const size_t start = static_cast<size_t>(y) * static_cast<size_t>(mWidth);
                for (int x = 0; x < mWidth; ++x) {
                    const size_t i = start + static_cast<size_t>(x);
                    row[x] = !mHasTrans || (bits[i] >> 24) == 255 ? converted[i] : key;
                }
            }
        }
    }

    UnlockSurface();
    if (!made) {
        // No free key (or a format without a conversion): no surface rather
        // than one that shows some visible pixels as transparent.
        ReleaseSurface();
        return false;
    }
    if (mHasTrans) {
        const Plat::DisplayColorKey colorKey{key, key};
        mSurface->SetColorKey(Plat::kDdckeySrcBlt, &colorKey);
    }
    return true;
}

void DDImage::SetVideoMemory(bool videoMemory)
{
    if (videoMemory == mVideoMemory) {
        return;
    }
    mVideoMemory = videoMemory;
    GetBits();
    DeleteDDSurface();
}

void DDImage::DeleteDDSurface()
{
    if (mSurface == nullptr) {
        return;
    }
    if (mColorTable == nullptr && mBits == nullptr && mTextureData == nullptr) {
        GetBits();
    }
    ReleaseSurface();
}

void DDImage::DeleteAllNonSurfaceData()
{
    mBits.reset();
    mNativeAlphaData.reset();
    mRLAdditiveData.reset();
    mRLAlphaData.reset();
    mColorTable.reset();
    mColorIndices.reset();
}

bool DDImage::WriteBitsToSurface()
{
    if (mBits == nullptr || !LockSurface()) {
        return false;
    }
    WriteSurfaceArea(TRect<int>(0, 0, mWidth, mHeight));
    UnlockSurface();
    return true;
}

void DDImage::ReadSurfaceArea(const TRect<int>& area)
{
    if (area.mWidth <= 0 || area.mHeight <= 0) {
        return;
    }
    const DisplayChannels channels = ChannelsOf(mLockedSurfaceDesc);
    const uint8_t* surfaceBits = static_cast<const uint8_t*>(mLockedSurfaceDesc.surface);
    const size_t bytesPerPixel = mLockedSurfaceDesc.pixelFormat.bitCount / 8;
    for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
        const uint8_t* row = surfaceBits + static_cast<ptrdiff_t>(y) * mLockedSurfaceDesc.pitch +
                             static_cast<size_t>(area.mX) * bytesPerPixel;
        uint32_t* out = mBits.get() + static_cast<size_t>(y) * static_cast<size_t>(mWidth) + area.mX;
        DisplayRowToArgb(row, mLockedSurfaceDesc.pixelFormat.bitCount, channels, out, area.mWidth);
    }
}

void DDImage::WriteSurfaceArea(const TRect<int>& area)
{
    if (area.mWidth <= 0 || area.mHeight <= 0) {
        return;
    }
    const DisplayChannels channels = ChannelsOf(mLockedSurfaceDesc);
    uint8_t* surfaceBits = static_cast<uint8_t*>(mLockedSurfaceDesc.surface);
    const size_t bytesPerPixel = mLockedSurfaceDesc.pixelFormat.bitCount / 8;
    for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
        uint8_t* row = surfaceBits + static_cast<ptrdiff_t>(y) * mLockedSurfaceDesc.pitch +
                       static_cast<size_t>(area.mX) * bytesPerPixel;
        const uint32_t* in = mBits.get() + static_cast<size_t>(y) * static_cast<size_t>(mWidth) + area.mX;
        ArgbRowToDisplay(in, mLockedSurfaceDesc.pixelFormat.bitCount, channels, row, area.mWidth);
    }
}

// ---- Buffer operations

uint32_t* DDImage::GetBits()
{
    if (mBits != nullptr) {
        return mBits.get();
    }
    if (mSurface == nullptr) {
        return MemoryImage::GetBits();
    }
    if (mNoLock || !LockSurface()) {
        return nullptr;
    }
    const uint32_t bitCount = mLockedSurfaceDesc.pixelFormat.bitCount;
    if (bitCount != 16 && bitCount != 32) {
        UnlockSurface();
        return nullptr;
    }
    const size_t count = PixelCount();
    mBits.reset(new uint32_t[count + 1]);
    mBits[count] = kBitsSentinel;
    ReadSurfaceArea(TRect<int>(0, 0, mWidth, mHeight));
    UnlockSurface();
    return mBits.get();
}

void DDImage::CommitBits()
{
    if (mSurface != nullptr) {
        return;
    }
    MemoryImage::CommitBits();
}

void DDImage::BitsChanged()
{
    MemoryImage::BitsChanged();
    if (!mKeepSurface) {
        ReleaseSurface();
    }
}

void DDImage::PurgeBits()
{
    if (mSurfaceSet) {
        return;
    }
    mPurgeBits = true;
    CommitBits();
    const bool accelerated = mDDInterface != nullptr && mDDInterface->mIs3D;
    if (accelerated) {
        if (mSurface != nullptr) {
            GetBits();
            DeleteDDSurface();
        }
    } else if (mWantDDSurface && GenerateDDSurface()) {
        mBits.reset();
        mColorIndices.reset();
        mColorTable.reset();
        mNativeAlphaData.reset(); // indexed by the colour table when there was one
        return;
    }
    MemoryImage::PurgeBits();
}

void DDImage::ReInit()
{
    if (mWantPal) {
        Palletize();
    }
    if (mPurgeBits) {
        PurgeBits();
    }
    if (mWantDDSurface) {
        GenerateDDSurface();
    }
}

void DDImage::DeleteNativeData()
{
    if (mSurfaceSet) {
        return;
    }
    if (mBits == nullptr && mColorIndices == nullptr) {
        GetBits();
    }
    mNativeAlphaData.reset();
    mRLAdditiveData.reset();
    DeleteDDSurface();
}

void DDImage::DeleteExtraBuffers()
{
    if (mSurfaceSet) {
        return;
    }
    MemoryImage::DeleteSWBuffers();
    MemoryImage::Delete3DBuffers();
    DeleteDDSurface();
}

void DDImage::Create(int width, int height)
{
    mBits.reset();
    if (width != mWidth || height != mHeight) {
        // A palette form of another size cannot stand for the new picture.
        mColorTable.reset();
        mColorIndices.reset();
    }
    mWidth = width;
    mHeight = height;
    BitsChanged();
}

bool DDImage::Palletize()
{
    const bool done = MemoryImage::Palletize();
    if (done) {
        DeleteDDSurface();
    }
    return done;
}

// ---- Drawing slots

namespace {

// The part of a width x height image inside the columns [x0, x1) and the
// rows [y0, y1); empty when they miss it.
TRect<int> InsideImage(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int width, int height)
{
    x0 = std::max<int64_t>(x0, 0);
    y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(x1, width);
    y1 = std::min<int64_t>(y1, height);
    if (x1 <= x0 || y1 <= y0) {
        return TRect<int>();
    }
    return TRect<int>(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                      static_cast<int>(y1 - y0));
}

TRect<int> RectReach(const TRect<int>& rect, int width, int height)
{
    return InsideImage(rect.mX, rect.mY, int64_t(rect.mX) + rect.mWidth, int64_t(rect.mY) + rect.mHeight, width,
                       height);
}

// The pixels within margin of the box [minX, maxX] x [minY, maxY]; the whole
// image when a coordinate is not a number (nothing sound can be said then).
TRect<int> BoxReach(double minX, double minY, double maxX, double maxY, int margin, int width, int height)
{
    if (!std::isfinite(minX) || !std::isfinite(minY) || !std::isfinite(maxX) || !std::isfinite(maxY)) {
        return TRect<int>(0, 0, width, height);
    }
    // Far outside the image every position is as good as the limit.
    const auto whole = [](double v, bool up) {
        v = std::clamp(v, -1e9, 1e9);
        return static_cast<int64_t>(up ? std::ceil(v) : std::floor(v));
    };
    return InsideImage(whole(minX, false) - margin, whole(minY, false) - margin, whole(maxX, true) + 1 + margin,
                       whole(maxY, true) + 1 + margin, width, height);
}

// A clip rectangle one pixel wider on each side, inside the image: the
// rasterizer's edge rounding stays within it.
TRect<int> ClipReach(const TRect<int>& clipRect, int width, int height)
{
    return InsideImage(int64_t(clipRect.mX) - 1, int64_t(clipRect.mY) - 1,
                       int64_t(clipRect.mX) + clipRect.mWidth + 1, int64_t(clipRect.mY) + clipRect.mHeight + 1,
                       width, height);
}

// The pixels the non-empty spans cover, inside the image.
TRect<int> SpanReach(const Span* spans, int count, int width, int height)
{
    int64_t x0 = INT64_MAX;
    int64_t y0 = INT64_MAX;
    int64_t x1 = INT64_MIN;
    int64_t y1 = INT64_MIN;
    for (int s = 0; s < count; ++s) {
        if (spans[s].mWidth > 0) {
            x0 = std::min<int64_t>(x0, spans[s].mX);
            x1 = std::max<int64_t>(x1, int64_t(spans[s].mX) + spans[s].mWidth);
            y0 = std::min<int64_t>(y0, spans[s].mY);
            y1 = std::max<int64_t>(y1, int64_t(spans[s].mY) + 1);
        }
    }
    return InsideImage(x0, y0, x1, y1, width, height);
}

TRect<int> LineReach(double x1, double y1, double x2, double y2, int width, int height)
{
    // The anti-aliased walk also writes the neighbouring row or column and
    // may step one pixel past an end.
    return BoxReach(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2), 4, width, height);
}

TRect<int> RotatedReach(float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect, double angle,
                        float centerX, float centerY, int width, int height)
{
    const TRect<int> clip = clipRect.Intersection(TRect<int>(0, 0, width, height));
    TRect<double> bounds;
    if (!MemoryImage::GetRotatedBounds(x, y, srcRect, clip, angle, bounds, centerX, centerY)) {
        return TRect<int>();
    }
    return BoxReach(bounds.mX, bounds.mY, bounds.mX + bounds.mWidth, bounds.mY + bounds.mHeight, 1, width, height);
}

// The bounding box of the vertices a rasterizing body draws between.
class VertexBox {
public:
    // A position the body computes in single precision.
    void Add(float x, float y)
    {
        mFinite = mFinite && std::isfinite(x) && std::isfinite(y);
        mMinX = std::min(mMinX, static_cast<double>(x));
        mMaxX = std::max(mMaxX, static_cast<double>(x));
        mMinY = std::min(mMinY, static_cast<double>(y));
        mMaxY = std::max(mMaxY, static_cast<double>(y));
    }

    // Within two pixels of the box and one of the clip rectangle; the whole
    // clip area once a vertex is not a number. At least one vertex added.
    TRect<int> Reach(const TRect<int>& clipRect, int width, int height) const
    {
        const double minX = mFinite ? mMinX : NAN; // BoxReach then gives the whole image
        return BoxReach(minX, mMinY, mMaxX, mMaxY, 2, width, height).Intersection(ClipReach(clipRect, width, height));
    }

private:
    double mMinX = INFINITY;
    double mMinY = INFINITY;
    double mMaxX = -INFINITY;
    double mMaxY = -INFINITY;
    bool mFinite = true;
};

} // namespace

template <typename Body>
void DDImage::DrawSoftware(const TRect<int>& reach, Body body)
{
    if (mSurface == nullptr || !mSurfaceSet) {
        if (GetBits() == nullptr) {
            return;
        }
        body();
        return;
    }
    if (Is3DTarget() || mNoLock) {
        return;
    }
    if (mKeepSurface) {
        // A slot called from within another's body (a line drawn as a fill):
        // the outer operation's area holds this one's.
        if (mBits != nullptr) {
            body();
        }
        return;
    }
    if (mBits != nullptr) {
        // Bits read back earlier stand for the whole picture.
        mKeepSurface = true;
        body();
        mKeepSurface = false;
        WriteBitsToSurface();
        DeleteAllNonSurfaceData();
        return;
    }
    if (!LockSurface()) {
        return;
    }
    const uint32_t bitCount = mLockedSurfaceDesc.pixelFormat.bitCount;
    if (bitCount != 16 && bitCount != 32) {
        UnlockSurface();
        return;
    }
    // The body gets whole-image bits of which only reach is read back.
    const size_t count = PixelCount();
    if (mDrawBits == nullptr || mDrawBitsCount != count) {
        mDrawBits.reset(new uint32_t[count + 1]);
        mDrawBitsCount = count;
    }
    mDrawBits[count] = kBitsSentinel;
    uint32_t* const lent = mDrawBits.get();
    mBits = std::move(mDrawBits);
    ReadSurfaceArea(reach);
    mKeepSurface = true;
    body();
    mKeepSurface = false;
    if (mBits.get() == lent) {
        WriteSurfaceArea(reach);
        mDrawBits = std::move(mBits);
    } else {
        mDrawBitsCount = 0; // the body replaced the bits; ours went with them
    }
    UnlockSurface();
    DeleteAllNonSurfaceData();
}

// ---- Routes

namespace {

// A source that is a surface image whose pixels cannot be read draws nothing.
bool Readable(Image* image)
{
    DDImage* source = dynamic_cast<DDImage*>(image);
    return source == nullptr || source->mColorTable != nullptr || source->GetBits() != nullptr;
}

// The rasterizer's code for the surface's layout.
int RasterizerFormat(const SurfaceView& view)
{
    if (view.kind == SurfaceView::k565) {
        return TriangleRasterizer::kPixelFormat565;
    }
    return view.kind == SurfaceView::k555 ? TriangleRasterizer::kPixelFormat555 : TriangleRasterizer::kPixelFormat888;
}

// A coordinate held far beyond any image before it becomes an int.
int TruncHeld(double value)
{
    return static_cast<int>(std::clamp(value, -1e9, 1e9));
}

} // namespace

bool DDImage::SurfaceRouteOpen() const
{
    return mDDInterface != nullptr && !mDDInterface->mIs3D && !mHasAlpha && !mHasTrans;
}

bool DDImage::BeginSurfaceLoop(SurfaceView& view)
{
    if (mNoLock || mDDInterface == nullptr || !LockSurface()) {
        return false;
    }
    view = SurfaceView::Of(mLockedSurfaceDesc, mWidth, mHeight);
    if (view.kind == SurfaceView::kNone) {
        UnlockSurface();
        return false;
    }
    return true;
}

void DDImage::EndSurfaceLoop()
{
    UnlockSurface();
    DeleteAllNonSurfaceData();
}

void DDImage::KeepSurfaceOnly()
{
    // Without a surface the other copies are the picture.
    if (mSurface != nullptr) {
        DeleteAllNonSurfaceData();
    }
}

bool DDImage::PolyFill3D(const TPoint<int>* vertices, int count, const TRect<int>* clipRect, const Color& color,
                         int drawMode, int x, int y)
{
    if (!Is3DTarget()) {
        return false; // only the 3-D renderer fills polygons
    }
    Renderer()->FillPoly(vertices, count, clipRect, color, drawMode, x, y);
    return true;
}

// A 3-D target is the renderer's to draw. What it does not draw stays
// undrawn: its failure is recorded and the next presentation turns 3-D off.

void DDImage::FillRect(const TRect<int>& rect, const Color& color, int drawMode)
{
    if (Is3DTarget()) {
        Renderer()->FillRect(rect, color, drawMode);
        return;
    }
    CommitBits();
    if (SurfaceRouteOpen()) {
        if (drawMode == 0) {
            NormalFillRect(rect, color);
        } else if (drawMode == 1) {
            AdditiveFillRect(rect, color);
        }
        KeepSurfaceOnly();
        return;
    }
    DrawSoftware(RectReach(rect, mWidth, mHeight), [&] { MemoryImage::FillRect(rect, color, drawMode); });
}

void DDImage::ClearRect(const TRect<int>& rect)
{
    DrawSoftware(RectReach(rect, mWidth, mHeight), [&] { MemoryImage::ClearRect(rect); });
}

// Horizontal and vertical lines are fills. False for a slanted line.
bool DDImage::AxisLineAsFill(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (y1 == y2) {
        const int left = TruncHeld(std::min(x1, x2));
        FillRect(TRect<int>(left, TruncHeld(y1), TruncHeld(std::max(x1, x2)) - left + 1, TruncHeld(y2 - y1 + 1.0)),
                 color, drawMode);
        return true;
    }
    if (x1 == x2) {
        const int top = TruncHeld(std::min(y1, y2));
        FillRect(TRect<int>(TruncHeld(x1), top, TruncHeld(x2 - x1 + 1.0), TruncHeld(std::max(y1, y2)) - top + 1),
                 color, drawMode);
        return true;
    }
    return false;
}

void DDImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    RouteLine(x1, y1, x2, y2, color, drawMode, false);
}

void DDImage::DrawLineAA(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    RouteLine(x1, y1, x2, y2, color, drawMode, true);
}

void DDImage::RouteLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode, bool smooth)
{
    if (Is3DTarget()) {
        Renderer()->DrawLine(x1, y1, x2, y2, color, drawMode);
        return;
    }
    CommitBits();
    if (SurfaceRouteOpen()) {
        if (AxisLineAsFill(x1, y1, x2, y2, color, drawMode)) {
            return;
        }
        if (drawMode == 0) {
            if (smooth) {
                NormalDrawLineAA(x1, y1, x2, y2, color);
            } else {
                NormalDrawLine(x1, y1, x2, y2, color);
            }
        } else if (drawMode == 1) {
            if (smooth) {
                AdditiveDrawLineAA(x1, y1, x2, y2, color);
            } else {
                AdditiveDrawLine(x1, y1, x2, y2, color);
            }
        }
        KeepSurfaceOnly();
        return;
    }
    DrawSoftware(LineReach(x1, y1, x2, y2, mWidth, mHeight), [&] {
        if (smooth) {
            MemoryImage::DrawLineAA(x1, y1, x2, y2, color, drawMode);
        } else {
            MemoryImage::DrawLine(x1, y1, x2, y2, color, drawMode);
        }
    });
}

void DDImage::CoverageThroughImage(const Span* spans, int count, const Color& color, int drawMode,
                                   const unsigned char* coverage, int coverageX, int coverageY, int coveragePitch,
                                   int unused)
{
    if (spans == nullptr || count <= 0) {
        return;
    }
    // Only the part on this image can show.
    const TRect<int> reach = SpanReach(spans, count, mWidth, mHeight);
    if (reach.mWidth <= 0 || reach.mHeight <= 0) {
        return;
    }
    const int x0 = reach.mX;
    const int y0 = reach.mY;
    // The caller's spans stay as they were: the box's spans are a copy.
    std::vector<Span> shifted(spans, spans + count);
    for (Span& span : shifted) {
        span.mX = static_cast<int>(int64_t(span.mX) - x0);
        span.mY = static_cast<int>(int64_t(span.mY) - y0);
    }
    MemoryImage box(mApp);
    box.Create(reach.mWidth, reach.mHeight);
    box.GetBits();
    box.MemoryImage::FillScanLinesWithCoverage(shifted.data(), count, color, drawMode, coverage,
                                               static_cast<int>(int64_t(coverageX) - x0),
                                               static_cast<int>(int64_t(coverageY) - y0), coveragePitch, unused);
    box.mHasTrans = true;
    box.mHasAlpha = true;
    Renderer()->Blt(&box, static_cast<float>(x0), static_cast<float>(y0), TRect<int>(0, 0, reach.mWidth, reach.mHeight),
                    Color::White, drawMode, false);
}

void DDImage::FillScanLinesWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                        const unsigned char* coverage, int coverageX, int coverageY,
                                        int coveragePitch, int unused)
{
    if (Is3DTarget()) {
        CoverageThroughImage(spans, count, color, drawMode, coverage, coverageX, coverageY, coveragePitch, unused);
        return;
    }
    CommitBits();
    // Any image that can have a surface fills on it; one with alpha cannot,
    // and fills its bits.
    if (mDDInterface != nullptr && !mHasAlpha) {
        CoverageLoop(spans, count, color, coverage, coverageX, coverageY, coveragePitch);
        KeepSurfaceOnly();
        return;
    }
    DrawSoftware(SpanReach(spans, count, mWidth, mHeight), [&] {
        MemoryImage::FillScanLinesWithCoverage(spans, count, color, drawMode, coverage, coverageX, coverageY,
                                               coveragePitch, unused);
    });
}

void DDImage::Blt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, int drawMode)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    if (Is3DTarget()) {
        BltOn3DTarget(image, x, y, srcRect, color, drawMode);
        return;
    }
    CommitBits();
    const bool cursorArea = mDDInterface != nullptr &&
                            (this == mDDInterface->mOldCursorAreaImage || this == mDDInterface->mNewCursorAreaImage);
    if (mDDInterface != nullptr && !mHasAlpha && !mHasTrans && (!mDDInterface->mIs3D || cursorArea)) {
        if (drawMode == 0) {
            NormalBlt(image, x, y, srcRect, color);
        } else if (drawMode == 1) {
            AdditiveBlt(image, x, y, srcRect, color);
        }
        KeepSurfaceOnly();
        return;
    }
    if (!Readable(image)) {
        return;
    }
    const TRect<int> reach = InsideImage(x, y, int64_t(x) + srcRect.mWidth, int64_t(y) + srcRect.mHeight, mWidth,
                                         mHeight);
    DrawSoftware(reach, [&] { MemoryImage::Blt(image, x, y, srcRect, color, drawMode); });
}

void DDImage::BltMirror(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, int drawMode)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    if (Is3DTarget()) {
        Renderer()->BltMirror(image, static_cast<float>(x), static_cast<float>(y), srcRect, color, drawMode);
        return;
    }
    // The memory image has no mirrored body: the surface is the only route.
    CommitBits();
    if (drawMode == 0) {
        NormalBltMirror(image, x, y, srcRect, color);
    } else if (drawMode == 1) {
        AdditiveBltMirror(image, x, y, srcRect, color);
    }
    KeepSurfaceOnly();
}

void DDImage::BltF(Image* image, float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect,
                   const Color& color, int drawMode)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    if (Is3DTarget()) {
        // Uncut: the plain blit, filtered; cut by the clip: the matrix route.
        const TRect<double> dest(x, y, srcRect.mWidth, srcRect.mHeight);
        const TRect<double> clip(clipRect.mX, clipRect.mY, clipRect.mWidth, clipRect.mHeight);
        const TRect<double> cut = dest.Intersection(clip);
        if (cut.mWidth == dest.mWidth && cut.mHeight == dest.mHeight) {
            Renderer()->Blt(image, x, y, srcRect, color, drawMode, true);
        } else if (cut.mWidth != 0.0 && cut.mHeight != 0.0) {
            Renderer()->BltF(image, x, y, srcRect, clipRect, color, drawMode);
        }
        return;
    }
    BltRotated(image, x, y, srcRect, clipRect, color, drawMode, 0.0, 0.0f, 0.0f);
}

void DDImage::BltRotated(Image* image, float x, float y, const TRect<int>& srcRect, const TRect<int>& clipRect,
                         const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    if (Is3DTarget()) {
        Renderer()->BltRotated(image, x, y, srcRect, clipRect, color, drawMode, angle, centerX, centerY);
        return;
    }
    if (mNoLock || !Readable(image)) {
        return;
    }
    CommitBits();
    if (SurfaceRouteOpen()) {
        RotateLoop(dynamic_cast<MemoryImage*>(image), x, y, srcRect, clipRect, color, drawMode, angle, centerX,
                   centerY);
        KeepSurfaceOnly();
        return;
    }
    DrawSoftware(RotatedReach(x, y, srcRect, clipRect, angle, centerX, centerY, mWidth, mHeight), [&] {
        MemoryImage::BltRotated(image, x, y, srcRect, clipRect, color, drawMode, angle, centerX, centerY);
    });
}

void DDImage::StretchBlt(Image* image, const TRect<int>& destRect, const TRect<int>& srcRect,
                         const TRect<int>& clipRect, const Color& color, int drawMode, bool fastStretch)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    if (Is3DTarget()) {
        Renderer()->StretchBlt(image, destRect, srcRect, clipRect, color, drawMode, fastStretch, false);
        return;
    }
    if (!Readable(image)) {
        return;
    }
    CommitBits();
    TRect<double> clippedSrc;
    TRect<int> clippedDest;
    const TRect<int> clip = clipRect.Intersection(TRect<int>(0, 0, mWidth, mHeight));
    if (!ClipStretchRects(srcRect, clip, destRect, clippedSrc, clippedDest) || clippedDest.mWidth <= 0 ||
        clippedDest.mHeight <= 0) {
        return;
    }
    MemoryImage* source = dynamic_cast<MemoryImage*>(image);
    const bool smoothOnSurface = !fastStretch && SurfaceRouteOpen();
    // A target with alpha can have no surface: its bits take the stretch.
    const bool fastOnSurface = fastStretch && mDDInterface != nullptr && !mHasAlpha;
    if (source != nullptr && smoothOnSurface) {
        // Smoothed into a picture of the destination's size, then blitted.
        MemoryImage smooth(mApp);
        smooth.Create(clippedDest.mWidth, clippedDest.mHeight);
        smooth.StretchBltImpl(source, TRect<int>(0, 0, clippedDest.mWidth, clippedDest.mHeight), clippedSrc,
                              Color::White, 0);
        Blt(&smooth, clippedDest.mX, clippedDest.mY, TRect<int>(0, 0, clippedDest.mWidth, clippedDest.mHeight), color,
            drawMode);
        KeepSurfaceOnly();
        return;
    }
    if (source != nullptr && fastOnSurface) {
        DDImage* surfaceSource = dynamic_cast<DDImage*>(source);
        surfaceSource = surfaceSource != nullptr && surfaceSource->mSurface != nullptr ? surfaceSource : nullptr;
        if (surfaceSource != nullptr && color == Color::White && drawMode == 0 && !surfaceSource->mHasAlpha) {
            // The display scales surface to surface.
            const Plat::DisplayRect dest{clippedDest.mX, clippedDest.mY, clippedDest.mX + clippedDest.mWidth,
                                         clippedDest.mY + clippedDest.mHeight};
            const Plat::DisplayRect src{static_cast<int>(clippedSrc.mX), static_cast<int>(clippedSrc.mY),
                                        static_cast<int>(clippedSrc.mX + clippedSrc.mWidth),
                                        static_cast<int>(clippedSrc.mY + clippedSrc.mHeight)};
            if (src.left >= 0 && src.top >= 0 && src.right <= surfaceSource->mWidth &&
                src.bottom <= surfaceSource->mHeight && src.right > src.left && src.bottom > src.top) {
                BltFromSurface(surfaceSource, dest, src);
                return;
            }
        }
        StretchLoop(source, clippedDest, clippedSrc, color, drawMode, false);
        KeepSurfaceOnly();
        return;
    }
    DrawSoftware(RectReach(clippedDest, mWidth, mHeight),
                 [&] { MemoryImage::StretchBlt(image, destRect, srcRect, clipRect, color, drawMode, fastStretch); });
}

void DDImage::StretchBltMirror(Image* image, const TRect<int>& destRect, const TRect<int>& srcRect,
                               const TRect<int>& clipRect, const Color& color, int drawMode, bool fastStretch)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    if (Is3DTarget()) {
        Renderer()->StretchBlt(image, destRect, srcRect, clipRect, color, drawMode, fastStretch, true);
        return;
    }
    if (!Readable(image)) {
        return;
    }
    CommitBits();
    TRect<double> clippedSrc;
    TRect<int> clippedDest;
    const TRect<int> clip = clipRect.Intersection(TRect<int>(0, 0, mWidth, mHeight));
    if (!ClipStretchRectsMirror(srcRect, clip, destRect, clippedSrc, clippedDest) || clippedDest.mWidth <= 0 ||
        clippedDest.mHeight <= 0) {
        return;
    }
    // Whatever the flag, the mirrored stretch is by nearest pixel.
    StretchLoop(dynamic_cast<MemoryImage*>(image), clippedDest, clippedSrc, color, drawMode, true);
    KeepSurfaceOnly();
}

void DDImage::BltMatrix(Image* image, float x, float y, const Matrix3& matrix, const TRect<int>& clipRect,
                        const Color& color, int drawMode, const TRect<int>& srcRect, bool blend)
{
    if (image == nullptr) {
        return;
    }
    image->mDrawn = true;
    if (Is3DTarget()) {
        Renderer()->BltTransformed(image, &srcRect, &clipRect, color, drawMode, matrix, blend, x, y, true);
        return;
    }
    if (!Readable(image)) {
        return;
    }
    CommitBits();
    // The rasterizer draws straight into the surface's memory; an image with
    // alpha has no surface and keeps its bits.
    if (mDDInterface != nullptr && !mHasAlpha) {
        SurfaceView view;
        if (!BeginSurfaceLoop(view)) {
            return;
        }
        BltMatrixImpl(image, x, y, matrix, clipRect.Intersection(TRect<int>(0, 0, view.width, view.height)),
                             color, drawMode, srcRect, view.bits, static_cast<int>(view.pitch), RasterizerFormat(view),
                      blend);
        EndSurfaceLoop();
        return;
    }
    // The corners of the source rectangle centred on the origin, placed as
    // the matrix body places them.
    const float halfWidth = static_cast<float>(srcRect.mWidth) * 0.5f;
    const float halfHeight = static_cast<float>(srcRect.mHeight) * 0.5f;
    const float cornersX[4] = {-halfWidth, halfWidth, -halfWidth, halfWidth};
    const float cornersY[4] = {-halfHeight, -halfHeight, halfHeight, halfHeight};
    VertexBox box;
    for (int i = 0; i < 4; ++i) {
        const Matrix3::Vector2 p = matrix.TransformPoint(cornersX[i], cornersY[i]);
        box.Add(p.mX + x - 0.5f, p.mY + y - 0.5f);
    }
    const TRect<int> reach = box.Reach(clipRect, mWidth, mHeight);
    DrawSoftware(reach,
                 [&] { MemoryImage::BltMatrix(image, x, y, matrix, clipRect, color, drawMode, srcRect, blend); });
}

void DDImage::BltTrianglesTex(Image* texture, const TriangleRasterizer::ClipVertex (*vertices)[3], int numTriangles,
                              const TRect<int>& clipRect, const Color& color, int drawMode, float tx, float ty,
                              bool blend)
{
    if (texture == nullptr) {
        return;
    }
    texture->mDrawn = true;
    if (Is3DTarget()) {
        Renderer()->BltTriangles(texture, vertices, numTriangles, color, drawMode, tx, ty, blend);
        return;
    }
    if (!Readable(texture)) {
        return;
    }
    CommitBits();
    if (mDDInterface != nullptr && !mHasAlpha) {
        SurfaceView view;
        if (!BeginSurfaceLoop(view)) {
            return;
        }
        BltTrianglesTexImpl(texture, vertices, numTriangles,
                            clipRect.Intersection(TRect<int>(0, 0, view.width, view.height)), color, drawMode,
                            view.bits, static_cast<int>(view.pitch), RasterizerFormat(view), tx, ty, blend);
        EndSurfaceLoop();
        return;
    }
    VertexBox box;
    for (int t = 0; t < numTriangles; ++t) {
        for (int i = 0; i < 3; ++i) {
            box.Add(vertices[t][i].mX + tx, vertices[t][i].mY + ty);
        }
    }
    const TRect<int> reach = numTriangles > 0 ? box.Reach(clipRect, mWidth, mHeight) : TRect<int>();
    DrawSoftware(reach, [&] {
        MemoryImage::BltTrianglesTex(texture, vertices, numTriangles, clipRect, color, drawMode, tx, ty, blend);
    });
}

} // namespace Lumo
