#include "platform/audio/FModLibrary.h"

#include "platform/audio/FModAudio.h"

namespace Plat {

namespace {
FModLibraryOverride gOverride;
}

const FModExport kFModExports[kFModExportCount] = {
    {"FSOUND_SetBufferSize", "_FSOUND_SetBufferSize@4"},
    {"FSOUND_SetHWND", "_FSOUND_SetHWND@4"},
    {"FSOUND_Init", "_FSOUND_Init@12"},
    {"FSOUND_Close", "_FSOUND_Close@0"},
    {"FSOUND_Sample_Load", "_FSOUND_Sample_Load@16"},
    {"FSOUND_Sample_Alloc", "_FSOUND_Sample_Alloc@28"},
    {"FSOUND_Sample_Free", "_FSOUND_Sample_Free@4"},
    {"FSOUND_Sample_Lock", "_FSOUND_Sample_Lock@28"},
    {"FSOUND_Sample_Unlock", "_FSOUND_Sample_Unlock@20"},
    {"FSOUND_Sample_SetLoopPoints", "_FSOUND_Sample_SetLoopPoints@12"},
    {"FSOUND_Sample_GetLength", "_FSOUND_Sample_GetLength@4"},
    {"FSOUND_Sample_GetDefaults", "_FSOUND_Sample_GetDefaults@20"},
    {"FSOUND_Sample_GetMode", "_FSOUND_Sample_GetMode@4"},
    {"FSOUND_PlaySound", "_FSOUND_PlaySound@8"},
    {"FSOUND_StopSound", "_FSOUND_StopSound@4"},
    {"FSOUND_SetVolume", "_FSOUND_SetVolume@8"},
    {"FSOUND_SetPaused", "_FSOUND_SetPaused@8"},
    {"FSOUND_SetLoopMode", "_FSOUND_SetLoopMode@8"},
    {"FSOUND_IsPlaying", "_FSOUND_IsPlaying@4"},
    {"FSOUND_Stream_OpenFile", "_FSOUND_Stream_OpenFile@12"},
    {"FSOUND_Stream_Close", "_FSOUND_Stream_Close@4"},
    {"FSOUND_Stream_Play", "_FSOUND_Stream_Play@8"},
    {"FMUSIC_LoadSong", "_FMUSIC_LoadSong@4"},
    {"FMUSIC_PlaySong", "_FMUSIC_PlaySong@4"},
    {"FMUSIC_StopSong", "_FMUSIC_StopSong@4"},
    {"FMUSIC_SetLooping", "_FMUSIC_SetLooping@8"},
    {"FMUSIC_SetOrder", "_FMUSIC_SetOrder@8"},
    {"FMUSIC_SetPaused", "_FMUSIC_SetPaused@8"},
    {"FMUSIC_SetMasterVolume", "_FMUSIC_SetMasterVolume@8"},
    {"FMUSIC_IsPlaying", "_FMUSIC_IsPlaying@4"},
};

const FModExport kFModFreeSongExport = {"FMUSIC_FreeSong", "_FMUSIC_FreeSong@4"};
const FModExport kFModFileCallbacksExport = {"FSOUND_File_SetCallbacks", "_FSOUND_File_SetCallbacks@20"};

const FModLibrary* LoadFModLibrary(const std::string& /*path*/)
{
    if (gOverride.active)
        return gOverride.library;
    return &FModAudioLibrary();
}

FModLibraryOverride SetFModLibrary(FModLibraryOverride library)
{
    const FModLibraryOverride previous = gOverride;
    gOverride = library;
    return previous;
}

} // namespace Plat
