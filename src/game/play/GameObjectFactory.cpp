#include "game/play/GameObjectFactory.h"

#include "game/engine/AnimObject.h"

#include <cstring>
#include <new>

namespace {

template <class T>
AnimObject* Make()
{
    return new (std::nothrow) T;
}

// One row per key; the first match wins.
const GameObjectRow kRows[] = {
    {"", nullptr}, // placeholder until the first gameplay class lands
};

} // namespace

AnimObject* CreateGameObject(const char* type)
{
    if (type == nullptr || type[0] == '\0')
        return nullptr;
    for (const GameObjectRow& row : kRows) {
        if (row.create != nullptr && std::strcmp(row.key, type) == 0)
            return row.create();
    }
    return nullptr;
}

const GameObjectRow* GameObjectRows(int& count)
{
    count = int(sizeof(kRows) / sizeof(kRows[0]));
    return kRows;
}
