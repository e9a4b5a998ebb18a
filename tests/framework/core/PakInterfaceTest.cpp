#include "framework/core/PakClient.h"
#include "framework/core/PakInterface.h"

#include "support/FakeFileSystem.h"
#include "support/PakArchiveWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kFontTime = 0x01D2030405060708ULL;

std::string AllByteValues(size_t length)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = char((i * 7 + 3) & 0xFF);
    return bytes;
}

const std::string kLines = "one\r\ntwo\r\n\r\nthree\r";

std::vector<PakArchiveItem> MainItems()
{
    return {
        {"gfx\\font1.png", "FONT1-ARCHIVE", kFontTime, {}},
        {"gfx\\sub\\deep.png", "deep", 0, {}},
        {"gfx\\logo.jpg", "logo", 0, {}},
        {"text\\lines.txt", kLines, 0, {}},
        {"data.bin", AllByteValues(1000), 0, {}},
    };
}

// Works inside a folder for the scope: the archive's own entry is found by
// a plain relative name only.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder) : mPrevious(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder() { std::filesystem::current_path(mPrevious); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::filesystem::path mPrevious;
};

// Reads the rest of an open file through the layer.
std::string ReadAll(PakInterface& pak, PakFile* file)
{
    std::string text;
    char chunk[64];
    size_t got = 0;
    while ((got = pak.FRead(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    return text;
}

// Runs the test inside its own folder holding "main.pak" and a few disk
// files, with a layer of its own over that archive.
class PakInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFolder.Write("main.pak", PakArchiveWriter::Build(MainItems()));
        mFolder.Write("gfx/font1.png", "DISK");
        mFolder.Write("gfx/zdisk.png", "zdisk");
        ASSERT_TRUE(mPak.AddPakFile("main.pak"));
    }

    // The whole content of a name opened in a mode, or "<null>".
    std::string OpenAndRead(const std::string& name, const char* mode)
    {
        PakFile* file = mPak.FOpen(name.c_str(), mode);
        if (file == nullptr)
            return "<null>";
        const std::string text = ReadAll(mPak, file);
        EXPECT_EQ(mPak.FClose(file), 0);
        return text;
    }

    TempFolder mFolder;
    ScopedCurrentFolder mInFolder{mFolder.Path()};
    PakInterface mPak;
};

TEST_F(PakInterfaceTest, ReadModesFindTheEntryUnderAnySpellingOtherModesGoToDisk)
{
    const std::string cwd = mFolder.Path();
    struct Case {
        std::string name;
        const char* mode;
        std::string expected;
    };
    const Case cases[] = {
        {"gfx\\font1.png", "rb", "FONT1-ARCHIVE"},
        {"GFX/FONT1.PNG", "r", "FONT1-ARCHIVE"},
        {"gfx//font1.png", "RT", "FONT1-ARCHIVE"},
        {"a\\..\\gfx\\font1.png", "rb", "FONT1-ARCHIVE"},
        {cwd + "/gfx/font1.png", "rb", "FONT1-ARCHIVE"},
        {cwd + "\\GFX\\FONT1.PNG", "rb", "FONT1-ARCHIVE"},
        // "." components are kept, so the key misses and the disk answers.
        {".\\gfx\\font1.png", "rb", "DISK"},
        {"gfx\\font1.png", "r+b", "DISK"},
        {"gfx\\zdisk.png", "rb", "zdisk"},
        {"gfx\\missing.png", "rb", "<null>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OpenAndRead(c.name, c.mode), c.expected) << c.name << " " << c.mode;

    // Writing never touches the archive: the disk file is replaced.
    PakFile* out = mPak.FOpen("gfx\\font1.png", "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->entry, nullptr);
    ASSERT_EQ(std::fwrite("NEW", 1, 3, out->stream), 3u);
    EXPECT_EQ(mPak.FClose(out), 0);
    EXPECT_EQ(mFolder.Read("gfx/font1.png"), "NEW");
    EXPECT_EQ(OpenAndRead("gfx\\font1.png", "rb"), "FONT1-ARCHIVE");
}

TEST(PakInterfaceNormalizeTest, FormsKeys)
{
    FakeFileSystem fileSystem;
    fileSystem.PretendCurrentFolder("C:\\Games\\Tavoro");
    ScopedFileSystem scoped(fileSystem);
    PakInterface pak;
    struct Case {
        const char* name;
        const char* key;
    };
    const Case cases[] = {
        {"gfx\\font1.png", "GFX\\FONT1.PNG"},
        {"gfx//\\/font1.png", "GFX\\FONT1.PNG"},
        {"a\\..\\gfx\\x.png", "GFX\\X.PNG"},
        {"a\\b\\..\\..\\x", "X"},
        {"a\\b\\..", "A\\"},
        {"a/..//b", "B"},
        {"..\\x", "..\\X"},
        {".\\x\\.\\y", ".\\X\\.\\Y"},
        {"a\\..b\\c", "A\\..B\\C"},
        {"c:\\games\\tavoro\\gfx\\x.png", "GFX\\X.PNG"},
        {"C:/GAMES/TAVORO/gfx/x.png", "GFX\\X.PNG"},
        {"C:\\Games\\TavoroX\\x.png", "C:\\GAMES\\TAVOROX\\X.PNG"},
        {"D:\\x.png", "D:\\X.PNG"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string key = "junk";
        pak.NormalizePath(c.name, key);
        EXPECT_EQ(key, c.key) << c.name;
    }

    fileSystem.PretendCurrentFolder("/home/player/game");
    std::string key;
    pak.NormalizePath("/home/player/game/gfx/x.png", key);
    EXPECT_EQ(key, "GFX\\X.PNG");
    pak.NormalizePath("/home/player/gamefiles/x.png", key);
    EXPECT_EQ(key, "\\HOME\\PLAYER\\GAMEFILES\\X.PNG");
}

TEST_F(PakInterfaceTest, ReadsUnscrambleAtAnyOffsetLengthAndAlignment)
{
    const std::string expected = AllByteValues(1000);
    PakFile* file = mPak.FOpen("data.bin", "rb");
    ASSERT_NE(file, nullptr);
    struct Case {
        long offset;
        size_t length;
        size_t bufferShift; // misaligns the destination
    };
    const Case cases[] = {
        {0, 1000, 0}, {0, 1000, 3}, {1, 999, 0}, {7, 33, 5}, {13, 64, 1},
        {500, 8, 7}, {993, 7, 2}, {999, 1, 0}, {0, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<char> buffer(c.length + 16, '\x55');
        ASSERT_EQ(mPak.FSeek(file, c.offset, SEEK_SET), 0);
        EXPECT_EQ(mPak.FRead(buffer.data() + c.bufferShift, 1, c.length, file), c.length);
        EXPECT_EQ(std::string(buffer.data() + c.bufferShift, c.length), expected.substr(size_t(c.offset), c.length))
            << c.offset << "+" << c.length;
        EXPECT_EQ(buffer[c.bufferShift + c.length], '\x55') << "wrote past the read";
        EXPECT_EQ(mPak.FTell(file), c.offset + long(c.length));
    }
    mPak.FClose(file);
}

TEST_F(PakInterfaceTest, ReadCountsWholeElementsAndStopsAtTheEnd)
{
    PakFile* file = mPak.FOpen("data.bin", "rb");
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> buffer(2000);

    // 1000 bytes: 249 whole elements of 4 and 4 bytes more.
    EXPECT_EQ(mPak.FRead(buffer.data(), 4, 249, file), 249u);
    EXPECT_EQ(mPak.FRead(buffer.data(), 0, 10, file), 0u);
    EXPECT_EQ(mPak.FTell(file), 996);

    // Element size 4 with 2 bytes left: nothing counted, the bytes consumed.
    mPak.FSeek(file, 998, SEEK_SET);
    EXPECT_EQ(mPak.FRead(buffer.data(), 4, 1, file), 0u);
    EXPECT_EQ(mPak.FTell(file), 1000);
    EXPECT_NE(mPak.FEof(file), 0);
    EXPECT_EQ(mPak.FRead(buffer.data(), 1, 1, file), 0u);

    // A count whose byte total overflows reads what is there.
    mPak.FSeek(file, 990, SEEK_SET);
    EXPECT_EQ(mPak.FRead(buffer.data(), 2, SIZE_MAX / 2 + 2, file), 5u);
    mPak.FClose(file);
}

TEST_F(PakInterfaceTest, SeeksClampToTheEntry)
{
    PakFile* file = mPak.FOpen("gfx\\font1.png", "rb"); // 13 bytes
    ASSERT_NE(file, nullptr);
    struct Case {
        long start;
        long offset;
        int origin;
        long position;
    };
    const Case cases[] = {
        {0, 5, SEEK_SET, 5},
        {0, 50, SEEK_SET, 13},
        {4, -10, SEEK_SET, 0},
        {4, 3, SEEK_CUR, 7},
        {4, -5, SEEK_CUR, 0},
        {4, 100, SEEK_CUR, 13},
        {4, -3, SEEK_END, 10},
        {4, 1, SEEK_END, 13},
        {4, -20, SEEK_END, 0},
        {4, 2, 7, 4}, // unknown origin keeps the position
        {4, LONG_MAX, SEEK_CUR, 13},
        {4, LONG_MIN, SEEK_END, 0},
    };
    for (const Case& c : cases) {
        mPak.FSeek(file, c.start, SEEK_SET);
        EXPECT_EQ(mPak.FSeek(file, c.offset, c.origin), 0);
        EXPECT_EQ(mPak.FTell(file), c.position) << c.offset << " from " << c.origin;
        EXPECT_EQ(mPak.FEof(file) != 0, c.position == 13);
    }
    mPak.FClose(file);
}

TEST_F(PakInterfaceTest, CharactersAndLinesDropCarriageReturns)
{
    PakFile* file = mPak.FOpen("text\\lines.txt", "rb");
    ASSERT_NE(file, nullptr);
    std::string chars;
    for (int c = mPak.FGetC(file); c != EOF; c = mPak.FGetC(file))
        chars += char(c);
    EXPECT_EQ(chars, "one\ntwo\n\nthree");

    mPak.FSeek(file, 0, SEEK_SET);
    char line[64];
    std::vector<std::string> lines;
    while (mPak.FGetS(line, sizeof line, file) != nullptr)
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"one\n", "two\n", "\n", "three"}));

    // A short buffer splits the line; the terminator always fits.
    mPak.FSeek(file, 0, SEEK_SET);
    std::memset(line, 'x', sizeof line);
    EXPECT_EQ(mPak.FGetS(line, 3, file), line);
    EXPECT_STREQ(line, "on");
    EXPECT_EQ(mPak.FGetS(line, 0, file), nullptr);

    // Putting a character back only steps back: the stored byte comes again.
    EXPECT_EQ(mPak.FGetC(file), 'e');
    EXPECT_EQ(mPak.UnGetC('Z', file), 'Z');
    EXPECT_EQ(mPak.FGetC(file), 'e');
    mPak.FSeek(file, 0, SEEK_SET);
    EXPECT_EQ(mPak.UnGetC('Z', file), 'Z');
    EXPECT_EQ(mPak.FTell(file), 0);
    mPak.FClose(file);
}

TEST_F(PakInterfaceTest, WideCallsServeNothing)
{
    EXPECT_EQ(mPak.FOpen(u"gfx\\font1.png", u"rb"), nullptr);
    PakFile* file = mPak.FOpen("text\\lines.txt", "rb");
    char16_t buffer[8] = u"keep";
    EXPECT_EQ(mPak.FGetS(buffer, 8, file), buffer);
    EXPECT_EQ(std::u16string(buffer), u"keep");
    EXPECT_EQ(mPak.FTell(file), 0);
    mPak.FClose(file);
}

TEST_F(PakInterfaceTest, FindReturnsArchiveMatchesThenDiskMatches)
{
    struct Case {
        const char* pattern;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        // Keys are whole paths, so the folder's sub-folders match too; the
        // disk then reports its own files, also the one the archive hides.
        {"gfx\\*.png", {"FONT1.PNG", "DEEP.PNG", "font1.png", "zdisk.png"}},
        {"GFX/*.*", {"FONT1.PNG", "LOGO.JPG", "DEEP.PNG", ".", "..", "font1.png", "zdisk.png"}},
        {"gfx\\*", {"FONT1.PNG", "LOGO.JPG", "DEEP.PNG", ".", "..", "font1.png", "zdisk.png"}},
        {"*.bin", {"DATA.BIN"}},
        {"gfx\\font1.png", {"font1.png"}},
        {"nothing\\*.png", {}},
    };
    for (const Case& c : cases) {
        Plat::FindData data;
        std::vector<std::string> names;
        PakFindRecord* find = mPak.FindFirstFile(c.pattern, data);
        if (find != nullptr) {
            do
                names.push_back(data.fileName);
            while (mPak.FindNextFile(find, data));
            EXPECT_TRUE(mPak.FindClose(find));
        }
        EXPECT_EQ(names, c.names) << c.pattern;
    }

    Plat::FindData data;
    PakFindRecord* find = mPak.FindFirstFile("gfx\\font*", data);
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(data.fileName, "FONT1.PNG");
    EXPECT_EQ(data.attributes, 0u);
    EXPECT_EQ(data.sizeLow, 13u);
    EXPECT_EQ(data.sizeHigh, 0u);
    EXPECT_EQ(data.lastWriteTime, kFontTime);
    EXPECT_EQ(data.creationTime, kFontTime);
    EXPECT_EQ(data.lastAccessTime, kFontTime);
    mPak.FindClose(find);
}

TEST_F(PakInterfaceTest, ClientFunctionsUseTheRegisteredLayerOrTheRuntime)
{
    // The process's own layer registered itself during static start-up.
    ASSERT_NE(Lumo::GetPakInterface(), nullptr);
    PakInterface* const original = Lumo::SetPakInterface(&mPak);

    PakFile* file = Lumo::PakOpen("gfx\\font1.png", "rb");
    ASSERT_NE(file, nullptr);
    char buffer[16] = {};
    EXPECT_EQ(Lumo::PakSeek(file, 6, SEEK_SET), 0);
    EXPECT_EQ(Lumo::PakRead(buffer, 1, 7, file), 7u);
    EXPECT_STREQ(buffer, "ARCHIVE");
    EXPECT_EQ(Lumo::PakTell(file), 13);
    EXPECT_EQ(Lumo::OggPakSeek(file, 0x100000002LL, SEEK_SET), 0);
    EXPECT_EQ(Lumo::PakTell(file), 2);
    EXPECT_EQ(Lumo::PakClose(file), 0);

    // With no layer the runtime answers, from the disk.
    Lumo::SetPakInterface(nullptr);
    file = Lumo::PakOpen("gfx\\font1.png", "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->entry, nullptr);
    EXPECT_EQ(Lumo::PakSeek(file, 0, SEEK_END), 0);
    EXPECT_EQ(Lumo::PakTell(file), 4);
    EXPECT_EQ(Lumo::OggPakSeek(file, 0x100000001LL, SEEK_SET), 0);
    std::memset(buffer, 0, sizeof buffer);
    EXPECT_EQ(Lumo::PakRead(buffer, 1, sizeof buffer, file), 3u);
    EXPECT_STREQ(buffer, "ISK");
    EXPECT_EQ(Lumo::PakClose(file), 0);
    EXPECT_EQ(Lumo::PakOpen("gfx\\missing.png", "rb"), nullptr);
    EXPECT_EQ(Lumo::OggPakSeek(nullptr, 0, SEEK_SET), -1);

    // A layer that goes away takes its registration with it.
    {
        PakInterface shortLived;
        EXPECT_EQ(Lumo::GetPakInterface(), &shortLived);
    }
    EXPECT_EQ(Lumo::GetPakInterface(), nullptr);
    Lumo::SetPakInterface(original);
}

TEST(PakInterfaceArchiveTest, EmptyDirectoryStartsTheDataAtNine)
{
    TempFolder folder;
    const std::vector<uint8_t> bytes = PakArchiveWriter::Build({});
    ASSERT_EQ(bytes.size(), 9u);
    ASSERT_EQ(PakArchiveWriter::DataStart({}), 9u);
    folder.Write("empty.pak", bytes);
    ScopedCurrentFolder inFolder(folder.Path());

    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("empty.pak"));
    // The archive's own entry serves the whole file, unscrambled.
    PakFile* self = pak.FOpen("empty.pak", "rb");
    ASSERT_NE(self, nullptr);
    ASSERT_NE(self->entry, nullptr);
    uint8_t header[16] = {};
    EXPECT_EQ(pak.FRead(header, 1, sizeof header, self), 9u);
    const uint8_t expected[9] = {0xC0, 0x4A, 0xC0, 0xBA, 0, 0, 0, 0, 0x80};
    EXPECT_EQ(std::memcmp(header, expected, 9), 0);
    pak.FClose(self);
}

TEST(PakInterfaceArchiveTest, LaterArchiveReplacesEntriesOfTheSameName)
{
    TempFolder folder;
    const std::string first = folder.Write("a.pak", PakArchiveWriter::Build({{"same.txt", "first", 0, {}}}));
    const std::string second = folder.Write("b.pak", PakArchiveWriter::Build({{"SAME.TXT", "second!", 0, {}}}));
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(first));
    ASSERT_TRUE(pak.AddPakFile(second));
    PakFile* file = pak.FOpen("same.txt", "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAll(pak, file), "second!");
    pak.FClose(file);
}

TEST(PakInterfaceArchiveTest, MalformedArchivesAreRejectedWithoutAnyEntry)
{
    TempFolder folder;
    const std::vector<PakArchiveItem> items = {{"x.none", "12345678", 0, {}}, {"y.none", "abcd", 0, {}}};
    const std::vector<uint8_t> good = PakArchiveWriter::BuildPlain(items);
    const size_t secondRecord = 8 + 1 + 1 + 6 + 12;

    struct Case {
        const char* what;
        std::vector<uint8_t> plain;
        bool accepted;
    };
    std::vector<Case> cases;
    cases.push_back({"well formed", good, true});
    cases.push_back({"trailing bytes after the data", [&] {
                         auto b = good;
                         b.push_back(0);
                         return b;
                     }(),
                     true});
    cases.push_back({"truncated header", {good.begin(), good.begin() + 6}, false});
    cases.push_back({"header only", {good.begin(), good.begin() + 8}, false});
    cases.push_back({"truncated directory record", {good.begin(), good.begin() + long(secondRecord) + 4}, false});
    cases.push_back({"no closing flags",
                     PakArchiveWriter::BuildPlain({{"x.none", "", 0, {}}}, {0xBAC04AC0, 0, false, 0}), false});
    cases.push_back({"wrong magic", PakArchiveWriter::BuildPlain(items, {0xBAC04AC1, 0, true, 0}), false});
    cases.push_back({"version 1", PakArchiveWriter::BuildPlain(items, {0xBAC04AC0, 1, true, 0}), false});
    cases.push_back({"data cut short", {good.begin(), good.end() - 1}, false});
    cases.push_back({"entry past the end",
                     PakArchiveWriter::BuildPlain({{"x.none", "12345678", 0, {}}, {"y.none", "abcd", 0, 5u}}), false});
    // 0xFFFFFFF0 + 0x20 wraps to 0x10 in 32 bits, which the data would hold.
    cases.push_back({"sizes overflowing 32 bits",
                     PakArchiveWriter::BuildPlain({{"x.none", std::string(8, 'a'), 0, 0xFFFFFFF0u},
                                                   {"y.none", std::string(8, 'b'), 0, 0x20u}}),
                     false});
    cases.push_back({"empty file", {}, false});

    ScopedCurrentFolder inFolder(folder.Path());
    for (const Case& c : cases) {
        folder.Write("bad.pak", PakArchiveWriter::Scramble(c.plain));
        PakInterface pak;
        EXPECT_EQ(pak.AddPakFile("bad.pak"), c.accepted) << c.what;
        Plat::FindData data;
        PakFindRecord* find = pak.FindFirstFile("*.NONE", data);
        EXPECT_EQ(find != nullptr, c.accepted) << c.what;
        pak.FindClose(find);
        PakFile* self = pak.FOpen("bad.pak", "rb");
        ASSERT_NE(self, nullptr);
        EXPECT_EQ(self->entry != nullptr, c.accepted) << c.what;
        pak.FClose(self);
    }

    PakInterface pak;
    EXPECT_FALSE(pak.AddPakFile("missing.pak"));
    folder.Write("good.pak", PakArchiveWriter::Scramble(good));
    FakeFileSystem fileSystem;
    fileSystem.FailOn(FsOp::MapReadOnly);
    ScopedFileSystem scoped(fileSystem);
    EXPECT_FALSE(pak.AddPakFile("good.pak"));
}

TEST(PakInterfaceArchiveTest, FindWithAnEmptyNamedEntryEnds)
{
    TempFolder folder;
    const std::string path = folder.Write("odd.pak", PakArchiveWriter::Build({{"", "x", 0, {}}, {"z", "y", 0, {}}}));
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(path));
    Plat::FindData data;
    PakFindRecord* find = pak.FindFirstFile("*", data);
    ASSERT_NE(find, nullptr);
    // Archive phase: "", the archive's own key, "Z"; then the disk's files.
    int archiveMatches = 1;
    while (pak.FindNextFile(find, data) && find->diskHandle == nullptr)
        ++archiveMatches;
    EXPECT_EQ(archiveMatches, 3);
    pak.FindClose(find);
}

} // namespace
