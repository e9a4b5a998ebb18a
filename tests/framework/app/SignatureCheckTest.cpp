#include "framework/app/LumoApp.h"
#include "framework/app/SignatureCheck.h"
#include "framework/core/BigInt.h"
#include "framework/core/Buffer.h"
#include "framework/core/MD5.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

// A 96-bit key pair made for these tests: n = p * q with
// p = 0xEEEBD200D6B5, q = 0xF1A3857EE177; e * d = 1 mod lcm(p - 1, q - 1).
const char* const kModulus = "E1849D706F413966112EE323";
const char* const kExponent = "11";
const char* const kPrivateExponent = "637E45755E4198227F1892F5";
constexpr uint32_t kStamp = 20240613;

const std::string kSigned = "<?xml version=\"1.0\"?>\r\n"
                            "<Properties>\r\n"
                            "  <String id=\"FATAL_ERROR\">Big trouble</String>\r\n"
                            "  <Boolean id=\"DontUpdate\">true</Boolean>\r\n"
                            "</Properties>\r\n";
// Made outside the program: MD5 of the stamp (4 bytes, low first) and the
// content less white space, cut to its top 94 bits, raised to d mod n.
const std::string kSignature = "848F6DA7D2D03E3E46056CA7";
// A content whose signature has only 22 significant digits.
const std::string kShortSigned = "<Properties><Integer id=\"Count\">26</Integer></Properties>";
const std::string kShortSignature = "FA3E01CA42F5D6D056DDF3";

Lumo::Buffer BufferOf(const std::string& text)
{
    Lumo::Buffer buffer;
    buffer.SetData(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
    return buffer;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(SignatureCheckTest, SignatureSurvivesWhiteSpaceButNoOtherChange)
{
    TempFolder temp;
    struct Case {
        const char* what;
        std::string content;
        std::string signatureFile;
        uint32_t stamp;
        bool valid;
    } cases[] = {
        {"as signed", kSigned, kSignature, kStamp, true},
        {"lower-case digits", kSigned, Lower(kSignature), kStamp, true},
        {"text after the 24 digits", kSigned, kSignature + "\r\nmade by the signing tool", kStamp, true},
        {"line feeds for CR LF", Replace(kSigned, "\r\n", "\n"), kSignature, kStamp, true},
        {"re-indented", Replace(Replace(kSigned, "  <", "\t \v<"), "\r\n", "\f\n\n"), kSignature, kStamp, true},
        {"blank inside a text dropped", Replace(kSigned, "Big trouble", "Bigtrouble"), kSignature, kStamp, true},
        {"one visible character changed", Replace(kSigned, "Big trouble", "Big Trouble"), kSignature, kStamp,
         false},
        {"another product's stamp", kSigned, kSignature, kStamp + 1, false},
        {"23 digits", kSigned, kSignature.substr(0, 23), kStamp, false},
        {"empty signature file", kSigned, "", kStamp, false},
        {"signature of other content", kShortSigned, kSignature, kStamp, false},
        // A shorter text is the number it spells, and verifies when that number does.
        {"short signature", kShortSigned, kShortSignature, kStamp, true},
        {"short signature with leading zeros", kShortSigned, "00" + kShortSignature, kStamp, true},
        {"short signature with a digit too many", kShortSigned, kShortSignature + "0", kStamp, false},
    };
    for (const Case& c : cases) {
        temp.Write("props/partner.xml.sig", c.signatureFile);
        const bool valid =
            Lumo::CheckDataSignature(BufferOf(c.content), temp.Join("props\\partner.xml"), c.stamp, kModulus, kExponent);
        EXPECT_EQ(valid, c.valid) << c.what;
    }

    // No signature file, no acceptance; nor with a modulus of zero.
    EXPECT_FALSE(Lumo::CheckDataSignature(BufferOf(kSigned), temp.Join("other.xml"), kStamp, kModulus, kExponent));
    temp.Write("props/partner.xml.sig", kSignature);
    EXPECT_FALSE(Lumo::CheckDataSignature(BufferOf(kSigned), temp.Join("props/partner.xml"), kStamp, "0", kExponent));
}

TEST(SignatureCheckTest, SignaturesMadeWithThePrivateKeyVerify)
{
    TempFolder temp;
    const BigInt modulus(kModulus);
    const BigInt privateExponent(kPrivateExponent);
    for (int i = 0; i < 8; ++i) {
        const std::string content = "<Properties>\n <Integer id=\"N\">" + std::to_string(i * 7919) +
                                    "</Integer>\n</Properties>\n";
        std::string message = {char(kStamp & 0xFF), char((kStamp >> 8) & 0xFF), char((kStamp >> 16) & 0xFF),
                               char(kStamp >> 24)};
        for (char c : content) {
            if (c != ' ' && c != '\n')
                message += c;
        }
        const BigInt hash = Lumo::HashData(message.data(), message.size(), 94);
        temp.Write("data.xml.sig", hash.ModPow(privateExponent, modulus).ToHexString());
        const std::string path = temp.Join("data.xml");
        EXPECT_TRUE(Lumo::CheckDataSignature(BufferOf(content), path, kStamp, kModulus, kExponent)) << i;
        EXPECT_FALSE(Lumo::CheckDataSignature(BufferOf(content + "x"), path, kStamp, kModulus, kExponent)) << i;
    }
}

TEST(SignatureCheckTest, TheProductChecksWithItsOwnKey)
{
    TempFolder temp;
    Lumo::LumoAppBase base;
    Lumo::LumoApp product;
    // Signed with the product's key for the unstamped build (stamp 0).
    const std::string content = "<Properties><String id=\"ProdName\">Tavoro Oribel</String></Properties>\n";
    const std::string path = temp.Join("partner.xml");
    EXPECT_FALSE(product.CheckSignature(BufferOf(content), path)); // no signature file yet
    temp.Write("partner.xml.sig", "1063D6F22D7E50FAF54962F1");
    EXPECT_TRUE(product.CheckSignature(BufferOf(content), path));
    EXPECT_FALSE(product.CheckSignature(BufferOf(content + "<!-- -->"), path));
    EXPECT_FALSE(base.CheckSignature(BufferOf(content), path));
}

} // namespace
