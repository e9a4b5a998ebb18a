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
#include <utility>
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
    int GetMouseX() override { return mouseX; }
    int GetMouseY() override { return mouseY; }
    bool IsLeftButtonDown() override { return leftButtonDown; }
    bool WarpMouse(int x, int y) override
    {
        warps.push_back({x, y});
        return true;
    }
    bool Is3DSupported() override { return supported3D; }
    bool Is3DRecommended() override { return recommended3D; }
    void Set3D(bool enable) override { set3D.push_back(enable); }
    void SwitchWindowMode(bool wantWindowed, bool is3D) override { modeSwitches.push_back({wantWindowed, is3D}); }
    int GetDesktopWidth() override { return desktopWidth; }
    int GetDesktopHeight() override { return desktopHeight; }
    int GetDesktopDepth() override { return desktopDepth; }
    void GetPresentation(int& displayWidth, int& presentationHeight) override
    {
        displayWidth = presentationDisplayWidth;
        presentationHeight = presentationHeightPixels;
    }

    bool windowed = true;
    bool accelerated3D = false;
    int mouseX = 0;
    int mouseY = 0;
    bool leftButtonDown = false;
    std::vector<std::pair<int, int>> warps;
    bool supported3D = true;
    bool recommended3D = true;
    std::vector<bool> set3D;
    std::vector<std::pair<bool, bool>> modeSwitches; // (windowed, 3-D)
    int desktopWidth = 1920;
    int desktopHeight = 1080;
    int desktopDepth = 32;
    int presentationDisplayWidth = 800;
    int presentationHeightPixels = 600;
    int loadingState = 101;
    int closeRequests = 0;
    std::vector<std::string> imageRequests;
    // Every system-cursor kind asked for, in order.
    std::vector<int> cursorKinds;
    bool mouseInWindow = true;
};

} // namespace LumoTest

using LumoTest::FakePlatformHost;
