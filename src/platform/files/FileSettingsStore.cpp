#include "platform/files/FileSettingsStore.h"

#include "platform/files/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Plat {

namespace {

// File layout, little-endian:
//   0  "LSET"
//   4  u32 format version (1)
//   8  u32 payload size P (the file is exactly 16 + P bytes)
//  12  u32 CRC-32 of the payload
//  16  payload: u32 key count, then per key: u16 path length, path bytes,
//      u32 value count, then per value: u16 name length, name bytes,
//      u32 type, u32 size, data bytes.
constexpr uint8_t kMagic[4] = {'L', 'S', 'E', 'T'};
constexpr uint32_t kFormatVersion = 1;
constexpr size_t kHeaderSize = 16;
constexpr size_t kMaxFileSize = 64u << 20;

uint32_t Crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string ToLower(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return lower;
}

// Names joined by single backslashes, empty names dropped.
std::string NormaliseKeyPath(const std::string& path)
{
    std::string result;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start) {
            if (!result.empty())
                result += '\\';
            result.append(path, start, end - start);
        }
        start = end + 1;
    }
    return result;
}

void PutU16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

void PutText(std::vector<uint8_t>& out, const std::string& text)
{
    PutU16(out, uint32_t(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

// Bounds-checked reads over the payload; any overrun fails the whole decode.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

    size_t Remaining() const { return mSize - mPos; }

    bool U16(uint32_t& value)
    {
        if (Remaining() < 2)
            return false;
        value = uint32_t(mData[mPos]) | (uint32_t(mData[mPos + 1]) << 8);
        mPos += 2;
        return true;
    }

    bool U32(uint32_t& value)
    {
        if (Remaining() < 4)
            return false;
        value = 0;
        for (int i = 0; i < 4; ++i)
            value |= uint32_t(mData[mPos + i]) << (8 * i);
        mPos += 4;
        return true;
    }

    bool Bytes(size_t count, const uint8_t*& bytes)
    {
        if (Remaining() < count)
            return false;
        bytes = mData + mPos;
        mPos += count;
        return true;
    }

    bool Text(std::string& text)
    {
        uint32_t length = 0;
        const uint8_t* bytes = nullptr;
        if (!U16(length) || length > kSettingsMaxNameLength || !Bytes(length, bytes))
            return false;
        text.assign(reinterpret_cast<const char*>(bytes), length);
        return true;
    }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

} // namespace

FileSettingsStore::FileSettingsStore(const std::string& filePath, bool readOnly)
    : mFilePath(filePath), mReadOnly(readOnly)
{
}

bool FileSettingsStore::HasKey(const std::string& keyPath)
{
    const Tree tree = Read();
    return tree.count(ToLower(NormaliseKeyPath(keyPath))) != 0;
}

bool FileSettingsStore::CreateKey(const std::string& keyPath)
{
    Tree tree = Read();
    const std::string path = NormaliseKeyPath(keyPath);
    if (tree.count(ToLower(path)) != 0)
        return true;
    // A longer path would be written but refused when read back.
    if (mReadOnly || path.size() > kSettingsMaxNameLength)
        return false;
    AddKey(tree, path);
    return Write(tree);
}

bool FileSettingsStore::SetValue(const std::string& keyPath, const std::string& name, uint32_t type,
                                 const uint8_t* data, size_t size)
{
    if (mReadOnly || name.size() > kSettingsMaxNameLength || size > kSettingsMaxValueSize ||
        (data == nullptr && size != 0))
        return false;
    const std::string path = NormaliseKeyPath(keyPath);
    if (path.size() > kSettingsMaxNameLength)
        return false;
    Tree tree = Read();
    Key& key = AddKey(tree, path);
    Value& value = key.values[ToLower(name)];
    if (value.name.empty())
        value.name = name;
    value.type = type;
    value.data.assign(data, data + size);
    return Write(tree);
}

bool FileSettingsStore::GetValue(const std::string& keyPath, const std::string& name, uint32_t& type,
                                 std::vector<uint8_t>& data)
{
    const Tree tree = Read();
    const auto key = tree.find(ToLower(NormaliseKeyPath(keyPath)));
    if (key == tree.end())
        return false;
    const auto value = key->second.values.find(ToLower(name));
    if (value == key->second.values.end())
        return false;
    type = value->second.type;
    data = value->second.data;
    return true;
}

bool FileSettingsStore::DeleteValue(const std::string& keyPath, const std::string& name)
{
    if (mReadOnly)
        return false;
    Tree tree = Read();
    const auto key = tree.find(ToLower(NormaliseKeyPath(keyPath)));
    if (key == tree.end() || key->second.values.erase(ToLower(name)) == 0)
        return false;
    return Write(tree);
}

FileSettingsStore::Key& FileSettingsStore::AddKey(Tree& tree, const std::string& path)
{
    // Every key above it exists too, as in the registry.
    tree[std::string()];
    if (path.empty())
        return tree[std::string()];
    size_t end = 0;
    while (true) {
        end = path.find('\\', end);
        const std::string part = path.substr(0, end);
        Key& key = tree[ToLower(part)];
        if (key.path.empty())
            key.path = part;
        if (end == std::string::npos)
            return key;
        ++end;
    }
}

FileSettingsStore::Tree FileSettingsStore::Read()
{
    mLastReadCorrupt = false;
    Tree tree;
    const int descriptor = open(mFilePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        // No file yet is the normal first run; anything else is unreadable.
        mLastReadCorrupt = errno != ENOENT && errno != ENOTDIR;
        return tree;
    }
    std::vector<uint8_t> bytes;
    struct stat st {};
    bool ok = fstat(descriptor, &st) == 0 && S_ISREG(st.st_mode) && size_t(st.st_size) <= kMaxFileSize;
    if (ok) {
        bytes.resize(size_t(st.st_size));
        size_t done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t got = read(descriptor, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            ok = got > 0;
            if (ok)
                done += size_t(got);
        }
    }
    close(descriptor);
    if (!ok || !Decode(bytes.data(), bytes.size(), tree)) {
        mLastReadCorrupt = true;
        tree.clear();
    }
    return tree;
}

bool FileSettingsStore::WriteBytes(int descriptor, const uint8_t* data, size_t size)
{
    return WriteAllBytes(descriptor, data, size);
}

bool FileSettingsStore::Write(const Tree& tree)
{
    if (mReadOnly)
        return false;
    const std::vector<uint8_t> bytes = Encode(tree);
    return WriteFileAtomically(mFilePath, bytes.data(), bytes.size(),
                               [this](int descriptor, const uint8_t* data, size_t size) {
                                   return WriteBytes(descriptor, data, size);
                               });
}

std::vector<uint8_t> FileSettingsStore::Encode(const Tree& tree)
{
    std::vector<uint8_t> payload;
    PutU32(payload, uint32_t(tree.size()));
    for (const auto& keyEntry : tree) {
        const Key& key = keyEntry.second;
        PutText(payload, key.path);
        PutU32(payload, uint32_t(key.values.size()));
        for (const auto& valueEntry : key.values) {
            const Value& value = valueEntry.second;
            PutText(payload, value.name);
            PutU32(payload, value.type);
            PutU32(payload, uint32_t(value.data.size()));
            payload.insert(payload.end(), value.data.begin(), value.data.end());
        }
    }

    std::vector<uint8_t> file(kMagic, kMagic + 4);
    PutU32(file, kFormatVersion);
    PutU32(file, uint32_t(payload.size()));
    PutU32(file, Crc32(payload.data(), payload.size()));
    file.insert(file.end(), payload.begin(), payload.end());
    return file;
}

bool FileSettingsStore::Decode(const uint8_t* bytes, size_t size, Tree& tree)
{
    if (size < kHeaderSize || std::memcmp(bytes, kMagic, 4) != 0)
        return false;
    Reader header(bytes + 4, kHeaderSize - 4);
    uint32_t version = 0;
    uint32_t payloadSize = 0;
    uint32_t crc = 0;
    header.U32(version);
    header.U32(payloadSize);
    header.U32(crc);
    if (version != kFormatVersion || payloadSize != size - kHeaderSize)
        return false;
    const uint8_t* payload = bytes + kHeaderSize;
    if (Crc32(payload, payloadSize) != crc)
        return false;

    // The checksum matched, but a file written by something else may still
    // be malformed: every length is checked against what is left.
    Reader reader(payload, payloadSize);
    uint32_t keyCount = 0;
    if (!reader.U32(keyCount))
        return false;
    for (uint32_t k = 0; k < keyCount; ++k) {
        std::string path;
        uint32_t valueCount = 0;
        if (!reader.Text(path) || !reader.U32(valueCount))
            return false;
        if (path != NormaliseKeyPath(path) || tree.count(ToLower(path)) != 0)
            return false;
        Key& key = tree[ToLower(path)];
        key.path = path;
        for (uint32_t v = 0; v < valueCount; ++v) {
            Value value;
            uint32_t dataSize = 0;
            const uint8_t* data = nullptr;
            if (!reader.Text(value.name) || !reader.U32(value.type) || !reader.U32(dataSize) ||
                dataSize > kSettingsMaxValueSize || !reader.Bytes(dataSize, data))
                return false;
            value.data.assign(data, data + dataSize);
            if (!key.values.emplace(ToLower(value.name), std::move(value)).second)
                return false;
        }
    }
    if (reader.Remaining() != 0)
        return false;
    // A key's parents are always written with it.
    for (const auto& entry : tree) {
        const size_t slash = entry.first.rfind('\\');
        if (!entry.first.empty() && tree.count(slash == std::string::npos ? "" : entry.first.substr(0, slash)) == 0)
            return false;
    }
    return true;
}

} // namespace Plat
