// SDL's events through the real event source (SDL's dummy video driver, a
// real window): each pushed event must come out of the pump as the window
// messages the window procedure expects, with their numbers, parameters and
// virtual-key codes.
#include "platform/window/EventPump.h"
#include "platform/system/MediaProbe.h"
#include "platform/window/SdlWindow.h"
#include "platform/window/Window.h"
#include "platform/window/WindowSystem.h"
#include "support/PumpedMessage.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Message = LumoTest::PumpedMessage;

constexpr intptr_t kAltBit = intptr_t(1) << 29;
constexpr intptr_t kUpBits = static_cast<intptr_t>((1u << 30) | (1u << 31));

class SdlEventsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        sVideo = Plat::GetMediaProbe().StartVideo();
    }
    static void TearDownTestSuite()
    {
        if (sVideo)
            Plat::GetMediaProbe().StopVideo();
    }

    SdlEventsTest()
    {
        if (!sVideo)
            return;
        mWindow.reset(Plat::GetWindowSystem().CreateWindow(0, "MainWindow", "events", Plat::kWsCaption, 0, 0, 200,
                                                           150));
        if (mWindow != nullptr)
            mId = static_cast<Plat::SdlWindow*>(mWindow.get())->Id();
        Drain(); // what SDL said about the new window
    }
    ~SdlEventsTest() override
    {
        mWindow.reset();
        Plat::GetEventPump().Clear();
    }

    // Every message the pump gives now (it polls SDL first).
    std::vector<Message> Drain()
    {
        std::vector<Message> out;
        Plat::WindowMessage msg;
        while (Plat::GetEventPump().PeekMessage(msg, true)) {
            EXPECT_EQ(msg.window, mWindow.get());
            out.push_back({msg.message, msg.wParam, msg.lParam});
        }
        return out;
    }

    // An event of the type with every other field zero.
    static SDL_Event Blank(uint32_t type)
    {
        SDL_Event event;
        std::memset(&event, 0, sizeof(event));
        event.type = type;
        return event;
    }
    SDL_Event WindowEvent(uint8_t what, int data1 = 0, int data2 = 0) const
    {
        SDL_Event event = Blank(SDL_WINDOWEVENT);
        event.window.windowID = mId;
        event.window.event = what;
        event.window.data1 = data1;
        event.window.data2 = data2;
        return event;
    }
    SDL_Event Button(uint32_t type, uint8_t button, uint8_t clicks, int x, int y) const
    {
        SDL_Event event = Blank(type);
        event.button.windowID = mId;
        event.button.button = button;
        event.button.clicks = clicks;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = x;
        event.button.y = y;
        return event;
    }
    SDL_Event Motion(int x, int y) const
    {
        SDL_Event event = Blank(SDL_MOUSEMOTION);
        event.motion.windowID = mId;
        event.motion.x = x;
        event.motion.y = y;
        return event;
    }
    SDL_Event Wheel(int y, bool flipped) const
    {
        SDL_Event event = Blank(SDL_MOUSEWHEEL);
        event.wheel.windowID = mId;
        event.wheel.y = y;
        event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        return event;
    }
    SDL_Event Key(uint32_t type, SDL_Scancode scancode, SDL_Keycode keycode, uint16_t mod = KMOD_NONE) const
    {
        SDL_Event event = Blank(type);
        event.key.windowID = mId;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = keycode;
        event.key.keysym.mod = mod;
        return event;
    }
    SDL_Event Text(const char* utf8) const
    {
        SDL_Event event = Blank(SDL_TEXTINPUT);
        event.text.windowID = mId;
        std::strncpy(event.text.text, utf8, sizeof(event.text.text) - 1);
        return event;
    }

    static bool sVideo;
    std::unique_ptr<Plat::Window> mWindow;
    uint32_t mId = 0;
};

bool SdlEventsTest::sVideo = false;

TEST_F(SdlEventsTest, EventsBecomeWindowMessages)
{
    ASSERT_TRUE(sVideo) << SDL_GetError();
    ASSERT_NE(mWindow, nullptr) << SDL_GetError();
    const Plat::ScreenRect client = mWindow->GetClientRect();
    const intptr_t clientSize = Plat::MakeLParam(client.Width(), client.Height());

    struct Case {
        const char* name;
        SDL_Event event;
        std::vector<Message> expected;
    };
    const Case cases[] = {
        {"left down", Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 5, 6), {{0x0201, 0x1, (6 << 16) | 5}}},
        {"left double", Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2, 5, 6), {{0x0203, 0x1, (6 << 16) | 5}}},
        {"left up", Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 7, 8), {{0x0202, 0x0, (8 << 16) | 7}}},
        {"right double", Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 2, 0, 0), {{0x0206, 0x2, 0}}},
        // Held buttons show in the messages that follow.
        {"middle down", Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 1, 1), {{0x0207, 0x12, (1 << 16) | 1}}},
        {"right up", Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 1, 1), {{0x0205, 0x10, (1 << 16) | 1}}},
        {"middle up", Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1, 1, 1), {{0x0208, 0x0, (1 << 16) | 1}}},
        {"motion", Motion(30, 40), {{0x0200, 0, (40 << 16) | 30}}},
        // One notch: 120 in the high word, at the last mouse position.
        {"wheel away", Wheel(1, false), {{0x020A, 120u << 16, (40 << 16) | 30}}},
        {"wheel towards", Wheel(-1, false), {{0x020A, 0xFF88u << 16, (40 << 16) | 30}}},
        {"wheel flipped", Wheel(1, true), {{0x020A, 0xFF88u << 16, (40 << 16) | 30}}},
        // Keys at the edges of the virtual-key table.
        {"A down", Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a), {{0x0100, 0x41, 1}}},
        {"A up", Key(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a), {{0x0101, 0x41, 1 | kUpBits}}},
        {"Z", Key(SDL_KEYDOWN, SDL_SCANCODE_Z, SDLK_z), {{0x0100, 0x5A, 1}}},
        {"9", Key(SDL_KEYDOWN, SDL_SCANCODE_9, SDLK_9), {{0x0100, 0x39, 1}}},
        {"F13", Key(SDL_KEYDOWN, SDL_SCANCODE_F13, SDLK_F13), {{0x0100, 0x7C, 1}}},
        {"F24 up", Key(SDL_KEYUP, SDL_SCANCODE_F24, SDLK_F24), {{0x0101, 0x87, 1 | kUpBits}}},
        {"keypad 1", Key(SDL_KEYDOWN, SDL_SCANCODE_KP_1, SDLK_KP_1), {{0x0100, 0x61, 1}}},
        {"right GUI", Key(SDL_KEYDOWN, SDL_SCANCODE_RGUI, SDLK_RGUI), {{0x0100, 0x5C, 1}}},
        {"OEM 102", Key(SDL_KEYDOWN, SDL_SCANCODE_NONUSBACKSLASH, SDLK_LESS), {{0x0100, 0xE2, 1}}},
        {"no code", Key(SDL_KEYDOWN, SDL_SCANCODE_MUTE, SDLK_MUTE), {}},
        {"escape", Key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), {{0x0100, 0x1B, 1}, {0x0102, 27, 1}}},
        {"alt+F4", Key(SDL_KEYDOWN, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT), {{0x0104, 0x73, 1 | kAltBit}}},
        // Typed text in Windows-1252: 'a', e-acute.
        {"text", Text("a\xC3\xA9"), {{0x0102, 'a', 1}, {0x0102, 0xE9, 1}}},
        {"focus gained", WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), {{0x001C, 1, 0}}},
        {"focus lost", WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), {{0x001C, 0, 0}}},
        {"minimised", WindowEvent(SDL_WINDOWEVENT_MINIMIZED), {{0x0005, 1, 0}}},
        {"restored", WindowEvent(SDL_WINDOWEVENT_RESTORED), {{0x0005, 0, clientSize}}},
        {"moved", WindowEvent(SDL_WINDOWEVENT_MOVED, 40, 30), {{0x0003, 0, (30 << 16) | 40}}},
        {"close", WindowEvent(SDL_WINDOWEVENT_CLOSE), {{0x0010, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SDL_Event event = c.event;
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        EXPECT_EQ(Drain(), c.expected);
    }

    // The motion told the window where the mouse is.
    int x = 0;
    int y = 0;
    ASSERT_TRUE(mWindow->GetCursorClientPos(x, y));
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
}

TEST_F(SdlEventsTest, QuitClosesAndOtherWindowsEventsAreNotOurs)
{
    ASSERT_TRUE(sVideo) << SDL_GetError();
    ASSERT_NE(mWindow, nullptr) << SDL_GetError();
    SDL_Event quit = Blank(SDL_QUIT);
    SDL_PushEvent(&quit);
    EXPECT_EQ(Drain(), (std::vector<Message>{{0x0010, 0, 0}}));

    SDL_Event stray = Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a);
    stray.key.windowID = mId + 1000;
    SDL_PushEvent(&stray);
    EXPECT_TRUE(Drain().empty());

    // Capture on a driver without it is refused quietly.
    mWindow->SetCapture(true);
    mWindow->SetCapture(false);
}

} // namespace
