// The process's table of registered message names and message receivers.
#include "platform/system/MessageChannel.h"

#include <cctype>
#include <map>
#include <memory>
#include <mutex>

namespace Plat {

namespace {

struct ChannelTables {
    std::mutex lock;
    std::map<std::string, uint32_t> messageIds;
    uint32_t nextMessageId = 0xC000;
    std::map<uint32_t, std::shared_ptr<MessageReceiver>> receivers;
    uint32_t nextWindow = 0x1000;
};

ChannelTables& Tables()
{
    static ChannelTables tables;
    return tables;
}

} // namespace

uint32_t RegisterMessageName(const std::string& name)
{
    std::string key = name;
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ChannelTables& tables = Tables();
    std::lock_guard<std::mutex> guard(tables.lock);
    const auto found = tables.messageIds.find(key);
    if (found != tables.messageIds.end())
        return found->second;
    const uint32_t id = tables.nextMessageId++;
    tables.messageIds.emplace(key, id);
    return id;
}

intptr_t SendMessageTo(uint32_t window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    std::shared_ptr<MessageReceiver> receiver;
    {
        ChannelTables& tables = Tables();
        std::lock_guard<std::mutex> guard(tables.lock);
        const auto found = tables.receivers.find(window);
        if (found == tables.receivers.end())
            return 0;
        receiver = found->second;
    }
    // Held by a shared pointer, so a receiver removed meanwhile finishes this call.
    return (*receiver)(message, wParam, lParam);
}

uint32_t AddMessageReceiver(MessageReceiver receiver)
{
    ChannelTables& tables = Tables();
    std::lock_guard<std::mutex> guard(tables.lock);
    const uint32_t window = tables.nextWindow++;
    tables.receivers.emplace(window, std::make_shared<MessageReceiver>(std::move(receiver)));
    return window;
}

void RemoveMessageReceiver(uint32_t window)
{
    ChannelTables& tables = Tables();
    std::lock_guard<std::mutex> guard(tables.lock);
    tables.receivers.erase(window);
}

} // namespace Plat
