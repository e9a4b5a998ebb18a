// The crash report from a raw record: the record reader, the exception
// names, the report's text from a fixed record, logical addresses in an ELF
// file, and the linker-map rewrite.
#include "framework/app/CrashReport.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <fstream>
#include <iterator>
#include <link.h>
#include <sys/ucontext.h>

namespace {

using Lumo::CrashContext;
using Lumo::CrashRecord;

std::string Bytes(const void* data, size_t size)
{
    return std::string(static_cast<const char*>(data), size);
}

bool ParseRecord(const std::string& bytes, CrashRecord& record, std::string& error)
{
    return Lumo::ParseCrashRecord(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), record, error);
}

std::string ReadWholeFile(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// A record as the handler writes it: header, frames, context, map.
std::string MakeRecord(const Plat::CrashRecordHeader& header, const std::vector<Plat::CrashRecordFrame>& frames,
                       const std::string& context, const std::string& maps)
{
    std::string record = Bytes(&header, sizeof(header));
    for (const Plat::CrashRecordFrame& frame : frames)
        record += Bytes(&frame, sizeof(frame));
    const uint32_t size = static_cast<uint32_t>(context.size());
    return record + Bytes(&size, sizeof(size)) + context + maps;
}

Plat::CrashRecordHeader MakeHeader(int signal, int code)
{
    Plat::CrashRecordHeader header;
    std::memset(&header, 0, sizeof(header));
    std::memcpy(header.magic, Plat::kCrashRecordMagic, sizeof(header.magic));
    header.signal = signal;
    header.code = code;
    header.threadId = 0x1A2B;
    for (int i = 0; i < Plat::kCrashRecordRegisters; ++i)
        header.registers[i] = 0x1111111111111111ull * static_cast<uint64_t>(i % 16);
    header.registers[REG_RIP] = 0x00007F0012345678ull;
    header.registers[REG_RSP] = 0x00007FFE00001000ull;
    header.registers[REG_EFL] = 0x10246;
    header.registers[REG_CSGSFS] = 0x002B000000000033ull;
    header.frameCount = 1;
    return header;
}

Plat::CrashRecordFrame MakeFrame(uint64_t pc, const char* name, uint64_t offset)
{
    Plat::CrashRecordFrame frame;
    std::memset(&frame, 0, sizeof(frame));
    frame.pc = pc;
    frame.sp = 0x7FFE00001000ull;
    std::strncpy(frame.name, name, sizeof(frame.name) - 1);
    frame.nameOffset = offset;
    return frame;
}

TEST(CrashReportTest, ExceptionCodesAndNames)
{
    struct Case {
        int signal;
        int code;
        uint64_t fault;
        uint32_t expected;
        const char* name; // null: "Unknown exception"
    };
    constexpr uint64_t sp = 0x7FFE00001000ull;
    const Case cases[] = {
        {SIGSEGV, SEGV_MAPERR, 0, 0xC0000005, "Access Violation"},
        {SIGSEGV, SEGV_MAPERR, sp - 8, 0xC00000FD, "Stack Overflow"},
        {SIGSEGV, SEGV_MAPERR, sp - 70000, 0xC0000005, "Access Violation"},
        {SIGBUS, BUS_ADRALN, 0, 0x80000002, "Data Type Misalignment"},
        {SIGBUS, BUS_ADRERR, 0, 0xC0000006, "In Page Error"},
        {SIGFPE, FPE_INTDIV, 0, 0xC0000094, "Integer Divide by Zero"},
        {SIGFPE, FPE_FLTOVF, 0, 0xC0000091, "Float Overflow"},
        {SIGFPE, SI_TKILL, 0, SIGFPE, nullptr},
        {SIGILL, ILL_ILLOPC, 0, 0xC000001D, "Illegal Instruction"},
        {SIGILL, ILL_PRVOPC, 0, 0xC0000096, "Privileged Instruction"},
        {SIGABRT, SI_TKILL, 0, 6, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        Plat::CrashRecordHeader header = MakeHeader(c.signal, c.code);
        header.registers[REG_RSP] = sp;
        header.faultAddress = c.fault;
        const uint32_t code = Lumo::CrashExceptionCode(header);
        EXPECT_EQ(code, c.expected);
        const char* name = Lumo::CrashExceptionName(code);
        if (c.name == nullptr) {
            EXPECT_EQ(name, nullptr);
        } else {
            EXPECT_STREQ(name, c.name);
        }
    }
}

TEST(CrashReportTest, ReportTextFromAFixedRecord)
{
    Plat::CrashRecordHeader header = MakeHeader(SIGFPE, FPE_INTDIV);
    header.monotonicMs = 5000 + (3600 + 120 + 3) * 1000; // 01:02:03 after loading
    CrashContext context;
    context.Set("registered", "1");
    context.Set("info.head", "Product: Test\r\nTime Loaded: ");
    context.Set("info.tail", "\r\nFullscreen: No\r\n");
    context.Set("loadedAtMs", "5000");
    context.Set("video", "SDL 2.0.0 test");
    const std::string raw = MakeRecord(header, {MakeFrame(0x00007F0012345678ull, "_ZN4Game6UpdateEi", 0x2A)},
                                       context.Serialize(), "");
    CrashRecord record;
    std::string error;
    ASSERT_TRUE(ParseRecord(raw, record, error));
    std::string title;
    const std::string text = Lumo::BuildCrashReportText(record, CrashContext::Parse(record.context), title);
    EXPECT_EQ(title, "Exception at 0000:00000000");
    const std::string expectedStart =
        "Exception: Integer Divide by Zero (code 0xc0000094) at address 00007F0012345678 in thread 1A2B\r\n"
        "Module: \r\n"
        "Logical Address: 0000:00000000\r\n"
        "\r\n"
        "00007FFE00001000 00007F0012345678 Game::Update(int)+2A\r\n"
        "\r\n"
        "RAX:DDDDDDDDDDDDDDDD RBX:BBBBBBBBBBBBBBBB RCX:EEEEEEEEEEEEEEEE RDX:CCCCCCCCCCCCCCCC\r\n"
        "RSI:9999999999999999 RDI:8888888888888888 R8:0000000000000000 R9:1111111111111111\r\n"
        "R10:2222222222222222 R11:3333333333333333 R12:4444444444444444 R13:5555555555555555\r\n"
        "R14:6666666666666666 R15:7777777777777777\r\n"
        "RIP:00007F0012345678 RSP:00007FFE00001000  RBP:AAAAAAAAAAAAAAAA\r\n"
        "CS:0033 FS:0000 GS:0000 SS:002B\r\n"
        "Flags:00010246\r\n"
        "\r\n"
        "System: ";
    EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(text.find("Params:"), std::string::npos);
    const std::string expectedEnd =
        "\r\nVideo: SDL 2.0.0 test\r\n\r\nProduct: Test\r\nTime Loaded: 01:02:03\r\nFullscreen: No\r\n";
    ASSERT_GE(text.size(), expectedEnd.size());
    EXPECT_EQ(text.substr(text.size() - expectedEnd.size()), expectedEnd);

    // Without a registered application: no driver lines, no information block.
    context.Set("registered", "0");
    const std::string bare = Lumo::BuildCrashReportText(record, context, title);
    EXPECT_EQ(bare.find("Video:"), std::string::npos);
    EXPECT_EQ(bare.find("Product:"), std::string::npos);
}

TEST(CrashReportTest, BrokenRecordsAreRefused)
{
    const Plat::CrashRecordHeader header = MakeHeader(SIGSEGV, SEGV_MAPERR);
    const std::string good = MakeRecord(header, {MakeFrame(1, "f", 0)}, "registered=1\n", "maps");
    struct Case {
        const char* title;
        std::string bytes;
    };
    std::string badMagic = good;
    badMagic[0] = 'X';
    Plat::CrashRecordHeader many = header;
    many.frameCount = 1000;
    std::string longContext = MakeRecord(header, {MakeFrame(1, "f", 0)}, "", "");
    const uint32_t huge = 0xFFFFFFF0u;
    std::memcpy(&longContext[sizeof(header) + sizeof(Plat::CrashRecordFrame)], &huge, sizeof(huge));
    const Case cases[] = {
        {"empty", ""},
        {"header cut", good.substr(0, sizeof(header) - 1)},
        {"wrong magic", badMagic},
        {"too many frames", MakeRecord(many, {}, "", "")},
        {"frames cut", good.substr(0, sizeof(header) + 10)},
        {"context longer than the record", longContext},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        CrashRecord record;
        std::string error;
        EXPECT_FALSE(ParseRecord(c.bytes, record, error));
        EXPECT_FALSE(error.empty());
    }
    CrashRecord record;
    std::string error;
    ASSERT_TRUE(ParseRecord(good, record, error));
    EXPECT_EQ(record.context, "registered=1\n");
    EXPECT_EQ(record.maps, "maps");
}

TEST(CrashReportTest, RecordGoesOnlyOnceItsReportIsSaved)
{
    TempFolder tmp;
    tmp.Write("blocked", "a file where a folder should be");
    struct Case {
        const char* title;
        std::string folder;
        bool cut;
        bool ok;
        bool saved;
    };
    const Case cases[] = {
        {"saved in a new folder", tmp.Join("user data"), false, true, true},
        {"folder cannot be made", tmp.Join("blocked/user data"), false, true, false},
        {"record cut short", tmp.Join("user data"), true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        CrashContext context;
        context.Set("folder", c.folder);
        std::string raw = MakeRecord(MakeHeader(SIGSEGV, SEGV_MAPERR), {MakeFrame(1, "f", 0)}, context.Serialize(), "");
        if (c.cut)
            raw.resize(sizeof(Plat::CrashRecordHeader) + 4);
        const std::string recordPath = tmp.Write("records/crash-1.rec", raw);
        const Lumo::CrashReportResult result = Lumo::ProcessCrashRecord(recordPath);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(tmp.Exists("records/crash-1.rec"), !c.saved);
        if (c.saved) {
            EXPECT_EQ(result.crashFilePath, c.folder + "/crash.txt");
            EXPECT_EQ(tmp.Read("user data/crash.txt"), result.text + "\n");
        } else {
            EXPECT_EQ(result.crashFilePath, "");
        }
    }
}

TEST(CrashReportTest, ContextKeepsEveryCharacter)
{
    CrashContext context;
    context.Set("info.head", "a=b\\c\r\nd\te");
    context.formFields = {{"referid", "x=y\n"}, {"buildnum", "7"}};
    const CrashContext back = CrashContext::Parse(context.Serialize());
    EXPECT_EQ(back.values, context.values);
    EXPECT_EQ(back.formFields, context.formFields);
}

// Where this test program's own function lies, worked out through the
// loader's view of the program (not the memory map the reporter reads).
int gKnownData = 5;
__attribute__((noinline)) int KnownFunction()
{
    return gKnownData + 1;
}

TEST(CrashReportTest, LogicalAddressOfAKnownFunction)
{
    const auto address = reinterpret_cast<uintptr_t>(&KnownFunction);
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(address), &info), 0);
    const std::string elf = ReadWholeFile("/proc/self/exe");
    Elf64_Ehdr header;
    std::memcpy(&header, elf.data(), sizeof(header));
    Elf64_Shdr names;
    std::memcpy(&names, elf.data() + header.e_shoff + header.e_shstrndx * sizeof(Elf64_Shdr), sizeof(names));
    uint32_t textIndex = 0;
    uint64_t textAddress = 0;
    for (uint32_t i = 1; i < header.e_shnum; ++i) {
        Elf64_Shdr section;
        std::memcpy(&section, elf.data() + header.e_shoff + i * sizeof(Elf64_Shdr), sizeof(section));
        if (std::strcmp(elf.data() + names.sh_offset + section.sh_name, ".text") == 0) {
            textIndex = i;
            textAddress = section.sh_addr;
        }
    }
    ASSERT_NE(textIndex, 0u);
    const uint64_t expectedOffset = address - reinterpret_cast<uintptr_t>(info.dli_fbase) - textAddress;

    const std::string maps = ReadWholeFile("/proc/self/maps");
    std::string module;
    uint32_t section = 0;
    uint32_t offset = 0;
    ASSERT_TRUE(Lumo::GetLogicalAddress(maps, address, module, section, offset));
    EXPECT_EQ(module, "test_CrashReportTest");
    EXPECT_EQ(section, textIndex);
    EXPECT_EQ(offset, expectedOffset);

    // Its name from the program's symbols, at its start and inside it.
    std::string name;
    uint64_t distance = 99;
    ASSERT_TRUE(Lumo::FindCrashSymbol(maps, address, name, distance));
    EXPECT_EQ(Lumo::DemangleName(name), "(anonymous namespace)::KnownFunction()");
    EXPECT_EQ(distance, 0u);
    ASSERT_TRUE(Lumo::FindCrashSymbol(maps, address + 1, name, distance));
    EXPECT_EQ(distance, 1u);

    // An address nothing maps.
    EXPECT_FALSE(Lumo::FindCrashSymbol(maps, 8, name, distance));
    EXPECT_FALSE(Lumo::GetLogicalAddress(maps, 8, module, section, offset));
    EXPECT_EQ(module, "");
    EXPECT_EQ(section, 0u);
}

TEST(CrashReportTest, ElfReaderRefusesBrokenImages)
{
    const std::string elf = ReadWholeFile("/proc/self/exe");
    const auto* bytes = reinterpret_cast<const uint8_t*>(elf.data());
    uint32_t section = 0;
    uint32_t offset = 0;
    EXPECT_FALSE(Lumo::ElfLogicalAddress(bytes, 10, 0x1000, section, offset));
    EXPECT_FALSE(Lumo::ElfLogicalAddress(bytes, sizeof(Elf64_Ehdr) + 8, 0x1000, section, offset));
    // The section table lies past the end of a cut image.
    Elf64_Ehdr header;
    std::memcpy(&header, bytes, sizeof(header));
    EXPECT_FALSE(Lumo::ElfLogicalAddress(bytes, static_cast<size_t>(header.e_shoff), 0x1000, section, offset));
    std::string corrupt = elf;
    const uint64_t farAway = ~0ull - 8;
    std::memcpy(&corrupt[offsetof(Elf64_Ehdr, e_shoff)], &farAway, sizeof(farAway));
    EXPECT_FALSE(Lumo::ElfLogicalAddress(reinterpret_cast<const uint8_t*>(corrupt.data()), corrupt.size(), 0x1000,
                                         section, offset));
}

TEST(CrashReportTest, ParseHexDigitsTable)
{
    struct Case {
        const char* text;
        bool ok;
        uint32_t value;
    };
    const Case cases[] = {
        {"", true, 0},          {"0001", true, 1},         {"00000034", true, 0x34}, {"aBcD", true, 0xABCD},
        {"FFFFFFFF", true, ~0u}, {"123456789", true, 0x23456789}, {"12g4", false, 0},  {" 12", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        uint32_t value = 99;
        EXPECT_EQ(Lumo::ParseHexDigits(c.text, value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

// A map in the linker's layout: symbol lines with the section at 1-4, the
// offset at 6-13 and the name from 21; line-number blocks of four entries.
std::string SymbolLine(const char* group, const char* name)
{
    return std::string(" ") + group + "       " + name + "       00401020 f   game.obj\r\n";
}

std::string LineEntries(const char* entries)
{
    std::string line = entries;
    line.resize(80, ' ');
    return line + "\r\n";
}

TEST(CrashReportTest, MapRewriteNamesAddressGroups)
{
    const std::string map = " Address         Publics by Value              Rva+Base       Lib:Object\r\n" +
                            SymbolLine("0001:00000020", "?Update@Board@@QAEXH@Z") +
                            SymbolLine("0001:00000100", "_ZN5Board4DrawEv") +
                            SymbolLine("0003:00000000", "0001:00000034") +
                            SymbolLine("0004:00000000", "Z0004:00000000") +
                            "Line numbers for .\\board.cpp(board.cpp) segment .text\r\n" +
                            LineEntries("    12 0001:00000020    13 0001:00000030    14 0001:00000040    15 "
                                        "0001:00000050");
    struct Case {
        const char* title;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"inside a symbol, with its line", "at 0001:00000034.",
         "at ?Update@Board@@QAEXH@Z+0x14\r\n    board.cpp line 13 +0x4."},
        {"exactly at a symbol", "0001:00000100\r\n", "Board::Draw()\r\n    board.cpp line 15 +0xB0\r\n"},
        {"below the first symbol", "0001:00000010", "0001:00000010"},
        {"a section without symbols", "0002:00000040", "0002:00000040"},
        {"every group of the text", "0001:00000034 0001:00000034",
         "?Update@Board@@QAEXH@Z+0x14\r\n    board.cpp line 13 +0x4 ?Update@Board@@QAEXH@Z+0x14\r\n    board.cpp "
         "line 13 +0x4"},
        // The name reads as an address group itself: replaced once, not forever.
        {"a name that reads as a group", "0003:00000008", "0001:00000034+0x8"},
        {"a name that reads as its own group", "0004:00000000", "Z0004:00000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::string text = c.text;
        Lumo::ResolveMapAddresses(text, map);
        EXPECT_EQ(text, c.expected);
    }
    std::string untouched = "0001:00000034";
    Lumo::ResolveMapAddresses(untouched, "no symbols here\n");
    EXPECT_EQ(untouched, "0001:00000034");
}

} // namespace
