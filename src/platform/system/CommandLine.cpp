#include "platform/system/CommandLine.h"

#include <fstream>
#include <iterator>

namespace Plat {

std::string JoinCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        if (argument.empty())
            continue;
        if (!line.empty())
            line += ' ';
        if (argument.find(' ') != std::string::npos)
            line += '"' + argument + '"';
        else
            line += argument;
    }
    return line;
}

std::string ProcessCommandLine()
{
    // The arguments as the kernel keeps them, each ended by a zero byte.
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    size_t start = 0;
    while (start < raw.size()) {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos)
            end = raw.size();
        arguments.push_back(raw.substr(start, end - start));
        start = end + 1;
    }
    return JoinCommandLine(arguments);
}

} // namespace Plat
