// The descriptor reader: command splitting, tokenising, quoting, defines and
// dereferencing, the nesting limits and the exact error texts.
#include "framework/parsers/DescParser.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lumo::DataElement;
using Lumo::DataElementToString;
using Lumo::DescParser;
using Lumo::ListDataElement;
using Lumo::SingleDataElement;

// Records each command as "line:(word, args...)"; knows "Define" (with the
// font reader's rules) and "Fail".
class RecordingParser : public DescParser {
public:
    using DescParser::DataToIntVector;
    using DescParser::DataToDoubleVector;
    using DescParser::DataToList;
    using DescParser::DataToString;
    using DescParser::Dereference;
    using DescParser::GetListArgument;

    void SetSeparators(int separators) { mCmdSep = separators; }

    bool HandleCommand(const ListDataElement& params) override
    {
        commands.push_back(std::to_string(mCurrentLineNum) + ":" + DataElementToString(params));
        lines.push_back(mCurrentLine);
        const std::string word = static_cast<const SingleDataElement&>(*params.mElementVector[0]).mString;
        if (word == "Fail")
            return Error("failed here");
        if (word == "Define" && params.mElementVector.size() == 3)
            return Define(*params.mElementVector[1], *params.mElementVector[2]);
        return true;
    }

    bool Define(const DataElement& nameElement, const DataElement& value)
    {
        const std::string name = static_cast<const SingleDataElement&>(nameElement).mString;
        std::unique_ptr<DataElement> stored;
        if (value.mIsList) {
            auto list = std::make_unique<ListDataElement>();
            if (!Dereference(static_cast<const ListDataElement&>(value), *list))
                return false;
            stored = std::move(list);
        } else if (const DataElement* define = GetDefine(static_cast<const SingleDataElement&>(value).mString)) {
            stored = define->Duplicate();
        } else {
            stored = value.Duplicate();
        }
        std::string key = name;
        for (char& c : key)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        mDefineMap[key] = std::move(stored);
        return true;
    }

    std::vector<std::string> commands;
    std::vector<std::string> lines;
};

// The tokenised arguments of one command text.
ListDataElement Tokens(const std::string& text)
{
    struct Capture : DescParser {
        bool HandleCommand(const ListDataElement& params) override
        {
            captured = params;
            return true;
        }
        ListDataElement captured;
    } capture;
    EXPECT_TRUE(capture.LoadDescriptorText(text)) << capture.GetErrorText();
    return capture.captured;
}

std::string Nested(int depth)
{
    return "A " + std::string(depth, '(') + std::string(depth, ')');
}

TEST(DescParserTest, CommandSplitting)
{
    struct Case {
        std::string text;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { "A 1; B 2", { "1:(A, 1)", "1:(B, 2)" } },
        // After ";" a "#" starts a comment to the end of the line.
        { "A 1; # comment; B\nC", { "1:(A, 1)", "2:(C)" } },
        { "A 1,\n  2\n\n 3;\nB", { "1:(A, 1, 2, 3)", "5:(B)" } },
        { "\n\n  A x#y", { "3:(A, x#y)" } },
        { "# c\nA\n# d\n  1", { "2:(A, 1)" } },
        { "A\r\nB;", { "1:(A, B)" } },
        { "A 'x;y' \"a;b\" c\\;d", { "1:(A, 'x;y', \"a;b\", c\\)", "1:(d)" } },
        { "A \"a\\\"; b\"", { "1:(A, \"a\\\"; b\")" } },
        { "A b=c d = e", { "1:(A, b=c, d=e)" } },
        { "A n=(1, 2)", { "1:(A, n=(1, 2))" } },
        { "A a=b=c", { "1:(A, a=b=c)" } },
        { "A (1 (2 3)) () (x)(y)", { "1:(A, (1, (2, 3)), (), (x), (y))" } },
        { "A = b", { "1:(A=b)" } },
        { "A (1)=2 =3", { "1:(A, (1), 2=3)" } },
        { "A a\\ b 'it''s'", { "1:(A, a\\ b, 'it''s')" } },
        { "", {} },
        { ";;  ;\n\n", {} },
    };
    for (const Case& c : cases) {
        RecordingParser parser;
        EXPECT_TRUE(parser.LoadDescriptorText(c.text)) << c.text << ": " << parser.GetErrorText();
        EXPECT_EQ(parser.commands, c.expected) << c.text;
    }
}

TEST(DescParserTest, CommandTextIsKeptWhileHandled)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.LoadDescriptorText("  A 1\n  2 ;B"));
    EXPECT_EQ(parser.lines, (std::vector<std::string>{ "A 1\n2 ", "B" }));
}

TEST(DescParserTest, LinesWithoutIndentEndCommands)
{
    RecordingParser parser;
    parser.SetSeparators(DescParser::CMDSEP_NO_INDENT);
    ASSERT_TRUE(parser.LoadDescriptorText("A 1\n  2\nB 3 ; 4\n# c\n\tC\nD"));
    EXPECT_EQ(parser.commands, (std::vector<std::string>{ "1:(A, 1, 2)", "3:(B, 3, ;, 4)", "5:(C)", "6:(D)" }));
}

TEST(DescParserTest, Errors)
{
    struct Case {
        std::string text;
        const char* error;
        size_t handled;
    };
    const Case cases[] = {
        { "(a) b", "Missing Command", 0 },
        { "A b)", "Unexpected List End", 0 },
        { "A a(b)", "Unexpected List Start", 0 },
        { "A \"x\"(b)", "Unexpected List Start", 0 },
        { "A 'x", "Unterminated Single Quotes", 0 },
        { "A (\"x)", "Unterminated Double Quotes", 0 },
        { "A (x", "Unterminated List", 0 },
        { "A; Fail; B", "failed here", 2 },
        { "A; B (; C", "Unterminated List", 1 },
        { Nested(DescParser::kMaxNesting + 1), "List Nesting Too Deep", 0 },
        { "A (" + std::string(DescParser::kMaxNesting, '(') + "x", "List Nesting Too Deep", 0 },
        { "A " + [] {
              std::string chain = "a";
              for (int i = 0; i < DescParser::kMaxNesting; ++i)
                  chain += "=a";
              return chain;
          }(),
          "List Nesting Too Deep", 0 },
    };
    for (const Case& c : cases) {
        RecordingParser parser;
        EXPECT_FALSE(parser.LoadDescriptorText(c.text)) << c.text;
        EXPECT_EQ(parser.GetErrorText(), c.error) << c.text;
        EXPECT_EQ(parser.commands.size(), c.handled) << c.text;
    }
    RecordingParser deepest;
    EXPECT_TRUE(deepest.LoadDescriptorText(Nested(DescParser::kMaxNesting)));
}

TEST(DescParserTest, FirstErrorIsKept)
{
    RecordingParser parser;
    EXPECT_FALSE(parser.Error("one"));
    EXPECT_FALSE(parser.Error("two"));
    EXPECT_EQ(parser.GetErrorText(), "one");
}

TEST(DescParserTest, Unquote)
{
    struct Case {
        const char* text;
        const char* unquoted;
    };
    const Case cases[] = {
        { "\"a\\\"b\"", "a\"b" }, { "\"\"", "" },     { "'it''s'", "it's" }, { "\"a\"\"b\"", "a\"b" },
        { "plain", "plain" },     { "\"", "" },       { "'x'", "x" },        { "\"a'b\"", "a'b" },
        { "\"a\\\\b\"", "a\\b" }, { "\"ab\\\"", "ab" }, { "\"\"\"\"", "\"\"" }, { "", "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(DescParser::Unquote(c.text), c.unquoted) << c.text;
}

TEST(DescParserTest, IsImmediate)
{
    for (const char* text : { "0", "9x", "-1", "+2", "'a'", "\"b\"" })
        EXPECT_TRUE(DescParser::IsImmediate(text)) << text;
    for (const char* text : { "", "a1", "(", "#", ".5" })
        EXPECT_FALSE(DescParser::IsImmediate(text)) << text;
}

TEST(DescParserTest, DefinesAndDereference)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.LoadDescriptorText("Define X (1 2); Define y 5; Define Z X; Define w (x \"q r\")"))
        << parser.GetErrorText();

    ASSERT_NE(parser.GetDefine("x"), nullptr);
    EXPECT_EQ(DataElementToString(*parser.GetDefine("Z")), "(1, 2)");
    EXPECT_EQ(DataElementToString(*parser.GetDefine("W")), "((1, 2), q r)");
    EXPECT_EQ(parser.GetDefine("none"), nullptr);

    const ListDataElement args = Tokens("A (x Y \"q\" 7 (y) -3=z '') (1 undefined)");
    const auto& first = static_cast<const ListDataElement&>(*args.mElementVector[1]);
    const auto& second = static_cast<const ListDataElement&>(*args.mElementVector[2]);
    ListDataElement out;
    ASSERT_TRUE(parser.Dereference(first, out)) << parser.GetErrorText();
    EXPECT_EQ(DataElementToString(out), "((1, 2), 5, q, 7, (5), -3=z, )");

    EXPECT_FALSE(parser.Dereference(second, out));
    EXPECT_EQ(parser.GetErrorText(), "Unable to Dereference \"undefined\"");
    EXPECT_TRUE(out.mElementVector.empty());
}

TEST(DescParserTest, ArgumentConversions)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.LoadDescriptorText("Define L (1 0x10 -3); Define S \"hi\"; Define N ((1) 2); Define D (1.5 -2)"));
    const ListDataElement args = Tokens("A L S N (4 L) \"t\\\"x\" k=v plain (a b) D");
    const auto& a = args.mElementVector;

    std::string text;
    EXPECT_TRUE(parser.DataToString(*a[2], text));
    EXPECT_EQ(text, "hi");
    EXPECT_TRUE(parser.DataToString(*a[5], text));
    EXPECT_EQ(text, "t\"x");
    EXPECT_TRUE(parser.DataToString(*a[7], text));
    EXPECT_EQ(text, "plain");
    EXPECT_FALSE(parser.DataToString(*a[1], text)); // a list define
    EXPECT_FALSE(parser.DataToString(*a[4], text)); // a list
    EXPECT_FALSE(parser.DataToString(*a[6], text)); // name=value

    std::vector<int> ints;
    EXPECT_TRUE(parser.DataToIntVector(*a[1], ints));
    EXPECT_EQ(ints, (std::vector<int>{ 1, 16, -3 }));
    EXPECT_FALSE(parser.DataToIntVector(*a[4], ints)); // an item is a list
    EXPECT_TRUE(ints.empty());
    EXPECT_FALSE(parser.DataToIntVector(*a[8], ints)); // "a" is no define
    EXPECT_EQ(parser.GetErrorText(), "Unable to Dereference \"a\"");

    std::vector<double> doubles;
    EXPECT_TRUE(parser.DataToDoubleVector(*a[9], doubles));
    EXPECT_EQ(doubles, (std::vector<double>{ 1.5, -2.0 }));

    std::vector<std::string> texts;
    RecordingParser fresh;
    ASSERT_TRUE(fresh.LoadDescriptorText("Define L (1 0x10 -3); Define S \"hi\"; Define N ((1) 2)"));
    EXPECT_FALSE(fresh.DataToList(*a[2], texts)); // a single define
    EXPECT_EQ(fresh.GetErrorText(), "Unable to Dereference \"S\"");
    EXPECT_FALSE(fresh.DataToList(*a[3], texts));
    EXPECT_TRUE(texts.empty());

    ListDataElement list;
    EXPECT_TRUE(fresh.GetListArgument(*a[3], list));
    EXPECT_EQ(DataElementToString(list), "((1), 2)");
    EXPECT_TRUE(fresh.GetListArgument(*a[4], list));
    EXPECT_EQ(DataElementToString(list), "(4, (1, 0x10, -3))");
    EXPECT_FALSE(fresh.GetListArgument(*a[2], list));
    EXPECT_FALSE(fresh.GetListArgument(*a[7], list));
}

TEST(DescParserTest, DefinesCannotGrowWithoutBound)
{
    // Each define nests the one before: the depth limit stops the chain.
    std::string deep = "Define D0 x;";
    for (int i = 1; i <= DescParser::kMaxNesting + 1; ++i)
        deep += "Define D" + std::to_string(i) + " (D" + std::to_string(i - 1) + ");";
    RecordingParser deepParser;
    EXPECT_FALSE(deepParser.LoadDescriptorText(deep));
    EXPECT_EQ(deepParser.GetErrorText(), "List Nesting Too Deep");
    // D0 to D64 succeed; D65 is handled and fails.
    EXPECT_EQ(deepParser.commands.size(), static_cast<size_t>(DescParser::kMaxNesting + 2));

    // Each define holds the one before twice: the size limit stops the doubling.
    std::string wide = "Define D0 x;";
    for (int i = 1; i <= 30; ++i)
        wide += "Define D" + std::to_string(i) + " (D" + std::to_string(i - 1) + " D" + std::to_string(i - 1) + ");";
    RecordingParser wideParser;
    EXPECT_FALSE(wideParser.LoadDescriptorText(wide));
    EXPECT_EQ(wideParser.GetErrorText(), "List Too Large");
    EXPECT_LT(wideParser.commands.size(), 30u);
}

TEST(DescParserTest, LoadDescriptorFile)
{
    TempFolder folder;
    const std::string path = folder.Write("font.txt", "# font\r\nDefine A (1 2)\r\n;\r\nB A\r\n  3");
    RecordingParser parser;
    ASSERT_TRUE(parser.LoadDescriptor(path)) << parser.GetErrorText();
    EXPECT_EQ(parser.commands, (std::vector<std::string>{ "2:(Define, A, (1, 2))", "4:(B, A, 3)" }));

    // A long file crosses the reader's blocks.
    std::string many;
    for (int i = 0; i < 2000; ++i)
        many += "Cmd " + std::to_string(i) + ";\n";
    RecordingParser manyParser;
    ASSERT_TRUE(manyParser.LoadDescriptor(folder.Write("many.txt", many)));
    ASSERT_EQ(manyParser.commands.size(), 2000u);
    EXPECT_EQ(manyParser.commands[1999], "2000:(Cmd, 1999)");

    RecordingParser missing;
    const std::string none = folder.Join("none.txt");
    EXPECT_FALSE(missing.LoadDescriptor(none));
    EXPECT_EQ(missing.GetErrorText(), "Unable to open file: " + none);
}

} // namespace
