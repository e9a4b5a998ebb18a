// The flying helper that catches a thrown treasure and drops it into a
// matching slot. Made by code only: by the shooter and by a power-up.
#pragma once

#include "game/engine/AnimObject.h"

class Cupid : public AnimObject {
public:
    Cupid();
};
