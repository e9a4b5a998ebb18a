// An application object for font tests: loads shared images from disk
// through the image loaders (as the application's image loading does) into
// memory images or surface images,
// remembers the data-cache switch during each load, and collects error
// popups instead of showing them. Header-only, so that only tests that use
// it link the app library.
#pragma once

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"

#include <memory>
#include <string>
#include <vector>

namespace LumoTest {

class FontTestApp : public Lumo::LumoAppBase {
public:
    using LumoAppBase::FatalErrorPopup;
    void FatalErrorPopup(const std::string& text) override { popups.push_back(text); }

    std::vector<std::string> popups;
    std::vector<std::string> loadedFiles;
    std::vector<bool> cacheSwitchDuringLoad;
    // Loads into surface images (no display) instead of memory images.
    bool loadSurfaceImages = false;

protected:
    Lumo::Image* LoadSharedImage(const std::string& fileName) override
    {
        loadedFiles.push_back(fileName);
        cacheSwitchDuringLoad.push_back(writeToDataCache);
        std::unique_ptr<ImageLib::Image> picture(ImageLib::GetImage(fileName, false));
        if (picture == nullptr)
            return nullptr;
        Lumo::MemoryImage* image = loadSurfaceImages ? new Lumo::DDImage(nullptr) : new Lumo::MemoryImage(this);
        image->SetBits(picture->GetBits(), picture->GetWidth(), picture->GetHeight());
        image->mFilePath = fileName;
        return image;
    }
};

} // namespace LumoTest

using LumoTest::FontTestApp;
