// The sound manager over an offline sound card: ids and names, channels and
// their reclaiming, volumes, the silent manager, the device start-up and the
// fatal end of a failed duplicate.
#include "framework/sound/DSoundInstance.h"
#include "framework/sound/DSoundManager.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio/SoundDevice.h"
#include "support/FakePlatformRecorder.h"
#include "support/ManualClock.h"
#include "support/SoundFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

using Lumo::DSoundInstance;
using Lumo::DSoundManager;
using Lumo::SoundInstance;
using LumoTest::FakeWindow;
using LumoTest::MakePcmWav;
using LumoTest::SampleBytes;

namespace {

// What the scripted device does, and what it was asked.
struct DeviceScript {
    int32_t duplicateResult = Plat::kSoundOk;
    bool refusePriority = false;
    std::vector<std::string> calls;
};
DeviceScript* gScript = nullptr;

class ScriptedDevice : public Plat::SoundDevice {
public:
    using SoundDevice::SoundDevice;
    int32_t SetCooperativeLevel(Plat::Window* window, uint32_t level) override
    {
        gScript->calls.push_back("level " + std::to_string(level));
        if (level == Plat::kSoundLevelPriority && gScript->refusePriority)
            return Plat::kSoundErrAllocated;
        return SoundDevice::SetCooperativeLevel(window, level);
    }
    int32_t CreateSoundBuffer(const Plat::SoundBufferDesc& desc, std::unique_ptr<Plat::SoundBuffer>& out) override
    {
        gScript->calls.push_back((desc.flags & Plat::kSoundBufferPrimary) != 0 ? "primary" : "buffer");
        return SoundDevice::CreateSoundBuffer(desc, out);
    }
    int32_t DuplicateSoundBuffer(const Plat::SoundBuffer& original, std::unique_ptr<Plat::SoundBuffer>& out) override
    {
        if (gScript->duplicateResult != Plat::kSoundOk)
            return gScript->duplicateResult;
        return SoundDevice::DuplicateSoundBuffer(original, out);
    }
};

int32_t CreateScriptedDevice(std::unique_ptr<Plat::SoundDevice>& out)
{
    std::shared_ptr<Plat::AudioOutput> output = Plat::OpenAudioOutput();
    if (output == nullptr)
        return Plat::kSoundErrNoDriver;
    out = std::make_unique<ScriptedDevice>(std::move(output));
    return Plat::kSoundOk;
}

int32_t BufferVolume(SoundInstance* instance)
{
    int32_t volume = 1;
    static_cast<DSoundInstance*>(instance)->GetBuffer()->GetVolume(volume);
    return volume;
}

class SoundManagerTest : public testing::Test {
protected:
    void SetUp() override { manager = std::make_unique<DSoundManager>(FakeWindow(), false); }

    // A sound file in the temporary folder; returns its name without extension.
    std::string Sound(const std::string& name, const std::vector<int16_t>& stereo44k)
    {
        temp.Write(name + ".wav", MakePcmWav(2, 44100, 16, SampleBytes(stereo44k)));
        return temp.Join(name);
    }
    // A sound of the given length that the test can let play to its end.
    std::string Frames(const std::string& name, size_t frames)
    {
        return Sound(name, std::vector<int16_t>(2 * frames, 100));
    }
    std::vector<int16_t> Render(size_t frames) { return sound.device.Render(frames); }

    TempFolder temp;
    LumoTest::OfflineSound sound;
    ManualClock clock{5000};
    std::unique_ptr<DSoundManager> manager;
};

TEST_F(SoundManagerTest, WithoutAWindowEveryInstanceIsSilent)
{
    manager = std::make_unique<DSoundManager>(nullptr, false);
    EXPECT_FALSE(manager->Initialized());
    EXPECT_FALSE(sound.device.IsOpen());
    EXPECT_TRUE(manager->LoadSound(3, Frames("a", 4)));
    EXPECT_EQ(manager->GetNumSounds(), 0);
    EXPECT_EQ(manager->LoadSound(temp.Join("a")), 255);

    std::vector<SoundInstance*> instances;
    for (int i = 0; i < 32; ++i) {
        SoundInstance* instance = manager->GetSoundInstance(3);
        ASSERT_NE(instance, nullptr);
        EXPECT_EQ(static_cast<DSoundInstance*>(instance)->GetBuffer(), nullptr);
        instances.push_back(instance);
    }
    EXPECT_EQ(manager->GetSoundInstance(3), nullptr);
    // A silent instance played with auto-release counts as finished.
    EXPECT_FALSE(instances[5]->Play(false, true));
    SoundInstance* next = manager->GetSoundInstance(200);
    EXPECT_NE(next, nullptr);
    EXPECT_EQ(manager->GetChannel(5), next);
}

TEST_F(SoundManagerTest, NoSoundCardLeavesSoundOffAndTheProgramGoesOn)
{
    manager.reset();
    sound.device.available = false;
    manager = std::make_unique<DSoundManager>(FakeWindow(), false);
    EXPECT_FALSE(manager->Initialized());
    EXPECT_TRUE(manager->LoadSound(0, Frames("a", 4)));
    EXPECT_NE(manager->GetSoundInstance(0), nullptr);
}

TEST_F(SoundManagerTest, NamesFindTheirIdsFromTheTopDown)
{
    ASSERT_TRUE(manager->Initialized());
    const std::string a = Frames("a", 4);
    const std::string b = Frames("b", 4);
    EXPECT_EQ(manager->LoadSound(a), 255);
    temp.Write("a.wav", std::string()); // a second load would now fail
    EXPECT_EQ(manager->LoadSound(a), 255);
    EXPECT_EQ(manager->LoadSound(b), 254);
    EXPECT_EQ(manager->GetFreeSoundId(), 0);
    EXPECT_EQ(manager->GetNumSounds(), 2);
    EXPECT_EQ(manager->GetFileName(255), a);

    manager->ReleaseSound(255);
    EXPECT_EQ(manager->GetNumSounds(), 1);
    EXPECT_EQ(manager->GetFileName(255), "");
    EXPECT_EQ(manager->LoadSound(temp.Join("missing")), -1);
    EXPECT_EQ(manager->GetFileName(255), "");
}

TEST_F(SoundManagerTest, AFailedLoadLeavesTheIdFreeAndNameless)
{
    const std::string a = temp.Join("a");
    EXPECT_FALSE(manager->LoadSound(7, a));
    EXPECT_EQ(manager->GetFileName(7), "");
    EXPECT_EQ(manager->GetSourceBuffer(7), nullptr);
    // Once the file is there, the name loads for real instead of handing
    // out the empty id 7.
    Frames("a", 4);
    EXPECT_EQ(manager->LoadSound(a), 255);
    EXPECT_NE(manager->GetSourceBuffer(255), nullptr);
    EXPECT_NE(manager->GetSoundInstance(255), nullptr);

    // After ReleaseSounds the name loads again too.
    manager->ReleaseSounds();
    EXPECT_EQ(manager->GetNumSounds(), 0);
    EXPECT_EQ(manager->LoadSound(a), 255);
    EXPECT_NE(manager->GetSourceBuffer(255), nullptr);
}

TEST_F(SoundManagerTest, IdsAreRangeChecked)
{
    const std::string a = Frames("a", 4);
    EXPECT_FALSE(manager->LoadSound(256, a));
    manager->ReleaseSound(256);
    manager->ReleaseSound(UINT_MAX);
    EXPECT_FALSE(manager->SetBaseVolume(256, 0.5));
    EXPECT_FALSE(manager->SetBasePan(256, 100));
    EXPECT_TRUE(manager->SetBaseVolume(255, 0.5));
    EXPECT_TRUE(manager->SetBasePan(255, 100));
    EXPECT_EQ(manager->GetSoundInstance(256), nullptr);
    EXPECT_EQ(manager->GetSoundInstance(10), nullptr); // not loaded
    ASSERT_TRUE(manager->LoadSound(255, a));
    EXPECT_NE(manager->GetSoundInstance(255), nullptr);
}

TEST_F(SoundManagerTest, InstancesPlayTheSoundThroughTheMixer)
{
    const std::string name = Sound("a", {1000, -1000, 20000, -20000, 3, 4});
    ASSERT_TRUE(manager->LoadSound(0, name));
    manager->SetBasePan(0, -2000); // right side down 20 dB
    SoundInstance* panned = manager->GetSoundInstance(0);
    manager->SetBasePan(0, 0);
    SoundInstance* plain = manager->GetSoundInstance(0);
    ASSERT_TRUE(plain->Play(false, false));
    EXPECT_EQ(Render(4), (std::vector<int16_t>{1000, -1000, 20000, -20000, 3, 4, 0, 0}));
    EXPECT_FALSE(plain->IsPlaying());
    ASSERT_TRUE(panned->Play(false, false));
    EXPECT_EQ(Render(2), (std::vector<int16_t>{1000, -100, 20000, -2000}));
}

TEST_F(SoundManagerTest, TheThirtyThirdChannelRequestFails)
{
    ASSERT_TRUE(manager->LoadSound(0, Frames("a", 8)));
    std::vector<SoundInstance*> instances;
    for (int i = 0; i < 32; ++i) {
        instances.push_back(manager->GetSoundInstance(0));
        ASSERT_NE(instances.back(), nullptr);
        instances.back()->Play(true, false);
    }
    EXPECT_EQ(manager->GetSoundInstance(0), nullptr);
    // Never played and never released counts as in use too.
    instances[3]->Release();
    EXPECT_FALSE(instances[3]->IsPlaying());
    SoundInstance* next = manager->GetSoundInstance(0);
    EXPECT_NE(next, nullptr);
    EXPECT_EQ(manager->GetChannel(3), next);
    EXPECT_EQ(manager->GetSoundInstance(0), nullptr);
}

TEST_F(SoundManagerTest, FinishedAutoReleaseInstancesAreReclaimed)
{
    ASSERT_TRUE(manager->LoadSound(0, Frames("long", 100000)));
    ASSERT_TRUE(manager->LoadSound(1, Frames("short", 10)));
    SoundInstance* busy = manager->GetSoundInstance(0); // sweeps at 5000
    busy->Play(false, false);
    std::vector<SoundInstance*> shorts;
    for (int k = 1; k <= 3; ++k) {
        shorts.push_back(manager->GetSoundInstance(1));
        ASSERT_EQ(manager->GetChannel(k), shorts.back());
        shorts.back()->Play(false, true);
    }
    EXPECT_FALSE(shorts[0]->IsReleased()); // still playing
    Render(20);

    // Within 1000 ms of the last sweep only the first finished one is taken.
    clock.Set(6000);
    SoundInstance* reuse = manager->GetSoundInstance(0);
    EXPECT_EQ(manager->GetChannel(1), reuse);
    EXPECT_EQ(manager->GetChannel(2), shorts[1]);
    EXPECT_EQ(manager->GetChannel(3), shorts[2]);
    reuse->Play(false, false);

    // After more than 1000 ms the sweep frees every finished one at once.
    clock.Set(6001);
    SoundInstance* swept = manager->GetSoundInstance(0);
    EXPECT_EQ(manager->GetChannel(2), swept);
    EXPECT_EQ(manager->GetChannel(3), nullptr);
}

TEST_F(SoundManagerTest, VolumesReachPlayingInstances)
{
    ASSERT_TRUE(manager->LoadSound(0, Frames("a", 8)));
    SoundInstance* instance = manager->GetSoundInstance(0);
    instance->Play(true, false);
    EXPECT_EQ(BufferVolume(instance), 0);
    manager->SetVolume(0.5);
    EXPECT_EQ(BufferVolume(instance), -605); // (log10(5.5) - 1) x 2333
    // Base volumes reach instances made afterwards only.
    manager->SetBaseVolume(0, 0.5);
    EXPECT_EQ(BufferVolume(instance), -605);
    EXPECT_EQ(BufferVolume(manager->GetSoundInstance(0)), -1138); // v = 0.25
}

TEST_F(SoundManagerTest, StopAllSoundsKeepsAutoReleaseForTheSweep)
{
    ASSERT_TRUE(manager->LoadSound(0, Frames("a", 1000)));
    SoundInstance* instance = manager->GetSoundInstance(0);
    instance->Play(false, true);
    manager->StopAllSounds();
    EXPECT_FALSE(instance->IsPlaying());
    EXPECT_TRUE(static_cast<DSoundInstance*>(instance)->GetAutoRelease());
    // The sweep takes it, so the next instance gets its channel.
    clock.Advance(1001);
    SoundInstance* next = manager->GetSoundInstance(0);
    EXPECT_EQ(manager->GetChannel(0), next);
    EXPECT_EQ(manager->GetChannel(1), nullptr);
}

TEST_F(SoundManagerTest, MasterVolumeIsTheWaveOutputsAndStaysInside)
{
    const std::string name = Sound("a", {10000, 10000});
    ASSERT_TRUE(manager->LoadSound(0, name));
    manager->SetMasterVolume(0.5);
    EXPECT_EQ(Plat::GetWaveOutVolume(), 32767u); // 0.5 x 65535, truncated
    EXPECT_DOUBLE_EQ(manager->GetMasterVolume(), 32767.0 / 65535.0);
    EXPECT_DOUBLE_EQ(manager->MasterVolumeFactor(), 1.0);
    manager->GetSoundInstance(0)->Play(false, false);
    EXPECT_EQ(Render(1), (std::vector<int16_t>{5000, 5000}));
    manager->SetMasterVolume(1.5);
    EXPECT_EQ(Plat::GetWaveOutVolume(), 65535u);
    manager->SetMasterVolume(-1.0);
    EXPECT_EQ(Plat::GetWaveOutVolume(), 0u);
    manager->SetMasterVolume(1.0);
    EXPECT_DOUBLE_EQ(manager->GetMasterVolume(), 1.0);
}

TEST_F(SoundManagerTest, StartUpAsksForPriorityThenMakesThePrimaryBuffer)
{
    DeviceScript script;
    gScript = &script;
    Plat::SoundDeviceCreator previous = Plat::SetSoundDeviceCreator(CreateScriptedDevice);
    manager = std::make_unique<DSoundManager>(FakeWindow(), false);
    EXPECT_EQ(script.calls, (std::vector<std::string>{"level 2", "primary"}));

    // Refused priority: the normal level, no primary buffer; sounds still play.
    manager.reset();
    script.calls.clear();
    script.refusePriority = true;
    manager = std::make_unique<DSoundManager>(FakeWindow(), false);
    EXPECT_EQ(script.calls, (std::vector<std::string>{"level 2", "level 1"}));
    ASSERT_TRUE(manager->LoadSound(0, Sound("a", {7, 8})));
    manager->GetSoundInstance(0)->Play(false, false);
    EXPECT_EQ(Render(1), (std::vector<int16_t>{7, 8}));

    manager.reset();
    EXPECT_FALSE(sound.device.IsOpen()); // the last buffer took the output with it
    Plat::SetSoundDeviceCreator(previous);
    gScript = nullptr;
}

TEST_F(SoundManagerTest, AFailedDuplicateEndsTheProcess)
{
    struct Case {
        int32_t result;
        const char* text; // null: no box
    };
    const Case cases[] = {
        {Plat::kSoundErrInvalidParam, "DSERR_INVALIDPARAM"}, {Plat::kSoundErrOutOfMemory, "DSERR_OUTOFMEMORY"},
        {Plat::kSoundErrAllocated, "DSERR_ALLOCATED"},       {Plat::kSoundErrInvalidCall, "DSERR_INVALIDCALL"},
        {Plat::kSoundErrUninitialized, "DSERR_UNINITIALIZED"}, {Plat::kSoundErrGeneric, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        DeviceScript script;
        script.duplicateResult = c.result;
        gScript = &script;
        Plat::SoundDeviceCreator previous = Plat::SetSoundDeviceCreator(CreateScriptedDevice);
        FakePlatformRecorder recorder;
        manager = std::make_unique<DSoundManager>(FakeWindow(), false);
        ASSERT_TRUE(manager->LoadSound(0, Frames("a", 4)));
        const std::optional<int> code =
            FakePlatformRecorder::RunUntilExit([&] { manager->GetSoundInstance(0); });
        EXPECT_EQ(code, std::optional<int>(1));
        if (c.text != nullptr) {
            ASSERT_EQ(recorder.boxes.size(), 1u);
            EXPECT_EQ(recorder.boxes[0].text, c.text);
            EXPECT_EQ(recorder.boxes[0].title, "Hey");
            EXPECT_EQ(recorder.boxes[0].flags, Plat::kMbOk);
        } else {
            EXPECT_TRUE(recorder.boxes.empty());
        }
        manager.reset();
        Plat::SetSoundDeviceCreator(previous);
        gScript = nullptr;
    }
}

} // namespace
