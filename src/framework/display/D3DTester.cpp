// The 3-D acceleration test.
#include "framework/display/D3DTester.h"

#include "framework/app/LumoAppBase.h"
#include "framework/core/PakClient.h"
#include "framework/core/StringUtils.h"
#include "framework/display/D3DInterface.h"
#include "framework/display/DirectXErrorString.h"
#include "platform/files/SettingsStore.h"
#include "platform/video/D3DDevice.h"
#include "platform/video/D3DObject.h"
#include "platform/video/DisplayDevice.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"

#include <sys/stat.h>

#include <cstring>
#include <ctime>

namespace Lumo {

bool gD3D32BitTextures = false;

namespace {

constexpr uint32_t kCacheVersion = 2;
constexpr size_t kLineLength = 4000;
constexpr uint32_t kMaxText = 4096;

template <typename T>
void ReleaseObject(T*& object)
{
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

// The year of the file's last write; 0 when it cannot be read.
int FileYear(const std::string& path)
{
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return 0;
    }
    std::tm parts{};
    const std::time_t when = info.st_mtime;
    if (::gmtime_r(&when, &parts) == nullptr) {
        return 0;
    }
    return parts.tm_year + 1900;
}

} // namespace

struct D3DTester::BlendTest {
    uint32_t srcBlend;
    uint32_t destBlend;
    const char* srcStep;
    const char* destStep;
    uint32_t first;
    uint32_t second;
    uint32_t secondDiffuse;
    bool modulate;
    uint32_t expected;
    const char* mismatch;
    const char* notUniform;
};

D3DTester::D3DTester(LumoAppBase* app)
    : mApp(app),
      mDD7(nullptr),
      mRenderTarget(nullptr),
      mTexture1(nullptr),
      mTexture2(nullptr),
      mD3D(nullptr),
      mDevice(nullptr),
      mKeyOpen(false),
      mDisplayGUID{},
      mMinVidMemory(0),
      mRecVidMemory(0),
      mUseCache(true),
      mWriteNeeded(false),
      mFirstVerdict(false),
      mDriverYear(0)
{
}

D3DTester::~D3DTester()
{
    ReleaseAll();
}

void D3DTester::CheckTestError(Plat::HResult result, const char* step)
{
    if (Plat::Failed(result)) {
        throw TestException("DXError - " + std::string(step) + ": " + GetDirectXErrorString(result));
    }
}

void D3DTester::ReleaseAll()
{
    ReleaseObject(mDevice);
    ReleaseObject(mD3D);
    ReleaseObject(mTexture1);
    ReleaseObject(mTexture2);
    ReleaseObject(mRenderTarget);
    ReleaseObject(mDD7);
    mKeyOpen = false;
}

void D3DTester::Test(Plat::Window* window, Plat::DisplayDevice* directDraw)
{
    if (mApp == nullptr || !mApp->DemoPlaysNow()) {
        // The cache is the test's own: a played demo skips the test, so
        // nothing of it may enter a recorded one.
        if (mApp != nullptr)
            mApp->demoLeftAlone = true;
        mWriteNeeded = false;
        if (DoTest(window, directDraw)) {
            RunTests();
            if (mWriteNeeded) {
                WriteCache();
            }
        } else if (mUseCache && !mWriteNeeded) {
            // A stored passing verdict, or a verdict reached before the cache
            // was read: new when no verdict is stored at all.
            uint32_t type = 0;
            uint8_t data[kMaxText];
            uint32_t length = sizeof(data);
            mFirstVerdict =
                mApp == nullptr || !mApp->RegistryRead("Test3D\\FailureReason", type, data, length);
            mWriteNeeded = true;
            WriteCache();
        } else if (mWriteNeeded) {
            WriteCache();
        }
        ReleaseAll();
        if (mApp != nullptr)
            mApp->demoLeftAlone = false;
    }
    if (mApp != nullptr) {
        mApp->DemoSyncString(mFailureReason);
        mApp->DemoSyncString(mWarning);
        mApp->DemoSyncBool(mFirstVerdict);
    }
}

bool D3DTester::DoTest(Plat::Window* window, Plat::DisplayDevice* directDraw)
{
    try {
        ReleaseAll();
        mDriverYear = 0;
        mFailureReason.clear();
        mWarning.clear();
        if (mUseCache) {
            mKeyOpen = mApp != nullptr && !mApp->registryKey.empty();
        }
        if (directDraw != nullptr) {
            directDraw->AddRef();
            mDD7 = directDraw;
        } else {
            const Plat::DisplayCreateFunction create = Plat::LookupDisplayEntry("DirectDrawCreateEx");
            if (create == nullptr) {
                mFailureReason = "No DirectDrawCreateEx";
                return false;
            }
            CheckTestError(create(&mDD7), "DirectDrawCreateEx");
        }

        Plat::D3DIdentity identity;
        if (Plat::Failed(Plat::QueryAdapterIdentity(&identity))) {
            CheckTestError(mDD7->GetDeviceIdentifier(&identity, 0), "GetDeviceIdentifier");
        }
        mDisplayGUID = identity.guid;
        mDriver = identity.driver;
        mDescription = identity.description;

        Plat::DisplayHost& host = Plat::GetDisplayHost();
        uint32_t total = 0;
        uint32_t free = 0;
        const Plat::HResult memory = mDD7->GetAvailableVidMem(Plat::kDdscapsVideoMemory, &total, &free);
        if (Plat::Failed(memory)) {
            mWarning = "GetAvailableVidMem failed: " + GetDirectXErrorString(memory);
        } else {
            // The desktop's own surface counts too; summed in 64 bits so a
            // large card does not wrap to a small number.
            const uint64_t desktop = static_cast<uint64_t>(std::max(host.DesktopBits(), 0) / 8) *
                                     static_cast<uint64_t>(std::max(host.DesktopWidth(), 0)) *
                                     static_cast<uint64_t>(std::max(host.DesktopHeight(), 0));
            const uint64_t megabytes = (uint64_t(total) + desktop) >> 20;
            if (megabytes < mMinVidMemory) {
                mFailureReason = "Not enough video memory.";
                return false;
            }
            if (megabytes < mRecVidMemory) {
                mWarning = "Low video memory.";
            }
        }

        if (mUseCache) {
            const std::string warning = mWarning;
            if (ReadCache()) {
                return false;
            }
            mWriteNeeded = true;
            mFailureReason.clear();
            mWarning = warning;
        }

        const bool bare = mDriver.find('/') == std::string::npos && mDriver.find('\\') == std::string::npos;
        const std::string path = bare && !mDriver.empty() ? host.D3D().systemFolder + "/" + mDriver : mDriver;
        mDriverYear = FileYear(path);

        if (!IsSupportedCard(mDescription)) {
            mWarning = "Unsupported video card: " + mDescription;
        }

        CheckTestError(mDD7->QueryInterface(&mD3D), "QueryInterface IID_IDirect3D7");
        CheckTestError(mDD7->SetCooperativeLevel(window, Plat::kDdsclNormal), "SetCooperativeLevel");
        Plat::SurfaceDesc target;
        target.size = Plat::kSurfaceDesc2Size;
        target.flags = Plat::kDdsdCaps | Plat::kDdsdWidth | Plat::kDdsdHeight;
        target.width = 100;
        target.height = 100;
        target.caps = Plat::kDdscapsOffscreenPlain | Plat::kDdscaps3DDevice;
        CheckTestError(mDD7->CreateSurface(target, &mRenderTarget), "CreateSurface (Primary)");
        mTestImage.Resize(100, 100);
        CheckTestError(mD3D->CreateDevice(mRenderTarget, &mDevice), "CreateDevice");

        int formats = 0;
        CheckTestError(mDevice->EnumTextureFormats(&D3DInterface::CollectTextureFormat, &formats),
                       "EnumTextureFormats");
        const bool has8888 = (formats & kTextureFormat8888) != 0;
        if (!has8888) {
            mWarning = "A8R8G8B8 texture format not supported.";
            if ((formats & kTextureFormat4444) == 0) {
                mFailureReason = "A4R4G4B4 and A8R8G8B8 texture formats not supported.";
                return false;
            }
        }
        gD3D32BitTextures = has8888;

        Plat::SurfaceDesc texture;
        texture.size = Plat::kSurfaceDesc2Size;
        texture.flags = Plat::kDdsdCaps | Plat::kDdsdWidth | Plat::kDdsdHeight | Plat::kDdsdPixelFormat;
        texture.width = 64;
        texture.height = 64;
        texture.caps = Plat::kDdscapsTexture;
        texture.pixelFormat = D3DInterface::FillPixelFormat(has8888 ? kTextureFormat8888 : kTextureFormat4444);
        CheckTestError(mDD7->CreateSurface(texture, &mTexture1), "CreateSurface (TextureSurface1)");
        CheckTestError(mDD7->CreateSurface(texture, &mTexture2), "CreateSurface (TextureSurfacd2)");
        return true;
    } catch (const TestException& exception) {
        mFailureReason = exception.Text();
        return false;
    }
}

bool D3DTester::ReadCache()
{
    mFirstVerdict = true;
    if (!mKeyOpen || mApp == nullptr) {
        return false;
    }
    auto readNumber = [&](const char* name, uint32_t& value) {
        uint32_t type = 0;
        uint8_t data[4] = {};
        uint32_t length = sizeof(data);
        if (!mApp->RegistryRead(name, type, data, length) || type != Plat::kSettingsInteger || length != 4) {
            return false;
        }
        std::memcpy(&value, data, 4);
        return true;
    };
    auto readText = [&](const char* name, std::string& value) {
        uint32_t type = 0;
        uint8_t data[kMaxText];
        uint32_t length = sizeof(data);
        if (!mApp->RegistryRead(name, type, data, length) || type != Plat::kSettingsString) {
            return false;
        }
        value.assign(reinterpret_cast<const char*>(data), length);
        // A terminating zero, when one was stored, is not part of the text.
        value.resize(std::strlen(value.c_str()));
        return true;
    };
    uint32_t version = 0;
    uint32_t minimum = 0;
    uint32_t recommended = 0;
    if (!readNumber("Test3D\\Version", version) || version != kCacheVersion ||
        !readNumber("Test3D\\MinVidMemory", minimum) || minimum != mMinVidMemory ||
        !readNumber("Test3D\\RecVidMemory", recommended) || recommended != mRecVidMemory) {
        return false;
    }
    uint32_t type = 0;
    uint8_t guid[16] = {};
    uint32_t length = sizeof(guid);
    if (!mApp->RegistryRead("Test3D\\DisplayGUID", type, guid, length) || length != 16 ||
        std::memcmp(guid, mDisplayGUID.data(), 16) != 0) {
        return false;
    }
    std::string reason;
    std::string warning;
    if (!readText("Test3D\\FailureReason", reason) || !readText("Test3D\\Warning", warning)) {
        return false;
    }
    mFailureReason = reason;
    mWarning = warning;
    mFirstVerdict = false;
    return mFailureReason.empty();
}

void D3DTester::WriteCache()
{
    if (!mKeyOpen || mApp == nullptr) {
        return;
    }
    auto writeNumber = [&](const char* name, uint32_t value) {
        uint8_t data[4];
        std::memcpy(data, &value, 4);
        mApp->RegistryWrite(name, Plat::kSettingsInteger, data, 4);
    };
    writeNumber("Test3D\\Version", kCacheVersion);
    writeNumber("Test3D\\MinVidMemory", mMinVidMemory);
    writeNumber("Test3D\\RecVidMemory", mRecVidMemory);
    mApp->RegistryWrite("Test3D\\DisplayGUID", Plat::kSettingsBinary, mDisplayGUID.data(), 16);
    mApp->RegistryWriteString("Test3D\\FailureReason", mFailureReason);
    mApp->RegistryWriteString("Test3D\\Warning", mWarning);
}

bool D3DTester::ReadCardList(const char* name, std::string& text)
{
    PakFile* file = PakOpen(name, "r");
    if (file == nullptr) {
        return false;
    }
    text.clear();
    char buffer[4096];
    size_t read = 0;
    while ((read = PakRead(buffer, 1, sizeof(buffer), file)) > 0) {
        text.append(buffer, read);
    }
    PakClose(file);
    return true;
}

bool D3DTester::FileContains(const std::string& text, const std::string& description)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        // A line is read at most 3999 characters at a time.
        for (size_t piece = start; piece < end; piece += kLineLength - 1) {
            const std::string line =
                Trim(text.substr(piece, std::min(kLineLength - 1, end - piece)));
            if (!line.empty() && StrFindNoCase(description.c_str(), line.c_str()) >= 0) {
                return true;
            }
        }
        start = end + 1;
    }
    return false;
}

bool D3DTester::IsSupportedCard(const std::string& description)
{
    std::string text;
    if (ReadCardList("vhwb.dat", text) && FileContains(text, description)) {
        return false;
    }
    if (ReadCardList("vhw.dat", text)) {
        return FileContains(text, description);
    }
    return mDriverYear >= 2002 || StrFindNoCase(description.c_str(), "nvidia") >= 0 ||
           StrFindNoCase(description.c_str(), "radeon") >= 0 || StrFindNoCase(description.c_str(), "ati ") >= 0;
}

void D3DTester::DrawTestImage(const D3DTestImage& image, int x, int y, uint32_t diffuse)
{
    const bool wide = gD3D32BitTextures;
    for (int top = 0; top < image.mHeight; top += 64) {
        for (int left = 0; left < image.mWidth; left += 64) {
            Plat::SurfaceDesc desc;
            desc.size = Plat::kSurfaceDesc2Size;
            CheckTestError(mTexture1->Lock(nullptr, &desc, Plat::kDdlockWait | Plat::kDdlockWriteOnly),
                           "Lock Texture");
            uint8_t* base = static_cast<uint8_t*>(desc.surface);
            const int bytes = wide ? 4 : 2;
            const int width = std::min(64, image.mWidth - left);
            const int height = std::min(64, image.mHeight - top);
            if (width < 64 || height < 64) {
                for (int row = 0; row < 64; ++row) {
                    std::memset(base + static_cast<size_t>(row) * size_t(desc.pitch), 0, size_t(64 * bytes));
                }
            }
            for (int row = 0; row < height; ++row) {
                uint8_t* out = base + static_cast<size_t>(row) * size_t(desc.pitch);
                for (int column = 0; column < width; ++column) {
                    const uint32_t p = image.Pixel(left + column, top + row);
                    if (wide) {
                        reinterpret_cast<uint32_t*>(out)[column] = p;
                    } else {
                        reinterpret_cast<uint16_t*>(out)[column] = static_cast<uint16_t>(
                            ((p >> 28) << 12) | (((p >> 20) & 15) << 8) | (((p >> 12) & 15) << 4) | ((p >> 4) & 15));
                    }
                }
            }
            CheckTestError(mTexture1->Unlock(nullptr), "Texture Unlock");
            CheckTestError(mDevice->SetTexture(0, mTexture1), "SetTexture theTexture");
            const float x0 = static_cast<float>(x + left) - 0.5f;
            const float y0 = static_cast<float>(y + top) - 0.5f;
            Plat::TLVertex quad[4];
            for (int corner = 0; corner < 4; ++corner) {
                quad[corner].x = x0 + ((corner & 1) != 0 ? 64.0f : 0.0f);
                quad[corner].y = y0 + ((corner & 2) != 0 ? 64.0f : 0.0f);
                quad[corner].diffuse = diffuse;
                quad[corner].u = (corner & 1) != 0 ? 1.0f : 0.0f;
                quad[corner].v = (corner & 2) != 0 ? 1.0f : 0.0f;
            }
            CheckTestError(mDevice->DrawPrimitive(Plat::kD3dptTriangleStrip, Plat::kTLVertexFvf, quad, 4,
                                                  Plat::kD3ddpWait),
                           "DrawPrimitive");
            CheckTestError(mDevice->SetTexture(0, nullptr), "SetTexture NULL");
        }
    }
}

void D3DTester::CopyPrimary()
{
    Plat::SurfaceDesc desc;
    desc.size = Plat::kSurfaceDesc2Size;
    CheckTestError(mRenderTarget->Lock(nullptr, &desc, Plat::kDdlockWait), "CopyPrimary Lock");
    const Plat::DisplayPixelFormat& format = desc.pixelFormat;
    if (format.bitCount != 16 && format.bitCount != 32) {
        mRenderTarget->Unlock(nullptr);
        throw TestException(format.bitCount == 24 ? "Can't test 24-bit mode." : "Invalid Color Depth");
    }
    // Each channel's top bit moves to bit 23, 15 or 7.
    auto place = [](uint32_t pixel, uint32_t mask, int topBit) -> uint32_t {
        if (mask == 0) {
            return 0;
        }
        const int high = 31 - __builtin_clz(mask);
        const uint32_t value = pixel & mask;
        return high >= topBit ? value >> (high - topBit) : value << (topBit - high);
    };
    const uint8_t* base = static_cast<const uint8_t*>(desc.surface);
    const int width = std::min<int>(static_cast<int>(desc.width), mTestImage.mWidth);
    const int height = std::min<int>(static_cast<int>(desc.height), mTestImage.mHeight);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = base + static_cast<size_t>(y) * size_t(desc.pitch);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = format.bitCount == 16 ? reinterpret_cast<const uint16_t*>(row)[x]
                                                     : reinterpret_cast<const uint32_t*>(row)[x];
            const uint32_t red = place(p, format.redMask, 23) & 0xFF0000;
            const uint32_t green = place(p, format.greenMask, 15) & 0xFF00;
            const uint32_t blue = place(p, format.blueMask, 7) & 0xFF;
            mTestImage.mPixels[size_t(y) * size_t(mTestImage.mWidth) + size_t(x)] = 0xFF000000u | red | green | blue;
        }
    }
    mRenderTarget->Unlock(nullptr);
}

template <typename Draw>
bool D3DTester::DrawScene(uint32_t srcBlend, const char* srcStep, uint32_t destBlend, const char* destStep,
                          bool modulate, Draw draw)
{
    try {
        CheckTestError(mDevice->BeginScene(), "BeginScene");
        try {
            CheckTestError(mDevice->Clear(Plat::kD3dclearTarget, 0xFF000000u, 1.0f, 0), "Clear");
            CheckTestError(mDevice->SetRenderState(Plat::kD3drsAlphaBlendEnable, 1),
                           "D3DRENDERSTATE_ALPHABLENDENABLE, TRUE");
            CheckTestError(mDevice->SetRenderState(Plat::kD3drsSrcBlend, srcBlend), srcStep);
            CheckTestError(mDevice->SetRenderState(Plat::kD3drsDestBlend, destBlend), destStep);
            CheckTestError(mDevice->SetRenderState(Plat::kD3drsCullMode, Plat::kD3dcullNone),
                           "D3DRENDERSTATE_CULLMODE, D3DCULL_NONE");
            if (modulate) {
                CheckTestError(mDevice->SetTextureStageState(0, Plat::kD3dtssAlphaOp, Plat::kD3dtopModulate),
                               "D3DTSS_ALPHAOP, D3DTOP_MODULATE");
            }
            D3DTestImage image;
            image.Resize(64, 64);
            draw(image);
            CheckTestError(mDevice->EndScene(), "EndScene");
        } catch (const TestException&) {
            mDevice->EndScene();
            throw;
        }
        CopyPrimary();
    } catch (const TestException& exception) {
        mFailureReason = exception.Text();
        return false;
    }
    return true;
}

bool D3DTester::RunBlendTest(const BlendTest& test)
{
    const bool drawn = DrawScene(test.srcBlend, test.srcStep, test.destBlend, test.destStep, test.modulate,
                                 [&](D3DTestImage& image) {
                                     image.Fill(test.first);
                                     DrawTestImage(image, 0, 0, 0xFFFFFFFFu);
                                     image.Fill(test.second);
                                     DrawTestImage(image, 0, 0, test.secondDiffuse);
                                 });
    if (!drawn) {
        return false;
    }
    int count = 0;
    const bool uniform = mTestImage.CountOff(test.expected, count, 10, 10);
    if (!uniform) {
        mWarning = test.notUniform;
        return true;
    }
    if (count != 0) {
        mFailureReason = test.mismatch;
        return false;
    }
    return true;
}

bool D3DTester::RunClipTest()
{
    const bool drawn = DrawScene(Plat::kD3dblendSrcAlpha, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA",
                                 Plat::kD3dblendInvSrcAlpha, "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA", false,
                                 [&](D3DTestImage& image) {
                                     image.Checkerboard();
                                     DrawTestImage(image, -2, -2, 0xFFFFFFFFu);
                                 });
    if (!drawn) {
        return false;
    }
    if (mTestImage.CountOffStripes(62, 62, 0, 0) != 0) {
        mWarning = "Clip problem detected.";
    }
    return true;
}

bool D3DTester::RunTests()
{
    static const BlendTest kTests[] = {
        {Plat::kD3dblendSrcAlpha, Plat::kD3dblendInvSrcAlpha, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA",
         "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA", 0xFF0000FFu, 0x80FF0000u, 0xFFFFFFFFu, false, 0x7F007F,
         "Alpha blend Not Supported", "Alpha blend test not uniform."},
        {Plat::kD3dblendOne, Plat::kD3dblendOne, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE",
         "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE", 0xFF404040u, 0xFF404040u, 0xFFFFFFFFu, false, 0x808080,
         "Additive blend not supported.", "Additive blend test not uniform."},
        {Plat::kD3dblendSrcAlpha, Plat::kD3dblendOne, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA",
         "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE", 0xFF404040u, 0x80808080u, 0xFFFFFFFFu, false, 0x808080,
         "AlphaAdd blend not supported.", "AlphaAdd blend test not uniform."},
        {Plat::kD3dblendSrcAlpha, Plat::kD3dblendInvSrcAlpha, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA",
         "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA", 0xFF0000FFu, 0xFFFF0000u, 0x80FFFFFFu, true, 0x7F007F,
         "AlphaModulated blend not supported.", "AlphaModulated blend test not uniform."},
    };
    for (const BlendTest& test : kTests) {
        if (!RunBlendTest(test)) {
            return false;
        }
    }
    return RunClipTest();
}

} // namespace Lumo
