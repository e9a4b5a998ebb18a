// The Platform layer's window, cursor and input side: what the game asks of
// the mouse, the keys and the screen mode.
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformHost.h"

#include <cstdio>

namespace {

// Opens a screen that explains a refused switch, unless the game has no
// screen yet to put it over.
void OpenExplanation(const char* screen)
{
    GameState* game = GameState::TryCurrent();
    if (game != nullptr && !game->mLiveObjects.IsEmpty()) {
        InsertLevelByName(screen);
    }
}

} // namespace

Plat::Window* Platform::GetWindow()
{
    return mHost != nullptr ? mHost->GetMainWindow() : nullptr;
}

void Platform::Check3DSupport(int enable)
{
    if (mHost == nullptr) {
        return;
    }
    if (enable != 0) {
        if (!mHost->Is3DSupported()) {
            OpenExplanation("3d_not_supported");
            return;
        }
        if (!mHost->Is3DRecommended()) {
            OpenExplanation("3d_not_recommended");
            return;
        }
    }
    mHost->Set3D(enable != 0);
}

void Platform::Set3D(bool enable)
{
    if (mHost != nullptr) {
        mHost->Set3D(enable);
    }
}

void Platform::SetWindowed(bool windowed)
{
    if (mHost == nullptr) {
        return;
    }
    GameState* game = GameState::TryCurrent();
    const bool editorOpen = game != nullptr && game->EditorOpen();
    if ((mHost->GetDesktopWidth() <= kScreenWidth && mHost->GetDesktopHeight() <= kScreenHeight) || editorOpen) {
        OpenExplanation("no_windowed");
        return;
    }
    const int depth = mHost->GetDesktopDepth();
    if (windowed && depth != 16 && depth < 32) {
        OpenExplanation("no_windowed");
        return;
    }
    mHost->SwitchWindowMode(windowed, mHost->Is3DAccelerated());
    if (game != nullptr) {
        if (const auto* top = dynamic_cast<const Level*>(game->Topmost())) {
            SetMousePosition(top->mMouseX, top->mMouseY);
        }
    }
}

float Platform::GetMouseX()
{
    return mHost != nullptr ? static_cast<float>(mHost->GetMouseX()) : 0.0f;
}

float Platform::GetMouseY()
{
    return mHost != nullptr ? static_cast<float>(mHost->GetMouseY()) : 0.0f;
}

bool Platform::IsMouseInside()
{
    GameState* game = GameState::TryCurrent();
    const float x = GetMouseX();
    const float y = GetMouseY();
    if (mHost != nullptr && mHost->IsMouseInWindow() && game != nullptr && game->mMouseInside != 0 && x >= 0.0f &&
        x < kScreenWidth && y >= 0.0f && y < kScreenHeight) {
        return true;
    }
    if (mFrameDebugLines) {
        std::fputs("MOUSE OUT!\n", stderr);
    }
    return false;
}

bool Platform::WasMouseButtonPressed()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr && game->mInput.WasLeftPressed(IsMouseButtonDown());
}

bool Platform::IsMouseButtonDown()
{
    return mHost != nullptr && mHost->IsLeftButtonDown();
}

bool Platform::WasRightButtonPressed()
{
    return WasKeyPressed(GameInput::kRightButton);
}

bool Platform::WasKeyPressed(int keyCode)
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr && game->mInput.TestKeyPressOnce(keyCode);
}

bool Platform::IsKeyDown(int keyCode)
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr && game->mInput.IsKeyStateSet(keyCode);
}

unsigned Platform::PopInputEvent()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr ? game->mInput.PopInputRing() : 0;
}

void Platform::ClearInputEvents()
{
    if (GameState* game = GameState::TryCurrent()) {
        game->mInput.ClearInputRing();
    }
}

void Platform::SetMousePosition(float x, float y)
{
    if (mHost == nullptr) {
        return;
    }
    if (mHost->IsWindowed()) {
        mHost->WarpMouse(SaturateToInt(x), SaturateToInt(y));
        return;
    }
    int displayWidth = kScreenWidth;
    int presentationHeight = kScreenHeight;
    mHost->GetPresentation(displayWidth, presentationHeight);
    // The picture is presentationHeight / 600 times the game's size, centred
    // across the display; worked in whole-number ratios so that exact
    // points stay exact before they are truncated.
    const double height = presentationHeight;
    const double left = (double(displayWidth) * kScreenHeight - height * kScreenWidth) / (2.0 * kScreenHeight);
    mHost->WarpMouse(SaturateToInt(double(x) * height / kScreenHeight + left),
                     SaturateToInt(double(y) * height / kScreenHeight));
}

void Platform::HideCursor()
{
    if (mHost != nullptr) {
        mHost->SetCursorKind(PlatformHost::kCursorNone);
    }
}

void Platform::ShowCursor()
{
    if (mHost != nullptr) {
        mHost->SetCursorKind(PlatformHost::kCursorArrow);
    }
}
