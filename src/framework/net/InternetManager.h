// The ad list: a small local catalogue of pop-up and "more" entries kept in
// "adlist.txt", refreshed from a catalogue text fetched over HTTP, whose
// data files are downloaded into the program folder four at a time.
#pragma once

#include "framework/app/AdPages.h"
#include "framework/net/HTTPTransfer.h"

#include <deque>
#include <string>
#include <vector>

namespace Lumo {

class InternetManager : public AdPages {
public:
    static constexpr int kKindPopup = 1;
    static constexpr int kKindMore = 2;
    static constexpr int kDownloadSlots = 4;

    // One line of the ad list.
    struct AdEntry {
        int kind = 0;
        int firstNumber = 0;  // pop-up entries
        int secondNumber = 0;
        std::vector<std::string> files; // relative to the program folder, '/' separators
        bool filesPresent = false;      // worked out when entries are chosen
        bool firstFlag = false;
        bool secondFlag = false;        // a "more" entry the choice put back
        bool isNew = false;             // first seen in a fetched catalogue; not saved
        std::string firstWord;          // "more" entries
        std::string secondWord;
    };

    InternetManager();
    // Saves the ad list, then stops the transfers.
    ~InternetManager() override;
    InternetManager(const InternetManager&) = delete;
    InternetManager& operator=(const InternetManager&) = delete;

    // LoadAdList.
    bool Init();
    // Reads "adlist.txt" (demo-aware) and chooses the active entries; false
    // when the file cannot be read.
    bool LoadAdList();
    // Chooses the active entries and writes "adlist.txt"; an empty list
    // writes nothing and counts as saved.
    bool SaveAdList();
    // Adds the entry of one ad-list line; other lines are ignored.
    virtual void ParseAdList(const std::string& line, bool isNew);
    // Decides which "more" entries stay in the list.
    void ChooseActiveEntries();

    // Starts fetching a catalogue text: a number line, the result URL, then
    // ad-list lines. Nothing in the framework starts one by itself.
    void FetchCatalogue(const std::string& url);
    // Takes a fetched catalogue as the new ad list and turns downloads on;
    // false while there is none.
    bool TakeCatalogue();
    // The catalogue's result URL, or empty while there is no catalogue.
    std::string GetResultURL() override;
    // Sets every entry's files-present flag.
    void RefreshAdFiles() override;
    bool HasAdOfKind(int kind, bool includeExcluded) override;
    // The unshown pop-up entry, else a random present one; it goes to the
    // browser as a local page (unless a demo plays) and counts as shown.
    void ShowPopupAd() override;
    // Once per frame: saves finished downloads and starts queued ones.
    void Update();

    // The ad list's line for the entry, without the line end.
    static std::string FormatAdEntry(const AdEntry& entry);
    // True for a relative name of parts made of letters, digits, '.', '_'
    // and '-', with no "..": the only names a download may be saved under.
    static bool IsSafeFileName(const std::string& name);

    std::vector<AdEntry>& GetAdList() { return mAdList; }
    std::vector<AdEntry>& GetPreviousList() { return mPreviousList; }
    const std::deque<std::string>& GetDownloadQueue() const { return mDownloadQueue; }
    HTTPTransfer& GetCatalogueTransfer() { return mCatalogueTransfer; }
    HTTPTransfer& GetDownloadSlot(int index) { return mDownloadSlots[index]; }
    bool GetCatalogueFlag() const { return mCatalogueFlag; }
    bool GetDownloadsOn() const { return mDownloadsOn; }
    int GetEntryLimit() const { return mEntryLimit; }

private:
    void AddFile(AdEntry& entry, const std::string& name, bool isNew);
    void SaveDownload(const std::string& name, const std::string& content);

    int mEntryLimit = 4;
    HTTPTransfer mCatalogueTransfer;
    HTTPTransfer mDownloadSlots[kDownloadSlots];
    bool mCatalogueFlag = true;
    bool mDownloadsOn = false;
    std::string mResultURL;
    std::vector<AdEntry> mAdList;
    std::vector<AdEntry> mPreviousList;
    std::deque<std::string> mDownloadQueue;
};

// Sets the entry's files-present flag: its list is not empty and every file
// exists (asked through the application, so a played demo answers).
void AllFilesExist(InternetManager::AdEntry& entry);

} // namespace Lumo
