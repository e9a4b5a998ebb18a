// The game's mouse pointer drawn on an 800 x 600 memory screen: where its
// picture lands, how it follows its screen's mouse through its parent, when
// it hides and shows the system pointer, and its object XML.
#include "game/engine/CursorObject.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformImage.h"
#include "support/EngineDrawing.h"
#include "support/FakePlatformHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;

using Box = LumoTest::ScreenBox;

class CursorObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Lumo::TriangleRasterizer::InitSpanFunctions();
        mScreenImage.Create(800, 600);
        mScreenImage.SetImageMode(false, false);
        mGraphics = std::make_unique<Lumo::Graphics>(&mScreenImage);
        mPlatform.SetGraphics(mGraphics.get());
        mGame->mPlatform = &mPlatform;
        mScreen = Screen();
        mPicture = Picture(32, 32);
    }
    void TearDown() override { mGame.reset(); }

    Level* Screen()
    {
        auto* level = new Level;
        level->AddStage(1000000.0f, 0, 0, 1, nullptr);
        mGame->mLiveObjects.Append(level);
        return level;
    }
    ImageRecord* Picture(int width, int height)
    {
        auto record = LumoTest::MakeColumnPicture(width, height, {kRed});
        // Held by the test for its whole run.
        record->mUseCount = 1000;
        mPictures.push_back(std::move(record));
        return mPictures.back().get();
    }
    CursorObject* Cursor(AnimObject* parent, int topLeft)
    {
        auto* cursor = new CursorObject;
        cursor->AddStage(1000000.0f, 0, 0, 1, nullptr);
        cursor->SetImageRecord(mPicture);
        // The whole picture, as an "image" attribute gives it.
        cursor->mSource[2] = mPicture->mWidth;
        cursor->mSource[3] = mPicture->mHeight;
        cursor->mTopLeft = topLeft;
        parent->AddChild(cursor);
        return cursor;
    }
    // The topmost screen copies the mouse at its tick.
    void Mouse(float x, float y)
    {
        mHost.mouseX = static_cast<int>(x);
        mHost.mouseY = static_cast<int>(y);
    }
    void Frame()
    {
        uint32_t* bits = mScreenImage.GetBits();
        std::fill(bits, bits + mScreenImage.PixelCount(), kBlack);
        mScreenImage.BitsChanged();
        UpdateLiveObjects(*mGame);
        DrawLiveObjects(*mGame);
    }
    Box DrawnBox()
    {
        return LumoTest::ScreenBoxWhere(mScreenImage.GetBits(), [](uint32_t pixel) { return pixel != kBlack; });
    }

    std::vector<std::unique_ptr<ImageRecord>> mPictures;
    Lumo::MemoryImage mScreenImage;
    std::unique_ptr<Lumo::Graphics> mGraphics;
    FakePlatformHost mHost;
    Platform mPlatform{&mHost};
    std::unique_ptr<GameState> mGame = std::make_unique<GameState>();
    Level* mScreen = nullptr;
    ImageRecord* mPicture = nullptr;
};

TEST_F(CursorObjectTest, PictureCornerOrCentreSitsOnTheMousePoint)
{
    CursorObject* cursor = Cursor(mScreen, 1);
    EXPECT_EQ(cursor->mKind, kKindCursorObject);
    EXPECT_EQ(cursor->mZOrder, 11.0f);
    Mouse(100.0f, 200.0f);
    Frame();
    // Centre (116, 216): x 116 - 16 - 1 (the object's offset) + 1 (the
    // platform's) = 100; y 216 - 16 + 1 = 201, the row below the point as for
    // every object drawn.
    EXPECT_EQ(DrawnBox(), (Box{100, 201, 131, 232}));
    // Without top_left the picture is centred on the point.
    cursor->mTopLeft = 0;
    Frame();
    EXPECT_EQ(DrawnBox(), (Box{84, 185, 115, 216}));
}

TEST_F(CursorObjectTest, FollowsItsScreensMouseThroughItsParent)
{
    AnimObject* panel = mScreen->AddChild(nullptr);
    panel->AddStage(1000000.0f, 0, 0, 1, nullptr);
    panel->mLocal[kAttrX] = 100.0f;
    panel->mLocal[kAttrY] = 50.0f;
    CursorObject* cursor = Cursor(panel, 1);
    Mouse(300.0f, 400.0f);
    Frame();
    EXPECT_EQ(cursor->mLocal[kAttrX], 200.0f);
    EXPECT_EQ(cursor->mLocal[kAttrY], 350.0f);
    EXPECT_EQ(cursor->mWorld[kAttrX], 300.0f);
    EXPECT_EQ(cursor->mWorld[kAttrY], 400.0f);
    EXPECT_EQ(DrawnBox(), (Box{300, 401, 331, 432}));
    // The draw leaves the world the tick made.
    EXPECT_EQ(cursor->mWorld[kAttrX], 300.0f);
}

TEST_F(CursorObjectTest, SystemPointerIsHiddenWhileThePictureIsShownAndBackWhenTheMouseLeaves)
{
    struct Case {
        const char* what;
        bool topmost;
        bool editor;
        bool inWindow;
        int mouseInside;
        float x, y;
        int active;
        bool drawn;
        std::vector<int> calls; // system pointer kinds asked for by one frame
    };
    const std::vector<Case> cases = {
        {"shown", true, false, true, 1, 100, 100, 1, true, {11}},
        {"last pixel inside", true, false, true, 1, 799, 599, 1, true, {11}},
        {"below another screen", false, false, true, 1, 100, 100, 1, false, {}},
        {"editor open", true, true, true, 1, 100, 100, 1, false, {}},
        {"game inactive", true, false, true, 1, 100, 100, 0, false, {}},
        {"window says outside", true, false, false, 1, 100, 100, 1, false, {0}},
        {"game says outside", true, false, true, 0, 100, 100, 1, false, {0}},
        {"right of the screen", true, false, true, 1, 800, 100, 1, false, {0}},
        {"below the screen", true, false, true, 1, 100, 600, 1, false, {0}},
        {"left of the screen", true, false, true, 1, -1, 100, 1, false, {0}},
    };
    AnimObject editor;
    for (const Case& c : cases) {
        mGame.reset();
        mGame = std::make_unique<GameState>();
        mGame->mPlatform = &mPlatform;
        mHost.cursorKinds.clear();
        mScreen = Screen();
        // Centred, so that the picture shows at the last pixel too.
        Cursor(mScreen, 0);
        if (!c.topmost)
            Screen();
        mGame->mEditor = c.editor ? &editor : nullptr;
        mHost.mouseInWindow = c.inWindow;
        mGame->mMouseInside = c.mouseInside;
        mGame->mActive = c.active;
        Mouse(c.x, c.y);
        Frame();
        EXPECT_EQ(DrawnBox() != Box{}, c.drawn) << c.what;
        EXPECT_EQ(mHost.cursorKinds, c.calls) << c.what;
        EXPECT_EQ(mGame->mSystemCursorHidden, c.drawn) << c.what;
        mGame->mEditor = nullptr;
    }
}

TEST_F(CursorObjectTest, SystemPointerCallsAcrossFrames)
{
    CursorObject* cursor = Cursor(mScreen, 1);
    AnimObject editor;
    Mouse(100.0f, 100.0f);
    // Hidden once however many frames show the picture.
    Frame();
    Frame();
    EXPECT_EQ(mHost.cursorKinds, (std::vector<int>{11}));
    // The mouse leaves: shown; back: hidden again.
    mHost.mouseInWindow = false;
    Frame();
    mHost.mouseInWindow = true;
    Frame();
    EXPECT_EQ(mHost.cursorKinds, (std::vector<int>{11, 0, 11}));
    // The editor is worked with the system pointer, once, and hidden again when it closes.
    mGame->mEditor = &editor;
    Frame();
    Frame();
    mGame->mEditor = nullptr;
    Frame();
    EXPECT_EQ(mHost.cursorKinds, (std::vector<int>{11, 0, 11, 0, 11}));
    // A screen on top without a pointer of its own changes nothing.
    Level* popup = Screen();
    Frame();
    EXPECT_EQ(mHost.cursorKinds.size(), 5u);
    mGame->mLiveObjects.Remove(popup);
    // The pointer object goes: the player gets the system pointer back.
    mScreen->mChildren.Remove(cursor);
    EXPECT_EQ(mHost.cursorKinds, (std::vector<int>{11, 0, 11, 0, 11, 0}));
    EXPECT_FALSE(mGame->mSystemCursorHidden);
}

TEST_F(CursorObjectTest, ObjectXmlBuildsTheCursorAndTheWriterReadsBack)
{
    struct Case {
        const char* topLeft;
        const char* z; // none: the class's own 11
        float zOrder;
    };
    for (const Case& c : {Case{"1", "", 11.0f}, Case{"123456789", " z_order=\"0\"", 0.0f},
                          Case{"0", " z_order=\"20\"", 20.0f}}) {
        const char* topLeft = c.topLeft;
        const std::string text = std::string("<object type=\"cursor\" name=\"pointer\" top_left=\"") + topLeft +
                                 "\"" + c.z + ">\n<stage ms=\"1000\">\n</object>\n";
        auto* cursor = dynamic_cast<CursorObject*>(CreateObjectsFromXml(text.c_str(), mScreen, "cursor.xml"));
        ASSERT_NE(cursor, nullptr);
        EXPECT_EQ(cursor->mKind, kKindCursorObject);
        EXPECT_EQ(cursor->mTopLeft, std::stoi(topLeft));
        EXPECT_EQ(cursor->mZOrder, c.zOrder);
        std::string written;
        cursor->WriteXml(written, 0);
        auto* back = dynamic_cast<CursorObject*>(CreateObjectsFromXml(written.c_str(), mScreen, "saved.xml"));
        ASSERT_NE(back, nullptr) << written;
        EXPECT_EQ(back->mTopLeft, cursor->mTopLeft) << written;
        EXPECT_EQ(back->mZOrder, c.zOrder) << written;
        EXPECT_STREQ(back->mName, "pointer");
    }
}

} // namespace
