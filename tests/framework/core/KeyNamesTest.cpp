// Key names to virtual-key codes.
#include "framework/core/KeyNames.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyNamesTest, NamesAndSingleCharacters)
{
    struct Case {
        const char* name;
        int code;
    };
    const Case cases[] = {
        { "f1", 0x70 },
        { "F24", 0x87 },
        { "a", 0x41 },
        { "A", 0x41 },
        { "0", 0x30 },
        { "Z", 0x5A },
        { "[", 0xDB },      // 0x5B + 128
        { "`", 0xE0 },      // 0x60 + 128
        { "!", 0 },
        { "space", 0x20 },
        { "NumPad9", 0x69 },
        { "LBUTTON", 0x01 },
        { "SCROLL", 0x91 },
        { "HANGUL", 0x15 }, // names sharing a code
        { "KANJI", 0x19 },
        { "NONCONVERT", 0x1D }, // 10 characters, the longest allowed
        { "NONCONVERTX", 0 },
        { "LBUTTONXXXX", 0 },   // 11 characters give 0 before any lookup
        { "F25", 0 },
        { "SPACE ", 0 },
        { "", 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lumo::GetKeyCodeFromName(c.name), c.code) << '"' << c.name << '"';
}

} // namespace
