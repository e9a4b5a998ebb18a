// Path texts, folder creation and deletion, the move to the application-data
// folder, and access opening.
#include "framework/core/AppDataFolder.h"
#include "framework/core/PathUtils.h"
#include "framework/core/SystemVersion.h"
#include "platform/files/FileSystem.h"
#include "platform/system/SystemInfo.h"
#include "support/FakeFileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// ---- Path texts -------------------------------------------------------------

TEST(PathTextTest, GetFileName)
{
    struct Case {
        const char* path;
        bool noExtension;
        const char* expected;
    };
    const Case cases[] = {
        {"gfx\\ui/button.png", true, "button"},
        {"gfx\\ui/button.png", false, "button.png"},
        {"gfx/ui\\button.png", false, "button.png"}, // the later separator counts
        {"a.b\\c", true, "c"},                       // a dot before the separator is not an extension
        {"a.b/c.d.e", true, "c.d"},                  // only the last extension goes
        {"file.txt", true, "file"},
        {"file", false, "file"},
        {".hidden", true, ""},
        {"dir/", false, ""},
        {"", true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lumo::GetFileName(c.path, c.noExtension), c.expected) << c.path << " " << c.noExtension;
}

TEST(PathTextTest, GetFileDir)
{
    struct Case {
        const char* path;
        bool keepSeparator;
        const char* expected;
    };
    const Case cases[] = {
        {"gfx\\font1.png", false, "gfx"},
        {"gfx\\font1.png", true, "gfx\\"},
        {"a/b\\c", false, "a/b"},
        {"a\\b/c", true, "a\\b/"},
        {"/x", false, ""},
        {"/x", true, "/"},
        {"name", false, ""},
        {"name", true, ""},
        {"", true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lumo::GetFileDir(c.path, c.keepSeparator), c.expected) << c.path << " " << c.keepSeparator;
}

TEST(PathTextTest, TrailingSlashes)
{
    struct RemoveCase {
        const char* path;
        const char* expected;
    };
    const RemoveCase removeCases[] = {
        {"a/", "a"}, {"a\\", "a"}, {"a\\\\", "a\\"}, {"a", "a"}, {"/", ""}, {"", ""},
    };
    for (const RemoveCase& c : removeCases)
        EXPECT_EQ(Lumo::RemoveTrailingSlash(c.path), c.expected) << c.path;

    struct AddCase {
        const char* path;
        bool backslash;
        const char* expected;
    };
    const AddCase addCases[] = {
        {"", true, ""},         {"", false, ""},          {"gfx", true, "gfx\\"}, {"gfx", false, "gfx/"},
        {"gfx/", true, "gfx/"}, {"gfx\\", false, "gfx\\"},
    };
    for (const AddCase& c : addCases)
        EXPECT_EQ(Lumo::AddTrailingSlash(c.path, c.backslash), c.expected) << c.path << " " << c.backslash;
}

TEST(PathTextTest, GetPathFrom)
{
    struct Case {
        const char* relative;
        const char* base;
        const char* expected;
    };
    const Case cases[] = {
        {"..\\data\\x.txt", "C:\\game\\bin", "C:\\game\\data\\x.txt"},
        {"D:\\x", "C:\\game", "D:\\x"},       // a drive: unchanged
        {"D:rel/x", "/base", "D:rel/x"},      // unchanged, separators too
        {"x.txt", "/home/u", "/home/u/x.txt"},
        {"x.txt", "/home/u/", "/home/u/x.txt"},
        {"sub/file", "C:\\game", "C:\\game\\sub\\file"},    // the base's '\\' wins
        {"gfx\\a.png", "/home/u", "\\home\\u\\gfx\\a.png"}, // so does the path's
        {"./a/b", "/base", "/base/a/b"},
        {"../../x", "/a/b/c/", "/a/x"},
        {"../x", "..", "../../x"},   // ".." above ".." stacks up
        {"../../x", "a", "../x"},    // the base ran out: the rest stays
        {"/abs/x", "/base", "/abs/x"}, // a leading separator restarts at the root
        {"\\abs\\x", "C:\\game", "C:\\abs\\x"},
        {"a/../b", "/base", "/base/a/../b"}, // resolving stops at the first name
        {"x", "", "x"},
        {"a\\b", "", "a\\b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lumo::GetPathFrom(c.relative, c.base), c.expected) << c.relative << " from " << c.base;
}

// ---- Working folder ---------------------------------------------------------

// Restores the process's working folder when the test ends.
class WorkingFolderGuard {
public:
    WorkingFolderGuard() : mFolder(fs::current_path()) {}
    ~WorkingFolderGuard() { fs::current_path(mFolder); }

private:
    fs::path mFolder;
};

TEST(WorkingFolderTest, GetCurrentDirHasNoLengthLimit)
{
    TempFolder tmp;
    std::string relative;
    for (int i = 0; i < 12; ++i)
        relative += (i == 0 ? "" : "/") + std::string(40, char('a' + i));
    const std::string deep = tmp.MakeFolder(relative);
    ASSERT_GT(deep.size(), 400u);

    WorkingFolderGuard guard;
    ASSERT_TRUE(Plat::GetFileSystem().SetCurrentFolder(deep));
    EXPECT_EQ(Lumo::GetCurrentDir(), deep);
    EXPECT_EQ(Lumo::GetFullPath("x/y.txt"), deep + "/x/y.txt");
    EXPECT_EQ(Lumo::GetFullPath("../up.txt"), deep.substr(0, deep.rfind('/')) + "/up.txt");
}

TEST(WorkingFolderTest, GetFullPathResolvesAgainstTheWorkingFolder)
{
    FakeFileSystem fake;
    fake.PretendCurrentFolder("/home/player/game");
    ScopedFileSystem install(fake);
    EXPECT_EQ(Lumo::GetFullPath("data/x.txt"), "/home/player/game/data/x.txt");
    EXPECT_EQ(Lumo::GetFullPath("..\\save\\a.dat"), "\\home\\player\\save\\a.dat");
    EXPECT_EQ(Lumo::GetFullPath("/etc/x"), "/etc/x");
}

// ---- Folders ----------------------------------------------------------------

TEST(FolderTest, FileExists)
{
    TempFolder tmp;
    tmp.Write("Sub/File.txt", "x");
    EXPECT_TRUE(Lumo::FileExists(tmp.Join("Sub/File.txt")));
    EXPECT_TRUE(Lumo::FileExists(tmp.Join("SUB\\file.TXT")));
    EXPECT_TRUE(Lumo::FileExists(tmp.Join("sub")));
    EXPECT_FALSE(Lumo::FileExists(tmp.Join("sub\\missing.txt")));
    EXPECT_FALSE(Lumo::FileExists(tmp.Join("missing\\File.txt")));
}

TEST(FolderTest, MkDirMakesEveryFolderAlongThePath)
{
    TempFolder tmp;
    tmp.MakeFolder("Existing");
    Lumo::MkDir(tmp.Join("existing\\a/b\\c"));
    EXPECT_TRUE(fs::is_directory(tmp.Join("Existing/a/b/c")));
    EXPECT_FALSE(tmp.Exists("existing"));

    // Again, and with a trailing separator: nothing changes, nothing fails.
    Lumo::MkDir(tmp.Join("Existing/a/b/c/"));
    EXPECT_TRUE(fs::is_directory(tmp.Join("Existing/a/b/c")));
}

TEST(FolderTest, DeleteFolderTreeDeletesEverything)
{
    TempFolder tmp;
    tmp.Write("Tree/a.txt", "a");
    tmp.Write("Tree/noext", "b");
    tmp.Write("Tree/Sub/c.txt", "c");
    tmp.Write("Tree/Sub/Deeper/d.txt", "d");
    tmp.MakeFolder("Tree/Empty");
    tmp.Write("Kept.txt", "k");

    EXPECT_TRUE(Lumo::DeleteFolderTree(tmp.Join("tree")));
    EXPECT_FALSE(tmp.Exists("Tree"));
    EXPECT_TRUE(tmp.Exists("Kept.txt"));

    tmp.Write("Other/x.txt", "x");
    EXPECT_TRUE(Lumo::DeleteFolderTree(tmp.Join("Other\\")));
    EXPECT_FALSE(tmp.Exists("Other"));
}

TEST(FolderTest, DeleteFolderTreeRefusesShortAndMissingPaths)
{
    TempFolder tmp;
    FakeFileSystem fake;
    ScopedFileSystem install(fake);
    // Nothing may be removed even if the short-path check were wrong.
    fake.FailOn(FsOp::RemoveFile);
    fake.FailOn(FsOp::RemoveFolder);

    EXPECT_FALSE(Lumo::DeleteFolderTree(""));
    EXPECT_FALSE(Lumo::DeleteFolderTree("/"));
    EXPECT_FALSE(Lumo::DeleteFolderTree("\\"));
    EXPECT_TRUE(fake.Calls().empty());

    EXPECT_FALSE(Lumo::DeleteFolderTree(tmp.Join("missing")));
    EXPECT_EQ(fake.CountCalls(FsOp::RemoveFolder), 0u);
}

TEST(FolderTest, DeleteFolderTreeGoesOnAfterAFailedDeletion)
{
    TempFolder tmp;
    tmp.Write("Tree/a.txt", "a");
    tmp.Write("Tree/locked.txt", "l");
    tmp.Write("Tree/z.txt", "z");
    tmp.Write("Tree/Sub/b.txt", "b");
    tmp.Write("Tree/Sub/locked.txt", "l");
    tmp.Write("Tree/Sub2/c.txt", "c");

    FakeFileSystem fake;
    ScopedFileSystem install(fake);
    fake.FailOn(FsOp::RemoveFile, tmp.Join("Tree/locked.txt"));
    fake.FailOn(FsOp::RemoveFile, tmp.Join("Tree/Sub/locked.txt"));

    EXPECT_FALSE(Lumo::DeleteFolderTree(tmp.Join("Tree")));
    EXPECT_TRUE(tmp.Exists("Tree/locked.txt"));
    EXPECT_TRUE(tmp.Exists("Tree/Sub/locked.txt"));
    EXPECT_FALSE(tmp.Exists("Tree/a.txt"));
    EXPECT_FALSE(tmp.Exists("Tree/z.txt"));
    EXPECT_FALSE(tmp.Exists("Tree/Sub/b.txt"));
    EXPECT_FALSE(tmp.Exists("Tree/Sub2"));
}

TEST(FolderTest, DeleteFolderTreeFailsWhenTheFolderStays)
{
    TempFolder tmp;
    tmp.Write("Tree/Sub/a.txt", "a");
    FakeFileSystem fake;
    ScopedFileSystem install(fake);
    fake.FailOn(FsOp::RemoveFolder, tmp.Join("Tree/Sub"));

    EXPECT_FALSE(Lumo::DeleteFolderTree(tmp.Join("Tree")));
    EXPECT_FALSE(tmp.Exists("Tree/Sub/a.txt"));
    EXPECT_TRUE(tmp.Exists("Tree/Sub"));
}

TEST(FolderTest, DeleteFolderTreeNeverFollowsALink)
{
    TempFolder tmp;
    tmp.Write("Outside/precious.txt", "p");
    tmp.Write("Outside/Inner/more.txt", "m");
    tmp.Write("Tree/a.txt", "a");
    tmp.Write("Tree/target.txt", "t");
    fs::create_directory_symlink(tmp.Join("Outside"), tmp.Join("Tree/LinkToOutside"));
    fs::create_symlink(tmp.Join("Tree/target.txt"), tmp.Join("Tree/LinkToFile"));
    fs::create_symlink(tmp.Join("nowhere"), tmp.Join("Tree/Broken"));
    fs::create_directory_symlink(tmp.Join("Outside"), tmp.Join("TopLink"));

    EXPECT_TRUE(Lumo::DeleteFolderTree(tmp.Join("Tree")));
    EXPECT_FALSE(tmp.Exists("Tree"));
    EXPECT_EQ(tmp.Read("Outside/precious.txt"), "p");
    EXPECT_EQ(tmp.Read("Outside/Inner/more.txt"), "m");

    // A link named as the tree itself goes as a link; its target stays.
    EXPECT_TRUE(Lumo::DeleteFolderTree(tmp.Join("TopLink/")));
    EXPECT_FALSE(tmp.Exists("TopLink"));
    EXPECT_EQ(tmp.Read("Outside/precious.txt"), "p");
    EXPECT_EQ(tmp.Read("Outside/Inner/more.txt"), "m");
}

TEST(FolderTest, AllowAllAccessOpensFilesAndFolders)
{
    TempFolder tmp;
    const std::string file = tmp.Write("Locked/file.txt", "x");
    const std::string folder = tmp.Join("Locked");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(folder, fs::perms::owner_all);

    EXPECT_TRUE(Lumo::AllowAllAccess(tmp.Join("locked\\FILE.txt")));
    EXPECT_TRUE(Lumo::AllowAllAccess(folder));
    const fs::perms rw = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                         fs::perms::group_write | fs::perms::others_read | fs::perms::others_write;
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, rw);
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::all);

    EXPECT_FALSE(Lumo::AllowAllAccess(tmp.Join("missing")));
}

// ---- The move to the application-data folder -------------------------------

// Answers a fixed version; installed for the scope, with the cached answers
// forgotten before and after.
class FixedSystemInfo : public Plat::SystemInfo {
public:
    explicit FixedSystemInfo(uint32_t major) : mMajor(major)
    {
        Lumo::detail::ResetSystemVersionCache();
        mPrevious = Plat::SetSystemInfo(this);
    }
    ~FixedSystemInfo() override
    {
        Plat::SetSystemInfo(mPrevious);
        Lumo::detail::ResetSystemVersionCache();
    }
    bool QueryVersion(bool, Plat::OsVersion& out) override
    {
        out.majorVersion = mMajor;
        out.platformId = 2;
        return true;
    }

private:
    uint32_t mMajor;
    Plat::SystemInfo* mPrevious = nullptr;
};

class MoveToAppDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFake.PretendCurrentFolder(mTmp.Join("Game"));
        mTmp.Write("Game/userdata/users.dat", "u");
        mTmp.MakeFolder("AppData"); // the start-up makes it before the move
        Lumo::SetAppDataFolder(mTmp.Join("AppData"));
    }
    void TearDown() override { Lumo::SetAppDataFolder(""); }

    TempFolder mTmp;
    FakeFileSystem mFake;
    ScopedFileSystem mInstall{mFake};
};

TEST_F(MoveToAppDataTest, QueuesAnExistingFolderNotYetMoved)
{
    FixedSystemInfo version6(6);
    Lumo::MoveList list;
    Lumo::QueueMoveToAppData(list, "userdata");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].first, mTmp.Join("Game") + "\\userdata");
    EXPECT_EQ(list[0].second, mTmp.Join("AppData") + "\\userdata");

    Lumo::MoveFolderTree(list);
    EXPECT_EQ(mTmp.Read("AppData/userdata/users.dat"), "u");
    EXPECT_FALSE(mTmp.Exists("Game/userdata"));
}

TEST_F(MoveToAppDataTest, QueuesNothingWhenThereIsNothingToMove)
{
    Lumo::MoveList list;
    {
        FixedSystemInfo version5(5);
        Lumo::QueueMoveToAppData(list, "userdata");
        EXPECT_TRUE(list.empty()) << "older systems keep the folder beside the program";
    }
    FixedSystemInfo version6(6);
    Lumo::QueueMoveToAppData(list, "missing");
    EXPECT_TRUE(list.empty()) << "no source";

    mTmp.MakeFolder("AppData/userdata");
    Lumo::QueueMoveToAppData(list, "userdata");
    EXPECT_TRUE(list.empty()) << "already moved";

    Lumo::SetAppDataFolder("");
    Lumo::QueueMoveToAppData(list, "userdata");
    EXPECT_TRUE(list.empty()) << "no application-data folder";
}

TEST(MoveFolderTreeTest, CopiesWhenTheMoveIsRefused)
{
    TempFolder tmp;
    tmp.Write("Src/a.txt", "new a");
    tmp.Write("Src/b.txt", "b");
    tmp.Write("Src/Sub/c.txt", "c");
    tmp.Write("Src/Sub/Deeper/d.txt", "d");
    tmp.MakeFolder("Src/EmptySub");
    tmp.Write("Dst/a.txt", "old a");

    // The destination exists, so the move is refused and the tree is
    // copied into it without replacing what is there.
    Lumo::MoveFolderTree({{tmp.Join("Src"), tmp.Join("Dst")}});
    EXPECT_EQ(tmp.Read("Dst/a.txt"), "old a");
    EXPECT_EQ(tmp.Read("Dst/b.txt"), "b");
    EXPECT_EQ(tmp.Read("Dst/Sub/c.txt"), "c");
    EXPECT_EQ(tmp.Read("Dst/Sub/Deeper/d.txt"), "d");
    EXPECT_TRUE(fs::is_directory(tmp.Join("Dst/EmptySub")));
    EXPECT_EQ(tmp.Read("Src/Sub/Deeper/d.txt"), "d") << "sources stay";
}

TEST(MoveFolderTreeTest, HandlesEachPairInTurn)
{
    TempFolder tmp;
    tmp.Write("One/x.txt", "1");
    tmp.Write("file.txt", "f");
    tmp.Write("Two/y.txt", "2");

    FakeFileSystem fake;
    ScopedFileSystem install(fake);
    fake.FailOn(FsOp::MoveEntry, tmp.Join("file.txt"));
    fake.FailOn(FsOp::MoveEntry, tmp.Join("Two"));

    Lumo::MoveFolderTree({
        {tmp.Join("One"), tmp.Join("Moved/One")}, // the parent is missing: copied, parent made
        {tmp.Join("missing"), tmp.Join("Nothing")},
        {tmp.Join("file.txt"), tmp.Join("copy.txt")},
        {tmp.Join("Two"), tmp.Join("TwoCopy")},
    });
    EXPECT_EQ(tmp.Read("Moved/One/x.txt"), "1");
    EXPECT_FALSE(tmp.Exists("Nothing"));
    EXPECT_EQ(tmp.Read("copy.txt"), "f");
    EXPECT_EQ(tmp.Read("file.txt"), "f");
    EXPECT_EQ(tmp.Read("TwoCopy/y.txt"), "2");
    EXPECT_EQ(tmp.Read("Two/y.txt"), "2");
}

TEST(MoveFolderTreeTest, CopiesALinkAsAFileAndNeverWalksIntoIt)
{
    TempFolder tmp;
    tmp.Write("Outside/big.txt", "o");
    tmp.Write("Src/real.txt", "r");
    fs::create_directory_symlink(tmp.Join("Outside"), tmp.Join("Src/LinkDir"));
    fs::create_symlink(tmp.Join("Src/real.txt"), tmp.Join("Src/LinkFile"));

    FakeFileSystem fake;
    ScopedFileSystem install(fake);
    fake.FailOn(FsOp::MoveEntry, tmp.Join("Src"));
    Lumo::MoveFolderTree({{tmp.Join("Src"), tmp.Join("Dst")}});

    EXPECT_EQ(tmp.Read("Dst/real.txt"), "r");
    EXPECT_EQ(tmp.Read("Dst/LinkFile"), "r");
    EXPECT_FALSE(tmp.Exists("Dst/LinkDir/big.txt"));
}

} // namespace
