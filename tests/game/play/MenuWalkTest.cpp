// The committed menus walked as a player walks them, through the game's own
// main loop on a window of the test: every button of the main menu opens its
// screen and that screen's button leads back, once with the mouse and once
// with the button's key, tapped within one frame as scripting tools send
// keys. Each hover plays "hot.ogg", each click "click.ogg". The walk ends
// with Quit: the loop stops and the player file keeps what was done.
#include "game/engine/GameState.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Platform.h"
#include "game/engine/Stage.h"
#include "game/play/PlayHooks.h"
#include "game/play/PlayState.h"
#include "platform/files/FileSystem.h"
#include "platform/window/EventPump.h"
#include "platform/window/Window.h"
#include "platform/window/WindowMessage.h"
#include "CommittedGameFixture.h"
#include "support/CommittedDataFixture.h"
#include "support/FakePlatformRecorder.h"
#include "support/FakeWindowSystem.h"
#include "support/HeadlessGame.h"
#include "support/RecordingSoundLayer.h"
#include "support/ScopedEnvironment.h"
#include "support/SimulatedClock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Spot {
    int x;
    int y;
    int key; // the button's alt key; 0: none (a checkbox), clicked both times
};

// A button, the screen it opens, that screen's way back, the buttons of that
// screen walked in turn, and what the player types there before leaving.
// From `crowdedFrom` players on, the button opens another screen, with its
// own way back.
struct Walk {
    const char* screen;
    Spot open;
    Spot back;
    const char* typed = "";
    std::vector<Walk> inner = {};
    const char* crowdedScreen = nullptr;
    Spot crowdedBack = {};
    int crowdedFrom = 2;
};

constexpr int kEscape = Plat::kVkEscape;
constexpr int kReturn = Plat::kVkReturn;

// The player list starts with one player: deleting is refused at first, and
// asks again once new players are named (one on each pass). A name prompt
// left empty asks for a name; with ten players there is no room for one more.
const Walk kPlayers = {
    "players",
    {88, 550, 'P'},
    {400, 472, kReturn},
    "",
    {{"one_user_left", {590, 300, 'D'}, {400, 366, kReturn}, "", {}, "delete_user_confirm", {490, 366, kEscape}},
     {"input_name",
      {590, 240, 'N'},
      {400, 366, kReturn},
      "ZED",
      {{"invalid_profile_name", {400, 366, kReturn}, {400, 366, kReturn}}},
      "too_many_users",
      {400, 366, kReturn},
      PlayerProfiles::kProfileCount}}};

// The test's display has no desktop size and no 3-D test result: the full
// screen box explains why the game stays full screen, the 3-D box why it
// stays in 2-D.
const Walk kWalks[] = {
    kPlayers,
    {"honor_roll", {244, 550, 'R'}, {400, 472, kReturn}},
    {"options",
     {400, 550, 'O'},
     {560, 472, kReturn},
     "",
     {{"no_windowed", {252, 367, 0}, {400, 366, kReturn}}, {"3d_not_supported", {252, 415, 0}, {400, 366, kReturn}}}},
    {"help", {556, 550, 'H'}, {400, 472, kReturn}},
    {"quit_game", {712, 550, kEscape}, {490, 366, kEscape}},
};
const Spot kQuit = {712, 550, kEscape};
const Spot kQuitYes = {310, 366, 'Y'};

std::string TopName()
{
    AnimObject* top = Game().Topmost();
    return top != nullptr ? top->mName : "";
}

// The topmost screen is named so, the depth'th of the live list, and takes
// clicks: no stage of a fade.
bool Settled(const char* name, int depth)
{
    return LumoTest::ScreenSettled(Game(), name, depth);
}

class MenuWalkTest : public LumoTest::CommittedGameFixture {
protected:
    void Post(Plat::InputEvent::Kind kind, const Spot& spot)
    {
        Plat::InputEvent input;
        input.window = mWindow;
        input.kind = kind;
        input.x = spot.x;
        input.y = spot.y;
        input.button = 1;
        input.clicks = 1;
        input.virtualKey = spot.key;
        Plat::GetEventPump().PostInput(input);
    }

    void Updates(HeadlessGame& app, int count)
    {
        const int target = app.updateCount + count;
        app.RunUntil([&] { return app.updateCount >= target; });
    }

    int Heard(const char* name) const
    {
        int count = 0;
        for (const auto& play : mSound.plays)
            count += play.name == name ? 1 : 0;
        return count;
    }

    // The pointer goes to the button (it lights up and ticks), then clicks.
    void ClickAt(HeadlessGame& app, const Spot& spot)
    {
        Post(Plat::InputEvent::Kind::MouseMotion, {spot.x - 60, spot.y - 40, 0});
        Updates(app, 5);
        const int hot = Heard("audio\\hot.ogg");
        Post(Plat::InputEvent::Kind::MouseMotion, spot);
        Updates(app, 5);
        EXPECT_GT(Heard("audio\\hot.ogg"), hot) << "no hover sound at " << spot.x << ", " << spot.y;
        const int clicks = Heard("audio\\click.ogg");
        Post(Plat::InputEvent::Kind::MouseButtonDown, spot);
        Updates(app, 2);
        Post(Plat::InputEvent::Kind::MouseButtonUp, spot);
        Updates(app, 2);
        // A checkbox (no key) ticks without a sound.
        if (spot.key != 0) {
            EXPECT_GT(Heard("audio\\click.ogg"), clicks) << "no click sound at " << spot.x << ", " << spot.y;
        }
    }

    // Down and up within one frame.
    void PressKey(HeadlessGame& app, const Spot& spot)
    {
        const int clicks = Heard("audio\\click.ogg");
        Post(Plat::InputEvent::Kind::KeyDown, spot);
        Post(Plat::InputEvent::Kind::KeyUp, spot);
        Updates(app, 4);
        EXPECT_GT(Heard("audio\\click.ogg"), clicks) << "no click sound for key " << spot.key;
    }

    void Type(HeadlessGame& app, const char* text)
    {
        for (const char* c = text; *c != '\0'; ++c) {
            Post(Plat::InputEvent::Kind::KeyDown, {0, 0, *c});
            Updates(app, 1);
            Post(Plat::InputEvent::Kind::KeyUp, {0, 0, *c});
            Updates(app, 1);
        }
    }

    // Opens the walk's screen over `depth` screens and comes back, by mouse
    // and then by key; its own buttons are walked on each visit.
    void WalkOnce(HeadlessGame& app, const Walk& walk, const char* from, int depth)
    {
        for (const bool mouse : {true, false}) {
            const bool crowded =
                walk.crowdedScreen != nullptr && Game().mProfiles.CountUsedProfiles() >= walk.crowdedFrom;
            const char* screen = crowded ? walk.crowdedScreen : walk.screen;
            const Spot& back = crowded ? walk.crowdedBack : walk.back;
            SCOPED_TRACE(std::string(screen) + (mouse ? " by mouse" : " by key"));
            Press(app, walk.open, mouse || walk.open.key == 0);
            ASSERT_TRUE(app.RunUntil([&] { return Settled(screen, depth + 1); })) << "top \"" << TopName() << "\"";
            if (!crowded) {
                for (const Walk& inner : walk.inner)
                    WalkOnce(app, inner, screen, depth + 1);
                Type(app, walk.typed);
            }
            Press(app, back, mouse);
            ASSERT_TRUE(app.RunUntil([&] { return Settled(from, depth); })) << "top \"" << TopName() << "\"";
        }
    }

    void Press(HeadlessGame& app, const Spot& spot, bool mouse)
    {
        if (mouse)
            ClickAt(app, spot);
        else
            PressKey(app, spot);
    }

    // Quit and its yes: every screen goes, the loop stops, and the player
    // file written at the end (as the program does once its loop has
    // stopped) holds the players named during the walk.
    void QuitAndCheckThePlayerFile(HeadlessGame& app, GameState& game, bool mouse, int players)
    {
        SCOPED_TRACE(mouse ? "quit by mouse" : "quit by key");
        Press(app, kQuit, mouse);
        ASSERT_TRUE(app.RunUntil([&] { return Settled("quit_game", 2); })) << "top \"" << TopName() << "\"";
        Press(app, kQuitYes, mouse);
        EXPECT_TRUE(app.RunUntil([&] { return app.shutdown.load(); })) << "top \"" << TopName() << "\"";
        EXPECT_TRUE(game.mLiveObjects.IsEmpty());
        ASSERT_TRUE(SaveProfiles());
        PlayerProfiles saved;
        saved.mFile.SetFolder(mTemp.Path());
        ASSERT_EQ(saved.mFile.Load(saved), ProfilesLoadResult::kLoaded);
        EXPECT_EQ(saved.CountUsedProfiles(), players);
    }

    // The game with a player "Mira" (made ready by `prepare`) whose file is
    // kept in the temporary folder, up to the settled menu; then `play` acts.
    void PlayFromTheMenu(const std::function<void(PlayerProfile&)>& prepare,
                         const std::function<void(HeadlessGame&, GameState&)>& play)
    {
        CommittedGameFixture::PlayFromTheMenu(
            [&](HeadlessGame&, GameState& game) {
                game.mProfiles.CreateDefaults();
                game.mProfiles.mFile.SetFolder(mTemp.Path());
                game.mProfiles.Current().SetName("Mira");
                prepare(game.mProfiles.Current());
            },
            play);
    }
};

TEST_F(MenuWalkTest, EveryMenuButtonOpensItsScreenAndComesBackByMouseAndByKey)
{
    PlayFromTheMenu([](PlayerProfile&) {},
                    [this](HeadlessGame& app, GameState& game) {
                        for (const Walk& walk : kWalks)
                            WalkOnce(app, walk, "main_menu", 1);
                        // Each pass named a new player, on each of two visits.
                        EXPECT_EQ(game.mProfiles.CountUsedProfiles(), 5);
                        // The question a slow 3-D card asks, here without one.
                        for (const bool mouse : {true, false}) {
                            InsertLevelByName("3d_not_recommended");
                            ASSERT_TRUE(app.RunUntil([] { return Settled("3d_not_recommended", 2); }));
                            Press(app, {310, 366, 'Y'}, mouse);
                            ASSERT_TRUE(app.RunUntil([] { return Settled("main_menu", 1); }))
                                << "top \"" << TopName() << "\"";
                        }
                        QuitAndCheckThePlayerFile(app, game, true, 5);
                    });
}

// Ten players: the list has no room for an eleventh, and deleting asks first.
TEST_F(MenuWalkTest, AFullPlayerListRefusesANewPlayer)
{
    PlayFromTheMenu([](PlayerProfile&) {},
                    [this](HeadlessGame& app, GameState& game) {
                        PlayerProfiles& profiles = game.mProfiles;
                        for (int slot = profiles.FirstFreeProfile(); slot >= 0; slot = profiles.FirstFreeProfile())
                            profiles.mProfiles[slot].SetName(("P" + std::to_string(slot)).c_str());
                        WalkOnce(app, kPlayers, "main_menu", 1);
                        EXPECT_EQ(profiles.CountUsedProfiles(), PlayerProfiles::kProfileCount);
                        QuitAndCheckThePlayerFile(app, game, false, PlayerProfiles::kProfileCount);
                    });
}

// A player with every mode open: each mode's button leads through the
// loading screen to that mode's first screen (a new player's Flood and
// Journey begin with the tutorial), by mouse and by key.
TEST_F(MenuWalkTest, EveryModeButtonReachesItsModesFirstScreen)
{
    struct Mode {
        Spot button;
        int mode;
        const char* first;
    };
    const Mode modes[] = {{{400, 172, kReturn}, 1, "tutorial2"},
                          {{400, 250, 'F'}, 0, "tutorial2"},
                          {{400, 328, 'T'}, 3, "trickshot"},
                          {{400, 406, 'S'}, 2, "endless"}};
    PlayFromTheMenu(
        [](PlayerProfile& player) { player.mFloodUnlocked = player.mTrickshotUnlocked = player.mSurvivalUnlocked = 1; },
        [&](HeadlessGame& app, GameState& game) {
            for (const Mode& mode : modes) {
                for (const bool mouse : {true, false}) {
                    SCOPED_TRACE(std::string(mode.first) + (mouse ? " by mouse" : " by key"));
                    if (mouse)
                        ClickAt(app, mode.button);
                    else
                        PressKey(app, mode.button);
                    EXPECT_EQ(game.mProfiles.Current().mMode, mode.mode);
                    EXPECT_TRUE(app.RunUntil([&] {
                        AnimObject* bottom = game.mLiveObjects.Head();
                        return bottom != nullptr && std::strcmp(bottom->mName, mode.first) == 0;
                    })) << "top \"" << TopName() << "\"";
                    Updates(app, 50);
                    InsertLevelByName("main_menu");
                    ASSERT_TRUE(app.RunUntil([&] { return Settled("main_menu", 1); }))
                        << "top \"" << TopName() << "\"";
                }
            }
        });
}

} // namespace
