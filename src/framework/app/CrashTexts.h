// The texts of the crash windows and the error server they send to. The
// product application sets them; the reporter gets them with the crash
// context. Texts are UTF-8.
#pragma once

#include <string>

namespace Lumo {

extern std::string gCrashMessageText;       // at the top of the crash window
extern std::string gCrashSubmitText;        // at the top of the details window
extern std::string gCrashConnectFailedText; // the failure box
// "host[:port]" of the error server; empty: no send button.
extern std::string gErrorServerHost;

} // namespace Lumo
