// The game's one widget, over the whole screen: it shows the splash
// pictures and the loading screen, runs the game's loading thread, drives
// the fixed 4-ms game tick over the live list, draws the live list every
// frame with the paused picture over it, and turns the framework's mouse
// and key callbacks into the game's input.
#pragma once

#include "framework/widgets/Widget.h"
#include "game/engine/AnimObject.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>

namespace Lumo {
class Graphics;
class LumoAppBase;
} // namespace Lumo

class MainWidget : public Lumo::Widget {
public:
    // Milliseconds of one game tick.
    static constexpr uint32_t kTickMs = 4;
    // A stall longer than this many ticks is not caught up.
    static constexpr uint32_t kMaxCatchUpTicks = 100;
    // After such a stall a pass runs at most this many ticks.
    static constexpr uint32_t kStallPassTicks = 20;
    // How long the loading thread lets the full bar stand.
    static constexpr uint32_t kFullBarMs = 1000;

    // The application (may be null in tests) takes the clock seed through
    // its demo, so a recorded run replays with the same random numbers.
    explicit MainWidget(Lumo::LumoAppBase* app);
    // Waits for the loading thread.
    ~MainWidget() override;
    MainWidget(const MainWidget&) = delete;
    MainWidget& operator=(const MainWidget&) = delete;

    void Update() override;
    // The tick driver; the fraction is not used.
    void UpdateF(float fraction) override;
    void Draw(Lumo::Graphics* g) override;

    void KeyDown(int keyCode) override;
    void KeyUp(int keyCode) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDrag(int x, int y) override;
    void MouseDown(int x, int y, int clickCount) override;
    void MouseUp(int x, int y, int clickCount) override;
    void MouseWheel(int delta) override;
    using Lumo::Widget::MouseDown;
    using Lumo::Widget::MouseUp;

    // The game data index the loading thread reads ("config.xml").
    void SetDataFile(const std::string& fileName) { mDataFile = fileName; }
    // The loading thread's first step: starts the sound output (without it,
    // the installed sound layer starts on no window).
    void SetSoundStart(std::function<void()> start) { mSoundStart = std::move(start); }
    // Replaces the clock seed of the game's random generator.
    void SetSeed(uint32_t seed) { mSeed = seed; }
    // The loading thread ran and has not been joined yet.
    bool HasLoadingThread() const { return mLoadingThread.joinable(); }
    // Waits for the loading thread when it was started.
    void JoinLoadingThread();
    // Lets go of the loading and paused pictures (before the image cache
    // frees every image).
    void ReleaseImages();

    int GetLastMouseX() const { return mLastMouseX; }
    int GetLastMouseY() const { return mLastMouseY; }

    // The loading thread's body: sound, the seed, the game data, then the
    // full bar stands for a second (cut short when the game quits).
    static void RunLoadingThread(const std::function<void()>& soundStart, uint32_t seed, std::string dataFile);

private:
    void WaitSplashes();
    void ShowSplashes();
    void ShowSplashImage(int delayMs, const char* path);
    void ShowLoadingScreen();
    void StartLoading();
    void DrawLoadingBar();
    void DrawPauseOverlay();
    // Builds a picture object that is drawn without a stage.
    static bool PlacePicture(AnimObject& picture, const char* path, float x, float y);

    Lumo::LumoAppBase* mApp;
    int mLastMouseX = 0;
    int mLastMouseY = 0;
    std::string mDataFile = "config.xml";
    std::optional<uint32_t> mSeed;
    std::function<void()> mSoundStart;
    std::thread mLoadingThread;

    AnimObject mLoadingPicture;
    AnimObject mLoadingBar;
    AnimObject mPausedPicture;
    bool mPausedPictureReady = false;
};
