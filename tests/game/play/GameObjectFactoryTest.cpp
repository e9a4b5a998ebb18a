#include "game/engine/AnimObject.h"
#include "game/play/GameObjectFactory.h"

#include <gtest/gtest.h>

#include <memory>

// Keys match whole and in their own letter case only.
TEST(GameObjectFactoryTest, NearMissKeysCreateNothing)
{
    for (const char* type : {"", "Pigeon", "pigeon ", " pigeon", "PLATE", "no_such_kind"}) {
        std::unique_ptr<AnimObject> object(CreateGameObject(type));
        EXPECT_EQ(object, nullptr) << '"' << type << '"';
    }
    EXPECT_EQ(CreateGameObject(nullptr), nullptr);
}
