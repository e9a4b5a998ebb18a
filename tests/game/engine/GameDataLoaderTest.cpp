// The game data index: level records and their numbers, the loading
// percentages, files that cannot be read, indexes that end early, and a
// whole data folder that opens its main menu whose button opens level 1.
#include "game/engine/GameDataLoader.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/ObjectLoader.h"
#include "support/GameDataFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RecordView {
    std::string name;
    int number;
    bool operator==(const RecordView&) const = default;
};

std::ostream& operator<<(std::ostream& out, const RecordView& view)
{
    return out << view.name << "#" << view.number;
}

std::vector<RecordView> Records(const ObjectList<LevelRecord>& list)
{
    std::vector<RecordView> views;
    for (const LevelRecord* record = list.Head(); record != nullptr; record = record->mNext)
        views.push_back({record->mName, record->mNumber});
    return views;
}

class GameDataLoaderTest : public GameDataFixture {
protected:
    void WriteScreen(const std::string& file, const std::string& name, const std::string& extra = "")
    {
        mFolder.Write(file, "<object type=\"level\" name=\"" + name + "\"" + extra + ">\n" +
                                "<stage name=\"idle\" ms=\"100000\">\n</object>\n");
    }
};

TEST_F(GameDataLoaderTest, LevelRecordsAreNumberedPerList)
{
    WriteScreen("levels/menu.xml", "main_menu");
    WriteScreen("levels/g1.xml", "g1", " title=\"First\"");
    WriteScreen("levels/g2.xml", "g2");
    WriteScreen("levels/plain.xml", "plain");
    WriteScreen("levels/r1.xml", "r1");
    WriteScreen("levels/t0.xml", "t0");
    WriteScreen("levels/t1.xml", "t1");
    mFolder.Write("config.xml", "<game>\n"
                                "<level_file_game name=\"levels\\g1.xml\">\n"
                                "<level_file_game name=\"levels\\g2.xml\">\n"
                                "<level_file_relaxed name=\"levels\\r1.xml\">\n"
                                "<level_file name=\"levels\\plain.xml\">\n"
                                "<level_file_game name=\"levels\\g1.xml\">\n"
                                "<level_file_trick name=\"levels\\t0.xml\">\n"
                                "<level_file_trick name=\"levels\\t1.xml\">\n"
                                "<level_file name=\"levels\\menu.xml\">\n"
                                "</game>\n");
    LoadGameData("config.xml");
    // A plain screen numbers 0, and the next game level counts on from it.
    EXPECT_EQ(Records(mGame->mMainLevels), (std::vector<RecordView>{
                                               {"g1", 1}, {"g2", 2}, {"plain", 0}, {"g1", 1}, {"main_menu", 0}}));
    EXPECT_EQ(Records(mGame->mRelaxedLevels), (std::vector<RecordView>{{"r1", 1}}));
    EXPECT_EQ(Records(mGame->mTrickLevels), (std::vector<RecordView>{{"t0", 0}, {"t1", 1}}));
    EXPECT_STREQ(mGame->mMainLevels.Head()->mTitle, "First");
    EXPECT_STREQ(mGame->mMainLevels.Head()->mNext->mTitle, "") << "no title";
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(GameDataLoaderTest, TheLoadingPercentStaysBetween2And99)
{
    const std::pair<const char*, int> cases[] = {{"-5", 2}, {"0", 2}, {"1", 2}, {"50", 50}, {"100", 99},
                                                 {"150", 99}, {"99999999999", 99}};
    for (const auto& [percent, state] : cases) {
        mFolder.Write("config.xml", std::string("<game><loading percent=\"") + percent + "\"></game>");
        LoadGameData("config.xml");
        EXPECT_EQ(mGame->GetLoadingState(), state) << percent;
    }
}

TEST_F(GameDataLoaderTest, TheIndexFeedsTheCachesAndTheGame)
{
    mFolder.Write("data.xml", "<game>\n"
                              "<global base_scroll_speed=\"0.02\">\n"
                              "<image name=\"gfx\\button.png\" frame_width=\"4\" frame_height=\"8\" num_frames=\"2\">\n"
                              "<sound name=\"audio\\click.ogg\" loop=\"1\">\n"
                              "</game>\n"
                              "<global after=\"the end\">\n");
    // An index named .eco is read as .xml.
    LoadGameData("data.eco");
    EXPECT_EQ(hooks.tuningElements, 1);
    ImageRecord* button = mGame->mImageCache.Get("gfx\\button.png");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->mFrameCount, 2);
    ASSERT_NE(sound.FindSample("audio\\click.ogg"), nullptr);
    EXPECT_EQ(sound.FindSample("audio\\click.ogg")->mLoop, 1);
    EXPECT_EQ(messages, (std::vector<std::string>{"data.xml: no screen named \"main_menu\" to open"}));
}

TEST_F(GameDataLoaderTest, ProblemsAreToldAndNumbersKept)
{
    WriteScreen("menu.xml", "main_menu");
    WriteScreen("two.xml", "two");
    // No "/game": the index ends with its text.
    mFolder.Write("config.xml", "<game>\n"
                                "<level_file_game name=\"missing.xml\">\n"
                                "<level_file_game name=\"two.xml\">\n"
                                "<level_file name=\"menu.xml\">");
    LoadGameData("config.xml");
    EXPECT_EQ(Records(mGame->mMainLevels), (std::vector<RecordView>{{"", 1}, {"two", 2}, {"main_menu", 0}}));
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "config.xml:2: level file \"missing.xml\" cannot be read; level 1 has no screen"}));
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));

    // Level 1 has no screen to open: nothing opens.
    InsertLevelByNumber(1);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));

    messages.clear();
    NewGame();
    LoadGameData("absent.xml");
    EXPECT_EQ(messages, (std::vector<std::string>{"absent.xml: the game data index cannot be read",
                                                  "absent.xml: no screen named \"main_menu\" to open"}));
    EXPECT_TRUE(mGame->mLiveObjects.IsEmpty());
}

TEST_F(GameDataLoaderTest, QuittingStopsTheIndexAndOpensNothing)
{
    WriteScreen("menu.xml", "main_menu");
    mFolder.Write("config.xml", "<game><level_file name=\"menu.xml\"></game>");
    mGame->SetQuitting();
    LoadGameData("config.xml");
    EXPECT_TRUE(mGame->mMainLevels.IsEmpty());
    EXPECT_TRUE(mGame->mLiveObjects.IsEmpty());
}

// The data folder of a tiny game: a main menu whose button opens level 1.
class TinyGameTest : public GameDataLoaderTest {
protected:
    TinyGameTest()
    {
        mFolder.Write("config.xml", "<game>\n"
                                    "<loading percent=\"10\">\n"
                                    "<image name=\"gfx\\button.png\">\n"
                                    "<sound name=\"audio\\click.ogg\" loop=\"0\">\n"
                                    "<level_file name=\"levels\\main_menu.xml\">\n"
                                    "<level_file_game name=\"levels\\level1.xml\">\n"
                                    "<loading percent=\"100\">\n"
                                    "</game>\n");
        mFolder.Write("levels/main_menu.xml",
                      "<object type=\"level\" name=\"main_menu\">\n"
                      "\t<stage name=\"idle\" ms=\"100000\">\n"
                      "\t<object type=\"button\" name=\"play\" image=\"gfx\\button.png\">\n"
                      "\t\t<stage name=\"wobble\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                      "\t\t\t<attribute type=\"x\" start=\"400\" end=\"400\">\n"
                      "\t\t\t<attribute type=\"y\" start=\"300\" end=\"300\">\n"
                      "\t\t\t<filter type=\"sined\" attribute=\"rotation\" amplitude=\"10\" period=\"1\">\n"
                      "\t\t\t<event type=\"click\" action=\"insert_level\" parm1=\"1\">\n"
                      "\t</object>\n"
                      "</object>\n");
        // A titled level shows its caption.
        mFolder.Write("objects/text.xml", "<object name=\"caption\">\n<stage ms=\"1000\">\n</object>\n");
        mFolder.Write("levels/level1.xml", "<object type=\"level\" name=\"level1\" title=\"One\">\n"
                                           "\t<stage name=\"play\" ms=\"2000\">\n"
                                           "\t<attribute type=\"alpha\" start=\"0\" end=\"1\">\n"
                                           "\t<object type=\"piece\" name=\"piece\" image=\"gfx\\piece.png\">\n"
                                           "\t\t<stage ms=\"2000\">\n"
                                           "\t\t\t<attribute type=\"x\" start=\"100\" end=\"700\">\n"
                                           "\t\t\t<attribute type=\"y\" start=\"100\" end=\"500\">\n"
                                           "\t</object>\n"
                                           "</object>\n");
    }

    // Loads the game, clicks the button after 30 ticks and checksums a frame every 25 ticks.
    std::vector<uint64_t> Play()
    {
        LoadGameData("config.xml");
        std::vector<uint64_t> frames;
        for (int tick = 1; tick <= 400; ++tick) {
            MovePointer(400.0f, 300.0f, tick == 30);
            Ticks(1);
            if (tick % 25 == 0)
                frames.push_back(DrawChecksum());
        }
        return frames;
    }
};

TEST_F(TinyGameTest, TheMainMenuOpensAndItsButtonOpensLevel1)
{
    LoadGameData("config.xml");
    EXPECT_EQ(mGame->GetLoadingState(), 99);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));
    Ticks(5);
    MovePointer(400.0f, 300.0f, true);
    Ticks(1);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu", "level1"}));
    EXPECT_EQ(Topmost()->mLevelNumber, 1u);
    EXPECT_EQ(Plays("audio\\click.ogg"), 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(TinyGameTest, TwoRunsGiveTheSameFrames)
{
    mGame->mRandom.SeedRandom(1234);
    const std::vector<uint64_t> first = Play();
    NewGame();
    mGame->mRandom.SeedRandom(1234);
    const std::vector<uint64_t> second = Play();
    EXPECT_EQ(first, second);
    // The frames show something and change as the level plays.
    ASSERT_EQ(first.size(), 16u);
    EXPECT_NE(first[0], first[15]);
    EXPECT_NE(first[10], first[11]);
}

} // namespace
