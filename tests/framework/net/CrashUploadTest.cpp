// The crash report's upload: the exact request bytes, and the windows'
// flow around it against a server on 127.0.0.1, with the windows' timers
// driven by a test clock.
#include "framework/net/CrashReportFlow.h"
#include "framework/net/CrashUpload.h"

#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using Lumo::CrashReportFlow;
using Lumo::HTTPTransfer;
using Screen = CrashReportFlow::Screen;
using LumoTest::LoopbackHttpServer;

const std::string kB = "---------------------------7d3e1f30eec";

TEST(CrashUploadTest, BodyAndRequestBytes)
{
    Lumo::CrashUploadForm form;
    form.extraFields = {{"referid", "R"}, {"buildnum", "7"}};
    form.product = "Tavoro";
    form.version = "1.0";
    form.userText = "it broke";
    form.errorTitle = "Exception at 000F:00000010";
    form.errorText = "report\r\n";
    form.attach = true;
    form.attachment = std::string("D\0M\r\n", 5);
    const std::string body = Lumo::BuildCrashUploadBody(form);
    const std::string expected =
        "--" + kB + "\r\nContent-Disposition: form-data; name=\"buildnum\"\r\n\r\n7\r\n" + "--" + kB +
        "\r\nContent-Disposition: form-data; name=\"referid\"\r\n\r\nR\r\n" + "--" + kB +
        "\r\nContent-Disposition: form-data; name=\"prod\"\r\n\r\nTavoro\r\n" + "--" + kB +
        "\r\nContent-Disposition: form-data; name=\"version\"\r\n\r\n1.0\r\n" + "--" + kB +
        "\r\nContent-Disposition: form-data; name=\"usertext\"\r\n\r\nit broke\r\n" + "--" + kB +
        "\r\nContent-Disposition: form-data; name=\"errortitle\"\r\n\r\nException at 000F:00000010\r\n" + "--" + kB +
        "\r\nContent-Disposition: form-data; name=\"errortext\"\r\n\r\nreport\r\n\r\n" + "--" + kB +
        "\r\nContent-Disposition: form-data; name=\"demofile\"; filename=\"quillo.dmo\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\n" +
        std::string("D\0M\r\n", 5) + "\r\n" + "--" + kB + "--\r\n";
    EXPECT_EQ(body, expected);

    const std::string request = Lumo::BuildCrashUploadRequest("errors.test:8080", body);
    const std::string head = "POST /oribel_error.php HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=" + kB +
                             "\r\nUser-Agent: Mozilla/4.0 (compatible; quillo)\r\nHost: errors.test:8080\r\n"
                             "Content-Length: " +
                             std::to_string(expected.size()) + "\r\nConnection: close\r\n\r\n";
    EXPECT_EQ(request, head + expected);

    // No attachment and no extra fields: five parts and the closing line.
    Lumo::CrashUploadForm plain;
    const std::string small = Lumo::BuildCrashUploadBody(plain);
    size_t parts = 0;
    for (size_t at = small.find("--" + kB + "\r\n"); at != std::string::npos;
         at = small.find("--" + kB + "\r\n", at + 1))
        ++parts;
    EXPECT_EQ(parts, 5u);
    EXPECT_EQ(small.substr(small.size() - kB.size() - 6), "--" + kB + "--\r\n");
}

class CrashFlowTest : public ::testing::Test {
protected:
    CrashReportFlow::Setup MakeSetup(const std::string& host) const
    {
        CrashReportFlow::Setup setup;
        setup.host = host;
        setup.registered = true;
        setup.connectFailedText = "Failed to connect to server.";
        setup.form.product = "Tavoro";
        setup.form.errorText = "report";
        return setup;
    }

    // Steps the test clock 20 ms at a time until the flow is done or the
    // real-time bound passes; returns the test clock.
    uint32_t RunUntilDone(CrashReportFlow& flow, uint32_t now)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (flow.GetScreen() != Screen::Done && std::chrono::steady_clock::now() < deadline) {
            now += 20;
            flow.Update(now);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return now;
    }

    std::string Host() const { return "127.0.0.1:" + std::to_string(server.Port()); }

    LoopbackHttpServer server;
    HTTPTransfer transfer;
    std::vector<std::string> asked;
};

TEST_F(CrashFlowTest, ButtonsOfTheCrashWindow)
{
    CrashReportFlow none(transfer, MakeSetup(""), nullptr);
    EXPECT_FALSE(none.HasSendButton());
    none.SendReport();
    EXPECT_EQ(none.GetScreen(), Screen::Crash);
    none.CloseNow();
    EXPECT_EQ(none.GetScreen(), Screen::Done);

    CrashReportFlow::Setup unregistered = MakeSetup(Host());
    unregistered.registered = false;
    CrashReportFlow disabled(transfer, unregistered, nullptr);
    EXPECT_TRUE(disabled.HasSendButton());
    EXPECT_FALSE(disabled.SendEnabled());
    disabled.SendReport();
    EXPECT_EQ(disabled.GetScreen(), Screen::Crash);

    CrashReportFlow flow(transfer, MakeSetup(Host()), nullptr);
    flow.SendReport();
    EXPECT_EQ(flow.GetScreen(), Screen::Details);
    flow.AbortDetails();
    EXPECT_EQ(flow.GetScreen(), Screen::Done);
    EXPECT_EQ(flow.Uploads(), 0);
}

TEST_F(CrashFlowTest, ContinueSendsOnceAndEndsOn200)
{
    server.SetReply("/oribel_error.php", LoopbackHttpServer::Ok("thanks"));
    CrashReportFlow flow(transfer, MakeSetup(Host()), nullptr);
    flow.SendReport();
    flow.Continue(std::string(9000, 'u'));
    EXPECT_EQ(flow.GetScreen(), Screen::Progress);
    RunUntilDone(flow, 1000);
    EXPECT_EQ(flow.GetScreen(), Screen::Done);
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultDone);
    ASSERT_TRUE(server.WaitForRequests(1, 2000));
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], flow.LastRequest());
    // The player's text is cut at 8191 characters.
    EXPECT_NE(flow.LastRequest().find(std::string(8191, 'u') + "\r\n--"), std::string::npos);
    EXPECT_EQ(flow.LastRequest().find(std::string(8192, 'u')), std::string::npos);
}

TEST_F(CrashFlowTest, FailureAsksToRetryThenCancels)
{
    server.SetReply("/oribel_error.php", LoopbackHttpServer::Raw("HTTP/1.0 500 Oops\r\n", "no"));
    int answers = 0;
    CrashReportFlow flow(transfer, MakeSetup(Host()), [&](const std::string& text) {
        asked.push_back(text);
        return ++answers == 1; // retry once, then cancel
    });
    flow.SendReport();
    flow.Continue("text");
    RunUntilDone(flow, 0);
    EXPECT_EQ(flow.GetScreen(), Screen::Done);
    EXPECT_EQ(asked, (std::vector<std::string>{"Failed to connect to server.", "Failed to connect to server."}));
    EXPECT_EQ(flow.Uploads(), 2);
    EXPECT_TRUE(server.WaitForRequests(2, 2000));
    EXPECT_EQ(server.Requests()[0], server.Requests()[1]);
}

TEST_F(CrashFlowTest, AbortEndsWithResultFiveAndDotsCountSeconds)
{
    // The server holds the connection: the upload never ends by itself.
    server.SetReply("/oribel_error.php", LoopbackHttpServer::Raw("", "", LoopbackHttpServer::Ending::Hold));
    CrashReportFlow flow(transfer, MakeSetup(Host()), nullptr);
    flow.SendReport();
    flow.Continue("");
    uint32_t now = 5000;
    flow.Update(now); // the timers start
    EXPECT_EQ(flow.StatusText(), "Please Wait");
    for (int step = 0; step < 600; ++step) // 12 s in 20 ms steps
        flow.Update(now += 20);
    EXPECT_EQ(flow.ProgressSeconds(), 12);
    EXPECT_EQ(flow.StatusText(), "Please Wait . .");
    EXPECT_EQ(flow.GetScreen(), Screen::Progress);

    flow.AbortUpload();
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultAborted);
    flow.Update(now += 20);
    EXPECT_EQ(flow.GetScreen(), Screen::Done);
}

TEST(CrashTransferTest, AbortKeepsResultFiveAndResetGoesIdle)
{
    LoopbackHttpServer server;
    server.SetReply("/", LoopbackHttpServer::Raw("", "", LoopbackHttpServer::Ending::Hold));
    HTTPTransfer transfer;
    transfer.Get(server.Url("/"));
    transfer.Abort();
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultAborted);
    // Aborting early, before the worker ran at all, is not lost either.
    transfer.SendRequest("127.0.0.1:" + std::to_string(server.Port()), "x");
    transfer.Abort();
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultAborted);
    transfer.Reset();
    EXPECT_EQ(transfer.GetResult(), HTTPTransfer::kResultIdle);
}

} // namespace
