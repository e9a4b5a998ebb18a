// The product version lives in a small record in its own ELF section of the
// executable, stamped at build time from the project's version. Any file can
// be asked for it; one without the section has no version.
#pragma once

#include <string>

namespace Lumo {

// Name of the section holding the record.
inline constexpr const char* kProductVersionSection = ".lumo.version";
// The record: these 8 bytes, then the version text ended by a zero byte.
inline constexpr const char kProductVersionMagic[8] = {'L', 'U', 'M', 'O', 'P', 'V', 'E', 'R'};

// The version this build stamped into its own record.
const char* BuiltProductVersion();

// The version text of the record in the ELF file at path (32 or 64 bits,
// either byte order). Empty when the file is missing, not ELF, cut short,
// lacks the section or holds a malformed record.
std::string ReadProductVersion(const std::string& path);

} // namespace Lumo
