// A fresh engine with the gameplay's hooks installed, for the modes' tests:
// helpers to put screens in the live list, records in the level lists and a
// named player in the current profile slot.
#pragma once

#include "game/engine/EngineUtilities.h"
#include "game/engine/Level.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/play/PlayHooks.h"
#include "support/GameDataFixture.h"
#include "support/GlyphStripHost.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace LumoTest {

// Every glyph is 4 pixels wide with one clear column after it.
constexpr const char* kModeFontCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!.,:%' ";

// Any "gfx\\font..." picture is a strip of such glyphs; other pictures are
// served at a chosen size (else as one small picture).
class ModeHost : public GlyphStripHost {
public:
    ModeHost() : GlyphStripHost(kModeFontCharacters) {}

protected:
    bool IsFontPicture(const std::string& path) const override { return path.rfind("gfx\\font", 0) == 0; }
};

class ModeFixture : public GameDataFixture {
protected:
    ModeFixture()
    {
        mModePlatform.SetGraphics(mGraphics.get());
        UseModeGame();
    }
    ~ModeFixture() override { mGame.reset(); }

    // Points the game state at this fixture's host and hooks, with the
    // game's fonts and a new player file whose first player is "Mira".
    void UseModeGame()
    {
        mGame->mPlatform = &mModePlatform;
        mGame->mImageCache.SetPlatform(&mModePlatform);
        mGame->mHooks = &play;
        for (const char* font : {"gfx\\font1.png", "gfx\\font2.png", "gfx\\font1_tiny.png"})
            mGame->mFonts.Get(font, kModeFontCharacters, 10);
        mGame->mProfiles.CreateDefaults();
        Player().SetName("Mira");
    }

    // The player's mouse at (x, y) over this fixture's host, with a left press when asked.
    void Pointer(float x, float y, bool leftPress = false)
    {
        modeHost.mouseX = static_cast<int>(x);
        modeHost.mouseY = static_cast<int>(y);
        MovePointer(x, y, leftPress);
    }

    PlayerProfile& Player() { return mGame->mProfiles.Current(); }
    void SetMode(int mode, int progress)
    {
        Player().mMode = mode;
        Player().mProgress[mode] = progress;
    }

    // A screen appended to the live list (the new topmost).
    Level* AddScreen(const char* name, const char* title = "")
    {
        auto* level = new Level;
        level->mKind = 6;
        CopyToField(level->mName, name);
        CopyToField(level->mTitle, title);
        mGame->mLiveObjects.Append(level);
        return level;
    }

    // Three nested layers under the screen; returns the inner one.
    AnimObject* AddLayers(AnimObject* screen)
    {
        AnimObject* layer = screen;
        for (int i = 0; i < 3; ++i) {
            AnimObject* inner = AnimObject::TakeFromPool();
            inner->mKind = kKindLayer;
            layer = layer->AddChild(inner);
        }
        return layer;
    }

    static AnimObject* AddChildOfKind(AnimObject* parent, int kind, const char* name = "")
    {
        AnimObject* child = AnimObject::TakeFromPool();
        child->mKind = kind;
        CopyToField(child->mName, name);
        return parent->AddChild(child);
    }

    // A record of a level list: number, name, title and the file's text.
    LevelRecord* AddRecord(ObjectList<LevelRecord>& list, int number, const char* name, const char* title = "",
                           const std::string& text = std::string())
    {
        auto* record = new LevelRecord;
        record->mNumber = number;
        CopyToField(record->mName, name);
        CopyToField(record->mTitle, title);
        if (!text.empty()) {
            record->mText.reset(new char[text.size() + 1]);
            std::copy(text.begin(), text.end(), record->mText.get());
            record->mText[text.size()] = '\0';
            record->mTextLength = int(text.size());
        }
        record->mFileName = std::string(name) + ".xml";
        list.Append(record);
        return record;
    }

    std::string Key(const char* key) { return mGame->mHooks->ResolveTextKey(key); }

    ModeHost modeHost;
    Platform mModePlatform{&modeHost};
    PlayHooks play;
};

} // namespace LumoTest

using LumoTest::ModeFixture;
