#include "framework/net/CrashReporter.h"

#include "framework/app/CrashTexts.h"
#include "framework/net/CrashReportWindows.h"
#include "framework/net/HTTPTransfer.h"
#include "platform/system/MediaProbe.h"
#include "platform/system/MessageBox.h"
#include "platform/window/Clipboard.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace Lumo {

namespace {

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string Or(const std::string& value, const std::string& fallback)
{
    return value.empty() ? fallback : value;
}

} // namespace

CrashReportFlow::Setup MakeCrashReportSetup(const CrashReportResult& result)
{
    const CrashContext& context = result.context;
    CrashReportFlow::Setup setup;
    setup.host = context.Get("host");
    if (const char* host = std::getenv("LUMO_ERROR_SERVER_HOST"); host != nullptr && setup.host.empty())
        setup.host = host;
    setup.registered = context.Flag("registered");
    setup.messageText = Or(context.Get("message"), gCrashMessageText);
    setup.submitText = Or(context.Get("submit"), gCrashSubmitText);
    setup.connectFailedText = Or(context.Get("connectFailed"), gCrashConnectFailedText);
    for (const auto& [name, value] : context.formFields)
        setup.form.extraFields.emplace(name, value);
    setup.form.product = context.Get("prod");
    setup.form.version = context.Get("version");
    setup.form.errorTitle = result.title;
    setup.form.errorText = result.text;
    std::string attachment;
    if (context.Flag("recording") && result.demoSaved)
        attachment = context.Get("demoFile");
    if (!context.Get("attachment").empty())
        attachment = context.Get("attachment");
    if (!attachment.empty()) {
        setup.form.attach = true;
        setup.form.attachment = ReadWholeFile(attachment); // a file that cannot be read sends no bytes
    }
    return setup;
}

int RunCrashReporter(const std::string& recordPath)
{
    const CrashReportResult result = ProcessCrashRecord(recordPath);
    if (!result.ok) {
        std::fprintf(stderr, "The crash record %s could not be read.\n", recordPath.c_str());
        return 1;
    }
    std::fprintf(stderr, "%s\n%s\n", result.title.c_str(), result.text.c_str());
    if (result.crashFilePath.empty())
        std::fprintf(stderr, "The report could not be saved; the crash record stays in %s\n", recordPath.c_str());
    else
        std::fprintf(stderr, "The report is in %s\n", result.crashFilePath.c_str());
    if (Plat::SystemMessageBoxes().IsHeadless() || !Plat::GetMediaProbe().StartVideo())
        return 0;
    if (result.context.Flag("registered") && !result.context.Flag("playing"))
        Plat::GetClipboard().SetText(nullptr, result.text);

    HTTPTransfer transfer;
    CrashReportFlow flow(transfer, MakeCrashReportSetup(result), [](const std::string& text) {
        return Plat::GetMessageBoxes().Show(nullptr, text, "Connection Failed", Plat::kMbRetryCancel) ==
               Plat::kIdRetry;
    });
    CrashReportWindows windows(flow, result.text);
    windows.Run();
    Plat::GetMediaProbe().StopVideo();
    return 0;
}

} // namespace Lumo
