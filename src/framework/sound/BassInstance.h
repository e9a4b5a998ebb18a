// The process's one handle on the BASS library: every function fetched by
// name, with a reference count shared by the players that use it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/audio/BassLibrary.h"

namespace Lumo {

class BASS_INSTANCE {
public:
    // Opens the library; a missing library leaves mModule null (the caller
    // ends the process), a missing required function ends it here.
    explicit BASS_INSTANCE(const std::string& path);
    ~BASS_INSTANCE();
    BASS_INSTANCE(const BASS_INSTANCE&) = delete;
    BASS_INSTANCE& operator=(const BASS_INSTANCE&) = delete;

    // Stops the module and restarts it from the order with the flags.
    void PlayFromOrder(uint32_t music, int order, uint32_t flags);

    const Plat::BassLibrary* mModule = nullptr;
    bool mVersion2 = false; // the newer interface (BASS_SetConfig found)

    Plat::BASS_GetVersion_t BASS_GetVersion = nullptr;
    Plat::BASS_Init_Old_t BASS_Init = nullptr;
    Plat::BASS_Init_New_t BASS_Init2 = nullptr;
    Plat::BASS_Void_t BASS_Free = nullptr;
    Plat::BASS_Void_t BASS_Stop = nullptr;
    Plat::BASS_Void_t BASS_Start = nullptr;
    Plat::BASS_SetGlobalVolumes_t BASS_SetGlobalVolumes = nullptr;
    Plat::BASS_SetVolume_t BASS_SetVolume = nullptr;
    Plat::BASS_GetVolume_t BASS_GetVolume = nullptr;
    Plat::BassProc BASS_GetInfo = nullptr;
    Plat::BASS_SetConfig_t BASS_SetConfig = nullptr;
    Plat::BASS_GetConfig_t BASS_GetConfig = nullptr;
    Plat::BASS_Channel_t BASS_ChannelStop = nullptr;
    Plat::BASS_ChannelPlay_t BASS_ChannelPlay = nullptr;
    Plat::BASS_Channel_t BASS_ChannelPause = nullptr;
    Plat::BASS_ChannelSetAttributes_t BASS_ChannelSetAttributes = nullptr;
    Plat::BASS_ChannelGetAttributes_t BASS_ChannelGetAttributes = nullptr;
    Plat::BASS_ChannelSetPosition_t BASS_ChannelSetPosition = nullptr;
    Plat::BASS_ChannelGetPosition_t BASS_ChannelGetPosition = nullptr;
    Plat::BASS_ChannelSetFlags_t BASS_ChannelSetFlags = nullptr;
    Plat::BASS_ChannelIsActive_t BASS_ChannelIsActive = nullptr;
    Plat::BassProc BASS_ChannelSlideAttributes = nullptr;
    Plat::BassProc BASS_ChannelIsSliding = nullptr;
    Plat::BassProc BASS_ChannelGetLevel = nullptr;
    Plat::BassProc BASS_ChannelSetFX = nullptr;
    Plat::BassProc BASS_ChannelRemoveFX = nullptr;
    Plat::BassProc BASS_ChannelGetLength = nullptr;
    Plat::BassProc BASS_ChannelGetData = nullptr;
    Plat::BassProc BASS_ChannelPreBuf = nullptr;
    Plat::BassProc BASS_ChannelSetSync = nullptr;
    Plat::BassProc BASS_ChannelRemoveSync = nullptr;
    Plat::BASS_MusicLoad_Old_t BASS_MusicLoad = nullptr;
    Plat::BASS_MusicLoad_New_t BASS_MusicLoad2 = nullptr;
    Plat::BASS_Free_Handle_t BASS_MusicFree = nullptr;
    Plat::BASS_StreamCreateFile_t BASS_StreamCreateFile = nullptr;
    Plat::BASS_Free_Handle_t BASS_StreamFree = nullptr;
    Plat::BassProc BASS_FXSetParameters = nullptr;
    Plat::BassProc BASS_FXGetParameters = nullptr;
    Plat::BASS_MusicGetAttribute_t BASS_MusicGetAttribute = nullptr;
    Plat::BASS_MusicSetAttribute_t BASS_MusicSetAttribute = nullptr;
    Plat::BassProc BASS_MusicGetOrders = nullptr;
    Plat::BassProc BASS_MusicGetOrderPosition = nullptr;
    Plat::BassProc BASS_PluginLoad = nullptr;
    Plat::BassProc BASS_SampleLoad = nullptr;
    Plat::BassProc BASS_SampleFree = nullptr;
    Plat::BassProc BASS_SampleSetInfo = nullptr;
    Plat::BassProc BASS_SampleGetInfo = nullptr;
    Plat::BassProc BASS_SampleGetChannel = nullptr;
    Plat::BassProc BASS_SampleStop = nullptr;
    Plat::BASS_ErrorGetCode_t BASS_ErrorGetCode = nullptr;
};

// Takes a reference on the process's instance, creating it on first use;
// a missing library ends the process.
BASS_INSTANCE* GetBassInstance();
// Drops a reference; the last one deletes the instance.
void ReleaseBassInstance();

} // namespace Lumo
