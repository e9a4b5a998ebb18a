#include "framework/core/PathUtils.h"

#include "framework/core/AppDataFolder.h"
#include "framework/core/SystemVersion.h"
#include "platform/files/FileSystem.h"

#include <algorithm>
#include <deque>

namespace Lumo {

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Index of the last '\\' or '/', or npos.
size_t LastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

bool IsDotEntry(const std::string& name)
{
    return name == "." || name == "..";
}

// folder + "\\" + rel, leaving out an empty rel.
std::string JoinRelative(const std::string& folder, const std::string& rel)
{
    return rel.empty() ? folder : folder + "\\" + rel;
}

} // namespace

std::string GetFileName(const std::string& path, bool noExtension)
{
    const size_t slash = LastSeparator(path);
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    if (noExtension) {
        const size_t dot = path.rfind('.');
        if (dot != std::string::npos && dot >= start)
            return path.substr(start, dot - start);
    }
    return path.substr(start);
}

std::string GetFileDir(const std::string& path, bool keepSeparator)
{
    const size_t slash = LastSeparator(path);
    if (slash == std::string::npos)
        return std::string();
    return path.substr(0, keepSeparator ? slash + 1 : slash);
}

std::string RemoveTrailingSlash(const std::string& path)
{
    if (!path.empty() && IsSeparator(path.back()))
        return path.substr(0, path.size() - 1);
    return path;
}

std::string AddTrailingSlash(const std::string& path, bool backslash)
{
    if (path.empty() || IsSeparator(path.back()))
        return path;
    return path + (backslash ? '\\' : '/');
}

std::string GetPathFrom(const std::string& relativePath, const std::string& baseDirectory)
{
    if (relativePath.size() >= 2 && relativePath[1] == ':')
        return relativePath;

    char slash = '/';
    if (relativePath.find('\\') != std::string::npos || baseDirectory.find('\\') != std::string::npos)
        slash = '\\';

    std::string drive;
    std::string base = baseDirectory;
    if (base.size() >= 2 && base[1] == ':') {
        drive = base.substr(0, 2);
        base.erase(0, 2);
    }
    if (!base.empty() && !IsSeparator(base.back()))
        base += slash;

    std::string rest = relativePath;
    while (!base.empty()) {
        const size_t cut = rest.find_first_of("\\/");
        if (cut == std::string::npos)
            break;
        const std::string component = rest.substr(0, cut);
        rest.erase(0, cut + 1);

        if (component == "..") {
            // The base ends in a separator; its last component starts just
            // after the separator before that one.
            size_t start = base.size() - 1;
            while (start > 0 && !IsSeparator(base[start - 1]))
                --start;
            if (base.substr(start, base.size() - 1 - start) == "..") {
                base += "..";
                base += slash;
            } else {
                base.erase(start);
            }
        } else if (component == ".") {
            continue;
        } else if (component.empty()) {
            base.assign(1, slash);
            break;
        } else {
            base += component;
            base += slash;
            break;
        }
    }

    std::string result = drive + base + rest;
    if (slash == '/')
        std::replace(result.begin(), result.end(), '\\', '/');
    else
        std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

std::string GetCurrentDir()
{
    return Plat::GetFileSystem().CurrentFolder();
}

std::string GetFullPath(const std::string& path)
{
    return GetPathFrom(path, GetCurrentDir());
}

std::string AbsoluteNativePath(const std::string& path)
{
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();
    std::string native = fileSystem.NativePath(path);
    if (!native.empty() && native[0] != '/')
        native = fileSystem.CurrentFolder() + "/" + native;
    return native;
}

bool FileExists(const std::string& path)
{
    Plat::FindData data;
    return Plat::GetFileSystem().FindFirst(path, data) != nullptr;
}

void MkDir(const std::string& path)
{
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsSeparator(path[i]))
            fileSystem.MakeFolder(path.substr(0, i));
    }
    fileSystem.MakeFolder(path);
}

bool DeleteFolderTree(const std::string& path)
{
    if (path.size() < 2)
        return false;
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();

    // A link given as the tree itself is removed as a link: what it points
    // at lies outside the tree.
    Plat::FindData self;
    if (fileSystem.GetEntry(path, self) && (self.attributes & Plat::kAttrSymbolicLink) != 0)
        return fileSystem.RemoveFile(RemoveTrailingSlash(path));

    const std::string folder = IsSeparator(path.back()) ? path : path + "\\";
    Plat::FindData entry;
    std::unique_ptr<Plat::FindHandle> search = fileSystem.FindFirst(folder + "*.*", entry);
    if (search == nullptr)
        return false;

    bool allDeleted = true;
    do {
        if (IsDotEntry(entry.fileName))
            continue;
        const std::string entryPath = folder + entry.fileName;
        bool deleted;
        if ((entry.attributes & Plat::kAttrSymbolicLink) != 0)
            deleted = fileSystem.RemoveFile(entryPath);
        else if ((entry.attributes & Plat::kAttrDirectory) != 0)
            deleted = DeleteFolderTree(entryPath);
        else
            deleted = fileSystem.RemoveFile(entryPath);
        allDeleted = deleted && allDeleted;
    } while (fileSystem.FindNext(*search, entry));
    search.reset();

    return fileSystem.RemoveFolder(folder) && allDeleted;
}

void QueueMoveToAppData(MoveList& list, const std::string& name)
{
    if (!IsWindowsVersion6OrLater())
        return;
    const std::string appData = GetAppDataFolder();
    // Unset, the destination would be a relative path in the working folder.
    if (appData.empty())
        return;

    const std::string source = RemoveTrailingSlash(GetCurrentDir()) + "\\" + name;
    const std::string destination = appData + name;
    Plat::FindData data;
    if (Plat::GetFileSystem().FindFirst(source, data) != nullptr && !FileExists(destination))
        list.emplace_back(source, destination);
}

void MoveFolderTree(const MoveList& list)
{
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();
    for (const auto& [source, destination] : list) {
        if (fileSystem.MoveEntry(source, destination))
            continue;

        Plat::FindData found;
        if (fileSystem.FindFirst(source, found) == nullptr)
            continue;
        if ((found.attributes & Plat::kAttrDirectory) == 0) {
            fileSystem.CopyFile(source, destination, true);
            continue;
        }

        // Copy the tree folder by folder; links are copied as the files they
        // name, never walked into.
        std::deque<std::string> pending{std::string()};
        while (!pending.empty()) {
            const std::string rel = pending.front();
            pending.pop_front();

            Plat::FindData entry;
            std::unique_ptr<Plat::FindHandle> search =
                fileSystem.FindFirst(JoinRelative(source, rel) + "\\*.*", entry);
            if (search == nullptr)
                continue;
            MkDir(JoinRelative(destination, rel));
            do {
                if (IsDotEntry(entry.fileName))
                    continue;
                const std::string child = rel.empty() ? entry.fileName : rel + "\\" + entry.fileName;
                if ((entry.attributes & Plat::kAttrDirectory) != 0)
                    pending.push_back(child);
                else
                    fileSystem.CopyFile(JoinRelative(source, child), JoinRelative(destination, child), true);
            } while (fileSystem.FindNext(*search, entry));
        }
    }
}

bool AllowAllAccess(const std::string& path)
{
    return Plat::GetFileSystem().AllowEveryone(path);
}

} // namespace Lumo
