// A new player plays the committed game through the game's own main loop,
// from the main menu, with the mouse and keys only (tests/support's
// AutoPlayer): names itself on the name screen, plays Journey from the
// tutorial to the honour roll, Flood to its end, every trick by the throw
// the generator recorded for it to the win sequence, and Survival for two
// minutes before it lets the building sink. The screens come in the order
// the modes give, Flood, Trickshot and Survival open when they should, the
// player file read afresh keeps each mode's progress, the open modes and an
// honour-roll entry for each mode, no load fails, and the run played twice
// passes through the same state at every tick. The sanitizer build plays the
// first level of each mode, with the modes opened for it.
#include "CommittedGameFixture.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/Stage.h"
#include "game/engine/StateDigest.h"
#include "game/engine/TextObject.h"
#include "game/play/GameModes.h"
#include "game/play/PlayState.h"
#include "support/AutoPlayer.h"
#include "support/CommittedDataFixture.h"
#include "support/HeadlessGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

// Each mode to its end: Journey and Flood to the honour roll, every trick to
// the win sequence, two minutes of Survival. Under the sanitizers that is
// too long: the first level of each mode there.
#ifdef LUMO_FIRST_LEVELS_ONLY
constexpr bool kWholeGame = false;
#else
constexpr bool kWholeGame = true;
#endif

constexpr int kTicksPerMinute = 15000;
// At most this long for one building, and for one trick.
constexpr int kBuildingTicks = 6 * kTicksPerMinute;
constexpr int kTrickTicks = kTicksPerMinute;

// The buildings of the committed lists, in order.
const std::string kJourneyBuildings[] = {"journey_01", "journey_02", "journey_03", "journey_04", "bonus",
                                         "journey_06", "journey_07", "trickshot", "journey_09"};
const std::string kFloodBuildings[] = {"flood_01", "flood_02", "flood_03", "flood_04", "bonus",
                                       "flood_06", "flood_07", "trickshot", "flood_09"};

// The screens a player passes through: a list's buildings with their
// summaries, the map after every third and before the last, the roll at the end.
std::vector<std::string> ListScreens(const std::string (&buildings)[9], const char* summary)
{
    std::vector<std::string> screens;
    for (int i = 0; i < 9; ++i) {
        screens.push_back(buildings[i]);
        screens.push_back(buildings[i] == "trickshot" ? "trickshot_summary" : summary);
        if (i == 2 || i == 5 || i == 7)
            screens.push_back("level_select");
    }
    for (const char* screen : {"high_scores", "honor_roll", "high_scores", "main_menu"})
        screens.push_back(screen);
    return screens;
}

std::string NameOf(const AnimObject* object)
{
    return object != nullptr ? object->mName : "";
}

// What one run saw.
struct RunLog {
    std::vector<uint64_t> digests;
    std::vector<std::string> screens; // the topmost screen each time it changed
};

class PlaythroughTest : public LumoTest::CommittedGameFixture {
protected:
    PlaythroughTest()
    {
        mPreviousSink = LoadMessages::SetSink([this](const std::string& message) { mLoadMessages.push_back(message); });
    }
    ~PlaythroughTest() override { LoadMessages::SetSink(mPreviousSink); }

    std::string UserFolder() const { return mTemp.Path() + "/user"; }

    // Steps the main loop until `done` holds; the player acts after every
    // tick. False when the game has not got there within `limit` ticks.
    bool PlayUntil(const std::function<bool()>& done, int limit)
    {
        for (int ticks = 0; !done(); ) {
            if (ticks > limit || mApp->shutdown)
                return false;
            const uint32_t lastTick = mGame->mLastTick;
            mApp->UpdateAppStep(nullptr);
            // Most passes of the loop run no tick: the tick clock stands. A
            // tick always moves some stage on, and so the digest.
            if (mGame->mLastTick == lastTick)
                continue;
            const uint64_t digest = StateDigest(*mGame);
            if (!mRun->digests.empty() && mRun->digests.back() == digest)
                continue;
            mRun->digests.push_back(digest);
            ++ticks;
            const std::string top = NameOf(mGame->Topmost());
            if (mRun->screens.empty() || mRun->screens.back() != top)
                mRun->screens.push_back(top);
            mPlayer->Act(*mGame);
        }
        return true;
    }
    void Wait(int ticks) { PlayUntil([] { return false; }, ticks); }
    bool PlayUntilTop(const char* name, int limit)
    {
        return PlayUntil([&] { return LumoTest::ScreenSettled(*mGame, name); }, limit);
    }
    std::string Bottom() const { return NameOf(mGame->mLiveObjects.Head()); }
    // The screens seen last, for a failure's message.
    std::string Where() const
    {
        std::string where = "screens:";
        const size_t from = mRun->screens.size() > 8 ? mRun->screens.size() - 8 : 0;
        for (size_t i = from; i < mRun->screens.size(); ++i)
            where += " " + mRun->screens[i];
        return where;
    }

    // A mode's caption on the main menu, clicked.
    void ChooseMode(int mode)
    {
        const float y[4] = {250.0f, 172.0f, 406.0f, 328.0f};
        mPlayer->Click(400.0f, y[mode]);
    }

    void PlayJourney();
    void PlayFlood();
    void PlayTricks();
    void PlaySurvival(int playedTicks);
    // The rest of a list after its first building, each checked as it
    // opens; then the roll.
    void PlayList(const std::string (&buildings)[9], const std::function<void(size_t)>& check);
    // From a summary, and from the end of a mode past the honour roll.
    void BackToTheMenu();
    void ToTheMenuPastTheRoll();

    static std::vector<std::string> Texts(const AnimObject& screen)
    {
        std::vector<std::string> texts;
        for (const AnimObject* child = screen.mChildren.Head(); child != nullptr; child = child->mNext) {
            if (const auto* text = dynamic_cast<const TextObject*>(child))
                texts.push_back(text->GetText());
        }
        return texts;
    }
    // The expected screens in the order they were seen, as far as they were.
    static std::vector<std::string> Reached(const std::vector<std::string>& seen, const std::vector<std::string>& expected)
    {
        std::vector<std::string> reached;
        size_t at = 0;
        for (const std::string& name : expected) {
            while (at < seen.size() && seen[at] != name)
                ++at;
            if (at == seen.size())
                break;
            reached.push_back(name);
            ++at;
        }
        return reached;
    }

    // One whole run in a new game over an empty user-data folder.
    void PlayOnce(RunLog& run);

    LoadMessages::Sink mPreviousSink;
    std::vector<std::string> mLoadMessages;

    RunLog* mRun = nullptr;
    HeadlessGame* mApp = nullptr;
    GameState* mGame = nullptr;
    LumoTest::AutoPlayer* mPlayer = nullptr;
    size_t mTrickCount = 0;
    int mSurvived = 0; // Survival's clock at the loss, in ticks
};

// Journey: the tutorial, then the buildings one by one; the whole list ends
// on the honour roll.
void PlaythroughTest::PlayJourney()
{
    ChooseMode(kJourney);
    // No player yet: the name screen comes first.
    ASSERT_TRUE(PlayUntilTop("input_name", 400)) << Where();
    ASSERT_TRUE(PlayUntilTop("tutorial2", 2000)) << Where();
    PlayerProfile& player = mGame->mProfiles.Current();
    EXPECT_STREQ(player.mName, "Mira");
    if (!kWholeGame) {
        // Only the first level of each: the named player has every mode open.
        player.mFloodUnlocked = player.mTrickshotUnlocked = player.mSurvivalUnlocked = 1;
    }
    ASSERT_TRUE(PlayUntilTop("journey_01", kBuildingTicks)) << Where();
    if (!kWholeGame) {
        ASSERT_TRUE(PlayUntilTop("relaxed_summary", kBuildingTicks)) << Where();
        EXPECT_EQ(mGame->mProfiles.Current().mProgress[kJourney], 1);
        BackToTheMenu();
        return;
    }
    // Flood opens once the second building is won, Trickshot once the
    // second-to-last is.
    PlayList(kJourneyBuildings, [&](size_t building) {
        EXPECT_EQ(player.mFloodUnlocked, building >= 2 ? 1 : 0) << kJourneyBuildings[building];
        EXPECT_EQ(player.mTrickshotUnlocked, building >= 8 ? 1 : 0) << kJourneyBuildings[building];
    });
}

// Flood: from the map, past the explanation of the mode, to the roll.
void PlaythroughTest::PlayFlood()
{
    ChooseMode(kFlood);
    ASSERT_TRUE(PlayUntilTop("flood_01", 2000)) << Where();
    if (!kWholeGame) {
        ASSERT_TRUE(PlayUntilTop("level_summary", kBuildingTicks)) << Where();
        EXPECT_EQ(mGame->mProfiles.Current().mProgress[kFlood], 1);
        BackToTheMenu();
        return;
    }
    // Survival opens once the second-to-last building is won.
    const PlayerProfile& player = mGame->mProfiles.Current();
    PlayList(kFloodBuildings, [&](size_t building) {
        EXPECT_EQ(player.mSurvivalUnlocked, building >= 8 ? 1 : 0) << kFloodBuildings[building];
    });
}

void PlaythroughTest::PlayList(const std::string (&buildings)[9], const std::function<void(size_t)>& check)
{
    for (size_t building = 1; building < std::size(buildings); ++building) {
        ASSERT_TRUE(PlayUntil([&] { return Bottom() == buildings[building]; }, kBuildingTicks)) << Where();
        check(building);
    }
    ASSERT_TRUE(PlayUntilTop("high_scores", kBuildingTicks)) << Where();
    ToTheMenuPastTheRoll();
}

// Trickshot: each trick by the throw the generator recorded for it.
void PlaythroughTest::PlayTricks()
{
    ChooseMode(kTrickshot);
    ASSERT_TRUE(PlayUntilTop("trickshot", 2000)) << Where();
    if (!kWholeGame) {
        ASSERT_TRUE(PlayUntilTop("trickymode_summary", kTrickTicks)) << Where();
        EXPECT_EQ(Texts(*mGame->Topmost()).front(), "GREAT SHOT!");
        BackToTheMenu();
        return;
    }
    ASSERT_TRUE(PlayUntilTop("win_sequence", int(mTrickCount) * kTrickTicks)) << Where();
    ToTheMenuPastTheRoll();
}

// Survival: played for a while, then left to sink; the summary pays a
// thousand for each whole minute and writes the time into the roll.
void PlaythroughTest::PlaySurvival(int playedTicks)
{
    ChooseMode(kSurvival);
    ASSERT_TRUE(PlayUntilTop("endless", 2000)) << Where();
    AnimObject* level = mGame->Topmost();
    const auto summary = [&] { return level->FindChildByName("endless_summary"); };
    ASSERT_FALSE(PlayUntil([&] { return summary() != nullptr; }, playedTicks)) << "sunk while played";
    mPlayer->SetIdle(true);
    ASSERT_TRUE(PlayUntil([&] { return summary() != nullptr; }, 20 * kTicksPerMinute)) << "never sank";
    mPlayer->SetIdle(false);
    // The clock stands still under the summary: its time is the time played.
    const AnimObject* clock = level->FindChildByName("endlesspan");
    ASSERT_NE(clock, nullptr);
    mSurvived = int(clock->mFrameCounter);
    EXPECT_GE(mSurvived, playedTicks);
    // The bonus counts the minutes up, pays them and enters the roll.
    const int32_t before = mGame->mProfiles.Current().mScore;
    AnimObject* menu = summary()->FindChildByName("menu_button");
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(PlayUntil([&] { return menu->CurrentStage() != menu->mStages.Head(); }, 2 * kTicksPerMinute));
    Wait(400);
    EXPECT_EQ(mGame->mProfiles.Current().mScore, before + mSurvived / kTicksPerMinute * 1000);
    mPlayer->Click(menu->mWorld[kAttrX], menu->mWorld[kAttrY]);
    ASSERT_TRUE(PlayUntilTop("main_menu", 2000)) << Where();
}

// Before the player's pause on the summary is over.
void PlaythroughTest::BackToTheMenu()
{
    ASSERT_TRUE(mPlayer->ClickButton(*mGame, "menu_button"));
    ASSERT_TRUE(PlayUntilTop("main_menu", 2000)) << Where();
}

void PlaythroughTest::ToTheMenuPastTheRoll()
{
    ASSERT_TRUE(PlayUntilTop("honor_roll", 2000)) << Where();
    Wait(200);
    ASSERT_TRUE(mPlayer->ClickButton(*mGame, "done_button"));
    ASSERT_TRUE(PlayUntil([&] { return NameOf(mGame->Topmost()) != "honor_roll"; }, 1000));
    Wait(200);
    ASSERT_TRUE(mPlayer->ClickButton(*mGame, "menu_button"));
    ASSERT_TRUE(PlayUntilTop("main_menu", 2000)) << Where();
}

void PlaythroughTest::PlayOnce(RunLog& run)
{
    mRun = &run;
    std::filesystem::remove_all(UserFolder());
    PlayFromTheMenu(
        [this](HeadlessGame& app, GameState& game) {
            app.LoadPlayers(UserFolder());
            EXPECT_FALSE(game.mProfiles.Current().IsUsed());
        },
        [this](HeadlessGame& app, GameState& game) {
            mApp = &app;
            mGame = &game;
            LumoTest::AutoPlayer player(mWindow, "Mira");
            std::map<int, float> throws;
            for (const LumoTest::RecordedTrick& trick : LumoTest::ReadRecordedTricks())
                throws[trick.index] = trick.x;
            mTrickCount = throws.size();
            player.SetTrickThrows(throws);
            mPlayer = &player;
            for (const auto& play : std::vector<std::function<void()>>{
                     [this] { PlayJourney(); }, [this] { PlayFlood(); }, [this] { PlayTricks(); },
                     [this] { PlaySurvival(kWholeGame ? 2 * kTicksPerMinute : kTicksPerMinute / 4); }}) {
                play();
                if (HasFatalFailure())
                    break;
            }
            // As the program does when it ends.
            EXPECT_TRUE(SaveProfiles());
            mPlayer = nullptr;
            mGame = nullptr;
            mApp = nullptr;
        });
}

TEST_F(PlaythroughTest, ANewPlayerPlaysEveryModeFromTheMainMenu)
{
    RunLog first;
    PlayOnce(first);
    if (HasFatalFailure())
        return;
    // Again, as after a new start of the program.
    RunLog second;
    Play().Reset();
    PlayOnce(second);
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(mLoadMessages.empty()) << mLoadMessages.front();

    // The screens a player passes through, in order (another may come and
    // go over them: Cupid's save, the explanation of Flood).
    std::vector<std::string> expected = {"main_menu", "input_name", "loading", "tutorial2", "loading", "level_select"};
    const auto add = [&expected](const std::vector<std::string>& more) {
        expected.insert(expected.end(), more.begin(), more.end());
    };
    if (kWholeGame) {
        add(ListScreens(kJourneyBuildings, "relaxed_summary"));
        add({"loading", "level_select", "flood_01", "explain_flood"});
        add(ListScreens(kFloodBuildings, "level_summary"));
        expected.push_back("loading");
        for (size_t trick = 0; trick < mTrickCount; ++trick)
            add({"trickshot", "trickymode_summary"});
        add({"win_sequence", "honor_roll", "win_sequence", "main_menu"});
    } else {
        add({"journey_01", "relaxed_summary", "main_menu", "loading", "level_select", "flood_01", "explain_flood",
             "flood_01", "level_summary", "main_menu", "loading", "trickshot", "trickymode_summary", "main_menu"});
    }
    add({"endless", "main_menu"});
    EXPECT_EQ(Reached(first.screens, expected), expected);

    // The run played again passes through the very same state at every tick.
    for (size_t i = 0; i < std::min(first.digests.size(), second.digests.size()); ++i)
        ASSERT_EQ(second.digests[i], first.digests[i]) << "tick " << i;
    ASSERT_EQ(second.digests.size(), first.digests.size());

    // The player file, read afresh.
    GameState fresh;
    ASSERT_EQ(LoadProfiles(UserFolder()), ProfilesLoadResult::kLoaded);
    const PlayerProfile& player = fresh.mProfiles.Current();
    EXPECT_STREQ(player.mName, "Mira");
    EXPECT_EQ(player.mProgress[kJourney], kWholeGame ? 9 : 1);
    EXPECT_EQ(player.mProgress[kFlood], kWholeGame ? 9 : 1);
    EXPECT_EQ(player.mFloodUnlocked, 1);
    EXPECT_EQ(player.mTrickshotUnlocked, 1);
    EXPECT_EQ(player.mSurvivalUnlocked, 1);
    int tricksDone = 0;
    for (const auto& row : player.mTrickDone)
        for (int32_t done : row)
            tricksDone += done;
    EXPECT_EQ(tricksDone, kWholeGame ? int(mTrickCount) : 1);
    char time[16];
    std::snprintf(time, sizeof(time), "%d:%02d", mSurvived / kTicksPerMinute, mSurvived / 250 % 60);
    // A roll entry for each mode played to its end; Survival's holds the time.
    for (int mode : {kFlood, kJourney, kSurvival, kTrickshot}) {
        int entries = 0;
        for (const HonorRollEntry& entry : fresh.mProfiles.mRolls[mode])
            entries += std::string(entry.mName) == "Mira" ? 1 : 0;
        EXPECT_EQ(entries, kWholeGame || mode == kSurvival ? 1 : 0) << "mode " << mode;
    }
    bool survival = false;
    for (const HonorRollEntry& entry : fresh.mProfiles.mRolls[kSurvival])
        survival = survival || (std::string(entry.mName) == "Mira" && std::string(entry.mText) == time);
    EXPECT_TRUE(survival) << time;
}

} // namespace
