#include "game/play/Tutorial.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"
#include "game/engine/TextObject.h"
#include "game/play/Jewel.h"
#include "game/play/PlateRules.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterHelpers.h"
#include "game/play/Slot.h"
#include "game/play/TextKeys.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

using ShooterRules::IsTopmost;
using ShooterRules::LowestPlate;
using ShooterRules::StageContains;

enum class Motion { kNone, kFlight, kFromHere };

struct ScriptEvent {
    const char* trigger;
    const char* action;
    const char* parm1;
};

struct ScriptStage {
    const char* name;
    float ms;
    bool loops;
    bool visible;
    Motion motion;
    // kFlight: from (x0, y0) to (x1, y1); kFromHere: to (x1, y1).
    float x0, x1, y0, y1;
    // The wings flap at half speed.
    bool slow;
    ScriptEvent events[3];
};

// Cupid's script: the steps idle in "1st_idle" .. "4th_idle"; the handlers
// move it on from there.
const ScriptStage kScript[] = {
    {"initial_idle", 1204, false, false, Motion::kNone, 0, 0, 0, 0, false, {}},
    {"enter", 700, false, true, Motion::kFlight, -700, -200, 0, 20, false, {}},
    {"enter_wait", 204, false, true, Motion::kNone, 0, 0, 0, 0, false, {}},
    {"enter_idle", 3004, false, true, Motion::kNone, 0, 0, 0, 0, false, {{"click_anywhere", "next_stage", nullptr}}},
    {"rules_1", 604, false, true, Motion::kFromHere, 0, -230, 0, -190, false, {{"end", "custom", nullptr}}},
    {"rules_2", 604, true, true, Motion::kNone, 0, 0, 0, 0, false,
     {{"click_anywhere", "next_stage", nullptr}, {"click_anywhere", "custom", nullptr}}},
    {"rules_2", 604, true, true, Motion::kNone, 0, 0, 0, 0, false, {{"click_anywhere", "next_stage", nullptr}}},
    {"pre_first_idle", 6000, false, true, Motion::kNone, 0, 0, 0, 0, false,
     {{"start", "custom", nullptr}, {"click_anywhere", "go_to_stage", "1st_idle"}}},
    {"1st_idle", 604, true, true, Motion::kFlight, -500, -230, -90, -90, false, {}},
    {"post_first_idle", 1200, false, true, Motion::kFromHere, 0, -200, 0, 20, false, {}},
    {"pre_second_idle", 604, false, true, Motion::kFromHere, 0, -78, 0, -252, true, {{"end", "custom", nullptr}}},
    {"2nd_idle", 604, true, true, Motion::kNone, 0, 0, 0, 0, true, {}},
    {"post_second_idle", 1000, false, true, Motion::kFromHere, 0, -200, 0, 20, false, {{"end", "custom", nullptr}}},
    {"3rd_idle", 604, true, true, Motion::kNone, 0, 0, 0, 0, true, {}},
    {"post_third_idle", 604, false, true, Motion::kFromHere, 0, -200, 0, 20, false, {}},
    {"post_third_idle2", 2200, false, true, Motion::kFromHere, 0, -200, 0, 20, false,
     {{"end", "custom", nullptr},
      {"click_anywhere", "custom", "4th_idle"},
      {"click_anywhere", "go_to_stage", "4th_idle"}}},
    {"4th_idle", 604, true, true, Motion::kNone, 0, 0, 0, 0, true, {}},
    {"5th_idle", 604, true, true, Motion::kNone, 0, 0, 0, 0, true, {{"click_anywhere", "insert_level", "loading"}}},
};

// Per step: Cupid's idle stage, where Cupid goes when the step is done, the
// playfield's stage that moves the building and where its y goes (the
// last step keeps it).
struct StepRow {
    const char* idle;
    const char* after;
    const char* move;
    float y;
    bool keepsY;
};

const StepRow kSteps[] = {
    {"1st_idle", "post_first_idle", "tut_next1", 224.0f, false},
    {"2nd_idle", "post_second_idle", "tut_next2", 410.0f, false},
    {"3rd_idle", "post_third_idle", "tut_next3", 580.0f, false},
    {"4th_idle", "5th_idle", "tut_next4", 0.0f, true},
};

constexpr float kLineX = -96.0f;
constexpr float kFirstLineY = -24.0f;
constexpr float kLineStep = 24.0f;
// Cupid hovers this far left of and above the slot it points at.
constexpr float kPointerOffset = 120.0f;

AnimObject* AddChildWithStage(AnimObject& parent, const char* name, const char* image, float ms, int visible,
                              float x, float y)
{
    AnimObject* child = parent.AddChild(nullptr);
    if (child == nullptr)
        return nullptr;
    CopyToField(child->mName, name);
    child->SetImage(image, 0.0f, 0.0f, 0, 0.0f);
    child->AddStage(ms, 1, 1, visible, nullptr);
    child->SetStageAttribute(kAttrX, x, x);
    child->SetStageAttribute(kAttrY, y, y);
    return child;
}

void SetShown(AnimObject* object, int visible)
{
    if (object != nullptr) {
        for (Stage* stage = object->mStages.Head(); stage != nullptr; stage = stage->mNext)
            stage->mVisible = visible;
    }
}

void SetFire(int enabled)
{
    if (Shooter* shooter = CurrentShooter())
        shooter->mFireEnabled = enabled;
}

bool OnScreen(const AnimObject& object)
{
    const float y = object.mWorld[kAttrY];
    return y >= 0.0f && y <= GameState::kScreenHeight;
}

// The lines a tip is laid out in: at most a line's length each, broken at
// the last space inside the line while the text goes on.
std::vector<std::string> SplitTip(const std::string& text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t length = std::min(Tutorial::kLineLength, text.size() - at);
        size_t next = at + length;
        if (next < text.size()) {
            const size_t space = text.rfind(' ', next - 1);
            if (space != std::string::npos && space >= at) {
                length = space - at;
                next = space + 1;
            } else if (text[next] == ' ') {
                // A word of exactly a line's length: its following space ends the line.
                next += 1;
            }
            // Otherwise a word longer than a line is cut at the line's length.
        }
        lines.push_back(text.substr(at, length));
        at = next;
    }
    return lines;
}

} // namespace

Tutorial::Tutorial()
{
    mKind = kKindTutorial;
    SetImage("gfx\\cupid.png", 0.0f, 0.0f, 0, 0.0f);
    for (const ScriptStage& row : kScript) {
        if (AddStage(row.ms, row.loops ? 1 : 0, row.loops ? 1 : 0, row.visible ? 1 : 0, row.name) == nullptr)
            break;
        AddFilter(kEasingPingPongAnim, kAttrFrameNumber, 4.0f, row.slow ? 20.0f : 10.0f, 1.0f);
        if (row.motion == Motion::kFlight) {
            SetStageAttribute(kAttrX, row.x0, row.x1);
            SetStageAttribute(kAttrY, row.y0, row.y1);
        } else if (row.motion == Motion::kFromHere) {
            SetStageAttribute(kAttrX, kValueFromObject, row.x1);
            SetStageAttribute(kAttrY, kValueFromObject, row.y1);
        }
        if (row.motion != Motion::kNone)
            AddFilter(kEasingSuperCos, kAttrAll, 1.0f, 0.0f, 0.0f);
        for (const ScriptEvent& event : row.events) {
            if (event.trigger != nullptr)
                AddEventByName(event.trigger, event.action, event.parm1, nullptr, nullptr, nullptr, nullptr);
        }
    }
    AddChildWithStage(*this, "scroll", "gfx\\scroll.png", 1000.0f, 1, 146.0f, -5.0f);
    if (AnimObject* arrow = AddChildWithStage(*this, "arrow", "gfx\\shoothere_arrow.png", 1200.0f, 0, 120.0f, 50.0f)) {
        arrow->SetStageAttribute(kAttrRotation, 180.0f, 180.0f);
        arrow->AddFilter(kEasingSined, kAttrY, 12.0f, 1.0f, 0.0f);
    }
}

void Tutorial::ReadXmlAttributes(const ObjectXmlElement& element)
{
    mTips.clear();
    for (int i = 1;; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "tip%d", i);
        const char* value = element.GetAttribute(name);
        if (value == nullptr)
            break;
        std::string text = ResolveTextKey(value);
        if (text.size() > kTipLength)
            text.resize(kTipLength);
        mTips.push_back(std::move(text));
    }
    mNextTip = 0;
    ShowTip();
    AnimObject::ReadXmlAttributes(element);
}

void Tutorial::OnCustomAction(const char*)
{
    ShowTip();
}

void Tutorial::ShowTip()
{
    AnimObject* scroll = GetScroll();
    if (scroll == nullptr)
        return;
    scroll->mChildren.RemoveAll();
    // Without tips there is nothing to show.
    if (mTips.empty())
        return;
    if (mNextTip >= mTips.size())
        mNextTip = 0;
    const std::vector<std::string> lines = SplitTip(mTips[mNextTip]);
    for (size_t i = 0; i < lines.size(); ++i) {
        auto* text = new TextObject;
        text->SetText(lines[i].c_str(), "gfx\\font1_small.png", -1.0f, 0, StripFont::kJustifyLeft);
        const float y = kFirstLineY + kLineStep * float(i);
        text->AddStage(1000.0f, 1, 1, 1, nullptr);
        text->SetStageAttribute(kAttrX, kLineX, kLineX);
        text->SetStageAttribute(kAttrY, y, y);
        scroll->AddChild(text);
    }
    mNextTip = (mNextTip + 1) % mTips.size();
}

void Tutorial::ForgetSlot(const Slot* slot)
{
    if (mTargetSlot == slot)
        mTargetSlot = nullptr;
}

int Tutorial::Update()
{
    mSelectable = 0;
    mBilinear = 1;
    SetFire(0);
    for (int step = 1; step <= 4; ++step)
        RunStep(step);
    GameState& game = Game();
    if (game.mLevel != nullptr) {
        const AnimObject* quit = game.mLevel->FindChildByName("quit_button");
        if (quit != nullptr && quit->mHot != 0)
            SetFire(0);
    }
    return AnimObject::Update();
}

void Tutorial::RunStep(int step)
{
    const StepRow& row = kSteps[step - 1];
    if (!StageContains(this, row.idle) || !PlateRules::MiddleStageContains("scroll"))
        return;
    SetFire(IsTopmost(GetRoot()) ? 1 : 0);
    if (step == 1)
        SetShown(GetScroll(), 1);
    if (step <= 2)
        SetShown(GetArrow(), 1);
    AnimObject* plate = LowestPlate();
    if (step == 1)
        AimAtSlot(plate);
    if (plate == nullptr || plate->mWorld[kAttrY] < 0.0f)
        MoveBuildingOn(step);
}

void Tutorial::AimAtSlot(AnimObject* plate)
{
    if (!mAimed)
        ShowTip();
    Stage* stage = mCurrentStage;
    if (plate == nullptr || !OnScreen(*plate) || stage == nullptr)
        return;
    if (stage->mTicks >= stage->mLength) {
        // The flight is over: Cupid stays where it flew.
        stage->mStart[kAttrX] = stage->mEnd[kAttrX];
        stage->mStart[kAttrY] = stage->mEnd[kAttrY];
        return;
    }
    const Shooter* shooter = CurrentShooter();
    const Jewel* ready = shooter != nullptr ? shooter->ReadyPiece() : nullptr;
    if (ready == nullptr || std::fabs(plate->mWorld[kAttrRotation]) >= 1.0f)
        return;
    // The empty slot of the ready kind that Cupid already points at stays
    // the target; otherwise the first one becomes it. Two such slots must
    // not take turns, or the flight would start again every tick.
    Slot* choice = nullptr;
    for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
        auto* slot = dynamic_cast<Slot*>(child);
        if (slot == nullptr || slot->mKind != kKindSlot || slot->mFilled != 0 || slot->mSlotKind != ready->mTreasureKind)
            continue;
        if (slot == mTargetSlot)
            return;
        if (choice == nullptr)
            choice = slot;
    }
    if (choice == nullptr)
        return;
    stage->SetAttribute(kAttrX, mLocal[kAttrX], WorldToLocalX(choice->mWorld[kAttrX]) - kPointerOffset);
    stage->SetAttribute(kAttrY, mLocal[kAttrY], WorldToLocalY(choice->mWorld[kAttrY]) - kPointerOffset);
    stage->mTicks = 1.0f;
    mTargetSlot = choice;
    mAimed = true;
}

void Tutorial::MoveBuildingOn(int step)
{
    const StepRow& row = kSteps[step - 1];
    if (AnimObject* middle = Game().mMiddleLayer) {
        const float y = middle->mLocal[kAttrY];
        if (middle->AddStage(2000.0f, 0, 0, 1, row.move) != nullptr) {
            middle->SetStageAttribute(kAttrY, y, row.keepsY ? y : row.y);
            middle->AddEventByName("end", "go_to_stage", "scrolling", nullptr, nullptr, nullptr, nullptr);
            middle->AddFilter(kEasingSuperCos, kAttrAll, 1.0f, 0.0f, 0.0f);
            middle->GoToStage(row.move);
        }
    }
    GoToStage(row.after);
    if (step <= 2)
        SetShown(GetArrow(), 0);
    ShowTip();
}
