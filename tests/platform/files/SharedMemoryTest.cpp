// Named shared blocks: creation is exclusive, views never reach past the
// block, and the creator's close withdraws the name while views stay valid.
#include "platform/files/SharedMemory.h"

#include <gtest/gtest.h>

#include <string>

using Plat::SharedMemory;

namespace {

const std::string kName = "SharedMemoryTest#1";

TEST(SharedMemoryTest, CreatedBlockIsSeenThroughAnotherHandle)
{
    SharedMemory created;
    ASSERT_TRUE(created.Create(kName, 100));
    EXPECT_EQ(created.Size(), 100u);
    uint8_t* view = created.Map();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[99], 0) << "zero-filled";
    view[42] = 7;

    SharedMemory second;
    EXPECT_FALSE(second.Create(kName, 10)) << "a name is made once";
    ASSERT_TRUE(second.Open(kName));
    EXPECT_EQ(second.Size(), 100u);
    const uint8_t* other = second.Map(43);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other[42], 7);
    EXPECT_EQ(second.Map(1), nullptr) << "one view per handle";
}

TEST(SharedMemoryTest, ViewsNeverReachPastTheBlock)
{
    SharedMemory block;
    ASSERT_TRUE(block.Create(kName, 16));
    EXPECT_EQ(block.Map(17), nullptr);
    EXPECT_EQ(block.Map(1 << 20), nullptr);
    ASSERT_NE(block.Map(16), nullptr);
    EXPECT_EQ(block.MappedLength(), 16u);

    SharedMemory empty;
    EXPECT_FALSE(empty.Create("SharedMemoryTest#empty", 0));
    EXPECT_EQ(empty.Map(), nullptr);
}

TEST(SharedMemoryTest, CreatorsCloseWithdrawsTheName)
{
    SharedMemory opened;
    uint8_t* view = nullptr;
    {
        SharedMemory created;
        ASSERT_TRUE(created.Create(kName, 8));
        created.Map()[3] = 9;
        ASSERT_TRUE(opened.Open(kName));
        view = opened.Map();
        ASSERT_NE(view, nullptr);
    }
    EXPECT_EQ(view[3], 9) << "an open view outlives the name";
    SharedMemory again;
    EXPECT_FALSE(again.Open(kName));
    EXPECT_FALSE(SharedMemory::Remove(kName));
}

} // namespace
