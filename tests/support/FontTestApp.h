// An application object for font tests: loads images as the application
// does, but notes each file it loads and whether the data-cache switch was
// on meanwhile, and collects error popups instead of showing them.
// Header-only, so that only tests that use it link the app library.
#pragma once

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDImage.h"

#include <string>
#include <vector>

namespace LumoTest {

class FontTestApp : public Lumo::LumoAppBase {
public:
    using LumoAppBase::FatalErrorPopup;
    void FatalErrorPopup(const std::string& text) override { popups.push_back(text); }

    Lumo::DDImage* GetImage(const std::string& path, bool commitBits = true) override
    {
        loadedFiles.push_back(path);
        cacheSwitchDuringLoad.push_back(writeToDataCache);
        return LumoAppBase::GetImage(path, commitBits);
    }

    std::vector<std::string> popups;
    std::vector<std::string> loadedFiles;
    std::vector<bool> cacheSwitchDuringLoad;
};

} // namespace LumoTest

using LumoTest::FontTestApp;
