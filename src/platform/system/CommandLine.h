// The process's command line as one text, the way a Windows program
// receives it: the program name, then each argument, separated by
// blanks; a name or argument that holds a blank is put in double quotes.
#pragma once

#include <string>
#include <vector>

namespace Plat {

// The arguments (program name first) joined as above.
std::string JoinCommandLine(const std::vector<std::string>& arguments);

// The running process's command line; empty when it cannot be read.
std::string ProcessCommandLine();

} // namespace Plat
