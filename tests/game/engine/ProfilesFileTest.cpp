// How the player file is kept: loads of good, short, long and missing files,
// the backup, the set-aside file, saves that fail or are cut short by a
// killed process, and the temporaries an interrupted save leaves.
#include "game/engine/PlayerProfiles.h"

#include "game/engine/GameState.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kFileSize = 52284;

class ProfilesFileTest : public ::testing::Test {
protected:
    PlayerProfiles& Profiles() { return game.mProfiles; }

    // A good file whose first profile is named and current.
    std::string GoodFile(const char* name, int32_t score)
    {
        PlayerProfiles profiles;
        profiles.CreateDefaults();
        profiles.mProfiles[0].SetName(name);
        profiles.mProfiles[0].mScore = score;
        std::string bytes(kFileSize, '\0');
        profiles.Write(reinterpret_cast<uint8_t*>(bytes.data()));
        return bytes;
    }

    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder folder;
    GameState game;
};

TEST_F(ProfilesFileTest, LoadsOnlyARightSizedFileAndSetsOthersAside)
{
    struct Case {
        const char* what;
        long size; // -1: no file
        bool goodBackup;
        ProfilesLoadResult want;
        const char* wantName;
    };
    const Case cases[] = {
        {"right size", 52284, false, ProfilesLoadResult::kLoaded, "Main"},
        {"one byte short", 52283, false, ProfilesLoadResult::kDefaults, ""},
        {"one byte long", 52285, false, ProfilesLoadResult::kDefaults, ""},
        {"empty", 0, false, ProfilesLoadResult::kDefaults, ""},
        {"short, backup good", 52283, true, ProfilesLoadResult::kLoadedBackup, "Backup"},
        {"missing, backup good", -1, true, ProfilesLoadResult::kLoadedBackup, "Backup"},
        {"missing", -1, false, ProfilesLoadResult::kDefaults, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder caseFolder;
        std::string main = GoodFile("Main", 7);
        if (c.size >= 0) {
            main.resize(size_t(c.size), 'z');
            caseFolder.Write("userdata/profiles.dat", main);
        }
        if (c.goodBackup)
            caseFolder.Write("userdata/profiles.dat.bak", GoodFile("Backup", 8));

        EXPECT_EQ(LoadProfiles(caseFolder.Join("userdata")), c.want);
        EXPECT_STREQ(Profiles().Current().mName, c.wantName);
        // What was read or made is on disk at once.
        EXPECT_EQ(caseFolder.Read("userdata/profiles.dat").size(), kFileSize);
        const bool setAside = c.size >= 0 && c.size != 52284;
        EXPECT_EQ(caseFolder.Exists("userdata/profiles.dat.rejected"), setAside);
        if (setAside) {
            EXPECT_EQ(caseFolder.Read("userdata/profiles.dat.rejected"), main);
        }
    }
}

TEST_F(ProfilesFileTest, AReplayLeavesABrokenFileWhereItIs)
{
    folder.Write("profiles.dat", "broken");
    Profiles().mFile.SetReplaying(true);
    EXPECT_EQ(LoadProfiles(folder.Path() + "/"), ProfilesLoadResult::kDefaults);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"profiles.dat"});
    EXPECT_EQ(folder.Read("profiles.dat"), "broken");
}

TEST_F(ProfilesFileTest, ASecondRejectedFileDoesNotReplaceTheFirst)
{
    folder.Write("profiles.dat.rejected", "first");
    folder.Write("profiles.dat", "second");
    EXPECT_EQ(LoadProfiles(folder.Path() + "/"), ProfilesLoadResult::kDefaults);
    EXPECT_EQ(folder.Read("profiles.dat.rejected"), "first");
    EXPECT_EQ(folder.Read("profiles.dat.rejected.2"), "second");
}

TEST_F(ProfilesFileTest, AFolderInThePlayerFilesPlaceIsSetAsideWithAClearReason)
{
    folder.MakeFolder("profiles.dat");
    EXPECT_EQ(LoadProfiles(folder.Path()), ProfilesLoadResult::kDefaults);
    const std::string error = Profiles().mFile.GetError();
    EXPECT_NE(error.find("profiles.dat"), std::string::npos) << error;
    EXPECT_NE(error.find(std::strerror(EISDIR)), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(folder.Join("profiles.dat.rejected")));
    EXPECT_EQ(folder.Read("profiles.dat").size(), kFileSize);
}

TEST_F(ProfilesFileTest, SavesKeepThePreviousFileAsBackupAndRoundTrip)
{
    folder.Write("profiles.dat", GoodFile("First", 1));
    // Backslashes as the game's paths have them.
    ASSERT_EQ(LoadProfiles(folder.Path() + "\\"), ProfilesLoadResult::kLoaded);
    Profiles().Current().SetName("Second");
    Profiles().Current().mInstructions = 1;
    ASSERT_TRUE(SaveProfiles());
    EXPECT_EQ(folder.Read("profiles.dat.bak"), GoodFile("First", 1));

    GameState fresh;
    ASSERT_EQ(LoadProfiles(folder.Path()), ProfilesLoadResult::kLoaded);
    EXPECT_STREQ(fresh.mProfiles.Current().mName, "Second");
    EXPECT_EQ(fresh.mProfiles.Current().mInstructions, 1);
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"profiles.dat", "profiles.dat.bak"}));
}

TEST_F(ProfilesFileTest, AFailedSaveLeavesBothFilesAndSaysWhy)
{
    folder.Write("profiles.dat", GoodFile("Disk", 1));
    folder.Write("profiles.dat.bak", GoodFile("Older", 1));
    ASSERT_EQ(LoadProfiles(folder.Path()), ProfilesLoadResult::kLoaded);
    Profiles().Current().SetName("Lost");

    // The disk fills up halfway through.
    Profiles().mFile.SetWriter([](int descriptor, const uint8_t* data, size_t size) {
        return write(descriptor, data, size / 2) >= 0 && false;
    });
    EXPECT_FALSE(SaveProfiles());
    EXPECT_NE(Profiles().mFile.GetError().find("profiles.dat"), std::string::npos);
    EXPECT_EQ(folder.Read("profiles.dat"), GoodFile("Disk", 1));
    EXPECT_EQ(folder.Read("profiles.dat.bak"), GoodFile("Older", 1));
    EXPECT_STREQ(Profiles().Current().mName, "Lost"); // still in memory

    // A folder that cannot be made: a file stands where it should be.
    folder.Write("blocked", "a file");
    EXPECT_EQ(LoadProfiles(folder.Join("blocked/userdata")), ProfilesLoadResult::kDefaultsNotSaved);
    EXPECT_NE(Profiles().mFile.GetError().find("blocked/userdata"), std::string::npos);
    EXPECT_EQ(folder.Read("blocked"), "a file");
}

TEST_F(ProfilesFileTest, SavingBeforeAnyLoadWritesNothing)
{
    EXPECT_FALSE(SaveProfiles());
    EXPECT_FALSE(Profiles().mFile.GetError().empty());
}

// A child process loads the file, changes the profiles and saves; the writer
// kills it at the given write call, after writing the given share of bytes.
// The parent then loads the file again.
TEST_F(ProfilesFileTest, ASaveKilledPartWayLeavesTheOldOrTheNewProfiles)
{
    struct Case {
        const char* what;
        int killAtCall; // 1: the backup's write, 2: the file's
        bool wholeBytes;
        const char* wantName;
    };
    const Case cases[] = {
        {"halfway through the backup", 1, false, "Old"},
        {"halfway through the new bytes", 2, false, "Old"},
        {"between the backup and the rename", 2, true, "Old"},
        {"not killed", 0, true, "New"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder caseFolder;
        caseFolder.Write("profiles.dat", GoodFile("Old", 1));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            GameState childGame;
            LoadProfiles(caseFolder.Path());
            childGame.mProfiles.Current().SetName("New");
            int calls = 0;
            childGame.mProfiles.mFile.SetWriter([&](int descriptor, const uint8_t* data, size_t size) {
                ++calls;
                const size_t count = c.killAtCall == calls && !c.wholeBytes ? size / 2 : size;
                if (!Plat::WriteAllBytes(descriptor, data, count))
                    _exit(3);
                if (calls == c.killAtCall)
                    raise(SIGKILL);
                return true;
            });
            _exit(SaveProfiles() ? 0 : 4);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (c.killAtCall != 0) {
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(WTERMSIG(status), SIGKILL);
        } else {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 0);
        }

        GameState parentGame;
        EXPECT_EQ(LoadProfiles(caseFolder.Path()), ProfilesLoadResult::kLoaded);
        EXPECT_STREQ(parentGame.mProfiles.Current().mName, c.wantName);
        for (const auto& entry : std::filesystem::directory_iterator(caseFolder.Path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "profiles.dat" || name == "profiles.dat.bak") << name;
        }
    }
}

} // namespace
