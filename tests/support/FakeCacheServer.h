// A data-cache process for tests, running inside the test: it publishes
// "LumoCacheData" with a window of its own, answers the cache messages on
// the sending thread, and keeps the records in memory. Requests and replies
// travel through real shared memory blocks, as with the real cache.
#pragma once

#include "platform/files/SharedMemory.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace LumoTest {

class FakeCacheServer {
public:
    using Key = std::pair<std::string, std::string>; // resource name, record kind

    // Publishes the cache; a client made afterwards connects.
    FakeCacheServer();
    // Withdraws the cache and every block it made.
    ~FakeCacheServer();
    FakeCacheServer(const FakeCacheServer&) = delete;
    FakeCacheServer& operator=(const FakeCacheServer&) = delete;

    uint32_t Window() const { return mWindow; }

    // Thread-safe views of what arrived.
    std::map<Key, std::vector<uint8_t>> Records();
    std::map<Key, std::string> Strings();
    void PutRecord(const Key& key, std::vector<uint8_t> bytes);
    // Messages received, by code (0 fetch, 1 store, 2 string).
    int MessageCount(uintptr_t code);
    int TotalMessages();

    // Reply to a store (code 1); -1 tells the client the cache has gone.
    void SetStoreReply(intptr_t reply) { mStoreReply = reply; }
    // Bytes offered on a fetch beyond what the reply block holds.
    void SetOfferedExtra(uint32_t extra) { mOfferedExtra = extra; }

private:
    intptr_t Handle(uint32_t message, uintptr_t code, intptr_t threadId);
    // Opens and maps the thread's request block; null when absent.
    std::unique_ptr<Plat::SharedMemory> OpenRequest(intptr_t threadId);
    static Key ReadKey(const uint8_t* view);

    std::mutex mLock;
    Plat::SharedMemory mPublished;
    uint32_t mWindow = 0;
    uint32_t mMessage = 0;
    int mNextReply = 1;
    std::vector<std::unique_ptr<Plat::SharedMemory>> mReplies; // kept open, as the cache does
    std::map<Key, std::vector<uint8_t>> mRecords;
    std::map<Key, std::string> mStrings;
    std::map<uintptr_t, int> mMessageCounts;
    intptr_t mStoreReply = 1;
    uint32_t mOfferedExtra = 0;
};

} // namespace LumoTest

using LumoTest::FakeCacheServer;
