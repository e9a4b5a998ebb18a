// The event pump: desktop events become the window messages the window
// procedure expects (numbers, parameters, system keys, characters in
// Windows-1252), posted messages come before paint and timer messages,
// timers fire by the clock, and a window's messages go with it.
#include "platform/window/EventPump.h"

#include "platform/window/SdlWindowSystem.h"
#include "platform/window/Window.h"
#include "support/FakeWindowSystem.h"
#include "support/PumpedMessage.h"
#include "support/SimulatedClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Kind = Plat::InputEvent::Kind;

using Message = LumoTest::PumpedMessage;

class EventPumpTest : public ::testing::Test {
protected:
    EventPumpTest()
    {
        mPump.SetSource(nullptr);
        mWindow = mSystem.CreateWindow(0, "MainWindow", "t", Plat::kWsCaption, 0, 0, 100, 100);
    }
    ~EventPumpTest() override { delete mWindow; }

    std::vector<Message> Drain()
    {
        std::vector<Message> out;
        Plat::WindowMessage msg;
        while (mPump.PeekMessage(msg, true)) {
            EXPECT_EQ(msg.window, mWindow);
            out.push_back({msg.message, msg.wParam, msg.lParam});
        }
        return out;
    }

    Plat::InputEvent Event(Kind kind)
    {
        Plat::InputEvent event;
        event.kind = kind;
        event.window = mWindow;
        return event;
    }

    SimulatedClock mClock;
    FakeWindowSystem mSystem;
    Plat::EventPump mPump;
    Plat::Window* mWindow = nullptr;
};

TEST_F(EventPumpTest, EventsBecomeTheirMessages)
{
    struct Case {
        const char* name;
        Plat::InputEvent event;
        std::vector<Message> expected;
    };
    auto make = [&](Kind kind, auto&& fill) {
        Plat::InputEvent event = Event(kind);
        fill(event);
        return event;
    };
    auto none = [](Plat::InputEvent&) {};
    const Case cases[] = {
        {"close", make(Kind::Close, none), {{0x0010, 0, 0}}},
        {"quit", make(Kind::Quit, none), {{0x0010, 0, 0}}},
        {"focus in", make(Kind::FocusGained, none), {{0x001C, 1, 0}}},
        {"focus out", make(Kind::FocusLost, none), {{0x001C, 0, 0}}},
        {"minimised", make(Kind::Minimized, none), {{0x0005, 1, 0}}},
        // Restored reports the client size (the fake frame is 3, 22, 3, 3).
        {"restored", make(Kind::Restored, none), {{0x0005, 0, (75 << 16) | 94}}},
        {"maximised", make(Kind::Maximized, none), {{0x0005, 2, (75 << 16) | 94}}},
        {"moved", make(Kind::Moved, [](auto& e) { e.x = 40; e.y = 30; }), {{0x0003, 0, (30 << 16) | 40}}},
        // Negative client coordinates keep their 16-bit form.
        {"motion", make(Kind::MouseMotion, [](auto& e) { e.x = -2; e.y = 7; }), {{0x0200, 0, (7 << 16) | 0xFFFE}}},
        {"left down", make(Kind::MouseButtonDown, [](auto& e) { e.button = 1; e.x = 5; e.y = 6; }),
         {{0x0201, 0x1, (6 << 16) | 5}}},
        {"left double", make(Kind::MouseButtonDown, [](auto& e) { e.button = 1; e.clicks = 2; }),
         {{0x0203, 0x1, 0}}},
        {"right down with ctrl", make(Kind::MouseButtonDown, [](auto& e) { e.button = 3; e.ctrl = true; }),
         {{0x0204, 0x2 | 0x8, 0}}},
        {"middle down", make(Kind::MouseButtonDown, [](auto& e) { e.button = 2; }), {{0x0207, 0x10, 0}}},
        {"extra button", make(Kind::MouseButtonDown, [](auto& e) { e.button = 4; }), {}},
        // One notch towards the user: -120 in the high word.
        {"wheel", make(Kind::MouseWheel, [](auto& e) { e.wheel = -1; }), {{0x020A, 0xFF880000u, 0}}},
        {"key", make(Kind::KeyDown, [](auto& e) { e.virtualKey = 0x41; }), {{0x0100, 0x41, 1}}},
        {"repeat", make(Kind::KeyDown, [](auto& e) { e.virtualKey = 0x41; e.repeat = true; }),
         {{0x0100, 0x41, 1 | (1 << 30)}}},
        {"key up", make(Kind::KeyUp, [](auto& e) { e.virtualKey = 0x41; }),
         {{0x0101, 0x41, static_cast<intptr_t>(1 | (1u << 30) | (1u << 31))}}},
        // Keys that type a character of their own.
        {"enter", make(Kind::KeyDown, [](auto& e) { e.virtualKey = 0x0D; }), {{0x0100, 0x0D, 1}, {0x0102, 13, 1}}},
        {"ctrl+c", make(Kind::KeyDown, [](auto& e) { e.virtualKey = 0x43; e.ctrl = true; }),
         {{0x0100, 0x43, 1}, {0x0102, 3, 1}}},
        // Alt makes system keys and lower-case system characters.
        {"alt+enter", make(Kind::KeyDown, [](auto& e) { e.virtualKey = 0x0D; e.alt = true; }),
         {{0x0104, 0x0D, 1 | (1 << 29)}, {0x0106, 13, 1 | (1 << 29)}}},
        {"alt+r", make(Kind::KeyDown, [](auto& e) { e.virtualKey = 0x52; e.alt = true; }),
         {{0x0104, 0x52, 1 | (1 << 29)}, {0x0106, 'r', 1 | (1 << 29)}}},
        {"alt alone", make(Kind::KeyDown, [](auto& e) { e.virtualKey = 0x12; e.alt = true; }),
         {{0x0104, 0x12, 1 | (1 << 29)}}},
        {"F10", make(Kind::KeyDown, [](auto& e) { e.virtualKey = 0x79; }), {{0x0104, 0x79, 1}}},
        {"no key", make(Kind::KeyDown, [](auto& e) { e.virtualKey = 0; }), {}},
        // Text in Windows-1252: e-acute, the euro sign; a Cyrillic letter has no byte.
        {"text", make(Kind::Text, [](auto& e) { e.text = "a\xC3\xA9\xE2\x82\xAC\xD0\x96"; }),
         {{0x0102, 'a', 1}, {0x0102, 0xE9, 1}, {0x0102, 0x80, 1}}},
        // A broken sequence types nothing and does not read past the end.
        {"broken text", make(Kind::Text, [](auto& e) { e.text = "\xE2\x82"; }), {}},
        {"text with alt", make(Kind::Text, [](auto& e) { e.text = "r"; e.alt = true; }), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mPump.Clear(); // no button held from the case before
        mPump.PostInput(c.event);
        EXPECT_EQ(Drain(), c.expected);
    }
}

TEST_F(EventPumpTest, ButtonsHeldShowInLaterMouseMessages)
{
    Plat::InputEvent down = Event(Kind::MouseButtonDown);
    down.button = 1;
    mPump.PostInput(down);
    Plat::InputEvent move = Event(Kind::MouseMotion);
    move.x = 10;
    move.y = 20;
    move.shift = true;
    mPump.PostInput(move);
    Plat::InputEvent up = Event(Kind::MouseButtonUp);
    up.button = 1;
    up.x = 10;
    up.y = 20;
    mPump.PostInput(up);
    Plat::InputEvent wheel = Event(Kind::MouseWheel);
    wheel.wheel = 2;
    mPump.PostInput(wheel);
    const std::vector<Message> expected = {
        {0x0201, 0x1, 0},
        {0x0200, 0x1 | 0x4, (20 << 16) | 10},
        {0x0202, 0x0, (20 << 16) | 10},
        // The wheel carries the last mouse position.
        {0x020A, 240u << 16, (20 << 16) | 10},
    };
    EXPECT_EQ(Drain(), expected);
}

TEST_F(EventPumpTest, PostedMessagesComeBeforePaintAndTimers)
{
    mPump.SetTimer(mWindow, 100, 50);
    mPump.SetTimer(mWindow, 7, 20);
    Plat::WindowMessage msg;
    EXPECT_FALSE(mPump.PeekMessage(msg, true)); // nothing due yet

    mClock.Advance(20);
    mPump.PostInput(Event(Kind::Exposed));
    mPump.PostInput(Event(Kind::Exposed)); // one paint for both
    mPump.PostInput(Event(Kind::Close));
    // Peeking without removing leaves the message in place.
    ASSERT_TRUE(mPump.PeekMessage(msg, false));
    EXPECT_EQ(msg.message, Plat::kWmClose);
    EXPECT_EQ(Drain(), (std::vector<Message>{{0x0010, 0, 0}, {0x000F, 0, 0}, {0x0113, 7, 0}}));

    mClock.Advance(30); // 50 ms: both timers are due, one message each
    EXPECT_EQ(Drain(), (std::vector<Message>{{0x0113, 100, 0}, {0x0113, 7, 0}}));
    mClock.Advance(19);
    EXPECT_TRUE(Drain().empty());
    mPump.KillTimer(mWindow, 7);
    mClock.Advance(100);
    EXPECT_EQ(Drain(), (std::vector<Message>{{0x0113, 100, 0}}));
}

TEST_F(EventPumpTest, DispatchReachesTheWindowProcedure)
{
    static std::vector<Message> seen;
    seen.clear();
    mWindow->SetProcedure([](Plat::Window*, uint32_t message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
        seen.push_back({message, wParam, lParam});
        return 42;
    });
    EXPECT_EQ(mPump.DispatchMessage({mWindow, Plat::kWmChar, 'x', 1}), 42);
    EXPECT_EQ(seen, (std::vector<Message>{{0x0102, 'x', 1}}));
    mWindow->SetProcedure(nullptr);
    EXPECT_EQ(mPump.DispatchMessage({mWindow, Plat::kWmClose, 0, 0}), 0);
    EXPECT_EQ(mPump.DispatchMessage({nullptr, Plat::kWmClose, 0, 0}), 0);
}

TEST_F(EventPumpTest, AWindowsMessagesGoWithIt)
{
    // The process's pump: a destroyed window drops what waits for it there.
    Plat::EventPump& pump = Plat::GetEventPump();
    pump.Clear();
    Plat::Window* other = mSystem.CreateWindow(0, "MainWindow", "o", 0, 0, 0, 10, 10);
    pump.PostMessage({other, Plat::kWmClose, 0, 0});
    pump.PostMessage({mWindow, Plat::kWmChar, 'a', 1});
    other->SetTimer(1, 1);
    other->Invalidate();
    delete other;
    mClock.Advance(10);
    Plat::WindowMessage msg;
    ASSERT_TRUE(pump.PeekMessage(msg, true));
    EXPECT_EQ(msg.window, mWindow);
    EXPECT_EQ(msg.message, Plat::kWmChar);
    EXPECT_FALSE(pump.PeekMessage(msg, true));
    pump.Clear();
}

TEST(WindowMessageTest, ParameterWordsKeepTheirSign)
{
    const intptr_t packed = Plat::MakeLParam(-5, 300);
    EXPECT_EQ(packed, 0x012CFFFB);
    EXPECT_EQ(Plat::LowWordSigned(packed), -5);
    EXPECT_EQ(Plat::HighWordSigned(packed), 300);
    EXPECT_EQ(Plat::HighWordSigned(static_cast<intptr_t>(0xFF880000u)), -120);
}

TEST(SdlKeysTest, KeysMapToTheirVirtualKeyCodes)
{
    // SDL's keycodes of letters are their lower-case characters; its
    // scancodes are the keyboard's usage numbers (4 = A, 58 = F1 ...).
    struct Case {
        int keycode;
        int scancode;
        int expected;
    };
    const Case cases[] = {
        {'q', 20, 0x51},  // layout decides letters: 'q' on the A key of AZERTY
        {0, 4, 0x41},     // a letter known by its place only
        {0, 39, 0x30},    // 0
        {0, 30, 0x31},    // 1
        {0, 40, 0x0D},    // Return
        {0, 88, 0x0D},    // keypad Enter
        {0, 41, 0x1B},    // Escape
        {0, 58, 0x70},    // F1
        {0, 69, 0x7B},    // F12
        {0, 80, 0x25},    // Left
        {0, 82, 0x26},    // Up
        {0, 225, 0x10},   // left Shift
        {0, 228, 0x11},   // right Ctrl
        {0, 226, 0x12},   // left Alt
        {0, 98, 0x60},    // keypad 0
        {0, 97, 0x69},    // keypad 9
        {0, 56, 0xBF},    // slash
        {0, 0, 0},        // unknown
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scancode);
        EXPECT_EQ(Plat::VirtualKeyFromSdlKey(c.keycode, c.scancode), c.expected);
    }
}

} // namespace
