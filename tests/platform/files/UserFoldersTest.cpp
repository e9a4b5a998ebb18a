// The per-user folders follow the XDG variables when they hold absolute
// paths, else the defaults under the home folder.
#include "platform/files/UserFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets or unsets an environment variable for the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : mName(name)
    {
        if (const char* old = std::getenv(name))
            mOld = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (mOld)
            setenv(mName, mOld->c_str(), 1);
        else
            unsetenv(mName);
    }

private:
    const char* mName;
    std::optional<std::string> mOld;
};

TEST(UserFoldersTest, DataAndConfigHomes)
{
    ScopedEnvironment home("HOME", "/home/player");
    struct Case {
        const char* value; // null: unset
        const char* expectedData;
        const char* expectedConfig;
    };
    const Case cases[] = {
        {"/xdg/place", "/xdg/place", "/xdg/place"},
        {nullptr, "/home/player/.local/share", "/home/player/.config"},
        {"", "/home/player/.local/share", "/home/player/.config"},
        {"relative/place", "/home/player/.local/share", "/home/player/.config"}, // only absolute paths count
    };
    for (const Case& c : cases) {
        ScopedEnvironment data("XDG_DATA_HOME", c.value);
        ScopedEnvironment config("XDG_CONFIG_HOME", c.value);
        EXPECT_EQ(Plat::UserDataHome(), c.expectedData) << (c.value ? c.value : "unset");
        EXPECT_EQ(Plat::UserConfigHome(), c.expectedConfig) << (c.value ? c.value : "unset");
    }
}

TEST(UserFoldersTest, RuntimeFolder)
{
    {
        ScopedEnvironment runtime("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(Plat::UserRuntimeFolder(), "/run/user/1000");
    }
    ScopedEnvironment runtime("XDG_RUNTIME_DIR", nullptr);
    {
        ScopedEnvironment tmp("TMPDIR", "/var/tmp");
        EXPECT_EQ(Plat::UserRuntimeFolder(), "/var/tmp");
    }
    ScopedEnvironment tmp("TMPDIR", nullptr);
    EXPECT_EQ(Plat::UserRuntimeFolder(), "/tmp");
}

} // namespace
