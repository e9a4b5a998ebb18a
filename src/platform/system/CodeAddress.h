// Names a code address by its module: "module+0x1a2b", the offset from the
// module's load address, which addr2line turns into a source line.
#pragma once

#include <cstddef>

namespace Plat {

// Writes the name into out (always terminated when size > 0); "?+0x..." with
// the raw address when no module holds it. Allocates nothing.
void DescribeCodeAddress(const void* address, char* out, size_t size);

} // namespace Plat
