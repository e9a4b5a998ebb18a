#include "platform/files/SettingsStore.h"

#include "platform/files/FileSettingsStore.h"
#include "platform/files/FileSystem.h"
#include "platform/files/UserFolders.h"

#include <cstdlib>

namespace Plat {

namespace {

const char* const kSettingsFileName = "settings.dat";

// The product key's names as a relative folder path; a key from a data file
// must not lead outside the root, so "." and ".." are dropped.
std::string ProductFolder(const std::string& productKey)
{
    std::string folder;
    size_t start = 0;
    while (start <= productKey.size()) {
        size_t end = productKey.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = productKey.size();
        const std::string name = productKey.substr(start, end - start);
        if (!name.empty() && name != "." && name != "..") {
            if (!folder.empty())
                folder += '/';
            folder += name;
        }
        start = end + 1;
    }
    return folder;
}

// Absolute entries of $XDG_CONFIG_DIRS, else /etc/xdg.
std::vector<std::string> MachineConfigFolders()
{
    std::vector<std::string> folders;
    const char* value = std::getenv("XDG_CONFIG_DIRS");
    const std::string list = value != nullptr ? value : "";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start && list[start] == '/')
            folders.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    if (folders.empty())
        folders.push_back("/etc/xdg");
    return folders;
}

} // namespace

std::string SettingsFilePath(SettingsRoot root, const std::string& productKey)
{
    const std::string folder = ProductFolder(productKey);
    if (folder.empty())
        return std::string();
    FileSystem& fileSystem = GetFileSystem();
    const std::string relative = "/" + folder + "/" + kSettingsFileName;
    if (root == SettingsRoot::User)
        return fileSystem.NativePath(UserConfigHome() + relative);

    const std::vector<std::string> folders = MachineConfigFolders();
    for (const std::string& configFolder : folders) {
        const std::string path = fileSystem.NativePath(configFolder + relative);
        FindData entry;
        if (fileSystem.GetEntry(path, entry) && (entry.attributes & kAttrDirectory) == 0)
            return path;
    }
    return fileSystem.NativePath(folders.front() + relative);
}

std::unique_ptr<SettingsStore> OpenSettingsStore(SettingsRoot root, const std::string& productKey)
{
    const std::string path = SettingsFilePath(root, productKey);
    if (path.empty())
        return nullptr;
    return std::make_unique<FileSettingsStore>(path, root == SettingsRoot::Machine);
}

} // namespace Plat
