// The widget manager's routing: hit testing, hover, capture of the pressed
// widget, click counts, keys and the key-state table, window focus, modal
// blocking and focus restore, mouse remapping, and the frame draw with
// deferred overlays.
#include "framework/widgets/WidgetManager.h"

#include "framework/display/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetFlags.h"
#include "support/RecordingWidget.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Lumo::FlagsMod;
using Lumo::TRect;
using Lumo::Widget;
using Lumo::WidgetManager;
using LumoTest::RecordingWidget;

namespace {

using Log = std::vector<std::string>;

const int kTab = 9;
const int kControl = 17;

class WidgetManagerTest : public ::testing::Test {
protected:
    WidgetManagerTest()
        : mManager(nullptr),
          mA("A", &mLog, 10, 10, 50, 50),
          mB("B", &mLog, 100, 10, 50, 50)
    {
        mManager.SetMouseRemap(TRect<int>(0, 0, 200, 200), TRect<int>(0, 0, 200, 200));
        mManager.AddWidget(&mA);
        mManager.AddWidget(&mB);
        mLog.clear();
    }

    Log mLog;
    WidgetManager mManager;
    RecordingWidget mA;
    RecordingWidget mB;
};

// ---- Hit testing

enum class Setup { None, Child, AHidden, ANotMouseVisible, AInset, ADisabled, ANoMouseFlag, Overlap };

struct HitCase {
    const char* title;
    Setup setup;
    int x, y;
    const char* expected; // null: nothing
    int localX, localY;
};

const HitCase kHitCases[] = {
    {"inside A", Setup::None, 20, 30, "A", 10, 20},
    {"right edge is outside", Setup::None, 60, 30, nullptr, 0, 0},
    {"last column is inside", Setup::None, 59, 59, "A", 49, 49},
    {"child lies on top of its parent", Setup::Child, 16, 16, "C", 1, 1},
    {"parent around the child", Setup::Child, 40, 40, "A", 30, 30},
    {"hidden: neither it nor its child", Setup::AHidden, 16, 16, nullptr, 0, 0},
    {"not mouse-visible: its child still", Setup::ANotMouseVisible, 16, 16, "C", 1, 1},
    {"not mouse-visible: not itself", Setup::ANotMouseVisible, 40, 40, nullptr, 0, 0},
    {"inset shrinks the hit area", Setup::AInset, 12, 30, nullptr, 0, 0},
    {"inside the inset", Setup::AInset, 15, 30, "A", 5, 20},
    {"disabled", Setup::ADisabled, 20, 30, nullptr, 0, 0},
    {"mouse flag removed for the subtree", Setup::ANoMouseFlag, 16, 16, nullptr, 0, 0},
    {"later sibling on top", Setup::Overlap, 55, 30, "O", 5, 20},
};

TEST_F(WidgetManagerTest, GetWidgetAtFindsTheTopmostEnabledWidget)
{
    for (const HitCase& c : kHitCases) {
        SCOPED_TRACE(c.title);
        WidgetManager manager(nullptr);
        Log log;
        RecordingWidget a("A", &log, 10, 10, 50, 50);
        RecordingWidget child("C", &log, 5, 5, 10, 10);
        RecordingWidget overlap("O", &log, 50, 10, 50, 50);
        manager.AddWidget(&a);
        switch (c.setup) {
        case Setup::None: break;
        case Setup::Child: a.AddWidget(&child); break;
        case Setup::AHidden: a.AddWidget(&child); a.visible = false; break;
        case Setup::ANotMouseVisible: a.AddWidget(&child); a.mouseVisible = false; break;
        case Setup::AInset: a.insetLeft = 5; break;
        case Setup::ADisabled: a.disabled = true; break;
        case Setup::ANoMouseFlag: a.AddWidget(&child); a.widgetFlagsRemove = Lumo::WIDGETFLAGS_ALLOW_MOUSE; break;
        case Setup::Overlap: manager.AddWidget(&overlap); break;
        }
        int localX = -99;
        int localY = -99;
        Widget* hit = manager.GetWidgetAt(c.x, c.y, &localX, &localY);
        if (c.expected == nullptr) {
            EXPECT_EQ(hit, nullptr);
        } else {
            ASSERT_NE(hit, nullptr);
            EXPECT_EQ(static_cast<RecordingWidget*>(hit)->name, c.expected);
            EXPECT_EQ(localX, c.localX);
            EXPECT_EQ(localY, c.localY);
        }
    }
}

// ---- Hover and capture

TEST_F(WidgetManagerTest, HoverEntersMovesAndLeaves)
{
    mManager.MouseMove(20, 20);
    mManager.MouseMove(20, 20); // same place: nothing
    mManager.MouseMove(21, 20);
    mManager.MouseMove(110, 20);
    mManager.MouseMove(180, 180);
    mManager.MouseMove(110, 20);
    mManager.MouseExit(110, 20);
    EXPECT_EQ(mLog, (Log{"A.MouseEnter", "A.MouseMove(10,10)", "A.MouseMove(11,10)", "A.MouseLeave", "B.MouseEnter",
                         "B.MouseMove(10,10)", "B.MouseLeave", "B.MouseEnter", "B.MouseMove(10,10)", "B.MouseLeave"}));
    EXPECT_FALSE(mManager.mouseIn);
    EXPECT_EQ(mManager.overWidget, nullptr);
    EXPECT_FALSE(mB.isOver);
}

TEST_F(WidgetManagerTest, PressOnADragToBReleaseOnB)
{
    mManager.MouseMove(20, 20);
    mManager.MouseDown(20, 20, 1);
    EXPECT_TRUE(mA.isDown);
    mManager.MouseMove(110, 20);
    mManager.MouseMove(120, 20);
    EXPECT_EQ(mManager.overWidget, nullptr);
    mManager.MouseUp(120, 20, 1);
    EXPECT_EQ(mLog, (Log{"A.MouseEnter", "A.MouseMove(10,10)", "A.MouseDown(10,10,0,1)",
                         // A keeps the mouse: drags in its own coordinates, no entering B.
                         "A.MouseDrag(100,10)", "A.MouseLeave", "A.MouseDrag(110,10)",
                         // The release goes to A (in its parent's coordinates minus its position), then B is entered.
                         "A.MouseUp(110,10,0,1)", "B.MouseEnter", "B.MouseMove(20,10)"}));
    EXPECT_FALSE(mA.isDown);
    EXPECT_EQ(mManager.lastDownWidget, nullptr);
    EXPECT_EQ(mManager.overWidget, &mB);
    EXPECT_EQ(mManager.downButtons, 0u);
}

TEST_F(WidgetManagerTest, DraggingBackOntoThePressedWidgetEntersItAgain)
{
    mManager.MouseMove(20, 20);
    mManager.MouseDown(20, 20, 1);
    mManager.MouseMove(110, 20);
    mLog.clear();
    mManager.MouseMove(30, 20);
    mManager.MouseMove(31, 20);
    EXPECT_EQ(mLog, (Log{"A.MouseDrag(20,10)", "A.MouseEnter", "A.MouseDrag(21,10)"}));
    EXPECT_EQ(mManager.overWidget, &mA);
}

TEST_F(WidgetManagerTest, ASecondButtonGoesToTheHeldWidget)
{
    mManager.MouseMove(20, 20);
    mManager.MouseDown(20, 20, 1);
    mManager.MouseMove(110, 20);
    mLog.clear();
    mManager.MouseDown(110, 20, -1);
    ASSERT_EQ(mLog.size(), 1u);
    EXPECT_EQ(mLog[0].rfind("A.MouseDown(", 0), 0u);
    EXPECT_NE(mLog[0].find(",1,1)"), std::string::npos);
    EXPECT_EQ(mManager.downButtons, 3u);

    // One button still held: A keeps the mouse and B is not entered.
    mLog.clear();
    mManager.MouseUp(110, 20, 1);
    EXPECT_EQ(mLog, (Log{"A.MouseUp(100,10,0,1)"}));
    EXPECT_EQ(mManager.lastDownWidget, &mA);
    mLog.clear();
    mManager.MouseUp(110, 20, -1);
    EXPECT_EQ(mLog, (Log{"A.MouseUp(100,10,1,1)", "B.MouseEnter", "B.MouseMove(10,10)"}));
}

struct CountCase {
    int clickCount;
    uint32_t bit;
    int buttonId;
    const char* down;
    const char* up;
};

const CountCase kCountCases[] = {
    {1, 1, 1, "A.MouseDown(10,10,0,1)", "A.MouseUp(10,10,0,1)"},
    {2, 1, 1, "A.MouseDown(10,10,0,2)", "A.MouseUp(10,10,0,2)"},
    {-1, 2, -1, "A.MouseDown(10,10,1,1)", "A.MouseUp(10,10,1,1)"},
    {-2, 2, -1, "A.MouseDown(10,10,1,2)", "A.MouseUp(10,10,1,2)"},
    {3, 4, 2, "A.MouseDown(10,10,2,1)", "A.MouseUp(10,10,2,1)"},
};

TEST_F(WidgetManagerTest, ClickCountsPickTheButton)
{
    for (const CountCase& c : kCountCases) {
        SCOPED_TRACE(c.clickCount);
        mManager.MouseMove(20, 20);
        mLog.clear();
        mManager.MouseDown(20, 20, c.clickCount);
        EXPECT_EQ(mManager.downButtons, c.bit);
        EXPECT_EQ(mManager.actualDownButtons, c.bit);
        EXPECT_EQ(mManager.lastDownButtonId, c.buttonId);
        EXPECT_EQ(mManager.IsLeftButtonDown(), c.bit == 1);
        mManager.MouseUp(20, 20, c.clickCount);
        EXPECT_EQ(mLog, (Log{c.down, c.up}));
        EXPECT_EQ(mManager.actualDownButtons, 0u);
    }
}

TEST_F(WidgetManagerTest, PressOnNothingCapturesNothing)
{
    mManager.MouseDown(180, 180, 1);
    mManager.MouseMove(20, 20);
    EXPECT_TRUE(mLog.empty()); // a drag with no widget to drag
    mManager.MouseUp(20, 20, 1);
    EXPECT_EQ(mLog, (Log{"A.MouseEnter", "A.MouseMove(10,10)"}));
    EXPECT_EQ(mManager.downButtons, 0u);
}

TEST_F(WidgetManagerTest, DoMouseUpsReleasesEveryHeldButton)
{
    mManager.MouseMove(20, 20);
    mManager.MouseDown(20, 20, 1);
    mManager.MouseDown(20, 20, 3);
    mLog.clear();
    mManager.DoMouseUps();
    // Positions: last mouse position minus the widget's own position.
    EXPECT_EQ(mLog, (Log{"A.MouseUp(10,10,0,1)", "A.MouseUp(10,10,2,1)"}));
    EXPECT_EQ(mManager.lastDownWidget, nullptr);
    EXPECT_EQ(mManager.downButtons, 0u);
    EXPECT_FALSE(mA.isDown);
    mManager.DoMouseUps(); // nothing held: nothing happens
    EXPECT_EQ(mLog.size(), 2u);
}

TEST_F(WidgetManagerTest, AWidgetThatGoesAwayLosesOverDownAndFocus)
{
    mA.wantsFocus = true;
    mManager.MouseMove(20, 20);
    mManager.MouseDown(20, 20, 1);
    EXPECT_EQ(mManager.focusWidget, &mA);
    mLog.clear();
    mA.SetDisabled(true);
    EXPECT_EQ(mLog, (Log{"A.MouseLeave", "A.MouseUp(10,10,0,1)", "A.LostFocus"}));
    EXPECT_EQ(mManager.overWidget, nullptr);
    EXPECT_EQ(mManager.lastDownWidget, nullptr);
    EXPECT_EQ(mManager.focusWidget, nullptr);
    EXPECT_EQ(mManager.downButtons, 0u);

    // Removal does the same for a widget that was entered again.
    mA.SetDisabled(false);
    EXPECT_EQ(mManager.overWidget, &mA); // entered at once under the resting mouse
    mLog.clear();
    mManager.RemoveWidget(&mA);
    EXPECT_EQ(mLog, (Log{"A.MouseLeave"}));
    EXPECT_EQ(mA.manager, nullptr);
}

TEST_F(WidgetManagerTest, TreeChangesReevaluateTheWidgetUnderTheMouse)
{
    mManager.MouseMove(180, 180);
    RecordingWidget late("L", &mLog, 150, 150, 50, 50);
    mManager.AddWidget(&late);
    EXPECT_EQ(mLog, (Log{"L.MouseEnter", "L.MouseMove(30,30)"}));
    mLog.clear();
    late.SetVisible(false);
    EXPECT_EQ(mLog, (Log{"L.MouseLeave"}));
    mLog.clear();
    late.SetVisible(true);
    late.Move(0, 0); // away from the mouse
    EXPECT_EQ(mLog, (Log{"L.MouseEnter", "L.MouseMove(30,30)", "L.MouseLeave"}));
    mManager.RemoveWidget(&late);
}

TEST_F(WidgetManagerTest, APressOutsideThePopupRemovesIt)
{
    RecordingWidget popup("P", &mLog, 100, 100, 20, 20);
    mManager.AddWidget(&popup);
    mManager.popupCommandWidget = &popup;
    mManager.MouseDown(105, 105, 1);
    mManager.MouseUp(105, 105, 1);
    EXPECT_TRUE(mManager.HasWidget(&popup));
    EXPECT_EQ(mManager.popupCommandWidget, &popup);
    mManager.MouseDown(20, 20, 1);
    EXPECT_FALSE(mManager.HasWidget(&popup));
    EXPECT_EQ(mManager.popupCommandWidget, nullptr);
}

TEST(WidgetManagerCursorTest, FingerWidgetsShowTheHandCursor)
{
    TestApp app;
    ASSERT_NE(app.widgetManager, nullptr); // the application makes its manager
    WidgetManager& manager = *app.widgetManager;
    EXPECT_EQ(manager.app, &app);
    Log log;
    RecordingWidget finger("F", &log, 0, 0, 10, 10);
    finger.doFinger = true;
    manager.AddWidget(&finger);
    manager.MouseMove(5, 5);
    EXPECT_EQ(app.cursorKind, 1);
    manager.MouseMove(50, 50);
    EXPECT_EQ(app.cursorKind, 0);
    manager.RemoveWidget(&finger);
}

// ---- Keys and focus

TEST_F(WidgetManagerTest, KeysGoToTheFocusWidget)
{
    mManager.SetFocus(&mA);
    mLog.clear();
    mManager.KeyDown(65);
    EXPECT_EQ(mManager.keyDown[65], 1);
    mManager.KeyChar('a');
    mManager.KeyUp(65);
    EXPECT_EQ(mManager.keyDown[65], 0);
    mManager.MouseWheel(-2);
    // Codes outside the table reach the widget but never the table.
    mManager.KeyDown(255);
    mManager.KeyDown(-1);
    mManager.KeyUp(1000);
    EXPECT_EQ(mLog, (Log{"A.KeyDown(65)", "A.KeyChar(97)", "A.KeyUp(65)", "A.MouseWheel(-2)", "A.KeyDown(255)",
                         "A.KeyDown(-1)", "A.KeyUp(1000)"}));
    for (int code = 0; code < 255; ++code) {
        EXPECT_EQ(mManager.keyDown[code], 0) << code;
    }
}

TEST_F(WidgetManagerTest, ControlTabGoesToTheDefaultTabWidget)
{
    mManager.SetFocus(&mA);
    for (Widget* defaultTab : {static_cast<Widget*>(nullptr), static_cast<Widget*>(&mB)}) {
        SCOPED_TRACE(defaultTab == nullptr ? "no default tab widget" : "B is the default tab widget");
        mManager.defaultTabWidget = defaultTab;
        mLog.clear();
        mManager.KeyDown(kControl);
        mManager.KeyDown(kTab);
        mManager.KeyChar(kTab);
        mManager.KeyUp(kTab);
        mManager.KeyUp(kControl);
        Log expected{"A.KeyDown(17)", "A.KeyDown(9)"};
        if (defaultTab != nullptr) {
            expected.push_back("B.KeyChar(9)");
        }
        expected.push_back("A.KeyUp(17)");
        EXPECT_EQ(mLog, expected);
    }
    // Without Ctrl, Tab is an ordinary character.
    mLog.clear();
    mManager.KeyChar(kTab);
    EXPECT_EQ(mLog, (Log{"A.KeyChar(9)"}));
}

TEST_F(WidgetManagerTest, LosingTheWindowFocusReleasesHeldKeys)
{
    mManager.SetFocus(&mA);
    mManager.KeyDown(kTab);
    mManager.KeyDown(kControl);
    mManager.KeyDown(65);
    mManager.MouseDown(20, 20, 1);
    mLog.clear();
    mManager.LostFocus();
    // Tab is held with Ctrl: its release goes nowhere, as a live one would.
    EXPECT_EQ(mLog, (Log{"A.KeyUp(17)", "A.KeyUp(65)", "A.LostFocus"}));
    EXPECT_FALSE(mManager.hasFocus);
    EXPECT_EQ(mManager.actualDownButtons, 0u);
    for (int code = 0; code < 255; ++code) {
        EXPECT_EQ(mManager.keyDown[code], 0) << code;
    }
    mManager.LostFocus();
    EXPECT_EQ(mLog.size(), 3u);

    // Focus moves while the window lacks focus do not announce GotFocus.
    mLog.clear();
    mManager.SetFocus(&mB);
    mManager.GotFocus();
    mManager.GotFocus();
    EXPECT_EQ(mLog, (Log{"A.LostFocus", "B.GotFocus"}));
}

TEST_F(WidgetManagerTest, TheLostFocusModifierAppliesWhileUnfocused)
{
    mManager.lostFocusFlagsRemove = Lumo::WIDGETFLAGS_UPDATE;
    mManager.LostFocus();
    mManager.UpdateFrame();
    EXPECT_TRUE(mLog.empty());
    mManager.GotFocus();
    mManager.UpdateFrame();
    EXPECT_EQ(mLog, (Log{"A.Update", "B.Update"}));
}

TEST_F(WidgetManagerTest, SetFocusIgnoresStrangers)
{
    RecordingWidget stranger("X", &mLog);
    mManager.SetFocus(&mA);
    mManager.SetFocus(&mA);
    mManager.SetFocus(&stranger);
    EXPECT_EQ(mLog, (Log{"A.GotFocus", "A.LostFocus"}));
    EXPECT_EQ(mManager.focusWidget, nullptr);
}

// ---- Modal widgets

TEST_F(WidgetManagerTest, ABaseModalDialogBlocksWhatLiesBelowAndRestoresFocus)
{
    RecordingWidget under("U", &mLog, 100, 120, 50, 50); // below the dialog in drawing order, outside its area
    RecordingWidget dialog("D", &mLog, 0, 0, 200, 100);
    RecordingWidget dialogButton("DB", &mLog, 10, 10, 20, 20);
    mManager.AddWidget(&under);
    dialog.AddWidget(&dialogButton);
    mManager.SetFocus(&mA);
    mManager.MouseMove(20, 20);
    mManager.MouseDown(20, 20, 1);
    mLog.clear();

    mManager.AddWidget(&dialog);
    mManager.AddBaseModal(&dialog);
    EXPECT_EQ(mManager.belowModalFlagsRemove, 48u);
    // The pressed, hovered and focused widget below lets go at once.
    EXPECT_EQ(mLog, (Log{"A.MouseLeave", "A.MouseUp(10,10,0,1)", "A.LostFocus"}));
    EXPECT_EQ(mManager.focusWidget, nullptr);
    mManager.MouseUp(20, 20, 1);
    mManager.MouseMove(0, 190);

    // A widget outside the dialog, but below it, gets nothing.
    mLog.clear();
    mManager.MouseMove(120, 150);
    mManager.MouseDown(120, 150, 1);
    mManager.MouseUp(120, 150, 1);
    EXPECT_TRUE(mLog.empty());
    mManager.SetFocus(&mB); // an explicit focus move still works
    mManager.SetFocus(nullptr);

    // The dialog's children and widgets added after it do.
    RecordingWidget onTop("T", &mLog, 150, 150, 20, 20);
    mManager.AddWidget(&onTop);
    mLog.clear();
    mManager.MouseMove(25, 25);
    mManager.MouseMove(155, 155);
    EXPECT_EQ(mLog, (Log{"DB.MouseEnter", "DB.MouseMove(15,15)", "DB.MouseLeave", "T.MouseEnter", "T.MouseMove(5,5)"}));

    // Closing as the application does: remove, then end the modal state.
    mLog.clear();
    mManager.RemoveWidget(&dialog);
    mManager.RemoveBaseModal(&dialog);
    EXPECT_EQ(mLog, (Log{"A.GotFocus"}));
    EXPECT_EQ(mManager.focusWidget, &mA);
    EXPECT_EQ(mManager.baseModalWidget, nullptr);
    EXPECT_EQ(mManager.belowModalFlagsRemove, 0u);
    EXPECT_TRUE(mManager.preModalStack.empty());
    mManager.RemoveWidget(&onTop);
    mManager.RemoveWidget(&under);
}

TEST_F(WidgetManagerTest, NestedModalsUnwindInOrder)
{
    RecordingWidget first("D1", &mLog, 0, 0, 200, 100);
    RecordingWidget second("D2", &mLog, 0, 0, 50, 50);
    first.wantsFocus = true;
    mManager.AddWidget(&first);
    mManager.AddBaseModal(&first);
    mManager.MouseDown(100, 50, 1); // focus to the first dialog
    mManager.MouseUp(100, 50, 1);
    mManager.AddWidget(&second);
    mManager.AddBaseModal(&second);
    EXPECT_EQ(mManager.focusWidget, nullptr);
    EXPECT_EQ(mManager.GetWidgetAt(100, 50, nullptr, nullptr), nullptr);

    mManager.RemoveBaseModal(&first); // not the last one: nothing
    EXPECT_EQ(mManager.baseModalWidget, &second);

    mManager.RemoveWidget(&second);
    mManager.RemoveBaseModal(&second);
    EXPECT_EQ(mManager.baseModalWidget, &first);
    EXPECT_EQ(mManager.belowModalFlagsRemove, 48u);
    EXPECT_EQ(mManager.focusWidget, &first);
    EXPECT_EQ(mManager.preModalStack.size(), 1u);
    EXPECT_NE(mManager.GetWidgetAt(100, 50, nullptr, nullptr), nullptr);

    mManager.RemoveWidget(&first);
    mManager.RemoveBaseModal(&first);
    EXPECT_TRUE(mManager.preModalStack.empty());
}

// ---- Mouse remapping

struct RemapCase {
    const char* title;
    TRect<int> src;
    TRect<int> dst;
    int x, y;
    int expectedX, expectedY;
};

const RemapCase kRemapCases[] = {
    {"origin of the destination", {0, 0, 800, 600}, {100, 50, 400, 300}, 100, 50, 0, 0},
    {"far corner", {0, 0, 800, 600}, {100, 50, 400, 300}, 500, 350, 800, 600},
    // 3 * 640 / 1000 = 1.92 and 3 * 480 / 1000 = 1.44, truncated.
    {"scaling truncates", {0, 0, 640, 480}, {0, 0, 1000, 1000}, 3, 3, 1, 1},
    // -3 * 640 / 1000 = -1.92: truncated towards zero.
    {"left of the destination", {0, 0, 640, 480}, {0, 0, 1000, 1000}, -3, -3, -1, -1},
    {"source offset", {80, 20, 640, 480}, {0, 0, 640, 480}, 10, 10, 90, 30},
    {"no destination: unchanged", {0, 0, 640, 480}, {0, 0, 0, 0}, 37, 41, 37, 41},
    {"no destination width: x unchanged", {0, 0, 640, 480}, {0, 0, 0, 240}, 37, 41, 37, 82},
};

TEST(WidgetManagerRemapTest, RemapMouseScalesAndOffsets)
{
    for (const RemapCase& c : kRemapCases) {
        SCOPED_TRACE(c.title);
        WidgetManager manager(nullptr);
        manager.SetMouseRemap(c.src, c.dst);
        EXPECT_EQ(manager.width, c.src.mWidth + 2 * c.src.mX);
        EXPECT_EQ(manager.height, c.src.mHeight + 2 * c.src.mY);
        int x = c.x;
        int y = c.y;
        manager.RemapMouse(x, y);
        EXPECT_EQ(x, c.expectedX);
        EXPECT_EQ(y, c.expectedY);
    }
}

// ---- Drawing

class WidgetManagerDrawTest : public WidgetManagerTest {
protected:
    WidgetManagerDrawTest() : mScreen(nullptr)
    {
        mScreen.Create(200, 200);
        mManager.image = &mScreen;
    }

    Lumo::MemoryImage mScreen;
};

TEST_F(WidgetManagerDrawTest, OnlyDirtyTopLevelWidgetsAreDrawn)
{
    EXPECT_TRUE(mManager.UpdateFrame()); // adding marked the tree
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_EQ(mLog, (Log{"A.Update", "B.Update", "A.Draw", "B.Draw"}));
    EXPECT_FALSE(mA.dirty);
    EXPECT_FALSE(mB.dirty);

    mLog.clear();
    EXPECT_FALSE(mManager.DrawScreen());
    EXPECT_TRUE(mLog.empty());

    mB.MarkDirty();
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_EQ(mLog, (Log{"B.Draw"}));
    EXPECT_TRUE(mManager.dirty); // the manager's own flag stays set
    EXPECT_EQ(mManager.currentGraphics, nullptr);
}

TEST_F(WidgetManagerDrawTest, DrawingIsTranslatedAndClipped)
{
    RecordingWidget child("C", &mLog, 40, 5, 50, 50); // reaches past A's right edge
    mA.AddWidget(&child);
    mManager.SetMouseRemap(TRect<int>(5, 0, 190, 200), TRect<int>(0, 0, 190, 200));
    mManager.MarkAllDirty();
    mManager.DrawScreen();
    // A at (10, 10) less the source offset 5; the child inside A's clip.
    EXPECT_EQ(mA.drawTransX, 5.0f);
    EXPECT_EQ(mA.drawTransY, 10.0f);
    EXPECT_EQ(mA.drawClip, TRect<int>(5, 10, 50, 50));
    EXPECT_TRUE(mA.drawFastStretch); // no 3-D without an application
    EXPECT_EQ(child.drawTransX, 45.0f);
    EXPECT_EQ(child.drawClip, TRect<int>(45, 15, 10, 45));

    mA.clip = false;
    mA.MarkAllDirty();
    mManager.DrawScreen();
    EXPECT_EQ(child.drawClip, TRect<int>(45, 15, 50, 50));
}

TEST_F(WidgetManagerDrawTest, DeferredOverlaysDrawInPriorityOrder)
{
    RecordingWidget high("H", &mLog, 0, 0, 10, 10);
    high.priority = 4;
    mManager.AddWidget(&high);
    mA.onDraw = [&](RecordingWidget&, Lumo::Graphics*) {
        mManager.deferredOverlays.push_back({&mA, 5});
        mManager.deferredOverlays.push_back({&mB, 3});
        mManager.deferredOverlays.push_back({&high, 3});
        mManager.lowestOverlayPriority = 3;
    };
    mManager.MarkAllDirty();
    mLog.clear();
    mManager.DrawScreen();
    // H (priority 4) first releases the overlays below 4, in insertion order.
    EXPECT_EQ(mLog, (Log{"A.Draw", "B.Draw", "B.DrawOverlay(3)", "H.DrawOverlay(3)", "H.Draw", "A.DrawOverlay(5)"}));
    EXPECT_TRUE(mManager.deferredOverlays.empty());
    EXPECT_EQ(mManager.lowestOverlayPriority, 2147483647);
    EXPECT_EQ(mA.drawTransX, 10.0f); // the overlay is placed at its widget
    mManager.RemoveWidget(&high);
}

// A screen over a display surface: counts the locks DrawScreen takes.
class CountingScreen : public Lumo::DDImage {
public:
    explicit CountingScreen(Lumo::DDInterface* ddInterface) : Lumo::DDImage(ddInterface) {}
    bool LockSurface() override
    {
        ++locks;
        return true;
    }
    bool UnlockSurface() override
    {
        ++unlocks;
        return true;
    }
    int locks = 0;
    int unlocks = 0;
};

TEST(WidgetManagerSurfaceTest, ADisplayScreenIsLockedForTheWholeFrame)
{
    TestApp app;
    CountingScreen screen(app.AddDisplay());
    screen.Create(20, 20);
    WidgetManager& manager = *app.widgetManager;
    manager.image = &screen;
    Log log;
    RecordingWidget widget("W", &log, 0, 0, 10, 10);
    int locksWhileDrawing = 0;
    widget.onDraw = [&](RecordingWidget&, Lumo::Graphics*) { locksWhileDrawing = screen.locks - screen.unlocks; };
    manager.AddWidget(&widget);
    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_EQ(locksWhileDrawing, 1);
    EXPECT_EQ(screen.locks, 1);
    EXPECT_EQ(screen.unlocks, 1);
    manager.RemoveWidget(&widget);
    manager.image = nullptr;
}

} // namespace
