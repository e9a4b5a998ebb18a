// Events of an object's stages.
#include "game/engine/AnimObject.h"

#include "game/engine/ObjectEvent.h"
#include "game/engine/Stage.h"

ObjectEvent* AnimObject::AddEventByCode(int trigger, int action, const char* parm1, const char* parm2,
                                        const char* parm3, const char* parm4, const char* altKey)
{
    Stage* stage = BuildingStage();
    if (stage == nullptr)
        return nullptr;
    ObjectEvent* event = new ObjectEvent(trigger, action, parm1, parm2, parm3, parm4, altKey);
    event->mOwnerStage = stage;
    stage->mEvents.Append(event);
    return event;
}

ObjectEvent* AnimObject::AddEventByName(const char* trigger, const char* action, const char* parm1,
                                        const char* parm2, const char* parm3, const char* parm4, const char* altKey)
{
    Stage* stage = BuildingStage();
    if (stage == nullptr)
        return nullptr;
    ObjectEvent* event = new ObjectEvent;
    event->InitByName(trigger, action, parm1, parm2, parm3, parm4, altKey);
    event->mOwnerStage = stage;
    stage->mEvents.Append(event);
    return event;
}
