// The reporter: the program started again by a crashed copy of itself,
// before any application object exists.
#pragma once

#include "framework/app/CrashReport.h"
#include "framework/net/CrashReportFlow.h"

#include <string>

namespace Lumo {

// The windows' setup from a processed record: texts, host, form and the
// file to attach (the recorded demo, or the application's own file).
CrashReportFlow::Setup MakeCrashReportSetup(const CrashReportResult& result);

// Builds the report from the record, writes "crash.txt" in the user-data
// folder and shows the report: on standard error, and with a display also
// on the clipboard (unless a demo was played) and in the crash windows, from
// which it may be sent. Returns the process's exit code.
int RunCrashReporter(const std::string& recordPath);

} // namespace Lumo
