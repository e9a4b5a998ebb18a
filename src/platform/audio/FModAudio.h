// Our own FMOD library: samples, numbered channels, streams and tracker
// songs, played on the process's one mixer (AudioOutput.h) and decoded by
// the shared decoders (AudioDecoder.h). Reached only through its table of
// exported functions, as a program reaches the library it stands in for.
#pragma once

#include "platform/audio/FModLibrary.h"

namespace Plat {

// The table of every function the library exports, under its decorated name.
//
// What this library does where callers cannot see it:
// - FSOUND_Init holds the process's sound output until FSOUND_Close, which
//   also stops every channel and frees every sample, stream and song.
// - Sample and stream files are WAV, Ogg Vorbis or MP3, decoded to 16-bit;
//   songs are anything the module player takes. Files are read whole, through
//   the callbacks of FSOUND_File_SetCallbacks when set, else from the disk.
// - Handles are checked on every call: a freed or unknown one does nothing.
// - 8-bit sample data is unsigned; loop points are frames, end excluded.
// - A paused channel or song still counts as playing.
const FModLibrary& FModAudioLibrary();

} // namespace Plat
