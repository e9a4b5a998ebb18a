// The framework dialog: its buttons by mode and their row, the preferred
// height, dragging with its clamps, buttons reported to the listener, the
// button colours and the font setters.
#include "framework/widgets/Dialog.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetManager.h"
#include "support/FakeTextRenderer.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Lumo::Color;
using Lumo::Dialog;
using Lumo::TRect;

namespace {

class LogDialogListener : public Lumo::DialogListener {
public:
    void DialogButtonPress(int dialogId, int buttonId) override
    {
        log.push_back("Press " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    void DialogButtonDepress(int dialogId, int buttonId) override
    {
        log.push_back("Depress " + std::to_string(dialogId) + " " + std::to_string(buttonId));
    }
    std::vector<std::string> log;
};

class DialogTest : public ::testing::Test {
protected:
    DialogTest() : mManager(&mApp)
    {
        mManager.SetMouseRemap(TRect<int>(0, 0, 800, 600), TRect<int>(0, 0, 800, 600));
        mManager.width = 800;
        mManager.height = 600;
    }

    LumoTest::FakeTextRenderer mText;
    TestApp mApp;
    Lumo::WidgetManager mManager;
};

TEST_F(DialogTest, ButtonModesMakeTheirButtons)
{
    struct Case {
        int mode;
        const char* yes; // null: no button
        const char* no;
    };
    const Case cases[] = {
        {0, nullptr, nullptr}, {1, "YES", "NO"}, {2, "OK", "CANCEL"}, {3, "Close", nullptr}, {7, nullptr, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Dialog dialog(nullptr, nullptr, 5, false, "Head", "Body", "Close", c.mode);
        ASSERT_EQ(dialog.yesButton != nullptr, c.yes != nullptr);
        ASSERT_EQ(dialog.noButton != nullptr, c.no != nullptr);
        if (c.yes != nullptr) {
            EXPECT_EQ(dialog.yesButton->label, c.yes);
            EXPECT_EQ(dialog.yesButton->id, Dialog::ID_YES);
        }
        if (c.no != nullptr) {
            EXPECT_EQ(dialog.noButton->label, c.no);
            EXPECT_EQ(dialog.noButton->id, Dialog::ID_NO);
        }
    }
}

TEST_F(DialogTest, ButtonRowSitsOnTheBottomInsetInManagerCoordinates)
{
    Dialog two(nullptr, nullptr, 1, false, "", "", "", 2);
    two.Resize(100, 50, 400, 200);
    // (400 - 48 side insets - 8 spacing) / 2 = 172 wide; y = 50 + 200 - 24 - 24
    EXPECT_EQ(two.yesButton->GetRect(), TRect<int>(124, 202, 172, 24));
    EXPECT_EQ(two.noButton->GetRect(), TRect<int>(304, 202, 172, 24));  // 124 + 172 + 8

    Dialog one(nullptr, nullptr, 1, false, "", "", "Go", 3);
    one.backgroundInsets = {5, 0, 5, 10};
    one.Resize(0, 0, 300, 100);
    EXPECT_EQ(one.yesButton->GetRect(), TRect<int>(29, 42, 242, 24)); // 300 - 58; 100 - 10 - 24 - 24
}

TEST_F(DialogTest, PreferredHeightAddsTheParts)
{
    Dialog dialog(nullptr, nullptr, 1, false, "Header", "", "Go", 3);
    const int height = dialog.GetPreferredHeight(400);
    ASSERT_NE(dialog.headerFont, nullptr);
    // Vertical insets 0 + 0 + 24 + 24, header height - ascent padding, 8 + 8 + button row 24.
    EXPECT_EQ(height, 48 + dialog.headerFont->GetHeight() - dialog.headerFont->GetAscentPadding() + 8 + 8 + 24);
}

TEST_F(DialogTest, DraggingIsClampedToTheManagerAndNeedsASingleClick)
{
    Dialog dialog(nullptr, nullptr, 1, false, "H", "", "", 0);
    dialog.Resize(100, 100, 200, 100);
    mManager.AddWidget(&dialog);

    dialog.MouseDown(50, 50, 0, 2); // a double click does not grab
    EXPECT_FALSE(dialog.dragging);
    dialog.MouseDown(50, 50, 0, 1);
    EXPECT_TRUE(dialog.dragging);
    EXPECT_EQ(mApp.cursorKind, 2);

    dialog.MouseDrag(-1000, 50);
    EXPECT_EQ(dialog.x, -8);
    EXPECT_EQ(dialog.y, 100);
    EXPECT_EQ(dialog.dragX, 8); // the grab point keeps 8 pixels off the edge
    dialog.MouseDrag(5000, 50);
    EXPECT_EQ(dialog.x, 800 - 200 + 8);
    dialog.MouseDrag(50, -3000);
    EXPECT_EQ(dialog.y, -8);
    dialog.MouseDrag(50, 3000);
    EXPECT_EQ(dialog.y, 600 - 100 + 8);

    dialog.MouseUp(0, 0, 0, 1);
    EXPECT_FALSE(dialog.dragging);
    EXPECT_EQ(mApp.cursorKind, 0);
    mManager.RemoveWidget(&dialog);
}

TEST_F(DialogTest, ATinyDialogKeepsItsGrabPointInside)
{
    Dialog dialog(nullptr, nullptr, 1, false, "", "", "", 0);
    dialog.Resize(100, 100, 10, 10);
    mManager.AddWidget(&dialog);
    dialog.MouseDown(2, 2, 0, 1);
    dialog.MouseDrag(3, 3);
    EXPECT_GE(dialog.dragX, 0);
    EXPECT_LT(dialog.dragX, 10);
    EXPECT_GE(dialog.dragY, 0);
    EXPECT_LT(dialog.dragY, 10);
    mManager.RemoveWidget(&dialog);
}

TEST_F(DialogTest, AReleaseOffTheButtonSendsOnlyThePress)
{
    LogDialogListener listener;
    Dialog dialog(nullptr, nullptr, 9, false, "", "", "", 2);
    dialog.dialogListener = &listener;
    dialog.Resize(100, 100, 400, 200);
    mManager.AddWidget(&dialog);
    ASSERT_EQ(dialog.yesButton->manager, &mManager); // the buttons sit beside it

    const TRect<int> yes = dialog.yesButton->GetRect();
    mManager.MouseMove(yes.mX + 5, yes.mY + 5);
    mManager.MouseDown(yes.mX + 5, yes.mY + 5, 1);
    mManager.MouseMove(10, 10);
    mManager.MouseUp(10, 10, 1);
    EXPECT_EQ(listener.log, (std::vector<std::string>{"Press 9 1000"}));
    EXPECT_EQ(dialog.result, Dialog::kNoResult);

    const TRect<int> no = dialog.noButton->GetRect();
    mManager.MouseMove(no.mX + 5, no.mY + 5);
    mManager.MouseDown(no.mX + 5, no.mY + 5, 1);
    mManager.MouseUp(no.mX + 5, no.mY + 5, 1);
    EXPECT_EQ(listener.log, (std::vector<std::string>{"Press 9 1000", "Press 9 1001", "Depress 9 1001"}));
    EXPECT_EQ(dialog.result, Dialog::ID_NO);

    mManager.RemoveWidget(&dialog);
    EXPECT_EQ(dialog.yesButton->manager, nullptr);
    EXPECT_EQ(dialog.noButton->manager, nullptr);
}

TEST_F(DialogTest, ButtonLabelColoursPassToBothButtonsAndStayPerDialog)
{
    Lumo::MemoryImage buttonImage(&mApp);
    buttonImage.Create(30, 20);

    // No button image: plain light buttons get black labels, in this dialog only.
    Dialog plain(nullptr, nullptr, 1, false, "", "", "", 1);
    EXPECT_EQ(plain.GetColor(Dialog::COLOR_BUTTON_TEXT), Color(0, 0, 0));
    EXPECT_EQ(plain.yesButton->GetColor(0), Color(0, 0, 0));
    Dialog imaged(nullptr, &buttonImage, 2, false, "", "", "", 1);
    EXPECT_EQ(imaged.GetColor(Dialog::COLOR_BUTTON_TEXT), Color(255, 255, 255));
    EXPECT_EQ(imaged.noButton->GetColor(1), Color(255, 255, 255));
    EXPECT_EQ(imaged.buttonHeight, 20);

    imaged.SetColor(Dialog::COLOR_BUTTON_TEXT_HILITE, Color(1, 2, 3));
    EXPECT_EQ(imaged.yesButton->GetColor(1), Color(1, 2, 3));
    EXPECT_EQ(imaged.noButton->GetColor(1), Color(1, 2, 3));
    EXPECT_EQ(imaged.yesButton->GetColor(0), Color(255, 255, 255));
}

TEST_F(DialogTest, FontSettersCopyTheirOwnFontAndTakeNullAsDefault)
{
    Dialog dialog(nullptr, nullptr, 1, false, "H", "Body", "", 2);
    dialog.GetPreferredHeight(300); // makes the default fonts
    ASSERT_NE(dialog.headerFont, nullptr);
    dialog.SetHeaderFont(dialog.headerFont);
    dialog.SetLinesFont(dialog.linesFont);
    ASSERT_NE(dialog.headerFont, nullptr);
    EXPECT_GT(dialog.headerFont->GetHeight(), 0);
    dialog.SetHeaderFont(nullptr);
    dialog.SetButtonFont(nullptr);
    EXPECT_EQ(dialog.headerFont, nullptr);
    EXPECT_GT(dialog.GetPreferredHeight(300), 0); // the default font again
    EXPECT_NE(dialog.headerFont, nullptr);
}

} // namespace
