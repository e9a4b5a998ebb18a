// One HTTP/1.0 request at a time on a worker thread of its own: a GET of a
// URL or a raw request text. The owner polls the result code; a recorded
// demo keeps every change of it, and a played demo replays them without
// touching the network.
#pragma once

#include "framework/app/DemoFormat.h"

#include <atomic>
#include <string>
#include <thread>

namespace Lumo {

class HTTPTransfer {
public:
    // Result codes.
    static constexpr int kResultDone = 0;           // the response was read whole
    static constexpr int kResultIdle = 1;           // nothing started since construction or reset
    static constexpr int kResultBusy = 2;           // a request is under way
    static constexpr int kResultNotFound = 3;       // status 404
    static constexpr int kResultBadStatus = 4;      // a status other than 200
    static constexpr int kResultAborted = 5;        // stopped by the owner
    static constexpr int kResultSocketError = 6;    // no socket, or waiting on it failed
    static constexpr int kResultHostNotFound = 7;   // the host name did not resolve
    static constexpr int kResultConnectFailed = 8;  // the connection could not be made
    static constexpr int kResultSendFailed = 9;     // the request could not be sent
    static constexpr int kResultIncomplete = 10;    // the response broke off or was malformed

    // The demo record command of a result change.
    static constexpr int kDemoCommand = kDemoHttpStatus;

    HTTPTransfer();
    // Stops a running worker and waits for it.
    virtual ~HTTPTransfer();
    HTTPTransfer(const HTTPTransfer&) = delete;
    HTTPTransfer& operator=(const HTTPTransfer&) = delete;

    // Starts a GET of the URL.
    void Get(const std::string& url);
    // Starts a GET of GetAbsURL(base, relative) and keeps both parts.
    void GetRelative(const std::string& baseURL, const std::string& relativeURL);
    // Sends the caller's request text as it is to the URL's host and port.
    void SendRequest(const std::string& url, const std::string& request);
    // Stops a running worker (its last result is 5) and returns to idle.
    void Reset();
    // Stops a running worker and keeps result 5 (aborted) for the owner to
    // see; a request that has not ended yet ends aborted too.
    void Abort();

    // The demo hook: records result changes, or replays them. Call while polling.
    void UpdateStatus();
    // Empty while busy; otherwise the body received (after UpdateStatus).
    std::string GetContent();
    // Polls every 20 ms until the request has ended.
    void WaitFor();

    int GetResult() const { return mResult.load(std::memory_order_acquire); }
    int GetContentLength() const { return mContentLength.load(std::memory_order_acquire); }
    int GetTransferId() const { return mTransferId; }
    const std::string& GetURL() const { return mURL; }
    const std::string& GetBaseURL() const { return mBaseURL; }
    const std::string& GetRelativeURL() const { return mRelativeURL; }
    const std::string& GetScheme() const { return mScheme; }
    const std::string& GetHost() const { return mHost; }
    int GetPort() const { return mPort; }
    const std::string& GetPath() const { return mPath; }

private:
    void PrepareTransfer(const std::string& url);
    void StartWorker();
    // Asks a running worker to stop, waits for its last result and joins it.
    void StopWorker();
    // Worker side.
    static void WorkerMain(HTTPTransfer* transfer);
    void RunWorker();
    // Ends the request with a result (the content is complete before it).
    void Fail(int result);
    // True when the socket is ready or stop is set; false (result 6 unless a
    // different failure code is given) when waiting failed.
    bool SocketWait(int socket, bool forRead, bool forWrite, int failResult);
    // Reads the response; true when it arrived whole.
    bool ReceiveResponse(int socket);

    void RecordStatus();
    void ReplayStatus();

    int mTransferId;
    std::string mRequest;
    std::string mBaseURL;
    std::string mRelativeURL;
    std::string mURL;
    std::string mScheme;
    std::string mHost;
    int mPort = 80;
    std::string mPath;
    std::atomic<int> mContentLength{0};
    // Written by the worker until it publishes a final result; read by the
    // owner only after it has seen that result.
    std::string mContent;
    std::atomic<bool> mPending{false};
    std::atomic<bool> mThreadRunning{false};
    std::atomic<bool> mStop{false};
    std::atomic<bool> mAborted{false};
    std::atomic<int> mResult{kResultIdle};
    int mLastRecordedResult = kResultIdle;
    std::thread mThread;
};

// The absolute URL of `relative` seen from `base`: an "http://" URL as it is,
// "/path" on the base's host, anything else beside the base's last part.
std::string GetAbsURL(const std::string& base, const std::string& relative);

} // namespace Lumo
