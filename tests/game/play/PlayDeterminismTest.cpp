// The same scripted play, run twice from the same seed, passes through the
// same state digest at every tick; the digest itself notices each thing it
// covers.
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/engine/StateDigest.h"
#include "game/play/LevelRules.h"
#include "game/play/PlayState.h"
#include "game/engine/GameDataLoader.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectLoader.h"
#include "game/play/PlayHooks.h"
#include "support/CommittedDataFixture.h"
#include "support/PlayFixture.h"
#include "support/SimulatedClock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kFlood = 0;

std::string Looping(const char* name)
{
    return std::string("<stage name=\"") + name + "\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n";
}

class PlayDeterminismTest : public PlayFixture {
protected:
    // A scripted evening: fireworks over a roof with pigeons; the building
    // scrolls, pigeons are scared, the player moves and clicks, the level is
    // lost and bubbles rise. The digest after every tick.
    std::vector<uint64_t> Evening(uint32_t seed, int ticks)
    {
        NewPlayGame(seed);
        Tuning().mBumperFadePoint = 150.0f;
        Tuning().mDifficultyChangeOnLoss = 0.25f;
        Tuning().mMaxDifficulty = 3.0f;
        Profile().mDifficulty = 1.0f;
        SetMode(kFlood);
        std::string pigeons;
        for (int i = 0; i < 4; ++i)
            pigeons += "<object type=\"pigeon\" name=\"" + std::string(i % 2 ? "left_" : "right_") + std::to_string(i) +
                       "\" flight_image=\"gfx\\pigeon_flight.png\">\n" + Looping("sit") +
                       "<stage name=\"pre_fly_away\" ms=\"400\">\n<stage name=\"fly_away\" ms=\"1000\">\n" +
                       Looping("gone") + "</object>\n";
        std::string fireworks;
        for (int i = 0; i < 3; ++i)
            fireworks += "<object type=\"firework\" name=\"rocket\">\n</object>\n";
        const std::string xml =
            "<object type=\"level\" name=\"evening\">\n" + Looping("idle") +
            "<object type=\"plain\" name=\"water\" z_order=\"5\">\n" + Looping("wave") + "</object>\n" +
            "<object type=\"plain\" name=\"sky\">\n" + Looping("idle") + fireworks + "</object>\n" +
            "<object type=\"plain\" name=\"shooter\">\n" + Looping("ready") + "</object>\n" +
            "<object type=\"plain\" name=\"background\">\n" + Looping("idle") +
            "<object type=\"plain\" name=\"tiles\">\n" +
            "<stage name=\"scrolling\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
            "<filter type=\"velocity\" attribute=\"y\" amplitude=\"0.1\">\n"
            "<stage name=\"defeat\" ms=\"4000\">\n" + Looping("sunk") +
            "<object type=\"plain\" name=\"plate_container\">\n" + Looping("idle") + pigeons +
            "</object>\n</object>\n</object>\n</object>\n";
        Level* level = OpenLevel("levels/evening.xml", xml);
        if (level == nullptr)
            return {};
        AnimObject* outer = level->FindChildByName("background");
        AnimObject* middle = outer->FindChildByName("tiles");
        AnimObject* inner = middle->FindChildByName("plate_container");
        outer->mKind = middle->mKind = inner->mKind = kKindLayer;
        level->FindChildByName("shooter")->mKind = kKindShooter;
        int placed = 0;
        for (AnimObject* child = inner->mChildren.Head(); child != nullptr; child = child->mNext, ++placed) {
            child->mLocal[kAttrX] = -300.0f + 200.0f * float(placed);
            child->mLocal[kAttrY] = -50.0f * float(placed);
        }

        std::vector<uint64_t> digests;
        digests.reserve(size_t(ticks));
        for (int tick = 0; tick < ticks; ++tick) {
            if (tick % 37 == 0)
                MovePointer(float((tick * 13) % 800), float((tick * 7) % 600), tick % 111 == 0);
            if (tick == 2500)
                LevelRules::Defeat(*level);
            Tick();
            digests.push_back(Digest());
        }
        return digests;
    }
};

TEST_F(PlayDeterminismTest, SameSeedSameDigestEveryTick)
{
    const int ticks = 4000;
    const std::vector<uint64_t> first = Evening(2026, ticks);
    const std::vector<uint64_t> second = Evening(2026, ticks);
    ASSERT_EQ(first.size(), size_t(ticks));
    ASSERT_EQ(second.size(), size_t(ticks));
    // The evening had it all: scared pigeons, bursts, bubbles, a sunk building.
    Level* level = Topmost();
    ASSERT_NE(level, nullptr);
    AnimObject* inner = level->FindChildByName("background")->FindChildByName("tiles")->FindChildByName(
        "plate_container");
    int flown = 0;
    for (const AnimObject* pigeon = inner->mChildren.Head(); pigeon != nullptr; pigeon = pigeon->mNext)
        flown += std::strcmp(pigeon->CurrentStage()->mName, "sit") != 0 ? 1 : 0;
    EXPECT_GE(flown, 2);
    EXPECT_GT(level->FindChildByName("sky")->mChildren.Count(), 3);
    int bubbles = 0;
    for (const AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext)
        bubbles += child->mImage != nullptr && std::strcmp(child->mImage->mName, "gfx\\bubble.png") == 0 ? 1 : 0;
    EXPECT_GT(bubbles, 0);
    EXPECT_EQ(Profile().mDifficulty, 0.75f);
    for (int i = 0; i < ticks; ++i)
        ASSERT_EQ(first[size_t(i)], second[size_t(i)]) << "tick " << i;
    // The digest moves: no two neighbouring ticks look alike.
    int still = 0;
    for (int i = 1; i < ticks; ++i)
        still += first[size_t(i)] == first[size_t(i - 1)] ? 1 : 0;
    EXPECT_EQ(still, 0);

    // Another seed plays another evening.
    const std::vector<uint64_t> other = Evening(7, ticks);
    EXPECT_NE(other.back(), first.back());

    // For the lead's comparison of build flavours.
    char text[32];
    std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(first.back()));
    RecordProperty("final_digest", text);
    std::printf("final digest of the evening: %s\n", text);
}

TEST_F(PlayDeterminismTest, DigestNoticesEachThingItCovers)
{
    const std::string bare = "<object type=\"level\" name=\"bare\">\n" + Looping("idle") +
                             "<object type=\"plain\" name=\"thing\">\n" + Looping("idle") + Looping("other") +
                             "</object>\n</object>\n";
    OpenLevel("levels/bare.xml", bare);
    Tick();
    AnimObject* thing = Topmost()->FindChildByName("thing");
    ASSERT_NE(thing, nullptr);
    const uint64_t base = Digest();
    EXPECT_EQ(Digest(), base);

    struct Change {
        const char* what;
        void (*apply)(AnimObject&);
    };
    const Change changes[] = {
        {"kind", [](AnimObject& o) { o.mKind = 3; }},
        {"name", [](AnimObject& o) { std::strcpy(o.mName, "thinG"); }},
        {"world x", [](AnimObject& o) { o.mWorld[kAttrX] += 0.5f; }},
        {"world y", [](AnimObject& o) { o.mWorld[kAttrY] = -0.0f; }},
        {"stage", [](AnimObject& o) { o.GoToStage("other"); }},
        {"stage ticks", [](AnimObject& o) { o.CurrentStage()->mTicks += 1.0f; }},
        {"removal", [](AnimObject& o) { o.mRemove = 1; }},
        {"random", [](AnimObject&) { Game().mRandom.RandomNext(); }},
        {"score", [](AnimObject&) { Game().mProfiles.Current().mScore += 1; }},
    };
    for (const Change& change : changes) {
        // Each change on a fresh copy of the same state: a new game, same seed, one tick.
        NewPlayGame();
        OpenLevel("levels/bare.xml", bare);
        Tick();
        AnimObject* fresh = Topmost()->FindChildByName("thing");
        ASSERT_NE(fresh, nullptr);
        ASSERT_EQ(Digest(), base) << change.what;
        change.apply(*fresh);
        EXPECT_NE(Digest(), base) << change.what;
    }
}

// The committed game's first Flood building, played by a scripted player
// who moves along the bottom and throws every so often.
class CommittedPlayTest : public LumoTest::CommittedDataFixture {
protected:
    void TearDown() override
    {
        mGame.reset();
        Play().Reset();
        CommittedDataFixture::TearDown();
    }

    struct Run {
        std::vector<uint64_t> digests;
        int32_t score = 0;
        std::vector<std::string> screens;
    };

    Run PlayFirstBuilding(uint32_t seed, int ticks)
    {
        // Everything the game reads starts over: the clock and the pointer too.
        mClock.reset();
        mClock = std::make_unique<SimulatedClock>();
        mHost.mouseX = 0;
        mHost.mouseY = 0;
        MakeGame();
        Play().Reset();
        mGame->mHooks = &mPlay;
        mGame->mRandom.SeedRandom(seed);
        mGame->mProfiles.CreateDefaults();
        mGame->mProfiles.Current().SetName("Ines");
        mGame->mProfiles.Current().mMode = kFlood;
        LoadGameData("config.xml");
        mGame->mLiveObjects.RemoveAll(); // the main menu: straight to the building
        InsertLevelByNumber(1);
        Run run;
        run.digests.reserve(size_t(ticks));
        for (int tick = 0; tick < ticks; ++tick) {
            if (tick == 300) {
                // The first Flood building explains the mode once: its button.
                mHost.mouseX = 400;
                mHost.mouseY = 450;
                mGame->mInput.MouseDown(1);
                mGame->mInput.MouseUp(1);
            } else if (tick % 40 == 0 && tick > 400) {
                mHost.mouseX = 100 + (tick * 37) % 600;
                mHost.mouseY = 520;
                mGame->mInput.MouseUp(-1);
                if (tick % 200 == 0) {
                    mGame->mInput.MouseDown(1);
                    mGame->mInput.MouseUp(1);
                }
            }
            mClock->Advance(4);
            UpdateLiveObjects(*mGame);
            run.digests.push_back(StateDigest(*mGame));
        }
        run.score = mGame->mProfiles.Current().mScore;
        for (AnimObject* screen = mGame->mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
            run.screens.push_back(screen->mName);
        return run;
    }

    std::unique_ptr<SimulatedClock> mClock;
    PlayHooks mPlay;
};

TEST_F(CommittedPlayTest, FirstBuildingPlaysTheSameTwiceFromOneSeed)
{
    const int ticks = 6000;
    const Run first = PlayFirstBuilding(31, ticks);
    ASSERT_FALSE(first.screens.empty());
    const Run second = PlayFirstBuilding(31, ticks);
    ASSERT_EQ(first.digests.size(), second.digests.size());
    for (size_t i = 0; i < first.digests.size(); ++i)
        ASSERT_EQ(first.digests[i], second.digests[i]) << "tick " << i;
    EXPECT_EQ(first.score, second.score);
    EXPECT_EQ(first.screens, second.screens);
    std::printf("first building after %d ticks: score %d, screens", ticks, int(first.score));
    for (const std::string& screen : first.screens)
        std::printf(" %s", screen.c_str());
    std::printf(", digest %016llx\n", static_cast<unsigned long long>(first.digests.back()));
}

} // namespace
