// Our stand-in for the BASS audio library: a table of functions looked up by
// name, with the library's call shapes. Players fetch each function by name
// so that a library missing one can be told apart (and tested).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Plat {

class Window;

// The generic shape functions are stored under; each is cast back to its
// own shape by the caller that fetched it by name.
using BassProc = void (*)();

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

// MusicLoad and StreamCreateFile with memory set read `length` bytes at
// `file` and keep their own copy (the caller may free its block at once).

// BASS_ChannelIsActive answers.
constexpr uint32_t kBassActiveStopped = 0;
constexpr uint32_t kBassActivePlaying = 1;
constexpr uint32_t kBassActivePaused = 3;

class BassLibrary {
public:
    BassLibrary() = default;
    explicit BassLibrary(std::vector<std::pair<std::string, BassProc>> functions);

    void Add(const std::string& name, BassProc function);
    void Remove(const std::string& name);
    // Null when the library has no function of that name.
    BassProc Find(const std::string& name) const;

private:
    std::vector<std::pair<std::string, BassProc>> mFunctions;
};

// Opens the library at the path: the installed one when a test installed
// one, else null (no library: the caller reports it missing).
const BassLibrary* LoadBassLibrary(const std::string& path);
// Installs the library LoadBassLibrary gives (null: none); returns the previous.
const BassLibrary* SetBassLibrary(const BassLibrary* library);

} // namespace Plat
