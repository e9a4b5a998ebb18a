// The desktop's chooser as the game's file dialog, run with a script in
// place of the program: the window is served while it is open, the keys are
// cleared after it, and the answer comes once.
#include "game/engine/DesktopFileDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class DesktopFileDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("lumo_desktop_dialog_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Script(const std::string& name, const std::string& body)
    {
        const fs::path path = dir / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    }

    fs::path dir;
};

TEST_F(DesktopFileDialogTest, DesktopDialogPumpsTheWindowAndClearsKeysAfter)
{
    int pumps = 0;
    int clears = 0;
    int pumpsAtClear = -1;
    DesktopFileDialog dialog([&] { ++pumps; }, [&] {
        ++clears;
        pumpsAtClear = pumps;
    },
                             Script("slowpick", "sleep 0.2; echo /g/game/objects/tile.xml"));
    std::vector<std::string> answers;
    FileDialogRequest request;
    request.pattern = "*.xml";
    dialog.Ask(request, [&](const std::string* path) { answers.push_back(path != nullptr ? *path : "<none>"); });
    EXPECT_EQ(answers, std::vector<std::string>{"/g/game/objects/tile.xml"});
    EXPECT_GE(pumps, 2) << "the window was served while the chooser was open";
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(pumpsAtClear, pumps) << "keys are cleared after the last pump";

    DesktopFileDialog failing([] {}, [&] { ++clears; }, (dir / "no_such_program").string());
    failing.Ask(request, [&](const std::string* path) { answers.push_back(path != nullptr ? *path : "<none>"); });
    EXPECT_EQ(answers.back(), "<none>");
    EXPECT_EQ(clears, 2);
}

} // namespace
