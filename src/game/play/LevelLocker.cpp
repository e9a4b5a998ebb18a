#include "game/play/LevelLocker.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"
#include "game/engine/TextBlock.h"
#include "game/engine/TextObject.h"
#include "game/play/GameModes.h"

#include <cstring>
#include <iterator>

namespace {

constexpr float kLockGap = 16.0f;
constexpr float kCaptionScale = 0.59f;
constexpr float kDimmedAlpha = 0.5f;

// Where an attribute rests after the object's stages: the end of the last
// stage that moves it (markers that name other values are passed over);
// false when no stage moves it.
bool RestingValue(const AnimObject& object, int code, float& value)
{
    bool moved = false;
    for (const Stage* stage = object.mStages.Head(); stage != nullptr; stage = stage->mNext) {
        if ((stage->mMask & (1u << code)) != 0 && stage->mEnd[code] < 99999.0f) {
            value = stage->mEnd[code];
            moved = true;
        }
    }
    return moved;
}

// One endless stage at the alpha in place of the object's own; the object
// keeps the place, size, turn and colour its stages gave it.
void Dim(AnimObject& object, float alpha)
{
    constexpr int kKept[] = {kAttrXScale, kAttrYScale, kAttrX, kAttrY, kAttrRotation, kAttrR, kAttrG, kAttrB};
    float values[std::size(kKept)] = {};
    bool moved[std::size(kKept)] = {};
    for (size_t i = 0; i < std::size(kKept); ++i)
        moved[i] = RestingValue(object, kKept[i], values[i]);
    object.mStages.RemoveAll();
    object.AnimObject::AddStage(1000.0f, 1, 1, 1, nullptr);
    for (size_t i = 0; i < std::size(kKept); ++i) {
        if (moved[i])
            object.AnimObject::SetStageAttribute(kKept[i], values[i], values[i]);
    }
    object.AnimObject::SetStageAttribute(kAttrAlpha, alpha, alpha);
    object.mLocal[kAttrAlpha] = alpha;
}

} // namespace

void LevelLocker::AddLocks(const TextObject& caption)
{
    const float width =
        StripFont::MeasureString(caption.GetFont(), caption.GetText().c_str(), kCaptionScale, caption.GetSpacing());
    const float lockX = width / 2.0f + kLockGap;
    for (float x : {lockX, -lockX}) {
        AnimObject* lock = AddChild(nullptr);
        if (lock == nullptr)
            continue;
        lock->SetImage("gfx\\locked_game.png", 0.0f, 0.0f, 1, 0.0f);
        lock->AddStage(1000.0f, 1, 1, 1, nullptr);
        lock->SetStageAttribute(kAttrX, x, x);
        lock->mLocal[kAttrX] = x;
    }
}

void LevelLocker::InitAfterLoad()
{
    AnimObject::InitAfterLoad();
    auto* caption = dynamic_cast<TextObject*>(FindChildOfKind(kKindTextObject));
    if (caption == nullptr)
        return;
    const PlayerProfile& profile = CurrentProfile();
    const std::string& text = caption->GetText();
    const char* tip = nullptr;
    if (text.find("FLOOD") != std::string::npos && profile.mFloodUnlocked == 0)
        tip = "Play a little Journey first!";
    else if (text.find("TRICK") != std::string::npos && profile.mTrickshotUnlocked == 0)
        tip = "Beat all of Journey to unlock!";
    else if (text.find("SURVI") != std::string::npos && profile.mSurvivalUnlocked == 0)
        tip = "Beat all of Flood to unlock!";
    if (tip == nullptr)
        return;

    // The caption's own stages carry its click: they go, so the button is disarmed.
    // The characters hold still at full alpha: the caption's half alpha reaches them.
    Dim(*caption, kDimmedAlpha);
    for (AnimObject* child = caption->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind != kKindTextBlock)
            Dim(*child, 1.0f);
    }

    if (caption->GetFont() != nullptr)
        AddLocks(*caption);

    auto* tooltip = dynamic_cast<TextBlock*>(caption->FindChildOfKind(kKindTextBlock));
    if (tooltip == nullptr)
        return;
    tooltip->mChildren.RemoveAll();
    CopyToField(tooltip->mText, tip);
    tooltip->InitAfterLoad();
    if (AnimObject* first = tooltip->mChildren.Head())
        first->mLocal[kAttrAlpha] = 2.0f;
}

// Written back, so that a saved screen keeps its lockers.
void LevelLocker::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "level_locker");
}
