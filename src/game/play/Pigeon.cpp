#include "game/play/Pigeon.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameRandom.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Stage.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"
#include "game/play/ShooterHelpers.h"

#include <cmath>
#include <cstring>

namespace {

using ShooterRules::StageContains;
using ShooterRules::StageIs;

Stage* FindStage(AnimObject& object, const char* name)
{
    for (Stage* stage = object.mStages.Head(); stage != nullptr; stage = stage->mNext) {
        if (std::strcmp(stage->mName, name) == 0)
            return stage;
    }
    return nullptr;
}

} // namespace

Pigeon::Pigeon()
{
    mKind = kKind;
}

Pigeon::~Pigeon()
{
    GameState::ReleaseHeldImage(mFlightImage);
}

void Pigeon::ReadXmlAttributes(const ObjectXmlElement& element)
{
    // An empty name is what a pigeon without a flight picture saves.
    if (const char* name = element.GetAttribute("flight_image"); name != nullptr && name[0] != '\0') {
        GameState::ReleaseHeldImage(mFlightImage);
        if (GameState* game = GameState::TryCurrent())
            mFlightImage = game->mImageCache.Get(name);
    }
    AnimObject::ReadXmlAttributes(element);
}

void Pigeon::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "pigeon");
    WriteXmlStringAttribute(out, "flight_image", mFlightImage != nullptr ? mFlightImage->mName : "");
}

void Pigeon::InitAfterLoad()
{
    AnimObject::InitAfterLoad();
    // A pigeon does not count the player's clicks.
    for (Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext) {
        for (ObjectList<ObjectEvent>::Walk walk(stage->mEvents); ObjectEvent* event = walk.Next();) {
            if (event->mTrigger == kTriggerClickAnywhere && event->mAction == kActionBumpTickCounter)
                stage->mEvents.Remove(event);
        }
    }
}

int Pigeon::Update()
{
    GameState& game = Game();
    if (!game.EditorOpen() && !mFlightShown && StageIs(this, "fly_away")) {
        mFlightShown = true;
        if (mFlightImage != nullptr)
            SetImageRecord(mFlightImage);
        if (!FliesLeft())
            mFlipX = 1;
    }
    if (mWorld[kAttrY] > Tuning().mBumperFadePoint && game.mShooter != nullptr && game.mMiddleLayer != nullptr
        && StageContains(game.mMiddleLayer, "scroll") && !StageContains(this, "fly"))
        FlyAway(mWorld[kAttrX], mWorld[kAttrY]);
    return AnimObject::Update();
}

void Pigeon::FlyAway(float x, float y)
{
    GameState& game = Game();
    const float dx = mWorld[kAttrX] - x;
    const float dy = mWorld[kAttrY] - y;
    const float reach = 2.0f * kScareRadius;
    if (dx * dx + dy * dy >= reach * reach || game.EditorOpen())
        return;
    if (StageIs(this, "fly_away") || StageIs(this, "pre_fly_away"))
        return;
    Stage* flight = FindStage(*this, "fly_away");
    Stage* wait = FindStage(*this, "pre_fly_away");
    if (flight == nullptr || wait == nullptr)
        return;

    const float width = GameState::kScreenWidth;
    const bool left = FliesLeft();
    const int halfWidth = int(width / 2.0f);
    const float endX = float(left ? RandomIntBetween(-halfWidth - 40, -halfWidth) : RandomIntBetween(halfWidth, halfWidth + 40));
    const float endY = (mLocal[kAttrY] - mWorld[kAttrY] - 20.0f) + float(RandomIntBetween(-20, 20));
    const float worldX = mWorld[kAttrX];
    const float worldY = mWorld[kAttrY];
    const float run = left ? worldX : width - worldX;
    const float ticks = std::trunc(std::sqrt(run * run + worldY * worldY));

    SetStage(flight);
    flight->SetAttribute(kAttrX, kValueFromObject, endX);
    flight->SetAttribute(kAttrY, kValueFromObject, endY);
    flight->mLength = ticks;
    SetStage(wait);
    wait->mLength = float(RandomIntBetween(0, 150));
}

bool Pigeon::FliesLeft() const
{
    return std::strstr(mName, "left") != nullptr;
}
