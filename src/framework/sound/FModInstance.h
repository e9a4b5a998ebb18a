// The process's one handle on the FMOD library: every function fetched by
// its exported name, with a reference count shared by the sound manager and
// the FMOD music player.
#pragma once

#include <cstdint>
#include <string>

#include "platform/audio/FModLibrary.h"

namespace Lumo {

class FMOD_INSTANCE {
public:
    // Opens the library; a missing library leaves mModule null (the caller
    // ends the process), a missing function ends it here. The library is
    // told to read its files through the pak layer.
    explicit FMOD_INSTANCE(const std::string& path);
    ~FMOD_INSTANCE();
    FMOD_INSTANCE(const FMOD_INSTANCE&) = delete;
    FMOD_INSTANCE& operator=(const FMOD_INSTANCE&) = delete;

    const Plat::FModLibrary* mModule = nullptr;

    Plat::FSOUND_SetBufferSize_t FSOUND_SetBufferSize = nullptr;
    Plat::FSOUND_SetHWND_t FSOUND_SetHWND = nullptr;
    Plat::FSOUND_Init_t FSOUND_Init = nullptr;
    Plat::FSOUND_Close_t FSOUND_Close = nullptr;
    Plat::FSOUND_Sample_Load_t FSOUND_Sample_Load = nullptr;
    Plat::FSOUND_Sample_Alloc_t FSOUND_Sample_Alloc = nullptr;
    Plat::FSOUND_Sample_Free_t FSOUND_Sample_Free = nullptr;
    Plat::FSOUND_Sample_Lock_t FSOUND_Sample_Lock = nullptr;
    Plat::FSOUND_Sample_Unlock_t FSOUND_Sample_Unlock = nullptr;
    Plat::FSOUND_Sample_SetLoopPoints_t FSOUND_Sample_SetLoopPoints = nullptr;
    Plat::FSOUND_Sample_GetLength_t FSOUND_Sample_GetLength = nullptr;
    Plat::FSOUND_Sample_GetDefaults_t FSOUND_Sample_GetDefaults = nullptr;
    Plat::FSOUND_Sample_GetMode_t FSOUND_Sample_GetMode = nullptr;
    Plat::FSOUND_PlaySound_t FSOUND_PlaySound = nullptr;
    Plat::FSOUND_Channel_t FSOUND_StopSound = nullptr;
    Plat::FSOUND_SetVolume_t FSOUND_SetVolume = nullptr;
    Plat::FSOUND_SetPaused_t FSOUND_SetPaused = nullptr;
    Plat::FSOUND_SetLoopMode_t FSOUND_SetLoopMode = nullptr;
    Plat::FSOUND_Channel_t FSOUND_IsPlaying = nullptr;
    Plat::FSOUND_Stream_OpenFile_t FSOUND_Stream_OpenFile = nullptr;
    Plat::FSOUND_Stream_Close_t FSOUND_Stream_Close = nullptr;
    Plat::FSOUND_Stream_Play_t FSOUND_Stream_Play = nullptr;
    Plat::FMUSIC_LoadSong_t FMUSIC_LoadSong = nullptr;
    Plat::FMUSIC_Module_t FMUSIC_PlaySong = nullptr;
    Plat::FMUSIC_Module_t FMUSIC_StopSong = nullptr;
    Plat::FMUSIC_ModuleValue_t FMUSIC_SetLooping = nullptr;
    Plat::FMUSIC_ModuleValue_t FMUSIC_SetOrder = nullptr;
    Plat::FMUSIC_ModuleValue_t FMUSIC_SetPaused = nullptr;
    Plat::FMUSIC_ModuleValue_t FMUSIC_SetMasterVolume = nullptr;
    Plat::FMUSIC_Module_t FMUSIC_IsPlaying = nullptr;
    // Optional: null when the library cannot free a song.
    Plat::FMUSIC_Module_t FMUSIC_FreeSong = nullptr;

private:
    Plat::FSOUND_File_SetCallbacks_t mSetFileCallbacks = nullptr;
};

// A loaded sample's PCM layout as its mode, defaults and length tell it. The
// byte count is worked out in 64 bits, so no length can wrap it.
struct FModSampleFormat {
    unsigned mode = 0;
    unsigned channels = 2; // 1 when the mode says mono
    unsigned bits = 16;    // 8 when the mode says 8-bit
    int rate = 0;
    uint64_t frames = 0;

    uint64_t FrameBytes() const { return channels * bits / 8; }
    uint64_t DataBytes() const { return frames * FrameBytes(); }
};
FModSampleFormat GetFModSampleFormat(const FMOD_INSTANCE& fmod, Plat::FSoundSample* sample);

// Copies the sample's first `bytes` bytes to `out` through a lock. False,
// with `out` untouched, when the lock fails or hands out fewer bytes.
bool CopyFModSample(const FMOD_INSTANCE& fmod, Plat::FSoundSample* sample, void* out, uint32_t bytes);

// Takes a reference on the process's instance, creating it for "fmod.dll"
// on first use; a missing library ends the process.
FMOD_INSTANCE* GetFModInstance();
// Drops a reference; the last one deletes the instance.
void ReleaseFModInstance();
// The instance while someone holds a reference, else null; takes none.
FMOD_INSTANCE* PeekFModInstance();

} // namespace Lumo
