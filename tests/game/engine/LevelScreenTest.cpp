// Screens through ticks: files written by the test, built by the object
// loader and ticked as the game does. What a player would notice: which
// screen sees the mouse and the clicks, the music each screen starts, fades
// and leaves behind, the screen cleared under a splash picture, a level's
// attributes surviving a save, and the game's own menu and first levels
// running for a few hundred ticks.
#include "game/engine/Level.h"

#include "game/engine/GameDataLoader.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/SampleEntry.h"
#include "game/engine/Stage.h"
#include "support/GameDataFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Screen(const std::string& name, const std::string& attributes = "", const std::string& inside = "")
{
    return "<object type=\"level\" name=\"" + name + "\" " + attributes + ">\n" +
           "\t<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n" + inside + "</object>\n";
}

class LevelScreenTest : public GameDataFixture {
protected:
    // Writes the screen file and opens it on top of the live list.
    Level* Open(const std::string& file, const std::string& text)
    {
        mFolder.Write(file, text);
        LoadObjectFromFile(file.c_str(), nullptr);
        return Topmost();
    }

    // A screen of the game data index, opened by name.
    void AddMainRecord(const char* name, const std::string& text)
    {
        LevelRecord* record = mGame->mMainLevels.Append(new LevelRecord);
        std::strcpy(record->mName, name);
        record->mFileName = std::string("levels\\") + name + ".xml";
        record->mText.reset(new char[text.size() + 1]);
        std::memcpy(record->mText.get(), text.c_str(), text.size() + 1);
    }

    // Volume changes of a track, in order.
    std::vector<float> Volumes(const std::string& name) const
    {
        std::vector<float> found;
        for (const auto& volume : sound.volumes) {
            if (volume.name == name)
                found.push_back(volume.percent);
        }
        return found;
    }

    // The colour at a point after a frame drawn over a white screen.
    uint32_t PixelAfterFrame(int x, int y)
    {
        uint32_t* bits = mScreen.GetBits();
        std::fill(bits, bits + 800 * 600, 0xFFFFFFFFu);
        mScreen.BitsChanged();
        DrawLiveObjects(*mGame);
        return mScreen.GetBits()[y * 800 + x];
    }
};

// ---- Input

TEST_F(LevelScreenTest, OnlyTheTopmostScreenSeesTheMouseAndEachPressClicksOnce)
{
    Level* below = Open("levels/below.xml", Screen("below"));
    Level* top = Open("levels/top.xml", Screen("top"));
    ASSERT_NE(below, top);

    // Press edges from the platform, tick by tick, and the clicks they give:
    // a click only when the edge turns on.
    struct Tick {
        bool left;
        bool right;
        float leftClick;
        float rightClick;
    };
    const Tick ticks[] = {{false, false, 0, 0}, {true, false, 1, 0}, {true, true, 0, 1}, {false, true, 0, 0},
                          {false, false, 0, 0}, {true, true, 1, 1},  {false, false, 0, 0}};
    int index = 0;
    for (const Tick& tick : ticks) {
        SCOPED_TRACE("tick " + std::to_string(index++));
        MovePointer(123.0f, 456.0f, tick.left, tick.right);
        Ticks(1);
        EXPECT_EQ(top->mMouseX, 123.0f);
        EXPECT_EQ(top->mMouseY, 456.0f);
        EXPECT_EQ(top->mLeftButton, tick.left ? 1.0f : 0.0f);
        EXPECT_EQ(top->mRightButton, tick.right ? 1.0f : 0.0f);
        EXPECT_EQ(top->mLeftClick, tick.leftClick);
        EXPECT_EQ(top->mRightClick, tick.rightClick);
        // The screen below reports nothing at all.
        EXPECT_EQ(below->mMouseX + below->mMouseY + below->mLeftButton + below->mRightButton + below->mLeftClick +
                      below->mRightClick + below->mPreviousLeft + below->mPreviousRight,
                  0.0f);
    }

    // A held button clicks once.
    mGame->mInput.MouseDown(1);
    host.leftButtonDown = true;
    std::vector<float> clicks;
    for (int tick = 0; tick < 4; ++tick) {
        Ticks(1);
        clicks.push_back(top->mLeftClick);
    }
    EXPECT_EQ(clicks, (std::vector<float>{1, 0, 0, 0}));
    mGame->mInput.MouseUp(1);
    host.leftButtonDown = false;

    // The top screen goes: the one below takes the mouse from the next tick.
    top->mRemove = 1;
    MovePointer(7.0f, 8.0f, true);
    Ticks(1);
    EXPECT_EQ(below->mMouseX, 0.0f) << "updated before the top screen left";
    MovePointer(7.0f, 8.0f, true);
    Ticks(1);
    EXPECT_EQ(below->mMouseX, 7.0f);
    EXPECT_EQ(below->mLeftClick, 1.0f);
}

TEST_F(LevelScreenTest, AScriptedClickOnAButtonOfTheTopmostScreenRunsItsEvent)
{
    const std::string button = "\t<object type=\"plain\" name=\"button\" image=\"gfx\\button.png\">\n"
                               "\t\t<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                               "\t\t\t<attribute type=\"x\" start=\"400\" end=\"400\">\n"
                               "\t\t\t<attribute type=\"y\" start=\"300\" end=\"300\">\n"
                               "\t\t\t<event type=\"click\" action=\"insert_level\" parm1=\"second\">\n"
                               "\t</object>\n";
    Open("levels/menu.xml", Screen("menu", "", button));
    AddMainRecord("second", Screen("second"));
    MovePointer(400.0f, 300.0f);
    Ticks(3);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"menu"}));
    // Off the button: nothing.
    MovePointer(100.0f, 100.0f, true);
    Ticks(2);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"menu"}));
    MovePointer(400.0f, 300.0f, true);
    Ticks(1);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"menu", "second"}));
    EXPECT_EQ(Plays("audio\\click.ogg"), 1);
}

// ---- The tick

TEST_F(LevelScreenTest, EachScreenPublishesItsKeyObjectsAtTheTopOfItsTick)
{
    const std::string children = "\t<object type=\"plain\" name=\"shooter\"><stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                 "\t</object>\n"
                                 "\t<object type=\"plain\" name=\"tutorial\"><stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                 "\t</object>\n"
                                 "\t<object type=\"plain\" name=\"outer\"><stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                 "\t\t<object type=\"plain\" name=\"middle\"><stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                 "\t\t\t<object type=\"plain\" name=\"inner\"><stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                 "\t\t\t</object>\n"
                                 "\t\t</object>\n"
                                 "\t</object>\n";
    Level* level = Open("levels/played.xml", Screen("played", "", children));
    AnimObject* outer = level->FindChildByName("outer");
    AnimObject* middle = outer->FindChildByName("middle");
    AnimObject* inner = middle->FindChildByName("inner");
    level->FindChildByName("shooter")->mKind = kKindShooter;
    level->FindChildByName("tutorial")->mKind = kKindTutorial;
    outer->mKind = middle->mKind = inner->mKind = kKindLayer;

    Ticks(1);
    EXPECT_EQ(mGame->mLevel, level);
    EXPECT_EQ(mGame->mShooter, level->FindChildByName("shooter"));
    EXPECT_EQ(mGame->mTutorial, level->FindChildByName("tutorial"));
    EXPECT_EQ(mGame->mOuterLayer, outer);
    EXPECT_EQ(mGame->mMiddleLayer, middle);
    EXPECT_EQ(mGame->mInnerLayer, inner);
    // The effects object is made at the first tick, after the publishing.
    EXPECT_EQ(mGame->mEffects, nullptr);
    AnimObject* effects = level->FindChildOfKind(kKindEffects);
    ASSERT_NE(effects, nullptr);
    EXPECT_EQ(effects->mZOrder, 9.0f);
    Ticks(1);
    EXPECT_EQ(mGame->mEffects, effects);
    // It lives on: its one stage loops.
    Ticks(300);
    EXPECT_EQ(level->FindChildOfKind(kKindEffects), effects);
    EXPECT_EQ(level->CountChildrenOfKind(kKindEffects), 1);

    // A middle layer without a layer inside, and a menu on top: the last
    // screen to tick is the one published, with what it has.
    inner->mKind = kKindGeneric;
    Ticks(1);
    EXPECT_EQ(mGame->mInnerLayer, nullptr);
    EXPECT_EQ(mGame->mMiddleLayer, middle);
    Level* menu = Open("levels/menu.xml", Screen("menu"));
    Ticks(1);
    EXPECT_EQ(mGame->mLevel, menu);
    EXPECT_EQ(mGame->mShooter, nullptr);
    EXPECT_EQ(mGame->mOuterLayer, nullptr);
    EXPECT_EQ(mGame->mMiddleLayer, nullptr);
    EXPECT_EQ(mGame->mTutorial, nullptr);
}

TEST_F(LevelScreenTest, TheFirstTickTakesTheParticleImagesOnce)
{
    Level* level = Open("levels/a.xml", Screen("a"));
    EXPECT_EQ(level->mSparkleImage, nullptr);
    Ticks(1);
    ASSERT_NE(level->mSparkleImage, nullptr);
    ASSERT_NE(level->mLevelParticleImage, nullptr);
    ASSERT_NE(level->mWhiteParticleImage, nullptr);
    EXPECT_STREQ(level->mSparkleImage->mName, "gfx\\sparkle.png");
    EXPECT_STREQ(level->mLevelParticleImage->mName, "gfx\\particle2.png");
    EXPECT_STREQ(level->mWhiteParticleImage->mName, "gfx\\white_particle.png");
    Ticks(5);
    EXPECT_EQ(level->mSparkleImage->mUseCount, 1);
    // A second screen shares the records.
    Level* other = Open("levels/b.xml", Screen("b"));
    Ticks(1);
    EXPECT_EQ(other->mSparkleImage, level->mSparkleImage);
    EXPECT_EQ(level->mSparkleImage->mUseCount, 2);
    other->mRemove = 1;
    Ticks(1);
    EXPECT_EQ(level->mSparkleImage->mUseCount, 1);
}

TEST_F(LevelScreenTest, RemovalEditingAndTheToneChain)
{
    Level* level = Open("levels/a.xml", Screen("a"));
    level->mToneChain = 5;
    level->mToneChainTimeout = 2;
    Ticks(1);
    EXPECT_EQ(level->mToneChainTimeout, 1);
    EXPECT_EQ(level->mToneChain, 5);
    Ticks(1);
    EXPECT_EQ(level->mToneChainTimeout, 0);
    EXPECT_EQ(level->mToneChain, 0);
    Ticks(1);
    EXPECT_EQ(level->mToneChainTimeout, 0) << "stays at 0";

    // While edited the screen stands still and the editor object ticks.
    AnimObject editor;
    editor.AddStage(1000.0f, 1, 1, 1, nullptr);
    mGame->mEditor = &editor;
    level->mEditorMode = 1;
    const float frames = level->mFrameCounter;
    Ticks(3);
    EXPECT_EQ(level->mFrameCounter, frames);
    EXPECT_EQ(editor.mFrameCounter, 3.0f);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"a"}));
    mGame->mEditor = nullptr;
    Ticks(1);
    EXPECT_EQ(level->mFrameCounter, frames) << "edited without an editor: still";
    level->mEditorMode = 0;

    level->mRemove = 1;
    Ticks(1);
    EXPECT_TRUE(ScreenNames().empty());
}

// ---- Music

struct IntroCase {
    const char* what;
    const char* introTime;
    int startTick;       // tick at which the main song starts
    float mainAtStart;   // its volume set right after the start on that tick (none: -2)
    int endTick;         // tick at which the intro stops
    int introPlays;      // an intro over before the screen's first update never plays
};

TEST_F(LevelScreenTest, TheIntroHandsOverToTheMainSongOnce)
{
    // Timer = intro_time / 4 ticks, less one per tick; the main song starts
    // when the timer reaches 1000 or passes it, then fades in as the intro
    // fades out until the timer ends on 0.
    const IntroCase cases[] = {
        {"whole ticks above 4000 ms", "4004", 1, -2.0f, 1001, 1},
        {"longer intro", "8000", 1000, -2.0f, 2000, 1},
        {"half a tick", "4002", 1, 0.05f, 1001, 1},
        {"shorter than the fade", "2000", 1, 50.1f, 500, 1},
        {"shorter than a tick", "2", 1, 100.0f, 1, 0},
    };
    for (const IntroCase& c : cases) {
        SCOPED_TRACE(c.what);
        NewGame();
        sound.volumes.clear();
        Level* level = Open("levels/song.xml", Screen("song", std::string("intro_music=\"audio\\intro.ogg\" "
                                                                          "main_music=\"audio\\main.ogg\" "
                                                                          "music=\"audio\\music.ogg\" intro_time=\"") +
                                                                  c.introTime + "\""));
        ASSERT_NE(level->mIntroEntry, nullptr);
        EXPECT_EQ(level->mIntroEntry->mLoop, 0);
        EXPECT_EQ(level->mMainEntry->mLoop, 1);
        EXPECT_EQ(level->mMusicEntry->mLoop, 1);
        EXPECT_EQ(level->mMainEntry->mMusic, 1);
        int tick = 0;
        while (Plays("audio\\main.ogg") == 0 && tick < 3000) {
            Ticks(1);
            ++tick;
        }
        EXPECT_EQ(tick, c.startTick);
        const std::vector<float> atStart = Volumes("audio\\main.ogg");
        ASSERT_GE(atStart.size(), 1u);
        EXPECT_EQ(atStart[0], 0.01f);
        if (c.mainAtStart == -2.0f)
            EXPECT_EQ(atStart.size(), 1u);
        else
            EXPECT_NEAR(atStart.back(), c.mainAtStart, 0.001f);
        // The intro played from the first tick; the plain music was not played.
        EXPECT_EQ(Plays("audio\\intro.ogg"), c.introPlays);
        EXPECT_EQ(Plays("audio\\music.ogg"), 0);
        EXPECT_EQ(level->mIntroChannel != 0, c.introPlays == 1);
        EXPECT_EQ(level->mMainChannel, level->mMainEntry->mChannel);

        while (level->mIntroEntry != nullptr && tick < 3000) {
            Ticks(1);
            ++tick;
        }
        EXPECT_EQ(tick, c.endTick);
        EXPECT_EQ(Volumes("audio\\intro.ogg").back(), -1.0f);
        EXPECT_EQ(Volumes("audio\\main.ogg").back(), 100.0f);
        const size_t changes = sound.volumes.size();
        Ticks(50);
        EXPECT_EQ(sound.volumes.size(), changes) << "nothing more once the fade ended";
        EXPECT_EQ(Plays("audio\\main.ogg"), 1);
    }
}

TEST_F(LevelScreenTest, AWholeTickIntroFadesByTheFormula)
{
    Level* level = Open("levels/song.xml",
                        Screen("song", "intro_music=\"audio\\intro.ogg\" main_music=\"audio\\main.ogg\" "
                                       "intro_time=\"4400\""));
    // 1100 ticks: silent hand-over until 1000, the main song starts on tick 100.
    Ticks(100);
    EXPECT_EQ(Plays("audio\\main.ogg"), 1);
    EXPECT_EQ(Volumes("audio\\intro.ogg").size(), 0u);
    Ticks(1); // timer 999
    EXPECT_NEAR(Volumes("audio\\intro.ogg").back(), 99.9f, 1e-4f);
    EXPECT_NEAR(Volumes("audio\\main.ogg").back(), 0.1f, 1e-4f);
    Ticks(749); // timer 250
    EXPECT_EQ(Volumes("audio\\intro.ogg").back(), 25.0f);
    EXPECT_EQ(Volumes("audio\\main.ogg").back(), 75.0f);
    EXPECT_NE(level->mIntroEntry, nullptr);
}

TEST_F(LevelScreenTest, TheWinSongComesInOverTheMainSongWhichStaysAtAFifth)
{
    Level* level = Open("levels/won.xml",
                        Screen("won", "main_music=\"audio\\main.ogg\" win_music=\"audio\\win.ogg\""));
    Ticks(2);
    sound.volumes.clear();
    level->mWinFadeTimer = 82.0f;
    Ticks(1); // 81: nothing yet
    EXPECT_EQ(Plays("audio\\win.ogg"), 0);
    Ticks(1); // 80: the win song starts, silent
    EXPECT_EQ(Plays("audio\\win.ogg"), 1);
    EXPECT_EQ(Volumes("audio\\win.ogg"), (std::vector<float>{0.01f}));
    EXPECT_EQ(Volumes("audio\\main.ogg").size(), 0u);
    Ticks(1); // 79
    EXPECT_EQ(Volumes("audio\\main.ogg").back(), 79.0f * 100.0f / 80.0f);
    EXPECT_EQ(Volumes("audio\\win.ogg").back(), 100.0f - 79.0f * 100.0f / 80.0f);
    Ticks(69); // 10: the main song no lower than 16 ticks' worth
    EXPECT_EQ(Volumes("audio\\main.ogg").back(), 20.0f);
    EXPECT_EQ(Volumes("audio\\win.ogg").back(), 87.5f);
    Ticks(10); // 0
    EXPECT_EQ(Volumes("audio\\main.ogg").back(), 20.0f);
    EXPECT_EQ(Volumes("audio\\win.ogg").back(), 100.0f);
    EXPECT_NE(level->mMainEntry, nullptr) << "the main song goes on under the win song";
    const size_t changes = sound.volumes.size();
    Ticks(20);
    EXPECT_EQ(sound.volumes.size(), changes);
    EXPECT_EQ(Plays("audio\\win.ogg"), 1);
}

TEST_F(LevelScreenTest, NoSongStartsWhileTheEditorIsOpen)
{
    AnimObject editor;
    mGame->mEditor = &editor;
    Level* level = Open("levels/song.xml", Screen("song", "intro_music=\"audio\\intro.ogg\" music=\"m.ogg\""));
    Ticks(3);
    EXPECT_EQ(Plays("audio\\intro.ogg"), 0);
    EXPECT_EQ(level->mIntroChannel, 0);
    mGame->mEditor = nullptr;
}

struct LeavingCase {
    const char* what;
    std::vector<std::string> screens; // bottom first: name and main song, "" for none
    int removed;                      // index of the screen that goes
    bool silenced;                    // its tracks set to 0
    bool freed;                       // its main song let go
};

TEST_F(LevelScreenTest, AScreenLeavingFromUnderAnotherSilencesItsMusic)
{
    const LeavingCase cases[] = {
        {"the next screen has other music", {"theme.ogg", "other.ogg"}, 0, true, true},
        {"the next screen has the same music", {"theme.ogg", "theme.ogg"}, 0, true, false},
        {"a screen between holds it", {"theme.ogg", "theme.ogg", ""}, 0, true, false},
        {"no screen after it holds it", {"theme.ogg", "", ""}, 0, true, true},
        {"the topmost leaves its music alone", {"", "theme.ogg"}, 1, false, false},
    };
    for (const LeavingCase& c : cases) {
        SCOPED_TRACE(c.what);
        NewGame();
        sound.volumes.clear();
        std::vector<Level*> screens;
        for (size_t i = 0; i < c.screens.size(); ++i) {
            const std::string song = c.screens[i].empty() ? "" : "main_music=\"audio\\" + c.screens[i] + "\"";
            screens.push_back(Open("levels/s" + std::to_string(i) + ".xml",
                                   Screen("s" + std::to_string(i), song + " music=\"audio\\loop" +
                                                                       std::to_string(i) + ".ogg\"")));
        }
        Ticks(2);
        sound.volumes.clear();
        screens[size_t(c.removed)]->mRemove = 1;
        Ticks(1);
        EXPECT_EQ(mGame->mLiveObjects.Count(), int(c.screens.size()) - 1);
        const std::string loop = "audio\\loop" + std::to_string(c.removed) + ".ogg";
        if (c.silenced) {
            EXPECT_EQ(Volumes(loop), (std::vector<float>{0.0f}));
            EXPECT_EQ(Volumes("audio\\theme.ogg"), (std::vector<float>{0.0f}));
        } else {
            EXPECT_TRUE(sound.volumes.empty());
        }
        EXPECT_EQ(sound.FindSample("audio\\theme.ogg") == nullptr, c.freed);
    }
}

// ---- Drawing

TEST_F(LevelScreenTest, TheBottomScreenClearsFirstWhenAskedOrTransformed)
{
    struct DrawCase {
        const char* what;
        const char* attributes; // of the bottom screen's stage
        int clearFirst;
        bool onTop;             // the screen lies over another
        bool cleared;
    };
    const DrawCase cases[] = {
        {"plain", "", 0, false, false},
        {"clear-first", "", 1, false, true},
        {"scaled", "<attribute type=\"x_scale\" start=\"0.5\" end=\"0.5\">", 0, false, true},
        {"tall", "<attribute type=\"y_scale\" start=\"2\" end=\"2\">", 0, false, true},
        {"turned", "<attribute type=\"rotation\" start=\"3\" end=\"3\">", 0, false, true},
        {"clear-first over another screen", "", 1, true, false},
    };
    for (const DrawCase& c : cases) {
        SCOPED_TRACE(c.what);
        NewGame();
        if (c.onTop)
            Open("levels/under.xml", Screen("under"));
        Level* level = Open("levels/draw.xml", Screen("draw", "", std::string("\t") + c.attributes + "\n"));
        level->mClearFirst = c.clearFirst;
        Ticks(1);
        const uint32_t corner = PixelAfterFrame(10, 10);
        EXPECT_EQ(corner == 0xFF000000u, c.cleared) << std::hex << corner;
        EXPECT_EQ(corner == 0xFFFFFFFFu, !c.cleared) << std::hex << corner;
    }
}

// ---- Files

TEST_F(LevelScreenTest, ALevelsAttributesSurviveASave)
{
    hooks.mode = 0;
    mFolder.Write("objects/text.xml", "<object type=\"plain\" name=\"caption\">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                      "</object>\n");
    const std::string attributes = "title=\"The Canal\" thumbnail=\"gfx\\thumb.png\" music=\"audio\\a.ogg\" "
                                   "intro_music=\"audio\\b.ogg\" main_music=\"audio\\c.ogg\" "
                                   "win_music=\"audio\\d.ogg\" intro_time=\"4500.5\" "
                                   "win_message=\"Well done\" lose_message=\"Sunk\"";
    Level* level = Open("levels/full.xml", Screen("full", attributes));
    level->mLevelNumber = 12;
    std::string saved;
    level->WriteXml(saved, 0);
    EXPECT_NE(saved.find(" number=\"12\""), std::string::npos) << saved;
    // The caption comes back from the title, so it is not saved with the level.
    EXPECT_EQ(saved.find("caption"), std::string::npos) << saved;

    Level* again = Open("levels/again.xml", saved);
    ASSERT_NE(again, level);
    EXPECT_STREQ(again->mName, "full");
    EXPECT_STREQ(again->mTitle, "The Canal");
    EXPECT_STREQ(again->mThumbnail, "gfx\\thumb.png");
    EXPECT_STREQ(again->mMusicName, "audio\\a.ogg");
    EXPECT_STREQ(again->mIntroName, "audio\\b.ogg");
    EXPECT_STREQ(again->mMainName, "audio\\c.ogg");
    EXPECT_STREQ(again->mWinName, "audio\\d.ogg");
    EXPECT_EQ(again->mIntroTime, 4500.5f);
    EXPECT_EQ(again->mIntroTimer, 4500.5f / 4.0f);
    EXPECT_STREQ(again->mWinMessage, "Well done");
    EXPECT_STREQ(again->mLoseMessage, "Sunk");
    EXPECT_EQ(again->CountChildrenOfKind(0), 1) << "one caption";
    EXPECT_NE(again->FindChildByName("caption"), nullptr);
    // The number comes from the game data index, not from the file.
    EXPECT_EQ(again->mLevelNumber, 0u);
    again->mLevelNumber = 12;
    std::string resaved;
    again->WriteXml(resaved, 0);
    EXPECT_EQ(resaved, saved);

    // A bare screen writes no empty names and no intro time.
    Level* bare = Open("levels/bare.xml", Screen("bare"));
    std::string plain;
    bare->WriteXml(plain, 0);
    EXPECT_EQ(plain.substr(0, plain.find('\n')), "<object type=\"level\" number=\"0\" name=\"bare\" shadow=\"0\">");
}

TEST_F(LevelScreenTest, TheCaptionDependsOnTheScreenAndTheMode)
{
    for (const char* file : {"text", "trickshot_text", "trickymode_text", "bonus_text"}) {
        mFolder.Write(std::string("objects/") + file + ".xml",
                      std::string("<object type=\"plain\" name=\"") + file + "\">\n<stage ms=\"1000\">\n</object>\n");
    }
    struct CaptionCase {
        const char* name;
        int mode;
        const char* caption; // "" for none
    };
    const CaptionCase cases[] = {
        {"trickshot", 3, "trickymode_text"}, {"trickshot", 1, "trickshot_text"}, {"bonus", 3, "bonus_text"},
        {"level07", 0, "text"},              {"win_sequence_2", 0, ""},          {"the_win_sequence", 2, ""},
    };
    for (const CaptionCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " in mode " + std::to_string(c.mode));
        NewGame();
        hooks.mode = c.mode;
        Level* level = Open("levels/titled.xml", Screen(c.name, "title=\"T\""));
        if (c.caption[0] == '\0') {
            EXPECT_TRUE(level->mChildren.IsEmpty());
        } else {
            ASSERT_EQ(level->mChildren.Count(), 1);
            EXPECT_STREQ(level->mChildren.Head()->mName, c.caption);
        }
    }
    // Without a title: no caption at all.
    Level* untitled = Open("levels/untitled.xml", Screen("level08"));
    EXPECT_TRUE(untitled->mChildren.IsEmpty());
}

TEST_F(LevelScreenTest, BadScreenAttributesAreToldAndHarmless)
{
    // A caption that opens a titled screen would load itself without end.
    mFolder.Write("objects/text.xml", Screen("inner", "title=\"again\""));
    Level* outer = Open("levels/outer.xml", Screen("outer", "title=\"once\""));
    ASSERT_NE(outer, nullptr);
    EXPECT_TRUE(Told("loads no caption of its own"));
    EXPECT_EQ(mGame->mLiveObjects.Count(), 2);

    // Intro times that would fade the songs past their ends, and names too
    // long for their fields.
    messages.clear();
    Level* negative = Open("levels/odd.xml", Screen("odd", "intro_time=\"-4000\""));
    EXPECT_EQ(negative->mIntroTime, 0.0f);
    EXPECT_EQ(negative->mIntroTimer, 0.0f);
    EXPECT_TRUE(Told("intro_time \"-4000\" read as 0"));
    for (const char* time : {"nan", "1e999", "-1e999"}) {
        SCOPED_TRACE(time);
        Level* level = Open("levels/odd.xml", Screen("odd", std::string("intro_time=\"") + time + "\""));
        EXPECT_TRUE(std::isfinite(level->mIntroTimer));
        EXPECT_GE(level->mIntroTimer, 0.0f);
    }
    messages.clear();
    const std::string longName(80, 'x');
    Level* level = Open("levels/long.xml", Screen("long", "win_message=\"" + longName + "\" main_music=\"" + longName +
                                                              "\""));
    EXPECT_EQ(std::strlen(level->mWinMessage), 63u);
    EXPECT_EQ(std::strlen(level->mMainName), 63u);
    EXPECT_TRUE(Told("cut to 63 characters"));
    Ticks(10);
}

} // namespace

// ---- The game's own screens

class GameScreensTest : public LevelScreenTest {
protected:
    GameScreensTest()
    {
        const std::string source = __FILE__;
        Plat::GetFileSystem().SetCurrentFolder(source.substr(0, source.rfind("/tests/")) + "/data");
    }
};

TEST_F(GameScreensTest, TheMainMenuAndTheFirstLevelsRunForAFewHundredTicks)
{
    LoadGameData("config.xml");
    ASSERT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));
    Level* menu = Topmost();
    MovePointer(400.0f, 300.0f);
    Ticks(300);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));
    // Its theme: an intro time of 4004 ms starts it on the first tick and
    // brings it up to full volume over 1000 ticks (timer 701 at tick 300).
    EXPECT_EQ(Plays("audio\\menu_theme.xm"), 1);
    EXPECT_EQ(Volumes("audio\\menu_theme.xm").back(), 100.0f - 701.0f * 100.0f / 1000.0f);
    EXPECT_NE(menu->mSparkleImage, nullptr);
    EXPECT_NE(mGame->mEffects, nullptr);

    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode == 0 ? "flood" : "journey");
        hooks.mode = mode;
        InsertLevelByNumber(1);
        Level* level = Topmost();
        ASSERT_NE(level, menu);
        EXPECT_EQ(level->mLevelNumber, 1u);
        EXPECT_STRNE(level->mTitle, "");
        Ticks(300);
        // The level's start closed every screen below it.
        ASSERT_EQ(ScreenNames().size(), 1u);
        EXPECT_EQ(Topmost(), level);
        EXPECT_EQ(mGame->mLevel, level);
        menu = level;
    }
    uint64_t frame = DrawChecksum();
    EXPECT_NE(frame, 0u);
}
