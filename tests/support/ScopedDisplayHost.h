// A display host of the test's own, installed for the holder's lifetime, so
// that tests can script the display's answers and faults.
#pragma once

#include "platform/video/DisplayHost.h"

namespace LumoTest {

class ScopedDisplayHost {
public:
    ScopedDisplayHost() : mPrevious(Plat::SetDisplayHost(&host)) {}
    ~ScopedDisplayHost() { Plat::SetDisplayHost(mPrevious); }
    ScopedDisplayHost(const ScopedDisplayHost&) = delete;
    ScopedDisplayHost& operator=(const ScopedDisplayHost&) = delete;

    Plat::DisplayHost host;

private:
    Plat::DisplayHost* mPrevious;
};

} // namespace LumoTest

using LumoTest::ScopedDisplayHost;
