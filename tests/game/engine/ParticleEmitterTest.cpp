// Particle emitters through game ticks: when they emit (every n-th tick or
// by chance), what each particle is made of (one stage per template, motion
// that goes on from stage to stage), where particles go (the effects object
// or the emitter), periods that cannot be kept, pools that run dry, and the
// object XML that builds and saves them.
#include "game/engine/ParticleEmitter.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/Filter.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/GameFile.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Platform.h"
#include "game/engine/Stage.h"
#include "support/CommittedDataFixture.h"
#include "support/FakePlatformHost.h"
#include "support/FakePlatformRecorder.h"
#include "support/TempFolder.h"
#include "support/TgaWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// Pictures named as the game's data names them, from the data folder.
class DataFolderHost : public FakePlatformHost {
public:
    Lumo::MemoryImage* GetImage(const std::string& path) override
    {
        return FakePlatformHost::GetImage(LumoTest::CommittedDataFolder() + path);
    }
};

class ParticleEmitterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mGame->mPlatform = &mPlatform;
        mGame->mImageCache.SetPlatform(&mPlatform);
        mGame->mRandom.SeedRandom(4242);
        mScreen = new Level;
        mScreen->AddStage(1000000.0f, 0, 0, 1, nullptr);
        mGame->mLiveObjects.Append(mScreen);
        // The screen's first tick is over: its own effects object is made.
        UpdateLiveObjects(*mGame);
    }
    void TearDown() override { mGame.reset(); }

    // A running emitter on the screen (or under `parent`) that keeps its particles.
    ParticleEmitter* Emitter(float frequency, float random, int perEmit, AnimObject* parent = nullptr)
    {
        auto* emitter = new ParticleEmitter;
        emitter->AddStage(1000000.0f, 0, 0, 1, nullptr);
        emitter->mFrequency = frequency;
        emitter->mRandom = random;
        emitter->mParticlesPerEmit = perEmit;
        emitter->mKeepLocal = 1;
        (parent != nullptr ? parent : mScreen)->AddChild(emitter);
        return emitter;
    }
    // A template of that lifetime with fixed full alpha and scale 1.
    static ParticleTemplate* Template(ParticleEmitter* emitter, float ms)
    {
        ParticleTemplate* t = emitter->AddParticleTemplate();
        t->mMinDuration = t->mMaxDuration = ms;
        t->mMinStartAlpha = t->mMaxStartAlpha = t->mMinEndAlpha = t->mMaxEndAlpha = 1.0f;
        t->mMinStartScale = t->mMaxStartScale = t->mMinEndScale = t->mMaxEndScale = 1.0f;
        return t;
    }
    AnimObject* Effects()
    {
        AnimObject* effects = mScreen->AddChild(nullptr);
        effects->AddStage(1000000.0f, 0, 0, 1, nullptr);
        effects->mKind = kKindEffects;
        mGame->mEffects = effects;
        return effects;
    }
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            UpdateLiveObjects(*mGame);
    }
    // The ticks (counted from 0) on which new objects appeared.
    std::vector<int> EmittingTicks(int ticks)
    {
        std::vector<int> emitted;
        for (int tick = 0; tick < ticks; ++tick) {
            const int before = mGame->mObjectPool.CountInUse();
            UpdateLiveObjects(*mGame);
            if (mGame->mObjectPool.CountInUse() > before)
                emitted.push_back(tick);
        }
        return emitted;
    }
    std::string WritePicture(const std::string& name, int width, int height)
    {
        TgaHeader header;
        header.width = static_cast<uint16_t>(width);
        header.height = static_cast<uint16_t>(height);
        return mFolder.Write(name, TgaWriter::Build(header, std::vector<uint32_t>(size_t(width) * height, ~0u)));
    }

    TempFolder mFolder;
    FakePlatformRecorder mBoxes;
    FakePlatformHost mHost;
    Platform mPlatform{&mHost};
    std::unique_ptr<GameState> mGame = std::make_unique<GameState>();
    Level* mScreen = nullptr;
};

TEST_F(ParticleEmitterTest, EmitsOnEveryPeriodOfItsFrameCounter)
{
    ParticleEmitter* emitter = Emitter(25.0f, 0.0f, 1);
    Template(emitter, 1000000.0f);
    EXPECT_EQ(EmittingTicks(76), (std::vector<int>{0, 25, 50, 75}));
    EXPECT_EQ(emitter->mChildren.Count(), 4);
    // The fraction of a period is dropped: 25.9 is 25.
    mScreen->mChildren.Remove(emitter);
    ParticleEmitter* second = Emitter(25.9f, 0.0f, 1);
    Template(second, 1000000.0f);
    EXPECT_EQ(EmittingTicks(26), (std::vector<int>{0, 25}));
}

TEST_F(ParticleEmitterTest, RandomEmissionIsSeededAndAboutOneInFrequency)
{
    ParticleEmitter* emitter = Emitter(25.0f, 1.0f, 1);
    Template(emitter, 1000000.0f);
    mGame->mRandom.SeedRandom(99);
    const std::vector<int> first = EmittingTicks(2500);

    // The same seed on a fresh game gives the same ticks.
    mGame.reset();
    mGame = std::make_unique<GameState>();
    SetUp();
    ParticleEmitter* again = Emitter(25.0f, 1.0f, 1);
    Template(again, 1000000.0f);
    mGame->mRandom.SeedRandom(99);
    EXPECT_EQ(EmittingTicks(2500), first);
    // 100 expected; a fair generator stays well within 60 .. 140.
    EXPECT_GT(first.size(), 60u);
    EXPECT_LT(first.size(), 140u);
}

TEST_F(ParticleEmitterTest, PeriodsThatCannotBeKeptNeverEmitNorDrawRandomNumbers)
{
    struct Case {
        float frequency;
        float random;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {{0.0f, 0.0f}, {0.5f, 0.0f}, {-3.0f, 0.0f}, {nan, 0.0f}, {inf, 0.0f}, {3.0e9f, 0.0f},
                          {0.0f, 1.0f}, {0.5f, 1.0f}, {-3.0f, 1.0f}, {nan, 1.0f}, {3.0e9f, 1.0f}};
    for (const Case& c : cases) {
        ParticleEmitter* emitter = Emitter(c.frequency, c.random, 1);
        Template(emitter, 1000000.0f);
        const uint32_t state = mGame->mRandom.GetState();
        EXPECT_TRUE(EmittingTicks(60).empty()) << c.frequency << " random " << c.random;
        EXPECT_EQ(mGame->mRandom.GetState(), state) << c.frequency << " random " << c.random;
        mScreen->mChildren.Remove(emitter);
    }
}

TEST_F(ParticleEmitterTest, EmitsOnlyWhileItsStageAndItsParentAreVisibleAndItHasTemplates)
{
    ParticleEmitter* bare = Emitter(1.0f, 0.0f, 1);
    EXPECT_TRUE(EmittingTicks(5).empty());
    mScreen->mChildren.Remove(bare);

    ParticleEmitter* hidden = Emitter(1.0f, 0.0f, 1);
    Template(hidden, 1000000.0f);
    hidden->CurrentStage()->mVisible = 0;
    EXPECT_TRUE(EmittingTicks(5).empty());
    mScreen->mChildren.Remove(hidden);

    AnimObject* holder = mScreen->AddChild(nullptr);
    holder->AddStage(1000000.0f, 0, 0, 0, nullptr);
    ParticleEmitter* inside = Emitter(1.0f, 0.0f, 1, holder);
    Template(inside, 1000000.0f);
    EXPECT_TRUE(EmittingTicks(5).empty());
    holder->CurrentStage()->mVisible = 1;
    EXPECT_EQ(EmittingTicks(3), (std::vector<int>{0, 1, 2}));
}

TEST_F(ParticleEmitterTest, EachTemplateGivesTheParticleAStageAndMotionGoesOnAcrossThem)
{
    ParticleEmitter* emitter = Emitter(1000.0f, 0.0f, 3);
    emitter->mMinX = emitter->mMaxX = 10.0f;
    emitter->mMinY = emitter->mMaxY = 20.0f;
    // The emitter's stage tints: the particles take its start colour, the channels it sets.
    emitter->SetStageAttribute(kAttrR, 0.25f, 1.0f);
    emitter->SetStageAttribute(kAttrB, 0.5f, 0.0f);
    ParticleTemplate* first = Template(emitter, 400.0f);
    first->mMinStartAlpha = first->mMaxStartAlpha = 0.5f;
    first->mMinEndAlpha = first->mMaxEndAlpha = 0.25f;
    first->mMinStartScale = first->mMaxStartScale = 2.0f;
    first->mMinStartRotation = first->mMaxStartRotation = 10.0f;
    first->mMinEndRotation = first->mMaxEndRotation = 30.0f;
    first->mMinXSpeed = first->mMaxXSpeed = 1.5f;
    first->mMinYSpeed = first->mMaxYSpeed = -2.0f;
    first->mGravity = 0.125f;
    ParticleTemplate* second = Template(emitter, 800.0f);
    second->mMinEndAlpha = second->mMaxEndAlpha = 0.0f;

    Ticks(1);
    ASSERT_EQ(emitter->mChildren.Count(), 3);
    for (AnimObject* particle = emitter->mChildren.Head(); particle != nullptr; particle = particle->mNext) {
        EXPECT_EQ(particle->mBlitStyle, 1);
        EXPECT_EQ(particle->mLocal[kAttrX], 10.0f);
        EXPECT_EQ(particle->mLocal[kAttrY], 20.0f);
        EXPECT_EQ(particle->mLocal[kAttrXScale], 0.0f);
        ASSERT_EQ(particle->mStages.Count(), 2);
        const Stage* one = particle->mStages.Head();
        const Stage* two = one->mNext;
        EXPECT_EQ(particle->CurrentStage(), one);
        EXPECT_EQ(one->mLength, 100.0f);
        EXPECT_EQ(two->mLength, 200.0f);
        EXPECT_EQ(one->mStart[kAttrAlpha], 0.5f);
        EXPECT_EQ(one->mEnd[kAttrAlpha], 0.25f);
        EXPECT_EQ(one->mStart[kAttrXScale], 2.0f);
        EXPECT_EQ(one->mEnd[kAttrYScale], 1.0f);
        EXPECT_EQ(one->mStart[kAttrRotation], 10.0f);
        EXPECT_EQ(one->mEnd[kAttrRotation], 30.0f);
        EXPECT_EQ(one->mStart[kAttrR], 0.25f);
        EXPECT_EQ(one->mEnd[kAttrR], 0.25f);
        EXPECT_EQ(one->mStart[kAttrB], 0.5f);
        EXPECT_EQ(one->mMask & (1u << kAttrG), 0u);
        EXPECT_EQ(two->mEnd[kAttrAlpha], 0.0f);
        EXPECT_EQ(one->mFilters.Count(), 2);
        EXPECT_TRUE(two->mFilters.IsEmpty());
        EXPECT_EQ(two->mCarryFilters, 1);
        EXPECT_EQ(one->mCarryFilters, 0);
    }

    // 150 updates of the particle: the motion of the first stage goes on in the
    // second. x: 10 + 1.5 n; y: 20 - 2 n + 0.125 n (n - 1) / 2.
    AnimObject* particle = emitter->mChildren.Head();
    Ticks(1);
    EXPECT_EQ(particle->mWorld[kAttrXScale], 2.0f); // the stage's start scale from the first step
    Ticks(149);
    EXPECT_EQ(particle->mStages.Head()->mNext, particle->CurrentStage());
    EXPECT_EQ(particle->mLocal[kAttrX], 235.0f);
    EXPECT_EQ(particle->mLocal[kAttrY], 20.0f - 300.0f + 0.0625f * 150.0f * 149.0f);
    // The second stage ends after 200 more ticks, and the particle with it.
    Ticks(200);
    EXPECT_TRUE(emitter->mChildren.IsEmpty());
}

TEST_F(ParticleEmitterTest, DecayShrinksBothSpeedsEveryTick)
{
    ParticleEmitter* emitter = Emitter(1000.0f, 0.0f, 1);
    ParticleTemplate* t = Template(emitter, 1000.0f);
    t->mMinXSpeed = t->mMaxXSpeed = 8.0f;
    t->mMinYSpeed = t->mMaxYSpeed = -2.0f;
    t->mGravity = 0.125f;
    t->mDecay = 0.5f;
    Ticks(4);
    AnimObject* particle = emitter->mChildren.Head();
    ASSERT_NE(particle, nullptr);
    // x: 8 + 4 + 2; y: -2, then (-2 + 0.125) / 2, then (-0.9375 + 0.125) / 2.
    EXPECT_EQ(particle->mLocal[kAttrX], 14.0f);
    EXPECT_EQ(particle->mLocal[kAttrY], -2.0f - 0.9375f - 0.40625f);
}

TEST_F(ParticleEmitterTest, LooseParticlesMoveUnderTheEffectsObjectAndStayWhereTheyWereMade)
{
    struct Case {
        bool effects;
        int keepLocal;
        bool underEffects;
        float worldXAfterMove;
    };
    // Made at 210 on screen; then the emitter moves 100 to the right.
    const Case cases[] = {{true, 0, true, 210.0f}, {false, 0, false, 310.0f}, {true, 1, false, 310.0f}};
    for (const Case& c : cases) {
        mGame->mEffects = nullptr;
        AnimObject* effects = c.effects ? Effects() : nullptr;
        if (effects != nullptr)
            effects->mLocal[kAttrX] = 50.0f;
        ParticleEmitter* emitter = Emitter(1000.0f, 0.0f, 1);
        emitter->mKeepLocal = c.keepLocal;
        emitter->mLocal[kAttrX] = 200.0f;
        emitter->mLocal[kAttrY] = 100.0f;
        emitter->mMinX = emitter->mMaxX = 10.0f;
        emitter->mMinY = emitter->mMaxY = -5.0f;
        Template(emitter, 1000000.0f);
        Ticks(2);
        AnimObject* particle = c.underEffects ? effects->mChildren.Head() : emitter->mChildren.Head();
        ASSERT_NE(particle, nullptr) << c.effects << c.keepLocal;
        EXPECT_EQ(particle->mWorld[kAttrX], 210.0f) << c.effects << c.keepLocal;
        EXPECT_EQ(particle->mWorld[kAttrY], 95.0f) << c.effects << c.keepLocal;
        emitter->mLocal[kAttrX] = 300.0f;
        Ticks(1);
        EXPECT_EQ(particle->mWorld[kAttrX], c.worldXAfterMove) << c.effects << c.keepLocal;
        mScreen->mChildren.RemoveAll();
    }
}

TEST_F(ParticleEmitterTest, FrameIsDrawnBelowTheFirstTemplatesFrameCountAndIsZeroWithoutOne)
{
    const std::string strip = WritePicture("strip.tga", 64, 16);
    ImageRecord* frames = mGame->mImageCache.Get(strip.c_str(), 16.0f, 16.0f, 4, 10.0f);
    ASSERT_NE(frames, nullptr);
    ASSERT_EQ(frames->mFrameCount, 4);

    // With the strip first: every frame 0 .. 3 turns up.
    ParticleEmitter* emitter = Emitter(1.0f, 0.0f, 1);
    Template(emitter, 1000000.0f)->SetImageRecord(frames);
    Template(emitter, 1000000.0f);
    Ticks(60);
    std::vector<int> seen(4, 0);
    for (AnimObject* particle = emitter->mChildren.Head(); particle != nullptr; particle = particle->mNext) {
        const float f = particle->mStages.Head()->mStart[kAttrFrameNumber];
        ASSERT_TRUE(f >= 0.0f && f < 4.0f && f == std::floor(f)) << f;
        EXPECT_EQ(particle->mStages.Head()->mNext->mStart[kAttrFrameNumber], f);
        seen[static_cast<size_t>(f)] += 1;
    }
    for (int count : seen)
        EXPECT_GT(count, 0);
    mScreen->mChildren.Remove(emitter);

    // Without a picture on the first template (a failed load), frame 0; the
    // particle shows the later template's picture.
    ParticleEmitter* plain = Emitter(1.0f, 0.0f, 1);
    Template(plain, 1000000.0f)->SetImage("missing.tga");
    Template(plain, 1000000.0f)->SetImageRecord(frames);
    EXPECT_EQ(plain->mTemplates.Head()->GetImage(), nullptr);
    Ticks(20);
    ASSERT_EQ(plain->mChildren.Count(), 20);
    for (AnimObject* particle = plain->mChildren.Head(); particle != nullptr; particle = particle->mNext) {
        EXPECT_EQ(particle->mStages.Head()->mStart[kAttrFrameNumber], 0.0f);
        EXPECT_EQ(particle->mImage, frames);
    }
}

TEST_F(ParticleEmitterTest, DryPoolsSkipTheRestOfTheEmissionWithNoHalfMadeParticle)
{
    // Two stages a particle: the stage pool (8000, three taken by the screen,
    // its effects object and the emitter) gives out at the last particle's
    // second stage.
    ParticleEmitter* emitter = Emitter(1.0f, 0.0f, 1000000);
    Template(emitter, 1000000.0f);
    Template(emitter, 1000000.0f);
    Ticks(1);
    const int made = emitter->mChildren.Count();
    EXPECT_EQ(made, (GameState::kStagePoolSize - 3) / 2);
    for (AnimObject* particle = emitter->mChildren.Head(); particle != nullptr; particle = particle->mNext)
        ASSERT_EQ(particle->mStages.Count(), 2);
    EXPECT_EQ(mGame->mObjectPool.CountInUse(), made + 1);
    // Nothing more can be made, and nothing goes wrong trying every tick.
    Ticks(3);
    EXPECT_EQ(emitter->mChildren.Count(), made);
}

TEST_F(ParticleEmitterTest, ObjectXmlBuildsEmittersAndTheWriterReadsBack)
{
    const std::string bubble = WritePicture("bubble.tga", 8, 8);
    const std::string text =
        "<object type=\"emitter\" name=\"bubbles\" frequency=\"12.5\" random=\"1\" min_x=\"-30\" max_x=\"30\" "
        "min_y=\"-4\" max_y=\"6\" keep_local=\"1\" num_particles_per_emit=\"2\" z_order=\"3\">\n"
        "<stage name=\"run\" ms=\"2000\" loop_start=\"1\" loop_end=\"1\">\n"
        "<emitter_stage min_duration=\"400\" max_duration=\"800\" min_start_alpha=\"0.5\" max_start_alpha=\"1\" "
        "min_end_alpha=\"0\" max_end_alpha=\"0.25\" min_start_scale=\"0.5\" max_start_scale=\"0.75\" "
        "min_end_scale=\"1\" max_end_scale=\"2\" min_start_rotation=\"-10\" max_start_rotation=\"10\" "
        "min_end_rotation=\"-90\" max_end_rotation=\"90\" min_x_speed=\"-0.5\" max_x_speed=\"0.5\" "
        "min_y_speed=\"-1.5\" max_y_speed=\"-1\" decay=\"0.99\" gravity=\"0.002\" image=\"" +
        bubble +
        "\">\n"
        "<emitter_stage min_duration=\"100\" max_duration=\"100\">\n"
        "</object>\n";
    auto* read = dynamic_cast<ParticleEmitter*>(CreateObjectsFromXml(text.c_str(), mScreen, "bubbles.xml"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->mKind, kKindParticleEmitter);
    EXPECT_EQ(read->mFrequency, 12.5f);
    EXPECT_EQ(read->mRandom, 1.0f);
    EXPECT_EQ(read->mMinX, -30.0f);
    EXPECT_EQ(read->mMaxY, 6.0f);
    EXPECT_EQ(read->mKeepLocal, 1);
    EXPECT_EQ(read->mParticlesPerEmit, 2);
    EXPECT_EQ(read->mBlitStyle, 1); // no "blit_style": additive
    ASSERT_EQ(read->mTemplates.Count(), 2);
    const ParticleTemplate* t = read->mTemplates.Head();
    EXPECT_EQ(t->mMaxDuration, 800.0f);
    EXPECT_EQ(t->mMinEndRotation, -90.0f);
    EXPECT_EQ(t->mMaxYSpeed, -1.0f);
    EXPECT_EQ(t->mDecay, 0.99f);
    EXPECT_EQ(t->mGravity, 0.002f);
    ASSERT_NE(t->GetImage(), nullptr);
    EXPECT_EQ(std::string(t->GetImage()->mName), bubble);
    EXPECT_EQ(t->mNext->GetImage(), nullptr);
    EXPECT_EQ(t->mNext->mMinDuration, 100.0f);

    // Written and read again: the same emitter, templates, stage and additive drawing.
    std::string written;
    read->WriteXml(written, 0);
    auto* back = dynamic_cast<ParticleEmitter*>(CreateObjectsFromXml(written.c_str(), mScreen, "saved.xml"));
    ASSERT_NE(back, nullptr) << written;
    EXPECT_EQ(back->mFrequency, read->mFrequency);
    EXPECT_EQ(back->mRandom, read->mRandom);
    EXPECT_EQ(back->mMinX, read->mMinX);
    EXPECT_EQ(back->mMaxX, read->mMaxX);
    EXPECT_EQ(back->mMinY, read->mMinY);
    EXPECT_EQ(back->mMaxY, read->mMaxY);
    EXPECT_EQ(back->mKeepLocal, 1);
    EXPECT_EQ(back->mParticlesPerEmit, 2);
    EXPECT_EQ(back->mBlitStyle, 1) << written;
    EXPECT_EQ(back->mZOrder, 3.0f);
    EXPECT_STREQ(back->mName, "bubbles");
    ASSERT_EQ(back->mStages.Count(), 1);
    EXPECT_STREQ(back->mStages.Head()->mName, "run");
    ASSERT_EQ(back->mTemplates.Count(), 2) << written;
    for (const ParticleTemplate *a = read->mTemplates.Head(), *b = back->mTemplates.Head(); a != nullptr;
         a = a->mNext, b = b->mNext) {
        EXPECT_EQ(b->mMinDuration, a->mMinDuration);
        EXPECT_EQ(b->mMaxDuration, a->mMaxDuration);
        EXPECT_EQ(b->mMinStartAlpha, a->mMinStartAlpha);
        EXPECT_EQ(b->mMaxEndAlpha, a->mMaxEndAlpha);
        EXPECT_EQ(b->mMinStartScale, a->mMinStartScale);
        EXPECT_EQ(b->mMaxEndScale, a->mMaxEndScale);
        EXPECT_EQ(b->mMaxStartRotation, a->mMaxStartRotation);
        EXPECT_EQ(b->mMinEndRotation, a->mMinEndRotation);
        EXPECT_EQ(b->mMinXSpeed, a->mMinXSpeed);
        EXPECT_EQ(b->mMinYSpeed, a->mMinYSpeed);
        EXPECT_EQ(b->mDecay, a->mDecay);
        EXPECT_EQ(b->mGravity, a->mGravity);
        EXPECT_EQ(b->GetImage(), a->GetImage());
    }

    // "blit_style" with any value draws normally, and stays so when saved.
    auto* normal = dynamic_cast<ParticleEmitter*>(CreateObjectsFromXml(
        "<object type=\"emitter\" blit_style=\"0\" num_particles_per_emit=\"1\">\n</object>\n", mScreen, "n.xml"));
    ASSERT_NE(normal, nullptr);
    EXPECT_EQ(normal->mBlitStyle, 0);
    written.clear();
    normal->WriteXml(written, 2);
    auto* normalBack = dynamic_cast<ParticleEmitter*>(CreateObjectsFromXml(written.c_str(), mScreen, "n2.xml"));
    ASSERT_NE(normalBack, nullptr) << written;
    EXPECT_EQ(normalBack->mBlitStyle, 0) << written;
}

TEST_F(ParticleEmitterTest, EmitterFromXmlWithoutParticlesPerEmitEmitsNothing)
{
    for (const char* perEmit : {"", " num_particles_per_emit=\"1\""}) {
        const std::string text = std::string("<object type=\"emitter\" frequency=\"1\"") + perEmit +
                                 ">\n<stage ms=\"100000\">\n<emitter_stage min_duration=\"1000\" "
                                 "max_duration=\"1000\" min_start_alpha=\"1\" max_start_alpha=\"1\">\n</object>\n";
        AnimObject* emitter = CreateObjectsFromXml(text.c_str(), mScreen, "e.xml");
        ASSERT_NE(emitter, nullptr);
        // Loose particles go to the screen's effects object: count them all.
        const int before = mGame->mObjectPool.CountInUse();
        Ticks(10);
        EXPECT_EQ(mGame->mObjectPool.CountInUse() - before, perEmit[0] == '\0' ? 0 : 10) << text;
        mScreen->mChildren.Remove(emitter);
    }
}

TEST_F(ParticleEmitterTest, TheMainMenuRunsItsEmitters)
{
    DataFolderHost host;
    mPlatform.SetHost(&host);
    size_t size = 0;
    const std::string path = LumoTest::CommittedDataFolder() + "levels/main_menu.xml";
    const std::unique_ptr<char[]> text = ReadWholeFile(path.c_str(), size);
    ASSERT_NE(text, nullptr);
    CreateObjectsFromXml(text.get(), nullptr, "levels/main_menu.xml");
    AnimObject* menu = mGame->mLiveObjects.Tail();
    ASSERT_NE(menu, mScreen);
    mGame->mLiveObjects.Remove(mScreen);
    Ticks(500);
    ASSERT_EQ(mGame->mLiveObjects.Tail(), menu);
    int emitters = 0;
    for (AnimObject* child = menu->mChildren.Head(); child != nullptr; child = child->mNext) {
        auto* emitter = dynamic_cast<ParticleEmitter*>(child);
        if (emitter == nullptr)
            continue;
        ++emitters;
        SCOPED_TRACE(emitter->mName);
        ASSERT_FALSE(emitter->mTemplates.IsEmpty());
        for (const ParticleTemplate* t = emitter->mTemplates.Head(); t != nullptr; t = t->mNext)
            EXPECT_NE(t->GetImage(), nullptr);
        // Alive and on the screen.
        EXPECT_GT(emitter->mChildren.Count(), 3);
        for (AnimObject* particle = emitter->mChildren.Head(); particle != nullptr; particle = particle->mNext) {
            EXPECT_TRUE(particle->mWorld[kAttrX] >= 0.0f && particle->mWorld[kAttrX] < 800.0f);
            EXPECT_TRUE(particle->mWorld[kAttrY] >= 0.0f && particle->mWorld[kAttrY] < 600.0f);
        }
    }
    EXPECT_GE(emitters, 1);
    mPlatform.SetHost(&mHost);
}

} // namespace
