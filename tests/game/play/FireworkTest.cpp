// Fireworks on a test-written screen: the wait and the rise in one of six
// colours, the ring of particles of a burst, and the next rise after it.
#include "game/engine/EasingKind.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Stage.h"
#include "game/play/Firework.h"
#include "support/PlayFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

namespace {

class FireworkTest : public PlayFixture {
protected:
    // A screen with a plain holder object that carries the firework.
    Firework* OpenShow()
    {
        const std::string loop = "<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n";
        Level* level = OpenLevel("levels/show.xml", "<object type=\"level\" name=\"show\">\n" + loop +
                                                        "<object type=\"plain\" name=\"sky\">\n" + loop +
                                                        "<object type=\"firework\" name=\"rocket\">\n</object>\n"
                                                        "</object>\n</object>\n");
        if (level == nullptr)
            return nullptr;
        sky = level->FindChildByName("sky");
        return dynamic_cast<Firework*>(sky->FindChildByName("rocket"));
    }
    int Particles() const
    {
        int count = 0;
        for (const AnimObject* child = sky->mChildren.Head(); child != nullptr; child = child->mNext)
            count += dynamic_cast<const Firework*>(child) == nullptr ? 1 : 0;
        return count;
    }
    static const Stage* Rise(const AnimObject& firework) { return firework.mStages.Tail(); }

    AnimObject* sky = nullptr;
};

TEST_F(FireworkTest, ABurstMakesOneParticleEveryWholeStepOfDegrees)
{
    Firework* firework = OpenShow();
    ASSERT_NE(firework, nullptr);
    firework->mLocal[kAttrX] = 120.0f;
    firework->mLocal[kAttrY] = -80.0f;
    struct Case {
        int n, particles;
    };
    // 360 / n in whole degrees: 18, 6, 5, 4.
    for (const Case& c : {Case{20, 20}, Case{52, 60}, Case{70, 72}, Case{90, 90}}) {
        const int before = Particles();
        firework->Burst(c.n);
        EXPECT_EQ(Particles() - before, c.particles) << c.n;
    }
    // Every particle glows where the firework was, above its siblings, and
    // flies off along its angle: the first one (0 degrees) straight right.
    const AnimObject* first = nullptr;
    for (const AnimObject* child = sky->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (dynamic_cast<const Firework*>(child) != nullptr)
            continue;
        EXPECT_EQ(child->mBlitStyle, 1);
        EXPECT_EQ(child->mZOrder, 6.0f);
        EXPECT_EQ(child->mLocal[kAttrX], 120.0f);
        EXPECT_EQ(child->mLocal[kAttrY], -80.0f);
        if (first == nullptr)
            first = child;
    }
    ASSERT_NE(first, nullptr);
    const Filter* alongX = first->CurrentStage()->FindFilter(kEasingVelocity, kAttrX);
    const Filter* alongY = first->CurrentStage()->FindFilter(kEasingVelocity, kAttrY);
    ASSERT_NE(alongX, nullptr);
    ASSERT_NE(alongY, nullptr);
    // cos 0 x r / 8 with r 8..20; sin 0 = 0; the y velocity falls at 0.002 per tick.
    EXPECT_GE(alongX->mAmplitude, 1.0f);
    EXPECT_LE(alongX->mAmplitude, 2.5f);
    EXPECT_EQ(alongY->mAmplitude, 0.0f);
    EXPECT_EQ(alongY->mPeriod, 0.002f);
    EXPECT_EQ(alongX->mOffset, 0.97f);
    EXPECT_EQ(alongY->mOffset, 0.97f);
    const Stage* life = first->CurrentStage();
    EXPECT_GE(life->mLength, 125.0f);
    EXPECT_LE(life->mLength, 250.0f);
}

TEST_F(FireworkTest, RisesInOneOfSixColours)
{
    const std::set<std::array<float, 3>> table = {
        {1.0f, 0.1f, 0.1f}, {0.1f, 1.0f, 0.1f}, {0.1f, 0.1f, 1.0f},
        {0.1f, 1.0f, 1.0f}, {0.5f, 0.1f, 1.0f}, {1.0f, 0.5f, 0.1f},
    };
    std::set<std::array<float, 3>> seen;
    for (int i = 0; i < 200; ++i) {
        Firework firework;
        const Stage* rise = Rise(firework);
        ASSERT_NE(rise, nullptr);
        ASSERT_STREQ(rise->mName, "rise");
        EXPECT_EQ(rise->mLength, 250.0f);
        seen.insert({rise->mEnd[kAttrR], rise->mEnd[kAttrG], rise->mEnd[kAttrB]});
        EXPECT_EQ(rise->mStart[kAttrX], rise->mEnd[kAttrX]);
        EXPECT_GE(rise->mEnd[kAttrX], -370.0f);
        EXPECT_LE(rise->mEnd[kAttrX], 370.0f);
        EXPECT_EQ(rise->mStart[kAttrY], 320.0f);
        EXPECT_GE(rise->mEnd[kAttrY], -270.0f);
        EXPECT_LE(rise->mEnd[kAttrY], 0.0f);
        EXPECT_EQ(rise->mEnd[kAttrXScale], 0.5f);
        EXPECT_EQ(rise->mEnd[kAttrAlpha], 0.3f);
        // The wait before it: 100 to 600 ms.
        const Stage* wait = firework.mStages.Head();
        EXPECT_GE(wait->mLength, 25.0f);
        EXPECT_LE(wait->mLength, 150.0f);
    }
    EXPECT_EQ(seen, table);
}

TEST_F(FireworkTest, BurstsAtTheEndOfItsRiseAndRisesAgain)
{
    Firework* firework = OpenShow();
    ASSERT_NE(firework, nullptr);
    ASSERT_NE(firework->mImage, nullptr);
    EXPECT_STREQ(firework->mImage->mName, "gfx\\white_particle.png");
    EXPECT_EQ(firework->mBlitStyle, 1);

    // The wait (at most 150 ticks) and the rise (250 ticks): one burst.
    int bursts = 0;
    int previous = Particles();
    for (int i = 0; i < 420; ++i) {
        Tick();
        const int now = Particles();
        bursts += now >= previous + 20 ? 1 : 0;
        previous = now;
        ASSERT_EQ(sky->FindChildByName("rocket"), firework) << "tick " << i;
    }
    EXPECT_EQ(bursts, 1);
    // It lives on with a fresh wait and rise.
    EXPECT_EQ(firework->mStages.Count(), 2);
    ASSERT_NE(Rise(*firework), nullptr);
    EXPECT_STREQ(Rise(*firework)->mName, "rise");
    // Another ~400 ticks: a second burst.
    for (int i = 0; i < 420; ++i) {
        Tick();
        const int now = Particles();
        bursts += now >= previous + 20 ? 1 : 0;
        previous = now;
    }
    EXPECT_EQ(bursts, 2);
}

} // namespace
