#include "framework/app/LumoApp.h"

#include "framework/app/AdPages.h"
#include "framework/app/HtmlTemplate.h"
#include "framework/core/AppDataFolder.h"
#include "framework/core/PathUtils.h"
#include "framework/core/Random.h"
#include "framework/net/InternetManager.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/FileSystem.h"
#include "platform/system/UrlOpener.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace Lumo {

namespace {

// The next line of the file without its line feed, however long; false at
// the end or on a read error.
bool ReadWholeLine(FILE* file, std::string& line)
{
    line.clear();
    char chunk[4096];
    bool any = false;
    while (std::fgets(chunk, sizeof(chunk), file) != nullptr) {
        any = true;
        line += chunk;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            return true;
        }
    }
    return any && !std::ferror(file);
}

} // namespace

AdPages* LumoApp::GetAdPages()
{
    return internetManager;
}

void LumoApp::UrlOpenDone(const std::string& url)
{
    LumoAppBase::UrlOpenDone(url);
    if (shutdownOnUrlOpen)
        noExitPopup = true;
}

void LumoApp::OpenFetchedURL()
{
    AdPages* pages = GetAdPages();
    const std::string url = pages != nullptr ? pages->GetResultURL() : std::string();
    // The URL came over the network: only a web page may come of it.
    if (Plat::IsWebUrl(url))
        OpenURL(url, true);
    Shutdown();
}

bool LumoApp::ShowHtmlTemplate(const std::string& templatePath, const std::map<std::string, std::string>& variables)
{
    Plat::FileSystem& files = Plat::GetFileSystem();
    std::unique_ptr<FILE, int (*)(FILE*)> input(files.OpenFile(templatePath, "r"), &std::fclose);
    if (input == nullptr)
        return false;

    // Pages go to the user-data folder; the program's folder may be read-only.
    const std::string folder = GetAppDataFolder() + "temp";
    Plat::FindData found;
    if (auto search = files.FindFirst(folder + "/tpl*.html", found)) {
        do {
            if ((found.attributes & Plat::kAttrDirectory) == 0)
                files.RemoveFile(folder + "/" + found.fileName);
        } while (files.FindNext(*search, found));
    }
    const std::string nativeFolder = AbsoluteNativePath(folder);
    Plat::MakeFolderPath(nativeFolder);

    char name[32];
    std::snprintf(name, sizeof(name), "tpl%04d.html", std::rand() % 10000);
    const std::string outputPath = nativeFolder + "/" + name;

    std::string page;
    std::string line;
    while (ReadWholeLine(input.get(), line)) {
        page += SubstituteVariables(line, variables);
        page += '\n';
    }
    // A template that stops reading part way is not shown cut short.
    if (std::ferror(input.get()))
        return false;
    if (!Plat::WriteFileAtomically(outputPath, reinterpret_cast<const uint8_t*>(page.data()), page.size()))
        return false;
    return OpenURL(outputPath, false);
}

void LumoApp::AfterLoopHook()
{
    if (noExitPopup)
        return;
    AdPages* pages = GetAdPages();
    if (pages == nullptr || !pages->HasAdOfKind(InternetManager::kKindPopup, true))
        return;
    // A pop-up in about half of the runs.
    if ((GetRandomGenerator().Next() & 1) != 0)
        return;
    pages->ShowPopupAd();
}

} // namespace Lumo
