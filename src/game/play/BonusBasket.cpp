#include "game/play/BonusBasket.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/InnerTreasures.h"
#include "game/play/Jewel.h"
#include "game/play/PlateRules.h"
#include "game/play/RuleOperations.h"

#include <cstring>
#include <string>

void BonusBasket::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "bonus_basket");
}

int BonusBasket::Update()
{
    const int result = AnimObject::Update();
    GameState& game = Game();
    AnimObject* inner = game.mInnerLayer;
    AnimObject* opening = mChildren.Head();
    if (inner == nullptr || mCurrentStage == nullptr || std::strstr(mCurrentStage->mName, "waiting") == nullptr)
        return result;
    // Without its opening, or the opening's image, the basket has no rim.
    if (opening == nullptr || opening->mImage == nullptr)
        return result;
    const float rimX = mWorld[kAttrX];
    const float rimY = mWorld[kAttrY] - opening->mImage->mFrameHeight / 2.0f;
    const float rimWidth = opening->mImage->mFrameWidth;
    GameRandom& random = game.mRandom;
    bool caught = false;
    ForEachTreasureIn(*inner, [&](Jewel& treasure) {
        if (treasure.GetVelocityY() <= 0.0f ||
            !BoxesOverlap(treasure.mWorld[kAttrX], treasure.mWorld[kAttrY], 20.0f, 20.0f, rimX, rimY, rimWidth, 6.0f))
            return;
        treasure.MakeSparkles(20, 0, 0.0f, 0.0f, 0.0f, 1.0f);
        float levelX = 0.0f;
        float levelY = 0.0f;
        PlateRules::LevelPosition(treasure, levelX, levelY);
        Reparent(&treasure, 1);
        treasure.mPower = 0;
        if (Stage* stage = treasure.AddStage(1000.0f, 1, 1, 1, "in_basket")) {
            (void)stage;
            const float x = random.RandomFloatRange(-40.0f, 40.0f);
            const float y = random.RandomFloatRange(-20.0f, 20.0f);
            const float rotation = random.RandomFloatRange(0.0f, 360.0f);
            treasure.SetStageAttribute(kAttrX, x, x);
            treasure.SetStageAttribute(kAttrY, y, y);
            treasure.SetStageAttribute(kAttrRotation, rotation, rotation);
            treasure.GoToStage("in_basket");
        }
        treasure.Update();
        const std::string points = AwardPoints(100);
        if (TextObject* text = PlateRules::AddLevelText(points.c_str(), "gfx\\font1.png", 1.0f, 0, 1)) {
            text->AddStage(1500.0f, 0, 0, 1, nullptr);
            text->SetStageAttribute(kAttrXScale, 0.6f, 0.0f);
            text->SetStageAttribute(kAttrYScale, 0.6f, 0.0f);
            text->SetStageAttribute(kAttrX, levelX, levelX);
            text->SetStageAttribute(kAttrY, levelY, levelY + 140.0f);
            text->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
            text->AddFilter(kEasingCubed, kAttrAll, 1.0f, 0.0f, 0.0f);
        }
        PlayGameSound("audio\\basket.ogg");
        caught = true;
    });
    if (caught && FindChildOfKind(kKindJewel) != nullptr)
        GoToStage("rotating");
    return result;
}

void BonusBasket::OnCustomAction(const char*)
{
    if (!PlateRules::PlatesHaveRoom())
        return;
    AnimObject* inner = Game().mInnerLayer;
    if (inner == nullptr)
        return;
    // Each pass moves the treasure it found out of the basket; one that
    // cannot move ends the release rather than being found again.
    while (AnimObject* child = FindChildOfKind(kKindJewel)) {
        auto* treasure = static_cast<Jewel*>(child);
        treasure->RefreshWorld();
        treasure->Update();
        treasure->mStages.RemoveAll();
        if (treasure->AddStage(500.0f, 1, 1, 1, "shooting") != nullptr)
            treasure->AddFilter(kEasingVelocity, kAttrY, 0.0f, 0.02f, 0.0f);
        treasure->SetStage(treasure->mStages.Head());
        treasure->mLive = 1;
        treasure->mBasket = 1;
        treasure->mForcedToss = 1;
        treasure->mZOrder = mZOrder - 0.001f;
        inner->Reparent(treasure, 1);
        if (treasure->mParent == this)
            break;
    }
}
