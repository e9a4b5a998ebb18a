// Client of the shared data cache: asks the cache process for a record by
// resource name and record kind, receives its bytes in a shared block, and
// hands new records to the cache. With no cache process every request fails
// at once and callers decode their files as usual. Also the readers and
// writers that records are laid out with.
#pragma once

#include "framework/core/CriticalSection.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace Plat {
class SharedMemory;
}

namespace Lumo {

class DataCacheClient {
public:
    // Layout of a request block.
    static constexpr size_t kNameSize = 256;   // resource name, zero-terminated
    static constexpr size_t kKindOffset = 256;
    static constexpr size_t kKindSize = 512;   // record kind, zero-terminated
    static constexpr size_t kSizeOffset = 768; // u32 data size
    static constexpr size_t kHeaderSize = 772; // data follows
    // Message codes.
    static constexpr uintptr_t kCodeFetch = 0;
    static constexpr uintptr_t kCodeStore = 1;
    static constexpr uintptr_t kCodeStoreString = 2;

    // Connects when the cache has published "LumoCacheData".
    DataCacheClient();
    // Closes every block still open: pointers handed out end here.
    ~DataCacheClient();
    DataCacheClient(const DataCacheClient&) = delete;
    DataCacheClient& operator=(const DataCacheClient&) = delete;

    bool IsConnected() const { return mMessage != 0; }

    // The record's bytes and size; false when not cached, disconnected, or
    // the name or kind does not fit its field. Release with ReleaseFetched.
    bool Fetch(const std::string& resourceName, const std::string& kind, const uint8_t*& data, uint32_t& size);
    void ReleaseFetched(const uint8_t* data);

    // `size` writable bytes for a new record, or null. Then CommitStore and
    // ReleaseRequest. A thread has one request open at a time.
    uint8_t* BeginStore(const std::string& resourceName, const std::string& kind, uint32_t size);
    // Hands the filled record to the cache; false for an unknown pointer or
    // when the cache has gone (the client then stays disconnected).
    bool CommitStore(uint8_t* data);
    void ReleaseRequest(uint8_t* data);

    // Keeps a text as the named record.
    void StoreString(const std::string& resourceName, const std::string& kind, const std::string& text);

    // The words of the cache's published record; word 1 is its window.
    uint32_t mCacheWord0 = 0;
    uint32_t mCacheWindow = 0;
    uint32_t mCacheWord2 = 0;
    uint32_t mCacheWord3 = 0;

private:
    struct Mapping {
        std::unique_ptr<Plat::SharedMemory> block;
        bool isRequest = false;
        uint32_t threadId = 0; // the thread the request block is named after
    };

    // Makes and maps this thread's request block of kHeaderSize + dataSize
    // bytes with name, kind and size filled in; null when the texts do not
    // fit or the thread has a request open.
    std::unique_ptr<Plat::SharedMemory> MakeRequest(const std::string& resourceName, const std::string& kind,
                                                    uint32_t dataSize, uint32_t threadId);
    intptr_t Send(uintptr_t code, uint32_t threadId);

    CriticalSection mLock; // guards mMappings
    // Registered message id; 0 while disconnected.
    std::atomic<uint32_t> mMessage{0};
    // Data pointer -> its open block (fetched records and store requests).
    std::map<const uint8_t*, Mapping> mMappings;
};

// The process's client, or the one a test installed.
DataCacheClient& GetDataCacheClient();
// Installs a client (null: the process's own again); returns the previous one.
DataCacheClient* SetDataCacheClient(DataCacheClient* client);

// Record fields over a moving pointer, bounded by the end of the record.
// Each copies and advances, or, when fewer bytes remain than the field needs,
// copies nothing, leaves the pointer and gives false.
bool CacheWriteBytes(uint8_t*& pos, const uint8_t* end, const void* bytes, size_t count);
bool CacheReadBytes(const uint8_t*& pos, const uint8_t* end, void* bytes, size_t count);
// A u32 length (little-endian), then the characters without terminator.
bool CacheWriteString(uint8_t*& pos, const uint8_t* end, const std::string& text);
bool CacheReadString(const uint8_t*& pos, const uint8_t* end, std::string& text);

} // namespace Lumo
