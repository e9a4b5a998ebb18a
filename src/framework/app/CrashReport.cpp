#include "framework/app/CrashReport.h"

#include "framework/core/PathUtils.h"
#include "framework/core/StringUtils.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/FileSystem.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <cxxabi.h>
#include <elf.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/ucontext.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace Lumo {

namespace {

struct ExceptionName {
    uint32_t code;
    const char* name;
};
constexpr ExceptionName kCrashExceptionNames[] = {
    {0x40000005, "Segment Notification"},
    {0x80000003, "Breakpoint"},
    {0x80000004, "Single step"},
    {0x00000000, "Wait 0"},
    {0x00000080, "Abandoned Wait 0"},
    {0x000000C0, "User APC"},
    {0x00000102, "Timeout"},
    {0x00000103, "Pending"},
    {0x80000001, "Guard Page Violation"},
    {0x80000002, "Data Type Misalignment"},
    {0xC0000005, "Access Violation"},
    {0xC0000006, "In Page Error"},
    {0xC0000017, "No Memory"},
    {0xC000001D, "Illegal Instruction"},
    {0xC0000025, "Noncontinuable Exception"},
    {0xC0000026, "Invalid Disposition"},
    {0xC000008C, "Array Bounds Exceeded"},
    {0xC000008D, "Float Denormal Operand"},
    {0xC000008E, "Divide by Zero"},
    {0xC000008F, "Float Inexact Result"},
    {0xC0000090, "Float Invalid Operation"},
    {0xC0000091, "Float Overflow"},
    {0xC0000092, "Float Stack Check"},
    {0xC0000093, "Float Underflow"},
    {0xC0000094, "Integer Divide by Zero"},
    {0xC0000095, "Integer Overflow"},
    {0xC0000096, "Privileged Instruction"},
    {0xC00000FD, "Stack Overflow"},
    {0xC000013A, "Ctrl+C Exit"},
};

// A fault this close to the stack pointer ran off the stack.
constexpr uint64_t kStackOverflowReach = 64 * 1024;

using ULL = unsigned long long;

std::string Escape(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    }
    return out;
}

template <typename T>
bool ReadAt(const uint8_t* data, size_t size, uint64_t offset, T& out)
{
    if (offset > size || size - offset < sizeof(T))
        return false;
    std::memcpy(&out, data + offset, sizeof(T));
    return true;
}

// Hexadecimal digits of either case into the value; digits beyond its width
// push the first ones out. False on any other character.
template <typename T>
bool ParseHex(const std::string& text, T& value)
{
    value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = static_cast<T>((value << 4) | static_cast<T>(digit));
    }
    return true;
}

bool ParseHex64(const std::string& text, uint64_t& value)
{
    return !text.empty() && text.size() <= 16 && ParseHex(text, value);
}

// Calls `visit` with each line of the text, without its line feed, until it
// returns false.
template <typename Visit>
void ForEachLine(const std::string& text, Visit visit)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (!visit(text.substr(start, end - start)))
            return;
        start = end + 1;
    }
}

struct MapKey {
    uint32_t section;
    uint32_t offset;
    bool operator<(const MapKey& other) const
    {
        return section != other.section ? section < other.section : offset < other.offset;
    }
};
struct MapLine {
    std::string file;
    int line;
};

// The entry with the greatest key not above the key, in the same section.
template <typename V>
const std::pair<const MapKey, V>* FindBelow(const std::map<MapKey, V>& table, const MapKey& key)
{
    auto it = table.upper_bound(key);
    if (it == table.begin())
        return nullptr;
    --it;
    return it->first.section == key.section ? &*it : nullptr;
}

} // namespace

// ---- Context

std::string CrashContext::Get(const std::string& key) const
{
    const auto found = values.find(key);
    return found != values.end() ? found->second : std::string();
}

std::string CrashContext::Serialize() const
{
    std::string text;
    for (const auto& [key, value] : values)
        text += Escape(key) + "=" + Escape(value) + "\n";
    for (const auto& [name, value] : formFields)
        text += "field." + Escape(name) + "=" + Escape(value) + "\n";
    return text;
}

CrashContext CrashContext::Parse(const std::string& text)
{
    CrashContext context;
    ForEachLine(text, [&context](const std::string& line) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            return true;
        const std::string key = Unescape(line.substr(0, equals));
        const std::string value = Unescape(line.substr(equals + 1));
        if (key.rfind("field.", 0) == 0)
            context.formFields.emplace_back(key.substr(6), value);
        else
            context.values[key] = value;
        return true;
    });
    return context;
}

// ---- The record

bool ParseCrashRecord(const uint8_t* data, size_t size, CrashRecord& record, std::string& error)
{
    record = CrashRecord();
    if (!ReadAt(data, size, 0, record.header)) {
        error = "record too short";
        return false;
    }
    if (std::memcmp(record.header.magic, Plat::kCrashRecordMagic, sizeof(record.header.magic)) != 0) {
        error = "not a crash record";
        return false;
    }
    const uint32_t frames = record.header.frameCount;
    if (frames > static_cast<uint32_t>(Plat::kCrashRecordMaxFrames)) {
        error = "too many frames";
        return false;
    }
    uint64_t offset = sizeof(Plat::CrashRecordHeader);
    for (uint32_t i = 0; i < frames; ++i) {
        Plat::CrashRecordFrame frame;
        if (!ReadAt(data, size, offset, frame)) {
            error = "frames cut short";
            return false;
        }
        frame.name[sizeof(frame.name) - 1] = '\0';
        record.frames.push_back(frame);
        offset += sizeof(frame);
    }
    uint32_t contextSize = 0;
    if (!ReadAt(data, size, offset, contextSize) || contextSize > Plat::kCrashContextCapacity ||
        size - offset - sizeof(contextSize) < contextSize) {
        error = "context cut short";
        return false;
    }
    offset += sizeof(contextSize);
    record.context.assign(reinterpret_cast<const char*>(data + offset), contextSize);
    offset += contextSize;
    record.maps.assign(reinterpret_cast<const char*>(data + offset), size - offset);
    return true;
}

uint32_t CrashExceptionCode(const Plat::CrashRecordHeader& header)
{
    const int code = header.code;
    switch (header.signal) {
    case SIGSEGV: {
        const uint64_t sp = header.registers[REG_RSP];
        const uint64_t fault = header.faultAddress;
        const uint64_t distance = fault > sp ? fault - sp : sp - fault;
        return distance < kStackOverflowReach ? 0xC00000FD : 0xC0000005;
    }
    case SIGBUS:
        return code == BUS_ADRALN ? 0x80000002 : 0xC0000006;
    case SIGILL:
        return code == ILL_PRVOPC ? 0xC0000096 : 0xC000001D;
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV: return 0xC0000094;
        case FPE_INTOVF: return 0xC0000095;
        case FPE_FLTDIV: return 0xC000008E;
        case FPE_FLTOVF: return 0xC0000091;
        case FPE_FLTUND: return 0xC0000093;
        case FPE_FLTRES: return 0xC000008F;
        case FPE_FLTINV: return 0xC0000090;
        case FPE_FLTSUB: return 0xC000008C;
        default: break;
        }
        break;
    default:
        break;
    }
    return static_cast<uint32_t>(header.signal);
}

const char* CrashExceptionName(uint32_t code)
{
    // Signal numbers stand for themselves; only the table's own codes are named.
    if (code < 64)
        return nullptr;
    for (const ExceptionName& entry : kCrashExceptionNames) {
        if (entry.code == code)
            return entry.name;
    }
    return nullptr;
}

// ---- Modules and logical addresses

bool FindCrashMapping(const std::string& maps, uint64_t address, CrashMapping& mapping)
{
    bool found = false;
    ForEachLine(maps, [&](const std::string& line) {
        // start-end perms offset dev inode [path]
        const size_t dash = line.find('-');
        const size_t space1 = line.find(' ');
        if (dash == std::string::npos || space1 == std::string::npos || dash > space1)
            return true;
        const size_t space2 = line.find(' ', space1 + 1);
        if (space2 == std::string::npos)
            return true;
        const size_t space3 = line.find(' ', space2 + 1);
        if (space3 == std::string::npos)
            return true;
        uint64_t low = 0;
        uint64_t high = 0;
        uint64_t fileOffset = 0;
        if (!ParseHex64(line.substr(0, dash), low) || !ParseHex64(line.substr(dash + 1, space1 - dash - 1), high) ||
            !ParseHex64(line.substr(space2 + 1, space3 - space2 - 1), fileOffset))
            return true;
        if (address < low || address >= high)
            return true;
        mapping.start = low;
        mapping.end = high;
        mapping.fileOffset = fileOffset;
        const size_t slash = line.find('/');
        const size_t bracket = line.find('[');
        mapping.path.clear();
        if (slash != std::string::npos)
            mapping.path = line.substr(slash);
        else if (bracket != std::string::npos)
            mapping.path = line.substr(bracket);
        found = true;
        return false;
    });
    return found;
}

namespace {

bool ReadElfHeader(const uint8_t* elf, size_t size, Elf64_Ehdr& header)
{
    return ReadAt(elf, size, 0, header) && std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
           header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_phentsize >= sizeof(Elf64_Phdr) &&
           header.e_shentsize >= sizeof(Elf64_Shdr);
}

// The link-time address that the program header loading the file offset gives it.
bool LinkAddress(const uint8_t* elf, size_t size, const Elf64_Ehdr& header, uint64_t fileOffset, uint64_t& address)
{
    for (uint32_t i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr program;
        if (!ReadAt(elf, size, header.e_phoff + static_cast<uint64_t>(i) * header.e_phentsize, program))
            return false;
        if (program.p_type == PT_LOAD && fileOffset >= program.p_offset &&
            fileOffset - program.p_offset < program.p_filesz) {
            address = fileOffset - program.p_offset + program.p_vaddr;
            return true;
        }
    }
    return false;
}

} // namespace

bool ElfSymbolAt(const uint8_t* elf, size_t size, uint64_t address, std::string& name, uint64_t& offset)
{
    Elf64_Ehdr header;
    if (!ReadElfHeader(elf, size, header))
        return false;
    bool found = false;
    uint64_t bestStart = 0;
    for (uint32_t i = 1; i < header.e_shnum; ++i) {
        Elf64_Shdr table;
        if (!ReadAt(elf, size, header.e_shoff + static_cast<uint64_t>(i) * header.e_shentsize, table))
            return false;
        if ((table.sh_type != SHT_SYMTAB && table.sh_type != SHT_DYNSYM) || table.sh_entsize < sizeof(Elf64_Sym))
            continue;
        Elf64_Shdr strings;
        if (table.sh_link >= header.e_shnum ||
            !ReadAt(elf, size, header.e_shoff + static_cast<uint64_t>(table.sh_link) * header.e_shentsize, strings))
            continue;
        const uint64_t count = table.sh_size / table.sh_entsize;
        for (uint64_t k = 0; k < count; ++k) {
            Elf64_Sym symbol;
            if (!ReadAt(elf, size, table.sh_offset + k * table.sh_entsize, symbol))
                break;
            if (ELF64_ST_TYPE(symbol.st_info) != STT_FUNC || symbol.st_value == 0 || address < symbol.st_value ||
                address - symbol.st_value >= std::max<uint64_t>(symbol.st_size, 1))
                continue;
            if (found && symbol.st_value <= bestStart)
                continue;
            if (symbol.st_name >= strings.sh_size || strings.sh_offset > size ||
                symbol.st_name >= size - strings.sh_offset)
                continue;
            const char* text = reinterpret_cast<const char*>(elf + strings.sh_offset + symbol.st_name);
            const size_t room = static_cast<size_t>(
                std::min<uint64_t>(strings.sh_size - symbol.st_name, size - strings.sh_offset - symbol.st_name));
            name.assign(text, strnlen(text, room));
            bestStart = symbol.st_value;
            offset = address - symbol.st_value;
            found = true;
        }
    }
    return found && !name.empty();
}

bool FindCrashSymbol(const std::string& maps, uint64_t address, std::string& name, uint64_t& offset)
{
    CrashMapping mapping;
    if (!FindCrashMapping(maps, address, mapping) || mapping.path.empty() || mapping.path[0] != '/')
        return false;
    const Plat::MappedFile file = Plat::GetFileSystem().MapReadOnly(mapping.path);
    Elf64_Ehdr header;
    uint64_t linkAddress = 0;
    if (!file.IsOpen() || !ReadElfHeader(file.Data(), file.Size(), header) ||
        !LinkAddress(file.Data(), file.Size(), header, address - mapping.start + mapping.fileOffset, linkAddress))
        return false;
    return ElfSymbolAt(file.Data(), file.Size(), linkAddress, name, offset);
}

bool ElfLogicalAddress(const uint8_t* elf, size_t size, uint64_t fileOffset, uint32_t& section, uint32_t& offset)
{
    Elf64_Ehdr header;
    uint64_t address = 0;
    if (!ReadElfHeader(elf, size, header) || !LinkAddress(elf, size, header, fileOffset, address))
        return false;
    for (uint32_t i = 1; i < header.e_shnum; ++i) {
        Elf64_Shdr entry;
        if (!ReadAt(elf, size, header.e_shoff + static_cast<uint64_t>(i) * header.e_shentsize, entry))
            return false;
        if ((entry.sh_flags & SHF_ALLOC) != 0 && address >= entry.sh_addr && address - entry.sh_addr < entry.sh_size) {
            section = i;
            offset = static_cast<uint32_t>(address - entry.sh_addr);
            return true;
        }
    }
    return false;
}

bool GetLogicalAddress(const std::string& maps, uint64_t address, std::string& module, uint32_t& section,
                       uint32_t& offset)
{
    module.clear();
    section = 0;
    offset = 0;
    CrashMapping mapping;
    if (!FindCrashMapping(maps, address, mapping))
        return false;
    module = GetFileName(mapping.path);
    if (mapping.path.empty() || mapping.path[0] != '/')
        return false;
    const Plat::MappedFile file = Plat::GetFileSystem().MapReadOnly(mapping.path);
    if (!file.IsOpen())
        return false;
    return ElfLogicalAddress(file.Data(), file.Size(), address - mapping.start + mapping.fileOffset, section, offset);
}

std::string DemangleName(const std::string& name)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status),
                                                    &std::free);
    return status == 0 && readable != nullptr ? std::string(readable.get()) : name;
}

// ---- The linker map

bool ParseHexDigits(const std::string& text, uint32_t& value)
{
    return ParseHex(text, value);
}

void ResolveMapAddresses(std::string& text, const std::string& mapText)
{
    std::map<MapKey, std::string> symbols;
    std::map<MapKey, MapLine> lines;
    std::string sourceFile;
    ForEachLine(mapText, [&](std::string line) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("Line numbers", 0) == 0) {
            const size_t open = line.find('(');
            const size_t close = line.rfind(')');
            if (open == std::string::npos)
                return true;
            sourceFile = close != std::string::npos && close > open ? line.substr(open + 1, close - open - 1)
                                                                    : line.substr(open + 1);
            return true;
        }
        if (line.size() > 22 && line[5] == ':') {
            uint32_t section = 0;
            uint32_t offset = 0;
            const size_t blank = line.find(' ', 21);
            if (line[20] != ' ' || blank == std::string::npos || !ParseHexDigits(line.substr(1, 4), section) ||
                !ParseHexDigits(line.substr(6, 8), offset))
                return true;
            symbols[MapKey{section, offset}] = line.substr(21, blank - 21);
            return true;
        }
        if (line.size() == 80 && !sourceFile.empty()) {
            for (int k = 0; k < 4; ++k) {
                const std::string number = line.substr(20 * k, 6);
                const char* digits = number.c_str();
                while (*digits == ' ')
                    ++digits;
                char* numberEnd = nullptr;
                const long lineNumber = std::strtol(digits, &numberEnd, 10);
                uint32_t section = 0;
                uint32_t offset = 0;
                if (*digits == '\0' || numberEnd == digits || *numberEnd != '\0' ||
                    !ParseHexDigits(line.substr(20 * k + 7, 4), section) ||
                    !ParseHexDigits(line.substr(20 * k + 12, 8), offset))
                    continue;
                lines[MapKey{section, offset}] = MapLine{sourceFile, static_cast<int>(lineNumber)};
            }
        }
        return true;
    });
    if (symbols.empty())
        return;

    size_t p = 0;
    while (p < text.size()) {
        uint32_t section = 0;
        uint32_t offset = 0;
        const size_t afterLength = std::min<size_t>(8, text.size() - p - 1);
        if (p < 4 || text[p] != ':' || afterLength == 0 || !ParseHexDigits(text.substr(p - 4, 4), section) ||
            !ParseHexDigits(text.substr(p + 1, afterLength), offset)) {
            ++p;
            continue;
        }
        const MapKey key{section, offset};
        const auto* symbol = FindBelow(symbols, key);
        if (symbol == nullptr) {
            ++p;
            continue;
        }
        std::string replacement = DemangleName(symbol->second);
        if (offset != symbol->first.offset)
            replacement += StrFormat("+0x%X", offset - symbol->first.offset);
        if (const auto* line = FindBelow(lines, key))
            replacement += StrFormat("\r\n    %s line %d +0x%X", line->second.file.c_str(), line->second.line,
                                  offset - line->first.offset);
        text.replace(p - 4, 5 + afterLength, replacement);
        // Go on behind the name: it may read like an address group itself.
        p = p - 4 + replacement.size();
    }
}

// ---- The report

std::string BuildCrashReportText(const CrashRecord& record, const CrashContext& context, std::string& title)
{
    const Plat::CrashRecordHeader& h = record.header;
    const uint64_t* r = h.registers;
    const uint32_t code = CrashExceptionCode(h);
    const char* name = CrashExceptionName(code);
    const uint64_t pc = r[REG_RIP];
    std::string text;
    if (name != nullptr)
        text += StrFormat("Exception: %s (code 0x%x) at address %016llX in thread %X\r\n", name, code,
                       static_cast<ULL>(pc), h.threadId);
    else
        text += StrFormat("Unknown exception: (code 0x%x) at address %016llX in thread %X\r\n", code,
                       static_cast<ULL>(pc), h.threadId);

    std::string module;
    uint32_t section = 0;
    uint32_t offset = 0;
    GetLogicalAddress(record.maps, pc, module, section, offset);
    text += "Module: " + module + "\r\n";
    text += StrFormat("Logical Address: %04X:%08X\r\n\r\n", section, offset);
    title = StrFormat("Exception at %04X:%08X", section, offset);

    for (size_t i = 0; i < record.frames.size(); ++i) {
        const Plat::CrashRecordFrame& frame = record.frames[i];
        std::string symbol = frame.name;
        uint64_t symbolOffset = frame.nameOffset;
        // Above the first frame the pc is a return address: the call lies before it.
        const uint64_t callSite = i > 0 && frame.pc > 0 ? frame.pc - 1 : frame.pc;
        if (symbol.empty() && FindCrashSymbol(record.maps, callSite, symbol, symbolOffset))
            symbolOffset += frame.pc - callSite;
        if (!symbol.empty()) {
            text += StrFormat("%016llX %016llX ", static_cast<ULL>(frame.sp), static_cast<ULL>(frame.pc)) +
                    DemangleName(symbol) + StrFormat("+%llX\r\n", static_cast<ULL>(symbolOffset));
        } else {
            std::string frameModule;
            uint32_t frameSection = 0;
            uint32_t frameOffset = 0;
            GetLogicalAddress(record.maps, frame.pc, frameModule, frameSection, frameOffset);
            text += StrFormat("%016llX %016llX %04X:%08X ", static_cast<ULL>(frame.sp), static_cast<ULL>(frame.pc),
                           frameSection, frameOffset) +
                    frameModule + "\r\n";
        }
    }
    text += "\r\n";

    text += StrFormat("RAX:%016llX RBX:%016llX RCX:%016llX RDX:%016llX\r\n", static_cast<ULL>(r[REG_RAX]),
                   static_cast<ULL>(r[REG_RBX]), static_cast<ULL>(r[REG_RCX]), static_cast<ULL>(r[REG_RDX]));
    text += StrFormat("RSI:%016llX RDI:%016llX R8:%016llX R9:%016llX\r\n", static_cast<ULL>(r[REG_RSI]),
                   static_cast<ULL>(r[REG_RDI]), static_cast<ULL>(r[REG_R8]), static_cast<ULL>(r[REG_R9]));
    text += StrFormat("R10:%016llX R11:%016llX R12:%016llX R13:%016llX\r\n", static_cast<ULL>(r[REG_R10]),
                   static_cast<ULL>(r[REG_R11]), static_cast<ULL>(r[REG_R12]), static_cast<ULL>(r[REG_R13]));
    text += StrFormat("R14:%016llX R15:%016llX\r\n", static_cast<ULL>(r[REG_R14]), static_cast<ULL>(r[REG_R15]));
    text += StrFormat("RIP:%016llX RSP:%016llX  RBP:%016llX\r\n", static_cast<ULL>(pc), static_cast<ULL>(r[REG_RSP]),
                   static_cast<ULL>(r[REG_RBP]));
    const uint64_t segments = r[REG_CSGSFS];
    text += StrFormat("CS:%04X FS:%04X GS:%04X SS:%04X\r\n", static_cast<unsigned>(segments & 0xFFFF),
                   static_cast<unsigned>((segments >> 32) & 0xFFFF), static_cast<unsigned>((segments >> 16) & 0xFFFF),
                   static_cast<unsigned>((segments >> 48) & 0xFFFF));
    text += StrFormat("Flags:%08X\r\n\r\n", static_cast<unsigned>(r[REG_EFL]));

    utsname system{};
    if (uname(&system) == 0)
        text += std::string("System: ") + system.sysname + " " + system.release + " " + system.version + " " +
                system.machine + "\r\n";
    else
        text += "System: unknown\r\n";
    const bool registered = context.Flag("registered");
    if (registered) {
        if (!context.Get("video").empty())
            text += "Video: " + context.Get("video") + "\r\n";
        if (!context.Get("audio").empty())
            text += "Audio: " + context.Get("audio") + "\r\n";
    }
    std::string info = context.Get("info.head");
    if (context.values.count("loadedAtMs") != 0) {
        const uint64_t loadedAt = std::strtoull(context.Get("loadedAtMs").c_str(), nullptr, 10);
        const uint64_t seconds = h.monotonicMs > loadedAt ? (h.monotonicMs - loadedAt) / 1000 : 0;
        info += StrFormat("%02d:%02d:%02d", static_cast<int>(seconds / 3600), static_cast<int>((seconds / 60) % 60),
                       static_cast<int>(seconds % 60));
    }
    info += context.Get("info.tail");
    if (registered && !info.empty())
        text += "\r\n" + info;
    return text;
}

CrashReportResult ProcessCrashRecord(const std::string& recordPath)
{
    CrashReportResult result;
    std::ifstream input(recordPath, std::ios::binary);
    if (!input)
        return result;
    const std::string bytes((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
    input.close();
    CrashRecord record;
    std::string error;
    if (!ParseCrashRecord(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), record, error))
        return result;
    result.context = CrashContext::Parse(record.context);
    result.text = BuildCrashReportText(record, result.context, result.title);
    result.demoSaved = record.header.demoSaved != 0;

    // Symbols of a linker map beside the program, when there is one.
    Plat::FindData found;
    if (Plat::GetFileSystem().FindFirst("*.map", found) != nullptr) {
        std::ifstream map(found.fileName, std::ios::binary);
        const std::string mapText((std::istreambuf_iterator<char>(map)), std::istreambuf_iterator<char>());
        ResolveMapAddresses(result.text, mapText);
    }

    std::string folder = result.context.Get("folder");
    if (folder.empty())
        folder = GetFileDir(recordPath);
    Plat::MakeFolderPath(folder);
    const std::string crashFilePath = RemoveTrailingSlash(folder) + "/crash.txt";
    const std::string file = result.text + "\n";
    result.ok = true;
    // The record goes only once its report is saved.
    if (!Plat::WriteFileAtomically(crashFilePath, reinterpret_cast<const uint8_t*>(file.data()), file.size()))
        return result;
    result.crashFilePath = crashFilePath;
    unlink(recordPath.c_str());
    return result;
}

} // namespace Lumo
