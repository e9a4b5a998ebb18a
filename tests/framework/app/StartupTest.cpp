// The start-up sequence through a fake platform that records every call:
// its order, the failures that end the run (no video, a second copy, an
// unplayable demo), the demo file's checks, and the fatal-error popups and
// error log that start-up problems go to.
#include "framework/app/LumoAppBase.h"

#include "framework/core/AppDataFolder.h"
#include "framework/core/Buffer.h"
#include "platform/system/MessageBox.h"
#include "support/FakePlatformRecorder.h"
#include "support/ManualClock.h"
#include "support/RecordingApp.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <sstream>

namespace {

// The user-data folder is process-wide: each test starts and ends without one.
class StartupTest : public ::testing::Test {
protected:
    StartupTest() { Lumo::SetAppDataFolder(""); }
    ~StartupTest() override { Lumo::SetAppDataFolder(""); }

    ManualClock mClock{4242};
    FakePlatformRecorder mPlatform;
};

std::string Volume(double value)
{
    return std::to_string(value);
}

TEST_F(StartupTest, RunsEveryStepInOrder)
{
    RecordingApp app(mPlatform);
    const std::string dir = app.programDir;
    EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.Init(); }), std::nullopt);

    const std::vector<std::string> expected = {
        "video start",
        "audio start",
        "PropertiesHook",
        "ReadFromRegistry",
        "ParseCommandLine",
        "ChangeDirectoryHook " + dir,
        "register ProductNotify",
        "lock ProductMutex",
        "BeforeScreenModeHook",
        "MakeWindow",
        "CreateSoundManager none", // no main window yet
        "SetSfxVolume " + Volume(0.85),
        "CreateMusicInterface",
        "SetMusicVolume " + Volume(0.85),
        "InitHook",
    };
    EXPECT_EQ(mPlatform.calls, expected);
    EXPECT_TRUE(app.initialized);
    EXPECT_FALSE(app.noSound);
    EXPECT_EQ(app.notifyMessage, 0xC123u);
    EXPECT_NE(app.mutex, nullptr);
    EXPECT_EQ(app.primaryThreadId, std::this_thread::get_id());
    EXPECT_EQ(app.randSeed, 4242u);
    // The user-data folder: the data home, company, product.
    EXPECT_EQ(Lumo::GetAppDataFolder(), Lumo::DefaultAppDataFolder("", "Product") + "\\");
    EXPECT_EQ(app.demoFileName, Lumo::GetAppDataFolder() + "lumoapp.dmo");
    EXPECT_TRUE(mPlatform.boxes.empty());
}

TEST_F(StartupTest, NoVideoShowsTheBoxAndExitsBeforeAnythingElse)
{
    mPlatform.videoAvailable = false;
    {
        RecordingApp app(mPlatform);
        EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.Init(); }), 0);
        EXPECT_FALSE(app.initialized);
    }
    ASSERT_EQ(mPlatform.boxes.size(), 1u);
    EXPECT_EQ(mPlatform.boxes[0].title, "You need DirectX");
    EXPECT_EQ(mPlatform.boxes[0].text.rfind("This application requires DirectX to run.  You can get DirectX at ", 0),
              0u);
    EXPECT_EQ(mPlatform.boxes[0].flags, Plat::kMbIconError);
    const std::vector<std::string> head(mPlatform.calls.begin(), mPlatform.calls.begin() + 4);
    EXPECT_EQ(head, (std::vector<std::string>{"video start", "audio start", "box You need DirectX", "exit 0"}));
    EXPECT_FALSE(mPlatform.Called("PropertiesHook"));
    // Only the side that started is stopped.
    EXPECT_FALSE(mPlatform.Called("video stop"));
    EXPECT_TRUE(mPlatform.Called("audio stop"));
}

TEST_F(StartupTest, NoAudioTurnsSoundOffAndGoesOn)
{
    mPlatform.audioAvailable = false;
    RecordingApp app(mPlatform);
    EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.Init(); }), std::nullopt);
    EXPECT_TRUE(app.noSound);
    EXPECT_TRUE(app.initialized);
    EXPECT_TRUE(mPlatform.boxes.empty());
}

TEST_F(StartupTest, SecondCopyNotifiesTheFirstAndExits)
{
    mPlatform.lockHeldElsewhere = true;
    RecordingApp app(mPlatform);
    EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.Init(); }), 0);
    const auto tail = std::vector<std::string>(mPlatform.calls.end() - 3, mPlatform.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"lock ProductMutex", "broadcast 49443 0 0", "exit 0"}));
    EXPECT_FALSE(app.initialized);
    EXPECT_EQ(app.mutex, nullptr);
}

TEST_F(StartupTest, SecondCopyWithoutANotifyMessageStillExits)
{
    mPlatform.lockHeldElsewhere = true;
    mPlatform.messageNumber = 0;
    RecordingApp app(mPlatform);
    EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.Init(); }), 0);
    EXPECT_TRUE(mPlatform.CallsStartingWith("broadcast").empty());
}

TEST_F(StartupTest, ScreenSaverRunsBesideAnotherCopy)
{
    mPlatform.lockHeldElsewhere = true;
    RecordingApp app(mPlatform);
    app.isScreenSaver = true;
    EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.Init(); }), std::nullopt);
    EXPECT_FALSE(app.singleInstance);
    EXPECT_TRUE(app.initialized);
    EXPECT_TRUE(mPlatform.CallsStartingWith("broadcast").empty());
    EXPECT_EQ(app.cursorKind, 11);
    // The screen-saver cursor is enforced just before the end hook.
    EXPECT_EQ(mPlatform.calls[mPlatform.calls.size() - 2], "EnforceCursor");
}

TEST_F(StartupTest, HandleAlreadyRunningReturnsFalseWhenCopiesMayRun)
{
    RecordingApp app(mPlatform);
    app.singleInstance = false;
    app.notifyMessage = 7;
    EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { EXPECT_FALSE(app.HandleAlreadyRunning()); }), std::nullopt);
    EXPECT_TRUE(mPlatform.calls.empty());
}

TEST_F(StartupTest, InitOnAShutDownObjectDoesNothing)
{
    RecordingApp app(mPlatform);
    app.Shutdown();
    mPlatform.calls.clear();
    app.Init();
    EXPECT_TRUE(mPlatform.calls.empty());
    EXPECT_FALSE(app.initialized);
    EXPECT_EQ(app.primaryThreadId, std::this_thread::get_id());
}

TEST_F(StartupTest, AGameAreaThatDoesNotFitForcesFullScreen)
{
    struct Case {
        int fullWidth;
        int fullHeight;
        bool windowed;
    };
    const Case cases[] = {
        {0, 0, true},      // desktop unknown: everything fits
        {641, 481, true},  // room to spare
        {640, 900, false}, // exactly as wide is too narrow
        {1024, 480, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.fullWidth) + "x" + std::to_string(c.fullHeight));
        FakePlatformRecorder platform;
        RecordingApp app(platform);
        app.fullScreenWidth = c.fullWidth;
        app.fullScreenHeight = c.fullHeight;
        app.Init();
        EXPECT_EQ(app.windowed, c.windowed);
        EXPECT_EQ(app.forceFullscreen, !c.windowed);
    }
}

TEST_F(StartupTest, DemoNamesThatSayWhereTheyAreKeepTheirFolder)
{
    const struct {
        const char* name;
        bool prefixed;
    } cases[] = {
        {"game.dmo", true}, {"c:game.dmo", false}, {"ab\\game.dmo", false}, {"/tmp/game.dmo", false},
        {"a", true},        {"ab", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatformRecorder platform;
        RecordingApp app(platform);
        app.demoFileName = c.name;
        app.Init();
        EXPECT_EQ(app.demoFileName, c.prefixed ? Lumo::GetAppDataFolder() + c.name : std::string(c.name));
    }
}

// ---- Demo files

// A demo file: magic, version, seed, product version, marker block, update
// count and stream, as a recording writes them.
struct DemoFile {
    uint32_t magic = 0x42BEEF78;
    uint32_t version = 2;
    uint32_t seed = 777;
    std::string productVersion;
    uint32_t markerCount = 1;
    std::vector<std::pair<std::string, uint32_t>> markers = {{"start", 12}};
    int32_t markerLengthAdjust = 0; // added to the true marker-block length
    uint32_t totalUpdates = 321;
    std::vector<uint8_t> stream = {0x00}; // filled by WithDisplayRecord
    size_t truncateTo = 0;                // 0: whole

    DemoFile& WithDisplayRecord(bool windowed, uint8_t rate)
    {
        // Delta 0 (4 bits), long form (1 bit 0), command 23 (5 bits), then
        // the windowed byte and the rate byte.
        Lumo::Buffer stream;
        stream.WriteNumBits(0, 4);
        stream.WriteNumBits(0, 1);
        stream.WriteNumBits(23, 5);
        stream.WriteBoolean(windowed);
        stream.WriteByte(rate);
        this->stream.assign(stream.GetDataPtr(), stream.GetDataPtr() + stream.GetDataLen());
        return *this;
    }

    std::string Bytes() const
    {
        Lumo::Buffer out;
        out.WriteLong(static_cast<int>(magic));
        out.WriteLong(static_cast<int>(version));
        out.WriteLong(static_cast<int>(seed));
        out.WriteString(productVersion);
        if (version >= 2) {
            Lumo::Buffer block;
            block.WriteLong(static_cast<int>(markerCount));
            for (const auto& marker : markers) {
                block.WriteString(marker.first);
                block.WriteLong(static_cast<int>(marker.second));
            }
            out.WriteLong(block.GetDataLen() + markerLengthAdjust);
            out.WriteBytes(block.GetDataPtr(), block.GetDataLen());
        }
        out.WriteLong(static_cast<int>(totalUpdates));
        if (!stream.empty())
            out.WriteBytes(stream.data(), static_cast<int>(stream.size()));
        std::string bytes(reinterpret_cast<const char*>(out.GetDataPtr()), out.GetDataLen());
        if (truncateTo != 0)
            bytes.resize(truncateTo);
        return bytes;
    }
};

TEST_F(StartupTest, APlayableDemoSetsTheRunFromItsFile)
{
    TempFolder folder;
    DemoFile demo;
    demo.WithDisplayRecord(false, 75);
    RecordingApp app(mPlatform);
    app.playingDemo = true;
    app.demoFileName = folder.Write("run.dmo", demo.Bytes());
    EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.Init(); }), std::nullopt);
    EXPECT_TRUE(app.playingDemo);
    EXPECT_EQ(app.randSeed, 777u); // the file's seed, not the clock's
    EXPECT_EQ(app.demoTotalUpdates, 321);
    ASSERT_EQ(app.demoMarkers.size(), 1u);
    EXPECT_EQ(app.demoMarkers[0].name, "start");
    EXPECT_EQ(app.demoMarkers[0].update, 12);
    // The display record: read from the stream, the header handled.
    EXPECT_FALSE(app.windowed);
    EXPECT_EQ(app.refreshRate, 75);
    EXPECT_TRUE(app.demoBitsPending);
    EXPECT_EQ(app.demoCommand, 23);
    EXPECT_FALSE(app.demoShortForm);
}

TEST_F(StartupTest, AnUnplayableDemoShowsWhyAndExits)
{
    TempFolder folder;
    const std::string path = folder.Join("bad.dmo");
    struct Case {
        const char* what;
        DemoFile file;
        std::string message;
    };
    std::vector<Case> cases;
    cases.push_back({"missing", DemoFile(), "Demo file not found: " + path});
    {
        DemoFile f;
        f.magic = 0x12345678;
        cases.push_back({"magic", f, "Invalid demo file."});
    }
    {
        DemoFile f;
        f.truncateTo = 10; // inside the seed
        cases.push_back({"short header", f, "Invalid demo file."});
    }
    {
        DemoFile f;
        f.productVersion = "2.0";
        cases.push_back({"other product version", f, "This demo file appears to be for '2.0'"});
    }
    {
        DemoFile f;
        f.markerLengthAdjust = 100; // reaches past the update count
        cases.push_back({"marker block too long", f, "Invalid demo file."});
    }
    {
        DemoFile f;
        f.markerCount = 3; // only one is there
        cases.push_back({"missing markers", f, "Invalid demo file."});
    }
    {
        DemoFile f;
        f.stream.clear();
        cases.push_back({"no stream", f, "Invalid demo file."});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (std::string(c.what) != "missing")
            folder.Write("bad.dmo", c.file.Bytes());
        FakePlatformRecorder platform;
        RecordingApp app(platform);
        app.playingDemo = true;
        app.demoFileName = path;
        EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.Init(); }), 0);
        EXPECT_FALSE(app.playingDemo);
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(platform.boxes[0].title, "FATAL ERROR");
        EXPECT_EQ(platform.boxes[0].text, c.message);
        // Nothing of the window side ran.
        EXPECT_FALSE(platform.Called("MakeWindow"));
        EXPECT_EQ(platform.calls.back(), "exit 0");
    }
}

TEST_F(StartupTest, TheStreamBeginsWithTheFirstDisplayRecord)
{
    // The display start's queries come before its record: the stored 3-D
    // choice, the 3-D test's verdict. This run's (faked) display start asks
    // nothing, so their answers are skipped. Input before it, or no display
    // record at update 0, is not a recording.
    const auto record = [](Lumo::Buffer& stream, int delta, int command) {
        stream.WriteNumBits(delta, 4);
        stream.WriteNumBits(0, 1);
        stream.WriteNumBits(command, 5);
    };
    const auto sync = [&](Lumo::Buffer& stream, const std::string& bytes) {
        record(stream, 0, 18);
        stream.WriteLong(static_cast<int>(bytes.size()));
        stream.WriteBytes(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
    };
    const auto display = [&](Lumo::Buffer& stream, int delta) {
        record(stream, delta, 23);
        stream.WriteBoolean(false);
        stream.WriteByte(75);
    };
    struct Case {
        const char* what;
        std::function<void(Lumo::Buffer&)> write;
        bool playable;
    };
    const Case cases[] = {
        {"the stored choice and the verdict first",
         [&](Lumo::Buffer& s) {
             record(s, 0, 11);
             s.WriteNumBits(1, 1); // found: type, size, bytes
             s.WriteLong(4);
             s.WriteLong(4);
             s.WriteLong(1);
             sync(s, std::string("\x02\x00ok", 4));
             sync(s, "");
             display(s, 0);
         },
         true},
        {"a key first",
         [&](Lumo::Buffer& s) {
             record(s, 0, 3);
             s.WriteByte(0x41);
             display(s, 0);
         },
         false},
        {"the display record after update 0", [&](Lumo::Buffer& s) { display(s, 1); }, false},
        {"a sync longer than the stream",
         [&](Lumo::Buffer& s) {
             record(s, 0, 18);
             s.WriteLong(1000);
             display(s, 0);
         },
         false},
        {"the display record cut short", [&](Lumo::Buffer& s) { record(s, 0, 23); }, false},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Lumo::Buffer stream;
        c.write(stream);
        DemoFile demo;
        demo.stream.assign(stream.GetDataPtr(), stream.GetDataPtr() + stream.GetDataLen());
        FakePlatformRecorder platform;
        RecordingApp app(platform);
        app.playingDemo = true;
        app.demoFileName = folder.Write("run.dmo", demo.Bytes());
        const auto exitCode = FakePlatformRecorder::RunUntilExit([&] { app.Init(); });
        if (!c.playable) {
            EXPECT_EQ(exitCode, 0);
            ASSERT_EQ(platform.boxes.size(), 1u);
            EXPECT_EQ(platform.boxes[0].text, "Invalid demo file.");
            continue;
        }
        EXPECT_EQ(exitCode, std::nullopt);
        EXPECT_FALSE(app.windowed);
        EXPECT_EQ(app.refreshRate, 75);
        EXPECT_EQ(app.demoCommand, 23);
        EXPECT_TRUE(app.demoBitsPending);
        EXPECT_TRUE(app.demoDiverged); // this run asked none of it
        EXPECT_TRUE(app.DemoStreamEnded());
    }
}

TEST_F(StartupTest, VersionOneDemosHaveNoMarkerBlock)
{
    TempFolder folder;
    DemoFile demo;
    demo.version = 1;
    demo.WithDisplayRecord(true, 60);
    RecordingApp app(mPlatform);
    app.demoFileName = folder.Write("v1.dmo", demo.Bytes());
    std::string error;
    EXPECT_TRUE(app.OpenDemoFile(error)) << error;
    EXPECT_TRUE(app.demoMarkers.empty());
    EXPECT_EQ(app.demoTotalUpdates, 321);
    EXPECT_EQ(app.demoBuffer.GetDataLen(), 4); // a 10-bit header and two bytes: 26 bits
}

TEST_F(StartupTest, LongVersionTextsAreCutTo255Bytes)
{
    // A 300-byte version: only 255 bytes are taken as the text, the rest is
    // read as the following fields, which then make no sense.
    TempFolder folder;
    DemoFile demo;
    demo.productVersion = std::string(300, 'v');
    RecordingApp app(mPlatform);
    app.productVersion = std::string(255, 'v');
    app.demoFileName = folder.Write("long.dmo", demo.Bytes());
    std::string error;
    EXPECT_FALSE(app.OpenDemoFile(error));
    EXPECT_EQ(error, "Invalid demo file.");
}

// ---- Fatal popups and the error log

TEST_F(StartupTest, FatalPopupShowsTheBoxBetweenDisplayAndTimingSteps)
{
    RecordingApp app(mPlatform);
    app.SetString("FATAL_ERROR", u"Oops");
    app.FatalErrorPopup(std::string("narrow"));
    app.FatalErrorPopup(std::u16string(u"wide"));
    EXPECT_EQ(mPlatform.calls, (std::vector<std::string>{"PrepareForGDIDialog", "box Oops", "ResetTiming",
                                                         "PrepareForGDIDialog", "box Oops", "ResetTiming"}));
    ASSERT_EQ(mPlatform.boxes.size(), 2u);
    EXPECT_EQ(mPlatform.boxes[0].text, "narrow");
    EXPECT_EQ(mPlatform.boxes[1].text, "wide");
    EXPECT_EQ(mPlatform.boxes[1].flags, Plat::kMbIconError);
}

TEST_F(StartupTest, FatalPopupDuringShutdownShowsNothingButStillResetsTiming)
{
    RecordingApp app(mPlatform);
    app.Shutdown();
    mPlatform.calls.clear();
    app.FatalErrorPopup(std::string("late"));
    EXPECT_EQ(mPlatform.calls, (std::vector<std::string>{"PrepareForGDIDialog", "ResetTiming"}));
}

TEST_F(StartupTest, ScreenSaverPopupsGoToTheLogOnly)
{
    TempFolder folder;
    Lumo::SetAppDataFolder(folder.Join("data\\sub"));
    Lumo::detail::ResetScrErrorLog();
    RecordingApp app(mPlatform);
    app.isScreenSaver = true;
    app.FatalErrorPopup(std::string("first"));
    app.FatalErrorPopup(std::u16string(u"second"));
    EXPECT_TRUE(mPlatform.calls.empty()); // no box, no display or timing step

    const std::string log = folder.Read("data/sub/ScrError.txt");
    const std::regex line("([a-z]+) [0-2][0-9]:[0-5][0-9]:[0-6][0-9] 4242");
    std::istringstream lines(log);
    std::vector<std::string> texts;
    for (std::string text; std::getline(lines, text);) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(text, match, line)) << text;
        texts.push_back(match[1]);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(log.back(), '\n');

    // A new run starts the file again.
    Lumo::detail::ResetScrErrorLog();
    app.WriteScrErrorLog("third");
    EXPECT_EQ(folder.Read("data/sub/ScrError.txt").rfind("third ", 0), 0u);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

TEST_F(StartupTest, AnUnwritableLogLosesTheMessageQuietly)
{
    TempFolder folder;
    folder.Write("file", "x");
    Lumo::SetAppDataFolder(folder.Join("file")); // a file where the folder should be
    RecordingApp app(mPlatform);
    app.WriteScrErrorLog("lost");
    EXPECT_FALSE(folder.Exists("file/ScrError.txt"));
}

} // namespace
