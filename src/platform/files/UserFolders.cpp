#include "platform/files/UserFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace Plat {

namespace {

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return home;
    const passwd* pw = getpwuid(getuid());
    if (pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return "/tmp";
}

// An XDG variable counts only when it holds an absolute path.
std::string FromEnvironment(const char* variable, const char* fallbackUnderHome)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/')
        return value;
    return HomeFolder() + "/" + fallbackUnderHome;
}

} // namespace

std::string UserDataHome()
{
    return FromEnvironment("XDG_DATA_HOME", ".local/share");
}

std::string UserConfigHome()
{
    return FromEnvironment("XDG_CONFIG_HOME", ".config");
}

std::string UserRuntimeFolder()
{
    const char* value = std::getenv("XDG_RUNTIME_DIR");
    if (value != nullptr && value[0] == '/')
        return value;
    const char* tmp = std::getenv("TMPDIR");
    if (tmp != nullptr && tmp[0] == '/')
        return tmp;
    return "/tmp";
}

} // namespace Plat
