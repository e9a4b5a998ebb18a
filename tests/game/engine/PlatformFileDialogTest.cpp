// The game's file dialog: the chosen path made relative to the current
// folder (whole leading components, ignoring case, keeping the spelling),
// the provider asked, and the answer handed on once.
#include "game/engine/Platform.h"

#include "game/engine/FileDialogProvider.h"
#include "platform/files/FileSystem.h"
#include "support/FakePlatformHost.h"
#include "support/ScriptedFileDialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(PlatformFileDialogTest, PathsInsideTheFolderBecomeRelative)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* expected;
    };
    const Case cases[] = {
        {"/g/game/levels/one.xml", "/g/game", "levels\\one.xml"},
        // Case is ignored in the match, and the path keeps its own spelling.
        {"/G/Game/Levels/One.XML", "/g/game", "Levels\\One.XML"},
        {"/g/game/Levels/One.xml", "/G/GAME/", "Levels\\One.xml"},
        // A folder whose name only starts like the current one is outside it.
        {"/g/game2/x.xml", "/g/game", "/g/game2/x.xml"},
        // The current folder's name deeper in the path is no match either.
        {"/other/g/game/x.xml", "/g/game", "/other/g/game/x.xml"},
        {"/g/x.xml", "/g/game", "/g/x.xml"},
        // Doubled and backward separators count as one.
        {"/g//game\\objects\\tile.xml", "/g/game", "objects\\tile.xml"},
        // The folder itself names no file; a relative answer stays as typed.
        {"/g/game", "/g/game", "/g/game"},
        {"levels\\two.xml", "/g/game", "levels\\two.xml"},
        {"/g/game/a.xml", "", "/g/game/a.xml"},
        {"/a.xml", "/", "a.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Platform::RelativeToFolder(c.path, c.folder), c.expected);
    }
}

class PlatformFileDialogFlowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform.SetFileDialogProvider(&script);
        folder = Plat::GetFileSystem().CurrentFolder();
        ASSERT_FALSE(folder.empty());
    }

    // Opens a dialog and returns what it answered ("<none>" when cancelled).
    std::vector<std::string> Open(int keepFullPath, bool save = false)
    {
        std::vector<std::string> seen;
        platform.OpenFileDialog("*.xml", "XML Levels", ".\\levels", keepFullPath,
                                [&seen](const char* path) { seen.push_back(path != nullptr ? path : "<none>"); },
                                save);
        return seen;
    }

    FakePlatformHost host;
    Platform platform{&host};
    LumoTest::ScriptedFileDialog script;
    std::string folder;
};

TEST_F(PlatformFileDialogFlowTest, AnswersRelativeUnlessTheFullPathIsKept)
{
    script.answers = {folder + "/levels/Level1.xml", folder + "/levels/Level1.xml", std::nullopt,
                      std::string("/elsewhere/x.xml")};
    EXPECT_EQ(Open(0), std::vector<std::string>{"levels\\Level1.xml"});
    EXPECT_EQ(Open(1), std::vector<std::string>{folder + "/levels/Level1.xml"});
    EXPECT_EQ(Open(0), std::vector<std::string>{"<none>"}) << "cancelled";
    EXPECT_EQ(Open(0, true), std::vector<std::string>{"/elsewhere/x.xml"});

    ASSERT_EQ(script.requests.size(), 4u);
    EXPECT_EQ(script.requests[0].pattern, "*.xml");
    EXPECT_EQ(script.requests[0].filterName, "XML Levels");
    EXPECT_EQ(script.requests[0].folder, ".\\levels");
    EXPECT_FALSE(script.requests[0].save);
    EXPECT_TRUE(script.requests[3].save);
    EXPECT_TRUE(host.modeSwitches.empty()) << "the dialog never switches the screen mode";
}

TEST_F(PlatformFileDialogFlowTest, WithoutAProviderTheFallbackAnswers)
{
    platform.SetFileDialogProvider(nullptr);
    // Full screen never shows the desktop's chooser.
    host.windowed = false;
    EXPECT_EQ(Open(0), std::vector<std::string>{"<none>"}) << "no fallback: cancelled at once";

    LumoTest::ScriptedFileDialog fallback;
    fallback.answers = {std::string("objects\\tile.xml")};
    platform.SetFallbackFileDialog(&fallback);
    EXPECT_EQ(Open(0), std::vector<std::string>{"objects\\tile.xml"});
    EXPECT_EQ(fallback.requests.size(), 1u);
    EXPECT_TRUE(script.requests.empty());
}

} // namespace
