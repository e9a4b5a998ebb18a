#include "platform/BassLibrary.h"

#include "platform/BassAudio.h"

namespace Plat {

namespace {
// Until a library is installed, LoadBassLibrary gives our own.
bool gChosen = false;
const BassLibrary* gInstalled = nullptr;
} // namespace

BassLibrary::BassLibrary(std::vector<std::pair<std::string, BassProc>> functions)
    : mFunctions(std::move(functions))
{
}

void BassLibrary::Add(const std::string& name, BassProc function)
{
    Remove(name);
    mFunctions.emplace_back(name, function);
}

void BassLibrary::Remove(const std::string& name)
{
    for (size_t i = 0; i < mFunctions.size(); ++i) {
        if (mFunctions[i].first == name) {
            mFunctions.erase(mFunctions.begin() + long(i));
            return;
        }
    }
}

BassProc BassLibrary::Find(const std::string& name) const
{
    for (const auto& entry : mFunctions)
        if (entry.first == name)
            return entry.second;
    return nullptr;
}

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
