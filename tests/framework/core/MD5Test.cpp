// MD5 against the RFC 1321 suite and digests made by a separate tool, and the
// hash number of the data-file signature check.
#include "framework/core/MD5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string ToHex(const uint8_t* bytes, size_t length)
{
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        text.push_back(kHex[bytes[i] >> 4]);
        text.push_back(kHex[bytes[i] & 0xF]);
    }
    return text;
}

std::string DigestHex(const void* bytes, size_t length)
{
    Lumo::MD5Context context;
    Lumo::MD5Update(context, bytes, length);
    uint8_t digest[16];
    Lumo::MD5Final(digest, context);
    return ToHex(digest, sizeof(digest));
}

std::string DigestHex(const std::string& text)
{
    return DigestHex(text.data(), text.size());
}

// Byte i is (i * 37 + 11) & 0xFF: every byte value, high bit set or not.
std::vector<uint8_t> Pattern(size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>((i * 37 + 11) & 0xFF);
    return bytes;
}

TEST(MD5Test, RfcTestSuite)
{
    struct Case {
        const char* text;
        const char* digest;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DigestHex(c.text), c.digest) << '"' << c.text << '"';
}

TEST(MD5Test, PaddingBoundaries)
{
    // Lengths around 56 (where the length no longer fits the last block) and
    // 64 (a whole block); digests from md5sum over the same bytes.
    struct Case {
        size_t length;
        const char* digest;
    };
    const Case cases[] = {
        {55, "d872aa0473a24da995ce4ac518ade767"}, {56, "e23567645846677c205de80f9779081b"},
        {57, "1fe5e4a27e12484d7203d0b60c21c51f"}, {58, "496c1fa53bb99ae398aa131ced2180d9"},
        {59, "3788ef2f95eee1791e29c134589d25a7"}, {60, "4ac2483217717835220f6aeef7fb9c71"},
        {61, "377169c1005e5304bbb6b4f3213324c4"}, {62, "fb973e262a6b29c6569aacf1f7fbc798"},
        {63, "4775b66278a8fc132ff80923378216cd"}, {64, "71e123b70c7aa64826fcfe472694cd1c"},
        {65, "5949948f26e35203661075214faa3966"},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = Pattern(c.length);
        EXPECT_EQ(DigestHex(bytes.data(), bytes.size()), c.digest) << c.length;
    }
}

TEST(MD5Test, SplitUpdatesGiveTheSameDigest)
{
    const std::vector<uint8_t> bytes = Pattern(1000);
    const std::string expected = "c3cb8ae118768782aa1896d7fb2827ef"; // md5sum
    ASSERT_EQ(DigestHex(bytes.data(), bytes.size()), expected);

    const size_t pieceSizes[] = {1, 3, 55, 56, 63, 64, 65, 127, 128, 999};
    for (const size_t pieceSize : pieceSizes) {
        Lumo::MD5Context context;
        for (size_t at = 0; at < bytes.size(); at += pieceSize)
            Lumo::MD5Update(context, bytes.data() + at, std::min(pieceSize, bytes.size() - at));
        uint8_t digest[16];
        Lumo::MD5Final(digest, context);
        EXPECT_EQ(ToHex(digest, 16), expected) << pieceSize;
    }

    // Uneven pieces, including empty ones.
    const size_t cuts[] = {0, 0, 7, 64, 64, 100, 163, 500, 1000};
    Lumo::MD5Context context;
    for (size_t i = 1; i < std::size(cuts); ++i)
        Lumo::MD5Update(context, bytes.data() + cuts[i - 1], cuts[i] - cuts[i - 1]);
    uint8_t digest[16];
    Lumo::MD5Final(digest, context);
    EXPECT_EQ(ToHex(digest, 16), expected);
}

TEST(MD5Test, MillionBytesAndContextReuse)
{
    const std::string block(1000, 'a');
    Lumo::MD5Context context;
    for (int i = 0; i < 1000; ++i)
        Lumo::MD5Update(context, block.data(), block.size());
    uint8_t digest[16];
    Lumo::MD5Final(digest, context);
    EXPECT_EQ(ToHex(digest, 16), "7707d6ae4e027c70eea2a935c2296f21");

    // The finished context is reset for a new message, and MD5Init drops a
    // message half fed.
    Lumo::MD5Update(context, "abc", 3);
    Lumo::MD5Final(digest, context);
    EXPECT_EQ(ToHex(digest, 16), "900150983cd24fb0d6963f7d28e17f72");
    Lumo::MD5Update(context, "xyz", 3);
    Lumo::MD5Init(context);
    Lumo::MD5Update(context, "abc", 3);
    Lumo::MD5Final(digest, context);
    EXPECT_EQ(ToHex(digest, 16), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(MD5Test, HashNumberKeepsTheTopBits)
{
    // abc's digest 900150983cd24fb0d6963f7d28e17f72 has its highest bit set;
    // a's digest 0cc175b9c0f1b6a831c399e269772661 has 124 significant bits.
    struct Case {
        const char* text;
        int bits;
        const char* expected;
    };
    const Case cases[] = {
        {"abc", 128, "900150983cd24fb0d6963f7d28e17f72"},
        {"abc", 94, "240054260f3493ec35a58fdf"}, // digest >> 34
        {"a", 94, "3305d6e703c6daa0c70e6789"},   // digest >> 30
        {"", 94, "3507633663c02c813a600266"},    // d41d8cd98f00b204e9800998ecf8427e >> 34
        // More than 128 bits: nibbles 0, 1, 2, ... are appended, then the
        // top bits kept. 130 bits: (digest << 4 | 0) >> 2.
        {"abc", 130, "240054260f3493ec35a58fdf4a385fdc8"},
        {"abc", 200, "900150983cd24fb0d6963f7d28e17f720123456789abcdef01"},
        // Fewer significant bits than asked: kept whole, not shifted.
        {"a", 128, "cc175b9c0f1b6a831c399e269772661"},
        {"a", 200, "cc175b9c0f1b6a831c399e2697726610123456789abcdef01"},
        {"abc", 0, "0"},
    };
    for (const Case& c : cases) {
        const std::string text = c.text;
        const BigInt value = Lumo::HashData(text.data(), text.size(), c.bits);
        EXPECT_EQ(value.ToHexString(), c.expected) << '"' << c.text << "\" " << c.bits;
        EXPECT_FALSE(value.IsNegative());
    }
    EXPECT_EQ(Lumo::HashData("abc", 3, 94).BitLength(), 94);
}

TEST(MD5Test, SignatureCheckRoundTrip)
{
    // A 96-bit modulus (24 hex digits), exponent 17 and a signature made for
    // the message's 94-bit hash number with the matching private exponent.
    const BigInt modulus(std::string("E9457B394E73EE489239D48D"));
    const BigInt exponent(17);
    const BigInt signature(std::string("E6EDE90D745E1D72E0FA58BB"));
    std::string message("\x39\x30\x00\x00", 4);
    message += "<Properties><String id=\"Title\">TavoroOribel</String></Properties>";

    const BigInt hash = Lumo::HashData(message.data(), message.size(), 94);
    EXPECT_EQ(hash.ToHexString(), "2915b8887a5fb7b28deb268a");
    EXPECT_TRUE(signature.ModPow(exponent, modulus) == hash);

    std::string tampered = message;
    tampered[10] ^= 1;
    EXPECT_FALSE(signature.ModPow(exponent, modulus) == Lumo::HashData(tampered.data(), tampered.size(), 94));
}

} // namespace
