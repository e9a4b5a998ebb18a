// One tick of a crowded played level against as many plain objects. The
// level holds 60 plates of six empty slots, 20 tumbling treasures that leave
// trails and 2000 looping sparkles in its effects object; every slot tests
// each treasure of the plate container each tick. The
// reference is a screen of the same number of plain objects with one looping
// stage each. "ratio" = level / plain: what the rules cost over bare objects.
#include "game/engine/AnimObject.h"
#include "game/engine/EasingKind.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/play/GameObjectFactory.h"
#include "game/play/Jewel.h"
#include "game/play/Plate.h"
#include "game/play/PlayState.h"
#include "game/play/Slot.h"

#include "EngineBenchTiming.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

int CountTree(const AnimObject& object)
{
    int count = 1;
    for (const AnimObject* child = object.mChildren.Head(); child != nullptr; child = child->mNext)
        count += CountTree(*child);
    return count;
}

AnimObject* AddLayer(AnimObject& parent, const char* name, const char* stage)
{
    AnimObject* layer = parent.AddChild(nullptr);
    layer->mKind = kKindLayer;
    std::snprintf(layer->mName, sizeof layer->mName, "%s", name);
    layer->AddStage(1e9f, 1, 1, 1, stage);
    return layer;
}

void BM_CrowdedLevelTick(benchmark::State& state)
{
    auto game = std::make_unique<GameState>();
    Play().Reset();
    Tuning().mEarthquakePoint = 10000.0f;
    Tuning().mNumberOfUniqueSlots = 4;

    auto* level = new Level;
    level->AddStage(1e9f, 1, 1, 1, "play");
    game->mLiveObjects.Append(level);
    AnimObject* outer = AddLayer(*level, "background", "idle");
    AnimObject* middle = AddLayer(*outer, "tiles", "still");
    AnimObject* inner = AddLayer(*middle, "plate_container", "idle");
    // The first update makes the effects object, the second publishes it.
    level->Update();
    level->Update();

    for (int i = 0; i < 60; ++i) {
        auto* plate = static_cast<Plate*>(CreateGameObject("round_plate"));
        plate->mNumJewels = 6;
        plate->mRadius = 30.0f;
        plate->InitType();
        plate->AddStage(1e9f, 1, 1, 1, "idle");
        plate->mLocal[kAttrX] = 60.0f + float(i % 10) * 75.0f;
        plate->mLocal[kAttrY] = 40.0f + float(i / 10) * 75.0f;
        inner->AddChild(plate);
    }
    // Kind 0 fills no slot: the treasures stay in play, turning and trailing.
    for (int i = 0; i < 20; ++i) {
        auto* treasure = new Jewel(0);
        treasure->mStages.RemoveAll();
        treasure->AddStage(1e9f, 1, 1, 1, "shooting");
        treasure->AddFilter(kEasingVelocity, kAttrX, 0.0f, 0.0f, 0.0f);
        treasure->AddFilter(kEasingVelocity, kAttrY, 0.0f, 0.0f, 0.0f);
        treasure->SetStage(treasure->mStages.Head());
        treasure->mLive = 0;
        treasure->mLocal[kAttrX] = 20.0f + float(i) * 38.0f;
        treasure->mLocal[kAttrY] = 560.0f;
        inner->AddChild(treasure);
    }
    AnimObject* effects = game->mEffects;
    for (int i = 0; i < 2000; ++i) {
        AnimObject* sparkle = effects->AddChild(nullptr);
        if (sparkle == nullptr)
            break;
        sparkle->AddStage(1000.0f + float(i % 9) * 100.0f, 1, 1, 1, nullptr);
        sparkle->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        sparkle->AddFilter(kEasingVelocity, kAttrY, -0.5f, 0.0f, 0.0f);
    }
    // Let the trails reach their steady number.
    for (int i = 0; i < 300; ++i)
        level->Update();

    const int objects = CountTree(*level);
    auto plain = std::make_unique<AnimObject>();
    plain->AddStage(1e9f, 1, 1, 1, "screen");
    for (int i = 1; i < objects; ++i) {
        auto* object = new AnimObject;
        object->AddStage(1000.0f + float(i % 9) * 100.0f, 1, 1, 1, nullptr);
        object->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        plain->AddChild(object);
    }

    EngineBench::CpuSideBySide(
        state, "plain_ms", [&] { level->Update(); }, [&] { plain->Update(); });
    state.counters["objects"] = double(objects);
    plain->mChildren.RemoveAll();
    game->mLiveObjects.RemoveAll();
    Play().Reset();
}
BENCHMARK(BM_CrowdedLevelTick)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace
