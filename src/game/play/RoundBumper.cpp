#include "game/play/RoundBumper.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/Filter.h"
#include "game/engine/Stage.h"
#include "game/play/InnerTreasures.h"
#include "game/play/ShooterHelpers.h"

namespace {

Filter* VelocityFilter(Stage& stage, int attribute)
{
    Filter* filter = stage.FindFilter(kEasingVelocity, attribute);
    return filter != nullptr ? filter
                             : stage.AddFilter(Game().mFilterPool, kEasingVelocity, attribute, 0.0f, 0.0f, 0.0f, 0);
}

} // namespace

void RoundBumper::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "round_bumper");
}

int RoundBumper::Update()
{
    const float x = mWorld[kAttrX];
    const float y = mWorld[kAttrY];
    const float radius = ShooterRules::FrameWidth(*this) * mWorld[kAttrXScale] / 2.2f;
    ForEachInnerTreasure([&](Jewel& treasure) {
        Stage* stage = treasure.CurrentStage();
        if (stage == nullptr || !CanBounce(treasure))
            return;
        const float tx = treasure.mWorld[kAttrX];
        const float ty = treasure.mWorld[kAttrY];
        if (CirclePenetration(tx, ty, ShooterRules::FrameWidth(treasure) / 2.5f, x, y, radius) == 0.0f)
            return;
        Filter* vx = VelocityFilter(*stage, kAttrX);
        Filter* vy = VelocityFilter(*stage, kAttrY);
        if (vx == nullptr || vy == nullptr)
            return;
        // Only a velocity into the bumper turns; with both centres in one
        // place there is no line to reflect about and the velocity stays.
        ReflectVelocity(vx->mAmplitude, vy->mAmplitude, tx, ty, x, y);
        if (treasure.RecordBounce())
            PlayBump();
    });
    return Bumper::Update();
}
