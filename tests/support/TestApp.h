// The application object a test needs before it makes images: a plain
// LumoAppBase, installed as the process's application for the test's
// lifetime. Header-only, so that only tests that use it link the app library.
#pragma once

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDInterface.h"

namespace LumoTest {

class TestApp : public Lumo::LumoAppBase {
public:
    TestApp() = default;

    // Gives the application a display (owned by it from then on), so that
    // the display's lock, pixel format and 3-D flag take part.
    Lumo::DDInterface* AddDisplay()
    {
        if (ddInterface == nullptr) {
            ddInterface = new Lumo::DDInterface(this);
        }
        return ddInterface;
    }
};

} // namespace LumoTest

using LumoTest::TestApp;
