// The default answers of the display host and its failure script.
#include "platform/video/DisplayHost.h"

#include "platform/system/Clock.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/FramePresenter.h"
#include "platform/video/SystemDisplayHost.h"
#include "platform/window/Window.h"

#include <atomic>
#include <string>

namespace Plat {

namespace {

std::atomic<DisplayHost*> gHost{nullptr};

// Lines of the simulated vertical blank after the visible ones.
constexpr int kBlankLines = 45;

} // namespace

DisplayHost::DisplayHost() = default;
DisplayHost::~DisplayHost() = default;

bool DisplayHost::SupportsMode(int width, int height, int bits)
{
    return width > 0 && height > 0 && width <= 8192 && height <= 8192 && (bits == 16 || bits == 32);
}

bool DisplayHost::HasEntry(const char* name)
{
    const std::string entry = name != nullptr ? name : "";
    if (entry == "DirectDrawCreate") {
        return hasDirectDrawCreate;
    }
    if (entry == "DirectDrawCreateEx") {
        return hasDirectDrawCreateEx;
    }
    return false;
}

void DisplayHost::ClientOrigin(Window* window, int& x, int& y)
{
    if (window != nullptr) {
        x = 0;
        y = 0;
        window->ClientToScreen(x, y);
        return;
    }
    x = clientX;
    y = clientY;
}

void DisplayHost::ClientSize(Window* window, int& width, int& height)
{
    if (window != nullptr) {
        const ScreenRect client = window->GetClientRect();
        width = client.Width();
        height = client.Height();
        return;
    }
    width = clientWidth;
    height = clientHeight;
}

WindowBorders DisplayHost::Borders(Window* window)
{
    if (window != nullptr) {
        int x = 0;
        int y = 0;
        window->ClientToScreen(x, y);
        const ScreenRect outer = window->GetWindowRect();
        const ScreenRect client = window->GetClientRect();
        return WindowBorders{x - outer.left, y - outer.top, outer.right - (x + client.Width()),
                             outer.bottom - (y + client.Height())};
    }
    return borders;
}

void DisplayHost::MoveWindow(Window* window, int x, int y, int width, int height)
{
    if (window != nullptr) {
        window->Move(x, y, width, height, false);
        return;
    }
    clientX = x + borders.left;
    clientY = y + borders.top;
    clientWidth = width - borders.left - borders.right;
    clientHeight = height - borders.top - borders.bottom;
}

uint32_t DisplayHost::TickCount()
{
    return GetClock().TickCount();
}

HResult DisplayHost::ScanLine(uint32_t& line)
{
    Clock& clock = GetClock();
    const int64_t frequency = clock.PerformanceFrequency();
    const int hz = MonitorFrequency() > 0 ? MonitorFrequency() : 60;
    const int64_t period = frequency / hz;
    const int64_t totalLines = static_cast<int64_t>(DesktopHeight()) + kBlankLines;
    if (period <= 0 || totalLines <= 0) {
        line = 0;
        return DD_OK;
    }
    const int64_t phase = clock.PerformanceCounter() % period;
    const int64_t current = phase * totalLines / period;
    if (current >= DesktopHeight()) {
        line = 0;
        return DDERR_VERTICALBLANKINPROGRESS;
    }
    line = static_cast<uint32_t>(current);
    return DD_OK;
}

void DisplayHost::WaitForVerticalBlank()
{
    Clock& clock = GetClock();
    const int64_t frequency = clock.PerformanceFrequency();
    const int hz = MonitorFrequency() > 0 ? MonitorFrequency() : 60;
    const int64_t period = frequency / hz;
    if (period <= 0) {
        return;
    }
    const int64_t totalLines = static_cast<int64_t>(DesktopHeight()) + kBlankLines;
    const int64_t blankStart = totalLines > 0 ? period * DesktopHeight() / totalLines : 0;
    const int64_t phase = clock.PerformanceCounter() % period;
    int64_t wait = blankStart - phase;
    if (wait < 0) {
        wait += period;
    }
    const uint32_t ms = static_cast<uint32_t>(wait * 1000 / frequency);
    if (ms > 0) {
        clock.Sleep(ms);
    }
}

bool DisplayHost::VideoMemory(uint64_t& bytes)
{
    bytes = videoMemoryBytes;
    return videoMemoryKnown;
}

FramePresenter& DisplayHost::Presenter()
{
    return GetFramePresenter();
}

void DisplayHost::InjectFault(DisplayCall call, int callNumber, HResult result)
{
    std::lock_guard<std::mutex> guard(mLock);
    const int absolute = callNumber > 0 ? mCounts[static_cast<size_t>(call)] + callNumber : 0;
    mFaults.push_back(Fault{call, absolute, result});
}

void DisplayHost::ClearFaults()
{
    std::lock_guard<std::mutex> guard(mLock);
    mFaults.clear();
    mCounts.fill(0);
}

HResult DisplayHost::CheckFault(DisplayCall call)
{
    std::lock_guard<std::mutex> guard(mLock);
    const int count = ++mCounts[static_cast<size_t>(call)];
    for (const Fault& fault : mFaults) {
        if (fault.call == call && (fault.callNumber == 0 || fault.callNumber == count)) {
            return fault.result;
        }
    }
    return DD_OK;
}

int DisplayHost::CallCount(DisplayCall call)
{
    std::lock_guard<std::mutex> guard(mLock);
    return mCounts[static_cast<size_t>(call)];
}

DisplayHost& GetDisplayHost()
{
    static SystemDisplayHost defaultHost;
    DisplayHost* host = gHost.load();
    return host != nullptr ? *host : defaultHost;
}

DisplayHost* SetDisplayHost(DisplayHost* host)
{
    return gHost.exchange(host);
}

} // namespace Plat
