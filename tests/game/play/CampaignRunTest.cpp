// A new player's whole game, headless, from the main menu of a world the test
// writes: Journey from its first building to the honour roll, Flood to its
// end, every trick to the win sequence and one Survival run lost at a
// scripted tick. Every building is won the way a player wins it, by one
// throw into its one slot. The player file read afresh keeps it all, the
// menu built again dims no mode, and the run played twice passes through the
// same state at every tick.
#include "game/engine/GameDataLoader.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/GameModes.h"
#include "game/play/LevelRules.h"
#include "game/play/Shooter.h"
#include "ModeFixture.h"
#include "support/PlayFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <functional>
#include <tuple>
#include <string>
#include <vector>

namespace {

constexpr int kFlood = 0;
constexpr int kJourney = 1;
constexpr int kSurvival = 2;
constexpr int kTrickshot = 3;
constexpr int kReturn = 13;

std::string At(float x, float y)
{
    const std::string sx = std::to_string(int(x));
    const std::string sy = std::to_string(int(y));
    return "<attribute type=\"x\" start=\"" + sx + "\" end=\"" + sx + "\">\n<attribute type=\"y\" start=\"" + sy +
           "\" end=\"" + sy + "\">\n";
}

std::string Looping(const char* name = nullptr, const char* extra = "")
{
    return std::string("<stage") + (name != nullptr ? std::string(" name=\"") + name + "\"" : std::string()) +
           " ms=\"1000\" loop_start=\"1\" loop_end=\"1\"" + extra + ">\n";
}

// A button that acts on the Return key (or a click on it).
std::string Button(const char* action, const char* parm1 = "", const char* key = "return")
{
    return std::string("<object type=\"generic\" name=\"button\">\n") + Looping() + "<event type=\"click\" action=\"" +
           action + "\" parm1=\"" + parm1 + "\" alt_key=\"" + key + "\">\n</object>\n";
}

// A screen at the centre that clears the screens below it as it opens.
std::string Screen(const char* name, const std::string& inside, const char* onStart = "")
{
    return std::string("<object type=\"level\" name=\"") + name + "\">\n<stage name=\"arrive\" ms=\"8\">\n" +
           At(400, 300) + "<event type=\"start\" action=\"kill_all_previous\">\n" + onStart + Looping("idle") +
           At(400, 300) + inside + "</object>\n";
}

// A screen shown over the one below it.
std::string Popup(const char* name, const std::string& inside)
{
    return std::string("<object type=\"level\" name=\"") + name + "\">\n" + Looping("idle") + At(400, 300) + inside +
           "<stage name=\"fade_out\" ms=\"40\">\n" + At(400, 300) + "</object>\n";
}

std::string Text(const char* key)
{
    return std::string("<object type=\"text\" string=\"") + key + "\" font=\"gfx\\font1.png\">\n" + Looping() +
           "</object>\n";
}

// One plate with one slot of kind 5 straight above the shooter; the
// playfield's stage is the mode's, and a won building opens the screen the
// key names. Outside the tricks the shooter reloads only with a scroll point
// in the building: it stands just above the line the scroll slows at, so
// the building barely moves. The panel arms the shooter.
std::string Building(const std::string& name, const char* playing, const char* winKey, bool scrollPoint)
{
    return "<object type=\"level\" name=\"" + name + "\" thumbnail=\"gfx\\thumb.png\">\n" +
           "<stage name=\"arrive\" ms=\"8\">\n" + At(400, 300) +
           "<event type=\"start\" action=\"kill_all_previous\">\n" + Looping("play") + At(400, 300) +
           "<object type=\"layer\" name=\"background\">\n" + Looping() + "<object type=\"layer\" name=\"tiles\">\n" +
           Looping(playing) + "<stage name=\"victory\" ms=\"200\">\n" +
           "<event type=\"end\" action=\"insert_level\" parm1=\"" + winKey + "\">\n" + Looping("victory_done") +
           "<stage name=\"defeat\" ms=\"400\">\n" + Looping("defeated") +
           "<object type=\"layer\" name=\"plate_container\">\n" + Looping() +
           (scrollPoint ? "<object type=\"scroll_point\" name=\"point\">\n" + Looping() + At(0, -310) + "</object>\n"
                        : std::string()) +
           "<object type=\"block_plate\" name=\"plate\" num_jewels=\"0\" image=\"gfx\\plate.png\">\n" +
           Looping("idle") + At(0, -100) + "<stage name=\"fade_out\" ms=\"200\">\n" +
           "<object type=\"slot\" number=\"5\" image=\"gfx\\slot5.png\">\n" + Looping() + At(0, 0) +
           "</object>\n</object>\n</object>\n</object>\n</object>\n" +
           "<object type=\"shooter\" name=\"shooter\" image=\"gfx\\shooter.png\">\n" + Looping("ready") +
           "<attribute type=\"y\" start=\"250\" end=\"250\">\n</object>\n" +
           "<object type=\"panel\" name=\"panel\" image=\"gfx\\panel.png\">\n" + Looping() + At(0, 280) +
           "</object>\n<object type=\"progress_bar\" name=\"bar\">\n" + Looping() + At(300, 280) +
           "</object>\n</object>\n";
}

// A mode button as the menu has it: a locker holding its caption, whose
// stage carries the click, with a tooltip.
std::string ModeButton(const char* name, const char* caption, int mode, int y)
{
    const std::string m = std::to_string(mode);
    std::string events;
    for (const char* action : {"set_mode", "get_initial_user", "insert_level"}) {
        const std::string parm = std::string(action) == "set_mode"       ? m
                                 : std::string(action) == "insert_level" ? "PICK_LEVEL_SELECT_OR_LOADING2"
                                                                         : "";
        events += std::string("<event type=\"click\" action=\"") + action + "\" parm1=\"" + parm + "\">\n";
    }
    return std::string("<object type=\"level_locker\" name=\"") + name + "\">\n" + Looping() + At(0, float(y)) +
           "<object type=\"text\" string=\"" + caption + "\" font=\"gfx\\font1.png\">\n" + Looping() + At(0, 0) +
           events + "<object type=\"tooltip\" text=\"A MODE\" font=\"gfx\\font1.png\" line_width=\"40\">\n" +
           Looping(nullptr, " visible=\"0\"") + "</object>\n</object>\n</object>\n";
}

// Where the mode buttons sit on the screen (the menu is at the centre).
struct ModeSpot {
    const char* locker;
    const char* caption;
    int mode;
    int y;
};
constexpr ModeSpot kModeSpots[] = {
    {"mode_journey", "JOURNEY", kJourney, -90},
    {"mode_flood", "FLOOD", kFlood, -30},
    {"mode_trickshot", "TRICKSHOT", kTrickshot, 30},
    {"mode_survival", "SURVIVAL", kSurvival, 90},
};

class CampaignHost : public LumoTest::GlyphStripHost {
public:
    CampaignHost() : GlyphStripHost(LumoTest::kModeFontCharacters)
    {
        sizes["gfx\\shooter.png"] = {80, 80};
        sizes["gfx\\jewel5.png"] = {30, 30};
        sizes["gfx\\plate.png"] = {100, 40};
        sizes["gfx\\slot5.png"] = {20, 20};
        sizes["gfx\\outline5.png"] = {20, 20};
    }

protected:
    bool IsFontPicture(const std::string& path) const override { return path.rfind("gfx\\font", 0) == 0; }
};

class CampaignRunTest : public PlayFixture {
protected:
    CampaignRunTest() { WriteWorld(); }

    void WriteWorld()
    {
        std::string menu;
        for (const ModeSpot& spot : kModeSpots)
            menu += ModeButton(spot.locker, spot.caption, spot.mode, spot.y);
        Write("levels/main_menu.xml", Screen("main_menu", menu));
        Write("levels/loading.xml",
              "<object type=\"level\" name=\"loading\">\n<stage name=\"arrive\" ms=\"100\">\n" + At(400, 300) +
                  "<event type=\"start\" action=\"kill_all_previous\">\n"
                  "<event type=\"end\" action=\"insert_level\" parm1=\"NEXT_LEVEL\">\n" +
                  Looping("idle") + At(400, 300) + "</object>\n");
        Write("levels/tutorial2.xml", Building("tutorial2", "scrolling", "LEVEL_SUMMARY", true));
        // The bonus is read before the button: the score is banked first.
        for (const char* summary : {"level_summary", "relaxed_summary"})
            Write(std::string("levels/") + summary + ".xml",
                  Popup(summary, Text("TOTAL_BONUS") + Button("insert_level", "NEXT_LEVEL")));
        Write("levels/trickymode_summary.xml",
              Popup("trickymode_summary", Text("TRICKSHOT_BONUS") + Button("insert_level", "NEXT_TRICKSHOT")));
        Write("levels/explain_flood.xml", Popup("explain_flood", Button("send_parent_to_stage", "fade_out")));
        // The map comes before its button, whose key then names the next building.
        Write("levels/level_select.xml",
              Screen("level_select", "<object type=\"level_select\" name=\"map\">\n" + Looping() + "</object>\n" +
                                         Button("insert_level", "NEXT_LEVEL")));
        const char* enter = "<event type=\"start\" action=\"enter_high_score\">\n";
        Write("levels/high_scores.xml", Screen("high_scores", Button("insert_level", "main_menu"), enter));
        Write("levels/win_sequence.xml", Screen("win_sequence", Button("insert_level", "main_menu"), enter));
        Write("levels/endless.xml", Endless());
        Write("levels/endless_summary.xml",
              "<object name=\"endless_summary\" z_order=\"10\">\n" + Looping() + Text("SURVIVAL_TIME") +
                  "<object type=\"endless_bonus\" name=\"endless_bonus\">\n<stage ms=\"400\">\n</object>\n" +
                  "<object type=\"generic\" name=\"menu_button\">\n<stage ms=\"5200\" visible=\"0\">\n" + Looping() +
                  "<event type=\"click\" action=\"insert_level\" parm1=\"main_menu\" alt_key=\"return\">\n</object>\n"
                  "</object>\n");
        for (const char* plate : {"stick", "round", "triangle", "x", "block", "semicircle", "spinner", "a", "tosser",
                                  "mini_round", "mini_stick", "m", "square", "step", "t"})
            Write(std::string("objects/") + plate + "_plate.xml",
                  "<object type=\"block_plate\" num_jewels=\"0\" image=\"gfx\\plate.png\">\n" + Looping("idle") +
                      "<object type=\"slot\" number=\"5\" image=\"gfx\\slot5.png\">\n" + Looping() + "</object>\n"
                      "</object>\n");
        Write("levels/journey_quotes.xml",
              "<quotes>\n<quote line1=\"ON THE ROAD\">\n<quote line1=\"HALF WAY\">\n</quotes>\n");
        Write("levels/flood_quotes.xml",
              "<quotes>\n<quote line1=\"HIGH TIDE\">\n<quote line1=\"STILL RISING\">\n</quotes>\n");

        std::string config = "<game>\n<global earthquake_point=\"500\">\n<global reload_time=\"40\">\n";
        for (const char* font : {"font1", "font1_small", "font1_tiny", "font2"})
            config += std::string("<font name=\"gfx\\") + font + ".png\" character_set=\"" +
                      LumoTest::kModeFontCharacters + "\" letter_height=\"10\">\n";
        for (const char* screen : {"main_menu", "loading", "tutorial2", "level_summary", "relaxed_summary",
                                   "trickymode_summary", "explain_flood", "level_select", "high_scores",
                                   "win_sequence", "endless"})
            config += std::string("<level_file name=\"levels\\") + screen + ".xml\">\n";
        for (const auto& [tag, prefix, count] : {std::tuple{"level_file_game", "flood", 5},
                                                 std::tuple{"level_file_relaxed", "journey", 5},
                                                 std::tuple{"level_file_trick", "trick", 3}}) {
            const bool trick = std::string(prefix) == "trick";
            for (int n = 1; n <= count; ++n) {
                const std::string name = std::string(prefix) + std::to_string(n);
                Write("levels/" + name + ".xml", Building(name, trick ? "still" : "scrolling",
                                                          trick ? "TRICKSHOT_WIN" : "LEVEL_SUMMARY",
                                                          !trick));
                config += std::string("<") + tag + " name=\"levels\\" + name + ".xml\">\n";
            }
            if (!trick) {
                const std::string end = std::string(prefix) + "_win_seq";
                Write("levels/" + end + ".xml", Screen(end.c_str(), ""));
                config += std::string("<") + tag + " name=\"levels\\" + end + ".xml\">\n";
            }
        }
        Write("config.xml", config + "</game>\n");
    }

    static std::string Endless()
    {
        return Screen("endless",
                      "<object type=\"layer\" name=\"background\">\n" + Looping() +
                          "<object type=\"layer\" name=\"tiles\">\n" + Looping("scrolling") +
                          "<stage name=\"defeat\" ms=\"400\">\n" + Looping("defeated") +
                          "<object type=\"layer\" name=\"plate_container\">\n" + Looping() +
                          "</object>\n</object>\n</object>\n"
                          "<object type=\"shooter\" name=\"shooter\" image=\"gfx\\shooter.png\">\n" +
                          Looping("ready") + "<attribute type=\"y\" start=\"250\" end=\"250\">\n</object>\n" +
                          "<object type=\"panel\" name=\"panel\" image=\"gfx\\panel.png\">\n" + Looping() +
                          At(0, 280) + "</object>\n<object type=\"endless_panel\" name=\"endlesspan\">\n" + Looping() +
                          "</object>\n");
    }

    void Write(const std::string& path, const std::string& text) { mFolder.Write(path, text); }

    // One tick, its digest kept.
    void Step()
    {
        Tick();
        mDigests.push_back(Digest());
    }
    void Steps(int count)
    {
        for (int i = 0; i < count; ++i)
            Step();
    }
    // Ticks until the condition holds, at most `limit`; true when it does.
    bool StepUntil(const std::function<bool()>& done, int limit)
    {
        for (int i = 0; i < limit && !done(); ++i)
            Step();
        return done();
    }
    bool StepUntilTop(const std::string& name, int limit = 2000)
    {
        return StepUntil([&] { return Topmost() != nullptr && name == Topmost()->mName; }, limit);
    }

    void PressReturn()
    {
        mGame->mInput.KeyDown(kReturn);
        Step();
        mGame->mInput.KeyUp(kReturn);
        Steps(2);
    }

    // The player clicks a mode's caption on the menu.
    void ClickMode(int mode)
    {
        const ModeSpot& spot = *std::find_if(std::begin(kModeSpots), std::end(kModeSpots),
                                             [mode](const ModeSpot& s) { return s.mode == mode; });
        MovePointer(400.0f, 300.0f + float(spot.y));
        Steps(3);
        MovePointer(400.0f, 300.0f + float(spot.y), true);
        Steps(3);
        MovePointer(400.0f, 300.0f);
    }

    // The building on top is played: aim at its plate, wait for a treasure,
    // throw, and wait until the screen its victory opens is on top.
    void WinBuilding(const std::string& next)
    {
        Steps(5);
        ASSERT_NE(Topmost(), nullptr);
        const std::string building = ScreenNames().front();
        SCOPED_TRACE(building);
        if (std::string(Topmost()->mName) == "explain_flood") {
            PressReturn();
            ASSERT_TRUE(StepUntilTop(building, 200));
            // The tick the building is on top again drops its click.
            Steps(3);
        }
        MovePointer(400.0f, 300.0f);
        ASSERT_TRUE(StepUntil([&] { return CurrentShooterReady(); }, 600));
        MovePointer(400.0f, 300.0f, true);
        Step();
        // One throw, and the building is won by it.
        const auto* shooter = dynamic_cast<Shooter*>(mGame->mShooter);
        ASSERT_NE(shooter, nullptr);
        ASSERT_EQ(shooter->mShots, 1);
        ASSERT_TRUE(StepUntilTop(next, 3000)) << "after " << building << " the top is "
                                               << (Topmost() != nullptr ? Topmost()->mName : "nothing");
        Steps(3);
    }

    bool CurrentShooterReady() const
    {
        const auto* shooter = dynamic_cast<Shooter*>(mGame->mShooter);
        return shooter != nullptr && shooter->ReadyPiece() != nullptr;
    }

    std::vector<std::string> TopTexts() const
    {
        std::vector<std::string> texts;
        for (AnimObject* child = mGame->Topmost()->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (auto* text = dynamic_cast<TextObject*>(child))
                texts.push_back(text->GetText());
        }
        return texts;
    }

    float CaptionAlpha(const char* locker) const
    {
        AnimObject* plaque = mGame->Topmost()->FindChildByName(locker);
        AnimObject* caption = plaque != nullptr ? plaque->FindChildOfKind(kKindTextObject) : nullptr;
        return caption != nullptr ? caption->mLocal[kAttrAlpha] : -1.0f;
    }

    // A new game over the world, a new player file, the main menu.
    void StartGame(uint32_t seed)
    {
        std::remove((mFolder.Path() + "/profiles.dat").c_str());
        std::remove((mFolder.Path() + "/profiles.dat.bak").c_str());
        NewPlayGame(seed);
        mGame->mImageCache.SetPlatform(&mCampaignPlatform);
        ASSERT_EQ(LoadProfiles(mFolder.Path()), ProfilesLoadResult::kDefaults);
        Profile().SetName("Mira");
        LoadGameData("config.xml");
        mDigests.clear();
        Steps(5);
    }

    void PlayJourney();
    void PlayFlood();
    void PlayTricks();
    void PlaySurvival(int lostAtTick);

    CampaignHost mCampaignHost;
    Platform mCampaignPlatform{&mCampaignHost};
    std::vector<uint64_t> mDigests;
    int32_t mSurvivalScore = 0;
};

void CampaignRunTest::PlayJourney()
{
    ASSERT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));
    ClickMode(kJourney);
    ASSERT_EQ(Profile().mMode, kJourney);
    ASSERT_TRUE(StepUntilTop("tutorial2"));
    WinBuilding("relaxed_summary");
    PressReturn();
    ASSERT_TRUE(StepUntilTop("level_select"));
    EXPECT_EQ(TopTexts(), (std::vector<std::string>{"ON THE ROAD"}));
    for (int building = 1; building <= 5; ++building) {
        SCOPED_TRACE(building);
        PressReturn();
        ASSERT_TRUE(StepUntilTop("journey" + std::to_string(building)));
        // Flood opens once the second building is behind.
        EXPECT_EQ(Profile().mFloodUnlocked, building >= 3 ? 1 : 0);
        EXPECT_EQ(Profile().mTrickshotUnlocked, building == 5 ? 1 : 0);
        WinBuilding("relaxed_summary");
        EXPECT_EQ(Profile().mProgress[kJourney], building);
        PressReturn();
        if (building == 3) {
            ASSERT_TRUE(StepUntilTop("level_select"));
            EXPECT_EQ(TopTexts(), (std::vector<std::string>{"HALF WAY"}));
        } else if (building == 4) {
            // The second-to-last opens Trickshot, and the map comes again.
            EXPECT_EQ(Profile().mTrickshotUnlocked, 1);
            ASSERT_TRUE(StepUntilTop("level_select"));
        }
    }
    ASSERT_TRUE(StepUntilTop("high_scores"));
    PressReturn();
    ASSERT_TRUE(StepUntilTop("main_menu"));
}

void CampaignRunTest::PlayFlood()
{
    ClickMode(kFlood);
    ASSERT_EQ(Profile().mMode, kFlood);
    // Loaded from under the menu, the first building is chosen on the map.
    ASSERT_TRUE(StepUntilTop("level_select"));
    EXPECT_EQ(TopTexts(), (std::vector<std::string>{"HIGH TIDE"}));
    PressReturn();
    for (int building = 1; building <= 5; ++building) {
        SCOPED_TRACE(building);
        // The first Flood building explains the mode over itself.
        ASSERT_TRUE(StepUntil([&] { return ScreenNames().front() == "flood" + std::to_string(building); }, 2000));
        EXPECT_EQ(Profile().mSurvivalUnlocked, building == 5 ? 1 : 0);
        WinBuilding("level_summary");
        PressReturn();
        if (building == 3 || building == 4) {
            ASSERT_TRUE(StepUntilTop("level_select"));
            PressReturn();
        }
    }
    ASSERT_TRUE(StepUntilTop("high_scores"));
    PressReturn();
    ASSERT_TRUE(StepUntilTop("main_menu"));
}

void CampaignRunTest::PlayTricks()
{
    ClickMode(kTrickshot);
    ASSERT_EQ(Profile().mMode, kTrickshot);
    std::vector<std::string> played;
    for (int trick = 0; trick < 3; ++trick) {
        SCOPED_TRACE(trick);
        ASSERT_TRUE(StepUntil(
            [&] {
                const std::string top = Topmost() != nullptr ? Topmost()->mName : "";
                return top.rfind("trick", 0) == 0 && top != "trickymode_summary";
            },
            2000));
        played.push_back(Topmost()->mName);
        WinBuilding("trickymode_summary");
        PressReturn();
    }
    ASSERT_TRUE(StepUntilTop("win_sequence"));
    std::sort(played.begin(), played.end());
    EXPECT_EQ(played, (std::vector<std::string>{"trick1", "trick2", "trick3"}));
    PressReturn();
    ASSERT_TRUE(StepUntilTop("main_menu"));
}

void CampaignRunTest::PlaySurvival(int lostAtTick)
{
    ClickMode(kSurvival);
    ASSERT_EQ(Profile().mMode, kSurvival);
    ASSERT_TRUE(StepUntilTop("endless"));
    Level* level = Topmost();
    // The player keeps the building up: goes under the lowest plate, then
    // throws; the last throws land well before the loss.
    float aim = 400.0f;
    for (int tick = 0; tick < lostAtTick; ++tick) {
        if (tick % 100 == 0) {
            const AnimObject* lowest = nullptr;
            const AnimObject* inner = mGame->mInnerLayer;
            for (const AnimObject* child = inner != nullptr ? inner->mChildren.Head() : nullptr; child != nullptr;
                 child = child->mNext) {
                if (child->mKind == kKindPlate && (lowest == nullptr || child->mWorld[kAttrY] > lowest->mWorld[kAttrY]))
                    lowest = child;
            }
            aim = lowest != nullptr ? lowest->mWorld[kAttrX] : 400.0f;
            MovePointer(aim, 300.0f);
        } else if (tick % 100 == 60 && tick < lostAtTick - 400) {
            MovePointer(aim, 300.0f, true);
        }
        Step();
        ASSERT_EQ(level->FindChildByName("endless_summary"), nullptr) << "sunk at tick " << tick;
    }
    const int32_t played = Profile().mScore;
    EXPECT_GT(played, 0);
    LevelRules::Defeat(*level);
    ASSERT_TRUE(StepUntil([&] { return level->FindChildByName("endless_summary") != nullptr; }, 10));
    Steps(2000);
    // The summary counted up to the minute (the "0" has faded) and paid it.
    const AnimObject* bonus = level->FindChildByName("endless_summary")->FindChildByName("endless_bonus");
    ASSERT_NE(bonus, nullptr);
    std::vector<std::string> minutes;
    for (const AnimObject* child = bonus->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (const auto* text = dynamic_cast<const TextObject*>(child))
            minutes.push_back(text->GetText());
    }
    EXPECT_EQ(minutes, (std::vector<std::string>{"1000"}));
    EXPECT_EQ(Profile().mScore, played + 1000);
    mSurvivalScore = Profile().mScore;
    PressReturn();
    ASSERT_TRUE(StepUntilTop("main_menu"));
}

TEST_F(CampaignRunTest, ANewPlayerPlaysEveryModeAndTheFileKeepsIt)
{
    std::vector<uint64_t> firstRun;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        StartGame(20261211);
        // A new player's menu: only Journey is open.
        EXPECT_EQ(CaptionAlpha("mode_journey"), 1.0f);
        for (const char* closed : {"mode_flood", "mode_trickshot", "mode_survival"})
            EXPECT_EQ(CaptionAlpha(closed), 0.5f) << closed;
        // A closed mode's button opens nothing.
        ClickMode(kSurvival);
        Steps(20);
        EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));

        for (const auto& play : std::vector<std::function<void()>>{
                 [this] { PlayJourney(); }, [this] { PlayFlood(); }, [this] { PlayTricks(); },
                 // Lost at 1:04: one minute's bonus.
                 [this] { PlaySurvival(16000); }}) {
            play();
            if (HasFatalFailure())
                return;
        }
        if (run == 0)
            firstRun = mDigests;
    }
    ASSERT_EQ(mDigests.size(), firstRun.size());
    for (size_t i = 0; i < firstRun.size(); ++i)
        ASSERT_EQ(mDigests[i], firstRun[i]) << "tick " << i;

    // The player file, read afresh.
    const int32_t scores[4] = {Profile().mBankedScore[0], Profile().mBankedScore[1], 0, Profile().mBankedScore[3]};
    NewPlayGame();
    mGame->mImageCache.SetPlatform(&mCampaignPlatform);
    ASSERT_EQ(LoadProfiles(mFolder.Path()), ProfilesLoadResult::kLoaded);
    const PlayerProfile& again = Profile();
    EXPECT_STREQ(again.mName, "Mira");
    EXPECT_EQ(again.mProgress[kJourney], 5);
    EXPECT_EQ(again.mProgress[kFlood], 5);
    EXPECT_EQ(again.mFloodUnlocked, 1);
    EXPECT_EQ(again.mTrickshotUnlocked, 1);
    EXPECT_EQ(again.mSurvivalUnlocked, 1);
    for (int trick = 0; trick < 3; ++trick)
        EXPECT_EQ(again.mTrickDone[0][trick], 1) << trick;
    const auto entered = [&](int mode, int32_t score, const char* text) {
        for (const HonorRollEntry& entry : mGame->mProfiles.mRolls[mode]) {
            if (std::string(entry.mName) == "Mira" && entry.mScore == score &&
                (text == nullptr || std::string(entry.mText) == text))
                return true;
        }
        return false;
    };
    for (int mode : {kFlood, kJourney, kTrickshot}) {
        EXPECT_GT(scores[mode], 0) << mode;
        EXPECT_TRUE(entered(mode, scores[mode], nullptr)) << mode;
    }
    // Survival's entry holds the time.
    EXPECT_TRUE(entered(kSurvival, mSurvivalScore, "1:04"));

    LoadGameData("config.xml");
    Tick();
    for (const ModeSpot& spot : kModeSpots)
        EXPECT_EQ(CaptionAlpha(spot.locker), 1.0f) << spot.locker;
}

} // namespace
