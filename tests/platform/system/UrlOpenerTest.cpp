// Handing addresses to the browser: which addresses go out and in what form,
// the helper's argument vector, its exit code, and that no helper is left
// behind unreaped.
#include "platform/system/UrlOpener.h"

#include "support/FakeUrlOpener.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sys/wait.h>

namespace {

using LumoTest::FakeUrlOpener;
using Plat::UrlOpenOutcome;

TEST(UrlOpenerTest, AcceptTable)
{
    struct Case {
        const char* url;
        const char* target; // "" = refused
    };
    const Case cases[] = {
        {"http://example.test/a?b=1&c=2", "http://example.test/a?b=1&c=2"},
        {"HTTPS://example.test/", "HTTPS://example.test/"},
        {"file:///tmp/page.html", "file:///tmp/page.html"},
        {"/tmp/My Pages/a&b.html", "file:///tmp/My%20Pages/a%26b.html"},
        {"/tmp/x'$`\\.html", "file:///tmp/x%27%24%60%5C.html"},
        {"/tmp/caf\xc3\xa9", "file:///tmp/caf%C3%A9"},
        {"", ""},
        {"http://", ""},
        {"ftp://example.test/", ""},
        {"javascript:alert(1)", ""},
        {"relative/page.html", ""},
        {"-h", ""},
        {"http://a.test/ b", ""},
        {"http://a.test/$(reboot)", ""},
        {"http://a.test/`id`", ""},
        {"http://a.test/\"x", ""},
        {"http://a.test/'x", ""},
        {"http://a.test/\\x", ""},
        {"http://a.test/\nx", ""},
        {"http://a.test/\x7f", ""},
        {"/tmp/line\nbreak", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(Plat::BrowserTarget(c.url), c.target);
    }
    EXPECT_TRUE(Plat::IsWebUrl("https://a.test/x"));
    EXPECT_FALSE(Plat::IsWebUrl("file:///etc/passwd"));
    EXPECT_FALSE(Plat::IsWebUrl("/tmp/page.html"));
}

TEST(UrlOpenerTest, HelperGetsTheAddressAsOneArgumentAndIsReaped)
{
    FakeUrlOpener opener;
    // A blank is refused before anything starts.
    EXPECT_FALSE(Plat::OpenUrl("http://example.test/find?q=a&b=c d"));
    ASSERT_TRUE(Plat::OpenUrl("http://example.test/find?q=a&b=c;d|e"));
    ASSERT_TRUE(Plat::OpenUrl("/tmp/two words.html"));
    EXPECT_EQ(FakeUrlOpener::WaitForHelpers(), UrlOpenOutcome::Opened);
    // The two helpers run side by side: either may log first.
    std::vector<std::string> arguments = opener.Arguments();
    std::sort(arguments.begin(), arguments.end());
    EXPECT_EQ(arguments,
              (std::vector<std::string>{"file:///tmp/two%20words.html", "http://example.test/find?q=a&b=c;d|e"}));
    EXPECT_EQ(Plat::PendingUrlOpens(), 0);
    // Nothing left for anyone to wait for: no zombie.
    int status = 0;
    errno = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(UrlOpenerTest, FailingHelperAndMissingHelper)
{
    {
        FakeUrlOpener opener;
        ScopedEnvironment failing("LUMO_FAKE_OPENER_EXIT", "3");
        ASSERT_TRUE(Plat::OpenUrl("https://example.test/"));
        EXPECT_EQ(FakeUrlOpener::WaitForHelpers(), UrlOpenOutcome::Failed);
    }
    {
        // No opener anywhere on the path: the spawn itself fails.
        ScopedEnvironment noPath("PATH", "/nonexistent-folder");
        EXPECT_FALSE(Plat::OpenUrl("https://example.test/"));
        EXPECT_EQ(Plat::PendingUrlOpens(), 0);
    }
    EXPECT_EQ(Plat::PollUrlOpens(), UrlOpenOutcome::None);
}

} // namespace
