// The exit pop-up: which page of the ad list goes to the browser, that it
// counts as shown, and when none is shown at all.
#include "framework/app/LumoApp.h"
#include "framework/core/Random.h"
#include "framework/net/InternetManager.h"
#include "platform/files/FileSystem.h"

#include "support/FakeUrlOpener.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lumo::InternetManager;
using LumoTest::FakeUrlOpener;

class ExitPopupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mOldFolder = Plat::GetFileSystem().CurrentFolder();
        ASSERT_TRUE(Plat::GetFileSystem().SetCurrentFolder(tmp.Path()));
        tmp.Write("ads/one.html", "1");
        tmp.Write("ads/two.html", "2");
        app.internetManager = &manager;
    }
    void TearDown() override
    {
        app.internetManager = nullptr;
        // An empty list saves nothing when the manager goes.
        manager.GetAdList().clear();
        Plat::GetFileSystem().SetCurrentFolder(mOldFolder);
    }

    void AddPopup(const std::string& file, bool unshown)
    {
        InternetManager::AdEntry entry;
        entry.kind = InternetManager::kKindPopup;
        entry.files = {file};
        entry.firstFlag = unshown;
        manager.GetAdList().push_back(entry);
    }

    std::vector<std::string> Opened()
    {
        FakeUrlOpener::WaitForHelpers();
        return opener.Arguments();
    }

    TempFolder tmp;
    FakeUrlOpener opener;
    Lumo::LumoApp app;
    InternetManager manager;

private:
    std::string mOldFolder;
};

TEST_F(ExitPopupTest, UnshownPageIsShownOnceAndCounted)
{
    AddPopup("ads/one.html", false);
    AddPopup("ads/missing.html", true); // not present: never chosen
    AddPopup("ads/two.html", true);
    ASSERT_TRUE(manager.HasAdOfKind(InternetManager::kKindPopup, true));
    manager.ShowPopupAd();
    EXPECT_EQ(Opened(), std::vector<std::string>{"file://" + tmp.Path() + "/ads/two.html"});
    EXPECT_FALSE(manager.GetAdList()[2].firstFlag);
    EXPECT_TRUE(manager.GetAdList()[1].firstFlag);
    // The next run's check finds no unshown page.
    EXPECT_FALSE(manager.HasAdOfKind(InternetManager::kKindPopup, true));
}

TEST_F(ExitPopupTest, NothingWhileADemoPlays)
{
    AddPopup("ads/one.html", true);
    app.playingDemo = true;
    manager.ShowPopupAd();
    EXPECT_TRUE(Opened().empty());
    EXPECT_TRUE(manager.GetAdList()[0].firstFlag);
}

TEST_F(ExitPopupTest, AfterLoopHookShowsInAboutHalfTheRuns)
{
    int shown = 0;
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(seed);
        manager.GetAdList().clear();
        AddPopup("ads/one.html", true);
        Lumo::RandomGenerator expected(seed);
        const bool even = (expected.Next() & 1) == 0;
        Lumo::SeedRandom(seed);
        const size_t before = Opened().size();
        app.AfterLoopHook();
        EXPECT_EQ(Opened().size(), before + (even ? 1u : 0u));
        EXPECT_EQ(manager.GetAdList()[0].firstFlag, !even);
        shown += even ? 1 : 0;
    }
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 8);
}

TEST_F(ExitPopupTest, AfterLoopHookQuietCases)
{
    // Every page shown already.
    AddPopup("ads/one.html", false);
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        Lumo::SeedRandom(seed);
        app.AfterLoopHook();
    }
    // A page left, but the run ended in the browser.
    manager.GetAdList()[0].firstFlag = true;
    app.noExitPopup = true;
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        Lumo::SeedRandom(seed);
        app.AfterLoopHook();
    }
    EXPECT_TRUE(Opened().empty());
    EXPECT_TRUE(manager.GetAdList()[0].firstFlag);
}

} // namespace
