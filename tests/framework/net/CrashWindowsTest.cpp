// The crash windows driven like a player would: clicks and typing posted to
// the message queue, a test clock for the progress window's timers, the
// upload going to a server on 127.0.0.1.
#include "framework/net/CrashReportWindows.h"

#include "support/FakeWindowSystem.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualClock.h"

#include "platform/window/EventPump.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Lumo::CrashReportFlow;
using Lumo::CrashReportWindows;
using Pane = CrashReportWindows::Pane;
using LumoTest::FakeWindow;
using LumoTest::LoopbackHttpServer;

class CrashWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { Plat::GetEventPump().Clear(); }
    void TearDown() override { Plat::GetEventPump().Clear(); }

    CrashReportFlow::Setup MakeSetup(const std::string& host, bool registered = true) const
    {
        CrashReportFlow::Setup setup;
        setup.host = host;
        setup.registered = registered;
        setup.messageText = "An unexpected error has occured!";
        setup.submitText = "Please help out.";
        setup.form.product = "Tavoro";
        return setup;
    }

    void Click(CrashReportWindows& windows, Pane pane, int button)
    {
        const Lumo::TRect<int> rect = windows.ButtonRect(pane, button);
        ASSERT_GT(rect.mWidth, 0);
        const intptr_t at = Plat::MakeLParam(rect.mX + rect.mWidth / 2, rect.mY + rect.mHeight / 2);
        Plat::Window* window = windows.GetWindow(pane);
        Plat::GetEventPump().PostMessage({window, Plat::kWmLButtonDown, 0, at});
        Plat::GetEventPump().PostMessage({window, Plat::kWmLButtonUp, 0, at});
    }

    void Type(CrashReportWindows& windows, const std::string& text)
    {
        for (const char c : text)
            Plat::GetEventPump().PostMessage(
                {windows.GetWindow(Pane::Details), Plat::kWmChar, static_cast<uint8_t>(c), 0});
    }

    // Steps with the clock advancing 20 ms a step until the windows end
    // (a real-time bound of 10 s).
    bool StepUntilDone(CrashReportWindows& windows)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            clock.Advance(20);
            if (!windows.Step())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    const FakeWindow* Live(const std::string& title) const
    {
        for (const FakeWindow* window : system.live) {
            if (window->title == title)
                return window;
        }
        return nullptr;
    }

    LumoTest::FakeWindowSystem system;
    ManualClock clock{5000};
    Lumo::HTTPTransfer transfer;
    LoopbackHttpServer server;
};

TEST_F(CrashWindowsTest, CrashWindowLayoutAndCloseNow)
{
    CrashReportFlow flow(transfer, MakeSetup("errors.test"), nullptr);
    CrashReportWindows windows(flow, "Exception: Access Violation\r\nline 2\r\n");
    ASSERT_TRUE(windows.Step());
    const FakeWindow* crash = Live("Fatal Error!");
    ASSERT_NE(crash, nullptr);
    EXPECT_EQ(crash->ClassName(), "SEHWindow");
    EXPECT_EQ(crash->Style(), 0x82CA0000u);
    EXPECT_EQ(crash->GetClientRect().Width(), 400);
    EXPECT_EQ(crash->GetClientRect().Height(), 300);
    EXPECT_EQ(windows.ButtonRect(Pane::Crash, CrashReportWindows::kFirstButton), Lumo::TRect<int>(8, 268, 188, 24));
    EXPECT_EQ(windows.ButtonRect(Pane::Crash, CrashReportWindows::kSecondButton),
              Lumo::TRect<int>(204, 268, 188, 24));
    // The picture shows something in the report field besides its white.
    const Lumo::MemoryImage* picture = windows.Picture(Pane::Crash);
    ASSERT_NE(picture, nullptr);

    Click(windows, Pane::Crash, CrashReportWindows::kSecondButton);
    EXPECT_FALSE(windows.Step());
    EXPECT_EQ(Live("Fatal Error!"), nullptr);
    EXPECT_EQ(flow.Uploads(), 0);
}

TEST_F(CrashWindowsTest, WithoutHostOneWideCloseButtonAndUnregisteredSendIsDisabled)
{
    CrashReportFlow none(transfer, MakeSetup(""), nullptr);
    CrashReportWindows plain(none, "r");
    plain.Step();
    EXPECT_EQ(plain.ButtonRect(Pane::Crash, CrashReportWindows::kFirstButton), Lumo::TRect<int>());
    EXPECT_EQ(plain.ButtonRect(Pane::Crash, CrashReportWindows::kSecondButton), Lumo::TRect<int>(8, 268, 384, 24));

    CrashReportFlow early(transfer, MakeSetup("errors.test", false), nullptr);
    CrashReportWindows windows(early, "r");
    windows.Step();
    EXPECT_FALSE(windows.ButtonEnabled(Pane::Crash, CrashReportWindows::kFirstButton));
    Click(windows, Pane::Crash, CrashReportWindows::kFirstButton);
    EXPECT_TRUE(windows.Step());
    EXPECT_EQ(early.GetScreen(), CrashReportFlow::Screen::Crash);
}

TEST_F(CrashWindowsTest, SendThenAbortSendsNothing)
{
    CrashReportFlow flow(transfer, MakeSetup("errors.test"), nullptr);
    CrashReportWindows windows(flow, "r");
    windows.Step();
    Click(windows, Pane::Crash, CrashReportWindows::kFirstButton);
    ASSERT_TRUE(windows.Step());
    EXPECT_FALSE(windows.IsShown(Pane::Crash));
    EXPECT_TRUE(windows.IsShown(Pane::Details));
    ASSERT_NE(Live("Error Details"), nullptr);
    Click(windows, Pane::Details, CrashReportWindows::kSecondButton);
    EXPECT_FALSE(windows.Step());
    EXPECT_EQ(flow.Uploads(), 0);
}

TEST_F(CrashWindowsTest, TypedTextIsSentOnContinue)
{
    server.SetReply("/oribel_error.php", LoopbackHttpServer::Ok("ok"));
    CrashReportFlow flow(transfer, MakeSetup("127.0.0.1:" + std::to_string(server.Port())), nullptr);
    CrashReportWindows windows(flow, "r");
    windows.Step();
    Click(windows, Pane::Crash, CrashReportWindows::kFirstButton);
    windows.Step();
    Type(windows, "It froze\rthenX\b!");
    windows.Step();
    EXPECT_EQ(windows.DetailsText(), "It froze\r\nthen!");
    Click(windows, Pane::Details, CrashReportWindows::kFirstButton);
    ASSERT_TRUE(windows.Step());
    EXPECT_TRUE(windows.IsShown(Pane::Progress));
    EXPECT_NE(Live("Submitting Report"), nullptr);
    EXPECT_EQ(windows.StatusText(), "Please Wait");
    ASSERT_TRUE(StepUntilDone(windows));
    ASSERT_TRUE(server.WaitForRequests(1, 2000));
    EXPECT_NE(server.Requests()[0].find("name=\"usertext\"\r\n\r\nIt froze\r\nthen!\r\n"), std::string::npos);
}

TEST_F(CrashWindowsTest, ProgressDotsAndAbort)
{
    server.SetReply("/oribel_error.php", LoopbackHttpServer::Raw("", "", LoopbackHttpServer::Ending::Hold));
    CrashReportFlow flow(transfer, MakeSetup("127.0.0.1:" + std::to_string(server.Port())), nullptr);
    CrashReportWindows windows(flow, "r");
    windows.Step();
    Click(windows, Pane::Crash, CrashReportWindows::kFirstButton);
    windows.Step();
    Click(windows, Pane::Details, CrashReportWindows::kFirstButton);
    windows.Step();
    for (int step = 0; step < 600; ++step) {
        clock.Advance(20);
        ASSERT_TRUE(windows.Step());
    }
    EXPECT_EQ(windows.StatusText(), "Please Wait . .");
    Click(windows, Pane::Progress, CrashReportWindows::kSecondButton);
    EXPECT_TRUE(StepUntilDone(windows));
    EXPECT_EQ(transfer.GetResult(), Lumo::HTTPTransfer::kResultAborted);
}

TEST_F(CrashWindowsTest, ReportScrollsAndClosingEnds)
{
    std::string report;
    for (int i = 0; i < 100; ++i)
        report += "line " + std::to_string(i) + "\r\n";
    CrashReportFlow flow(transfer, MakeSetup(""), nullptr);
    CrashReportWindows windows(flow, report);
    windows.Step();
    Plat::Window* crash = windows.GetWindow(Pane::Crash);
    Plat::GetEventPump().PostMessage(
        {crash, Plat::kWmMouseWheel, static_cast<uintptr_t>(Plat::MakeLParam(0, -2 * Plat::kWheelDelta)), 0});
    windows.Step();
    EXPECT_EQ(windows.ReportScroll(), 6);
    Plat::GetEventPump().PostMessage({crash, Plat::kWmKeyDown, static_cast<uintptr_t>(Plat::kVkUp), 0});
    windows.Step();
    EXPECT_EQ(windows.ReportScroll(), 5);
    Plat::GetEventPump().PostMessage({crash, Plat::kWmClose, 0, 0});
    EXPECT_FALSE(windows.Step());
}

} // namespace
