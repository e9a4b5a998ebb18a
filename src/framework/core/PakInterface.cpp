#include "framework/core/PakInterface.h"

#include <cctype>
#include <cstring>

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

char UpperChar(char c)
{
    return char(std::toupper(static_cast<unsigned char>(c)));
}

std::string UpperCase(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        c = UpperChar(c);
    return upper;
}

bool IsReadMode(const char* mode)
{
    const std::string upper = UpperCase(mode);
    return upper == "R" || upper == "RB" || upper == "RT";
}

// Whether `name` begins with `folder`, ignoring case and separator kind.
bool StartsWithFolder(const std::string& name, const std::string& folder)
{
    if (name.size() < folder.size())
        return false;
    for (size_t i = 0; i < folder.size(); ++i) {
        const char a = name[i];
        const char b = folder[i];
        if (IsSeparator(a) && IsSeparator(b))
            continue;
        if (UpperChar(a) != UpperChar(b))
            return false;
    }
    return true;
}

// Copies `count` archive bytes out, undoing the scrambling. This is the hot
// path of every read, so it works a machine word at a time once the
// destination is aligned.
void Unscramble(uint8_t* dest, const uint8_t* src, size_t count)
{
    while (count > 0 && (reinterpret_cast<uintptr_t>(dest) & 7) != 0) {
        *dest++ = uint8_t(*src++ ^ kPakScrambleKey);
        --count;
    }
    constexpr uint64_t wordKey = 0x0101010101010101ULL * kPakScrambleKey;
    while (count >= 32) {
        uint64_t w[4];
        std::memcpy(w, src, sizeof w);
        w[0] ^= wordKey;
        w[1] ^= wordKey;
        w[2] ^= wordKey;
        w[3] ^= wordKey;
        std::memcpy(dest, w, sizeof w);
        src += 32;
        dest += 32;
        count -= 32;
    }
    while (count >= 8) {
        uint64_t w;
        std::memcpy(&w, src, sizeof w);
        w ^= wordKey;
        std::memcpy(dest, &w, sizeof w);
        src += 8;
        dest += 8;
        count -= 8;
    }
    while (count > 0) {
        *dest++ = uint8_t(*src++ ^ kPakScrambleKey);
        --count;
    }
}

// Reads the scrambled header and directory of a mapped archive, checking
// every record against the end of the file.
class DirectoryReader {
public:
    DirectoryReader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

    size_t Position() const { return mPosition; }

    bool ReadU8(uint8_t& value)
    {
        if (mSize - mPosition < 1)
            return false;
        value = uint8_t(mData[mPosition++] ^ kPakScrambleKey);
        return true;
    }

    bool ReadU32(uint32_t& value)
    {
        if (mSize - mPosition < 4)
            return false;
        value = 0;
        for (int i = 0; i < 4; ++i)
            value |= uint32_t(uint8_t(mData[mPosition + i] ^ kPakScrambleKey)) << (8 * i);
        mPosition += 4;
        return true;
    }

    bool ReadText(size_t length, std::string& text)
    {
        if (mSize - mPosition < length)
            return false;
        text.resize(length);
        Unscramble(reinterpret_cast<uint8_t*>(text.data()), mData + mPosition, length);
        mPosition += length;
        return true;
    }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPosition = 0;
};

// The directory's entries in order, with starts relative to the data area,
// and where that area begins. False for any malformed or truncated archive.
bool ReadDirectory(const uint8_t* data, size_t size, std::vector<PakEntry>& entries, uint32_t& dataStart)
{
    DirectoryReader reader(data, size);
    uint32_t magic = 0;
    uint32_t version = 0;
    if (!reader.ReadU32(magic) || magic != kPakMagic)
        return false;
    if (!reader.ReadU32(version) || version > kPakVersion)
        return false;

    uint64_t running = 0;
    for (;;) {
        uint8_t flags = 0;
        if (!reader.ReadU8(flags))
            return false; // the directory runs to the end without its closing flags
        if ((flags & kPakFlagEnd) != 0)
            break;
        uint8_t nameLength = 0;
        PakEntry entry;
        uint32_t timeLow = 0;
        uint32_t timeHigh = 0;
        if (!reader.ReadU8(nameLength) || !reader.ReadText(nameLength, entry.fileName) ||
            !reader.ReadU32(entry.size) || !reader.ReadU32(timeLow) || !reader.ReadU32(timeHigh))
            return false;
        entry.timeStamp = uint64_t(timeLow) | (uint64_t(timeHigh) << 32);
        entry.start = uint32_t(running);
        running += entry.size;
        // Checked as it grows, so the sum stays far from overflowing and
        // every start fits its 32 bits.
        if (running > size)
            return false;
        entries.push_back(std::move(entry));
    }
    dataStart = uint32_t(reader.Position());
    return dataStart + running <= size;
}

} // namespace

PakInterface::PakInterface()
{
    if (Lumo::GetPakInterface() == nullptr)
        Lumo::SetPakInterface(this);
}

PakInterface::~PakInterface()
{
    if (Lumo::GetPakInterface() == this)
        Lumo::SetPakInterface(nullptr);
}

bool PakInterface::AddPakFile(const std::string& fileName)
{
    Plat::MappedFile view = Plat::GetFileSystem().MapReadOnly(fileName);
    // Entry offsets and sizes have 32 bits.
    if (!view.IsOpen() || view.Size() > UINT32_MAX)
        return false;

    // Nothing is entered until the whole directory has been read and checked.
    std::vector<PakEntry> entries;
    uint32_t dataStart = 0;
    if (!ReadDirectory(view.Data(), view.Size(), entries, dataStart))
        return false;

    auto archive = std::make_unique<PakArchive>();
    archive->fileName = fileName;
    archive->view = std::move(view);
    PakArchive* const added = archive.get();
    mArchives.push_back(std::move(archive));

    // The archive file itself can be opened too, unscrambled like its entries.
    PakEntry& self = mEntries[UpperCase(fileName)];
    self.archive = added;
    self.fileName = fileName;
    self.timeStamp = 0;
    self.start = 0;
    self.size = uint32_t(added->view.Size());

    for (PakEntry& entry : entries) {
        entry.archive = added;
        entry.start += dataStart;
        // Separators are not folded: keys keep the directory's own.
        mEntries[UpperCase(entry.fileName)] = std::move(entry);
    }
    return true;
}

void PakInterface::NormalizePath(const std::string& name, std::string& out) const
{
    out.clear();
    size_t begin = 0;
    const bool absolute = !name.empty() && (IsSeparator(name[0]) || (name.size() >= 2 && name[1] == ':'));
    if (absolute) {
        std::string folder = Plat::GetFileSystem().CurrentFolder();
        if (!folder.empty()) {
            if (!IsSeparator(folder.back()))
                folder += '/';
            if (StartsWithFolder(name, folder))
                begin = folder.size();
        }
    }

    out.reserve(name.size() - begin);
    bool inSeparatorRun = false;
    bool dropSeparators = false; // the separators after a folded ".." are not written
    for (size_t i = begin; i < name.size(); ++i) {
        const char c = name[i];
        if (IsSeparator(c)) {
            if (!inSeparatorRun && !dropSeparators)
                out += '\\';
            inSeparatorRun = true;
            continue;
        }
        inSeparatorRun = false;
        dropSeparators = false;
        const bool dotDot = c == '.' && i + 1 < name.size() && name[i + 1] == '.' &&
                            (i + 2 == name.size() || IsSeparator(name[i + 2]));
        if (dotDot && !out.empty() && out.back() == '\\') {
            out.pop_back();
            const size_t previous = out.rfind('\\');
            out.resize(previous == std::string::npos ? 0 : previous + 1);
            ++i;
            dropSeparators = true;
            continue;
        }
        out += UpperChar(c);
    }
}

PakFile* PakInterface::FOpen(const char16_t*, const char16_t*)
{
    return nullptr;
}

PakFile* PakInterface::FOpen(const char* fileName, const char* mode)
{
    if (fileName == nullptr || mode == nullptr)
        return nullptr;
    if (IsReadMode(mode)) {
        std::string key;
        NormalizePath(fileName, key);
        const auto found = mEntries.find(key);
        if (found != mEntries.end()) {
            PakFile* file = new PakFile;
            file->entry = &found->second;
            return file;
        }
    }
    FILE* stream = Plat::GetFileSystem().OpenFile(fileName, mode);
    if (stream == nullptr)
        return nullptr;
    PakFile* file = new PakFile;
    file->stream = stream;
    return file;
}

int PakInterface::FClose(PakFile* file)
{
    if (file == nullptr)
        return EOF;
    if (file->stream != nullptr)
        std::fclose(file->stream);
    delete file;
    return 0;
}

int PakInterface::FSeek(PakFile* file, long offset, int origin)
{
    if (file == nullptr)
        return -1;
    if (file->entry == nullptr)
        return std::fseek(file->stream, offset, origin);

    const long size = long(file->entry->size);
    long base = file->position;
    if (origin == SEEK_SET)
        base = 0;
    else if (origin == SEEK_END)
        base = size;
    else if (origin != SEEK_CUR)
        offset = 0;
    // base lies in [0, size]; compare before adding so no offset overflows.
    if (offset < -base)
        file->position = 0;
    else if (offset > size - base)
        file->position = size;
    else
        file->position = base + offset;
    return 0;
}

long PakInterface::FTell(PakFile* file)
{
    if (file == nullptr)
        return -1;
    if (file->entry == nullptr)
        return std::ftell(file->stream);
    return file->position;
}

size_t PakInterface::FRead(void* buffer, size_t elementSize, size_t count, PakFile* file)
{
    if (file == nullptr)
        return 0;
    if (file->entry == nullptr)
        return std::fread(buffer, elementSize, count, file->stream);
    if (elementSize == 0)
        return 0;

    const PakEntry& entry = *file->entry;
    const size_t left = size_t(long(entry.size) - file->position);
    const size_t wanted = count > SIZE_MAX / elementSize ? SIZE_MAX : elementSize * count;
    const size_t bytes = wanted < left ? wanted : left;
    Unscramble(static_cast<uint8_t*>(buffer), entry.archive->view.Data() + entry.start + file->position, bytes);
    file->position += long(bytes);
    // A partial element is consumed but not counted.
    return bytes / elementSize;
}

int PakInterface::FGetC(PakFile* file)
{
    if (file == nullptr)
        return EOF;
    if (file->entry == nullptr)
        return std::fgetc(file->stream);

    const PakEntry& entry = *file->entry;
    const uint8_t* const data = entry.archive->view.Data() + entry.start;
    while (file->position < long(entry.size)) {
        const int c = uint8_t(data[file->position++] ^ kPakScrambleKey);
        if (c != '\r')
            return c;
    }
    return EOF;
}

int PakInterface::UnGetC(int character, PakFile* file)
{
    if (file == nullptr)
        return EOF;
    if (file->entry == nullptr)
        return std::ungetc(character, file->stream);
    if (file->position > 0)
        --file->position;
    return character;
}

char16_t* PakInterface::FGetS(char16_t* buffer, int, PakFile*)
{
    return buffer;
}

char* PakInterface::FGetS(char* buffer, int size, PakFile* file)
{
    if (file == nullptr)
        return nullptr;
    if (file->entry == nullptr)
        return std::fgets(buffer, size, file->stream);
    if (buffer == nullptr || size <= 0)
        return nullptr;

    const PakEntry& entry = *file->entry;
    const uint8_t* const data = entry.archive->view.Data() + entry.start;
    const long end = long(entry.size);
    int stored = 0;
    while (stored < size - 1 && file->position < end) {
        const char c = char(data[file->position++] ^ kPakScrambleKey);
        if (c == '\r')
            continue;
        buffer[stored++] = c;
        if (c == '\n')
            break;
    }
    if (stored == 0 && file->position >= end)
        return nullptr;
    buffer[stored] = '\0';
    return buffer;
}

int PakInterface::FEof(PakFile* file)
{
    if (file == nullptr)
        return 1;
    if (file->entry == nullptr)
        return std::feof(file->stream);
    return file->position >= long(file->entry->size) ? 1 : 0;
}

PakFindRecord* PakInterface::FindFirstFile(const char* pattern, Plat::FindData& data)
{
    if (pattern == nullptr)
        return nullptr;
    PakFindRecord* find = new PakFindRecord;
    NormalizePath(pattern, find->pattern);
    if (FindNextPakEntry(*find, data))
        return find;
    find->diskHandle = Plat::GetFileSystem().FindFirst(find->pattern, data);
    if (find->diskHandle != nullptr)
        return find;
    delete find;
    return nullptr;
}

bool PakInterface::FindNextFile(PakFindRecord* find, Plat::FindData& data)
{
    if (find == nullptr)
        return false;
    if (find->diskHandle != nullptr)
        return Plat::GetFileSystem().FindNext(*find->diskHandle, data);
    if (FindNextPakEntry(*find, data))
        return true;
    // Archive matches are done; the disk's follow, also those the archives hide.
    find->diskHandle = Plat::GetFileSystem().FindFirst(find->pattern, data);
    return find->diskHandle != nullptr;
}

bool PakInterface::FindClose(PakFindRecord* find)
{
    delete find;
    return true;
}

bool PakInterface::FindNextPakEntry(PakFindRecord& find, Plat::FindData& data)
{
    const size_t star = find.pattern.find('*');
    if (star == std::string::npos)
        return false;
    const std::string prefix = find.pattern.substr(0, star);
    const std::string suffix = find.pattern.substr(star + 1);
    const bool anyEnding = suffix.empty() || suffix == ".*";

    auto it = mEntries.begin();
    if (find.hasLastKey) {
        it = mEntries.find(find.lastKey);
        if (it == mEntries.end())
            return false;
        ++it;
    }
    for (; it != mEntries.end(); ++it) {
        const std::string& key = it->first;
        if (key.compare(0, prefix.size(), prefix) != 0)
            continue;
        const bool endsWithSuffix =
            key.size() >= suffix.size() && key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0;
        if (!anyEnding && !endsWithSuffix)
            continue;

        const PakEntry& entry = it->second;
        // Marked a folder only when the ending the pattern names spans a separator.
        const size_t tail = suffix.size() < key.size() ? suffix.size() : key.size();
        const bool folder = key.find('\\', key.size() - tail) != std::string::npos;
        data.attributes = folder ? Plat::kAttrDirectory : 0;
        data.creationTime = entry.timeStamp;
        data.lastAccessTime = entry.timeStamp;
        data.lastWriteTime = entry.timeStamp;
        data.sizeHigh = 0;
        data.sizeLow = entry.size;
        const size_t slash = key.rfind('\\');
        data.fileName = slash == std::string::npos ? key : key.substr(slash + 1);
        find.lastKey = key;
        find.hasLastKey = true;
        return true;
    }
    return false;
}
