// Formatting, parsing and conversion helpers.
#include "framework/core/StringUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <clocale>
#include <string>
#include <vector>

namespace {

TEST(StrFormatTest, FormatsShortAndLongTexts)
{
    EXPECT_EQ(Lumo::StrFormat("%d-%s", 42, "x"), "42-x");
    EXPECT_EQ(Lumo::StrFormat("%s", ""), "");

    // Around the 160-character first buffer and well past it.
    for (const size_t length : { size_t(159), size_t(160), size_t(161), size_t(5000) }) {
        const std::string text(length, 'q');
        EXPECT_EQ(Lumo::StrFormat("%s", text.c_str()), text) << length;
    }
}

TEST(StrFormatTest, CutsTextsBeyondTheLargestBuffer)
{
    const std::string text(1400000, 'z');
    const std::string result = Lumo::StrFormat("%s!", text.c_str());
    EXPECT_EQ(result.size(), 1310720u);
    EXPECT_EQ(result, text.substr(0, 1310720));
}

TEST(StringCaseTest, ConvertsEveryByte)
{
    EXPECT_EQ(Lumo::StringToUpper("abc-Z9\xE9"), "ABC-Z9\xE9");
    EXPECT_EQ(Lumo::StringToLower("ABC-z9"), "abc-z9");
}

TEST(StrFindNoCaseTest, FindsFirstOccurrence)
{
    struct Case {
        const char* text;
        const char* pattern;
        int expected;
    };
    const Case cases[] = {
        { "Hello World", "world", 6 },
        { "Hello World", "O", 4 },
        { "aab", "ab", 1 },
        { "abc", "abcd", -1 },
        { "abc", "x", -1 },
        { "abc", "", 0 },
        { "", "", -1 },
        { "", "a", -1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lumo::StrFindNoCase(c.text, c.pattern), c.expected) << c.text << " / " << c.pattern;
}

struct IntCase {
    const char* text;
    bool ok;
    int value;
};

const IntCase kIntCases[] = {
    { "0", true, 0 },
    { "0x1F", true, 31 },
    { "0XaB", true, 171 },
    { "-12", true, -12 },
    { "12a", false, 0 },
    { "x1", false, 0 },
    { "00x1", false, 0 },
    { "-0x1", false, 0 },  // a hex prefix after the sign is not accepted
    { "-x1", true, -1 },   // the 'x' stands at index 1 with the value still 0
    { "", false, 0 },
    { "-", true, 0 },
    { "0x", true, 0 },
    { " 1", false, 0 },
    { "+1", false, 0 },
    { "2147483647", true, INT_MAX },
    { "-2147483648", true, INT_MIN },
    // Overflow wraps modulo 2^32.
    { "4294967295", true, -1 },
    { "4294967296", true, 0 },
    { "0x80000000", true, INT_MIN },
    { "0x123456789", true, 0x23456789 },
};

TEST(StringToIntTest, NarrowAndWideAgree)
{
    for (const IntCase& c : kIntCases) {
        int value = 77;
        EXPECT_EQ(Lumo::StringToInt(std::string(c.text), &value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;

        value = 77;
        EXPECT_EQ(Lumo::StringToInt(Lumo::StringToWString(c.text), &value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(StringToIntTest, WideUnitsAreNotCutToBytes)
{
    int value = 0;
    // U+0131 and U+0661 have low bytes '1' and 'a'.
    EXPECT_FALSE(Lumo::StringToInt(std::u16string(u"1\u0131"), &value));
    EXPECT_FALSE(Lumo::StringToInt(std::u16string(u"0x\u0661"), &value));
    EXPECT_EQ(value, 0);
}

TEST(StringToDoubleTest, ParsesSignDigitsAndFraction)
{
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        { "-2.5", true, -2.5 },
        { "12", true, 12.0 },
        { "0.125", true, 0.125 },
        { "3.", true, 3.0 },
        { ".5", true, 0.5 },
        { ".", true, 0.0 },
        { "-", true, 0.0 },
        { "", false, 0.0 },
        { "1.2.3", false, 0.0 },
        { "1e5", false, 0.0 },
        { "+1", false, 0.0 },
        { "1-", false, 0.0 },
    };
    for (const Case& c : cases) {
        double value = 9.0;
        EXPECT_EQ(Lumo::StringToDouble(c.text, &value), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(value, c.value) << c.text;
    }
}

TEST(TrimTest, RemovesOuterWhiteSpaceOnly)
{
    EXPECT_EQ(Lumo::Trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(Lumo::Trim("x"), "x");
    EXPECT_EQ(Lumo::Trim(" \t\n "), "");
    EXPECT_EQ(Lumo::Trim(""), "");
}

TEST(FormatWithCommasTest, GroupsOfThree)
{
    struct Case {
        int64_t number;
        const char* expected;
    };
    const Case cases[] = {
        { 0, "0" },
        { 999, "999" },
        { 1000, "1,000" },
        { 100000, "100,000" },
        { 1234567, "1,234,567" },
        { INT_MAX, "2,147,483,647" },
        { -5, "" },
        { INT_MIN, "" },
        { int64_t(INT_MAX) + 1, "2,147,483,648" },
        { int64_t(1) << 40, "1,099,511,627,776" },
        { INT64_MAX, "9,223,372,036,854,775,807" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lumo::FormatWithCommas(c.number), c.expected) << c.number;
}

TEST(WideStringTest, NarrowBytesWidenToOneUnitEach)
{
    EXPECT_EQ(Lumo::StringToWString(std::string("A\xE9\xFF\0b", 5)), std::u16string(u"A\u00E9\u00FF\0b", 5));
}

TEST(WideStringTest, NarrowingFollowsTheLocale)
{
    EXPECT_EQ(Lumo::WStringToString(u"Hello"), "Hello");
    EXPECT_EQ(Lumo::WStringToString(u""), "");
    EXPECT_EQ(Lumo::WStringToString(std::u16string(u"a\0b", 3)), "a");
    // The "C" locale has no byte for it: the conversion fails.
    EXPECT_EQ(Lumo::WStringToString(u"a\u4E2D"), "");

    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr)
        GTEST_SKIP() << "no C.UTF-8 locale";
    EXPECT_EQ(Lumo::WStringToString(u"\u20AC1"), "\xE2\x82\xAC" "1");
    EXPECT_EQ(Lumo::WStringToString(u"a\xD800"), "");
    std::setlocale(LC_CTYPE, previous.c_str());
}

TEST(ReadUTF8CharTest, DecodesOrRejectsOneSequence)
{
    struct Case {
        std::vector<uint8_t> bytes;
        int remaining;
        int used;
        char16_t character;
    };
    const Case cases[] = {
        { { 0x41 }, 1, 1, u'A' },
        { { 0xC2, 0xA9 }, 2, 2, 0x00A9 },
        { { 0xE2, 0x82, 0xAC }, 3, 3, 0x20AC },
        { { 0xE0, 0xA0, 0x80 }, 3, 3, 0x0800 },
        { { 0xF0, 0x9F, 0x98, 0x80 }, 4, 4, 0xF600 },           // U+1F600 keeps its low 16 bits
        { { 0xF8, 0x88, 0x80, 0x80, 0x80 }, 5, 5, 0x0000 },     // 0x200000
        { { 0x41 }, 0, 0, 0 },                                  // nothing remaining
        { { 0x80 }, 1, 0, 0 },                                  // stray continuation byte
        { { 0xC0, 0x80 }, 2, 0, 0 },                            // overlong 2-byte
        { { 0xC1, 0xBF }, 2, 0, 0 },
        { { 0xE0, 0x9F, 0xBF }, 3, 0, 0 },                      // overlong 3-byte
        { { 0xF0, 0x8F, 0xBF, 0xBF }, 4, 0, 0 },                // overlong 4-byte
        { { 0xF8, 0x87, 0xBF, 0xBF, 0xBF }, 5, 0, 0 },          // overlong 5-byte
        { { 0xED, 0xA0, 0x80 }, 3, 0, 0 },                      // surrogate
        { { 0xEF, 0xBF, 0xBE }, 3, 0, 0 },                      // U+FFFE
        { { 0xEF, 0xBF, 0xBF }, 3, 0, 0 },                      // U+FFFF
        { { 0xE2, 0x82, 0xAC }, 2, 0, 0 },                      // truncated by the count
        { { 0xE2, 0x41, 0xAC }, 3, 0, 0 },                      // not a continuation byte
        { { 0xFC, 0x84, 0x80, 0x80, 0x80, 0x80 }, 6, 0, 0 },    // 6-byte forms are not decoded
        { { 0xFF }, 1, 0, 0 },
    };
    for (const Case& c : cases) {
        const uint8_t* pos = c.bytes.data();
        char16_t character = 0x1234;
        const int used = Lumo::ReadUTF8Char(&pos, c.remaining, &character);
        EXPECT_EQ(used, c.used) << "first byte " << int(c.bytes[0]);
        EXPECT_EQ(pos, c.bytes.data() + used);
        if (used > 0) {
            EXPECT_EQ(character, c.character) << "first byte " << int(c.bytes[0]);
        }
    }
}

} // namespace
