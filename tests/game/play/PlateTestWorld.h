// A played level built in code for the plate, slot and basket tests: a Level
// on the live list with its three nested layers (the middle one "scrolling"
// unless asked otherwise), the gameplay's object kinds installed, a seeded
// generator, and helpers to put plates and flying treasures into the inner
// layer. Every picture is 8 x 8, so a treasure and a slot touch when their
// centres are less than 8 pixels apart.
#pragma once

#include "game/engine/EasingKind.h"
#include "game/engine/Filter.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/GameObjectFactory.h"
#include "game/play/Jewel.h"
#include "game/play/Plate.h"
#include "game/play/PlayHooks.h"
#include "game/play/PlayState.h"
#include "game/play/Slot.h"
#include "support/GameDataFixture.h"

#include <cstring>
#include <string>
#include <vector>

namespace LumoTest {

class PlateTestWorld : public GameDataFixture {
protected:
    PlateTestWorld()
    {
        Play().Reset();
        // No plate is near the water unless a test says so.
        Tuning().mEarthquakePoint = 10000.0f;
        mGame->mHooks = &playHooks;
        mGame->mRandom.SeedRandom(12345);
        BuildLevel("scrolling");
    }
    ~PlateTestWorld() override
    {
        if (mGame) {
            mGame->mLiveObjects.RemoveAll();
            mGame->mHooks = &hooks;
        }
        Play().Reset();
    }

    // The level and its layers; the middle layer's one stage gets the name.
    void BuildLevel(const char* middleStage)
    {
        level = new Level;
        std::snprintf(level->mName, sizeof level->mName, "test_level");
        level->AddStage(1000000.0f, 1, 1, 1, "play");
        outer = AddLayer(*level, "background", "idle");
        middle = AddLayer(*outer, "tiles", middleStage);
        inner = AddLayer(*middle, "plate_container", "idle");
        mGame->mLiveObjects.Append(level);
        Ticks(1);
    }

    static AnimObject* AddLayer(AnimObject& parent, const char* name, const char* stage)
    {
        AnimObject* layer = parent.AddChild(nullptr);
        layer->mKind = kKindLayer;
        std::snprintf(layer->mName, sizeof layer->mName, "%s", name);
        layer->AddStage(1000000.0f, 1, 1, 1, stage);
        return layer;
    }

    // A plate of the kind at (x, y) in the inner layer with n code-made slots
    // of the given kinds (kinds shorter than n leave the drawn kinds), a
    // looping "idle" stage and a 400 ms "fade_out" that shrinks it.
    Plate* AddPlate(const char* key, float x, float y, int n, float radius, std::vector<int> kinds = {},
                    bool withFadeOut = true)
    {
        auto* plate = dynamic_cast<Plate*>(CreateGameObject(key));
        plate->mNumJewels = n;
        plate->mRadius = radius;
        plate->InitType();
        plate->SetImage("gfx\\plate.png", 0.0f, 0.0f, 1, 0.0f);
        plate->AddStage(1000000.0f, 1, 1, 1, "idle");
        if (withFadeOut) {
            plate->AddStage(400.0f, 0, 0, 1, "fade_out");
            plate->SetStageAttribute(kAttrXScale, 1.0f, 0.0f);
            plate->SetStageAttribute(kAttrYScale, 1.0f, 0.0f);
        }
        plate->mLocal[kAttrX] = x;
        plate->mLocal[kAttrY] = y;
        size_t i = 0;
        for (Slot* slot : Slots(*plate)) {
            if (i < kinds.size())
                slot->SetSlotKind(kinds[i]);
            ++i;
        }
        inner->AddChild(plate);
        plate->RefreshWorld();
        for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext)
            child->RefreshWorld();
        return plate;
    }

    static std::vector<Slot*> Slots(const AnimObject& plate)
    {
        std::vector<Slot*> slots;
        for (AnimObject* child = plate.mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindSlot)
                slots.push_back(static_cast<Slot*>(child));
        }
        return slots;
    }

    // A flying treasure of the kind at (x, y) in the inner layer, moving by
    // (vx, vy) a tick.
    Jewel* AddTreasure(int kind, float x, float y, float vx, float vy, bool live = true)
    {
        auto* treasure = new Jewel(kind);
        treasure->mStages.RemoveAll();
        treasure->AddStage(650.0f, 1, 1, 1, "shooting");
        treasure->AddFilter(kEasingVelocity, kAttrY, vy, 0.0f, 0.0f);
        treasure->AddFilter(kEasingVelocity, kAttrX, vx, 0.0f, 0.0f);
        treasure->SetStage(treasure->mStages.Head());
        treasure->mLive = live ? 1 : 0;
        treasure->mLocal[kAttrX] = x;
        treasure->mLocal[kAttrY] = y;
        inner->AddChild(treasure);
        treasure->RefreshWorld();
        return treasure;
    }

    int CountInner(int kind) const { return inner->CountChildrenOfKind(kind); }

    // The texts the level shows, in child order.
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (AnimObject* child = level->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindTextObject)
                texts.push_back(static_cast<TextObject*>(child)->GetText());
        }
        return texts;
    }
    bool Shows(const std::string& text) const
    {
        for (const std::string& shown : Texts()) {
            if (shown == text)
                return true;
        }
        return false;
    }

    int Score() const { return mGame->mProfiles.Current().mScore; }
    void SetMode(int mode) { mGame->mProfiles.Current().mMode = mode; }

    PlayHooks playHooks;
    Level* level = nullptr;
    AnimObject* outer = nullptr;
    AnimObject* middle = nullptr;
    AnimObject* inner = nullptr;
};

} // namespace LumoTest

using LumoTest::PlateTestWorld;
