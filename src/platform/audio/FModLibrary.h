// Our stand-in for the FMOD library: a table of functions looked up by their
// exported (decorated) names, with the library's call shapes. The players
// fetch each function by name, so a library missing one can be told apart.
#pragma once

#include "platform/audio/AudioLibraryExports.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Plat {

class Window;

// Handles the library hands out; callers never look inside them.
struct FSoundSample;
struct FSoundStream;
struct FMusicModule;

using FModProc = AudioLibraryExports::Proc;

using FSOUND_SetBufferSize_t = int (*)(int milliseconds);
using FSOUND_SetHWND_t = int (*)(Window* window);
using FSOUND_Init_t = int (*)(int mixRate, int maxChannels, unsigned flags);
using FSOUND_Close_t = void (*)();
// Index -1 takes any free slot. Length is unused for files.
using FSOUND_Sample_Load_t = FSoundSample* (*)(int index, const char* name, unsigned mode, int length);
// Length in frames; volume 0-255, pan 0 (left) to 255 (right).
using FSOUND_Sample_Alloc_t = FSoundSample* (*)(int index, int length, unsigned mode, int frequency, int volume,
                                                int pan, int priority);
using FSOUND_Sample_Free_t = void (*)(FSoundSample* sample);
// Offset and length in bytes; the second part is for a range that wraps
// (never, with our samples: it comes back null and 0).
using FSOUND_Sample_Lock_t = int (*)(FSoundSample* sample, int offset, int length, void** part1, void** part2,
                                     unsigned* length1, unsigned* length2);
using FSOUND_Sample_Unlock_t = int (*)(FSoundSample* sample, void* part1, void* part2, unsigned length1,
                                       unsigned length2);
// In frames: the loop runs from `start` up to, not including, `end`.
using FSOUND_Sample_SetLoopPoints_t = int (*)(FSoundSample* sample, int start, int end);
// In frames.
using FSOUND_Sample_GetLength_t = unsigned (*)(FSoundSample* sample);
// Any of the outputs may be null.
using FSOUND_Sample_GetDefaults_t = int (*)(FSoundSample* sample, int* frequency, int* volume, int* pan,
                                            int* priority);
using FSOUND_Sample_GetMode_t = unsigned (*)(FSoundSample* sample);
// Channel -1 takes any free channel; the result is the channel, or -1.
using FSOUND_PlaySound_t = int (*)(int channel, FSoundSample* sample);
using FSOUND_Channel_t = int (*)(int channel); // StopSound, IsPlaying
// Volume 0-255.
using FSOUND_SetVolume_t = int (*)(int channel, int volume);
using FSOUND_SetPaused_t = int (*)(int channel, int paused);
using FSOUND_SetLoopMode_t = int (*)(int channel, unsigned mode);
using FSOUND_Stream_OpenFile_t = FSoundStream* (*)(const char* name, unsigned mode, int length);
using FSOUND_Stream_Close_t = int (*)(FSoundStream* stream);
using FSOUND_Stream_Play_t = int (*)(int channel, FSoundStream* stream);
using FMUSIC_LoadSong_t = FMusicModule* (*)(const char* name);
using FMUSIC_Module_t = int (*)(FMusicModule* module); // PlaySong, StopSong, IsPlaying, FreeSong
// SetLooping (a flag), SetOrder, SetPaused (a flag), SetMasterVolume (0-256).
using FMUSIC_ModuleValue_t = int (*)(FMusicModule* module, int value);

// Where the library reads its files from: open gives a handle (null when
// there is no such file); seek takes SEEK_SET, SEEK_CUR or SEEK_END and
// answers 0 when it moved.
using FModOpenCallback = void* (*)(const char* name);
using FModCloseCallback = void (*)(void* handle);
using FModReadCallback = int (*)(void* buffer, int size, void* handle);
using FModSeekCallback = int (*)(void* handle, int position, signed char mode);
using FModTellCallback = int (*)(void* handle);
// All five, or all null to read from the disk again.
using FSOUND_File_SetCallbacks_t = int (*)(FModOpenCallback open, FModCloseCallback close, FModReadCallback read,
                                           FModSeekCallback seek, FModTellCallback tell);

// Sample and channel mode bits.
constexpr unsigned kFSoundLoopOff = 0x01;
constexpr unsigned kFSoundLoopNormal = 0x02;
constexpr unsigned kFSound8Bits = 0x08;
constexpr unsigned kFSound16Bits = 0x10;
constexpr unsigned kFSoundMono = 0x20;
constexpr unsigned kFSoundStereo = 0x40;
constexpr int kFSoundFree = -1;

// One exported function: its plain name and the name it is exported under
// ("_" + name + "@" + argument bytes).
struct FModExport {
    const char* name;
    const char* decorated;
};

// The functions every user of the library needs, in the order they are
// fetched.
constexpr size_t kFModExportCount = 30;
extern const FModExport kFModExports[kFModExportCount];
// Exported too, but optional for callers: freeing a module and reading
// files through the program's own file layer.
extern const FModExport kFModFreeSongExport;
extern const FModExport kFModFileCallbacksExport;

// Functions are found by their decorated names.
class FModLibrary : public AudioLibraryExports {
public:
    using AudioLibraryExports::AudioLibraryExports;
};

// Opens the library at the path: the installed one when a test installed
// one (or none, when the test installed a missing library), else our own
// (FModAudio.h).
const FModLibrary* LoadFModLibrary(const std::string& path);

// What LoadFModLibrary gives in place of our own library.
struct FModLibraryOverride {
    bool active = false;                 // false: our own library
    const FModLibrary* library = nullptr; // null: no library at all
};
// Installs an override; returns the previous one.
FModLibraryOverride SetFModLibrary(FModLibraryOverride library);

} // namespace Plat
