// The level editor: a child of the screen it edits, which then runs it in
// place of its own rules. The designer picks objects with the mouse, moves,
// turns, flips and re-layers them, edits their stages and filters through
// typed prompts, and saves objects and whole levels as object XML. Menus and
// prompts are the editor's children; only the oldest one is live, so
// prompts made together are answered in order.
#pragma once

#include "game/engine/AnimObject.h"
#include "game/engine/ObjectList.h"
#include "game/engine/PickNode.h"

#include <memory>
#include <string>

class EditorMenu;
class EditorMenuItem;
class EditorPromptDialog;
class Level;

class Editor : public AnimObject {
public:
    static constexpr float kZOrder = 6.0f;
    static constexpr float kGrabStep = 80.0f;
    static constexpr const char* kFont = "gfx\\sysfont.png";
    static constexpr const char* kNeedLayer = "You need to select a layer first!";

    enum Mode {
        kIdle = 0,
        kMove = 1,
        kRotate = 2,
        kStageTest = 3,
        kLeaving = 4,
    };

    Editor();
    ~Editor() override;

    // Starts the editor on the topmost screen (a Level): the editor becomes
    // its last child, the screen's editor mode is set, nothing is selected.
    // Null when there is no such screen or an editor is already open.
    static Editor* Start();

    // One tick: input, the mode's step, the oldest menu or prompt. Returns 0
    // once the editor leaves, so that its screen drops it.
    int Update() override;
    // The info bar, the layer grid, the open menu or prompt, the selection's
    // stage paths.
    void Draw() override;

    void ReadInput();
    void UpdateIdle();
    void UpdateMove();
    void UpdateRotate();
    void UpdateStageTest();
    void OpenMenuOnRightClick();

    // Makes the object the selection and tints it.
    void Select(AnimObject* object);
    // Gives the selection its own colour back and clears it.
    void Deselect();
    // A menu of that name at the mouse, kept on screen; empty for an unknown name.
    EditorMenu* OpenMenu(const char* name);
    // Adds the rows of the named menu (nothing for an unknown name).
    void BuildMenu(EditorMenu& menu, const char* name);
    // The command of a clicked row; a command the editor does not know goes
    // to the selection's class (or the edited screen's without one).
    void RunCommand(EditorMenuItem& item);
    void RunCommand(const char* command);

    // The screen being edited (the editor's parent).
    Level* EditedLevel() const;
    // True while a prompt waits for its answer.
    bool HasPrompt() const;

    // Input read at the start of each tick.
    int mLeftClick = 0;
    int mRightClick = 0;
    int mMouseX = 0;
    int mMouseY = 0;
    int mMode = kIdle;
    int mHideUnselectedLayers = 0;
    int mClickCounter = 0;
    AnimObject* mSelection = nullptr;
    // A layer at any depth of the edited screen, the screen itself, or null.
    AnimObject* mSelectedLayer = nullptr;
    float mGrabOffset = 0.0f;
    // The objects under the mouse at the last picking click, or the layers
    // collected for the layer menu.
    ObjectList<PickNode> mHits;
    // The text the editor copies, re-layers, loads and saves objects through.
    std::string mXmlBuffer;

private:
    // The screen runs its own rules again; the editor is dropped at its next tick.
    void Leave();
    // Commands (EditorCommands.cpp).
    void MoveSelectionToMouse();
    void ReLayer(bool front);
    void Paste(AnimObject* parent, bool atMouse);
    void NewTile();
    void AddOverlay();
    enum ImagePurpose { kImagePlain, kImageNewTile, kImageOverlay };
    // Asks for an image for the object (the selection).
    void ChangeImage(AnimObject* object, int purpose);
    void PickStage(Stage* stage);
    void EditAttribute(int code);
    void AddStagePrompts();
    void AddFilter(int kind);
    bool RunStageCommand(const std::string& command);
    // Files (EditorFiles.cpp).
    void LoadObject();
    void LoadChild();
    void SaveSelection();
    void SaveLevel();
    void LoadLevel();
    // Writes the object in full to the file; false (and a message) when it
    // cannot be saved.
    bool SaveObject(AnimObject& object, const char* path);
    void ReplaceLevel(const char* path);

    // Prompt helpers.
    void PromptFloat(const char* caption, float* target, int followX = 0, int followY = 0);
    void PromptDuration(const char* caption, float* target);
    void PromptInt(const char* caption, int* target);
    void PromptText(const char* caption, char* target, size_t size);

    std::unique_ptr<EditorPromptDialog> mPromptDialog;
};
