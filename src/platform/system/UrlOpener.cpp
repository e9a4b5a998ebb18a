#include "platform/system/UrlOpener.h"
#include "platform/system/ProcessControl.h"

#include <algorithm>
#include <cerrno>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <vector>

namespace Plat {

namespace {

// Helpers still running; the main thread starts and reaps them.
std::vector<pid_t> gHelpers;

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size())
            return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// Characters that never go out in an address: a shell or the opener's own
// scripts could read them as something else.
bool IsRefusedChar(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == ' ' || c == '"' || c == '\'' || c == '`' || c == '$' || c == '\\';
}

bool IsUnreservedPathChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

} // namespace

std::string BrowserTarget(const std::string& url)
{
    if (url.empty())
        return std::string();
    if (url[0] == '/') {
        // A local page: any byte but a control character is fine once encoded.
        static const char kHex[] = "0123456789ABCDEF";
        std::string target = "file://";
        for (const char ch : url) {
            const auto c = static_cast<unsigned char>(ch);
            if (c < 0x20 || c == 0x7F)
                return std::string();
            if (IsUnreservedPathChar(c)) {
                target += ch;
            } else {
                target += '%';
                target += kHex[c >> 4];
                target += kHex[c & 15];
            }
        }
        return target;
    }
    size_t restStart = 0;
    if (StartsWithNoCase(url, "http://"))
        restStart = 7;
    else if (StartsWithNoCase(url, "https://"))
        restStart = 8;
    else if (StartsWithNoCase(url, "file://"))
        restStart = 7;
    else
        return std::string();
    if (url.size() == restStart)
        return std::string();
    for (const char ch : url) {
        if (IsRefusedChar(static_cast<unsigned char>(ch)))
            return std::string();
    }
    return url;
}

bool IsWebUrl(const std::string& url)
{
    return (StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://")) && !BrowserTarget(url).empty();
}

bool OpenUrl(const std::string& url)
{
    const std::string target = BrowserTarget(url);
    if (target.empty())
        return false;
    std::string program = "xdg-open";
    char* argv[] = {program.data(), const_cast<char*>(target.c_str()), nullptr};

    pid_t pid = 0;
    const int result = SpawnProgram(pid, program.c_str(), argv);
    if (result != 0)
        return false;
    gHelpers.push_back(pid);
    return true;
}

UrlOpenOutcome PollUrlOpens()
{
    UrlOpenOutcome outcome = UrlOpenOutcome::None;
    for (auto it = gHelpers.begin(); it != gHelpers.end();) {
        int status = 0;
        const pid_t done = waitpid(*it, &status, WNOHANG);
        if (done == 0 || (done < 0 && errno == EINTR)) {
            ++it;
            continue;
        }
        // Ended (or already gone: nobody can tell it worked).
        const bool ok = done == *it && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!ok)
            outcome = UrlOpenOutcome::Failed;
        else if (outcome == UrlOpenOutcome::None)
            outcome = UrlOpenOutcome::Opened;
        it = gHelpers.erase(it);
    }
    return outcome;
}

int PendingUrlOpens()
{
    return static_cast<int>(gHelpers.size());
}

} // namespace Plat
