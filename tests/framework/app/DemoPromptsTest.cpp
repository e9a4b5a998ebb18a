// The demo playback prompts, answered by a script: a typed time becomes a
// target counted back from the end of the recording, a picked marker its
// own update; the typed text is kept in the settings for the next time, and
// neither prompt takes a record of the played demo.
#include "framework/app/LumoAppBase.h"

#include "platform/files/SettingsStore.h"
#include "support/ScopedEnvironment.h"
#include "support/ScriptedPrompts.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kProductKey = "Quillo\\Demo";

class DemoPromptsTest : public ::testing::Test {
protected:
    DemoPromptsTest() : mConfig("XDG_CONFIG_HOME", mTemp.Join("config"))
    {
        mApp.registryKey = kProductKey;
        mApp.playingDemo = true;
        mApp.frameTime = 10;
        mApp.demoTotalUpdates = 20000;
        mApp.updateCount = 50;
    }

    std::string StoredJumpText()
    {
        const auto store = Plat::OpenSettingsStore(Plat::SettingsRoot::User, kProductKey);
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (store == nullptr || !store->GetValue("", "DemoJumpTime", type, data) || type != Plat::kSettingsString)
            return "<none>";
        return std::string(data.begin(), data.end());
    }

    LumoTest::TempFolder mTemp;
    LumoTest::ScopedEnvironment mConfig;
    LumoTest::ScriptedPrompts mPrompts;
    TestApp mApp;
};

TEST_F(DemoPromptsTest, ATypedTimeCountsBackFromTheEnd)
{
    constexpr int64_t kUnchanged = -7;
    struct Case {
        const char* text;
        int frameTime;
        int64_t target;
    };
    const Case cases[] = {
        {"1:30", 10, 20000 - 9100}, // (90 + 1) * 1000 / 10
        {"", 10, 20000 - 100},
        {"7", 30, 20000 - 266},           // 8000 / 30, truncated
        {"1:2:3", 10, 20000 - 372400},    // 3723 s
        {"2:x5", 10, 20000 - 12100},      // a part without digits counts 0
        {"-5", 10, 20000},                // after the end: the end
        {"99999999999", 10, 20000 - 10000000000000},
        // Far past any recording: held at 10^12 s, never overflowing.
        {"99999999999999999999999:99", 10, 20000 - 100000000000100},
        {"1:30", 0, kUnchanged},          // no update length: no jump
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " at " + std::to_string(c.frameTime) + " ms");
        mApp.frameTime = c.frameTime;
        mApp.demoTargetUpdate = kUnchanged;
        mPrompts.Type(c.text);
        EXPECT_EQ(mApp.ShowJumpToTimeDialog(), 0);
        EXPECT_EQ(mApp.demoTargetUpdate, c.target);
        EXPECT_EQ(StoredJumpText(), c.text);
    }
    ASSERT_EQ(mPrompts.requests.size(), std::size(cases));
    EXPECT_EQ(mPrompts.requests[0].kind, Plat::PromptRequest::Kind::EditLine);
    EXPECT_EQ(mPrompts.requests[0].title, "Jump To Time");
    EXPECT_EQ(mPrompts.owners[0], mApp.mainWindow);
}

TEST_F(DemoPromptsTest, TheLastTypedTimeIsOfferedAgainAndCancelChangesNothing)
{
    mPrompts.Type("0:45");
    mApp.ShowJumpToTimeDialog();
    const int64_t target = mApp.demoTargetUpdate;
    EXPECT_EQ(target, 20000 - 4600);

    mPrompts.Cancel();
    mApp.ShowJumpToTimeDialog();
    EXPECT_EQ(mPrompts.requests.back().text, "0:45");
    EXPECT_EQ(mApp.demoTargetUpdate, target);
    EXPECT_EQ(StoredJumpText(), "0:45");

    // Without a product key nothing is offered or kept; the jump happens.
    mApp.registryKey.clear();
    mPrompts.Type("1");
    mApp.ShowJumpToTimeDialog();
    EXPECT_EQ(mPrompts.requests.back().text, "");
    EXPECT_EQ(mApp.demoTargetUpdate, 20000 - 200);
    EXPECT_EQ(StoredJumpText(), "0:45");
}

TEST_F(DemoPromptsTest, OnlyMarkersAheadAreListedAndPicked)
{
    mApp.demoMarkers = {{"intro", 30}, {"now", 50}, {"boss", 8000}, {"end", 19999}, {"hours", -360000}};
    mApp.demoTotalUpdates = 400000;
    mPrompts.PickLine(1);
    EXPECT_EQ(mApp.ShowMarkerListDialog(), 0);
    ASSERT_EQ(mPrompts.requests.size(), 1u);
    const Plat::PromptRequest& request = mPrompts.requests[0];
    EXPECT_EQ(request.kind, Plat::PromptRequest::Kind::PickLine);
    EXPECT_EQ(request.title, "Marker List");
    // Time left at the marker: (400000 - update) * 10 ms.
    EXPECT_EQ(request.lines, (std::vector<std::string>{"boss (01:05:20)", "end (01:03:20)"}));
    EXPECT_EQ(mApp.demoTargetUpdate, 19999); // the second line listed, not the second marker

    // Cancelled, or a line that is not there: no jump.
    mApp.demoTargetUpdate = 0;
    mPrompts.Cancel();
    mPrompts.PickLine(5);
    mApp.ShowMarkerListDialog();
    mApp.ShowMarkerListDialog();
    EXPECT_EQ(mApp.demoTargetUpdate, 0);

    // Past every marker, and with no update length: the times read 0.
    mApp.frameTime = 0;
    mApp.demoMarkers.push_back({"late", 500000});
    mApp.updateCount = 20000;
    mApp.ShowMarkerListDialog();
    EXPECT_EQ(mPrompts.requests.back().lines, (std::vector<std::string>{"late (00:00:00)"}));
}

TEST_F(DemoPromptsTest, APromptTakesNoRecordOfThePlayedDemo)
{
    // A recorded settings read of the jump value, due now.
    mApp.playingDemo = false;
    mApp.recordingDemo = true;
    mApp.updateCount = 0;
    ASSERT_TRUE(mApp.RegistryWriteString("DemoJumpTime", "recorded"));
    std::string value;
    ASSERT_TRUE(mApp.RegistryReadString("DemoJumpTime", value));
    mApp.recordingDemo = false;
    mApp.playingDemo = true;
    mApp.demoBuffer.SeekFront();
    mApp.demoMarkers = {{"later", 900}};
    const auto store = Plat::OpenSettingsStore(Plat::SettingsRoot::User, kProductKey);
    const std::string live = "live text";
    ASSERT_TRUE(store->SetValue("", "DemoJumpTime", Plat::kSettingsString,
                                reinterpret_cast<const uint8_t*>(live.data()), live.size()));

    mPrompts.Type("0:10");
    mPrompts.PickLine(0);
    mApp.ShowJumpToTimeDialog();
    mApp.ShowMarkerListDialog();
    EXPECT_EQ(mPrompts.requests[0].text, live); // read outside the demo
    EXPECT_EQ(mApp.demoBuffer.GetReadPos(), 0);
    EXPECT_TRUE(mApp.demoBitsPending);

    // The demo's own queries still find their records in order.
    EXPECT_TRUE(mApp.RegistryWriteString("DemoJumpTime", "ignored while playing"));
    ASSERT_TRUE(mApp.RegistryReadString("DemoJumpTime", value));
    EXPECT_EQ(value, "recorded");
    EXPECT_FALSE(mApp.demoDiverged);
    EXPECT_EQ(StoredJumpText(), "0:10");
}

} // namespace
