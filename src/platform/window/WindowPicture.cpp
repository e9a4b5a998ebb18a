#include "platform/window/WindowPicture.h"

#include "platform/video/SdlFramePresenter.h"
#include "platform/window/SdlWindow.h"

namespace Plat {

std::unique_ptr<FramePresenter> MakeWindowPicture(Window* window)
{
    auto* sdlWindow = dynamic_cast<SdlWindow*>(window);
    if (sdlWindow == nullptr || sdlWindow->Handle() == nullptr)
        return std::make_unique<HeadlessPresenter>();
    auto presenter = std::make_unique<SdlFramePresenter>();
    presenter->Bind(sdlWindow->Handle());
    return presenter;
}

} // namespace Plat
