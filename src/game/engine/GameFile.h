// The game's file functions. Reads go through the process's file layer
// (archive first, then the disk, names matched without regard to case or
// separator kind); whole-file writes replace the file atomically.
#pragma once

#include "platform/files/AtomicFile.h"

#include <cstddef>
#include <memory>
#include <string>

struct PakFile;

// The largest file ReadWholeFile takes.
constexpr size_t kMaxWholeFileSize = size_t(256) << 20;

PakFile* GameFOpen(const char* path, const char* mode);
int GameFClose(PakFile* file);
int GameFSeek(PakFile* file, long offset, int origin);
long GameFTell(PakFile* file);
size_t GameFRead(void* buffer, size_t elementSize, size_t count, PakFile* file);

// The whole file with one NUL after it, so that it can be handed to the
// text readers; size gets the byte count without the NUL. Null (size 0) for
// a missing, empty or unreadable file and for one over kMaxWholeFileSize.
std::unique_ptr<char[]> ReadWholeFile(const char* path, size_t& size);

// Replaces the file (found as reads find it, so that an existing file in
// another case is the one replaced) with the bytes: 1 once the new content
// is in place, 0 otherwise, and the old file is then untouched. The writer
// lets tests cut a save short.
int WriteWholeFile(const char* path, const void* data, size_t size,
                   const Plat::ByteWriter& writer = Plat::ByteWriter());

// The player's files' folder: "userdata" under the application-data folder,
// made (with every folder along the way) when missing; ends in a separator.
// Only the player may write there: it is made with the user's own rights.
std::string GetUserDataPath();
