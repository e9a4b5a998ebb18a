// Non-blocking loopback sockets: a connection's ends, refusal, reset, the
// readiness wait and the replaceable resolver. Only 127.0.0.1 is used.
#include "platform/net/Sockets.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

constexpr uint32_t kLoopback = 0x7F000001;
constexpr int kStep = 20000; // microseconds

// Waits (bounded) until the socket is ready as asked.
bool WaitReady(Plat::SocketHandle socket, bool forRead, bool forWrite)
{
    for (int i = 0; i < 250; ++i) {
        if (Plat::WaitSocket(socket, forRead, forWrite, kStep) == Plat::WaitStatus::Ready)
            return true;
    }
    return false;
}

// A connected pair over 127.0.0.1: client and the server's accepted end.
struct Pair {
    Plat::SocketHandle listener = Plat::kNoSocket;
    Plat::SocketHandle client = Plat::kNoSocket;
    Plat::SocketHandle server = Plat::kNoSocket;

    Pair()
    {
        int port = 0;
        listener = Plat::OpenLoopbackListener(port);
        client = Plat::OpenStreamSocket();
        if (Plat::StartConnect(client, kLoopback, port) == Plat::ConnectStatus::Failed)
            return;
        if (WaitReady(listener, true, false))
            server = Plat::AcceptConnection(listener);
        WaitReady(client, false, true);
    }
    ~Pair()
    {
        Plat::CloseSocket(client);
        Plat::CloseSocket(server);
        Plat::CloseSocket(listener);
    }
};

// Receives until n bytes arrived, the stream ended or an error came (bounded).
int ReceiveSome(Plat::SocketHandle socket, std::string& into, size_t n)
{
    char block[64];
    for (int i = 0; i < 250 && into.size() < n; ++i) {
        if (!WaitReady(socket, true, false))
            return -3;
        const int count = Plat::ReceiveBytes(socket, block, sizeof block);
        if (count == Plat::kWouldBlock)
            continue;
        if (count <= 0)
            return count;
        into.append(block, static_cast<size_t>(count));
    }
    return static_cast<int>(into.size());
}

TEST(SocketsTest, ParseDottedAddress)
{
    struct Case {
        const char* text;
        bool ok;
        uint32_t address;
    };
    const Case cases[] = {
        {"127.0.0.1", true, 0x7F000001},
        {"10.1.2.255", true, 0x0A0102FF},
        {"0.0.0.0", true, 0},
        {"256.0.0.1", false, 0},
        {"127.0.0", false, 0},
        {"localhost", false, 0},
        {"", false, 0},
        {"1.2.3.4 ", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t address = 0xDEADBEEF;
        EXPECT_EQ(Plat::ParseDottedAddress(c.text, address), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(address, c.address) << c.text;
        }
    }
}

TEST(SocketsTest, BytesTravelBothWaysAndAnOrderlyEndReadsAsZero)
{
    Pair pair;
    ASSERT_NE(pair.server, Plat::kNoSocket);
    EXPECT_EQ(Plat::TakeSocketError(pair.client), 0);

    // Nothing sent yet: a receive does not block.
    char byte = 0;
    EXPECT_EQ(Plat::ReceiveBytes(pair.server, &byte, 1), Plat::kWouldBlock);

    ASSERT_EQ(Plat::SendBytes(pair.client, "ping", 4), 4);
    std::string got;
    EXPECT_EQ(ReceiveSome(pair.server, got, 4), 4);
    EXPECT_EQ(got, "ping");

    ASSERT_EQ(Plat::SendBytes(pair.server, "pong", 4), 4);
    Plat::CloseSocket(pair.server);
    pair.server = Plat::kNoSocket;
    got.clear();
    EXPECT_EQ(ReceiveSome(pair.client, got, 4), 4);
    EXPECT_EQ(got, "pong");
    ASSERT_TRUE(WaitReady(pair.client, true, false));
    EXPECT_EQ(Plat::ReceiveBytes(pair.client, &byte, 1), 0);
}

TEST(SocketsTest, ResetReadsAsAnErrorAndSendingToItRaisesNoSignal)
{
    Pair pair;
    ASSERT_NE(pair.server, Plat::kNoSocket);
    Plat::ResetAndCloseSocket(pair.server);
    pair.server = Plat::kNoSocket;

    std::string got;
    EXPECT_EQ(ReceiveSome(pair.client, got, 1), -1);
    // A send into a reset connection fails with a result, not SIGPIPE.
    int result = 0;
    for (int i = 0; i < 100 && result >= 0; ++i)
        result = Plat::SendBytes(pair.client, "x", 1);
    EXPECT_EQ(result, -1);
}

TEST(SocketsTest, RefusedConnectionShowsAsPendingErrorOnceWritable)
{
    const Plat::SocketHandle client = Plat::OpenStreamSocket();
    ASSERT_NE(client, Plat::kNoSocket);
    int port = 0;
    Plat::CloseSocket(Plat::OpenLoopbackListener(port)); // a port where nothing listens
    const Plat::ConnectStatus status = Plat::StartConnect(client, kLoopback, port);
    ASSERT_NE(status, Plat::ConnectStatus::Connected);
    if (status == Plat::ConnectStatus::InProgress) {
        ASSERT_TRUE(WaitReady(client, false, true));
        EXPECT_NE(Plat::TakeSocketError(client), 0);
    }
    Plat::CloseSocket(client);
}

TEST(SocketsTest, BadArgumentsFailWithoutTouchingTheSystem)
{
    const Plat::SocketHandle client = Plat::OpenStreamSocket();
    EXPECT_EQ(Plat::StartConnect(client, kLoopback, 0), Plat::ConnectStatus::Failed);
    EXPECT_EQ(Plat::StartConnect(client, kLoopback, 65536), Plat::ConnectStatus::Failed);
    EXPECT_EQ(Plat::StartConnect(Plat::kNoSocket, kLoopback, 80), Plat::ConnectStatus::Failed);
    EXPECT_EQ(Plat::WaitSocket(Plat::kNoSocket, true, false, kStep), Plat::WaitStatus::Failed);
    Plat::CloseSocket(client);
}

TEST(SocketsTest, ListenerTimesOutWhenNobodyConnects)
{
    int port = 0;
    const Plat::SocketHandle listener = Plat::OpenLoopbackListener(port);
    ASSERT_NE(listener, Plat::kNoSocket);
    EXPECT_GT(port, 0);
    EXPECT_EQ(Plat::WaitSocket(listener, true, false, kStep), Plat::WaitStatus::Timeout);
    EXPECT_EQ(Plat::AcceptConnection(listener), Plat::kNoSocket);
    Plat::CloseSocket(listener);
}

class FixedResolver : public Plat::HostResolver {
public:
    bool Resolve(const std::string& hostName, uint32_t& address) override
    {
        if (hostName != "known.test")
            return false;
        address = kLoopback;
        return true;
    }
};

TEST(SocketsTest, ResolverCanBeReplacedAndRestored)
{
    FixedResolver fake;
    Plat::HostResolver* previous = Plat::SetHostResolver(&fake);
    uint32_t address = 0;
    EXPECT_TRUE(Plat::GetHostResolver().Resolve("known.test", address));
    EXPECT_EQ(address, kLoopback);
    EXPECT_FALSE(Plat::GetHostResolver().Resolve("other.test", address));
    EXPECT_EQ(Plat::SetHostResolver(previous), &fake);

    // The system's resolver takes numeric names without any lookup.
    Plat::SetHostResolver(nullptr);
    EXPECT_TRUE(Plat::GetHostResolver().Resolve("127.0.0.1", address));
    EXPECT_EQ(address, kLoopback);
    EXPECT_FALSE(Plat::GetHostResolver().Resolve("", address));
}

} // namespace
