// The endless Survival building, tick by tick with a seeded generator and
// stand-in plates of chosen sizes: rows of plates above the screen, the wall
// behind them, the minute markers, culling and the growing extra speed.
#include "LayerFixture.h"

#include "game/engine/ImageRecord.h"
#include "game/engine/TextObject.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kSurvival = 2;

const char* const kPlateNames[] = {"stick",  "round",      "triangle",   "x", "block", "semicircle",
                                   "spinner", "a",         "tosser",     "mini_round", "mini_stick", "m",
                                   "square", "step",       "t"};

class SurvivalBuildingTest : public LayerFixture {
protected:
    SurvivalBuildingTest() { SeedRandom(1234); }

    // Every plate file of the generator gives a plate of that frame size.
    void WritePlateFiles(int width, int height)
    {
        const std::string image = "gfx\\plate_" + std::to_string(width) + "x" + std::to_string(height) + ".png";
        for (const char* name : kPlateNames) {
            WriteFile(std::string("objects\\") + name + "_plate.xml",
                      "<object type=\"test_plate\" name=\"" + std::string(name) + "\" image=\"" + image +
                          "\" frame_width=\"" + std::to_string(width) + "\" frame_height=\"" +
                          std::to_string(height) + "\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                          "</object>\n");
        }
    }

    // Local positions of the plates in play, sorted.
    std::vector<std::pair<int, int>> Plates() const
    {
        std::vector<std::pair<int, int>> plates;
        for (AnimObject* child = Container()->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindPlate && child->mRemove == 0)
                plates.emplace_back(int(child->mLocal[kAttrX]), int(child->mLocal[kAttrY]));
        }
        std::sort(plates.begin(), plates.end());
        return plates;
    }

    std::vector<AnimObject*> PlayfieldChildrenWithImage(const char* image) const
    {
        std::vector<AnimObject*> found;
        for (AnimObject* child = Playfield()->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mRemove == 0 && child->mImage != nullptr && std::strcmp(child->mImage->mName, image) == 0)
                found.push_back(child);
        }
        return found;
    }
};

using PlateSpots = std::vector<std::pair<int, int>>;

// Row 1 has parity 1 (a pair), row 2 parity 0 (a centred single), and so on;
// a row starts at y -400 - 20 without plates, else at the topmost plate's y
// - 20 - (its half height + the new half height); a plate goes at x = the
// running x + half its width + 10 and ends the row once half its width + x
// passes 380 (or x passes 282). Positions snap to 10 px towards 0.
TEST_F(SurvivalBuildingTest, RowsAlternatePairAndSingleAndWidePlatesEndThem)
{
    struct Case {
        int width;
        PlateSpots afterTick1;
        PlateSpots afterTick3;
    };
    const Case cases[] = {
        // Pair at 100 + 10; single, then pair at 110 + 100 + 10; pair again 120 higher.
        {200, {{-110, -420}, {110, -420}},
         {{-220, -540}, {-110, -660}, {-110, -420}, {0, -540}, {110, -660}, {110, -420}, {220, -540}}},
        // A pair of 370 fits exactly (185 + 195 = 380): at 195, snapped to 190.
        {370, {{-190, -420}, {190, -420}}, {{-190, -660}, {-190, -420}, {0, -540}, {190, -660}, {190, -420}}},
        // 371 does not pair (185.5 + 195.5 > 380); the next row is single.
        {371, {}, {{0, -420}}},
        // A single of 760 fits (380); a single of 761 never does.
        {760, {}, {{0, -420}}},
        {761, {}, {}},
    };
    for (const Case& c : cases) {
        NewGame();
        mGame->mHooks = &playHooks;
        Play().mRowParity = 0;
        Play().mWallCountdown = 3;
        WritePlateFiles(c.width, 100);
        OpenLevel(kSurvival, "still", "", "");
        Ticks(1);
        EXPECT_EQ(Plates(), c.afterTick1) << "width " << c.width;
        Ticks(2);
        EXPECT_EQ(Plates(), c.afterTick3) << "width " << c.width;
    }
}

// Rows wait until the topmost plate has sunk within half a screen of the top
// edge: world y above -300.
TEST_F(SurvivalBuildingTest, NewRowOnlyOnceTheTopmostPlatePassesHalfAScreenAbove)
{
    WritePlateFiles(200, 100);
    OpenLevel(kSurvival, "still", "", "");
    Ticks(3);
    const size_t built = Plates().size();
    ASSERT_EQ(built, 7u); // the top row at -660: world -360
    Ticks(50);
    EXPECT_EQ(Plates().size(), built);

    Playfield()->mLocal[kAttrY] = 60.0f; // world -300: not yet
    Ticks(2);
    EXPECT_EQ(Plates().size(), built);
    Playfield()->mLocal[kAttrY] = 61.0f; // world -299 once the plates move with it
    Ticks(2);
    EXPECT_EQ(Plates().size(), built + 3);
}

// n = the whole part of max(2, frame / 7500); the plate index is drawn from 0..n.
TEST_F(SurvivalBuildingTest, PlateChoiceWidensWithTheLayersAge)
{
    struct Case {
        float frame;
        std::set<std::string> names;
    };
    const std::set<std::string> first = {"stick", "round", "triangle"};
    std::set<std::string> third = first;
    third.insert("x");
    std::set<std::string> fourth = third;
    fourth.insert("block");
    const Case cases[] = {{0.0f, first}, {22499.0f, first}, {22500.0f, third}, {29999.0f, third}, {30000.0f, fourth}};
    for (const Case& c : cases) {
        Layer layer;
        layer.mFrameCounter = c.frame;
        std::set<std::string> seen;
        for (int i = 0; i < 300; ++i) {
            std::string file = layer.RandomPlateFile();
            ASSERT_EQ(file.rfind("objects\\", 0), 0u) << file;
            ASSERT_EQ(file.substr(file.size() - 10), "_plate.xml") << file;
            seen.insert(file.substr(8, file.size() - 18));
        }
        EXPECT_EQ(seen, c.names) << "frame " << c.frame;
    }
}

// The wall grows 80 px at a time while its topmost tile lies in the half
// screen above the top edge: eight tiles, the side picture at both ends
// (mirrored on the right), bricks between; every third row at the earliest
// the inner tiles may get a grate (in place of the tile) or a pair of ivies.
TEST_F(SurvivalBuildingTest, WallGrowsInRowsOfEightWithSparseDecorations)
{
    WritePlateFiles(200, 100);
    OpenLevel(kSurvival, "still", Placed("generic", "wall_start", 0.0f, -350.0f, " image=\"gfx\\start.png\""), "");
    Ticks(5);
    // Rows at -430, -510, -590, -670 (world -370: no more).
    std::map<int, std::vector<AnimObject*>> rows;
    for (AnimObject* child = Playfield()->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindDefault && std::strcmp(child->mName, "wall_start") != 0)
            rows[int(child->mLocal[kAttrY])].push_back(child);
    }
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows.begin()->first, -670);
    EXPECT_EQ(rows.rbegin()->first, -430);

    const std::vector<AnimObject*>& first = rows[-430];
    ASSERT_EQ(first.size(), 8u); // no decoration before the countdown runs out
    std::vector<int> xs;
    for (AnimObject* tile : first) {
        const int x = int(tile->mLocal[kAttrX]);
        xs.push_back(x);
        const bool side = x == -280 || x == 280;
        EXPECT_STREQ(tile->mImage->mName,
                     side ? "gfx\\background01\\wall_side01.png" : "gfx\\background01\\brick_brown01.jpg");
        EXPECT_EQ(tile->mFlipX, x == 280 ? 1 : 0);
        EXPECT_EQ(tile->mBilinear, 0);
        EXPECT_EQ(tile->mSource[2], 8.0f); // the whole 8-px picture: no more, or it is not drawn
        EXPECT_EQ(tile->mSource[3], 8.0f);
        EXPECT_EQ(tile->mZOrder, 0.0f);
    }
    std::sort(xs.begin(), xs.end());
    EXPECT_EQ(xs, (std::vector<int>{-280, -200, -120, -40, 40, 120, 200, 280}));
    EXPECT_EQ(rows[-510].size(), 8u);

    // Sink the playfield one row per tick for many rows.
    for (int i = 1; i <= 90; ++i) {
        Playfield()->mLocal[kAttrY] = 80.0f * float(i);
        Ticks(1);
    }
    std::map<int, int> decorated; // row y -> decorations
    int grates = 0;
    int ivies = 0;
    for (AnimObject* child = Playfield()->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mImage == nullptr || child->mRemove != 0)
            continue;
        const std::string image = child->mImage->mName;
        const bool grate = image == "gfx\\background01\\grate_square.png";
        const bool ivy = image == "gfx\\background01\\ivy01.png";
        if (!grate && !ivy)
            continue;
        grates += grate ? 1 : 0;
        ivies += ivy ? 1 : 0;
        EXPECT_EQ(child->mZOrder, 1.0f);
        EXPECT_LT(std::abs(child->mLocal[kAttrX]), 280.0f);
        decorated[int(child->mLocal[kAttrY])] += 1;
        if (grate) {
            // In place of the tile: the row has seven tiles and the grate.
            int tiles = 0;
            for (AnimObject* other = Playfield()->mChildren.Head(); other != nullptr; other = other->mNext) {
                if (other->mRemove == 0 && other->mZOrder == 0.0f &&
                    other->mLocal[kAttrY] == child->mLocal[kAttrY] && other->mLocal[kAttrX] == child->mLocal[kAttrX])
                    ++tiles;
            }
            EXPECT_EQ(tiles, 0) << "a tile under the grate at " << child->mLocal[kAttrX];
        }
    }
    EXPECT_GT(grates + ivies / 2, 5);
    EXPECT_EQ(ivies % 2, 0);
    int previous = 1;
    for (const auto& [y, count] : decorated) {
        EXPECT_TRUE(count == 1 || count == 2) << "row " << y;
        if (previous != 1) {
            EXPECT_GE(y - previous, 3 * 80) << "decorated rows " << previous << " and " << y;
        }
        previous = y;
    }
}

// A marker when the level's millisecond count is a whole minute beyond
// 50000 ms: image ((minutes - 1) / 10) mod 6, y ((minutes - 1) mod 10) x
// (frame height 8 + 8) - 260, and its label.
TEST_F(SurvivalBuildingTest, MinuteMarkersStackTenToAColumn)
{
    struct Case {
        float levelFrame;
        const char* image; // null: no marker
        float y;
        const char* label;
    };
    const Case cases[] = {
        {15000.0f, "gfx\\survival_marker_0.png", -260.0f, "1 MINUTE "},
        {30000.0f, "gfx\\survival_marker_0.png", -244.0f, "2 MINUTES"},
        {150000.0f, "gfx\\survival_marker_0.png", -116.0f, "10 MINUTES"},
        {165000.0f, "gfx\\survival_marker_1.png", -260.0f, "11 MINUTES"},
        {915000.0f, "gfx\\survival_marker_0.png", -260.0f, "61 MINUTES"},
        {15001.0f, nullptr, 0.0f, nullptr},
        {12500.0f, nullptr, 0.0f, nullptr}, // 50000 ms is not beyond 50000
    };
    for (const Case& c : cases) {
        NewGame();
        mGame->mHooks = &playHooks;
        WritePlateFiles(200, 100);
        OpenLevel(kSurvival, "scrolling", "", "");
        Ticks(1);
        TestLevel()->mFrameCounter = c.levelFrame;
        Ticks(1);
        AnimObject* marker = TestLevel()->FindChildByName("endless_marker");
        if (c.image == nullptr) {
            EXPECT_EQ(marker, nullptr) << c.levelFrame;
            continue;
        }
        ASSERT_NE(marker, nullptr) << c.levelFrame;
        EXPECT_STREQ(marker->mImage->mName, c.image);
        EXPECT_EQ(marker->mZOrder, 9.0f);
        ASSERT_NE(marker->CurrentStage(), nullptr);
        EXPECT_EQ(marker->CurrentStage()->mLength, 32.5f);
        EXPECT_EQ(marker->CurrentStage()->mEnd[kAttrX], 385.0f);
        EXPECT_EQ(marker->CurrentStage()->mEnd[kAttrY], c.y) << c.levelFrame;
        TextObject* label = nullptr;
        for (AnimObject* child = TestLevel()->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (auto* text = dynamic_cast<TextObject*>(child))
                label = text;
        }
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->GetText(), c.label);
        EXPECT_EQ(label->GetJustification(), 2);
        // Grows in 100 ms, stays 1000 ms, shrinks in 100 ms.
        EXPECT_EQ(label->mStages.Count(), 3);
        Ticks(2);
        EXPECT_EQ(Plays("audio\\minute.ogg"), 1) << c.levelFrame;
    }
}

// No marker while the playfield is not scrolling (the building has sunk).
TEST_F(SurvivalBuildingTest, NoMarkerAfterTheScrollEnds)
{
    WritePlateFiles(200, 100);
    OpenLevel(kSurvival, "scrolling", "", "");
    Ticks(1);
    Playfield()->GoToStage("defeat");
    TestLevel()->mFrameCounter = 15000.0f;
    Ticks(1);
    EXPECT_EQ(TestLevel()->FindChildByName("endless_marker"), nullptr);
}

// Past three screen heights things go: the playfield's at once, the plate
// container's once they have lived more than 100 ticks; layers stay.
TEST_F(SurvivalBuildingTest, CullsWhatSankThreeScreensDown)
{
    WritePlateFiles(200, 100);
    OpenLevel(kSurvival, "still", Placed("generic", "deep_wall", 0.0f, 1501.0f) +
                                      Placed("generic", "shallow_wall", 0.0f, 1500.0f),
              Placed("test_plate", "deep", 0.0f, 1501.0f) + Placed("test_plate", "top", 0.0f, -900.0f));
    // Positions are known from the first tick on.
    Ticks(2);
    EXPECT_EQ(Playfield()->FindChildByName("deep_wall"), nullptr);
    EXPECT_NE(Playfield()->FindChildByName("shallow_wall"), nullptr);
    Ticks(99);
    EXPECT_NE(Container()->FindChildByName("deep"), nullptr);
    Ticks(1);
    EXPECT_EQ(Container()->FindChildByName("deep"), nullptr);
    EXPECT_NE(Container()->FindChildByName("top"), nullptr);

    // A layer deep down is never culled.
    Container()->mLocal[kAttrY] = 2000.0f;
    Ticks(1);
    EXPECT_NE(Playfield()->FindChildOfKind(kKindLayer), nullptr);
}

// Every 4000 ticks of the playfield, from its first, the extra speed grows by 0.00001.
TEST_F(SurvivalBuildingTest, ExtraSpeedGrowsEvery4000Ticks)
{
    WritePlateFiles(200, 100);
    OpenLevel(kSurvival, "still", "", "");
    struct Step {
        float frame;
        float extra;
    };
    for (const Step& step : {Step{0.0f, 0.00001f}, Step{1.0f, 0.00001f}, Step{3999.0f, 0.00001f},
                             Step{4000.0f, 0.00002f}, Step{8000.0f, 0.00003f}, Step{8001.0f, 0.00003f}}) {
        Playfield()->mFrameCounter = step.frame;
        Ticks(1);
        EXPECT_FLOAT_EQ(Playfield()->mEndlessExtraSpeed, step.extra) << step.frame;
    }
}

} // namespace

namespace {

// A hash over what a player sees of the tree, in list order: kind, name,
// world position, stage name and tick, removal flag; then the generator.
void DigestTree(const AnimObject& object, uint64_t& hash)
{
    auto mix = [&hash](uint64_t value) { hash = (hash ^ value) * 1099511628211ull; };
    uint32_t bits = 0;
    mix(uint64_t(object.mKind));
    for (const char* c = object.mName; *c != '\0'; ++c)
        mix(uint8_t(*c));
    std::memcpy(&bits, &object.mWorld[kAttrX], 4);
    mix(bits);
    std::memcpy(&bits, &object.mWorld[kAttrY], 4);
    mix(bits);
    if (const Stage* stage = object.CurrentStage()) {
        for (const char* c = stage->mName; *c != '\0'; ++c)
            mix(uint8_t(*c));
        std::memcpy(&bits, &stage->mTicks, 4);
        mix(bits);
    }
    mix(uint64_t(object.mRemove));
    for (const AnimObject* child = object.mChildren.Head(); child != nullptr; child = child->mNext)
        DigestTree(*child, hash);
}

// Twenty minutes of Survival, twice from the same seed: every tick the same.
TEST_F(SurvivalBuildingTest, TwentyMinutesReplayTickForTick)
{
    const std::vector<std::pair<const char*, int>> widths = {{"stick", 300}, {"round", 120}, {"triangle", 200},
                                                             {"x", 160},     {"block", 240}, {"semicircle", 380}};
    uint64_t runs[2] = {};
    int markers[2] = {};
    int platesAtEnd[2] = {};
    for (int run = 0; run < 2; ++run) {
        NewGame();
        mGame->mHooks = &playHooks;
        Play().mRowParity = 0;
        Play().mWallCountdown = 3;
        WritePlateFiles(200, 300);
        for (const auto& [name, width] : widths) {
            WriteFile(std::string("objects\\") + name + "_plate.xml",
                      "<object type=\"test_plate\" name=\"" + std::string(name) + "\" image=\"gfx\\" + name +
                          ".png\" frame_width=\"" + std::to_string(width) +
                          "\" frame_height=\"300\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n");
        }
        SeedRandom(20);
        OpenLevel(kSurvival, "scrolling", "", "");
        uint64_t hash = 14695981039346656037ull;
        // One tick past the twentieth minute, which the level counts at its tick 300000.
        for (int tick = 0; tick <= 20 * 15000; ++tick) {
            Ticks(1);
            uint64_t frame = 14695981039346656037ull;
            DigestTree(*TestLevel(), frame);
            hash = (hash ^ frame ^ mGame->mRandom.GetState()) * 1099511628211ull;
        }
        runs[run] = hash;
        for (AnimObject* child = TestLevel()->mChildren.Head(); child != nullptr; child = child->mNext)
            markers[run] += std::strcmp(child->mName, "endless_marker") == 0 ? 1 : 0;
        platesAtEnd[run] = int(Plates().size());
    }
    EXPECT_EQ(runs[0], runs[1]);
    // For comparing build flavours: the same number from every build.
    RecordProperty("final_digest", std::to_string(runs[0]));
    std::printf("Survival digest over twenty minutes: %016llx\n", static_cast<unsigned long long>(runs[0]));
    EXPECT_EQ(markers[0], 20);
    EXPECT_EQ(markers[1], 20);
    // The building keeps growing above and going below: a bounded number in play.
    EXPECT_GT(platesAtEnd[0], 5);
    EXPECT_LT(platesAtEnd[0], 60);
    EXPECT_GT(Playfield()->mLocal[kAttrY], 10000.0f);
}

} // namespace
