// Input boxes typed through the key queue: characters, Shift, the capital
// first letter, Backspace, ignored codes, the width and length limits and
// Enter; the editor's prompts and what their commits write; boxes of
// screens while the editor is open.
#include "game/engine/InputBox.h"

#include "game/engine/PlayerProfiles.h"
#include "game/engine/Stage.h"
#include "support/ControlFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kShift = 16;

class InputBoxTest : public ControlFixture {
protected:
    // A box of a screen read from XML, on the topmost screen.
    InputBox* OpenNameScreen(int width = 100)
    {
        AddScreen("name_screen", 0,
                  "<object type=\"input_box\" name=\"box\" font=\"gfx\\font.png\" width=\"" + std::to_string(width) +
                      "\" height=\"16\">\n<stage ms=\"100000\">\n</object>\n");
        Level* screen = Open("name_screen");
        return dynamic_cast<InputBox*>(screen->FindChildOfKind(InputBox::kKind));
    }

    // Types the codes; a negative code is typed with Shift held.
    void Type(const std::vector<int>& codes)
    {
        for (int code : codes) {
            if (code < 0) {
                mGame->mInput.KeyDown(kShift);
                Tick();
                Key(-code);
                mGame->mInput.KeyUp(kShift);
            } else {
                Key(code);
            }
        }
    }
};

TEST_F(InputBoxTest, TypingTurnsKeyCodesIntoText)
{
    struct Case {
        const char* what;
        int width;
        std::vector<int> codes;
        const char* want;
    };
    const std::vector<int> thirtyAs(30, 'A');
    const Case cases[] = {
        {"first letter a capital", 100, {'H', 'E', 'L', 'L', 'O'}, "Hello"},
        {"later letters follow Shift", 100, {'A', -'B', 'C'}, "ABc"},
        {"shifted digits and punctuation", 100, {-'1', -190, 190, 189, -189, 192, -192}, "!>.-_`~"},
        {"Backspace on an empty box", 100, {8, 8, 'A'}, "A"},
        {"Backspace removes the last", 100, {'A', 'B', 8}, "A"},
        {"mouse and arrow codes ignored", 100, {1, 2, 38, 39, 40, 'A'}, "A"},
        {"code 34 types a grave accent", 100, {'A', 34}, "A`"},
        {"Enter ignored outside the editor", 100, {'A', 13, 'B'}, "Ab"},
        {"other codes ignored", 100, {112, 27, 46, 'A'}, "A"},
        {"a character without a glyph is dropped", 100, {219, 'A', 221}, "A"},
        // 2 x 10 - 4 = 16 pixels: three 4-pixel glyphs fit, a fourth does not.
        {"the box's width", 10, {'A', 'B', 'C', 'D', 'E'}, "Abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewGame();
        UseControlPlatform();
        InputBox* box = OpenNameScreen(c.width);
        ASSERT_NE(box, nullptr);
        Type(c.codes);
        EXPECT_STREQ(box->mText, c.want);
        // Still there: only a commit removes a box.
        EXPECT_EQ(Topmost()->FindChildOfKind(InputBox::kKind), box);
    }
}

TEST_F(InputBoxTest, TextStopsAt255Characters)
{
    InputBox* box = OpenNameScreen(100000);
    ASSERT_NE(box, nullptr);
    Type(std::vector<int>(300, 'A'));
    EXPECT_EQ(std::string(box->mText), "A" + std::string(254, 'a'));
}

TEST_F(InputBoxTest, KeysPressedBeforeTheBoxCameAreNotTyped)
{
    mGame->mInput.KeyDown('X');
    mGame->mInput.KeyUp('X');
    InputBox* box = OpenNameScreen();
    ASSERT_NE(box, nullptr);
    Type({'A'});
    EXPECT_STREQ(box->mText, "A");
}

TEST_F(InputBoxTest, InitialTextAndCaptionFromXml)
{
    AddScreen("named", 0,
              "<object type=\"input_box\" initial_text=\"PLAY_KEY\" caption=\"none\" no_lines=\"1\" box_offset=\"3\">\n"
              "<stage ms=\"100000\">\n</object>\n");
    auto* box = dynamic_cast<InputBox*>(Open("named")->FindChildOfKind(InputBox::kKind));
    ASSERT_NE(box, nullptr);
    // The text key's result, in the box's own text.
    EXPECT_STREQ(box->mText, "main_play");
    EXPECT_EQ(box->mTarget, box->mText);
    EXPECT_STREQ(box->mCaption, "");
    EXPECT_STREQ(box->mFont, "gfx\\sysfont.png");
    EXPECT_EQ(box->mWidth, 100);
    EXPECT_EQ(box->mHeight, 16);
    EXPECT_EQ(box->mNoLines, 1);
    EXPECT_EQ(box->mBoxOffset, 3);
    // Not empty: no capital.
    Type({8, 'X'});
    EXPECT_STREQ(box->mText, "main_plax");

    std::string out;
    box->WriteTypeAttributes(out);
    EXPECT_EQ(out, " type=\"input_box\" no_lines=\"1\" box_offset=\"3\"");
}

TEST_F(InputBoxTest, ALevelNumberBoxOpensTheLevelOnEnter)
{
    AddScreen("level_three", 3, "");
    AddScreen("pick", 0, "");
    Level* screen = Open("pick");
    mGame->mProfiles.CreateDefaults();
    mGame->mProfiles.Current().mMode = 0;
    auto* box = new InputBox(nullptr, InputBox::kLevelNumber, nullptr, 0, 0, 0, "gfx\\font.png", 100, 16);
    screen->AddChild(box);
    box->AddStage(100000.0f, 0, 0, 1, nullptr);
    Type({'3', 13});
    EXPECT_EQ(mGame->mProfiles.Current().mProgress[0], 2);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"pick", "level_three"}));
    EXPECT_EQ(screen->FindChildOfKind(InputBox::kKind), nullptr);
}

TEST_F(InputBoxTest, DrawsItsFrameTextAndCaretUnlessItsScreenZooms)
{
    AddScreen("boxes", 0,
              "<object type=\"input_box\" name=\"box\" font=\"gfx\\font.png\" width=\"100\" height=\"16\">\n"
              "<stage ms=\"100000\">\n<attribute type=\"x\" start=\"400\" end=\"400\" />\n"
              "<attribute type=\"y\" start=\"300\" end=\"300\" />\n</object>\n");
    Level* screen = Open("boxes");
    Type({'A', 'B'});
    auto pixel = [this](int x, int y) { return mScreen.GetBits()[y * 800 + x] & 0xFFFFFFu; };

    // The frame runs from (298, 284) to (502, 314), outlined white at half
    // alpha; the text starts 98 left of the box, centred one below it.
    screen->mFrameCounter = 50.0f;
    DrawChecksum();
    EXPECT_NEAR(int(pixel(298, 300) & 0xFF), 0x7F, 1);
    EXPECT_NEAR(int(pixel(400, 284) & 0xFF), 0x7F, 1);
    EXPECT_EQ(pixel(296, 300), 0u);
    EXPECT_EQ(pixel(303, 301), 0xFFFFFFu);
    EXPECT_EQ(pixel(308, 301), 0xFFFFFFu);
    EXPECT_EQ(pixel(313, 301), 0u); // no caret
    screen->mFrameCounter = 150.0f;
    DrawChecksum();
    EXPECT_EQ(pixel(313, 301), 0xFFFFFFu); // the caret's glyph

    screen->mWorld[kAttrXScale] = 1.5f;
    DrawChecksum();
    EXPECT_EQ(pixel(298, 300), 0u);
    EXPECT_EQ(pixel(303, 301), 0u);
}

class EditorPromptTest : public InputBoxTest {
protected:
    EditorPromptTest()
    {
        AddScreen("edited", 0, "");
        screen = Open("edited");
        editor = new AnimObject;
        screen->AddChild(editor);
        editor->AddStage(100000.0f, 0, 0, 1, nullptr);
        mGame->mEditor = editor;
        selected = new AnimObject;
        screen->AddChild(selected);
        selected->AddStage(100000.0f, 0, 0, 1, "one");
        selected->AddStage(100000.0f, 0, 0, 1, "two");
    }

    InputBox* Prompt(int kind, void* target, size_t size = 0, int followX = 0)
    {
        return new InputBox("Value", kind, target, size, followX, 0, nullptr, 0, 0, selected);
    }

    Level* screen = nullptr;
    AnimObject* editor = nullptr;
    AnimObject* selected = nullptr;
};

TEST_F(EditorPromptTest, CommitsWriteTheTargetByValueKind)
{
    float number = 0.0f;
    InputBox* box = Prompt(InputBox::kNumber, &number);
    EXPECT_EQ(box->mParent, editor);
    EXPECT_EQ(box->mTargetObject, selected);
    EXPECT_EQ(box->mLocal[kAttrX], 400.0f);
    EXPECT_EQ(box->mLocal[kAttrY], 300.0f);
    Type({'1', '2', 190, '5', 13});
    EXPECT_EQ(number, 12.5f);
    EXPECT_EQ(editor->FindChildOfKind(InputBox::kKind), nullptr);

    float ticks = 0.0f;
    Prompt(InputBox::kDuration, &ticks);
    Type({'1', '0', '0', '2', 13});
    EXPECT_EQ(ticks, 250.5f);

    int whole = 0;
    Prompt(InputBox::kInteger, &whole);
    Type({'7', '7'});
    // The editor's click commits too.
    Click(10.0f, 10.0f);
    EXPECT_EQ(whole, 77);

    char name[8] = "old";
    InputBox* textBox = Prompt(InputBox::kText, name, sizeof(name));
    EXPECT_STREQ(textBox->mText, "old");
    Type(std::vector<int>(12, 'A'));
    Key(13);
    EXPECT_STREQ(name, "oldaaaa"); // cut to the target's size
}

TEST_F(EditorPromptTest, AColourGoesIntoTheSelectedObjectAndEveryStage)
{
    Prompt(InputBox::kColour, nullptr);
    Type({'F', 'F', '8', '0', '0', '0', 13});
    EXPECT_EQ(selected->mLocal[kAttrR], 1.0f);
    EXPECT_NEAR(selected->mLocal[kAttrG], 128.0f / 255.0f, 1e-6);
    EXPECT_EQ(selected->mLocal[kAttrB], 0.0f);
    for (Stage* stage = selected->mStages.Head(); stage != nullptr; stage = stage->mNext) {
        EXPECT_NE(stage->mMask & (1u << kAttrR), 0u);
        EXPECT_NE(stage->mMask & (1u << kAttrB), 0u);
        EXPECT_NEAR(stage->mEnd[kAttrG], 128.0f / 255.0f, 1e-6);
        EXPECT_EQ(stage->mStart[kAttrR], 1.0f);
    }

    // Not six digits: nothing changes.
    Prompt(InputBox::kColour, nullptr);
    Type({'0', '0', 'F', 'F', 13});
    EXPECT_EQ(selected->mLocal[kAttrR], 1.0f);
    EXPECT_EQ(selected->mStages.Head()->mEnd[kAttrB], 0.0f);
}

TEST_F(EditorPromptTest, ANumberPromptFollowsTheMouseInTheTargetsParent)
{
    float x = 0.0f;
    selected->mLocal[kAttrX] = 30.0f;
    selected->mWorld[kAttrX] = 130.0f; // its parent lies 100 to the right
    InputBox* box = Prompt(InputBox::kNumber, &x, 0, 1);
    MoveMouse(250.0f, 40.0f);
    Tick();
    EXPECT_STREQ(box->mText, "150");
}

TEST_F(EditorPromptTest, AScreensBoxStaysInItsScreenWhileTheEditorIsOpen)
{
    AddScreen("with_box", 0, "<object type=\"input_box\" name=\"box\">\n<stage ms=\"100000\">\n</object>\n");
    Level* other = Open("with_box");
    auto* box = dynamic_cast<InputBox*>(other->FindChildOfKind(InputBox::kKind));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->mParent, other);
    EXPECT_EQ(editor->FindChildOfKind(InputBox::kKind), nullptr);
    EXPECT_EQ(editor->mChildren.Count(), 0);
    // Closing the screen frees the box once (the sanitizers watch).
    mGame->mLiveObjects.Remove(other);
    EXPECT_EQ(editor->mChildren.Count(), 0);
}

TEST_F(EditorPromptTest, JoiningTheEditorKeepsItsChildCursor)
{
    auto* first = new AnimObject;
    auto* second = new AnimObject;
    editor->AddChild(first);
    editor->AddChild(second);
    editor->mChildren.Last();
    ASSERT_EQ(editor->mChildren.Current(), second);
    Prompt(InputBox::kNumber, nullptr);
    EXPECT_EQ(editor->mChildren.Count(), 3);
    EXPECT_EQ(editor->mChildren.Current(), second);
}

} // namespace
