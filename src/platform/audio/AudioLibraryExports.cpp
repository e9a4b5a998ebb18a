#include "platform/audio/AudioLibraryExports.h"

namespace Plat {

AudioLibraryExports::AudioLibraryExports(std::vector<std::pair<std::string, Proc>> functions)
    : mFunctions(std::move(functions))
{
}

void AudioLibraryExports::Add(const std::string& name, Proc function)
{
    Remove(name);
    mFunctions.emplace_back(name, function);
}

void AudioLibraryExports::Remove(const std::string& name)
{
    for (size_t i = 0; i < mFunctions.size(); ++i) {
        if (mFunctions[i].first == name) {
            mFunctions.erase(mFunctions.begin() + long(i));
            return;
        }
    }
}

AudioLibraryExports::Proc AudioLibraryExports::Find(const std::string& name) const
{
    for (const auto& entry : mFunctions)
        if (entry.first == name)
            return entry.second;
    return nullptr;
}

} // namespace Plat
