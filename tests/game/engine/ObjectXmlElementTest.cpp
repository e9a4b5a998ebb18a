#include "game/engine/ObjectXmlElement.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/ObjectXmlReader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The text in a buffer of its own size, so that ASan sees any read past
// the terminating NUL.
std::unique_ptr<char[]> ExactText(const std::string& text)
{
    std::unique_ptr<char[]> buffer(new char[text.size() + 1]);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    return buffer;
}

struct TagCase {
    const char* what;
    std::string text;
    const char* tagName;
    std::vector<std::pair<std::string, std::string>> attributes;
    bool closing;
    bool selfClosing;
    bool error;
};

// Collects what the reader reports, for one test.
class MessageCapture {
public:
    MessageCapture()
    {
        mPrevious = LoadMessages::SetSink([this](const std::string& message) { messages.push_back(message); });
    }
    ~MessageCapture() { LoadMessages::SetSink(mPrevious); }
    std::vector<std::string> messages;

private:
    LoadMessages::Sink mPrevious;
};

TEST(ObjectXmlElementTest, ReadsTagsAndStopsAtTheEndOfAnyText)
{
    const std::string v383(383, 'v');
    const std::string attrs256 = [] {
        std::string s = "<object";
        for (int i = 0; i < 256; ++i)
            s += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
        return s + ">";
    }();
    const std::string attrs257 = attrs256.substr(0, attrs256.size() - 1) + " z=\"1\">";
    const std::vector<TagCase> cases = {
        {"plain", "  <stage name=\"idle\" ms=\"1000\">", "stage", {{"name", "idle"}, {"ms", "1000"}}, false, false, false},
        {"self-closing", "<event type=\"click\" action=\"next_stage\"/>", "event",
         {{"type", "click"}, {"action", "next_stage"}}, false, true, false},
        {"self-closing after a blank", "<event type=\"click\" />", "event", {{"type", "click"}}, false, true, false},
        {"closing", "</object>", "/object", {}, true, false, false},
        {"blanks after '<'", "< \n\tobject>", "object", {}, false, false, false},
        {"'>' '/' and line breaks in a value", "<o v=\"a>b/c\r\nd\">", "o", {{"v", "a>b/c\r\nd"}}, false, false, false},
        {"blanks around '='", "<o a \t= \n \"1\" b=\"2\">", "o", {{"a", "1"}, {"b", "2"}}, false, false, false},
        {"missing '='", "<o a \"1\">", "o", {{"a", "1"}}, false, false, false},
        {"missing opening quote", "<o a=1\">", "o", {{"a", "1"}}, false, false, false},
        {"unclosed quote runs to the next one", "<o a=\"1> <p b=\"2\">", "", {}, false, false, true},
        {"value of 383", "<o v=\"" + v383 + "\">", "o", {{"v", v383}}, false, false, false},
        {"value of 384 is cut", "<o v=\"" + v383 + "w\">", "o", {{"v", v383}}, false, false, false},
        {"value of 2000 is cut", "<o v=\"" + std::string(2000, 'v') + "\">", "o", {{"v", v383}}, false, false, false},
        {"256 attributes", attrs256, "object", {}, false, false, false},
        {"257 attributes", attrs257, "", {}, false, false, true},
        {"no '<'", "just text", "", {}, false, false, false},
        {"empty text", "", "", {}, false, false, false},
        {"ends after '<'", "text <", "", {}, false, false, true},
        {"ends in a name", "<obj", "", {}, false, false, true},
        {"ends after a name", "<object ", "", {}, false, false, true},
        {"ends in an attribute name", "<object na", "", {}, false, false, true},
        {"ends after '='", "<object name=", "", {}, false, false, true},
        {"ends in a value", "<object name=\"abc", "", {}, false, false, true},
        {"ends after '/'", "<object name=\"abc\"/", "", {}, false, false, true},
        {"ends before '>'", "<object name=\"abc\" ", "", {}, false, false, true},
    };
    for (const TagCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto text = ExactText(c.text);
        ObjectXmlElement element;
        const char* after = ReadNextXmlTag(text.get(), element);
        ASSERT_GE(after, text.get());
        ASSERT_LE(after, text.get() + c.text.size());
        EXPECT_STREQ(element.GetTagName(), c.tagName);
        EXPECT_EQ(element.HasError(), c.error) << element.GetError();
        if (c.error) {
            EXPECT_EQ(*after, '\0') << "a broken text ends the walk";
            continue;
        }
        EXPECT_EQ(element.IsClosing(), c.closing);
        EXPECT_EQ(element.IsSelfClosing(), c.selfClosing);
        if (c.what == std::string("256 attributes")) {
            EXPECT_EQ(element.GetAttributeCount(), 256);
            EXPECT_STREQ(element.GetAttribute("a255"), "255");
            continue;
        }
        ASSERT_EQ(element.GetAttributeCount(), int(c.attributes.size()));
        for (int i = 0; i < element.GetAttributeCount(); ++i) {
            EXPECT_EQ(element.GetAttributeAt(i).name, c.attributes[size_t(i)].first);
            EXPECT_EQ(element.GetAttributeAt(i).value, c.attributes[size_t(i)].second);
        }
    }
}

TEST(ObjectXmlElementTest, ContentRunsToTheNextTagAndTheWalkEndsAtTheNul)
{
    auto text = ExactText("<object type=\"text\">Hello there<stage/></object>");
    ObjectXmlElement element;
    const char* p = ReadNextXmlTag(text.get(), element);
    ASSERT_STREQ(element.GetTagName(), "object");
    EXPECT_EQ(std::string(element.GetContent(), size_t(element.GetContentLength())), "Hello there");
    p = ReadNextXmlTag(p, element);
    EXPECT_STREQ(element.GetTagName(), "stage/");
    p = ReadNextXmlTag(p, element);
    EXPECT_STREQ(element.GetTagName(), "/object");
    EXPECT_EQ(element.GetContent(), nullptr);
    p = ReadNextXmlTag(p, element);
    EXPECT_STREQ(element.GetTagName(), "");
    EXPECT_EQ(element.GetTagStart(), nullptr);
    EXPECT_EQ(*p, '\0');
    // Reading again at the end stays there.
    EXPECT_EQ(ReadNextXmlTag(p, element), p);
}

TEST(ObjectXmlElementTest, LooksAttributesUpExactlyAndTheFirstOfRepeatedNamesWins)
{
    auto text = ExactText("<o x=\"1\" X=\"2\" x=\"3\" empty=\"\">");
    ObjectXmlElement element;
    ReadNextXmlTag(text.get(), element);
    EXPECT_STREQ(element.GetAttribute("x"), "1");
    EXPECT_STREQ(element.GetAttribute("X"), "2");
    EXPECT_EQ(element.GetAttribute("y"), nullptr);
    EXPECT_EQ(element.HasAttribute("empty"), 1);
    EXPECT_EQ(element.HasAttribute("x "), 0);
    EXPECT_EQ(element.GetAttributeInt("y"), 0);
    EXPECT_EQ(element.GetAttributeFloat("y"), 0.0f);
}

TEST(ObjectXmlElementTest, NumbersAreReadInTheCLocaleAndNeverOverflow)
{
    struct NumberCase {
        const char* text;
        int asInt;
        float asFloat;
    };
    const NumberCase cases[] = {
        {"12", 12, 12.0f},
        {" -7.5", -7, -7.5f},
        {"+3", 3, 3.0f},
        {"0.25abc", 0, 0.25f},
        {"1e3", 1, 1000.0f},
        {"abc", 0, 0.0f},
        {"99999999999", 2147483647, 99999999999.0f},
        {"-99999999999", -2147483647 - 1, -99999999999.0f},
        {"inf", 0, 0.0f},
        {"nan", 0, 0.0f},
        {"1e999", 1, 0.0f},
        {"1e300", 1, 0.0f},
        {"+-1", 0, 0.0f},
    };
    // A decimal-comma locale must not change what "0.25" means.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ObjectXmlElement::TextToInt(c.text), c.asInt);
        EXPECT_EQ(ObjectXmlElement::TextToFloat(c.text), c.asFloat);
    }
    std::setlocale(LC_NUMERIC, "C");
}

TEST(ObjectXmlElementTest, ReaderTellsEachProblemWithItsLine)
{
    MessageCapture capture;
    const std::string text = "<a>\n<b v=\"" + std::string(400, 'x') + "\">\n\n<c x=\"1\"\n y=\"2";
    auto buffer = ExactText(text);
    ObjectXmlReader reader(buffer.get(), "menu.xml");
    ObjectXmlElement element;
    ASSERT_TRUE(reader.Next(element));
    EXPECT_EQ(reader.GetLine(), 1);
    ASSERT_TRUE(reader.Next(element));
    EXPECT_EQ(reader.GetLine(), 2);
    EXPECT_FALSE(reader.Next(element));
    EXPECT_TRUE(reader.Failed());
    EXPECT_FALSE(reader.Next(element));
    ASSERT_EQ(capture.messages.size(), 2u);
    EXPECT_EQ(capture.messages[0], "menu.xml:2: value of \"v\" cut to 383 characters");
    EXPECT_EQ(capture.messages[1], "menu.xml:4: the text ends inside a tag");
}

TEST(ObjectXmlElementTest, ReaderEndsQuietlyAtTheEndOfAGoodText)
{
    MessageCapture capture;
    auto buffer = ExactText("<a>\n</a>\ntrailing text\n");
    ObjectXmlReader reader(buffer.get(), "ok.xml");
    ObjectXmlElement element;
    EXPECT_TRUE(reader.Next(element));
    EXPECT_TRUE(reader.Next(element));
    EXPECT_EQ(reader.GetLine(), 2);
    EXPECT_FALSE(reader.Next(element));
    EXPECT_FALSE(reader.Failed());
    EXPECT_TRUE(capture.messages.empty());
}

} // namespace
