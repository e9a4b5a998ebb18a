// The sound device and its buffers over the process's one output: sharing
// and closing the output, buffer formats, locks, duplicates as voices over
// one block, status and control ranges, the wave-output volume, and SDL's
// device on its dummy driver.
#include "platform/audio/AudioOutput.h"
#include "platform/audio/SoundDevice.h"
#include "support/ScopedEnvironment.h"
#include "support/SoundFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

using namespace Plat;

namespace {

WaveFormat Pcm(uint16_t channels, uint32_t rate, uint16_t bits)
{
    WaveFormat format;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.bitsPerSample = bits;
    format.blockAlign = uint16_t(channels * bits / 8);
    format.avgBytesPerSec = format.blockAlign * rate;
    return format;
}

SoundBufferDesc Secondary(uint32_t bytes, const WaveFormat* format)
{
    SoundBufferDesc desc;
    desc.flags = 0x80EA;
    desc.bufferBytes = bytes;
    desc.format = format;
    return desc;
}

class SoundBufferTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CreateSoundDevice(device), kSoundOk); }

    // A 44.1 kHz 16-bit stereo buffer holding the samples.
    std::unique_ptr<SoundBuffer> Filled(const std::vector<int16_t>& samples)
    {
        const WaveFormat format = Pcm(2, 44100, 16);
        std::unique_ptr<SoundBuffer> buffer;
        EXPECT_EQ(device->CreateSoundBuffer(Secondary(uint32_t(samples.size() * 2), &format), buffer), kSoundOk);
        void* part1 = nullptr;
        uint32_t bytes1 = 0;
        EXPECT_EQ(buffer->Lock(0, 0, &part1, &bytes1, nullptr, nullptr, kSoundLockEntireBuffer), kSoundOk);
        std::memcpy(part1, samples.data(), bytes1);
        EXPECT_EQ(buffer->Unlock(part1, bytes1, nullptr, 0), kSoundOk);
        return buffer;
    }

    std::vector<int16_t> Render(size_t frames) { return sound.device.Render(frames); }

    LumoTest::OfflineSound sound;
    std::unique_ptr<SoundDevice> device;
};

TEST_F(SoundBufferTest, OneOutputSharedUntilTheLastUserGoes)
{
    std::unique_ptr<SoundDevice> second;
    ASSERT_EQ(CreateSoundDevice(second), kSoundOk);
    EXPECT_EQ(&second->Output(), &device->Output());
    EXPECT_EQ(sound.device.OpenCount(), 1);

    // A buffer keeps the output open after its device is gone.
    std::unique_ptr<SoundBuffer> buffer = Filled({1000, 2000});
    device.reset();
    second.reset();
    EXPECT_TRUE(sound.device.IsOpen());
    buffer->Play(0, 0, 0);
    EXPECT_EQ(Render(2), (std::vector<int16_t>{1000, 2000, 0, 0}));
    buffer.reset();
    EXPECT_FALSE(sound.device.IsOpen());

    // Opened afresh for the next user.
    ASSERT_EQ(CreateSoundDevice(device), kSoundOk);
    EXPECT_EQ(sound.device.OpenCount(), 2);
}

TEST(SoundDeviceTest, NoSoundCardMeansNoDevice)
{
    LumoTest::OfflineSound sound;
    sound.device.available = false;
    std::unique_ptr<SoundDevice> device;
    EXPECT_EQ(CreateSoundDevice(device), kSoundErrNoDriver);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(OpenAudioOutput(), nullptr);
}

TEST_F(SoundBufferTest, BufferDescriptionsAreChecked)
{
    const WaveFormat good = Pcm(2, 22050, 16);
    WaveFormat float32 = good;
    float32.formatTag = 3;
    WaveFormat badAlign = good;
    badAlign.blockAlign = 2;
    const WaveFormat threeChannels = Pcm(3, 22050, 16);
    const WaveFormat bits24 = Pcm(2, 22050, 24);
    const WaveFormat slow = Pcm(1, 99, 8);
    const WaveFormat fast = Pcm(1, 200001, 8);
    struct Case {
        const char* name;
        SoundBufferDesc desc;
        int32_t result;
    };
    SoundBufferDesc shortDesc = Secondary(64, &good);
    shortDesc.size = 16;
    SoundBufferDesc primaryWithBytes;
    primaryWithBytes.flags = kSoundBufferPrimary;
    primaryWithBytes.bufferBytes = 64;
    const Case cases[] = {
        {"good", Secondary(64, &good), kSoundOk},
        {"no format", Secondary(64, nullptr), kSoundErrInvalidParam},
        {"not PCM", Secondary(64, &float32), kSoundErrBadFormat},
        {"block align", Secondary(64, &badAlign), kSoundErrBadFormat},
        {"three channels", Secondary(64, &threeChannels), kSoundErrBadFormat},
        {"24 bits", Secondary(64, &bits24), kSoundErrBadFormat},
        {"99 Hz", Secondary(64, &slow), kSoundErrBadFormat},
        {"200001 Hz", Secondary(64, &fast), kSoundErrBadFormat},
        {"3 bytes", Secondary(3, &good), kSoundErrInvalidParam},
        {"over 256 MB", Secondary(0x10000000, &good), kSoundErrInvalidParam},
        {"short description", shortDesc, kSoundErrInvalidParam},
        {"primary with bytes", primaryWithBytes, kSoundErrInvalidParam},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<SoundBuffer> buffer;
        EXPECT_EQ(device->CreateSoundBuffer(c.desc, buffer), c.result);
        EXPECT_EQ(buffer != nullptr, c.result == kSoundOk);
    }

    // The primary buffer only keeps its format; a secondary one has its own.
    SoundBufferDesc primaryDesc;
    primaryDesc.flags = kSoundBufferPrimary;
    std::unique_ptr<SoundBuffer> primary;
    ASSERT_EQ(device->CreateSoundBuffer(primaryDesc, primary), kSoundOk);
    EXPECT_TRUE(primary->IsPrimary());
    EXPECT_EQ(primary->SetFormat(Pcm(2, 44100, 16)), kSoundOk);
    WaveFormat kept;
    primary->GetFormat(kept);
    EXPECT_EQ(kept.avgBytesPerSec, 176400u);
    EXPECT_EQ(primary->Play(0, 0, kSoundPlayLooping), kSoundOk);
    std::unique_ptr<SoundBuffer> secondary = Filled({1, 2});
    EXPECT_EQ(secondary->SetFormat(good), kSoundErrInvalidCall);
}

TEST_F(SoundBufferTest, LocksWrapAroundTheEnd)
{
    const WaveFormat format = Pcm(1, 44100, 8);
    std::unique_ptr<SoundBuffer> buffer;
    ASSERT_EQ(device->CreateSoundBuffer(Secondary(16, &format), buffer), kSoundOk);
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    ASSERT_EQ(buffer->Lock(0, 16, &part1, &bytes1, &part2, &bytes2, 0), kSoundOk);
    uint8_t* start = static_cast<uint8_t*>(part1);
    EXPECT_EQ(bytes1, 16u);
    EXPECT_EQ(bytes2, 0u);
    EXPECT_EQ(part2, nullptr);
    EXPECT_EQ(start[0], 0x80); // an 8-bit buffer starts silent

    ASSERT_EQ(buffer->Lock(12, 8, &part1, &bytes1, &part2, &bytes2, 0), kSoundOk);
    EXPECT_EQ(part1, start + 12);
    EXPECT_EQ(bytes1, 4u);
    EXPECT_EQ(part2, start);
    EXPECT_EQ(bytes2, 4u);

    EXPECT_EQ(buffer->Lock(16, 1, &part1, &bytes1, &part2, &bytes2, 0), kSoundErrInvalidParam);
    EXPECT_EQ(buffer->Lock(0, 17, &part1, &bytes1, &part2, &bytes2, 0), kSoundErrInvalidParam);
    EXPECT_EQ(buffer->Lock(0, 0, &part1, &bytes1, &part2, &bytes2, 0), kSoundErrInvalidParam);
    EXPECT_EQ(buffer->Lock(12, 8, &part1, &bytes1, nullptr, nullptr, 0), kSoundErrInvalidParam);
    uint8_t elsewhere[4];
    EXPECT_EQ(buffer->Unlock(elsewhere, 4, nullptr, 0), kSoundErrInvalidParam);
    EXPECT_EQ(buffer->Unlock(start + 8, 9, nullptr, 0), kSoundErrInvalidParam);
}

TEST_F(SoundBufferTest, DuplicatesAreVoicesOverOneBlock)
{
    std::unique_ptr<SoundBuffer> source = Filled({1000, -1000, 2000, -2000});
    source->SetVolume(-2000);
    source->SetPan(300);
    source->SetFrequency(22050);
    std::unique_ptr<SoundBuffer> copy;
    ASSERT_EQ(device->DuplicateSoundBuffer(*source, copy), kSoundOk);
    EXPECT_EQ(copy->Block(), source->Block()); // no sample was copied
    int32_t volume = 0;
    int32_t pan = 0;
    uint32_t frequency = 0;
    copy->GetVolume(volume);
    copy->GetPan(pan);
    copy->GetFrequency(frequency);
    EXPECT_EQ(volume, -2000);
    EXPECT_EQ(pan, 300);
    EXPECT_EQ(frequency, 22050u);

    // Each plays on its own settings; the source itself stays quiet.
    copy->SetVolume(0);
    copy->SetPan(0);
    copy->SetFrequency(0);
    std::unique_ptr<SoundBuffer> other;
    ASSERT_EQ(device->DuplicateSoundBuffer(*source, other), kSoundOk);
    other->SetVolume(0);
    other->SetPan(0);
    other->SetFrequency(0);
    copy->Play(0, 0, 0);
    other->Play(0, 0, 0);
    EXPECT_EQ(Render(3), (std::vector<int16_t>{2000, -2000, 4000, -4000, 0, 0}));

    // The source may go; its duplicates keep the samples.
    source.reset();
    copy->Play(0, 0, 0);
    EXPECT_EQ(Render(1), (std::vector<int16_t>{1000, -1000}));

    SoundBufferDesc primaryDesc;
    primaryDesc.flags = kSoundBufferPrimary;
    std::unique_ptr<SoundBuffer> primary;
    ASSERT_EQ(device->CreateSoundBuffer(primaryDesc, primary), kSoundOk);
    EXPECT_EQ(device->DuplicateSoundBuffer(*primary, other), kSoundErrInvalidCall);
    EXPECT_EQ(other, nullptr);
}

TEST_F(SoundBufferTest, StatusPositionAndControlRanges)
{
    std::unique_ptr<SoundBuffer> buffer = Filled({1, 1, 2, 2, 3, 3, 4, 4});
    uint32_t status = 99;
    buffer->GetStatus(status);
    EXPECT_EQ(status, 0u);
    buffer->Play(0, 0, kSoundPlayLooping);
    buffer->GetStatus(status);
    EXPECT_EQ(status, kSoundStatusPlaying | kSoundStatusLooping);
    Render(3);
    buffer->Stop();
    uint32_t play = 0;
    uint32_t write = 0;
    buffer->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 12u); // three frames of four bytes
    EXPECT_EQ(buffer->SetCurrentPosition(4), kSoundOk);
    buffer->Play(0, 0, 0);
    buffer->GetStatus(status);
    EXPECT_EQ(status, kSoundStatusPlaying);
    EXPECT_EQ(Render(4), (std::vector<int16_t>{2, 2, 3, 3, 4, 4, 0, 0}));
    buffer->GetStatus(status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(buffer->SetCurrentPosition(16), kSoundErrInvalidParam);

    struct Case {
        int32_t (*set)(SoundBuffer&);
        int32_t result;
    };
    const Case cases[] = {
        {[](SoundBuffer& b) { return b.SetVolume(1); }, kSoundErrInvalidParam},
        {[](SoundBuffer& b) { return b.SetVolume(-10001); }, kSoundErrInvalidParam},
        {[](SoundBuffer& b) { return b.SetVolume(-10000); }, kSoundOk},
        {[](SoundBuffer& b) { return b.SetPan(10001); }, kSoundErrInvalidParam},
        {[](SoundBuffer& b) { return b.SetPan(-10000); }, kSoundOk},
        {[](SoundBuffer& b) { return b.SetFrequency(99); }, kSoundErrInvalidParam},
        {[](SoundBuffer& b) { return b.SetFrequency(200001); }, kSoundErrInvalidParam},
        {[](SoundBuffer& b) { return b.SetFrequency(100); }, kSoundOk},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].set(*buffer), cases[i].result);
    }
    int32_t volume = 0;
    buffer->GetVolume(volume);
    EXPECT_EQ(volume, -10000); // refused values leave the last good one
    uint32_t frequency = 0;
    buffer->SetFrequency(0);
    buffer->GetFrequency(frequency);
    EXPECT_EQ(frequency, 44100u);
}

TEST_F(SoundBufferTest, WaveOutVolumeIsAGainOnTheOutput)
{
    std::unique_ptr<SoundBuffer> buffer = Filled({10000, -10000});
    SetWaveOutVolume(32768); // 32768 / 65535 of full scale
    EXPECT_EQ(GetWaveOutVolume(), 32768u);
    buffer->Play(0, 0, 0);
    EXPECT_EQ(Render(1), (std::vector<int16_t>{5000, -5000}));
    SetWaveOutVolume(70000);
    EXPECT_EQ(GetWaveOutVolume(), 65535u);
    EXPECT_FLOAT_EQ(device->Output().Mixer().GetMasterGain(), 1.0f);
    SetWaveOutVolume(0);
    buffer->Play(0, 0, 0);
    EXPECT_EQ(Render(1), (std::vector<int16_t>{0, 0}));
    SetWaveOutVolume(65535);
}

TEST(SdlAudioDeviceTest, DummyDriverPullsFramesFromTheMixer)
{
    class Counter : public AudioStream {
    public:
        size_t Read(float* stereo, size_t frames) override
        {
            std::fill(stereo, stereo + 2 * frames, 0.0f);
            pulled += frames;
            return frames;
        }
        std::atomic<size_t> pulled{0};
    };
    LumoTest::ScopedEnvironment driver("SDL_AUDIODRIVER", "dummy");
    Counter stream;
    AudioMixer mixer;
    const VoiceId voice = mixer.CreateStreamVoice(&stream);
    mixer.Play(voice, false);
    SdlAudioDevice device;
    ASSERT_TRUE(device.Open(mixer));
    // The card's thread plays in real time: frames are pulled within a
    // second or two.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (stream.pulled == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    device.Close();
    EXPECT_GT(stream.pulled.load(), 0u);
}

TEST(SdlAudioDeviceTest, NoDriverMeansNoOutput)
{
    LumoTest::ScopedEnvironment driver("SDL_AUDIODRIVER", "no-such-driver");
    AudioMixer mixer;
    SdlAudioDevice device;
    EXPECT_FALSE(device.Open(mixer));
    device.Close();
}

} // namespace
