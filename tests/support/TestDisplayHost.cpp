// The test display host.
#include "support/TestDisplayHost.h"

namespace LumoTest {

TestDisplayHost::TestDisplayHost() : mPrevious(Plat::SetDisplayHost(this))
{
    desktopWidth = 1024;
    desktopHeight = 768;
    desktopBits = 32;
    clientX = 100;
    clientY = 50;
    clientWidth = 640;
    clientHeight = 480;
    videoMemoryBytes = 64u << 20;
}

TestDisplayHost::~TestDisplayHost()
{
    Plat::SetDisplayHost(mPrevious);
}

void TestDisplayHost::ClientOrigin(Plat::Window* /*window*/, int& x, int& y)
{
    x = clientX;
    y = clientY;
}

void TestDisplayHost::ClientSize(Plat::Window* /*window*/, int& width, int& height)
{
    width = clientWidth;
    height = clientHeight;
}

Plat::WindowBorders TestDisplayHost::Borders(Plat::Window* /*window*/)
{
    return borders;
}

void TestDisplayHost::MoveWindow(Plat::Window* /*window*/, int x, int y, int width, int height)
{
    moves.push_back({x, y, width, height});
    clientX = x + borders.left;
    clientY = y + borders.top;
    clientWidth = width - borders.left - borders.right;
    clientHeight = height - borders.top - borders.bottom;
}

Plat::HResult TestDisplayHost::ScanLine(uint32_t& line)
{
    ++tick;
    ++scanLineReads;
    if (mScanLines.empty()) {
        line = 0;
        return Plat::DDERR_GENERIC;
    }
    const auto answer = mScanLines.front();
    mScanLines.pop_front();
    line = answer.first;
    return answer.second;
}

void TestDisplayHost::ScriptScanLines(const std::vector<std::pair<uint32_t, Plat::HResult>>& answers)
{
    mScanLines.insert(mScanLines.end(), answers.begin(), answers.end());
}

Plat::Window* DisplayTestWindow()
{
    static char token;
    return reinterpret_cast<Plat::Window*>(&token);
}

} // namespace LumoTest
