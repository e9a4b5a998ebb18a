// Sliders, checkboxes, the player's name and list, and tooltips on screens
// read from XML, driven by scripted mouse clicks tick by tick.
#include "game/engine/Checkbox.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/Slider.h"
#include "game/engine/Stage.h"
#include "game/engine/TextBlock.h"
#include "game/engine/TextObject.h"
#include "game/engine/UserDataDisplay.h"
#include "game/engine/UserListBox.h"
#include "support/ControlFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the volumes set.
class VolumeSound : public LumoTest::RecordingSoundLayer {
public:
    void SetVolumes(float music, float sound) override
    {
        set.push_back({music, sound});
        if (music >= 0.0f)
            musicVolume = int(music);
        if (sound >= 0.0f)
            soundVolume = int(sound);
    }
    int GetMusicVolume() const override { return musicVolume; }
    int GetSoundVolume() const override { return soundVolume; }

    std::vector<std::pair<float, float>> set;
    int musicVolume = 50;
    int soundVolume = 20;
};

class UiControlsTest : public ControlFixture {
protected:
    UiControlsTest() { mGame->mSound = &volumes; }

    template <typename T>
    T* Find(AnimObject* screen, const char* name)
    {
        return dynamic_cast<T*>(screen->FindChildByName(name));
    }

    // A pixel of the last drawn frame.
    uint32_t Pixel(int x, int y) { return mScreen.GetBits()[y * 800 + x] & 0xFFFFFFu; }

    VolumeSound volumes;
};

std::string SliderScreen(const char* type, float left, float right)
{
    return "<object type=\"slider\" name=\"knob\" image=\"gfx\\knob.png\" slider_type=\"" + std::string(type) +
           "\" left_value=\"" + std::to_string(left) + "\" right_value=\"" + std::to_string(right) +
           "\">\n<stage ms=\"100000\">\n<attribute type=\"y\" start=\"200\" end=\"200\" />\n</object>\n";
}

TEST_F(UiControlsTest, SlidersSetTheVolumesAndTheStartLevel)
{
    struct Case {
        const char* what;
        const char* type;
        float mouseX;
        float wantMusic;
        float wantSound;
        int wantStartLevel;
    };
    // Knob 300 .. 500: the percentage is (x - 300) / 2. The track takes
    // clicks from 280 to 520 (centred on the screen, 40 wider).
    const Case cases[] = {
        {"music at 5 %", "music_volume", 310.0f, 10.0f, -1.0f, 0},
        {"music at 0 %", "music_volume", 290.0f, 0.0f, -1.0f, 0},
        {"music at 45 %", "music_volume", 390.0f, 45.0f, -1.0f, 0},
        {"sound at 100 %", "sound_volume", 510.0f, -1.0f, 100.0f, 0},
        {"start level at 100 %", "start_level", 500.0f, -2.0f, -2.0f, 11},
        {"start level at 50 %", "start_level", 400.0f, -2.0f, -2.0f, 5},
        {"start level at 99 %", "start_level", 498.0f, -2.0f, -2.0f, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewGame();
        UseControlPlatform();
        mGame->mSound = &volumes;
        volumes.set.clear();
        volumes.musicVolume = 50;
        volumes.soundVolume = 20;
        AddScreen("options", 0, SliderScreen(c.type, 300.0f, 500.0f));
        Level* screen = Open("options");
        auto* knob = Find<Slider>(screen, "knob");
        ASSERT_NE(knob, nullptr);
        Tick();
        Press(c.mouseX, 200.0f);
        Release();
        if (c.wantMusic > -2.0f) {
            ASSERT_FALSE(volumes.set.empty());
            EXPECT_EQ(volumes.set.back().first, c.wantMusic);
            EXPECT_EQ(volumes.set.back().second, c.wantSound);
        } else {
            EXPECT_TRUE(volumes.set.empty());
            EXPECT_EQ(mGame->mStartLevel, c.wantStartLevel);
        }
        EXPECT_STREQ(knob->mState, "idle");
    }
}

TEST_F(UiControlsTest, ASliderStartsAtTheSettingAndIsDragged)
{
    AddScreen("options", 0, SliderScreen("sound_volume", 300.0f, 500.0f));
    Level* screen = Open("options");
    auto* knob = Find<Slider>(screen, "knob");
    ASSERT_NE(knob, nullptr);
    // Sound volume 20: a fifth of the way.
    EXPECT_EQ(knob->mLocal[kAttrX], 340.0f);
    Tick();

    // A click outside the track does nothing.
    Click(400.0f, 260.0f);
    EXPECT_EQ(knob->mLocal[kAttrX], 340.0f);
    EXPECT_TRUE(volumes.set.empty());

    // Pressed on the track and dragged while held, even off the track.
    Press(350.0f, 200.0f);
    EXPECT_STREQ(knob->mState, "sliding");
    EXPECT_EQ(knob->mLocal[kAttrX], 350.0f);
    MoveMouse(450.0f, 260.0f);
    Tick();
    EXPECT_EQ(knob->mLocal[kAttrX], 450.0f);
    MoveMouse(900.0f, 260.0f);
    Tick();
    EXPECT_EQ(knob->mLocal[kAttrX], 500.0f);
    Release();
    EXPECT_STREQ(knob->mState, "idle");
    MoveMouse(320.0f, 200.0f);
    Tick();
    EXPECT_EQ(knob->mLocal[kAttrX], 500.0f);
    EXPECT_EQ(volumes.set.back().second, 100.0f);

    std::string out;
    knob->WriteTypeAttributes(out);
    EXPECT_EQ(out, " type=\"slider\" position=\"500\" left_value=\"300\" right_value=\"500\" slider_type=\"sound_volume\"");
}

// A click on a dialog over the options: the slider below, which updates
// first, leaves the press to the dialog's button.
TEST_F(UiControlsTest, ASliderUnderADialogLeavesTheClickToIt)
{
    AddScreen("options", 0, SliderScreen("sound_volume", 300.0f, 500.0f));
    AddScreen("dialog", 0,
              "<object type=\"generic\" name=\"ok\" image=\"gfx\\ok.png\">\n<stage ms=\"100000\">\n"
              "<attribute type=\"x\" start=\"400\" end=\"400\" />\n"
              "<attribute type=\"y\" start=\"300\" end=\"300\" />\n"
              "<event type=\"click\" action=\"kill_all\" />\n</object>\n");
    Open("options");
    Open("dialog");
    MoveMouse(400.0f, 300.0f);
    Tick();
    mGame->mInput.MouseDown(1);
    host().leftButtonDown = true;
    Tick();
    mGame->mInput.MouseUp(1);
    host().leftButtonDown = false;
    Tick();
    EXPECT_TRUE(mGame->mLiveObjects.IsEmpty());
}

TEST_F(UiControlsTest, ASliderWithoutALengthStaysAndAppliesNothing)
{
    for (auto bounds : {std::pair<float, float>{400.0f, 400.0f}, std::pair<float, float>{500.0f, 300.0f}}) {
        NewGame();
        UseControlPlatform();
        mGame->mSound = &volumes;
        volumes.set.clear();
        AddScreen("options", 0,
                  "<object type=\"slider\" name=\"knob\" image=\"gfx\\knob.png\" position=\"150\" slider_type=\"music_volume\""
                  " left_value=\"" + std::to_string(bounds.first) + "\" right_value=\"" + std::to_string(bounds.second) +
                      "\">\n<stage ms=\"100000\">\n<attribute type=\"y\" start=\"200\" end=\"200\" />\n</object>\n");
        auto* knob = Find<Slider>(Open("options"), "knob");
        ASSERT_NE(knob, nullptr);
        Tick();
        Press(420.0f, 200.0f);
        Release();
        EXPECT_EQ(knob->mLocal[kAttrX], 150.0f);
        EXPECT_TRUE(volumes.set.empty());
        float percent = -1.0f;
        EXPECT_FALSE(knob->GetPercent(percent));
    }
}

TEST_F(UiControlsTest, MusicThatPlaysFollowsTheMusicSlider)
{
    AddScreen("options", 0, SliderScreen("music_volume", 300.0f, 500.0f));
    Level* screen = Open("options");
    screen->mMainEntry = volumes.GetSample("audio\\song.ogg", 1, 1);
    Tick();
    volumes.volumes.clear();
    Click(380.0f, 200.0f);
    ASSERT_EQ(volumes.volumes.size(), 1u);
    EXPECT_EQ(volumes.volumes[0].name, "audio\\song.ogg");
    EXPECT_EQ(volumes.volumes[0].percent, 100.0f);
    EXPECT_EQ(volumes.set.back().first, 40.0f);
}

std::string CheckboxScreen(const char* type)
{
    // The tick: an 8 x 8 picture at (100, 100); the label reaches 60 further.
    return "<object type=\"checkbox\" name=\"tick\" image=\"gfx\\tick.png\" right_area=\"60\" check_type=\"" +
           std::string(type) +
           "\">\n<stage ms=\"100000\">\n<attribute type=\"x\" start=\"100\" end=\"100\" />\n"
           "<attribute type=\"y\" start=\"100\" end=\"100\" />\n</object>\n";
}

TEST_F(UiControlsTest, ACheckboxShowsTheSettingAsItStands)
{
    AddScreen("options", 0, CheckboxScreen("fullscreen"));
    auto* tick = Find<Checkbox>(Open("options"), "tick");
    ASSERT_NE(tick, nullptr);
    host().windowed = true;
    Tick();
    EXPECT_EQ(tick->mChecked, 0);
    EXPECT_EQ(tick->mLocal[kAttrAlpha], 0.0f);
    // Switched elsewhere (Alt+Enter): shown on the next tick.
    host().windowed = false;
    Tick();
    EXPECT_EQ(tick->mChecked, 1);
    EXPECT_EQ(tick->mLocal[kAttrAlpha], 1.0f);

    // A click on the label asks for the window.
    Click(150.0f, 100.0f);
    ASSERT_EQ(host().modeSwitches.size(), 1u);
    EXPECT_TRUE(host().modeSwitches[0].first);
    // Beyond the label: nothing.
    Click(170.0f, 100.0f);
    EXPECT_EQ(host().modeSwitches.size(), 1u);
}

TEST_F(UiControlsTest, TheThreeDCheckboxAsksForThreeD)
{
    AddScreen("options", 0, CheckboxScreen("3d"));
    AddScreen("3d_not_supported", 0, "");
    auto* tick = Find<Checkbox>(Open("options"), "tick");
    ASSERT_NE(tick, nullptr);
    Tick();
    Click(101.0f, 100.0f);
    EXPECT_EQ(host().set3D, std::vector<bool>{true});
    // Without 3-D the screen that says why opens instead.
    host().accelerated3D = true;
    Tick();
    EXPECT_EQ(tick->mChecked, 1);
    Click(101.0f, 100.0f);
    EXPECT_EQ(host().set3D, (std::vector<bool>{true, false}));
    host().accelerated3D = false;
    host().supported3D = false;
    Tick();
    Click(101.0f, 100.0f);
    EXPECT_EQ(host().set3D.size(), 2u);
    EXPECT_EQ(ScreenNames().back(), "3d_not_supported");
}

TEST_F(UiControlsTest, TheInstructionsCheckboxKeepsItsWordInThePlayerFile)
{
    mGame->mProfiles.CreateDefaults();
    mGame->mProfiles.SetCurrent(4);
    AddScreen("options", 0, CheckboxScreen("instructions"));
    auto* tick = Find<Checkbox>(Open("options"), "tick");
    ASSERT_NE(tick, nullptr);
    Tick();
    Click(101.0f, 100.0f);
    EXPECT_EQ(tick->mChecked, 1);
    std::vector<uint8_t> bytes(PlayerProfiles::kFileSize);
    mGame->mProfiles.Write(bytes.data());
    EXPECT_EQ(bytes[4 + 4 * 4728 + 0x50], 1);
    Click(101.0f, 100.0f);
    EXPECT_EQ(tick->mChecked, 0);
    EXPECT_EQ(mGame->mProfiles.Current().mInstructions, 0);
}

TEST_F(UiControlsTest, ACheckboxUnderAnotherScreenIsNotHot)
{
    AddScreen("options", 0, CheckboxScreen("instructions"));
    AddScreen("dialog", 0, "");
    Level* options = Open("options");
    auto* tick = Find<Checkbox>(options, "tick");
    Tick();
    MoveMouse(100.0f, 100.0f);
    Tick();
    EXPECT_EQ(tick->mHot, 1);
    ASSERT_EQ(volumes.plays.size(), 1u);
    EXPECT_EQ(volumes.plays[0].name, "audio\\hot.ogg");
    EXPECT_GE(volumes.plays[0].frequency, 40100);
    EXPECT_LT(volumes.plays[0].frequency, 48100);
    Tick();
    EXPECT_EQ(volumes.plays.size(), 1u); // once per hover
    Open("dialog");
    mGame->mLevel = options;
    EXPECT_EQ(tick->UpdateHover(), 0);
}

TEST_F(UiControlsTest, ThePlayerListShowsNamedPlayersAndPicksOne)
{
    mGame->mProfiles.CreateDefaults();
    mGame->mProfiles.mProfiles[0].SetName("Ann");
    mGame->mProfiles.mProfiles[2].SetName("Ben");
    mGame->mProfiles.mProfiles[5].SetName("Cy");
    mGame->mProfiles.SetCurrent(2);
    host().sizes["gfx\\list.png"] = {100, 10};
    // At (400, 100): row i is centred at 100 + 100 + (i - 6) x 9 (the "M"
    // is 4 wide): 146, 155 and 164.
    AddScreen("players", 0,
              "<object type=\"user_list_box\" name=\"list\" image=\"gfx\\list.png\" font=\"gfx\\font.png\">\n"
              "<stage ms=\"100000\">\n<attribute type=\"x\" start=\"400\" end=\"400\" />\n"
              "<attribute type=\"y\" start=\"100\" end=\"100\" />\n</object>\n");
    auto* list = Find<UserListBox>(Open("players"), "list");
    ASSERT_NE(list, nullptr);
    Tick();
    EXPECT_EQ(list->RowY(0), 46.0f);

    DrawChecksum();
    // The highlight: the current player's row only.
    EXPECT_NE(Pixel(360, 155), 0u);
    EXPECT_EQ(Pixel(360, 146), 0u);
    EXPECT_EQ(Pixel(360, 164), 0u);
    // Names on the three rows, none on a fourth.
    for (int y : {146, 155, 164})
        EXPECT_EQ(Pixel(400, y), 0xFFFFFFu) << y;
    EXPECT_EQ(Pixel(400, 173), 0u);

    Click(400.0f, 164.0f);
    EXPECT_EQ(mGame->mProfiles.mCurrent, 5);
    Click(400.0f, 146.0f);
    EXPECT_EQ(mGame->mProfiles.mCurrent, 0);
    // Between the rows' reach (a quarter of the image each side): nothing.
    Click(440.0f, 155.0f);
    EXPECT_EQ(mGame->mProfiles.mCurrent, 0);
}

TEST_F(UiControlsTest, APlayerListWithoutItsFontShowsAndTakesNothing)
{
    mGame->mProfiles.CreateDefaults();
    mGame->mProfiles.mProfiles[0].SetName("Ann");
    mGame->mProfiles.mProfiles[1].SetName("Ben");
    host().sizes["gfx\\list.png"] = {100, 10};
    AddScreen("players", 0,
              "<object type=\"user_list_box\" name=\"list\" image=\"gfx\\list.png\" font=\"gfx\\missing.png\">\n"
              "<stage ms=\"100000\">\n<attribute type=\"x\" start=\"400\" end=\"400\" />\n</object>\n");
    ASSERT_NE(Find<UserListBox>(Open("players"), "list"), nullptr);
    Tick();
    DrawChecksum();
    Click(400.0f, -54.0f + 9.0f);
    EXPECT_EQ(mGame->mProfiles.mCurrent, 0);
}

TEST_F(UiControlsTest, TheNameDisplayDrawsTheCurrentPlayer)
{
    mGame->mProfiles.CreateDefaults();
    mGame->mProfiles.mProfiles[0].SetName("Abcdef");
    AddScreen("menu", 0,
              "<object type=\"user_data_display\" name=\"name\" display_type=\"current_user_name\" font=\"gfx\\font.png\">\n"
              "<stage ms=\"100000\">\n<attribute type=\"x\" start=\"300\" end=\"300\" />\n"
              "<attribute type=\"y\" start=\"50\" end=\"50\" />\n</object>\n"
              "<object type=\"user_data_display\" name=\"other\" display_type=\"score\" font=\"gfx\\font.png\">\n"
              "<stage ms=\"100000\">\n<attribute type=\"x\" start=\"300\" end=\"300\" />\n"
              "<attribute type=\"y\" start=\"150\" end=\"150\" />\n</object>\n");
    Open("menu");
    Tick();
    DrawChecksum();
    // Six glyphs of 4 from x 300: the last ends at 324.
    EXPECT_EQ(Pixel(301, 50), 0xFFFFFFu);
    EXPECT_EQ(Pixel(322, 50), 0xFFFFFFu);
    EXPECT_EQ(Pixel(330, 50), 0u);
    for (int x = 290; x < 340; ++x)
        EXPECT_EQ(Pixel(x, 150), 0u) << x;
}

TEST(TextBlockWrapTest, LinesBreakAtBlanksCaretsAndLongWords)
{
    struct Case {
        const char* what;
        const char* text;
        int width;
        std::vector<std::string> want;
    };
    const std::string longLine(200, 'w');
    const Case cases[] = {
        {"at the last blank that fits", "the quick brown fox", 10, {"the quick", "brown fox"}},
        {"a caret ends the line and is not shown", "ab^cd ef gh", 10, {"ab", "cd ef gh"}},
        {"a caret ends it whatever blanks follow", "one^two three four", 20, {"one", "two three four"}},
        {"a word longer than a line is split", "abcdefghij xy", 4, {"abcd", "efgh", "ij", "xy"}},
        {"a width below 1 is 127", "short text", 0, {"short text"}},
        {"empty", "", 10, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TextBlock::WrapLines(c.text, c.width), c.want);
    }
    // Width 200: lines still hold at most 127 characters.
    const auto lines = TextBlock::WrapLines(longLine.c_str(), 200);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 127u);
    EXPECT_EQ(lines[1].size(), 73u);
}

TEST_F(UiControlsTest, ATooltipLaysOutItsLinesAndFadesWithItsParentsHover)
{
    AddScreen("menu", 0,
              "<object type=\"generic\" name=\"button\" image=\"gfx\\button.png\">\n<stage ms=\"100000\">\n"
              "<attribute type=\"x\" start=\"200\" end=\"200\" />\n<attribute type=\"y\" start=\"200\" end=\"200\" />\n"
              "<object type=\"tooltip\" name=\"tip\" text=\"Plays the^next level\" font=\"gfx\\font.png\" line_width=\"12\""
              " justification=\"left\">\n<stage ms=\"100000\">\n"
              "</object>\n</object>\n");
    Level* screen = Open("menu");
    AnimObject* button = screen->FindChildByName("button");
    ASSERT_NE(button, nullptr);
    auto* tip = dynamic_cast<TextBlock*>(button->FindChildByName("tip"));
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->mKind, 15);
    std::vector<std::string> lines;
    std::vector<float> ys;
    Tick();
    for (AnimObject* child = tip->mChildren.Head(); child != nullptr; child = child->mNext) {
        auto* text = dynamic_cast<TextObject*>(child);
        ASSERT_NE(text, nullptr);
        lines.push_back(text->GetText());
        ys.push_back(child->mChildren.Head() != nullptr ? child->mChildren.Head()->mWorld[kAttrY] : -1.0f);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"Plays the", "next level"}));
    // One line under the other by the letters' height, 10.
    ASSERT_EQ(ys.size(), 2u);
    EXPECT_EQ(ys[1] - ys[0], 10.0f);

    // Away from the button: fades out and hides.
    MoveMouse(600.0f, 500.0f);
    for (int i = 0; i < 120; ++i)
        Tick();
    EXPECT_EQ(tip->mVisible, 0);
    // Over it: back in, growing by a tenth a tick up to 1.
    MoveMouse(200.0f, 200.0f);
    Tick();
    EXPECT_EQ(tip->mVisible, 1);
    for (int i = 0; i < 60; ++i)
        Tick();
    EXPECT_EQ(tip->mLocal[kAttrAlpha], 1.0f);

    std::string out;
    tip->WriteTypeAttributes(out);
    EXPECT_EQ(out, " type=\"tooltip\" text=\"Plays the^next level\" font=\"gfx\\font.png\" line_width=\"12\"");
}

} // namespace
