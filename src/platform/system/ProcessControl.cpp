#include "platform/system/ProcessControl.h"

#include <atomic>
#include <signal.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

extern char** environ;

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

int SpawnProgram(pid_t& pid, const char* program, char* const argv[], const posix_spawn_file_actions_t* actions)
{
    posix_spawnattr_t attributes;
    const int init = posix_spawnattr_init(&attributes);
    if (init != 0)
        return init;
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int result = posix_spawnp(&pid, program, actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    return result;
}

} // namespace Plat
