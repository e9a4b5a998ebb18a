#include "platform/audio/BassLibrary.h"

#include "platform/audio/BassAudio.h"

namespace Plat {

namespace {
// Until a library is installed, LoadBassLibrary gives our own.
bool gChosen = false;
const BassLibrary* gInstalled = nullptr;
} // namespace

const BassLibrary* LoadBassLibrary(const std::string& /*path*/)
{
    return gChosen ? gInstalled : &OwnBassLibrary();
}

const BassLibrary* SetBassLibrary(const BassLibrary* library)
{
    const BassLibrary* previous = gChosen ? gInstalled : &OwnBassLibrary();
    gChosen = true;
    gInstalled = library;
    return previous;
}

} // namespace Plat
