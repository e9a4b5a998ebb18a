#include "game/engine/LoadMessages.h"

#include "framework/core/Debug.h"

#include <mutex>
#include <utility>

namespace {

// Messages come from the loading thread as well as the main thread.
std::mutex gSinkMutex;
LoadMessages::Sink gSink;

} // namespace

LoadMessages::Sink LoadMessages::SetSink(Sink sink)
{
    std::lock_guard<std::mutex> lock(gSinkMutex);
    return std::exchange(gSink, std::move(sink));
}

void LoadMessages::Report(const std::string& file, int line, const std::string& what)
{
    std::string message = file;
    if (line >= 1)
        message += ":" + std::to_string(line);
    message += ": " + what;
    std::lock_guard<std::mutex> lock(gSinkMutex);
    if (gSink)
        gSink(message);
    else
        Lumo::OutputDebug("%s\n", message.c_str());
}
