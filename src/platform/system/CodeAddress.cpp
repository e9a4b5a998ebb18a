#include "platform/system/CodeAddress.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace Plat {

void DescribeCodeAddress(const void* address, char* out, size_t size)
{
    if (out == nullptr || size == 0)
        return;
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        std::snprintf(out, size, "?+0x%jx", static_cast<uintmax_t>(reinterpret_cast<uintptr_t>(address)));
        return;
    }
    const char* name = info.dli_fname;
    const char* slash = std::strrchr(name, '/');
    if (slash != nullptr)
        name = slash + 1;
    const uintptr_t offset = reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(info.dli_fbase);
    std::snprintf(out, size, "%s+0x%jx", name, static_cast<uintmax_t>(offset));
}

} // namespace Plat
