// The level editor on a screen written by the test, worked as a designer
// works it: clicks pick and cycle objects, right clicks open menus, rows run
// commands, keys move and turn the selection, prompts are typed, and files
// are saved through a scripted file dialog and loaded back.
#include "game/engine/Editor.h"

#include "game/engine/EditorMenu.h"
#include "game/engine/EditorMenuItem.h"
#include "game/engine/InputBox.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Stage.h"
#include "support/ControlFixture.h"
#include "support/FakePlatformRecorder.h"
#include "support/ScriptedFileDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kEnter = 13;

// A layer as the gameplay would make it.
class TestLayer : public AnimObject {
public:
    TestLayer() { mKind = kKindLayer; }
    void WriteTypeAttributes(std::string& out) override { out += " type=\"layer\""; }
};

// A gameplay object with a menu row of its own.
class TestSlot : public AnimObject {
public:
    void WriteTypeAttributes(std::string& out) override { out += " type=\"test_slot\""; }
    void EditorMenuItems(EditorMenu& menu) override { menu.AddItem("Make Slot 3", "make_slot_3"); }
    void EditorCommand(const char* command) override { commands.push_back(command); }
    static std::vector<std::string> commands;
};
std::vector<std::string> TestSlot::commands;

class EditorHooks : public LumoTest::RecordingHooks {
public:
    AnimObject* CreateGameObject(const char* type) override
    {
        const std::string name = type != nullptr ? type : "";
        if (name == "layer")
            return new TestLayer();
        if (name == "test_slot")
            return new TestSlot();
        return nullptr;
    }
};

// An object with a 40 x 40 picture at (x, y).
std::string Box(const char* name, int x, int y, const char* type = nullptr)
{
    std::string text = "<object name=\"" + std::string(name) + "\" image=\"gfx\\box.png\"";
    if (type != nullptr)
        text += " type=\"" + std::string(type) + "\"";
    text += ">\n<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n<attribute type=\"x\" start=\"" +
            std::to_string(x) + "\" end=\"" + std::to_string(x) + "\">\n<attribute type=\"y\" start=\"" +
            std::to_string(y) + "\" end=\"" + std::to_string(y) + "\">\n</object>\n";
    return text;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class EditorTest : public ControlFixture {
protected:
    EditorTest()
    {
        host().sizes["gfx\\box.png"] = {40, 40};
        host().sizes["gfx\\other.png"] = {20, 20};
        mGame->mHooks = &mEditorHooks;
        mControlPlatform.SetFileDialogProvider(&mFiles);
        TestSlot::commands.clear();
    }
    ~EditorTest() override { mGame->mLiveObjects.RemoveAll(); }

    // The screen "edit_me": three boxes over each other at (200, 200) in a
    // layer "plate_container", and one more box on its own at (500, 400).
    Editor* OpenEditor(const std::string& extra = "")
    {
        AddScreen("edit_me", 0,
                  "<object type=\"layer\" name=\"plate_container\">\n<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" "
                  "loop_end=\"1\">\n" +
                      Box("bottom", 200, 200) + Box("middle", 200, 200) + Box("top", 200, 200) + "</object>\n" +
                      Box("lonely", 500, 400) + extra);
        Level* screen = Open("edit_me");
        Tick();
        editor = Editor::Start();
        EXPECT_NE(editor, nullptr);
        EXPECT_EQ(screen->mEditorMode, 1);
        EXPECT_EQ(mGame->mEditor, editor);
        return editor;
    }

    AnimObject* Find(const char* name, AnimObject* from = nullptr)
    {
        AnimObject* root = from != nullptr ? from : Topmost();
        if (std::string(root->mName) == name)
            return root;
        for (AnimObject* child = root->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (AnimObject* found = Find(name, child))
                return found;
        }
        return nullptr;
    }

    void RightClick(float x, float y)
    {
        MoveMouse(x, y);
        mGame->mInput.MouseDown(-1);
        Tick();
        mGame->mInput.MouseUp(-1);
    }

    EditorMenu* OpenMenu() const { return dynamic_cast<EditorMenu*>(editor->mChildren.Head()); }

    std::vector<std::string> Labels() const
    {
        std::vector<std::string> labels;
        if (EditorMenu* menu = OpenMenu()) {
            for (AnimObject* row = menu->mChildren.Head(); row != nullptr; row = row->mNext)
                labels.push_back(static_cast<EditorMenuItem*>(row)->mLabel);
        }
        return labels;
    }

    // Clicks the row of the open menu that has the label.
    void ClickRow(const std::string& label)
    {
        EditorMenu* menu = OpenMenu();
        ASSERT_NE(menu, nullptr) << "no menu open for " << label;
        for (AnimObject* row = menu->mChildren.Head(); row != nullptr; row = row->mNext) {
            if (static_cast<EditorMenuItem*>(row)->mLabel == label) {
                Click(row->mLocal[kAttrX] + 50.0f, row->mLocal[kAttrY]);
                return;
            }
        }
        FAIL() << "no row " << label;
    }

    // Opens the menu at a free spot and clicks the row.
    void Menu(const std::string& label, float x = 650.0f, float y = 100.0f)
    {
        RightClick(x, y);
        ClickRow(label);
    }

    InputBox* Prompt() const { return dynamic_cast<InputBox*>(editor->mChildren.Head()); }

    void TypeText(const std::string& text)
    {
        for (const char c : text) {
            int code = c;
            if (c >= 'a' && c <= 'z')
                code = c - 'a' + 'A';
            else if (c == '.')
                code = 190;
            else if (c == '\\')
                code = 220;
            Key(code);
        }
    }

    EditorHooks mEditorHooks;
    LumoTest::ScriptedFileDialog mFiles;
    LumoTest::FakePlatformRecorder mBoxes;
    Editor* editor = nullptr;
};

TEST_F(EditorTest, ClicksOnOneSpotCycleThroughTheObjectsThere)
{
    OpenEditor();
    AnimObject* bottom = Find("bottom");
    std::vector<std::string> picked;
    for (int i = 0; i < 4; ++i) {
        Click(200.0f, 200.0f);
        ASSERT_NE(editor->mSelection, nullptr);
        picked.push_back(editor->mSelection->mName);
    }
    // Hit positions 0, 1, 2 are bottom, middle, top; the counter starts at 0.
    EXPECT_EQ(picked, (std::vector<std::string>{"middle", "top", "bottom", "middle"}));
    EXPECT_EQ(editor->mSelectedLayer, Find("plate_container")) << "the picked object's layer is selected";
    AnimObject* middle = editor->mSelection;
    EXPECT_FLOAT_EQ(middle->mWorld[kAttrG], 0.5f);
    EXPECT_FLOAT_EQ(middle->mWorld[kAttrAlpha], 0.75f);
    EXPECT_FLOAT_EQ(bottom->mWorld[kAttrG], 1.0f) << "the one picked before has its colour back";

    // The counter is not reset on another spot: within the layer "lonely" is
    // not found, so nothing is selected.
    Click(500.0f, 400.0f);
    EXPECT_EQ(editor->mSelection, nullptr);
    Menu("Select Layer");
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Level Base", "plate_container", "None", "Cancel"}));
    ClickRow("None");
    EXPECT_EQ(editor->mSelectedLayer, nullptr);
    Click(500.0f, 400.0f);
    ASSERT_NE(editor->mSelection, nullptr);
    EXPECT_STREQ(editor->mSelection->mName, "lonely");
}

TEST_F(EditorTest, RightClicksOpenTheMenuOfTheSelectionOrOfTheLevelOnScreen)
{
    OpenEditor();
    RightClick(300.0f, 590.0f);
    // Without a selected layer the level menu has 8 rows: placed at
    // 600 - 20 * 8 - 3 = 437.
    EXPECT_EQ(Labels(), (std::vector<std::string>{"Load Level", "Save Level", "Name Level", "Change Win Message",
                                                  "Change Lose Message", "Select Layer", "Hide Uns Layers",
                                                  "Exit Editor"}));
    EXPECT_FLOAT_EQ(OpenMenu()->mLocal[kAttrY], 437.0f);
    EXPECT_FLOAT_EQ(OpenMenu()->mLocal[kAttrX], 300.0f);
    EditorMenu* first = OpenMenu();
    RightClick(100.0f, 100.0f);
    EXPECT_EQ(OpenMenu(), first) << "a right click while a menu is open opens none";
    EXPECT_EQ(editor->mChildren.Count(), 1);
    // A left click beside the rows closes it without a command.
    Click(700.0f, 20.0f);
    EXPECT_EQ(editor->mChildren.Count(), 0);

    Click(200.0f, 200.0f);
    RightClick(100.0f, 100.0f);
    const std::vector<std::string> labels = Labels();
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front(), "Save Object");
    EXPECT_EQ(labels.back(), "De-Select");
    EXPECT_FLOAT_EQ(OpenMenu()->mLocal[kAttrY], 100.0f);
}

TEST_F(EditorTest, MoveAndRotateFollowTheMouseUntilAClick)
{
    OpenEditor();
    Click(500.0f, 400.0f);
    AnimObject* lonely = editor->mSelection;
    ASSERT_NE(lonely, nullptr);

    Key('M');
    EXPECT_EQ(editor->mMode, Editor::kMove);
    MoveMouse(557.0f, 433.0f);
    Tick();
    // Moved by (57, 33), then snapped: truncated to multiples of 10.
    EXPECT_FLOAT_EQ(lonely->mLocal[kAttrX], 550.0f);
    EXPECT_FLOAT_EQ(lonely->mLocal[kAttrY], 430.0f);
    EXPECT_FLOAT_EQ(lonely->mWorld[kAttrG], 0.5f) << "still tinted";
    Click(557.0f, 433.0f);
    EXPECT_EQ(editor->mMode, Editor::kIdle);
    ASSERT_EQ(editor->mSelection, lonely);

    Key('R');
    EXPECT_EQ(editor->mMode, Editor::kRotate);
    struct Turn {
        float dx, dy;
        float rotation;
    };
    // a = atan2(-dy, dx) in whole degrees (toward zero); rotation =
    // (a + 85) / 5 * 5 in integers: 21.8 -> 21 -> 105, -159.7 -> -159 -> -70.
    for (const Turn& t : {Turn{100.0f, 0.0f, 85.0f}, Turn{0.0f, -100.0f, 175.0f}, Turn{100.0f, -100.0f, 130.0f},
                          Turn{100.0f, -40.0f, 105.0f}, Turn{-100.0f, 100.0f, -50.0f},
                          Turn{-100.0f, 37.0f, -70.0f}}) {
        MoveMouse(lonely->mWorld[kAttrX] + t.dx, lonely->mWorld[kAttrY] + t.dy);
        Tick();
        EXPECT_FLOAT_EQ(lonely->mLocal[kAttrRotation], t.rotation) << t.dx << ", " << t.dy;
    }
    RightClick(lonely->mWorld[kAttrX], lonely->mWorld[kAttrY] - 100.0f);
    EXPECT_EQ(editor->mMode, Editor::kIdle);
    EXPECT_TRUE(editor->mChildren.IsEmpty()) << "the click that ends the mode opens no menu";
}

TEST_F(EditorTest, NewStagePromptsAreAnsweredInOrder)
{
    OpenEditor();
    Click(500.0f, 400.0f);
    AnimObject* lonely = editor->mSelection;
    Menu("Stage Menu");
    ClickRow("Add New Stage");
    ASSERT_NE(Prompt(), nullptr);
    EXPECT_STREQ(Prompt()->mCaption, "Enter Stage Name");
    EXPECT_STREQ(Prompt()->mText, "new_stage") << "the name prompt starts with the stage's name";
    EXPECT_EQ(editor->mChildren.Count(), 5);
    const char* captions[] = {"Enter Stage MS", "Start Loop? (0/1)", "End Loop? (0/1)", "Visible? (0/1)"};
    for (const char* caption : captions) {
        Key(kEnter);
        ASSERT_NE(Prompt(), nullptr);
        EXPECT_STREQ(Prompt()->mCaption, caption);
    }
    Key(kEnter);
    EXPECT_EQ(Prompt(), nullptr);
    Stage* stage = lonely->CurrentStage();
    ASSERT_NE(stage, nullptr);
    EXPECT_STREQ(stage->mName, "new_stage");
    EXPECT_EQ(stage->mLength, 0.0f);
    EXPECT_EQ(stage->mLoopStart, 0);
    EXPECT_EQ(stage->mLoopEnd, 0);
    EXPECT_EQ(stage->mVisible, 0);
    EXPECT_EQ(lonely->mStages.Count(), 2);

    // A duration is typed in milliseconds and kept in 4-ms ticks.
    Menu("Stage Menu");
    ClickRow("Change Duration");
    TypeText("1000");
    Key(kEnter);
    EXPECT_FLOAT_EQ(stage->mLength, 250.0f);
}

TEST_F(EditorTest, SavedLevelLoadsBackAsTheNewEditedScreen)
{
    OpenEditor();
    Click(500.0f, 400.0f);
    Key('M');
    MoveMouse(320.0f, 140.0f);
    Tick();
    Click(320.0f, 140.0f);
    Key(' ');
    EXPECT_EQ(editor->mSelection, nullptr);

    std::filesystem::create_directories(mFolder.Path() + "/levels");
    mFiles.answers = {mFolder.Path() + "/levels/Edited.xml"};
    Menu("Save Level");
    ASSERT_EQ(mFiles.requests.size(), 1u);
    EXPECT_TRUE(mFiles.requests[0].save);
    EXPECT_EQ(mFiles.requests[0].folder, ".\\levels");
    const std::string saved = ReadFile(mFolder.Path() + "/levels/Edited.xml");
    std::string expected;
    Topmost()->WriteXml(expected, 1);
    EXPECT_EQ(saved, expected) << "the file holds exactly the writer's text";
    EXPECT_EQ(saved.find("editor"), std::string::npos);
    EXPECT_NE(saved.find("\"lonely\""), std::string::npos);

    // Loaded back through a relative answer, as the dialog gives it.
    Level* old = Topmost();
    mFiles.answers = {std::string("levels\\Edited.xml")};
    Menu("Load Level");
    Level* loaded = Topmost();
    ASSERT_NE(loaded, old);
    EXPECT_EQ(editor->mParent, loaded);
    EXPECT_EQ(loaded->mEditorMode, 1);
    // The old screen left the live list at the tick after the load (the
    // click's release): it was still running when the file came.
    EXPECT_EQ(ScreenNames(), std::vector<std::string>{"edit_me"});
    EXPECT_EQ(editor->mSelectedLayer, Find("plate_container", loaded));
    EXPECT_EQ(editor->mSelection, nullptr);
    AnimObject* lonely = Find("lonely", loaded);
    ASSERT_NE(lonely, nullptr);
    EXPECT_FLOAT_EQ(lonely->mLocal[kAttrX], 320.0f);
    EXPECT_FLOAT_EQ(lonely->mLocal[kAttrY], 140.0f);
    std::string reloaded;
    loaded->WriteXml(reloaded, 1);
    EXPECT_EQ(reloaded, saved);
}

TEST_F(EditorTest, ObjectSavedWholeEvenWhenItCameFromAFile)
{
    std::filesystem::create_directories(mFolder.Path() + "/objects");
    std::ofstream(mFolder.Path() + "/objects/crate.xml") << Box("crate", 600, 100);
    OpenEditor("<load_object_from_file file=\"objects\\crate.xml\">\n");
    Click(600.0f, 100.0f);
    ASSERT_NE(editor->mSelection, nullptr);
    ASSERT_STREQ(editor->mSelection->mName, "crate");
    // Saved over the file it came from: the file must not just load itself.
    mFiles.answers = {mFolder.Path() + "/objects/crate.xml"};
    Menu("Save Object");
    const std::string saved = ReadFile(mFolder.Path() + "/objects/crate.xml");
    EXPECT_EQ(saved.find("load_object_from_file"), std::string::npos) << saved;
    EXPECT_NE(saved.find("name=\"crate\""), std::string::npos);
    EXPECT_EQ(editor->mSelection->GetFileName(), "objects\\crate.xml") << "the screen still loads it from its file";

    // A cancelled dialog saves nothing.
    std::filesystem::remove(mFolder.Path() + "/objects/crate.xml");
    Menu("Save Object");
    EXPECT_FALSE(std::filesystem::exists(mFolder.Path() + "/objects/crate.xml"));
}

TEST_F(EditorTest, TypedFileNameWhenNoChooserCanBeShown)
{
    mControlPlatform.SetFileDialogProvider(nullptr);
    host().windowed = false;
    OpenEditor();
    std::filesystem::create_directories(mFolder.Path() + "/levels");
    Menu("Save Level");
    ASSERT_NE(Prompt(), nullptr);
    EXPECT_STREQ(Prompt()->mCaption, "Save: XML Levels");
    EXPECT_STREQ(Prompt()->mText, "levels\\");
    TypeText("mine.xml");
    Key(kEnter);
    EXPECT_EQ(Prompt(), nullptr);
    EXPECT_TRUE(std::filesystem::exists(mFolder.Path() + "/levels/mine.xml"));

    // An empty name cancels.
    Menu("Load Level");
    ASSERT_NE(Prompt(), nullptr);
    for (int i = 0; i < 7; ++i)
        Key(8);
    EXPECT_STREQ(Prompt()->mText, "");
    Level* before = Topmost();
    Key(kEnter);
    EXPECT_EQ(Prompt(), nullptr);
    EXPECT_EQ(Topmost(), before);
}

TEST_F(EditorTest, RowsOfAGameplayClassReachOnlyThatClass)
{
    OpenEditor(Box("slot", 650, 500, "test_slot"));
    Click(650.0f, 500.0f);
    ASSERT_STREQ(editor->mSelection->mName, "slot");
    RightClick(100.0f, 100.0f);
    const std::vector<std::string> labels = Labels();
    ASSERT_GE(labels.size(), 3u);
    EXPECT_EQ(labels[labels.size() - 3], "Make Slot 3") << "the class's rows come before Delete";
    ClickRow("Make Slot 3");
    EXPECT_EQ(TestSlot::commands, std::vector<std::string>{"make_slot_3"});

    // The level's own rows edit its messages.
    Key(' ');
    Menu("Change Win Message");
    ASSERT_NE(Prompt(), nullptr);
    EXPECT_STREQ(Prompt()->mCaption, "Win Message");
    TypeText("well");
    Key(kEnter);
    EXPECT_STREQ(Topmost()->mWinMessage, "Well");
    EXPECT_EQ(TestSlot::commands.size(), 1u);
}

TEST_F(EditorTest, LayerCommandsNeedALayerAndExitEndsTheEditor)
{
    OpenEditor();
    Click(500.0f, 400.0f);
    editor->RunCommand("duplicate_object");
    ASSERT_EQ(mBoxes.boxes.size(), 1u);
    EXPECT_EQ(mBoxes.boxes[0].text, "You need to select a layer first!");

    // The grab handle goes round: 80, -80, 0.
    for (const float offset : {80.0f, -80.0f, 0.0f}) {
        editor->RunCommand("toggle_handle");
        EXPECT_FLOAT_EQ(editor->mGrabOffset, offset);
    }
    // Sent to the back of its layer, below the first object there.
    Click(200.0f, 200.0f);
    AnimObject* first = Find("plate_container")->mChildren.Head();
    const float firstZ = first->mZOrder;
    editor->RunCommand("send_back");
    ASSERT_NE(editor->mSelection, nullptr);
    EXPECT_FLOAT_EQ(editor->mSelection->mZOrder, firstZ - 0.0001f);
    EXPECT_EQ(Find("plate_container")->mChildren.Head(), editor->mSelection);

    Level* screen = Topmost();
    Key(' ');
    Menu("Exit Editor", 650.0f, 100.0f);
    EXPECT_EQ(mGame->mEditor, nullptr);
    EXPECT_EQ(screen->mEditorMode, 0);
    Tick();
    EXPECT_EQ(screen->FindChildOfKind(kKindEditor), nullptr) << "the screen dropped the editor";
}

} // namespace
