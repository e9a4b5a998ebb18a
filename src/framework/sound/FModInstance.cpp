#include "framework/sound/FModInstance.h"

#include <atomic>
#include <climits>
#include <cstring>

#include "framework/core/PakClient.h"
#include "platform/system/MessageBox.h"
#include "platform/system/ProcessControl.h"

namespace Lumo {

namespace {

FMOD_INSTANCE* gFModInstance = nullptr;
std::atomic<int> gFModInstanceCount{0};

constexpr uint32_t kErrorIcon = 0x10;
// A missing library leaves the program unable to go on: a failure exit, not
// a clean one.
constexpr int kMissingExitCode = 1;

[[noreturn]] void FailMissing(const std::string& text)
{
    Plat::GetMessageBoxes().Show(nullptr, text, std::string("Error"), kErrorIcon);
    Plat::ExitProcess(kMissingExitCode);
}

// The library's files come through the pak layer, so songs and samples
// inside an archive play as well as those on disk.
void* PakFileOpen(const char* name)
{
    return PakOpen(name, "rb");
}

void PakFileClose(void* handle)
{
    PakClose(static_cast<PakFile*>(handle));
}

int PakFileRead(void* buffer, int size, void* handle)
{
    if (size <= 0)
        return 0;
    return int(PakRead(buffer, 1, size_t(size), static_cast<PakFile*>(handle)));
}

int PakFileSeek(void* handle, int position, signed char mode)
{
    return PakSeek(static_cast<PakFile*>(handle), position, mode);
}

int PakFileTell(void* handle)
{
    return int(PakTell(static_cast<PakFile*>(handle)));
}

// Fetches the next required function of the table, in table order.
template <typename T>
void CheckFModFunction(const Plat::FModLibrary* module, size_t& next, T& field)
{
    const char* name = Plat::kFModExports[next++].decorated;
    field = reinterpret_cast<T>(module->Find(name));
    if (field == nullptr)
        FailMissing(std::string("\"") + name + "\" function not found in fmod.dll");
}

} // namespace

FMOD_INSTANCE::FMOD_INSTANCE(const std::string& path)
{
    mModule = Plat::LoadFModLibrary(path);
    if (mModule == nullptr)
        return;
    const Plat::FModLibrary* m = mModule;
    size_t next = 0;
    CheckFModFunction(m, next, FSOUND_SetBufferSize);
    CheckFModFunction(m, next, FSOUND_SetHWND);
    CheckFModFunction(m, next, FSOUND_Init);
    CheckFModFunction(m, next, FSOUND_Close);
    CheckFModFunction(m, next, FSOUND_Sample_Load);
    CheckFModFunction(m, next, FSOUND_Sample_Alloc);
    CheckFModFunction(m, next, FSOUND_Sample_Free);
    CheckFModFunction(m, next, FSOUND_Sample_Lock);
    CheckFModFunction(m, next, FSOUND_Sample_Unlock);
    CheckFModFunction(m, next, FSOUND_Sample_SetLoopPoints);
    CheckFModFunction(m, next, FSOUND_Sample_GetLength);
    CheckFModFunction(m, next, FSOUND_Sample_GetDefaults);
    CheckFModFunction(m, next, FSOUND_Sample_GetMode);
    CheckFModFunction(m, next, FSOUND_PlaySound);
    CheckFModFunction(m, next, FSOUND_StopSound);
    CheckFModFunction(m, next, FSOUND_SetVolume);
    CheckFModFunction(m, next, FSOUND_SetPaused);
    CheckFModFunction(m, next, FSOUND_SetLoopMode);
    CheckFModFunction(m, next, FSOUND_IsPlaying);
    CheckFModFunction(m, next, FSOUND_Stream_OpenFile);
    CheckFModFunction(m, next, FSOUND_Stream_Close);
    CheckFModFunction(m, next, FSOUND_Stream_Play);
    CheckFModFunction(m, next, FMUSIC_LoadSong);
    CheckFModFunction(m, next, FMUSIC_PlaySong);
    CheckFModFunction(m, next, FMUSIC_StopSong);
    CheckFModFunction(m, next, FMUSIC_SetLooping);
    CheckFModFunction(m, next, FMUSIC_SetOrder);
    CheckFModFunction(m, next, FMUSIC_SetPaused);
    CheckFModFunction(m, next, FMUSIC_SetMasterVolume);
    CheckFModFunction(m, next, FMUSIC_IsPlaying);

    FMUSIC_FreeSong = reinterpret_cast<Plat::FMUSIC_Module_t>(m->Find(Plat::kFModFreeSongExport.decorated));
    mSetFileCallbacks =
        reinterpret_cast<Plat::FSOUND_File_SetCallbacks_t>(m->Find(Plat::kFModFileCallbacksExport.decorated));
    if (mSetFileCallbacks != nullptr)
        mSetFileCallbacks(&PakFileOpen, &PakFileClose, &PakFileRead, &PakFileSeek, &PakFileTell);
}

FMOD_INSTANCE::~FMOD_INSTANCE()
{
    if (mSetFileCallbacks != nullptr)
        mSetFileCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
}

FMOD_INSTANCE* GetFModInstance()
{
    if (gFModInstance == nullptr) {
        gFModInstance = new FMOD_INSTANCE("fmod.dll");
        if (gFModInstance->mModule == nullptr) {
            delete gFModInstance;
            gFModInstance = nullptr;
            gFModInstanceCount = 0;
            FailMissing("Can't find fmod.dll.");
        }
    }
    ++gFModInstanceCount;
    return gFModInstance;
}

void ReleaseFModInstance()
{
    if (gFModInstance == nullptr)
        return;
    if (--gFModInstanceCount <= 0) {
        delete gFModInstance;
        gFModInstance = nullptr;
    }
}

FModSampleFormat GetFModSampleFormat(const FMOD_INSTANCE& fmod, Plat::FSoundSample* sample)
{
    FModSampleFormat format;
    format.mode = fmod.FSOUND_Sample_GetMode(sample);
    fmod.FSOUND_Sample_GetDefaults(sample, &format.rate, nullptr, nullptr, nullptr);
    format.channels = (format.mode & Plat::kFSoundMono) != 0 ? 1 : 2;
    format.bits = (format.mode & Plat::kFSound8Bits) != 0 ? 8 : 16;
    format.frames = fmod.FSOUND_Sample_GetLength(sample);
    return format;
}

bool CopyFModSample(const FMOD_INSTANCE& fmod, Plat::FSoundSample* sample, void* out, uint32_t bytes)
{
    if (bytes > uint32_t(INT_MAX))
        return false;
    void* part[2] = {nullptr, nullptr};
    unsigned partBytes[2] = {0, 0};
    if (fmod.FSOUND_Sample_Lock(sample, 0, int(bytes), &part[0], &part[1], &partBytes[0], &partBytes[1]) == 0)
        return false;
    const bool complete = part[0] != nullptr && partBytes[0] >= bytes;
    if (complete)
        std::memcpy(out, part[0], bytes);
    fmod.FSOUND_Sample_Unlock(sample, part[0], part[1], partBytes[0], partBytes[1]);
    return complete;
}

FMOD_INSTANCE* PeekFModInstance()
{
    return gFModInstance;
}

} // namespace Lumo
