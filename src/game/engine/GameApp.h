// The game's one application object: the game's size, names and options,
// the product properties, the two game volumes kept in the settings, the
// main widget once the framework's loading step is over, focus changes and
// the orderly end of a run. It also answers what the Platform layer asks
// of the application.
#pragma once

#include "framework/app/LumoApp.h"
#include "game/engine/PlatformHost.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class BassSoundLayer;
class MainWidget;

class GameApp : public Lumo::LumoApp, public PlatformHost {
public:
    static constexpr int kDefaultMusicVolume = 50;
    static constexpr int kDefaultSoundVolume = 55;
    static constexpr const char* kVersion = "1.0";
    static constexpr int kEditorKey = 'E';

    // Touches no device: what depends on the desktop is read in PropertiesHook.
    GameApp();
    // Removes the main widget and writes the volumes back.
    ~GameApp() override;

    void Init() override;
    // The product properties ("properties\partner.xml"), the desktop's size
    // and depth, and the stored volumes.
    void PropertiesHook() override;
    void LoadingThreadProc() override {}
    void LoadingThreadCompleted() override;
    void ShutdownHook() override;
    void GotFocus() override;
    void LostFocus() override;
    void Redraw(const Lumo::TRect<int>* clipRect) override;
    void UpdateFrames() override;
    // With the debug keys on (Ctrl+Alt+D), E opens the level editor on the
    // topmost screen.
    bool DebugKeyDown(int key) override;
    // "-editor": the level editor opens on the first screen once the game
    // has loaded (see OpenEditorWhenDue).
    void ParseCommandParam(const std::string& name, const std::string& value) override;
    // Opens the editor asked for on the command line once a screen has ticked.
    void OpenEditorWhenDue();
    bool mEditorAtStart = false;

    // ---- What the Platform layer asks
    bool IsWindowed() override { return windowed; }
    bool Is3DAccelerated() override { return Lumo::LumoAppBase::Is3DAccelerated(); }
    int GetLoadingState() override;
    void CloseMainWindow() override;
    using Lumo::LumoAppBase::GetImage;
    Lumo::MemoryImage* GetImage(const std::string& path) override;
    void SetCursorKind(int kind) override { SetCursor(kind); }
    bool IsMouseInWindow() override { return mouseIn; }
    int GetMouseX() override;
    int GetMouseY() override;
    bool IsLeftButtonDown() override;
    bool WarpMouse(int x, int y) override;
    bool Is3DSupported() override { return Lumo::LumoAppBase::Is3DSupported(); }
    bool Is3DRecommended() override { return Lumo::LumoAppBase::Is3DRecommended(); }
    void Set3D(bool enable) override { Set3DAccelerated(enable, true); }
    void SwitchWindowMode(bool wantWindowed, bool is3D) override;
    int GetDesktopWidth() override { return mDesktopWidth; }
    int GetDesktopHeight() override { return mDesktopHeight; }
    int GetDesktopDepth() override { return mDesktopDepth; }
    void GetPresentation(int& displayWidth, int& presentationHeight) override;
    Plat::Window* GetMainWindow() override { return mainWindow; }
    void PumpWindowEvents() override;
    void ClearKeyStates() override { Lumo::LumoAppBase::ClearKeyStates(); }

    MainWidget* GetMainWidget() const { return mMainWidget.get(); }
    // The run closes its window by itself after this many milliseconds of
    // the clock (0: never).
    void SetExitAfterMs(uint32_t ms) { mExitAfterMs = ms; }
    // Replaces the loading thread's clock seed (tests).
    void SetSeed(uint32_t seed);
    // Loads the player file of the folder. The players shape a run as the
    // settings do, so a demo carries them: recorded, or taken from the
    // played demo, which then writes no player file.
    void LoadPlayers(const std::string& folder);
    // The game data index the loading thread reads.
    void SetDataFile(const std::string& fileName) { mDataFile = fileName; }

    // A volume as stored in the settings, clamped to 0..100.
    static int ClampVolume(int value);

    std::string mProductName = "Tavoro Oribel";
    std::string mPartnerName = "Quillo Games";
    int mDesktopWidth = 0;
    int mDesktopHeight = 0;
    int mDesktopDepth = 0;
    int mMusicVolume = kDefaultMusicVolume;
    int mSoundVolume = kDefaultSoundVolume;

private:
    // The sound layer starts on the loading thread: the output, then the
    // player's volumes.
    void StartSound();

    std::unique_ptr<BassSoundLayer> mSoundLayer;
    // The loading thread started the sound and gave it the volumes.
    std::atomic<bool> mSoundStarted{false};
    std::unique_ptr<MainWidget> mMainWidget;
    uint32_t mExitAfterMs = 0;
    uint32_t mStartTick = 0;
    bool mCloseSent = false;
    bool mHasSeed = false;
    uint32_t mSeed = 0;
    std::string mDataFile = "config.xml";
};
