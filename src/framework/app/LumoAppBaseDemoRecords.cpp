// Writing demo records: the header every recorder starts with, and the
// records of the window messages that a played demo replays.
#include "framework/app/LumoAppBase.h"

#include "framework/app/DemoFormat.h"

#include <algorithm>
#include <cstdlib>

namespace Lumo {

namespace {

// The header of a short-form record (delta, form bit, 1-bit command).
void BeginShortRecord(LumoAppBase& app, int command)
{
    app.DemoWriteUpdateDelta();
    app.demoBuffer.WriteNumBits(1, 1);
    app.demoBuffer.WriteNumBits(command, 1);
}

// The click count a button message carries in its record; 0 for a move.
int ButtonClickCount(uint32_t message, bool& down)
{
    down = true;
    switch (message) {
    case Plat::kWmLButtonDown:
        return 1;
    case Plat::kWmLButtonDblClk:
        return 2;
    case Plat::kWmRButtonDown:
        return -1;
    case Plat::kWmRButtonDblClk:
        return -2;
    case Plat::kWmMButtonDown:
        return 3;
    default:
        break;
    }
    down = false;
    switch (message) {
    case Plat::kWmLButtonUp:
        return 1;
    case Plat::kWmRButtonUp:
        return -1;
    case Plat::kWmMButtonUp:
        return 3;
    default:
        return 0;
    }
}

} // namespace

void LumoAppBase::DemoWriteUpdateDelta()
{
    // A gap longer than 4 bits can count is bridged by filler records
    // (delta 15, long form, command 31).
    while (updateCount - demoNextUpdate > 15) {
        demoBuffer.WriteNumBits(15, 4);
        demoNextUpdate += 15;
        demoBuffer.WriteNumBits(0, 1);
        demoBuffer.WriteNumBits(kDemoFiller, 5);
    }
    demoBuffer.WriteNumBits(std::max(updateCount - demoNextUpdate, 0), 4);
    demoNextUpdate = updateCount;
}

void LumoAppBase::DemoBeginRecord(int command)
{
    DemoWriteUpdateDelta();
    demoBuffer.WriteNumBits(0, 1);
    demoBuffer.WriteNumBits(command, 5);
}

void LumoAppBase::DemoRecordMessage(const Plat::WindowMessage& msg)
{
    const bool mainWin = msg.window == mainWindow;
    switch (msg.message) {
    case Plat::kWmActivateApp:
        if (mainWin) {
            DemoBeginRecord(kDemoActivate);
            demoBuffer.WriteNumBits(msg.wParam != 0 ? 1 : 0, 1);
        }
        return;
    case Plat::kWmSize:
        DemoBeginRecord(kDemoSize);
        demoBuffer.WriteBoolean(msg.wParam == Plat::kSizeMinimized);
        return;
    case Plat::kWmClose:
        if (mainWin || (invisWindow != nullptr && msg.window == invisWindow))
            DemoBeginRecord(kDemoClose);
        return;
    case Plat::kWmKeyDown:
    case Plat::kWmSysKeyDown:
        return; // recorded when it reaches the widgets (DemoRecordKeyDown)
    case Plat::kWmKeyUp:
    case Plat::kWmSysKeyUp:
        DemoBeginRecord(kDemoKeyUp);
        demoBuffer.WriteNumBits(static_cast<int>(msg.wParam & 0xFF), 8);
        return;
    case Plat::kWmChar:
        // Always the one-byte form.
        DemoBeginRecord(kDemoChar);
        demoBuffer.WriteNumBits(0, 1);
        demoBuffer.WriteNumBits(static_cast<int8_t>(msg.wParam & 0xFF), 8);
        return;
    case Plat::kWmMouseWheel:
        DemoBeginRecord(kDemoMouseWheel);
        demoBuffer.WriteNumBits(Plat::HighWordSigned(static_cast<intptr_t>(msg.wParam)) / Plat::kWheelDelta, 8);
        return;
    default:
        break;
    }
    if (msg.message < Plat::kWmMouseMove || msg.message > Plat::kWmMButtonUp)
        return; // not replayed: moves of the window, timers, sizing, display notices

    const int x = DemoClampPosition(Plat::LowWordSigned(msg.lParam));
    const int y = DemoClampPosition(Plat::HighWordSigned(msg.lParam));
    const int dx = x - demoMouseX;
    const int dy = y - demoMouseY;
    if (std::abs(dx) < 32 && std::abs(dy) < 32) {
        if (dx != 0 || dy != 0) {
            BeginShortRecord(*this, kDemoShortMouseMove);
            demoBuffer.WriteNumBits(dx, 6);
            demoBuffer.WriteNumBits(dy, 6);
        }
    } else {
        DemoBeginRecord(kDemoMouseMove);
        demoBuffer.WriteNumBits(x, 12);
        demoBuffer.WriteNumBits(y, 12);
    }
    bool down = false;
    const int clickCount = ButtonClickCount(msg.message, down);
    if (clickCount != 0) {
        BeginShortRecord(*this, kDemoShortMouseButton);
        demoBuffer.WriteNumBits(down ? 1 : 0, 1);
        demoBuffer.WriteNumBits(clickCount, 3);
    }
    demoMouseX = x;
    demoMouseY = y;
}

void LumoAppBase::DemoRecordKeyDown(int key)
{
    DemoBeginRecord(kDemoKeyDown);
    demoBuffer.WriteNumBits(key & 0xFF, 8);
}

int LumoAppBase::DemoClampPosition(int coordinate)
{
    return std::clamp(coordinate, 0, 4095);
}

void LumoAppBase::DemoRecordMouseInside(bool inside)
{
    DemoBeginRecord(inside ? kDemoMouseEnter : kDemoMouseLeave);
}

} // namespace Lumo
