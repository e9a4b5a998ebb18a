#include "game/play/Cupid.h"

#include "game/engine/ObjectKind.h"

Cupid::Cupid()
{
    mKind = kKindCupid;
    mZOrder = 3.0f;
    SetImage("gfx\\cupid.png", 0.0f, 0.0f, 0, 0.0f);
}
