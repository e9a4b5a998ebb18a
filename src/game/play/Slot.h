// A hole on a plate that takes one treasure of its own kind: a flying
// treasure meeting it is taken or bounces off a full one; a filled slot may
// toss its treasure out again to tumble into a lower slot, and a combo shot
// cascades copies into every matching slot.
#pragma once

#include "game/engine/AnimObject.h"

class Jewel;
class Plate;

class Slot : public AnimObject {
public:
    // The treasure kind that fills every slot.
    static constexpr int kWildKind = 999;

    Slot();
    ~Slot() override;

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    void EditorMenuItems(EditorMenu& menu) override;
    void EditorCommand(const char* command) override;
    void OnCustomAction(const char* parameter) override;
    int Update() override;

    // The plate the slot sits on, or null when its parent is no plate (such
    // a slot takes no treasure).
    Plate* GetPlate() const;
    // Sets the kind and the image that goes with it.
    void SetSlotKind(int kind);
    // "gfx\\slot%d.png" (empty) or "gfx\\outline%d.png" (filled) of the kind.
    void RefreshImage();

    // Every treasure of the inner layer meets the slot, once each.
    void TestTreasures(AnimObject& inner);
    // One treasure of the inner layer meets the slot.
    void TestPiece(Jewel& treasure);
    // Fills the slot (treasure null for a cascade copy).
    void Place(Jewel* treasure, bool cascade);
    void ScoreShot(const Jewel& treasure);
    void ShowShotPopup(int points, const char* label);
    void TossOut(int chain, int platesCompleted, float speedX, bool forced);
    float FindTossTarget(float speedX, Slot*& target);
    void Cascade();
    void Glow(float ms, float scale, const char* image = nullptr);

    // A kind for a new slot from the tuning and the player's progress.
    static int RandomSlotKind();
    // The highest kind it may give (3 .. 10).
    static int HighestRandomKind();

    int mSlotKind = 0;
    int mFilled = 0;
    // A cascade copy is flying to the slot.
    int mIncoming = 0;
    // Tossed treasures aimed at the slot this tick.
    int mPendingLobs = 0;
    // The chain of the treasure that filled it, and the plates it had
    // completed when this slot completed its plate.
    int mChain = 0;
    int mPlatesCompleted = 0;
    float mTossSpeedX = 0.0f;

private:
    // The turning ring of lights a fill shows.
    void AddRing();
};
