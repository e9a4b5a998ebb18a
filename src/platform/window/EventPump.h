// The message queue of the program's windows. The desktop's events arrive
// as plain input events and leave as the window messages the window
// procedure expects (close, activation, size, mouse, keys, characters),
// with timer and paint messages made when nothing else waits. One pump
// serves the process; it is used from the main thread only.
#pragma once

#include "platform/window/WindowMessage.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace Plat {

class Window;
class EventPump;

// An event of the desktop, already tied to one of our windows.
struct InputEvent {
    enum class Kind {
        Close,       // the user asked to close the window
        Quit,        // the process was asked to end (a signal): closes every window
        FocusGained, // the window took the keyboard
        FocusLost,
        Minimized,
        Maximized,
        Restored, // back from minimised or maximised
        Moved,    // x, y: new position of the client area
        Resized,  // x, y: new client width and height
        Exposed,  // the picture must be shown again
        MouseLeave,
        MouseMotion,     // x, y: client coordinates
        MouseButtonDown, // button, clicks, x, y
        MouseButtonUp,
        MouseWheel, // wheel: notches, positive away from the user
        KeyDown,    // virtualKey, repeat
        KeyUp,
        Text, // text: UTF-8 characters typed
    };

    Kind kind = Kind::Close;
    Window* window = nullptr;
    int x = 0;
    int y = 0;
    int button = 0; // 1 left, 2 middle, 3 right
    int clicks = 1;
    int wheel = 0;
    int virtualKey = 0;
    bool repeat = false;
    // Modifier keys held at the time of the event.
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    std::string text;
};

// Where the pump's input events come from (the desktop's event queue).
class EventSource {
public:
    virtual ~EventSource() = default;
    // Hands every event that has arrived to the pump's PostInput.
    virtual void Poll(EventPump& pump) = 0;
};

class EventPump {
public:
    // Turns one input event into the messages it stands for and queues them:
    // Close and Quit kWmClose; focus kWmActivateApp (1 or 0); size changes
    // kWmSize; a move kWmMove; Exposed a later kWmPaint; the mouse kWmMouseMove,
    // the button messages (an even click count is a double click) and
    // kWmMouseWheel; keys kWmKeyDown/kWmKeyUp, or kWmSysKeyDown/kWmSysKeyUp
    // while Alt is held and for F10; Enter, Backspace, Tab and Escape also
    // give their character, as typed text does (kWmSysChar with Alt).
    void PostInput(const InputEvent& event);
    // Queues a message as it is.
    void PostMessage(const WindowMessage& message);

    // The oldest waiting message; when none waits, a due paint and then a
    // due timer message. remove = false leaves the message in place (a
    // paint or timer message is then made again by the next call).
    // Polls the event source first.
    bool PeekMessage(WindowMessage& message, bool remove);
    // Hands the message to its window's procedure and returns its answer;
    // a window without a procedure gives the default answer.
    intptr_t DispatchMessage(const WindowMessage& message);

    void SetTimer(Window* window, uint32_t id, uint32_t periodMs);
    void KillTimer(Window* window, uint32_t id);
    void Invalidate(Window* window);
    // Drops everything the pump holds for the window (it is going away).
    void ForgetWindow(Window* window);

    // The source polled by PeekMessage; null: none (only posted messages).
    void SetSource(EventSource* source) { mSource = source; }
    EventSource* GetSource() const { return mSource; }

    // Drops every message, timer and paint request (tests start clean).
    void Clear();
    size_t QueuedCount() const { return mQueue.size(); }

private:
    struct Timer {
        Window* window;
        uint32_t id;
        uint32_t periodMs;
        uint32_t lastTick;
    };

    void PostKey(const InputEvent& event, bool down);
    void PostCharacters(Window* window, const std::string& utf8, bool alt);
    void PostMouseButton(const InputEvent& event, bool down);
    uintptr_t MouseKeyState(const InputEvent& event) const;

    std::deque<WindowMessage> mQueue;
    std::vector<Timer> mTimers;
    std::vector<Window*> mInvalid;
    EventSource* mSource = nullptr;
    uintptr_t mButtons = 0; // kMkLButton, kMkRButton, kMkMButton held
    int mLastX = 0;
    int mLastY = 0;
};

// The process's pump.
EventPump& GetEventPump();

// Windows-1252 byte of a Unicode code point; 0 when it has none.
uint8_t CodePointToWindows1252(uint32_t codePoint);
// UTF-8 text as Windows-1252 bytes; characters without a byte are dropped.
std::string Utf8ToWindows1252(const std::string& utf8);

} // namespace Plat
