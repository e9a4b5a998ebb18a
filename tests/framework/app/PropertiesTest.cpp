#include "framework/app/LumoAppBase.h"
#include "platform/files/FileSystem.h"
#include "support/FakePlatformRecorder.h"
#include "support/TempFolder.h"
#include "support/WorkingFolder.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

namespace {

// An application whose signature check answers as the test says and
// remembers what it was asked.
class SignatureApp : public TestApp {
public:
    bool CheckSignature(const Lumo::Buffer& buffer, const std::string& fileName) override
    {
        checkedName = fileName;
        const uint8_t* data = buffer.GetDataPtr();
        checkedContent = data == nullptr ? "" : std::string(reinterpret_cast<const char*>(data), buffer.GetDataLen());
        return signatureValid;
    }
    bool signatureValid = true;
    std::string checkedName;
    std::string checkedContent;
};

// The tables as a whole, to see that nothing changed.
struct Tables {
    explicit Tables(const Lumo::LumoAppBase& app)
        : strings(app.stringTable), booleans(app.booleanTable), integers(app.integerTable), doubles(app.doubleTable),
          lists(app.stringVectorTable)
    {
    }
    bool operator==(const Tables&) const = default;

    std::map<std::string, std::u16string> strings;
    std::map<std::string, bool> booleans;
    std::map<std::string, int> integers;
    std::map<std::string, double> doubles;
    std::map<std::string, std::vector<std::u16string>> lists;
};

const char* const kPartnerFile = "properties\\partner.xml";
const char* const kPartnerXml = "<?xml version=\"1.0\"?>\r\n"
                                "<Properties>\r\n"
                                "  <String id=\"FATAL_ERROR\">Big trouble</String>\r\n"
                                "  <Boolean id=\"DontUpdate\">true</Boolean>\r\n"
                                "  <Integer id=\"Count\">3</Integer>\r\n"
                                "  <Double id=\"Scale\">1.5</Double>\r\n"
                                "  <StringArray id=\"List\"><String>a</String></StringArray>\r\n"
                                "</Properties>\r\n";

TEST(PropertiesTest, LookupsFallBackToTheirDefaults)
{
    TestApp app;
    EXPECT_EQ(app.GetString("FATAL_ERROR", "FATAL ERROR"), "FATAL ERROR");
    EXPECT_EQ(app.GetString("DIALOG_BUTTON_OK", "x"), "OK"); // made by the constructor
    app.SetString("FATAL_ERROR", u"first");
    app.SetString("FATAL_ERROR", u"Oh no");
    EXPECT_EQ(app.GetString("FATAL_ERROR", "FATAL ERROR"), "Oh no");
    EXPECT_EQ(app.GetString("fatal_error", "FATAL ERROR"), "FATAL ERROR");
    app.SetString("Empty", u"");
    EXPECT_EQ(app.GetString("Empty", "default"), "");

    EXPECT_TRUE(app.GetBoolean("DefaultWindowed", true));
    EXPECT_FALSE(app.GetBoolean("DefaultWindowed", false));
    app.SetBoolean("DefaultWindowed", false);
    EXPECT_FALSE(app.GetBoolean("DefaultWindowed", true));
    EXPECT_TRUE(app.GetBoolean("DEFAULTWINDOWED", true));
}

TEST(PropertiesTest, ASignedFileFillsTheTables)
{
    TempFolder temp;
    WorkingFolder working(temp.Path());
    temp.Write("properties/partner.xml", kPartnerXml);
    FakePlatformRecorder platform;
    SignatureApp app;
    EXPECT_TRUE(app.LoadProperties(kPartnerFile, false, true));
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(app.checkedName, kPartnerFile);
    EXPECT_EQ(app.checkedContent, kPartnerXml);
    EXPECT_EQ(app.GetString("FATAL_ERROR", "FATAL ERROR"), "Big trouble");
    EXPECT_TRUE(app.GetBoolean("DontUpdate", false));
    EXPECT_EQ(app.integerTable.at("Count"), 3);
    EXPECT_DOUBLE_EQ(app.doubleTable.at("Scale"), 1.5);
    EXPECT_EQ(app.stringVectorTable.at("List"), std::vector<std::u16string>{u"a"});

    // Without the check the signature is not asked for.
    SignatureApp unchecked;
    unchecked.signatureValid = false;
    EXPECT_TRUE(unchecked.LoadProperties(kPartnerFile, true, false));
    EXPECT_EQ(unchecked.checkedName, "");
    EXPECT_EQ(unchecked.GetString("FATAL_ERROR", ""), "Big trouble");
}

TEST(PropertiesTest, FailuresShowOnePopupEach)
{
    TempFolder temp;
    WorkingFolder working(temp.Path());
    FakePlatformRecorder platform;

    // Absent and not required: nothing happens at all.
    SignatureApp app;
    const Tables before(app);
    EXPECT_TRUE(app.LoadProperties(kPartnerFile, false, true));
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(app.checkedName, "");
    EXPECT_TRUE(Tables(app) == before);

    // Absent and required.
    EXPECT_FALSE(app.LoadProperties(kPartnerFile, true, true));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Unable to open properties file properties\\partner.xml");

    // A signature that does not verify: not one entry is taken.
    temp.Write("properties/partner.xml", kPartnerXml);
    app.signatureValid = false;
    EXPECT_FALSE(app.LoadProperties(kPartnerFile, false, true));
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].text, "Signature check failed on properties\\partner.xml'");
    EXPECT_TRUE(Tables(app) == before);

    // The base class accepts no signature.
    TestApp base;
    const Tables baseBefore(base);
    base.SetString("PROPERTIES_SIG_FAILED", u"Bad signature: ");
    EXPECT_FALSE(base.LoadProperties(kPartnerFile, true, true));
    ASSERT_EQ(platform.boxes.size(), 3u);
    EXPECT_EQ(platform.boxes[2].text, "Bad signature: properties\\partner.xml'");
    base.stringTable.erase("PROPERTIES_SIG_FAILED");
    EXPECT_TRUE(Tables(base) == baseBefore);

    // A parse that fails halfway keeps what came before the fault.
    temp.Write("properties/partner.xml", "<Properties>\n<String id=\"Kept\">yes</String>\n"
                                         "<Integer id=\"Bad\">x</Integer>\n<String id=\"Lost\">no</String>\n"
                                         "</Properties>\n");
    app.signatureValid = true;
    EXPECT_FALSE(app.LoadProperties(kPartnerFile, false, true));
    ASSERT_EQ(platform.boxes.size(), 4u);
    EXPECT_EQ(platform.boxes[3].text, "Invalid Integer Value: 'x' on Line 3");
    EXPECT_EQ(app.GetString("Kept", ""), "yes");
    EXPECT_EQ(app.GetString("Lost", "absent"), "absent");
    EXPECT_EQ(app.integerTable.count("Bad"), 0u);
}

} // namespace
