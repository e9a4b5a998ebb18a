// A game engine for the fuzz targets of game data: one game state reused
// from input to input (emptied after each), every file the data names served
// as the input itself, every picture as one small picture, an 800 x 600
// screen to draw on, and a check that every message names its file (and,
// where asked, its line).
#pragma once

#include "framework/core/PakClient.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformHost.h"
#include "platform/files/FileSystem.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class FuzzPictureHost : public PlatformHost {
public:
    bool IsWindowed() override { return true; }
    bool Is3DAccelerated() override { return false; }
    int GetLoadingState() override { return 101; }
    void CloseMainWindow() override {}
    Lumo::MemoryImage* GetImage(const std::string&) override
    {
        const std::vector<uint32_t> pixels(16, 0x80FF8040u);
        auto* image = new Lumo::MemoryImage();
        image->SetBits(pixels.data(), 4, 4, true);
        return image;
    }
};

// Any name opens as the input.
class InputFileSystem : public Plat::FileSystem {
public:
    FILE* OpenFile(const std::string&, const char* mode) override
    {
        if (input.empty() || mode == nullptr || mode[0] != 'r')
            return nullptr;
        return fmemopen(input.data(), input.size(), "rb");
    }
    std::string input;
};

class FuzzGame {
public:
    FuzzGame()
    {
        Lumo::TriangleRasterizer::InitSpanFunctions();
        Lumo::SetPakInterface(nullptr);
        Plat::SetFileSystem(&files);
        mScreen.Create(800, 600);
        mScreen.SetImageMode(false, false);
        mGraphics = std::make_unique<Lumo::Graphics>(&mScreen);
        mPlatform.SetGraphics(mGraphics.get());
        game = std::make_unique<GameState>();
        game->mPlatform = &mPlatform;
        game->mImageCache.SetPlatform(&mPlatform);
        LoadMessages::SetSink([this](const std::string& message) { Check(message); });
    }

    // Traps on a message that does not start with "name:line: " (or "name: "
    // where lines are not required) for one of the file names in use.
    void Check(const std::string& message)
    {
        ++messages;
        const size_t colon = message.find(": ");
        if (colon == std::string::npos || colon == 0)
            __builtin_trap();
        const std::string place = message.substr(0, colon);
        const size_t lineColon = place.rfind(':');
        if (lineColon == std::string::npos) {
            if (requireLines)
                __builtin_trap();
            return;
        }
        if (lineColon + 1 == place.size() || place[lineColon + 1] == '0')
            __builtin_trap();
        for (size_t i = lineColon + 1; i < place.size(); ++i) {
            if (place[i] < '0' || place[i] > '9')
                __builtin_trap();
        }
    }

    void TicksAndFrame()
    {
        for (int i = 0; i < 20; ++i)
            UpdateLiveObjects(*game);
        DrawLiveObjects(*game);
    }

    // Back to an empty game: nothing of one input reaches the next.
    void Empty()
    {
        game->mLiveObjects.RemoveAll();
        game->mMainLevels.RemoveAll();
        game->mRelaxedLevels.RemoveAll();
        game->mTrickLevels.RemoveAll();
        // Fonts hold image records: they go before the cache frees them.
        game->mFonts.Clear();
        game->mImageCache.FreeAll();
        if (game->mObjectPool.CountInUse() != 0)
            __builtin_trap();
        messages = 0;
    }

    InputFileSystem files;
    FuzzPictureHost host;
    Platform mPlatform{&host};
    Lumo::MemoryImage mScreen;
    std::unique_ptr<Lumo::Graphics> mGraphics;
    std::unique_ptr<GameState> game;
    size_t messages = 0;
    bool requireLines = true;
};
