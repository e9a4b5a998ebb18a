// One tick of a particle emitter in its steady state against one tick of as
// many plain pooled objects. The emitter sends out 4 particles every tick,
// each living two chained stages (two templates) of about 250 ticks with two
// motion filters (speed, gravity, decay), so that about 2000 particles are
// alive at any time and 4 are made and 4 given back every tick. The
// reference updates 2000 pooled objects with one looping stage each
// (alpha, scale and rotation targets, no filters). "ratio" = emitter / plain:
// what emission, templates and motion cost over bare pooled objects.
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameState.h"
#include "game/engine/ParticleEmitter.h"

#include "EngineBenchTiming.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kPlainObjects = 2000;

void FillTemplate(ParticleTemplate* t, float ms)
{
    t->mMinDuration = t->mMaxDuration = ms;
    t->mMinStartAlpha = 0.8f;
    t->mMaxStartAlpha = 1.0f;
    t->mMinEndAlpha = 0.0f;
    t->mMaxEndAlpha = 0.2f;
    t->mMinStartScale = 0.5f;
    t->mMaxStartScale = 1.0f;
    t->mMinEndScale = 1.0f;
    t->mMaxEndScale = 1.5f;
    t->mMinStartRotation = -30.0f;
    t->mMaxStartRotation = 30.0f;
    t->mMinEndRotation = -90.0f;
    t->mMaxEndRotation = 90.0f;
    t->mMinXSpeed = -1.0f;
    t->mMaxXSpeed = 1.0f;
    t->mMinYSpeed = -2.0f;
    t->mMaxYSpeed = -1.0f;
    t->mDecay = 0.999f;
    t->mGravity = 0.004f;
}

void BM_EmitterTick(benchmark::State& state)
{
    auto game = std::make_unique<GameState>();
    game->mRandom.SeedRandom(2024);
    AnimObject* screen = game->mLiveObjects.Append(new AnimObject);
    screen->AddStage(1e9f, 0, 0, 1, "screen");

    auto* emitter = new ParticleEmitter;
    emitter->AddStage(1e9f, 0, 0, 1, "run");
    emitter->mFrequency = 1.0f;
    emitter->mParticlesPerEmit = 4;
    emitter->mKeepLocal = 1;
    emitter->mMinX = -100.0f;
    emitter->mMaxX = 100.0f;
    emitter->mMinY = -20.0f;
    emitter->mMaxY = 20.0f;
    emitter->mLocal[kAttrX] = 400.0f;
    emitter->mLocal[kAttrY] = 300.0f;
    FillTemplate(emitter->AddParticleTemplate(), 992.0f);
    FillTemplate(emitter->AddParticleTemplate(), 992.0f);
    screen->AddChild(emitter);

    auto* holder = new AnimObject;
    holder->AddStage(1e9f, 0, 0, 1, "holder");
    screen->AddChild(holder);
    for (int i = 0; i < kPlainObjects; ++i) {
        AnimObject* object = holder->AddChild(nullptr);
        if (object == nullptr)
            break;
        object->AddStage(1000.0f + static_cast<float>(i % 7) * 250.0f, 1, 1, 1, nullptr);
        object->SetStageAttribute(kAttrAlpha, 1.0f, 0.25f);
        object->SetStageAttribute(kAttrXScale, 0.5f, 1.5f);
        object->SetStageAttribute(kAttrYScale, 0.5f, 1.5f);
        object->SetStageAttribute(kAttrRotation, -30.0f, 30.0f);
        object->mLocal[kAttrX] = static_cast<float>(i % 800);
        object->mLocal[kAttrY] = static_cast<float>(i % 600);
    }
    // Into the steady state: as many particles end as are made each tick.
    screen->Update();
    for (int i = 0; i < 1200; ++i) {
        emitter->Update();
        holder->Update();
    }

    EngineBench::CpuSideBySide(
        state, "plain_ms", [&] { emitter->Update(); }, [&] { holder->Update(); });
    state.counters["particles"] = static_cast<double>(emitter->mChildren.Count());
    state.counters["plain"] = static_cast<double>(holder->mChildren.Count());
}
BENCHMARK(BM_EmitterTick)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace
