#include "framework/app/CrashReporter.h"

#include "framework/app/CrashReport.h"

#include <cstdio>

namespace Lumo {

int RunCrashReporter(const std::string& recordPath)
{
    const CrashReportResult result = ProcessCrashRecord(recordPath);
    if (!result.ok) {
        std::fprintf(stderr, "The crash record %s could not be read.\n", recordPath.c_str());
        return 1;
    }
    std::fprintf(stderr, "%s\n%s\nThe report is in %s\n", result.title.c_str(), result.text.c_str(),
                 result.crashFilePath.c_str());
    return 0;
}

} // namespace Lumo
