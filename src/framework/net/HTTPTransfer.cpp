#include "framework/net/HTTPTransfer.h"

#include "framework/app/LumoAppBase.h"
#include "framework/core/Buffer.h"
#include "framework/core/StringUtils.h"
#include "platform/system/Clock.h"
#include "platform/net/Sockets.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <system_error>

namespace Lumo {

namespace {

std::atomic<int> gNextTransferId{1};

// Counted from the application's start, so that a recorded run and its
// replay in the same process give their transfers the same ids.
int NewTransferId()
{
    if (gLumoAppBase != nullptr)
        return gLumoAppBase->nextTransferId.fetch_add(1, std::memory_order_relaxed);
    return gNextTransferId.fetch_add(1, std::memory_order_relaxed);
}

constexpr int kWaitStepMicroseconds = 100000;
constexpr uint32_t kPollSleepMs = 20;
constexpr int kReceiveBlock = 256;
constexpr size_t kSchemePrefixLength = 7; // "http://"

// The C runtime's decimal conversion (leading blanks, a sign, digits up to
// the first other character), held inside the int range.
bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// A chunk-size line: hexadecimal digits, then perhaps ";" and extensions.
// False for anything else, or a size that does not fit an int.
bool ParseChunkSize(const std::string& line, int& size)
{
    std::string digits = Trim(line.substr(0, line.find(';')));
    if (digits.empty() || digits.size() > 8 || digits[0] == '-')
        return false;
    int value = 0;
    if (!StringToInt("0x" + digits, &value) || value < 0)
        return false;
    size = value;
    return true;
}

LumoAppBase* DemoApp()
{
    return gLumoAppBase;
}

} // namespace

std::string GetAbsURL(const std::string& base, const std::string& relative)
{
    if (relative.compare(0, kSchemePrefixLength, "http://") == 0)
        return relative;
    if (!relative.empty() && relative[0] == '/') {
        const size_t hostEnd = base.size() > kSchemePrefixLength ? base.find('/', kSchemePrefixLength) : std::string::npos;
        return (hostEnd == std::string::npos ? base : base.substr(0, hostEnd)) + relative;
    }
    const size_t lastSlash = base.rfind('/');
    if (lastSlash == std::string::npos || lastSlash < kSchemePrefixLength)
        return base + "/" + relative;
    return base.substr(0, lastSlash + 1) + relative;
}

HTTPTransfer::HTTPTransfer() : mTransferId(NewTransferId()) {}

HTTPTransfer::~HTTPTransfer()
{
    mAborted.store(true, std::memory_order_release);
    mStop.store(true, std::memory_order_release);
    if (mThread.joinable())
        mThread.join();
}

void HTTPTransfer::StopWorker()
{
    if (mThreadRunning.load(std::memory_order_acquire)) {
        mAborted.store(true, std::memory_order_release);
        mStop.store(true, std::memory_order_release);
        WaitFor();
    }
    if (mThread.joinable())
        mThread.join();
}

void HTTPTransfer::Reset()
{
    StopWorker();
    mTransferId = NewTransferId();
    mResult.store(kResultIdle, std::memory_order_release);
    mLastRecordedResult = kResultIdle;
    mContent.clear();
    mURL.clear();
    mRequest.clear();
    mPath.clear();
    // No worker is left: a request started during demo playback ends here too.
    mPending.store(false, std::memory_order_release);
    mStop.store(false, std::memory_order_release);
    mAborted.store(false, std::memory_order_release);
}

void HTTPTransfer::Abort()
{
    StopWorker();
    if (GetResult() == kResultBusy)
        mResult.store(kResultAborted, std::memory_order_release);
    mPending.store(false, std::memory_order_release);
}

void HTTPTransfer::PrepareTransfer(const std::string& url)
{
    Reset();
    mTransferId = NewTransferId();
    mURL = url;
    mStop.store(false, std::memory_order_release);
    mAborted.store(false, std::memory_order_release);
    mResult.store(kResultBusy, std::memory_order_release);
    mContent.clear();
    mContentLength.store(0, std::memory_order_release);
    mPort = 80;

    size_t hostStart = 0;
    mScheme.clear();
    const size_t slashes = url.find("//");
    if (slashes != std::string::npos) {
        if (slashes > 0)
            mScheme = url.substr(0, slashes - 1);
        hostStart = slashes + 2;
    }
    const size_t pathStart = url.find('/', hostStart);
    if (pathStart == std::string::npos) {
        mHost = url.substr(std::min(hostStart, url.size()));
        mPath.assign(1, '/');
    } else {
        mHost = url.substr(hostStart, pathStart - hostStart);
        mPath = url.substr(pathStart);
    }
    const size_t colon = mHost.find(':');
    if (colon != std::string::npos) {
        mPort = LeadingInt(mHost.substr(colon + 1));
        mHost.resize(colon);
    }
}

void HTTPTransfer::Get(const std::string& url)
{
    PrepareTransfer(url);
    mRequest = "GET " + mPath + " HTTP/1.0\r\nUser-Agent: Mozilla/4.0 (compatible; quillo)\r\nHost: " + mHost
               + "\r\nConnection: close\r\n" + "\r\n";
    StartWorker();
}

void HTTPTransfer::GetRelative(const std::string& baseURL, const std::string& relativeURL)
{
    mBaseURL = baseURL;
    mRelativeURL = relativeURL;
    Get(GetAbsURL(baseURL, relativeURL));
}

void HTTPTransfer::SendRequest(const std::string& url, const std::string& request)
{
    mBaseURL.clear();
    mRelativeURL.clear();
    PrepareTransfer(url);
    mRequest = request;
    StartWorker();
}

void HTTPTransfer::StartWorker()
{
    mPending.store(true, std::memory_order_release);
    const LumoAppBase* app = DemoApp();
    if (app != nullptr && app->playingDemo)
        return; // the demo's records bring the result
    mThreadRunning.store(true, std::memory_order_release);
    try {
        mThread = std::thread(&HTTPTransfer::WorkerMain, this);
    } catch (const std::system_error&) {
        mThreadRunning.store(false, std::memory_order_release);
        mResult.store(kResultSocketError, std::memory_order_release);
        mPending.store(false, std::memory_order_release);
    }
}

void HTTPTransfer::UpdateStatus()
{
    LumoAppBase* app = DemoApp();
    if (app == nullptr)
        return;
    if (app->DemoRecordsNow())
        RecordStatus();
    else if (app->DemoPlaysNow())
        ReplayStatus();
}

void HTTPTransfer::RecordStatus()
{
    LumoAppBase& app = *DemoApp();
    const int result = GetResult();
    if (result == mLastRecordedResult)
        return;
    app.DemoBeginRecord(kDemoCommand);
    Buffer& demo = app.demoBuffer;
    demo.WriteLong(mTransferId);
    demo.WriteByte(static_cast<uint8_t>(result));
    // The body with a 32-bit length: a 16-bit one cannot carry 32 KB or more.
    static const std::string kNoContent;
    const std::string& content = result == kResultBusy ? kNoContent : mContent;
    demo.WriteLong(static_cast<int>(content.size()));
    demo.WriteBytes(reinterpret_cast<const uint8_t*>(content.data()), static_cast<int>(content.size()));
    mLastRecordedResult = result;
}

void HTTPTransfer::ReplayStatus()
{
    LumoAppBase& app = *DemoApp();
    Buffer& demo = app.demoBuffer;
    if (app.demoClosing || app.DemoStreamEnded())
        return;
    if (!app.DemoReadCommand() || app.demoShortForm || app.demoCommand != kDemoCommand)
        return;
    // The record may be another transfer's: it then stays for that one.
    const int recordStart = demo.GetReadPos();
    if (demo.ReadLong() != mTransferId) {
        demo.SetReadPos(recordStart);
        return;
    }
    const int result = demo.ReadByte();
    const int length = demo.ReadLong();
    // A length beyond the stored bytes is cut to what is there.
    const int available = std::max(0, (demo.GetDataLen() * 8 - demo.GetReadPos()) / 8);
    const int count = std::clamp(length, 0, available);
    mContent.assign(static_cast<size_t>(count), '\0');
    demo.ReadBytes(reinterpret_cast<uint8_t*>(mContent.data()), count);
    mLastRecordedResult = result;
    app.demoBitsPending = true;
    mResult.store(result, std::memory_order_release);
    if (result != kResultBusy)
        mPending.store(false, std::memory_order_release);
}

std::string HTTPTransfer::GetContent()
{
    if (GetResult() == kResultBusy)
        return std::string();
    UpdateStatus();
    if (GetResult() == kResultBusy)
        return std::string();
    return mContent;
}

void HTTPTransfer::WaitFor()
{
    while (mPending.load(std::memory_order_acquire)) {
        UpdateStatus();
        // Without a worker (demo playback) nothing can change while we wait.
        if (!mPending.load(std::memory_order_acquire) || !mThread.joinable())
            break;
        Plat::GetClock().Sleep(kPollSleepMs);
    }
}

// ---- Worker thread

void HTTPTransfer::WorkerMain(HTTPTransfer* transfer)
{
    transfer->RunWorker();
}

void HTTPTransfer::Fail(int result)
{
    mResult.store(result, std::memory_order_release);
    mStop.store(true, std::memory_order_release);
}

bool HTTPTransfer::SocketWait(int socket, bool forRead, bool forWrite, int failResult)
{
    for (;;) {
        if (mStop.load(std::memory_order_acquire))
            return true;
        switch (Plat::WaitSocket(socket, forRead, forWrite, kWaitStepMicroseconds)) {
        case Plat::WaitStatus::Ready:
            return true;
        case Plat::WaitStatus::Failed:
            Fail(failResult);
            return false;
        case Plat::WaitStatus::Timeout:
            break;
        }
    }
}

void HTTPTransfer::RunWorker()
{
    bool complete = false;
    const Plat::SocketHandle socket = Plat::OpenStreamSocket();
    if (socket == Plat::kNoSocket) {
        Fail(kResultSocketError);
    } else {
        uint32_t address = 0;
        if (!mStop.load(std::memory_order_acquire)
            && (mHost.empty()
                || (!Plat::ParseDottedAddress(mHost, address) && !Plat::GetHostResolver().Resolve(mHost, address))))
            Fail(kResultHostNotFound);

        if (!mStop.load(std::memory_order_acquire)) {
            const Plat::ConnectStatus status = Plat::StartConnect(socket, address, mPort);
            if (status == Plat::ConnectStatus::Failed) {
                Fail(kResultConnectFailed);
            } else if (status == Plat::ConnectStatus::InProgress) {
                // A refused connection reports itself writable with an error pending.
                if (SocketWait(socket, false, true, kResultConnectFailed) && !mStop.load(std::memory_order_acquire)
                    && Plat::TakeSocketError(socket) != 0)
                    Fail(kResultConnectFailed);
            }
        }

        size_t sent = 0;
        while (sent < mRequest.size() && !mStop.load(std::memory_order_acquire)) {
            if (!SocketWait(socket, false, true, kResultSocketError) || mStop.load(std::memory_order_acquire))
                break;
            const size_t left = std::min<size_t>(mRequest.size() - sent, INT_MAX);
            const int count = Plat::SendBytes(socket, mRequest.data() + sent, static_cast<int>(left));
            if (count == Plat::kWouldBlock)
                continue;
            if (count <= 0) {
                Fail(kResultSendFailed);
                break;
            }
            sent += static_cast<size_t>(count);
        }

        if (!mStop.load(std::memory_order_acquire))
            complete = ReceiveResponse(socket);
        Plat::CloseSocket(socket);
    }

    if (mAborted.load(std::memory_order_acquire)) {
        mResult.store(kResultAborted, std::memory_order_release);
        mStop.store(true, std::memory_order_release);
    } else if (mResult.load(std::memory_order_acquire) == kResultBusy) {
        // A body cut short is a failure, not a done transfer with part of it.
        mResult.store(complete ? kResultDone : kResultIncomplete, std::memory_order_release);
    }
    mThreadRunning.store(false, std::memory_order_release);
    mPending.store(false, std::memory_order_release);
}

bool HTTPTransfer::ReceiveResponse(int socket)
{
    std::string received;
    size_t readPos = 0;
    bool inHeader = true;
    bool chunked = false;
    int bodyRemaining = 0;  // a body with a length: bytes still to come
    int chunkRemaining = -1; // -1: no chunk open
    int chunkGap = 0;        // bytes to skip after a complete chunk
    bool consumed = false;
    char block[kReceiveBlock];
    // The next line, once its CRLF has arrived.
    const auto takeLine = [&](std::string& line) {
        const size_t lineEnd = received.find("\r\n", readPos);
        if (lineEnd == std::string::npos)
            return false;
        line = received.substr(readPos, lineEnd - readPos);
        readPos = lineEnd + 2;
        consumed = true;
        return true;
    };

    while (!mStop.load(std::memory_order_acquire)) {
        if (!consumed) {
            if (!SocketWait(socket, true, false, kResultSocketError))
                return false;
            if (mStop.load(std::memory_order_acquire))
                return false;
            const int count = Plat::ReceiveBytes(socket, block, kReceiveBlock);
            if (count == Plat::kWouldBlock)
                continue;
            if (count <= 0) {
                // Only an orderly end of a body without a length or chunks
                // completes it; a reset or an early end leaves it cut short.
                return count == 0 && !inHeader && !chunked && bodyRemaining <= 0;
            }
            if (readPos > 0 && readPos * 2 >= received.size()) {
                received.erase(0, readPos);
                readPos = 0;
            }
            received.append(block, static_cast<size_t>(count));
        }
        consumed = false;
        const size_t available = received.size() - readPos;

        if (inHeader) {
            std::string line;
            if (!takeLine(line))
                continue;
            if (StartsWith(line, "HTTP/1.")) {
                // A status line too short to hold a status is no 200.
                const std::string status = line.size() >= 12 ? line.substr(9, 3) : std::string();
                if (status == "404") {
                    Fail(kResultNotFound);
                    return false;
                }
                if (status != "200") {
                    Fail(kResultBadStatus);
                    return false;
                }
            } else if (StartsWith(line, "Transfer-Encoding: ")) {
                if (line.substr(19) != "identity")
                    chunked = true;
            } else if (StartsWith(line, "Content-Length: ")) {
                mContentLength.store(LeadingInt(line.substr(16)), std::memory_order_release);
            } else if (line.empty()) {
                inHeader = false;
                bodyRemaining = chunked ? 0 : mContentLength.load(std::memory_order_acquire);
            }
            continue;
        }

        if (chunked) {
            if (chunkGap > 0) {
                const int skip = static_cast<int>(std::min<size_t>(available, static_cast<size_t>(chunkGap)));
                readPos += static_cast<size_t>(skip);
                chunkGap -= skip;
                consumed = skip > 0;
                continue;
            }
            if (chunkRemaining < 0) {
                std::string line;
                if (!takeLine(line))
                    continue;
                int size = 0;
                if (!ParseChunkSize(line, size)) {
                    Fail(kResultIncomplete);
                    return false;
                }
                if (size == 0)
                    return true;
                chunkRemaining = size;
                continue;
            }
            const size_t take = std::min<size_t>(available, static_cast<size_t>(chunkRemaining));
            mContent.append(received, readPos, take);
            readPos += take;
            chunkRemaining -= static_cast<int>(take);
            consumed = take > 0;
            if (chunkRemaining == 0) {
                chunkRemaining = -1;
                chunkGap = 2;
                consumed = true;
            }
            continue;
        }

        if (bodyRemaining > 0) {
            const size_t take = std::min<size_t>(available, static_cast<size_t>(bodyRemaining));
            mContent.append(received, readPos, take);
            readPos += take;
            bodyRemaining -= static_cast<int>(take);
            if (bodyRemaining == 0)
                return true;
            consumed = take > 0;
            continue;
        }

        // No length: everything up to the peer's orderly end.
        mContent.append(received, readPos, available);
        readPos += available;
    }
    return false;
}

} // namespace Lumo
