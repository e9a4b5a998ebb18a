// A windowed display of a chosen pixel format on a test host and app.
// Header-only, like TestApp.
#pragma once

#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

namespace LumoTest {

// Opens a windowed display of width x height: 32-bit, or 16-bit as 5:5:5 or
// 5:6:5, drawing in 3-D when is3D. The screen image, or nullptr when the
// display failed or its screen image has another size.
inline Lumo::DDImage* OpenTestScreen(TestDisplayHost& host, TestApp& app, int width, int height, bool bits32,
                                     bool is555, bool is3D = false)
{
    host.desktopBits = bits32 ? 32 : 16;
    host.desktop555 = is555;
    host.clientWidth = width;
    host.clientHeight = height;
    app.width = width;
    app.height = height;
    Lumo::DDInterface* display = app.AddDisplay();
    display->mIs3D = is3D;
    if (display->Init(DisplayTestWindow(), true) != 0) {
        return nullptr;
    }
    Lumo::DDImage* screen = app.ddInterface->GetScreenImage();
    if (screen == nullptr || screen->GetWidth() != width || screen->GetHeight() != height) {
        return nullptr;
    }
    return screen;
}

} // namespace LumoTest

using LumoTest::OpenTestScreen;
