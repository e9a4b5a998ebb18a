// A small HTTP server of a test's own, on 127.0.0.1 only, at a port the
// system picks: it answers each request with the scripted reply of its path
// and keeps the bytes of every request. It runs on a thread of its own, every
// wait in it is bounded, and it stops when destroyed.
#pragma once

#include "platform/net/Sockets.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace LumoTest {

class LoopbackHttpServer {
public:
    // What the server does once the reply's bytes are out.
    enum class Ending {
        Close, // an orderly end of the stream
        Reset, // a connection reset
        Hold,  // stays open until the server is destroyed
    };

    struct Reply {
        std::string bytes; // the response exactly as sent
        Ending ending = Ending::Close;
        size_t pieceSize = 0; // when not 0: sent in pieces of this size, a short pause between
    };

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // False when the listener could not be opened.
    bool IsRunning() const { return mListener != Plat::kNoSocket; }
    int Port() const { return mPort; }
    // "http://127.0.0.1:<port>" + path.
    std::string Url(const std::string& path) const;

    // The reply to requests of the path (as written on the request line). A
    // path without one gets a 404.
    void SetReply(const std::string& path, const Reply& reply);

    // "HTTP/1.0 200 OK" with a Content-Length header and the body.
    static Reply Ok(const std::string& body);
    // The status line and headers as given (each ending in "\r\n"), an empty
    // line, then the body.
    static Reply Raw(const std::string& statusAndHeaders, const std::string& body, Ending ending = Ending::Close);
    // A port on 127.0.0.1 where nothing listens (taken and given back).
    static int UnusedPort();

    // The bytes of every request so far, in the order they came.
    std::vector<std::string> Requests() const;
    // The paths of the requests so far.
    std::vector<std::string> RequestedPaths() const;
    // Waits up to the timeout until the server has taken this many requests.
    bool WaitForRequests(size_t count, int timeoutMs) const;

private:
    void Run();
    void Serve(Plat::SocketHandle connection);
    bool ReadRequest(Plat::SocketHandle connection, std::string& request);
    bool SendAll(Plat::SocketHandle connection, const std::string& bytes, size_t pieceSize);

    Plat::SocketHandle mListener = Plat::kNoSocket;
    int mPort = 0;
    std::atomic<bool> mStop{false};
    mutable std::mutex mLock;
    std::map<std::string, Reply> mReplies;  // under mLock
    std::vector<std::string> mRequests;     // under mLock
    std::vector<std::string> mPaths;        // under mLock
    std::vector<Plat::SocketHandle> mHeld;  // server thread only
    std::thread mThread;
};

} // namespace LumoTest

using LumoTest::LoopbackHttpServer;
