// A display host for tests, installed for its lifetime: a desktop and a
// window of the test's choosing (the window handle is never used), a clock
// that moves one millisecond per scan-line read, scripted scan lines,
// vertical-blank waits that only count, and its own headless presenter.
#pragma once

#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/FramePresenter.h"

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace LumoTest {

class TestDisplayHost : public Plat::DisplayHost {
public:
    TestDisplayHost();
    ~TestDisplayHost() override;

    void ClientOrigin(Plat::Window* window, int& x, int& y) override;
    void ClientSize(Plat::Window* window, int& width, int& height) override;
    Plat::WindowBorders Borders(Plat::Window* window) override;
    void MoveWindow(Plat::Window* window, int x, int y, int width, int height) override;
    uint32_t TickCount() override { return tick; }
    // The next scripted answer (line, result); when the script is empty,
    // DDERR_GENERIC. Each read moves the clock by one millisecond.
    Plat::HResult ScanLine(uint32_t& line) override;
    void WaitForVerticalBlank() override { ++verticalBlankWaits; }
    Plat::FramePresenter& Presenter() override { return presenter; }

    // Adds scripted scan-line answers.
    void ScriptScanLines(const std::vector<std::pair<uint32_t, Plat::HResult>>& answers);

    uint32_t tick = 1000;
    int verticalBlankWaits = 0;
    int scanLineReads = 0;
    std::vector<std::vector<int>> moves; // x, y, width, height of each MoveWindow
    Plat::HeadlessPresenter presenter;

private:
    std::deque<std::pair<uint32_t, Plat::HResult>> mScanLines;
    Plat::DisplayHost* mPrevious;
};

// A window handle for the display to pass on; the test host never uses it.
Plat::Window* DisplayTestWindow();

} // namespace LumoTest

using LumoTest::DisplayTestWindow;
using LumoTest::TestDisplayHost;
