// Which treasure kinds the shooter hands out: the histogram of empty slots,
// the choice of the next kind, the re-roll of treasures nothing can take,
// and the wild shape.
#include "game/play/Shooter.h"

#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/play/Jewel.h"
#include "game/play/PlayState.h"
#include "game/play/ShooterHelpers.h"
#include "game/play/RuleOperations.h"

#include <cstring>

using namespace ShooterRules;

namespace {

constexpr int kFirstDrawnKind = 3;
constexpr int kLastDrawnKind = 10;
// A draw that keeps failing gives up after this many tries.
constexpr int kMaxDraws = 1000;

AnimObject* FirstSlot(const AnimObject& plate)
{
    return plate.FindChildOfKind(kKindSlot);
}

} // namespace

int Shooter::CountEmptySlotKinds(float lineY)
{
    PlayState& play = Play();
    int32_t(&counts)[PlayState::kSlotKindCount] = play.mSlotKindHistogram;
    std::memset(counts, 0, sizeof(counts));
    play.mDistinctSlotKinds = 0;
    AnimObject* inner = Game().mInnerLayer;
    if (inner == nullptr)
        return 0;
    for (AnimObject* plate = inner->mChildren.Head(); plate != nullptr; plate = plate->mNext) {
        if (plate->mKind != kKindPlate || !(plate->mWorld[kAttrY] > lineY))
            continue;
        for (AnimObject* slot = plate->mChildren.Head(); slot != nullptr; slot = slot->mNext) {
            if (slot->mKind != kKindSlot || SlotFilled(*slot))
                continue;
            // Kinds from "number", the editor or the tuning may lie outside
            // the histogram: they count nothing.
            const int kind = SlotKindOf(*slot);
            if (kind < 0 || kind >= PlayState::kSlotKindCount)
                continue;
            if (counts[kind]++ == 0)
                play.mDistinctSlotKinds += 1;
        }
    }
    return play.mDistinctSlotKinds;
}

int Shooter::CountServedSlotKinds()
{
    GameState& game = Game();
    float line = 0.0f;
    if (CurrentMode() == kJourney && !StageContains(game.mMiddleLayer, "still")) {
        // The lowest scroll point: the one with the largest y.
        const AnimObject* point =
            game.mInnerLayer != nullptr ? FindHighestOfKind(kKindScrollPoint, game.mInnerLayer) : nullptr;
        if (point != nullptr)
            line = point->mWorld[kAttrY] - Tuning().mScrollingSlowPoint;
    }
    return CountEmptySlotKinds(line);
}

int Shooter::DrawKind(const Jewel* avoid)
{
    const PlayState& play = Play();
    const auto counted = [&play](int kind) {
        return kind >= 0 && kind < PlayState::kSlotKindCount && play.mSlotKindHistogram[kind] > 0;
    };
    const auto acceptable = [&](int kind) {
        return counted(kind) && !(play.mDistinctSlotKinds != 1 && avoid != nullptr && kind == avoid->mTreasureKind);
    };

    bool anyAcceptable = false;
    bool anyDrawable = false;
    for (int kind = kFirstDrawnKind; kind <= kLastDrawnKind; ++kind) {
        anyAcceptable = anyAcceptable || acceptable(kind);
        anyDrawable = anyDrawable || counted(kind);
    }
    if (!anyAcceptable) {
        // Only avoid's kind is open among the drawn ones: it repeats.
        if (anyDrawable && avoid != nullptr)
            return avoid->mTreasureKind;
        // Only kinds below the drawn range are open: the lowest of them.
        for (int kind = 0; kind < PlayState::kSlotKindCount; ++kind) {
            if (counted(kind))
                return kind;
        }
        return avoid != nullptr ? avoid->mTreasureKind : kFirstDrawnKind;
    }

    GameRandom& random = Game().mRandom;
    for (int draw = 0; draw < kMaxDraws; ++draw) {
        const int kind = int(random.RandomIntRange(kFirstDrawnKind, kLastDrawnKind));
        if (acceptable(kind))
            return kind;
    }
    for (int kind = kFirstDrawnKind; kind <= kLastDrawnKind; ++kind) {
        if (acceptable(kind))
            return kind;
    }
    return kFirstDrawnKind;
}

int Shooter::ChooseNextKind(const Jewel* avoid)
{
    GameState& game = Game();
    AnimObject* lowest = LowestPlate();
    AnimObject* inner = game.mInnerLayer;

    if (CurrentMode() == kJourney || lowest == nullptr) {
        if (lowest != nullptr && inner != nullptr) {
            // The key plates on screen come first, the lowest of them.
            AnimObject* best = nullptr;
            float bestY = -989898.0f;
            for (AnimObject* plate = inner->mChildren.Head(); plate != nullptr; plate = plate->mNext) {
                if (plate->mKind != kKindPlate || std::strstr(PlateTypeOf(*plate), "key_plate") == nullptr)
                    continue;
                const AnimObject* slot = FirstSlot(*plate);
                if (slot == nullptr || StageContains(plate, "fade"))
                    continue;
                if (!ImageRectOverlaps(*plate, GameState::kScreenWidth / 2.0f, GameState::kScreenHeight / 2.0f,
                                       GameState::kScreenWidth, GameState::kScreenHeight))
                    continue;
                if (avoid != nullptr && SlotKindOf(*slot) == avoid->mTreasureKind)
                    continue;
                if (plate->mWorld[kAttrY] > bestY) {
                    bestY = plate->mWorld[kAttrY];
                    best = plate;
                }
            }
            if (best != nullptr)
                return SlotKindOf(*FirstSlot(*best));
        }
        return DrawKind(avoid);
    }

    const float danger = Tuning().mEarthquakePoint;
    const AnimObject* slot = LowestSlot(*lowest);
    if (slot != nullptr && !SlotFilled(*slot) && slot->mWorld[kAttrY] > danger - 80.0f)
        return SlotKindOf(*slot);
    for (AnimObject* child = lowest->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindSlot && !SlotFilled(*child) && child->mWorld[kAttrY] > danger)
            return SlotKindOf(*child);
    }
    return DrawKind(avoid);
}

void Shooter::UpdateRise()
{
    if (StageContains(this, "rise")) {
        if (Jewel* first = PieceAt(0))
            first->mRemove = 1;
    }

    if (CountServedSlotKinds() == 0)
        return;
    const PlayState& play = Play();

    const Jewel* ready = ReadyPiece();
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        Jewel* piece = child->mKind == kKindJewel ? dynamic_cast<Jewel*>(child) : nullptr;
        if (piece == nullptr)
            continue;
        const int kind = piece->mTreasureKind;
        if (kind == Jewel::kWild || kind >= Jewel::kFirstSpecial)
            continue;
        int needed = 1;
        if (piece != ready) {
            needed = 0;
            for (AnimObject* other = mChildren.Head(); other != nullptr; other = other->mNext) {
                const Jewel* same = other->mKind == kKindJewel ? dynamic_cast<const Jewel*>(other) : nullptr;
                needed += same != nullptr && same->mTreasureKind == kind ? 1 : 0;
            }
        }
        const int open = kind >= 0 && kind < PlayState::kSlotKindCount ? play.mSlotKindHistogram[kind] : 0;
        if (open >= needed)
            continue;
        for (AnimObject* other = mChildren.Head(); other != nullptr; other = other->mNext) {
            const Jewel* avoid = other != piece && other->mKind == kKindJewel ? dynamic_cast<const Jewel*>(other) : nullptr;
            if (avoid != nullptr)
                piece->SetKind(ChooseNextKind(avoid));
        }
    }
}

void Shooter::WildShape()
{
    for (AnimObject* child = mChildren.Head(); child != nullptr && mWildShots > 0; child = child->mNext) {
        Jewel* piece = child->mKind == kKindJewel ? dynamic_cast<Jewel*>(child) : nullptr;
        if (piece == nullptr || piece->mTreasureKind >= Jewel::kFirstSpecial)
            continue;
        piece->SetKind(Jewel::kWild);
        mWildShots -= 1;
    }
}
