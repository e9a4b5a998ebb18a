// How readers open and read data files: through the process's registered
// file layer, or, when none is registered, straight through the C runtime.
#pragma once

#include <cstddef>
#include <cstdint>

class PakInterface;
struct PakFile;

namespace Lumo {

// The process's registered file layer, or null.
PakInterface* GetPakInterface();
// Registers a layer (null: none); returns the one registered before.
PakInterface* SetPakInterface(PakInterface* pak);

// fopen, fclose, fseek, ftell and fread over a PakFile.
PakFile* PakOpen(const char* fileName, const char* mode);
int PakClose(PakFile* file);
int PakSeek(PakFile* file, long offset, int origin);
long PakTell(PakFile* file);
size_t PakRead(void* buffer, size_t elementSize, size_t count, PakFile* file);

// Seek callback of the Ogg reader: -1 for no file, otherwise a seek by the
// offset's low 32 bits.
int OggPakSeek(void* file, int64_t offset, int origin);

} // namespace Lumo
