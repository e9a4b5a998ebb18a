// Hands web pages and local pages to the desktop's browser through
// "xdg-open", started with an argument vector and no shell. Only web and
// file addresses go out; everything a shell or the opener could take for
// something else is refused before a process starts.
#pragma once

#include <string>

namespace Plat {

// The text the opener gets for a request: http, https and file URLs as they
// are, an absolute path as a percent-encoded file URL. Empty (refused) for
// other schemes, relative paths, and addresses holding control characters,
// blanks, quotes, backticks, '$' or '\'.
std::string BrowserTarget(const std::string& url);

// True for an http or https URL that BrowserTarget accepts.
bool IsWebUrl(const std::string& url);

// What finished helpers said since the last look.
enum class UrlOpenOutcome {
    None,   // nothing ended (or nothing runs)
    Opened, // a helper ended with code 0
    Failed, // a helper ended otherwise (or by a signal)
};

// Starts the opener on the target of the url; false when the url is refused
// or the opener could not start. Main thread only.
bool OpenUrl(const std::string& url);

// Reaps the helpers that have ended, without waiting; a failure among them
// wins over a success.
UrlOpenOutcome PollUrlOpens();

// Helpers started and not yet reaped.
int PendingUrlOpens();

} // namespace Plat
