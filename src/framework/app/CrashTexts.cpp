#include "framework/app/CrashTexts.h"

namespace Lumo {

std::string gCrashMessageText = "An unexpected error has occured!";
std::string gCrashSubmitText = "Please help out by providing as much information as you can about this crash.";
std::string gCrashConnectFailedText = "Failed to connect to server.";
std::string gErrorServerHost;

} // namespace Lumo
