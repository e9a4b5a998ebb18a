#include "framework/net/CrashReportFlow.h"

#include <utility>

namespace Lumo {

CrashReportFlow::CrashReportFlow(HTTPTransfer& transfer, Setup setup, RetryQuestion askRetry)
    : mTransfer(transfer), mSetup(std::move(setup)), mAskRetry(std::move(askRetry))
{
}

void CrashReportFlow::SendReport()
{
    if (mScreen == Screen::Crash && HasSendButton() && SendEnabled())
        mScreen = Screen::Details;
}

void CrashReportFlow::CloseNow()
{
    if (mScreen == Screen::Crash)
        mScreen = Screen::Done;
}

void CrashReportFlow::Continue(const std::string& userText)
{
    if (mScreen != Screen::Details || !SendEnabled())
        return;
    mSetup.form.userText = userText.substr(0, kMaxUserText);
    mScreen = Screen::Progress;
    mTimersStarted = false;
    StartUpload();
}

void CrashReportFlow::AbortDetails()
{
    if (mScreen == Screen::Details)
        mScreen = Screen::Done;
}

void CrashReportFlow::AbortUpload()
{
    if (mScreen == Screen::Progress)
        mTransfer.Abort();
}

void CrashReportFlow::CloseWindow()
{
    if (mScreen == Screen::Progress)
        AbortUpload();
    else
        mScreen = Screen::Done;
}

void CrashReportFlow::StartUpload()
{
    mRequest = BuildCrashUploadRequest(mSetup.host, BuildCrashUploadBody(mSetup.form));
    ++mUploads;
    mTransfer.SendRequest(mSetup.host, mRequest);
}

void CrashReportFlow::Update(uint32_t nowMs)
{
    if (mScreen != Screen::Progress)
        return;
    if (!mTimersStarted) {
        mTimersStarted = true;
        mNextPoll = nowMs + 20;
        mNextSecond = nowMs + 1000;
        return;
    }
    // Each timer fires once per call at most, as timer messages do.
    if (static_cast<int32_t>(nowMs - mNextSecond) >= 0) {
        ++mProgressTicks;
        while (static_cast<int32_t>(nowMs - mNextSecond) >= 0)
            mNextSecond += 1000;
    }
    if (static_cast<int32_t>(nowMs - mNextPoll) >= 0) {
        while (static_cast<int32_t>(nowMs - mNextPoll) >= 0)
            mNextPoll += 20;
        PollTransfer();
    }
}

void CrashReportFlow::PollTransfer()
{
    mTransfer.UpdateStatus();
    const int result = mTransfer.GetResult();
    if (result == HTTPTransfer::kResultIdle || result == HTTPTransfer::kResultBusy)
        return;
    if (result == HTTPTransfer::kResultDone || result == HTTPTransfer::kResultAborted) {
        mScreen = Screen::Done;
        return;
    }
    mTransfer.Reset();
    if (mAskRetry && mAskRetry(mSetup.connectFailedText))
        StartUpload();
    else
        mScreen = Screen::Done;
}

std::string CrashReportFlow::StatusText() const
{
    std::string text = "Please Wait";
    for (int i = 0; i < mProgressTicks % 10; ++i)
        text += " .";
    return text;
}

} // namespace Lumo
