// Sets an environment variable for a test's lifetime and puts back what was
// there before, so tests can point the XDG folders at their own temporary
// folder.
#pragma once

#include <cstdlib>
#include <string>

namespace LumoTest {

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : mName(name)
    {
        const char* old = std::getenv(name);
        mHadOld = old != nullptr;
        if (mHadOld)
            mOld = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment()
    {
        if (mHadOld)
            setenv(mName.c_str(), mOld.c_str(), 1);
        else
            unsetenv(mName.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string mName;
    std::string mOld;
    bool mHadOld = false;
};

} // namespace LumoTest

using LumoTest::ScopedEnvironment;
