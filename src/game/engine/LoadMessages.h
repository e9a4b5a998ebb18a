// The one place where problems found while reading or saving game data are
// told: one line "file:line: what" each. The program writes them to the
// debug output; the editor shows them; tests and the fuzz target read them.
#pragma once

#include <functional>
#include <string>

class LoadMessages {
public:
    using Sink = std::function<void(const std::string& message)>;

    // Installs the sink (an empty one restores the debug output) and gives
    // back the one installed before.
    static Sink SetSink(Sink sink);

    // "file:line: what"; a line below 1 is left out ("file: what").
    static void Report(const std::string& file, int line, const std::string& what);
};
