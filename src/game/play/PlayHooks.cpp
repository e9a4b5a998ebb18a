#include "game/play/PlayHooks.h"

#include "game/play/GameObjectFactory.h"

AnimObject* PlayHooks::CreateGameObject(const char* type)
{
    return ::CreateGameObject(type);
}
