// The modal prompt's view: its layout in dialog units of the font, how it
// answers keys, characters, clicks and the wheel, and what it draws. The
// fake font advances 6 pixels a character in a 16-pixel cell, so a
// horizontal dialog unit is 6 / 4 pixels and a vertical one 16 / 8.
#include "platform/window/PromptView.h"

#include "platform/text/TextRenderer.h"
#include "platform/window/WindowMessage.h"
#include "support/FakeTextRenderer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Plat::PromptRequest;
using Plat::PromptView;

class PromptViewTest : public ::testing::Test {
protected:
    PromptViewTest() : mFont(mText.CreateTextFont({"Tahoma", -11})) {}

    std::unique_ptr<PromptView> Edit(const std::string& text, size_t maxLength = 500)
    {
        PromptRequest request;
        request.kind = PromptRequest::Kind::EditLine;
        request.text = text;
        request.maxLength = maxLength;
        return std::make_unique<PromptView>(request, *mFont);
    }

    std::unique_ptr<PromptView> Pick(int count)
    {
        PromptRequest request;
        for (int i = 0; i < count; ++i)
            request.lines.push_back("line " + std::to_string(i));
        return std::make_unique<PromptView>(request, *mFont);
    }

    static void Click(PromptView& view, const Plat::ScreenRect& rect, int clicks = 1)
    {
        view.MouseDown(rect.left + 2, rect.top + 2, clicks);
        view.MouseUp(rect.left + 2, rect.top + 2);
    }

    LumoTest::FakeTextRenderer mText;
    std::unique_ptr<Plat::TextFont> mFont;
};

TEST_F(PromptViewTest, TheLayoutIsInDialogUnitsOfTheFont)
{
    // 200 x 200 units; the list 10 pixels in from every side.
    const auto pick = Pick(3);
    EXPECT_EQ(pick->Width(), 300);
    EXPECT_EQ(pick->Height(), 400);
    EXPECT_EQ(pick->LineRect(0), (Plat::ScreenRect{11, 11, 289, 27}));
    EXPECT_EQ(pick->LineRect(2), (Plat::ScreenRect{11, 43, 289, 59}));

    // 200 x 50 units: the edit at (5, 5) 190 x 15, the buttons at (30, 25)
    // and (100, 25), 60 x 15.
    const auto edit = Edit("");
    EXPECT_EQ(edit->Width(), 300);
    EXPECT_EQ(edit->Height(), 100);
    EXPECT_EQ(edit->EditRect(), (Plat::ScreenRect{7, 10, 292, 40}));
    EXPECT_EQ(edit->OkRect(), (Plat::ScreenRect{45, 50, 135, 80}));
    EXPECT_EQ(edit->CancelRect(), (Plat::ScreenRect{150, 50, 240, 80}));
}

TEST_F(PromptViewTest, TheEditLineAnswers)
{
    using Plat::kVkBack;
    struct Case {
        const char* name;
        std::string start;
        std::function<void(PromptView&)> input;
        bool accepted;
        std::string text;
    };
    const Case cases[] = {
        {"Enter keeps the text it started with", "1:30", [](PromptView& v) { v.KeyDown(Plat::kVkReturn); }, true,
         "1:30"},
        {"typing replaces the selected text", "1:30",
         [](PromptView& v) {
             v.Character('4');
             v.Character('5');
             v.KeyDown(Plat::kVkReturn);
         },
         true, "45"},
        {"Backspace clears the selection, then erases one", "1:30",
         [](PromptView& v) {
             v.KeyDown(kVkBack);
             v.Character('1');
             v.Character('2');
             v.KeyDown(kVkBack);
             v.KeyDown(Plat::kVkReturn);
         },
         true, "1"},
        {"a click in the line keeps the text and types after it", "1:",
         [](PromptView& v) {
             Click(v, v.EditRect());
             v.Character('3');
             v.Character('\r'); // control characters are keys, not text
             v.Character(0x7F);
             Click(v, v.OkRect());
         },
         true, "1:3"},
        {"Escape cancels", "9", [](PromptView& v) { v.KeyDown(Plat::kVkEscape); }, false, ""},
        {"the Cancel button cancels", "9", [](PromptView& v) { Click(v, v.CancelRect()); }, false, ""},
        {"the close box cancels", "9", [](PromptView& v) { v.Close(); }, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto view = Edit(c.start);
        EXPECT_FALSE(view->IsDone());
        c.input(*view);
        ASSERT_TRUE(view->IsDone());
        EXPECT_EQ(view->Answer().accepted, c.accepted);
        EXPECT_EQ(view->Answer().text, c.text);
        view->KeyDown(Plat::kVkReturn); // answered once: later input changes nothing
        EXPECT_EQ(view->Answer().accepted, c.accepted);
    }
}

TEST_F(PromptViewTest, AButtonActsOnlyWhenReleasedOverIt)
{
    const auto view = Edit("5");
    const Plat::ScreenRect ok = view->OkRect();
    view->MouseDown(ok.left + 2, ok.top + 2, 1);
    view->MouseUp(ok.right + 40, ok.top + 2); // dragged off
    EXPECT_FALSE(view->IsDone());
    view->MouseDown(view->CancelRect().left + 1, view->CancelRect().top + 1, 1);
    view->MouseUp(ok.left + 2, ok.top + 2); // pressed on Cancel, released on OK
    EXPECT_FALSE(view->IsDone());
}

TEST_F(PromptViewTest, TheEditLineTakesNoMoreThanItsLength)
{
    const auto view = Edit("123456", 4); // a longer start is cut too
    EXPECT_EQ(view->Text(), "1234");
    view->KeyDown(Plat::kVkEnd);
    view->Character('5');
    EXPECT_EQ(view->Text(), "1234");
}

TEST_F(PromptViewTest, TheListPicksByDoubleClickOrEnter)
{
    // A single click only selects; a double click picks.
    auto view = Pick(5);
    Click(*view, view->LineRect(3));
    EXPECT_EQ(view->Selected(), 3);
    EXPECT_FALSE(view->IsDone());
    Click(*view, view->LineRect(2), 2);
    ASSERT_TRUE(view->IsDone());
    EXPECT_TRUE(view->Answer().accepted);
    EXPECT_EQ(view->Answer().line, 2);

    // Enter picks only once something is selected; a click below the last
    // line selects nothing.
    view = Pick(2);
    view->MouseDown(20, view->Height() - 20, 2);
    view->KeyDown(Plat::kVkReturn);
    EXPECT_FALSE(view->IsDone());
    view->KeyDown(Plat::kVkDown);
    view->KeyDown(Plat::kVkDown);
    view->KeyDown(Plat::kVkDown); // stays on the last line
    view->KeyDown(Plat::kVkReturn);
    EXPECT_EQ(view->Answer().line, 1);

    // An empty list only closes.
    view = Pick(0);
    view->KeyDown(Plat::kVkDown);
    view->KeyDown(Plat::kVkReturn);
    EXPECT_FALSE(view->IsDone());
    view->KeyDown(Plat::kVkEscape);
    EXPECT_TRUE(view->IsDone());
    EXPECT_FALSE(view->Answer().accepted);
}

TEST_F(PromptViewTest, ALongListScrollsAndClicksLandOnTheLineShown)
{
    // (400 - 20 - 2) / 16: 23 lines in sight.
    const auto view = Pick(40);
    EXPECT_EQ(view->LineRect(23), Plat::ScreenRect{});
    view->KeyDown(Plat::kVkEnd);
    EXPECT_EQ(view->TopLine(), 17);
    view->MouseWheel(2); // six lines back up
    EXPECT_EQ(view->TopLine(), 11);
    view->MouseWheel(-10); // no further than the last page
    EXPECT_EQ(view->TopLine(), 17);
    view->KeyDown(Plat::kVkHome);
    EXPECT_EQ(view->TopLine(), 0);
    view->KeyDown(Plat::kVkNext);
    EXPECT_EQ(view->Selected(), 23);
    EXPECT_EQ(view->TopLine(), 1);
    // The first row on screen is line 1 now.
    view->MouseDown(20, view->LineRect(1).top + 3, 2);
    EXPECT_EQ(view->Answer().line, 1);
}

TEST_F(PromptViewTest, TheListDrawsTheLinesInSightAndMarksTheSelection)
{
    const auto view = Pick(30);
    view->KeyDown(Plat::kVkEnd); // line 29 selected, lines 7 to 29 in sight
    std::vector<uint32_t> pixels(static_cast<size_t>(view->Width()) * view->Height(), 0x123456);
    view->Draw(pixels.data(), view->Width());
    ASSERT_EQ(mText.mDrawCalls.size(), 23u);
    EXPECT_EQ(mText.mDrawCalls.front().text, "line 7");
    EXPECT_EQ(mText.mDrawCalls.back().text, "line 29");
    EXPECT_EQ(mText.mDrawCalls.back().rgb, 0xFFFFFFu);
    EXPECT_EQ(mText.mDrawCalls.front().rgb, 0u);
    const auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * view->Width() + x] & 0xFFFFFF; };
    EXPECT_EQ(at(2, 2), 0xF0F0F0u);                              // the face
    EXPECT_EQ(at(10, 10), 0x7A7A7Au);                            // the list's border
    const Plat::ScreenRect last = view->LineRect(29);
    EXPECT_EQ(at(last.right - 2, last.top + 1), 0x0078D7u); // the selected line, past its text
    EXPECT_EQ(at(last.right - 2, last.top - 1), 0xFFFFFFu); // the line above it
}

} // namespace
