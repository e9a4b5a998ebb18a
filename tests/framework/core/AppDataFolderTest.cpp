// The application-data folder setting and the default folder of a product.
#include "framework/core/AppDataFolder.h"
#include "platform/files/UserFolders.h"

#include <gtest/gtest.h>

namespace {

TEST(AppDataFolderTest, SetAppendsOneSeparator)
{
    EXPECT_EQ(Lumo::GetAppDataFolder(), "") << "never set";

    struct Case {
        const char* folder;
        const char* expected;
    };
    const Case cases[] = {
        {"/home/u/.local/share/Co/Game", "/home/u/.local/share/Co/Game\\"},
        {"/data/", "/data/"},
        {"C:\\data\\", "C:\\data\\"},
        {"", ""}, // clears; never the root "\\"
    };
    for (const Case& c : cases) {
        Lumo::SetAppDataFolder(c.folder);
        EXPECT_EQ(Lumo::GetAppDataFolder(), c.expected) << c.folder;
    }
}

TEST(AppDataFolderTest, DefaultIsUnderTheUserDataHome)
{
    const std::string home = Plat::UserDataHome();
    EXPECT_EQ(Lumo::DefaultAppDataFolder("Company", "Product"), home + "/Company/Product");
    EXPECT_EQ(Lumo::DefaultAppDataFolder("", "Product"), home + "/Product");
}

} // namespace
