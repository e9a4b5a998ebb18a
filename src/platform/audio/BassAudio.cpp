// The BASS functions over the process's mixer: one state behind one lock,
// handles whose top bits tell modules, streams, samples and sample channels
// apart, and the thread's last error.
#include "platform/audio/BassAudio.h"

#include "platform/audio/AudioDecoder.h"
#include "platform/audio/AudioMixer.h"
#include "platform/audio/AudioOutput.h"
#include "platform/files/FileSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace Plat {

namespace {

// A handle's kind sits in its top four bits; the rest counts up.
constexpr uint32_t kKindShift = 28;
constexpr uint32_t kSerialMask = (uint32_t(1) << kKindShift) - 1;
enum Kind : uint32_t { kMusic = 1, kStream = 2, kSample = 3, kSampleChannel = 4 };

constexpr uint32_t kFail = 0xFFFFFFFF;
constexpr uint32_t kConfigOptions = 64;
// Bytes of the mixer's output per second (16-bit stereo), the unit of module
// positions given in bytes.
constexpr uint64_t kOutputBytesPerSecond = uint64_t(kMixRate) * 4;

enum class State { Stopped, Playing, Paused };

struct Channel {
    Kind kind = kMusic;
    std::unique_ptr<ModulePlayer> module;
    std::unique_ptr<DecoderStream> stream;
    uint32_t sample = 0; // the sample a sample channel plays
    VoiceId voice = 0;
    uint32_t flags = 0;
    State state = State::Stopped;
    int volume = 100;
    int pan = 0;
    uint32_t frequency = 0; // 0: the sound's own
    int amplify = 50;
    uint64_t started = 0; // when it was last played, in plays
};

struct Sample {
    std::shared_ptr<const PcmBlock> block;
    BassSampleInfo info;
    std::vector<uint32_t> channels;
};

struct Bass {
    std::mutex lock;
    bool initialised = false;
    bool outputRunning = true;
    std::shared_ptr<AudioOutput> output;
    std::unique_ptr<AudioMixer> silentMixer; // device 0
    uint32_t serial = 0;
    uint64_t plays = 0;
    std::map<uint32_t, Channel> channels;
    std::map<uint32_t, Sample> samples;
    uint32_t config[kConfigOptions] = {};

    AudioMixer& Mixer() { return output != nullptr ? output->Mixer() : *silentMixer; }

    // At the end of a process that never called BASS_Free, the shared output
    // may still be running: its voices go before the streams they read.
    ~Bass()
    {
        if (initialised)
            for (const auto& entry : channels)
                Mixer().DestroyVoice(entry.second.voice);
        channels.clear();
        samples.clear();
        output.reset();
    }
};

Bass& TheBass()
{
    static Bass bass;
    return bass;
}

thread_local int tError = kBassOk;

// Sets the thread's error code and gives the failure answer.
template <typename T>
T Fail(int code, T answer)
{
    tError = code;
    return answer;
}

template <typename T>
T Succeed(T answer)
{
    tError = kBassOk;
    return answer;
}

void ResetConfig(Bass& bass)
{
    std::fill(std::begin(bass.config), std::end(bass.config), 0u);
    bass.config[kBassConfigBuffer] = 500;
    bass.config[1] = 100; // update period, ms
    bass.config[kBassConfigGlobalSampleVolume] = 100;
    bass.config[kBassConfigGlobalStreamVolume] = 100;
    bass.config[kBassConfigGlobalMusicVolume] = 100;
}

// Once the count wraps, numbers still in use are passed over: a new handle
// must never stand for a live sound (whose voice would be left behind).
uint32_t NewHandle(Bass& bass, Kind kind)
{
    for (;;) {
        bass.serial = (bass.serial + 1) & kSerialMask;
        const uint32_t handle = (uint32_t(kind) << kKindShift) | bass.serial;
        if (bass.serial != 0 && bass.channels.count(handle) == 0 && bass.samples.count(handle) == 0)
            return handle;
    }
}

Kind KindOf(uint32_t handle)
{
    return Kind(handle >> kKindShift);
}

Channel* FindChannel(Bass& bass, uint32_t handle)
{
    const auto found = bass.channels.find(handle);
    return found == bass.channels.end() ? nullptr : &found->second;
}

float PercentGain(uint32_t percent)
{
    return float(std::min<uint32_t>(percent, 100)) / 100.0f;
}

// The channel's volume, its kind's global volume and (modules) amplification
// make the voice's gain; the pan attenuates the other side.
void ApplyVolume(Bass& bass, const Channel& channel)
{
    uint32_t global = bass.config[kBassConfigGlobalSampleVolume];
    float gain = PercentGain(uint32_t(channel.volume));
    if (channel.kind == kMusic) {
        global = bass.config[kBassConfigGlobalMusicVolume];
        gain *= float(channel.amplify) / 50.0f;
    } else if (channel.kind == kStream) {
        global = bass.config[kBassConfigGlobalStreamVolume];
    }
    AudioMixer& mixer = bass.Mixer();
    mixer.SetGain(channel.voice, gain * PercentGain(global));
    // The mixer takes off hundredths of a decibel: negative turns the right
    // side down, positive the left.
    int32_t pan = 0;
    if (channel.pan != 0) {
        const float kept = float(100 - std::abs(channel.pan)) / 100.0f;
        const int32_t cut =
            kept <= 0.0f ? 10000 : std::min<int32_t>(10000, int32_t(std::lround(-2000.0 * std::log10(kept))));
        pan = channel.pan > 0 ? cut : -cut;
    }
    mixer.SetPan(channel.voice, pan);
}

void StartVoice(Bass& bass, Channel& channel)
{
    if (bass.outputRunning)
        bass.Mixer().Play(channel.voice, (channel.flags & kBassSampleLoop) != 0);
}

// A channel that was playing and ran to its end is stopped.
State CurrentState(Bass& bass, Channel& channel)
{
    if (channel.state == State::Playing && bass.outputRunning && !bass.Mixer().IsPlaying(channel.voice))
        channel.state = State::Stopped;
    return channel.state;
}

void ApplyLoop(Channel& channel)
{
    const bool loop = (channel.flags & kBassSampleLoop) != 0;
    if (channel.module != nullptr)
        channel.module->SetRepeatCount(loop ? -1 : 0);
    if (channel.stream != nullptr)
        channel.stream->SetLooping(loop);
}

void DestroyChannel(Bass& bass, uint32_t handle)
{
    const auto found = bass.channels.find(handle);
    if (found == bass.channels.end())
        return;
    // The voice goes first: the mixer reads the module or stream until then.
    bass.Mixer().DestroyVoice(found->second.voice);
    bass.channels.erase(found);
}

// The bytes a load names: `length` at file + offset in memory, or the file's
// from `offset` (`length` of them, or to its end when 0). More than
// kMaxSoundFileBytes from a file are refused.
bool ReadSource(int memory, const void* file, uint32_t offset, uint32_t length, std::vector<uint8_t>& out)
{
    out.clear();
    if (file == nullptr) {
        tError = kBassErrorFileOpen;
        return false;
    }
    if (memory != 0) {
        if (length == 0) {
            tError = kBassErrorIllegalParameter;
            return false;
        }
        const uint8_t* bytes = static_cast<const uint8_t*>(file) + offset;
        out.assign(bytes, bytes + length);
        return true;
    }
    FILE* in = GetFileSystem().OpenFile(static_cast<const char*>(file), "rb");
    if (in == nullptr) {
        tError = kBassErrorFileOpen;
        return false;
    }
    bool ok = std::fseek(in, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(in) : -1;
    ok = size >= 0 && uint64_t(offset) <= uint64_t(size) && std::fseek(in, long(offset), SEEK_SET) == 0;
    if (ok) {
        const uint64_t available = uint64_t(size) - offset;
        const uint64_t wanted = length == 0 ? available : std::min<uint64_t>(length, available);
        ok = wanted > 0 && wanted <= uint64_t(kMaxSoundFileBytes);
        if (ok) {
            out.resize(size_t(wanted));
            ok = std::fread(out.data(), 1, out.size(), in) == out.size();
        }
    }
    std::fclose(in);
    if (!ok) {
        out.clear();
        tError = kBassErrorFileForm;
        return false;
    }
    return true;
}

uint32_t AddChannel(Bass& bass, Kind kind, Channel channel)
{
    const uint32_t handle = NewHandle(bass, kind);
    channel.kind = kind;
    Channel& added = bass.channels.emplace(handle, std::move(channel)).first->second;
    ApplyLoop(added);
    ApplyVolume(bass, added);
    return handle;
}

// A module or a stream over the bytes a load names: both are a decoder the
// mixer pulls through one voice.
uint32_t LoadChannel(Kind kind, int memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (!bass.initialised)
        return Fail(kBassErrorInit, 0u);
    std::vector<uint8_t> bytes;
    if (!ReadSource(memory, file, offset, length, bytes))
        return 0;
    Channel channel;
    AudioStream* source = nullptr;
    if (kind == kMusic) {
        channel.module = ModulePlayer::Load(bytes.data(), bytes.size(), bass.Mixer().OutputRate());
        if (channel.module != nullptr)
            channel.module->SetRamping((flags & kBassMusicRamp) != 0);
        source = channel.module.get();
    } else {
        channel.stream = DecoderStream::Open(std::move(bytes), bass.Mixer().OutputRate());
        source = channel.stream.get();
    }
    if (source == nullptr)
        return Fail(kBassErrorFileForm, 0u);
    channel.voice = bass.Mixer().CreateStreamVoice(source);
    if (channel.voice == 0)
        return Fail(kBassErrorMemory, 0u);
    channel.flags = flags;
    return Succeed(AddChannel(bass, kind, std::move(channel)));
}

// Frees a module or a stream; a handle of another kind is left alone.
void FreeChannel(Kind kind, uint32_t handle)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (KindOf(handle) != kind || FindChannel(bass, handle) == nullptr) {
        tError = kBassErrorHandle;
        return;
    }
    DestroyChannel(bass, handle);
    tError = kBassOk;
}

// The decoded sound a sample channel plays; null when its sample is gone.
const PcmBlock* BlockOf(Bass& bass, const Channel& channel)
{
    const auto sample = bass.samples.find(channel.sample);
    return sample == bass.samples.end() ? nullptr : sample->second.block.get();
}

// Where a channel plays, or its length, in bytes: a module's as 16-bit
// stereo output, a stream's and a sample channel's as their 16-bit PCM.
uint64_t ChannelBytes(uint32_t handle, bool length)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr)
        return Fail(kBassErrorHandle, ~uint64_t(0));
    if (channel->module != nullptr) {
        const double seconds = length ? channel->module->LengthSeconds() : channel->module->PositionSeconds();
        return Succeed(uint64_t(seconds * double(kOutputBytesPerSecond)) & ~uint64_t(3));
    }
    if (channel->stream != nullptr) {
        const uint64_t frames = length ? channel->stream->Length() : channel->stream->Position();
        return Succeed(frames * channel->stream->Channels() * 2);
    }
    const PcmBlock* block = BlockOf(bass, *channel);
    if (block == nullptr)
        return Fail(kBassErrorHandle, ~uint64_t(0));
    if (length)
        return Succeed(uint64_t(block->bytes.size()));
    return Succeed(bass.Mixer().GetPosition(channel->voice) * block->FrameBytes());
}

} // namespace

// ---- The output

int BASS_Init(int device, uint32_t /*frequency*/, uint32_t /*flags*/, Window* /*window*/, const void* /*clsid*/)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (bass.initialised)
        return Fail(kBassErrorAlready, 0);
    if (device < -1 || device > 1)
        return Fail(kBassErrorDevice, 0);
    if (device == 0) {
        bass.silentMixer = std::make_unique<AudioMixer>();
    } else {
        bass.output = OpenAudioOutput();
        if (bass.output == nullptr)
            return Fail(kBassErrorDevice, 0);
    }
    ResetConfig(bass);
    bass.initialised = true;
    bass.outputRunning = true;
    return Succeed(1);
}

int BASS_Free()
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (!bass.initialised)
        return Fail(kBassErrorInit, 0);
    while (!bass.channels.empty())
        DestroyChannel(bass, bass.channels.begin()->first);
    bass.samples.clear();
    bass.output.reset();
    bass.silentMixer.reset();
    bass.initialised = false;
    return Succeed(1);
}

int BASS_Start()
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (!bass.initialised)
        return Fail(kBassErrorInit, 0);
    if (!bass.outputRunning) {
        bass.outputRunning = true;
        for (auto& entry : bass.channels)
            if (entry.second.state == State::Playing)
                StartVoice(bass, entry.second);
    }
    return Succeed(1);
}

int BASS_Pause()
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (!bass.initialised)
        return Fail(kBassErrorInit, 0);
    if (bass.outputRunning) {
        for (auto& entry : bass.channels)
            if (CurrentState(bass, entry.second) == State::Playing)
                bass.Mixer().Stop(entry.second.voice);
        bass.outputRunning = false;
    }
    return Succeed(1);
}

int BASS_Stop()
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (!bass.initialised)
        return Fail(kBassErrorInit, 0);
    for (auto& entry : bass.channels) {
        bass.Mixer().Stop(entry.second.voice);
        entry.second.state = State::Stopped;
    }
    bass.outputRunning = false;
    return Succeed(1);
}

uint32_t BASS_GetVersion()
{
    return 0x02000000;
}

int BASS_GetInfo(BassInfo* info)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (!bass.initialised)
        return Fail(kBassErrorInit, 0);
    if (info == nullptr)
        return Fail(kBassErrorIllegalParameter, 0);
    *info = BassInfo();
    info->frequency = bass.Mixer().OutputRate();
    info->latency = 1000 * 1024 / kMixRate; // one SDL buffer
    info->minBuffer = info->latency;
    return Succeed(1);
}

int BASS_SetVolume(uint32_t volume)
{
    if (volume > 100)
        return Fail(kBassErrorIllegalParameter, 0);
    SetWaveOutVolume(volume * 65535 / 100);
    return Succeed(1);
}

int BASS_GetVolume()
{
    return Succeed(int((GetWaveOutVolume() * 100 + 65535 / 2) / 65535));
}

int BASS_SetGlobalVolumes(int music, int sample, int stream)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (!bass.initialised)
        return Fail(kBassErrorInit, 0);
    const int values[3] = {music, sample, stream};
    const uint32_t options[3] = {kBassConfigGlobalMusicVolume, kBassConfigGlobalSampleVolume,
                                 kBassConfigGlobalStreamVolume};
    for (int i = 0; i < 3; ++i)
        if (values[i] >= 0)
            bass.config[options[i]] = uint32_t(std::min(values[i], 100));
    for (const auto& entry : bass.channels)
        ApplyVolume(bass, entry.second);
    return Succeed(1);
}

uint32_t BASS_SetConfig(uint32_t option, uint32_t value)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (option >= kConfigOptions)
        return Fail(kBassErrorIllegalType, kFail);
    const bool volume = option == kBassConfigGlobalSampleVolume || option == kBassConfigGlobalStreamVolume ||
                        option == kBassConfigGlobalMusicVolume;
    bass.config[option] = volume ? std::min<uint32_t>(value, 100) : value;
    if (volume && bass.initialised)
        for (const auto& entry : bass.channels)
            ApplyVolume(bass, entry.second);
    return Succeed(1u);
}

uint32_t BASS_GetConfig(uint32_t option)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (option >= kConfigOptions)
        return Fail(kBassErrorIllegalType, kFail);
    return Succeed(bass.config[option]);
}

int BASS_ErrorGetCode()
{
    return tError;
}

// ---- Channels

int BASS_ChannelPlay(uint32_t handle, int restart)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr)
        return Fail(kBassErrorHandle, 0);
    if (restart != 0) {
        if (channel->module != nullptr)
            channel->module->Restart();
        else if (channel->stream != nullptr)
            channel->stream->Seek(0);
        else
            bass.Mixer().SetPosition(channel->voice, 0);
    }
    channel->state = State::Playing;
    channel->started = ++bass.plays;
    StartVoice(bass, *channel);
    return Succeed(1);
}

int BASS_ChannelStop(uint32_t handle)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr)
        return Fail(kBassErrorHandle, 0);
    bass.Mixer().Stop(channel->voice);
    channel->state = State::Stopped;
    return Succeed(1);
}

int BASS_ChannelPause(uint32_t handle)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr)
        return Fail(kBassErrorHandle, 0);
    if (CurrentState(bass, *channel) != State::Playing)
        return Fail(kBassErrorNotPlaying, 0);
    bass.Mixer().Stop(channel->voice);
    channel->state = State::Paused;
    return Succeed(1);
}

uint32_t BASS_ChannelIsActive(uint32_t handle)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr)
        return Fail(kBassErrorHandle, kBassActiveStopped);
    switch (CurrentState(bass, *channel)) {
    case State::Playing:
        return Succeed(kBassActivePlaying);
    case State::Paused:
        return Succeed(kBassActivePaused);
    default:
        return Succeed(kBassActiveStopped);
    }
}

int BASS_ChannelSetAttributes(uint32_t handle, int frequency, int volume, int pan)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr)
        return Fail(kBassErrorHandle, 0);
    if ((frequency != -1 && frequency != 0 && (frequency < 100 || frequency > 192000)) ||
        (volume != -1 && (volume < 0 || volume > 100)) || (pan != -101 && (pan < -100 || pan > 100)))
        return Fail(kBassErrorIllegalParameter, 0);
    if (frequency != -1) {
        channel->frequency = uint32_t(frequency);
        if (channel->kind == kSampleChannel)
            bass.Mixer().SetFrequency(channel->voice, channel->frequency);
    }
    if (volume != -1)
        channel->volume = volume;
    if (pan != -101)
        channel->pan = pan;
    ApplyVolume(bass, *channel);
    return Succeed(1);
}

int BASS_ChannelGetAttributes(uint32_t handle, uint32_t* frequency, uint32_t* volume, int* pan)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr)
        return Fail(kBassErrorHandle, 0);
    if (frequency != nullptr) {
        if (channel->kind == kSampleChannel)
            *frequency = bass.Mixer().GetFrequency(channel->voice);
        else if (channel->frequency != 0)
            *frequency = channel->frequency;
        else
            *frequency = channel->stream != nullptr ? channel->stream->Rate() : bass.Mixer().OutputRate();
    }
    if (volume != nullptr)
        *volume = uint32_t(channel->volume);
    if (pan != nullptr)
        *pan = channel->pan;
    return Succeed(1);
}

int BASS_ChannelSlideAttributes(uint32_t handle, int frequency, int volume, int pan, uint32_t /*time*/)
{
    return BASS_ChannelSetAttributes(handle, frequency, volume, pan);
}

uint32_t BASS_ChannelIsSliding(uint32_t handle)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (FindChannel(bass, handle) == nullptr)
        return Fail(kBassErrorHandle, 0u);
    return Succeed(0u);
}

int BASS_ChannelSetPosition(uint32_t handle, uint64_t position)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr)
        return Fail(kBassErrorHandle, 0);
    if (channel->module != nullptr) {
        if ((position & kBassMusicOrderPosition) != 0) {
            const int order = int(position & 0xFFFF);
            const int row = int((position >> 16) & 0x7FFF);
            if (!channel->module->SetOrder(order, row))
                return Fail(kBassErrorPosition, 0);
        } else if (position == 0) {
            channel->module->Restart();
        } else {
            return Fail(kBassErrorPosition, 0);
        }
        return Succeed(1);
    }
    if (channel->stream != nullptr) {
        const uint64_t frameBytes = uint64_t(channel->stream->Channels()) * 2;
        if (!channel->stream->Seek(position / frameBytes))
            return Fail(kBassErrorPosition, 0);
        return Succeed(1);
    }
    const PcmBlock* block = BlockOf(bass, *channel);
    if (block == nullptr)
        return Fail(kBassErrorHandle, 0);
    const uint64_t frame = position / block->FrameBytes();
    if (frame >= block->Frames())
        return Fail(kBassErrorPosition, 0);
    bass.Mixer().SetPosition(channel->voice, frame);
    return Succeed(1);
}

uint64_t BASS_ChannelGetPosition(uint32_t handle)
{
    return ChannelBytes(handle, false);
}

uint64_t BASS_ChannelGetLength(uint32_t handle)
{
    return ChannelBytes(handle, true);
}

int BASS_ChannelSetFlags(uint32_t handle, uint32_t flags)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr)
        return Fail(kBassErrorHandle, 0);
    channel->flags = flags;
    ApplyLoop(*channel);
    if (channel->module != nullptr)
        channel->module->SetRamping((flags & kBassMusicRamp) != 0);
    // A playing sample voice takes the loop at once.
    if (CurrentState(bass, *channel) == State::Playing && channel->kind == kSampleChannel)
        StartVoice(bass, *channel);
    return Succeed(1);
}

int BASS_ChannelPreBuf(uint32_t handle)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    if (FindChannel(bass, handle) == nullptr)
        return Fail(kBassErrorHandle, 0);
    return Succeed(1);
}

uint32_t BASS_ChannelGetLevel(uint32_t /*handle*/)
{
    return Fail(kBassErrorNotAvailable, kFail);
}

uint32_t BASS_ChannelGetData(uint32_t /*handle*/, void* /*buffer*/, uint32_t /*length*/)
{
    return Fail(kBassErrorNotAvailable, kFail);
}

uint32_t BASS_ChannelSetFX(uint32_t /*handle*/, uint32_t /*type*/, int /*priority*/)
{
    return Fail(kBassErrorNoEffects, 0u);
}

int BASS_ChannelRemoveFX(uint32_t /*handle*/, uint32_t /*fx*/)
{
    return Fail(kBassErrorHandle, 0);
}

int BASS_FXSetParameters(uint32_t /*fx*/, const void* /*parameters*/)
{
    return Fail(kBassErrorHandle, 0);
}

int BASS_FXGetParameters(uint32_t /*fx*/, void* /*parameters*/)
{
    return Fail(kBassErrorHandle, 0);
}

uint32_t BASS_ChannelSetSync(uint32_t /*handle*/, uint32_t /*type*/, uint64_t /*parameter*/, void* /*procedure*/,
                             uint32_t /*user*/)
{
    return Fail(kBassErrorNotAvailable, 0u);
}

int BASS_ChannelRemoveSync(uint32_t /*handle*/, uint32_t /*sync*/)
{
    return Fail(kBassErrorHandle, 0);
}

uint32_t BASS_PluginLoad(const char* /*file*/, uint32_t /*flags*/)
{
    return Fail(kBassErrorFileForm, 0u);
}

// ---- Modules

uint32_t BASS_MusicLoad(int memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags,
                        uint32_t /*frequency*/)
{
    return LoadChannel(kMusic, memory, file, offset, length, flags);
}

void BASS_MusicFree(uint32_t handle)
{
    FreeChannel(kMusic, handle);
}

uint32_t BASS_MusicGetOrders(uint32_t handle)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr || channel->module == nullptr)
        return Fail(kBassErrorHandle, kFail);
    return Succeed(uint32_t(channel->module->OrderCount()));
}

uint32_t BASS_MusicGetOrderPosition(uint32_t handle)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr || channel->module == nullptr)
        return Fail(kBassErrorHandle, kFail);
    const uint32_t order = uint32_t(std::max(channel->module->Order(), 0)) & 0xFFFF;
    const uint32_t row = uint32_t(std::max(channel->module->Row(), 0)) & 0xFFFF;
    return Succeed(order | (row << 16));
}

uint32_t BASS_MusicGetAttribute(uint32_t handle, uint32_t attribute)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr || channel->module == nullptr)
        return Fail(kBassErrorHandle, kFail);
    if (attribute != kBassMusicAmplify)
        return Fail(kBassErrorIllegalType, kFail);
    return Succeed(uint32_t(channel->amplify));
}

int BASS_MusicSetAttribute(uint32_t handle, uint32_t attribute, uint32_t value)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    Channel* channel = FindChannel(bass, handle);
    if (channel == nullptr || channel->module == nullptr)
        return Fail(kBassErrorHandle, 0);
    if (attribute != kBassMusicAmplify)
        return Fail(kBassErrorIllegalType, 0);
    if (value > 100)
        return Fail(kBassErrorIllegalParameter, 0);
    channel->amplify = int(value);
    ApplyVolume(bass, *channel);
    return Succeed(1);
}

// ---- Streams

uint32_t BASS_StreamCreateFile(int memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags)
{
    return LoadChannel(kStream, memory, file, offset, length, flags);
}

void BASS_StreamFree(uint32_t handle)
{
    FreeChannel(kStream, handle);
}

// ---- Samples

uint32_t BASS_SampleLoad(int memory, const void* file, uint32_t offset, uint32_t length, uint32_t max,
                         uint32_t flags)
{
    Bass& bass = TheBass();
    uint32_t rate = 0;
    {
        std::lock_guard<std::mutex> guard(bass.lock);
        if (!bass.initialised)
            return Fail(kBassErrorInit, 0u);
        rate = bass.Mixer().OutputRate();
    }
    if (max < 1 || max > 65535)
        return Fail(kBassErrorIllegalParameter, 0u);
    std::vector<uint8_t> bytes;
    if (!ReadSource(memory, file, offset, length, bytes))
        return 0;
    // Decoding (a song takes a while to render) runs outside the lock, so
    // that sounds keep starting meanwhile.
    auto block = std::make_shared<PcmBlock>();
    const bool decoded = DetectAudioFormat(bytes.data(), bytes.size()) == AudioFormat::Module
                             ? RenderModulePass(bytes.data(), bytes.size(), rate, *block)
                             : DecodeAudio(bytes.data(), bytes.size(), *block);
    if (!decoded)
        return Fail(kBassErrorFileForm, 0u);
    std::lock_guard<std::mutex> guard(bass.lock);
    if (!bass.initialised)
        return Fail(kBassErrorInit, 0u);
    Sample sample;
    sample.info.frequency = block->rate;
    sample.info.flags = flags & kBassSampleLoop;
    sample.info.length = uint32_t(std::min<size_t>(block->bytes.size(), 0xFFFFFFFF));
    sample.info.max = max;
    sample.info.channels = block->channels;
    sample.block = std::move(block);
    const uint32_t handle = NewHandle(bass, kSample);
    bass.samples.emplace(handle, std::move(sample));
    return Succeed(handle);
}

int BASS_SampleFree(uint32_t handle)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    const auto found = bass.samples.find(handle);
    if (found == bass.samples.end())
        return Fail(kBassErrorHandle, 0);
    for (const uint32_t channel : found->second.channels)
        DestroyChannel(bass, channel);
    bass.samples.erase(found);
    return Succeed(1);
}

uint32_t BASS_SampleGetChannel(uint32_t handle, int onlyNew)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    const auto found = bass.samples.find(handle);
    if (found == bass.samples.end())
        return Fail(kBassErrorHandle, 0u);
    Sample& sample = found->second;

    // A channel of the sample to hand out again: one that stopped, else the
    // one started longest ago.
    size_t reuse = sample.channels.size();
    if (sample.channels.size() >= sample.info.max) {
        uint64_t oldest = UINT64_MAX;
        for (size_t i = 0; i < sample.channels.size(); ++i) {
            Channel& channel = bass.channels.at(sample.channels[i]);
            if (CurrentState(bass, channel) == State::Stopped) {
                reuse = i;
                break;
            }
            if (!onlyNew && channel.started < oldest) {
                oldest = channel.started;
                reuse = i;
            }
        }
        if (reuse == sample.channels.size())
            return Fail(kBassErrorNoChannel, 0u);
        DestroyChannel(bass, sample.channels[reuse]);
        sample.channels.erase(sample.channels.begin() + long(reuse));
    }

    Channel channel;
    channel.sample = handle;
    channel.voice = bass.Mixer().CreateVoice(sample.block);
    if (channel.voice == 0)
        return Fail(kBassErrorMemory, 0u);
    channel.flags = sample.info.flags;
    channel.volume = int(sample.info.volume);
    channel.pan = sample.info.pan;
    channel.frequency = sample.info.frequency;
    bass.Mixer().SetFrequency(channel.voice, channel.frequency);
    const uint32_t channelHandle = AddChannel(bass, kSampleChannel, std::move(channel));
    sample.channels.push_back(channelHandle);
    return Succeed(channelHandle);
}

int BASS_SampleGetInfo(uint32_t handle, BassSampleInfo* info)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    const auto found = bass.samples.find(handle);
    if (found == bass.samples.end())
        return Fail(kBassErrorHandle, 0);
    if (info == nullptr)
        return Fail(kBassErrorIllegalParameter, 0);
    *info = found->second.info;
    return Succeed(1);
}

int BASS_SampleSetInfo(uint32_t handle, BassSampleInfo* info)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    const auto found = bass.samples.find(handle);
    if (found == bass.samples.end())
        return Fail(kBassErrorHandle, 0);
    if (info == nullptr || info->frequency < 100 || info->frequency > 192000 || info->volume > 100 ||
        info->pan < -100 || info->pan > 100 || info->max < 1 || info->max > 65535)
        return Fail(kBassErrorIllegalParameter, 0);
    BassSampleInfo& kept = found->second.info;
    kept.frequency = info->frequency;
    kept.volume = info->volume;
    kept.pan = info->pan;
    kept.flags = info->flags & kBassSampleLoop;
    kept.max = info->max;
    return Succeed(1);
}

int BASS_SampleStop(uint32_t handle)
{
    Bass& bass = TheBass();
    std::lock_guard<std::mutex> guard(bass.lock);
    const auto found = bass.samples.find(handle);
    if (found == bass.samples.end())
        return Fail(kBassErrorHandle, 0);
    for (const uint32_t channelHandle : found->second.channels) {
        Channel& channel = bass.channels.at(channelHandle);
        bass.Mixer().Stop(channel.voice);
        channel.state = State::Stopped;
    }
    return Succeed(1);
}

// ---- The table

const BassLibrary& OwnBassLibrary()
{
#define LUMO_BASS_ENTRY(name) {#name, reinterpret_cast<BassProc>(&name)}
    static const BassLibrary library({
        LUMO_BASS_ENTRY(BASS_GetVersion),
        LUMO_BASS_ENTRY(BASS_Init),
        LUMO_BASS_ENTRY(BASS_Free),
        LUMO_BASS_ENTRY(BASS_Stop),
        LUMO_BASS_ENTRY(BASS_Start),
        LUMO_BASS_ENTRY(BASS_Pause),
        LUMO_BASS_ENTRY(BASS_SetGlobalVolumes),
        LUMO_BASS_ENTRY(BASS_SetVolume),
        LUMO_BASS_ENTRY(BASS_GetVolume),
        LUMO_BASS_ENTRY(BASS_GetInfo),
        LUMO_BASS_ENTRY(BASS_SetConfig),
        LUMO_BASS_ENTRY(BASS_GetConfig),
        LUMO_BASS_ENTRY(BASS_ChannelStop),
        LUMO_BASS_ENTRY(BASS_ChannelPlay),
        LUMO_BASS_ENTRY(BASS_ChannelPause),
        LUMO_BASS_ENTRY(BASS_ChannelSetAttributes),
        LUMO_BASS_ENTRY(BASS_ChannelGetAttributes),
        LUMO_BASS_ENTRY(BASS_ChannelSetPosition),
        LUMO_BASS_ENTRY(BASS_ChannelGetPosition),
        LUMO_BASS_ENTRY(BASS_ChannelSetFlags),
        LUMO_BASS_ENTRY(BASS_ChannelIsActive),
        LUMO_BASS_ENTRY(BASS_ChannelSlideAttributes),
        LUMO_BASS_ENTRY(BASS_ChannelIsSliding),
        LUMO_BASS_ENTRY(BASS_ChannelGetLevel),
        LUMO_BASS_ENTRY(BASS_ChannelSetFX),
        LUMO_BASS_ENTRY(BASS_ChannelRemoveFX),
        LUMO_BASS_ENTRY(BASS_ChannelGetLength),
        LUMO_BASS_ENTRY(BASS_ChannelGetData),
        LUMO_BASS_ENTRY(BASS_ChannelPreBuf),
        LUMO_BASS_ENTRY(BASS_ChannelSetSync),
        LUMO_BASS_ENTRY(BASS_ChannelRemoveSync),
        LUMO_BASS_ENTRY(BASS_MusicLoad),
        LUMO_BASS_ENTRY(BASS_MusicFree),
        LUMO_BASS_ENTRY(BASS_StreamCreateFile),
        LUMO_BASS_ENTRY(BASS_StreamFree),
        LUMO_BASS_ENTRY(BASS_FXSetParameters),
        LUMO_BASS_ENTRY(BASS_FXGetParameters),
        LUMO_BASS_ENTRY(BASS_MusicGetAttribute),
        LUMO_BASS_ENTRY(BASS_MusicSetAttribute),
        LUMO_BASS_ENTRY(BASS_MusicGetOrders),
        LUMO_BASS_ENTRY(BASS_MusicGetOrderPosition),
        LUMO_BASS_ENTRY(BASS_PluginLoad),
        LUMO_BASS_ENTRY(BASS_SampleLoad),
        LUMO_BASS_ENTRY(BASS_SampleFree),
        LUMO_BASS_ENTRY(BASS_SampleSetInfo),
        LUMO_BASS_ENTRY(BASS_SampleGetInfo),
        LUMO_BASS_ENTRY(BASS_SampleGetChannel),
        LUMO_BASS_ENTRY(BASS_SampleStop),
        LUMO_BASS_ENTRY(BASS_ErrorGetCode),
    });
#undef LUMO_BASS_ENTRY
    return library;
}

} // namespace Plat
