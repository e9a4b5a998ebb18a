#include "game/engine/EditorMenu.h"
#include "game/engine/ObjectLoader.h"
#include "game/play/RoundPlate.h"
#include "game/play/SquarePlate.h"
#include "PlateTestWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

class SlotKindTest : public PlateTestWorld {
protected:
    void SetProgress(int progress) { mGame->mProfiles.Current().mProgress[mGame->mProfiles.Current().mMode] = progress; }

    // The smallest and largest kind of many draws.
    std::pair<int, int> DrawnRange()
    {
        int low = 1000;
        int high = -1000;
        for (int i = 0; i < 400; ++i) {
            const int kind = Slot::RandomSlotKind();
            low = std::min(low, kind);
            high = std::max(high, kind);
        }
        return {low, high};
    }

    // A ring of n slots made as the plate's type set-up makes them.
    std::vector<int> RingKinds(int n)
    {
        RoundPlate plate;
        plate.mNumJewels = n;
        plate.mRadius = 30.0f;
        plate.InitType();
        std::vector<int> kinds;
        for (Slot* slot : Slots(plate))
            kinds.push_back(slot->mSlotKind);
        return kinds;
    }
};

// Kinds run from 3 to (unique kinds + 2 + a progress bonus), held to 3..10;
// one unique kind always gives kind 5. No kinds (the default) used to
// divide by zero below progress 11.
TEST_F(SlotKindTest, RandomKindRangeFollowsTuningAndProgress)
{
    struct Case {
        int unique;
        int progress;
        int low;
        int high;
    };
    const Case cases[] = {
        {0, 10, 3, 3}, {0, 11, 3, 3}, {0, 28, 3, 3}, {0, 29, 3, 4},
        {1, 10, 5, 5}, {1, 11, 5, 5}, {1, 28, 5, 5}, {1, 29, 5, 5},
        {5, 10, 3, 7}, {5, 11, 3, 8}, {5, 28, 3, 8}, {5, 29, 3, 9},
        {9, 10, 3, 10}, {9, 11, 3, 10}, {9, 28, 3, 10}, {9, 29, 3, 10},
    };
    for (const Case& c : cases) {
        Tuning().mNumberOfUniqueSlots = c.unique;
        SetProgress(c.progress);
        EXPECT_EQ(DrawnRange(), std::make_pair(c.low, c.high)) << "unique " << c.unique << " progress " << c.progress;
    }
}

// Neighbours on a ring differ, the ring closes (last differs from first),
// and the first slot of the next plate differs from the last of this one.
TEST_F(SlotKindTest, RingNeighboursDifferAcrossPlates)
{
    for (int unique : {3, 4}) {
        Tuning().mNumberOfUniqueSlots = unique;
        int previousLast = -1;
        for (int n = 2; n <= 6; ++n) {
            const std::vector<int> kinds = RingKinds(n);
            ASSERT_EQ(int(kinds.size()), n);
            if (previousLast >= 0) {
                EXPECT_NE(kinds.front(), previousLast) << "n " << n;
            }
            for (int i = 0; i < n; ++i)
                EXPECT_NE(kinds[size_t(i)], kinds[size_t((i + 1) % n)]) << "unique " << unique << " n " << n << " i " << i;
            previousLast = kinds.back();
        }
    }
}

// Two kinds cannot close an odd ring: the set-up used to draw for ever. The
// last slot now only differs from its neighbour.
TEST_F(SlotKindTest, TwoKindsOnAnOddRingEnd)
{
    Tuning().mNumberOfUniqueSlots = 2;
    SetProgress(0);
    for (int n : {3, 5}) {
        const std::vector<int> kinds = RingKinds(n);
        ASSERT_EQ(int(kinds.size()), n);
        for (int i = 0; i + 1 < n; ++i)
            EXPECT_NE(kinds[size_t(i)], kinds[size_t(i + 1)]);
        for (int kind : kinds)
            EXPECT_TRUE(kind == 3 || kind == 4) << kind;
    }
}

// "num_jewels" comes from a file: not a number, huge or negative counts make
// 0 .. 64 slots. Slots the file lists replace the ones made by code; a slot's
// "number" reads back as written.
TEST_F(SlotKindTest, PlateXmlCountsAndSlots)
{
    struct Case {
        const char* count;
        int slots;
    };
    for (const Case& c : {Case{"nan", 0}, Case{"1e9", 64}, Case{"-5", 0}, Case{"3.9", 3}}) {
        const std::string xml = std::string("<object type=\"round_plate\" num_jewels=\"") + c.count + "\" radius=\"10\">\n" +
                                "<stage name=\"idle\" ms=\"1000\">\n</object>\n";
        AnimObject* plate = CreateObjectsFromXml(xml.c_str(), inner);
        ASSERT_NE(plate, nullptr) << c.count;
        EXPECT_EQ(static_cast<Plate*>(plate)->SlotCount(), c.slots) << c.count;
        inner->mChildren.Remove(plate);
    }

    const char* listed = "<object type=\"x_plate\" num_jewels=\"4\" radius=\"10\">\n"
                         "<stage name=\"idle\" ms=\"1000\">\n"
                         "<object type=\"slot\" number=\"5\">\n<stage ms=\"1000\">\n</object>\n"
                         "<object type=\"slot\" number=\"7\">\n<stage ms=\"1000\">\n</object>\n"
                         "</object>\n";
    auto* plate = static_cast<Plate*>(CreateObjectsFromXml(listed, inner));
    ASSERT_NE(plate, nullptr);
    std::vector<int> kinds;
    for (Slot* slot : Slots(*plate))
        kinds.push_back(slot->mSlotKind);
    EXPECT_EQ(kinds, (std::vector<int>{5, 7}));
    EXPECT_EQ(plate->mNumJewels, 4);

    std::string out;
    Slots(*plate)[0]->WriteTypeAttributes(out);
    EXPECT_EQ(out, " number=\"5\" type=\"slot\"");
    out.clear();
    plate->WriteTypeAttributes(out);
    EXPECT_EQ(out, " type=\"x_plate\" radius=\"10\" num_jewels=\"4\"");
}

// The editor's rows: a slot of a chosen kind at that layout index, clearing,
// and moving a slot to another index; a slot outside a plate ignores it.
TEST_F(SlotKindTest, EditorCommands)
{
    Plate* plate = AddPlate("square_plate", 400.0f, 200.0f, 2, 10.0f);
    plate->EditorCommand("add_slot_3");
    std::vector<Slot*> slots = Slots(*plate);
    ASSERT_EQ(slots.size(), 3u);
    Slot* added = slots.back();
    EXPECT_EQ(added->mSlotKind, 3);
    EXPECT_EQ(added->mSelectable, 1);
    EXPECT_FLOAT_EQ(added->mLocal[kAttrX], 10.0f); // square index 3: (r, 0)
    EXPECT_FLOAT_EQ(added->mLocal[kAttrY], 0.0f);
    EXPECT_EQ(plate->mNumJewels, 2);

    slots[0]->EditorCommand("make_slot_7");
    EXPECT_FLOAT_EQ(slots[0]->mLocal[kAttrX], -10.0f); // square index 7: (-r, 0)
    EXPECT_FLOAT_EQ(slots[0]->mLocal[kAttrY], 0.0f);

    // The context menus: eight plate rows, ten slot rows.
    EditorMenu plateMenu;
    plate->EditorMenuItems(plateMenu);
    EXPECT_EQ(plateMenu.RowCount(), 8);
    EditorMenu slotMenu;
    slots[0]->EditorMenuItems(slotMenu);
    EXPECT_EQ(slotMenu.RowCount(), 10);

    plate->EditorCommand("clear_children");
    EXPECT_TRUE(plate->mChildren.IsEmpty());

    // Outside a plate nothing lays the slot out.
    AnimObject* holder = inner->AddChild(nullptr);
    holder->AddStage(1000.0f, 1, 1, 1, nullptr);
    auto* loose = new Slot;
    holder->AddChild(loose);
    loose->mLocal[kAttrX] = 33.0f;
    loose->EditorCommand("make_slot_2");
    EXPECT_FLOAT_EQ(loose->mLocal[kAttrX], 33.0f);
}

} // namespace
