// The product's own settings, read after and written after the framework's.
#include "framework/app/LumoApp.h"

#include <ctime>

namespace Lumo {

void LumoApp::ReadFromRegistry()
{
    LumoAppBase::ReadFromRegistry();

    RegistryReadString("ReferId", referId);
    referId = GetString("ReferId", referId);

    int value = 0;
    if (RegistryReadInteger("DontUpdate", value))
        dontUpdate = value != 0;
    RegistryReadInteger("DownloadId", downloadId);
    RegistryReadString("Variation", variation);

    // With no check on record the first one falls due a week after the
    // first run.
    if (RegistryReadInteger("LastVerCheckQueryTime", value))
        lastVerCheckTime = static_cast<uint32_t>(value);
    else
        lastVerCheckTime = static_cast<uint32_t>(std::time(nullptr));

    // The partner's name is set for the whole machine by its installer.
    uint8_t partner[1024] = {};
    uint32_t type = 0;
    uint32_t length = 1023;
    if (RegistryRead("PartnerName", type, partner, length, Plat::SettingsRoot::Machine) &&
        type == Plat::kSettingsString) {
        partner[length] = 0;
        fullCompanyName = reinterpret_cast<const char*>(partner);
    }

    dontUpdate = GetBoolean("DontUpdate", dontUpdate);
    fullCompanyName = GetString("PartnerName", fullCompanyName);
}

void LumoApp::WriteToRegistry()
{
    LumoAppBase::WriteToRegistry();
    RegistryWriteInteger("LastVerCheckQueryTime", static_cast<int>(lastVerCheckTime));
}

} // namespace Lumo
