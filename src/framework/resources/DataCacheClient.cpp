// The data-cache protocol over named shared blocks and registered messages.
#include "framework/resources/DataCacheClient.h"

#include "platform/system/MessageChannel.h"
#include "platform/files/SharedMemory.h"
#include "platform/system/ThreadId.h"

#include <cstring>

namespace Lumo {

namespace {

DataCacheClient* gInstalledClient = nullptr;

uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void WriteU32(uint8_t* p, uint32_t value)
{
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

std::string RequestName(uint32_t threadId)
{
    return "LumoCacheReq#" + std::to_string(threadId);
}

} // namespace

DataCacheClient::DataCacheClient()
{
    Plat::SharedMemory published;
    if (!published.Open("LumoCacheData"))
        return;
    const uint8_t* words = published.Map(16);
    if (words == nullptr)
        return;
    mCacheWord0 = ReadU32(words);
    mCacheWindow = ReadU32(words + 4);
    mCacheWord2 = ReadU32(words + 8);
    mCacheWord3 = ReadU32(words + 12);
    published.Close();
    mMessage = Plat::RegisterMessageName("LumoCacheMessage");
}

DataCacheClient::~DataCacheClient()
{
    AutoCrit lock(mLock);
    mMappings.clear();
}

std::unique_ptr<Plat::SharedMemory> DataCacheClient::MakeRequest(const std::string& resourceName,
                                                                 const std::string& kind, uint32_t dataSize,
                                                                 uint32_t threadId)
{
    // Both texts go into fixed fields with their terminators.
    if (resourceName.size() >= kNameSize || kind.size() >= kKindSize)
        return nullptr;
    const std::string name = RequestName(threadId);
    {
        // The block is named after the thread, so a second open request of
        // the same thread would share the first one's block.
        AutoCrit lock(mLock);
        for (const auto& entry : mMappings) {
            if (entry.second.isRequest && entry.second.threadId == threadId)
                return nullptr;
        }
    }
    auto block = std::make_unique<Plat::SharedMemory>();
    if (!block->Create(name, kHeaderSize + size_t(dataSize))) {
        // A block left behind by a thread of the same id that ended without
        // releasing its request.
        Plat::SharedMemory::Remove(name);
        if (!block->Create(name, kHeaderSize + size_t(dataSize)))
            return nullptr;
    }
    uint8_t* view = block->Map();
    if (view == nullptr)
        return nullptr;
    std::memcpy(view, resourceName.c_str(), resourceName.size() + 1);
    std::memcpy(view + kKindOffset, kind.c_str(), kind.size() + 1);
    WriteU32(view + kSizeOffset, dataSize);
    return block;
}

intptr_t DataCacheClient::Send(uintptr_t code, uint32_t threadId)
{
    return Plat::SendMessageTo(mCacheWindow, mMessage, code, static_cast<intptr_t>(threadId));
}

bool DataCacheClient::Fetch(const std::string& resourceName, const std::string& kind, const uint8_t*& data,
                            uint32_t& size)
{
    if (!IsConnected())
        return false;
    const uint32_t threadId = Plat::CurrentThreadId();
    std::unique_ptr<Plat::SharedMemory> request = MakeRequest(resourceName, kind, 0, threadId);
    if (request == nullptr)
        return false;

    bool result = false;
    const intptr_t reply = Send(kCodeFetch, threadId);
    const uint32_t offered = ReadU32(request->Data() + kSizeOffset);
    // An empty record holds nothing any reader could use: a miss.
    if (reply != 0 && offered > 0) {
        auto block = std::make_unique<Plat::SharedMemory>();
        if (block->Open("LumoCacheData#" + std::to_string(static_cast<int>(reply)))) {
            // Map refuses a size past the block's real end: such a record
            // is a miss rather than a read beyond it.
            const uint8_t* view = block->Map(offered);
            if (view != nullptr) {
                data = view;
                size = offered;
                AutoCrit lock(mLock);
                Mapping& mapping = mMappings[view];
                mapping.block = std::move(block);
                mapping.isRequest = false;
                result = true;
            }
        }
    }
    request.reset();
    return result;
}

void DataCacheClient::ReleaseFetched(const uint8_t* data)
{
    std::unique_ptr<Plat::SharedMemory> block;
    AutoCrit lock(mLock);
    const auto found = mMappings.find(data);
    if (found == mMappings.end())
        return;
    block = std::move(found->second.block);
    mMappings.erase(found);
}

uint8_t* DataCacheClient::BeginStore(const std::string& resourceName, const std::string& kind, uint32_t size)
{
    if (!IsConnected())
        return nullptr;
    const uint32_t threadId = Plat::CurrentThreadId();
    std::unique_ptr<Plat::SharedMemory> request = MakeRequest(resourceName, kind, size, threadId);
    if (request == nullptr)
        return nullptr;
    uint8_t* data = request->Data() + kHeaderSize;
    AutoCrit lock(mLock);
    Mapping& mapping = mMappings[data];
    mapping.block = std::move(request);
    mapping.isRequest = true;
    mapping.threadId = threadId;
    return data;
}

bool DataCacheClient::CommitStore(uint8_t* data)
{
    uint32_t threadId = 0;
    {
        AutoCrit lock(mLock);
        const auto found = mMappings.find(data);
        if (found == mMappings.end() || !found->second.isRequest)
            return false;
        threadId = found->second.threadId;
    }
    if (!IsConnected())
        return false;
    if (Send(kCodeStore, threadId) == -1) {
        mMessage = 0;
        return false;
    }
    return true;
}

void DataCacheClient::ReleaseRequest(uint8_t* data)
{
    ReleaseFetched(data);
}

void DataCacheClient::StoreString(const std::string& resourceName, const std::string& kind, const std::string& text)
{
    uint8_t* data = BeginStore(resourceName, kind, static_cast<uint32_t>(text.size() + 1));
    if (data == nullptr)
        return;
    std::memcpy(data, text.c_str(), text.size() + 1);
    Send(kCodeStoreString, Plat::CurrentThreadId());
    ReleaseRequest(data);
}

DataCacheClient& GetDataCacheClient()
{
    static DataCacheClient processClient;
    return gInstalledClient != nullptr ? *gInstalledClient : processClient;
}

DataCacheClient* SetDataCacheClient(DataCacheClient* client)
{
    DataCacheClient* previous = gInstalledClient;
    gInstalledClient = client;
    return previous;
}

bool CacheWriteBytes(uint8_t*& pos, const uint8_t* end, const void* bytes, size_t count)
{
    if (pos > end || size_t(end - pos) < count)
        return false;
    if (count > 0)
        std::memcpy(pos, bytes, count);
    pos += count;
    return true;
}

bool CacheReadBytes(const uint8_t*& pos, const uint8_t* end, void* bytes, size_t count)
{
    if (pos > end || size_t(end - pos) < count)
        return false;
    if (count > 0)
        std::memcpy(bytes, pos, count);
    pos += count;
    return true;
}

bool CacheWriteString(uint8_t*& pos, const uint8_t* end, const std::string& text)
{
    if (text.size() > UINT32_MAX || pos > end || size_t(end - pos) < 4 + text.size())
        return false;
    WriteU32(pos, static_cast<uint32_t>(text.size()));
    pos += 4;
    return CacheWriteBytes(pos, end, text.data(), text.size());
}

bool CacheReadString(const uint8_t*& pos, const uint8_t* end, std::string& text)
{
    if (pos > end || size_t(end - pos) < 4)
        return false;
    const uint32_t length = ReadU32(pos);
    // The length is checked before anything is allocated for it.
    if (size_t(end - pos) - 4 < length)
        return false;
    text.assign(reinterpret_cast<const char*>(pos + 4), length);
    pos += 4 + size_t(length);
    return true;
}

} // namespace Lumo
