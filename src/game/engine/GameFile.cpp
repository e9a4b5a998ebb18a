#include "game/engine/GameFile.h"

#include "framework/core/AppDataFolder.h"
#include "framework/core/PakClient.h"
#include "framework/core/PathUtils.h"
#include "platform/files/FileSystem.h"

#include <cstdio>

PakFile* GameFOpen(const char* path, const char* mode)
{
    return Lumo::PakOpen(path, mode);
}

int GameFClose(PakFile* file)
{
    return Lumo::PakClose(file);
}

int GameFSeek(PakFile* file, long offset, int origin)
{
    return Lumo::PakSeek(file, offset, origin);
}

long GameFTell(PakFile* file)
{
    return Lumo::PakTell(file);
}

size_t GameFRead(void* buffer, size_t elementSize, size_t count, PakFile* file)
{
    return Lumo::PakRead(buffer, elementSize, count, file);
}

std::unique_ptr<char[]> ReadWholeFile(const char* path, size_t& size)
{
    size = 0;
    if (path == nullptr)
        return nullptr;
    PakFile* file = GameFOpen(path, "rb");
    if (file == nullptr)
        return nullptr;
    std::unique_ptr<char[]> text;
    long length = -1;
    if (GameFSeek(file, 0, SEEK_END) == 0)
        length = GameFTell(file);
    if (length > 0 && size_t(length) <= kMaxWholeFileSize && GameFSeek(file, 0, SEEK_SET) == 0) {
        text.reset(new char[size_t(length) + 1]);
        if (GameFRead(text.get(), size_t(length), 1, file) == 1) {
            text[size_t(length)] = '\0';
            size = size_t(length);
        } else {
            text.reset();
        }
    }
    GameFClose(file);
    return text;
}

int WriteWholeFile(const char* path, const void* data, size_t size, const Plat::ByteWriter& writer)
{
    if (path == nullptr || *path == '\0')
        return 0;
    const std::string nativePath = Plat::GetFileSystem().NativePath(path);
    return Plat::WriteFileAtomically(nativePath, static_cast<const uint8_t*>(data), size, writer) ? 1 : 0;
}

std::string GetUserDataPath()
{
    const std::string folder = Lumo::GetAppDataFolder() + "userdata/";
    Lumo::MkDir(folder);
    return folder;
}
