// The game's entry: one game state and one Platform layer, the game's
// application object run until its window closes, then the live list
// emptied and the player file saved.
//
// LUMO_EXIT_AFTER_MS=<n> closes the window by itself after n milliseconds,
// as a player would; a run without a display (headless) ends after a few
// seconds unless it is given.
#include "framework/net/CrashReporter.h"
#include "game/engine/GameApp.h"
#include "game/engine/GameState.h"
#include "game/engine/Platform.h"
#include "game/engine/PlayerProfiles.h"
#include "game/play/PlayHooks.h"
#include "platform/files/UserFolders.h"
#include "platform/system/CrashSignals.h"
#include "platform/system/ProcessControl.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr uint32_t kHeadlessRunMs = 12000;

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

// Runs the application through the Platform layer; the application is gone
// (and has written its settings) when this returns.
void RunApp(Platform& platform, uint32_t exitAfterMs)
{
    auto app = std::make_unique<GameApp>();
    platform.SetHost(app.get());
    platform.ClearRenderTarget();
    app->SetExitAfterMs(exitAfterMs);
    app->Init();
    app->Start();
    app.reset();
    platform.SetHost(nullptr);
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
    PlayHooks hooks; // outlives the game state, whose live list may still ask it
    GameState game;
    game.mHooks = &hooks;
    {
        Platform platform;
        game.mPlatform = &platform;
        game.mImageCache.SetPlatform(&platform);
        RunApp(platform, ExitAfterMs());
        game.mLiveObjects.RemoveAll();
        game.mImageCache.SetPlatform(nullptr);
        game.mPlatform = nullptr;
    }
    SaveProfiles();
    return 0;
}
