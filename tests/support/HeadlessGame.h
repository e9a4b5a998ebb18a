// The game's application on a test's window and an 800 x 600 screen image,
// its main loop stepped by the test: the loader runs in real time, the game
// on whatever clock the test installed. Header-only.
#pragma once

#include "framework/widgets/WidgetManager.h"
#include "game/engine/GameApp.h"
#include "game/engine/GameState.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/window/Window.h"

#include <chrono>
#include <functional>
#include <thread>

namespace LumoTest {

class HeadlessGame : public GameApp {
public:
    explicit HeadlessGame(Plat::Window* window)
    {
        autoStartLoadingThread = false;
        primaryThreadId = std::this_thread::get_id();
        screen.Create(800, 600);
        widgetManager->image = &screen;
        widgetManager->width = 800;
        widgetManager->height = 600;
        widgetManager->SetMouseRemap(Lumo::TRect<int>(0, 0, 800, 600), Lumo::TRect<int>(0, 0, 800, 600));
        mainWindow = window;
        window->SetUserData(this);
        window->SetProcedure(&Lumo::LumoAppBase::WindowProc);
    }
    ~HeadlessGame() override
    {
        Shutdown();
        mainWindow->SetUserData(nullptr);
        mainWindow = nullptr; // the test's window system owns it
    }

    // Steps the loop until the condition holds, the run ends, or the loader
    // (which runs in real time) makes no progress for a long while.
    bool RunUntil(const std::function<bool()>& done)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        int lastState = Game().GetLoadingState();
        while (!done() && !shutdown && std::chrono::steady_clock::now() < deadline) {
            UpdateAppStep(nullptr);
            const int state = Game().GetLoadingState();
            if (state != lastState) {
                lastState = state;
                deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            }
            if (state >= 2 && state <= 100)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        return done();
    }

    // The frames are not drawn: for walks that look at the game, not the screen.
    void DrawNothing() { widgetManager->image = nullptr; }

    uint64_t Checksum()
    {
        widgetManager->MarkAllDirty();
        widgetManager->DrawScreen();
        const uint32_t* bits = screen.GetBits();
        uint64_t sum = 0;
        for (int i = 0; i < 800 * 600; ++i)
            sum = sum * 1099511628211ull + bits[i];
        return sum;
    }

    Lumo::MemoryImage screen;
};

} // namespace LumoTest

using LumoTest::HeadlessGame;
