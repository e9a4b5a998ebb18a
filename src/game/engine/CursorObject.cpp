#include "game/engine/CursorObject.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformHost.h"
#include "game/engine/ScreenAccess.h"

namespace {

PlatformHost* Host(const GameState& game)
{
    return game.mPlatform != nullptr ? game.mPlatform->GetHost() : nullptr;
}

void SetSystemCursor(GameState& game, bool hidden)
{
    if (PlatformHost* host = Host(game))
        host->SetCursorKind(hidden ? PlatformHost::kCursorNone : PlatformHost::kCursorArrow);
    game.mSystemCursorHidden = hidden;
}

} // namespace

CursorObject::CursorObject()
{
    mKind = kKindCursorObject;
    mZOrder = 11.0f;
    // The system pointer is hidden at the first draw: screens are built on
    // the loading thread too, and the window's pointer belongs to the main thread.
}

CursorObject::~CursorObject()
{
    // Without its picture the player would be left with no pointer at all;
    // another pointer object hides it again when it draws.
    GameState* game = GameState::TryCurrent();
    if (game != nullptr && game->mSystemCursorHidden)
        SetSystemCursor(*game, false);
}

bool CursorObject::ScreenMouse(float& x, float& y)
{
    return GetScreenMouse(*GetRoot(), x, y);
}

int CursorObject::Update()
{
    const int result = AnimObject::Update();
    float x = 0.0f;
    float y = 0.0f;
    if (ScreenMouse(x, y)) {
        mWorld[kAttrX] = x;
        mWorld[kAttrY] = y;
        mLocal[kAttrX] = WorldToLocalX(x);
        mLocal[kAttrY] = WorldToLocalY(y);
    }
    return result;
}

void CursorObject::DrawSelf()
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr)
        return;
    float x = 0.0f;
    float y = 0.0f;
    const bool known = ScreenMouse(x, y);
    PlatformHost* host = Host(*game);
    const bool inside = known && (host == nullptr || host->IsMouseInWindow()) && game->mMouseInside != 0 && x >= 0.0f &&
                        x < GameState::kScreenWidth && y >= 0.0f && y < GameState::kScreenHeight;
    const bool onTop = mParent != nullptr && GetRoot() == game->Topmost();
    if (onTop && !game->EditorOpen() && inside && game->mActive != 0) {
        if (!game->mSystemCursorHidden)
            SetSystemCursor(*game, true);
        if (mTopLeft == 1 && mImage != nullptr) {
            x += mImage->mFrameWidth / 2.0f;
            y += mImage->mFrameHeight / 2.0f;
        }
        // The frame only reads the object: the next tick sees the world it made.
        const float worldX = mWorld[kAttrX];
        const float worldY = mWorld[kAttrY];
        mWorld[kAttrX] = x;
        mWorld[kAttrY] = y;
        AnimObject::DrawSelf();
        mWorld[kAttrX] = worldX;
        mWorld[kAttrY] = worldY;
        return;
    }
    if (!inside) {
        SetSystemCursor(*game, false);
    } else if (game->EditorOpen() && game->mSystemCursorHidden) {
        // The editor is worked with the system pointer; this one is not drawn.
        SetSystemCursor(*game, false);
    }
}

void CursorObject::ReadXmlAttributes(const ObjectXmlElement& element)
{
    mTopLeft = element.GetAttributeInt("top_left");
    AnimObject::ReadXmlAttributes(element);
}

void CursorObject::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "cursor");
    // Every digit: a large flag in float form would read back as another number.
    WriteXmlIntAttribute(out, "top_left", mTopLeft);
    // The object writer leaves out a z of 0, which would read back as this class's own 11.
    if (mZOrder == 0.0f)
        WriteXmlIntAttribute(out, "z_order", 0);
}
