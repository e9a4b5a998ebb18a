// Fuzzes a played level: the input is object XML built into the plate
// container of a level made here (three nested layers, the middle one
// sinking), with the gameplay's object kinds and tuning that turns every
// plate and slot rule on. The level then runs 300 ticks with the mouse
// sweeping and clicking, and draws a frame. Every slot, plate, label,
// treasure and basket rule meets what the data may hold; the run must end,
// clean under the sanitizers, with every pooled record given back.
#include "GameFuzzSupport.h"

#include "game/engine/AnimObject.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/play/PlayHooks.h"
#include "game/play/PlayState.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

class MouseHost : public FuzzPictureHost {
public:
    int GetMouseX() override { return x; }
    int GetMouseY() override { return y; }
    int x = 400;
    int y = 500;
};

AnimObject* AddLayer(AnimObject& parent, const char* name, const char* stage)
{
    AnimObject* layer = parent.AddChild(nullptr);
    if (layer == nullptr)
        __builtin_trap();
    layer->mKind = kKindLayer;
    std::snprintf(layer->mName, sizeof layer->mName, "%s", name);
    layer->AddStage(1000000.0f, 1, 1, 1, stage);
    return layer;
}

void SetTuning(const uint8_t* data, size_t size)
{
    Play().Reset();
    TuningParameters& tuning = Tuning();
    // The first byte picks which of the rules' switches are on.
    const uint8_t flags = size > 0 ? data[0] : 0xFF;
    tuning.mBlockingSlots = flags & 1;
    tuning.mPlateMoveWhenFullSlotHit = (flags >> 1) & 1;
    tuning.mTossOnFilledSlot = (flags >> 2) & 1;
    tuning.mTossOnFilledPlate = (flags >> 3) & 1;
    tuning.mCascadingCombos = (flags >> 4) & 1;
    tuning.mBounceOffTop = (flags >> 5) & 1;
    tuning.mNumberOfUniqueSlots = flags >> 6; // 0 .. 3
    tuning.mEarthquakePoint = 350.0f;
    tuning.mPushOnFilledSlot = -0.5f;
    tuning.mPushOnCombo = -0.5f;
    tuning.mPushFilledPlate = -1.0f;
    tuning.mBumpsToExplode = 8;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzGame fuzz;
    static MouseHost mouse;
    static Platform platform{&mouse};
    static PlayHooks hooks;
    static bool wired = false;
    if (!wired) {
        platform.SetGraphics(fuzz.mGraphics.get());
        fuzz.game->mPlatform = &platform;
        fuzz.game->mImageCache.SetPlatform(&platform);
        fuzz.game->mHooks = &hooks;
        fuzz.requireLines = false;
        wired = true;
    }
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    fuzz.files.input.assign(text.get(), std::strlen(text.get()));
    SetTuning(data, size);
    fuzz.game->mRandom.SeedRandom(12345);
    fuzz.game->mProfiles.Current().mMode = size > 1 ? data[1] % 4 : 0;
    fuzz.game->mProfiles.Current().mTries[1] = 2;

    auto* level = new Level;
    std::snprintf(level->mName, sizeof level->mName, "fuzz_level");
    level->AddStage(1000000.0f, 1, 1, 1, "play");
    fuzz.game->mLiveObjects.Append(level);
    AnimObject* outer = AddLayer(*level, "background", "idle");
    AnimObject* middle = AddLayer(*outer, "tiles", "scrolling");
    AnimObject* inner = AddLayer(*middle, "plate_container", "idle");
    CreateObjectsFromXml(text.get(), inner, "fuzz.xml");

    for (int tick = 0; tick < 300; ++tick) {
        mouse.x = 100 + (tick * 37) % 600;
        if (tick % 25 == 5) {
            fuzz.game->mInput.MouseDown(1);
            fuzz.game->mInput.MouseUp(1);
        }
        UpdateLiveObjects(*fuzz.game);
        if (fuzz.game->mLiveObjects.IsEmpty())
            break;
    }
    DrawLiveObjects(*fuzz.game);
    fuzz.Empty();
    Play().Reset();
    return 0;
}
