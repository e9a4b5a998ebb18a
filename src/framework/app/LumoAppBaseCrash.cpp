#include "framework/app/LumoAppBase.h"

#include "framework/app/CrashReport.h"
#include "framework/app/CrashTexts.h"
#include "framework/core/AppDataFolder.h"
#include "framework/core/StringUtils.h"
#include "platform/files/FileSystem.h"
#include "platform/system/Clock.h"
#include "platform/system/CrashSignals.h"
#include "platform/system/MediaDrivers.h"
#include "platform/window/Window.h"

namespace Lumo {

void LumoAppBase::OnCrash()
{
    SetMusicVolume(0.0);
    if (mainWindow != nullptr)
        mainWindow->Show(Plat::kSwHide);
    crashed = true;
    EnforceCursor();
}

std::string LumoAppBase::GetCrashInfoText()
{
    const uint32_t seconds = (Plat::GetClock().TickCount() - loadingStartTime) / 1000;
    return "Product: " + productName + "\r\nVersion: " + productVersion + "\r\nTime Loaded: " +
           StrFormat("%02d:%02d:%02d", static_cast<int>(seconds / 3600), static_cast<int>((seconds / 60) % 60),
                     static_cast<int>(seconds % 60)) +
           "\r\nFullscreen: " + (windowed ? "No" : "Yes") + "\r\nPrimary ThreadId: " +
           StrFormat("%X", primaryThreadNumber) + "\r\n";
}

void LumoAppBase::RefreshCrashContext()
{
    if (gCrashApp != this)
        return;
    CrashContext context;
    context.Set("registered", "1");
    context.Set("prod", productName);
    context.Set("version", productVersion);
    // The time loaded is counted at the crash: the report gets the rest of
    // the block and the start on the crash record's clock.
    const std::string info = GetCrashInfoText();
    const std::string timeLabel = "Time Loaded: ";
    const size_t timeAt = info.find(timeLabel);
    const size_t timeEnd = timeAt != std::string::npos ? info.find("\r\n", timeAt) : std::string::npos;
    if (timeEnd != std::string::npos) {
        context.Set("info.head", info.substr(0, timeAt + timeLabel.size()));
        context.Set("info.tail", info.substr(timeEnd));
        const uint32_t sinceLoad = Plat::GetClock().TickCount() - loadingStartTime;
        const uint64_t now = Plat::MonotonicMs();
        context.Set("loadedAtMs", std::to_string(now > sinceLoad ? now - sinceLoad : 0));
    } else {
        context.Set("info.head", info);
    }
    const std::string folder = GetAppDataFolder();
    if (!folder.empty())
        context.Set("folder", Plat::GetFileSystem().NativePath(folder));
    context.Set("host", gErrorServerHost);
    context.Set("message", gCrashMessageText);
    context.Set("submit", gCrashSubmitText);
    context.Set("connectFailed", gCrashConnectFailedText);
    context.Set("recording", recordingDemo ? "1" : "0");
    context.Set("playing", playingDemo ? "1" : "0");
    const std::string demoPath = demoFileName.empty() ? std::string() : Plat::GetFileSystem().NativePath(demoFileName);
    context.Set("demoFile", demoPath);
    const std::string attachment = GetCrashAttachmentName();
    if (!attachment.empty())
        context.Set("attachment", Plat::GetFileSystem().NativePath(attachment));
    if (mVideoStarted)
        context.Set("video", Plat::VideoDriverDescription());
    if (mAudioStarted)
        context.Set("audio", Plat::AudioDriverDescription());
    std::map<std::string, std::string> fields;
    GetCrashFormFields(fields);
    context.formFields.assign(fields.begin(), fields.end());
    Plat::SetCrashContext(context.Serialize());

    Plat::CrashDemoView demo;
    if (recordingDemo && !demoPath.empty()) {
        demo.path = demoPath;
        demo.head = DemoFileHead();
        demo.updateCount = &updateCount;
        demo.nextUpdate = &demoNextUpdate;
        demo.stream = demoBuffer.ByteVector();
        demo.streamBits = demoBuffer.BitLengthAddress();
    }
    Plat::SetCrashDemo(demo);
}

} // namespace Lumo
