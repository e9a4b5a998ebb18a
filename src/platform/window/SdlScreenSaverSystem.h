// The screen-saver questions answered over SDL. SDL says only whether the
// desktop's screen saver may start over our windows (it holds it off unless
// allowed); the timeout, the running state, the last input anywhere and a
// password check have no counterpart and are reported as unknown or absent.
#pragma once

#include "platform/window/ScreenSaverSystem.h"

namespace Plat {

class SdlScreenSaverSystem : public ScreenSaverSystem {
public:
    bool GetTimeout(uint32_t& seconds) override;
    bool GetActive(bool& active) override;
    bool GetRunning(bool& running) override;
    bool GetLastInputTick(uint32_t& tick) override;
    ScreenSaverPasswordCheck LoadPasswordCheck() override;
    void ReleasePasswordCheck() override {}
    void SetRunning(bool /*running*/) override {}
};

} // namespace Plat
