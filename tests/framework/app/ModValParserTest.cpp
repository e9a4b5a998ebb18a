// The source walk of the mod-value reload (which wrappers it sees, and its
// errors with their lines) and the value parsers.
#include "framework/app/ModValParser.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Found = std::vector<std::pair<int, std::string>>;

// The wrappers the walk reports (line, text after the parenthesis), or the
// error text.
Found WalkSource(const std::string& source, std::string* error = nullptr)
{
    std::istringstream in(source);
    Found found;
    std::string failure;
    const bool ok = Lumo::ModValParser::Walk(
        in, "f.cpp",
        [&found](int line, const std::string& afterParen, std::string&) {
            found.emplace_back(line, afterParen);
            return true;
        },
        failure);
    if (error != nullptr)
        *error = ok ? std::string() : failure;
    return found;
}

} // namespace

TEST(ModValParserTest, ValuesOfEachKind)
{
    struct Case {
        const char* text;
        bool ok;
        int integer;
        double number;
        const char* textValue;
    };
    const Case cases[] = {
        {"2.5f);", true, 0, 2.5, ""},
        {"0x1F)", true, 31, 31.0, ""},
        {"0XfF)", true, 255, 255.0, ""},
        {"-3)", true, -3, -3.0, ""},
        {"3)", true, 3, 3.0, ""}, // a float wrapper holding 3 reads 3.0
        {"-2147483648)", true, INT_MIN, -2147483648.0, ""},
        {"2147483648)", false, 0, 0.0, ""}, // does not fit an int
        {"99999999999999999999)", false, 0, 0.0, ""},
        {"0x1FFFFFFFF)", false, 0, 0.0, ""},
        {"0.125)", true, 0, 0.125, ""},
        {"-.5)", true, 0, -0.5, ""},
        {"speed)", false, 0, 0.0, ""},
        {"_x)", false, 0, 0.0, ""},
        {"3 )", false, 0, 0.0, ""},
        {"2.5", false, 0, 0.0, ""},
        {"-)", false, 0, 0.0, ""},
        {"\"a\\tb\\n\\\"q\\\"\\\\\"  )", true, 0, 0.0, "a\tb\n\"q\"\\"},
        {"\"bad \\q\")", false, 0, 0.0, ""},
        {"\"open)", false, 0, 0.0, ""},
    };
    for (const Case& c : cases) {
        Lumo::ModValParser::Value value;
        EXPECT_EQ(Lumo::ModValParser::ParseValue(c.text, value), c.ok) << c.text;
        if (!c.ok)
            continue;
        EXPECT_EQ(value.integerValue, c.integer) << c.text;
        EXPECT_EQ(value.numberValue, c.number) << c.text;
        EXPECT_EQ(value.textValue, c.textValue) << c.text;
    }
}

TEST(ModValParserTest, WalkSeesWrappersOutsideTextAndComments)
{
    const std::string source = "int a = LUMO_M(1);\n"                          // 1
                               "// LUMO_M(2)\n"                                 // 2
                               "const char* s = \"LUMO_M(3)\";\n"               // 3
                               "char q = '\"'; int b = LUMO_M(4);\n"            // 4
                               "auto r = R\"x(LUMO_M(5) \")x\"; int c = M(6);\n" // 5
                               "int d = ITEM(7);\n"                             // 6
                               "/* LUMO_M(8)\n"                                 // 7
                               "   LUMO_M(9) */ int e = LUMO_M(10);\n"          // 8
                               "M(11);\n"                                       // 9
                               "x = M2(12) + M0(13);\n"                         // 10
                               "int f = 1'000 + LUMO_M(14);\n"                  // 11
                               "const char* t = \"a\\\"LUMO_M(15)\\\\\"; g(M(16));\n" // 12
                               "auto u = R\"(multi\n"                           // 13
                               "LUMO_M(17) \" )\"; int v = LUMO_M(18);\n"       // 14
                               "const char* w = \"on \\\n"                      // 15
                               "LUMO_M(19)\"; int y = LUMO_M(20);\n"            // 16
                               "// continued \\\n"                              // 17
                               "LUMO_M(21)\n"                                   // 18
                               "int z = LUMO_M(22);\n";                         // 19
    std::string error;
    const Found found = WalkSource(source, &error);
    EXPECT_EQ(error, "");
    const Found expected = {{1, "1);"},  {4, "4);"},   {5, "6);"},   {8, "10);"}, {10, "12) + M0(13);"},
                            {11, "14);"}, {12, "16));"}, {14, "18);"}, {16, "20);"}, {19, "22);"}};
    EXPECT_EQ(found, expected);
}

TEST(ModValParserTest, WalkErrorsNameTheirLine)
{
    struct Case {
        const char* source;
        const char* error;
    };
    const Case cases[] = {
        {"int a;\nconst char* s = \"open;\nint b;\n", "ERROR in f.cpp on line 2: Error parsing quotes"},
        {"int a;\nconst char* s = \"open \\\n", "ERROR in f.cpp on line 2: Error parsing quotes"},
        {"auto r = R\"x(never closed\n\n", "ERROR in f.cpp on line 2: Error parsing quotes"},
        {"int a; /* open\nstill\n", "ERROR in f.cpp on line 2: Error parsing c comment"},
        {"int a; // goes on \\\n", "ERROR in f.cpp on line 1: Error parsing c++ comment"},
    };
    for (const Case& c : cases) {
        std::string error;
        WalkSource(c.source, &error);
        EXPECT_EQ(error, c.error) << c.source;
    }

    // A callback that fails stops the walk with its text.
    std::istringstream in("M(1);\nx = M(2);\nx = M(3);\n");
    int calls = 0;
    std::string error;
    EXPECT_FALSE(Lumo::ModValParser::Walk(
        in, "f.cpp",
        [&calls](int line, const std::string&, std::string& failure) {
            ++calls;
            failure = "stop at " + std::to_string(line);
            return false;
        },
        error));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(error, "stop at 2");
}

TEST(ModValParserTest, LongLinesAreReadWhole)
{
    const std::string source = std::string(10000, ' ') + "x = LUMO_M(5);\n";
    EXPECT_EQ(WalkSource(source), (Found{{1, "5);"}}));
}
