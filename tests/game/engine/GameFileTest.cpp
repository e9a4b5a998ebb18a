#include "game/engine/GameFile.h"

#include "framework/core/PakClient.h"
#include "framework/core/PakInterface.h"

#include "support/PakArchiveWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

std::string Text(const std::unique_ptr<char[]>& buffer, size_t size)
{
    return buffer ? std::string(buffer.get(), size) : std::string("<null>");
}

TEST(GameFileTest, ReadsWholeFilesFromTheDiskWithAClosingNul)
{
    TempFolder folder;
    folder.Write("Data/Menu.xml", "<object type=\"level\">");
    folder.Write("empty.xml", "");

    size_t size = 99;
    // Separators and case as the data names them.
    auto text = ReadWholeFile(folder.Join("DATA\\menu.XML").c_str(), size);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(size, 21u);
    EXPECT_EQ(Text(text, size), "<object type=\"level\">");
    EXPECT_EQ(text[size], '\0');

    EXPECT_EQ(ReadWholeFile(folder.Join("empty.xml").c_str(), size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(ReadWholeFile(folder.Join("missing.xml").c_str(), size), nullptr);
    EXPECT_EQ(ReadWholeFile(nullptr, size), nullptr);
}

TEST(GameFileTest, ReadsWholeFilesFromTheArchive)
{
    TempFolder folder;
    PakArchiveItem item;
    item.name = "levels\\level1.xml";
    item.bytes = "<object name=\"one\">";
    folder.Write("main.pak", PakArchiveWriter::Build({item}));
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(folder.Join("main.pak")));
    PakInterface* const original = Lumo::SetPakInterface(&pak);

    size_t size = 0;
    auto text = ReadWholeFile("LEVELS/Level1.xml", size);
    EXPECT_EQ(Text(text, size), "<object name=\"one\">");
    EXPECT_EQ(text[size], '\0');

    // The handle functions reach the same entry.
    PakFile* file = GameFOpen("levels\\level1.xml", "rb");
    ASSERT_NE(file, nullptr);
    char buffer[8] = {};
    EXPECT_EQ(GameFSeek(file, 8, SEEK_SET), 0);
    EXPECT_EQ(GameFRead(buffer, 1, 4, file), 4u);
    EXPECT_STREQ(buffer, "name");
    EXPECT_EQ(GameFTell(file), 12);
    EXPECT_EQ(GameFClose(file), 0);

    Lumo::SetPakInterface(original);
}

TEST(GameFileTest, RefusesFilesOverTheSizeLimitWithoutReadingThem)
{
    TempFolder folder;
    const std::string path = folder.Write("huge.xml", "x");
    // Sparse: takes no room on the disk.
    std::filesystem::resize_file(path, kMaxWholeFileSize + 1);
    size_t size = 5;
    EXPECT_EQ(ReadWholeFile(path.c_str(), size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(GameFileTest, WritesReplaceTheFileFoundAsReadsFindIt)
{
    TempFolder folder;
    folder.Write("levels/Level1.XML", "old");
    const char bytes[] = "<object>";
    EXPECT_EQ(WriteWholeFile(folder.Join("LEVELS\\level1.xml").c_str(), bytes, 8), 1);
    EXPECT_EQ(folder.Read("levels/Level1.XML"), "<object>");
    EXPECT_FALSE(folder.Exists("levels/level1.xml"));
    EXPECT_FALSE(folder.Exists("LEVELS"));

    // A new file goes where the path says.
    EXPECT_EQ(WriteWholeFile(folder.Join("new.xml").c_str(), bytes, 8), 1);
    EXPECT_EQ(folder.Read("new.xml"), "<object>");
    EXPECT_EQ(WriteWholeFile("", bytes, 8), 0);
}

TEST(GameFileTest, AnInterruptedSaveKeepsTheOldFile)
{
    TempFolder folder;
    folder.Write("level.xml", "old content");
    const auto failingWriter = [](int descriptor, const uint8_t* data, size_t size) {
        // Half of it reaches the disk, then the disk is full.
        Plat::WriteAllBytes(descriptor, data, size / 2);
        return false;
    };
    const char bytes[] = "new content that is lost";
    EXPECT_EQ(WriteWholeFile(folder.Join("level.xml").c_str(), bytes, std::strlen(bytes), failingWriter), 0);
    EXPECT_EQ(folder.Read("level.xml"), "old content");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        ++entries;
    EXPECT_EQ(entries, 1u) << "no temporary file is left behind";
}

} // namespace
