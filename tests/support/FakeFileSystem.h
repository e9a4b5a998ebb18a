// A file system for tests: the real one underneath, except that a chosen
// operation on a chosen path fails, and every call is logged. Install it for
// a scope with ScopedFileSystem.
#pragma once

#include "platform/files/FileSystem.h"

#include <string>
#include <vector>

namespace LumoTest {

enum class FsOp {
    OpenFile,
    MapReadOnly,
    FindFirst,
    GetEntry,
    MakeFolder,
    RemoveFolder,
    RemoveFile,
    MoveEntry,
    CopyFile,
    AllowEveryone,
    CurrentFolder,
    SetCurrentFolder,
};

class FakeFileSystem : public Plat::FileSystem {
public:
    struct Call {
        FsOp op;
        std::string path; // the first path argument, as the caller wrote it
    };

    // Makes `op` fail on `path` (compared after '\\' becomes '/', repeated
    // and trailing separators are dropped and case is resolved on disk);
    // an empty path makes every call of `op` fail.
    void FailOn(FsOp op, const std::string& path = std::string());
    void ClearFailures() { mFailures.clear(); }

    // CurrentFolder() answers this text instead of the process's folder.
    void PretendCurrentFolder(const std::string& folder) { mCurrentFolder = folder; }

    const std::vector<Call>& Calls() const { return mCalls; }
    // How many calls of `op` were made, on any path.
    size_t CountCalls(FsOp op) const;
    void ClearCalls() { mCalls.clear(); }

    FILE* OpenFile(const std::string& path, const char* mode) override;
    Plat::MappedFile MapReadOnly(const std::string& path) override;
    std::unique_ptr<Plat::FindHandle> FindFirst(const std::string& pattern, Plat::FindData& out) override;
    bool GetEntry(const std::string& path, Plat::FindData& out) override;
    bool MakeFolder(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool MoveEntry(const std::string& from, const std::string& to) override;
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    bool AllowEveryone(const std::string& path) override;
    std::string CurrentFolder() override;
    bool SetCurrentFolder(const std::string& path) override;

private:
    struct Failure {
        FsOp op;
        std::string path;
    };
    // Logs the call; true when it is to fail.
    bool Record(FsOp op, const std::string& path);
    std::string Normalize(const std::string& path);

    std::vector<Failure> mFailures;
    std::vector<Call> mCalls;
    std::string mCurrentFolder;
};

// Installs a file system for the scope, restoring the previous one after.
class ScopedFileSystem {
public:
    explicit ScopedFileSystem(Plat::FileSystem& fileSystem) : mPrevious(Plat::SetFileSystem(&fileSystem)) {}
    ~ScopedFileSystem() { Plat::SetFileSystem(mPrevious); }
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

private:
    Plat::FileSystem* mPrevious;
};

} // namespace LumoTest

using LumoTest::FakeFileSystem;
using LumoTest::FsOp;
using LumoTest::ScopedFileSystem;
