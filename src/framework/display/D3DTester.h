// The 3-D acceleration test: identifies the adapter and its driver, checks
// video memory against the application's thresholds, looks the adapter up
// in the card lists "vhw.dat" and "vhwb.dat", and renders five blending and
// clipping tests on a small device whose pixels it reads back. The verdict
// is a failure reason (3-D must not be used) and a warning (3-D is not
// recommended), cached under "Test3D" per adapter and thresholds.
#pragma once

#include "framework/display/D3DTestImage.h"
#include "platform/video/DisplayTypes.h"

#include <array>
#include <cstdint>
#include <exception>
#include <string>

namespace Plat {
class D3DDevice;
class D3DObject;
class DisplayDevice;
class DisplaySurface;
class Window;
} // namespace Plat

namespace Lumo {

class LumoAppBase;

// Set by the 3-D test: the device takes 8888 textures.
extern bool gD3D32BitTextures;

class D3DTester {
public:
    class TestException : public std::exception {
    public:
        explicit TestException(std::string text) : mText(std::move(text)) {}
        const char* what() const noexcept override { return mText.c_str(); }
        const std::string& Text() const { return mText; }

    private:
        std::string mText;
    };

    explicit D3DTester(LumoAppBase* app);
    virtual ~D3DTester();
    D3DTester(const D3DTester&) = delete;
    D3DTester& operator=(const D3DTester&) = delete;

    // The whole test, with the cache; never throws.
    void Test(Plat::Window* window, Plat::DisplayDevice* directDraw);
    // Identification, memory, cache and device; true when the rendering
    // tests are to run.
    bool DoTest(Plat::Window* window, Plat::DisplayDevice* directDraw);
    // The five rendering tests; stops at the first that fails.
    bool RunTests();
    bool ReadCache();
    void WriteCache();
    bool IsSupportedCard(const std::string& description);
    // True when description holds one of the text's trimmed, non-empty lines.
    static bool FileContains(const std::string& text, const std::string& description);
    void CopyPrimary();
    void ReleaseAll();
    void DrawTestImage(const D3DTestImage& image, int x, int y, uint32_t diffuse);
    // Throws "DXError - step: NAME" for a failure.
    static void CheckTestError(Plat::HResult result, const char* step);

    LumoAppBase* mApp;
    Plat::DisplayDevice* mDD7;
    Plat::DisplaySurface* mRenderTarget;
    Plat::DisplaySurface* mTexture1;
    Plat::DisplaySurface* mTexture2;
    Plat::D3DObject* mD3D;
    Plat::D3DDevice* mDevice;
    bool mKeyOpen; // the settings key "Test3D" can be read and written
    std::array<uint8_t, 16> mDisplayGUID;
    std::string mDriver;
    std::string mDescription;
    D3DTestImage mTestImage;
    std::string mFailureReason;
    std::string mWarning;
    uint32_t mMinVidMemory; // MB
    uint32_t mRecVidMemory; // MB
    bool mUseCache;
    bool mWriteNeeded;
    bool mFirstVerdict;
    int mDriverYear;

private:
    // One rendering test; see RunTests.
    struct BlendTest;
    bool RunBlendTest(const BlendTest& test);
    // One test scene: the target cleared to black, blending on with the
    // given factors, culling off, then draw(a 64x64 test image) and the
    // target read back into mTestImage. False, with the failure reason
    // set, when a device call fails.
    template <typename Draw>
    bool DrawScene(uint32_t srcBlend, const char* srcStep, uint32_t destBlend, const char* destStep, bool modulate,
                   Draw draw);
    bool RunClipTest();
    // Reads a card list through the file layer; false when it cannot be opened.
    static bool ReadCardList(const char* name, std::string& text);
};

} // namespace Lumo
