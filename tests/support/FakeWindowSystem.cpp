#include "support/FakeWindowSystem.h"

#include <algorithm>

namespace LumoTest {

FakeWindow::FakeWindow(FakeWindowSystem& system, uint32_t exStyle, const std::string& className,
                       const std::string& windowTitle, uint32_t style, int x, int y, int width, int height)
    : Plat::Window(exStyle, className, style), title(windowTitle), createdRect{x, y, x + width, y + height},
      rect{x, y, x + width, y + height},
      showState((style & Plat::kWsVisible) != 0 ? Plat::kSwShowNormal : Plat::kSwHide), mSystem(system)
{
}

FakeWindow::~FakeWindow()
{
    mSystem.Forget(this);
}

void FakeWindow::Move(int x, int y, int width, int height, bool /*repaint*/)
{
    rect = {x, y, x + width, y + height};
    calls.push_back("Move " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) + " " +
                    std::to_string(height));
}

Plat::ScreenRect FakeWindow::GetClientRect() const
{
    if (!IsFramed())
        return {0, 0, rect.Width(), rect.Height()};
    const Plat::ScreenRect& b = mSystem.borders;
    return {0, 0, rect.Width() - b.left - b.right, rect.Height() - b.top - b.bottom};
}

void FakeWindow::ClientToScreen(int& x, int& y) const
{
    const Plat::ScreenRect b = IsFramed() ? mSystem.borders : Plat::ScreenRect{};
    x += rect.left + b.left;
    y += rect.top + b.top;
}

void FakeWindow::Show(int command)
{
    calls.push_back("Show " + std::to_string(command));
    switch (command) {
    case Plat::kSwHide:
        showState = Plat::kSwHide;
        break;
    case Plat::kSwShowMinimized:
    case Plat::kSwMinimize:
        showState = Plat::kSwShowMinimized;
        break;
    case Plat::kSwShowMaximized:
        showState = Plat::kSwShowMaximized;
        break;
    default:
        showState = Plat::kSwShowNormal;
        break;
    }
}

void FakeWindow::SetForeground()
{
    calls.push_back("SetForeground");
    mSystem.active = this;
}

bool FakeWindow::GetCursorClientPos(int& x, int& y) const
{
    x = mouseX;
    y = mouseY;
    return mouseKnown;
}

FakeWindowSystem::FakeWindowSystem() : mPrevious(Plat::SetWindowSystem(this)) {}

FakeWindowSystem::~FakeWindowSystem()
{
    Plat::SetWindowSystem(mPrevious);
}

Plat::Window* FakeWindowSystem::CreateWindow(uint32_t exStyle, const std::string& className,
                                             const std::string& title, uint32_t style, int x, int y, int width,
                                             int height)
{
    if (refuseWindows)
        return nullptr;
    auto* window = new FakeWindow(*this, exStyle, className, title, style, x, y, width, height);
    live.push_back(window);
    ++createdCount;
    if (newWindowsActive)
        active = window;
    return window;
}

Plat::ScreenRect FakeWindowSystem::AdjustWindowRect(const Plat::ScreenRect& client, uint32_t style)
{
    if ((style & Plat::kWsCaption) != Plat::kWsCaption)
        return client;
    return {client.left - borders.left, client.top - borders.top, client.right + borders.right,
            client.bottom + borders.bottom};
}

bool FakeWindowSystem::GetFullScreenClientSize(int& width, int& height)
{
    width = workArea.Width();
    height = workArea.Height() - borders.top;
    return true;
}

Plat::Window* FakeWindowSystem::GetActiveWindow()
{
    return active;
}

void FakeWindowSystem::Forget(FakeWindow* window)
{
    live.erase(std::remove(live.begin(), live.end(), window), live.end());
    if (active == window)
        active = nullptr;
}

} // namespace LumoTest
