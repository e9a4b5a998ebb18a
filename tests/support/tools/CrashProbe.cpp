// A program that crashes on purpose, for the crash catcher's tests.
//   lumo_crash_probe <case> <folder>
// installs the crash catcher with itself as the reporter, tells it to report
// into <folder>, and runs the case. Started as the reporter it writes the
// report, then appends one line to <folder>/reports.log.
#include "framework/app/CrashReport.h"
#include "framework/app/LumoAppBase.h"
#include "platform/system/CrashSignals.h"
#include "platform/system/ProcessControl.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace {

__attribute__((noinline, no_sanitize("undefined"))) void ProbeNullStore()
{
    volatile int* volatile target = nullptr;
    *target = 7;
}

volatile int gZero = 0;

__attribute__((noinline, no_sanitize("undefined"))) int ProbeDivide(int divisor)
{
    volatile int numerator = 1000;
    volatile int by = divisor;
    return numerator / by;
}

__attribute__((noinline)) int ProbeBusRead(const std::string& folder)
{
    // A mapped page whose file was cut away under it.
    const std::string path = folder + "/bus.bin";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ftruncate(fd, 8192) != 0)
        return -1;
    auto* page = static_cast<volatile char*>(mmap(nullptr, 8192, PROT_READ, MAP_SHARED, fd, 0));
    if (page == MAP_FAILED || ftruncate(fd, 0) != 0)
        return -1;
    return page[4096];
}

__attribute__((noinline, no_sanitize("undefined", "address"))) int ProbeRecurse(int depth)
{
    if (depth < 0)
        return 0; // never: the stack runs out long before
    volatile char block[512];
    block[0] = static_cast<char>(depth);
    return ProbeRecurse(depth + 1) + block[0];
}

std::atomic<int> gReady{0};

void CrashTogether()
{
    Plat::AddCrashStackForThread();
    gReady.fetch_add(1);
    while (gReady.load() < 2) {
    }
    ProbeNullStore();
}

int Reporter(const std::string& recordPath)
{
    const Lumo::CrashReportResult result = Lumo::ProcessCrashRecord(recordPath);
    const std::string folder = result.context.Get("folder");
    if (!result.ok || folder.empty())
        return 1;
    if (FILE* log = std::fopen((folder + "/reports.log").c_str(), "a")) {
        std::fputs("report\n", log);
        std::fclose(log);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string option = Lumo::kCrashReporterOption;
    if (argc >= 2 && std::string(argv[1]).rfind(option, 0) == 0) {
        Plat::RemoveCrashSignals();
        return Reporter(argv[1] + option.size());
    }
    if (argc < 3)
        return 2;
    const std::string kind = argv[1];
    const std::string folder = argv[2];
    if (!Plat::InstallCrashSignals(Plat::ExecutablePath(), option, folder + "/records"))
        return 2;
    Lumo::CrashContext context;
    context.Set("registered", "1");
    context.Set("folder", folder);
    context.Set("info.head", "Product: Probe\r\n");
    Plat::SetCrashContext(context.Serialize());

    if (kind == "null") {
        ProbeNullStore();
    } else if (kind == "divide") {
        std::printf("%d\n", ProbeDivide(gZero));
    } else if (kind == "abort") {
        std::abort();
    } else if (kind == "bus") {
        std::printf("%d\n", ProbeBusRead(folder));
    } else if (kind == "recursion") {
        std::printf("%d\n", ProbeRecurse(0));
    } else if (kind == "thread-recursion") {
        std::thread worker([] {
            Plat::AddCrashStackForThread();
            std::printf("%d\n", ProbeRecurse(0));
        });
        worker.join();
    } else if (kind == "two-threads") {
        std::thread first(CrashTogether);
        std::thread second(CrashTogether);
        first.join();
        second.join();
    } else if (kind == "demo") {
        // A recording application: one filler at update 20, the crash at 100.
        auto* app = new Lumo::LumoAppBase();
        app->productVersion = "probe";
        app->randSeed = 4242;
        app->demoFileName = folder + "/crash.dmo";
        app->recordingDemo = true;
        app->RecordDisplaySetup();
        app->updateCount = 20;
        app->DemoWriteUpdateDelta();
        app->demoBuffer.WriteNumBits(0, 1);
        app->demoBuffer.WriteNumBits(31, 5);
        app->updateCount = 100;
        app->RefreshCrashContext();
        // The application's context replaced the probe's: report here all the same.
        context.Set("recording", "1");
        Plat::SetCrashContext(context.Serialize());
        ProbeNullStore();
    }
    return 3;
}
