// The reporter: the program started again by a crashed copy of itself,
// before any application object exists.
#pragma once

#include <string>

namespace Lumo {

// The option that starts the reporter; the record's path follows it.
constexpr const char* kCrashReporterOption = "--crash-report=";

// Builds the report from the record, writes "crash.txt" in the user-data
// folder and shows the report: on stderr without a display. Returns the
// process's exit code.
int RunCrashReporter(const std::string& recordPath);

} // namespace Lumo
