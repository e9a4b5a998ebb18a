// Makes a folder the working folder for a test's lifetime and puts back the
// previous one, for relative names (with '\\') resolved against it.
#pragma once

#include "platform/files/FileSystem.h"

#include <string>

namespace LumoTest {

class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& folder) : mOld(Plat::GetFileSystem().CurrentFolder())
    {
        Plat::GetFileSystem().SetCurrentFolder(folder);
    }
    ~WorkingFolder() { Plat::GetFileSystem().SetCurrentFolder(mOld); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::string mOld;
};

} // namespace LumoTest

using LumoTest::WorkingFolder;
