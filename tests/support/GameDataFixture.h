// A fresh engine for tests of game data: its own game state with a recording
// sound layer, hooks that record what the game would be asked, an 800 x 600
// screen to draw on, every picture served as one small picture, the messages
// told while loading, and a temporary data folder as the working folder.
// Header-only, so that only tests that use it link the engine.
#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/AnimObject.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/Platform.h"
#include "platform/files/FileSystem.h"
#include "support/FakePlatformHost.h"
#include "support/RecordingSoundLayer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace LumoTest {

// Every path gives one 8 x 8 picture of a colour made from the path.
class SmallPictureHost : public FakePlatformHost {
public:
    Lumo::MemoryImage* GetImage(const std::string& path) override
    {
        imageRequests.push_back(path);
        uint32_t colour = 0xFF000000u;
        for (char c : path)
            colour = 0xFF000000u | ((colour * 31u + uint8_t(c)) & 0xFFFFFFu);
        std::vector<uint32_t> pixels(64, colour);
        auto* image = new Lumo::MemoryImage();
        image->SetBits(pixels.data(), 8, 8, true);
        return image;
    }
};

// Records what the engine asks of the game.
class RecordingHooks : public GameHooks {
public:
    AnimObject* CreateGameObject(const char* type) override
    {
        createdTypes.push_back(type != nullptr ? type : "");
        return nullptr;
    }
    std::string ResolveTextKey(const char* key) override
    {
        const std::string text = key != nullptr ? key : "";
        if (text == "PLAY_KEY")
            return "main_play";
        if (text == "LONG_KEY")
            return std::string(100, 'k');
        return text;
    }
    void ReadTuning(const ObjectXmlElement&) override { ++tuningElements; }
    int GetProfileMode() override { return mode; }
    void SetProfileMode(int newMode) override { mode = newMode; }
    void SetNextLevelNumber(int number) override { nextLevelNumber = number; }
    void RunProfileAction(ObjectEvent& event) override { profileActions.push_back(event.mAction); }
    bool WasKeyPressed(int keyCode) override
    {
        return realKeys ? GameHooks::WasKeyPressed(keyCode) : keyCode == pressedKey;
    }
    void Set3D(bool enable) override { enabled3D = enable; }
    float GetMusicVolume() override { return 80.0f; }
    void ResetTickClock() override { ++tickClockResets; }

    std::vector<std::string> createdTypes;
    int tuningElements = 0;
    int mode = 0;
    int nextLevelNumber = -1;
    std::vector<int> profileActions;
    int pressedKey = -1;
    // Keys come from the game's input instead of pressedKey.
    bool realKeys = false;
    bool enabled3D = false;
    int tickClockResets = 0;
};

class GameDataFixture : public ::testing::Test {
protected:
    GameDataFixture()
    {
        Lumo::TriangleRasterizer::InitSpanFunctions();
        mPreviousSink = LoadMessages::SetSink([this](const std::string& message) { messages.push_back(message); });
        mScreen.Create(800, 600);
        mScreen.SetImageMode(false, false);
        mGraphics = std::make_unique<Lumo::Graphics>(&mScreen);
        mPlatform.SetGraphics(mGraphics.get());
        NewGame();
        Plat::GetFileSystem().SetCurrentFolder(mFolder.Path());
    }
    ~GameDataFixture() override
    {
        mGame.reset();
        Plat::GetFileSystem().SetCurrentFolder(mPreviousFolder);
        LoadMessages::SetSink(mPreviousSink);
    }

    // A fresh game state wired to this fixture's sound, hooks and screen.
    void NewGame()
    {
        mGame.reset();
        mGame = std::make_unique<GameState>();
        mGame->mPlatform = &mPlatform;
        mGame->mImageCache.SetPlatform(&mPlatform);
        mGame->mSound = &sound;
        mGame->mHooks = &hooks;
        sound.plays.clear();
    }

    // Screens of the live list from the bottom, by name.
    std::vector<std::string> ScreenNames() const
    {
        std::vector<std::string> names;
        for (AnimObject* screen = mGame->mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
            names.push_back(screen->mName);
        return names;
    }

    Level* Topmost() const { return dynamic_cast<Level*>(mGame->Topmost()); }

    // Plays of a sample, by name.
    int Plays(const std::string& name) const
    {
        int count = 0;
        for (const auto& play : sound.plays)
            count += play.name == name ? 1 : 0;
        return count;
    }

    // Draws every screen on a black screen and sums the pixels in order.
    uint64_t DrawChecksum()
    {
        uint32_t* bits = mScreen.GetBits();
        std::fill(bits, bits + 800 * 600, 0xFF000000u);
        mScreen.BitsChanged();
        DrawLiveObjects(*mGame);
        bits = mScreen.GetBits();
        uint64_t sum = 0;
        for (int i = 0; i < 800 * 600; ++i)
            sum = sum * 1099511628211ull + bits[i];
        return sum;
    }

    // Runs game ticks.
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            UpdateLiveObjects(*mGame);
    }

    // The player's mouse at (x, y), with a press of the left and right
    // buttons when asked: the topmost screen takes them at its next tick.
    // A left press is a tap (down and up before the tick); a right press is
    // let go at the next call.
    void MovePointer(float x, float y, bool leftPress = false, bool rightPress = false)
    {
        host.mouseX = static_cast<int>(x);
        host.mouseY = static_cast<int>(y);
        mGame->mInput.MouseUp(-1);
        if (leftPress) {
            mGame->mInput.MouseDown(1);
            mGame->mInput.MouseUp(1);
        }
        if (rightPress)
            mGame->mInput.MouseDown(-1);
    }

    // A key press the game sees at its next tick (down and up again).
    void PressKey(int code)
    {
        mGame->mInput.KeyDown(code);
        mGame->mInput.KeyUp(code);
    }

    // True when some message contains the text.
    bool Told(const std::string& text) const
    {
        for (const std::string& message : messages) {
            if (message.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    TempFolder mFolder;
    std::string mPreviousFolder = Plat::GetFileSystem().CurrentFolder();
    std::vector<std::string> messages;
    LoadMessages::Sink mPreviousSink;
    SmallPictureHost host;
    Platform mPlatform{&host};
    Lumo::MemoryImage mScreen;
    std::unique_ptr<Lumo::Graphics> mGraphics;
    RecordingSoundLayer sound;
    RecordingHooks hooks;
    std::unique_ptr<GameState> mGame;
};

} // namespace LumoTest

using LumoTest::GameDataFixture;
