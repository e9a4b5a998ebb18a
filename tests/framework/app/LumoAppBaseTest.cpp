// The application object's saturation table, memory-image set, shared-image
// table and property tables.
#include "framework/app/LumoAppBase.h"

#include "framework/display/DDInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

using Lumo::Image;
using Lumo::MemoryImage;
using Lumo::SharedImageRef;

TEST(LumoAppBaseTest, IsTheProcessApplicationWhileItLives)
{
    EXPECT_EQ(Lumo::gLumoAppBase, nullptr);
    {
        TestApp app;
        EXPECT_EQ(Lumo::gLumoAppBase, &app);
        EXPECT_EQ(app.ddInterface, nullptr);
        EXPECT_FALSE(app.Is3DAccelerated());
        EXPECT_TRUE(app.writeToDataCache);
        EXPECT_FALSE(app.sharedImagesDirty);
    }
    EXPECT_EQ(Lumo::gLumoAppBase, nullptr);
}

TEST(LumoAppBaseTest, AddClampTableSaturatesAt255)
{
    TestApp app;
    const int probes[][2] = {{0, 0}, {1, 1}, {128, 128}, {254, 254}, {255, 255}, {256, 255}, {300, 255}, {510, 255},
                             {511, 255}};
    for (const auto& probe : probes) {
        EXPECT_EQ(app.AddClampTable[probe[0]], probe[1]) << probe[0];
    }
}

TEST(LumoAppBaseTest, MemoryImagesRegisterForTheirLifetime)
{
    TestApp app;
    MemoryImage* image = new MemoryImage;
    EXPECT_EQ(app.memoryImageSet.count(image), 1U);
    MemoryImage* copy = new MemoryImage(*image);
    EXPECT_EQ(copy->mApp, &app);
    EXPECT_EQ(app.memoryImageSet.size(), 2U);
    delete image;
    EXPECT_EQ(app.memoryImageSet.count(image), 0U);
    EXPECT_EQ(app.memoryImageSet.count(copy), 1U);
    delete copy;
    EXPECT_TRUE(app.memoryImageSet.empty());

    // An image made for another application registers there.
    TestApp second;
    {
        MemoryImage forFirst(&app);
        EXPECT_EQ(app.memoryImageSet.size(), 1U);
        EXPECT_TRUE(second.memoryImageSet.empty());
    }
    EXPECT_TRUE(app.memoryImageSet.empty());
}

TEST(LumoAppBaseTest, TheDisplayLockGuardsTheImageSet)
{
    TestApp app;
    Lumo::DDInterface* display = app.AddDisplay();
    std::atomic<bool> made(false);
    display->mCritSect.Enter();
    std::thread maker([&] {
        MemoryImage image;
        made = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(made.load());
    display->mCritSect.Leave();
    maker.join();
    EXPECT_TRUE(made.load());
    EXPECT_TRUE(app.memoryImageSet.empty());
}

TEST(LumoAppBaseTest, DisplayGivesPixelFormatAnd3DFlag)
{
    TestApp app;
    EXPECT_EQ(app.GetNativeDisplay()->mRGBBits, 32);
    EXPECT_EQ(app.GetNativeDisplay()->mRedMask, 0xFF0000U);
    Lumo::DDInterface* display = app.AddDisplay();
    EXPECT_EQ(app.GetNativeDisplay(), display);
    EXPECT_FALSE(app.Is3DAccelerated());
    display->mIs3D = true;
    EXPECT_TRUE(app.Is3DAccelerated());
}

TEST(LumoAppBaseTest, SharedImagesAreFoundWithoutRegardToCase)
{
    TestApp app;
    bool isNew = false;
    SharedImageRef first = app.GetSharedImage("gfx\\a.png", "big", &isNew);
    EXPECT_TRUE(isNew);
    // No image loading yet: the entry stays with a null image.
    EXPECT_EQ(static_cast<Image*>(first), nullptr);
    SharedImageRef second = app.GetSharedImage("GFX\\A.PNG", "BIG", &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(first.mSharedImage, second.mSharedImage);
    EXPECT_EQ(first.mSharedImage->mRefCount, 2);
    EXPECT_EQ(app.sharedImageMap.count({"GFX\\A.PNG", "BIG"}), 1U);

    SharedImageRef otherVariant = app.GetSharedImage("gfx\\a.png", "");
    EXPECT_NE(otherVariant.mSharedImage, first.mSharedImage);
}

TEST(LumoAppBaseTest, BangNamesGetANewEmptyImage)
{
    TestApp app;
    bool isNew = false;
    SharedImageRef ref = app.GetSharedImage("!scratch", "", &isNew);
    EXPECT_TRUE(isNew);
    MemoryImage* image = ref;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 0);
    EXPECT_EQ(app.memoryImageSet.count(image), 1U);
}

TEST(LumoAppBaseTest, SetSharedImageEntersOnlyANewPair)
{
    TestApp app;
    MemoryImage* mine = new MemoryImage;
    bool isNew = false;
    SharedImageRef ref = app.SetSharedImage("x.png", "", mine, &isNew);
    EXPECT_TRUE(isNew);
    EXPECT_EQ(static_cast<Image*>(ref), mine);

    MemoryImage theirs;
    SharedImageRef again = app.SetSharedImage("X.PNG", "", &theirs, &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(static_cast<Image*>(again), mine); // the given image stays with the caller
    EXPECT_EQ(ref.mSharedImage->mRefCount, 2);
}

TEST(LumoAppBaseTest, UnreferencedImagesLiveUntilTheNextCleanUp)
{
    TestApp app;
    SharedImageRef ref = app.GetSharedImage("!a", "");
    MemoryImage* image = ref;
    app.CleanSharedImages(); // still referenced
    EXPECT_EQ(app.sharedImageMap.size(), 1U);

    ref.Release();
    EXPECT_TRUE(app.sharedImagesDirty);
    // Asked again before the clean-up: the same image comes back.
    bool isNew = true;
    ref = app.GetSharedImage("!A", "", &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(static_cast<MemoryImage*>(ref), image);
    app.CleanSharedImages();
    EXPECT_FALSE(app.sharedImagesDirty);
    EXPECT_EQ(app.memoryImageSet.count(image), 1U);

    ref.Release();
    app.CleanSharedImages();
    EXPECT_TRUE(app.sharedImageMap.empty());
    EXPECT_EQ(app.memoryImageSet.count(image), 0U);
}

TEST(LumoAppBaseTest, TheApplicationDeletesItsSharedImages)
{
    MemoryImage* survivor = nullptr;
    {
        TestApp app;
        app.AddDisplay();
        SharedImageRef ref = app.GetSharedImage("!a", "");
        survivor = ref;
        ref.Release();
        EXPECT_EQ(app.memoryImageSet.count(survivor), 1U);
    }
    // Deleted with the application (ASan reports a leak otherwise).
    EXPECT_EQ(Lumo::gLumoAppBase, nullptr);
}

namespace {

// Loading arrives later through the hook; it gets the name in its own case.
class LoadingApp : public TestApp {
public:
    std::vector<std::string> mAsked;

protected:
    Image* LoadSharedImage(const std::string& fileName) override
    {
        mAsked.push_back(fileName);
        return new MemoryImage(this);
    }
};

} // namespace

TEST(LumoAppBaseTest, NewSharedEntriesLoadThroughTheHookOnce)
{
    LoadingApp app;
    SharedImageRef a = app.GetSharedImage("Gfx\\Button.png", "");
    SharedImageRef b = app.GetSharedImage("gfx\\button.PNG", "");
    EXPECT_EQ(app.mAsked, std::vector<std::string>{"Gfx\\Button.png"});
    EXPECT_NE(static_cast<Image*>(a), nullptr);
    EXPECT_EQ(static_cast<Image*>(a), static_cast<Image*>(b));
}

TEST(LumoAppBaseTest, PropertyTablesReplaceEarlierValues)
{
    TestApp app;
    EXPECT_EQ(app.stringTable.at("DIALOG_BUTTON_OK"), u"OK");
    EXPECT_EQ(app.stringTable.size(), 8U);
    app.SetString("Title", u"One");
    app.SetString("Title", u"Two");
    app.SetBoolean("DontUpdate", true);
    app.SetBoolean("DontUpdate", false);
    app.SetInteger("Count", 1);
    app.SetInteger("Count", -7);
    app.SetDouble("Speed", 0.5);
    app.SetDouble("Speed", 2.25);
    EXPECT_EQ(app.stringTable.at("Title"), u"Two");
    EXPECT_EQ(app.stringTable.count("TITLE"), 0U);
    EXPECT_FALSE(app.booleanTable.at("DontUpdate"));
    EXPECT_EQ(app.integerTable.at("Count"), -7);
    EXPECT_EQ(app.doubleTable.at("Speed"), 2.25);
    app.stringVectorTable["List"] = {u"a", u"b"};
    EXPECT_EQ(app.stringVectorTable.at("List").size(), 2U);
}

namespace {

// Loads "slow.png" only when the test lets it, so a second caller can be
// caught while the first is still loading.
class SlowLoadApp : public TestApp {
public:
    std::mutex gate;
    std::condition_variable opened;
    bool open = false;
    std::atomic<bool> loading{false};
    std::atomic<int> loads{0};

protected:
    Image* LoadSharedImage(const std::string& fileName) override
    {
        ++loads;
        if (fileName == "slow.png") {
            loading = true;
            std::unique_lock<std::mutex> lock(gate);
            opened.wait(lock, [this] { return open; });
        }
        // Registering the image takes the display lock: a loader running
        // under that lock would already be stuck here.
        return new MemoryImage(this);
    }
};

} // namespace

TEST(LumoAppBaseTest, ASecondCallerWaitsForTheLoadOutsideTheDisplayLock)
{
    SlowLoadApp app;
    Lumo::DDInterface* display = app.AddDisplay();
    SharedImageRef first;
    std::thread loader([&] { first = app.GetSharedImage("slow.png", ""); });
    while (!app.loading) {
        std::this_thread::yield();
    }

    std::atomic<bool> secondDone(false);
    Image* secondImage = nullptr;
    bool secondNew = true;
    std::thread second([&] {
        SharedImageRef ref = app.GetSharedImage("SLOW.PNG", "", &secondNew);
        secondImage = ref;
        secondDone = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(secondDone.load()) << "returned before the image was there";

    // Meanwhile the display lock is free: other images come and go, other
    // pairs load.
    ASSERT_TRUE(display->mCritSect.TryEnter());
    display->mCritSect.Leave();
    SharedImageRef other = app.GetSharedImage("other.png", "");
    EXPECT_NE(static_cast<Image*>(other), nullptr);

    {
        std::lock_guard<std::mutex> lock(app.gate);
        app.open = true;
    }
    app.opened.notify_all();
    loader.join();
    second.join();
    ASSERT_NE(static_cast<Image*>(first), nullptr);
    EXPECT_EQ(secondImage, static_cast<Image*>(first));
    EXPECT_FALSE(secondNew);
    EXPECT_EQ(app.loads.load(), 2); // slow.png once, other.png once
    EXPECT_EQ(first.mSharedImage->mRefCount, 1);
}
