// The application class of a published product: the publisher's names and
// build information over the application object. The game's application
// class derives from it.
#pragma once

#include "framework/app/LumoAppBase.h"

#include <cstdint>
#include <map>
#include <string>

namespace Lumo {

class AdPages;
class InternetManager;

class LumoApp : public LumoAppBase {
public:
    LumoApp();
    ~LumoApp() override;

    // Writes the product's debug lines, then the base start-up; in
    // screen-saver mode there is no exit pop-up.
    void Init() override;

    // The base settings, then the product's: refer id, update switch,
    // download id, variation, last update check, and the partner's name from
    // the machine-wide settings.
    void ReadFromRegistry() override;
    // The base settings, then the time of the last update check.
    void WriteToRegistry() override;
    // The partner's properties file (signed unless in screen-saver mode),
    // then the product name, window mode and title it may set.
    void PropertiesHook() override;
    // "-version" shows the build information and ends the program; every
    // other option goes to the base.
    void ParseCommandParam(const std::string& name, const std::string& value) override;
    // Verifies the file's ".sig" companion with the product's public key.
    bool CheckSignature(const Buffer& buffer, const std::string& fileName) override;

    // An update check is due: never when switched off; at once when none was
    // made or the last run did not end in order; else after more than seven
    // days (an unsigned difference, so a clock set back makes it due).
    virtual bool IsUpdateCheckDue();
    bool IsUpdateCheckDueAt(uint32_t now) const;
    // The check was made now.
    virtual void StampUpdateCheckTime();

    // The base completion; a run that ends because the browser took its
    // page shows no exit pop-up.
    void UrlOpenDone(const std::string& url) override;
    // Opens the fetched catalogue's result URL (web addresses only) and ends
    // the run.
    virtual void OpenFetchedURL();
    // Fills the template into a fresh page in the user-data folder's "temp"
    // and opens it; false when a file could not be read or written, or the
    // page could not be opened.
    virtual bool ShowHtmlTemplate(const std::string& templatePath,
                                  const std::map<std::string, std::string>& variables);
    // The base block, then the build and the refer id.
    std::string GetCrashInfoText() override;
    // "buildnum", "builddate" and "referid" (names already there stay).
    void GetCrashFormFields(std::map<std::string, std::string>& fields) override;
    // The exit pop-up: in about half the runs, an unshown pop-up page.
    void AfterLoopHook() override;
    // The ad list behind the internet manager; null without one.
    AdPages* GetAdPages();

    InternetManager* internetManager; // owned; made with the internet manager
    std::string referId;
    std::string variation;
    int32_t downloadId;
    uint32_t lastVerCheckTime; // seconds since 1970 of the last update check
    bool noExitPopup;
    bool dontUpdate;
    int32_t buildNumber; // 0 for a build that was not stamped
    std::string buildDate; // empty for a build that was not stamped
};

} // namespace Lumo
