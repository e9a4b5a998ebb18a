#include "game/play/EndlessBonus.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/StripFont.h"
#include "game/engine/TextObject.h"
#include "game/play/GameModes.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr uint32_t kTicksPerMinute = 15000;

// The Survival clock: the bottom screen's clock panel, in ticks.
uint32_t SurvivedTicks()
{
    AnimObject* bottom = Game().mLiveObjects.Head();
    const AnimObject* clock = bottom != nullptr ? bottom->FindChildOfKind(kKindEndlessPanel) : nullptr;
    if (clock == nullptr)
        return 0;
    return uint32_t(std::max(0, SaturateToInt(clock->mFrameCounter)));
}

} // namespace

void EndlessBonus::InitAfterLoad()
{
    AnimObject::InitAfterLoad();
    const uint32_t ticks = SurvivedTicks();
    const uint32_t minutes = ticks / kTicksPerMinute;
    const std::string time = FormatMinutesSeconds(ticks);
    for (uint32_t k = 0; k <= minutes; ++k) {
        char number[24];
        std::snprintf(number, sizeof(number), "%u", k * 1000u);
        auto* text = new TextObject;
        text->SetText(number, "gfx\\font1.png", -4.0f, 0, StripFont::kJustifyCentre);
        text->AddStage(float(k) * 200.0f + 3900.0f, 0, 0, 0, nullptr);
        text->SetStageAttribute(kAttrXScale, 1.2f, 1.2f);
        text->SetStageAttribute(kAttrYScale, 1.2f, 1.2f);
        text->SetStageAttribute(kAttrX, 0.0f, 0.0f);
        text->SetStageAttribute(kAttrY, 0.0f, 0.0f);
        text->AddStage(200.0f, 0, 0, 1, nullptr);
        text->SetStageAttribute(kAttrXScale, 1.2f, 1.0f);
        text->SetStageAttribute(kAttrYScale, 1.2f, 1.0f);
        text->SetStageAttribute(kAttrAlpha, 1.0f, 1.0f);
        text->SetStageAttribute(kAttrX, 0.0f, 0.0f);
        text->SetStageAttribute(kAttrY, 0.0f, 0.0f);
        text->AddFilter(kEasingSquared, kAttrAll, 1.0f, 0.0f, 0.0f);
        if (k < minutes) {
            // The next minute replaces this one.
            text->AddStage(200.0f, 0, 0, 1, nullptr);
            text->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
            text->AddEventByName("start", "make_sparkles", "10", nullptr, nullptr, nullptr, nullptr);
            text->AddEventByName("start", "play_sound", nullptr, nullptr, "audio\\toss.ogg", nullptr, nullptr);
        } else {
            text->AddStage(200.0f, 1, 1, 1, nullptr);
            text->SetStageAttribute(kAttrAlpha, 1.0f, 1.0f);
        }
        AddChild(text);

        if (k > 0) {
            AddStage(200.0f, 0, 0, 1, nullptr);
            AddEventByName("start", "custom", nullptr, nullptr, nullptr, nullptr, nullptr);
            AddEventByName("start", "bump_score", nullptr, nullptr, nullptr, "1000", nullptr);
        }
        if (k == minutes) {
            AddStage(20.0f, 0, 0, 1, nullptr);
            AddEventByName("end", "enter_high_score", nullptr, nullptr, nullptr, time.c_str(), nullptr);
        }
    }
    AddStage(1000.0f, 1, 1, 1, nullptr);
}

int EndlessBonus::Update()
{
    // The clock does not run while the bonus is paid.
    if (AnimObject* level = Game().mLevel) {
        if (AnimObject* clock = level->FindChildByName("endlesspan"))
            clock->mFrameCounter -= 1.0f;
    }
    return AnimObject::Update();
}

void EndlessBonus::OnCustomAction(const char*)
{
    AnimObject* level = Game().mLevel;
    if (level == nullptr)
        return;
    AnimObject* marker = level->FindChildByName("endless_marker");
    while (marker != nullptr && !marker->mChildren.IsEmpty())
        marker = level->FindChildByName("endless_marker", marker);
    if (marker == nullptr)
        return;
    AnimObject* glow = marker->AddChild(nullptr);
    if (glow != nullptr) {
        glow->AddStage(100.0f, 0, 0, 0, nullptr);
        glow->AddStage(200.0f, 0, 0, 1, nullptr);
        glow->SetImage("gfx\\corona.png", 0.0f, 0.0f, 1, 0.0f);
        glow->SetStageAttribute(kAttrXScale, 0.45f, 0.45f);
        glow->SetStageAttribute(kAttrYScale, 0.45f, 0.45f);
        glow->SetStageAttribute(kAttrRotation, 0.0f, 30.0f);
        glow->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        glow->mBlitStyle = 1;
    }
    marker->AddStage(240.0f, 0, 0, 1, "fading_out");
    marker->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
    marker->GoToStage("fading_out");
}

// Written back, so that a saved screen keeps its bonus.
void EndlessBonus::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "endless_bonus");
}
