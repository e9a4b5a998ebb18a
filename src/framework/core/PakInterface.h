// The process's file layer: every data file is opened and read through it.
// Names held by an added pak archive are served from its read-only mapping
// (unscrambled as they are copied out); everything else goes to the disk.
#pragma once

#include "framework/core/PakClient.h"
#include "platform/files/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Every byte of an archive, header and directory included, is stored XORed
// with this key.
constexpr uint8_t kPakScrambleKey = 0xF7;
constexpr uint32_t kPakMagic = 0xBAC04AC0;
// The only archive version read.
constexpr uint32_t kPakVersion = 0;
// Directory flags bit that ends the directory.
constexpr uint8_t kPakFlagEnd = 0x80;

// One added archive file, mapped whole for the life of the layer.
struct PakArchive {
    std::string fileName;
    Plat::MappedFile view;
};

// A name the layer serves from an archive.
struct PakEntry {
    PakArchive* archive = nullptr;
    std::string fileName; // as written in the directory
    uint64_t timeStamp = 0; // FILETIME
    uint32_t start = 0; // offset of the data from the beginning of the archive file
    uint32_t size = 0;
};

// An open file: an archive entry (entry set) or a disk stream.
struct PakFile {
    PakEntry* entry = nullptr;
    long position = 0; // bytes from the entry's start
    FILE* stream = nullptr;
};

// One search: archive keys first, then the disk.
struct PakFindRecord {
    std::unique_ptr<Plat::FindHandle> diskHandle; // null while archive entries are returned
    std::string lastKey;
    bool hasLastKey = false; // an entry may have an empty name, so the key alone cannot tell
    std::string pattern; // normalised
};

// The file layer's operations, in the slot order callers were built against.
class PakInterfaceBase {
public:
    virtual ~PakInterfaceBase() = default;

    virtual PakFile* FOpen(const char16_t* fileName, const char16_t* mode) = 0;
    virtual PakFile* FOpen(const char* fileName, const char* mode) = 0;
    virtual int FClose(PakFile* file) = 0;
    virtual int FSeek(PakFile* file, long offset, int origin) = 0;
    virtual long FTell(PakFile* file) = 0;
    virtual size_t FRead(void* buffer, size_t elementSize, size_t count, PakFile* file) = 0;
    virtual int FGetC(PakFile* file) = 0;
    virtual int UnGetC(int character, PakFile* file) = 0;
    virtual char16_t* FGetS(char16_t* buffer, int size, PakFile* file) = 0;
    virtual char* FGetS(char* buffer, int size, PakFile* file) = 0;
    virtual int FEof(PakFile* file) = 0;
    virtual PakFindRecord* FindFirstFile(const char* pattern, Plat::FindData& data) = 0;
    virtual bool FindNextFile(PakFindRecord* find, Plat::FindData& data) = 0;
    virtual bool FindClose(PakFindRecord* find) = 0;
};

class PakInterface : public PakInterfaceBase {
public:
    // Registers itself for the process when no layer is registered yet.
    PakInterface();
    ~PakInterface() override;
    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    // Maps an archive and enters its directory. False for a missing, empty or
    // unmappable file and for a malformed archive, which then adds nothing.
    bool AddPakFile(const std::string& fileName);

    // The lookup key of a name: relative to the current folder when inside
    // it, separator runs as one '\\', upper-case, "dir\\.." folded away.
    void NormalizePath(const std::string& name, std::string& out) const;

    // Wide names are not served: always null.
    PakFile* FOpen(const char16_t* fileName, const char16_t* mode) override;
    // Read modes ("r", "rb", "rt") look in the archives first.
    PakFile* FOpen(const char* fileName, const char* mode) override;
    // Deletes the file; 0.
    int FClose(PakFile* file) override;
    // Archive files clamp the position to [0, size] and give 0.
    int FSeek(PakFile* file, long offset, int origin) override;
    long FTell(PakFile* file) override;
    size_t FRead(void* buffer, size_t elementSize, size_t count, PakFile* file) override;
    // Archive files skip carriage returns.
    int FGetC(PakFile* file) override;
    // Archive files move back one byte and do not store the character.
    int UnGetC(int character, PakFile* file) override;
    // Wide lines are not served: the buffer comes back untouched.
    char16_t* FGetS(char16_t* buffer, int size, PakFile* file) override;
    // Archive files drop carriage returns.
    char* FGetS(char* buffer, int size, PakFile* file) override;
    int FEof(PakFile* file) override;
    // Null when neither the archives nor the disk match.
    PakFindRecord* FindFirstFile(const char* pattern, Plat::FindData& data) override;
    bool FindNextFile(PakFindRecord* find, Plat::FindData& data) override;
    bool FindClose(PakFindRecord* find) override;

private:
    bool FindNextPakEntry(PakFindRecord& find, Plat::FindData& data);

    std::vector<std::unique_ptr<PakArchive>> mArchives;
    std::map<std::string, PakEntry> mEntries;
};
