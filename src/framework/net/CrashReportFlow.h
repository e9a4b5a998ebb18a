// What the crash windows do, apart from drawing: the crash window (send or
// close), the details window (the player's text, continue or abort) and the
// progress window (the upload, abort, retry after a failure). Everything
// runs on the one thread that shows the windows, the transfer included.
#pragma once

#include "framework/net/CrashUpload.h"
#include "framework/net/HTTPTransfer.h"

#include <cstdint>
#include <functional>
#include <string>

namespace Lumo {

class CrashReportFlow {
public:
    enum class Screen { Crash, Details, Progress, Done };

    struct Setup {
        std::string host;        // empty: no send button
        bool registered = false; // no application: send and continue are disabled
        std::string messageText;
        std::string submitText;
        std::string connectFailedText;
        CrashUploadForm form; // all but the player's text
    };
    // Asked after a failed upload with the failure text; true retries.
    using RetryQuestion = std::function<bool(const std::string& text)>;

    static constexpr size_t kMaxUserText = 8191;

    CrashReportFlow(HTTPTransfer& transfer, Setup setup, RetryQuestion askRetry);

    Screen GetScreen() const { return mScreen; }
    bool HasSendButton() const { return !mSetup.host.empty(); }
    bool SendEnabled() const { return mSetup.registered; }
    const Setup& GetSetup() const { return mSetup; }

    // Crash window.
    void SendReport();
    void CloseNow();
    // Details window: the text is cut to kMaxUserText characters.
    void Continue(const std::string& userText);
    void AbortDetails();
    // Progress window: asks the transfer to stop; the window ends once it
    // reports result 5.
    void AbortUpload();
    // The close box of whichever window shows.
    void CloseWindow();

    // Runs the progress window's timers up to the time (ms): the transfer is
    // polled every 20 ms, the dots advance every second.
    void Update(uint32_t nowMs);
    std::string StatusText() const;
    int ProgressSeconds() const { return mProgressTicks; }
    // The request of the last upload started.
    const std::string& LastRequest() const { return mRequest; }
    int Uploads() const { return mUploads; }

private:
    void StartUpload();
    void PollTransfer();

    HTTPTransfer& mTransfer;
    Setup mSetup;
    RetryQuestion mAskRetry;
    Screen mScreen = Screen::Crash;
    std::string mRequest;
    int mUploads = 0;
    int mProgressTicks = 0; // not reset on a retry
    uint32_t mNextPoll = 0;
    uint32_t mNextSecond = 0;
    bool mTimersStarted = false;
};

} // namespace Lumo
