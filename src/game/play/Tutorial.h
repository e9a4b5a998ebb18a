// The tutorial level's guide: a scripted Cupid that flies in, shows tips on
// a paper scroll, points at the slot that takes the treasure on the shooter
// and moves the building on each time the player has cleared the plates of
// one step. While it exists it holds the shooter's fire flag.
#pragma once

#include "game/engine/AnimObject.h"

#include <cstddef>
#include <string>
#include <vector>

class Slot;

class Tutorial : public AnimObject {
public:
    // Tip lines are at most this many characters.
    static constexpr size_t kLineLength = 18;
    // A tip text keeps at most this many characters.
    static constexpr size_t kTipLength = 512;

    Tutorial();

    // "tip1", "tip2", ... while they follow on, each a text key.
    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    // The "custom" event action: the next tip.
    void OnCustomAction(const char* parameter) override;
    int Update() override;

    // Lays the current tip out on the scroll and moves on to the next one
    // (the first again after the last). Nothing without tips or scroll.
    void ShowTip();

    // A slot that goes away is no target any more.
    void ForgetSlot(const Slot* slot);

    // The two children the constructor makes, found by name (null when gone).
    AnimObject* GetScroll() const { return FindChildByName("scroll"); }
    AnimObject* GetArrow() const { return FindChildByName("arrow"); }
    const Slot* GetTargetSlot() const { return mTargetSlot; }

private:
    // One step of the script (1 .. 4): runs while Cupid idles in it and the
    // building scrolls.
    void RunStep(int step);
    // Step 1's pointing: Cupid flies above a slot of the ready treasure's kind.
    void AimAtSlot(AnimObject* plate);
    // The building moves on to the next step's plates.
    void MoveBuildingOn(int step);

    std::vector<std::string> mTips;
    size_t mNextTip = 0;
    Slot* mTargetSlot = nullptr;
    // Set once step 1 has chosen a target: until then each tick shows the next tip.
    bool mAimed = false;
};
