#include "framework/app/LumoApp.h"

#include "framework/app/CrashTexts.h"
#include "framework/core/Debug.h"

#include <cstdlib>

#include <ctime>

#ifndef LUMO_ERROR_SERVER_HOST
#define LUMO_ERROR_SERVER_HOST ""
#endif

namespace Lumo {

namespace {
// The build stamp; "00000000" until builds are stamped.
constexpr const char* kBuildNumberStamp = "00000000";
constexpr const char* kBuildDateStamp = "";

int32_t ParseBuildNumber(const char* stamp)
{
    int32_t value = 0;
    for (const char* c = stamp; *c >= '0' && *c <= '9'; ++c)
        value = value * 10 + (*c - '0');
    return value;
}
} // namespace

LumoApp::LumoApp()
    : internetManager(nullptr), downloadId(0), lastVerCheckTime(0), noExitPopup(false), dontUpdate(false),
      buildNumber(ParseBuildNumber(kBuildNumberStamp))
{
    if (buildNumber != 0)
        buildDate = kBuildDateStamp;
    demoPrefix = "quillo";
    demoFileName = demoPrefix + ".dmo";
    companyName = "Quillo";
    fullCompanyName = "Quillo Games";
    // The internet manager is made here once it exists.
}

LumoApp::~LumoApp()
{
    // The internet manager is deleted here once it exists.
}

void LumoApp::Init()
{
    gCrashMessageText = GetString("UNEXPECTED_ERROR", gCrashMessageText);
    gCrashSubmitText = GetString("PLEASE_HELP", gCrashSubmitText);
    gCrashConnectFailedText = GetString("FAILED_CONNECT_QUILLO", gCrashConnectFailedText);
    // The error server is the build's choice; the environment may name another.
    gErrorServerHost = LUMO_ERROR_SERVER_HOST;
    if (const char* host = std::getenv("LUMO_ERROR_SERVER_HOST"))
        gErrorServerHost = host;
    OutputDebug("Product: %s\r\n", productName.c_str());
    OutputDebug("BuildNum: %d\r\n", buildNumber);
    OutputDebug("BuildDate: %s\r\n", buildDate.c_str());
    LumoAppBase::Init();
    if (isScreenSaver)
        noExitPopup = true;
}

void LumoApp::PropertiesHook()
{
    // A missing partner file is no error; a bad one has shown its pop-up and
    // the start goes on with what was stored.
    LoadProperties("properties\\partner.xml", false, !isScreenSaver);
    productName = GetString("ProdName", productName);
    // "ScreenMode" in the settings, read afterwards, still overrides this.
    windowed = GetBoolean("DefaultWindowed", windowed);
    const std::string partnerTitle = GetString("Title", "");
    if (!partnerTitle.empty())
        title = partnerTitle + " " + productVersion;
}

bool LumoApp::IsUpdateCheckDue()
{
    return IsUpdateCheckDueAt(static_cast<uint32_t>(std::time(nullptr)));
}

bool LumoApp::IsUpdateCheckDueAt(uint32_t now) const
{
    constexpr uint32_t kWeekSeconds = 604800;
    if (dontUpdate)
        return false;
    return lastVerCheckTime == 0 || !lastShutdownWasGraceful || now - lastVerCheckTime > kWeekSeconds;
}

void LumoApp::StampUpdateCheckTime()
{
    lastVerCheckTime = static_cast<uint32_t>(std::time(nullptr));
}

std::string LumoApp::GetCrashInfoText()
{
    std::string text = LumoAppBase::GetCrashInfoText();
    text += "Build Num: " + std::to_string(buildNumber) + "\r\n";
    text += "Build Date: " + buildDate + "\r\n";
    if (!referId.empty())
        text += "ReferId: " + referId + "\r\n";
    return text;
}

void LumoApp::GetCrashFormFields(std::map<std::string, std::string>& fields)
{
    fields.emplace("buildnum", std::to_string(buildNumber));
    fields.emplace("builddate", buildDate);
    fields.emplace("referid", referId);
}

} // namespace Lumo
