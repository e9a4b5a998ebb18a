// The application side of the game's Platform layer for tests: window and
// 3-D flags and the loading state as the test sets them, a count of close
// requests, and pictures loaded from the disk (or the pak layer) straight
// through the image loader. Header-only, so that only tests that use it
// link the engine.
#pragma once

#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "game/engine/PlatformHost.h"

#include <memory>
#include <string>
#include <vector>

namespace LumoTest {

class FakePlatformHost : public PlatformHost {
public:
    bool IsWindowed() override { return windowed; }
    bool Is3DAccelerated() override { return accelerated3D; }
    int GetLoadingState() override { return loadingState; }
    void CloseMainWindow() override { ++closeRequests; }
    Lumo::MemoryImage* GetImage(const std::string& path) override
    {
        imageRequests.push_back(path);
        std::unique_ptr<ImageLib::Image> picture(ImageLib::GetImage(path, false));
        if (picture == nullptr) {
            return nullptr;
        }
        auto* image = new Lumo::MemoryImage();
        image->SetBits(picture->GetBits(), picture->GetWidth(), picture->GetHeight(), true);
        return image;
    }
    void SetCursorKind(int kind) override { cursorKinds.push_back(kind); }
    bool IsMouseInWindow() override { return mouseInWindow; }

    bool windowed = true;
    bool accelerated3D = false;
    int loadingState = 101;
    int closeRequests = 0;
    std::vector<std::string> imageRequests;
    // Every system-cursor kind asked for, in order.
    std::vector<int> cursorKinds;
    bool mouseInWindow = true;
};

} // namespace LumoTest

using LumoTest::FakePlatformHost;
