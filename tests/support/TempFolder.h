// A test's own temporary folder: made empty on construction, removed with
// everything in it when the test ends. Works on the disk directly, so a fake
// file system installed by the test does not disturb it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace LumoTest {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Absolute path of the folder, '/' separators, no trailing separator.
    const std::string& Path() const { return mPath; }
    // Path() + "/" + relative; '\\' in `relative` is kept as written, so
    // tests can hand the result to code that takes either separator.
    std::string Join(const std::string& relative) const;

    // Writes the file (parent folders made as needed), replacing any file
    // already there; returns its full path.
    std::string Write(const std::string& relative, std::string_view bytes) const;
    std::string Write(const std::string& relative, const std::vector<uint8_t>& bytes) const;
    // Makes the folder and its parents; returns its full path.
    std::string MakeFolder(const std::string& relative) const;

    // The file's bytes; empty when it cannot be read.
    std::string Read(const std::string& relative) const;
    // True when the entry exists (a link counts as itself, even if broken).
    bool Exists(const std::string& relative) const;

private:
    std::string mPath;
};

} // namespace LumoTest

using LumoTest::TempFolder;
