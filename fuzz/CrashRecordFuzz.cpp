// Fuzzes what the crash reporter reads: the raw record left by a crashed
// process (with its context lines and memory map), linker map text applied
// to a report, and an ELF image asked for a logical address and a symbol. Nothing may
// read outside the input or run without end.
#include "framework/app/CrashReport.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Lumo::CrashRecord record;
    std::string error;
    if (Lumo::ParseCrashRecord(data, size, record, error)) {
        const Lumo::CrashContext context = Lumo::CrashContext::Parse(record.context);
        const Lumo::CrashContext again = Lumo::CrashContext::Parse(context.Serialize());
        if (again.values != context.values || again.formFields != context.formFields)
            __builtin_trap();
        Lumo::CrashMapping mapping;
        Lumo::FindCrashMapping(record.maps, record.header.registers[16], mapping);
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string report = "Logical Address: 0001:00000034\r\n" + text.substr(0, 256);
    Lumo::ResolveMapAddresses(report, text);
    uint32_t section = 0;
    uint32_t offset = 0;
    Lumo::ElfLogicalAddress(data, size, size / 2, section, offset);
    std::string name;
    uint64_t distance = 0;
    Lumo::ElfSymbolAt(data, size, size / 2, name, distance);
    return 0;
}
