#include "framework/core/Debug.h"

#include "framework/core/StringUtils.h"
#include "platform/system/DebugOutput.h"

#include <cstdarg>

namespace Lumo {

void OutputDebug(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = VFormat(format, args);
    va_end(args);
    Plat::WriteDebugText(text.c_str());
}

} // namespace Lumo
