// The framework's critical section and its scoped guard. Re-entrant: the
// thread that holds it may enter it again.
#pragma once

#include "platform/system/ReentrantLock.h"

namespace Lumo {

class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { mLock.Enter(); }
    bool TryEnter() { return mLock.TryEnter(); }
    void Leave() { mLock.Leave(); }

private:
    Plat::ReentrantLock mLock;
};

// Enters on construction and leaves on destruction, also when unwinding.
class AutoCrit {
public:
    explicit AutoCrit(CriticalSection& section) : mSection(section) { mSection.Enter(); }
    ~AutoCrit() { mSection.Leave(); }
    AutoCrit(const AutoCrit&) = delete;
    AutoCrit& operator=(const AutoCrit&) = delete;

private:
    CriticalSection& mSection;
};

} // namespace Lumo
