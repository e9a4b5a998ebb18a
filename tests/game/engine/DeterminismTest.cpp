// The same seed gives the same game: 2000 ticks of a screen full of sparkles
// (made faster than they fade, so the pools also run dry on the way) give
// the same state and the same picture whether 0, 1 or 3 frames are drawn
// between ticks, and in a second run.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformImage.h"
#include "support/FakePlatformHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Every few ticks, sparkles at a place that wanders with the generator; once,
// a burst that takes every record the pools have.
class Sparkler : public AnimObject {
public:
    int Update() override
    {
        GameState& game = Game();
        const int tick = static_cast<int>(mFrameCounter);
        if (tick % 7 == 0 || tick == 1900) {
            mLocal[kAttrX] = static_cast<float>(game.mRandom.RandomIntRange(50, 750));
            mLocal[kAttrY] = static_cast<float>(game.mRandom.RandomIntRange(50, 550));
            MakeSparkles(tick == 1900 ? 1000000 : 6, 0, 1.0f, 0.8f, 0.4f, 1.0f);
        }
        return AnimObject::Update();
    }
};

uint64_t Mix(uint64_t hash, uint64_t value) { return (hash ^ value) * 1099511628211ull; }

uint64_t FloatBits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The state a player could tell apart: every object's world block and
// frame counter, and the generator.
uint64_t StateHash(const GameState& game)
{
    uint64_t hash = 1469598103934665603ull;
    hash = Mix(hash, game.mRandom.GetState());
    std::vector<const AnimObject*> pending;
    for (const AnimObject* screen = game.mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
        pending.push_back(screen);
    while (!pending.empty()) {
        const AnimObject* object = pending.back();
        pending.pop_back();
        for (float value : object->mWorld)
            hash = Mix(hash, FloatBits(value));
        hash = Mix(hash, FloatBits(object->mFrameCounter));
        for (const AnimObject* child = object->mChildren.Head(); child != nullptr; child = child->mNext)
            pending.push_back(child);
    }
    return hash;
}

struct Outcome {
    uint64_t state = 0;
    uint64_t picture = 0;
    int mostObjects = 0;
    bool operator==(const Outcome&) const = default;
};

Outcome PlayTicks(int framesBetweenTicks)
{
    Lumo::TriangleRasterizer::InitSpanFunctions();
    Lumo::MemoryImage screen;
    screen.Create(800, 600);
    screen.SetImageMode(false, false);
    Lumo::Graphics graphics(&screen);
    FakePlatformHost host;
    Platform platform(&host);
    platform.SetGraphics(&graphics);

    // A soft 8 x 8 dot.
    ImageRecord sparkle;
    std::vector<uint32_t> dot(64);
    for (int i = 0; i < 64; ++i) {
        const int dx = i % 8 - 4;
        const int dy = i / 8 - 4;
        const uint32_t a = static_cast<uint32_t>(255 - (dx * dx + dy * dy) * 7);
        dot[static_cast<size_t>(i)] = a << 24 | 0x00FFFFFFu;
    }
    auto* dotImage = new Lumo::MemoryImage();
    dotImage->SetBits(dot.data(), 8, 8, true);
    sparkle.mImage = std::make_unique<PlatformImage>();
    sparkle.mImage->SetImage(dotImage);
    sparkle.mWidth = sparkle.mHeight = sparkle.mFrameWidth = sparkle.mFrameHeight = 8.0f;

    Outcome outcome;
    {
        auto game = std::make_unique<GameState>();
        game->mPlatform = &platform;
        game->mRandom.SeedRandom(20261211);
        auto* level = new Level();
        level->AddStage(1e9f, 0, 0, 1, nullptr);
        // The level holds a use of its image.
        level->mSparkleImage = &sparkle;
        sparkle.mUseCount += 1;
        game->mLiveObjects.Append(level);
        AnimObject* effects = level->AddChild(nullptr);
        effects->mKind = kKindEffects;
        effects->AddStage(1e9f, 0, 0, 1, nullptr);
        Sparkler* sparkler = new Sparkler();
        sparkler->AddStage(1e9f, 0, 0, 1, nullptr);
        level->AddChild(sparkler);
        game->mLevel = level;
        game->mEffects = effects;

        for (int tick = 0; tick < 2000; ++tick) {
            UpdateLiveObjects(*game);
            outcome.state = Mix(outcome.state, StateHash(*game));
            outcome.mostObjects = std::max(outcome.mostObjects, game->mObjectPool.CountInUse());
            for (int frame = 0; frame < framesBetweenTicks; ++frame)
                DrawLiveObjects(*game);
        }
        std::memset(screen.GetBits(), 0, screen.PixelCount() * sizeof(uint32_t));
        screen.BitsChanged();
        DrawLiveObjects(*game);
        for (size_t i = 0; i < screen.PixelCount(); ++i)
            outcome.picture = Mix(outcome.picture, screen.GetBits()[i]);
    }
    return outcome;
}

TEST(DeterminismTest, TheSameSeedGivesTheSameGameWhateverTheFrames)
{
    const Outcome first = PlayTicks(0);
    // Sparkle-heavy: the object and filter pools were near or at their ends.
    EXPECT_GT(first.mostObjects, 3000);
    EXPECT_EQ(PlayTicks(0), first);
    EXPECT_EQ(PlayTicks(1), first);
    EXPECT_EQ(PlayTicks(3), first);
}

} // namespace
