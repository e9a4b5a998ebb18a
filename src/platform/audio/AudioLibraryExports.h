// The functions a stand-in sound library exports, looked up by name: the one
// table behind the BASS and FMOD libraries, so that a library missing a
// function can be told apart (and tested).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Plat {

class AudioLibraryExports {
public:
    // The generic shape functions are stored under; each is cast back to its
    // own shape by the caller that fetched it by name.
    using Proc = void (*)();

    AudioLibraryExports() = default;
    explicit AudioLibraryExports(std::vector<std::pair<std::string, Proc>> functions);

    // Replaces a function of the same name.
    void Add(const std::string& name, Proc function);
    void Remove(const std::string& name);
    // Null when the library has no function of that name.
    Proc Find(const std::string& name) const;

private:
    std::vector<std::pair<std::string, Proc>> mFunctions;
};

} // namespace Plat
