// A fresh engine for the interface controls: the game-data fixture with a
// strip font of 4-pixel glyphs ("gfx\\font.png", also the default
// "gfx\\sysfont.png"), pictures of chosen sizes, screens opened from XML
// records the test writes, and scripted keys and mouse.
#pragma once

#include "game/engine/LevelRecord.h"
#include "game/engine/ObjectLoader.h"
#include "support/GameDataFixture.h"
#include "support/GlyphStripHost.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace LumoTest {

// Every glyph is 4 pixels wide with one clear column after it.
constexpr const char* kControlFontCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789`~!@#.,-=;'/?<>_|";

class ControlHost : public GlyphStripHost {
public:
    ControlHost() : GlyphStripHost(kControlFontCharacters) {}

protected:
    bool IsFontPicture(const std::string& path) const override
    {
        return path == "gfx\\font.png" || path == "gfx\\sysfont.png";
    }
};

class ControlFixture : public GameDataFixture {
protected:
    ControlFixture()
    {
        mControlPlatform.SetGraphics(mGraphics.get());
        UseControlPlatform();
    }

    // Points a (new) game state at this fixture's host and loads the font.
    void UseControlPlatform()
    {
        mGame->mPlatform = &mControlPlatform;
        mGame->mImageCache.SetPlatform(&mControlPlatform);
        mGame->mFonts.Get("gfx\\font.png", kControlFontCharacters, 10);
        mGame->mFonts.Get("gfx\\sysfont.png", kControlFontCharacters, 10);
    }

    // A screen record of the main list.
    void AddScreen(const char* name, int number, const std::string& body)
    {
        LevelRecord* record = mGame->mMainLevels.Append(new LevelRecord);
        std::strcpy(record->mName, name);
        record->mNumber = number;
        record->mFileName = std::string(name) + ".xml";
        const std::string text = "<object type=\"level\" name=\"" + std::string(name) +
                                 "\">\n<stage name=\"idle\" ms=\"100000\">\n" + body + "</object>\n";
        record->mText.reset(new char[text.size() + 1]);
        std::memcpy(record->mText.get(), text.c_str(), text.size() + 1);
    }

    // Opens the screen on top and makes it the current level.
    Level* Open(const char* name)
    {
        InsertLevelByName(name);
        Level* screen = Topmost();
        mGame->mLevel = screen;
        return screen;
    }

    // One tick with the topmost screen as the current level.
    void Tick()
    {
        if (Level* top = Topmost())
            mGame->mLevel = top;
        Ticks(1);
    }

    void MoveMouse(float x, float y)
    {
        host().mouseX = int(x);
        host().mouseY = int(y);
        for (AnimObject* screen = mGame->mLiveObjects.Head(); screen != nullptr; screen = screen->mNext) {
            if (Level* level = dynamic_cast<Level*>(screen)) {
                level->mMouseX = x;
                level->mMouseY = y;
            }
        }
    }

    // Presses the left button for one tick and lets it go.
    void Click(float x, float y)
    {
        Press(x, y);
        Release();
    }
    // Presses the left button and runs the tick of the press.
    void Press(float x, float y)
    {
        MoveMouse(x, y);
        mGame->mInput.MouseDown(1);
        host().leftButtonDown = true;
        if (Level* top = Topmost())
            top->mLeftClick = 1.0f;
        Tick();
        if (Level* top = Topmost())
            top->mLeftClick = 0.0f;
    }
    void Release()
    {
        mGame->mInput.MouseUp(1);
        host().leftButtonDown = false;
        Tick();
    }

    // Presses a key for one tick.
    void Key(int code)
    {
        mGame->mInput.KeyDown(code);
        Tick();
        mGame->mInput.KeyUp(code);
    }

    ControlHost& host() { return mControlHost; }

    ControlHost mControlHost;
    Platform mControlPlatform{&mControlHost};
};

} // namespace LumoTest

using LumoTest::ControlFixture;
