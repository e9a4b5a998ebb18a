// The desktop's file chooser: its argument vector, the search for the
// program on the path, and a chooser run end to end with a script standing
// in for the program (chosen, cancelled, failed, and the arguments it got).
#include "platform/system/FileChooser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(FileChooserTest, ArgumentsForOpenAndSave)
{
    Plat::FileChooserRequest open;
    open.title = "XML Levels";
    open.folder = ".\\levels";
    open.filterName = "XML Levels";
    open.pattern = "*.xml";
    EXPECT_EQ(Plat::FileChooserArguments(open),
              (std::vector<std::string>{"zenity", "--file-selection", "--title=XML Levels", "--filename=./levels/",
                                        "--file-filter=XML Levels | *.xml *.XML"}));

    Plat::FileChooserRequest save = open;
    save.save = true;
    save.folder = "/tmp/x/";
    save.filterName = "a|b";
    const auto args = Plat::FileChooserArguments(save);
    ASSERT_EQ(args.size(), 7u);
    EXPECT_EQ(args[3], "--filename=/tmp/x/");
    EXPECT_EQ(args[4], "--file-filter=a b | *.xml *.XML") << "a bar would split the filter";
    EXPECT_EQ(args[5], "--save");
    EXPECT_EQ(args[6], "--confirm-overwrite");

    // Every file: no filter at all.
    for (const char* every : {"*.*", "*", ""}) {
        Plat::FileChooserRequest images;
        images.filterName = "Images";
        images.pattern = every;
        EXPECT_EQ(Plat::FileChooserArguments(images), (std::vector<std::string>{"zenity", "--file-selection"}));
    }
}

class FileChooserRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("lumo_chooser_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // A stand-in chooser: records its arguments, then runs the body.
    std::string Script(const std::string& name, const std::string& body)
    {
        const fs::path path = dir / name;
        std::ofstream out(path);
        out << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << (dir / "args").string()
            << "\"\n"
            << body << "\n";
        out.close();
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    }

    Plat::FileChooser::State Run(Plat::FileChooser& chooser)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (chooser.Poll() == Plat::FileChooser::State::Running && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return chooser.GetState();
    }

    std::string ReadArgs()
    {
        std::ifstream in(dir / "args");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir;
};

TEST_F(FileChooserRunTest, ProgramIsFoundOnlyAsAnExecutableFile)
{
    Script("chooser", "exit 0");
    std::ofstream(dir / "plain") << "not a program";
    fs::create_directories(dir / "folder");
    const std::string path = "/nonexistent:" + dir.string();
    EXPECT_TRUE(Plat::IsProgramOnPath("chooser", path));
    EXPECT_FALSE(Plat::IsProgramOnPath("plain", path)) << "not executable";
    EXPECT_FALSE(Plat::IsProgramOnPath("folder", path));
    EXPECT_FALSE(Plat::IsProgramOnPath("chooser", "/nonexistent"));
    EXPECT_FALSE(Plat::IsProgramOnPath("../chooser", dir.string() + "/x")) << "names only, no paths";
    EXPECT_FALSE(Plat::IsProgramOnPath("", dir.string()));
}

TEST_F(FileChooserRunTest, ChosenCancelledAndFailed)
{
    Plat::FileChooserRequest request;
    request.folder = "levels";
    request.pattern = "*.xml";
    request.filterName = "XML Levels";
    request.save = true;
    {
        Plat::FileChooser chooser;
        ASSERT_TRUE(chooser.Start(request, Script("pick", "echo '/g/game/levels/My Level.xml'")));
        EXPECT_EQ(Run(chooser), Plat::FileChooser::State::Chosen);
        EXPECT_EQ(chooser.Path(), "/g/game/levels/My Level.xml") << "blanks kept, line end gone";
        // Each argument arrives whole: no shell split them.
        EXPECT_EQ(ReadArgs(), "--file-selection\n--filename=levels/\n--file-filter=XML Levels | *.xml *.XML\n"
                              "--save\n--confirm-overwrite\n");
    }
    struct Case {
        const char* body;
        Plat::FileChooser::State state;
    };
    const Case cases[] = {
        {"exit 1", Plat::FileChooser::State::Cancelled},
        {"exit 5", Plat::FileChooser::State::Failed},
        {"echo '/a.xml'; exit 3", Plat::FileChooser::State::Failed},
        {"printf '/a.xml\\n/b.xml\\n'", Plat::FileChooser::State::Failed},
        {"exit 0", Plat::FileChooser::State::Cancelled},
        {"kill -9 $$", Plat::FileChooser::State::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        Plat::FileChooser chooser;
        ASSERT_TRUE(chooser.Start(request, Script("run", c.body)));
        EXPECT_EQ(Run(chooser), c.state);
        EXPECT_TRUE(chooser.Path().empty());
    }
    Plat::FileChooser missing;
    EXPECT_FALSE(missing.Start(request, (dir / "no_such_program").string()));
    EXPECT_EQ(missing.GetState(), Plat::FileChooser::State::Failed);
}

TEST_F(FileChooserRunTest, ChooserStillOpenIsEndedWithItsOwner)
{
    Plat::FileChooserRequest request;
    const auto before = std::chrono::steady_clock::now();
    {
        Plat::FileChooser chooser;
        ASSERT_TRUE(chooser.Start(request, Script("slow", "exec sleep 30")));
        EXPECT_EQ(chooser.Poll(), Plat::FileChooser::State::Running);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(20))
        << "the destructor ended the chooser instead of waiting for it";
}

} // namespace
