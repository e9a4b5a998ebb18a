// The main window and the display on it: making the window of the current
// mode and placing it, starting and restarting the display, switching
// between window and full screen and between software and 3-D drawing, the
// fallbacks when a mode fails, presenting frames and recovering a lost
// display.
#include "framework/app/LumoAppBase.h"

#include "framework/app/DemoFormat.h"
#include "framework/display/D3DTester.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/system/Clock.h"
#include "platform/window/Cursor.h"
#include "platform/window/WindowSystem.h"

#include <algorithm>

namespace Lumo {

uint32_t gLastDisplayReinitTime = 0;

namespace {

constexpr uint32_t kFrameTimerId = 100;

uint32_t Now()
{
    return Plat::GetClock().TickCount();
}

} // namespace

void LumoAppBase::MakeWindow()
{
    Plat::WindowSystem& system = Plat::GetWindowSystem();

    if (mainWindow != nullptr) {
        Plat::Window* old = nullptr;
        {
            // The cursor thread asks the window for the mouse.
            AutoCrit lock(critSect);
            old = mainWindow;
            mainWindow = nullptr;
        }
        old->SetUserData(nullptr);
        delete old;
        if (widgetManager != nullptr)
            widgetManager->image = nullptr;
    }

    Plat::Window* window = nullptr;
    if (!playingDemo && !windowed) {
        window = system.CreateWindow(Plat::kWsExTopmost, "MainWindow", title, Plat::kWsPopup | Plat::kWsVisible, 0,
                                     0, width, height);
        physicallyWindowed = false;
    } else {
        uint32_t style = Plat::kWsPopup | Plat::kWsClipChildren | Plat::kWsCaption | Plat::kWsSysMenu |
                         Plat::kWsMinimizeBox;
        if (allowMaximize)
            style |= Plat::kWsMaximizeBox;
        const Plat::ScreenRect outer = system.AdjustWindowRect({0, 0, width, height}, style);
        const int w = outer.Width();
        const int h = outer.Height();
        const Plat::ScreenRect work = system.GetWorkArea();
        int x = 64;
        int y = 64;
        const bool centre = preferredX == -1;
        if (!centre) {
            x = std::max(preferredX, work.left + 4);
            y = std::max(preferredY, work.top + 4);
            if (x + w >= work.right - 4)
                x = work.right - 4 - w;
            if (y + h >= work.bottom - 4)
                y = work.bottom - 4 - h;
        }
        window = system.CreateWindow(0, "MainWindow", title, style, x, y, w, h);
        if (window != nullptr && centre) {
            // Centred across, with 38.2 % of the free height above.
            const int left = work.left + (work.Width() - w) / 2;
            const int top = work.top + static_cast<int>(0.382 * (work.Height() - h));
            window->Move(left, top, w, h, false);
        }
        physicallyWindowed = true;
    }

    if (window == nullptr) {
        // Without a window there is nothing to show the game in.
        FatalErrorPopup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
                        DDInterface::ResultToString(DDInterface::RESULT_FAIL) + " " + "The window could not be made.");
        DoExit(1);
        return;
    }
    window->SetUserData(this);
    window->SetProcedure(&LumoAppBase::WindowProc);
    {
        AutoCrit lock(critSect);
        mainWindow = window;
    }
    // The window layer makes windows before they have a procedure: the
    // creation message is handed over here.
    WindowProc(window, Plat::kWmCreate, 0, 0);

    if (ddInterface == nullptr) {
        ddInterface = new DDInterface(this);
        bool stored = false;
        if (RegistryReadBoolean("Is3D", stored)) {
            if (ignoreStored3D) {
                ignoreStored3D = false;
                stored3DTaken = true;
            }
            if (stored)
                stored3DTaken = true;
            ddInterface->mIs3D = stored;
        }
    }

    const int result = ReInitDisplay();
    // A first verdict of the 3-D test replaces the stored choice. (The test
    // is asked for at every start; only a verdict new to this machine counts.)
    if (ddInterface->mD3DTester != nullptr && ddInterface->mD3DTester->mFirstVerdict) {
        RegistryEraseValue("Is3D");
    }

    if (windowed && result == DDInterface::RESULT_INVALID_COLORDEPTH) {
        if (fullScreenFailed) {
            FatalErrorPopup(GetString("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
            DoExit(1);
            return;
        }
        forceFullscreen = true;
        SwitchScreenMode(false);
        return;
    }
    if (!windowed && (result == DDInterface::RESULT_EXCLUSIVE_FAIL || result == DDInterface::RESULT_DISPCHANGE_FAIL)) {
        fullScreenFailed = true;
        // A forced full screen that is refused would leave no working mode
        // at all: the window is tried again (an unusable desktop depth then
        // ends the run with its message).
        forceFullscreen = false;
        SwitchScreenMode(true);
    } else if (result == DDInterface::RESULT_3D_FAIL) {
        Set3DAccelerated(false, true);
        return;
    } else if (result != DDInterface::RESULT_OK) {
        if (Is3DAccelerated()) {
            Set3DAccelerated(false, true);
            return;
        }
        FatalErrorPopup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
                        DDInterface::ResultToString(result) + " " + ddInterface->mErrorText);
        DoExit(1);
        return;
    }
    if (mainWindow == nullptr)
        return;

    const bool wasActive = active;
    active = system.GetActiveWindow() == mainWindow;
    windowIconic = false;
    if (minimized) {
        // (Unmuting comes with the sound side.)
        minimized = false;
        RehupFocus();
    }
    if (active != wasActive)
        RehupFocus();
    ImagesAfterDisplayInit();
    if (widgetManager != nullptr) {
        widgetManager->image = ddInterface->GetScreenImage();
        widgetManager->MarkAllDirty();
    }
    mainWindow->SetTimer(kFrameTimerId, static_cast<uint32_t>(frameTime > 0 ? frameTime : 1));
}

int LumoAppBase::ReInitDisplay()
{
    BeforeDisplayInitHook();
    ImagesBeforeDisplayInit();
    const int result = ddInterface->Init(mainWindow, physicallyWindowed);
    RecordDisplaySetup();
    if (result != DDInterface::RESULT_OK)
        return result;

    const int drawWidth = ddInterface->mWidth;
    const int drawHeight = ddInterface->mHeight;
    if (centerScreen)
        screenRect = TRect<int>((width - drawWidth) / 2, (height - drawHeight) / 2, drawWidth, drawHeight);
    else
        screenRect = TRect<int>(0, 0, drawWidth, drawHeight);
    if (widgetManager != nullptr)
        widgetManager->SetMouseRemap(screenRect, ddInterface->mPresentationRect);
    AfterDisplayInitHook();
    return DDInterface::RESULT_OK;
}

void LumoAppBase::RecordDisplaySetup()
{
    if (ddInterface != nullptr)
        refreshRate = ddInterface->mRefreshRate;
    if (DemoRecordsNow()) {
        DemoBeginRecord(kDemoDisplaySetup);
        demoBuffer.WriteBoolean(windowed);
        demoBuffer.WriteByte(static_cast<uint8_t>(refreshRate));
    }
}

void LumoAppBase::SwitchScreenMode(bool wantWindowed, bool is3D, bool force)
{
    if (forceFullscreen)
        wantWindowed = false;
    if (windowed == wantWindowed && !force) {
        Set3DAccelerated(is3D, true);
        return;
    }
    Set3DAccelerated(is3D, false); // only the wish: the new window starts the display
    windowed = wantWindowed;
    MakeWindow();
    if (mainWindow != nullptr) {
        if (!urlOpenPending) {
            mainWindow->Show(Plat::kSwShowNormal);
            mainWindow->SetForeground();
        } else {
            // A web page the program opened keeps the front.
            mainWindow->Show(Plat::kSwShowNoActivate);
        }
    }
    // (The sound manager is told the new window once it exists.)
    displayChangeTime = Now();
    RefreshCrashContext();
}

void LumoAppBase::SwitchScreenMode(bool wantWindowed)
{
    SwitchScreenMode(wantWindowed, Is3DAccelerated(), false);
}

void LumoAppBase::SwitchScreenMode()
{
    SwitchScreenMode(windowed, Is3DAccelerated(), true);
}

void LumoAppBase::Set3DAccelerated(bool enable, bool reinit)
{
    if (ddInterface == nullptr || ddInterface->mIs3D == enable)
        return;
    is3DSwitchedThisRun = true;
    ddInterface->mIs3D = enable;
    if (!reinit)
        return;
    const int result = ReInitDisplay();
    if (result != DDInterface::RESULT_OK) {
        if (enable) {
            Set3DAccelerated(false, reinit); // back to software drawing
        } else {
            FatalErrorPopup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
                            DDInterface::ResultToString(result) + " " + ddInterface->mErrorText);
            DoExit(1);
        }
        return;
    }
    ImagesAfterDisplayInit();
    if (widgetManager != nullptr) {
        widgetManager->image = ddInterface->GetScreenImage();
        widgetManager->MarkAllDirty();
    }
}

void LumoAppBase::Redraw(const TRect<int>* clipRect)
{
    if (isDrawing || shutdown || gScreenSaverIdle || minimized || ddInterface == nullptr)
        return;

    const bool was3D = Is3DAccelerated();
    const bool ok = ddInterface->Redraw(clipRect);
    if (ok && gDisplayLost) {
        gDisplayLost = false;
        gLastDisplayReinitTime = 0;
    }
    if (!ok) {
        // A lost display is no 3-D trouble; 3-D turned off by a failure of the
        // renderer is, and the exit question must still come.
        if (!(was3D && !Is3DAccelerated()))
            gD3DTrouble = false;
        gDisplayLost = true;
        const int showState = mainWindow != nullptr ? mainWindow->GetShowState() : Plat::kSwHide;
        const uint32_t now = Now();
        // Inactive: full screen waits to be activated, a window retries once a second.
        if (!active && (now - gLastDisplayReinitTime <= 1000 || !physicallyWindowed)) {
            ++redrawCount;
            return;
        }
        if (showState == Plat::kSwShowMinimized || minimized) {
            ++redrawCount;
            return;
        }
        if (widgetManager != nullptr)
            widgetManager->image = nullptr;
        gLastDisplayReinitTime = now;
        const int result = ReInitDisplay();
        if (windowed && result == DDInterface::RESULT_INVALID_COLORDEPTH) {
            if (!active)
                return;
            SwitchScreenMode(false);
            forceFullscreen = true;
            return;
        }
        if (result == DDInterface::RESULT_3D_FAIL) {
            Set3DAccelerated(false, true);
            return;
        }
        if (result != DDInterface::RESULT_OK)
            return; // the next frame tries again
        ImagesAfterDisplayInit();
        if (widgetManager != nullptr) {
            widgetManager->image = ddInterface->GetScreenImage();
            widgetManager->MarkAllDirty();
        }
        displayChangeTime = now;
    }
    ++redrawCount;
}

bool LumoAppBase::Is3DSupported()
{
    // Only a 3-D test result can vouch for 3-D.
    return ddInterface != nullptr && ddInterface->mD3DTester != nullptr &&
           ddInterface->mD3DTester->mFailureReason.empty();
}

bool LumoAppBase::Is3DRecommended()
{
    return Is3DSupported() && ddInterface->mD3DTester->mWarning.empty();
}

DDImage* LumoAppBase::CopyImage(Image* image)
{
    if (image == nullptr)
        return nullptr;
    return CopyImageRect(image, TRect<int>(0, 0, image->GetWidth(), image->GetHeight()));
}

// Every walk takes the image lock: the loading thread makes images while
// the main thread restarts the display.
void LumoAppBase::ImagesBeforeDisplayInit()
{
    AutoCrit lock(ImageLock());
    for (MemoryImage* image : memoryImageSet)
        image->DeleteNativeData();
}

void LumoAppBase::ImagesAfterDisplayInit()
{
    AutoCrit lock(ImageLock());
    for (MemoryImage* image : memoryImageSet)
        image->ReInit();
}

void LumoAppBase::ImagesUnderDisplayLock()
{
    AutoCrit lock(ImageLock());
    for (MemoryImage* image : memoryImageSet)
        image->DeleteExtraBuffers();
}

} // namespace Lumo
