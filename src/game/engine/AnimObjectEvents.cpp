// Events of an object's stages.
#include "game/engine/AnimObject.h"

ObjectEvent* AnimObject::AddEventByCode(int, int, const char*, const char*, const char*, const char*, const char*)
{
    return nullptr;
}

ObjectEvent* AnimObject::AddEventByName(const char*, const char*, const char*, const char*, const char*, const char*,
                                        const char*)
{
    return nullptr;
}
