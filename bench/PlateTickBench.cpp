// Ticks of crowded played levels against as many plain objects. Each
// reference is a screen of the same number of plain objects with one looping
// stage each; "ratio" = level / plain: what the rules cost over bare objects.
//
// CrowdedLevelTick: 60 plates of six empty slots, 20 tumbling treasures that
// leave trails and 2000 looping sparkles in the effects object; every slot
// tests each treasure of the plate container each tick.
// ObstacleLevelTick: 48 bumpers of the three kinds, two pairs of warps (one
// marches its guide arrows), two turrets and a basket among 40 tumbling
// treasures and their trails; each piece looks for treasures each tick.
// SurvivalTick: the endless building at rest: 48 plates reaching above the
// screen, a wall of 240 tiles and 12 tumbling treasures, looked over each tick
// for what to cull and where to grow.
#include "game/engine/AnimObject.h"
#include "game/engine/EasingKind.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/play/GameObjectFactory.h"
#include "game/play/Jewel.h"
#include "game/play/Plate.h"
#include "game/play/PlayState.h"
#include "game/play/Slot.h"
#include "game/play/Warp.h"

#include "EngineBenchTiming.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kSurvivalMode = 2;

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

// The gameplay's own layer, with its rules.
AnimObject* AddPlayLayer(AnimObject& parent, const char* name, const char* stage)
{
    AnimObject* layer = parent.AddChild(CreateGameObject("layer"));
    std::snprintf(layer->mName, sizeof layer->mName, "%s", name);
    layer->AddStage(1e9f, 1, 1, 1, stage);
    return layer;
}

// Pictures without pixels, of a frame size: the ticks only read sizes. The
// benchmark keeps a hold on each for the whole run.
class Pictures {
public:
    ImageRecord* Get(float width, float height)
    {
        auto record = std::make_unique<ImageRecord>();
        record->mWidth = width;
        record->mHeight = height;
        record->mFrameWidth = width;
        record->mFrameHeight = height;
        mRecords.push_back(std::move(record));
        return mRecords.back().get();
    }

private:
    std::vector<std::unique_ptr<ImageRecord>> mRecords;
};

AnimObject* Place(AnimObject& parent, AnimObject* object, ImageRecord* picture, float x, float y, const char* stage)
{
    object->SetImageRecord(picture);
    object->AddStage(1e9f, 1, 1, 1, stage);
    object->mLocal[kAttrX] = x;
    object->mLocal[kAttrY] = y;
    return parent.AddChild(object);
}

Plate* AddPlate(AnimObject& inner, float x, float y)
{
    auto* plate = static_cast<Plate*>(CreateGameObject("round_plate"));
    plate->mNumJewels = 6;
    plate->mRadius = 30.0f;
    plate->InitType();
    plate->AddStage(1e9f, 1, 1, 1, "idle");
    plate->mLocal[kAttrX] = x;
    plate->mLocal[kAttrY] = y;
    inner.AddChild(plate);
    return plate;
}

// Kind 0 fills no slot: the treasures stay in play, turning and trailing.
void AddTumblingTreasures(AnimObject& inner, int count, float y)
{
    for (int i = 0; i < count; ++i) {
        auto* treasure = new Jewel(0);
        treasure->mStages.RemoveAll();
        treasure->AddStage(1e9f, 1, 1, 1, "shooting");
        treasure->AddFilter(kEasingVelocity, kAttrX, 0.0f, 0.0f, 0.0f);
        treasure->AddFilter(kEasingVelocity, kAttrY, 0.0f, 0.0f, 0.0f);
        treasure->SetStage(treasure->mStages.Head());
        treasure->mLive = 0;
        treasure->mLocal[kAttrX] = 20.0f + float(i % 20) * 38.0f;
        treasure->mLocal[kAttrY] = y - float(i / 20) * 30.0f;
        inner.AddChild(treasure);
    }
}

// A level of the three nested layers (the engine's plain ones, or the
// gameplay's own with their rules), the rules' state reset.
struct PlayedLevel {
    explicit PlayedLevel(bool rulesLayers)
    {
        Play().Reset();
        Tuning().mEarthquakePoint = 10000.0f;
        Tuning().mNumberOfUniqueSlots = 4;
        level = new Level;
        level->AddStage(1e9f, 1, 1, 1, "play");
        game->mLiveObjects.Append(level);
        auto* add = rulesLayers ? AddPlayLayer : AddLayer;
        AnimObject* outer = add(*level, "background", "idle");
        middle = add(*outer, "tiles", "still");
        inner = add(*middle, "plate_container", "idle");
    }

    std::unique_ptr<GameState> game = std::make_unique<GameState>();
    Level* level = nullptr;
    AnimObject* middle = nullptr;
    AnimObject* inner = nullptr;
};

void Publish(PlayedLevel& played)
{
    // The first update makes the effects object, the second publishes it.
    played.level->Update();
    played.level->Update();
}

// Ticks the level against a screen of as many plain objects, after the
// warm-up ticks that let trails and guides reach their steady numbers.
void TickAgainstPlain(benchmark::State& state, PlayedLevel& played, int warmUp)
{
    for (int i = 0; i < warmUp; ++i)
        played.level->Update();
    const int objects = CountTree(*played.level);
    auto plain = std::make_unique<AnimObject>();
    plain->AddStage(1e9f, 1, 1, 1, "screen");
    for (int i = 1; i < objects; ++i) {
        auto* object = new AnimObject;
        object->AddStage(1000.0f + float(i % 9) * 100.0f, 1, 1, 1, nullptr);
        object->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        plain->AddChild(object);
    }

    EngineBench::CpuSideBySide(
        state, "plain_ms", [&] { played.level->Update(); }, [&] { plain->Update(); });
    state.counters["objects"] = double(objects);
    plain->mChildren.RemoveAll();
    played.game->mLiveObjects.RemoveAll();
    Play().Reset();
}

void BM_CrowdedLevelTick(benchmark::State& state)
{
    PlayedLevel played(false);
    Publish(played);

    for (int i = 0; i < 60; ++i)
        AddPlate(*played.inner, 60.0f + float(i % 10) * 75.0f, 40.0f + float(i / 10) * 75.0f);
    AddTumblingTreasures(*played.inner, 20, 560.0f);
    AnimObject* effects = played.game->mEffects;
    for (int i = 0; i < 2000; ++i) {
        AnimObject* sparkle = effects->AddChild(nullptr);
        if (sparkle == nullptr)
            break;
        sparkle->AddStage(1000.0f + float(i % 9) * 100.0f, 1, 1, 1, nullptr);
        sparkle->SetStageAttribute(kAttrAlpha, 1.0f, 0.0f);
        sparkle->AddFilter(kEasingVelocity, kAttrY, -0.5f, 0.0f, 0.0f);
    }
    TickAgainstPlain(state, played, 300);
}
BENCHMARK(BM_CrowdedLevelTick)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_ObstacleLevelTick(benchmark::State& state)
{
    Pictures pictures;
    PlayedLevel played(false);
    // The warps show their guides while the shooter stands below them.
    Place(*played.level, new AnimObject, pictures.Get(60.0f, 60.0f), 400.0f, 560.0f, "idle")->mKind = kKindShooter;
    Publish(played);
    AnimObject& inner = *played.inner;

    for (int i = 0; i < 12; ++i)
        AddPlate(inner, 100.0f + float(i % 6) * 120.0f, 40.0f + float(i / 6) * 75.0f);
    const char* const kBumpers[] = {"round_bumper", "rect_bumper", "tri_bumper"};
    ImageRecord* const kBumperPictures[] = {pictures.Get(44.0f, 44.0f), pictures.Get(160.0f, 32.0f),
                                            pictures.Get(64.0f, 48.0f)};
    for (int i = 0; i < 48; ++i)
        Place(inner, CreateGameObject(kBumpers[i % 3]), kBumperPictures[i % 3], 40.0f + float(i % 12) * 65.0f,
              200.0f + float(i / 12) * 50.0f, "idle");
    ImageRecord* warpPicture = pictures.Get(40.0f, 40.0f);
    ImageRecord* arrow = pictures.Get(16.0f, 16.0f);
    // A pair above the shooter, marching 5 arrows each; a pair out of its way.
    const float kWarpSpots[][2] = {{400.0f, 80.0f}, {400.0f, 460.0f}, {60.0f, 300.0f}, {740.0f, 300.0f}};
    for (const auto& spot : kWarpSpots) {
        auto* warp = static_cast<Warp*>(CreateGameObject("warp"));
        warp->mArrowImage = arrow;
        arrow->mUseCount += 1;
        Place(inner, warp, warpPicture, spot[0], spot[1], "idle");
    }
    ImageRecord* turretPicture = pictures.Get(40.0f, 40.0f);
    for (int i = 0; i < 2; ++i) {
        AnimObject* turret = Place(inner, CreateGameObject("turret"), turretPicture, 60.0f + 680.0f * float(i), 470.0f,
                                   "idle");
        AnimObject* barrel = Place(*turret, new AnimObject, pictures.Get(10.0f, 30.0f), 0.0f, 0.0f, "idle");
        Place(*barrel, new AnimObject, pictures.Get(10.0f, 20.0f), 0.0f, -20.0f, "idle");
    }
    AnimObject* basket = Place(inner, CreateGameObject("bonus_basket"), pictures.Get(90.0f, 40.0f), 400.0f, 480.0f,
                               "waiting");
    Place(*basket, new AnimObject, pictures.Get(80.0f, 10.0f), 0.0f, -20.0f, "idle");
    AddTumblingTreasures(inner, 40, 560.0f);
    TickAgainstPlain(state, played, 300);
}
BENCHMARK(BM_ObstacleLevelTick)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_SurvivalTick(benchmark::State& state)
{
    Pictures pictures;
    GameHooks hooks;
    PlayedLevel played(true);
    played.game->mHooks = &hooks;
    played.game->mProfiles.Current().mMode = kSurvivalMode;
    // At rest: the playfield does not scroll and the top row and wall stand
    // above the height where new ones are added, but every tick still looks
    // for the building's ends and what to cull.
    ImageRecord* brick = pictures.Get(80.0f, 80.0f);
    for (int i = 0; i < 240; ++i)
        Place(*played.middle, new AnimObject, brick, 120.0f + float(i % 8) * 80.0f, 560.0f - float(i / 8) * 80.0f,
              "idle");
    for (int i = 0; i < 48; ++i)
        AddPlate(*played.inner, 100.0f + float(i % 6) * 120.0f, -400.0f + float(i / 6) * 100.0f);
    Publish(played);
    AddTumblingTreasures(*played.inner, 12, 560.0f);
    TickAgainstPlain(state, played, 300);
}
BENCHMARK(BM_SurvivalTick)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace
