// The data-cache client against a fake cache running in the test over real
// shared memory: connection, fetch and store round trips, the gone-cache
// reply, field limits, and the bounded record readers and writers.
#include "framework/resources/DataCacheClient.h"

#include "support/FakeCacheServer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

using Lumo::DataCacheClient;

namespace {

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Stores a record through the client's full store sequence.
bool Store(DataCacheClient& client, const std::string& name, const std::string& kind, const std::string& data)
{
    uint8_t* area = client.BeginStore(name, kind, static_cast<uint32_t>(data.size()));
    if (area == nullptr)
        return false;
    std::memcpy(area, data.data(), data.size());
    const bool committed = client.CommitStore(area);
    client.ReleaseRequest(area);
    return committed;
}

} // namespace

TEST(DataCacheClientTest, WithoutCacheEveryRequestFailsAtOnce)
{
    DataCacheClient client;
    EXPECT_FALSE(client.IsConnected());
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_FALSE(client.Fetch("file.png", "Buffer", data, size));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(client.BeginStore("file.png", "Buffer", 10), nullptr);
    client.StoreString("file.png", "Buffer", "text"); // nothing to do, no crash
    // The process's own client stays disconnected too: nothing publishes here.
    EXPECT_FALSE(Lumo::GetDataCacheClient().IsConnected());
}

TEST(DataCacheClientTest, ConnectsToThePublishedCacheAndCopiesItsWords)
{
    FakeCacheServer server;
    DataCacheClient client;
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.mCacheWord0, 0x11111111u);
    EXPECT_EQ(client.mCacheWindow, server.Window());
    EXPECT_EQ(client.mCacheWord2, 0x22222222u);
    EXPECT_EQ(client.mCacheWord3, 0x33333333u);
}

TEST(DataCacheClientTest, StoredRecordComesBackByNameAndKind)
{
    FakeCacheServer server;
    DataCacheClient client;
    ASSERT_TRUE(Store(client, "C:\\game\\a.png", "DDImage:GetImage", "record bytes"));
    EXPECT_EQ(server.MessageCount(DataCacheClient::kCodeStore), 1);
    const auto records = server.Records();
    ASSERT_EQ(records.count({"C:\\game\\a.png", "DDImage:GetImage"}), 1u);
    EXPECT_EQ(records.at({"C:\\game\\a.png", "DDImage:GetImage"}), Bytes("record bytes"));

    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(client.Fetch("C:\\game\\a.png", "DDImage:GetImage", data, size));
    ASSERT_EQ(size, 12u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), "record bytes");
    client.ReleaseFetched(data);

    // Another kind under the same name is another record.
    EXPECT_FALSE(client.Fetch("C:\\game\\a.png", "Sound", data, size));
    EXPECT_EQ(server.MessageCount(DataCacheClient::kCodeFetch), 2);
}

TEST(DataCacheClientTest, StoreStringSendsTheTextWithCodeTwo)
{
    FakeCacheServer server;
    DataCacheClient client;
    client.StoreString("res", "ImageFont2:ResMan", "res.*");
    EXPECT_EQ(server.MessageCount(DataCacheClient::kCodeStoreString), 1);
    EXPECT_EQ(server.Strings().at({"res", "ImageFont2:ResMan"}), "res.*");
}

TEST(DataCacheClientTest, GoneReplyDisconnectsForGood)
{
    FakeCacheServer server;
    DataCacheClient client;
    server.SetStoreReply(-1);
    uint8_t* area = client.BeginStore("a", "Buffer", 4);
    ASSERT_NE(area, nullptr);
    EXPECT_FALSE(client.CommitStore(area));
    client.ReleaseRequest(area);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.BeginStore("a", "Buffer", 4), nullptr);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    const int before = server.TotalMessages();
    EXPECT_FALSE(client.Fetch("a", "Buffer", data, size));
    EXPECT_EQ(server.TotalMessages(), before);
}

TEST(DataCacheClientTest, CommitOfUnknownPointerFailsWithoutMessage)
{
    FakeCacheServer server;
    DataCacheClient client;
    uint8_t stray[4] = {};
    EXPECT_FALSE(client.CommitStore(stray));
    client.ReleaseRequest(stray); // unknown: ignored
    client.ReleaseFetched(stray);
    EXPECT_EQ(server.TotalMessages(), 0);

    // A fetched record is not a store request either.
    server.PutRecord({"f", "Buffer"}, Bytes("xy"));
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(client.Fetch("f", "Buffer", data, size));
    EXPECT_FALSE(client.CommitStore(const_cast<uint8_t*>(data)));
    client.ReleaseFetched(data);
    EXPECT_EQ(server.MessageCount(DataCacheClient::kCodeStore), 0);
}

TEST(DataCacheClientTest, NamesThatDoNotFitTheirFieldsAreRefused)
{
    FakeCacheServer server;
    DataCacheClient client;
    struct Case {
        size_t nameLength;
        size_t kindLength;
        bool accepted;
    } cases[] = {
        {255, 5, true},  // 255 characters and the terminator fill the field
        {256, 5, false},
        {5, 511, true},
        {5, 512, false},
        {5000, 5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.nameLength) + " " + std::to_string(c.kindLength));
        const std::string name(c.nameLength, 'n');
        const std::string kind(c.kindLength, 'k');
        const int before = server.TotalMessages();
        EXPECT_EQ(Store(client, name, kind, "data"), c.accepted);
        const uint8_t* data = nullptr;
        uint32_t size = 0;
        EXPECT_EQ(client.Fetch(name, kind, data, size), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(size, 4u);
            client.ReleaseFetched(data);
            EXPECT_EQ(server.Records().count({name, kind}), 1u);
        } else {
            EXPECT_EQ(server.TotalMessages(), before);
        }
    }
}

TEST(DataCacheClientTest, RecordOfferedLargerThanItsBlockIsAMiss)
{
    FakeCacheServer server;
    DataCacheClient client;
    server.PutRecord({"big", "Buffer"}, std::vector<uint8_t>(100, 7));
    server.SetOfferedExtra(1 << 20); // far past the block's last page
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_FALSE(client.Fetch("big", "Buffer", data, size));

    server.SetOfferedExtra(0);
    ASSERT_TRUE(client.Fetch("big", "Buffer", data, size));
    EXPECT_EQ(size, 100u);
    EXPECT_EQ(data[99], 7);
    client.ReleaseFetched(data);

    // An empty record is a miss as well.
    server.PutRecord({"empty", "Buffer"}, {});
    EXPECT_FALSE(client.Fetch("empty", "Buffer", data, size));
}

TEST(DataCacheClientTest, OneOpenRequestPerThread)
{
    FakeCacheServer server;
    DataCacheClient client;
    uint8_t* first = client.BeginStore("one", "Buffer", 3);
    ASSERT_NE(first, nullptr);
    // A second request would share the first one's block.
    EXPECT_EQ(client.BeginStore("two", "Buffer", 3), nullptr);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_FALSE(client.Fetch("one", "Buffer", data, size));

    // Another thread has a block of its own.
    bool otherStored = false;
    std::thread other([&] { otherStored = Store(client, "other", "Buffer", "abc"); });
    other.join();
    EXPECT_TRUE(otherStored);

    std::memcpy(first, "xyz", 3);
    EXPECT_TRUE(client.CommitStore(first));
    client.ReleaseRequest(first);
    EXPECT_TRUE(Store(client, "two", "Buffer", "def"));
    const auto records = server.Records();
    EXPECT_EQ(records.at({"one", "Buffer"}), Bytes("xyz"));
    EXPECT_EQ(records.at({"two", "Buffer"}), Bytes("def"));
    EXPECT_EQ(records.at({"other", "Buffer"}), Bytes("abc"));
}

TEST(DataCacheClientTest, ThreadsStoreAndFetchAtTheSameTime)
{
    FakeCacheServer server;
    DataCacheClient client;
    constexpr int kThreads = 4;
    constexpr int kRounds = 20;
    std::vector<int> good(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int r = 0; r < kRounds; ++r) {
                const std::string name = "t" + std::to_string(t) + "r" + std::to_string(r);
                if (!Store(client, name, "Buffer", name))
                    continue;
                const uint8_t* data = nullptr;
                uint32_t size = 0;
                if (client.Fetch(name, "Buffer", data, size)) {
                    if (std::string(reinterpret_cast<const char*>(data), size) == name)
                        ++good[t];
                    client.ReleaseFetched(data);
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(good[t], kRounds) << "thread " << t;
}

TEST(DataCacheClientTest, InstalledClientReplacesTheProcessOne)
{
    FakeCacheServer server;
    DataCacheClient client;
    DataCacheClient* previous = Lumo::SetDataCacheClient(&client);
    EXPECT_EQ(&Lumo::GetDataCacheClient(), &client);
    Lumo::SetDataCacheClient(previous);
    EXPECT_NE(&Lumo::GetDataCacheClient(), &client);
}

TEST(DataCacheClientTest, StringFieldsAdvanceByLengthWordAndCharacters)
{
    uint8_t buffer[16] = {};
    uint8_t* out = buffer;
    ASSERT_TRUE(Lumo::CacheWriteString(out, buffer + sizeof(buffer), "hello"));
    EXPECT_EQ(out - buffer, 9);
    // Length 5, little-endian, then the characters without terminator.
    EXPECT_EQ(buffer[0], 5);
    EXPECT_EQ(buffer[1], 0);
    EXPECT_EQ(buffer[4], 'h');
    EXPECT_EQ(buffer[8], 'o');
    EXPECT_EQ(buffer[9], 0);

    const uint8_t* in = buffer;
    std::string text;
    ASSERT_TRUE(Lumo::CacheReadString(in, buffer + 9, text));
    EXPECT_EQ(text, "hello");
    EXPECT_EQ(in, buffer + 9);
}

TEST(DataCacheClientTest, ReadsAndWritesStopAtTheEndOfTheRecord)
{
    uint8_t buffer[8] = {5, 0, 0, 0, 'a', 'b', 'c', 'd'};
    const uint8_t* end = buffer + sizeof(buffer);

    // The length says 5, four characters remain.
    const uint8_t* in = buffer;
    std::string text = "kept";
    EXPECT_FALSE(Lumo::CacheReadString(in, end, text));
    EXPECT_EQ(in, buffer);

    // A length near 4 GiB is refused before anything is allocated for it.
    uint8_t huge[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    in = huge;
    EXPECT_FALSE(Lumo::CacheReadString(in, huge + 4, text));
    in = huge;
    EXPECT_FALSE(Lumo::CacheReadString(in, huge + 3, text)); // not even a length word

    in = buffer + 4;
    uint8_t four[4];
    ASSERT_TRUE(Lumo::CacheReadBytes(in, end, four, 4));
    EXPECT_EQ(in, end);
    EXPECT_FALSE(Lumo::CacheReadBytes(in, end, four, 1));
    EXPECT_TRUE(Lumo::CacheReadBytes(in, end, four, 0));

    uint8_t* out = buffer;
    EXPECT_FALSE(Lumo::CacheWriteString(out, buffer + sizeof(buffer), "12345"));
    EXPECT_EQ(out, buffer);
    EXPECT_TRUE(Lumo::CacheWriteBytes(out, buffer + sizeof(buffer), "12345678", 8));
    EXPECT_FALSE(Lumo::CacheWriteBytes(out, buffer + sizeof(buffer), "9", 1));
}
