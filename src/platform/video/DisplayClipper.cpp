// The clipper stand-in.
#include "platform/video/DisplayClipper.h"

#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayResults.h"

namespace Plat {

HResult DisplayClipper::SetHWnd(uint32_t /*flags*/, Window* window)
{
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::SetHWnd);
    if (Failed(fault)) {
        return fault;
    }
    mWindow = window;
    return DD_OK;
}

HResult DisplayClipper::GetHWnd(Window** window) const
{
    if (window == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *window = mWindow;
    return DD_OK;
}

} // namespace Plat
