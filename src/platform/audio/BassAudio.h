// Our own BASS library: the functions its callers use, with their call shapes
// (BassLibrary.h), over the process's mixer and sound output. Modules play
// through libopenmpt, streams and samples through our decoders (WAV, Ogg
// Vorbis, MP3). Each function sets the thread's error code (BASS_ErrorGetCode)
// and answers 0 / FALSE on failure.
#pragma once

#include "platform/audio/BassLibrary.h"

#include <cstdint>

namespace Plat {

class AudioMixer;
class Window;

// Every function below under its own name; what LoadBassLibrary gives when no
// other library was installed.
const BassLibrary& OwnBassLibrary();

// ---- The output
// Device -1 is the default output and 1 the only real device; device 0 plays
// nothing but keeps every handle working. Init fails (kBassErrorDevice) when
// no output opens, and with kBassErrorAlready when it is started already.
// The rate asked for is not used: the mixer always runs at 44.1 kHz.
int BASS_Init(int device, uint32_t frequency, uint32_t flags, Window* window, const void* clsid);
// Stops and frees every handle and lets the output go.
int BASS_Free();
// Start resumes the output after Pause (channels keep their state) or Stop
// (which stopped every channel).
int BASS_Start();
int BASS_Stop();
int BASS_Pause();
uint32_t BASS_GetVersion();
int BASS_GetInfo(BassInfo* info);
// The process's wave-output volume, 0 to 100.
int BASS_SetVolume(uint32_t volume);
int BASS_GetVolume();
// Global volumes of modules, samples and streams, 0 to 100; -1 leaves one as
// it is.
int BASS_SetGlobalVolumes(int music, int sample, int stream);
// Stores any option below 64; the global volumes (4, 5, 6) apply at once.
// Answers 1, or 0xFFFFFFFF for an unknown option.
uint32_t BASS_SetConfig(uint32_t option, uint32_t value);
uint32_t BASS_GetConfig(uint32_t option);
int BASS_ErrorGetCode();

// ---- Channels: modules, streams and the channels of samples
int BASS_ChannelPlay(uint32_t handle, int restart);
int BASS_ChannelStop(uint32_t handle);
int BASS_ChannelPause(uint32_t handle);
// kBassActiveStopped, kBassActivePlaying or kBassActivePaused.
uint32_t BASS_ChannelIsActive(uint32_t handle);
// Frequency -1 (unchanged), 0 (the sound's own) or 100 to 192000 (not applied
// to modules and streams); volume -1 or 0 to 100; pan -101 or -100 to 100.
int BASS_ChannelSetAttributes(uint32_t handle, int frequency, int volume, int pan);
int BASS_ChannelGetAttributes(uint32_t handle, uint32_t* frequency, uint32_t* volume, int* pan);
// Applies the attributes at once; nothing ever slides.
int BASS_ChannelSlideAttributes(uint32_t handle, int frequency, int volume, int pan, uint32_t time);
uint32_t BASS_ChannelIsSliding(uint32_t handle);
// A module takes an order position (kBassMusicOrderPosition) or 0; streams
// and sample channels take bytes of their 16-bit PCM.
int BASS_ChannelSetPosition(uint32_t handle, uint64_t position);
uint64_t BASS_ChannelGetPosition(uint32_t handle);
uint64_t BASS_ChannelGetLength(uint32_t handle);
// Only the loop flag changes anything.
int BASS_ChannelSetFlags(uint32_t handle, uint32_t flags);
int BASS_ChannelPreBuf(uint32_t handle);
// Not available here (levels, sample data, effects, syncs, plug-ins): each
// fails with kBassErrorNotAvailable or kBassErrorNoEffects.
uint32_t BASS_ChannelGetLevel(uint32_t handle);
uint32_t BASS_ChannelGetData(uint32_t handle, void* buffer, uint32_t length);
uint32_t BASS_ChannelSetFX(uint32_t handle, uint32_t type, int priority);
int BASS_ChannelRemoveFX(uint32_t handle, uint32_t fx);
int BASS_FXSetParameters(uint32_t fx, const void* parameters);
int BASS_FXGetParameters(uint32_t fx, void* parameters);
uint32_t BASS_ChannelSetSync(uint32_t handle, uint32_t type, uint64_t parameter, void* procedure, uint32_t user);
int BASS_ChannelRemoveSync(uint32_t handle, uint32_t sync);
uint32_t BASS_PluginLoad(const char* file, uint32_t flags);

// ---- Modules
// From memory (`length` bytes at file + offset, copied) or from the file
// named (from `offset`, `length` bytes or to the end when 0). Flags: loop,
// ramp. The frequency is not used.
uint32_t BASS_MusicLoad(int memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags,
                        uint32_t frequency);
void BASS_MusicFree(uint32_t handle);
uint32_t BASS_MusicGetOrders(uint32_t handle);
uint32_t BASS_MusicGetOrderPosition(uint32_t handle);
// Only kBassMusicAmplify; 0xFFFFFFFF for others.
uint32_t BASS_MusicGetAttribute(uint32_t handle, uint32_t attribute);
int BASS_MusicSetAttribute(uint32_t handle, uint32_t attribute, uint32_t value);

// ---- Streams (WAV, Ogg Vorbis, MP3), read like modules.
uint32_t BASS_StreamCreateFile(int memory, const void* file, uint32_t offset, uint32_t length, uint32_t flags);
void BASS_StreamFree(uint32_t handle);

// ---- Samples: a sound decoded whole, played by up to `max` channels at once.
// Tracker modules are taken too: one pass of the song is rendered at the
// output rate, exactly its duration long, and BASS_SAMPLE_LOOP loops that pass.
uint32_t BASS_SampleLoad(int memory, const void* file, uint32_t offset, uint32_t length, uint32_t max,
                         uint32_t flags);
int BASS_SampleFree(uint32_t handle);
// A channel for the sample: a new one while fewer than its max exist, else
// one that stopped, else (unless onlyNew) the one started longest ago.
// A channel handed out again gets a new handle; the old one is stale.
uint32_t BASS_SampleGetChannel(uint32_t handle, int onlyNew);
int BASS_SampleGetInfo(uint32_t handle, BassSampleInfo* info);
int BASS_SampleSetInfo(uint32_t handle, BassSampleInfo* info);
int BASS_SampleStop(uint32_t handle);

} // namespace Plat
