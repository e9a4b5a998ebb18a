#include "game/play/PlayHooks.h"

#include "game/play/GameObjectFactory.h"
#include "game/play/HonorRolls.h"
#include "game/play/LevelRules.h"
#include "game/play/Progress.h"
#include "game/play/TextKeys.h"
#include "game/play/TuningParameters.h"

AnimObject* PlayHooks::CreateGameObject(const char* type)
{
    return ::CreateGameObject(type);
}

void PlayHooks::ReadTuning(const ObjectXmlElement& element)
{
    ReadTuningParameters(element);
}

void PlayHooks::LevelTickBeforeMusic(Level& level)
{
    LevelRules::TickBeforeMusic(level);
}

void PlayHooks::LevelTickAfterMusic(Level& level)
{
    LevelRules::TickAfterMusic(level);
}

std::string PlayHooks::ResolveTextKey(const char* key)
{
    return ::ResolveTextKey(key);
}

void PlayHooks::SetNextLevelNumber(int number)
{
    mModes.nextLevelNumber = uint32_t(number);
}

void PlayHooks::ResetTrickshotProgress()
{
    ::ResetTrickshotProgress();
}

void PlayHooks::ResetHonorRolls(PlayerProfiles& profiles)
{
    ::ResetHonorRolls(profiles);
}
