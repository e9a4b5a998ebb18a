#include "platform/window/EventPump.h"

#include "platform/system/Clock.h"
#include "platform/window/Window.h"

#include <algorithm>

namespace Plat {

namespace {

// Code points of the Windows-1252 bytes 0x80 to 0x9F (0: unassigned).
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Decodes the next UTF-8 code point at text[pos]; a broken sequence gives
// one replacement per byte, which maps to no character.
uint32_t NextCodePoint(const std::string& text, size_t& pos)
{
    const uint8_t lead = static_cast<uint8_t>(text[pos++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    uint32_t value = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        value = lead & 0x07;
    } else {
        return 0xFFFD;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size() || (static_cast<uint8_t>(text[pos]) & 0xC0) != 0x80)
            return 0xFFFD;
        value = (value << 6) | (static_cast<uint8_t>(text[pos++]) & 0x3F);
    }
    return value;
}

// The character a key gives by itself where typed text does not carry it.
int ControlCharacter(int virtualKey)
{
    switch (virtualKey) {
    case kVkReturn:
        return 13;
    case kVkBack:
        return 8;
    case kVkTab:
        return 9;
    case kVkEscape:
        return 27;
    default:
        return 0;
    }
}

} // namespace

uint8_t CodePointToWindows1252(uint32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<uint8_t>(codePoint);
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252High[i] != 0 && kWindows1252High[i] == codePoint)
            return static_cast<uint8_t>(0x80 + i);
    }
    return 0;
}

std::string Utf8ToWindows1252(const std::string& utf8)
{
    std::string out;
    size_t pos = 0;
    while (pos < utf8.size()) {
        const uint8_t byte = CodePointToWindows1252(NextCodePoint(utf8, pos));
        if (byte != 0)
            out += static_cast<char>(byte);
    }
    return out;
}

EventPump& GetEventPump()
{
    static EventPump pump;
    return pump;
}

void EventPump::PostMessage(const WindowMessage& message)
{
    mQueue.push_back(message);
}

uintptr_t EventPump::MouseKeyState(const InputEvent& event) const
{
    uintptr_t state = mButtons;
    if (event.shift)
        state |= kMkShift;
    if (event.ctrl)
        state |= kMkControl;
    return state;
}

void EventPump::PostInput(const InputEvent& event)
{
    Window* window = event.window;
    switch (event.kind) {
    case InputEvent::Kind::Close:
        PostMessage({window, kWmClose, 0, 0});
        break;
    case InputEvent::Kind::Quit:
        // Ends the program the way closing its window does.
        PostMessage({window, kWmClose, 0, 0});
        break;
    case InputEvent::Kind::FocusGained:
        PostMessage({window, kWmActivateApp, 1, 0});
        break;
    case InputEvent::Kind::FocusLost:
        mButtons = 0;
        PostMessage({window, kWmActivateApp, 0, 0});
        break;
    case InputEvent::Kind::Minimized:
        PostMessage({window, kWmSize, kSizeMinimized, 0});
        break;
    case InputEvent::Kind::Maximized:
    case InputEvent::Kind::Restored:
    case InputEvent::Kind::Resized: {
        int width = event.x;
        int height = event.y;
        if (event.kind != InputEvent::Kind::Resized && window != nullptr) {
            const ScreenRect client = window->GetClientRect();
            width = client.Width();
            height = client.Height();
        }
        const uintptr_t kind = event.kind == InputEvent::Kind::Maximized ? kSizeMaximized : kSizeRestored;
        PostMessage({window, kWmSize, kind, MakeLParam(width, height)});
        break;
    }
    case InputEvent::Kind::Moved:
        PostMessage({window, kWmMove, 0, MakeLParam(event.x, event.y)});
        break;
    case InputEvent::Kind::Exposed:
        Invalidate(window);
        break;
    case InputEvent::Kind::MouseLeave:
        PostMessage({window, kWmMouseLeave, 0, 0});
        break;
    case InputEvent::Kind::MouseMotion:
        mLastX = event.x;
        mLastY = event.y;
        PostMessage({window, kWmMouseMove, MouseKeyState(event), MakeLParam(event.x, event.y)});
        break;
    case InputEvent::Kind::MouseButtonDown:
        PostMouseButton(event, true);
        break;
    case InputEvent::Kind::MouseButtonUp:
        PostMouseButton(event, false);
        break;
    case InputEvent::Kind::MouseWheel: {
        const int delta = event.wheel * kWheelDelta;
        const uintptr_t wParam = (MouseKeyState(event) & 0xFFFFu) | ((static_cast<uintptr_t>(delta) & 0xFFFFu) << 16);
        PostMessage({window, kWmMouseWheel, wParam, MakeLParam(mLastX, mLastY)});
        break;
    }
    case InputEvent::Kind::KeyDown:
        PostKey(event, true);
        break;
    case InputEvent::Kind::KeyUp:
        PostKey(event, false);
        break;
    case InputEvent::Kind::Text:
        // With Alt held the key itself gave the system character.
        if (!event.alt)
            PostCharacters(window, event.text, false);
        break;
    }
}

void EventPump::PostMouseButton(const InputEvent& event, bool down)
{
    uintptr_t bit = 0;
    uint32_t message = 0;
    const bool doubleClick = down && event.clicks >= 2 && event.clicks % 2 == 0;
    switch (event.button) {
    case 1:
        bit = kMkLButton;
        message = down ? (doubleClick ? kWmLButtonDblClk : kWmLButtonDown) : kWmLButtonUp;
        break;
    case 3:
        bit = kMkRButton;
        message = down ? (doubleClick ? kWmRButtonDblClk : kWmRButtonDown) : kWmRButtonUp;
        break;
    case 2:
        bit = kMkMButton;
        message = down ? (doubleClick ? kWmMButtonDblClk : kWmMButtonDown) : kWmMButtonUp;
        break;
    default:
        return; // extra buttons have no message
    }
    if (down)
        mButtons |= bit;
    else
        mButtons &= ~bit;
    mLastX = event.x;
    mLastY = event.y;
    PostMessage({event.window, message, MouseKeyState(event), MakeLParam(event.x, event.y)});
}

void EventPump::PostKey(const InputEvent& event, bool down)
{
    const int key = event.virtualKey;
    if (key <= 0 || key >= 256)
        return;
    // Alt turns keys into system keys, and so does F10 alone.
    const bool system = event.alt || key == kVkMenu || key == kVkF10;
    intptr_t lParam = 1;
    if (event.alt)
        lParam |= kKeyAltDown;
    if (!down || event.repeat)
        lParam |= kKeyWasDown;
    if (!down)
        lParam |= kKeyReleased;
    const uint32_t message = down ? (system ? kWmSysKeyDown : kWmKeyDown) : (system ? kWmSysKeyUp : kWmKeyUp);
    PostMessage({event.window, message, static_cast<uintptr_t>(key), lParam});
    if (!down)
        return;

    // Characters that typed text does not bring.
    int character = ControlCharacter(key);
    if (event.alt) {
        // Alt with a letter, digit or Enter: the system character, lower case.
        if (key >= 'A' && key <= 'Z')
            character = key - 'A' + 'a';
        else if (key >= '0' && key <= '9')
            character = key;
        if (character != 0)
            PostMessage({event.window, kWmSysChar, static_cast<uintptr_t>(character), lParam});
        return;
    }
    if (event.ctrl && key >= 'A' && key <= 'Z')
        character = key - 'A' + 1; // Ctrl+A is character 1
    if (character != 0)
        PostMessage({event.window, kWmChar, static_cast<uintptr_t>(character), lParam});
}

void EventPump::PostCharacters(Window* window, const std::string& utf8, bool alt)
{
    for (const char byte : Utf8ToWindows1252(utf8))
        PostMessage({window, alt ? kWmSysChar : kWmChar, static_cast<uint8_t>(byte), 1});
}

bool EventPump::PeekMessage(WindowMessage& message, bool remove)
{
    if (mSource != nullptr)
        mSource->Poll(*this);
    if (!mQueue.empty()) {
        message = mQueue.front();
        if (remove)
            mQueue.pop_front();
        return true;
    }
    if (!mInvalid.empty()) {
        message = {mInvalid.front(), kWmPaint, 0, 0};
        if (remove)
            mInvalid.erase(mInvalid.begin());
        return true;
    }
    const uint32_t now = GetClock().TickCount();
    for (Timer& timer : mTimers) {
        if (now - timer.lastTick >= timer.periodMs) {
            message = {timer.window, kWmTimer, timer.id, 0};
            if (remove)
                timer.lastTick = now;
            return true;
        }
    }
    return false;
}

intptr_t EventPump::DispatchMessage(const WindowMessage& message)
{
    if (message.window != nullptr) {
        if (WindowProcedure procedure = message.window->GetProcedure())
            return procedure(message.window, message.message, message.wParam, message.lParam);
    }
    return DefWindowProc(message.window, message.message, message.wParam, message.lParam);
}

void EventPump::SetTimer(Window* window, uint32_t id, uint32_t periodMs)
{
    const uint32_t now = GetClock().TickCount();
    for (Timer& timer : mTimers) {
        if (timer.window == window && timer.id == id) {
            timer.periodMs = periodMs;
            timer.lastTick = now;
            return;
        }
    }
    mTimers.push_back({window, id, periodMs, now});
}

void EventPump::KillTimer(Window* window, uint32_t id)
{
    std::erase_if(mTimers, [&](const Timer& timer) { return timer.window == window && timer.id == id; });
}

void EventPump::Invalidate(Window* window)
{
    if (std::find(mInvalid.begin(), mInvalid.end(), window) == mInvalid.end())
        mInvalid.push_back(window);
}

void EventPump::ForgetWindow(Window* window)
{
    std::erase_if(mQueue, [&](const WindowMessage& message) { return message.window == window; });
    std::erase_if(mTimers, [&](const Timer& timer) { return timer.window == window; });
    std::erase(mInvalid, window);
}

void EventPump::Clear()
{
    mQueue.clear();
    mTimers.clear();
    mInvalid.clear();
    mButtons = 0;
}

} // namespace Plat
