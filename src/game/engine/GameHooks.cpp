#include "game/engine/GameHooks.h"

#include "game/engine/GameState.h"
#include "game/engine/ObjectXmlElement.h"
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
