#include "framework/app/LumoAppBase.h"

#include "platform/system/Clock.h"
#include "platform/system/UrlOpener.h"

namespace Lumo {

bool LumoAppBase::OpenURL(const std::string& url, bool shutdownWhenOpened)
{
    if (urlOpenPending && url == lastUrl)
        return true;
    shutdownOnUrlOpen = shutdownWhenOpened;
    urlOpenPending = true;
    lastUrl = url;
    urlOpenTime = Plat::GetClock().TickCount();
    if (Plat::OpenUrl(url))
        return true;
    UrlOpenError(url);
    return false;
}

} // namespace Lumo
