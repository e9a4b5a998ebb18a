// Our stand-in for the BASS audio library: a table of functions looked up by
// name, with the library's call shapes. Players fetch each function by name
// so that a library missing one can be told apart (and tested).
#pragma once

#include "platform/audio/AudioLibraryExports.h"

#include <cstdint>
#include <string>

namespace Plat {

class Window;

using BassProc = AudioLibraryExports::Proc;

using BASS_GetVersion_t = uint32_t (*)();
using BASS_Init_Old_t = int (*)(int device, uint32_t frequency, uint32_t flags, Window* window);
using BASS_Init_New_t = int (*)(int device, uint32_t frequency, uint32_t flags, Window* window, const void* clsid);
using BASS_Void_t = int (*)();
using BASS_SetGlobalVolumes_t = int (*)(int music, int sample, int stream);
using BASS_SetVolume_t = int (*)(uint32_t volume);
using BASS_GetVolume_t = int (*)();
using BASS_SetConfig_t = uint32_t (*)(uint32_t option, uint32_t value);
using BASS_GetConfig_t = uint32_t (*)(uint32_t option);
using BASS_Channel_t = int (*)(uint32_t handle);
using BASS_ChannelPlay_t = int (*)(uint32_t handle, int restart);
using BASS_ChannelSetAttributes_t = int (*)(uint32_t handle, int frequency, int volume, int pan);
using BASS_ChannelGetAttributes_t = int (*)(uint32_t handle, uint32_t* frequency, uint32_t* volume, int* pan);
using BASS_ChannelSetPosition_t = int (*)(uint32_t handle, uint64_t position);
using BASS_ChannelGetPosition_t = uint64_t (*)(uint32_t handle);
using BASS_ChannelSetFlags_t = int (*)(uint32_t handle, uint32_t flags);
using BASS_ChannelIsActive_t = uint32_t (*)(uint32_t handle);
using BASS_MusicLoad_Old_t = uint32_t (*)(int memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
using BASS_MusicLoad_New_t = uint32_t (*)(int memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags, uint32_t frequency);
using BASS_Free_Handle_t = void (*)(uint32_t handle);
using BASS_StreamCreateFile_t = uint32_t (*)(int memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
using BASS_MusicGetAttribute_t = uint32_t (*)(uint32_t handle, uint32_t attribute);
using BASS_MusicSetAttribute_t = int (*)(uint32_t handle, uint32_t attribute, uint32_t value);
using BASS_ErrorGetCode_t = int (*)();
using BASS_SampleLoad_t = uint32_t (*)(int memory, const void* file, uint32_t offset, uint32_t length, uint32_t max,
                                       uint32_t flags);
using BASS_SampleGetChannel_t = uint32_t (*)(uint32_t sample, int onlyNew);
using BASS_MusicGetOrders_t = uint32_t (*)(uint32_t handle);
// Low word the order, high word the row.
using BASS_MusicGetOrderPosition_t = uint32_t (*)(uint32_t handle);
using BASS_ChannelGetLength_t = uint64_t (*)(uint32_t handle);

// What BASS_SampleGetInfo and BASS_SampleSetInfo carry. Set takes the
// frequency, volume, pan, flags (loop only) and max.
struct BassSampleInfo {
    uint32_t frequency = 0; // samples per second played at
    uint32_t volume = 100;  // 0 to 100
    int32_t pan = 0;        // -100 (left) to 100 (right)
    uint32_t flags = 0;
    uint32_t length = 0; // bytes of 16-bit PCM
    uint32_t max = 1;    // channels that may play it at once
    uint32_t channels = 1;
};
using BASS_SampleInfo_t = int (*)(uint32_t sample, BassSampleInfo* info);

// What BASS_GetInfo reports of the output.
struct BassInfo {
    uint32_t frequency = 0; // output rate
    uint32_t speakers = 2;
    uint32_t latency = 0;   // milliseconds
    uint32_t minBuffer = 0; // milliseconds
};
using BASS_GetInfo_t = int (*)(BassInfo* info);

// Loading and playing flags.
constexpr uint32_t kBassSampleLoop = 4;       // loop a sample, stream or module
constexpr uint32_t kBassMusicRamp = 0x200;    // short volume ramps at note starts and ends
constexpr uint32_t kBassMusicPosReset = 0x8000; // stop every note when the position is set
// A module position given as an order (low word) and a row (bits 16-30).
constexpr uint64_t kBassMusicOrderPosition = 0x80000000;

// Options of BASS_SetConfig / BASS_GetConfig.
constexpr uint32_t kBassConfigBuffer = 0;
constexpr uint32_t kBassConfigGlobalSampleVolume = 4;
constexpr uint32_t kBassConfigGlobalStreamVolume = 5;
constexpr uint32_t kBassConfigGlobalMusicVolume = 6;

// BASS_MusicGetAttribute / BASS_MusicSetAttribute: amplification, 0 to 100
// (50 plays the module as composed).
constexpr uint32_t kBassMusicAmplify = 0;

// BASS_ErrorGetCode answers.
constexpr int kBassOk = 0;
constexpr int kBassErrorMemory = 1;
constexpr int kBassErrorFileOpen = 2;
constexpr int kBassErrorHandle = 5;
constexpr int kBassErrorFormat = 6;
constexpr int kBassErrorPosition = 7;
constexpr int kBassErrorInit = 8;
constexpr int kBassErrorAlready = 14;
constexpr int kBassErrorNoChannel = 18;
constexpr int kBassErrorIllegalType = 19;
constexpr int kBassErrorIllegalParameter = 20;
constexpr int kBassErrorDevice = 23;
constexpr int kBassErrorNotPlaying = 24;
constexpr int kBassErrorNoEffects = 34;
constexpr int kBassErrorNotAvailable = 37;
constexpr int kBassErrorFileForm = 41;

// MusicLoad and StreamCreateFile with memory set read `length` bytes at
// `file` and keep their own copy (the caller may free its block at once).

// BASS_ChannelIsActive answers.
constexpr uint32_t kBassActiveStopped = 0;
constexpr uint32_t kBassActivePlaying = 1;
constexpr uint32_t kBassActivePaused = 3;

class BassLibrary : public AudioLibraryExports {
public:
    using AudioLibraryExports::AudioLibraryExports;
};

// Opens the library at the path: the installed one when a test installed
// one, else our own (BassAudio.h). Null once null was installed (no library:
// the caller reports it missing).
const BassLibrary* LoadBassLibrary(const std::string& path);
// Installs the library LoadBassLibrary gives (null: none); returns the
// previous one, our own when nothing was installed, so that putting it back
// restores the default.
const BassLibrary* SetBassLibrary(const BassLibrary* library);

} // namespace Plat
