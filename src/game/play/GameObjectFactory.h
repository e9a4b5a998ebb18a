// The gameplay's object factory: the "type" strings of object XML that the
// engine does not build itself, each mapped to the class that plays it.
#pragma once

class AnimObject;

using GameObjectCreator = AnimObject* (*)();

struct GameObjectRow {
    const char* key;
    GameObjectCreator create;
};

// A new object for the type string, owned by the caller, or null when no key
// matches. Keys are compared whole and case-sensitively, in table order.
AnimObject* CreateGameObject(const char* type);

// The table itself, for saving checks and tests.
const GameObjectRow* GameObjectRows(int& count);
