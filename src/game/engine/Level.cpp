#include "game/engine/Level.h"

#include "game/engine/EditorMenu.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/InputBox.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "game/engine/SampleEntry.h"
#include "game/engine/ScreenAccess.h"
#include "game/engine/SoundLayer.h"
#include "game/engine/Stage.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr int kModeTrickshot = 3;

// A caption file that opens a titled screen of its own would load itself
// without end: captions are not loaded from inside a caption.
thread_local int tCaptionDepth = 0;

const char* CaptionFile(const char* levelName, int mode)
{
    if (std::strcmp(levelName, "trickshot") == 0)
        return mode == kModeTrickshot ? "objects\\trickymode_text.xml" : "objects\\trickshot_text.xml";
    if (std::strcmp(levelName, "bonus") == 0)
        return "objects\\bonus_text.xml";
    if (std::strstr(levelName, "win_sequence") == nullptr)
        return "objects\\text.xml";
    return nullptr;
}

bool HoldsSample(const Level& level, const SampleEntry* entry)
{
    return level.mMusicEntry == entry || level.mIntroEntry == entry || level.mMainEntry == entry ||
           level.mWinEntry == entry;
}

// One tick of a cross-fade from track A to track B over `length` ticks of
// the timer. B starts once, when the timer first reaches or passes the
// length (at once when it starts below it); the main track, when it is the
// outgoing one, never drops below a fifth. True when A has faded out and is
// to be forgotten.
bool CrossFade(SampleEntry* a, bool aIsMain, SampleEntry* b, int& bChannel, bool& bStarted, float& timer, float length)
{
    if (timer == 0.0f)
        return false;
    // A timer that is not a whole number of ticks still ends on 0.
    timer = timer > 1.0f ? timer - 1.0f : 0.0f;
    SoundLayer& sound = *Game().mSound;
    const bool starting = !bStarted && timer <= length;
    if (starting) {
        bStarted = true;
        if (b != nullptr) {
            sound.PlaySample(b, kDefaultSampleRate);
            bChannel = sound.GetSampleChannel(b);
            sound.SetChannelVolume(b, 0.01f);
        }
    }
    if (timer < length) {
        float v = timer;
        if (aIsMain && v < length / 5.0f)
            v = length / 5.0f;
        if (a != nullptr)
            sound.SetChannelVolume(a, v * 100.0f / length);
        if (b != nullptr)
            sound.SetChannelVolume(b, 100.0f - timer * 100.0f / length);
    }
    if (timer == 0.0f && !aIsMain) {
        if (a != nullptr)
            sound.SetChannelVolume(a, -1.0f);
        return true;
    }
    return false;
}

} // namespace

Level::Level()
{
    mZOrder = 0.0f;
}

Level::~Level()
{
    // A screen that goes from under another hands the speakers to it: its
    // tracks fall silent, and its main song is let go unless a screen still
    // holds it.
    GameState* game = GameState::TryCurrent();
    if (mCovered && game != nullptr && game->mSound != nullptr) {
        SoundLayer& sound = *game->mSound;
        for (SampleEntry* entry : {mMusicEntry, mIntroEntry, mMainEntry, mWinEntry}) {
            if (entry != nullptr)
                sound.SetChannelVolume(entry, 0.0f);
        }
        bool held = false;
        for (AnimObject* screen = game->mLiveObjects.Head(); screen != nullptr && !held; screen = screen->mNext) {
            const Level* other = dynamic_cast<const Level*>(screen);
            held = other != nullptr && other != this && HoldsSample(*other, mMainEntry);
        }
        if (mMainEntry != nullptr && !held)
            sound.FreeSample(mMainEntry);
    }
    mMusicEntry = mIntroEntry = mMainEntry = mWinEntry = nullptr;
    GameState::ReleaseHeldImage(mSparkleImage);
    GameState::ReleaseHeldImage(mLevelParticleImage);
    GameState::ReleaseHeldImage(mWhiteParticleImage);
}

// ---- Reading and writing

void Level::ReadXmlAttributes(const ObjectXmlElement& element)
{
    AnimObject::ReadXmlAttributes(element);
    GameState& game = Game();

    struct Track {
        const char* attribute;
        char (&name)[64];
        SampleEntry*& entry;
        int loop;
    };
    const Track tracks[] = {{"music", mMusicName, mMusicEntry, 1},
                            {"intro_music", mIntroName, mIntroEntry, 0},
                            {"main_music", mMainName, mMainEntry, 1},
                            {"win_music", mWinName, mWinEntry, 0}};
    for (const Track& track : tracks) {
        if (const char* name = element.GetAttribute(track.attribute)) {
            element.CopyToField(track.name, sizeof(track.name), name, track.attribute);
            track.entry = game.mSound->GetSample(track.name, track.loop, 1);
        }
    }

    if (element.HasAttribute("intro_time")) {
        float ms = element.GetAttributeFloat("intro_time");
        // A negative or endless intro would fade the songs past their ends.
        if (!std::isfinite(ms) || ms < 0.0f) {
            element.Report(std::string("intro_time \"") + element.GetAttribute("intro_time") + "\" read as 0");
            ms = 0.0f;
        }
        mIntroTime = ms;
        mIntroTimer = ms / 4.0f;
    }

    if (const char* thumbnail = element.GetAttribute("thumbnail"))
        element.CopyToField(mThumbnail, sizeof(mThumbnail), thumbnail, "thumbnail");
    if (const char* message = element.GetAttribute("win_message"))
        element.CopyToField(mWinMessage, sizeof(mWinMessage), message, "win_message");
    if (const char* message = element.GetAttribute("lose_message"))
        element.CopyToField(mLoseMessage, sizeof(mLoseMessage), message, "lose_message");

    if (const char* title = element.GetAttribute("title")) {
        element.CopyToField(mTitle, sizeof(mTitle), title, "title");
        const char* caption = CaptionFile(mName, game.mHooks->GetProfileMode());
        if (caption != nullptr) {
            if (tCaptionDepth > 0) {
                element.Report(std::string("a titled screen inside the caption \"") + caption +
                               "\" loads no caption of its own");
            } else {
                ++tCaptionDepth;
                // The title brings the caption back when the level is read
                // again, so a saved level does not carry it: it would come
                // back twice.
                if (AnimObject* built = LoadObjectFromFile(caption, this))
                    built->mSelectable = 0;
                --tCaptionDepth;
            }
        }
    }
}

void Level::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "level");
    WriteXmlStringAttribute(out, "title", mTitle);
    WriteXmlFloatAttribute(out, "number", static_cast<float>(mLevelNumber));
    WriteXmlStringAttribute(out, "thumbnail", mThumbnail);
    WriteXmlStringAttribute(out, "music", mMusicName);
    WriteXmlStringAttribute(out, "intro_music", mIntroName);
    WriteXmlStringAttribute(out, "main_music", mMainName);
    WriteXmlStringAttribute(out, "win_music", mWinName);
    if (mIntroTime != 0.0f)
        WriteXmlFloatAttribute(out, "intro_time", mIntroTime);
    WriteXmlStringAttribute(out, "win_message", mWinMessage);
    WriteXmlStringAttribute(out, "lose_message", mLoseMessage);
}

// ---- The tick

void Level::PublishPointers()
{
    GameState& game = Game();
    game.mLevel = this;
    game.mShooter = FindChildOfKind(kKindShooter);
    game.mEffects = FindChildOfKind(kKindEffects);
    game.mOuterLayer = FindChildOfKind(kKindLayer);
    game.mMiddleLayer = game.mOuterLayer != nullptr ? game.mOuterLayer->FindChildOfKind(kKindLayer) : nullptr;
    game.mInnerLayer = game.mMiddleLayer != nullptr ? game.mMiddleLayer->FindChildOfKind(kKindLayer) : nullptr;
    game.mTutorial = FindChildOfKind(kKindTutorial);
}

void Level::OnFirstUpdate()
{
    AnimObject::OnFirstUpdate();
    GameState& game = Game();
    // A screen given its images before its first tick keeps them.
    if (mSparkleImage == nullptr)
        mSparkleImage = game.mImageCache.Get("gfx\\sparkle.png");
    if (mLevelParticleImage == nullptr)
        mLevelParticleImage = game.mImageCache.Get("gfx\\particle2.png");
    if (mWhiteParticleImage == nullptr)
        mWhiteParticleImage = game.mImageCache.Get("gfx\\white_particle.png");

    // The object that other objects' particles and popups are added to.
    if (AnimObject* effects = AnimObject::TakeFromPool()) {
        effects->mKind = kKindEffects;
        effects->mZOrder = 9.0f;
        effects->AddStage(1000.0f, 1, 1, 1, nullptr);
        AddChild(effects);
    }

    if (!game.EditorOpen()) {
        SoundLayer& sound = *game.mSound;
        if (mIntroEntry != nullptr) {
            sound.PlaySample(mIntroEntry, kDefaultSampleRate);
            mIntroChannel = sound.GetSampleChannel(mIntroEntry);
        }
        if (mMusicEntry != nullptr)
            mMusicChannel = sound.GetSampleChannel(mMusicEntry);
    }
}

void Level::EditorMenuItems(EditorMenu& menu)
{
    menu.AddItem("Change Win Message", "win_message");
    menu.AddItem("Change Lose Message", "lose_message");
}

void Level::EditorCommand(const char* command)
{
    if (command == nullptr || Game().mEditor == nullptr)
        return;
    // The prompt joins the open editor and edits the text in place.
    if (std::strcmp(command, "win_message") == 0)
        new InputBox("Win Message", InputBox::kText, mWinMessage, sizeof(mWinMessage), 0, 0, nullptr, 0, 0, nullptr);
    else if (std::strcmp(command, "lose_message") == 0)
        new InputBox("Lose Message", InputBox::kText, mLoseMessage, sizeof(mLoseMessage), 0, 0, nullptr, 0, 0,
                     nullptr);
}

int Level::Update()
{
    GameState& game = Game();
    PublishPointers();
    const bool topmost = game.Topmost() == this;
    mCovered = !topmost && game.mLiveObjects.Contains(this);
    if (mRemove != 0)
        return 0;
    if (mEditorMode != 0) {
        if (game.mEditor != nullptr)
            game.mEditor->Update();
        return 1;
    }

    if (topmost && game.mPlatform != nullptr) {
        Platform& platform = *game.mPlatform;
        mMouseX = platform.GetMouseX();
        mMouseY = platform.GetMouseY();
        mLeftButton = platform.WasMouseButtonPressed() ? 1.0f : 0.0f;
        mRightButton = platform.WasRightButtonPressed() ? 1.0f : 0.0f;
        mLeftClick = mLeftButton != 0.0f && mPreviousLeft == 0.0f ? 1.0f : 0.0f;
        mRightClick = mRightButton != 0.0f && mPreviousRight == 0.0f ? 1.0f : 0.0f;
        mPreviousLeft = mLeftButton;
        mPreviousRight = mRightButton;
    } else {
        mMouseX = mMouseY = 0.0f;
        mLeftButton = mRightButton = 0.0f;
        mLeftClick = mRightClick = 0.0f;
        mPreviousLeft = mPreviousRight = 0.0f;
    }

    mToneChainTimeout -= 1;
    if (mToneChainTimeout < 1) {
        mToneChainTimeout = 0;
        mToneChain = 0;
    }

    game.mHooks->LevelTickBeforeMusic(*this);

    if (CrossFade(mIntroEntry, false, mMainEntry, mMainChannel, mMainStarted, mIntroTimer, kIntroFadeTicks))
        mIntroEntry = nullptr;
    CrossFade(mMainEntry, true, mWinEntry, mWinChannel, mWinStarted, mWinFadeTimer, kWinFadeTicks);

    game.mHooks->LevelTickAfterMusic(*this);

    return AnimObject::Update();
}

// ---- Drawing

void Level::Draw()
{
    GameState& game = Game();
    const bool bottom = game.mLiveObjects.Head() == this;
    const bool transformed =
        mWorld[kAttrXScale] != 1.0f || mWorld[kAttrYScale] != 1.0f || mWorld[kAttrRotation] != 0.0f;
    if (bottom && (transformed || mClearFirst != 0) && game.mPlatform != nullptr)
        game.mPlatform->ClearScreen();
    AnimObject::Draw();
}

void Level::DrawSelf()
{
    GameState& game = Game();
    if (mEditorMode != 0 && FindChildOfKind(kKindEditor) != nullptr && game.mPlatform != nullptr)
        game.mPlatform->ClearScreen();
    AnimObject::DrawSelf();
}

// ---- What the engine's objects read of their screen

bool GetScreenMouse(const AnimObject& screen, float& x, float& y)
{
    const Level* level = dynamic_cast<const Level*>(&screen);
    if (level == nullptr) {
        return false;
    }
    x = level->mMouseX;
    y = level->mMouseY;
    return true;
}

ImageRecord* GetLevelSparkleImage(const AnimObject& level)
{
    const Level* screen = dynamic_cast<const Level*>(&level);
    return screen != nullptr ? screen->mSparkleImage : nullptr;
}
