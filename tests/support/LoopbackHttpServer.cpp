#include "support/LoopbackHttpServer.h"

#include <chrono>
#include <cstdlib>

namespace LumoTest {

namespace {

using Clock = std::chrono::steady_clock;

// No single connection may keep the server longer than this.
constexpr auto kConnectionBudget = std::chrono::seconds(5);
constexpr int kWaitStepMicroseconds = 20000;
constexpr size_t kMaxRequestBytes = 1 << 20;

// The request line's second word.
std::string PathOf(const std::string& request)
{
    const size_t first = request.find(' ');
    if (first == std::string::npos)
        return std::string();
    const size_t second = request.find_first_of(" \r\n", first + 1);
    return request.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer()
{
    mListener = Plat::OpenLoopbackListener(mPort);
    if (mListener != Plat::kNoSocket)
        mThread = std::thread(&LoopbackHttpServer::Run, this);
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    mStop.store(true);
    if (mThread.joinable())
        mThread.join();
    for (Plat::SocketHandle held : mHeld)
        Plat::CloseSocket(held);
    Plat::CloseSocket(mListener);
}

std::string LoopbackHttpServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(mPort) + path;
}

void LoopbackHttpServer::SetReply(const std::string& path, const Reply& reply)
{
    std::lock_guard<std::mutex> guard(mLock);
    mReplies[path] = reply;
}

LoopbackHttpServer::Reply LoopbackHttpServer::Ok(const std::string& body)
{
    return Raw("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n", body);
}

LoopbackHttpServer::Reply LoopbackHttpServer::Raw(const std::string& statusAndHeaders, const std::string& body,
                                                  Ending ending)
{
    Reply reply;
    reply.bytes = statusAndHeaders + "\r\n" + body;
    reply.ending = ending;
    return reply;
}

int LoopbackHttpServer::UnusedPort()
{
    int port = 0;
    const Plat::SocketHandle listener = Plat::OpenLoopbackListener(port);
    Plat::CloseSocket(listener);
    return port;
}

std::vector<std::string> LoopbackHttpServer::Requests() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mRequests;
}

std::vector<std::string> LoopbackHttpServer::RequestedPaths() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mPaths;
}

bool LoopbackHttpServer::WaitForRequests(size_t count, int timeoutMs) const
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(mLock);
            if (mRequests.size() >= count)
                return true;
        }
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void LoopbackHttpServer::Run()
{
    while (!mStop.load()) {
        if (Plat::WaitSocket(mListener, true, false, kWaitStepMicroseconds) != Plat::WaitStatus::Ready)
            continue;
        const Plat::SocketHandle connection = Plat::AcceptConnection(mListener);
        if (connection != Plat::kNoSocket)
            Serve(connection);
    }
}

bool LoopbackHttpServer::ReadRequest(Plat::SocketHandle connection, std::string& request)
{
    const auto deadline = Clock::now() + kConnectionBudget;
    size_t needed = 0; // the whole request's size once the header is in
    char block[4096];
    while (!mStop.load() && Clock::now() < deadline && request.size() < kMaxRequestBytes) {
        if (needed == 0) {
            const size_t headerEnd = request.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                needed = headerEnd + 4;
                const size_t length = request.find("Content-Length: ");
                if (length != std::string::npos && length < headerEnd)
                    needed += std::strtoul(request.c_str() + length + 16, nullptr, 10);
            }
        }
        if (needed != 0 && request.size() >= needed)
            return true;
        if (Plat::WaitSocket(connection, true, false, kWaitStepMicroseconds) != Plat::WaitStatus::Ready)
            continue;
        const int count = Plat::ReceiveBytes(connection, block, sizeof block);
        if (count == Plat::kWouldBlock)
            continue;
        if (count <= 0)
            return needed != 0 && request.size() >= needed;
        request.append(block, static_cast<size_t>(count));
    }
    return false;
}

bool LoopbackHttpServer::SendAll(Plat::SocketHandle connection, const std::string& bytes, size_t pieceSize)
{
    const auto deadline = Clock::now() + kConnectionBudget;
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (mStop.load() || Clock::now() >= deadline)
            return false;
        if (Plat::WaitSocket(connection, false, true, kWaitStepMicroseconds) != Plat::WaitStatus::Ready)
            continue;
        size_t count = bytes.size() - sent;
        if (pieceSize != 0 && count > pieceSize)
            count = pieceSize;
        const int put = Plat::SendBytes(connection, bytes.data() + sent, static_cast<int>(count));
        if (put == Plat::kWouldBlock)
            continue;
        if (put <= 0)
            return false;
        sent += static_cast<size_t>(put);
        if (pieceSize != 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void LoopbackHttpServer::Serve(Plat::SocketHandle connection)
{
    std::string request;
    const bool whole = ReadRequest(connection, request);
    Reply reply = Raw("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n", "");
    {
        std::lock_guard<std::mutex> guard(mLock);
        mRequests.push_back(request);
        mPaths.push_back(PathOf(request));
        const auto found = mReplies.find(mPaths.back());
        if (found != mReplies.end())
            reply = found->second;
    }
    if (!whole) {
        Plat::CloseSocket(connection);
        return;
    }
    SendAll(connection, reply.bytes, reply.pieceSize);
    switch (reply.ending) {
    case Ending::Close:
        Plat::CloseSocket(connection);
        break;
    case Ending::Reset:
        Plat::ResetAndCloseSocket(connection);
        break;
    case Ending::Hold:
        mHeld.push_back(connection);
        break;
    }
}

} // namespace LumoTest
