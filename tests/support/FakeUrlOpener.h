// A stand-in "xdg-open" for a test: a small script first in PATH that
// appends each argument it gets, one a line, to a log and exits with the
// code in LUMO_FAKE_OPENER_EXIT (0 when unset). Header-only.
#pragma once

#include "platform/system/UrlOpener.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace LumoTest {

class FakeUrlOpener {
public:
    FakeUrlOpener()
    {
        const std::string script = mFolder.Write("bin/xdg-open",
                                                 "#!/bin/sh\n"
                                                 "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"" +
                                                     mFolder.Join("log") +
                                                     "\"; done\n"
                                                     "exit \"${LUMO_FAKE_OPENER_EXIT:-0}\"\n");
        chmod(script.c_str(), 0755);
        const char* oldPath = std::getenv("PATH");
        mPath = std::make_unique<ScopedEnvironment>(
            "PATH", mFolder.Join("bin") + ":" + (oldPath != nullptr ? oldPath : "/usr/bin:/bin"));
    }
    ~FakeUrlOpener() { WaitForHelpers(); }

    // Every argument received so far, in order.
    std::vector<std::string> Arguments() const
    {
        std::vector<std::string> lines;
        const std::string text = mFolder.Read("log");
        size_t start = 0;
        for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    // Reaps helpers until none runs (10 s at most); the combined outcome.
    static Plat::UrlOpenOutcome WaitForHelpers()
    {
        Plat::UrlOpenOutcome result = Plat::UrlOpenOutcome::None;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Plat::PendingUrlOpens() > 0 && std::chrono::steady_clock::now() < deadline) {
            const Plat::UrlOpenOutcome now = Plat::PollUrlOpens();
            if (now == Plat::UrlOpenOutcome::Failed || result == Plat::UrlOpenOutcome::None)
                result = now == Plat::UrlOpenOutcome::None ? result : now;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return result;
    }

private:
    TempFolder mFolder;
    std::unique_ptr<ScopedEnvironment> mPath;
};

} // namespace LumoTest
