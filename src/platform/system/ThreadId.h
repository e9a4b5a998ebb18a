// The calling thread's id as the system numbers it, for names and messages
// that identify a thread.
#pragma once

#include <cstdint>

namespace Plat {

uint32_t CurrentThreadId();

} // namespace Plat
