// A re-entrant lock that is ready before any constructor runs (constant
// initialisation) and is never torn down, for trackers that the allocation
// functions reach during static construction and destruction.
#pragma once

#include <pthread.h>

namespace Plat {

class StaticReentrantLock {
public:
    constexpr StaticReentrantLock() = default;
    StaticReentrantLock(const StaticReentrantLock&) = delete;
    StaticReentrantLock& operator=(const StaticReentrantLock&) = delete;

    void Enter() { pthread_mutex_lock(&mMutex); }
    void Leave() { pthread_mutex_unlock(&mMutex); }

private:
    pthread_mutex_t mMutex = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;
};

class StaticLockGuard {
public:
    explicit StaticLockGuard(StaticReentrantLock& lock) : mLock(lock) { mLock.Enter(); }
    ~StaticLockGuard() { mLock.Leave(); }
    StaticLockGuard(const StaticLockGuard&) = delete;
    StaticLockGuard& operator=(const StaticLockGuard&) = delete;

private:
    StaticReentrantLock& mLock;
};

} // namespace Plat
