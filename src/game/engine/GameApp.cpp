#include "game/engine/GameApp.h"

#include "framework/core/Buffer.h"
#include "framework/core/PathUtils.h"
#include "framework/display/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/BassSoundLayer.h"
#include "game/engine/Editor.h"
#include "game/engine/GameFile.h"
#include "game/engine/GameState.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/MainWidget.h"
#include "game/engine/PartnerProperties.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/SoundLayer.h"
#include "platform/system/Clock.h"
#include "platform/video/DisplayHost.h"
#include "platform/window/EventPump.h"
#include "platform/window/Window.h"
#include "platform/window/WindowMessage.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kGameWidth = 800;
constexpr int kGameHeight = 600;
// The framework's update step while the game runs: the game's tick.
constexpr int kGameFrameMs = 4;

std::string VolumeName(const char* name)
{
    return std::string(name) + GameApp::kVersion;
}

} // namespace

GameApp::GameApp()
{
    companyName = mPartnerName;
    fullCompanyName = mPartnerName;
    productName = mProductName;
    registryKey = mPartnerName + "\\" + mProductName;
    productVersion = kVersion;
    title = mProductName + " " + kVersion;
    width = kGameWidth;
    height = kGameHeight;
    // The game plays its sound through its own layer.
    noSound = true;
    // Full screen keeps the game's shape on a wider desktop, and so does a
    // resized window.
    stretchToAspect = true;
    aspectCorrection = true;
    // The display's first start tests the 3-D route, and a clean verdict
    // switches it on for a player who has not chosen.
    test3D = true;
    auto3D = true;
    cursorKind = kCursorNone;
}

GameApp::~GameApp()
{
    Shutdown();
    if (mMainWidget != nullptr) {
        if (widgetManager != nullptr) {
            widgetManager->RemoveWidget(mMainWidget.get());
        }
        mMainWidget.reset();
    }
    RegistryWriteInteger(VolumeName("music_volume"), mMusicVolume);
    RegistryWriteInteger(VolumeName("sound_volume"), mSoundVolume);
}

int GameApp::ClampVolume(int value)
{
    return std::clamp(value, 0, 100);
}

void GameApp::PropertiesHook()
{
    Plat::DisplayHost& desktop = Plat::GetDisplayHost();
    mDesktopWidth = desktop.DesktopWidth();
    mDesktopHeight = desktop.DesktopHeight();
    mDesktopDepth = desktop.DesktopBits();

    std::string key = registryKey;
    for (const PartnerProperty& property : ReadPartnerProperties()) {
        if (property.mId == "DefaultWindowed") {
            windowed = PartnerFlagIsTrue(property.mText);
        } else if (property.mId == "ProdName") {
            mProductName = property.mText;
        } else if (property.mId == "RegistryKey") {
            key = property.mText;
        } else if (property.mId == "PartnerName") {
            mPartnerName = property.mText;
        }
    }
    title = mProductName + " " + kVersion;
    productName = mProductName;
    registryKey = key;

    if (kGameWidth >= mDesktopWidth || kGameHeight >= mDesktopHeight) {
        forceFullscreen = true;
        windowed = false;
    }

    // The settings are read under the final key.
    int value = 0;
    if (RegistryReadInteger(VolumeName("music_volume"), value)) {
        mMusicVolume = ClampVolume(value);
    }
    if (RegistryReadInteger(VolumeName("sound_volume"), value)) {
        mSoundVolume = ClampVolume(value);
    }
}

void GameApp::Init()
{
    Lumo::LumoApp::Init();
    if (shutdown) {
        return;
    }
    Lumo::MoveList moves;
    Lumo::QueueMoveToAppData(moves, "userdata");
    Lumo::MoveFolderTree(moves);
    Lumo::TriangleRasterizer::InitSpanFunctions();
    LoadPlayers(GetUserDataPath());
    if (GameState* game = GameState::TryCurrent()) {
        mSoundLayer = std::make_unique<BassSoundLayer>();
        game->SetSound(mSoundLayer.get());
    }
    mStartTick = Plat::GetClock().TickCount();
}

void GameApp::LoadPlayers(const std::string& folder)
{
    PlayerProfiles& profiles = Game().mProfiles;
    profiles.mFile.SetReplaying(playingDemo);
    LoadProfiles(folder);
    if (!recordingDemo && !playingDemo)
        return;
    std::vector<uint8_t> bytes(PlayerProfiles::kFileSize);
    profiles.Write(bytes.data());
    Lumo::Buffer synced;
    synced.WriteBytes(bytes.data(), static_cast<int>(bytes.size()));
    DemoSyncBuffer(synced);
    if (playingDemo && !profiles.Read(synced.GetDataPtr(), static_cast<size_t>(synced.GetDataLen())))
        profiles.CreateDefaults();
}

void GameApp::SetSeed(uint32_t seed)
{
    mHasSeed = true;
    mSeed = seed;
    if (mMainWidget != nullptr) {
        mMainWidget->SetSeed(seed);
    }
}

void GameApp::LoadingThreadCompleted()
{
    Lumo::LumoApp::LoadingThreadCompleted();
    if (shutdownRequested || shutdown) {
        return;
    }
    mMainWidget = std::make_unique<MainWidget>(this);
    mMainWidget->SetDataFile(mDataFile);
    mMainWidget->SetSoundStart([this] { StartSound(); });
    if (mHasSeed) {
        mMainWidget->SetSeed(mSeed);
    }
    mMainWidget->Resize(0, 0, width, height);
    if (widgetManager != nullptr) {
        widgetManager->AddWidget(mMainWidget.get());
        widgetManager->SetFocus(mMainWidget.get());
    }
    waitForVSync = true;
    sleepPacing = false;
    frameTime = kGameFrameMs;
    smoothUpdates = false;
}

void GameApp::StartSound()
{
    SoundLayer* sound = Game().mSound;
    sound->InitSound(mainWindow);
    sound->SetVolumes(static_cast<float>(mMusicVolume), static_cast<float>(mSoundVolume));
    mSoundStarted = true;
}

void GameApp::ShutdownHook()
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr) {
        return;
    }
    game->SetQuitting();
    if (mMainWidget != nullptr) {
        mMainWidget->JoinLoadingThread();
    }
    game->mLiveObjects.RemoveAll();
    // Fonts and the widget's pictures hold image records: they let go
    // before the cache frees every image.
    game->mFonts.Clear();
    if (mMainWidget != nullptr) {
        mMainWidget->ReleaseImages();
    }
    game->mImageCache.FreeAll();
    // The player's volumes as the sound layer has them now (it keeps none
    // while it is silent, nor before it was given them).
    SoundLayer* sound = game->mSound;
    if (mSoundStarted && sound->IsSoundOn()) {
        mMusicVolume = ClampVolume(sound->GetMusicVolume());
        mSoundVolume = ClampVolume(sound->GetSoundVolume());
    }
    sound->FreeAllSamples();
    sound->FreeAllMusic();
    if (mSoundLayer != nullptr && sound == mSoundLayer.get()) {
        game->SetSound(nullptr);
    }
}

void GameApp::GotFocus()
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || game->EditorOpen()) {
        return;
    }
    game->mActive = 1;
    SetCursor(kCursorNone);
    game->mSound->ResumeSound();
    game->mLastTick = 0;
    game->mInput.mSwallowNextClick = 1;
    // The main menu takes the click that brought the window back.
    if (game->GetLoadingState() > 100 && !game->mLiveObjects.IsEmpty() && AnyLiveNameContains(*game, "main_menu")) {
        game->mInput.mSwallowNextClick = 0;
    }
    game->mPauseState = 0;
}

void GameApp::LostFocus()
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || game->EditorOpen()) {
        return;
    }
    game->mActive = 0;
    SetCursor(kCursorArrow);
    game->mSound->PauseSound();
    game->mPauseState = 2;
}

void GameApp::Redraw(const Lumo::TRect<int>* clipRect)
{
    if (GameState* game = GameState::TryCurrent()) {
        game->mDrawnOnce = true;
    }
    Lumo::LumoApp::Redraw(clipRect);
}

void GameApp::UpdateFrames()
{
    Lumo::LumoApp::UpdateFrames();
    OpenEditorWhenDue();
    if (mExitAfterMs != 0 && !mCloseSent && Plat::GetClock().TickCount() - mStartTick >= mExitAfterMs) {
        // Closed as a player would close the window, so the exit runs in order.
        mCloseSent = true;
        CloseMainWindow();
    }
}

int GameApp::GetLoadingState()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr ? game->GetLoadingState() : -2;
}

void GameApp::ParseCommandParam(const std::string& name, const std::string& value)
{
    if (name == "-editor") {
        mEditorAtStart = true;
        return;
    }
    Lumo::LumoApp::ParseCommandParam(name, value);
}

void GameApp::OpenEditorWhenDue()
{
    if (!mEditorAtStart)
        return;
    GameState* game = GameState::TryCurrent();
    if (game == nullptr || game->GetLoadingState() < 101 || !game->mTicked)
        return;
    mEditorAtStart = false;
    Editor::Start();
}

bool GameApp::DebugKeyDown(int key)
{
    if (key == kEditorKey) {
        GameState* game = GameState::TryCurrent();
        if (game != nullptr && game->GetLoadingState() >= 101)
            Editor::Start();
        return true;
    }
    return Lumo::LumoAppBase::DebugKeyDown(key);
}

void GameApp::PumpWindowEvents()
{
    // The window keeps drawing, sizing and seeing focus changes; what the
    // user typed or clicked was meant for the dialog. A close request is
    // queued as usual and handled once the dialog is gone.
    Plat::EventPump& pump = Plat::GetEventPump();
    Plat::WindowMessage message;
    while (pump.PeekMessage(message, true)) {
        const uint32_t id = message.message;
        const bool keys = id >= Plat::kWmKeyDown && id <= Plat::kWmSysChar;
        const bool mouse = id >= Plat::kWmMouseMove && id <= Plat::kWmMouseWheel;
        if (!keys && !mouse)
            pump.DispatchMessage(message);
    }
}

void GameApp::CloseMainWindow()
{
    if (mainWindow != nullptr) {
        Plat::GetEventPump().PostMessage({mainWindow, Plat::kWmClose, 0, 0});
    } else {
        Shutdown();
    }
}

Lumo::MemoryImage* GameApp::GetImage(const std::string& path)
{
    return Lumo::LumoAppBase::GetImage(path, true);
}

int GameApp::GetMouseX()
{
    return widgetManager != nullptr ? widgetManager->lastMouseX : 0;
}

int GameApp::GetMouseY()
{
    return widgetManager != nullptr ? widgetManager->lastMouseY : 0;
}

bool GameApp::IsLeftButtonDown()
{
    return widgetManager != nullptr && widgetManager->IsLeftButtonDown();
}

bool GameApp::WarpMouse(int x, int y)
{
    return mainWindow != nullptr && mainWindow->WarpMouse(x, y);
}

void GameApp::SwitchWindowMode(bool wantWindowed, bool is3D)
{
    SwitchScreenMode(wantWindowed, is3D, true);
}

void GameApp::GetPresentation(int& displayWidth, int& presentationHeight)
{
    displayWidth = mDesktopWidth > 0 ? mDesktopWidth : kGameWidth;
    presentationHeight = presentationRect.mHeight > 0 ? presentationRect.mHeight : kGameHeight;
}
