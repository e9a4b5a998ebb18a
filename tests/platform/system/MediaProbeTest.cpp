// The start-up probes of video and audio on SDL. The tests run with SDL's
// dummy drivers (or, with no display, fall back to them), so both start.
#include "platform/system/MediaProbe.h"

#include <gtest/gtest.h>

namespace {

TEST(MediaProbeTest, BothSidesStartAndStopAgain)
{
    Plat::MediaProbe& probe = Plat::GetMediaProbe();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_TRUE(probe.StartVideo());
        probe.StopVideo();
    }
    // Audio may be missing on a machine; a start that fails is an answer
    // too, and stopping after it is harmless.
    const bool audio = probe.StartAudio();
    probe.StopAudio();
    SUCCEED() << "audio " << audio;
}

TEST(MediaProbeTest, TestsCanInstallTheirOwnProbe)
{
    class NoVideo : public Plat::MediaProbe {
    public:
        bool StartVideo() override { return false; }
        bool StartAudio() override { return true; }
        void StopVideo() override {}
        void StopAudio() override {}
    } fake;
    Plat::MediaProbe& real = Plat::GetMediaProbe();
    EXPECT_EQ(Plat::SetMediaProbe(&fake), nullptr);
    EXPECT_FALSE(Plat::GetMediaProbe().StartVideo());
    EXPECT_EQ(Plat::SetMediaProbe(nullptr), &fake);
    EXPECT_EQ(&Plat::GetMediaProbe(), &real);
}

} // namespace
