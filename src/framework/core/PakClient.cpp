#include "framework/core/PakClient.h"

#include "framework/core/PakInterface.h"
#include "platform/files/FileSystem.h"

#include <cstdio>

namespace Lumo {

namespace {

constinit PakInterface* gPakInterface = nullptr;

} // namespace

PakInterface* GetPakInterface()
{
    return gPakInterface;
}

PakInterface* SetPakInterface(PakInterface* pak)
{
    PakInterface* previous = gPakInterface;
    gPakInterface = pak;
    return previous;
}

PakFile* PakOpen(const char* fileName, const char* mode)
{
    if (PakInterface* pak = GetPakInterface())
        return pak->FOpen(fileName, mode);
    if (fileName == nullptr || mode == nullptr)
        return nullptr;
    FILE* stream = Plat::GetFileSystem().OpenFile(fileName, mode);
    if (stream == nullptr)
        return nullptr;
    PakFile* file = new PakFile;
    file->stream = stream;
    return file;
}

int PakClose(PakFile* file)
{
    if (PakInterface* pak = GetPakInterface())
        return pak->FClose(file);
    if (file == nullptr)
        return EOF;
    const int result = file->stream != nullptr ? std::fclose(file->stream) : 0;
    delete file;
    return result;
}

int PakSeek(PakFile* file, long offset, int origin)
{
    if (PakInterface* pak = GetPakInterface())
        return pak->FSeek(file, offset, origin);
    if (file == nullptr || file->stream == nullptr)
        return -1;
    return std::fseek(file->stream, offset, origin);
}

long PakTell(PakFile* file)
{
    if (PakInterface* pak = GetPakInterface())
        return pak->FTell(file);
    if (file == nullptr || file->stream == nullptr)
        return -1;
    return std::ftell(file->stream);
}

size_t PakRead(void* buffer, size_t elementSize, size_t count, PakFile* file)
{
    if (PakInterface* pak = GetPakInterface())
        return pak->FRead(buffer, elementSize, count, file);
    if (file == nullptr || file->stream == nullptr)
        return 0;
    return std::fread(buffer, elementSize, count, file->stream);
}

int OggPakSeek(void* file, int64_t offset, int origin)
{
    if (file == nullptr)
        return -1;
    // The reader was built where long had 32 bits.
    return PakSeek(static_cast<PakFile*>(file), long(int32_t(uint32_t(offset))), origin);
}

namespace {

// The process's file layer. Built during static initialisation, before any
// reader runs; its constructor registers it. Kept in this file so that every
// program using the client functions links it.
PakInterface gProcessPakInterface;

} // namespace

} // namespace Lumo
