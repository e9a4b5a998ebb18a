#include "game/play/LevelRules.h"

#include "game/engine/AnimObject.h"
#include "game/engine/EasingKind.h"
#include "game/engine/GameRandom.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/SoundLayer.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/Plate.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"
#include "game/play/Shooter.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

// Game modes, in the profile's order.
constexpr int kModeFlood = 0;
constexpr int kModeJourney = 1;
constexpr int kModeSurvival = 2;
constexpr int kModeTrickshot = 3;

constexpr float kSunkenDepth = 1200.0f;
constexpr const char* kPopupFont = "gfx\\font1.png";

bool StageNameContains(const AnimObject* object, const char* part)
{
    const Stage* stage = object != nullptr ? object->CurrentStage() : nullptr;
    return stage != nullptr && std::strstr(stage->mName, part) != nullptr;
}

int CurrentMode()
{
    const int mode = Game().mProfiles.Current().mMode;
    return mode >= 0 && mode < PlayerProfile::kModeCount ? mode : kModeFlood;
}

int& JourneyTries()
{
    return Game().mProfiles.Current().mTries[kModeJourney];
}

// The shooter's part of a loss; the shooter's own sequence plugs in here.
void SinkShooter()
{
    if (Shooter* shooter = CurrentShooter())
        shooter->Sink();
}

TextObject* NewCentredText(const char* text)
{
    auto* object = new (std::nothrow) TextObject();
    if (object != nullptr)
        object->SetText(text, kPopupFont, 1.0f, 0, StripFont::kJustifyCentre);
    return object;
}

void RiseBubble(Level& level)
{
    const AnimObject* water = level.FindChildByName("water");
    if (water == nullptr)
        return;
    AnimObject* bubble = AnimObject::TakeFromPool();
    if (bubble == nullptr)
        return;
    bubble->SetImage("gfx\\bubble.png", 0.0f, 0.0f, 0, 0.0f);
    // Sorted in just before the water, then drawn at z 9 without re-sorting.
    bubble->mZOrder = water->mZOrder - 0.001f;
    level.AddChild(bubble);
    bubble->mZOrder = 9.0f;
    bubble->AddStage(float(RandomIntRange(1000, 3000)), 0, 0, 1, nullptr);
    const float alpha = RandomFloatRange(0.7f, 1.0f);
    bubble->SetStageAttribute(kAttrAlpha, alpha, alpha);
    bubble->mLocal[kAttrY] = GameState::kScreenHeight / 2.0f - 10.0f;
    bubble->mLocal[kAttrX] = RandomFloatRange(-GameState::kScreenWidth / 2.0f, GameState::kScreenWidth / 2.0f);
    bubble->AddFilter(kEasingVelocity, kAttrY, RandomFloatRange(-1.0f, -0.3f), 0.008f, 0.0f);
    bubble->AddFilter(kEasingVelocity, kAttrX, RandomFloatRange(-0.4f, 0.4f), 0.0f, 0.0f);
}

// Something under the object may still fill a slot: a treasure anywhere (in
// flight, tumbling, in a basket), a copy flying to a slot, a slot whose
// filling ends in a toss, a plate fading out that has its slots' treasures
// still to toss.
bool TrickStillInPlay(const AnimObject& object)
{
    for (const AnimObject* child = object.mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mRemove != 0)
            continue;
        switch (child->mKind) {
        case kKindJewel:
        case kKindSlotLabel:
            return true;
        case kKindSlot:
            if (StageNameContains(child, "filling"))
                return true;
            break;
        case kKindPlate:
            if (StageNameContains(child, "fade_out") && child->FindChildOfKind(kKindSlot) != nullptr)
                return true;
            break;
        default:
            break;
        }
        if (TrickStillInPlay(*child))
            return true;
    }
    return false;
}

} // namespace

namespace LevelRules {

void TickBeforeMusic(Level& level)
{
    const AnimObject* middle = Game().mMiddleLayer;
    if (middle == nullptr || !StageNameContains(middle, "defea"))
        return;
    if (RandomIntRange(1, 3) == 1)
        RiseBubble(level);
}

void TickAfterMusic(Level& level)
{
    if (StageNameContains(Game().mMiddleLayer, "scroll"))
        level.mTicksInScroll += 1;
    if (level.mSinkSoundTimer != 0) {
        level.mSinkSoundTimer += 1;
        if (level.mSinkSoundTimer > kSinkSoundTicks) {
            PlayGameSound("audio\\endless_sink.ogg");
            level.mSinkSoundTimer = 1;
        }
    }
    MissSpentTrick(level);
}

void Defeat(Level& level)
{
    GameState& game = Game();
    if (game.EditorOpen())
        return;
    const int mode = CurrentMode();
    if (!(mode == kModeJourney && JourneyTries() >= 1)) {
        AnimObject* middle = game.mMiddleLayer;
        // A middle layer without a "defeat" stage keeps its place; the rest of the loss runs.
        Stage* stage = middle != nullptr ? middle->GoToStage("defeat") : nullptr;
        if (stage != nullptr) {
            const float startY = middle->mLocal[kAttrY];
            float endY = startY;
            if (mode != kModeSurvival) {
                const AnimObject* lowest = FindLowestOfKind(kKindPlate, game.mInnerLayer);
                endY = kSunkenDepth - (lowest != nullptr ? lowest->mLocal[kAttrY] : 0.0f);
            }
            stage->SetAttribute(kAttrY, startY, endY);
        }
        PlayGameSound("audio\\rise.ogg");
        if (mode == kModeSurvival)
            level.mSinkSoundTimer = 1;
    }
    SinkShooter();
    ShowLossSummary(level);
    if (mode == kModeFlood)
        NudgeDifficulty(-1.0f);
}

void ShowLossSummary(Level& level)
{
    const int mode = CurrentMode();
    int& tries = JourneyTries();
    char text[64];
    if (mode != kModeJourney || tries < 1)
        std::snprintf(text, sizeof(text), "SUNK!");
    else if (tries == 1)
        std::snprintf(text, sizeof(text), "THIS IS YOUR LAST TRY!");
    else
        std::snprintf(text, sizeof(text), "%d %s LEFT", tries, "TRIES");

    KillPopupTexts(level);
    if (TextObject* popup = NewCentredText(text)) {
        std::snprintf(popup->mName, sizeof(popup->mName), "%s", kPopupName);
        popup->AddStage(600.0f, 0, 0, 1, nullptr);
        popup->SetStageAttribute(kAttrX, 0.0f, 0.0f);
        popup->SetStageAttribute(kAttrAlpha, 0.0f, 1.0f);
        popup->AddStage(1800.0f, 0, 0, 1, nullptr);
        popup->SetStageAttribute(kAttrX, 0.0f, 0.0f);
        popup->AddStage(300.0f, 0, 0, 1, nullptr);
        popup->SetStageAttribute(kAttrX, 0.0f, 0.0f);
        popup->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        level.AddChild(popup);
    }

    if (mode == kModeJourney)
        tries -= 1;

    if (mode == kModeSurvival) {
        LoadObjectFromFile("levels\\endless_summary.xml", &level);
    } else if (mode != kModeJourney || tries < 0) {
        TextObject* again = NewCentredText("CLICK TO PLAY AGAIN");
        if (again == nullptr)
            return;
        again->AddStage(2200.0f, 0, 0, 0, nullptr);
        again->AddStage(100.0f, 0, 0, 1, nullptr);
        again->SetStageAttribute(kAttrX, 0.0f, 0.0f);
        again->SetStageAttribute(kAttrAlpha, 0.0f, 0.0f);
        again->AddStage(3000.0f, 0, 0, 1, nullptr);
        again->AddStage(600.0f, 0, 0, 1, nullptr);
        again->SetStageAttribute(kAttrAlpha, 0.0f, 1.0f);
        again->AddStage(600.0f, 1, 1, 1, nullptr);
        const std::string thisLevel = Game().mHooks->ResolveTextKey("THIS_LEVEL");
        again->AddEventByName("click_anywhere", "clear_score", nullptr, nullptr, nullptr, nullptr, nullptr);
        again->AddEventByName("click_anywhere", "insert_level", thisLevel.c_str(), nullptr, nullptr, nullptr,
                              nullptr);
        again->AddEventByName("click_anywhere", "send_level", "fade_out", "all", nullptr, nullptr, nullptr);
        level.AddChild(again);
    }
}

void TrickshotMissed(Level& level)
{
    GameState& game = Game();
    AnimObject* middle = game.mMiddleLayer;
    if (!StageNameContains(middle, "still") || game.Topmost() != &level)
        return;
    middle->GoToStage("victory");
    PlayerProfile& profile = game.mProfiles.Current();
    const int mode = CurrentMode();
    profile.mProgress[mode] = mode == kModeTrickshot ? 1 : profile.mProgress[mode] + 1;
    profile.mTrickStreak = 0;
    PlayGameSound("audio\\trickshot_missed.ogg");
    if (level.mMainEntry != nullptr && game.mSound != nullptr)
        game.mSound->SetChannelVolume(level.mMainEntry, game.mHooks->GetMusicVolume() / 6.0f);
}

void MissSpentTrick(Level& level)
{
    GameState& game = Game();
    if (!StageNameContains(game.mMiddleLayer, "still") || game.Topmost() != &level)
        return;
    const Shooter* shooter = CurrentShooter();
    if (shooter == nullptr || !shooter->OutOfTreasures() || !PlatesHaveRoom() || TrickStillInPlay(level))
        return;
    TrickshotMissed(level);
}

void CheckJourneyLoss(Level& level, int live, int chain, int treasureKind)
{
    GameState& game = Game();
    if (game.mTutorial != nullptr || !PlatesHaveRoom() || CurrentMode() != kModeJourney)
        return;
    if (!StageNameContains(game.mMiddleLayer, "scrolling") || !StageNameContains(game.mShooter, "ready"))
        return;
    if (live == 1 && chain == 0 && treasureKind < 100)
        Defeat(level);
}

bool PlatesHaveRoom()
{
    const AnimObject* inner = Game().mInnerLayer;
    if (inner == nullptr)
        return false;
    for (const AnimObject* child = inner->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind != kKindPlate)
            continue;
        const auto* plate = dynamic_cast<const Plate*>(child);
        if (plate != nullptr && plate->HasRoom())
            return true;
    }
    return false;
}

void KillPopupTexts(Level& level)
{
    for (AnimObject* child = level.mChildren.Head(); child != nullptr; child = child->mNext) {
        if (std::strcmp(child->mName, kPopupName) == 0)
            child->mRemove = 1;
    }
}

} // namespace LevelRules
