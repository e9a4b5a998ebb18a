// The properties document: typed values into the application's tables,
// case-insensitive booleans, kept and replaced keys, and the exact error
// texts with their line numbers.
#include "framework/parsers/PropertiesParser.h"

#include "framework/core/Buffer.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lumo::Buffer;
using Lumo::PropertiesParser;

Buffer BufferOf(const std::string& text)
{
    Buffer buffer;
    buffer.SetData(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
    return buffer;
}

struct Parsed {
    bool ok = false;
    std::string error;
};

Parsed Parse(TestApp& app, const std::string& text)
{
    PropertiesParser parser(&app);
    Parsed parsed;
    parsed.ok = parser.ParsePropertiesBuffer(BufferOf(text));
    parsed.error = parser.GetErrorText();
    return parsed;
}

TEST(PropertiesParserTest, ValuesOfEveryType)
{
    TestApp app;
    const Parsed parsed = Parse(app,
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n"
        "<Properties>\n"
        "  <String id=\"name\">  Tavoro &amp;   Oribel </String>\n"
        "  <String id=\"accent\">caf\xC3\xA9 \xE4\xB8\xAD</String>\n"
        "  <String>no id</String>\n"
        "  <String id=\"empty\"></String>\n"
        "  <String id=\"split\">first<!-- note -->last</String>\n"
        "  <Boolean id=\"b1\">yes</Boolean><Boolean id=\"b2\">On</Boolean><Boolean id=\"b3\">true</Boolean>\n"
        "  <Boolean id=\"b4\">1</Boolean><Boolean id=\"b5\">off</Boolean><Boolean id=\"b6\">No</Boolean>\n"
        "  <Integer id=\"hex\" other=\"x\">0x1F</Integer><Integer id=\"neg\">-12</Integer>\n"
        "  <Double id=\"d\">-2.5</Double>\n"
        "  <StringArray id=\"list\"><String>a</String><!-- c --><String>b c</String></StringArray>\n"
        "</Properties>\n"
        "<Properties><Integer id=\"second\">7</Integer></Properties>\n");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.error, "");

    EXPECT_EQ(app.stringTable.at("name"), u"Tavoro & Oribel");
    // Bytes widened one by one; a character beyond Latin-1 becomes "?".
    EXPECT_EQ(app.stringTable.at("accent"), u"caf\u00E9 ?");
    EXPECT_EQ(app.stringTable.at(""), u"no id");
    EXPECT_EQ(app.stringTable.at("empty"), u"");
    EXPECT_EQ(app.stringTable.at("split"), u"last");
    for (const char* id : { "b1", "b2", "b3", "b4" })
        EXPECT_TRUE(app.booleanTable.at(id)) << id;
    for (const char* id : { "b5", "b6" })
        EXPECT_FALSE(app.booleanTable.at(id)) << id;
    EXPECT_EQ(app.integerTable.at("hex"), 31);
    EXPECT_EQ(app.integerTable.at("neg"), -12);
    EXPECT_EQ(app.integerTable.at("second"), 7);
    EXPECT_EQ(app.doubleTable.at("d"), -2.5);
    EXPECT_EQ(app.stringVectorTable.at("list"), (std::vector<std::u16string>{ u"a", u"b c" }));
}

TEST(PropertiesParserTest, EmptyBufferSetsNothing)
{
    TestApp app;
    // The application starts with default strings of its own.
    const auto strings = app.stringTable;
    for (const char* text : { "", "\xEF\xBB\xBF", "  \n ", "<?xml version=\"1.0\"?><!-- c -->" }) {
        const Parsed parsed = Parse(app, text);
        EXPECT_TRUE(parsed.ok) << parsed.error;
        EXPECT_EQ(parsed.error, "");
    }
    EXPECT_EQ(app.stringTable, strings);
    EXPECT_TRUE(app.booleanTable.empty());
    EXPECT_TRUE(app.integerTable.empty());
    EXPECT_TRUE(app.doubleTable.empty());
    EXPECT_TRUE(app.stringVectorTable.empty());
}

TEST(PropertiesParserTest, LaterIntegerReplacesAndLaterArrayIsIgnored)
{
    TestApp app;
    const Parsed parsed = Parse(app,
        "<Properties>"
        "<Integer id=\"n\">1</Integer><Integer id=\"n\">2</Integer>"
        "<StringArray id=\"s\"><String>first</String></StringArray>"
        "<StringArray id=\"s\"><String>second</String></StringArray>"
        "</Properties>");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(app.integerTable.at("n"), 2);
    EXPECT_EQ(app.stringVectorTable.at("s"), (std::vector<std::u16string>{ u"first" }));
}

TEST(PropertiesParserTest, Errors)
{
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        { "<Properties>\n\n<Boolean id=\"b\">\n\n maybe\n\n</Boolean>", "Invalid Boolean Value: 'MAYBE' on Line 7" },
        { "<Properties><Boolean id=\"b\">y</Boolean></Properties>", "Invalid Boolean Value: 'Y' on Line 1" },
        { "<Properties><Integer>12a</Integer></Properties>", "Invalid Integer Value: '12a' on Line 1" },
        { "<Properties><Integer></Integer></Properties>", "Invalid Integer Value: '' on Line 1" },
        { "<Properties><Double>1.2.3</Double></Properties>", "Invalid Double Value: '1.2.3' on Line 1" },
        { "<Properties><String>a<b>x</b></String></Properties>", "Unexpected Section: 'b' on Line 1" },
        { "<Properties></Properties>\n<Settings\n>", "Invalid Section 'Settings' on Line 3" },
        { "<Properties><Float>1</Float></Properties>", "Invalid Section 'Float' on Line 1" },
        { "<Properties><StringArray><Item>x</Item></StringArray></Properties>", "Invalid Section 'Item' on Line 1" },
        { "<Properties><StringArray>loose</StringArray></Properties>", "Element Not Expected 'loose' on Line 1" },
        { "<Properties>stray<String/></Properties>", "Element Not Expected 'stray' on Line 1" },
        { "hello <Properties/>", "Element Not Expected 'hello' on Line 1" },
        { "<?xml version=\"1.0\"?><!-- c --></x>", "Unexpected End on Line 1" },
        { "<Properties>\n<String>x\n", "Unexpected End of File on Line 3" },
        { "<Properties>\n<String>x</Strin>", "End 'Strin' Doesn't Match Start 'String' on Line 2" },
        // A document cut off inside a section is an error, not a success.
        { "<Properties>\n<String id=\"a\">x</String>\n", "Unexpected End of File on Line 3" },
        { "<Properties><StringArray><String>x</String>", "Unexpected End of File on Line 1" },
        { "<Properties><String>x", "Unexpected End of File on Line 1" },
    };
    for (const Case& c : cases) {
        TestApp app;
        const Parsed parsed = Parse(app, c.text);
        EXPECT_FALSE(parsed.ok) << c.text;
        EXPECT_EQ(parsed.error, c.error) << c.text;
    }
}

TEST(PropertiesParserTest, ValuesBeforeAFailureStay)
{
    TestApp app;
    const Parsed parsed = Parse(app, "<Properties><Integer id=\"a\">5</Integer><Integer id=\"b\">x</Integer>"
                                     "<Integer id=\"c\">6</Integer></Properties>");
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(app.integerTable.at("a"), 5);
    EXPECT_EQ(app.integerTable.count("b"), 0u);
    EXPECT_EQ(app.integerTable.count("c"), 0u);
}

TEST(PropertiesParserTest, BadUTF8EndsTheText)
{
    // Decoding stops at the bad byte, which leaves the section unclosed.
    TestApp app;
    const Parsed parsed = Parse(app, "<Properties><String id=\"a\">ok</String>\xFF</Properties>");
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.error, "Unexpected End of File on Line 1");
    EXPECT_EQ(app.stringTable.at("a"), u"ok");
}

} // namespace
