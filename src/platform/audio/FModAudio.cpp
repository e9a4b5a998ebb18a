#include "platform/audio/FModAudio.h"

#include "platform/audio/AudioDecoder.h"
#include "platform/audio/AudioMixer.h"
#include "platform/audio/AudioOutput.h"
#include "platform/files/FileSystem.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace Plat {

namespace {

constexpr int kMaxChannels = 1024;
constexpr int kFullSampleVolume = 255;
constexpr int kFullSongVolume = 256;
constexpr int kCentrePan = 128;

struct SampleData {
    std::shared_ptr<PcmBlock> block;
    unsigned mode = 0;
    int frequency = 0;
    int volume = kFullSampleVolume;
    int pan = kCentrePan;
    int priority = 255;
    uint64_t loopStart = 0;
    uint64_t loopEnd = 0; // 0: the block's end
};

struct StreamData {
    std::unique_ptr<DecoderStream> decoder;
};

struct ModuleData {
    std::unique_ptr<ModulePlayer> player;
    VoiceId voice = 0;
    bool looping = true;
    bool paused = false;
};

// The whole of an open file: its size from a seek to the end, then one read
// from the start. Sounds larger than kMaxSoundFileBytes are refused.
template <typename SeekFn, typename TellFn, typename ReadFn>
bool ReadWhole(SeekFn seekTo, TellFn tellAt, ReadFn readInto, std::vector<uint8_t>& bytes)
{
    bool ok = seekTo(0, SEEK_END);
    const long size = ok ? tellAt() : -1;
    ok = ok && size > 0 && size <= kMaxSoundFileBytes && seekTo(0, SEEK_SET);
    if (ok) {
        bytes.resize(size_t(size));
        ok = readInto(bytes.data(), bytes.size());
    }
    if (!ok)
        bytes.clear();
    return ok;
}

// Pauses or resumes a voice; a paused voice is kept apart from one that ran
// to its end, which is not resumed.
void PauseVoice(AudioMixer& mixer, VoiceId voice, bool& pausedFlag, bool pause, bool looping)
{
    if (pause) {
        if (!pausedFlag && mixer.IsPlaying(voice)) {
            mixer.Stop(voice);
            pausedFlag = true;
        }
    } else if (pausedFlag) {
        pausedFlag = false;
        mixer.Play(voice, looping);
    }
}

template <typename Data>
Data* FindIn(std::map<uintptr_t, Data>& map, const void* handle)
{
    const auto it = map.find(reinterpret_cast<uintptr_t>(handle));
    return it != map.end() ? &it->second : nullptr;
}

struct ChannelData {
    VoiceId voice = 0;
    uintptr_t sample = 0; // what the channel plays (one of the two)
    uintptr_t stream = 0;
    bool looping = false;
    bool paused = false;
};

// The library's whole state; every exported function takes its lock.
class FModState {
public:
    ~FModState()
    {
        std::lock_guard<std::mutex> guard(lock);
        CloseLocked();
    }

    std::mutex lock;
    std::shared_ptr<AudioOutput> output; // held from Init to Close
    int bufferMilliseconds = 0;
    Window* window = nullptr;
    std::vector<ChannelData> channels;
    std::map<uintptr_t, SampleData> samples;
    std::map<uintptr_t, StreamData> streams;
    std::map<uintptr_t, ModuleData> modules;
    uintptr_t nextHandle = 1;

    FModOpenCallback open = nullptr;
    FModCloseCallback close = nullptr;
    FModReadCallback read = nullptr;
    FModSeekCallback seek = nullptr;
    FModTellCallback tell = nullptr;

    AudioMixer* Mixer() { return output != nullptr ? &output->Mixer() : nullptr; }

    SampleData* FindSample(FSoundSample* sample) { return FindIn(samples, sample); }
    StreamData* FindStream(FSoundStream* stream) { return FindIn(streams, stream); }
    ModuleData* FindModule(FMusicModule* module) { return FindIn(modules, module); }
    ChannelData* FindChannel(int channel)
    {
        if (channel < 0 || size_t(channel) >= channels.size())
            return nullptr;
        return &channels[size_t(channel)];
    }
    // The channel while it has a voice (so the output is open); else null.
    ChannelData* ChannelWithVoice(int channel)
    {
        ChannelData* data = FindChannel(channel);
        return data != nullptr && data->voice != 0 ? data : nullptr;
    }

    bool ChannelBusy(const ChannelData& channel) const
    {
        return channel.voice != 0 && (channel.paused || output->Mixer().IsPlaying(channel.voice));
    }

    // The channel to play on: the one asked for, or the first that is not
    // busy; -1 when none.
    int ChooseChannel(int channel) const
    {
        if (output == nullptr)
            return -1;
        if (channel != kFSoundFree)
            return channel >= 0 && size_t(channel) < channels.size() ? channel : -1;
        for (size_t i = 0; i < channels.size(); ++i)
            if (!ChannelBusy(channels[i]))
                return int(i);
        return -1;
    }

    void StopChannel(ChannelData& channel)
    {
        if (channel.voice != 0 && output != nullptr)
            output->Mixer().DestroyVoice(channel.voice);
        channel = ChannelData();
    }

    void StopChannelsOf(uintptr_t sample, uintptr_t stream)
    {
        for (ChannelData& channel : channels)
            if ((sample != 0 && channel.sample == sample) || (stream != 0 && channel.stream == stream))
                StopChannel(channel);
    }

    void CloseLocked()
    {
        for (ChannelData& channel : channels)
            StopChannel(channel);
        channels.clear();
        for (auto& entry : modules)
            if (entry.second.voice != 0 && output != nullptr)
                output->Mixer().DestroyVoice(entry.second.voice);
        // Nothing plays the decoders any more: they can go.
        modules.clear();
        streams.clear();
        samples.clear();
        output.reset();
    }

    // The whole file, through the program's callbacks when set.
    bool ReadFile(const char* name, std::vector<uint8_t>& bytes)
    {
        bytes.clear();
        if (name == nullptr)
            return false;
        if (open != nullptr) {
            void* handle = open(name);
            if (handle == nullptr)
                return false;
            const auto seekTo = [&](long position, int mode) {
                return seek(handle, int(position), static_cast<signed char>(mode)) == 0;
            };
            const auto tellAt = [&]() { return long(tell(handle)); };
            const auto readInto = [&](uint8_t* into, size_t count) {
                return read(into, int(count), handle) == int(count);
            };
            const bool ok = ReadWhole(seekTo, tellAt, readInto, bytes);
            close(handle);
            return ok;
        }
        FILE* file = GetFileSystem().OpenFile(name, "rb");
        if (file == nullptr)
            return false;
        const auto seekTo = [&](long position, int mode) { return std::fseek(file, position, mode) == 0; };
        const auto tellAt = [&]() { return std::ftell(file); };
        const auto readInto = [&](uint8_t* into, size_t count) { return std::fread(into, 1, count, file) == count; };
        const bool ok = ReadWhole(seekTo, tellAt, readInto, bytes);
        std::fclose(file);
        return ok;
    }

    // Keeps a new sample, stream or song under a handle of its own.
    template <typename Handle, typename Data>
    Handle* Keep(std::map<uintptr_t, Data>& map, Data data)
    {
        const uintptr_t handle = nextHandle++;
        map.emplace(handle, std::move(data));
        return reinterpret_cast<Handle*>(handle);
    }
};

FModState& State()
{
    static FModState state;
    return state;
}

unsigned ModeOf(const PcmBlock& block)
{
    return (block.bits == 8 ? kFSound8Bits : kFSound16Bits) | (block.channels == 1 ? kFSoundMono : kFSoundStereo);
}

// Pan 0 (left) to 255 (right) as hundredths of a decibel off one side.
int32_t MixerPan(int pan)
{
    const int offset = std::clamp(pan, 0, 255) - kCentrePan;
    return offset < 0 ? int32_t(offset * 10000 / kCentrePan) : int32_t(offset * 10000 / 127);
}

float SampleGain(int volume)
{
    return float(std::clamp(volume, 0, kFullSampleVolume)) / float(kFullSampleVolume);
}

template <typename Handle>
Handle* AsHandle(uintptr_t handle)
{
    return reinterpret_cast<Handle*>(handle);
}

// ---- FSOUND

int SetBufferSize(int milliseconds)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.output != nullptr || milliseconds <= 0)
        return 0;
    s.bufferMilliseconds = milliseconds;
    return 1;
}

int SetHWND(Window* window)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.window = window;
    return 1;
}

int Init(int /*mixRate*/, int maxChannels, unsigned /*flags*/)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.output != nullptr)
        return 1;
    if (maxChannels < 1 || maxChannels > kMaxChannels)
        return 0;
    s.output = OpenAudioOutput();
    if (s.output == nullptr)
        return 0;
    s.channels.assign(size_t(maxChannels), ChannelData());
    return 1;
}

void Close()
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.CloseLocked();
}

FSoundSample* SampleLoad(int /*index*/, const char* name, unsigned /*mode*/, int /*length*/)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    std::vector<uint8_t> bytes;
    if (!s.ReadFile(name, bytes))
        return nullptr;
    auto block = std::make_shared<PcmBlock>();
    if (!DecodeAudio(bytes.data(), bytes.size(), *block) || block->Frames() == 0 ||
        block->Frames() > uint64_t(INT_MAX) / block->FrameBytes())
        return nullptr;
    SampleData sample;
    sample.mode = ModeOf(*block) | kFSoundLoopOff;
    sample.frequency = int(block->rate);
    sample.block = std::move(block);
    return s.Keep<FSoundSample>(s.samples, std::move(sample));
}

FSoundSample* SampleAlloc(int /*index*/, int length, unsigned mode, int frequency, int volume, int pan,
                          int priority)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    auto block = std::make_shared<PcmBlock>();
    block->channels = (mode & kFSoundMono) != 0 ? 1 : 2;
    block->bits = (mode & kFSound8Bits) != 0 ? 8 : 16;
    if (length <= 0 || frequency <= 0 || uint64_t(length) > uint64_t(INT_MAX) / block->FrameBytes())
        return nullptr;
    block->rate = uint32_t(frequency);
    // Silence: 8-bit data is unsigned.
    block->bytes.assign(size_t(length) * block->FrameBytes(), block->bits == 8 ? 0x80 : 0);
    SampleData sample;
    sample.mode = mode;
    sample.frequency = frequency;
    sample.volume = std::clamp(volume, 0, kFullSampleVolume);
    sample.pan = std::clamp(pan, 0, 255);
    sample.priority = priority;
    sample.block = std::move(block);
    return s.Keep<FSoundSample>(s.samples, std::move(sample));
}

void SampleFree(FSoundSample* sample)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const uintptr_t handle = reinterpret_cast<uintptr_t>(sample);
    if (s.samples.count(handle) == 0)
        return;
    s.StopChannelsOf(handle, 0);
    s.samples.erase(handle);
}

int SampleLock(FSoundSample* sample, int offset, int length, void** part1, void** part2, unsigned* length1,
               unsigned* length2)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (part1 != nullptr)
        *part1 = nullptr;
    if (part2 != nullptr)
        *part2 = nullptr;
    if (length1 != nullptr)
        *length1 = 0;
    if (length2 != nullptr)
        *length2 = 0;
    SampleData* data = s.FindSample(sample);
    if (data == nullptr || part1 == nullptr || length1 == nullptr || offset < 0 || length <= 0 ||
        uint64_t(offset) + uint64_t(length) > data->block->bytes.size())
        return 0;
    // Voices already playing keep the data they started with.
    if (data->block.use_count() > 1)
        data->block = std::make_shared<PcmBlock>(*data->block);
    *part1 = data->block->bytes.data() + offset;
    *length1 = unsigned(length);
    return 1;
}

int SampleUnlock(FSoundSample* sample, void* /*part1*/, void* /*part2*/, unsigned /*length1*/, unsigned /*length2*/)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.FindSample(sample) != nullptr ? 1 : 0;
}

int SampleSetLoopPoints(FSoundSample* sample, int start, int end)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    SampleData* data = s.FindSample(sample);
    if (data == nullptr || start < 0 || end <= start || uint64_t(end) > data->block->Frames())
        return 0;
    data->loopStart = uint64_t(start);
    data->loopEnd = uint64_t(end);
    return 1;
}

unsigned SampleGetLength(FSoundSample* sample)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const SampleData* data = s.FindSample(sample);
    return data != nullptr ? unsigned(data->block->Frames()) : 0;
}

int SampleGetDefaults(FSoundSample* sample, int* frequency, int* volume, int* pan, int* priority)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const SampleData* data = s.FindSample(sample);
    if (data == nullptr)
        return 0;
    if (frequency != nullptr)
        *frequency = data->frequency;
    if (volume != nullptr)
        *volume = data->volume;
    if (pan != nullptr)
        *pan = data->pan;
    if (priority != nullptr)
        *priority = data->priority;
    return 1;
}

unsigned SampleGetMode(FSoundSample* sample)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const SampleData* data = s.FindSample(sample);
    return data != nullptr ? data->mode : 0;
}

int PlaySound(int channel, FSoundSample* sample)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    SampleData* data = s.FindSample(sample);
    const int chosen = s.ChooseChannel(channel);
    if (data == nullptr || chosen < 0)
        return -1;
    ChannelData& target = s.channels[size_t(chosen)];
    s.StopChannel(target);
    AudioMixer& mixer = s.output->Mixer();
    const VoiceId voice = mixer.CreateVoice(data->block);
    if (voice == 0)
        return -1;
    mixer.SetFrequency(voice, uint32_t(data->frequency));
    mixer.SetGain(voice, SampleGain(data->volume));
    mixer.SetPan(voice, MixerPan(data->pan));
    mixer.SetLoopPoints(voice, data->loopStart, data->loopEnd);
    target.voice = voice;
    target.sample = reinterpret_cast<uintptr_t>(sample);
    target.looping = (data->mode & kFSoundLoopNormal) != 0;
    mixer.Play(voice, target.looping);
    return chosen;
}

int StopSound(int channel)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    ChannelData* data = s.FindChannel(channel);
    if (data == nullptr)
        return 0;
    s.StopChannel(*data);
    return 1;
}

int SetVolume(int channel, int volume)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    ChannelData* data = s.ChannelWithVoice(channel);
    if (data == nullptr)
        return 0;
    s.output->Mixer().SetGain(data->voice, SampleGain(volume));
    return 1;
}

int SetPaused(int channel, int paused)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    ChannelData* data = s.ChannelWithVoice(channel);
    if (data == nullptr)
        return 0;
    PauseVoice(s.output->Mixer(), data->voice, data->paused, paused != 0, data->looping);
    return 1;
}

int SetLoopMode(int channel, unsigned mode)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    ChannelData* data = s.ChannelWithVoice(channel);
    if (data == nullptr)
        return 0;
    data->looping = (mode & kFSoundLoopNormal) != 0;
    if (data->stream != 0) {
        if (StreamData* stream = s.FindStream(AsHandle<FSoundStream>(data->stream)))
            stream->decoder->SetLooping(data->looping);
    } else if (s.output->Mixer().IsPlaying(data->voice)) {
        s.output->Mixer().Play(data->voice, data->looping);
    }
    return 1;
}

int IsPlaying(int channel)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const ChannelData* data = s.FindChannel(channel);
    return data != nullptr && s.ChannelBusy(*data) ? 1 : 0;
}

FSoundStream* StreamOpenFile(const char* name, unsigned mode, int /*length*/)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    std::vector<uint8_t> bytes;
    if (!s.ReadFile(name, bytes))
        return nullptr;
    StreamData stream;
    stream.decoder = DecoderStream::Open(std::move(bytes), kMixRate);
    if (stream.decoder == nullptr)
        return nullptr;
    stream.decoder->SetLooping((mode & kFSoundLoopNormal) != 0);
    return s.Keep<FSoundStream>(s.streams, std::move(stream));
}

int StreamClose(FSoundStream* stream)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const uintptr_t handle = reinterpret_cast<uintptr_t>(stream);
    if (s.streams.count(handle) == 0)
        return 0;
    s.StopChannelsOf(0, handle);
    s.streams.erase(handle);
    return 1;
}

int StreamPlay(int channel, FSoundStream* stream)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    StreamData* data = s.FindStream(stream);
    const uintptr_t handle = reinterpret_cast<uintptr_t>(stream);
    // One decoder feeds one channel at a time.
    if (data != nullptr)
        s.StopChannelsOf(0, handle);
    const int chosen = s.ChooseChannel(channel);
    if (data == nullptr || chosen < 0)
        return -1;
    ChannelData& target = s.channels[size_t(chosen)];
    s.StopChannel(target);
    AudioMixer& mixer = s.output->Mixer();
    const VoiceId voice = mixer.CreateStreamVoice(data->decoder.get());
    if (voice == 0)
        return -1;
    target.voice = voice;
    target.stream = handle;
    target.looping = data->decoder->IsLooping();
    mixer.Play(voice, false);
    return chosen;
}

// ---- FMUSIC

FMusicModule* LoadSong(const char* name)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    std::vector<uint8_t> bytes;
    if (!s.ReadFile(name, bytes))
        return nullptr;
    ModuleData module;
    module.player = ModulePlayer::Load(bytes.data(), bytes.size(), kMixRate);
    if (module.player == nullptr)
        return nullptr;
    module.player->SetRepeatCount(-1);
    return s.Keep<FMusicModule>(s.modules, std::move(module));
}

int FreeSong(FMusicModule* module)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const auto it = s.modules.find(reinterpret_cast<uintptr_t>(module));
    if (it == s.modules.end())
        return 0;
    if (it->second.voice != 0 && s.output != nullptr)
        s.output->Mixer().DestroyVoice(it->second.voice);
    s.modules.erase(it);
    return 1;
}

int PlaySong(FMusicModule* module)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    ModuleData* data = s.FindModule(module);
    if (data == nullptr || s.output == nullptr)
        return 0;
    AudioMixer& mixer = s.output->Mixer();
    if (data->voice == 0)
        data->voice = mixer.CreateStreamVoice(data->player.get());
    if (data->voice == 0)
        return 0;
    mixer.Stop(data->voice);
    data->player->Restart();
    data->player->SetRepeatCount(data->looping ? -1 : 0);
    data->paused = false;
    mixer.Play(data->voice, false);
    return 1;
}

int StopSong(FMusicModule* module)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    ModuleData* data = s.FindModule(module);
    if (data == nullptr)
        return 0;
    if (data->voice != 0 && s.output != nullptr)
        s.output->Mixer().Stop(data->voice);
    data->paused = false;
    return 1;
}

int SongIsPlaying(FMusicModule* module)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    const ModuleData* data = s.FindModule(module);
    if (data == nullptr || data->voice == 0 || s.output == nullptr)
        return 0;
    return data->paused || s.output->Mixer().IsPlaying(data->voice) ? 1 : 0;
}

int SetLooping(FMusicModule* module, int looping)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    ModuleData* data = s.FindModule(module);
    if (data == nullptr)
        return 0;
    data->looping = looping != 0;
    data->player->SetRepeatCount(data->looping ? -1 : 0);
    return 1;
}

int SetOrder(FMusicModule* module, int order)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    ModuleData* data = s.FindModule(module);
    return data != nullptr && order >= 0 && data->player->SetOrder(order) ? 1 : 0;
}

int SongSetPaused(FMusicModule* module, int paused)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    ModuleData* data = s.FindModule(module);
    if (data == nullptr || data->voice == 0 || s.output == nullptr)
        return 0;
    PauseVoice(s.output->Mixer(), data->voice, data->paused, paused != 0, false);
    return 1;
}

int SetMasterVolume(FMusicModule* module, int volume)
{
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    ModuleData* data = s.FindModule(module);
    if (data == nullptr)
        return 0;
    data->player->SetGain(float(std::clamp(volume, 0, kFullSongVolume)) / float(kFullSongVolume));
    return 1;
}

int FileSetCallbacks(FModOpenCallback open, FModCloseCallback close, FModReadCallback read, FModSeekCallback seek,
                     FModTellCallback tell)
{
    const bool all = open != nullptr && close != nullptr && read != nullptr && seek != nullptr && tell != nullptr;
    const bool none = open == nullptr && close == nullptr && read == nullptr && seek == nullptr && tell == nullptr;
    if (!all && !none)
        return 0;
    FModState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.open = open;
    s.close = close;
    s.read = read;
    s.seek = seek;
    s.tell = tell;
    return 1;
}

template <typename T>
FModProc P(T function)
{
    return reinterpret_cast<FModProc>(function);
}

FModLibrary MakeLibrary()
{
    const FModProc functions[kFModExportCount] = {
        P(&SetBufferSize), P(&SetHWND), P(&Init), P(&Close), P(&SampleLoad), P(&SampleAlloc), P(&SampleFree),
        P(&SampleLock), P(&SampleUnlock), P(&SampleSetLoopPoints), P(&SampleGetLength), P(&SampleGetDefaults),
        P(&SampleGetMode), P(&PlaySound), P(&StopSound), P(&SetVolume), P(&SetPaused), P(&SetLoopMode),
        P(&IsPlaying), P(&StreamOpenFile), P(&StreamClose), P(&StreamPlay), P(&LoadSong), P(&PlaySong),
        P(&StopSong), P(&SetLooping), P(&SetOrder), P(&SongSetPaused), P(&SetMasterVolume), P(&SongIsPlaying),
    };
    FModLibrary library;
    for (size_t i = 0; i < kFModExportCount; ++i)
        library.Add(kFModExports[i].decorated, functions[i]);
    library.Add(kFModFreeSongExport.decorated, P(&FreeSong));
    library.Add(kFModFileCallbacksExport.decorated, P(&FileSetCallbacks));
    return library;
}

} // namespace

const FModLibrary& FModAudioLibrary()
{
    static const FModLibrary library = MakeLibrary();
    return library;
}

} // namespace Plat
