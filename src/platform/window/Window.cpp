#include "platform/window/Window.h"

#include "platform/window/EventPump.h"

namespace Plat {

Window::Window(uint32_t exStyle, const std::string& className, uint32_t style)
    : mExStyle(exStyle), mClassName(className), mStyle(style)
{
}

Window::~Window()
{
    GetEventPump().ForgetWindow(this);
}

void Window::SetTimer(uint32_t id, uint32_t periodMs)
{
    GetEventPump().SetTimer(this, id, periodMs);
}

void Window::KillTimer(uint32_t id)
{
    GetEventPump().KillTimer(this, id);
}

void Window::Invalidate()
{
    GetEventPump().Invalidate(this);
}

intptr_t DefWindowProc(Window* /*window*/, uint32_t /*message*/, uintptr_t /*wParam*/, intptr_t /*lParam*/)
{
    // Nothing here acts on its own: a close request or a system key never
    // destroys a window or opens a menu behind the program's back.
    return 0;
}

} // namespace Plat
