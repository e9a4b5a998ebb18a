// The display object's start-up in a window or full screen, its surfaces,
// the pixel-format tables, the video-memory draw option, the windowed
// down-scaling chain, and clean-up.
#include "framework/display/DDInterface.h"

#include "framework/display/D3DInterface.h"
#include "framework/display/D3DTester.h"

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDImage.h"
#include "framework/display/DirectXErrorString.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/core/Debug.h"
#include "framework/core/StringUtils.h"
#include "platform/video/DisplayClipper.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayResults.h"

#include <algorithm>
#include <cstring>

namespace Lumo {

Plat::DisplayCreateFunction gDirectDrawCreate = nullptr;
Plat::DisplayCreateFunction gDirectDrawCreateEx = nullptr;
std::atomic<bool> gRGBOrder{false};
std::atomic<bool> gD3DTrouble{false};

namespace {

// a * b / c; `keep` when c is 0 (a desktop or draw height of 0 makes an
// aspect with denominator 0).
int ScaleOrKeep(int a, int b, int c, int keep)
{
    if (c == 0) {
        return keep;
    }
    return static_cast<int>(static_cast<int64_t>(a) * b / c);
}

unsigned long U(int value)
{
    return static_cast<unsigned long>(static_cast<unsigned int>(value));
}

} // namespace

DDInterface::DDInterface(LumoAppBase* app)
    : mApp(app),
      mD3DInterface(nullptr),
      mD3DTester(nullptr),
      mIs3D(false),
      mInRedraw(false),
      mDD(nullptr),
      mDD7(nullptr),
      mPrimarySurface(nullptr),
      mSecondarySurface(nullptr),
      mDrawSurface(nullptr),
      mScalingSurfaces{nullptr, nullptr, nullptr, nullptr},
      mWidth(0),
      mHeight(0),
      mDesktopWidth(0),
      mDesktopHeight(0),
      mIsAspectCorrected(false),
      mDisplayWidth(0),
      mDisplayHeight(0),
      mColorDepth(0),
      mRefreshRate(60),
      mMillisecondsPerFrame(16),
      mMissedSyncCount(0),
      mRedConvTable{},
      mGreenConvTable{},
      mBlueConvTable{},
      mInitialized(false),
      mWindow(nullptr),
      mIsWindowed(false),
      mScreenImage(nullptr),
      mVideoOnlyDraw(false),
      mInitCount(0),
      mCursorWidth(64),
      mCursorHeight(64),
      mCursorX(0),
      mCursorY(0),
      mCursorPrevX(0),
      mCursorPrevY(0),
      mCursorImage(nullptr),
      mCursorDrawn(false),
      mOldCursorArea(nullptr),
      mNewCursorArea(nullptr),
      mOldCursorAreaImage(nullptr),
      mNewCursorAreaImage(nullptr)
{
    mD3DInterface = new D3DInterface();
    gDirectDrawCreate = Plat::LookupDisplayEntry("DirectDrawCreate");
    gDirectDrawCreateEx = Plat::LookupDisplayEntry("DirectDrawCreateEx");
}

DDInterface::~DDInterface()
{
    Cleanup();
    delete mD3DInterface;
    mD3DInterface = nullptr;
    delete mD3DTester;
    mD3DTester = nullptr;
    // Images that outlive the display must not reach back into it.
    AutoCrit lock(mCritSect);
    for (DDImage* image : mDDImageSet) {
        image->mDDInterface = nullptr;
    }
    mDDImageSet.clear();
}

std::string DDInterface::ResultToString(int result)
{
    switch (result) {
    case RESULT_OK:
        return "RESULT_OK";
    case RESULT_FAIL:
        return "RESULT_FAIL";
    case RESULT_DD_CREATE_FAIL:
        return "RESULT_DD_CREATE_FAIL";
    case RESULT_SURFACE_FAIL:
        return "RESULT_SURFACE_FAIL";
    case RESULT_EXCLUSIVE_FAIL:
        return "RESULT_EXCLUSIVE_FAIL";
    case RESULT_DISPCHANGE_FAIL:
        return "RESULT_DISPCHANGE_FAIL";
    case RESULT_INVALID_COLORDEPTH:
        return "RESULT_INVALID_COLORDEPTH";
    default:
        return "RESULT_UNKNOWN";
    }
}

bool DDInterface::CheckDXError(Plat::HResult result, const char* step)
{
    if (!Plat::Failed(result)) {
        return false;
    }
    mErrorText = StrFormat("%s: %s", step, GetDirectXErrorString(result).c_str());
    return true;
}

DDImage* DDInterface::GetScreenImage()
{
    return mScreenImage;
}

void DDInterface::AddDDImage(DDImage* image)
{
    AutoCrit lock(mCritSect);
    mDDImageSet.insert(image);
}

void DDInterface::RemoveDDImage(DDImage* image)
{
    AutoCrit lock(mCritSect);
    mDDImageSet.erase(image);
}

void DDInterface::RemoveImageData(MemoryImage* image)
{
    if (image == nullptr || image->mTextureData == nullptr || mD3DInterface == nullptr) {
        return;
    }
    mD3DInterface->RemoveImageData(image);
}

void DDInterface::ReleaseSurface(Plat::DisplaySurface*& surface)
{
    if (surface != nullptr) {
        surface->Release();
        surface = nullptr;
    }
}

Plat::HResult DDInterface::CreateSurface(Plat::SurfaceDesc* desc, Plat::DisplaySurface** surface)
{
    AutoCrit lock(mCritSect);
    if (desc == nullptr || surface == nullptr) {
        return Plat::DDERR_INVALIDPARAMS;
    }
    *surface = nullptr;
    Plat::HResult result;
    if (mDD7 != nullptr) {
        result = mDD7->CreateSurface(*desc, surface);
    } else if (mDD != nullptr) {
        // The older description has fewer fields; only these go across.
        Plat::SurfaceDesc old;
        old.size = Plat::kSurfaceDescSize;
        old.flags = desc->flags;
        old.height = desc->height;
        old.width = desc->width;
        old.pitch = desc->pitch;
        old.backBufferCount = desc->backBufferCount;
        old.refreshRate = desc->refreshRate;
        old.alphaBitDepth = desc->alphaBitDepth;
        old.surface = desc->surface;
        old.pixelFormat = desc->pixelFormat;
        old.caps = desc->caps;
        result = mDD->CreateSurface(old, surface);
    } else {
        return Plat::DDERR_NOTINITIALIZED;
    }
    if (Plat::Failed(result)) {
        return result;
    }

    Plat::DisplaySurface* primary = mPrimarySurface != nullptr ? mPrimarySurface : *surface;
    Plat::SurfaceDesc primaryDesc;
    primaryDesc.size = Plat::kSurfaceDesc2Size;
    primaryDesc.flags = Plat::kDdsdPixelFormat;
    primary->GetSurfaceDesc(&primaryDesc);
    const Plat::DisplayPixelFormat& format = primaryDesc.pixelFormat;
    gRGBOrder = format.greenMask > format.blueMask && format.redMask > format.greenMask;
    if (format.bitCount != 16 && format.bitCount != 32) {
        Plat::DisplaySurface* created = *surface;
        *surface = nullptr; // may be the primary field itself
        created->Release();
        return Plat::DDERR_INVALIDPIXELFORMAT;
    }
    return result;
}

void DDInterface::ClearSurface(Plat::DisplaySurface* surface)
{
    if (surface == nullptr) {
        return;
    }
    Plat::SurfaceDesc desc;
    desc.size = Plat::kSurfaceDesc2Size;
    if (Plat::Failed(surface->Lock(nullptr, &desc, Plat::kDdlockWait | Plat::kDdlockWriteOnly))) {
        return;
    }
    const size_t rowBytes = static_cast<size_t>(desc.width) * (desc.pixelFormat.bitCount / 8);
    uint8_t* row = static_cast<uint8_t*>(desc.surface);
    for (uint32_t y = 0; y < desc.height; ++y, row += desc.pitch) {
        std::memset(row, 0, rowBytes);
    }
    surface->Unlock(nullptr);
}

int DDInterface::Init(Plat::Window* window, bool isWindowed)
{
    AutoCrit lock(mCritSect);
    mInitialized = false;
    Cleanup();

    // 1. The device, through the newer entry point when there is one.
    Plat::HResult result = Plat::DDERR_NODIRECTDRAWSUPPORT;
    if (gDirectDrawCreateEx != nullptr) {
        result = gDirectDrawCreateEx(&mDD7);
        if (CheckDXError(result, "DirectDrawCreateEx")) {
            return RESULT_DD_CREATE_FAIL;
        }
        result = mDD7->QueryInterface(&mDD);
        if (CheckDXError(result, "QueryrInterface IID_IDirectDraw")) {
            return RESULT_DD_CREATE_FAIL;
        }
    } else if (gDirectDrawCreate != nullptr) {
        result = gDirectDrawCreate(&mDD);
    }

    // 2. The 3-D test, on the first start only.
    if (Test3D(window) && mApp != nullptr && mD3DTester->mFirstVerdict) {
        mApp->Warning3DHook();
    }

    // 3. Sizes.
    Plat::DisplayHost& host = Plat::GetDisplayHost();
    mWindow = window;
    mWidth = mApp != nullptr ? mApp->width : 640;
    mHeight = mApp != nullptr ? mApp->height : 480;
    mAspect.Set(mWidth, mHeight);
    mDesktopWidth = host.DesktopWidth();
    mDesktopHeight = host.DesktopHeight();
    mDesktopAspect.Set(mDesktopWidth, mDesktopHeight);
    mDisplayWidth = mWidth;
    mDisplayHeight = mHeight;
    mDisplayAspect = mAspect;
    mIsAspectCorrected = false;
    mPresentationRect = TRect<int>(0, 0, mWidth, mHeight);
    if (mApp != nullptr) {
        mApp->presentationRect = mPresentationRect;
    }
    mCursorDrawn = false;
    mColorDepth = mApp != nullptr ? mApp->colorDepth : 16;
    mIsWindowed = isWindowed;

    OutputDebug("Application requests %4lu x %4lu [%2d:%2d]\n", U(mWidth), U(mHeight), mAspect.mNumerator,
                mAspect.mDenominator);
    if (CheckDXError(result, "DirectDrawCreate") || mDD == nullptr) {
        return RESULT_DD_CREATE_FAIL;
    }

    const int code = mIsWindowed ? InitWindowed() : InitFullScreen();
    if (code != RESULT_OK) {
        return code;
    }
    return InitCommon();
}

int DDInterface::InitFullScreen()
{
    OutputDebug("Desktop is           %4lu x %4lu [%2d:%2d]\n", U(mDesktopWidth), U(mDesktopHeight),
                mDesktopAspect.mNumerator, mDesktopAspect.mDenominator);
    if (mIs3D && (mAspect < mDesktopAspect || mDesktopHeight < mDisplayHeight)) {
        mDisplayWidth = mDesktopWidth;
        mDisplayHeight = mDesktopHeight;
        mDisplayAspect = mDesktopAspect;
        mIsAspectCorrected = true;
        const bool stretch = mApp != nullptr && mApp->stretchToAspect;
        if (!stretch) {
            // The picture keeps its shape: bars left and right.
            const int width = ScaleOrKeep(mWidth, mDesktopHeight, mHeight, mWidth);
            mPresentationRect = TRect<int>((mDesktopWidth - width) / 2, 0, width, mDesktopHeight);
        } else {
            // The draw surface takes the desktop's shape.
            mAspect = mDesktopAspect;
            mWidth = ScaleOrKeep(mDesktopAspect.mNumerator, mHeight, mDesktopAspect.mDenominator, mWidth);
            mPresentationRect = TRect<int>(0, 0, mDesktopWidth, mDesktopHeight);
        }
    }
    OutputDebug("Display is           %4lu x %4lu [%2d:%2d]\n", U(mDisplayWidth), U(mDisplayHeight),
                mDisplayAspect.mNumerator, mDisplayAspect.mDenominator);

    if (CheckDXError(mDD->SetCooperativeLevel(mWindow, Plat::kDdsclExclusive | Plat::kDdsclFullScreen),
                     "SetCooperativeLevel FullScreen")) {
        return RESULT_EXCLUSIVE_FAIL;
    }
    if (CheckDXError(mDD->SetDisplayMode(mDisplayWidth, mDisplayHeight, mColorDepth), "SetDisplayMode FullScreen")) {
        return RESULT_DISPCHANGE_FAIL;
    }

    Plat::SurfaceDesc primary;
    primary.size = Plat::kSurfaceDesc2Size;
    primary.flags = Plat::kDdsdCaps | Plat::kDdsdBackBufferCount;
    primary.backBufferCount = 1;
    primary.caps = Plat::kDdscapsPrimarySurface | Plat::kDdscapsFlip | Plat::kDdscapsComplex;
    if (mIs3D) {
        primary.caps |= Plat::kDdscaps3DDevice;
    }
    if (CheckDXError(CreateSurface(&primary, &mPrimarySurface), "CreateSurface FullScreen Primary")) {
        return RESULT_SURFACE_FAIL;
    }
    if (CheckDXError(mPrimarySurface->GetAttachedSurface(Plat::kDdscapsBackBuffer, &mSecondarySurface),
                     "GetAttachedSurface")) {
        return RESULT_SURFACE_FAIL;
    }
    if (mIsAspectCorrected) {
        ClearSurface(mPrimarySurface);
        ClearSurface(mSecondarySurface);
    }

    const int drawResult =
        CreateDrawSurfaceAndClipper("CreateSurface FullScreen DrawSurface", "CreateClipper FullScreen");
    if (drawResult != RESULT_OK) {
        return drawResult;
    }

    if (mApp != nullptr && !mApp->allowFlip) {
        mDD->FlipToGDISurface();
    }
    return RESULT_OK;
}

int DDInterface::InitWindowed()
{
    Plat::DisplayHost& host = Plat::GetDisplayHost();
    const Ratio windowAspect = mApp != nullptr ? mApp->windowAspect : Ratio(4, 3);
    OutputDebug("Hack aspect is                   [%2d:%2d]\n", windowAspect.mNumerator, windowAspect.mDenominator);

    if (mApp != nullptr && mApp->aspectCorrection && mAspect < windowAspect) {
        mIsAspectCorrected = true;
        mDisplayHeight = mHeight;
        mDisplayWidth = ScaleOrKeep(windowAspect.mNumerator, mHeight, windowAspect.mDenominator, mWidth);
        mDisplayAspect = windowAspect;

        // Grow the window about its present client area.
        int clientX = 0;
        int clientY = 0;
        host.ClientOrigin(mWindow, clientX, clientY);
        const int left = clientX - (mDisplayWidth - mWidth) / 2;
        const int top = clientY - (mDisplayHeight - mHeight) / 2;
        const Plat::WindowBorders borders = host.Borders(mWindow);
        const int outerLeft = left - borders.left;
        const int outerTop = top - borders.top;
        const int outerWidth = mDisplayWidth + borders.left + borders.right;
        const int outerHeight = mDisplayHeight + borders.top + borders.bottom;
        host.MoveWindow(mWindow, std::max(outerLeft, 0), std::max(outerTop, 0), outerWidth, outerHeight);

        if (!mApp->stretchToAspect) {
            mPresentationRect = TRect<int>((mDisplayWidth - mWidth) / 2, 0, mWidth, mHeight);
        } else {
            mWidth = mDisplayWidth;
            mHeight = mDisplayHeight;
            mAspect = mDisplayAspect;
            mPresentationRect = TRect<int>(0, 0, mDisplayWidth, mDisplayHeight);
        }
    }

    OutputDebug("Window is            %4lu x %4lu [%2d:%2d]\n", U(mDisplayWidth), U(mDisplayHeight),
                mDisplayAspect.mNumerator, mDisplayAspect.mDenominator);
    mDD->SetCooperativeLevel(mWindow, Plat::kDdsclNormal);

    Plat::SurfaceDesc primary;
    primary.size = Plat::kSurfaceDesc2Size;
    primary.flags = Plat::kDdsdCaps;
    primary.caps = Plat::kDdscapsPrimarySurface;
    if (mIs3D) {
        primary.caps |= Plat::kDdscaps3DDevice;
    }
    const Plat::HResult primaryResult = CreateSurface(&primary, &mPrimarySurface);
    if (primaryResult == Plat::DDERR_INVALIDPIXELFORMAT) {
        return RESULT_INVALID_COLORDEPTH;
    }
    if (CheckDXError(primaryResult, "CreateSurface Windowed Primary")) {
        return RESULT_SURFACE_FAIL;
    }

    return CreateDrawSurfaceAndClipper("CreateSurface Windowed DrawSurface", "CreateClipper Windowed");
}

int DDInterface::CreateDrawSurfaceAndClipper(const char* drawSurfaceCall, const char* clipperCall)
{
    Plat::SurfaceDesc draw;
    draw.size = Plat::kSurfaceDesc2Size;
    draw.flags = Plat::kDdsdCaps | Plat::kDdsdWidth | Plat::kDdsdHeight;
    draw.width = static_cast<uint32_t>(mWidth);
    draw.height = static_cast<uint32_t>(mHeight);
    draw.caps = mIs3D ? Plat::kDdscapsOffscreenPlain | Plat::kDdscapsVideoMemory | Plat::kDdscaps3DDevice
                      : Plat::kDdscapsOffscreenPlain | Plat::kDdscapsSystemMemory;
    if (CheckDXError(CreateSurface(&draw, &mDrawSurface), drawSurfaceCall)) {
        return RESULT_SURFACE_FAIL;
    }

    Plat::DisplayClipper* clipper = nullptr;
    if (CheckDXError(mDD->CreateClipper(0, &clipper), clipperCall)) {
        return RESULT_FAIL;
    }
    if (!Plat::Failed(clipper->SetHWnd(0, mWindow))) {
        mPrimarySurface->SetClipper(clipper);
    }
    clipper->Release();
    return RESULT_OK;
}

int DDInterface::InitCommon()
{
    OutputDebug("Draw buffer is       %4lu x %4lu [%2d:%2d]\n", U(mWidth), U(mHeight), mAspect.mNumerator,
                mAspect.mDenominator);

    // Refresh rate, held within 60..100 Hz.
    uint32_t frequency = 0;
    Plat::DisplayDevice* device = mDD7 != nullptr ? mDD7 : mDD;
    const Plat::HResult frequencyResult = device->GetMonitorFrequency(&frequency);
    mRefreshRate = static_cast<int>(frequency);
    bool clamped = false;
    if (Plat::Failed(frequencyResult) || frequency < 60) {
        mRefreshRate = 60;
        clamped = true;
    } else if (frequency > 100) {
        mRefreshRate = 100;
        clamped = true;
    }
    if (clamped && mApp != nullptr) {
        mApp->vsyncBroken = true;
    }
    mMillisecondsPerFrame = 1000 / mRefreshRate;

    // The software cursor's two areas.
    Plat::SurfaceDesc area;
    area.size = Plat::kSurfaceDesc2Size;
    area.flags = Plat::kDdsdCaps | Plat::kDdsdWidth | Plat::kDdsdHeight;
    area.width = static_cast<uint32_t>(mCursorWidth);
    area.height = static_cast<uint32_t>(mCursorHeight);
    area.caps = Plat::kDdscapsOffscreenPlain | Plat::kDdscapsSystemMemory;
    if (CheckDXError(CreateSurface(&area, &mOldCursorArea), "CreateSurface OldCursorArea")) {
        return RESULT_SURFACE_FAIL;
    }
    if (CheckDXError(CreateSurface(&area, &mNewCursorArea), "CreateSurface NewCursorArea")) {
        return RESULT_SURFACE_FAIL;
    }
    mOldCursorAreaImage = new DDImage(this);
    mOldCursorAreaImage->SetSurface(mOldCursorArea);
    mOldCursorAreaImage->SetImageMode(false, false);
    mNewCursorAreaImage = new DDImage(this);
    mNewCursorAreaImage->SetSurface(mNewCursorArea);
    mNewCursorAreaImage->SetImageMode(false, false);

    // The pixel format of the primary.
    Plat::SurfaceDesc desc;
    desc.size = Plat::kSurfaceDesc2Size;
    desc.flags = Plat::kDdsdWidth | Plat::kDdsdHeight | Plat::kDdsdPixelFormat;
    mPrimarySurface->GetSurfaceDesc(&desc);
    const Plat::DisplayPixelFormat& format = desc.pixelFormat;
    if (format.bitCount != 16 && format.bitCount != 32) {
        return RESULT_INVALID_COLORDEPTH;
    }
    SetPixelFormat(static_cast<int>(format.bitCount), format.redMask, format.greenMask, format.blueMask);
    BuildPixelTables();

    SetVideoOnlyDraw(mVideoOnlyDraw);

    if (mIs3D && !mD3DInterface->Init(this)) {
        // The application retries without 3-D.
        mErrorText = "3D init error: " + gD3DLastError;
        return RESULT_3D_FAIL;
    }

    ++mInitCount;
    mInitialized = true;
    if (mApp != nullptr) {
        mApp->presentationRect = mPresentationRect;
    }
    return RESULT_OK;
}

void DDInterface::BuildPixelTables()
{
    struct Channel {
        int bits;
        std::unique_ptr<int[]>* table;
    };
    const Channel channels[3] = {{mRedBits, &mRedAddTable}, {mGreenBits, &mGreenAddTable}, {mBlueBits, &mBlueAddTable}};
    for (const Channel& channel : channels) {
        const int n = 1 << channel.bits;
        auto table = std::make_unique<int[]>(static_cast<size_t>(2 * n - 1));
        for (int i = 0; i < 2 * n - 1; ++i) {
            table[static_cast<size_t>(i)] = std::min(i, n - 1);
        }
        *channel.table = std::move(table);
    }
    for (uint32_t i = 0; i < 256; ++i) {
        mRedConvTable[i] = (i * mRedMask / 255) & mRedMask;
        mGreenConvTable[i] = (i * mGreenMask / 255) & mGreenMask;
        mBlueConvTable[i] = (i * mBlueMask / 255) & mBlueMask;
    }
}

void DDInterface::SetVideoOnlyDraw(bool videoOnly)
{
    AutoCrit lock(mCritSect);
    mVideoOnlyDraw = videoOnly;
    if (mSecondarySurface == nullptr) {
        Plat::SurfaceDesc desc;
        desc.size = Plat::kSurfaceDesc2Size;
        desc.flags = Plat::kDdsdCaps | Plat::kDdsdWidth | Plat::kDdsdHeight;
        desc.width = static_cast<uint32_t>(mWidth);
        desc.height = static_cast<uint32_t>(mHeight);
        desc.caps = Plat::kDdscapsVideoMemory;
        if (Plat::Failed(CreateSurface(&desc, &mSecondarySurface))) {
            mVideoOnlyDraw = false;
        }
    }
    delete mScreenImage;
    mScreenImage = new DDImage(this);
    mScreenImage->SetSurface(mVideoOnlyDraw ? mSecondarySurface : mDrawSurface);
    mScreenImage->mNoLock = mVideoOnlyDraw;
    mScreenImage->mVideoMemory = mVideoOnlyDraw;
    mScreenImage->SetImageMode(false, false);
}

void DDInterface::RecreateWindowedDrawSurface(int width, int height)
{
    AutoCrit lock(mCritSect);
    for (Plat::DisplaySurface*& surface : mScalingSurfaces) {
        ReleaseSurface(surface);
    }
    if (mIsWindowed && (width != mWidth || height != mHeight)) {
        Plat::SurfaceDesc desc;
        desc.size = Plat::kSurfaceDesc2Size;
        desc.flags = Plat::kDdsdCaps | Plat::kDdsdWidth | Plat::kDdsdHeight;
        desc.caps = mIs3D ? Plat::kDdscapsOffscreenPlain | Plat::kDdscapsVideoMemory | Plat::kDdscaps3DDevice
                          : Plat::kDdscapsOffscreenPlain | Plat::kDdscapsSystemMemory;
        int currentWidth = mWidth;
        int currentHeight = mHeight;
        int made = 0;
        // Halve while more than twice too tall, at most three times; then
        // one surface of exactly the client size.
        while (currentHeight > 2 * height && made < 3) {
            currentWidth /= 2;
            currentHeight /= 2;
            desc.width = static_cast<uint32_t>(currentWidth);
            desc.height = static_cast<uint32_t>(currentHeight);
            if (CheckDXError(CreateSurface(&desc, &mScalingSurfaces[made]), "CreateSurface Windowed DrawSurface")) {
                return;
            }
            ++made;
        }
        desc.width = static_cast<uint32_t>(width);
        desc.height = static_cast<uint32_t>(height);
        if (CheckDXError(CreateSurface(&desc, &mScalingSurfaces[made]), "CreateSurface Windowed DrawSurface")) {
            return;
        }
    }
    mPresentationRect = TRect<int>(0, 0, width, height);
}

bool DDInterface::Test3D(Plat::Window* window)
{
    if (mD3DTester != nullptr) {
        return false;
    }
    if (mApp == nullptr || (!mApp->auto3D && !mApp->test3D)) {
        return false;
    }
    mD3DTester = new D3DTester(mApp);
    mD3DTester->mMinVidMemory = static_cast<uint32_t>(std::max(mApp->minVidMemory3D, 0));
    mD3DTester->mRecVidMemory = static_cast<uint32_t>(std::max(mApp->recVidMemory3D, 0));
    mD3DTester->Test(window, mDD7);
    const bool clean = mD3DTester->mFailureReason.empty() && mD3DTester->mWarning.empty();
    // A clean verdict turns 3-D on only while the player has stored no
    // choice: otherwise a player who switched 3-D off could never keep it off.
    bool stored = false;
    if (mApp->auto3D && clean && !mApp->RegistryReadBoolean("Is3D", stored)) {
        mIs3D = true;
    }
    if (!mD3DTester->mFailureReason.empty()) {
        mIs3D = false;
    }
    if (mD3DTester->mFirstVerdict && !clean) {
        mIs3D = false;
    }
    return true;
}

void DDInterface::Cleanup()
{
    AutoCrit lock(mCritSect);
    mInitialized = false;
    if (mD3DInterface != nullptr) {
        mD3DInterface->Cleanup();
    }
    delete mOldCursorAreaImage;
    mOldCursorAreaImage = nullptr;
    delete mNewCursorAreaImage;
    mNewCursorAreaImage = nullptr;
    ReleaseSurface(mOldCursorArea);
    ReleaseSurface(mNewCursorArea);
    for (Plat::DisplaySurface*& surface : mScalingSurfaces) {
        ReleaseSurface(surface);
    }
    delete mScreenImage;
    mScreenImage = nullptr;
    ReleaseSurface(mDrawSurface);
    ReleaseSurface(mSecondarySurface);
    ReleaseSurface(mPrimarySurface);
    if (mDD != nullptr) {
        mDD->SetCooperativeLevel(mWindow, Plat::kDdsclNormal);
        mDD->Release();
        mDD = nullptr;
    }
    if (mDD7 != nullptr) {
        mDD7->Release();
        mDD7 = nullptr;
    }
    mCursorDrawn = false;
}

} // namespace Lumo
