// The game's entry. Until the game has its own application class and
// screens, this runs the product's application object with one widget that
// draws a moving picture, in an 800 x 600 window, until the window is
// closed.
//
// LUMO_EXIT_AFTER_MS=<n> ends the run by itself after n milliseconds; a run
// without a display (headless) ends after a few seconds unless it is given.
#include "framework/app/LumoApp.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr uint32_t kHeadlessRunMs = 3000;

// A filled background and a few shapes, one of them moving with the updates.
class DemoWidget : public Lumo::Widget {
public:
    void Update() override
    {
        ++mUpdates;
        MarkDirty();
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
    }

private:
    uint64_t mUpdates = 0;
    Lumo::SysFont mFont{"Arial", 20, true};
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
        if (widgetManager != nullptr)
            widgetManager->AddWidget(&mWidget);
        mStartTick = Plat::GetClock().TickCount();
    }

    void UpdateFrames() override
    {
        LumoApp::UpdateFrames();
        if (mExitAfterMs != 0 && Plat::GetClock().TickCount() - mStartTick >= mExitAfterMs)
            Shutdown();
    }

private:
    uint32_t mExitAfterMs;
    uint32_t mStartTick = 0;
    DemoWidget mWidget;
};

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

int main()
{
    auto app = std::make_unique<DemoApp>(ExitAfterMs());
    app->Init();
    app->Start();
    app->Shutdown();
    app.reset();
    return 0;
}
