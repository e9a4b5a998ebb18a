// The clipper stand-in: remembers the window whose client area limits blits
// to the primary surface it is attached to.
#pragma once

#include "platform/video/DisplayObject.h"
#include "platform/video/DisplayTypes.h"

namespace Plat {

class DisplayClipper : public DisplayObject {
public:
    DisplayClipper() = default;

    HResult SetHWnd(uint32_t flags, Window* window);
    HResult GetHWnd(Window** window) const;
    Window* ClipWindow() const { return mWindow; }

private:
    ~DisplayClipper() override = default;
    Window* mWindow = nullptr;
};

} // namespace Plat
