// The file system as callers written for the original platform see it:
// '\\' separators, names looked up without regard to case, wildcard
// searches, entry attributes, and moves and copies that never replace.
#include "platform/files/FileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(NativePathTest, MatchesEachComponentIgnoringCase)
{
    TempFolder tmp;
    tmp.Write("Data/Sub/File.TXT", "x");
    tmp.Write("Data/exact.txt", "e");
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();

    struct Case {
        const char* relative; // under the temporary folder, as a caller writes it
        const char* expected;
    };
    const Case cases[] = {
        {"Data/Sub/File.TXT", "Data/Sub/File.TXT"},   // exists as written
        {"data\\SUB\\file.txt", "Data/Sub/File.TXT"}, // every component found ignoring case
        {"DATA/sub/", "Data/Sub/"},
        {"data\\sub\\New.txt", "Data/Sub/New.txt"},   // a new name stays as written
        {"data\\nope\\file.txt", "Data/nope/file.txt"}, // past a missing folder nothing is looked up
        {"data\\.\\EXACT.txt", "Data/./exact.txt"},
        {"Data\\\\Sub\\file.txt", "Data/Sub/File.TXT"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileSystem.NativePath(tmp.Path() + "\\" + c.relative), tmp.Path() + "/" + c.expected)
            << c.relative;
    EXPECT_EQ(fileSystem.NativePath(""), "");
}

TEST(FileSystemTest, OpensFilesThroughBackslashPathsInAnyCase)
{
    TempFolder tmp;
    tmp.Write("Data/Sub/File.txt", "hello");
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();

    FILE* in = fileSystem.OpenFile(tmp.Join("DATA\\sub\\FILE.TXT"), "rb");
    ASSERT_NE(in, nullptr);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text, in), 5u);
    std::fclose(in);
    EXPECT_STREQ(text, "hello");

    FILE* out = fileSystem.OpenFile(tmp.Join("data\\SUB\\New.txt"), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("new", out);
    std::fclose(out);
    EXPECT_EQ(tmp.Read("Data/Sub/New.txt"), "new");

    EXPECT_EQ(fileSystem.OpenFile(tmp.Join("data\\missing.txt"), "rb"), nullptr);
    EXPECT_EQ(fileSystem.OpenFile("", "rb"), nullptr);
}

TEST(FileSystemTest, MapReadOnly)
{
    TempFolder tmp;
    tmp.Write("Full.bin", std::string("\x01\x02\x00\x03", 4));
    tmp.Write("Empty.bin", "");
    tmp.MakeFolder("Folder");
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();

    Plat::MappedFile mapped = fileSystem.MapReadOnly(tmp.Join("full.BIN"));
    ASSERT_TRUE(mapped.IsOpen());
    ASSERT_EQ(mapped.Size(), 4u);
    EXPECT_EQ(std::vector<uint8_t>(mapped.Data(), mapped.Data() + 4), (std::vector<uint8_t>{1, 2, 0, 3}));

    Plat::MappedFile moved = std::move(mapped);
    EXPECT_FALSE(mapped.IsOpen());
    EXPECT_EQ(moved.Size(), 4u);
    EXPECT_EQ(moved.Data()[3], 3);

    for (const char* name : {"Empty.bin", "missing.bin", "Folder"}) {
        const Plat::MappedFile none = fileSystem.MapReadOnly(tmp.Join(name));
        EXPECT_FALSE(none.IsOpen()) << name;
        EXPECT_EQ(none.Size(), 0u) << name;
    }
}

// All names a search finds, in order.
std::vector<std::string> FindAll(const std::string& pattern)
{
    std::vector<std::string> names;
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();
    Plat::FindData data;
    std::unique_ptr<Plat::FindHandle> handle = fileSystem.FindFirst(pattern, data);
    if (handle == nullptr)
        return names;
    do
        names.push_back(data.fileName);
    while (fileSystem.FindNext(*handle, data));
    EXPECT_FALSE(fileSystem.FindNext(*handle, data)) << "a finished search stays finished";
    return names;
}

TEST(FileSystemTest, WildcardSearch)
{
    TempFolder tmp;
    for (const char* name : {"Dir/a.txt", "Dir/B.TXT", "Dir/c.dat", "Dir/noext", "Dir/a.txt.bak"})
        tmp.Write(name, "x");
    tmp.MakeFolder("Dir/Sub");

    using Names = std::vector<std::string>;
    struct Case {
        const char* pattern; // under the temporary folder
        Names expected;
    };
    const Case cases[] = {
        {"Dir\\*.*", {".", "..", "B.TXT", "Sub", "a.txt", "a.txt.bak", "c.dat", "noext"}},
        {"dir/*", {".", "..", "B.TXT", "Sub", "a.txt", "a.txt.bak", "c.dat", "noext"}},
        {"DIR\\*.txt", {"B.TXT", "a.txt"}},
        {"Dir\\?.dat", {"c.dat"}},
        {"Dir\\N*", {"noext"}},
        {"Dir\\a.TXT", {"a.txt"}}, // no wildcard: the entry itself, named as on disk
        {"dir\\sub", {"Sub"}},
        {"Dir\\*.none", {}},
        {"Missing\\*.*", {}},
        {"Dir\\", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindAll(tmp.Path() + "\\" + c.pattern), c.expected) << c.pattern;
}

TEST(FileSystemTest, WildcardMatch)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool expected;
    };
    const Case cases[] = {
        {"*.*", "noext", true}, // "*.*" is every name
        {"*", "", true},
        {"a?c", "ABC", true},
        {"?", "", false},
        {"*.txt", "a.txt.bak", false},
        {"*.txt", "a.b.TXT", true},
        {"a*b*c", "aXXbYYbZc", true},
        {"a*b", "ab", true},
        {"*a", "bbb", false},
        {"", "", true},
        {"", "a", false},
        {"**x", "yx", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Plat::WildcardMatch(c.pattern, c.name), c.expected) << c.pattern << " / " << c.name;
}

TEST(FileSystemTest, GetEntryAttributes)
{
    TempFolder tmp;
    const std::string file = tmp.Write("File.bin", std::string(300, 'x'));
    tmp.Write("ReadOnly.txt", "r");
    fs::permissions(tmp.Join("ReadOnly.txt"), fs::perms::owner_read);
    tmp.MakeFolder("Folder");
    fs::create_directory_symlink(tmp.Join("Folder"), tmp.Join("Link"));
    // 2001-09-09 01:46:40 UTC: 10^9 s after 1970, so 10^16 steps plus the
    // 116444736000000000 steps from 1601 to 1970.
    fs::last_write_time(file, std::chrono::file_clock::from_sys(
                                  std::chrono::sys_seconds(std::chrono::seconds(1000000000))));
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();

    Plat::FindData data;
    ASSERT_TRUE(fileSystem.GetEntry(tmp.Join("file.BIN"), data));
    EXPECT_EQ(data.attributes, Plat::kAttrNormal);
    EXPECT_EQ(data.fileName, "File.bin");
    EXPECT_EQ(data.sizeLow, 300u);
    EXPECT_EQ(data.sizeHigh, 0u);
    EXPECT_EQ(data.lastWriteTime, 126444736000000000ULL);

    struct Case {
        const char* relative;
        uint32_t attributes;
        const char* name;
        uint32_t size; // files only
    };
    const Case cases[] = {
        {"readonly.txt", Plat::kAttrReadOnly, "ReadOnly.txt", 1},
        {"folder", Plat::kAttrDirectory, "Folder", 0},
        {"Folder\\", Plat::kAttrDirectory, "Folder", 0},
        {"LINK", Plat::kAttrSymbolicLink, "Link", 0}, // the link itself, not its folder
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(fileSystem.GetEntry(tmp.Join(c.relative), data)) << c.relative;
        EXPECT_EQ(data.attributes, c.attributes) << c.relative;
        EXPECT_EQ(data.fileName, c.name) << c.relative;
        EXPECT_EQ(data.sizeLow, c.size) << c.relative;
    }
    EXPECT_FALSE(fileSystem.GetEntry(tmp.Join("missing"), data));
    EXPECT_FALSE(fileSystem.GetEntry("", data));
}

TEST(FileSystemTest, FoldersAndFiles)
{
    TempFolder tmp;
    tmp.Write("Full/x.txt", "x");
    tmp.Write("Gone.txt", "g");
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();

    EXPECT_TRUE(fileSystem.MakeFolder(tmp.Join("New")));
    EXPECT_FALSE(fileSystem.MakeFolder(tmp.Join("new"))) << "exists, ignoring case";
    EXPECT_TRUE(fileSystem.MakeFolder(tmp.Join("NEW\\Inner")));
    EXPECT_TRUE(fs::is_directory(tmp.Join("New/Inner")));

    EXPECT_FALSE(fileSystem.RemoveFolder(tmp.Join("full"))) << "not empty";
    EXPECT_TRUE(fileSystem.RemoveFolder(tmp.Join("new\\inner\\")));
    EXPECT_FALSE(tmp.Exists("New/Inner"));

    EXPECT_TRUE(fileSystem.RemoveFile(tmp.Join("GONE.txt")));
    EXPECT_FALSE(tmp.Exists("Gone.txt"));
    EXPECT_FALSE(fileSystem.RemoveFile(tmp.Join("Gone.txt")));
    EXPECT_FALSE(fileSystem.RemoveFile(tmp.Join("Full")));
    for (const auto& call : {&Plat::FileSystem::MakeFolder, &Plat::FileSystem::RemoveFolder,
                             &Plat::FileSystem::RemoveFile})
        EXPECT_FALSE((fileSystem.*call)(""));
}

TEST(FileSystemTest, MoveEntryNeverReplaces)
{
    TempFolder tmp;
    tmp.Write("Source.txt", "source");
    tmp.Write("Target.txt", "target");
    tmp.Write("Tree/In/x.txt", "x");
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();

    EXPECT_FALSE(fileSystem.MoveEntry(tmp.Join("Source.txt"), tmp.Join("Target.txt")));
    EXPECT_FALSE(fileSystem.MoveEntry(tmp.Join("Source.txt"), tmp.Join("target.TXT")));
    EXPECT_EQ(tmp.Read("Source.txt"), "source");
    EXPECT_EQ(tmp.Read("Target.txt"), "target");

    EXPECT_TRUE(fileSystem.MoveEntry(tmp.Join("SOURCE.txt"), tmp.Join("Moved.txt")));
    EXPECT_FALSE(tmp.Exists("Source.txt"));
    EXPECT_EQ(tmp.Read("Moved.txt"), "source");

    EXPECT_TRUE(fileSystem.MoveEntry(tmp.Join("tree"), tmp.Join("Tree2")));
    EXPECT_EQ(tmp.Read("Tree2/In/x.txt"), "x");

    EXPECT_FALSE(fileSystem.MoveEntry(tmp.Join("missing"), tmp.Join("Other")));
    EXPECT_FALSE(fileSystem.MoveEntry(tmp.Join("Moved.txt"), tmp.Join("NoFolder/x.txt")));
}

TEST(FileSystemTest, CopyFile)
{
    TempFolder tmp;
    tmp.Write("From.txt", "from");
    tmp.Write("To.txt", "to");
    tmp.MakeFolder("Folder");
    Plat::FileSystem& fileSystem = Plat::GetFileSystem();

    EXPECT_FALSE(fileSystem.CopyFile(tmp.Join("from.txt"), tmp.Join("TO.txt"), true));
    EXPECT_EQ(tmp.Read("To.txt"), "to");
    EXPECT_TRUE(fileSystem.CopyFile(tmp.Join("from.txt"), tmp.Join("to.txt"), false));
    EXPECT_EQ(tmp.Read("To.txt"), "from");
    EXPECT_FALSE(tmp.Exists("to.txt")) << "the existing name is reused";
    Plat::FindData found;
    EXPECT_EQ(fileSystem.FindFirst(tmp.Join("*.copy*"), found), nullptr) << "the replacing copy's temporary is gone";

    EXPECT_TRUE(fileSystem.CopyFile(tmp.Join("From.txt"), tmp.Join("folder\\Copy.txt"), true));
    EXPECT_EQ(tmp.Read("Folder/Copy.txt"), "from");

    // Onto itself the file would be emptied before it is read.
    EXPECT_FALSE(fileSystem.CopyFile(tmp.Join("From.txt"), tmp.Join("FROM.TXT"), false));
    EXPECT_EQ(tmp.Read("From.txt"), "from");

    EXPECT_FALSE(fileSystem.CopyFile(tmp.Join("missing.txt"), tmp.Join("x.txt"), false));
    EXPECT_FALSE(fileSystem.CopyFile(tmp.Join("Folder"), tmp.Join("x.txt"), false));
    EXPECT_FALSE(tmp.Exists("x.txt"));
}

TEST(FileSystemTest, AnInstalledFileSystemIsUsedUntilRestored)
{
    Plat::FileSystem& real = Plat::GetFileSystem();
    Plat::FileSystem other;
    EXPECT_EQ(Plat::SetFileSystem(&other), &real);
    EXPECT_EQ(&Plat::GetFileSystem(), &other);
    EXPECT_EQ(Plat::SetFileSystem(nullptr), &other);
    EXPECT_EQ(&Plat::GetFileSystem(), &real);
}

} // namespace
