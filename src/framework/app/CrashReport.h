// The crash report: built by the reporter process from the raw record that
// the crashed process left (see platform/system/CrashSignals.h). Every
// function here reads outside input and checks its bounds.
#pragma once

#include "platform/system/CrashSignals.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Lumo {

// The option that starts the program as the reporter; the record's path
// follows it.
constexpr const char* kCrashReporterOption = "--crash-report=";

// What the crashed program knew about itself, as "key=value" lines with
// '\\', line ends and tabs escaped.
struct CrashContext {
    std::map<std::string, std::string> values;
    std::vector<std::pair<std::string, std::string>> formFields; // keys "field.<name>", in order

    std::string Get(const std::string& key) const;
    bool Flag(const std::string& key) const { return Get(key) == "1"; }
    void Set(const std::string& key, const std::string& value) { values[key] = value; }
    std::string Serialize() const;
    static CrashContext Parse(const std::string& text);
};

struct CrashRecord {
    Plat::CrashRecordHeader header{};
    std::vector<Plat::CrashRecordFrame> frames;
    std::string context;
    std::string maps;
};

// False (with a reason) for a record that is cut short or malformed.
bool ParseCrashRecord(const uint8_t* data, size_t size, CrashRecord& record, std::string& error);

// The exception code of the original platform that the signal stands for;
// the signal number itself when there is none.
uint32_t CrashExceptionCode(const Plat::CrashRecordHeader& header);
// The code's name; null when the table has none.
const char* CrashExceptionName(uint32_t code);

// One line of the memory map: the mapping that holds the address.
struct CrashMapping {
    uint64_t start = 0;
    uint64_t end = 0;
    uint64_t fileOffset = 0;
    std::string path;
};
bool FindCrashMapping(const std::string& maps, uint64_t address, CrashMapping& mapping);

// The address as a section of its ELF file (1-based section header index)
// and the offset in it, through the mapping's file offset and the program
// header that loaded it. False when the module or its headers cannot be read.
bool GetLogicalAddress(const std::string& maps, uint64_t address, std::string& module, uint32_t& section,
                       uint32_t& offset);
// The same for an ELF image in memory whose mapping put `fileOffset` at
// the address.
bool ElfLogicalAddress(const uint8_t* elf, size_t size, uint64_t fileOffset, uint32_t& section, uint32_t& offset);

// The function symbol of an ELF image that covers the address (a link-time
// address of the image) and the distance from its start; false when none.
bool ElfSymbolAt(const uint8_t* elf, size_t size, uint64_t address, std::string& name, uint64_t& offset);
// The same for a run-time address, through the memory map.
bool FindCrashSymbol(const std::string& maps, uint64_t address, std::string& name, uint64_t& offset);

// A readable C++ name, or the name as it is.
std::string DemangleName(const std::string& name);

// Parses the hexadecimal text (empty gives 0); false on any other character.
bool ParseHexDigits(const std::string& text, uint32_t& value);

// Replaces each "ssss:oooooooo" group of the text that a symbol of the
// linker map covers by the symbol's name (+ distance), and its source line
// when the map has one. The scan goes on after the inserted text.
void ResolveMapAddresses(std::string& text, const std::string& mapText);

// The report's text (lines end in "\r\n"); the title goes to `title`.
std::string BuildCrashReportText(const CrashRecord& record, const CrashContext& context, std::string& title);

// The reporter's work for a record file: builds the report, writes
// "crash.txt" in the user-data folder named by the context and then deletes
// the record. `ok` is false when the record cannot be read; a report that
// could not be saved leaves `crashFilePath` empty and the record in place.
struct CrashReportResult {
    bool ok = false;
    std::string title;
    std::string text;
    CrashContext context;
    std::string crashFilePath; // empty when crash.txt could not be written
    bool demoSaved = false;
};
CrashReportResult ProcessCrashRecord(const std::string& recordPath);

} // namespace Lumo
