// HTTP transfers against a loopback server of the test's own: the request
// bytes, every result code, body framing, aborts, and the demo records that
// carry results through a recording and a playback.
#include "framework/net/HTTPTransfer.h"

#include "framework/core/Buffer.h"
#include "platform/net/Sockets.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Lumo::HTTPTransfer;
using Ending = LoopbackHttpServer::Ending;
using Reply = LoopbackHttpServer::Reply;
using SteadyClock = std::chrono::steady_clock;

const std::string kFixedHeaders = " HTTP/1.0\r\nUser-Agent: Mozilla/4.0 (compatible; quillo)\r\nHost: ";

// Polls as an owner does until the transfer has left "busy"; bounded.
int Finish(HTTPTransfer& transfer)
{
    const auto deadline = SteadyClock::now() + std::chrono::seconds(10);
    while (SteadyClock::now() < deadline) {
        transfer.UpdateStatus();
        if (transfer.GetResult() != HTTPTransfer::kResultBusy)
            return transfer.GetResult();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return -1;
}

// Answers one name with 127.0.0.1 and no other; installed for its lifetime.
class LoopbackResolver : public Plat::HostResolver {
public:
    explicit LoopbackResolver(std::string name) : mName(std::move(name)), mPrevious(Plat::SetHostResolver(this)) {}
    ~LoopbackResolver() override { Plat::SetHostResolver(mPrevious); }
    bool Resolve(const std::string& hostName, uint32_t& address) override
    {
        if (hostName != mName)
            return false;
        address = 0x7F000001;
        return true;
    }

private:
    std::string mName;
    Plat::HostResolver* mPrevious;
};

std::string Body(size_t size)
{
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>('a' + (i * 7) % 26);
    return body;
}

class HTTPTransferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.IsRunning()); }
    LoopbackHttpServer server;
};

// ---- The request

TEST_F(HTTPTransferTest, GetSendsExactlyTheFixedRequest)
{
    const LoopbackResolver resolver("ads.example.test");
    const std::string port = std::to_string(server.Port());
    struct Case {
        std::string url;
        std::string host;
        std::string path;
    };
    const Case cases[] = {
        {"http://127.0.0.1:" + port + "/x/y", "127.0.0.1", "/x/y"},
        {"http://127.0.0.1:" + port, "127.0.0.1", "/"},                        // no path: "/"
        {"http://ads.example.test:" + port + "/a?b=c", "ads.example.test", "/a?b=c"}, // no port in Host
        {"127.0.0.1:" + port + "/bare", "127.0.0.1", "/bare"},                 // no scheme
    };
    size_t requests = 0;
    for (const Case& c : cases) {
        HTTPTransfer transfer;
        transfer.Get(c.url);
        EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultNotFound) << c.url;
        ASSERT_TRUE(server.WaitForRequests(++requests, 5000));
        EXPECT_EQ(server.Requests().back(),
                  "GET " + c.path + kFixedHeaders + c.host + "\r\nConnection: close\r\n\r\n")
            << c.url;
        EXPECT_EQ(transfer.GetHost(), c.host);
        EXPECT_EQ(transfer.GetPort(), server.Port());
        EXPECT_EQ(transfer.GetPath(), c.path);
    }
}

TEST_F(HTTPTransferTest, UrlPartsAndPortWithoutNetwork)
{
    const LoopbackResolver resolver("none"); // every name below fails to resolve
    struct Case {
        const char* url;
        const char* scheme;
        const char* host;
        int port;
        const char* path;
    };
    const Case cases[] = {
        {"http://a.b:8080/x/y", "http", "a.b", 8080, "/x/y"},
        {"http://a.b/x", "http", "a.b", 80, "/x"},
        {"http://a.b", "http", "a.b", 80, "/"},
        {"ftp://h:21", "ftp", "h", 21, "/"},
    };
    for (const Case& c : cases) {
        HTTPTransfer transfer;
        transfer.Get(c.url);
        EXPECT_EQ(transfer.GetScheme(), c.scheme) << c.url;
        EXPECT_EQ(transfer.GetHost(), c.host) << c.url;
        EXPECT_EQ(transfer.GetPort(), c.port) << c.url;
        EXPECT_EQ(transfer.GetPath(), c.path) << c.url;
        EXPECT_EQ(transfer.GetURL(), c.url);
        EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultHostNotFound) << c.url;
    }
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(HTTPTransferTest, SendRequestSendsTheCallersTextUnchanged)
{
    const std::string post = "POST /report HTTP/1.0\r\nHost: crash\r\nContent-Length: 11\r\n\r\nhello=world";
    server.SetReply("/report", LoopbackHttpServer::Ok("thanks"));
    const LoopbackResolver resolver("none"); // "old" resolves to nothing
    HTTPTransfer transfer;
    transfer.GetRelative("http://old/", "stale");
    transfer.SendRequest(server.Url("/report"), post);
    EXPECT_TRUE(transfer.GetBaseURL().empty());
    EXPECT_TRUE(transfer.GetRelativeURL().empty());
    EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultDone);
    EXPECT_EQ(transfer.GetContent(), "thanks");
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    EXPECT_EQ(server.Requests(), std::vector<std::string>{post});
}

TEST(HTTPTransferUrlTest, GetAbsURL)
{
    struct Case {
        const char* base;
        const char* relative;
        const char* expected;
    };
    const Case cases[] = {
        {"http://h/dir/list.txt", "http://other/x", "http://other/x"},
        {"http://h/dir/list.txt", "/top.png", "http://h/top.png"},
        {"http://h:81", "/top.png", "http://h:81/top.png"},
        {"http://h/dir/list.txt", "a/b.png", "http://h/dir/a/b.png"},
        {"http://h/dir/", "b.png", "http://h/dir/b.png"},
        {"http://h", "b.png", "http://h/b.png"}, // last '/' inside the scheme
        {"h", "b.png", "h/b.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lumo::GetAbsURL(c.base, c.relative), c.expected) << c.base << " + " << c.relative;
}

TEST_F(HTTPTransferTest, GetRelativeFetchesBesideTheBase)
{
    server.SetReply("/ads/pics/a.png", LoopbackHttpServer::Ok("PNG"));
    HTTPTransfer transfer;
    transfer.GetRelative(server.Url("/ads/list.txt"), "pics/a.png");
    EXPECT_EQ(transfer.GetBaseURL(), server.Url("/ads/list.txt"));
    EXPECT_EQ(transfer.GetRelativeURL(), "pics/a.png");
    EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultDone);
    EXPECT_EQ(transfer.GetContent(), "PNG");
}

// ---- Responses and result codes

TEST_F(HTTPTransferTest, ResponsesEndWithTheirResultAndBody)
{
    const std::string big = Body(3000);
    struct Case {
        const char* name;
        Reply reply;
        int result;
        std::string content;
    };
    auto pieces = [](Reply reply, size_t size) {
        reply.pieceSize = size;
        return reply;
    };
    const Case cases[] = {
        {"length", LoopbackHttpServer::Ok("hello"), HTTPTransfer::kResultDone, "hello"},
        {"length, bytes beyond it ignored",
         LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n", "abcdef"), HTTPTransfer::kResultDone,
         "abc"},
        {"length, sent in small pieces", pieces(LoopbackHttpServer::Ok(big), 97), HTTPTransfer::kResultDone, big},
        {"chunked 5 + 3 + 0",
         pieces(LoopbackHttpServer::Raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n",
                                        "5\r\nabcde\r\n3\r\nfgh\r\n0\r\n\r\n"),
                3),
         HTTPTransfer::kResultDone, "abcdefgh"},
        {"chunked by any encoding but identity, sizes in hex with extensions",
         LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nTransfer-Encoding: gzip\r\n",
                                 "A;x=1\r\n0123456789\r\n 1 \r\n!\r\n0\r\n\r\n"),
         HTTPTransfer::kResultDone, "0123456789!"},
        {"until close", pieces(LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\n", big), 500), HTTPTransfer::kResultDone,
         big},
        {"identity until close", LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nTransfer-Encoding: identity\r\n", "xyz"),
         HTTPTransfer::kResultDone, "xyz"},
        {"404", LoopbackHttpServer::Raw("HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n", "gone"),
         HTTPTransfer::kResultNotFound, ""},
        {"redirect, not followed",
         LoopbackHttpServer::Raw("HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 0\r\n", ""),
         HTTPTransfer::kResultBadStatus, ""},
        {"500", LoopbackHttpServer::Raw("HTTP/1.1 500 Oops\r\n", "x"), HTTPTransfer::kResultBadStatus, ""},
        {"status line without a status", LoopbackHttpServer::Raw("HTTP/1.0\r\n", "x"),
         HTTPTransfer::kResultBadStatus, ""},
        // A response cut short is a failure, whatever arrived of it.
        {"closed before the length",
         LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n", "only ten.."),
         HTTPTransfer::kResultIncomplete, "only ten.."},
        {"closed before the last chunk",
         LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nTransfer-Encoding: chunked\r\n", "3\r\nabc\r\n"),
         HTTPTransfer::kResultIncomplete, "abc"},
        {"closed inside a chunk",
         LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nTransfer-Encoding: chunked\r\n", "9\r\nabc"),
         HTTPTransfer::kResultIncomplete, "abc"},
        {"chunk size that does not parse",
         LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nTransfer-Encoding: chunked\r\n", "3\r\nabc\r\nzz\r\nmore"),
         HTTPTransfer::kResultIncomplete, "abc"},
        {"empty chunk size line",
         LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nTransfer-Encoding: chunked\r\n", "\r\n"),
         HTTPTransfer::kResultIncomplete, ""},
        {"closed inside the header", Reply{"HTTP/1.0 200 OK\r\nContent-Le", Ending::Close, 0},
         HTTPTransfer::kResultIncomplete, ""},
        {"closed without a byte", Reply{"", Ending::Close, 0}, HTTPTransfer::kResultIncomplete, ""},
        {"reset inside a body with a length",
         LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n", "0123456789", Ending::Reset),
         HTTPTransfer::kResultIncomplete, ""},
        {"reset inside a body read until close",
         LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\n", "0123456789", Ending::Reset), HTTPTransfer::kResultIncomplete,
         ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string path = "/case" + std::to_string(index++);
        server.SetReply(path, c.reply);
        HTTPTransfer transfer;
        transfer.Get(server.Url(path));
        EXPECT_EQ(Finish(transfer), c.result) << c.name;
        // After a reset, how much of the body arrived first is up to the timing.
        if (c.reply.ending != Ending::Reset) {
            EXPECT_EQ(transfer.GetContent(), c.content) << c.name;
        }
    }
}

TEST_F(HTTPTransferTest, ContentLengthIsReadFromTheHeader)
{
    server.SetReply("/l", LoopbackHttpServer::Ok("12345678"));
    HTTPTransfer transfer;
    EXPECT_EQ(transfer.GetContentLength(), 0);
    transfer.Get(server.Url("/l"));
    EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultDone);
    EXPECT_EQ(transfer.GetContentLength(), 8);
}

TEST_F(HTTPTransferTest, ConnectionAndNameFailures)
{
    {
        HTTPTransfer transfer;
        transfer.Get("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::UnusedPort()) + "/x");
        EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultConnectFailed);
    }
    {
        HTTPTransfer transfer;
        transfer.Get("http://127.0.0.1:0/x"); // a port no connection can reach
        EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultConnectFailed);
    }
    {
        const LoopbackResolver resolver("known.test");
        HTTPTransfer transfer;
        transfer.Get("http://unknown.test:" + std::to_string(server.Port()) + "/x");
        EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultHostNotFound);
        transfer.Get("http:///nohost");
        EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultHostNotFound);
    }
    EXPECT_TRUE(server.Requests().empty());
}

// ---- Life cycle

TEST_F(HTTPTransferTest, IdleUntilStartedAndAfterReset)
{
    server.SetReply("/a", LoopbackHttpServer::Ok("first"));
    HTTPTransfer transfer;
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultIdle);
    EXPECT_EQ(transfer.GetContent(), "");
    const int firstId = transfer.GetTransferId();

    transfer.Get(server.Url("/a"));
    EXPECT_NE(transfer.GetTransferId(), firstId);
    EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultDone);
    EXPECT_EQ(transfer.GetContent(), "first");

    const int startedId = transfer.GetTransferId();
    transfer.Reset();
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultIdle);
    EXPECT_EQ(transfer.GetContent(), "");
    EXPECT_TRUE(transfer.GetURL().empty());
    EXPECT_NE(transfer.GetTransferId(), startedId);

    // The same object serves the next request.
    server.SetReply("/b", LoopbackHttpServer::Ok("second"));
    transfer.Get(server.Url("/b"));
    transfer.WaitFor();
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultDone);
    EXPECT_EQ(transfer.GetContent(), "second");
}

TEST_F(HTTPTransferTest, ResetAndDestructionStopARunningWorker)
{
    // The server sends half a response and then keeps the connection open.
    server.SetReply("/hang", LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n", "12345",
                                                     Ending::Hold));
    HTTPTransfer transfer;
    transfer.Get(server.Url("/hang"));
    ASSERT_TRUE(server.WaitForRequests(1, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultBusy);
    EXPECT_EQ(transfer.GetContent(), ""); // nothing while busy

    const auto start = SteadyClock::now();
    transfer.Reset();
    EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultIdle);
    EXPECT_EQ(transfer.GetContent(), "");

    auto owned = std::make_unique<HTTPTransfer>();
    owned->Get(server.Url("/hang"));
    ASSERT_TRUE(server.WaitForRequests(2, 5000));
    const auto destroyStart = SteadyClock::now();
    owned.reset();
    EXPECT_LT(SteadyClock::now() - destroyStart, std::chrono::seconds(2));
}

TEST_F(HTTPTransferTest, ManyTransfersAtOnce)
{
    const std::string body = Body(5000);
    server.SetReply("/same", LoopbackHttpServer::Ok(body));
    HTTPTransfer transfers[6];
    for (HTTPTransfer& transfer : transfers)
        transfer.Get(server.Url("/same"));
    for (HTTPTransfer& transfer : transfers) {
        EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultDone);
        EXPECT_EQ(transfer.GetContent(), body);
    }
}

// ---- Demo records

// One transfer record as the demo stream holds it.
struct HttpRecord {
    int delta = 0;
    int id = 0;
    int result = 0;
    std::string content;
};

void WriteRecord(Lumo::Buffer& demo, const HttpRecord& record)
{
    demo.WriteNumBits(record.delta, 4);
    demo.WriteNumBits(0, 1); // long form
    demo.WriteNumBits(HTTPTransfer::kDemoCommand, 5);
    demo.WriteLong(record.id);
    demo.WriteByte(static_cast<uint8_t>(record.result));
    demo.WriteLong(static_cast<int>(record.content.size()));
    demo.WriteBytes(reinterpret_cast<const uint8_t*>(record.content.data()), static_cast<int>(record.content.size()));
}

HttpRecord ReadRecord(Lumo::Buffer& demo)
{
    HttpRecord record;
    record.delta = demo.ReadNumBits(4, false);
    EXPECT_EQ(demo.ReadNumBits(1, false), 0);
    EXPECT_EQ(demo.ReadNumBits(5, false), HTTPTransfer::kDemoCommand);
    record.id = demo.ReadLong();
    record.result = demo.ReadByte();
    const int length = demo.ReadLong();
    record.content.resize(static_cast<size_t>(length));
    demo.ReadBytes(reinterpret_cast<uint8_t*>(record.content.data()), length);
    return record;
}

TEST_F(HTTPTransferTest, RecordingWritesEveryResultChangeWithTheWholeBody)
{
    const std::string body = Body(40000); // beyond what a 16-bit length holds
    // Sent in pieces with pauses: the transfer is surely still busy when first polled.
    Reply reply = LoopbackHttpServer::Ok(body);
    reply.pieceSize = 4096;
    server.SetReply("/big", reply);
    TestApp app;
    app.recordingDemo = true;
    app.updateCount = 3;
    app.demoNextUpdate = 0;

    HTTPTransfer transfer;
    transfer.UpdateStatus(); // idle, as last recorded: nothing
    EXPECT_EQ(app.demoBuffer.GetDataLen(), 0);
    transfer.Get(server.Url("/big"));
    transfer.UpdateStatus();
    EXPECT_EQ(Finish(transfer), HTTPTransfer::kResultDone);
    transfer.UpdateStatus(); // unchanged: nothing more

    app.demoBuffer.SeekFront();
    const HttpRecord busy = ReadRecord(app.demoBuffer);
    EXPECT_EQ(busy.delta, 3);
    EXPECT_EQ(busy.id, transfer.GetTransferId());
    EXPECT_EQ(busy.result, HTTPTransfer::kResultBusy);
    EXPECT_EQ(busy.content, "");
    const HttpRecord done = ReadRecord(app.demoBuffer);
    EXPECT_EQ(done.delta, 0);
    EXPECT_EQ(done.id, transfer.GetTransferId());
    EXPECT_EQ(done.result, HTTPTransfer::kResultDone);
    EXPECT_EQ(done.content, body);
    EXPECT_TRUE(app.demoBuffer.AtEnd());
}

TEST_F(HTTPTransferTest, PlaybackTakesResultsFromTheRecordsOfTheRightTransfer)
{
    TestApp app;
    app.playingDemo = true;
    app.demoBitsPending = true;
    app.updateCount = 0;
    app.demoNextUpdate = 0;

    HTTPTransfer first;
    HTTPTransfer second;
    first.Get(server.Url("/never"));
    second.Get(server.Url("/never"));
    const std::string body = Body(40000);
    // Update 2: the second transfer is done; in the same update the first gets a 404.
    WriteRecord(app.demoBuffer, {2, second.GetTransferId(), HTTPTransfer::kResultDone, body});
    WriteRecord(app.demoBuffer, {0, first.GetTransferId(), HTTPTransfer::kResultNotFound, ""});

    app.updateCount = 1; // not due yet
    first.UpdateStatus();
    second.UpdateStatus();
    EXPECT_EQ(first.GetResult(), HTTPTransfer::kResultBusy);
    EXPECT_EQ(second.GetResult(), HTTPTransfer::kResultBusy);
    EXPECT_EQ(second.GetContent(), "");

    app.updateCount = 2;
    first.UpdateStatus(); // the due record is the second's: it stays for it
    EXPECT_EQ(first.GetResult(), HTTPTransfer::kResultBusy);
    first.WaitFor(); // returns: nothing else can end it now
    EXPECT_EQ(first.GetResult(), HTTPTransfer::kResultBusy);
    second.UpdateStatus();
    EXPECT_EQ(second.GetResult(), HTTPTransfer::kResultDone);
    EXPECT_EQ(second.GetContent(), body);
    first.UpdateStatus();
    EXPECT_EQ(first.GetResult(), HTTPTransfer::kResultNotFound);
    EXPECT_TRUE(app.demoBuffer.AtEnd());

    // Past the end of the stream a started transfer simply stays busy.
    first.Get(server.Url("/never"));
    first.UpdateStatus();
    EXPECT_EQ(first.GetResult(), HTTPTransfer::kResultBusy);
    first.Reset();
    EXPECT_EQ(first.GetResult(), HTTPTransfer::kResultIdle);

    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(server.Requests().empty()); // playback never touches the network
}

TEST_F(HTTPTransferTest, PlaybackLeavesOtherRecordsAlone)
{
    TestApp app;
    app.playingDemo = true;
    app.demoBitsPending = true;
    app.updateCount = 0;
    app.demoNextUpdate = 0;
    HTTPTransfer transfer;
    transfer.Get(server.Url("/never"));

    // A due record of another command (a file read, command 15, long form).
    app.demoBuffer.WriteNumBits(0, 4);
    app.demoBuffer.WriteNumBits(0, 1);
    app.demoBuffer.WriteNumBits(15, 5);
    app.demoBuffer.WriteNumBits(0, 1);
    transfer.UpdateStatus();
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultBusy);
    EXPECT_FALSE(app.demoBitsPending); // the header waits for its own reader
    EXPECT_EQ(app.demoCommand, 15);

    // Its reader takes it; a short-form record (a mouse button) is not ours either.
    app.demoBuffer.ReadNumBits(1, false);
    app.demoBitsPending = true;
    app.demoBuffer.WriteNumBits(0, 4);
    app.demoBuffer.WriteNumBits(1, 1);
    app.demoBuffer.WriteNumBits(1, 1);
    app.demoBuffer.WriteNumBits(0, 4);
    transfer.UpdateStatus();
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultBusy);
    EXPECT_TRUE(app.demoShortForm);
}

} // namespace
