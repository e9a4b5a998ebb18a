// The ad list: reading and writing its lines, the choice of "more" entries,
// the file on disk, and downloads from a catalogue served on 127.0.0.1.
#include "framework/net/InternetManager.h"

#include "platform/files/FileSystem.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Lumo::HTTPTransfer;
using Lumo::InternetManager;
using AdEntry = InternetManager::AdEntry;
using Ending = LoopbackHttpServer::Ending;

// Runs in a fresh working folder (the program folder of these tests) with
// an application object for the demo-aware file operations.
class InternetManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mOldFolder = Plat::GetFileSystem().CurrentFolder();
        ASSERT_TRUE(Plat::GetFileSystem().SetCurrentFolder(tmp.Path()));
    }
    void TearDown() override { Plat::GetFileSystem().SetCurrentFolder(mOldFolder); }

    // The names of everything under the folder, '/' separated, sorted.
    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tmp.Path()))
            names.push_back(std::filesystem::relative(entry.path(), tmp.Path()).generic_string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder tmp;
    TestApp app;

private:
    std::string mOldFolder;
};

std::vector<std::string> SecondWords(const std::vector<AdEntry>& list)
{
    std::vector<std::string> words;
    for (const AdEntry& entry : list)
        words.push_back(entry.secondWord);
    return words;
}

// ---- Lines

TEST_F(InternetManagerTest, LinesReadAndWriteBack)
{
    struct Case {
        const char* line;
        int kind; // 0: the line is ignored
        int firstNumber;
        int secondNumber;
        const char* firstWord;
        const char* secondWord;
        std::vector<std::string> files;
        bool firstFlag;
        bool secondFlag;
        const char* written;
    };
    const Case cases[] = {
        {"popup 3 5 | a/b.jpg c.jpg | 1 0", 1, 3, 5, "", "", {"a/b.jpg", "c.jpg"}, true, false,
         "popup 3 5 | a/b.jpg c.jpg | 1 0 "},
        {"POPUP 3 5 | a.jpg | 0 1", 1, 3, 5, "", "", {"a.jpg"}, false, true, "popup 3 5 | a.jpg | 0 1 "},
        {"7 9 | f.jpg | 1 1", 1, 7, 9, "", "", {"f.jpg"}, true, true, "popup 7 9 | f.jpg | 1 1 "},
        {"more games puzzle | m/icon.png m/shot.jpg | 0 0 ", 2, 0, 0, "games", "puzzle",
         {"m/icon.png", "m/shot.jpg"}, false, false, "more games puzzle | m/icon.png m/shot.jpg | 0 0 "},
        // No flag words: the first file alone sets the first flag.
        {"More w1 w2 | f.png", 2, 0, 0, "w1", "w2", {"f.png"}, true, false, "more w1 w2 | f.png | 1 0 "},
        {"popup 4 | | 0 0", 1, 4, 0, "", "", {}, false, false, "popup 4 0 | | 0 0 "},
        {"popup 1 2 | x.png | 7 -3", 1, 1, 2, "", "", {"x.png"}, true, true, "popup 1 2 | x.png | 1 1 "},
        {"popup", 0, 0, 0, "", "", {}, false, false, ""},
        {"", 0, 0, 0, "", "", {}, false, false, ""},
        {"banner 1 2 | x.png | 0 0", 0, 0, 0, "", "", {}, false, false, ""},
        {" popup 1 2 | x.png | 0 0", 0, 0, 0, "", "", {}, false, false, ""},
    };
    for (const Case& c : cases) {
        InternetManager manager;
        manager.ParseAdList(c.line, false);
        if (c.kind == 0) {
            EXPECT_TRUE(manager.GetAdList().empty()) << c.line;
            continue;
        }
        ASSERT_EQ(manager.GetAdList().size(), 1u) << c.line;
        const AdEntry& entry = manager.GetAdList().front();
        EXPECT_EQ(entry.kind, c.kind) << c.line;
        EXPECT_EQ(entry.firstNumber, c.firstNumber) << c.line;
        EXPECT_EQ(entry.secondNumber, c.secondNumber) << c.line;
        EXPECT_EQ(entry.firstWord, c.firstWord) << c.line;
        EXPECT_EQ(entry.secondWord, c.secondWord) << c.line;
        EXPECT_EQ(entry.files, c.files) << c.line;
        EXPECT_EQ(entry.firstFlag, c.firstFlag) << c.line;
        EXPECT_EQ(entry.secondFlag, c.secondFlag) << c.line;
        EXPECT_FALSE(entry.isNew) << c.line;
        EXPECT_EQ(InternetManager::FormatAdEntry(entry), c.written) << c.line;
        manager.GetAdList().clear(); // nothing to save
    }
}

TEST_F(InternetManagerTest, FilesAreQueuedOnceAndOnlyUnderSafeNames)
{
    InternetManager manager;
    manager.ParseAdList("popup 1 2 | a/b.jpg shared.png | 0 0", false);
    manager.ParseAdList("more w1 w2 | shared.png ../up.png /etc/passwd | 0 0", false);
    const std::deque<std::string> expected = {"a/b.jpg", "shared.png"};
    EXPECT_EQ(manager.GetDownloadQueue(), expected);
    // The entry itself keeps every name it was given.
    EXPECT_EQ(manager.GetAdList()[1].files.size(), 3u);
    manager.GetAdList().clear();
}

TEST(InternetManagerNamesTest, SafeFileNames)
{
    struct Case {
        const char* name;
        bool safe;
    };
    const Case cases[] = {
        {"a.png", true},          {"ads/pics/b-1_x.JPG", true}, {"..", false},
        {"../a.png", false},      {"a/../b.png", false},         {"a..b.png", false},
        {"/etc/passwd", false},   {"a//b.png", false},           {"a/", false},
        {"./a.png", false},       {"a\\b.png", false},           {"http://h/a.png", false},
        {"a b.png", false},       {"", false},                   {"~/a.png", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InternetManager::IsSafeFileName(c.name), c.safe) << c.name;
}

// ---- Choosing the "more" entries

TEST_F(InternetManagerTest, ChoiceKeepsAtMostFourMovedEntriesWithDistinctWords)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines; // the ad list; every named file exists unless it says "missing"
        std::vector<std::string> expectedWords; // second words of the list afterwards, in order
        std::vector<bool> expectedSecondFlags;
    };
    const Case cases[] = {
        {"five set entries with distinct words: the first four move to the end, the fifth leaves",
         {"more a w1 | f1.png | 0 1", "more a w2 | f2.png | 0 1", "popup 1 2 | p.png | 0 0",
          "more a w3 | f3.png | 0 1", "more a w4 | f4.png | 0 1", "more a w5 | f5.png | 0 1"},
         {"", "w1", "w2", "w3", "w4"},
         {false, true, true, true, true}},
        {"a second candidate of a word waits for room after the distinct ones",
         {"more a w1 | f1.png | 0 1", "more b w1 | f2.png | 0 1", "more c w2 | f3.png | 0 1"},
         {"w1", "w2", "w1"},
         {true, true, true}},
        {"no room is left for the waiting one",
         {"more a w1 | f1.png | 0 1", "more b w1 | f2.png | 0 1", "more c w2 | f3.png | 0 1",
          "more d w3 | f4.png | 0 1", "more e w4 | f5.png | 0 1"},
         {"w1", "w2", "w3", "w4"},
         {true, true, true, true}},
        {"a word held by a plain present entry reserves it and counts",
         {"more a w1 | f1.png | 0 0", "more b w1 | f2.png | 0 1", "more c w2 | f3.png | 0 1"},
         {"w1", "w2", "w1"},
         {false, true, true}},
        {"an entry with missing files and the flag set leaves; one without the flag stays",
         {"more a w1 | missing.png | 0 1", "more b w2 | missing.png | 0 0", "more c w3 | f1.png missing2.png | 0 1"},
         {"w2"},
         {false}},
    };
    for (const char* file : {"f1.png", "f2.png", "f3.png", "f4.png", "f5.png", "p.png"})
        tmp.Write(file, "x");
    for (const Case& c : cases) {
        InternetManager manager;
        for (const std::string& line : c.lines)
            manager.ParseAdList(line, false);
        manager.ChooseActiveEntries();
        EXPECT_EQ(SecondWords(manager.GetAdList()), c.expectedWords) << c.name;
        std::vector<bool> flags;
        for (const AdEntry& entry : manager.GetAdList())
            flags.push_back(entry.secondFlag);
        EXPECT_EQ(flags, c.expectedSecondFlags) << c.name;
        manager.GetAdList().clear();
    }
}

TEST_F(InternetManagerTest, EntriesLostFromThePreviousListComeBackWhenPresent)
{
    tmp.Write("old.png", "x");
    tmp.Write("kept.png", "x");
    InternetManager manager;
    manager.ParseAdList("more a gone | old.png | 0 0", false);
    manager.ParseAdList("more b missing | nofile.png | 0 0", false);
    manager.ParseAdList("more c stays | kept.png | 1 0", false);
    manager.GetPreviousList() = manager.GetAdList();
    manager.GetAdList().clear();
    // The new list keeps one of the three (its flags come from the old entry).
    manager.ParseAdList("more c stays | kept.png | ", true);
    ASSERT_EQ(manager.GetAdList().size(), 1u);
    EXPECT_TRUE(manager.GetAdList()[0].firstFlag);
    EXPECT_FALSE(manager.GetAdList()[0].isNew);

    manager.ChooseActiveEntries();
    EXPECT_EQ(SecondWords(manager.GetAdList()), (std::vector<std::string>{"stays", "gone"}));
    EXPECT_TRUE(manager.GetAdList()[1].secondFlag);
    EXPECT_TRUE(manager.GetAdList()[1].filesPresent);
    manager.GetAdList().clear();
}

TEST_F(InternetManagerTest, AllFilesExist)
{
    tmp.Write("here.png", "x");
    tmp.Write("sub/there.png", "x");
    struct Case {
        std::vector<std::string> files;
        bool present;
    };
    const Case cases[] = {
        {{"here.png", "sub/there.png"}, true},
        {{"here.png", "nothere.png"}, false},
        {{}, false},
    };
    for (const Case& c : cases) {
        AdEntry entry;
        entry.files = c.files;
        entry.filesPresent = !c.present;
        Lumo::AllFilesExist(entry);
        EXPECT_EQ(entry.filesPresent, c.present);
    }
}

TEST_F(InternetManagerTest, FileTestsAreRecordedAndReplayed)
{
    tmp.Write("here.png", "x");
    AdEntry entry;
    entry.files = {"here.png"};

    // Recording: delta, long form, command 14, the answer bit.
    app.recordingDemo = true;
    Lumo::AllFilesExist(entry);
    EXPECT_TRUE(entry.filesPresent);
    app.recordingDemo = false;
    app.demoBuffer.SeekFront();
    EXPECT_EQ(app.demoBuffer.ReadNumBits(4, false), 0);
    EXPECT_EQ(app.demoBuffer.ReadNumBits(1, false), 0);
    EXPECT_EQ(app.demoBuffer.ReadNumBits(5, false), 14);
    EXPECT_EQ(app.demoBuffer.ReadNumBits(1, false), 1);

    // Playback answers from the record, whatever the disk says.
    app.demoBuffer.Clear();
    app.demoBuffer.WriteNumBits(0, 4);
    app.demoBuffer.WriteNumBits(0, 1);
    app.demoBuffer.WriteNumBits(14, 5);
    app.demoBuffer.WriteNumBits(0, 1);
    app.playingDemo = true;
    app.demoBitsPending = true;
    Lumo::AllFilesExist(entry);
    EXPECT_FALSE(entry.filesPresent);
    EXPECT_TRUE(app.demoBitsPending);
    app.playingDemo = false;
}

// ---- The file

TEST_F(InternetManagerTest, AdListFileLoadsAndIsSavedAtDestruction)
{
    tmp.Write("a.png", "x");
    tmp.Write("adlist.txt", "popup 3 5 | a.png | 1 0 \r\nrubbish line\r\n\r\nmore w1 w2 | a.png | 0 0 \r\n7 9 | | 0 1 ");
    auto manager = std::make_unique<InternetManager>();
    EXPECT_TRUE(manager->Init());
    ASSERT_EQ(manager->GetAdList().size(), 3u);
    EXPECT_EQ(manager->GetAdList()[2].firstNumber, 7);
    EXPECT_FALSE(manager->GetDownloadsOn());
    EXPECT_EQ(manager->GetResultURL(), ""); // no catalogue
    manager.reset();
    EXPECT_EQ(tmp.Read("adlist.txt"),
              "popup 3 5 | a.png | 1 0 \r\nmore w1 w2 | a.png | 0 0 \r\npopup 7 9 | | 0 1 \r\n");
}

TEST_F(InternetManagerTest, MissingFileLeavesTheListEmptyAndNothingIsWritten)
{
    {
        InternetManager manager;
        EXPECT_FALSE(manager.LoadAdList());
        EXPECT_TRUE(manager.GetAdList().empty());
        EXPECT_TRUE(manager.SaveAdList());
    }
    EXPECT_FALSE(tmp.Exists("adlist.txt"));
}

// ---- Catalogue and downloads

// Polls as the application does, once per frame; bounded.
bool RunUntilDownloaded(InternetManager& manager)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        manager.Update();
        bool idle = manager.GetDownloadQueue().empty();
        for (int i = 0; i < InternetManager::kDownloadSlots; ++i)
            idle = idle && manager.GetDownloadSlot(i).GetResult() == HTTPTransfer::kResultIdle;
        if (idle)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

TEST_F(InternetManagerTest, CatalogueDownloadsItsFilesAndLeavesNoBrokenOnes)
{
    LoopbackHttpServer server;
    ASSERT_TRUE(server.IsRunning());
    server.SetReply("/ads/list.txt",
                    LoopbackHttpServer::Ok("1\r\nhttp://127.0.0.1/result  \r\n\r\n"
                                           "popup 1 2 | a/b/c.png top.txt | 0 0\n"
                                           "more games w2 | missing.png broken.png ../escape.txt | 0 0 \r\n"
                                           "more games w3 | top.txt r1.txt r2.txt | 0 0\r\n"));
    server.SetReply("/ads/a/b/c.png", LoopbackHttpServer::Ok("PNGDATA"));
    server.SetReply("/ads/top.txt", LoopbackHttpServer::Ok(std::string(5000, 't')));
    server.SetReply("/ads/r1.txt", LoopbackHttpServer::Ok("one"));
    server.SetReply("/ads/r2.txt", LoopbackHttpServer::Ok("two"));
    server.SetReply("/ads/broken.png",
                    LoopbackHttpServer::Raw("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n", "cut short"));

    InternetManager manager;
    manager.Update(); // downloads are off until a catalogue is taken
    EXPECT_FALSE(manager.TakeCatalogue());

    manager.FetchCatalogue(server.Url("/ads/list.txt"));
    HTTPTransfer& catalogue = manager.GetCatalogueTransfer();
    for (int i = 0; i < 5000 && catalogue.GetResult() == HTTPTransfer::kResultBusy; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(catalogue.GetResult(), HTTPTransfer::kResultDone);
    EXPECT_TRUE(server.RequestedPaths().size() == 1);

    EXPECT_EQ(manager.GetResultURL(), "http://127.0.0.1/result");
    EXPECT_TRUE(manager.GetDownloadsOn());
    EXPECT_TRUE(manager.GetCatalogueFlag());
    ASSERT_EQ(manager.GetAdList().size(), 3u);
    EXPECT_TRUE(manager.GetAdList()[0].isNew);
    const std::deque<std::string> queue = {"a/b/c.png", "top.txt", "missing.png", "broken.png", "r1.txt", "r2.txt"};
    EXPECT_EQ(manager.GetDownloadQueue(), queue);

    ASSERT_TRUE(RunUntilDownloaded(manager));
    EXPECT_EQ(tmp.Read("a/b/c.png"), "PNGDATA");
    EXPECT_EQ(tmp.Read("top.txt"), std::string(5000, 't'));
    EXPECT_EQ(tmp.Read("r1.txt"), "one");
    EXPECT_EQ(tmp.Read("r2.txt"), "two");
    // A 404 and a body cut short leave no file, not even a temporary one.
    EXPECT_EQ(Listing(), (std::vector<std::string>{"a", "a/b", "a/b/c.png", "r1.txt", "r2.txt", "top.txt"}));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(tmp.Path()).parent_path() / "escape.txt"));
    // Every file was asked for once; the unsafe name never.
    std::vector<std::string> paths = server.RequestedPaths();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"/ads/a/b/c.png", "/ads/broken.png", "/ads/list.txt",
                                               "/ads/missing.png", "/ads/r1.txt", "/ads/r2.txt", "/ads/top.txt"}));
    manager.GetAdList().clear();
}

TEST_F(InternetManagerTest, FailedCatalogueChangesNothing)
{
    LoopbackHttpServer server;
    ASSERT_TRUE(server.IsRunning());
    InternetManager manager;
    manager.ParseAdList("popup 1 2 | keep.png | 0 0", false);
    manager.FetchCatalogue(server.Url("/nothing-here"));
    for (int i = 0; i < 5000 && manager.GetCatalogueTransfer().GetResult() == HTTPTransfer::kResultBusy; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(manager.GetCatalogueTransfer().GetResult(), HTTPTransfer::kResultNotFound);
    EXPECT_EQ(manager.GetResultURL(), "");
    EXPECT_FALSE(manager.GetDownloadsOn());
    EXPECT_EQ(manager.GetAdList().size(), 1u);
    manager.GetAdList().clear();
}

} // namespace
