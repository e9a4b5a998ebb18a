// The game's entry. Until the game has its own application class and
// screens, this runs the product's application object with one widget that
// draws a moving picture, in an 800 x 600 window, until the window is
// closed.
//
// LUMO_EXIT_AFTER_MS=<n> ends the run by itself after n milliseconds; a run
// without a display (headless) ends after a few seconds unless it is given.
#include "framework/net/CrashReporter.h"
#include "framework/app/LumoApp.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/SysFont.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/files/UserFolders.h"
#include "platform/system/Clock.h"
#include "platform/system/CrashSignals.h"
#include "platform/system/ProcessControl.h"
#include "platform/window/WindowMessage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr uint32_t kHeadlessRunMs = 3000;
constexpr const char* kPixelFontPath = "fonts\\pixel.txt";
// Made by tools/make_sounds.py; the sound manager adds the extension.
constexpr const char* kClickSound = "sounds\\click";

// A filled background and a few shapes, one of them moving with the updates.
class DemoWidget : public Lumo::Widget {
public:
    void Update() override
    {
        ++mUpdates;
        MarkDirty();
    }

    // Not owned; null draws no pixel-font line.
    void SetPixelFont(Lumo::Font* font) { mPixelFont = font; }
    // Called on every click (the application plays a sound).
    std::function<void()> clicked;
    // Called when Escape is pressed (the application asks whether to quit).
    std::function<void()> escaped;

    // Input: the box under the mouse lights up, a click recolours the
    // marker, the arrow keys move it, and the last key and character show.
    void MouseMove(int theX, int theY) override
    {
        mMouseX = theX;
        mMouseY = theY;
        mMouseInside = true;
    }
    void MouseDrag(int theX, int theY) override { MouseMove(theX, theY); }
    void MouseLeave() override { mMouseInside = false; }
    void MouseDown(int theX, int theY, int /*buttonNum*/, int /*clickCount*/) override
    {
        MouseMove(theX, theY);
        ++mClicks;
        if (clicked)
            clicked();
    }
    void KeyDown(int keyCode) override
    {
        mLastKey = keyCode;
        if (keyCode == Plat::kVkEscape && escaped)
            escaped();
        constexpr int kStep = 10;
        if (keyCode == Plat::kVkLeft)
            mMarkerX -= kStep;
        else if (keyCode == Plat::kVkRight)
            mMarkerX += kStep;
        else if (keyCode == Plat::kVkUp)
            mMarkerY -= kStep;
        else if (keyCode == Plat::kVkDown)
            mMarkerY += kStep;
        mMarkerX = std::clamp(mMarkerX, 0, width - kMarkerSize);
        mMarkerY = std::clamp(mMarkerY, 0, height - kMarkerSize);
    }
    void KeyChar(char theChar) override
    {
        if (static_cast<unsigned char>(theChar) >= 0x20) {
            mTyped += theChar;
            if (mTyped.size() > 24)
                mTyped.erase(0, mTyped.size() - 24);
        }
    }

    void Draw(Lumo::Graphics* g) override
    {
        g->SetColor(Lumo::Color(24, 40, 72));
        g->FillRect(0, 0, width, height);

        g->SetColor(Lumo::Color(220, 180, 60));
        g->FillRect(100, 100, 200, 120);
        g->SetColor(Lumo::Color(60, 200, 120));
        g->FillRect(220, 160, 200, 140);
        g->SetColor(Lumo::Color(240, 240, 240));
        g->DrawRect(80, 80, 360, 240);
        for (int i = 0; i < 8; ++i)
            g->DrawLine(500, 100 + i * 20, 700, 300 - i * 20);

        // One square crosses the screen every 4 seconds of updates.
        const int travel = width - 80;
        const int x = static_cast<int>((mUpdates * 2) % (travel > 0 ? travel : 1));
        g->SetColor(Lumo::Color(230, 70, 70));
        g->FillRect(x, 440, 80, 80);

        g->SetFont(&mFont);
        g->SetColor(Lumo::Color(255, 255, 255));
        g->DrawString("Tavoro Oribel", 100, 380);
        // A line in the pixel font of data/fonts, whose glyphs are cut from
        // a loaded image.
        if (mPixelFont != nullptr) {
            g->SetFont(mPixelFont);
            g->SetColor(Lumo::Color(255, 220, 120));
            g->DrawString("Tavoro Oribel - pixel font", 100, 570);
        }

        // The box under the mouse gets a bright double outline.
        const Lumo::TRect<int> boxes[] = {{100, 100, 200, 120}, {220, 160, 200, 140}};
        for (const Lumo::TRect<int>& box : boxes) {
            if (mMouseInside && mMouseX >= box.mX && mMouseX < box.mX + box.mWidth && mMouseY >= box.mY &&
                mMouseY < box.mY + box.mHeight) {
                g->SetColor(Lumo::Color(255, 255, 255));
                g->DrawRect(box.mX - 2, box.mY - 2, box.mWidth + 3, box.mHeight + 3);
                g->DrawRect(box.mX - 3, box.mY - 3, box.mWidth + 5, box.mHeight + 5);
                break;
            }
        }
        const Lumo::Color markerColors[] = {Lumo::Color(255, 255, 0), Lumo::Color(0, 255, 255),
                                            Lumo::Color(255, 0, 255)};
        g->SetColor(markerColors[mClicks % 3]);
        g->FillRect(mMarkerX, mMarkerY, kMarkerSize, kMarkerSize);
        g->SetColor(Lumo::Color(255, 255, 255));
        g->DrawString("key " + std::to_string(mLastKey) + "  typed: " + mTyped, 500, 380);
    }

private:
    uint64_t mUpdates = 0;
    static constexpr int kMarkerSize = 24;
    int mMouseX = 0;
    int mMouseY = 0;
    bool mMouseInside = false;
    int mClicks = 0;
    int mMarkerX = 600;
    int mMarkerY = 460;
    int mLastKey = 0;
    std::string mTyped;
    Lumo::SysFont mFont{"Arial", 20, true};
    Lumo::Font* mPixelFont = nullptr;
};

class DemoApp : public Lumo::LumoApp {
public:
    explicit DemoApp(uint32_t exitAfterMs) : mExitAfterMs(exitAfterMs)
    {
        width = kScreenWidth;
        height = kScreenHeight;
        title = "Tavoro Oribel";
    }

    ~DemoApp() override
    {
        Shutdown();
        if (widgetManager != nullptr)
            widgetManager->RemoveWidget(&mWidget);
    }

    void InitHook() override
    {
        mWidget.Resize(0, 0, width, height);
        // The game runs in its data folder; elsewhere (the build's smoke
        // runs) the font is absent and its line is left out.
        if (FileExists(kPixelFontPath)) {
            mPixelFont = std::make_unique<Lumo::ImageFont>(this, kPixelFontPath);
            mWidget.SetPixelFont(mPixelFont.get());
        }
        if (widgetManager != nullptr) {
            widgetManager->AddWidget(&mWidget);
            widgetManager->SetFocus(&mWidget);
        }
        // A blip at start and on each click; without a sound card (or away
        // from the data folder) there is no sound and nothing else changes.
        if (soundManager != nullptr && FileExists(std::string(kClickSound) + ".wav")) {
            mClickSound = soundManager->LoadSound(kClickSound);
            mWidget.clicked = [this] { PlaySample(mClickSound); };
            PlaySample(mClickSound);
        }
        mWidget.escaped = [this] { DoDialog(kQuitDialog, true, "Quit?", "Leave Tavoro Oribel?", "", 1); };
        mStartTick = Plat::GetClock().TickCount();
    }

    // The quit dialog's buttons: YES ends the run, NO closes the dialog.
    void ButtonDepress(int id) override
    {
        if (id == kQuitDialog + 2000)
            Shutdown();
        else if (id == kQuitDialog + 3000)
            KillDialog(kQuitDialog);
    }

    void UpdateFrames() override
    {
        LumoApp::UpdateFrames();
        if (mExitAfterMs != 0 && Plat::GetClock().TickCount() - mStartTick >= mExitAfterMs)
            Shutdown();
    }

private:
    static constexpr int kQuitDialog = 1;
    uint32_t mExitAfterMs;
    uint32_t mStartTick = 0;
    int mClickSound = -1;
    DemoWidget mWidget;
    std::unique_ptr<Lumo::ImageFont> mPixelFont; // its images are shared images of the application
};

// Catches fatal signals from before main on; a crash starts this program
// again as the reporter.
struct CrashCatcher {
    CrashCatcher()
    {
        Plat::InstallCrashSignals(Plat::ExecutablePath(), Lumo::kCrashReporterOption,
                                  Plat::UserRuntimeFolder() + "/tavoro-oribel");
    }
    ~CrashCatcher() { Plat::RemoveCrashSignals(); }
};
CrashCatcher gCrashCatcher;

bool HasDisplay()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0))
        return false;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

uint32_t ExitAfterMs()
{
    if (const char* text = std::getenv("LUMO_EXIT_AFTER_MS")) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(text, &end, 10);
        if (end != text)
            return static_cast<uint32_t>(value);
    }
    return HasDisplay() ? 0 : kHeadlessRunMs;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string reporterOption = Lumo::kCrashReporterOption;
    if (argc >= 2 && std::string(argv[1]).rfind(reporterOption, 0) == 0) {
        // A crash of the reporter itself is not reported again.
        Plat::RemoveCrashSignals();
        return Lumo::RunCrashReporter(argv[1] + reporterOption.size());
    }
    auto app = std::make_unique<DemoApp>(ExitAfterMs());
    app->Init();
    app->Start();
    app->Shutdown();
    app.reset();
    return 0;
}
