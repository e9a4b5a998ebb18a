#include "framework/app/ModVals.h"

#include "framework/app/ModValParser.h"
#include "framework/core/LastWriteTime.h"
#include "framework/core/StringUtils.h"
#include "platform/system/MessageBox.h"
#include "platform/system/ProcessControl.h"

#include <fstream>

// Bounds of the section, made by the linker when some site exists.
extern "C" {
__attribute__((weak)) extern Lumo::ModValSite __start_lumo_modvals[];
__attribute__((weak)) extern Lumo::ModValSite __stop_lumo_modvals[];
}

namespace Lumo {

namespace {

// Seconds since 1970 of the newest file seen; 0 before the first reload.
int64_t gLastCheckTime = 0;

void ShowError(const std::string& text)
{
    Plat::GetMessageBoxes().Show(nullptr, text, "MODVAL ERROR", Plat::kMbIconError);
}

} // namespace

std::map<std::string, ModValFileRecord>& ModValRegistry()
{
    static std::map<std::string, ModValFileRecord> registry;
    return registry;
}

bool RegisterModValsIn(ModValSite* begin, ModValSite* end)
{
    bool any = false;
    for (ModValSite* site = begin; site != nullptr && site < end; ++site) {
        if (site->file == nullptr)
            continue;
        std::vector<ModValSite*>& sites = ModValRegistry()[site->file].lines[site->line];
        bool known = false;
        for (const ModValSite* s : sites)
            known = known || s == site;
        if (!known)
            sites.push_back(site);
        any = true;
    }
    return any;
}

void ScanForModVals()
{
    if (__start_lumo_modvals != nullptr && __stop_lumo_modvals != nullptr)
        RegisterModValsIn(__start_lumo_modvals, __stop_lumo_modvals);
}

ModValRecord* ConnectModVal(ModValSite* site)
{
    if (site == nullptr)
        return nullptr;
    if (site->record == nullptr)
        site->record = new ModValRecord();
    if (site->file != nullptr) {
        // Some compilers leave the sites of template instantiations out of
        // the section: every site registers itself when first used.
        RegisterModValsIn(site, site + 1);
        ModValRegistry()[site->file].used = true;
    }
    return site->record;
}

int64_t GetFileTime(const std::string& path)
{
    uint64_t time = 0;
    if (!GetLastWriteTime(path, time))
        return 0;
    return static_cast<int64_t>((time - 116444736000000000ULL) / 10000000ULL);
}

bool ReparseModVals()
{
    if (gLastCheckTime == 0) {
        gLastCheckTime = GetFileTime(Plat::ExecutablePath());
        ScanForModVals();
    }

    bool changed = false;
    std::string parsedList;
    for (auto& entry : ModValRegistry()) {
        const std::string& fileName = entry.first;
        ModValFileRecord& fileRecord = entry.second;
        if (!fileRecord.used)
            continue;
        const int64_t time = GetFileTime(fileName);
        if (time > gLastCheckTime) {
            gLastCheckTime = time;
            changed = true;
        }
        if (!parsedList.empty())
            parsedList += "\r\n  ";
        parsedList += fileName;

        std::ifstream in(fileName, std::ios::binary);
        if (!in) {
            Plat::GetMessageBoxes().Show(nullptr, "ERROR: Unable to open " + fileName + " for reparsing.",
                                         "MODVAL ERROR!", Plat::kMbIconError);
            return false;
        }
        std::string error;
        const auto found = [&](int line, const std::string& afterParen, std::string& failure) {
            const auto it = fileRecord.lines.find(line);
            if (it == fileRecord.lines.end())
                return true;
            ModValParser::Value value;
            if (!ModValParser::ParseValue(afterParen, value)) {
                failure = StrFormat("ERROR in %s on line %d.  Parsing Error.", fileName.c_str(), line);
                return false;
            }
            for (ModValSite* site : it->second) {
                ModValRecord* record = ConnectModVal(site);
                record->integerValue = value.integerValue;
                record->numberValue = value.numberValue;
                record->textValue = value.textValue;
                record->set = true;
            }
            return true;
        };
        if (!ModValParser::Walk(in, fileName, found, error)) {
            ShowError(error);
            return false;
        }
    }
    if (changed)
        return true;
    Plat::GetMessageBoxes().Show(nullptr,
                                 "WARNING: No file changes detected.  Files parsed: \r\n  " +
                                     (parsedList.empty() ? std::string("none") : parsedList),
                                 "MODVAL WARNING!", Plat::kMbIconWarning);
    return false;
}

namespace detail {
void ResetModVals()
{
    for (auto& file : ModValRegistry()) {
        for (auto& line : file.second.lines) {
            for (ModValSite* site : line.second) {
                delete site->record;
                site->record = nullptr;
            }
        }
    }
    if (__start_lumo_modvals != nullptr && __stop_lumo_modvals != nullptr) {
        for (ModValSite* site = __start_lumo_modvals; site < __stop_lumo_modvals; ++site) {
            delete site->record;
            site->record = nullptr;
        }
    }
    ModValRegistry().clear();
    gLastCheckTime = 0;
}
} // namespace detail

} // namespace Lumo
