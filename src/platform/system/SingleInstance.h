// Keeping one copy of the program running and letting a second copy wake
// the first. The named lock is a lock file in the user's runtime folder
// (held with flock, so a copy that dies releases it); a registered notify
// message is a datagram socket per listener in the same folder, and a
// broadcast sends to every listener registered under the message's name.
// The message reaches the running copy here rather than through a window,
// so the original's invisible message window has no counterpart.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Plat {

// A held instance lock; destroying it releases the lock.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
};

class SingleInstance {
public:
    virtual ~SingleInstance() = default;

    // The process's number of the notify message of that name (the same
    // number for the same name, never 0); from now on this process receives
    // what others broadcast under the name. 0 when it cannot be registered.
    virtual uint32_t RegisterMessage(const std::string& name) = 0;
    // Takes the named lock. Null when it is not taken: `alreadyExists` then
    // tells whether another holder has it (false: the lock could not be made
    // at all, and nothing is enforced).
    virtual std::unique_ptr<InstanceLock> CreateLock(const std::string& name, bool& alreadyExists) = 0;
    // Sends the message with its two parameters to every other listener of
    // its name. Unknown numbers send nothing.
    virtual void BroadcastMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // Takes one message that arrived; false when none waits. Never blocks.
    virtual bool ReceiveMessage(uint32_t& message, uintptr_t& wParam, intptr_t& lParam) = 0;
};

// The lock files and sockets of a folder (the user's runtime folder unless
// another is given).
class LocalSingleInstance : public SingleInstance {
public:
    LocalSingleInstance();
    explicit LocalSingleInstance(const std::string& folder);
    ~LocalSingleInstance() override;
    LocalSingleInstance(const LocalSingleInstance&) = delete;
    LocalSingleInstance& operator=(const LocalSingleInstance&) = delete;

    uint32_t RegisterMessage(const std::string& name) override;
    std::unique_ptr<InstanceLock> CreateLock(const std::string& name, bool& alreadyExists) override;
    void BroadcastMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    bool ReceiveMessage(uint32_t& message, uintptr_t& wParam, intptr_t& lParam) override;

private:
    struct Listener {
        std::string name;
        std::string path; // the socket's file
        int socket = -1;
    };

    const std::string& Folder();

    std::string mFolder;
    std::vector<Listener> mListeners; // index + first number = message number
};

// The single-instance facility in use; the runtime folder's unless a test
// installed another.
SingleInstance& GetSingleInstance();
// Installs one (null restores the real one); returns the previous one.
SingleInstance* SetSingleInstance(SingleInstance* instance);

} // namespace Plat
