// The crash catcher end to end: a probe program (and the game itself)
// crashes in a child process; the test checks how it died, that exactly one
// reporter ran, and what the report says.
#include "framework/app/LumoAppBase.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr auto kChildBound = std::chrono::seconds(20);

struct Outcome {
    bool exited = false;
    int status = 0;
    bool timedOut = false;
};

// Starts the program with the arguments and environment additions, waits
// for it and for every process it left behind (the reporter is reparented
// to this one); 20 s at most each. The child leads a process group of its
// own, which the reporter inherits, so a stuck run is ended by that group
// alone.
Outcome RunChild(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {})
{
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    Outcome outcome;
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        for (const std::string& entry : environment)
            putenv(const_cast<char*>(entry.c_str()));
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (child < 0)
        return outcome;
    setpgid(child, child);
    const auto deadline = std::chrono::steady_clock::now() + kChildBound;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(-1, &status, WNOHANG);
        if (done == child) {
            outcome.exited = true;
            outcome.status = status;
            continue;
        }
        if (done < 0 && errno == ECHILD)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            outcome.timedOut = true;
            kill(-child, SIGKILL);
            break;
        }
        if (done == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return outcome;
}

std::string Between(const std::string& text, const std::string& before, size_t length)
{
    const size_t at = text.find(before);
    return at == std::string::npos ? std::string() : text.substr(at + before.size(), length);
}

struct ProbeCase {
    const char* kind;
    int signal;
    const char* firstLine; // the start of the report's first line
    const char* function;  // a frame that must be named
    const char* module;    // the file that holds the faulting instruction
};

void CheckProbe(const ProbeCase& c)
{
    SCOPED_TRACE(c.kind);
    TempFolder tmp;
    const Outcome outcome = RunChild({LUMO_CRASH_PROBE, c.kind, tmp.Path()});
    ASSERT_FALSE(outcome.timedOut);
    ASSERT_TRUE(outcome.exited);
    ASSERT_TRUE(WIFSIGNALED(outcome.status)) << "exit status " << outcome.status;
    EXPECT_EQ(WTERMSIG(outcome.status), c.signal);
    EXPECT_EQ(tmp.Read("reports.log"), "report\n");

    const std::string report = tmp.Read("crash.txt");
    EXPECT_EQ(report.rfind(c.firstLine, 0), 0u) << report.substr(0, 200);
    // The first line's address is the faulting instruction, in 16 digits.
    const std::string address = Between(report, " at address ", 16);
    EXPECT_EQ(address.size(), 16u);
    EXPECT_EQ(address, Between(report, "RIP:", 16));
    EXPECT_NE(report.find(c.function), std::string::npos) << report;
    EXPECT_NE(report.find(std::string("Module: ") + c.module + "\r\n"), std::string::npos) << report.substr(0, 400);
    EXPECT_NE(report.find("\r\nSystem: Linux "), std::string::npos);
    EXPECT_NE(report.find("\r\nProduct: Probe\r\n"), std::string::npos);
    // The raw record is gone once reported.
    EXPECT_TRUE(std::filesystem::is_empty(tmp.Join("records")));
}

// Also run under the thread sanitizer, which fails the run on any call in
// the handler that is not safe there.
TEST(CrashCatcherTest, NullStoreIsReportedOnce)
{
    CheckProbe({"null", SIGSEGV, "Exception: Access Violation (code 0xc0000005) at address ", "ProbeNullStore()",
                "lumo_crash_probe"});
}

TEST(CrashCatcherTest, EveryKindOfFaultIsReportedOnce)
{
    const ProbeCase cases[] = {
        {"divide", SIGFPE, "Exception: Integer Divide by Zero (code 0xc0000094) at address ", "ProbeDivide(int)",
         "lumo_crash_probe"},
        {"abort", SIGABRT, "Unknown exception: (code 0x6) at address ", "main", "libc.so.6"},
        {"bus", SIGBUS, "Exception: In Page Error (code 0xc0000006) at address ",
         "ProbeBusRead(std::__cxx11::basic_string", "lumo_crash_probe"},
        {"recursion", SIGSEGV, "Exception: Stack Overflow (code 0xc00000fd) at address ", "ProbeRecurse(int)",
         "lumo_crash_probe"},
        {"thread-recursion", SIGSEGV, "Exception: Stack Overflow (code 0xc00000fd) at address ",
         "ProbeRecurse(int)", "lumo_crash_probe"},
        {"two-threads", SIGSEGV, "Exception: Access Violation (code 0xc0000005) at address ", "ProbeNullStore()",
         "lumo_crash_probe"},
    };
    for (const ProbeCase& c : cases)
        CheckProbe(c);
}

TEST(CrashCatcherTest, CrashWhileRecordingLeavesAPlayableDemo)
{
    TempFolder tmp;
    const Outcome outcome = RunChild({LUMO_CRASH_PROBE, "demo", tmp.Path()});
    ASSERT_FALSE(outcome.timedOut);
    ASSERT_TRUE(WIFSIGNALED(outcome.status));
    EXPECT_EQ(tmp.Read("reports.log"), "report\n");

    Lumo::LumoAppBase app;
    app.productVersion = "probe";
    app.demoFileName = tmp.Join("crash.dmo");
    app.playingDemo = true;
    std::string error;
    ASSERT_TRUE(app.OpenDemoFile(error)) << error;
    EXPECT_EQ(app.randSeed, 4242u);
    EXPECT_EQ(app.demoTotalUpdates, 100);
    // The filler written before the crash, the handler's fillers across the
    // 80 updates since, and the closing record at update 100: all
    // long-form records of command 31.
    app.demoBuffer.SeekFront();
    // The display record the recording began with.
    EXPECT_EQ(app.demoBuffer.ReadNumBits(4, false), 0);
    EXPECT_EQ(app.demoBuffer.ReadNumBits(1, false), 0);
    EXPECT_EQ(app.demoBuffer.ReadNumBits(5, false), 23);
    app.demoBuffer.ReadNumBits(16, false);
    std::vector<int> deltas;
    while (app.demoBuffer.GetDataLen() * 8 - app.demoBuffer.GetReadPos() >= 10) {
        deltas.push_back(app.demoBuffer.ReadNumBits(4, false));
        EXPECT_EQ(app.demoBuffer.ReadNumBits(1, false), 0);
        EXPECT_EQ(app.demoBuffer.ReadNumBits(5, false), 31);
    }
    EXPECT_EQ(deltas, (std::vector<int>{15, 5, 15, 15, 15, 15, 15, 5}));
}

TEST(CrashCatcherTest, GameCrashOptionWritesTheReportToTheUserDataFolder)
{
    TempFolder tmp;
    const Outcome outcome =
        RunChild({LUMO_GAME_PROGRAM, "-crash"},
                 {"XDG_DATA_HOME=" + tmp.Path(), "XDG_CONFIG_HOME=" + tmp.Path(), "XDG_RUNTIME_DIR=" + tmp.Path(),
                  "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "LUMO_EXIT_AFTER_MS=2000"});
    ASSERT_FALSE(outcome.timedOut);
    ASSERT_TRUE(WIFSIGNALED(outcome.status));
    EXPECT_EQ(WTERMSIG(outcome.status), SIGSEGV);
    const std::string report = tmp.Read("Quillo Games/Tavoro Oribel/crash.txt");
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report.rfind("Exception: Access Violation (code 0xc0000005)", 0), 0u);
    EXPECT_NE(report.find("Module: tavoro-oribel\r\n"), std::string::npos);
    EXPECT_NE(report.find("StoreThroughNull()"), std::string::npos);
    EXPECT_NE(report.find("\r\nSystem: Linux "), std::string::npos);
    const std::string thread = Between(report, "\r\nPrimary ThreadId: ", 16);
    ASSERT_FALSE(thread.empty());
    EXPECT_NE(thread.substr(0, thread.find('\r')), "0");
    EXPECT_NE(std::stoul(thread, nullptr, 16), 0u);
    EXPECT_NE(report.find("\r\nVideo: SDL "), std::string::npos);
}

} // namespace
