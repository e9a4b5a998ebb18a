// Files and folders. Callers write paths with '\\' or '/' and look names up
// without regard to case, as on the original platform; this layer turns '\\'
// into '/' and, where a name is not found as written, matches each path
// component ignoring case. Tests install a file system of their own to
// inject a failing folder operation.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace Plat {

// Attribute bits of a directory entry, with the values callers test.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrSymbolicLink = 0x400; // a link: never followed when deleting

// One directory entry. Times count 100-nanosecond steps since 1601-01-01.
struct FindData {
    uint32_t attributes = 0;
    uint64_t creationTime = 0;
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    uint32_t sizeHigh = 0;
    uint32_t sizeLow = 0;
    std::string fileName;
};

// An open search over one folder; the matches are taken when it starts.
struct FindHandle {
    std::vector<FindData> matches;
    size_t next = 0;
};

// A whole file mapped read-only into memory.
class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const uint8_t* Data() const { return mData; }
    size_t Size() const { return mSize; }
    bool IsOpen() const { return mData != nullptr; }

private:
    void Unmap();
    const uint8_t* mData = nullptr;
    size_t mSize = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The path as this system names it: '/' separators, and each component
    // that does not exist as written replaced by an existing one that matches
    // it ignoring case. Components that match nothing stay as written.
    virtual std::string NativePath(const std::string& path);

    // fopen on the native path.
    virtual FILE* OpenFile(const std::string& path, const char* mode);
    // Maps the whole file read-only; an unopened result on failure (an empty
    // file cannot be mapped).
    virtual MappedFile MapReadOnly(const std::string& path);

    // Starts a search: the pattern's last component may hold '*' and '?'
    // ("*.*" matches every name). Null when nothing matches.
    virtual std::unique_ptr<FindHandle> FindFirst(const std::string& pattern, FindData& out);
    virtual bool FindNext(FindHandle& handle, FindData& out);
    // The entry itself, links not followed; false when it does not exist.
    virtual bool GetEntry(const std::string& path, FindData& out);

    virtual bool MakeFolder(const std::string& path);
    virtual bool RemoveFolder(const std::string& path);
    virtual bool RemoveFile(const std::string& path);
    // Renames; across devices a file is copied and the source removed.
    virtual bool MoveEntry(const std::string& from, const std::string& to);
    virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists);
    // Opens the entry for reading and writing to every user.
    virtual bool AllowEveryone(const std::string& path);

    // The working folder, of any length; empty when it cannot be had.
    virtual std::string CurrentFolder();
    virtual bool SetCurrentFolder(const std::string& path);
};

// The file system in use; the real one unless a test installed another.
FileSystem& GetFileSystem();
// Installs a file system (null restores the real one); returns the previous one.
FileSystem* SetFileSystem(FileSystem* fileSystem);

// Case-insensitive match of a name against a pattern with '*' and '?'.
bool WildcardMatch(const std::string& pattern, const std::string& name);

} // namespace Plat
