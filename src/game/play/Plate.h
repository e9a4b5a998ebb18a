// A floating piece of the sinking building: an object carrying a ring, row or
// pattern of slots. When every slot is filled the plate scores, bursts into
// sparkles and spins away in its "fade_out" stage; a plate sinking too low
// bubbles, shakes and finally loses the level. The base of the plate kinds,
// which replace its five plate operations.
#pragma once

#include "game/engine/AnimObject.h"

class Jewel;
class Slot;

class Plate : public AnimObject {
public:
    // Bounds of "num_jewels": a data file may hold anything, and each slot
    // costs pooled records.
    static constexpr int kMaxSlots = 64;

    Plate();
    ~Plate() override;

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    void EditorMenuItems(EditorMenu& menu) override;
    void EditorCommand(const char* command) override;
    void InitAfterLoad() override;
    int Update() override;

    // The plate operations each kind may replace.
    virtual void OnComplete();
    virtual void OnHit(Slot* slot, Jewel* treasure);
    virtual void InitType();
    virtual void OnSlotFilled(int kind);
    virtual void LayoutSlots(Slot* slot, int index);

    // A new slot for the index whose kind differs from the last one made and,
    // for the last index of a ring, from the ring's first (owned by the caller).
    Slot* MakeSlot(int index);
    // Gives the slot its looping stage, fixed at (x, y) from the plate's centre.
    static void PlaceSlot(Slot* slot, float x, float y);

    // Slot children: their count, the filled ones, and whether all are
    // filled (a plate without slots counts as filled).
    int SlotCount() const;
    int FilledCount() const;
    bool AllSlotsFilled() const;
    // Fewer filled slots than slots.
    bool HasRoom() const { return FilledCount() < SlotCount(); }

    // The hit reactions the kinds combine.
    float HitAngle(const Jewel& treasure, const Slot& slot) const;
    void Spin(const Jewel& treasure, const Slot& slot, float factor, float decay);
    void Bob(const Jewel& treasure, const Slot& slot, float strength);
    void SpeedUpSpin();
    void Tilt(const Jewel& treasure, const Slot& slot, float angle, float period);

    // Every slot tosses its treasure out once the fading plate has shrunk.
    void TossTreasures();
    // Below the screen: the level is lost; near the water: Drown.
    void CheckWater();
    void Drown();
    // Draws the bumpers level with the lowest one into the plate.
    void SuckBumpers();

    int mNumJewels = 0;
    float mRadius = 0.0f;
    // Plates completed by the completing treasure, this one included.
    int mCombo = 0;
    char mType[32] = {};
    // Angular velocity of the pendulum kinds.
    float mSwing = 0.0f;

protected:
    // True when the kind is one RandomSlotKind may give.
    static bool KindCanBeDrawn(int kind);
    // Copies the kind's factory key into the type field.
    void SetType(const char* key);
    // The semicircle's and t's swing about the upright (k: the slowness).
    void SwingPendulum(float k);
    // Tilt angles of the kinds: the peak, step and m kinds tilt by the full
    // angle when hit off the centre; the stick tilts the further out it is
    // hit; the triangle tilts only off its centre line or moving right.
    float SteepTiltAngle(const Jewel& treasure, const Slot& slot, float fullAngle) const;
    float StickTiltAngle(const Jewel& treasure, const Slot& slot) const;
    bool TriangleTilts(const Jewel& treasure, const Slot& slot, float& angle) const;
    // The tosser's pre-filled slots and its throw of all of them.
    void PreFillTosserSlot(Slot& slot);
    void TossAllOut();

private:
    // Set when the plate completed: a plate without a "fade_out" stage must
    // not complete again every tick.
    bool mCompleted = false;
    // Set once the plate lost the level by sinking below the screen.
    bool mSunk = false;
};
