// Pooled objects, stages and filters cost no heap allocation once the game
// state is built: sparkle-like churn through the whole object pool, ticked
// and given back, allocates nothing.
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/GameState.h"
#include "game/engine/LiveObjects.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t size)
{
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size > 0 ? size : 1))
        return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace {

TEST(PooledRecordsAllocationTest, ChurnThroughThePoolsAllocatesNothing)
{
    auto game = std::make_unique<GameState>();
    // The screen itself is built at start, like a loaded screen.
    AnimObject* screen = game->mLiveObjects.Append(new AnimObject);
    screen->AddStage(1000000.0f, 0, 0, 1, "screen");

    const long before = gAllocations.load();
    int made = 0;
    for (int round = 0; round < 3; ++round) {
        // The whole object pool, each with a stage and two filters.
        while (AnimObject* child = screen->AddChild(nullptr)) {
            child->AddStage(40.0f, 0, 0, 1, nullptr);
            child->SetStageAttribute(kAttrX, 0.0f, 100.0f);
            child->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
            child->AddFilter(kEasingSined, kAttrY, 5.0f, 2.0f, 0.0f);
            child->AddFilter(kEasingVelocity, kAttrRotation, 0.5f, 0.0f, 0.0f);
            ++made;
        }
        // Ten ticks of 4 ms end every child; they go back to their pools.
        for (int tick = 0; tick < 12; ++tick)
            UpdateLiveObjects(*game);
    }
    const long during = gAllocations.load() - before;

    EXPECT_EQ(made, 3 * GameState::kObjectPoolSize);
    EXPECT_EQ(during, 0);
    EXPECT_TRUE(screen->mChildren.IsEmpty());
    EXPECT_EQ(game->mObjectPool.CountInUse(), 0);
    EXPECT_EQ(game->mStagePool.CountInUse(), 1);
    EXPECT_EQ(game->mFilterPool.CountInUse(), 0);
}

} // namespace
