// The widget's own operations: the colour table, what showing, hiding and
// resizing mark for redrawing, Tab focus navigation, and the text and number
// drawing helpers.
#include "framework/widgets/Widget.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetManager.h"
#include "support/FixedWidthFont.h"
#include "support/RecordingWidget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

using Lumo::Color;
using Lumo::Graphics;
using Lumo::TPoint;
using Lumo::TRect;
using Lumo::Widget;
using Lumo::WidgetManager;
using LumoTest::FixedWidthFont;
using LumoTest::RecordingWidget;

namespace Lumo {

void PrintTo(const TRect<int>& r, std::ostream* os)
{
    *os << "(" << r.mX << ", " << r.mY << ", " << r.mWidth << ", " << r.mHeight << ")";
}

void PrintTo(const Color& c, std::ostream* os)
{
    *os << "(" << c.mRed << ", " << c.mGreen << ", " << c.mBlue << ", " << c.mAlpha << ")";
}

} // namespace Lumo

namespace {

const Color kBlack(0, 0, 0, 255);

TEST(WidgetColorTest, TheTableGrowsWithOpaqueBlack)
{
    Widget widget;
    const int rows[6][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {13, 14, 15}, {16, 17, 18}};
    widget.SetColors(rows, 6);
    ASSERT_EQ(widget.colors.size(), 6u);
    EXPECT_EQ(widget.GetColor(5), Color(16, 17, 18, 255));
    EXPECT_EQ(widget.GetColor(7), kBlack);
    EXPECT_EQ(widget.GetColor(7, Color(9, 9, 9, 9)), Color(9, 9, 9, 9));
    EXPECT_EQ(widget.GetColor(-1), kBlack);

    widget.SetColor(7, Color(1, 1, 1, 1));
    ASSERT_EQ(widget.colors.size(), 8u);
    EXPECT_EQ(widget.colors[6], kBlack);
    EXPECT_EQ(widget.GetColor(7), Color(1, 1, 1, 1));

    widget.SetColor(-1, Color(2, 2, 2, 2)); // no such entry: ignored
    EXPECT_EQ(widget.colors.size(), 8u);

    const int rgba[2][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    widget.SetColors(rgba, 2);
    ASSERT_EQ(widget.colors.size(), 2u); // the old table is cleared first
    EXPECT_EQ(widget.GetColor(1), Color(5, 6, 7, 8));
}

// ---- Redraw marking of the widget's own changes

class WidgetMarkingTest : public ::testing::Test {
protected:
    WidgetMarkingTest()
        : mManager(nullptr),
          mBackground("background", nullptr, 0, 0, 100, 100),
          mWidget("widget", nullptr, 10, 10, 20, 20),
          mTop("top", nullptr, 15, 15, 10, 10)
    {
        mManager.SetMouseRemap(TRect<int>(0, 0, 100, 100), TRect<int>(0, 0, 100, 100));
        mManager.AddWidget(&mBackground);
        mManager.AddWidget(&mWidget);
        mManager.AddWidget(&mTop);
        ClearDirty();
    }

    void ClearDirty()
    {
        for (RecordingWidget* w : {&mBackground, &mWidget, &mTop}) {
            w->dirty = false;
        }
    }

    WidgetManager mManager;
    RecordingWidget mBackground;
    RecordingWidget mWidget;
    RecordingWidget mTop;
};

TEST_F(WidgetMarkingTest, HidingMarksWhatLiesBelowShowingOnlyWhatLiesAbove)
{
    mWidget.SetVisible(false);
    EXPECT_TRUE(mWidget.dirty);
    EXPECT_TRUE(mBackground.dirty);
    EXPECT_TRUE(mTop.dirty);

    ClearDirty();
    mWidget.SetVisible(true);
    EXPECT_TRUE(mWidget.dirty);
    EXPECT_TRUE(mTop.dirty);
    EXPECT_FALSE(mBackground.dirty);

    ClearDirty();
    mWidget.SetVisible(true); // unchanged: nothing
    EXPECT_FALSE(mWidget.dirty);
}

TEST_F(WidgetMarkingTest, ResizeMarksTheOldArea)
{
    mWidget.Resize(10, 10, 20, 20); // unchanged: nothing
    EXPECT_FALSE(mWidget.dirty);
    mWidget.Move(50, 50);
    EXPECT_TRUE(mWidget.dirty);
    EXPECT_TRUE(mBackground.dirty);
    EXPECT_TRUE(mTop.dirty);
    EXPECT_EQ(mWidget.GetRect(), TRect<int>(50, 50, 20, 20));
}

TEST_F(WidgetMarkingTest, EnablingUnderARestingMouseEntersAtOnce)
{
    std::vector<std::string> log;
    mTop.log = &log;
    mTop.name = "top";
    mTop.SetDisabled(true);
    mManager.MouseMove(20, 20);
    EXPECT_EQ(mManager.overWidget, nullptr); // a disabled widget on top hides the one below
    mTop.SetDisabled(false);
    EXPECT_EQ(mManager.overWidget, &mTop);
    EXPECT_EQ(log, (std::vector<std::string>{"top.MouseEnter", "top.MouseMove(5,5)"}));
    EXPECT_TRUE(mTop.dirty);
}

// ---- Tab navigation

struct TabCase {
    const char* title;
    int key;
    bool shift;
    bool hasNext;
    bool hasPrev;
    const char* expectedFocus;
};

const TabCase kTabCases[] = {
    {"Tab to the next", 9, false, true, true, "next"},
    {"Shift+Tab to the previous", 9, true, true, true, "prev"},
    {"Shift+Tab without a previous", 9, true, true, false, "self"},
    {"Tab without a next", 9, false, false, true, "self"},
    {"another key", 13, false, true, true, "self"},
};

TEST(WidgetTabTest, TabMovesTheFocus)
{
    for (const TabCase& c : kTabCases) {
        SCOPED_TRACE(c.title);
        WidgetManager manager(nullptr);
        RecordingWidget self("self", nullptr);
        RecordingWidget next("next", nullptr);
        RecordingWidget prev("prev", nullptr);
        for (RecordingWidget* w : {&self, &next, &prev}) {
            manager.AddWidget(w);
        }
        self.tabNext = c.hasNext ? &next : nullptr;
        self.tabPrev = c.hasPrev ? &prev : nullptr;
        manager.SetFocus(&self);
        if (c.shift) {
            manager.KeyDown(16);
        }
        manager.KeyDown(c.key);
        ASSERT_NE(manager.focusWidget, nullptr);
        EXPECT_EQ(static_cast<RecordingWidget*>(manager.focusWidget)->name, c.expectedFocus);
    }
}

// ---- Text and numbers

TEST(WidgetTextTest, WriteCenteredLineCentresAndReportsItsArea)
{
    FixedWidthFont font(6, 8, 10); // 6 pixels a character, ascent 8, height 10
    Graphics g;
    g.SetFont(&font);
    Widget widget;
    widget.width = 100;

    // "abcd" is 24 wide: x = (100 - 24) / 2 = 38.
    EXPECT_EQ(widget.WriteCenteredLine(&g, 30, "abcd"), TRect<int>(38, 22, 24, 10));

    // Shadow offset (2, -3): the shadow first, then the text; the area grows
    // by the offset towards its sign.
    font.mDrawCalls.clear();
    const Color text(10, 20, 30, 255);
    const Color shadow(1, 2, 3, 255);
    EXPECT_EQ(widget.WriteCenteredLine(&g, 30, "abcd", text, shadow, TPoint<int>(2, -3)),
              TRect<int>(38, 19, 26, 13));
    ASSERT_EQ(font.mDrawCalls.size(), 2u);
    EXPECT_EQ(font.mDrawCalls[0].x, 40);
    EXPECT_EQ(font.mDrawCalls[0].y, 27);
    EXPECT_EQ(font.mDrawCalls[0].color, shadow);
    EXPECT_EQ(font.mDrawCalls[1].x, 38);
    EXPECT_EQ(font.mDrawCalls[1].y, 30);
    EXPECT_EQ(font.mDrawCalls[1].color, text);

    // Wider than the widget: (5 - 24) / 2 = -9, truncated towards zero.
    widget.width = 5;
    EXPECT_EQ(widget.WriteCenteredLine(&g, 30, "abcd").mX, -9);
}

TEST(WidgetTextTest, WriteStringObeysColourTagsAndRestoresTheFlag)
{
    FixedWidthFont font(6);
    Graphics g;
    g.SetFont(&font);
    g.mWriteColoredString = false;
    Widget widget;
    // With tags obeyed "^ff0000x" is a colour change: two characters remain.
    EXPECT_EQ(widget.WriteString(&g, "^ff0000xab", 0, 10, 0, -1, false, 0, -1), 12);
    EXPECT_FALSE(g.mWriteColoredString);
    EXPECT_EQ(g.WriteString("^ff0000xab", 0, 10, 0, -1, false, 0, -1), 60);
}

struct DigitsCase {
    int number;
    int digits;
};

const DigitsCase kDigitsCases[] = {
    {0, 1}, {9, 1}, {10, 2}, {99, 2}, {100, 3}, {-5, 1}, {-100000, 1},
    {999999999, 9}, {1000000000, 10}, {2147483647, 10},
};

TEST(WidgetNumberTest, GetNumDigits)
{
    Widget widget;
    for (const DigitsCase& c : kDigitsCases) {
        EXPECT_EQ(widget.GetNumDigits(c.number), c.digits) << c.number;
    }
}

// Opaque pixels are copied as they are onto an opaque target.
const uint32_t kTargetBlack = 0xFF000000u;

class WidgetStripTest : public ::testing::Test {
protected:
    WidgetStripTest() : mStrip(nullptr), mTarget(nullptr)
    {
        // Ten 4 x 2 cells; every pixel of cell d is 0xFF0000d0 + d.
        mStrip.Create(40, 2);
        uint32_t* bits = mStrip.GetBits();
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 40; ++x) {
                bits[y * 40 + x] = 0xFF0000D0u + static_cast<uint32_t>(x / 4);
            }
        }
        mStrip.BitsChanged();
        mStrip.SetImageMode(false, false); // opaque: drawn as a plain copy
        mTarget.Create(32, 4);
        std::fill(mTarget.GetBits(), mTarget.GetBits() + 32 * 4, kTargetBlack);
        mTarget.BitsChanged();
        mTarget.SetImageMode(false, false);
    }

    // Row 1 of the target, one word per column.
    std::vector<uint32_t> Row()
    {
        const uint32_t* bits = mTarget.GetBits();
        return std::vector<uint32_t>(bits + 32, bits + 64);
    }

    Lumo::MemoryImage mStrip;
    Lumo::MemoryImage mTarget;
};

TEST_F(WidgetStripTest, ZeroDrawsOneCell)
{
    Graphics g(&mTarget);
    Widget widget;
    widget.WriteNumberFromStrip(&g, 0, 2, 1, &mStrip, 1);
    std::vector<uint32_t> expected(32, kTargetBlack);
    for (int x = 2; x < 6; ++x) {
        expected[static_cast<size_t>(x)] = 0xFF0000D0u; // digit 0
    }
    EXPECT_EQ(Row(), expected);
}

TEST_F(WidgetStripTest, DigitsRunMostSignificantFirstWithSpacing)
{
    Graphics g(&mTarget);
    Widget widget;
    widget.WriteNumberFromStrip(&g, 305, 0, 1, &mStrip, 2);
    // Cells of 4 pixels every 6: "3" at 0-3, "0" at 6-9, "5" at 12-15.
    std::vector<uint32_t> expected(32, kTargetBlack);
    for (int i = 0; i < 4; ++i) {
        expected[static_cast<size_t>(i)] = 0xFF0000D3u;
        expected[static_cast<size_t>(6 + i)] = 0xFF0000D0u;
        expected[static_cast<size_t>(12 + i)] = 0xFF0000D5u;
    }
    EXPECT_EQ(Row(), expected);
    widget.WriteNumberFromStrip(&g, 7, 0, 1, nullptr, 2); // no strip: nothing
}

} // namespace
