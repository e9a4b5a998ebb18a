// Registered message ids and synchronous delivery to in-process receivers.
#include "platform/system/MessageChannel.h"

#include <gtest/gtest.h>

#include <thread>

TEST(MessageChannelTest, NamesGiveStableIdsIgnoringCase)
{
    const uint32_t id = Plat::RegisterMessageName("MessageChannelTestMessage");
    EXPECT_GE(id, 0xC000u);
    EXPECT_EQ(Plat::RegisterMessageName("messagechanneltestmessage"), id);
    EXPECT_NE(Plat::RegisterMessageName("MessageChannelTestOther"), id);
}

TEST(MessageChannelTest, SendReachesTheReceiverOnTheSendingThread)
{
    std::thread::id receivedOn;
    const uint32_t window = Plat::AddMessageReceiver([&](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        receivedOn = std::this_thread::get_id();
        return static_cast<intptr_t>(message + wParam) - lParam;
    });
    EXPECT_NE(window, 0u);
    EXPECT_EQ(Plat::SendMessageTo(window, 100, 20, 3), 117);
    EXPECT_EQ(receivedOn, std::this_thread::get_id());

    Plat::RemoveMessageReceiver(window);
    EXPECT_EQ(Plat::SendMessageTo(window, 100, 20, 3), 0) << "a window that is gone answers 0";
    EXPECT_EQ(Plat::SendMessageTo(0, 1, 2, 3), 0);
}
