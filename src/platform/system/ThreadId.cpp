// Thread ids from the kernel's thread numbers.
#include "platform/system/ThreadId.h"

#include <unistd.h>

namespace Plat {

uint32_t CurrentThreadId()
{
    return static_cast<uint32_t>(gettid());
}

} // namespace Plat
