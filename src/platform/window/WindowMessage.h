// The message record that reaches a window procedure, with the message
// numbers, parameter values and virtual-key codes the framework's window
// procedure is written against. The event pump makes these from the
// desktop's events.
#pragma once

#include <cstdint>

namespace Plat {

class Window;

// One message: the window it is for, its number and its two parameters.
struct WindowMessage {
    Window* window = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// A window procedure: handles one message and returns its answer.
using WindowProcedure = intptr_t (*)(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// ---- Message numbers

constexpr uint32_t kWmCreate = 0x0001;
constexpr uint32_t kWmDestroy = 0x0002;
constexpr uint32_t kWmMove = 0x0003;
constexpr uint32_t kWmSize = 0x0005;
constexpr uint32_t kWmActivate = 0x0006;
constexpr uint32_t kWmEnable = 0x000A;
constexpr uint32_t kWmPaint = 0x000F;
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmQueryOpen = 0x0013;
constexpr uint32_t kWmEraseBkgnd = 0x0014;
constexpr uint32_t kWmSysColorChange = 0x0015;
constexpr uint32_t kWmEndSession = 0x0016;
constexpr uint32_t kWmActivateApp = 0x001C;
constexpr uint32_t kWmSetCursor = 0x0020;
constexpr uint32_t kWmDisplayChange = 0x007E;
constexpr uint32_t kWmNcActivate = 0x0086;
constexpr uint32_t kWmNcLButtonDown = 0x00A1;
constexpr uint32_t kWmKeyDown = 0x0100;
constexpr uint32_t kWmKeyUp = 0x0101;
constexpr uint32_t kWmChar = 0x0102;
constexpr uint32_t kWmSysKeyDown = 0x0104;
constexpr uint32_t kWmSysKeyUp = 0x0105;
constexpr uint32_t kWmSysChar = 0x0106;
constexpr uint32_t kWmSysCommand = 0x0112;
constexpr uint32_t kWmTimer = 0x0113;
constexpr uint32_t kWmMouseMove = 0x0200;
constexpr uint32_t kWmLButtonDown = 0x0201;
constexpr uint32_t kWmLButtonUp = 0x0202;
constexpr uint32_t kWmLButtonDblClk = 0x0203;
constexpr uint32_t kWmRButtonDown = 0x0204;
constexpr uint32_t kWmRButtonUp = 0x0205;
constexpr uint32_t kWmRButtonDblClk = 0x0206;
constexpr uint32_t kWmMButtonDown = 0x0207;
constexpr uint32_t kWmMButtonUp = 0x0208;
constexpr uint32_t kWmMButtonDblClk = 0x0209;
constexpr uint32_t kWmMouseWheel = 0x020A;
constexpr uint32_t kWmSizing = 0x0214;
constexpr uint32_t kWmPowerBroadcast = 0x0218;
constexpr uint32_t kWmMouseLeave = 0x02A3;

// ---- Parameter values

// kWmSize wParam.
constexpr uintptr_t kSizeRestored = 0;
constexpr uintptr_t kSizeMinimized = 1;
constexpr uintptr_t kSizeMaximized = 2;

// kWmSysCommand wParam (the low 4 bits are the desktop's own).
constexpr uintptr_t kScCommandMask = 0xFFF0;
constexpr uintptr_t kScNextWindow = 0xF040;
constexpr uintptr_t kScPrevWindow = 0xF050;
constexpr uintptr_t kScClose = 0xF060;
constexpr uintptr_t kScScreenSave = 0xF140;
constexpr uintptr_t kScMonitorPower = 0xF170;

// kWmPowerBroadcast: the queries a program may refuse, and the refusal.
constexpr uintptr_t kPbtApmQuerySuspend = 0;
constexpr uintptr_t kPbtApmQueryStandby = 1;
constexpr intptr_t kBroadcastQueryDeny = 0x424D5144;

// Mouse-message wParam: buttons and modifier keys held.
constexpr uintptr_t kMkLButton = 0x0001;
constexpr uintptr_t kMkRButton = 0x0002;
constexpr uintptr_t kMkShift = 0x0004;
constexpr uintptr_t kMkControl = 0x0008;
constexpr uintptr_t kMkMButton = 0x0010;

// One notch of the mouse wheel (high word of kWmMouseWheel's wParam).
constexpr int kWheelDelta = 120;

// Key-message lParam bits.
constexpr intptr_t kKeyAltDown = intptr_t(1) << 29;
constexpr intptr_t kKeyWasDown = intptr_t(1) << 30;
constexpr intptr_t kKeyReleased = intptr_t(1) << 31;

// Packs two signed 16-bit values as a message parameter (low word first).
constexpr intptr_t MakeLParam(int low, int high)
{
    return static_cast<intptr_t>((static_cast<uint32_t>(low) & 0xFFFFu) |
                                 ((static_cast<uint32_t>(high) & 0xFFFFu) << 16));
}
// The signed low and high words of a parameter.
constexpr int LowWordSigned(intptr_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu));
}
constexpr int HighWordSigned(intptr_t value)
{
    return static_cast<int16_t>(static_cast<uint16_t>((static_cast<uint32_t>(value) >> 16) & 0xFFFFu));
}

// ---- Virtual-key codes (all below 256). Letters and digits are their
// upper-case ASCII codes ('A' = 0x41, '0' = 0x30).

constexpr int kVkBack = 0x08;
constexpr int kVkTab = 0x09;
constexpr int kVkReturn = 0x0D;
constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkMenu = 0x12; // Alt
constexpr int kVkPause = 0x13;
constexpr int kVkCapital = 0x14;
constexpr int kVkEscape = 0x1B;
constexpr int kVkSpace = 0x20;
constexpr int kVkPrior = 0x21; // Page Up
constexpr int kVkNext = 0x22;  // Page Down
constexpr int kVkEnd = 0x23;
constexpr int kVkHome = 0x24;
constexpr int kVkLeft = 0x25;
constexpr int kVkUp = 0x26;
constexpr int kVkRight = 0x27;
constexpr int kVkDown = 0x28;
constexpr int kVkSnapshot = 0x2C;
constexpr int kVkInsert = 0x2D;
constexpr int kVkDelete = 0x2E;
constexpr int kVkLWin = 0x5B;
constexpr int kVkRWin = 0x5C;
constexpr int kVkApps = 0x5D;
constexpr int kVkNumpad0 = 0x60; // to kVkNumpad0 + 9
constexpr int kVkMultiply = 0x6A;
constexpr int kVkAdd = 0x6B;
constexpr int kVkSeparator = 0x6C;
constexpr int kVkSubtract = 0x6D;
constexpr int kVkDecimal = 0x6E;
constexpr int kVkDivide = 0x6F;
constexpr int kVkF1 = 0x70; // to kVkF1 + 23 (F24)
constexpr int kVkF4 = 0x73;
constexpr int kVkF10 = 0x79;
constexpr int kVkNumLock = 0x90;
constexpr int kVkScroll = 0x91;
constexpr int kVkOem1 = 0xBA;      // ;:
constexpr int kVkOemPlus = 0xBB;   // =+
constexpr int kVkOemComma = 0xBC;  // ,<
constexpr int kVkOemMinus = 0xBD;  // -_
constexpr int kVkOemPeriod = 0xBE; // .>
constexpr int kVkOem2 = 0xBF;      // /?
constexpr int kVkOem3 = 0xC0;      // `~
constexpr int kVkOem4 = 0xDB;      // [{
constexpr int kVkOem5 = 0xDC;      // backslash |
constexpr int kVkOem6 = 0xDD;      // ]}
constexpr int kVkOem7 = 0xDE;      // '"
constexpr int kVkOem102 = 0xE2;    // the extra key of European keyboards

} // namespace Plat
