// The committed data's main menu, built through the game data index and the
// object loader from the real data folder: its fonts load, every text of the
// menu becomes a text object, and each one's letters show on the screen
// where the menu's layout puts them; a caption under the mouse plays the
// hover sound.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/GameDataLoader.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Platform.h"
#include "game/engine/TextBlock.h"
#include "game/engine/TextObject.h"
#include "platform/files/FileSystem.h"
#include "support/CommittedDataFixture.h"
#include "support/EngineDrawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

class MainMenuTextTest : public LumoTest::CommittedDataFixture {
protected:
    void SetUp() override
    {
        CommittedDataFixture::SetUp();
        MakeGame();
    }

    std::vector<uint32_t> DrawScreen()
    {
        uint32_t* bits = mScreen.GetBits();
        std::fill(bits, bits + 800 * 600, 0xFF000000u);
        mScreen.BitsChanged();
        DrawLiveObjects(*mGame);
        bits = mScreen.GetBits();
        return std::vector<uint32_t>(bits, bits + 800 * 600);
    }

    static void CollectTexts(AnimObject* object, std::vector<TextObject*>& texts)
    {
        for (AnimObject* child = object->mChildren.Head(); child != nullptr; child = child->mNext) {
            // A tooltip's lines show only while the mouse is over its button.
            if (dynamic_cast<TextBlock*>(child) != nullptr)
                continue;
            if (auto* text = dynamic_cast<TextObject*>(child))
                texts.push_back(text);
            CollectTexts(child, texts);
        }
    }
};

TEST_F(MainMenuTextTest, EveryTextOfTheMainMenuShowsWhereTheLayoutPutsIt)
{
    LoadGameData("config.xml");
    for (const char* font : {"gfx\\font1.png", "gfx\\font1_small.png", "gfx\\font2.png", "gfx\\sysfont.png"})
        EXPECT_NE(mGame->mFonts.Find(font), nullptr) << font;
    InsertLevelByName("main_menu");
    AnimObject* menu = mGame->Topmost();
    ASSERT_NE(menu, nullptr);
    ASSERT_STREQ(menu->mName, "main_menu");
    // Past the 400 ms fade-in.
    for (int i = 0; i < 150; ++i)
        UpdateLiveObjects(*mGame);
    for (const std::string& message : mMessages) {
        EXPECT_EQ(message.find("not loaded"), std::string::npos) << message;
        EXPECT_EQ(message.find("cannot be"), std::string::npos) << message;
    }

    // Where the menu's layout puts each text on the 800 x 600 screen: the
    // middle of centred texts, the left end of a left-justified one, and
    // the line the letters sit across.
    struct Expected {
        bool leftJustified;
        int x;
        int y;
    };
    const std::map<std::string, Expected> layout = {
        {"WELCOME,", {true, 26, 122}}, {"JOURNEY", {false, 400, 172}},  {"FLOOD", {false, 400, 250}},
        {"TRICKSHOT", {false, 400, 328}}, {"SURVIVAL", {false, 400, 406}}, {"PLAYERS", {false, 88, 549}},
        {"HONOR ROLL", {false, 244, 549}}, {"OPTIONS", {false, 400, 549}}, {"HELP", {false, 556, 549}},
        {"QUIT", {false, 712, 549}},
    };
    std::vector<TextObject*> texts;
    CollectTexts(menu, texts);
    std::vector<std::string> found;
    for (TextObject* text : texts)
        found.push_back(text->GetText());
    std::vector<std::string> wanted;
    for (const auto& [string, where] : layout)
        wanted.push_back(string);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, wanted);

    const std::vector<uint32_t> shown = DrawScreen();
    for (TextObject* text : texts) {
        SCOPED_TRACE(text->GetText());
        ASSERT_NE(text->GetFont(), nullptr);
        int characters = 0;
        for (AnimObject* child = text->mChildren.Head(); child != nullptr; child = child->mNext)
            characters += child->mImage == text->mImage ? 1 : 0;
        EXPECT_EQ(characters, text->GetLength());
        // The pixels that the text changes: the screen drawn without it.
        text->mVisible = 0;
        const std::vector<uint32_t> without = DrawScreen();
        text->mVisible = 1;
        const LumoTest::ScreenBox box = LumoTest::BoxWhere(
            800, 600, [&](int x, int y) { return shown[size_t(y * 800 + x)] != without[size_t(y * 800 + x)]; });
        ASSERT_FALSE(box.Empty());
        const auto where = layout.find(text->GetText());
        ASSERT_NE(where, layout.end());
        const Expected& expected = where->second;
        if (expected.leftJustified)
            EXPECT_NEAR(box.left, expected.x, 2);
        else
            EXPECT_NEAR((box.left + box.right) / 2.0, expected.x, 2.0);
        EXPECT_LE(box.top, expected.y);
        EXPECT_GE(box.bottom, expected.y);
        // No taller than one row of the strip at the text's scale.
        const float rowHeight = text->mChildren.Head()->mSource[3] - text->mChildren.Head()->mSource[1] + 1.0f;
        EXPECT_LE(box.bottom - box.top + 1, int(rowHeight * text->mChildren.Head()->mWorld[kAttrYScale]) + 2);
    }

    // The mouse on JOURNEY: that caption is hot and the hover sound plays
    // once, however often the hover is asked; its neighbour stays cold.
    auto* screen = dynamic_cast<Level*>(menu);
    ASSERT_NE(screen, nullptr);
    screen->mMouseX = 400.0f;
    screen->mMouseY = 172.0f;
    mSound.plays.clear();
    for (TextObject* text : texts) {
        const bool journey = text->GetText() == "JOURNEY";
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(text->UpdateHover(), journey ? 1 : 0) << text->GetText();
    }
    ASSERT_EQ(mSound.plays.size(), 1u);
    EXPECT_EQ(mSound.plays[0].name, "audio\\hot.ogg");
    EXPECT_GE(mSound.plays[0].frequency, 40100);
    EXPECT_LT(mSound.plays[0].frequency, 48100);
}

TEST_F(MainMenuTextTest, EveryTextOfEveryScreenHasItsFontAndAGlyphForEachCharacter)
{
    LoadGameData("config.xml");
    int screens = 0;
    int texts = 0;
    for (const LevelRecord* record = mGame->mMainLevels.Head(); record != nullptr; record = record->mNext) {
        SCOPED_TRACE(record->mFileName);
        InsertLevelRecord(*record);
        AnimObject* screen = mGame->Topmost();
        ASSERT_NE(screen, nullptr);
        ++screens;
        std::vector<TextObject*> found;
        CollectTexts(screen, found);
        // The level caption that titled levels load.
        if (record == mGame->mMainLevels.Head()) {
            AnimObject* caption = LoadObjectFromFile("objects\\text.xml", screen);
            ASSERT_NE(caption, nullptr);
            CollectTexts(caption, found);
        }
        for (TextObject* text : found) {
            SCOPED_TRACE(text->GetText());
            ++texts;
            ASSERT_NE(text->GetFont(), nullptr) << text->GetFontName();
            for (unsigned char c : text->GetText()) {
                const GlyphBox& box = text->GetFont()->Glyph(c);
                EXPECT_GT(box.mX1 - box.mX0, 0.0f) << "no glyph for '" << c << "'";
            }
        }
        mGame->mLiveObjects.RemoveAll();
    }
    EXPECT_GE(screens, 15);
    EXPECT_GE(texts, 100);
}

} // namespace
