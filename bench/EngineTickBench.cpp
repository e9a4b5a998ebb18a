// One game tick of the whole object pool against the same arithmetic on a flat
// array. UpdateLiveObjects walks 4000 pooled objects (children of one screen),
// each with a looping stage on x, y and alpha and two filters (sined on x,
// cosined on y); the reference steps the same values in a plain array with no
// lists, pools or virtual calls. "ratio" = ours / flat: the structure's cost.
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/GameState.h"
#include "game/engine/LiveObjects.h"

#include "EngineBenchTiming.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

// The flat reference: what one object's tick computes, held side by side.
struct FlatObject {
    float start[3];
    float end[3];
    float ticks;
    float length;
    float sinedAmplitude, sinedPeriod, sinedOffset;
    float cosinedAmplitude, cosinedPeriod, cosinedOffset;
    float local[kAttributeCount];
    float world[kAttributeCount];
    float frameCounter;
    int visible;
};

void FlatTick(std::vector<FlatObject>& objects, const float* parentWorld)
{
    const int codes[3] = {kAttrX, kAttrY, kAttrAlpha};
    for (FlatObject& o : objects) {
        for (int i = 0; i < kAttributeCount; ++i)
            o.world[i] = kAttributeDefaults[i];
        const float t = o.ticks / o.length;
        for (int k = 0; k < 3; ++k)
            o.local[codes[k]] = o.start[k] + (o.end[k] - o.start[k]) * t;
        o.local[kAttrX] += o.sinedAmplitude *
                           static_cast<float>(std::sin((360.0f * t * o.sinedPeriod + o.sinedOffset) * kDegreesToRadians));
        o.local[kAttrY] += o.cosinedAmplitude * static_cast<float>(std::cos(
                                                    (360.0f * t * o.cosinedPeriod + o.cosinedOffset) * kDegreesToRadians));
        o.visible = 1;
        o.ticks += 1.0f;
        std::memcpy(o.world, o.local, sizeof o.world);
        o.world[kAttrX] = o.local[kAttrX] * parentWorld[kAttrXScale] + parentWorld[kAttrX];
        o.world[kAttrY] = o.local[kAttrY] * parentWorld[kAttrYScale] + parentWorld[kAttrY];
        o.world[kAttrRotation] = o.local[kAttrRotation] + parentWorld[kAttrRotation];
        for (int code : {kAttrXScale, kAttrYScale, kAttrAlpha, kAttrR, kAttrG, kAttrB})
            o.world[code] = o.local[code] * parentWorld[code];
        // The stage loops on itself: back one tick in at its end.
        if (t >= 1.0f)
            o.ticks = 1.0f;
        o.frameCounter += 1.0f;
    }
}

void BM_UpdateLiveObjects(benchmark::State& state)
{
    auto game = std::make_unique<GameState>();
    AnimObject* screen = game->mLiveObjects.Append(new AnimObject);
    screen->AddStage(1e9f, 0, 0, 1, "screen");
    std::vector<FlatObject> flat;
    flat.reserve(GameState::kObjectPoolSize);
    int n = 0;
    while (AnimObject* object = screen->AddChild(nullptr)) {
        const float ms = 1000.0f + static_cast<float>(n % 7) * 250.0f;
        const float start[3] = {static_cast<float>(n % 800), static_cast<float>(n % 600), 1.0f};
        const float end[3] = {start[0] + 100.0f, start[1] - 50.0f, 0.25f};
        // A self-looping stage: the objects live for the whole run.
        object->AddStage(ms, 1, 1, 1, nullptr);
        object->SetStageAttribute(kAttrX, start[0], end[0]);
        object->SetStageAttribute(kAttrY, start[1], end[1]);
        object->SetStageAttribute(kAttrAlpha, start[2], end[2]);
        object->AddFilter(kEasingSined, kAttrX, 10.0f, 2.0f, 0.0f);
        object->AddFilter(kEasingCosined, kAttrY, 5.0f, 3.0f, 90.0f);
        FlatObject o{};
        std::memcpy(o.start, start, sizeof start);
        std::memcpy(o.end, end, sizeof end);
        o.length = ms / 4.0f;
        o.sinedAmplitude = 10.0f;
        o.sinedPeriod = 2.0f;
        o.cosinedAmplitude = 5.0f;
        o.cosinedPeriod = 3.0f;
        o.cosinedOffset = 90.0f;
        for (int i = 0; i < kAttributeCount; ++i)
            o.local[i] = kAttributeDefaults[i];
        flat.push_back(o);
        ++n;
    }
    const float parentWorld[kAttributeCount] = {1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0};
    EngineBench::CpuSideBySide(
        state, "flat_ms", [&] { UpdateLiveObjects(*game); }, [&] { FlatTick(flat, parentWorld); });
    state.counters["objects"] = static_cast<double>(n);
    benchmark::DoNotOptimize(flat.data());
}
BENCHMARK(BM_UpdateLiveObjects)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace
