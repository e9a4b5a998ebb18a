// The command line: splitting it into name[=value] options and the options
// the framework knows. Options only set fields; the start-up acts on them.
#include "framework/app/LumoAppBase.h"

#include "framework/core/AppDataFolder.h"
#include "framework/core/StringUtils.h"
#include "platform/system/CommandLine.h"
#include "platform/files/FileSystem.h"

#include <algorithm>
#include <csignal>
#include <set>

namespace {
// A store through a null pointer in our own code, so that the report names
// a function of the program. The sanitizer's null check would end the run
// before the crash catcher sees it.
__attribute__((noinline, no_sanitize("undefined"))) void StoreThroughNull()
{
    volatile int* volatile target = nullptr;
    *target = 1;
}
} // namespace

namespace Lumo {

namespace {

// A demo file name with a drive or a root stays as it is; any other is put
// in the user-data folder.
std::string AbsoluteDemoName(const std::string& name)
{
    if (name.size() >= 2 && (name[1] == ':' || (name.size() >= 3 && name[2] == '\\')))
        return name;
    if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        return name;
    return GetAppDataFolder() + name;
}

// The number of a numbered demo file: the name is the prefix, then an
// optionally signed decimal number; what follows it does not matter.
bool DemoNumberOf(const std::string& fileName, const std::string& prefix, int& number)
{
    // File names compare without case here, as everywhere on this system.
    if (StringToLower(fileName.substr(0, prefix.size())) != StringToLower(prefix))
        return false;
    size_t pos = prefix.size();
    bool negative = false;
    if (pos < fileName.size() && (fileName[pos] == '-' || fileName[pos] == '+')) {
        negative = fileName[pos] == '-';
        ++pos;
    }
    const size_t digitsStart = pos;
    long long value = 0;
    while (pos < fileName.size() && fileName[pos] >= '0' && fileName[pos] <= '9') {
        value = std::min(value * 10 + (fileName[pos] - '0'), 1LL << 31);
        ++pos;
    }
    if (pos == digitsStart)
        return false;
    value = negative ? -value : value;
    number = static_cast<int>(std::clamp(value, static_cast<long long>(INT32_MIN), static_cast<long long>(INT32_MAX)));
    return true;
}

// A decimal option value; anything that is not a number counts as 0.
int OptionNumber(const std::string& value)
{
    int number = 0;
    if (!StringToInt(value, &number))
        return 0;
    return number;
}

} // namespace

void LumoAppBase::ParseCommandLine()
{
    ParseCommandLineText(Plat::ProcessCommandLine());
}

void LumoAppBase::ParseCommandLineText(const std::string& commandLine)
{
    // Skip the program name, which may be quoted.
    size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t closing = commandLine.find('"', 1);
        if (closing == std::string::npos) {
            cmdLineParsed = true;
            return;
        }
        pos = closing + 1;
    }
    const size_t blank = commandLine.find(' ', pos);
    if (blank != std::string::npos)
        ParseCommandLineArgs(commandLine.substr(blank + 1));
    cmdLineParsed = true;
}

void LumoAppBase::ParseCommandLineArgs(const std::string& text)
{
    std::string name;
    std::string value;
    bool inQuotes = false;
    bool afterEquals = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        bool ended = false;
        if (c == '"') {
            inQuotes = !inQuotes;
            ended = !inQuotes;
        } else if (c == ' ' && !inQuotes) {
            ended = true;
        } else if (c == '=') {
            afterEquals = true;
        } else if (afterEquals) {
            value += c;
        } else {
            name += c;
        }
        // An option without a name is not handed on; its value and the
        // equals sign stay and take what follows.
        if ((ended || i + 1 == text.size()) && !name.empty()) {
            ParseCommandParam(name, value);
            name.clear();
            value.clear();
            afterEquals = false;
        }
    }
}

void LumoAppBase::ParseCommandParam(const std::string& name, const std::string& value)
{
    if (name == "-play") {
        playingDemo = true;
        recordingDemo = false;
    } else if (name == "-record") {
        recordingDemo = true;
        playingDemo = false;
    } else if (name == "-recnum") {
        int keep = OptionNumber(value);
        if (keep <= 0)
            keep = 5;
        const int last = ScanDemoFiles(demoPrefix, keep, true);
        demoFileName = AbsoluteDemoName(demoPrefix + std::to_string(static_cast<long long>(last) + 1) + ".dmo");
        recordingDemo = true;
        playingDemo = false;
    } else if (name == "-playnum") {
        const int age = std::max(OptionNumber(value) - 1, 0);
        const int last = ScanDemoFiles(demoPrefix, age, false);
        demoFileName = AbsoluteDemoName(demoPrefix + std::to_string(static_cast<long long>(last) - age) + ".dmo");
        playingDemo = true;
        recordingDemo = false;
    } else if (name == "-demofile") {
        demoFileName = AbsoluteDemoName(value);
    } else if (name == "-crash") {
        // An access fault, for the crash catcher to report.
        StoreThroughNull();
    } else if (name == "-screensaver") {
        isScreenSaver = true;
    } else if (name == "-changedir") {
        programDir = value;
    } else {
        FatalErrorPopup(GetString("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") + name);
        DoExit(0);
    }
}

int LumoAppBase::ScanDemoFiles(const std::string& prefix, int keep, bool deleteOldest)
{
    // Numbered demos live in the user-data folder, where they are written.
    const std::string folder = GetAppDataFolder();
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();
    Plat::FindData found;
    std::unique_ptr<Plat::FindHandle> search = fileSystem.FindFirst(folder + prefix + "*.dmo", found);
    if (search == nullptr)
        return 0;
    std::set<int> numbers;
    do {
        int number = 0;
        if (DemoNumberOf(found.fileName, prefix, number))
            numbers.insert(number);
    } while (fileSystem.FindNext(*search, found));
    if (numbers.empty())
        return 0;
    if (deleteOldest && static_cast<long long>(numbers.size()) >= keep)
        fileSystem.RemoveFile(folder + prefix + std::to_string(*numbers.begin()) + ".dmo");
    return *numbers.rbegin();
}

} // namespace Lumo
