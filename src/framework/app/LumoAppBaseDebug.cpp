// The debug keys: the frame-rate, mouse-position and demo-time overlays,
// stepping and slowing the loop, screenshots, the profiler, the reload of mod
// values and the system report.
#include "framework/app/LumoAppBase.h"

#include "framework/app/ModVals.h"
#include "framework/app/SectionProfiler.h"
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "framework/core/AppDataFolder.h"
#include "framework/core/PathUtils.h"
#include "framework/sound/SoundManager.h"
#include "framework/core/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/system/Clock.h"
#include "platform/video/DisplayDevice.h"
#include "platform/files/FileSystem.h"
#include "platform/system/MessageBox.h"
#include "platform/audio/SystemSound.h"
#include "platform/window/WindowMessage.h"

#include <climits>
#include <cstring>
#include <memory>

namespace Lumo {

namespace {

constexpr int kVkR = 0x52;
constexpr int kVkF2 = 0x71;
constexpr int kVkF3 = 0x72;
constexpr int kVkF8 = 0x77;
constexpr int kVkF10 = 0x79;
constexpr int kVkF11 = 0x7A;
constexpr int kOverlayWidth = 50;
constexpr uint32_t kVideoMemoryCaps = 0x4000;

uint32_t Now()
{
    return Plat::GetClock().TickCount();
}

// Fills the image black and writes the text in white at the font's baseline;
// the image is made at the first call.
void RedrawOverlay(LumoAppBase* app, DDImage*& image, Font*& font, const std::string& text)
{
    if (font == nullptr)
        font = new SysFont(app, "Tahoma", 8, 0);
    if (image == nullptr) {
        image = new DDImage(app->ddInterface);
        image->Create(kOverlayWidth, font->GetHeight() + 4);
    }
    Graphics g(image);
    g.SetFont(font);
    g.SetColor(Color(0, 0, 0, 255));
    g.FillRect(0, 0, image->GetWidth(), image->GetHeight());
    g.SetColor(Color(255, 255, 255, 255));
    g.DrawString(text, 2, font->GetAscent());
    image->BitsChanged();
}

} // namespace

bool LumoAppBase::DebugKeyDown(int key)
{
    // During playback the widget manager's table holds the replayed keys:
    // the keys really held come from the window procedure.
    bool shift = shiftDown;
    bool ctrl = ctrlDown;
    bool alt = altDown;
    if (!playingDemo && widgetManager != nullptr) {
        shift = widgetManager->keyDown[Plat::kVkShift] != 0;
        ctrl = widgetManager->keyDown[Plat::kVkControl] != 0;
        alt = widgetManager->keyDown[Plat::kVkMenu] != 0;
    }

    switch (key) {
    case kVkR:
        if (alt) {
            if (ReparseModVals())
                Plat::PlaySystemSoundFile("c:\\windows\\media\\Windows XP Menu Command.wav");
            else
                ClearKeyStates();
        }
        return false;
    case kVkF3:
        if (shift) {
            showOverlay = true;
            if (++overlayMode >= 2)
                overlayMode = 0;
        } else {
            showOverlay = !showOverlay;
        }
        if (widgetManager != nullptr)
            widgetManager->MarkAllDirty();
        if (showOverlay) {
            fpsTimer.Start();
            fpsCalls = 0;
            fpsValue = 0;
            fpsRestart = true;
        }
        return false;
    case kVkF8:
        if (shift) {
            Set3DAccelerated(!Is3DAccelerated(), true);
            MsgBox(StrFormat("3D-Mode: %s", Is3DAccelerated() ? "ON" : "OFF"), "Mode Switch", 0);
            displayChangeTime = Now();
        } else {
            ShowSystemReport();
        }
        return true;
    case kVkF10:
        if (ctrl) {
            updateMultiplier = updateMultiplier == 0.25 ? 1.0 : 0.25;
        } else if (shift) {
            stepMode = 0;
            lastTimingTick = Now();
            updateTimeAccum = 0.0;
        } else {
            stepMode = 1;
        }
        return true;
    case kVkF11:
        if (shift)
            DumpImageList();
        else
            TakeScreenshot();
        return true;
    case kVkF2:
        if (PerfIsActive()) {
            PerfStop();
            MsgBox(PerfGetResults(), "Perf Results", 0);
            updateTimeAccum = 0.0;
            lastTimingTick = Now();
        } else {
            updateTimeAccum = 0.0;
            lastTimingTick = Now();
            PerfStart();
        }
        return false;
    default:
        return false;
    }
}

// ---- Overlays

void LumoAppBase::FreeOverlays()
{
    delete overlayImage;
    overlayImage = nullptr;
    delete demoTimeImage;
    demoTimeImage = nullptr;
    delete overlayFont;
    overlayFont = nullptr;
    delete demoTimeFont;
    demoTimeFont = nullptr;
}

void LumoAppBase::RefreshFpsOverlay()
{
    ++fpsCalls;
    if (fpsTimer.GetDuration() < 1000.0 && !fpsRestart)
        return;
    fpsTimer.Stop();
    if (fpsRestart) {
        fpsRestart = false;
        fpsValue = 0;
    } else {
        const double elapsed = fpsTimer.GetDuration();
        fpsValue = elapsed > 0.0 ? static_cast<int>(fpsCalls * 1000.0 / elapsed + 0.5) : 0;
    }
    fpsTimer.Start();
    fpsCalls = 0;
    overlayText = StrFormat("FPS: %d", fpsValue);
    RedrawOverlay(this, overlayImage, overlayFont, overlayText);
}

void LumoAppBase::RefreshMouseOverlay(int x, int y)
{
    overlayText = StrFormat("%d,%d", x, y);
    RedrawOverlay(this, overlayImage, overlayFont, overlayText);
}

void LumoAppBase::RefreshDemoTimeOverlay()
{
    const uint32_t now = Now();
    // Compared as a double: a tiny multiplier makes the interval too large
    // for an int.
    if (updateMultiplier > 0.0 && static_cast<double>(now - demoTimeTick) < 1000.0 / updateMultiplier)
        return;
    demoTimeTick = now;
    int64_t seconds = static_cast<int64_t>(frameTime) * (static_cast<int64_t>(demoTotalUpdates) - updateCount) / 1000;
    // Past the end of the demo there is no time left, not a negative one.
    if (seconds < 0)
        seconds = 0;
    demoTimeText = StrFormat("%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                             static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    RedrawOverlay(this, demoTimeImage, demoTimeFont, demoTimeText);
}

void LumoAppBase::DrawOverlays(Graphics* g)
{
    if (g == nullptr || overlayImage == nullptr)
        return;
    const int overlayWidth = overlayImage->GetWidth();
    const int overlayHeight = overlayImage->GetHeight();
    g->DrawImage(overlayImage, width - overlayWidth - 10, height - overlayHeight - 10);
    if (playingDemo && demoTimeImage != nullptr) {
        g->DrawImage(demoTimeImage, width - demoTimeImage->GetWidth() - 10,
                     height - overlayHeight - demoTimeImage->GetHeight() - 15);
    }
}

// ---- Screenshots

int LumoAppBase::NextScreenshotNumber(const std::string& folder)
{
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();
    Plat::FindData entry;
    std::unique_ptr<Plat::FindHandle> search = fileSystem.FindFirst(folder + "*.png", entry);
    int largest = 0;
    for (bool more = search != nullptr; more; more = fileSystem.FindNext(*search, entry)) {
        // "image<n>.png" with n from 1 to one below the largest int, so that
        // the next number still fits.
        const std::string& name = entry.fileName;
        if (name.size() < 10 || name.compare(0, 5, "image") != 0 || StringToLower(name.substr(name.size() - 4)) != ".png")
            continue;
        const size_t digitsEnd = name.size() - 4;
        int64_t n = 0;
        bool valid = digitsEnd > 5;
        for (size_t i = 5; valid && i < digitsEnd; ++i) {
            const char c = name[i];
            valid = c >= '0' && c <= '9';
            n = n * 10 + (c - '0');
            valid = valid && n < INT_MAX;
        }
        if (valid && n >= 1 && n > largest)
            largest = static_cast<int>(n);
    }
    return largest + 1;
}

void LumoAppBase::TakeScreenshot()
{
    if (ddInterface == nullptr || ddInterface->mDrawSurface == nullptr)
        return;
    std::string folder = GetAppDataFolder() + "_screenshots";
    MkDir(folder);
    folder += "/";
    const std::string fileName = folder + StrFormat("image%d.png", NextScreenshotNumber(folder));

    // A surface image over the draw surface reads its pixels; the display's
    // own pointer is set aside meanwhile, so the wrapper is an ordinary
    // surface image and not the 3-D target.
    std::unique_ptr<ImageLib::Image> picture;
    {
        AutoCrit lock(ddInterface->mCritSect);
        Plat::DisplaySurface* drawSurface = ddInterface->mDrawSurface;
        ddInterface->mDrawSurface = nullptr;
        {
            DDImage capture(ddInterface);
            capture.SetSurface(drawSurface);
            const uint32_t* bits = capture.GetBits();
            const size_t count = capture.PixelCount();
            if (bits != nullptr && count > 0) {
                uint32_t* copy = new uint32_t[count];
                std::memcpy(copy, bits, count * sizeof(uint32_t));
                picture = std::make_unique<ImageLib::Image>(capture.GetWidth(), capture.GetHeight(), copy);
            }
        }
        ddInterface->mDrawSurface = drawSurface;
    }
    if (picture == nullptr)
        return;
    ImageLib::WritePNGImage(fileName, picture.get());
    updateTimeAccum = 0.0;
    lastTimingTick = Now();
}

// ---- The system report

std::string LumoAppBase::GetSystemReport()
{
    uint32_t totalVideo = 0;
    uint32_t freeVideo = 0;
    if (ddInterface != nullptr && ddInterface->mDD != nullptr &&
        Plat::Failed(ddInterface->mDD->GetAvailableVidMem(kVideoMemoryCaps, &totalVideo, &freeVideo))) {
        totalVideo = 0;
        freeVideo = 0;
    }

    // Texture memory by format code 1, 2, 4 and 8; 64-bit sums.
    const int formatCodes[4] = {1, 2, 4, 8};
    const char* const formatNames[4] = {"A8R8G8B8", "A4R4G4B4", "R5G6B5", "Palette8"};
    int formatCounts[4] = {};
    int64_t formatBytes[4] = {};
    int64_t textureTotal = 0;
    int imageCount = 0;
    {
        AutoCrit lock(ImageLock());
        imageCount = static_cast<int>(memoryImageSet.size());
        for (MemoryImage* image : memoryImageSet) {
            int64_t bytes = 0;
            int format = 0;
            if (!detail::GetTextureMemory(image, bytes, format))
                continue;
            textureTotal += bytes;
            for (int i = 0; i < 4; ++i) {
                if (formatCodes[i] == format) {
                    ++formatCounts[i];
                    formatBytes[i] += bytes;
                }
            }
        }
    }

    // The 3-D test's verdict comes with the 3-D renderer; without it the
    // system counts as unsupported.
    const char* verdict = "Unsupported";
    std::string text = StrFormat("3D-Mode is %s (3D is %s on this system)\r\n\r\n", Is3DAccelerated() ? "On" : "Off",
                                 verdict);
    text += StrFormat("Num Images: %d\r\n", imageCount);
    text += StrFormat("Num Sounds: %d\r\n", soundManager != nullptr ? soundManager->GetNumSounds() : 0);
    const uint32_t usedVideo = totalVideo >= freeVideo ? totalVideo - freeVideo : 0;
    text += StrFormat("Video Memory: %s/%s KB\r\n", FormatWithCommas(usedVideo >> 10).c_str(),
                      FormatWithCommas(totalVideo >> 10).c_str());
    text += StrFormat("Texture Memory: %s KB\r\n", FormatWithCommas(textureTotal / 1024).c_str());
    for (int i = 0; i < 4; ++i) {
        text += StrFormat("%s: %d - %s KB\r\n", formatNames[i], formatCounts[i],
                          FormatWithCommas(formatBytes[i] / 1024).c_str());
    }
    return text;
}

void LumoAppBase::ShowSystemReport()
{
    MsgBox(GetSystemReport(), "Video Stats", 0);
    displayChangeTime = Now();
}

namespace detail {

bool GetTextureMemory(const MemoryImage* /*image*/, int64_t& bytes, int& format)
{
    // The 3-D renderer's texture data has no size or format to read until
    // that renderer exists.
    bytes = 0;
    format = 0;
    return false;
}

} // namespace detail

} // namespace Lumo
