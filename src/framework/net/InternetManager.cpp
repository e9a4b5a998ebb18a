#include "framework/net/InternetManager.h"

#include "framework/app/LumoAppBase.h"
#include "framework/core/Buffer.h"
#include "framework/core/Debug.h"
#include "framework/core/PakClient.h"
#include "framework/core/PathUtils.h"
#include "framework/core/Random.h"
#include "framework/core/StringUtils.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/FileSystem.h"
#include "platform/system/UrlOpener.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>

namespace Lumo {

namespace {

const char* const kAdListFile = "adlist.txt";

// The C runtime's decimal conversion, held inside the int range.
bool FileExistsForApp(const std::string& name)
{
    if (gLumoAppBase != nullptr)
        return gLumoAppBase->FileExists(name);
    PakFile* file = PakOpen(name.c_str(), "rb");
    if (file == nullptr)
        return false;
    PakClose(file);
    return true;
}

// Whether some entry of the list has the same first file.
bool FirstFileListed(const InternetManager::AdEntry& entry, const std::vector<InternetManager::AdEntry>& list)
{
    if (entry.files.empty())
        return false;
    for (const InternetManager::AdEntry& other : list) {
        if (!other.files.empty() && other.files.front() == entry.files.front())
            return true;
    }
    return false;
}

} // namespace

void AllFilesExist(InternetManager::AdEntry& entry)
{
    bool present = !entry.files.empty();
    for (size_t i = 0; present && i < entry.files.size(); ++i)
        present = FileExistsForApp(entry.files[i]);
    entry.filesPresent = present;
}

InternetManager::InternetManager() = default;

InternetManager::~InternetManager()
{
    SaveAdList();
}

bool InternetManager::Init()
{
    return LoadAdList();
}

bool InternetManager::LoadAdList()
{
    if (gLumoAppBase == nullptr)
        return false;
    Buffer buffer;
    if (!gLumoAppBase->ReadBufferFromFile(kAdListFile, buffer))
        return false;
    buffer.SeekFront();
    while (!buffer.AtEnd())
        ParseAdList(buffer.ReadLine(), false);
    ChooseActiveEntries();
    return true;
}

bool InternetManager::SaveAdList()
{
    if (mAdList.empty())
        return true;
    ChooseActiveEntries();
    Buffer buffer;
    for (const AdEntry& entry : mAdList) {
        const std::string line = FormatAdEntry(entry) + "\r\n";
        buffer.WriteBytes(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int>(line.size()));
    }
    return gLumoAppBase != nullptr && gLumoAppBase->WriteBufferToFile(kAdListFile, buffer);
}

std::string InternetManager::FormatAdEntry(const AdEntry& entry)
{
    std::string line = entry.kind == kKindMore
                           ? "more " + entry.firstWord + " " + entry.secondWord + " |"
                           : StrFormat("popup %d %d |", entry.firstNumber, entry.secondNumber);
    for (const std::string& file : entry.files)
        line += " " + file;
    line += " | ";
    line += entry.firstFlag ? "1 " : "0 ";
    line += entry.secondFlag ? "1 " : "0 ";
    return line;
}

bool InternetManager::IsSafeFileName(const std::string& name)
{
    if (name.empty() || name.find("..") != std::string::npos)
        return false;
    size_t partStart = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/') {
            // No empty part (a leading '/' or "a//b") and no "." part.
            if (i == partStart || (i - partStart == 1 && name[partStart] == '.'))
                return false;
            partStart = i + 1;
            continue;
        }
        const char c = name[i];
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.'
                             || c == '_' || c == '-';
        if (!allowed)
            return false;
    }
    return true;
}

void InternetManager::AddFile(AdEntry& entry, const std::string& name, bool isNew)
{
    entry.files.push_back(name);
    // A name that could reach outside the program folder is never fetched.
    if (IsSafeFileName(name) && std::find(mDownloadQueue.begin(), mDownloadQueue.end(), name) == mDownloadQueue.end())
        mDownloadQueue.push_back(name);
    if (entry.files.size() != 1)
        return;
    entry.firstFlag = true;
    for (const AdEntry& old : mPreviousList) {
        if (!old.files.empty() && old.files.front() == name) {
            entry.firstFlag = old.firstFlag;
            entry.secondFlag = old.secondFlag;
            entry.isNew = old.isNew;
            return;
        }
    }
    entry.isNew = isNew;
}

void InternetManager::ParseAdList(const std::string& line, bool isNew)
{
    const size_t keywordEnd = line.find(' ');
    if (line.empty() || keywordEnd == std::string::npos)
        return;
    const std::string keyword = StringToLower(line.substr(0, keywordEnd));

    AdEntry entry;
    int index = 0; // position of the next word inside its section
    if (keyword == "popup") {
        entry.kind = kKindPopup;
    } else if (keyword == "more") {
        entry.kind = kKindMore;
    } else if (!keyword.empty() && keyword[0] >= '0' && keyword[0] <= '9') {
        entry.kind = kKindPopup;
        entry.firstNumber = LeadingInt(keyword);
        index = 1;
    } else {
        return;
    }

    int section = 0;
    size_t start = keywordEnd + 1;
    while (start <= line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string::npos)
            end = line.size();
        const std::string word = line.substr(start, end - start);
        start = end + 1;
        if (word.empty())
            continue;
        if (word == "|") {
            ++section;
            index = 0;
            continue;
        }
        if (section == 0) {
            if (entry.kind == kKindPopup) {
                if (index == 0)
                    entry.firstNumber = LeadingInt(word);
                else if (index == 1)
                    entry.secondNumber = LeadingInt(word);
            } else {
                if (index == 0)
                    entry.firstWord = word;
                else if (index == 1)
                    entry.secondWord = word;
            }
            ++index;
        } else if (section == 1) {
            AddFile(entry, word, isNew);
        } else if (section == 2) {
            if (index == 0)
                entry.firstFlag = LeadingInt(word) != 0;
            else if (index == 1)
                entry.secondFlag = LeadingInt(word) != 0;
            ++index;
        }
    }
    mAdList.push_back(entry);
}

void InternetManager::ChooseActiveEntries()
{
    // Entries of the previous list that this one lost, ready to come back.
    std::vector<AdEntry> candidates;
    for (const AdEntry& old : mPreviousList) {
        if (old.kind != kKindMore || FirstFileListed(old, mAdList))
            continue;
        AdEntry candidate = old;
        AllFilesExist(candidate);
        if (candidate.filesPresent)
            candidates.push_back(candidate);
    }

    std::set<std::string> reserved;
    int count = 0;
    for (AdEntry& entry : mAdList) {
        if (entry.kind != kKindMore)
            continue;
        AllFilesExist(entry);
        if (entry.filesPresent && !entry.secondFlag && !entry.isNew) {
            reserved.insert(entry.secondWord);
            ++count;
        } else if (entry.filesPresent && entry.secondFlag) {
            candidates.push_back(entry);
        }
    }
    std::erase_if(mAdList, [](const AdEntry& entry) { return entry.kind == kKindMore && entry.secondFlag; });

    // Entries with a word not taken yet come first; the others fill what room is left.
    std::vector<AdEntry> waiting;
    for (size_t i = 0; i < candidates.size() && count < mEntryLimit; ++i) {
        AdEntry& candidate = candidates[i];
        if (reserved.count(candidate.secondWord) != 0) {
            waiting.push_back(candidate);
            continue;
        }
        reserved.insert(candidate.secondWord);
        candidate.secondFlag = true;
        mAdList.push_back(candidate);
        ++count;
    }
    for (size_t i = 0; i < waiting.size() && count < mEntryLimit; ++i) {
        waiting[i].secondFlag = true;
        mAdList.push_back(waiting[i]);
        ++count;
    }
}

void InternetManager::FetchCatalogue(const std::string& url)
{
    mCatalogueTransfer.Get(url);
}

bool InternetManager::TakeCatalogue()
{
    mCatalogueTransfer.UpdateStatus();
    if (mCatalogueTransfer.GetResult() != HTTPTransfer::kResultDone)
        return false;

    mDownloadsOn = true;
    mPreviousList = mAdList;
    mAdList.clear();
    mDownloadQueue.clear();

    const std::string content = mCatalogueTransfer.GetContent();
    int lineNumber = 0;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty())
            continue;
        if (lineNumber == 0)
            mCatalogueFlag = LeadingInt(line) != 0;
        else if (lineNumber == 1)
            mResultURL = line;
        else
            ParseAdList(line, true);
        ++lineNumber;
    }
    ChooseActiveEntries();
    return true;
}

std::string InternetManager::GetResultURL()
{
    return TakeCatalogue() ? mResultURL : std::string();
}

void InternetManager::SaveDownload(const std::string& name, const std::string& content)
{
    if (!IsSafeFileName(name)) {
        OutputDebug("Error on AdFile: %s\r\n", name.c_str());
        return;
    }
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();
    for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
        fileSystem.MakeFolder(name.substr(0, slash));
    OutputDebug("AdFile: %s\r\n", name.c_str());
    // The file appears whole or not at all.
    Plat::WriteFileAtomically(fileSystem.NativePath(name), reinterpret_cast<const uint8_t*>(content.data()),
                              content.size());
}

void InternetManager::Update()
{
    if (!mDownloadsOn)
        return;
    for (HTTPTransfer& slot : mDownloadSlots) {
        slot.UpdateStatus();
        const int result = slot.GetResult();
        if (result == HTTPTransfer::kResultBusy)
            continue;
        if (result == HTTPTransfer::kResultDone) {
            SaveDownload(slot.GetRelativeURL(), slot.GetContent());
            slot.Reset();
        } else if (result != HTTPTransfer::kResultIdle) {
            OutputDebug("Error on AdFile: %s\r\n", slot.GetRelativeURL().c_str());
            slot.Reset();
        }
        if (slot.GetResult() == HTTPTransfer::kResultIdle && !mDownloadQueue.empty()) {
            const std::string name = mDownloadQueue.front();
            mDownloadQueue.pop_front();
            slot.GetRelative(mCatalogueTransfer.GetURL(), name);
        }
    }
}

} // namespace Lumo

namespace Lumo {

void InternetManager::RefreshAdFiles()
{
    for (AdEntry& entry : mAdList)
        AllFilesExist(entry);
}

bool InternetManager::HasAdOfKind(int kind, bool includeExcluded)
{
    RefreshAdFiles();
    for (const AdEntry& entry : mAdList) {
        if (entry.kind == kind && entry.filesPresent && entry.firstFlag && (includeExcluded || !entry.secondFlag))
            return true;
    }
    return false;
}

void InternetManager::ShowPopupAd()
{
    RefreshAdFiles();
    int presentCount = 0;
    AdEntry* chosen = nullptr;
    for (AdEntry& entry : mAdList) {
        if (entry.kind != kKindPopup || !entry.filesPresent)
            continue;
        ++presentCount;
        if (chosen == nullptr && entry.firstFlag)
            chosen = &entry;
    }
    if (chosen == nullptr) {
        if (presentCount == 0)
            return;
        int pick = static_cast<int>(GetRandomGenerator().Next() % static_cast<uint32_t>(presentCount));
        for (AdEntry& entry : mAdList) {
            if (entry.kind == kKindPopup && entry.filesPresent && pick-- == 0) {
                chosen = &entry;
                break;
            }
        }
    }
    if (gLumoAppBase != nullptr && gLumoAppBase->playingDemo)
        return;
    // The page lies in the program's folder; the browser gets its full path.
    Plat::OpenUrl(AbsoluteNativePath(chosen->files.front()));
    chosen->firstFlag = false;
}

} // namespace Lumo
