// The product version record: found in a real linked program, in hand-made
// ELF files of both classes and byte orders, and refused in anything damaged.
#include "framework/app/ProductVersion.h"

#include "platform/system/ProcessControl.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace {

// Builds a small ELF file: header, section names, one record section, then
// the section table (null entry, names, record).
struct ElfSpec {
    bool is64 = true;
    bool bigEndian = false;
    std::string sectionName = ".lumo.version";
    std::string record = std::string("LUMOPVER") + "2.5.1" + std::string(1, '\0');
    uint64_t recordOffsetShift = 0; // added to the record's stored offset
    uint32_t recordType = 1;        // PROGBITS; 8 is NOBITS
};

class Writer {
public:
    explicit Writer(bool bigEndian) : mBig(bigEndian) {}
    void Put(uint64_t value, int width)
    {
        for (int i = 0; i < width; ++i) {
            const int shift = 8 * (mBig ? width - 1 - i : i);
            mBytes.push_back(static_cast<uint8_t>(value >> shift));
        }
    }
    void PutBytes(const std::string& bytes) { mBytes.insert(mBytes.end(), bytes.begin(), bytes.end()); }
    void PadTo(size_t size) { mBytes.resize(size, 0); }
    std::vector<uint8_t> mBytes;

private:
    bool mBig;
};

std::vector<uint8_t> MakeElf(const ElfSpec& spec)
{
    const int word = spec.is64 ? 8 : 4;
    const size_t headerSize = spec.is64 ? 64 : 52;
    const size_t entrySize = spec.is64 ? 64 : 40;
    const std::string names = std::string(1, '\0') + ".shstrtab" + std::string(1, '\0') + spec.sectionName +
                              std::string(1, '\0');
    const size_t namesOffset = headerSize;
    const size_t recordOffset = namesOffset + names.size();
    const size_t tableOffset = recordOffset + spec.record.size();

    Writer w(spec.bigEndian);
    w.PutBytes("\x7F" "ELF");
    w.Put(spec.is64 ? 2 : 1, 1);
    w.Put(spec.bigEndian ? 2 : 1, 1);
    w.Put(1, 1); // version
    w.PadTo(16);
    w.Put(2, 2);  // executable
    w.Put(62, 2); // machine
    w.Put(1, 4);  // version
    w.Put(0, word); // entry
    w.Put(0, word); // program headers
    w.Put(tableOffset, word);
    w.Put(0, 4); // flags
    w.Put(headerSize, 2);
    w.Put(0, 2); // program header entry size
    w.Put(0, 2); // program header count
    w.Put(entrySize, 2);
    w.Put(3, 2); // section count
    w.Put(1, 2); // names section index
    EXPECT_EQ(w.mBytes.size(), headerSize);
    w.PutBytes(names);
    w.PutBytes(spec.record);

    auto entry = [&](uint32_t name, uint32_t type, uint64_t offset, uint64_t size) {
        w.Put(name, 4);
        w.Put(type, 4);
        w.Put(0, word); // flags
        w.Put(0, word); // address
        w.Put(offset, word);
        w.Put(size, word);
        w.Put(0, 4); // link
        w.Put(0, 4); // info
        w.Put(1, word); // alignment
        w.Put(0, word); // entry size
    };
    entry(0, 0, 0, 0);
    entry(1, 3, namesOffset, names.size());
    entry(11, spec.recordType, recordOffset + spec.recordOffsetShift, spec.record.size());
    return w.mBytes;
}

TEST(ProductVersionTest, ReadsTheRecordOfHandMadeFiles)
{
    TempFolder temp;
    struct Case {
        const char* what;
        ElfSpec spec;
        std::string expected;
    };
    ElfSpec big32;
    big32.is64 = false;
    big32.bigEndian = true;
    big32.record = std::string("LUMOPVER") + "0.9 beta" + std::string(1, '\0');
    ElfSpec padded; // text ends at the first zero; the rest of the record is padding
    padded.record = std::string("LUMOPVER") + "3.1" + std::string(20, '\0');
    ElfSpec otherName;
    otherName.sectionName = ".lumo.versions";
    ElfSpec shortName;
    shortName.sectionName = ".lumo";
    ElfSpec badMagic;
    badMagic.record = std::string("LUMOPVXR") + "2.5.1" + std::string(1, '\0');
    ElfSpec unterminated;
    unterminated.record = std::string("LUMOPVER") + "2.5.1";
    ElfSpec onlyMagic;
    onlyMagic.record = "LUMOPVER";
    ElfSpec pastEnd;
    pastEnd.recordOffsetShift = 1000;
    ElfSpec hugeOffset;
    hugeOffset.recordOffsetShift = ~uint64_t(0) - 200;
    ElfSpec noBits;
    noBits.recordType = 8;
    const Case cases[] = {
        {"64-bit little-endian", ElfSpec{}, "2.5.1"},
        {"32-bit big-endian", big32, "0.9 beta"},
        {"zero padding after the text", padded, "3.1"},
        {"no section of that name", otherName, ""},
        {"a prefix of the name", shortName, ""},
        {"wrong magic", badMagic, ""},
        {"text without its zero", unterminated, ""},
        {"magic only", onlyMagic, ""},
        {"record past the file's end", pastEnd, ""},
        {"offset wrapping round", hugeOffset, ""},
        {"section without bytes in the file", noBits, ""},
    };
    for (const Case& c : cases) {
        const std::string path = temp.Write("case.elf", MakeElf(c.spec));
        EXPECT_EQ(Lumo::ReadProductVersion(path), c.expected) << c.what;
    }
}

TEST(ProductVersionTest, ThisProgramCarriesTheStampedVersion)
{
    const std::string version = Lumo::ReadProductVersion(Plat::ExecutablePath());
    EXPECT_TRUE(std::regex_match(version, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+"))) << version;
    EXPECT_EQ(version, Lumo::BuiltProductVersion());
    TestApp app;
    EXPECT_EQ(app.productVersion, version);
}

TEST(ProductVersionTest, DamagedOrMissingFilesHaveNoVersion)
{
    TempFolder temp;
    std::ifstream self(Plat::ExecutablePath(), std::ios::binary);
    const std::string program((std::istreambuf_iterator<char>(self)), std::istreambuf_iterator<char>());
    ASSERT_GT(program.size(), 1000U);
    ASSERT_FALSE(Lumo::ReadProductVersion(temp.Write("whole", program)).empty());

    struct Case {
        const char* what;
        std::string path;
    };
    // The section table sits at the end of a linked program: any cut loses it.
    const Case cases[] = {
        {"cut to half", temp.Write("half", program.substr(0, program.size() / 2))},
        {"cut by one byte", temp.Write("less-one", program.substr(0, program.size() - 1))},
        {"cut inside the header", temp.Write("header", program.substr(0, 30))},
        {"empty file", temp.Write("empty", std::string())},
        {"not ELF", temp.Write("text.txt", std::string("#!/bin/sh\necho LUMOPVER 1.0\n"))},
        {"missing file", temp.Join("no-such-file")},
        {"a folder", temp.MakeFolder("folder")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Lumo::ReadProductVersion(c.path), "") << c.what;
    }
}

} // namespace
