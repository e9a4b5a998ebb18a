#include "game/play/ShooterCursor.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformHost.h"
#include "game/play/Jewel.h"
#include "game/play/Shooter.h"

ShooterCursor::ShooterCursor()
{
    mKind = kKindShooterCursor;
}

std::string ShooterCursor::MiniPictureName(int treasureKind)
{
    if (treasureKind < 99)
        return "gfx\\mini" + std::to_string(treasureKind) + ".png";
    return "gfx\\mini_wild.png";
}

int ShooterCursor::Update()
{
    GameState& game = Game();
    if (game.mLevel == nullptr || game.Topmost() != game.mLevel)
        return 1;
    return CursorObject::Update();
}

void ShooterCursor::DrawSelf()
{
    CursorObject::DrawSelf();
    GameState* game = GameState::TryCurrent();
    if (game == nullptr)
        return;
    AnimObject* root = GetRoot();
    if (root != game->Topmost() || game->mActive == 0 || game->mMouseInside == 0)
        return;
    PlatformHost* host = game->mPlatform != nullptr ? game->mPlatform->GetHost() : nullptr;
    if (host != nullptr && !host->IsMouseInWindow())
        return;
    const Shooter* shooter = dynamic_cast<const Shooter*>(root->FindChildOfKind(kKindShooter));
    const Jewel* ready = shooter != nullptr ? shooter->ReadyPiece() : nullptr;
    if (ready == nullptr)
        return;
    if (ready->mTreasureKind != mMiniKind) {
        mMini.SetImage(MiniPictureName(ready->mTreasureKind).c_str(), 0.0f, 0.0f, 1, 0.0f);
        mMiniKind = ready->mTreasureKind;
    }
    for (int i = 0; i < kAttributeCount; ++i)
        mMini.mWorld[i] = kAttributeDefaults[i];
    mMini.mWorld[kAttrX] = mWorld[kAttrX] + 3.0f;
    mMini.mWorld[kAttrY] = mWorld[kAttrY] + 4.0f;
    mMini.mWorld[kAttrAlpha] = mWorld[kAttrAlpha];
    mMini.DrawSelf();
}

void ShooterCursor::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "shooter_cursor");
    WriteXmlIntAttribute(out, "top_left", mTopLeft);
}
