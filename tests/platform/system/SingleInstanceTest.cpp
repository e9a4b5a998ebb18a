// The single-instance lock and the notify messages between copies, on lock
// files and sockets in the test's own folder. Two objects stand for two
// running copies of the program.
#include "platform/system/SingleInstance.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace {

size_t EntryCount(const std::string& folder)
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

TEST(SingleInstanceTest, OnlyOneHolderOfALockAtATime)
{
    TempFolder folder;
    Plat::LocalSingleInstance first(folder.Path());
    Plat::LocalSingleInstance second(folder.Path());

    bool exists = true;
    std::unique_ptr<Plat::InstanceLock> held = first.CreateLock("GameMutex", exists);
    ASSERT_NE(held, nullptr);
    EXPECT_FALSE(exists);

    EXPECT_EQ(second.CreateLock("GameMutex", exists), nullptr);
    EXPECT_TRUE(exists);
    // Another name is another lock.
    EXPECT_NE(second.CreateLock("OtherMutex", exists), nullptr);
    EXPECT_FALSE(exists);

    // Released (as when the first copy ends), the lock can be taken again.
    held.reset();
    EXPECT_NE(second.CreateLock("GameMutex", exists), nullptr);
    EXPECT_FALSE(exists);
}

TEST(SingleInstanceTest, ALockThatCannotBeMadeEnforcesNothing)
{
    TempFolder folder;
    Plat::LocalSingleInstance copy(folder.Join("missing"));
    bool exists = true;
    EXPECT_EQ(copy.CreateLock("GameMutex", exists), nullptr);
    EXPECT_FALSE(exists);
}

TEST(SingleInstanceTest, NamesThatAreNotFileNamesStillLock)
{
    TempFolder folder;
    Plat::LocalSingleInstance first(folder.Path());
    Plat::LocalSingleInstance second(folder.Path());
    bool exists = false;
    auto held = first.CreateLock("My Game/2 Mutex", exists);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(second.CreateLock("My Game/2 Mutex", exists), nullptr);
    EXPECT_TRUE(exists);
}

TEST(SingleInstanceTest, MessageNumbersAreStablePerName)
{
    TempFolder folder;
    Plat::LocalSingleInstance copy(folder.Path());
    const uint32_t game = copy.RegisterMessage("GameNotify");
    const uint32_t other = copy.RegisterMessage("OtherNotify");
    EXPECT_GE(game, 0xC000u);
    EXPECT_NE(game, other);
    EXPECT_EQ(copy.RegisterMessage("GameNotify"), game);
}

TEST(SingleInstanceTest, ABroadcastReachesTheOtherCopiesOfThatName)
{
    TempFolder folder;
    Plat::LocalSingleInstance running(folder.Path());
    Plat::LocalSingleInstance unrelated(folder.Path());
    Plat::LocalSingleInstance starting(folder.Path());
    const uint32_t runningNumber = running.RegisterMessage("GameNotify");
    unrelated.RegisterMessage("OtherNotify");
    running.RegisterMessage("OtherNotify"); // numbers differ between copies
    const uint32_t startingNumber = starting.RegisterMessage("GameNotify");
    ASSERT_NE(runningNumber, 0u);
    ASSERT_NE(startingNumber, 0u);

    uint32_t message = 0;
    uintptr_t wParam = 1;
    intptr_t lParam = 1;
    EXPECT_FALSE(running.ReceiveMessage(message, wParam, lParam)); // nothing yet, and no wait

    starting.BroadcastMessage(startingNumber, 0, 0);
    starting.BroadcastMessage(startingNumber, UINTPTR_MAX, -2);
    ASSERT_TRUE(running.ReceiveMessage(message, wParam, lParam));
    EXPECT_EQ(message, runningNumber);
    EXPECT_EQ(wParam, 0u);
    EXPECT_EQ(lParam, 0);
    ASSERT_TRUE(running.ReceiveMessage(message, wParam, lParam));
    EXPECT_EQ(wParam, UINTPTR_MAX);
    EXPECT_EQ(lParam, -2);
    EXPECT_FALSE(running.ReceiveMessage(message, wParam, lParam));

    // Not to the sender itself, nor to listeners of other names.
    EXPECT_FALSE(starting.ReceiveMessage(message, wParam, lParam));
    EXPECT_FALSE(unrelated.ReceiveMessage(message, wParam, lParam));
}

TEST(SingleInstanceTest, TheFilesOfCopiesThatAreGoneAreCleanedUp)
{
    TempFolder folder;
    {
        Plat::LocalSingleInstance ended(folder.Path());
        ASSERT_NE(ended.RegisterMessage("GameNotify"), 0u);
        EXPECT_EQ(EntryCount(folder.Path()), 1u);
    }
    // A copy that ended removes its socket; one that died leaves it behind.
    EXPECT_EQ(EntryCount(folder.Path()), 0u);
    folder.Write("GameNotify.99999.7.sock", "");
    folder.Write("GameNotify.txt", "not ours");

    Plat::LocalSingleInstance starting(folder.Path());
    const uint32_t number = starting.RegisterMessage("GameNotify");
    starting.BroadcastMessage(number, 0, 0);
    EXPECT_FALSE(folder.Exists("GameNotify.99999.7.sock"));
    EXPECT_TRUE(folder.Exists("GameNotify.txt"));
}

TEST(SingleInstanceTest, UnknownNumbersAndUnusableFoldersSendNothing)
{
    TempFolder folder;
    Plat::LocalSingleInstance copy(folder.Path());
    copy.BroadcastMessage(0, 0, 0);
    copy.BroadcastMessage(0xC000 + 50, 0, 0);

    // A socket path longer than the system allows cannot be registered.
    Plat::LocalSingleInstance deep(folder.MakeFolder(std::string(120, 'd')));
    EXPECT_EQ(deep.RegisterMessage("GameNotify"), 0u);
    EXPECT_EQ(deep.RegisterMessage("GameNotify"), 0u);
    deep.BroadcastMessage(0, 0, 0);
}

} // namespace
