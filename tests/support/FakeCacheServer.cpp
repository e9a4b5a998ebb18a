#include "support/FakeCacheServer.h"

#include "platform/system/MessageChannel.h"

#include <cstring>

namespace LumoTest {

namespace {

constexpr size_t kNameSize = 256;
constexpr size_t kKindOffset = 256;
constexpr size_t kKindSize = 512;
constexpr size_t kSizeOffset = 768;
constexpr size_t kHeaderSize = 772;

uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void WriteU32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(value >> (8 * i));
}

// A zero-terminated text inside a field (cut at the field's end).
std::string FieldText(const uint8_t* field, size_t size)
{
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, strnlen(text, size));
}

} // namespace

FakeCacheServer::FakeCacheServer()
{
    mMessage = Plat::RegisterMessageName("LumoCacheMessage");
    mWindow = Plat::AddMessageReceiver(
        [this](uint32_t message, uintptr_t code, intptr_t threadId) { return Handle(message, code, threadId); });
    Plat::SharedMemory::Remove("LumoCacheData");
    if (mPublished.Create("LumoCacheData", 16)) {
        uint8_t* words = mPublished.Map();
        if (words != nullptr) {
            WriteU32(words, 0x11111111);
            WriteU32(words + 4, mWindow);
            WriteU32(words + 8, 0x22222222);
            WriteU32(words + 12, 0x33333333);
        }
    }
}

FakeCacheServer::~FakeCacheServer()
{
    Plat::RemoveMessageReceiver(mWindow);
    mPublished.Close();
}

std::map<FakeCacheServer::Key, std::vector<uint8_t>> FakeCacheServer::Records()
{
    std::lock_guard<std::mutex> guard(mLock);
    return mRecords;
}

std::map<FakeCacheServer::Key, std::string> FakeCacheServer::Strings()
{
    std::lock_guard<std::mutex> guard(mLock);
    return mStrings;
}

void FakeCacheServer::PutRecord(const Key& key, std::vector<uint8_t> bytes)
{
    std::lock_guard<std::mutex> guard(mLock);
    mRecords[key] = std::move(bytes);
}

int FakeCacheServer::MessageCount(uintptr_t code)
{
    std::lock_guard<std::mutex> guard(mLock);
    return mMessageCounts[code];
}

int FakeCacheServer::TotalMessages()
{
    std::lock_guard<std::mutex> guard(mLock);
    int total = 0;
    for (const auto& entry : mMessageCounts)
        total += entry.second;
    return total;
}

std::unique_ptr<Plat::SharedMemory> FakeCacheServer::OpenRequest(intptr_t threadId)
{
    auto block = std::make_unique<Plat::SharedMemory>();
    if (!block->Open("LumoCacheReq#" + std::to_string(threadId)) || block->Map() == nullptr
        || block->MappedLength() < kHeaderSize)
        return nullptr;
    return block;
}

FakeCacheServer::Key FakeCacheServer::ReadKey(const uint8_t* view)
{
    return Key(FieldText(view, kNameSize), FieldText(view + kKindOffset, kKindSize));
}

intptr_t FakeCacheServer::Handle(uint32_t message, uintptr_t code, intptr_t threadId)
{
    if (message != mMessage)
        return 0;
    std::lock_guard<std::mutex> guard(mLock);
    ++mMessageCounts[code];
    std::unique_ptr<Plat::SharedMemory> request = OpenRequest(threadId);
    if (request == nullptr)
        return 0;
    uint8_t* view = request->Data();
    const Key key = ReadKey(view);
    const size_t dataSize = request->MappedLength() - kHeaderSize;

    if (code == 0) {
        const auto found = mRecords.find(key);
        if (found == mRecords.end())
            return 0;
        const std::vector<uint8_t>& bytes = found->second;
        const int reply = mNextReply++;
        auto block = std::make_unique<Plat::SharedMemory>();
        if (!block->Create("LumoCacheData#" + std::to_string(reply), bytes.empty() ? 1 : bytes.size()))
            return 0;
        uint8_t* out = block->Map();
        if (out == nullptr)
            return 0;
        if (!bytes.empty())
            std::memcpy(out, bytes.data(), bytes.size());
        block->Unmap();
        WriteU32(view + kSizeOffset, static_cast<uint32_t>(bytes.size()) + mOfferedExtra);
        mReplies.push_back(std::move(block));
        return reply;
    }
    if (code == 1) {
        const uint32_t size = ReadU32(view + kSizeOffset);
        if (size > dataSize)
            return 0;
        mRecords[key] = std::vector<uint8_t>(view + kHeaderSize, view + kHeaderSize + size);
        return mStoreReply;
    }
    if (code == 2) {
        mStrings[key] = FieldText(view + kHeaderSize, dataSize);
        return 0;
    }
    return 0;
}

} // namespace LumoTest
