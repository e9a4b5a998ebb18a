// The drawing context: what it hands to the destination's slots after
// translation, scaling and clipping; saved states; the nine-piece box; text
// with colour tags and word wrapping. Most cases record the slot calls on a
// fake image; a few draw into a real memory image.
#include "framework/graphics/Graphics.h"

#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "support/FixedWidthFont.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

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

using Lumo::Color;
using Lumo::Graphics;
using Lumo::Image;
using Lumo::Matrix3;
using Lumo::MemoryImage;
using Lumo::TRect;
using LumoTest::FixedWidthFont;

namespace {

enum class Slot { FillRect, DrawRect, DrawLine, Blt, StretchBlt, BltMatrix, BltMirror };

struct SlotCall {
    explicit SlotCall(Slot s) : slot(s) {}

    Slot slot;
    Image* source = nullptr;
    TRect<int> rect;     // FillRect / DrawRect rectangle, StretchBlt destination
    TRect<int> srcRect;
    TRect<int> clipRect;
    Color color;
    int drawMode = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // line ends; blit position in x1, y1
    bool flag = false;                     // fast stretch / linear blend
    Matrix3 matrix;
};

// An image that records what reaches its drawing slots.
class RecordingImage : public Image {
public:
    RecordingImage(int width, int height)
    {
        mWidth = width;
        mHeight = height;
    }

    void FillRect(const TRect<int>& rect, const Color& color, int drawMode) override
    {
        SlotCall call(Slot::FillRect);
        call.rect = rect;
        call.color = color;
        call.drawMode = drawMode;
        mCalls.push_back(call);
    }
    void DrawRect(const TRect<int>& rect, const Color& color, int drawMode) override
    {
        SlotCall call(Slot::DrawRect);
        call.rect = rect;
        call.color = color;
        call.drawMode = drawMode;
        mCalls.push_back(call);
    }
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override
    {
        SlotCall call(Slot::DrawLine);
        call.x1 = x1;
        call.y1 = y1;
        call.x2 = x2;
        call.y2 = y2;
        call.color = color;
        call.drawMode = drawMode;
        mCalls.push_back(call);
    }
    void Blt(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, int drawMode) override
    {
        mCalls.push_back(BlitCall(Slot::Blt, image, x, y, srcRect, color, drawMode));
    }
    void BltMirror(Image* image, int x, int y, const TRect<int>& srcRect, const Color& color, int drawMode) override
    {
        mCalls.push_back(BlitCall(Slot::BltMirror, image, x, y, srcRect, color, drawMode));
    }
    void StretchBlt(Image* image, const TRect<int>& destRect, const TRect<int>& srcRect, const TRect<int>& clipRect,
                    const Color& color, int drawMode, bool fastStretch) override
    {
        SlotCall call = BlitCall(Slot::StretchBlt, image, 0, 0, srcRect, color, drawMode);
        call.rect = destRect;
        call.clipRect = clipRect;
        call.flag = fastStretch;
        mCalls.push_back(call);
    }
    void BltMatrix(Image* image, float x, float y, const Matrix3& matrix, const TRect<int>& clipRect,
                   const Color& color, int drawMode, const TRect<int>& srcRect, bool blend) override
    {
        SlotCall call = BlitCall(Slot::BltMatrix, image, 0, 0, srcRect, color, drawMode);
        call.x1 = x;
        call.y1 = y;
        call.matrix = matrix;
        call.clipRect = clipRect;
        call.flag = blend;
        mCalls.push_back(call);
    }

    std::vector<SlotCall> mCalls;

private:
    static SlotCall BlitCall(Slot slot, Image* image, int x, int y, const TRect<int>& srcRect, const Color& color,
                             int drawMode)
    {
        SlotCall call(slot);
        call.source = image;
        call.x1 = x;
        call.y1 = y;
        call.srcRect = srcRect;
        call.color = color;
        call.drawMode = drawMode;
        return call;
    }
};

std::vector<TRect<int>> FilledRects(const RecordingImage& image)
{
    std::vector<TRect<int>> rects;
    for (const SlotCall& call : image.mCalls) {
        EXPECT_EQ(call.slot, Slot::FillRect);
        rects.push_back(call.rect);
    }
    return rects;
}

const Color kRed(255, 0, 0, 255);

} // namespace

// ---------------------------------------------------------------------------
// Construction and saved states

TEST(GraphicsStateTest, NewContextCoversItsDestination)
{
    RecordingImage image(40, 30);
    Graphics g(&image);
    EXPECT_EQ(g.mDestImage, &image);
    EXPECT_EQ(g.mClipRect, TRect<int>(0, 0, 40, 30));
    EXPECT_EQ(g.mColor, Color(0, 0, 0, 255));
    EXPECT_EQ(g.mTransX, 0.0f);
    EXPECT_EQ(g.mTransY, 0.0f);
    EXPECT_EQ(g.mScaleX, 1.0f);
    EXPECT_EQ(g.mScaleY, 1.0f);
    EXPECT_EQ(g.mScaleOrigX, 0.0f);
    EXPECT_EQ(g.mScaleOrigY, 0.0f);
    EXPECT_EQ(g.GetFont(), nullptr);
    EXPECT_EQ(g.mDrawMode, 0);
    EXPECT_FALSE(g.mColorizeImages);
    EXPECT_FALSE(g.mFastStretch);
    EXPECT_TRUE(g.mWriteColoredString);
    EXPECT_FALSE(g.mLinearBlend);

    std::unique_ptr<Graphics> fromImage(image.GetGraphics());
    EXPECT_EQ(fromImage->mDestImage, &image);
    EXPECT_EQ(fromImage->mClipRect, TRect<int>(0, 0, 40, 30));
}

TEST(GraphicsStateTest, ContextWithoutDestinationDrawsIntoTheSharedEmptyImage)
{
    Graphics g;
    Graphics other(nullptr);
    ASSERT_NE(g.mDestImage, nullptr);
    EXPECT_EQ(g.mDestImage, Graphics::GetStaticImage());
    EXPECT_EQ(other.mDestImage, Graphics::GetStaticImage());
    EXPECT_EQ(g.mDestImage->GetWidth(), 0);
    EXPECT_EQ(g.mDestImage->GetHeight(), 0);
    EXPECT_EQ(g.mClipRect, TRect<int>(0, 0, 0, 0));

    RecordingImage source(4, 4);
    g.SetColor(kRed);
    g.FillRect(0, 0, 5, 5);
    g.DrawRect(0, 0, 5, 5);
    g.DrawLine(0, 0, 5, 5);
    g.DrawImage(&source, 0, 0);
    g.DrawImageMatrix(&source, Matrix3(), TRect<int>(0, 0, 4, 4), 1.0f, 1.0f);
    g.DrawString("text", 0, 0);
}

TEST(GraphicsStateTest, PopStateRestoresEveryFieldInStackOrder)
{
    RecordingImage image(40, 30);
    FixedWidthFont font(5);
    Graphics g(&image);
    g.PopState(); // nothing saved: no change
    EXPECT_EQ(g.mClipRect, TRect<int>(0, 0, 40, 30));

    g.PushState();
    g.Translate(3, 4);
    g.mScaleX = 2.0f;
    g.mScaleY = 3.0f;
    g.mScaleOrigX = 5.0f;
    g.mScaleOrigY = 6.0f;
    g.ClipRect(0, 0, 10, 10);
    g.SetColor(kRed);
    g.SetFont(&font);
    g.SetDrawMode(1);
    g.SetColorizeImages(true);
    g.SetFastStretch(true);
    g.mWriteColoredString = false;
    g.SetLinearBlend(true);

    g.PushState();
    g.Translate(1, 1);
    g.SetColor(Color(1, 2, 3, 4));

    g.PopState();
    EXPECT_EQ(g.mTransX, 3.0f);
    EXPECT_EQ(g.mColor, kRed);
    EXPECT_EQ(g.mClipRect, TRect<int>(3, 4, 10, 10));

    g.PopState();
    EXPECT_EQ(g.mTransX, 0.0f);
    EXPECT_EQ(g.mTransY, 0.0f);
    EXPECT_EQ(g.mScaleX, 1.0f);
    EXPECT_EQ(g.mScaleY, 1.0f);
    EXPECT_EQ(g.mScaleOrigX, 0.0f);
    EXPECT_EQ(g.mScaleOrigY, 0.0f);
    EXPECT_EQ(g.mClipRect, TRect<int>(0, 0, 40, 30));
    EXPECT_EQ(g.mColor, Color(0, 0, 0, 255));
    EXPECT_EQ(g.GetFont(), nullptr);
    EXPECT_EQ(g.GetDrawMode(), 0);
    EXPECT_FALSE(g.mColorizeImages);
    EXPECT_FALSE(g.mFastStretch);
    EXPECT_TRUE(g.mWriteColoredString);
    EXPECT_FALSE(g.mLinearBlend);
    EXPECT_EQ(g.mDestImage, &image);

    g.PopState(); // empty again
    EXPECT_EQ(g.mTransX, 0.0f);
}

TEST(GraphicsStateTest, CopiesTakeTheCurrentStateButNoSavedStates)
{
    RecordingImage image(40, 30);
    Graphics g(&image);
    g.PushState();
    g.Translate(7, 8);
    g.SetColor(kRed);

    Graphics copy(g);
    std::unique_ptr<Graphics> created(g.Create());
    for (Graphics* c : {&copy, created.get()}) {
        EXPECT_EQ(c->mDestImage, &image);
        EXPECT_EQ(c->mTransX, 7.0f);
        EXPECT_EQ(c->mColor, kRed);
        c->PopState();
        EXPECT_EQ(c->mTransX, 7.0f);
        EXPECT_EQ(c->mColor, kRed);
    }
    // The copies do not share state with the original.
    copy.Translate(1, 0);
    EXPECT_EQ(g.mTransX, 7.0f);
    g.PopState();
    EXPECT_EQ(g.mTransX, 0.0f);
}

// ---------------------------------------------------------------------------
// Translation and clipping

TEST(GraphicsClipTest, FillRectTranslatesWithTruncationAndClips)
{
    struct Case {
        float transX, transY;
        TRect<int> rect;
        bool expectFill;
        TRect<int> expected;
    };
    const Case cases[] = {
        {0.5f, 0.5f, {0, 0, 2, 2}, true, {0, 0, 2, 2}},        // 0.5 truncates to 0
        {-0.5f, 0.0f, {0, 0, 2, 2}, true, {0, 0, 2, 2}},       // toward zero, not down
        {-1.5f, 0.0f, {0, 0, 3, 1}, true, {0, 0, 2, 1}},       // x = -1, clipped
        {2.9f, 1.0f, {0, 0, 1, 1}, true, {2, 1, 1, 1}},
        {3.0f, 4.0f, {1, 1, 2, 2}, true, {4, 5, 2, 2}},
        {0.0f, 0.0f, {38, 28, 5, 5}, true, {38, 28, 2, 2}},    // cut at the right and bottom
        {0.0f, 0.0f, {50, 0, 5, 5}, false, {}},                 // wholly outside
        {0.0f, 0.0f, {-5, -5, 5, 5}, false, {}},                // touches the corner only
        {0.0f, 0.0f, {3, 3, 0, 5}, false, {}},                  // empty
        {0.0f, 0.0f, {3, 3, -2, 5}, false, {}},
    };
    for (const Case& c : cases) {
        RecordingImage image(40, 30);
        Graphics g(&image);
        g.mTransX = c.transX;
        g.mTransY = c.transY;
        g.SetColor(Color(10, 20, 30, 40));
        g.SetDrawMode(1);
        g.FillRect(c.rect.mX, c.rect.mY, c.rect.mWidth, c.rect.mHeight);
        SCOPED_TRACE(testing::Message() << "trans " << c.transX << "," << c.transY << " rect "
                                        << testing::PrintToString(c.rect));
        if (!c.expectFill) {
            EXPECT_TRUE(image.mCalls.empty());
            continue;
        }
        ASSERT_EQ(image.mCalls.size(), 1u);
        EXPECT_EQ(image.mCalls[0].slot, Slot::FillRect);
        EXPECT_EQ(image.mCalls[0].rect, c.expected);
        EXPECT_EQ(image.mCalls[0].color, Color(10, 20, 30, 40));
        EXPECT_EQ(image.mCalls[0].drawMode, 1);
    }
}

TEST(GraphicsClipTest, TransparentFillDrawsNothing)
{
    RecordingImage image(10, 10);
    Graphics g(&image);
    g.SetColor(Color(255, 255, 255, 0));
    g.FillRect(0, 0, 5, 5);
    g.DrawRect(0, 0, 5, 5);
    EXPECT_TRUE(image.mCalls.empty());
}

TEST(GraphicsClipTest, ClipRectsAreTranslatedAndStayInsideTheDestination)
{
    RecordingImage image(40, 30);
    Graphics g(&image);
    g.Translate(5, 5);

    g.SetClipRect(-10, -10, 20, 20); // (-5, -5, 20, 20) within the image
    EXPECT_EQ(g.mClipRect, TRect<int>(0, 0, 15, 15));

    g.ClipRect(0, 0, 100, 100); // narrows with (5, 5, 100, 100)
    EXPECT_EQ(g.mClipRect, TRect<int>(5, 5, 10, 10));

    g.ClipRect(-100, -100, 300, 300); // never widens
    EXPECT_EQ(g.mClipRect, TRect<int>(5, 5, 10, 10));

    g.SetClipRect(0, 0, 100, 100); // widens again, but only to the image
    EXPECT_EQ(g.mClipRect, TRect<int>(5, 5, 35, 25));

    g.SetClipRect(100, 100, 5, 5); // outside: nothing drawable
    g.SetColor(kRed);
    g.FillRect(-1000, -1000, 5000, 5000);
    EXPECT_TRUE(image.mCalls.empty());

    g.SetClipRect(1, 2, 3, 4);
    g.FillRect(-1000, -1000, 5000, 5000);
    ASSERT_EQ(image.mCalls.size(), 1u);
    EXPECT_EQ(image.mCalls[0].rect, TRect<int>(6, 7, 3, 4));
}

TEST(GraphicsClipTest, DrawRectUsesTheOutlineSlotOnlyWhenWhollyInside)
{
    struct Case {
        TRect<int> rect;
        bool outlineSlot;
        std::vector<TRect<int>> fills; // otherwise these fills, clipped to (0, 0, 10, 10)
    };
    const Case cases[] = {
        {{0, 0, 9, 9}, true, {}},
        {{2, 3, 0, 0}, true, {}},
        {{-1, 0, 9, 9}, false, {{0, 0, 9, 1}, {0, 9, 9, 1}, {8, 1, 1, 8}}},
        {{0, 0, 9, 10}, false, {{0, 0, 10, 1}, {0, 1, 1, 9}, {9, 1, 1, 9}}},
        // A negative size must not reach the destination, whose edges would
        // then lie before the rectangle (row -1 here).
        {{0, 0, 5, -1}, false, {{0, 0, 6, 1}}},
        {{0, 2, -1, 3}, false, {{0, 3, 1, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.rect));
        RecordingImage image(10, 10);
        Graphics g(&image);
        g.SetColor(kRed);
        g.DrawRect(c.rect.mX, c.rect.mY, c.rect.mWidth, c.rect.mHeight);
        if (c.outlineSlot) {
            ASSERT_EQ(image.mCalls.size(), 1u);
            EXPECT_EQ(image.mCalls[0].slot, Slot::DrawRect);
            EXPECT_EQ(image.mCalls[0].rect, c.rect);
            EXPECT_EQ(image.mCalls[0].color, kRed);
        } else {
            EXPECT_EQ(FilledRects(image), c.fills);
        }
    }

    RecordingImage image(10, 10);
    Graphics g(&image);
    g.Translate(2, 3);
    g.DrawRect(0, 0, 4, 4);
    ASSERT_EQ(image.mCalls.size(), 1u);
    EXPECT_EQ(image.mCalls[0].rect, TRect<int>(2, 3, 4, 4));
}

TEST(GraphicsClipTest, LinesAreClippedToTheLastColumnAndRowInside)
{
    struct Case {
        TRect<int> clip;
        double x1, y1, x2, y2;
        bool drawn;
        double ex1, ey1, ex2, ey2;
    };
    const TRect<int> box(0, 0, 10, 10);
    const Case cases[] = {
        {box, -10, 5, 20, 5, true, 0, 5, 9, 5},
        {box, 3, -5, 3, 50, true, 3, 0, 3, 9},
        {box, -5, -5, 15, 15, true, 0, 0, 9, 9},
        {box, 9, 9, 0, 0, true, 0, 0, 9, 9},   // upper end first
        {box, 0, 9, 9, 0, true, 9, 0, 0, 9},
        {box, 2, 3, 7, 8, true, 2, 3, 7, 8},   // inside: unchanged
        {{2, 2, 4, 4}, 0, 0, 9, 9, true, 2, 2, 5, 5},
        {box, -5, 0, -1, 9, false, 0, 0, 0, 0},
        {box, 0, -5, 9, -1, false, 0, 0, 0, 0},
        {box, 10, 0, 12, 5, false, 0, 0, 0, 0}, // the column past the clip
        {box, 0, 10, 5, 12, false, 0, 0, 0, 0},
        // The left and right cuts leave the top end inside the last row
        // (y = 0.5); the bottom end is then cut where the line leaves the
        // clip (x = 5), not moved up to row 0 by extending the line to x = -5.
        {{0, 0, 10, 1}, -5, 0, 15, 2, true, 0, 0.5, 5, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "line " << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2);
        RecordingImage image(20, 20);
        Graphics g(&image);
        g.SetClipRect(c.clip.mX, c.clip.mY, c.clip.mWidth, c.clip.mHeight);
        g.DrawLine(int(c.x1), int(c.y1), int(c.x2), int(c.y2));
        if (!c.drawn) {
            EXPECT_TRUE(image.mCalls.empty());
            continue;
        }
        ASSERT_EQ(image.mCalls.size(), 1u);
        const SlotCall& call = image.mCalls[0];
        EXPECT_EQ(call.slot, Slot::DrawLine);
        EXPECT_NEAR(call.x1, c.ex1, 1e-9);
        EXPECT_NEAR(call.y1, c.ey1, 1e-9);
        EXPECT_NEAR(call.x2, c.ex2, 1e-9);
        EXPECT_NEAR(call.y2, c.ey2, 1e-9);
    }
}

TEST(GraphicsClipTest, LinesKeepFractionalTranslationAndIgnoreAlpha)
{
    RecordingImage image(20, 20);
    Graphics g(&image);
    g.mTransX = 0.5f;
    g.mTransY = 0.25f;
    g.SetColor(Color(1, 2, 3, 0));
    g.SetDrawMode(1);
    g.DrawLine(1, 1, 3, 4);
    ASSERT_EQ(image.mCalls.size(), 1u);
    const SlotCall& call = image.mCalls[0];
    EXPECT_EQ(call.x1, 1.5);
    EXPECT_EQ(call.y1, 1.25);
    EXPECT_EQ(call.x2, 3.5);
    EXPECT_EQ(call.y2, 4.25);
    EXPECT_EQ(call.color, Color(1, 2, 3, 0));
    EXPECT_EQ(call.drawMode, 1);
}

// ---------------------------------------------------------------------------
// Images

TEST(GraphicsImageTest, UnscaledImagesAreCutToTheClip)
{
    struct Case {
        int x, y;
        bool withSource;
        TRect<int> source;
        bool drawn;
        int ex, ey;
        TRect<int> expectedSource;
    };
    const Case cases[] = {
        {3, 4, false, {}, true, 3, 4, {0, 0, 8, 6}},
        {-2, -1, false, {}, true, 0, 0, {2, 1, 6, 5}},
        {15, 17, false, {}, true, 15, 17, {0, 0, 5, 3}},
        {25, 0, false, {}, false, 0, 0, {}},
        {3, 4, true, {2, 1, 4, 3}, true, 3, 4, {2, 1, 4, 3}},
        {-1, 0, true, {2, 1, 4, 3}, true, 0, 0, {3, 1, 3, 3}},
        {18, 19, true, {2, 1, 4, 3}, true, 18, 19, {2, 1, 2, 1}},
        {3, 4, true, {0, 0, 8, 6}, true, 3, 4, {0, 0, 8, 6}}, // exactly the image
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.x << "," << c.y);
        RecordingImage dest(20, 20);
        RecordingImage source(8, 6);
        Graphics g(&dest);
        g.SetColor(kRed); // not used: images are not colourised
        if (c.withSource) {
            g.DrawImage(&source, c.x, c.y, c.source);
        } else {
            g.DrawImage(&source, c.x, c.y);
        }
        if (!c.drawn) {
            EXPECT_TRUE(dest.mCalls.empty());
            continue;
        }
        ASSERT_EQ(dest.mCalls.size(), 1u);
        const SlotCall& call = dest.mCalls[0];
        EXPECT_EQ(call.slot, Slot::Blt);
        EXPECT_EQ(call.source, &source);
        EXPECT_EQ(call.x1, c.ex);
        EXPECT_EQ(call.y1, c.ey);
        EXPECT_EQ(call.srcRect, c.expectedSource);
        EXPECT_EQ(call.color, Color::White);
        EXPECT_EQ(call.drawMode, 0);
    }
}

TEST(GraphicsImageTest, ColorizingUsesTheStateColor)
{
    RecordingImage dest(20, 20);
    RecordingImage source(4, 4);
    Graphics g(&dest);
    g.SetColor(Color(10, 20, 30, 40));
    g.SetDrawMode(1);
    g.SetColorizeImages(true);
    g.DrawImage(&source, 0, 0);
    g.DrawImageMirror(&source, 0, 0, TRect<int>(0, 0, 4, 4), true);
    g.DrawImageMatrix(&source, Matrix3(), TRect<int>(0, 0, 4, 4), 0.0f, 0.0f);
    g.mScaleX = 2.0f;
    g.DrawImage(&source, 0, 0);
    ASSERT_EQ(dest.mCalls.size(), 4u);
    for (const SlotCall& call : dest.mCalls) {
        EXPECT_EQ(call.color, Color(10, 20, 30, 40));
        EXPECT_EQ(call.drawMode, 1);
    }
}

TEST(GraphicsImageTest, SourceRectanglesOutsideTheImageDrawNothing)
{
    // A negative origin would read before the pixels, a far edge past them.
    const TRect<int> outside[] = {
        {-1, 0, 4, 3}, {0, -1, 4, 3}, {-4, -4, 2, 2}, {5, 0, 4, 3},  {0, 4, 4, 3},
        {0, 0, -1, 3}, {0, 0, 4, -1}, {INT_MAX - 1, 0, 5, 1}, {0, INT_MAX, 1, INT_MAX},
    };
    for (const TRect<int>& source : outside) {
        SCOPED_TRACE(testing::PrintToString(source));
        RecordingImage dest(20, 20);
        RecordingImage image(8, 6);
        Graphics g(&dest);
        g.DrawImage(&image, 2, 2, source);
        g.DrawImageMirror(&image, 2, 2, source, true);
        g.DrawImageMirror(&image, 2, 2, source, false);
        g.mScaleX = 2.0f;
        g.DrawImage(&image, 2, 2, source);
        EXPECT_TRUE(dest.mCalls.empty());
    }
}

TEST(GraphicsImageTest, ScaledImagesStretchAroundTheOrigin)
{
    struct Case {
        float scaleX, scaleY, origX, origY;
        int translate;
        int x, y;
        TRect<int> source;
        TRect<int> expectedDest;
    };
    const Case cases[] = {
        // Scale 2 from (0, 0): 10 x 10 at (3, 4) covers (6, 8, 20, 20).
        {2.0f, 2.0f, 0.0f, 0.0f, 0, 3, 4, {0, 0, 10, 10}, {6, 8, 20, 20}},
        // x: floor((3 - 10) * 1.5) + 10 = -11 + 10 (floor, not truncation);
        // y: floor((4 - 10) * 1.5) + 10 = 1; sizes ceil(4.5) and ceil(7.5).
        {1.5f, 1.5f, 10.0f, 10.0f, 1, 2, 4, {1, 2, 3, 5}, {-1, 1, 5, 8}},
        // Scaling one axis is enough to stretch.
        {1.0f, 0.5f, 0.0f, 0.0f, 0, 3, 5, {0, 0, 10, 10}, {3, 2, 10, 5}},
    };
    for (const Case& c : cases) {
        RecordingImage dest(40, 40);
        RecordingImage image(10, 10);
        Graphics g(&dest);
        g.mScaleX = c.scaleX;
        g.mScaleY = c.scaleY;
        g.mScaleOrigX = c.origX;
        g.mScaleOrigY = c.origY;
        g.Translate(c.translate, 0);
        g.ClipRect(0, 0, 30, 30);
        g.SetFastStretch(true);
        g.DrawImage(&image, c.x, c.y, c.source);
        ASSERT_EQ(dest.mCalls.size(), 1u);
        const SlotCall& call = dest.mCalls[0];
        EXPECT_EQ(call.slot, Slot::StretchBlt);
        EXPECT_EQ(call.rect, c.expectedDest);
        EXPECT_EQ(call.srcRect, c.source);
        EXPECT_EQ(call.clipRect, g.mClipRect);
        EXPECT_TRUE(call.flag);
    }

    // The whole-image form stretches the whole image.
    RecordingImage dest(40, 40);
    RecordingImage image(10, 8);
    Graphics g(&dest);
    g.mScaleX = 2.0f;
    g.mScaleY = 2.0f;
    g.DrawImage(&image, 1, 1);
    ASSERT_EQ(dest.mCalls.size(), 1u);
    EXPECT_EQ(dest.mCalls[0].rect, TRect<int>(2, 2, 20, 16));
    EXPECT_EQ(dest.mCalls[0].srcRect, TRect<int>(0, 0, 10, 8));
    EXPECT_FALSE(dest.mCalls[0].flag);
}

TEST(GraphicsImageTest, MirroredImagesAreCutFromTheSourcesOtherSide)
{
    struct Case {
        int x;
        TRect<int> expectedSource;
        int ex;
    };
    // Screen column k of the piece shows source column 2 + 4 - 1 - k.
    const Case cases[] = {
        {3, {2, 1, 4, 3}, 3},
        {-1, {2, 1, 3, 3}, 0},  // screen column -1 (source 5) cut away
        {18, {4, 1, 2, 3}, 18}, // columns 20, 21 (sources 3, 2) cut away
    };
    for (const Case& c : cases) {
        RecordingImage dest(20, 20);
        RecordingImage image(8, 6);
        Graphics g(&dest);
        g.mScaleX = 2.0f; // not applied to mirrored drawing
        g.DrawImageMirror(&image, c.x, 0, TRect<int>(2, 1, 4, 3), true);
        ASSERT_EQ(dest.mCalls.size(), 1u);
        EXPECT_EQ(dest.mCalls[0].slot, Slot::BltMirror);
        EXPECT_EQ(dest.mCalls[0].srcRect, c.expectedSource);
        EXPECT_EQ(dest.mCalls[0].x1, c.ex);
        EXPECT_EQ(dest.mCalls[0].y1, 0);
    }

    RecordingImage dest(20, 20);
    RecordingImage image(8, 6);
    Graphics g(&dest);
    g.DrawImageMirror(&image, 3, 4, TRect<int>(2, 1, 4, 3), false);
    ASSERT_EQ(dest.mCalls.size(), 1u);
    EXPECT_EQ(dest.mCalls[0].slot, Slot::Blt);
}

TEST(GraphicsImageTest, MatrixImagesGetTheTranslatedPositionAndState)
{
    RecordingImage dest(20, 20);
    RecordingImage image(8, 6);
    Graphics g(&dest);
    g.Translate(3, 4);
    g.ClipRect(0, 0, 10, 10);
    g.mScaleX = 2.0f; // the matrix carries any scaling
    g.SetLinearBlend(true);
    g.SetDrawMode(1);
    Matrix3 matrix;
    matrix.RotateDegrees(30.0f);
    g.DrawImageMatrix(&image, matrix, TRect<int>(1, 2, 3, 4), 1.5f, 2.25f);
    ASSERT_EQ(dest.mCalls.size(), 1u);
    const SlotCall& call = dest.mCalls[0];
    EXPECT_EQ(call.slot, Slot::BltMatrix);
    EXPECT_EQ(call.source, &image);
    EXPECT_EQ(call.x1, 4.5);
    EXPECT_EQ(call.y1, 6.25);
    EXPECT_EQ(call.clipRect, TRect<int>(3, 4, 10, 10));
    EXPECT_EQ(call.srcRect, TRect<int>(1, 2, 3, 4));
    EXPECT_EQ(call.color, Color::White);
    EXPECT_EQ(call.drawMode, 1);
    EXPECT_TRUE(call.flag);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(call.matrix.m[r][c], matrix.m[r][c]);
        }
    }
}

// Which source pixel a nine-piece box shows along one axis: the first and
// last thirds at the ends, the middle third repeated between them.
int BoxSource(int offset, int destSize, int corner, int middle)
{
    if (offset < corner) {
        return offset;
    }
    if (offset >= destSize - corner) {
        return corner + middle + offset - (destSize - corner);
    }
    return corner + (offset - corner) % middle;
}

TEST(GraphicsImageTest, ImageBoxTilesEdgesAndCentreBetweenUnscaledCorners)
{
    struct Case {
        TRect<int> source;
        TRect<int> dest;
        size_t expectedBlits;
    };
    const Case cases[] = {
        // 10-pixel pieces: three across and two down, exactly.
        {{0, 0, 30, 30}, {0, 0, 50, 40}, 4 + 2 * 3 + 2 * 2 + 3 * 2},
        // Middles of 11 x 12, cut at the clip; with translation.
        {{2, 3, 31, 32}, {5, 6, 45, 37}, 4 + 2 * 3 + 2 * 2 + 3 * 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.dest));
        RecordingImage dest(100, 100);
        RecordingImage image(40, 40);
        Graphics g(&dest);
        g.Translate(1, 2);
        g.DrawImageBox(c.source, c.dest, &image);
        EXPECT_EQ(dest.mCalls.size(), c.expectedBlits);

        const int cw = c.source.mWidth / 3;
        const int ch = c.source.mHeight / 3;
        const int mw = c.source.mWidth - 2 * cw;
        const int mh = c.source.mHeight - 2 * ch;
        // Every pixel of the box is drawn exactly once, from the right
        // source pixel, and nothing outside it.
        std::map<std::pair<int, int>, std::pair<int, int>> drawn;
        for (const SlotCall& call : dest.mCalls) {
            ASSERT_EQ(call.slot, Slot::Blt);
            for (int v = 0; v < call.srcRect.mHeight; ++v) {
                for (int u = 0; u < call.srcRect.mWidth; ++u) {
                    const std::pair<int, int> at(int(call.x1) + u - 1, int(call.y1) + v - 2);
                    EXPECT_EQ(drawn.count(at), 0u) << at.first << "," << at.second;
                    drawn[at] = {call.srcRect.mX + u, call.srcRect.mY + v};
                }
            }
        }
        EXPECT_EQ(drawn.size(), size_t(c.dest.mWidth) * size_t(c.dest.mHeight));
        for (const auto& [at, from] : drawn) {
            const int dx = at.first - c.dest.mX;
            const int dy = at.second - c.dest.mY;
            ASSERT_TRUE(dx >= 0 && dx < c.dest.mWidth && dy >= 0 && dy < c.dest.mHeight);
            EXPECT_EQ(from.first, c.source.mX + BoxSource(dx, c.dest.mWidth, cw, mw)) << dx << "," << dy;
            EXPECT_EQ(from.second, c.source.mY + BoxSource(dy, c.dest.mHeight, ch, mh)) << dx << "," << dy;
        }
    }

    // The short form uses the whole image; an empty source draws nothing.
    RecordingImage dest(100, 100);
    RecordingImage image(30, 30);
    Graphics g(&dest);
    g.DrawImageBox(TRect<int>(0, 0, 50, 40), &image);
    ASSERT_EQ(dest.mCalls.size(), 20u);
    EXPECT_EQ(dest.mCalls[1].srcRect, TRect<int>(20, 0, 10, 10));
    EXPECT_EQ(dest.mCalls[1].x1, 40);
    dest.mCalls.clear();
    g.DrawImageBox(TRect<int>(0, 0, 0, 30), TRect<int>(0, 0, 50, 40), &image);
    EXPECT_TRUE(dest.mCalls.empty());
}

// ---------------------------------------------------------------------------
// Text

TEST(GraphicsTextTest, DrawStringHandsTheFontTheUntranslatedPosition)
{
    RecordingImage dest(20, 20);
    Graphics g(&dest);
    g.DrawString("no font", 1, 2); // nothing, no crash

    FixedWidthFont font(6);
    g.SetFont(&font);
    g.SetColor(kRed);
    g.Translate(5, 5);
    g.ClipRect(0, 0, 10, 10);
    g.DrawString("hi", 1, 2);
    ASSERT_EQ(font.mDrawCalls.size(), 1u);
    const FixedWidthFont::DrawCall& call = font.mDrawCalls[0];
    EXPECT_EQ(call.graphics, &g);
    EXPECT_EQ(call.x, 1);
    EXPECT_EQ(call.y, 2);
    EXPECT_EQ(call.text, "hi");
    EXPECT_EQ(call.color, kRed);
    EXPECT_EQ(call.clipRect, TRect<int>(5, 5, 10, 10));
}

struct Piece {
    std::string text;
    int x;
    Color color;
    bool operator==(const Piece& other) const
    {
        return text == other.text && x == other.x && color == other.color;
    }
};

void PrintTo(const Piece& p, std::ostream* os)
{
    *os << "\"" << p.text << "\" at " << p.x << " in " << testing::PrintToString(p.color);
}

std::vector<Piece> Pieces(const FixedWidthFont& font)
{
    std::vector<Piece> pieces;
    for (const FixedWidthFont::DrawCall& call : font.mDrawCalls) {
        pieces.push_back({call.text, call.x, call.color});
    }
    return pieces;
}

TEST(GraphicsTextTest, ColorTagsSplitTheTextIntoColoredPieces)
{
    const Color start(1, 2, 3, 200);
    struct Case {
        std::string text;
        int expectedWidth;
        std::vector<Piece> pieces;
        Color after;
    };
    // Characters are 6 wide; the text is written at x = 10.
    const Case cases[] = {
        {"a^FF0000^b", 12, {{"a", 10, start}, {"b", 16, {255, 0, 0, 200}}}, {255, 0, 0, 200}},
        {"a^^b", 18, {{"a^b", 10, start}}, start},
        {"ab^FF00", 12, {{"ab", 10, start}}, start},         // a cut-off tag ends the text
        {"ab^FF0000", 12, {{"ab", 10, start}}, start},       // seven characters are still too few
        {"^ff8000xab", 12, {{"ab", 10, {255, 128, 0, 200}}}, {255, 128, 0, 200}},
        {"^1Z2a3b.c", 6, {{"c", 10, {0x10, 0x2A, 0x3B, 200}}}, {0x10, 0x2A, 0x3B, 200}}, // Z reads as 0
        {"x^oFFFFF.y", 12, {{"x", 10, start}, {"y", 16, {0, 0, 0, 200}}}, {0, 0, 0, 200}},
        {"a^00FF00!b^oldclr!c", 18,
         {{"a", 10, start}, {"b", 16, {0, 255, 0, 200}}, {"c", 22, start}}, start},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RecordingImage dest(100, 100);
        FixedWidthFont font(6);
        Graphics g(&dest);
        g.SetFont(&font);
        g.SetColor(start);
        EXPECT_EQ(g.WriteString(c.text, 10, 20, -1, -1, true, 0, -1), c.expectedWidth);
        EXPECT_EQ(Pieces(font), c.pieces);
        EXPECT_EQ(g.mColor, c.after);
        for (const FixedWidthFont::DrawCall& call : font.mDrawCalls) {
            EXPECT_EQ(call.y, 20);
            EXPECT_EQ(call.graphics, &g);
        }

        // Measuring draws nothing and leaves the colour alone.
        font.mDrawCalls.clear();
        g.SetColor(start);
        EXPECT_EQ(g.WriteString(c.text, 10, 20, -1, -1, false, 0, -1), c.expectedWidth);
        EXPECT_TRUE(font.mDrawCalls.empty());
        EXPECT_EQ(g.mColor, start);
    }
}

TEST(GraphicsTextTest, OldColorTagsUseTheGivenColorAndTagsCanBeOff)
{
    RecordingImage dest(100, 100);
    FixedWidthFont font(6);
    Graphics g(&dest);
    g.SetFont(&font);
    g.SetColor(Color(1, 2, 3, 255));
    g.WriteString("^oldclr.x", 0, 0, -1, -1, true, 0, -1, 0x00ABCDEF);
    EXPECT_EQ(Pieces(font), (std::vector<Piece>{{"x", 0, {0xAB, 0xCD, 0xEF, 255}}}));

    font.mDrawCalls.clear();
    g.mWriteColoredString = false;
    EXPECT_EQ(g.WriteString("a^FF0000^b", 0, 0, -1, -1, true, 0, -1), 60);
    EXPECT_EQ(Pieces(font), (std::vector<Piece>{{"a^FF0000^b", 0, {0xAB, 0xCD, 0xEF, 255}}}));
}

TEST(GraphicsTextTest, WriteStringJustifiesAndTakesAPartOfTheText)
{
    struct Case {
        std::string text;
        int justification;
        int offset, length;
        int expectedX;
        std::string expectedText;
    };
    // x = 10, width 100; characters 5 wide.
    const Case cases[] = {
        {"abcdefgh", 0, 0, -1, 10 + 30, "abcdefgh"}, // 40 wide: (100 - 40) / 2
        {"abcdefgh", 1, 0, -1, 10 + 60, "abcdefgh"},
        {"abcdefgh", -1, 0, -1, 10, "abcdefgh"},
        {"abcdefgh", 2, 0, -1, 10, "abcdefgh"},
        {"abc", 0, 0, -1, 10 + 42, "abc"},            // (100 - 15) / 2 truncates
        {"ab^FF0000.cd", 0, 0, -1, 10 + 40, "ab"},    // tags take no width
        {"hello world", -1, 6, 3, 10, "wor"},
        {"hello world", -1, 6, -1, 10, "world"},
        {"hello world", -1, 6, 99, 10, "world"},
        {"hello world", -1, 20, 3, 0, ""},
        {"hello world", -1, -4, 5, 10, "hello"},       // a negative offset reads from the start
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " " + std::to_string(c.offset));
        RecordingImage dest(200, 100);
        FixedWidthFont font(5);
        Graphics g(&dest);
        g.SetFont(&font);
        const int width = g.WriteString(c.text, 10, 0, 100, c.justification, true, c.offset, c.length);
        if (c.expectedText.empty()) {
            EXPECT_EQ(width, 0);
            EXPECT_TRUE(font.mDrawCalls.empty());
            continue;
        }
        ASSERT_FALSE(font.mDrawCalls.empty());
        EXPECT_EQ(font.mDrawCalls[0].x, c.expectedX);
        EXPECT_EQ(font.mDrawCalls[0].text, c.expectedText);
    }

    Graphics noFont(nullptr);
    EXPECT_EQ(noFont.WriteString("abc", 0, 0, 10, 0, true, 0, -1), 0);
}

// A line as the font was asked to draw it.
struct Line {
    std::string text;
    int x;
    int y;
    bool operator==(const Line& other) const { return text == other.text && x == other.x && y == other.y; }
};

void PrintTo(const Line& line, std::ostream* os)
{
    *os << "\"" << line.text << "\" at " << line.x << "," << line.y;
}

// Characters 10 wide, ascent 8 with padding 1, height 10 (descent 2), line
// spacing 12: the first baseline lies 7 below the rectangle's top.
class WordWrapTest : public testing::Test {
protected:
    WordWrapTest() : mDest(300, 300), mFont(10, 8, 10), mGraphics(&mDest)
    {
        mFont.mAscentPadding = 1;
        mFont.mLineSpacingOffset = 2;
        mGraphics.SetFont(&mFont);
    }

    std::vector<Line> Lines() const
    {
        std::vector<Line> lines;
        for (const FixedWidthFont::DrawCall& call : mFont.mDrawCalls) {
            lines.push_back({call.text, call.x, call.y});
        }
        return lines;
    }

    RecordingImage mDest;
    FixedWidthFont mFont;
    Graphics mGraphics;
};

TEST_F(WordWrapTest, BreaksAtSpacesNewlinesAndInsideLongWords)
{
    struct Case {
        std::string text;
        int width;
        std::vector<Line> lines; // rectangle at (5, 7): baselines 14, 26, 38, ...
        int height;
        int maxWidth;
        int lastWidth;
    };
    const Case cases[] = {
        // "aaa bbb" overflows at the third b; the width counted includes it.
        {"aaa bbb ccc", 60, {{"aaa", 5, 14}, {"bbb", 5, 26}, {"ccc", 5, 38}}, 2 + 7 + 24, 70, 30},
        {"aaaaa   bbb", 60, {{"aaaaa ", 5, 14}, {"bbb", 5, 26}}, 2 + 7 + 12, 70, 30}, // spaces after a break skipped
        {"abcdefghij", 60, {{"abcdef", 5, 14}, {"ghij", 5, 26}}, 2 + 7 + 12, 60, 40},
        {"ab", 5, {{"a", 5, 14}, {"b", 5, 26}}, 2 + 7 + 12, 10, 10},               // one character at least
        {"ab\n  cd", 60, {{"ab", 5, 14}, {"  cd", 5, 26}}, 2 + 7 + 12, 71, 40},     // spaces after a newline kept
        {"short", 60, {{"short", 5, 14}}, 2 + 7, 50, 50},
        {"", 60, {}, 2 + 7 - 12, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        mFont.mDrawCalls.clear();
        int maxWidth = -1;
        int lastWidth = 0;
        const int height = mGraphics.WriteWordWrapped(TRect<int>(5, 7, c.width, 100), c.text, -1, -1, &maxWidth, -1,
                                                      &lastWidth);
        EXPECT_EQ(Lines(), c.lines);
        EXPECT_EQ(height, c.height);
        EXPECT_EQ(maxWidth, c.maxWidth);
        EXPECT_EQ(lastWidth, c.lastWidth);
        EXPECT_EQ(mGraphics.GetWordWrappedHeight(c.width, c.text, -1), c.height);
    }
}

TEST_F(WordWrapTest, LastWidthContinuesALineAndATrailingNewlineEndsIt)
{
    int lastWidth = 20;
    const int height = mGraphics.WriteWordWrapped(TRect<int>(0, 0, 60, 100), "ab\n", 20, -1, nullptr, -1, &lastWidth);
    // The first line starts 20 in; the newline opens an empty last line.
    EXPECT_EQ(Lines(), (std::vector<Line>{{"ab", 20, 7}}));
    EXPECT_EQ(height, 2 + 7 + 20 + 20 - 20);
    EXPECT_EQ(lastWidth, 0);

    mFont.mDrawCalls.clear();
    lastWidth = 30;
    mGraphics.WriteWordWrapped(TRect<int>(0, 0, 60, 100), "aa bbbb", -1, -1, nullptr, -1, &lastWidth);
    EXPECT_EQ(Lines(), (std::vector<Line>{{"aa", 30, 7}, {"bbbb", 0, 19}}));
    EXPECT_EQ(lastWidth, 40);
}

TEST_F(WordWrapTest, MaxCharsLimitsTheTextButNotTheLayout)
{
    int maxWidth = 0;
    const int height =
        mGraphics.WriteWordWrapped(TRect<int>(5, 7, 60, 100), "aaa bbb ccc", -1, -1, &maxWidth, 5, nullptr);
    EXPECT_EQ(Lines(), (std::vector<Line>{{"aaa", 5, 14}, {"b", 5, 26}}));
    EXPECT_EQ(height, 2 + 7 + 24);
}

TEST_F(WordWrapTest, LinesOutsideTheClipAreSkippedButCounted)
{
    // Rows 14, 26, 38 and the last line at 50; lines break at spaces are
    // drawn only when their row lies in [clip top, clip bottom + spacing).
    mGraphics.SetClipRect(0, 20, 300, 5);
    const int height = mGraphics.WriteWordWrapped(TRect<int>(5, 7, 60, 100), "aaa bbb ccc ddd", -1, -1);
    EXPECT_EQ(Lines(), (std::vector<Line>{{"bbb", 5, 26}, {"ddd", 5, 50}}));
    EXPECT_EQ(height, 2 + 7 + 36);

    // Translated by 10, rows 24 and 36 are inside.
    mFont.mDrawCalls.clear();
    mGraphics.Translate(0, 10);
    mGraphics.WriteWordWrapped(TRect<int>(5, 7, 60, 100), "aaa bbb ccc ddd", -1, -1);
    EXPECT_EQ(Lines(), (std::vector<Line>{{"aaa", 5, 14}, {"bbb", 5, 26}, {"ddd", 5, 50}}));
}

TEST_F(WordWrapTest, ColorTagsHaveNoWidthAndTheColorIsRestored)
{
    const Color start(1, 2, 3, 255);
    mGraphics.SetColor(start);
    // Six a's fill the 60 pixels although the tag comes first; the colour
    // carries over to the next line.
    mGraphics.WriteWordWrapped(TRect<int>(0, 0, 60, 100), "^FF0000.aaaaaa b", -1, -1);
    ASSERT_EQ(mFont.mDrawCalls.size(), 2u);
    EXPECT_EQ(mFont.mDrawCalls[0].text, "aaaaaa");
    EXPECT_EQ(mFont.mDrawCalls[0].color, Color(255, 0, 0, 255));
    EXPECT_EQ(mFont.mDrawCalls[1].text, "b");
    EXPECT_EQ(mFont.mDrawCalls[1].color, Color(255, 0, 0, 255));
    EXPECT_EQ(mGraphics.mColor, start);

    // "^^" is one character wide.
    mFont.mDrawCalls.clear();
    mGraphics.WriteWordWrapped(TRect<int>(0, 0, 30, 100), "a^^b", -1, -1);
    EXPECT_EQ(Lines(), (std::vector<Line>{{"a^b", 0, 7}}));

    // An old-colour tag on a later line returns to the colour of the call.
    mFont.mDrawCalls.clear();
    mGraphics.WriteWordWrapped(TRect<int>(0, 0, 40, 100), "^FF0000.aa b^oldclr.c", -1, -1);
    ASSERT_EQ(mFont.mDrawCalls.size(), 3u);
    EXPECT_EQ(mFont.mDrawCalls[2].text, "c");
    EXPECT_EQ(mFont.mDrawCalls[2].color, start);
}

TEST_F(WordWrapTest, KerningStartsAfreshOnEachLine)
{
    // Kerned widths 10, 21, 32: "bbb" fits in 32 only when its first
    // character has no previous one.
    mFont.mKern = 1;
    mGraphics.WriteWordWrapped(TRect<int>(0, 0, 32, 100), "aaa bbb", -1, -1);
    EXPECT_EQ(Lines(), (std::vector<Line>{{"aaa", 0, 7}, {"bbb", 0, 19}}));
}

TEST_F(WordWrapTest, HeightIsMeasuredWithoutDrawingAndWithTags)
{
    mGraphics.mWriteColoredString = false;
    mFont.mDrawBoxes = true;
    int maxWidth = -1;
    EXPECT_EQ(mGraphics.GetWordWrappedHeight(60, "aaa bbb ccc", 20, &maxWidth), 2 + 7 + 40);
    EXPECT_EQ(maxWidth, 70);
    // The measuring context has tags on: the tag takes no width here.
    EXPECT_EQ(mGraphics.GetWordWrappedHeight(30, "^FF0000.abc", -1), 2 + 7);
    EXPECT_TRUE(mDest.mCalls.empty());
    for (const FixedWidthFont::DrawCall& call : mFont.mDrawCalls) {
        EXPECT_EQ(call.destImage, Graphics::GetStaticImage());
    }

    Graphics noFont(&mDest);
    EXPECT_EQ(noFont.GetWordWrappedHeight(60, "aaa", -1), 0);
    EXPECT_EQ(noFont.WriteWordWrapped(TRect<int>(0, 0, 60, 100), "aaa", -1, -1), 0);
}

// ---------------------------------------------------------------------------
// Into a memory image

class GraphicsMemoryImageTest : public testing::Test {
protected:
    static uint32_t Pixel(MemoryImage& image, int x, int y) { return image.GetBits()[y * image.GetWidth() + x]; }

    TestApp mApp;
};

TEST_F(GraphicsMemoryImageTest, NegativeSizesAndLinesStayInsideTheClip)
{
    MemoryImage image;
    image.Create(10, 2);
    Graphics g(&image);
    g.SetColor(Color(255, 255, 255, 255));
    // Would have filled row -1 (before the pixels) through the outline slot.
    g.DrawRect(0, 0, 5, -1);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(Pixel(image, x, 0), x <= 5 ? 0xFFFFFFFFu : 0u) << x;
        EXPECT_EQ(Pixel(image, x, 1), 0u) << x;
    }

    // Clipped to row 0, the line would otherwise have run to x = -5.
    image.Clear();
    g.SetClipRect(0, 0, 10, 1);
    g.DrawLine(-5, 0, 15, 2);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(Pixel(image, x, 0), x <= 5 ? 0xFFFFFFFFu : 0u) << x;
        EXPECT_EQ(Pixel(image, x, 1), 0u) << x;
    }
}

TEST_F(GraphicsMemoryImageTest, ImagesAndColoredTextReachThePixels)
{
    MemoryImage source;
    source.Create(4, 4);
    uint32_t* bits = source.GetBits();
    for (int i = 0; i < 16; ++i) {
        bits[i] = 0xFF000000u | uint32_t(i);
    }
    source.BitsChanged();

    // An opaque destination takes opaque source pixels unchanged.
    MemoryImage dest;
    dest.Create(8, 8);
    Graphics g(&dest);
    g.FillRect(0, 0, 8, 8);
    dest.CommitBits();
    g.DrawImage(&source, 2, 2, TRect<int>(-2, 0, 4, 4)); // reaching before the pixels: nothing
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(dest.GetBits()[i], 0xFF000000u) << i;
    }
    g.Translate(-1, 0);
    g.DrawImage(&source, 6, 5, TRect<int>(1, 0, 3, 4)); // at (5, 5), cut to 3 x 3
    EXPECT_EQ(Pixel(dest, 5, 5), 0xFF000001u);          // source (1, 0)
    EXPECT_EQ(Pixel(dest, 7, 7), 0xFF00000Bu);          // source (3, 2)
    EXPECT_EQ(Pixel(dest, 4, 5), 0xFF000000u);

    // Boxes of the test font: "a" white at (0, 0), "b" red at (4, 0).
    MemoryImage text;
    text.Create(12, 6);
    FixedWidthFont font(4, 4, 4);
    font.mDrawBoxes = true;
    Graphics t(&text);
    t.SetFont(&font);
    t.SetColor(Color(255, 255, 255, 255));
    EXPECT_EQ(t.WriteString("a^FF0000.b", 0, 4, -1, -1, true, 0, -1), 8);
    EXPECT_EQ(Pixel(text, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(text, 3, 3), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(text, 4, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(text, 7, 3), 0xFFFF0000u);
    EXPECT_EQ(Pixel(text, 8, 0), 0u);
    EXPECT_EQ(Pixel(text, 0, 4), 0u);
}
