// The application's message boxes and clipboard: a box is shown over the
// main window with the display readied and the lost time forgotten, never in
// screen-saver mode; the clipboard gets UTF-8, never during demo playback.
#include "framework/app/LumoAppBase.h"

#include "framework/core/AppDataFolder.h"
#include "platform/window/Clipboard.h"
#include "platform/system/MessageBox.h"
#include "support/FakePlatformRecorder.h"
#include "support/ManualClock.h"
#include "support/RecordingApp.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

class FakeClipboard : public Plat::Clipboard {
public:
    FakeClipboard() : mPrevious(Plat::SetClipboard(this)) {}
    ~FakeClipboard() override { Plat::SetClipboard(mPrevious); }
    FakeClipboard(const FakeClipboard&) = delete;
    FakeClipboard& operator=(const FakeClipboard&) = delete;

    bool SetText(Plat::Window* /*owner*/, const std::string& utf8) override
    {
        texts.push_back(utf8);
        return opens;
    }

    bool opens = true;
    std::vector<std::string> texts;

private:
    Plat::Clipboard* mPrevious;
};

class MessageBoxesTest : public ::testing::Test {
protected:
    ManualClock mClock{5000};
    FakePlatformRecorder mPlatform;
};

TEST_F(MessageBoxesTest, BothFormsShowTheBoxBetweenDisplayAndTimingSteps)
{
    RecordingApp app(mPlatform);
    mPlatform.boxAnswers = {Plat::kIdNo, Plat::kIdCancel};
    EXPECT_EQ(app.MsgBox(std::string("Quit?"), std::string("Title"), Plat::kMbYesNo), Plat::kIdNo);
    EXPECT_EQ(app.MsgBox(std::u16string(u"Wide"), std::u16string(u"T"), Plat::kMbOkCancel), Plat::kIdCancel);
    ASSERT_EQ(mPlatform.boxes.size(), 2u);
    EXPECT_EQ(mPlatform.boxes[0].text, "Quit?");
    EXPECT_EQ(mPlatform.boxes[0].flags, Plat::kMbYesNo);
    EXPECT_EQ(mPlatform.boxes[1].text, "Wide");
    EXPECT_EQ(mPlatform.CallsStartingWith("PrepareForGDIDialog").size(), 2u);
    EXPECT_EQ(mPlatform.CallsStartingWith("ResetTiming").size(), 2u);
}

TEST_F(MessageBoxesTest, ScreenSaverModeLogsAndAnswersOk)
{
    TempFolder folder;
    Lumo::SetAppDataFolder(folder.Path() + "/");
    Lumo::detail::ResetScrErrorLog();
    RecordingApp app(mPlatform);
    app.isScreenSaver = true;
    mPlatform.boxAnswers = {Plat::kIdNo};
    EXPECT_EQ(app.MsgBox(std::string("narrow"), std::string("T"), Plat::kMbYesNo), Plat::kIdOk);
    EXPECT_EQ(app.MsgBox(std::u16string(u"wide"), std::u16string(u"T"), Plat::kMbYesNo), Plat::kIdOk);
    EXPECT_TRUE(mPlatform.boxes.empty());
    EXPECT_TRUE(mPlatform.calls.empty());
    const std::string log = folder.Read("ScrError.txt");
    EXPECT_EQ(log.rfind("narrow ", 0), 0u) << log;
    EXPECT_NE(log.find("\nwide "), std::string::npos) << log;
    Lumo::SetAppDataFolder("");
}

TEST_F(MessageBoxesTest, ClipboardGetsUtf8AndNothingDuringPlayback)
{
    FakeClipboard clipboard;
    RecordingApp app(mPlatform);
    app.SetClipboardText("caf\xE9 \x80 crash");
    ASSERT_EQ(clipboard.texts.size(), 1u);
    EXPECT_EQ(clipboard.texts[0], "caf\xC3\xA9 \xE2\x82\xAC crash"); // 0xE9 e-acute, 0x80 euro sign

    clipboard.opens = false; // a clipboard that cannot be opened is skipped quietly
    app.SetClipboardText("x");
    EXPECT_EQ(clipboard.texts.size(), 2u);

    app.playingDemo = true;
    app.SetClipboardText("replayed");
    EXPECT_EQ(clipboard.texts.size(), 2u);
}

} // namespace
