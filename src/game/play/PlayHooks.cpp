#include "game/play/PlayHooks.h"

#include "game/play/GameObjectFactory.h"
#include "game/play/LevelRules.h"
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
