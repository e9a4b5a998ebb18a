#include "support/AutoPlayer.h"

#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/InputBox.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/play/GameModes.h"
#include "game/play/Jewel.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterHelpers.h"
#include "game/play/Slot.h"
#include "platform/window/EventPump.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

namespace LumoTest {

namespace {

using ShooterRules::FrameWidth;
using ShooterRules::StageContains;
using ShooterRules::StageIs;

// The pointer's height while aiming: clear of the panel's buttons.
constexpr float kAimY = 300.0f;
// A reader's pause before a screen's button is pressed.
constexpr int kReadTicks = 100;
// How far beside a shut slot the player throws to turn its plate.
constexpr float kOffCentre = 14.0f;
// Ticks the player waits for a slot in reach before it throws a treasure away.
constexpr int kPatienceTicks = 250;
// Where a treasure with no slot at all goes up: by the wall, clear of the plates.
constexpr float kWallX = 40.0f;

} // namespace

AutoPlayer::AutoPlayer(Plat::Window* window, std::string name) : mWindow(window), mName(std::move(name)) {}

void AutoPlayer::Post(int kind, int x, int y, int button, int key)
{
    Plat::InputEvent input;
    input.window = mWindow;
    input.kind = static_cast<Plat::InputEvent::Kind>(kind);
    input.x = x;
    input.y = y;
    input.button = button;
    input.clicks = 1;
    input.virtualKey = key;
    Plat::GetEventPump().PostInput(input);
}

void AutoPlayer::MoveTo(float x, float y)
{
    if (x == mPointerX && y == mPointerY)
        return;
    mPointerX = x;
    mPointerY = y;
    Post(static_cast<int>(Plat::InputEvent::Kind::MouseMotion), int(x), int(y), 0, 0);
}

void AutoPlayer::Click(float x, float y)
{
    // The pointer comes first: a button takes a click only once it is under it.
    MoveTo(x, y);
    mPendingButton = 1;
}

void AutoPlayer::PressKey(int virtualKey)
{
    Post(static_cast<int>(Plat::InputEvent::Kind::KeyDown), 0, 0, 0, virtualKey);
    mHeldKey = virtualKey;
}

void AutoPlayer::StepButtons()
{
    if (mHeldButton != 0) {
        Post(static_cast<int>(Plat::InputEvent::Kind::MouseButtonUp), int(mPointerX), int(mPointerY), mHeldButton, 0);
        mHeldButton = 0;
    }
    if (mHeldKey != 0) {
        Post(static_cast<int>(Plat::InputEvent::Kind::KeyUp), 0, 0, 0, mHeldKey);
        mHeldKey = 0;
    }
    if (mPendingButton != 0) {
        Post(static_cast<int>(Plat::InputEvent::Kind::MouseButtonDown), int(mPointerX), int(mPointerY), mPendingButton,
             0);
        mHeldButton = mPendingButton;
        mPendingButton = 0;
    }
}

bool AutoPlayer::ClickButton(GameState& game, const char* name)
{
    AnimObject* top = game.Topmost();
    AnimObject* button = top != nullptr ? top->FindChildByName(name) : nullptr;
    if (button == nullptr)
        return false;
    Click(button->mWorld[kAttrX], button->mWorld[kAttrY]);
    return true;
}

void AutoPlayer::Act(GameState& game)
{
    ++mTick;
    StepButtons();
    auto* top = dynamic_cast<Level*>(game.Topmost());
    if (top == nullptr)
        return;
    if (top != mScreen) {
        mScreen = top;
        mScreenSince = mTick;
        mTyped = 0;
    }
    TrackSlots(game);
    auto* shooter = dynamic_cast<Shooter*>(game.mShooter);
    if (shooter != nullptr && game.mLevel == top)
        ActInLevel(game, *top, *shooter);
    else
        ActOnScreen(game, *top);
}

void AutoPlayer::ActOnScreen(GameState& game, Level& top)
{
    if (StageContains(&top, "fade") || mTick - mScreenSince < kReadTicks || mTick < mNextAction)
        return;
    if (auto* box = dynamic_cast<InputBox*>(top.FindChildOfKind(InputBox::kKind))) {
        if (mTyped < mName.size()) {
            PressKey(std::toupper(static_cast<unsigned char>(mName[mTyped++])));
            return;
        }
        if (std::strlen(box->mText) < mName.size())
            return;
    }
    for (const char* name : {"ok_button", "next_button", "play_button", "continue_button"}) {
        if (ClickButton(game, name)) {
            // One press a screen: the next comes once the screen has changed.
            mScreenSince = mTick + 100000;
            return;
        }
    }
}

void AutoPlayer::ActInLevel(GameState& game, Level& level, Shooter& shooter)
{
    AnimObject* middle = game.mMiddleLayer;
    if (game.mTutorial != nullptr) {
        ActInTutorial(game, shooter);
        return;
    }
    const int mode = game.mProfiles.Current().mMode;
    if (StageContains(middle, "defea") && mode != kSurvival) {
        // Lost for good: the level asks for a click anywhere.
        if (mTick >= mNextAction) {
            Click(400.0f, kAimY);
            mNextAction = mTick + 500;
        }
        return;
    }
    if (mIdle || !(StageIs(middle, "scrolling") || StageIs(middle, "still")))
        return;
    if (mode == kTrickshot) {
        ActInTrick(level, shooter);
        return;
    }
    Play(game, shooter);
}

void AutoPlayer::Play(GameState& game, Shooter& shooter)
{
    // A thrown treasure on its way down is caught before anything else: in
    // the water it would cost a try.
    float catchX = 0.0f;
    if (FallingTreasure(game, shooter, catchX)) {
        Aim(catchX);
        return;
    }
    const Jewel* ready = shooter.ReadyPiece();
    if (ready == nullptr || !StageIs(&shooter, "ready")) {
        if (mAimX >= 0.0f)
            MoveTo(mAimX, kAimY);
        return;
    }
    Target mine;
    Target other;
    const bool haveMine = FindTarget(game, shooter, ready->mTreasureKind, mine);
    const Jewel* waiting = WaitingPiece(shooter);
    const bool haveOther = waiting != nullptr && FindTarget(game, shooter, waiting->mTreasureKind, other);
    if (haveOther && (!haveMine || other.distance < mine.distance)) {
        if (mTick >= mNextAction) {
            Swap();
            mNextAction = mTick + 20;
        }
        return;
    }
    if (haveMine) {
        mUnreachableSince = -1;
        Aim(mine.x);
        Throw(shooter, &mine);
        return;
    }
    // Neither treasure fits: wait a while for the building to move, then
    // throw at the full slot in front of an empty one of the kind, a little
    // to the side: a hit off the plate's centre turns or tilts most plates,
    // one through the centre only bobs a ring. Without one, at the wall: the
    // treasure comes straight back to the shooter, which hands out the next.
    if (mUnreachableSince < 0)
        mUnreachableSince = mTick;
    if (mTick - mUnreachableSince < kPatienceTicks)
        return;
    const AnimObject* shut = NearestEmptySlot(game, shooter, ready->mTreasureKind);
    Aim(shut != nullptr ? shut->mWorld[kAttrX] + kOffCentre : kWallX);
    if (Throw(shooter, nullptr))
        mUnreachableSince = -1;
}

const AnimObject* AutoPlayer::NearestEmptySlot(GameState& game, const Shooter& shooter, int kind) const
{
    const AnimObject* nearest = nullptr;
    float distance = 0.0f;
    for (const AnimObject* plate = game.mInnerLayer->mChildren.Head(); plate != nullptr; plate = plate->mNext) {
        if (plate->mKind != kKindPlate || StageContains(plate, "fade"))
            continue;
        for (const AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
            const auto* slot = dynamic_cast<const Slot*>(child);
            if (slot == nullptr || slot->mFilled != 0 || slot->mSlotKind != kind || child->mWorld[kAttrY] < 20.0f ||
                child->mWorld[kAttrX] < 20.0f || child->mWorld[kAttrX] > 780.0f)
                continue;
            const float away = std::hypot(child->mWorld[kAttrX] - shooter.mWorld[kAttrX],
                                          child->mWorld[kAttrY] - shooter.mWorld[kAttrY]);
            if (nearest == nullptr || away < distance) {
                nearest = child;
                distance = away;
            }
        }
    }
    return nearest;
}

void AutoPlayer::ActInTutorial(GameState& game, Shooter& shooter)
{
    const Stage* stage = game.mTutorial->CurrentStage();
    if (static_cast<const void*>(stage) != mTutorialStage) {
        mTutorialStage = stage;
        mTutorialStageSince = mTick;
    }
    if (shooter.mFireEnabled == 0) {
        // Cupid waits for a click once the tip is read.
        const int waited = mTick - mTutorialStageSince;
        if (waited >= 300 && (waited - 300) % 400 == 0)
            Click(400.0f, 120.0f);
        return;
    }
    Play(game, shooter);
}

void AutoPlayer::ActInTrick(Level& level, Shooter& shooter)
{
    const auto found = mTrickThrows.find(static_cast<int>(level.mLevelNumber));
    if (found == mTrickThrows.end() || shooter.mShots > 0)
        return;
    Aim(found->second);
    // The shooter recentres the pointer once at its 100th tick: throw after it.
    if (shooter.mFrameCounter > 160.0f && shooter.ReadyPiece() != nullptr && StageIs(&shooter, "ready"))
        Throw(shooter, nullptr);
}

void AutoPlayer::Swap()
{
    mPendingButton = 3;
    ++mSwaps;
}

void AutoPlayer::Aim(float x)
{
    mAimX = x;
    MoveTo(x, kAimY);
}

bool AutoPlayer::Throw(Shooter& shooter, const Target* target)
{
    if (mTick < mNextAction || std::fabs(shooter.mWorld[kAttrX] - mAimX) > 1.0f)
        return false;
    const Jewel* ready = shooter.ReadyPiece();
    if (ready == nullptr || !StageIs(ready, "ready"))
        return false;
    Click(mAimX, kAimY);
    ++mThrows;
    mNextAction = mTick + 10;
    if (target != nullptr) {
        const float rise = shooter.mWorld[kAttrY] - target->slot->mWorld[kAttrY];
        mClaims.push_back({target->slot, mTick + int(rise / float(Shooter::kThrowSpeed)) + 40});
    }
    return true;
}

bool AutoPlayer::FallingTreasure(GameState& game, const Shooter& shooter, float& x) const
{
    const float shooterY = shooter.mWorld[kAttrY];
    bool found = false;
    float nearest = 0.0f;
    for (const AnimObject* child = game.mInnerLayer->mChildren.Head(); child != nullptr; child = child->mNext) {
        const auto* treasure = dynamic_cast<const Jewel*>(child);
        if (treasure == nullptr || treasure->mLive == 0 || treasure->IsSpecial() || !StageIs(treasure, "shooting"))
            continue;
        const auto moving = mVelocity.find(treasure);
        if (moving == mVelocity.end() || moving->second.second <= 0.0f)
            continue;
        const float y = treasure->mWorld[kAttrY];
        const float ticks = (shooterY - y) / moving->second.second;
        if (ticks < 0.0f)
            continue;
        // The soonest to come down first; the walls fold the path back.
        float at = treasure->mWorld[kAttrX] + moving->second.first * ticks;
        for (int fold = 0; fold < 4 && (at < 0.0f || at > 800.0f); ++fold)
            at = at < 0.0f ? -at : 1600.0f - at;
        if (!found || ticks < nearest) {
            nearest = ticks;
            x = std::clamp(at, 20.0f, 780.0f);
            found = true;
        }
    }
    return found;
}

const Jewel* AutoPlayer::WaitingPiece(const Shooter& shooter)
{
    for (const AnimObject* child = shooter.mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindJewel && StageIs(child, "waiting"))
            return static_cast<const Jewel*>(child);
    }
    return nullptr;
}

void AutoPlayer::TrackSlots(GameState& game)
{
    std::erase_if(mClaims, [this](const Claim& claim) { return claim.untilTick < mTick; });
    std::map<const AnimObject*, std::pair<float, float>> seen;
    const auto note = [&](const AnimObject& object) {
        const std::pair<float, float> at{object.mWorld[kAttrX], object.mWorld[kAttrY]};
        const auto before = mLastSeen.find(&object);
        if (before != mLastSeen.end())
            mVelocity[&object] = {at.first - before->second.first, at.second - before->second.second};
        seen[&object] = at;
    };
    const AnimObject* inner = game.mInnerLayer;
    for (const AnimObject* child = inner != nullptr ? inner->mChildren.Head() : nullptr; child != nullptr;
         child = child->mNext) {
        if (child->mKind == kKindJewel)
            note(*child);
        if (child->mKind != kKindPlate)
            continue;
        for (const AnimObject* slot = child->mChildren.Head(); slot != nullptr; slot = slot->mNext) {
            if (slot->mKind == kKindSlot)
                note(*slot);
        }
    }
    std::erase_if(mVelocity, [&seen](const auto& entry) { return seen.count(entry.first) == 0; });
    mLastSeen = std::move(seen);
}

bool AutoPlayer::Claimed(const AnimObject* slot) const
{
    for (const Claim& claim : mClaims)
        if (claim.slot == slot)
            return true;
    return false;
}

std::vector<AutoPlayer::Blocker> AutoPlayer::Blockers(GameState& game, const Shooter& shooter) const
{
    const float reach = Reach(shooter);
    std::vector<Blocker> blockers;
    for (const AnimObject* object = game.mInnerLayer->mChildren.Head(); object != nullptr; object = object->mNext) {
        if (object->mKind == kKindBumper || object->mKind == kKindTurret || object->mKind == kKindWarp) {
            blockers.push_back({object, object->mWorld[kAttrX], object->mWorld[kAttrY], FrameWidth(*object) / 2.0f + reach});
            continue;
        }
        if (object->mKind != kKindPlate)
            continue;
        for (const AnimObject* child = object->mChildren.Head(); child != nullptr; child = child->mNext) {
            const auto* slot = dynamic_cast<const Slot*>(child);
            if (slot != nullptr && slot->mFilled != 0)
                blockers.push_back({slot, child->mWorld[kAttrX], child->mWorld[kAttrY], FrameWidth(*slot) / 2.2f + reach});
        }
    }
    return blockers;
}

bool AutoPlayer::ClearLine(const std::vector<Blocker>& blockers, const AnimObject& slot, float capture, float fromY,
                           float& x) const
{
    // A slot takes a treasure whose circle meets its own, a full slot turns
    // it away only closer in: a throw a little to the side may pass a full
    // slot below the target and still be taken. The line nearest x that no
    // blocker below the slot covers, within the slot's reach.
    const float targetY = slot.mWorld[kAttrY];
    const auto covered = [&](float at) {
        for (const Blocker& blocker : blockers) {
            if (blocker.object != &slot && blocker.y > targetY && blocker.y < fromY &&
                std::fabs(blocker.x - at) < blocker.radius)
                return true;
        }
        return false;
    };
    const float limit = capture - 2.0f;
    float best = -1.0f;
    const auto consider = [&](float at) {
        const float away = std::fabs(at - x);
        if (away < limit && (best < 0.0f || away < std::fabs(best - x)) && !covered(at))
            best = at;
    };
    consider(x);
    for (const Blocker& blocker : blockers) {
        consider(blocker.x - blocker.radius - 0.5f);
        consider(blocker.x + blocker.radius + 0.5f);
    }
    if (best < 0.0f)
        return false;
    x = best;
    return true;
}

float AutoPlayer::CaptureReach(const Shooter& shooter, const AnimObject& slot)
{
    const auto halfSize = [](const AnimObject* object) {
        if (object == nullptr || object->mImage == nullptr)
            return 0.0f;
        const ImageRecord& image = *object->mImage;
        const float w = image.mFrameWidth > 0.0f ? image.mFrameWidth : image.mWidth;
        const float h = image.mFrameHeight > 0.0f ? image.mFrameHeight : image.mHeight;
        return std::floor(std::max(w, h) / 2.0f);
    };
    return halfSize(shooter.ReadyPiece()) + halfSize(&slot);
}

bool AutoPlayer::FindTarget(GameState& game, const Shooter& shooter, int kind, Target& target) const
{
    if (game.mInnerLayer == nullptr)
        return false;
    const float fromX = shooter.mWorld[kAttrX];
    const float fromY = shooter.mWorld[kAttrY];
    const float speed = float(Shooter::kThrowSpeed + (shooter.mPowerShots > 0 ? Shooter::kPowerBoost : 0.0));
    std::vector<Blocker> blockers = Blockers(game, shooter);
    // Every empty slot in reach of a throw, nearest first; and the slots
    // above the screen whose line is clear, which come down later.
    std::vector<Target> open;
    std::vector<Target> later;
    for (const AnimObject* plate = game.mInnerLayer->mChildren.Head(); plate != nullptr; plate = plate->mNext) {
        if (plate->mKind != kKindPlate || StageContains(plate, "fade"))
            continue;
        for (const AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
            const auto* slot = dynamic_cast<const Slot*>(child);
            if (slot == nullptr || slot->mFilled != 0 || slot->mIncoming != 0 || Claimed(slot))
                continue;
            const float x = slot->mWorld[kAttrX];
            const float y = slot->mWorld[kAttrY];
            if (y < 20.0f) {
                float x0 = x;
                if (ClearLine(blockers, *slot, CaptureReach(shooter, *slot), fromY, x0))
                    later.push_back({slot, x0, 0.0f});
                continue;
            }
            if (y > fromY - 40.0f)
                continue;
            // Lead a moving slot by the time the throw takes to reach it.
            float aimX = x;
            const auto moving = mVelocity.find(slot);
            if (moving != mVelocity.end()) {
                const float closing = speed + moving->second.second;
                if (closing > 0.5f)
                    aimX = x + moving->second.first * (fromY - y) / closing;
            }
            if (!ClearLine(blockers, *slot, CaptureReach(shooter, *slot), fromY, aimX) || aimX < 20.0f ||
                aimX > 780.0f)
                continue;
            open.push_back({slot, aimX, std::hypot(x - fromX, y - fromY)});
        }
    }
    // A still level gives one throw: tumbles run downwards, so the highest
    // slot starts the longest chain.
    const bool still = StageIs(game.mMiddleLayer, "still");
    std::sort(open.begin(), open.end(), [still](const Target& a, const Target& b) {
        return still ? a.slot->mWorld[kAttrY] < b.slot->mWorld[kAttrY] : a.distance < b.distance;
    });
    // The nearest of the kind whose filling leaves the other open slots of
    // its plate in reach: filling the low slots of a plate first can shut
    // its high ones off for good. Another plate's slot is shut off only
    // until this plate is full and gone.
    for (const Target& candidate : open) {
        const auto* slot = static_cast<const Slot*>(candidate.slot);
        if (slot->mSlotKind != kind && kind != Jewel::kWild)
            continue;
        blockers.push_back({slot, slot->mWorld[kAttrX], slot->mWorld[kAttrY], FrameWidth(*slot) / 2.2f + Reach(shooter)});
        bool shutsOff = false;
        for (const std::vector<Target>* others : {&open, &later}) {
            for (const Target& other : *others) {
                float x = other.x;
                if (other.slot != slot && other.slot->mParent == slot->mParent &&
                    other.slot->mWorld[kAttrY] < slot->mWorld[kAttrY] &&
                    !ClearLine(blockers, *other.slot, CaptureReach(shooter, *other.slot), fromY, x))
                    shutsOff = true;
            }
        }
        blockers.pop_back();
        if (!shutsOff) {
            target = candidate;
            return true;
        }
    }
    return false;
}

float AutoPlayer::Reach(const Shooter& shooter)
{
    const Jewel* ready = shooter.ReadyPiece();
    return ready != nullptr ? FrameWidth(*ready) / 2.5f : 0.0f;
}

} // namespace LumoTest
