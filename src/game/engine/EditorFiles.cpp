// The editor's files: objects and levels loaded and saved as object XML,
// and images chosen for objects. Every file is chosen through the game's
// file dialog, whose answer may come ticks later.
#include "game/engine/Editor.h"

#include "game/engine/GameFile.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Platform.h"
#include "game/engine/XmlSaveCheck.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* kObjectsFolder = ".\\objects";
constexpr const char* kLevelsFolder = ".\\levels";
constexpr const char* kImagesFolder = ".\\gfx";
constexpr int kLevelWarmUpTicks = 2000;

void AskForFile(const char* folder, const char* filterName, const char* pattern, bool save,
                Platform::FileDialogDone done)
{
    Platform* platform = Game().mPlatform;
    if (platform == nullptr)
        return;
    platform->OpenFileDialog(pattern, filterName, folder, 0, std::move(done), save);
}

// The file's text, or false when it cannot be read.
bool ReadText(const char* path, std::string& text)
{
    size_t size = 0;
    std::unique_ptr<char[]> bytes = ReadWholeFile(path, size);
    if (bytes == nullptr)
        return false;
    text.assign(bytes.get(), size);
    return true;
}

} // namespace

// ---- Objects

void Editor::LoadObject()
{
    if (mSelectedLayer == nullptr) {
        if (Platform* platform = Game().mPlatform)
            platform->MessageBox(kNeedLayer);
        return;
    }
    AskForFile(kObjectsFolder, "XML Objects", "*.xml", false, [this](const char* path) {
        if (path == nullptr || mSelectedLayer == nullptr || !ReadText(path, mXmlBuffer))
            return;
        Deselect();
        Paste(mSelectedLayer, true);
        if (mSelection != nullptr)
            mMode = kMove;
    });
}

void Editor::LoadChild()
{
    if (mSelection == nullptr)
        return;
    AskForFile(kObjectsFolder, "XML Objects", "*.xml", false, [this](const char* path) {
        AnimObject* owner = mSelection;
        std::string text;
        if (path == nullptr || owner == nullptr || !ReadText(path, text))
            return;
        AnimObject* child = CreateObjectsFromXml(text.c_str(), owner, path);
        if (child == nullptr)
            return;
        Deselect();
        child->Update();
        Select(child);
        mMode = kMove;
    });
}

void Editor::ChangeImage(AnimObject* object, int purpose)
{
    AskForFile(kImagesFolder, "Images", "*.*", false, [this, object, purpose](const char* path) {
        // Prompts hold the editor still: the selection is the one asked for.
        if (object == nullptr || mSelection != object)
            return;
        if (path != nullptr) {
            object->SetImage(path, 0.0f, 0.0f, 1, 0.0f);
            Select(object);
            if (purpose == kImageNewTile)
                mMode = kMove;
            return;
        }
        // A new tile or an overlay that gets no image is taken away again.
        if (purpose == kImagePlain)
            return;
        AnimObject* owner = object->mParent;
        mSelection = nullptr;
        if (owner != nullptr)
            owner->mChildren.Remove(object);
        if (purpose == kImageOverlay && owner != nullptr)
            Select(owner);
    });
}

void Editor::SaveSelection()
{
    if (mSelection == nullptr)
        return;
    AskForFile(kObjectsFolder, "XML Objects", "*.xml", true, [this](const char* path) {
        if (path == nullptr || mSelection == nullptr)
            return;
        SaveObject(*mSelection, path);
    });
}

void Editor::SaveLevel()
{
    AskForFile(kLevelsFolder, "XML Levels", "*.xml", true, [this](const char* path) {
        if (path != nullptr && mParent != nullptr)
            SaveObject(*mParent, path);
    });
}

bool Editor::SaveObject(AnimObject& object, const char* path)
{
    // The object is written in full even when it came from a file of its
    // own: its loading line alone would make a file that loads itself.
    const std::string fileName = object.GetFileName();
    object.SetFileName(nullptr);
    // The editor itself and its menus are no part of the saved screen.
    mXmlBuffer.clear();
    bool passed = false;
    std::string problems;
    {
        XmlSaveCheck check;
        object.WriteXml(mXmlBuffer, 1);
        passed = check.Passed();
        for (const std::string& problem : check.GetProblems())
            problems += problem + "\n";
    }
    object.SetFileName(fileName.c_str());
    Platform* platform = Game().mPlatform;
    if (!passed) {
        LoadMessages::Report(path, 0, problems + "not saved");
        if (platform != nullptr)
            platform->MessageBox(std::string("Not saved: ") + path + "\n" + problems);
        return false;
    }
    if (WriteWholeFile(path, mXmlBuffer.data(), mXmlBuffer.size()) != 1) {
        LoadMessages::Report(path, 0, "cannot be written; the file is unchanged");
        if (platform != nullptr)
            platform->MessageBox(std::string("Cannot write ") + path);
        return false;
    }
    return true;
}

// ---- Levels

void Editor::LoadLevel()
{
    AskForFile(kLevelsFolder, "XML Levels", "*.xml", false, [this](const char* path) {
        if (path != nullptr)
            ReplaceLevel(path);
    });
}

void Editor::ReplaceLevel(const char* path)
{
    if (!ReadText(path, mXmlBuffer))
        return;
    GameState& game = Game();
    Level* old = EditedLevel();
    Deselect();
    mSelectedLayer = nullptr;
    mHits.RemoveAll();
    // The old screen is still running this tick (the editor runs inside its
    // update): it leaves the live list on its next tick instead of now.
    if (old != nullptr) {
        old->mChildren.Unlink(this);
        mParent = nullptr;
        old->mEditorMode = 0;
        old->mRemove = 1;
    }
    AnimObject* before = game.mLiveObjects.Tail();
    CreateObjectsFromXml(mXmlBuffer.c_str(), nullptr, path);
    auto* screen = dynamic_cast<Level*>(game.mLiveObjects.Tail());
    if (screen == nullptr || screen == before) {
        // Not a level: the editor goes back to the old screen.
        if (old != nullptr) {
            old->mRemove = 0;
            old->mEditorMode = 1;
            old->AppendChild(this);
        }
        return;
    }
    // The new screen settles (8 seconds of ticks) before it is edited; the
    // editor joins it after, so that it takes none of those ticks' input.
    for (int i = 0; i < kLevelWarmUpTicks; ++i)
        screen->Update();
    screen->AppendChild(this);
    screen->mEditorMode = 1;
    if (game.mPlatform != nullptr)
        game.mPlatform->ShowCursor();
    ObjectList<PickNode> layers;
    screen->CollectObjectsOfKind(layers, kKindLayer);
    for (const PickNode* node = layers.Head(); node != nullptr; node = node->mNext) {
        if (std::strcmp(node->mObject->mName, "plate_container") == 0)
            mSelectedLayer = node->mObject;
    }
    // A list lets go of its nodes without freeing them.
    layers.RemoveAll();
}
