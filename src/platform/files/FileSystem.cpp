#include "platform/files/FileSystem.h"

#include "platform/files/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Plat {

namespace {

FileSystem gRealFileSystem;
FileSystem* gFileSystem = &gRealFileSystem;

// 100-ns steps between 1601-01-01 and 1970-01-01.
constexpr uint64_t kEpochDifference = 116444736000000000ULL;

uint64_t ToFileTime(const timespec& ts)
{
    if (ts.tv_sec < 0)
        return 0;
    return uint64_t(ts.tv_sec) * 10000000ULL + uint64_t(ts.tv_nsec) / 100ULL + kEpochDifference;
}

void FillFromStat(const struct stat& st, const std::string& name, FindData& out)
{
    out.attributes = 0;
    if (S_ISLNK(st.st_mode))
        out.attributes |= kAttrSymbolicLink;
    else if (S_ISDIR(st.st_mode))
        out.attributes |= kAttrDirectory;
    if ((st.st_mode & S_IWUSR) == 0)
        out.attributes |= kAttrReadOnly;
    if (out.attributes == 0)
        out.attributes = kAttrNormal;
    out.creationTime = ToFileTime(st.st_ctim);
    out.lastAccessTime = ToFileTime(st.st_atim);
    out.lastWriteTime = ToFileTime(st.st_mtim);
    const uint64_t size = S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
    out.sizeHigh = uint32_t(size >> 32);
    out.sizeLow = uint32_t(size);
    out.fileName = name;
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` ignoring case, or empty.
std::string FindNoCase(const std::string& folder, const std::string& name)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return std::string();
    std::string found;
    while (const dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

bool HasWildcard(const std::string& text)
{
    return text.find_first_of("*?") != std::string::npos;
}

bool CopyContents(int from, int to)
{
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!WriteAllBytes(to, buffer, size_t(got)))
            return false;
    }
}

} // namespace

MappedFile::~MappedFile()
{
    Unmap();
}

MappedFile::MappedFile(MappedFile&& other) noexcept : mData(other.mData), mSize(other.mSize)
{
    other.mData = nullptr;
    other.mSize = 0;
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        Unmap();
        mData = other.mData;
        mSize = other.mSize;
        other.mData = nullptr;
        other.mSize = 0;
    }
    return *this;
}

void MappedFile::Unmap()
{
    if (mData != nullptr)
        munmap(const_cast<uint8_t*>(mData), mSize);
    mData = nullptr;
    mSize = 0;
}

std::string FileSystem::NativePath(const std::string& path)
{
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    if (native.empty() || Exists(native))
        return native;

    // Walk the components, replacing each missing one by a case-insensitive
    // match in its folder. Once one matches nothing, the rest cannot exist.
    std::string result;
    size_t pos = 0;
    if (native[0] == '/') {
        result = "/";
        pos = 1;
    }
    bool searching = true;
    while (pos <= native.size()) {
        size_t end = native.find('/', pos);
        if (end == std::string::npos)
            end = native.size();
        const std::string component = native.substr(pos, end - pos);
        if (!component.empty()) {
            std::string candidate = result + component;
            if (searching && component != "." && component != ".." && !Exists(candidate)) {
                const std::string match = FindNoCase(result, component);
                if (!match.empty())
                    candidate = result + match;
                else
                    searching = false;
            }
            result = candidate;
        }
        if (end < native.size() && (result.empty() || result.back() != '/'))
            result += '/';
        pos = end + 1;
    }
    return result;
}

FILE* FileSystem::OpenFile(const std::string& path, const char* mode)
{
    if (path.empty() || mode == nullptr)
        return nullptr;
    return std::fopen(NativePath(path).c_str(), mode);
}

MappedFile FileSystem::MapReadOnly(const std::string& path)
{
    const int fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return MappedFile();
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
        close(fd);
        return MappedFile();
    }
    void* view = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (view == MAP_FAILED)
        return MappedFile();
    return MappedFile(static_cast<const uint8_t*>(view), size_t(st.st_size));
}

std::unique_ptr<FindHandle> FileSystem::FindFirst(const std::string& pattern, FindData& out)
{
    std::string native = pattern;
    std::replace(native.begin(), native.end(), '\\', '/');
    const size_t slash = native.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : native.substr(0, slash + 1);
    const std::string namePattern = slash == std::string::npos ? native : native.substr(slash + 1);
    if (namePattern.empty())
        return nullptr;
    if (!folder.empty())
        folder = NativePath(folder);
    if (!folder.empty() && folder.back() != '/')
        folder += '/';

    auto handle = std::make_unique<FindHandle>();
    if (!HasWildcard(namePattern)) {
        FindData data;
        if (FileSystem::GetEntry(folder + namePattern, data))
            handle->matches.push_back(data);
    } else {
        DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
        if (dir == nullptr)
            return nullptr;
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (!WildcardMatch(namePattern, name))
                continue;
            struct stat st {};
            if (lstat((folder + name).c_str(), &st) != 0)
                continue;
            FindData data;
            FillFromStat(st, name, data);
            handle->matches.push_back(data);
        }
        closedir(dir);
        // Directory order is arbitrary here; sort by name so that searches
        // repeat exactly, "." and ".." first.
        std::sort(handle->matches.begin(), handle->matches.end(), [](const FindData& a, const FindData& b) {
            const bool aDots = a.fileName == "." || a.fileName == "..";
            const bool bDots = b.fileName == "." || b.fileName == "..";
            if (aDots != bDots)
                return aDots;
            return a.fileName < b.fileName;
        });
    }
    if (handle->matches.empty())
        return nullptr;
    out = handle->matches[0];
    handle->next = 1;
    return handle;
}

bool FileSystem::FindNext(FindHandle& handle, FindData& out)
{
    if (handle.next >= handle.matches.size())
        return false;
    out = handle.matches[handle.next++];
    return true;
}

bool FileSystem::GetEntry(const std::string& path, FindData& out)
{
    std::string native = NativePath(path);
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    struct stat st {};
    if (native.empty() || lstat(native.c_str(), &st) != 0)
        return false;
    const size_t slash = native.rfind('/');
    FillFromStat(st, slash == std::string::npos ? native : native.substr(slash + 1), out);
    return true;
}

bool FileSystem::MakeFolder(const std::string& path)
{
    return !path.empty() && mkdir(NativePath(path).c_str(), 0777) == 0;
}

bool FileSystem::RemoveFolder(const std::string& path)
{
    return !path.empty() && rmdir(NativePath(path).c_str()) == 0;
}

bool FileSystem::RemoveFile(const std::string& path)
{
    return !path.empty() && unlink(NativePath(path).c_str()) == 0;
}

bool FileSystem::MoveEntry(const std::string& from, const std::string& to)
{
    const std::string source = NativePath(from);
    const std::string target = NativePath(to);
    // A move never replaces an existing entry.
    if (Exists(target))
        return false;
    if (rename(source.c_str(), target.c_str()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    struct stat st {};
    if (lstat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // The real copy, also when a test has replaced CopyFile.
    return FileSystem::CopyFile(source, target, true) && unlink(source.c_str()) == 0;
}

bool FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists)
{
    const int in = open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat st {};
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        return false;
    }
    const std::string target = NativePath(to);
    // Copying a file onto itself would truncate it before it is read.
    struct stat existing {};
    if (!failIfExists && stat(target.c_str(), &existing) == 0 && existing.st_dev == st.st_dev &&
        existing.st_ino == st.st_ino) {
        close(in);
        return false;
    }
    // A replacing copy goes to a temporary name beside the target and is
    // renamed over it, so a failed copy leaves the old file whole.
    const std::string written = failIfExists ? target : target + ".copy" + std::to_string(getpid());
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    const int out = open(written.c_str(), flags, st.st_mode & 0777);
    if (out < 0) {
        close(in);
        return false;
    }
    const bool copied = CopyContents(in, out);
    struct stat outStat {};
    const bool regular = fstat(out, &outStat) == 0 && S_ISREG(outStat.st_mode);
    close(in);
    const bool closed = close(out) == 0;
    if (copied && closed && (failIfExists || rename(written.c_str(), target.c_str()) == 0))
        return true;
    // A half copy would later pass for the whole file.
    if (regular)
        unlink(written.c_str());
    return false;
}

bool FileSystem::AllowEveryone(const std::string& path)
{
    const std::string native = NativePath(path);
    struct stat st {};
    if (native.empty() || stat(native.c_str(), &st) != 0)
        return false;
    const mode_t open = S_ISDIR(st.st_mode) ? 0777 : 0666;
    return chmod(native.c_str(), (st.st_mode & 07777) | open) == 0;
}

std::string FileSystem::CurrentFolder()
{
    std::vector<char> buffer(512);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()) != nullptr)
            return std::string(buffer.data());
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

bool FileSystem::SetCurrentFolder(const std::string& path)
{
    return !path.empty() && chdir(NativePath(path).c_str()) == 0;
}

FileSystem& GetFileSystem()
{
    return *gFileSystem;
}

FileSystem* SetFileSystem(FileSystem* fileSystem)
{
    FileSystem* previous = gFileSystem;
    gFileSystem = fileSystem != nullptr ? fileSystem : &gRealFileSystem;
    return previous;
}

bool WildcardMatch(const std::string& pattern, const std::string& name)
{
    if (pattern == "*" || pattern == "*.*")
        return true;
    // Iterative glob with one backtrack point for the last '*'.
    size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || std::tolower((unsigned char)pattern[p]) == std::tolower((unsigned char)name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace Plat
