// The product's partner properties: name, window mode and title from
// "properties\partner.xml" when it is there, nothing changed when it is not.
#include "framework/app/LumoApp.h"

#include "platform/files/FileSystem.h"
#include "support/TempFolder.h"
#include "support/WorkingFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

class PartnerApp : public Lumo::LumoApp {
public:
    bool CheckSignature(const Lumo::Buffer&, const std::string& fileName) override
    {
        checked = fileName;
        return true;
    }
    std::string checked;
};

TEST(ProductPropertiesTest, PartnerFileSetsNameWindowModeAndTitle)
{
    struct Case {
        const char* what;
        const char* properties; // null: no partner file
        bool screenSaver;
        const char* productName;
        bool windowed;
        const char* title;
        bool signatureChecked;
    };
    const Case cases[] = {
        {"all three", "<String id=\"ProdName\">Partner Game</String><String id=\"Title\">My Game</String>"
                      "<Boolean id=\"DefaultWindowed\">false</Boolean>",
         false, "Partner Game", false, "My Game 1.0", true},
        {"no title keeps the game's", "<String id=\"ProdName\">Partner Game</String>", false, "Partner Game", true,
         "Set by the game", true},
        {"an empty title keeps the game's", "<String id=\"Title\"></String>", false, "Own Name", true,
         "Set by the game", true},
        {"no partner file", nullptr, false, "Own Name", true, "Set by the game", false},
        {"screen saver: no signature asked", "<String id=\"Title\">Saver</String>", true, "Own Name", true,
         "Saver 1.0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        if (c.properties != nullptr) {
            temp.Write("properties/partner.xml",
                       std::string("<?xml version=\"1.0\"?>\r\n<Properties>") + c.properties + "</Properties>\r\n");
        }
        WorkingFolder working(temp.Path());
        PartnerApp app;
        app.productName = "Own Name";
        app.productVersion = "1.0";
        app.windowed = true;
        app.title = "Set by the game";
        app.isScreenSaver = c.screenSaver;
        app.PropertiesHook();
        EXPECT_EQ(app.productName, c.productName);
        EXPECT_EQ(app.windowed, c.windowed);
        EXPECT_EQ(app.title, c.title);
        EXPECT_EQ(!app.checked.empty(), c.signatureChecked) << app.checked;
    }
}

TEST(ProductPropertiesTest, CrashLinesAndFormFieldsCarryTheBuild)
{
    Lumo::LumoApp app;
    app.buildNumber = 0;
    app.buildDate.clear();
    const std::string unstamped = app.GetCrashInfoText();
    const std::string unstampedTail = "\r\nBuild Num: 0\r\nBuild Date: \r\n";
    ASSERT_GE(unstamped.size(), unstampedTail.size());
    EXPECT_EQ(unstamped.substr(unstamped.size() - unstampedTail.size()), unstampedTail);
    EXPECT_EQ(unstamped.find("ReferId: "), std::string::npos);

    app.buildNumber = 412;
    app.buildDate = "Mar  3 2026";
    app.referId = "partner-7";
    const std::string stamped = app.GetCrashInfoText();
    const std::string stampedTail = "\r\nBuild Num: 412\r\nBuild Date: Mar  3 2026\r\nReferId: partner-7\r\n";
    ASSERT_GE(stamped.size(), stampedTail.size());
    EXPECT_EQ(stamped.substr(stamped.size() - stampedTail.size()), stampedTail);

    std::map<std::string, std::string> fields = {{"referid", "already there"}, {"other", "x"}};
    app.GetCrashFormFields(fields);
    const std::map<std::string, std::string> expected = {
        {"buildnum", "412"}, {"builddate", "Mar  3 2026"}, {"referid", "already there"}, {"other", "x"}};
    EXPECT_EQ(fields, expected);
}

} // namespace
