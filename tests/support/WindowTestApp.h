// An application object for window and input tests: a test application of
// a given client size that starts no loading thread, with a main window from
// the fake window system whose messages reach the window procedure.
// Header-only, so that only tests that use it link the app library.
#pragma once

#include "framework/widgets/WidgetManager.h"
#include "platform/window/Window.h"
#include "support/FakeWindowSystem.h"
#include "support/TestApp.h"

namespace LumoTest {

class WindowTestApp : public TestApp {
public:
    WindowTestApp(int clientWidth, int clientHeight) : manager(*widgetManager)
    {
        width = clientWidth;
        height = clientHeight;
        autoStartLoadingThread = false;
    }
    // A class that overrides shut-down steps shuts down in its own
    // destructor as well, while its overrides still live.
    ~WindowTestApp() override { Shutdown(); }

    // Makes a window of the outer size that hands its messages to the
    // window procedure, and takes it as the main window.
    FakeWindow* AttachMainWindow(FakeWindowSystem& windows, uint32_t style, int outerWidth, int outerHeight)
    {
        auto* window =
            static_cast<FakeWindow*>(windows.CreateWindow(0, "MainWindow", "t", style, 0, 0, outerWidth, outerHeight));
        window->SetUserData(this);
        window->SetProcedure(&Lumo::LumoAppBase::WindowProc);
        mainWindow = window;
        return window;
    }

    // The main window, made by the fake window system.
    FakeWindow* Window() const { return static_cast<FakeWindow*>(mainWindow); }

    Lumo::WidgetManager& manager; // the application's
};

} // namespace LumoTest

using LumoTest::WindowTestApp;
