#include "game/engine/MainWidget.h"

#include "framework/app/LumoAppBase.h"
#include "framework/core/KeyNames.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameDataLoader.h"
#include "game/engine/GameRandom.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/PartnerProperties.h"
#include "game/engine/Platform.h"
#include "game/engine/SoundLayer.h"
#include "platform/system/Clock.h"
#include "platform/system/MediaDrivers.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr float kCentreX = 400.0f;
constexpr float kCentreY = 300.0f;
constexpr float kBarX = 399.0f;
constexpr float kBarY = 437.0f;
// Every partner picture stands this much longer before the next splash.
constexpr int kPartnerDelayMs = 2000;
constexpr uint32_t kFrameSleepMs = 4;
constexpr uint32_t kIdleSleepMs = 1;
constexpr uint32_t kSuppressedTickSleepMs = 2;

bool IsLoading(int state)
{
    return state >= 0 && state <= 100;
}

} // namespace

MainWidget::MainWidget(Lumo::LumoAppBase* app) : mApp(app) {}

MainWidget::~MainWidget()
{
    if (mLoadingThread.joinable()) {
        if (GameState* game = GameState::TryCurrent()) {
            game->SetQuitting();
        }
        mLoadingThread.join();
    }
}

void MainWidget::JoinLoadingThread()
{
    if (mLoadingThread.joinable()) {
        mLoadingThread.join();
    }
}

void MainWidget::ReleaseImages()
{
    mLoadingPicture.SetImageRecord(nullptr);
    mLoadingBar.SetImageRecord(nullptr);
    mPausedPicture.SetImageRecord(nullptr);
}

// ---- Tick driver

void MainWidget::Update()
{
    UpdateF(0.0f);
    Lumo::Widget::Update();
}

void MainWidget::UpdateF(float /*fraction*/)
{
    MarkDirty();
    GameState& game = Game();
    if (game.mPlatform != nullptr) {
        game.mPlatform->ShowQueuedMessages();
    }
    const int state = game.GetLoadingState();
    if (IsLoading(state)) {
        return;
    }
    Plat::Clock& clock = Plat::GetClock();
    const uint32_t now = clock.TickCount() / kTickMs;
    if (game.mLastTick == 0) {
        game.mLastTick = now;
    }
    uint32_t count = now - game.mLastTick;
    if (count > kMaxCatchUpTicks) {
        // A long stall (or the clock's wrap) is not made up: a short pass,
        // and the clock moves on.
        count = std::min(game.mLastTickCount, kStallPassTicks);
        game.mLastTick = now - count;
    }
    if (count == 0) {
        clock.Sleep(kIdleSleepMs);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if ((game.mActive != 0 || state < 0) && game.mPauseState != 1) {
            UpdateLiveObjects(game);
        } else {
            clock.Sleep(kSuppressedTickSleepMs);
        }
        game.mTicked = true;
        if (game.mLastTick == 0) {
            // A screen was built during the tick: the clock starts afresh
            // at the next pass instead of catching up the building time.
            game.mLastTickCount = i + 1;
            return;
        }
        ++game.mLastTick;
    }
    game.mLastTickCount = count;
}

// ---- Loading sequence and frame

void MainWidget::Draw(Lumo::Graphics* g)
{
    GameState& game = Game();
    if (game.mPlatform != nullptr) {
        game.mPlatform->SetGraphics(g);
    }
    WaitSplashes();
    ShowSplashes();
    ShowLoadingScreen();
    StartLoading();
    DrawLoadingBar();

    const int state = game.GetLoadingState();
    Plat::Clock& clock = Plat::GetClock();
    if (IsLoading(state)) {
        // The loading thread is filling the live list: only the loading
        // screen is drawn until it is done.
        if (game.mPauseState != 0) {
            clock.Sleep(kFrameSleepMs);
        }
        return;
    }
    if ((state >= 101 && !game.mTicked) || game.mPauseState == 1) {
        if (game.mPauseState != 0) {
            clock.Sleep(kFrameSleepMs);
        }
        if (!game.mDrawnOnce) {
            return;
        }
    }
    DrawLiveObjects(game);
    DrawPauseOverlay();
    game.mDrawnOnce = true;
}

void MainWidget::WaitSplashes()
{
    GameState& game = Game();
    if (game.GetLoadingState() == -1 && game.mLiveObjects.IsEmpty()) {
        game.SetLoadingState(0);
    }
}

void MainWidget::ShowSplashes()
{
    GameState& game = Game();
    if (game.GetLoadingState() != -2) {
        return;
    }
    ShowSplashImage(0, "gfx\\quillo.jpg");
    int delay = 0;
    for (const PartnerProperty& property : ReadPartnerProperties()) {
        if (property.mId == "PartnerImage") {
            delay += kPartnerDelayMs;
            ShowSplashImage(delay, property.mText.c_str());
        }
    }
    ShowSplashImage(delay + kPartnerDelayMs, "gfx\\loading.jpg");
    game.SetLoadingState(-1);
}

void MainWidget::ShowSplashImage(int delayMs, const char* path)
{
    GameState& game = Game();
    auto* screen = new Level();
    screen->mKind = 6;
    game.mLiveObjects.Append(screen);
    screen->SetImage(path, 0.0f, 0.0f, 1, 0.0f);
    screen->AddStage(static_cast<float>(delayMs) + 1000.0f, 0, 0, 0, "");
    screen->AddStage(500.0f, 0, 0, 1, "");
    screen->SetStageAttribute(kAttrX, kCentreX, kCentreX);
    screen->SetStageAttribute(kAttrY, kCentreY, kCentreY);
    screen->SetStageAttribute(kAttrAlpha, 0.0f, 1.0f);
    screen->AddStage(2000.0f, 0, 0, 1, "");
    screen->AddStage(500.0f, 0, 0, 1, "");
    screen->mClearFirst = delayMs == 0 ? 1 : 0;
}

bool MainWidget::PlacePicture(AnimObject& picture, const char* path, float x, float y)
{
    picture.SetImage(path, 0.0f, 0.0f, 1, 0.0f);
    if (picture.mImage == nullptr || picture.mImage->mImage == nullptr) {
        return false;
    }
    picture.mLocal[kAttrX] = x;
    picture.mLocal[kAttrY] = y;
    // One update without a stage: the world block and the frame are set
    // and the picture counts as updated, so it draws.
    picture.Update();
    return true;
}

void MainWidget::ShowLoadingScreen()
{
    GameState& game = Game();
    if (game.GetLoadingState() != 0) {
        return;
    }
    if (PlacePicture(mLoadingPicture, "gfx\\loading.jpg", kCentreX, kCentreY)) {
        mLoadingPicture.Draw();
    }
    PlacePicture(mLoadingBar, "gfx\\loadbar.png", kBarX, kBarY);
    game.SetLoadingState(1);
}

void MainWidget::StartLoading()
{
    GameState& game = Game();
    if (game.GetLoadingState() != 1 || mLoadingThread.joinable()) {
        return;
    }
    uint32_t seed = Plat::GetClock().TickCount();
    if (mSeed.has_value()) {
        seed = *mSeed;
    } else if (mApp != nullptr) {
        // A recorded run replays with the recorded seed.
        std::string text = std::to_string(seed);
        mApp->DemoSyncString(text);
        uint32_t synced = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), synced);
        if (error == std::errc() && end == text.data() + text.size()) {
            seed = synced;
        }
    }
    game.SetLoadingState(2);
    mLoadingThread = std::thread(&MainWidget::RunLoadingThread, std::cref(mSoundStart), seed, mDataFile);
}

void MainWidget::RunLoadingThread(const std::function<void()>& soundStart, uint32_t seed, std::string dataFile)
{
    GameState& game = Game();
    if (soundStart) {
        soundStart();
    } else {
        game.mSound->InitSound(nullptr);
    }
    SeedRandom(seed);
    LoadGameData(dataFile.c_str());
    game.SetLoadingState(100);
    // The full bar stands a moment; the game may end meanwhile.
    Plat::Clock& clock = Plat::GetClock();
    const uint32_t start = clock.TickCount();
    while (!game.IsQuitting() && clock.TickCount() - start < kFullBarMs) {
        clock.Sleep(1);
    }
    // Starting the sound reached the media library from this thread.
    Plat::ReleaseThreadMediaState();
}

void MainWidget::DrawLoadingBar()
{
    GameState& game = Game();
    const int state = game.GetLoadingState();
    Platform* platform = game.mPlatform;
    if (platform != nullptr && platform->FrameDebugLines()) {
        std::fprintf(stderr, "loading is %d\n", state);
    }
    if (!IsLoading(state)) {
        return;
    }
    if (mLoadingPicture.mImage != nullptr) {
        mLoadingPicture.Draw();
    }
    if (mLoadingBar.mImage != nullptr) {
        const int imageWidth = static_cast<int>(mLoadingBar.mImage->mWidth);
        const int left = static_cast<int>(mLoadingBar.mLocal[kAttrX]) - imageWidth / 2;
        const int shown = imageWidth * state / 99;
        mLoadingBar.mClipLeft = left;
        mLoadingBar.mClipTop = 0;
        mLoadingBar.mClipRight = left + shown;
        mLoadingBar.mClipBottom = kScreenHeight;
        if (platform != nullptr) {
            platform->SetClipRect(left, 0, left + shown, kScreenHeight);
        }
        mLoadingBar.Draw();
        if (platform != nullptr) {
            platform->SetClipRect(0, 0, kScreenWidth, kScreenHeight);
        }
    }
    if (state == 100) {
        game.SetLoadingState(101);
        game.mPauseState = 0;
    }
}

void MainWidget::DrawPauseOverlay()
{
    GameState& game = Game();
    const int state = game.GetLoadingState();
    // Counts down the frames after a focus change; it stops at 0 so that a
    // long run cannot overflow it.
    if (state > 100 && game.mPauseState > 0) {
        --game.mPauseState;
    }
    if (state < 101 || game.mActive != 0) {
        return;
    }
    if (!mPausedPictureReady) {
        mPausedPictureReady = true;
        mPausedPicture.AddStage(1000.0f, 1, 1, 1, "");
        mPausedPicture.SetImage("gfx\\gamepaused.png", 0.0f, 0.0f, 1, 0.0f);
        mPausedPicture.SetStageAttribute(kAttrX, kCentreX, kCentreX);
        mPausedPicture.SetStageAttribute(kAttrY, 299.0f, 299.0f);
    }
    if (!AnyLiveNameContains(game, "main_menu")) {
        mPausedPicture.Update();
        mPausedPicture.Draw();
    }
    Plat::GetClock().Sleep(kFrameSleepMs);
}

// ---- Input

void MainWidget::KeyDown(int keyCode)
{
    Game().mInput.KeyDown(keyCode);
}

void MainWidget::KeyUp(int keyCode)
{
    Game().mInput.KeyUp(keyCode);
}

void MainWidget::MouseEnter()
{
    Game().mMouseInside = 1;
}

void MainWidget::MouseLeave()
{
    Game().mMouseInside = 0;
}

void MainWidget::MouseMove(int x, int y)
{
    mLastMouseX = x;
    mLastMouseY = y;
}

void MainWidget::MouseDrag(int x, int y)
{
    MouseMove(x, y);
}

void MainWidget::MouseDown(int x, int y, int clickCount)
{
    Game().mInput.MouseDown(clickCount);
    Lumo::Widget::MouseDown(x, y, clickCount);
}

void MainWidget::MouseUp(int x, int y, int clickCount)
{
    Game().mInput.MouseUp(clickCount);
    Lumo::Widget::MouseUp(x, y, clickCount);
}

void MainWidget::MouseWheel(int delta)
{
    Game().mInput.Wheel(delta, Lumo::GetKeyCodeFromName("UP"), Lumo::GetKeyCodeFromName("DOWN"));
}
