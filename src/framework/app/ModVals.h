// Mod values: live tuning of constants in the source. A constant wrapped in
// LUMO_M(...) leaves a site in the program's "lumo_modvals" section with its
// source file and line; the first use connects the site to a value record,
// and the reload (a debug key) parses every source file that holds a used
// site and stores the values written there now, without rebuilding.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

namespace Lumo {

// Made when a site is connected; the site keeps it for the rest of the run.
struct ModValRecord {
    bool set = false; // false until a reload stored a value: the constant holds
    int integerValue = 0;
    double numberValue = 0.0;
    std::string textValue;
};

// One wrapped constant. Constant-initialised and writable, in the section.
// Compilers raise the alignment of larger globals (to 16 or 32 bytes): a
// site's size and alignment are 32, so that the section holds the sites
// back to back and can be walked as an array.
struct alignas(32) ModValSite {
    ModValRecord* record; // null until connected
    const char* file;     // as compiled
    int line;
    int second; // kept with the site; the reload matches by line only
};
static_assert(sizeof(ModValSite) == 32, "sites are walked as an array");

struct ModValFileRecord {
    bool used = false; // one of the file's sites is connected
    // Every site of a line: a template's instantiations share their line.
    std::map<int, std::vector<ModValSite*>> lines;
};

// The registry of sites by source file, made on first use.
std::map<std::string, ModValFileRecord>& ModValRegistry();
// Registers the sites of the program's section.
void ScanForModVals();
// Registers the sites of a range; true when it held any.
bool RegisterModValsIn(ModValSite* begin, ModValSite* end);
// Gives the site its value record on first use and marks its file used.
ModValRecord* ConnectModVal(ModValSite* site);
// Parses every used file again and stores the values of its sites; true when
// some file changed since the last check. Errors and the no-change warning
// are shown in message boxes.
bool ReparseModVals();
// The file's last-write time in seconds since 1970; 0 when there is none.
int64_t GetFileTime(const std::string& path);

// The value a wrapper gives: the stored one of its own type once a reload
// set it, else the constant as compiled.
template <typename T>
T ModValRead(ModValSite& site, T constant)
{
    const ModValRecord* record = site.record != nullptr ? site.record : ConnectModVal(&site);
    if (record == nullptr || !record->set)
        return constant;
    if constexpr (std::is_same_v<T, const char*>)
        return record->textValue.c_str();
    else if constexpr (std::is_same_v<T, bool>)
        return record->integerValue != 0;
    else if constexpr (std::is_floating_point_v<T>)
        return static_cast<T>(record->numberValue);
    else if constexpr (std::is_integral_v<T>)
        return static_cast<T>(record->integerValue);
    else
        return constant;
}

namespace detail {
// Forgets the registry, the last check and the connections of the
// program's sites and of every registered site (which must still exist),
// as at a new run.
void ResetModVals();
} // namespace detail

} // namespace Lumo

// The site of the place of use, one per instantiation.
#define LUMO_MODVAL_SITE()                                                                                             \
    ([]() -> ::Lumo::ModValSite& {                                                                                     \
        __attribute__((section("lumo_modvals"), used)) static ::Lumo::ModValSite site{nullptr, __FILE__, __LINE__, 0}; \
        return site;                                                                                                   \
    }())
#define LUMO_M(value) ::Lumo::ModValRead(LUMO_MODVAL_SITE(), (value))
