// Web pages: the browser request and its bookkeeping, filling templates,
// and the page files a template leaves in the user-data folder.
#include "framework/app/HtmlTemplate.h"
#include "framework/app/LumoApp.h"
#include "framework/core/AppDataFolder.h"

#include "support/FakeUrlOpener.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace {

using LumoTest::FakeUrlOpener;
using Vars = std::map<std::string, std::string>;

// Counts the completions the browser request reports.
class WebApp : public Lumo::LumoApp {
public:
    void UrlOpenError(const std::string& url) override
    {
        errors.push_back(url);
        LumoApp::UrlOpenError(url);
    }
    std::vector<std::string> errors;
};

TEST(WebPagesTest, SubstituteVariablesTable)
{
    struct Case {
        const char* title;
        std::string text;
        Vars vars;
        std::string expected;
    };
    const Case cases[] = {
        {"two variables", "Build %buildnum% of %builddate%", {{"buildnum", "7"}, {"builddate", "Jan 1"}},
         "Build 7 of Jan 1"},
        {"an unknown name vanishes with its signs", "a%nope%b", {}, "ab"},
        {"a single sign stays", "100% sure", {{"x", "y"}}, "100% sure"},
        {"no signs", "plain", {}, "plain"},
        {"a value with signs is read again", "%a%", {{"a", "%b%!"}, {"b", "B"}}, "B!"},
        {"the pair is found from the left", "50% off %x%", {}, "50x%"},
        {"an empty name", "%%", {{"", "E"}}, "E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(Lumo::SubstituteVariables(c.text, c.vars), c.expected);
    }
}

TEST(WebPagesTest, SubstitutionEndsOnSelfReferenceAndDoubling)
{
    // A value naming itself: the same text forever without the bound.
    EXPECT_EQ(Lumo::SubstituteVariables("<%a%>", {{"a", "%a%"}}), "<%a%>");
    // Each round brings the name back twice: 1000 rounds at most.
    EXPECT_EQ(Lumo::SubstituteVariables("%a%", {{"a", "%a%%a%"}}).size(), 3u + 3u * Lumo::kMaxSubstitutions);
    // Each round adds 4000 bytes: stopped before the line passes 1 MiB.
    const std::string grown = Lumo::SubstituteVariables("%a%", {{"a", "%a%" + std::string(4000, 'g')}});
    EXPECT_LE(grown.size(), Lumo::kMaxSubstitutedLine);
    EXPECT_GT(grown.size(), Lumo::kMaxSubstitutedLine - 4003);
    // A long line with many variables is filled completely below the bound.
    std::string line;
    std::string expected;
    for (int i = 0; i < 900; ++i) {
        line += "..%v%";
        expected += "..12345";
    }
    EXPECT_EQ(Lumo::SubstituteVariables(line, {{"v", "12345"}}), expected);
    // More variables than the bound: the rest stays as written.
    const std::string many = Lumo::SubstituteVariables(std::string(2000, '%'), {{"", ""}});
    EXPECT_EQ(many.size(), 0u + 2000 - 2 * Lumo::kMaxSubstitutions);
}

TEST(WebPagesTest, OpenUrlOncePerPendingUrlAndRefusals)
{
    FakeUrlOpener opener;
    WebApp app;
    EXPECT_TRUE(app.OpenURL("https://example.test/?a=1&b=2", false));
    EXPECT_TRUE(app.OpenURL("https://example.test/?a=1&b=2", true)); // the same one, still pending
    EXPECT_TRUE(app.urlOpenPending);
    EXPECT_FALSE(app.shutdownOnUrlOpen);
    FakeUrlOpener::WaitForHelpers();
    EXPECT_EQ(opener.Arguments(), std::vector<std::string>{"https://example.test/?a=1&b=2"});

    // Refused: reported at once, nothing started, nothing pending.
    EXPECT_FALSE(app.OpenURL("mailto:someone@example.test", true));
    EXPECT_FALSE(app.urlOpenPending);
    EXPECT_EQ(app.errors, std::vector<std::string>{"mailto:someone@example.test"});
    EXPECT_EQ(Plat::PendingUrlOpens(), 0);
    EXPECT_EQ(opener.Arguments().size(), 1u);
}

TEST(WebPagesTest, OpenedWithShutdownSuppressesTheExitPopup)
{
    FakeUrlOpener opener;
    Lumo::LumoApp app;
    ASSERT_TRUE(app.OpenURL("http://example.test/", true));
    app.UrlOpenDone("http://example.test/");
    EXPECT_FALSE(app.urlOpenPending);
    EXPECT_TRUE(app.noExitPopup);

    Lumo::LumoApp other;
    ASSERT_TRUE(other.OpenURL("http://example.test/other", false));
    other.UrlOpenDone("http://example.test/other");
    EXPECT_FALSE(other.noExitPopup);
}

class HtmlTemplateTest : public ::testing::Test {
protected:
    void SetUp() override { Lumo::SetAppDataFolder(tmp.Join("user data")); }
    void TearDown() override { Lumo::SetAppDataFolder(""); }

    std::vector<std::string> Pages() const
    {
        std::vector<std::string> names;
        const std::filesystem::path folder = tmp.Join("user data/temp");
        if (std::filesystem::exists(folder)) {
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                names.push_back(entry.path().filename().string());
        }
        return names;
    }

    TempFolder tmp;
    FakeUrlOpener opener;
    Lumo::LumoApp app;
};

TEST_F(HtmlTemplateTest, PageIsFilledWrittenAndOpened)
{
    // An older page goes; a folder or another file stays.
    tmp.Write("user data/temp/tpl1234.html", "old");
    tmp.Write("user data/temp/keep.txt", "keep");
    const std::string longLine(10000, 'x');
    const std::string path = tmp.Write("page.tpl", "<p>Build %buildnum% of %builddate%</p>\n" + longLine +
                                                       "%buildnum%\nlast line without end");
    ASSERT_TRUE(app.ShowHtmlTemplate(path, {{"buildnum", "7"}, {"builddate", "Jan 1"}}));
    FakeUrlOpener::WaitForHelpers();

    std::vector<std::string> pages = Pages();
    std::sort(pages.begin(), pages.end());
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], "keep.txt");
    const std::string page = pages[1];
    ASSERT_EQ(page.size(), 12u);
    EXPECT_EQ(page.substr(0, 3), "tpl");
    EXPECT_EQ(page.substr(7), ".html");
    EXPECT_EQ(tmp.Read("user data/temp/" + page),
              "<p>Build 7 of Jan 1</p>\n" + longLine + "7\nlast line without end\n");
    EXPECT_EQ(opener.Arguments(),
              std::vector<std::string>{"file://" + tmp.Path() + "/user%20data/temp/" + page});
}

TEST_F(HtmlTemplateTest, MissingTemplateOpensNothing)
{
    EXPECT_FALSE(app.ShowHtmlTemplate(tmp.Join("absent.tpl"), {}));
    EXPECT_TRUE(Pages().empty());
    EXPECT_EQ(Plat::PendingUrlOpens(), 0);
}

TEST_F(HtmlTemplateTest, UnreadableTemplateEndsThePage)
{
    // A folder opens but every read fails: no page goes to the browser and
    // the reading ends.
    tmp.MakeFolder("folder.tpl");
    EXPECT_FALSE(app.ShowHtmlTemplate(tmp.Join("folder.tpl"), {}));
    EXPECT_TRUE(Pages().empty());
    EXPECT_EQ(Plat::PendingUrlOpens(), 0);
}

} // namespace
