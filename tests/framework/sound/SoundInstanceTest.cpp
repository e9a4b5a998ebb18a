// Sound instances: the volume law, pitch in semitones, pans, and the
// played / released life of an instance, on an offline sound card.
#include "framework/sound/DSoundInstance.h"
#include "framework/sound/DSoundManager.h"
#include "platform/audio/SoundBuffer.h"
#include "support/ManualClock.h"
#include "support/SoundFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using Lumo::DSoundInstance;
using Lumo::DSoundManager;

namespace {

class SoundInstanceTest : public testing::Test {
protected:
    void SetUp() override
    {
        manager = std::make_unique<DSoundManager>(LumoTest::FakeWindow(), false);
        // 22050 Hz mono, 16 frames of a ramp.
        std::vector<int16_t> ramp;
        for (int i = 0; i < 16; ++i)
            ramp.push_back(int16_t(100 * i));
        temp.Write("ramp.wav", LumoTest::MakePcmWav(1, 22050, 16, LumoTest::SampleBytes(ramp)));
        ASSERT_TRUE(manager->LoadSound(0, temp.Join("ramp")));
        instance = static_cast<DSoundInstance*>(manager->GetSoundInstance(0));
        ASSERT_NE(instance, nullptr);
        ASSERT_NE(instance->GetBuffer(), nullptr);
    }

    int32_t Volume() const
    {
        int32_t volume = 1;
        instance->GetBuffer()->GetVolume(volume);
        return volume;
    }
    int32_t Pan() const
    {
        int32_t pan = 0;
        instance->GetBuffer()->GetPan(pan);
        return pan;
    }
    uint32_t Frequency() const
    {
        uint32_t frequency = 0;
        instance->GetBuffer()->GetFrequency(frequency);
        return frequency;
    }
    uint32_t Position() const
    {
        uint32_t play = 0;
        instance->GetBuffer()->GetCurrentPosition(&play, nullptr);
        return play;
    }

    TempFolder temp;
    LumoTest::OfflineSound sound;
    ManualClock clock;
    std::unique_ptr<DSoundManager> manager;
    DSoundInstance* instance = nullptr;
};

TEST_F(SoundInstanceTest, TheVolumeLaw)
{
    struct Case {
        double volume;
        int32_t hundredths; // (log10(1 + 9 v) - 1) x 2333, truncated; below -2000 silent
    };
    const Case cases[] = {
        {1.0, 0},
        {0.5, -605},   // log10(5.5) = 0.74036
        {0.25, -1138}, // log10(3.25) = 0.51188
        {0.1, -1682},  // log10(1.9) = 0.27875
        {0.05, -1956}, // log10(1.45) = 0.16137
        {0.04, -10000}, // -2021 is under -2000
        {0.0, -10000},
        {-0.5, -10000}, // no logarithm of a negative number
        {std::numeric_limits<double>::quiet_NaN(), -10000},
        {2.0, 0}, // above full stays full
        {std::numeric_limits<double>::infinity(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        EXPECT_EQ(DSoundInstance::VolumeToHundredths(c.volume), c.hundredths);
        instance->SetVolume(c.volume);
        EXPECT_EQ(Volume(), c.hundredths);
    }
    // Manager volume x volume x base volume.
    instance->SetVolume(1.0);
    instance->SetBaseVolume(0.5);
    EXPECT_EQ(Volume(), -605);
    manager->SetVolume(0.5);
    EXPECT_EQ(Volume(), -1138);
    EXPECT_DOUBLE_EQ(instance->GetVolume(), 1.0); // the volume, not the base
}

TEST_F(SoundInstanceTest, PitchInSemitonesFromTheSoundsOwnRate)
{
    struct Case {
        double steps;
        uint32_t frequency; // 22050 x 2^(steps / 12), held to 100..100000
    };
    const Case cases[] = {
        {12, 44100}, // 44100.00000000002
        {-12, 11024}, // 11024.999999999995, truncated
        {0, 22050},
        {1, 23361}, // 23361.16
        {-100, 100},  {100, 100000}, {std::numeric_limits<double>::quiet_NaN(), 100},
        {12, 44100}, // pitches do not pile up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        instance->AdjustPitch(c.steps);
        EXPECT_EQ(Frequency(), c.frequency);
    }
    // Played an octave up, the 22050 Hz ramp comes out one frame per frame.
    instance->AdjustPitch(12);
    instance->Play(false, false);
    const std::vector<int16_t> out = sound.device.Render(3);
    EXPECT_EQ(out, (std::vector<int16_t>{0, 0, 100, 100, 200, 200}));
}

TEST_F(SoundInstanceTest, PansAddUp)
{
    instance->SetBasePan(-500);
    instance->SetPan(200);
    EXPECT_EQ(Pan(), -300);
    instance->SetBasePan(-9000);
    instance->SetPan(-5000);
    EXPECT_EQ(Pan(), -10000); // held to the full left
    instance->SetBasePan(9000);
    EXPECT_EQ(Pan(), 4000);
}

TEST_F(SoundInstanceTest, PlayingRestartsAndAutoReleaseFollowsTheEnd)
{
    // Never played: not released until asked.
    EXPECT_FALSE(instance->IsPlaying());
    EXPECT_FALSE(instance->IsReleased());

    ASSERT_TRUE(instance->Play(false, false));
    sound.device.Render(5);
    EXPECT_EQ(Position(), 4u); // 2.5 frames into the half-speed sound, 2 bytes each
    ASSERT_TRUE(instance->Play(false, false));
    EXPECT_EQ(Position(), 0u);
    EXPECT_EQ(sound.device.Render(2), (std::vector<int16_t>{0, 0, 50, 50}));

    ASSERT_TRUE(instance->Play(false, true));
    EXPECT_TRUE(instance->IsPlaying());
    EXPECT_FALSE(instance->IsReleased());
    sound.device.Render(40);
    EXPECT_FALSE(instance->IsPlaying());
    EXPECT_TRUE(instance->IsReleased());
    EXPECT_TRUE(instance->IsReleased()); // and stays so

    // Stop rewinds and clears auto-release.
    DSoundInstance* other = static_cast<DSoundInstance*>(manager->GetSoundInstance(0));
    other->Play(true, true);
    sound.device.Render(3);
    other->Stop();
    EXPECT_FALSE(other->GetAutoRelease());
    EXPECT_FALSE(other->IsReleased());
    other->Release();
    EXPECT_TRUE(other->IsReleased());
}

TEST(SilentSoundInstanceTest, KeepsItsSettingsAndCountsAsPlayed)
{
    DSoundManager manager(nullptr, false);
    DSoundInstance silent(&manager, nullptr);
    silent.SetVolume(0.3);
    silent.SetPan(100);
    silent.AdjustPitch(3);
    EXPECT_DOUBLE_EQ(silent.GetVolume(), 0.3);
    EXPECT_FALSE(silent.IsReleased());
    EXPECT_FALSE(silent.Play(true, true));
    EXPECT_FALSE(silent.IsPlaying());
    EXPECT_TRUE(silent.IsReleased());
}

} // namespace
