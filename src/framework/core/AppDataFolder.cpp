#include "framework/core/AppDataFolder.h"

#include "platform/files/UserFolders.h"

namespace Lumo {

namespace {
std::string gAppDataFolder;
} // namespace

std::string GetAppDataFolder()
{
    return gAppDataFolder;
}

void SetAppDataFolder(const std::string& folder)
{
    // An empty folder would otherwise become "\\", the root of the disk.
    if (folder.empty()) {
        gAppDataFolder.clear();
        return;
    }
    gAppDataFolder = folder;
    const char last = folder.back();
    if (last != '\\' && last != '/')
        gAppDataFolder += '\\';
}

std::string DefaultAppDataFolder(const std::string& company, const std::string& product)
{
    std::string folder = Plat::UserDataHome();
    if (!company.empty())
        folder += "/" + company;
    if (!product.empty())
        folder += "/" + product;
    return folder;
}

} // namespace Lumo
