// A lock that the thread holding it may enter again, as the framework's
// critical sections expect, and the guard that holds it for a scope.
#pragma once

#include <mutex>

namespace Plat {

class ReentrantLock {
public:
    ReentrantLock() = default;
    ReentrantLock(const ReentrantLock&) = delete;
    ReentrantLock& operator=(const ReentrantLock&) = delete;

    void Enter() { mMutex.lock(); }
    bool TryEnter() { return mMutex.try_lock(); }
    void Leave() { mMutex.unlock(); }

private:
    std::recursive_mutex mMutex;
};

// Enters on construction, leaves on destruction (also when unwinding).
class ScopedLock {
public:
    explicit ScopedLock(ReentrantLock& lock) : mLock(lock) { mLock.Enter(); }
    ~ScopedLock() { mLock.Leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    ReentrantLock& mLock;
};

} // namespace Plat
