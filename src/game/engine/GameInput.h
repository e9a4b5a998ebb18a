// The game's input between the main widget's callbacks and the ticks: a
// queue of typed codes for input boxes, the table of held keys and mouse
// buttons with one press report per press, and the left button's press
// latched until a tick asks for it. A key let go before any tick ran since
// its press (a tap within one frame, or a wheel turn) stays pressed until the
// end of the next tick, and no longer.
#pragma once

#include <array>
#include <cstdint>

class GameInput {
public:
    static constexpr int kRingSize = 256;
    static constexpr int kKeyCount = 256;
    // Table entries 1 and 2 stand for the left and right mouse buttons.
    static constexpr int kLeftButton = 1;
    static constexpr int kRightButton = 2;

    // ---- Fed by the main widget (tests script input through these)

    // Codes outside 0..255 are ignored. A held key repeats into the queue
    // but is reported pressed once.
    void KeyDown(int code);
    void KeyUp(int code);
    // Click counts: 1 or more (but not 3) left, negative right, 0 or 3
    // middle (ignored).
    void MouseDown(int clickCount);
    void MouseUp(int clickCount);
    // A wheel turn taps the key (up for a positive delta); nothing is
    // queued.
    void Wheel(int delta, int upCode, int downCode);
    // The end of a game tick: taps let go before it go up.
    void EndTick();

    // ---- Read by the game

    // The oldest queued code, 0 when the queue is empty.
    unsigned PopInputRing();
    void ClearInputRing();
    bool IsKeyStateSet(int code) const;
    // True once per press of the key.
    bool TestKeyPressOnce(int code);
    // The left button's press edge since the last call: a press and release
    // between two calls still counts. While the swallow flag is set the
    // press is dropped; every call clears the flag.
    bool WasLeftPressed(bool downNow);
    // Forgets every held key and button (e.g. after a modal window).
    void ClearKeyStates();

    int QueuedCount() const { return mQueued; }

    // Set when the window regains focus: the click that brought it back is
    // not a game click.
    int mSwallowNextClick = 0;

private:
    // Key states: up, down and not yet reported, down and reported.
    enum : uint8_t { kUp = 0, kDown = 1, kReported = 2 };

    void Push(unsigned code);
    void Press(int code);
    void Release(int code);
    static bool InTable(int code) { return code >= 0 && code < kKeyCount; }

    std::array<unsigned, kRingSize> mRing{};
    int mFirst = 0;
    int mQueued = 0;
    std::array<uint8_t, kKeyCount> mKeys{};
    // Keys pressed since the last tick ended, and taps: keys let go before
    // a tick ran, up at the end of the next one.
    std::array<bool, kKeyCount> mDownSinceTick{};
    bool mAnyDownSinceTick = false;
    std::array<bool, kKeyCount> mReleaseAtTickEnd{};
    bool mAnyReleasePending = false;
    bool mLeftLatched = false;
    bool mPreviousLeft = false;
};
