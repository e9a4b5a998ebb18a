#include "support/FakeFModLibrary.h"

#include <cstdarg>
#include <cstdio>

namespace LumoTest {

namespace {

FakeFModLibrary* gFake = nullptr;

void Log(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    gFake->calls.push_back(text);
}

Plat::FSoundSample* Handle(FakeFModLibrary::Sample* sample)
{
    return reinterpret_cast<Plat::FSoundSample*>(sample);
}

const char* NameOf(Plat::FSoundSample* sample)
{
    const FakeFModLibrary::Sample* found = gFake->Find(sample);
    return found != nullptr ? found->name.c_str() : "?";
}

unsigned FrameBytes(unsigned mode)
{
    return ((mode & Plat::kFSoundMono) != 0 ? 1u : 2u) * ((mode & Plat::kFSound8Bits) != 0 ? 1u : 2u);
}

int SetBufferSize(int ms) { Log("SetBufferSize %d", ms); return 1; }
int SetHWND(Plat::Window* window) { Log("SetHWND %s", window != nullptr ? "window" : "null"); return 1; }
int Init(int rate, int channels, unsigned flags) { Log("Init %d %d %u", rate, channels, flags); return 1; }
void Close() { Log("Close"); }

Plat::FSoundSample* SampleLoad(int index, const char* name, unsigned mode, int length)
{
    Log("Load %d %s %u %d", index, name, mode, length);
    const auto it = gFake->sampleFiles.find(name);
    if (it == gFake->sampleFiles.end())
        return nullptr;
    gFake->samples.push_back(std::make_unique<FakeFModLibrary::Sample>(it->second));
    return Handle(gFake->samples.back().get());
}

Plat::FSoundSample* SampleAlloc(int index, int length, unsigned mode, int rate, int volume, int pan, int priority)
{
    Log("Alloc %d %d 0x%x %d %d %d %d", index, length, mode, rate, volume, pan, priority);
    auto sample = std::make_unique<FakeFModLibrary::Sample>();
    sample->name = "joined";
    sample->rate = rate;
    sample->mode = mode;
    sample->frames = unsigned(length);
    sample->bytes.assign(size_t(length) * FrameBytes(mode), 0);
    sample->lockFails = gFake->allocLockFails;
    gFake->samples.push_back(std::move(sample));
    return Handle(gFake->samples.back().get());
}

void SampleFree(Plat::FSoundSample* sample)
{
    Log("Free %s", NameOf(sample));
    if (FakeFModLibrary::Sample* found = gFake->Find(sample))
        found->freed = true;
}

int SampleLock(Plat::FSoundSample* sample, int offset, int length, void** part1, void** part2, unsigned* length1,
               unsigned* length2)
{
    Log("Lock %s %d %d", NameOf(sample), offset, length);
    FakeFModLibrary::Sample* found = gFake->Find(sample);
    *part1 = nullptr;
    *part2 = nullptr;
    *length1 = 0;
    *length2 = 0;
    if (found == nullptr || found->lockFails || offset < 0 || length <= 0 ||
        size_t(offset) + size_t(length) > found->bytes.size())
        return 0;
    *part1 = found->bytes.data() + offset;
    *length1 = unsigned(length);
    return 1;
}

int SampleUnlock(Plat::FSoundSample* sample, void*, void*, unsigned length1, unsigned length2)
{
    Log("Unlock %s %u %u", NameOf(sample), length1, length2);
    return 1;
}

int SetLoopPoints(Plat::FSoundSample* sample, int start, int end)
{
    Log("LoopPoints %s %d %d", NameOf(sample), start, end);
    if (FakeFModLibrary::Sample* found = gFake->Find(sample)) {
        found->loopStart = start;
        found->loopEnd = end;
    }
    return 1;
}

unsigned GetLength(Plat::FSoundSample* sample)
{
    const FakeFModLibrary::Sample* found = gFake->Find(sample);
    return found != nullptr ? found->frames : 0;
}

int GetDefaults(Plat::FSoundSample* sample, int* rate, int* volume, int* pan, int* priority)
{
    const FakeFModLibrary::Sample* found = gFake->Find(sample);
    if (found == nullptr)
        return 0;
    if (rate != nullptr)
        *rate = found->rate;
    if (volume != nullptr)
        *volume = 255;
    if (pan != nullptr)
        *pan = 128;
    if (priority != nullptr)
        *priority = 0;
    return 1;
}

unsigned GetMode(Plat::FSoundSample* sample)
{
    const FakeFModLibrary::Sample* found = gFake->Find(sample);
    return found != nullptr ? found->mode : 0;
}

int PlaySound(int channel, Plat::FSoundSample* sample) { Log("PlaySound %d %s", channel, NameOf(sample)); return channel; }
int StopSound(int channel) { Log("StopSound %d", channel); return 1; }
int SetVolume(int channel, int volume) { Log("SetVolume %d %d", channel, volume); return 1; }
int SetPaused(int channel, int paused) { Log("SetPaused %d %d", channel, paused); return 1; }
int SetLoopMode(int channel, unsigned mode) { Log("SetLoopMode %d %u", channel, mode); return 1; }
int IsPlaying(int channel) { return gFake->playingChannels.count(channel) != 0 ? 1 : 0; }
Plat::FSoundStream* StreamOpen(const char* name, unsigned, int) { Log("StreamOpen %s", name); return nullptr; }
int StreamClose(Plat::FSoundStream*) { return 0; }
int StreamPlay(int, Plat::FSoundStream*) { return -1; }

uintptr_t SongNumber(Plat::FMusicModule* module)
{
    return reinterpret_cast<uintptr_t>(module);
}

Plat::FMusicModule* LoadSong(const char* name)
{
    Log("LoadSong %s", name);
    if (gFake->songFiles.count(name) == 0)
        return nullptr;
    return reinterpret_cast<Plat::FMusicModule*>(gFake->nextSong++);
}

int PlaySong(Plat::FMusicModule* m) { Log("PlaySong %zu", SongNumber(m)); return 1; }
int StopSong(Plat::FMusicModule* m) { Log("StopSong %zu", SongNumber(m)); return 1; }
int FreeSong(Plat::FMusicModule* m) { Log("FreeSong %zu", SongNumber(m)); return 1; }
int SongIsPlaying(Plat::FMusicModule* m) { return gFake->playingSongs.count(SongNumber(m)) != 0 ? 1 : 0; }
int SetLooping(Plat::FMusicModule* m, int v) { Log("SetLooping %zu %d", SongNumber(m), v); return 1; }
int SetOrder(Plat::FMusicModule* m, int v) { Log("SetOrder %zu %d", SongNumber(m), v); return 1; }
int SongPaused(Plat::FMusicModule* m, int v) { Log("SongPaused %zu %d", SongNumber(m), v); return 1; }
int MasterVolume(Plat::FMusicModule* m, int v) { Log("MasterVolume %zu %d", SongNumber(m), v); return 1; }

template <typename T>
Plat::FModProc P(T function)
{
    return reinterpret_cast<Plat::FModProc>(function);
}

} // namespace

FakeFModLibrary::FakeFModLibrary()
{
    const Plat::FModProc functions[Plat::kFModExportCount] = {
        P(&SetBufferSize), P(&SetHWND), P(&Init), P(&Close), P(&SampleLoad), P(&SampleAlloc), P(&SampleFree),
        P(&SampleLock), P(&SampleUnlock), P(&SetLoopPoints), P(&GetLength), P(&GetDefaults), P(&GetMode),
        P(&PlaySound), P(&StopSound), P(&SetVolume), P(&SetPaused), P(&SetLoopMode), P(&IsPlaying),
        P(&StreamOpen), P(&StreamClose), P(&StreamPlay), P(&LoadSong), P(&PlaySong), P(&StopSong),
        P(&SetLooping), P(&SetOrder), P(&SongPaused), P(&MasterVolume), P(&SongIsPlaying),
    };
    for (size_t i = 0; i < Plat::kFModExportCount; ++i)
        library.Add(Plat::kFModExports[i].decorated, functions[i]);
    library.Add(Plat::kFModFreeSongExport.decorated, P(&FreeSong));
    mPreviousFake = gFake;
    gFake = this;
    mPrevious = Plat::SetFModLibrary({true, &library});
}

FakeFModLibrary::~FakeFModLibrary()
{
    Plat::SetFModLibrary(mPrevious);
    gFake = mPreviousFake;
}

void FakeFModLibrary::AddSampleFile(const std::string& name, int rate, unsigned mode, unsigned frames, uint8_t seed,
                                    bool lockFails)
{
    Sample sample;
    sample.name = name;
    sample.rate = rate;
    sample.mode = mode;
    sample.frames = frames;
    sample.bytes.resize(size_t(frames) * FrameBytes(mode));
    for (size_t i = 0; i < sample.bytes.size(); ++i)
        sample.bytes[i] = uint8_t(i % 251 + seed);
    sample.lockFails = lockFails;
    sampleFiles[name] = sample;
}

FakeFModLibrary::Sample* FakeFModLibrary::Find(Plat::FSoundSample* sample)
{
    for (const std::unique_ptr<Sample>& made : samples)
        if (Handle(made.get()) == sample)
            return made.get();
    return nullptr;
}

std::vector<const FakeFModLibrary::Sample*> FakeFModLibrary::LiveSamples() const
{
    std::vector<const Sample*> out;
    for (const std::unique_ptr<Sample>& made : samples)
        if (!made->freed)
            out.push_back(made.get());
    return out;
}

std::vector<std::string> FakeFModLibrary::TakeCalls()
{
    std::vector<std::string> out;
    out.swap(calls);
    return out;
}

} // namespace LumoTest
