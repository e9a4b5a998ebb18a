// The button: which listener calls a press, drag and release make, the
// over-look fades per update, and which look (cell of one image, or bevel
// colours) it draws in each state.
#include "framework/widgets/ButtonWidget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/WidgetManager.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using Lumo::ButtonWidget;
using Lumo::TRect;

namespace {

class LogListener : public Lumo::ButtonListener {
public:
    void ButtonPress(int id, int clickCount) override { Log("Press", id, clickCount); }
    void ButtonDepress(int id) override { Log("Depress", id); }
    void ButtonDownTick(int id) override { Log("DownTick", id); }
    void ButtonMouseEnter(int id) override { Log("Enter", id); }
    void ButtonMouseLeave(int id) override { Log("Leave", id); }

    std::vector<std::string> log;

private:
    void Log(const char* what, int id, int count = 0)
    {
        log.push_back(std::string(what) + " " + std::to_string(id) + (count != 0 ? " " + std::to_string(count) : ""));
    }
};

class ButtonWidgetTest : public ::testing::Test {
protected:
    ButtonWidgetTest() : mManager(&mApp), mButton(7, &mListener)
    {
        mManager.SetMouseRemap(TRect<int>(0, 0, 200, 200), TRect<int>(0, 0, 200, 200));
        mManager.width = 200;
        mManager.height = 200;
        mButton.Resize(10, 10, 40, 20);
        mManager.AddWidget(&mButton);
    }
    ~ButtonWidgetTest() override { mManager.RemoveWidget(&mButton); }

    TestApp mApp;
    LogListener mListener;
    Lumo::WidgetManager mManager;
    ButtonWidget mButton;
};

TEST_F(ButtonWidgetTest, OnlyAReleaseOverTheButtonWithFocusIsAClick)
{
    struct Case {
        const char* title;
        int releaseX, releaseY;
        bool windowFocus;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"release over it", 20, 20, true, {"Enter 7", "Press 7 1", "Depress 7"}},
        {"dragged off first", 100, 100, true, {"Enter 7", "Press 7 1", "Leave 7"}},
        {"window lost the focus", 20, 20, false, {"Enter 7", "Press 7 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        mManager.MouseMove(150, 150);
        mListener.log.clear();
        mManager.MouseMove(20, 20);
        mManager.MouseDown(20, 20, 1);
        mManager.MouseMove(c.releaseX, c.releaseY);
        mManager.hasFocus = c.windowFocus;
        mManager.MouseUp(c.releaseX, c.releaseY, 1);
        mManager.hasFocus = true;
        EXPECT_EQ(mListener.log, c.expected);
    }
}

TEST_F(ButtonWidgetTest, DownTickComesOncePerUpdateWhileHeldOver)
{
    mManager.MouseMove(20, 20);
    mManager.MouseDown(20, 20, 1);
    mListener.log.clear();
    mManager.UpdateFrame();
    mManager.UpdateFrame();
    EXPECT_EQ(mListener.log, (std::vector<std::string>{"DownTick 7", "DownTick 7"}));
    mManager.MouseMove(100, 100); // held, but not over: no ticks
    mListener.log.clear();
    mManager.UpdateFrame();
    EXPECT_TRUE(mListener.log.empty());
    mManager.MouseUp(100, 100, 1);
}

TEST_F(ButtonWidgetTest, OverLookFadesByTheConfiguredSteps)
{
    // Fade-out only: leaving starts from full and ten steps of 0.1 reach 0.
    mButton.overAlphaSpeed = 0.1;
    mManager.MouseMove(20, 20);
    EXPECT_EQ(mButton.overAlpha, 0.0);
    mManager.MouseMove(100, 100);
    EXPECT_EQ(mButton.overAlpha, 1.0);
    for (int i = 0; i < 9; ++i)
        mManager.UpdateFrame();
    EXPECT_GT(mButton.overAlpha, 0.05);
    mManager.UpdateFrame();
    EXPECT_EQ(mButton.overAlpha, 0.0);

    // Fade-in 0.25 per update while over; held while down off the button;
    // fading out once released.
    mButton.overAlphaFadeInSpeed = 0.25;
    mManager.MouseMove(20, 20);
    mManager.UpdateFrame();
    mManager.UpdateFrame();
    EXPECT_EQ(mButton.overAlpha, 0.5);
    mManager.MouseDown(20, 20, 1);
    mManager.MouseMove(100, 100);
    mManager.UpdateFrame();
    EXPECT_EQ(mButton.overAlpha, 0.5);
    mManager.MouseUp(100, 100, 1);
    mManager.UpdateFrame();
    EXPECT_DOUBLE_EQ(mButton.overAlpha, 0.4);

    // Without a fade-out speed the look goes at once on leaving.
    mButton.overAlphaSpeed = 0.0;
    mManager.MouseMove(20, 20);
    mManager.UpdateFrame();
    EXPECT_GT(mButton.overAlpha, 0.0);
    mManager.MouseMove(100, 100);
    EXPECT_EQ(mButton.overAlpha, 0.0);
}

// ---- Drawing

// An opaque black target, so that opaque images are copied exactly.
void MakeOpaque(Lumo::MemoryImage& image, int w, int h)
{
    image.Create(w, h);
    std::fill_n(image.GetBits(), w * h, 0xFF000000u);
    image.BitsChanged();
    image.CommitBits();
}

uint32_t PixelAt(Lumo::MemoryImage& image, int px, int py)
{
    return image.GetBits()[py * image.GetWidth() + px];
}

TEST_F(ButtonWidgetTest, CellsOfOneImageGiveEveryLook)
{
    // Four 10x10 cells side by side: normal, over, down, disabled.
    Lumo::MemoryImage cells(&mApp);
    cells.Create(40, 10);
    const uint32_t cellColors[4] = {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC};
    uint32_t* bits = cells.GetBits();
    for (int py = 0; py < 10; ++py)
        for (int px = 0; px < 40; ++px)
            bits[py * 40 + px] = cellColors[px / 10];
    cells.BitsChanged();
    cells.CommitBits(); // opaque: drawn as a copy

    ButtonWidget button(1, nullptr);
    button.Resize(0, 0, 10, 10);
    button.buttonImage = &cells;
    button.normalRect = TRect<int>(0, 0, 10, 10);
    button.overRect = TRect<int>(10, 0, 10, 10);
    button.downRect = TRect<int>(20, 0, 10, 10);
    button.disabledRect = TRect<int>(30, 0, 10, 10);

    struct Case {
        const char* title;
        bool over, down, disabled, inverted;
        uint32_t expected; // pixel (5, 5)
    };
    const Case cases[] = {
        {"normal", false, false, false, false, cellColors[0]},
        {"over", true, false, false, false, cellColors[1]},
        {"pressed", true, true, false, false, cellColors[2]},
        {"held off the button: over look", false, true, false, false, cellColors[1]},
        {"disabled never shows the over look", true, false, true, false, cellColors[3]},
        {"inverted at rest looks pressed", false, false, false, true, cellColors[2]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Lumo::MemoryImage target(&mApp);
        MakeOpaque(target, 10, 10);
        button.isOver = c.over;
        button.isDown = c.down;
        button.disabled = c.disabled;
        button.inverted = c.inverted;
        Lumo::Graphics g(&target);
        button.Draw(&g);
        EXPECT_EQ(PixelAt(target, 5, 5), c.expected);
    }
}

TEST_F(ButtonWidgetTest, WithoutImagesTheBevelSwapsWhenPressed)
{
    ButtonWidget button(1, nullptr);
    button.Resize(0, 0, 10, 8);
    for (const bool pressed : {false, true}) {
        SCOPED_TRACE(pressed);
        Lumo::MemoryImage target(&mApp);
        target.Create(10, 8);
        button.isOver = pressed;
        button.isDown = pressed;
        Lumo::Graphics g(&target);
        button.Draw(&g);
        const uint32_t light = 0xFFFFFFFF, dark = 0xFF000000, medium = 0xFF848484, face = 0xFFD4D4D4;
        EXPECT_EQ(PixelAt(target, 0, 0), pressed ? dark : light);      // top-left line
        EXPECT_EQ(PixelAt(target, 9, 7), pressed ? light : dark);      // bottom-right line
        EXPECT_EQ(PixelAt(target, 1, 1), pressed ? medium : face);     // inner line of the pressed look
        EXPECT_EQ(PixelAt(target, 8, 6), pressed ? face : medium);     // inner line at rest
        EXPECT_EQ(PixelAt(target, 4, 4), face);
    }
}

TEST_F(ButtonWidgetTest, SetFontCopiesBeforeFreeingAndNullMeansDefault)
{
    mButton.label = "OK";
    Lumo::MemoryImage target(&mApp);
    target.Create(40, 20);
    Lumo::Graphics g(&target);
    mButton.Draw(&g); // makes the default font
    ASSERT_NE(mButton.font, nullptr);
    mButton.SetFont(mButton.font); // its own font: copied, then the old one freed
    ASSERT_NE(mButton.font, nullptr);
    EXPECT_GT(mButton.font->GetHeight(), 0);
    mButton.SetFont(nullptr);
    EXPECT_EQ(mButton.font, nullptr);
    mButton.Draw(&g);
    EXPECT_NE(mButton.font, nullptr);
}

} // namespace
