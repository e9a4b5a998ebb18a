// The mod-value reload over source files written by the test with sites made
// by hand, and over real wrappers of this file found in the program's
// section.
#include "framework/app/ModVals.h"

#include "platform/system/MessageBox.h"
#include "support/FakePlatformRecorder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

// A wrapper that is never used: only the scan of the section finds it.
constexpr int kUnusedLine = __LINE__ + 1;
int UnusedTuningForScan() { return LUMO_M(3); }

namespace {

// Real wrappers: one site, and one per instantiation of a template.
constexpr int kSpeedLine = __LINE__ + 1;
float TunedSpeed() { return LUMO_M(2.5f); }
constexpr int kCountLine = __LINE__ + 2;
template <typename T>
T TunedCount() { return static_cast<T>(LUMO_M(7)); }

class ModValsTest : public ::testing::Test {
protected:
    ModValsTest() { Lumo::detail::ResetModVals(); }
    ~ModValsTest() override { Lumo::detail::ResetModVals(); }

    // Writes the source and dates it the given seconds away from now.
    std::string WriteSource(const std::string& name, const std::string& text, int secondsFromNow)
    {
        const std::string path = folder.Write(name, text);
        const auto when = std::filesystem::file_time_type::clock::now() + std::chrono::seconds(secondsFromNow);
        std::filesystem::last_write_time(path, when);
        return path;
    }
    // Sites of the lines of a file, registered, kept until the test ends (a
    // reset touches every registered site).
    Lumo::ModValSite* Sites(const std::string& path, const std::vector<int>& lines)
    {
        const std::string& file = paths.emplace_back(path);
        std::vector<Lumo::ModValSite>& sites = siteBlocks.emplace_back();
        for (const int line : lines)
            sites.push_back(Lumo::ModValSite{nullptr, file.c_str(), line, 0});
        Lumo::RegisterModValsIn(sites.data(), sites.data() + sites.size());
        return sites.data();
    }

    TempFolder folder;
    FakePlatformRecorder platform;
    std::deque<std::string> paths;
    std::deque<std::vector<Lumo::ModValSite>> siteBlocks;
};

} // namespace

TEST_F(ModValsTest, ReloadStoresValuesAndWarnsWhenNothingChanged)
{
    const std::string path = WriteSource("tune.cpp",
                                         "float a = LUMO_M(2.5f);\n"
                                         "int b = LUMO_M(0x1F); // LUMO_M(9)\n"
                                         "const char* c = LUMO_M(\"hi\");\n"
                                         "int d = LUMO_M(-3);\n",
                                         3600);
    Lumo::ModValSite* sites = Sites(path, {1, 2, 3, 4, 4});
    // Until they are used, the reload leaves the file alone.
    EXPECT_FALSE(Lumo::ReparseModVals());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "WARNING: No file changes detected.  Files parsed: \r\n  none");
    EXPECT_EQ(platform.boxes[0].title, "MODVAL WARNING!");
    EXPECT_EQ(platform.boxes[0].flags, Plat::kMbIconWarning);

    EXPECT_EQ(Lumo::ModValRead(sites[0], 1.0f), 1.0f); // the constant until a reload
    Lumo::ModValRead(sites[1], 0);
    Lumo::ModValRead(sites[2], "x");
    Lumo::ModValRead(sites[3], 0);
    // The file is newer than the last check: changed, no box.
    EXPECT_TRUE(Lumo::ReparseModVals());
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(Lumo::ModValRead(sites[0], 1.0f), 2.5f);
    EXPECT_EQ(Lumo::ModValRead(sites[1], 0), 31);
    EXPECT_STREQ(Lumo::ModValRead(sites[2], "x"), "hi");
    EXPECT_EQ(Lumo::ModValRead(sites[3], 0), -3);
    // Both sites of one line (a template's instantiations) get the value.
    EXPECT_EQ(Lumo::ModValRead(sites[4], 0), -3);

    // Nothing saved since: the warning, and the values are stored all the same.
    sites[1].record->set = false;
    EXPECT_FALSE(Lumo::ReparseModVals());
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].text, "WARNING: No file changes detected.  Files parsed: \r\n  " + path);
    EXPECT_EQ(Lumo::ModValRead(sites[1], 0), 31);

    // A later save is a change again.
    WriteSource("tune.cpp", "float a = LUMO_M(4.0);\n", 7200);
    EXPECT_TRUE(Lumo::ReparseModVals());
    EXPECT_EQ(Lumo::ModValRead(sites[0], 1.0f), 4.0f);
}

TEST_F(ModValsTest, ErrorsStopTheReloadAndKeepEarlierValues)
{
    struct Case {
        const char* source;
        int line; // of the second site
        const char* error;
    };
    const Case cases[] = {
        {"int a = LUMO_M(5);\nint b = LUMO_M(speed);\n", 2, "ERROR in %s on line 2.  Parsing Error."},
        {"int a = LUMO_M(5);\nint b = LUMO_M(2147483648);\n", 2, "ERROR in %s on line 2.  Parsing Error."},
        {"int a = LUMO_M(5);\nconst char* s = \"open;\n", 1, "ERROR in %s on line 2: Error parsing quotes"},
        {"int a = LUMO_M(5);\n/* open\n", 1, "ERROR in %s on line 2: Error parsing c comment"},
        {"int a = LUMO_M(5);\n// open \\\n", 1, "ERROR in %s on line 2: Error parsing c++ comment"},
    };
    int n = 0;
    for (const Case& c : cases) {
        Lumo::detail::ResetModVals();
        platform.boxes.clear();
        const std::string path = WriteSource("error" + std::to_string(n++) + ".cpp", c.source, 3600);
        Lumo::ModValSite* sites = Sites(path, {1, c.line});
        Lumo::ModValRead(sites[0], 0);
        EXPECT_FALSE(Lumo::ReparseModVals()) << c.source;
        ASSERT_EQ(platform.boxes.size(), 1u) << c.source;
        char expected[512];
        std::snprintf(expected, sizeof(expected), c.error, path.c_str());
        EXPECT_EQ(platform.boxes[0].text, expected);
        EXPECT_EQ(platform.boxes[0].title, "MODVAL ERROR");
        EXPECT_EQ(platform.boxes[0].flags, Plat::kMbIconError);
        // The value read before the error stays.
        EXPECT_EQ(Lumo::ModValRead(sites[0], 0), 5) << c.source;
    }

    // A file that cannot be opened.
    Lumo::detail::ResetModVals();
    platform.boxes.clear();
    const std::string missing = folder.Join("missing.cpp");
    Lumo::ModValSite& site = *Sites(missing, {1});
    Lumo::ModValRead(site, 0);
    EXPECT_FALSE(Lumo::ReparseModVals());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "ERROR: Unable to open " + missing + " for reparsing.");
    EXPECT_EQ(platform.boxes[0].title, "MODVAL ERROR!");
}

TEST_F(ModValsTest, RealWrappersAreFoundInTheSectionWithTheirPlace)
{
    EXPECT_EQ(TunedSpeed(), 2.5f);
    EXPECT_EQ(TunedCount<int>(), 7);
    EXPECT_EQ(TunedCount<short>(), 7);
    Lumo::ScanForModVals();
    auto& registry = Lumo::ModValRegistry();
    ASSERT_EQ(registry.count(__FILE__), 1u);
    const Lumo::ModValFileRecord& file = registry.at(__FILE__);
    EXPECT_TRUE(file.used);
    // Exactly the sites of this file, each at its line: nothing pads the
    // section between them.
    ASSERT_EQ(file.lines.size(), 3u);
    ASSERT_EQ(file.lines.count(kUnusedLine), 1u);
    EXPECT_EQ(file.lines.at(kUnusedLine)[0]->record, nullptr);
    ASSERT_EQ(file.lines.count(kSpeedLine), 1u);
    EXPECT_EQ(file.lines.at(kSpeedLine).size(), 1u);
    ASSERT_EQ(file.lines.count(kCountLine), 1u);
    EXPECT_EQ(file.lines.at(kCountLine).size(), 2u);

    // The source is older than the program: the same values, and the warning.
    EXPECT_FALSE(Lumo::ReparseModVals());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].title, "MODVAL WARNING!");
    EXPECT_NE(platform.boxes[0].text.find(__FILE__), std::string::npos);
    const Lumo::ModValSite* speed = file.lines.at(kSpeedLine)[0];
    ASSERT_NE(speed->record, nullptr);
    EXPECT_TRUE(speed->record->set);
    EXPECT_EQ(TunedSpeed(), 2.5f);
    for (const Lumo::ModValSite* count : file.lines.at(kCountLine))
        EXPECT_EQ(count->record->integerValue, 7);
    EXPECT_EQ(TunedCount<short>(), 7);
}
