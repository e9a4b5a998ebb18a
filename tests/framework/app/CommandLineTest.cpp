#include "framework/app/LumoApp.h"
#include "framework/core/AppDataFolder.h"
#include "platform/system/CommandLine.h"
#include "platform/files/FileSystem.h"
#include "support/FakePlatformRecorder.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

// Keeps the options it is handed instead of applying them.
class SplitRecordingApp : public TestApp {
public:
    void ParseCommandParam(const std::string& name, const std::string& value) override
    {
        options.emplace_back(name, value);
    }
    Options options;
};

// Makes the temporary folder the working folder and the user-data folder
// for the test's lifetime.
class DemoFolders {
public:
    explicit DemoFolders(const TempFolder& temp)
        : mOldFolder(Plat::GetFileSystem().CurrentFolder()), mOldAppData(Lumo::GetAppDataFolder())
    {
        Plat::GetFileSystem().SetCurrentFolder(temp.Path());
        Lumo::SetAppDataFolder(temp.Path() + "/");
    }
    ~DemoFolders()
    {
        Plat::GetFileSystem().SetCurrentFolder(mOldFolder);
        Lumo::SetAppDataFolder(mOldAppData);
    }

private:
    std::string mOldFolder;
    std::string mOldAppData;
};

TEST(CommandLineTest, ArgumentTextSplitsIntoNamesAndValues)
{
    struct Case {
        const char* text;
        Options expected;
    } cases[] = {
        {"-record", {{"-record", ""}}},
        {"-record -play", {{"-record", ""}, {"-play", ""}}},
        {"\"-play\"", {{"-play", ""}}},
        {"\"-demofile=my demo.dmo\" -play", {{"-demofile", "my demo.dmo"}, {"-play", ""}}},
        {"-demofile=\"my demo.dmo\" -play", {{"-demofile", "my demo.dmo"}, {"-play", ""}}},
        {"-changedir=c:\\data", {{"-changedir", "c:\\data"}}},
        {"x=1", {{"x", "1"}}},
        {"a  b=1 c", {{"a", ""}, {"b", "1"}, {"c", ""}}},
        {"x=1=2", {{"x", "12"}}},
        // A quote inside a name groups the blank into it; its close ends the option.
        {"-a\"b c\"d", {{"-ab c", ""}, {"d", ""}}},
        // An equals sign without a name keeps taking characters as the value.
        {"=5 -play", {}},
        {"=5 -play -record", {}},
        {"\"\"", {}},
        {"", {}},
        {" ", {}},
    };
    for (const Case& c : cases) {
        SplitRecordingApp app;
        app.ParseCommandLineArgs(c.text);
        EXPECT_EQ(app.options, c.expected) << c.text;
    }
}

TEST(CommandLineTest, TheProgramNameIsSkipped)
{
    struct Case {
        const char* line;
        Options expected;
    } cases[] = {
        {"game", {}},
        {"game -play", {{"-play", ""}}},
        {"/usr/bin/game -record x=1", {{"-record", ""}, {"x", "1"}}},
        {"\"C:\\My Games\\game.exe\" -play", {{"-play", ""}}},
        {"\"C:\\My Games\\game.exe\"", {}},
        // Whatever is glued to the quoted name is skipped with it.
        {"\"game\"-play -record", {{"-record", ""}}},
        // An unterminated quote: no options at all.
        {"\"game -play", {}},
    };
    for (const Case& c : cases) {
        SplitRecordingApp app;
        app.ParseCommandLineText(c.line);
        EXPECT_EQ(app.options, c.expected) << c.line;
        EXPECT_TRUE(app.cmdLineParsed) << c.line;
    }

    // The process's arguments are joined with quotes where they hold blanks.
    const std::string joined = Plat::JoinCommandLine({"/opt/my game/run", "-demofile=my demo.dmo", "", "-play"});
    EXPECT_EQ(joined, "\"/opt/my game/run\" \"-demofile=my demo.dmo\" -play");
    SplitRecordingApp app;
    app.ParseCommandLineText(joined);
    EXPECT_EQ(app.options, (Options{{"-demofile", "my demo.dmo"}, {"-play", ""}}));

    SplitRecordingApp real;
    real.ParseCommandLine();
    EXPECT_TRUE(real.cmdLineParsed);
}

TEST(CommandLineTest, FrameworkOptionsSetTheirFields)
{
    TempFolder temp;
    DemoFolders folders(temp);
    const std::string userData = temp.Path() + "/";

    TestApp app;
    app.ParseCommandLineArgs("-record");
    EXPECT_TRUE(app.recordingDemo);
    EXPECT_FALSE(app.playingDemo);
    app.ParseCommandLineArgs("-play");
    EXPECT_TRUE(app.playingDemo);
    EXPECT_FALSE(app.recordingDemo);
    EXPECT_EQ(app.demoFileName, "lumoapp.dmo");
    app.ParseCommandLineArgs("-screensaver -changedir=c:\\data");
    EXPECT_TRUE(app.isScreenSaver);
    EXPECT_EQ(app.programDir, "c:\\data");

    // -demofile leaves the mode alone and puts a relative name in the user-data folder.
    TestApp demo;
    demo.ParseCommandLineArgs("-demofile=\"my demo.dmo\" -play");
    EXPECT_EQ(demo.demoFileName, userData + "my demo.dmo");
    EXPECT_TRUE(demo.playingDemo);
    struct Case {
        const char* name;
        std::string expected;
    } cases[] = {
        {"c:\\demos\\a.dmo", "c:\\demos\\a.dmo"},
        {"..\\a.dmo", "..\\a.dmo"},
        {"/var/demos/a.dmo", "/var/demos/a.dmo"},
        {"a.dmo", userData + "a.dmo"},
        {"x", userData + "x"},
    };
    for (const Case& c : cases) {
        TestApp named;
        named.ParseCommandParam("-demofile", c.name);
        EXPECT_EQ(named.demoFileName, c.expected) << c.name;
        EXPECT_FALSE(named.playingDemo || named.recordingDemo) << c.name;
    }
}

TEST(CommandLineTest, AnUnknownOptionEndsTheProgramAfterItsPredecessors)
{
    FakePlatformRecorder platform;
    TestApp app;
    const std::optional<int> code =
        FakePlatformRecorder::RunUntilExit([&] { app.ParseCommandLineArgs("-record x=1 -screensaver"); });
    EXPECT_EQ(code, 0);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Invalid command line parameter: x");
    EXPECT_TRUE(app.recordingDemo);
    EXPECT_FALSE(app.isScreenSaver);

    // Names compare exactly; the text comes from the properties when given.
    TestApp other;
    other.SetString("INVALID_COMMANDLINE_PARAM", u"Unknown option: ");
    EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { other.ParseCommandParam("-PLAY", ""); }), 0);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].text, "Unknown option: -PLAY");
    EXPECT_FALSE(other.playingDemo);
}

TEST(CommandLineTest, NumberedDemosCountFromTheFilesPresent)
{
    TempFolder temp;
    DemoFolders folders(temp);
    const std::string userData = temp.Path() + "/";
    const auto makeSeries = [&](std::vector<int> numbers) {
        for (const auto& entry : std::filesystem::directory_iterator(temp.Path()))
            std::filesystem::remove(entry.path());
        for (int n : numbers)
            temp.Write("quillo" + std::to_string(n) + ".dmo", "demo");
        // Names of no series, or of another one, do not count.
        temp.Write("quillo.dmo", "");
        temp.Write("quilloX.dmo", "");
        temp.Write("other9.dmo", "");
    };
    struct Case {
        std::vector<int> present;
        const char* option;
        const char* value;
        std::string expectedFile;
        bool recording;
        int deleted; // 0: none
    } cases[] = {
        {{1, 2, 3, 4, 5}, "-recnum", "5", userData + "quillo6.dmo", true, 1},
        {{1, 2, 3}, "-recnum", "3", userData + "quillo4.dmo", true, 1},
        {{1, 2, 3}, "-recnum", "4", userData + "quillo4.dmo", true, 0},
        {{}, "-recnum", "3", userData + "quillo1.dmo", true, 0},
        // Not a number, 0 or negative: keep 5.
        {{1, 2, 3, 4}, "-recnum", "abc", userData + "quillo5.dmo", true, 0},
        {{2, 3, 4, 5, 6}, "-recnum", "-1", userData + "quillo7.dmo", true, 2},
        {{1, 2, 3, 4, 5}, "-playnum", "2", userData + "quillo4.dmo", false, 0},
        {{4, 7}, "-playnum", "2", userData + "quillo6.dmo", false, 0},
        {{4, 7}, "-playnum", "0", userData + "quillo7.dmo", false, 0},
        {{4, 7}, "-playnum", "1", userData + "quillo7.dmo", false, 0},
        {{}, "-playnum", "1", userData + "quillo0.dmo", false, 0},
    };
    for (const Case& c : cases) {
        makeSeries(c.present);
        TestApp app;
        app.demoPrefix = "quillo";
        app.ParseCommandParam(c.option, c.value);
        const std::string what = std::string(c.option) + "=" + c.value;
        EXPECT_EQ(app.demoFileName, c.expectedFile) << what;
        EXPECT_EQ(app.recordingDemo, c.recording) << what;
        EXPECT_EQ(app.playingDemo, !c.recording) << what;
        for (int n : c.present) {
            EXPECT_EQ(temp.Exists("quillo" + std::to_string(n) + ".dmo"), n != c.deleted) << what << " file " << n;
        }
    }
}

TEST(CommandLineTest, NumberedDemosLiveInTheUserDataFolderOnly)
{
    // The working folder holds files of the series too; they do not count.
    TempFolder temp;
    DemoFolders folders(temp);
    const std::string userData = temp.MakeFolder("data") + "/";
    Lumo::SetAppDataFolder(userData);
    temp.Write("quillo7.dmo", "demo");
    for (const int expected : {1, 2}) {
        TestApp app;
        app.demoPrefix = "quillo";
        app.ParseCommandParam("-recnum", "3");
        EXPECT_EQ(app.demoFileName, userData + "quillo" + std::to_string(expected) + ".dmo");
        temp.Write("data/quillo" + std::to_string(expected) + ".dmo", "demo"); // what the run leaves
    }
    TestApp app;
    app.demoPrefix = "quillo";
    app.ParseCommandParam("-playnum", "1");
    EXPECT_EQ(app.demoFileName, userData + "quillo2.dmo");
    EXPECT_TRUE(temp.Exists("quillo7.dmo"));
}

TEST(CommandLineTest, CrashOptionRaisesAnAccessFault)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TestApp app;
    // Killed by the fault (a sanitizer build reports it and exits instead).
    EXPECT_DEATH(app.ParseCommandParam("-crash", ""), "");
}

TEST(CommandLineTest, VersionOptionShowsTheBuildAndEnds)
{
    FakePlatformRecorder platform;
    Lumo::LumoApp app;
    app.productName = "Tavoro";
    app.productVersion = "1.0";
    EXPECT_EQ(FakePlatformRecorder::RunUntilExit([&] { app.ParseCommandLineArgs("-record -version -play"); }), 0);
    ASSERT_EQ(platform.boxes.size(), 1u);
    // An unstamped build shows number 0 and no date.
    EXPECT_EQ(platform.boxes[0].text, "Product: Tavoro\r\nVersion: 1.0\r\nBuild Num: 0\r\nBuild Date: ");
    EXPECT_EQ(platform.boxes[0].title, "Version Info");
    EXPECT_EQ(platform.boxes[0].flags, Plat::kMbIconInformation);
    EXPECT_TRUE(app.recordingDemo);
    EXPECT_FALSE(app.playingDemo);
}

} // namespace
