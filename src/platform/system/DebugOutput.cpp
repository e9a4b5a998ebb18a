#include "platform/system/DebugOutput.h"

#include <cstdio>

namespace Plat {

void WriteDebugText(const char* text)
{
    if (text == nullptr)
        return;
    std::fputs(text, stderr);
    std::fflush(stderr);
}

} // namespace Plat
