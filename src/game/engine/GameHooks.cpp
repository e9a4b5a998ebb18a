#include "game/engine/GameHooks.h"

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
    return 0;
}

void GameHooks::SetProfileMode(int) {}

void GameHooks::SetNextLevelNumber(int) {}

void GameHooks::RunProfileAction(ObjectEvent&) {}

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
