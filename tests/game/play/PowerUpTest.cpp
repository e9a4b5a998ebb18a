// Power-ups: which kinds the modes make, where they may appear, how they
// roll, fly and fall, and what the player gets when the shooter catches one.
#include "ShooterLevelFixture.h"

#include "game/engine/EasingKind.h"
#include "game/engine/Filter.h"
#include "game/engine/TextObject.h"
#include "game/play/Cupid.h"
#include "game/play/PowerUp.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <string>
#include <vector>

namespace {

class PowerUpTest : public ShooterLevelFixture {
protected:
    void SetUp() override { LoadConfig(kTuning); }

    // Plates stay clear of the water.
    static inline const std::vector<std::pair<std::string, std::string>> kTuning = {{"reload_time", "40"},
                                                                                   {"earthquake_point", "1000"}};

    // A fresh game with an open test level whose shooter holds a ready treasure at x 400.
    Level* FreshLevel(const TestLevelSpec& spec = TestLevelSpec(), int mode = 0)
    {
        NewPlayGame();
        UseSizedPictures();
        LoadConfig(kTuning);
        SetMode(mode);
        Level* level = OpenTestLevel(spec);
        if (level == nullptr)
            return nullptr;
        MovePointer(400.0f, 300.0f);
        return TickUntilReady() ? level : nullptr;
    }

    // A power-up of the kind set flying from (x, y) of the level.
    PowerUp* AddFlying(Level& level, int kind, float x, float y)
    {
        auto* powerUp = new PowerUp;
        powerUp->SetKind(kind);
        powerUp->mLocal[kAttrX] = x;
        powerUp->mLocal[kAttrY] = y;
        level.AddChild(powerUp);
        powerUp->Release();
        return powerUp;
    }

    static std::vector<std::string> PopupTexts(const Level& level)
    {
        std::vector<std::string> texts;
        for (AnimObject* child = level.mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindTextObject && child->mRemove == 0 && std::strcmp(child->mName, "popup_text") == 0)
                texts.push_back(static_cast<TextObject*>(child)->GetText());
        }
        return texts;
    }
    static bool ShowsText(const Level& level, const std::string& text)
    {
        for (AnimObject* child = level.mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindTextObject && static_cast<TextObject*>(child)->GetText() == text)
                return true;
        }
        return false;
    }

    // What the player holds that the power-ups change.
    struct Gains {
        int powerShots;
        int wingsTimer;
        int wild; // wild shots left and wild treasures held
        int comboShot;
        int tries;
        int multiplier;
        int cupids;
        bool rewinding;
    };
    Gains Snapshot(const Level& level)
    {
        Shooter* shooter = GetShooter();
        int wild = shooter->mWildShots;
        for (AnimObject* child = shooter->mChildren.Head(); child != nullptr; child = child->mNext) {
            const auto* piece = child->mKind == kKindJewel ? dynamic_cast<const Jewel*>(child) : nullptr;
            wild += piece != nullptr && piece->mTreasureKind == Jewel::kWild ? 1 : 0;
        }
        const Filter* rise = Middle()->CurrentStage()->FindFilter(kEasingVelocity, kAttrY);
        bool rewinding = false;
        for (const Filter* f = rise; f != nullptr; f = f->mNext)
            rewinding = rewinding || (f->mType == kEasingVelocity && f->mAttribute == kAttrY && f->mOwnLength == 450.0f);
        return {shooter->mPowerShots, shooter->mWingsTimer, wild, shooter->mComboShot,
                Profile().mTries[Profile().mMode], shooter->mScoreMultiplier,
                level.CountChildrenOfKind(kKindCupid), rewinding};
    }
    // The kind's effect, seen against the state before the catch.
    static bool EffectSeen(int kind, const Gains& before, const Gains& after)
    {
        switch (kind) {
        case PowerUp::kWings:
            return after.wingsTimer >= before.wingsTimer + 1999;
        case PowerUp::kPowerShot:
            return after.powerShots == std::max(0, before.powerShots) + 6;
        case PowerUp::kRewind:
            return after.rewinding && !before.rewinding;
        case PowerUp::kWild:
            // Two more; a rising shooter may drop a treasure it just made wild.
            return after.wild > before.wild && after.wild <= before.wild + 2;
        case PowerUp::kComboShot:
            return after.comboShot == 1 && before.comboShot == 0;
        case PowerUp::kExtraTry:
            return after.tries == before.tries + 1;
        case PowerUp::kMultiplier:
            return after.multiplier == 2 * before.multiplier;
        default:
            return after.cupids == before.cupids + 1;
        }
    }
    static bool NothingChanged(const Gains& before, const Gains& after)
    {
        return before.powerShots == after.powerShots && std::abs(before.wingsTimer - after.wingsTimer) <= 1 &&
               before.wild == after.wild &&
               before.comboShot == after.comboShot && before.tries == after.tries &&
               before.multiplier == after.multiplier && before.cupids == after.cupids &&
               before.rewinding == after.rewinding;
    }
};

const char* const kCaptions[PowerUp::kKindCount] = {"-=WINGS=-", "POWER SHOT", "REWIND", "WILD SHOT",
                                                    "COMBO SHOT", "EXTRA TRY", "SCORE MULTIPLIER", "CUPID"};

// Over 2000 seeded constructions each mode makes exactly its own kinds: no
// rewind in Journey and Cupid only from Journey progress 9, no extra try,
// multiplier or Cupid in Survival, no extra try or Cupid elsewhere; the
// tutorial only makes power shots.
TEST_F(PowerUpTest, EachModeConstructsItsOwnKinds)
{
    struct Case {
        const char* what;
        int mode;
        int progress;
        bool tutorial;
        std::set<int> kinds;
    };
    const Case cases[] = {
        {"Flood", 0, 0, false, {0, 1, 2, 3, 4, 6}},
        {"Journey, progress 8", 1, 8, false, {0, 1, 3, 4, 5, 6}},
        {"Journey, progress 9", 1, 9, false, {0, 1, 3, 4, 5, 6, 7}},
        {"Survival", 2, 9, false, {0, 1, 2, 3, 4}},
        {"Trickshot", 3, 0, false, {0, 1, 2, 3, 4, 6}},
        {"Journey tutorial", 1, 9, true, {1}},
        {"Flood tutorial", 0, 0, true, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewPlayGame(2024);
        SetMode(c.mode);
        Profile().mProgress[1] = c.progress;
        AnimObject tutorial;
        mGame->mTutorial = c.tutorial ? &tutorial : nullptr;
        std::set<int> kinds;
        for (int i = 0; i < 2000; ++i) {
            PowerUp powerUp;
            kinds.insert(powerUp.GetKind());
            EXPECT_STREQ(powerUp.mName, kCaptions[powerUp.GetKind()]);
        }
        mGame->mTutorial = nullptr;
        EXPECT_EQ(kinds, c.kinds);
    }
}

// A generator held on a fixed point gives one kind for ever; where that kind
// is refused the draw still ends, with the first kind the mode allows.
TEST_F(PowerUpTest, KindDrawEndsOnAGeneratorStuckOnARefusedKind)
{
    // 1834132005 steps to itself and gives kind 5, refused outside Journey.
    for (int mode : {0, 2, 3}) {
        SetMode(mode);
        mGame->mRandom.mState = 1834132005u;
        PowerUp powerUp;
        EXPECT_EQ(powerUp.GetKind(), PowerUp::kWings) << "mode " << mode;
    }
    SetMode(1);
    mGame->mRandom.mState = 1834132005u;
    PowerUp journey;
    EXPECT_EQ(journey.GetKind(), PowerUp::kExtraTry);
}

// The XML names the kind by exact name; in Journey a placed rewind becomes
// wings. Saving writes the kind back without the rolling speed, and a
// power-up whose XML named no kind is not saved at all.
TEST_F(PowerUpTest, XmlNamesTheKindAndOnlyNamedPowerUpsAreSaved)
{
    struct Case {
        int mode;
        const char* type;
        int kind;
    };
    const Case cases[] = {
        {0, "back", PowerUp::kRewind}, {1, "back", PowerUp::kWings},       {0, "x2", PowerUp::kMultiplier},
        {0, "cupid", PowerUp::kCupid}, {2, "plus_one", PowerUp::kExtraTry}, {1, "super_shot", PowerUp::kComboShot},
        {0, "fast_shot", PowerUp::kPowerShot}, {0, "wild", PowerUp::kWild}, {1, "wings", PowerUp::kWings},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " in mode " + std::to_string(c.mode));
        NewPlayGame();
        LoadConfig({});
        SetMode(c.mode);
        const std::string roll = "<stage name=\"rolling\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                 "<filter type=\"velocity\" attribute=\"x\" amplitude=\"0.5\">\n";
        Level* level = OpenLevel("levels/placed.xml",
                                 "<object type=\"level\" name=\"placed\">\n"
                                 "<stage name=\"play\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                 "<object type=\"powerup\" name=\"named\" powerup_type=\"" +
                                     std::string(c.type) + "\">\n" + roll +
                                     "</object>\n"
                                     "<object type=\"powerup\" name=\"unnamed\">\n" +
                                     roll + "</object>\n</object>\n");
        ASSERT_NE(level, nullptr);
        auto* named = dynamic_cast<PowerUp*>(level->FindChildOfKind(kKindPowerUp));
        ASSERT_NE(named, nullptr);
        EXPECT_EQ(named->GetKind(), c.kind);
        EXPECT_STREQ(named->mName, kCaptions[c.kind]);
        EXPECT_EQ(level->CountChildrenOfKind(kKindPowerUp), 2);

        std::string saved;
        level->WriteXml(saved, 0);
        EXPECT_NE(saved.find("type=\"powerup\" powerup_type=\"" + std::string(c.type) + "\""), std::string::npos);
        EXPECT_EQ(saved.find("velocity"), std::string::npos) << saved;
        size_t objects = 0;
        for (size_t at = saved.find("<object"); at != std::string::npos; at = saved.find("<object", at + 1))
            ++objects;
        EXPECT_EQ(objects, 2u) << saved; // the level and the named power-up
    }
    // A name in another letter case is no name: the drawn kind stays.
    NewPlayGame();
    LoadConfig({});
    SetMode(2);
    Level* level = OpenLevel("levels/upper.xml", "<object type=\"level\" name=\"upper\">\n"
                                                 "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                                 "<object type=\"powerup\" powerup_type=\"X2\">\n"
                                                 "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                                 "</object>\n</object>\n");
    ASSERT_NE(level, nullptr);
    auto* upper = dynamic_cast<PowerUp*>(level->FindChildOfKind(kKindPowerUp));
    ASSERT_NE(upper, nullptr);
    EXPECT_STREQ(upper->mPowerUpType, "X2");
    // Survival never draws a multiplier.
    EXPECT_NE(upper->GetKind(), PowerUp::kMultiplier);
}

// A spawn needs two plates, a mode other than Trickshot and a building that
// is not "still"; the new power-up flies up from the slot at -2.05 with a
// sideways speed within 1, and lives in the level only.
TEST_F(PowerUpTest, SpawnNeedsTwoPlatesOutsideTrickshotAndAMovingBuilding)
{
    struct Case {
        const char* what;
        int plates;
        int mode;
        const char* middleStage;
        bool spawns;
    };
    const Case cases[] = {
        {"two plates, Flood", 2, 0, "scrolling", true},
        {"two plates, Survival", 2, 2, "scrolling", true},
        {"one plate", 1, 0, "scrolling", false},
        {"Trickshot", 2, 3, "scrolling", false},
        {"still", 2, 0, "still", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestLevelSpec spec;
        spec.plates = {{400.0f, 200.0f, {{5, 20.0f, 0.0f}}}};
        if (c.plates == 2)
            spec.plates.push_back({150.0f, 100.0f, {{5, 0.0f, 0.0f}}});
        Level* level = FreshLevel(spec, c.mode);
        ASSERT_NE(level, nullptr);
        Middle()->GoToStage(c.middleStage);
        Tick();
        AnimObject* plate = Inner()->FindChildOfKind(kKindPlate);
        AnimObject* slot = plate->FindChildOfKind(kKindSlot);
        const float slotX = slot->mWorld[kAttrX];
        const float slotY = slot->mWorld[kAttrY];
        PowerUp* powerUp = PowerUp::Spawn(*slot);
        EXPECT_EQ(powerUp != nullptr, c.spawns);
        EXPECT_EQ(level->CountChildrenOfKind(kKindPowerUp), c.spawns ? 1 : 0);
        EXPECT_EQ(plate->CountChildrenOfKind(kKindPowerUp), 0);
        EXPECT_EQ(Inner()->CountChildrenOfKind(kKindPowerUp), 0);
        if (powerUp == nullptr)
            continue;
        EXPECT_EQ(powerUp->mParent, level);
        EXPECT_EQ(StageOf(powerUp), "flying");
        powerUp->RefreshWorld();
        EXPECT_NEAR(powerUp->mWorld[kAttrX], slotX, 0.001f);
        EXPECT_NEAR(powerUp->mWorld[kAttrY], slotY, 0.001f);
        const Stage* stage = powerUp->CurrentStage();
        const Filter* vx = stage->FindFilter(kEasingVelocity, kAttrX);
        const Filter* vy = stage->FindFilter(kEasingVelocity, kAttrY);
        const Filter* spin = stage->FindFilter(kEasingVelocity, kAttrRotation);
        ASSERT_TRUE(vx != nullptr && vy != nullptr && spin != nullptr);
        EXPECT_LE(std::fabs(vx->mAmplitude), 1.0f);
        EXPECT_EQ(spin->mAmplitude, -2.0f * vx->mAmplitude);
        EXPECT_EQ(vy->mAmplitude, -2.05f);
        EXPECT_EQ(vy->mPeriod, 0.01f);
        // In front of the plates: the z of the slot's plate's container + 5.
        EXPECT_EQ(powerUp->mZOrder, Inner()->mZOrder + 5.0f);
    }
}

// In Journey a spawn is never a rewind, and Cupid comes only from progress 9
// and only while no Cupid flies and no Cupid power-up is on its way: over
// 2000 spawns exactly one Cupid power-up, or none.
TEST_F(PowerUpTest, JourneyNeverSpawnsASecondCupid)
{
    struct Case {
        const char* what;
        int progress;
        bool cupidFlying;
        int cupids;
    };
    const Case cases[] = {
        {"progress 9", 9, false, 1},
        {"progress 9, Cupid flying", 9, true, 0},
        {"progress 8", 8, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestLevelSpec spec;
        spec.plates.push_back({150.0f, 100.0f, {{5, 0.0f, 0.0f}}});
        Level* level = FreshLevel(spec, 1);
        ASSERT_NE(level, nullptr);
        Profile().mProgress[1] = c.progress;
        if (c.cupidFlying)
            level->AddChild(new Cupid);
        AnimObject* slot = Inner()->FindChildOfKind(kKindPlate)->FindChildOfKind(kKindSlot);
        int cupids = 0;
        std::set<int> kinds;
        for (int i = 0; i < 2000; ++i) {
            PowerUp* powerUp = PowerUp::Spawn(*slot);
            ASSERT_NE(powerUp, nullptr);
            kinds.insert(powerUp->GetKind());
            cupids += powerUp->GetKind() == PowerUp::kCupid ? 1 : 0;
        }
        EXPECT_EQ(cupids, c.cupids);
        EXPECT_EQ(kinds.count(PowerUp::kRewind), 0u);
        EXPECT_EQ(kinds.count(PowerUp::kExtraTry), 1u);
    }
}

// A catch by kind, shooter stage, playfield stage and whether the level is
// the topmost screen: the effect and its caption; after victory 500 points
// only; nothing while another screen lies over the level. Wings, wild
// shot, combo shot and multiplier need a ready or rising shooter.
TEST_F(PowerUpTest, CatchGivesTheEffectOnlyWhenThePlayCanUseIt)
{
    struct Situation {
        const char* shooterStage;
        const char* middleStage;
        bool topmost;
    };
    const Situation situations[] = {
        {"ready", "scrolling", true}, {"rise", "scrolling", true}, {"sink", "scrolling", true},
        {"ready", "victory", true},   {"ready", "scrolling", false},
    };
    for (int kind = 0; kind < PowerUp::kKindCount; ++kind) {
        for (const Situation& s : situations) {
            SCOPED_TRACE(std::string(kCaptions[kind]) + " / " + s.shooterStage + " / " + s.middleStage +
                         (s.topmost ? "" : " / covered"));
            Level* level = FreshLevel();
            ASSERT_NE(level, nullptr);
            Shooter* shooter = GetShooter();
            std::strcpy(shooter->CurrentStage()->mName, s.shooterStage);
            Middle()->GoToStage(s.middleStage);
            if (!s.topmost) {
                auto* cover = new AnimObject;
                cover->AddStage(1000000.0f, 1, 1, 1, "idle");
                mGame->mLiveObjects.Append(cover);
            }
            const Gains before = Snapshot(*level);
            const int scoreBefore = Profile().mScore;
            const int heard = Plays("audio\\powerup_caught.ogg");
            AddFlying(*level, kind, shooter->mWorld[kAttrX], shooter->mWorld[kAttrY]);
            Tick();
            EXPECT_EQ(level->CountChildrenOfKind(kKindPowerUp), 0);
            EXPECT_EQ(level->mPowerUpsCaught, 1);
            EXPECT_EQ(Plays("audio\\powerup_caught.ogg"), heard + 1);
            const Gains after = Snapshot(*level);

            const bool won = std::strcmp(s.middleStage, "victory") == 0;
            const bool needsReady = kind == PowerUp::kWings || kind == PowerUp::kWild ||
                                    kind == PowerUp::kComboShot || kind == PowerUp::kMultiplier;
            const bool effect = s.topmost && !won && (!needsReady || std::strcmp(s.shooterStage, "sink") != 0);
            EXPECT_EQ(EffectSeen(kind, before, after), effect);
            if (!effect) {
                EXPECT_TRUE(NothingChanged(before, after));
            }
            EXPECT_EQ(Profile().mScore, scoreBefore + (s.topmost && won ? 500 : 0));
            EXPECT_EQ(ShowsText(*level, "+500"), s.topmost && won);

            std::vector<std::string> captions;
            if (effect && kind == PowerUp::kWings)
                captions = {"-=WI", "N", "GS=-"};
            else if (effect && kind != PowerUp::kCupid)
                captions = {kCaptions[kind]};
            EXPECT_EQ(PopupTexts(*level), captions);
        }
    }
}

// The multiplier doubles up to 2^30 and no further; a bonus under it holds
// the score at the largest value instead of wrapping.
TEST_F(PowerUpTest, MultiplierStopsDoublingAndTheScoreSaturates)
{
    Level* level = FreshLevel();
    ASSERT_NE(level, nullptr);
    Shooter* shooter = GetShooter();
    shooter->mScoreMultiplier = 1 << 29;
    for (int expected : {1 << 30, 1 << 30}) {
        AddFlying(*level, PowerUp::kMultiplier, shooter->mWorld[kAttrX], shooter->mWorld[kAttrY]);
        Tick();
        EXPECT_EQ(shooter->mScoreMultiplier, expected);
    }
    Profile().mScore = 1000;
    Middle()->GoToStage("victory");
    AddFlying(*level, PowerUp::kPowerShot, shooter->mWorld[kAttrX], shooter->mWorld[kAttrY]);
    Tick();
    EXPECT_EQ(Profile().mScore, INT_MAX);
    EXPECT_TRUE(ShowsText(*level, "+500 x1073741824"));
}

// In the tutorial a power shot is given without its caption.
TEST_F(PowerUpTest, TutorialPowerShotShowsNoCaption)
{
    TestLevelSpec spec;
    spec.extra = "<object name=\"guide\">\n" + Looping() + "</object>\n";
    Level* level = FreshLevel(spec);
    ASSERT_NE(level, nullptr);
    AnimObject* guide = level->FindChildByName("guide");
    guide->mKind = kKindTutorial;
    Tick();
    ASSERT_EQ(mGame->mTutorial, guide);
    GetShooter()->mPowerShots = -3;
    AddFlying(*level, PowerUp::kPowerShot, GetShooter()->mWorld[kAttrX], GetShooter()->mWorld[kAttrY]);
    Tick();
    EXPECT_EQ(GetShooter()->mPowerShots, 6);
    EXPECT_TRUE(PopupTexts(*level).empty());
}

// A flying power-up turns back at both screen edges (half its 8-pixel
// picture in) and is gone once below the bottom edge.
TEST_F(PowerUpTest, FlightBouncesOffTheSidesAndIsLostBelow)
{
    Level* level = FreshLevel();
    ASSERT_NE(level, nullptr);
    struct Case {
        float x;
        float y;
        float vx;
        float vy;
    };
    const Case cases[] = {{6.0f, 300.0f, -1.0f, 0.0f}, {794.0f, 300.0f, 1.0f, 0.0f}, {100.0f, 598.0f, 0.0f, 1.0f}};
    std::vector<PowerUp*> powerUps;
    for (const Case& c : cases) {
        PowerUp* powerUp = AddFlying(*level, PowerUp::kComboShot, c.x, c.y);
        Stage* stage = powerUp->CurrentStage();
        stage->FindFilter(kEasingVelocity, kAttrX)->mAmplitude = c.vx;
        Filter* vy = stage->FindFilter(kEasingVelocity, kAttrY);
        vy->mAmplitude = c.vy;
        vy->mPeriod = 0.0f;
        powerUps.push_back(powerUp);
    }
    // Left: 6 -> 5 -> 4 -> 3 (below half the width: turns) -> 4 -> 5.
    Ticks(5);
    EXPECT_FLOAT_EQ(powerUps[0]->mLocal[kAttrX], 5.0f);
    EXPECT_FLOAT_EQ(powerUps[1]->mLocal[kAttrX], 795.0f);
    // Bottom: 598 -> 599 -> 600 -> 601, removed at the next look.
    EXPECT_EQ(level->CountChildrenOfKind(kKindPowerUp), 2);
}


// A caught Cupid power-up adds its Cupid to the level while the level walks
// its children: every child is still updated once that tick, and the Cupid
// waits for the next one.
TEST_F(PowerUpTest, CupidJoinsTheLevelMidWalk)
{
    Level* level = FreshLevel();
    ASSERT_NE(level, nullptr);
    Shooter* shooter = GetShooter();
    PowerUp* powerUp = AddFlying(*level, PowerUp::kCupid, shooter->mWorld[kAttrX], shooter->mWorld[kAttrY]);
    // The power-up first, the rest after it.
    level->mChildren.MoveBefore(powerUp, level->mChildren.Head());
    std::map<const AnimObject*, float> ticksBefore;
    for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child != powerUp)
            ticksBefore[child] = child->mFrameCounter;
    }
    Tick();
    AnimObject* cupid = level->FindChildOfKind(kKindCupid);
    ASSERT_NE(cupid, nullptr);
    EXPECT_EQ(cupid->mFrameCounter, 0.0f);
    size_t stayed = 0;
    for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
        const auto before = ticksBefore.find(child);
        // Records made this tick (a pool may hand out a freed address again) start at 0.
        if (child == cupid || child->mFrameCounter == 0.0f || before == ticksBefore.end())
            continue;
        EXPECT_EQ(child->mFrameCounter, before->second + 1.0f) << child->mName;
        ++stayed;
    }
    EXPECT_GE(stayed, 4u);
}

// Played through: a thrown treasure completes a plate carrying a power-up,
// the power-up flies off, the player chases it with the shooter and catches
// it, and what it gives shows: the caption, and the shots, wings, building,
// tries, multiplier or Cupid it brings.
TEST_F(PowerUpTest, EachPowerUpFreedByAThrowIsCaughtAndShows)
{
    struct Case {
        const char* type;
        int kind;
    };
    const Case cases[] = {
        {"wings", PowerUp::kWings},       {"fast_shot", PowerUp::kPowerShot}, {"back", PowerUp::kRewind},
        {"wild", PowerUp::kWild},         {"super_shot", PowerUp::kComboShot}, {"plus_one", PowerUp::kExtraTry},
        {"x2", PowerUp::kMultiplier},     {"cupid", PowerUp::kCupid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        NewPlayGame(777);
        UseSizedPictures();
        LoadConfig(kTuning);
        TestLevelSpec spec;
        // The carrying plate's slot hangs below it; a second plate keeps the level going.
        spec.plates = {{400.0f, 200.0f, {{5, 0.0f, 20.0f}}}, {150.0f, 100.0f, {{5, 0.0f, 0.0f}}}};
        std::string xml = LevelXml(spec);
        const std::string plate = Still(400.0f, 200.0f);
        const size_t at = xml.find(plate);
        ASSERT_NE(at, std::string::npos);
        xml.insert(at + plate.size(), std::string("<object type=\"powerup\" powerup_type=\"") + c.type + "\">\n" +
                                          Looping("rolling") + "<attribute type=\"y\" start=\"-28\" end=\"-28\">\n" +
                                          "</object>\n");
        Level* level = OpenTestLevelXml(spec.name, xml);
        ASSERT_NE(level, nullptr);
        MovePointer(400.0f, 300.0f);
        ASSERT_TRUE(TickUntilReady());
        const int tries = Profile().mTries[0];

        ClickAt(400.0f);
        int ticks = 0;
        while (level->FindChildOfKind(kKindPowerUp) == nullptr && ticks < 400) {
            Tick();
            ++ticks;
        }
        ASSERT_NE(level->FindChildOfKind(kKindPowerUp), nullptr) << "not freed";
        // The player keeps the shooter under it.
        for (ticks = 0; level->mPowerUpsCaught == 0 && ticks < 1500; ++ticks) {
            const AnimObject* flying = level->FindChildOfKind(kKindPowerUp);
            ASSERT_NE(flying, nullptr) << "lost after " << ticks << " ticks";
            MovePointer(flying->mWorld[kAttrX], 300.0f);
            Tick();
        }
        ASSERT_EQ(level->mPowerUpsCaught, 1);
        EXPECT_EQ(StageOf(Middle()), "scrolling");
        EXPECT_EQ(Plays("audio\\powerup_caught.ogg"), 1);

        Shooter* shooter = GetShooter();
        std::vector<std::string> captions = {kCaptions[c.kind]};
        switch (c.kind) {
        case PowerUp::kWings:
            captions = {"-=WI", "N", "GS=-"};
            EXPECT_GE(shooter->mWingsTimer, 1999);
            EXPECT_NE(shooter->FindChildByName("wings"), nullptr);
            break;
        case PowerUp::kPowerShot:
            EXPECT_EQ(shooter->mPowerShots, 6);
            break;
        case PowerUp::kRewind: {
            const Filter* rise = Middle()->CurrentStage()->FindFilter(kEasingVelocity, kAttrY);
            bool rewinding = false;
            for (; rise != nullptr; rise = rise->mNext)
                rewinding = rewinding || (rise->mAttribute == kAttrY && rise->mOwnLength == 450.0f &&
                                          rise->mOffset == 0.993f && rise->mAmplitude < 0.0f);
            EXPECT_TRUE(rewinding);
            break;
        }
        case PowerUp::kWild:
            ASSERT_NE(shooter->ReadyPiece(), nullptr);
            EXPECT_EQ(shooter->ReadyPiece()->mTreasureKind, Jewel::kWild);
            break;
        case PowerUp::kComboShot:
            EXPECT_EQ(shooter->mComboShot, 1);
            break;
        case PowerUp::kExtraTry:
            EXPECT_EQ(Profile().mTries[0], tries + 1);
            break;
        case PowerUp::kMultiplier:
            EXPECT_EQ(shooter->mScoreMultiplier, 2);
            break;
        default:
            captions.clear();
            EXPECT_EQ(level->CountChildrenOfKind(kKindCupid), 1);
            break;
        }
        EXPECT_EQ(PopupTexts(*level), captions);
    }
}

} // namespace
