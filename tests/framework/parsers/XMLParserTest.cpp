// The XML pull parser: element sequence, attributes, text folding, entities,
// comments, the exact error texts and the file source.
#include "framework/parsers/XMLParser.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

using Lumo::XMLElement;
using Lumo::XMLParser;

// "start a @" / "end b @a/b" / "text hi @a" / "pi xml| v" / "comment x".
std::string Describe(const XMLElement& element)
{
    switch (element.mType) {
    case XMLElement::TYPE_START:
        return "start " + element.mValue + " @" + element.mSection;
    case XMLElement::TYPE_END:
        return "end " + element.mValue + " @" + element.mSection;
    case XMLElement::TYPE_TEXT:
        return "text " + element.mValue + " @" + element.mSection;
    case XMLElement::TYPE_INSTRUCTION:
        return "pi " + element.mValue + "|" + element.mInstruction;
    case XMLElement::TYPE_COMMENT:
        return "comment " + element.mInstruction;
    default:
        return "none";
    }
}

struct Outcome {
    std::vector<std::string> elements;
    bool failed = false;
    std::string error;
    int line = 0;
};

Outcome Parse(const std::u16string& text, bool allowComments = false)
{
    XMLParser parser;
    parser.AllowComments(allowComments);
    parser.SetString(text);
    Outcome outcome;
    XMLElement element;
    // Bounded: a parser that never ends would otherwise hang the test.
    for (int i = 0; i < 1000 && parser.NextElement(element); ++i)
        outcome.elements.push_back(Describe(element));
    outcome.failed = parser.HasFailed();
    outcome.error = parser.GetErrorText();
    outcome.line = parser.GetCurrentLineNum();
    return outcome;
}

// The first start tag of the text.
XMLElement FirstStart(const std::u16string& text)
{
    XMLParser parser;
    parser.SetString(text);
    XMLElement element;
    while (parser.NextElement(element)) {
        if (element.mType == XMLElement::TYPE_START)
            return element;
    }
    ADD_FAILURE() << "no start tag";
    return element;
}

struct SequenceCase {
    const char16_t* text;
    std::vector<std::string> expected;
};

TEST(XMLParserTest, ElementSequences)
{
    const SequenceCase cases[] = {
        // A self-closing tag gives its own end tag; sections are parent paths.
        { u"<a><b/></a>", { "start a @", "start b @a", "end b @a/b", "end a @a" } },
        { u"<a><b /></a>", { "start a @", "start b @a", "end b @a/b", "end a @a" } },
        { u"<r><a v=\"p/\"></r>", { "start r @", "start a @r", "end a @r/a", "end r @r" } },
        // White space is trimmed and folded to single spaces.
        { u"<a>  hello   big\n world  </a>", { "start a @", "text hello big world @a", "end a @a" } },
        // A "<" inside a quoted stretch of text is text; the quotes stay.
        { u"<a>say \"x<y\" now</a>", { "start a @", "text say \"x<y\" now @a", "end a @a" } },
        { u"<?xml version=\"1.0\"?><r/>", { "pi xml| version=\"1.0\"", "start r @", "end r @r" } },
        // A "?" standing in for a wide character does not end an instruction.
        { u"<?x a\u4E2D>b?>", { "pi x| a?>b" } },
        { u"<!-- note -->\n<a>t</a>", { "start a @", "text t @a", "end a @a" } },
        // Without white space after "!--" it is a start tag.
        { u"<!--x></!--x>", { "start !--x @", "end !--x @!--x" } },
        { u"<a>x<!-- c -->y</a>", { "start a @", "text x @a", "text y @a", "end a @a" } },
        { u"<a>&lt;b&gt;</a>", { "start a @", "text <b> @a", "end a @a" } },
        { u"", {} },
        { u"  \n\t ", {} },
        { u"<a></a> \n ", { "start a @", "end a @a" } },
    };
    for (const SequenceCase& c : cases) {
        const Outcome outcome = Parse(c.text);
        EXPECT_FALSE(outcome.failed) << outcome.error;
        EXPECT_EQ(outcome.elements, c.expected) << outcome.error;
    }
}

TEST(XMLParserTest, CommentsCanBeKept)
{
    const Outcome outcome = Parse(u"<!-- a \"q\" -- b -->", true);
    EXPECT_EQ(outcome.elements, (std::vector<std::string>{ "comment a \"q\" -- b " }));
}

TEST(XMLParserTest, CommentLineFeedsAreCounted)
{
    XMLParser parser;
    parser.SetString(u"<!--\n\n-->\n<a>");
    XMLElement element;
    ASSERT_TRUE(parser.NextElement(element));
    EXPECT_EQ(Describe(element), "start a @");
    EXPECT_EQ(parser.GetCurrentLineNum(), 4);
}

TEST(XMLParserTest, AttributesInOrder)
{
    const XMLElement e = FirstStart(u"<t x = \"1 2\" y=3 z>");
    EXPECT_EQ(e.mValue, "t");
    EXPECT_EQ(e.mAttributeOrder, (std::vector<std::string>{ "x", "y", "z" }));
    EXPECT_EQ(e.mAttributes.at("x"), "1 2");
    EXPECT_EQ(e.mAttributes.at("y"), "3");
    EXPECT_EQ(e.mAttributes.at("z"), "");
}

TEST(XMLParserTest, AttributeValues)
{
    struct Case {
        const char16_t* text;
        const char* name;
        const char* value;
        const char* raw;
    };
    const Case cases[] = {
        { u"<t v='q'>", "v", "'q'", "'q'" },                 // single quotes are not quotes
        { u"<t v=\"a &amp; b\">", "v", "a & b", "a &amp; b" },
        { u"<t v=\"\" w>", "v", "", "" },                       // a closed empty value ends at the space
        { u"<t a=b=c>", "a", "bc", "bc" },
        { u"<t v=\"x\"y>", "v", "xy", "xy" },
        { u"<t v=\"p/\">", "v", "p", "p" },                     // closes the tag
        { u"<t v=p/>", "v", "p", "p" },
        { u"<t v=\"a > b\">", "v", "a > b", "a > b" },
        { u"<t v=\"x\ny\">", "v", "x\ny", "x\ny" },
        // Latin-1 characters keep their byte, wider ones become "?".
        { u"<t v=\"\u00E9t\u00E9 \u4E2D\">", "v", "\xE9t\xE9 ?", "\xE9t\xE9 ?" },
        { u"<t v=\"&#233;&#x4E2D;\">", "v", "\xE9?", "&#233;&#x4E2D;" },
        { u"<t \u00E9=1>", "\xE9", "1", "1" },
    };
    for (const Case& c : cases) {
        const XMLElement e = FirstStart(c.text);
        ASSERT_EQ(e.mAttributes.count(c.name), 1u) << c.name;
        EXPECT_EQ(e.mAttributes.at(c.name), c.value);
        EXPECT_EQ(e.mRawAttributes.at(c.name), c.raw);
    }
}

TEST(XMLParserTest, SlashAfterSpaceIsStoredButNotOrdered)
{
    const XMLElement e = FirstStart(u"<t a=\"1\" />");
    EXPECT_EQ(e.mAttributeOrder, (std::vector<std::string>{ "a" }));
    EXPECT_EQ(e.mAttributes.count("/"), 1u);
    EXPECT_EQ(e.mRawAttributes.count("/"), 1u);
    EXPECT_EQ(e.mAttributes.at("a"), "1");
}

TEST(XMLParserTest, RepeatedAttributeKeepsItsPlace)
{
    const XMLElement e = FirstStart(u"<t a=1 b=2 a=3>");
    EXPECT_EQ(e.mAttributeOrder, (std::vector<std::string>{ "a", "b" }));
    EXPECT_EQ(e.mAttributes.at("a"), "3");
}

TEST(XMLParserTest, NonLatinTextAndNames)
{
    const Outcome outcome = Parse(u"<\u00E9l>caf\u00E9 \u4E2D</\u00E9l>");
    EXPECT_FALSE(outcome.failed);
    EXPECT_EQ(outcome.elements,
              (std::vector<std::string>{ "start \xE9l @", "text caf\xE9 ? @\xE9l", "end \xE9l @\xE9l" }));
    // A wide character is never white space through its low byte (U+0120).
    const Outcome wide = Parse(u"<a>x\u0120y</a>");
    EXPECT_EQ(wide.elements[1], "text x?y @a");
}

TEST(XMLParserTest, Errors)
{
    struct Case {
        std::u16string text;
        const char* error;
        int line;
        size_t elementsBefore;
    };
    const Case cases[] = {
        { u"</a>", "Unexpected End", 1, 0 },
        { u"<a>\n</b>", "End 'b' Doesn't Match Start 'a'", 2, 1 },
        { u"<a><b></a>", "End 'a' Doesn't Match Start 'b'", 1, 2 },
        { u"<a>text", "Unexpected End of File", 1, 1 },
        { u"<a", "Unexpected End of File", 1, 0 },
        { u"<a v=\"x>", "Unexpected End of File", 1, 0 },
        { u"<!-- open", "Unexpected End of File", 1, 0 },
        { u"<?pi", "Unexpected End of File", 1, 0 },
        { u"x>", "Unexpected '>'", 1, 0 },
        { u">", "Unexpected '>'", 1, 0 },
        { u"<a<", "Unexpected '<'", 1, 0 },
        { u"<a></<", "Unexpected '<'", 1, 1 },
        { u"<a>\n\nx\x01y", "Illegal Character", 3, 1 },
        { u"<a\x1F>", "Illegal Character", 1, 0 },
        { u"<a>\0</a>"s, "Illegal Character", 1, 1 },
    };
    for (const Case& c : cases) {
        const Outcome outcome = Parse(c.text);
        EXPECT_TRUE(outcome.failed) << c.error;
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.line, c.line) << c.error;
        EXPECT_EQ(outcome.elements.size(), c.elementsBefore) << c.error;
    }
}

TEST(XMLParserTest, FailedParserStaysFailed)
{
    XMLParser parser;
    parser.SetString(u"</a><b>");
    XMLElement element;
    EXPECT_FALSE(parser.NextElement(element));
    EXPECT_FALSE(parser.NextElement(element));
    EXPECT_TRUE(parser.HasFailed());
    EXPECT_EQ(parser.GetErrorText(), "Unexpected End");
    // A new text starts over.
    parser.SetString(u"<b/>");
    EXPECT_TRUE(parser.NextElement(element));
    EXPECT_FALSE(parser.HasFailed());
}

TEST(XMLParserTest, EntityDecoding)
{
    struct Case {
        std::string text;
        std::string decoded;
    };
    const Case cases[] = {
        { "&lt;&#65;&#x41;&cr;&foo;&", "<AA\n&&" },
        { "&amp;&gt;&quot;&apos;&nbsp;", "&>\"' " },
        { "a&#;b&#x;c", "a&b\0c"s },     // "#" alone is unknown; "0x" alone is 0
        { "&#12a;&#xZ;", "&&" },
        { "&#233;&#8364;", "\xE9?" },
        { "no; entity & here", "no; entity & here" },
        { "&amp;lt;", "&lt;" },          // one pass only
        { "&&lt;", "&" },                // the name "&lt" is unknown
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XMLParser::DecodeEntities(c.text), c.decoded) << c.text;
    }
    EXPECT_EQ(XMLParser::DecodeEntities(std::u16string(u"&#8364;&#x20AC;&lt;")), u"\u20AC\u20AC<");
}

TEST(XMLParserTest, FileSource)
{
    TempFolder folder;
    const std::string good = folder.Write("good.xml", "\xEF\xBB\xBF<a v=\"\xC3\xA9\">\n\xE2\x82\xAC</a>");
    XMLParser parser;
    ASSERT_TRUE(parser.OpenFile(good));
    EXPECT_EQ(parser.GetFileName(), good);
    XMLElement element;
    ASSERT_TRUE(parser.NextElement(element));
    EXPECT_EQ(Describe(element), "start a @");
    EXPECT_EQ(element.mAttributes.at("v"), "\xE9");
    ASSERT_TRUE(parser.NextElement(element));
    EXPECT_EQ(Describe(element), "text ? @a");
    ASSERT_TRUE(parser.NextElement(element));
    EXPECT_FALSE(parser.NextElement(element));
    EXPECT_FALSE(parser.HasFailed());
    EXPECT_EQ(parser.GetCurrentLineNum(), 2);

    struct Case {
        const char* bytes;
        const char* error;
    };
    const Case bad[] = {
        { "\xC0\x80", "Illegal Character" },                  // overlong, before any element
        { "<a>\xED\xA0\x80", "Illegal Character" },          // a surrogate between elements
        { "<a>x\xED\xA0\x80", "Unexpected End of File" },     // ... and inside one
        { "<a>x\xE2\x82", "Unexpected End of File" },         // truncated
        { "\xFF", "Illegal Character" },
        { "\x80", "Illegal Character" },
    };
    for (const Case& c : bad) {
        XMLParser badParser;
        ASSERT_TRUE(badParser.OpenFile(folder.Write("bad.xml", c.bytes)));
        while (badParser.NextElement(element)) {
        }
        EXPECT_TRUE(badParser.HasFailed());
        EXPECT_EQ(badParser.GetErrorText(), c.error);
    }

    XMLParser missing;
    EXPECT_FALSE(missing.OpenFile(folder.Join("none.xml")));
    EXPECT_FALSE(missing.NextElement(element));
}

} // namespace
