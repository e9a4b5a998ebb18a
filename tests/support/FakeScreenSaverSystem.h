// A screen-saver system for tests: the desktop's answers are fields the
// test sets (an unset answer is "cannot be asked"), and what the program
// tells the desktop is logged. Installed for its lifetime. Header-only.
#pragma once

#include "platform/window/ScreenSaverSystem.h"

#include <optional>
#include <string>
#include <vector>

namespace LumoTest {

class FakeScreenSaverSystem : public Plat::ScreenSaverSystem {
public:
    FakeScreenSaverSystem() : mPrevious(Plat::SetScreenSaverSystem(this)) {}
    ~FakeScreenSaverSystem() override { Plat::SetScreenSaverSystem(mPrevious); }
    FakeScreenSaverSystem(const FakeScreenSaverSystem&) = delete;
    FakeScreenSaverSystem& operator=(const FakeScreenSaverSystem&) = delete;

    std::optional<uint32_t> timeoutSeconds;
    std::optional<bool> active;
    std::optional<bool> running;
    std::optional<uint32_t> lastInputTick;
    Plat::ScreenSaverPasswordCheck passwordCheck; // empty: the user asked for none
    std::vector<std::string> calls;               // "SetRunning 1", "ReleasePasswordCheck"
    int queries = 0;                              // GetTimeout calls (the periodic query)
    int checks = 0;                               // GetLastInputTick calls (every idle check)

    bool GetTimeout(uint32_t& seconds) override
    {
        ++queries;
        if (timeoutSeconds)
            seconds = *timeoutSeconds;
        return timeoutSeconds.has_value();
    }
    bool GetActive(bool& on) override
    {
        if (active)
            on = *active;
        return active.has_value();
    }
    bool GetRunning(bool& now) override
    {
        if (running)
            now = *running;
        return running.has_value();
    }
    bool GetLastInputTick(uint32_t& tick) override
    {
        ++checks;
        if (lastInputTick)
            tick = *lastInputTick;
        return lastInputTick.has_value();
    }
    Plat::ScreenSaverPasswordCheck LoadPasswordCheck() override { return passwordCheck; }
    void ReleasePasswordCheck() override { calls.push_back("ReleasePasswordCheck"); }
    void SetRunning(bool on) override { calls.push_back(on ? "SetRunning 1" : "SetRunning 0"); }

private:
    Plat::ScreenSaverSystem* mPrevious;
};

} // namespace LumoTest

using LumoTest::FakeScreenSaverSystem;
