#include "game/engine/GameHooks.h"

#include "game/engine/GameState.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/ProfileActions.h"

GameHooks::~GameHooks() = default;

AnimObject* GameHooks::CreateGameObject(const char*)
{
    return nullptr;
}

std::string GameHooks::ResolveTextKey(const char* key)
{
    return key != nullptr ? key : "";
}

void GameHooks::ReadTuning(const ObjectXmlElement&) {}

void GameHooks::LoadFont(const ObjectXmlElement& element)
{
    const char* name = element.GetAttribute("name");
    if (Game().mFonts.Get(name, element.GetAttribute("character_set"), element.GetAttributeInt("letter_height"))
        == nullptr)
        element.Report(std::string("font \"") + (name != nullptr ? name : "") + "\" cannot be loaded");
}

void GameHooks::KernFont(const ObjectXmlElement& element)
{
    const char* character = element.GetAttribute("char");
    if (character == nullptr || character[0] == '\0')
        return;
    Game().mFonts.SetKerning(static_cast<unsigned char>(character[0]), element.GetAttributeFloat("left"),
                             element.GetAttributeFloat("right"));
}

int GameHooks::GetProfileMode()
{
    return Game().mProfiles.Current().mMode;
}

void GameHooks::SetProfileMode(int mode)
{
    if (mode >= 0 && mode < PlayerProfile::kModeCount)
        Game().mProfiles.Current().mMode = mode;
}

void GameHooks::SetNextLevelNumber(int) {}

void GameHooks::RunProfileAction(ObjectEvent& event)
{
    ::RunProfileAction(event);
}

void GameHooks::ResetTrickshotProgress() {}

void GameHooks::ResetHonorRolls(PlayerProfiles&) {}

bool GameHooks::WasKeyPressed(int keyCode)
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr && game->mInput.TestKeyPressOnce(keyCode);
}

void GameHooks::Set3D(bool enable)
{
    GameState* game = GameState::TryCurrent();
    if (game != nullptr && game->mPlatform != nullptr) {
        game->mPlatform->Set3D(enable);
    }
}

void GameHooks::ResetTickClock()
{
    if (GameState* game = GameState::TryCurrent()) {
        game->mLastTick = 0;
    }
}

float GameHooks::GetMusicVolume()
{
    return 50.0f;
}

void GameHooks::LevelTickBeforeMusic(Level&) {}

void GameHooks::LevelTickAfterMusic(Level&) {}
