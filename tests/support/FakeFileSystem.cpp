#include "support/FakeFileSystem.h"

#include <algorithm>

namespace LumoTest {

void FakeFileSystem::FailOn(FsOp op, const std::string& path)
{
    mFailures.push_back({op, path});
}

size_t FakeFileSystem::CountCalls(FsOp op) const
{
    return size_t(std::count_if(mCalls.begin(), mCalls.end(), [op](const Call& call) { return call.op == op; }));
}

std::string FakeFileSystem::Normalize(const std::string& path)
{
    std::string native = Plat::FileSystem::NativePath(path);
    std::string result;
    for (const char c : native) {
        if (c == '/' && !result.empty() && result.back() == '/')
            continue;
        result += c;
    }
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

bool FakeFileSystem::Record(FsOp op, const std::string& path)
{
    mCalls.push_back({op, path});
    bool fail = false;
    for (const Failure& failure : mFailures) {
        if (failure.op != op)
            continue;
        if (failure.path.empty() || Normalize(failure.path) == Normalize(path)) {
            fail = true;
            break;
        }
    }
    return fail;
}

FILE* FakeFileSystem::OpenFile(const std::string& path, const char* mode)
{
    return Record(FsOp::OpenFile, path) ? nullptr : Plat::FileSystem::OpenFile(path, mode);
}

Plat::MappedFile FakeFileSystem::MapReadOnly(const std::string& path)
{
    return Record(FsOp::MapReadOnly, path) ? Plat::MappedFile() : Plat::FileSystem::MapReadOnly(path);
}

std::unique_ptr<Plat::FindHandle> FakeFileSystem::FindFirst(const std::string& pattern, Plat::FindData& out)
{
    return Record(FsOp::FindFirst, pattern) ? nullptr : Plat::FileSystem::FindFirst(pattern, out);
}

bool FakeFileSystem::GetEntry(const std::string& path, Plat::FindData& out)
{
    return !Record(FsOp::GetEntry, path) && Plat::FileSystem::GetEntry(path, out);
}

bool FakeFileSystem::MakeFolder(const std::string& path)
{
    return !Record(FsOp::MakeFolder, path) && Plat::FileSystem::MakeFolder(path);
}

bool FakeFileSystem::RemoveFolder(const std::string& path)
{
    return !Record(FsOp::RemoveFolder, path) && Plat::FileSystem::RemoveFolder(path);
}

bool FakeFileSystem::RemoveFile(const std::string& path)
{
    return !Record(FsOp::RemoveFile, path) && Plat::FileSystem::RemoveFile(path);
}

bool FakeFileSystem::MoveEntry(const std::string& from, const std::string& to)
{
    return !Record(FsOp::MoveEntry, from) && Plat::FileSystem::MoveEntry(from, to);
}

bool FakeFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists)
{
    return !Record(FsOp::CopyFile, from) && Plat::FileSystem::CopyFile(from, to, failIfExists);
}

bool FakeFileSystem::AllowEveryone(const std::string& path)
{
    return !Record(FsOp::AllowEveryone, path) && Plat::FileSystem::AllowEveryone(path);
}

std::string FakeFileSystem::CurrentFolder()
{
    if (Record(FsOp::CurrentFolder, std::string()))
        return std::string();
    return mCurrentFolder.empty() ? Plat::FileSystem::CurrentFolder() : mCurrentFolder;
}

bool FakeFileSystem::SetCurrentFolder(const std::string& path)
{
    return !Record(FsOp::SetCurrentFolder, path) && Plat::FileSystem::SetCurrentFolder(path);
}

} // namespace LumoTest
