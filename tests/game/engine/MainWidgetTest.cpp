// The main widget: the fixed 4-ms tick over the live list with its stall
// rules, the splash pictures, the loading screen and bar, the game's
// loading thread and the ways a run can end while it loads.
#include "game/engine/MainWidget.h"

#include "game/engine/ImageRecord.h"
#include "game/engine/Stage.h"
#include "support/GameDataFixture.h"
#include "support/SimulatedClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// A screen that counts its ticks and stays.
class CountingScreen : public Level {
public:
    int Update() override
    {
        ++ticks;
        if (onTick)
            onTick();
        return 1;
    }
    int ticks = 0;
    std::function<void()> onTick;
};

// Pictures of known sizes: the loading picture fills the screen in one
// colour, the bar is 416 pixels wide in another; the rest are small.
class SizedPictureHost : public FakePlatformHost {
public:
    Lumo::MemoryImage* GetImage(const std::string& path) override
    {
        imageRequests.push_back(path);
        int w = 8;
        int h = 8;
        uint32_t colour = 0xFF303030u;
        if (path == "gfx\\loading.jpg") {
            w = 800;
            h = 600;
            colour = 0xFF0000A0u;
        } else if (path == "gfx\\gamepaused.png") {
            w = 100;
            h = 40;
            colour = 0xFF00FF00u;
        } else if (path == "gfx\\loadbar.png") {
            w = 416;
            h = 18;
            colour = 0xFFFFFF00u;
        }
        std::vector<uint32_t> pixels(size_t(w) * h, colour);
        auto* image = new Lumo::MemoryImage();
        image->SetBits(pixels.data(), w, h, true);
        return image;
    }
};

// Hooks whose tuning step waits until the test lets the loader go on.
class GatedHooks : public LumoTest::RecordingHooks {
public:
    void ReadTuning(const ObjectXmlElement&) override
    {
        reached = true;
        while (!open)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::atomic<bool> reached{false};
    std::atomic<bool> open{false};
};

class MainWidgetTest : public GameDataFixture {
protected:
    MainWidgetTest()
    {
        mGame->mPlatform = &mSizedPlatform;
        mGame->mImageCache.SetPlatform(&mSizedPlatform);
        mSizedPlatform.SetGraphics(mGraphics.get());
        mFolder.Write("levels/menu.xml", "<object type=\"level\" name=\"main_menu\">\n"
                                         "<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                                         "</object>\n");
        mFolder.Write("config.xml", "<game>\n<loading percent=\"10\">\n<global name=\"gate\">\n"
                                    "<level_file name=\"levels\\menu.xml\">\n<loading percent=\"60\">\n</game>\n");
        mWidget.SetSeed(1234);
    }
    ~MainWidgetTest() override
    {
        gate.open = true;
        mGame->SetQuitting();
        mWidget.JoinLoadingThread();
        mWidget.ReleaseImages();
    }

    // The game at state 101 with one counting screen and the tick clock at now.
    CountingScreen* RunningGame()
    {
        mGame->SetLoadingState(101);
        mGame->mPauseState = 0;
        auto* screen = new CountingScreen;
        mGame->mLiveObjects.Append(screen);
        mGame->mLastTick = mClock.Now() / MainWidget::kTickMs;
        return screen;
    }

    void Frame()
    {
        mWidget.UpdateF(0.0f);
        mWidget.Draw(mGraphics.get());
        mClock.Advance(MainWidget::kTickMs);
    }

    // Frames until the condition holds (the loader runs in real time).
    bool FramesUntil(const std::function<bool()>& done, int limit = 20000)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (int i = 0; i < limit && std::chrono::steady_clock::now() < deadline; ++i) {
            if (done())
                return true;
            Frame();
            if (mGame->GetLoadingState() >= 2 && mGame->GetLoadingState() < 101)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return done();
    }

    bool WaitForState(int state)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (mGame->GetLoadingState() != state && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return mGame->GetLoadingState() == state;
    }

    // Columns of the screen row that show the bar's colour.
    std::vector<int> BarColumns(int row = 437)
    {
        const uint32_t* bits = mScreen.GetBits();
        std::vector<int> columns;
        for (int x = 0; x < 800; ++x) {
            if ((bits[row * 800 + x] & 0xFFFFFF) == 0xFFFF00)
                columns.push_back(x);
        }
        return columns;
    }

    SimulatedClock mClock{100000};
    SizedPictureHost sizedHost;
    Platform mSizedPlatform{&sizedHost};
    GatedHooks gate;
    MainWidget mWidget{nullptr};
};

struct TickCase {
    const char* name;
    uint32_t previousPass;
    int state;
    int active;
    int pause;
    uint32_t stallMs;
    int expectedTicks;
    std::vector<uint32_t> expectedSleeps;
};

TEST_F(MainWidgetTest, TickDriverRunsWhatIsDueWithinItsLimits)
{
    const std::vector<TickCase> cases = {
        {"one tick due", 1, 101, 1, 0, 4, 1, {}},
        {"a 100-tick stall is caught up", 1, 101, 1, 0, 400, 100, {}},
        {"previous 7 and a 150-tick stall run 7", 7, 101, 1, 0, 600, 7, {}},
        {"previous 50 and a 150-tick stall run 20", 50, 101, 1, 0, 600, 20, {}},
        {"nothing due sleeps 1 ms", 1, 101, 1, 0, 3, 0, {1}},
        {"inactive during the splashes still ticks", 1, -1, 0, 2, 12, 3, {}},
        {"inactive in the game sleeps instead", 1, 101, 0, 0, 12, 0, {2, 2, 2}},
        {"pause state 1 suppresses", 1, 101, 1, 1, 8, 0, {2, 2}},
        {"pause state 2 does not", 1, 101, 1, 2, 8, 2, {}},
        {"no ticks while loading", 1, 50, 1, 0, 400, 0, {}},
    };
    for (const TickCase& c : cases) {
        SCOPED_TRACE(c.name);
        NewGame();
        mGame->mPlatform = &mSizedPlatform;
        CountingScreen* screen = RunningGame();
        mGame->SetLoadingState(c.state);
        mGame->mActive = c.active;
        mGame->mPauseState = c.pause;
        mGame->mLastTickCount = c.previousPass;
        const uint32_t start = mGame->mLastTick;
        mClock.Advance(c.stallMs);
        const uint32_t nowTick = mClock.Now() / MainWidget::kTickMs;
        const size_t sleepsBefore = mClock.SleepCount();
        mWidget.UpdateF(0.0f);
        EXPECT_EQ(screen->ticks, c.expectedTicks);
        EXPECT_EQ(std::vector<uint32_t>(mClock.Sleeps().begin() + long(sleepsBefore), mClock.Sleeps().end()),
                  c.expectedSleeps);
        if (c.state >= 0 && c.state <= 100) {
            EXPECT_EQ(mGame->mLastTick, start) << "the clock is not read while loading";
            continue;
        }
        if (c.expectedSleeps == std::vector<uint32_t>{1})
            continue;
        // Nothing is owed afterwards: a stall's rest is dropped.
        EXPECT_EQ(mGame->mLastTick, nowTick);
        const int before = screen->ticks;
        mWidget.UpdateF(0.0f);
        EXPECT_EQ(screen->ticks, before) << "nothing due at once";
    }
}

TEST_F(MainWidgetTest, TickCountsTheLastPassAndTheClockWrapGivesOneShortPass)
{
    SimulatedClock nearWrap{0xFFFFFFFFu - 99u};
    CountingScreen* screen = RunningGame();
    mGame->mLastTick = nearWrap.Now() / MainWidget::kTickMs;
    nearWrap.Advance(40);
    mWidget.UpdateF(0.0f);
    EXPECT_EQ(screen->ticks, 10);
    EXPECT_EQ(mGame->mLastTickCount, 10u);
    // The millisecond count wraps: one pass no longer than the previous.
    nearWrap.Advance(200);
    mWidget.UpdateF(0.0f);
    EXPECT_EQ(screen->ticks, 20);
    nearWrap.Advance(8);
    mWidget.UpdateF(0.0f);
    EXPECT_EQ(screen->ticks, 22);
}

TEST_F(MainWidgetTest, AScreenBuiltDuringATickRestartsTheClock)
{
    CountingScreen* screen = RunningGame();
    screen->onTick = [this, screen] {
        if (screen->ticks == 3)
            mGame->mHooks->ResetTickClock();
    };
    GameHooks base;
    mGame->mHooks = &base;
    mClock.Advance(40);
    mWidget.UpdateF(0.0f);
    EXPECT_EQ(screen->ticks, 3) << "the pass ends with the restart";
    EXPECT_EQ(mGame->mLastTick, 0u);
    mClock.Advance(4);
    mWidget.UpdateF(0.0f);
    mClock.Advance(4);
    mWidget.UpdateF(0.0f);
    EXPECT_EQ(screen->ticks, 4) << "the building time is not caught up";
}

TEST_F(MainWidgetTest, SplashesLoadingScreenAndTheMenuInOrder)
{
    mFolder.Write("properties/partner.xml", "<Properties>\n<p id=\"PartnerImage\">gfx\\one.png</p>\n"
                                            "<p id=\"ProdName\">x</p>\n<p id=\"PartnerImage\">gfx\\two.png</p>\n"
                                            "</Properties>\n<p id=\"PartnerImage\">gfx\\late.png</p>\n");
    gate.open = true;
    mGame->mHooks = &gate;
    std::vector<int> states{mGame->GetLoadingState()};
    auto note = [&] {
        if (states.back() != mGame->GetLoadingState())
            states.push_back(mGame->GetLoadingState());
    };
    Frame();
    note();

    // Four splash screens: the company's, the partner's two, the loading picture.
    struct Splash {
        std::string image;
        float firstStageTicks;
        int clearFirst;
    };
    std::vector<Splash> splashes;
    for (AnimObject* screen = mGame->mLiveObjects.Head(); screen != nullptr; screen = screen->mNext) {
        auto* level = dynamic_cast<Level*>(screen);
        ASSERT_NE(level, nullptr);
        ASSERT_NE(level->mImage, nullptr);
        ASSERT_EQ(level->mStages.Count(), 4);
        splashes.push_back({level->mImage->mName, level->mStages.Head()->mLength, level->mClearFirst});
    }
    ASSERT_EQ(splashes.size(), 4u);
    const std::vector<std::string> images = {"gfx\\quillo.jpg", "gfx\\one.png", "gfx\\two.png", "gfx\\loading.jpg"};
    const float delays[] = {0.0f, 2000.0f, 4000.0f, 6000.0f};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(splashes[i].image, images[i]);
        EXPECT_EQ(splashes[i].firstStageTicks, (delays[i] + 1000.0f) / 4.0f);
        EXPECT_EQ(splashes[i].clearFirst, i == 0 ? 1 : 0);
    }
    // The splashes end by themselves (the last after 10 s), then the loader
    // runs and the menu opens.
    ASSERT_TRUE(FramesUntil([&] {
        note();
        return mGame->GetLoadingState() == 101;
    }));
    EXPECT_EQ(states.front(), -2);
    EXPECT_EQ(states[1], -1);
    EXPECT_EQ(states.back(), 101);
    for (size_t i = 1; i < states.size(); ++i)
        EXPECT_LT(states[i - 1], states[i]) << "states only rise";
    EXPECT_GE(mClock.Now() - 100000u, 10000u) << "the splashes took their time";
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"main_menu"}));
    EXPECT_EQ(mGame->mPauseState, 0);
    // The loader let the full bar stand for a second, then ended.
    mClock.Advance(MainWidget::kFullBarMs);
    mWidget.JoinLoadingThread();
    EXPECT_FALSE(mWidget.HasLoadingThread());
}

TEST_F(MainWidgetTest, LoadingBarGrowsWithThePercentage)
{
    mGame->mHooks = &gate;
    mGame->SetLoadingState(0);
    Frame();
    ASSERT_GE(mGame->GetLoadingState(), 2);
    ASSERT_TRUE(WaitForState(10));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!gate.reached && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(gate.reached);

    // The bar of 416 pixels is centred at 399: its left end is at 191, and
    // the shown width is 416 * percent / 99 from there.
    struct BarCase {
        int percent;
        int first;
        int last;
    };
    for (const BarCase& c : {BarCase{50, 191, 400}, BarCase{99, 191, 606}, BarCase{2, 191, 198}}) {
        SCOPED_TRACE(c.percent);
        mGame->SetLoadingState(c.percent);
        Frame();
        const std::vector<int> columns = BarColumns();
        ASSERT_FALSE(columns.empty());
        EXPECT_EQ(columns.front(), c.first);
        EXPECT_EQ(columns.back(), c.last);
        EXPECT_EQ(columns.size(), size_t(c.last - c.first + 1));
        EXPECT_TRUE(mGame->mLiveObjects.IsEmpty()) << "nothing but the loading screen is drawn";
    }
    mGame->SetLoadingState(10);
    gate.open = true;
    ASSERT_TRUE(WaitForState(100));
    mWidget.Draw(mGraphics.get());
    // At 100 the clip reaches past the picture: the whole bar, as at 99.
    const std::vector<int> full = BarColumns();
    ASSERT_FALSE(full.empty());
    EXPECT_EQ(full.front(), 191);
    EXPECT_EQ(full.back(), 606);
    EXPECT_EQ(mGame->GetLoadingState(), 101);
}

TEST_F(MainWidgetTest, LostFocusShowsThePausedPictureExceptOverTheMainMenu)
{
    CountingScreen* screen = RunningGame();
    std::strcpy(screen->mName, "level_1");
    // Columns and rows of the paused picture's colour.
    auto greenSpan = [this](bool rows) {
        const uint32_t* bits = mScreen.GetBits();
        int first = -1;
        int last = -1;
        for (int i = 0; i < (rows ? 600 : 800); ++i) {
            const uint32_t p = rows ? bits[i * 800 + 400] : bits[299 * 800 + i];
            if ((p & 0xFFFFFF) == 0x00FF00) {
                if (first < 0)
                    first = i;
                last = i;
            }
        }
        return std::make_pair(first, last);
    };

    Frame();
    Frame();
    ASSERT_GT(screen->ticks, 0);
    mGame->mActive = 0;
    mGame->mPauseState = 2;
    const int ticksBefore = screen->ticks;
    Frame();
    // 100 x 40 centred on (400, 299): an object draws one pixel left of its
    // box and a software draw lands one right and one down, so columns
    // 350..449 and rows 280..319.
    EXPECT_EQ(greenSpan(false), std::make_pair(350, 449));
    EXPECT_EQ(greenSpan(true), std::make_pair(280, 319));
    EXPECT_EQ(mGame->mPauseState, 1) << "each drawn frame counts the pause down";
    Frame();
    EXPECT_EQ(mGame->mPauseState, 0);
    EXPECT_EQ(screen->ticks, ticksBefore) << "no ticks while the window is inactive";

    // Over the main menu the picture is not drawn.
    uint32_t* bits = mScreen.GetBits();
    std::fill(bits, bits + 800 * 600, 0xFF000000u);
    mScreen.BitsChanged();
    std::strcpy(screen->mName, "main_menu");
    Frame();
    EXPECT_EQ(greenSpan(false), std::make_pair(-1, -1));
}

TEST_F(MainWidgetTest, ClosingWhileLoadingEndsTheLoaderWithoutAMenu)
{
    for (const bool inLastSecond : {false, true}) {
        SCOPED_TRACE(inLastSecond ? "in the loader's last second" : "during loading");
        NewGame();
        mGame->mPlatform = &mSizedPlatform;
        mGame->mImageCache.SetPlatform(&mSizedPlatform);
        gate.reached = false;
        gate.open = inLastSecond;
        mGame->mHooks = &gate;
        MainWidget widget(nullptr);
        widget.SetSeed(5);
        mGame->SetLoadingState(0);
        widget.Draw(mGraphics.get());
        ASSERT_TRUE(widget.HasLoadingThread());
        if (inLastSecond) {
            // (A fast loader may have been seen at 100 by the same frame.)
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (mGame->GetLoadingState() < 100 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ASSERT_GE(mGame->GetLoadingState(), 100);
        } else {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!gate.reached && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ASSERT_TRUE(gate.reached);
        }
        // What the application's shut-down does: the quit flag, then the join.
        // The simulated clock stands still: the loader must not wait it out.
        mGame->SetQuitting();
        gate.open = true;
        widget.JoinLoadingThread();
        EXPECT_FALSE(widget.HasLoadingThread());
        if (!inLastSecond) {
            EXPECT_TRUE(mGame->mLiveObjects.IsEmpty()) << "no menu opens";
        }
        widget.ReleaseImages();
    }
}

} // namespace
