// Shows a picture the program drew itself in one of its plain windows
// (dialogs of their own that do not go through the display).
#pragma once

#include "platform/video/FramePresenter.h"

#include <memory>

namespace Plat {

class Window;

// A presenter over the window's client area; without a desktop window
// behind it (headless, or a test's window) the frames are only kept.
std::unique_ptr<FramePresenter> MakeWindowPicture(Window* window);

} // namespace Plat
