#include "game/engine/GameHooks.h"

#include "game/engine/GameState.h"
#include "game/engine/PlayerProfiles.h"

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

void GameHooks::LoadFont(const ObjectXmlElement&) {}

void GameHooks::KernFont(const ObjectXmlElement&) {}

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

void GameHooks::RunProfileAction(ObjectEvent&) {}

void GameHooks::ResetTrickshotProgress() {}

void GameHooks::ResetHonorRolls(PlayerProfiles&) {}

bool GameHooks::WasKeyPressed(int)
{
    return false;
}

void GameHooks::Set3D(bool) {}

void GameHooks::ResetTickClock() {}

float GameHooks::GetMusicVolume()
{
    return 50.0f;
}
