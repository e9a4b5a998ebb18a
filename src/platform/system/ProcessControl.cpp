#include "platform/system/ProcessControl.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace Plat {

namespace {
std::atomic<ExitHandler> gExitHandler{nullptr};
} // namespace

void ExitProcess(int code)
{
    if (ExitHandler handler = gExitHandler.load())
        handler(code);
    std::fflush(nullptr);
    std::exit(code);
}

ExitHandler SetExitHandler(ExitHandler handler)
{
    return gExitHandler.exchange(handler);
}

std::string ExecutablePath()
{
    // The link's target may be longer than any fixed guess: grow until it fits.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        if (buffer.size() >= 65536)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace Plat
