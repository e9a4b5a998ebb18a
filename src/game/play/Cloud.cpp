#include "game/play/Cloud.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameRandom.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"

Cloud::Cloud()
{
    mKind = kKindCloud;
}

void Cloud::InitAfterLoad()
{
    AnimObject::InitAfterLoad();
    float y = 0.0f;
    if (const Stage* first = mStages.Head())
        y = (first->mMask & (1u << kAttrY)) != 0 ? first->mStart[kAttrY] : mLocal[kAttrY];
    else
        y = RandomFloatRange(-300.0f, 20.0f);
    mStages.RemoveAll();
    // The stage drives nothing: the filter moves x and y stays where it was put.
    AddStage(1000.0f, 1, 1, 1, nullptr);
    mLocal[kAttrY] = y;
    mLocal[kAttrX] = RandomFloatRange(-400.0f, 400.0f);
    AddFilter(kEasingVelocity, kAttrX, RandomFloatRange(-0.035f, -0.01f), 0.0f, 0.0f);
    AddEventByName("less_than", "move", "x", "-500", "x", "500", nullptr);
}

void Cloud::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "cloud");
    AnimObject::WriteTypeAttributes(out);
}
