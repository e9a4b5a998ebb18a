// The leak report of trackers made by the tests: its lines, sizes past
// 32 bits, long file names, a file that does not open, the place of a block
// known only by its caller, and threads adding blocks while it is written.
#include "framework/app/LeakTracker.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const void* FakeAddress(uintptr_t value)
{
    return reinterpret_cast<const void*>(value);
}

// The report without its first line (which holds the time).
std::string Body(const std::string& report)
{
    const size_t end = report.find('\n');
    return end == std::string::npos ? std::string() : report.substr(end + 1);
}

const char* const kDashes = "-----------------------------------------------------------\n";

} // namespace

TEST(LeakReportTest, EmptyTrackerGivesHeaderDashesAndZeroTotal)
{
    TempFolder folder;
    Lumo::LeakTracker tracker;
    const std::string path = folder.Join("mem_leaks.txt");
    tracker.WriteReport(path.c_str());
    const std::string report = folder.Read("mem_leaks.txt");
    EXPECT_TRUE(std::regex_match(report.substr(0, report.find('\n') + 1),
                                 std::regex("Memory Leak Report for \\w{3} \\w{3} [ \\d]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}\n")))
        << report;
    EXPECT_EQ(Body(report), std::string(kDashes) + "Total Unfreed: 0 bytes (0KB)\n\n");
    EXPECT_FALSE(folder.Exists("mem_leaks.txt.tmp"));
}

TEST(LeakReportTest, BlocksInAddressOrderWithWordsSizesAndTotal)
{
    TempFolder folder;
    Lumo::LeakTracker tracker;
    tracker.AddBlock(FakeAddress(0x3000), 2, "b.cpp", 20);
    tracker.AddBlock(FakeAddress(0x1000), 1, "a.cpp", 10);
    tracker.AddBlock(FakeAddress(0x2000), 1533, "c.cpp", 30);
    // A 3 GB block, entered without allocating it.
    tracker.AddBlock(FakeAddress(0x4000), 3221225472ULL, "big.cpp", 40);
    tracker.AddBlock(FakeAddress(0x5000), 7, "gone.cpp", 50);
    tracker.RemoveBlock(FakeAddress(0x5000));
    tracker.RemoveBlock(FakeAddress(0x6000)); // never added

    const std::string path = folder.Join("mem_leaks.txt");
    tracker.WriteReport(path.c_str());
    EXPECT_EQ(Body(folder.Read("mem_leaks.txt")), std::string("a.cpp(10) : Leak 1 byte\n"
                                                             "c.cpp(30) : Leak 1533 bytes\n"
                                                             "b.cpp(20) : Leak 2 bytes\n"
                                                             "big.cpp(40) : Leak 3221225472 bytes\n") +
                                                      kDashes + "Total Unfreed: 3221227008 bytes (3145729KB)\n\n");

    // 1536 bytes are 1 KB.
    tracker.RemoveBlock(FakeAddress(0x4000));
    tracker.AddBlock(FakeAddress(0x3000), 2, "b.cpp", 20);
    tracker.WriteReport(path.c_str());
    EXPECT_NE(folder.Read("mem_leaks.txt").find("Total Unfreed: 1536 bytes (1KB)\n\n"), std::string::npos);
}

TEST(LeakReportTest, LongFileNamesAreCutAndCallersNameTheirModule)
{
    TempFolder folder;
    Lumo::LeakTracker tracker;
    const std::string longName(400, 'x');
    tracker.AddBlock(FakeAddress(0x1000), 8, longName.c_str(), 3);
    // A code address of this test program.
    const void* code = reinterpret_cast<const void*>(&Body);
    tracker.AddBlockFromCaller(FakeAddress(0x2000), 4, code);

    const std::string path = folder.Join("mem_leaks.txt");
    tracker.WriteReport(path.c_str());
    std::istringstream lines(Body(folder.Read("mem_leaks.txt")));
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first, std::string(263, 'x') + "(3) : Leak 8 bytes");
    EXPECT_TRUE(std::regex_match(second, std::regex("test_LeakTrackerTest\\+0x[0-9a-f]+\\(0\\) : Leak 4 bytes")))
        << second;
}

TEST(LeakReportTest, GoesToTheDebugOutputWhenTheFileDoesNotOpen)
{
    TempFolder folder;
    Lumo::LeakTracker tracker;
    tracker.AddBlock(FakeAddress(0x10), 5, "lost.cpp", 9);
    const std::string path = folder.Join("missing/mem_leaks.txt");
    testing::internal::CaptureStderr();
    tracker.WriteReport(path.c_str());
    const std::string debug = testing::internal::GetCapturedStderr();
    EXPECT_NE(debug.find("\nMemory Leak Report for "), std::string::npos);
    EXPECT_NE(debug.find("lost.cpp(9) : Leak 5 bytes\n"), std::string::npos);
    EXPECT_NE(debug.find("Total Unfreed: 5 bytes (0KB)\n\n"), std::string::npos);
    EXPECT_FALSE(folder.Exists("missing"));

    // An inactive tracker writes nothing.
    tracker.active = false;
    tracker.WriteReport(folder.Join("mem_leaks.txt").c_str());
    EXPECT_FALSE(folder.Exists("mem_leaks.txt"));
}

TEST(LeakReportTest, ThreadsAddingBlocksWaitForAConsistentReport)
{
    TempFolder folder;
    Lumo::LeakTracker tracker;
    const std::string path = folder.Join("mem_leaks.txt");
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (uintptr_t t = 0; t < 4; ++t) {
        threads.emplace_back([&tracker, &go, t] {
            while (!go) {
            }
            for (uintptr_t i = 1; i <= 2000; ++i) {
                const void* address = FakeAddress((t + 1) * 0x1000000 + i * 16);
                tracker.AddBlock(address, 3, "thread.cpp", static_cast<int>(t));
                if (i % 2 == 0)
                    tracker.RemoveBlock(address);
            }
        });
    }
    go = true;
    // Each report also goes to the debug output.
    testing::internal::CaptureStderr();
    for (int r = 0; r < 20; ++r) {
        tracker.WriteReport(path.c_str());
        const std::string report = folder.Read("mem_leaks.txt");
        std::istringstream lines(Body(report));
        std::string line;
        uint64_t listed = 0;
        while (std::getline(lines, line) && line.rfind("thread.cpp", 0) == 0)
            listed += 3;
        EXPECT_NE(report.find("Total Unfreed: " + std::to_string(listed) + " bytes"), std::string::npos);
    }
    for (std::thread& thread : threads)
        thread.join();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(tracker.BlockCount(), 4u * 1000u);
}

TEST(LeakReportTest, ProcessReportPathTakesTheFolder)
{
    Lumo::SetLeakReportFolder("/data/user\\");
    EXPECT_STREQ(Lumo::GetLeakReportPath(), "/data/user/mem_leaks.txt");
    Lumo::SetLeakReportFolder("");
    EXPECT_STREQ(Lumo::GetLeakReportPath(), "mem_leaks.txt");
}
