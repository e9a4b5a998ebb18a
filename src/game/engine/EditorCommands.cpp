// The editor's menus and the commands behind their rows.
#include "game/engine/Editor.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EditorMenu.h"
#include "game/engine/EditorMenuItem.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/Filter.h"
#include "game/engine/GameFile.h"
#include "game/engine/GameState.h"
#include "game/engine/InputBox.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Platform.h"
#include "game/engine/Stage.h"
#include "game/engine/StageNames.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kTileFile = "objects\\tile.xml";
constexpr int kEasingKinds = 13;
constexpr int kVelocityKind = 11;

bool StartsWith(const std::string& text, const char* prefix, std::string& rest)
{
    const size_t n = std::strlen(prefix);
    if (text.compare(0, n, prefix) != 0)
        return false;
    rest = text.substr(n);
    return true;
}

// A whole decimal number, or -1.
int IndexOf(const std::string& text)
{
    if (text.empty() || text.size() > 6)
        return -1;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

template <typename T>
T* Nth(const ObjectList<T>& list, int index)
{
    T* record = list.Head();
    for (int i = 0; i < index && record != nullptr; ++i)
        record = record->mNext;
    return index < 0 ? nullptr : record;
}

void ShowMessage(const char* text)
{
    if (Platform* platform = Game().mPlatform)
        platform->MessageBox(text);
}

} // namespace

// ---- Menus

void Editor::BuildMenu(EditorMenu& menu, const char* name)
{
    const std::string menuName = name != nullptr ? name : "";
    Stage* stage = mSelection != nullptr ? mSelection->CurrentStage() : nullptr;

    if (menuName == "base") {
        menu.AddItem("Load Level", "load_level");
        menu.AddItem("Save Level", "save_level");
        menu.AddItem("Name Level", "change_title");
        if (mParent != nullptr)
            mParent->EditorMenuItems(menu);
        menu.AddItem("Select Layer", "layer");
        if (mHideUnselectedLayers != 0)
            menu.AddItem("Show Uns Layers", "show_layers");
        else
            menu.AddItem("Hide Uns Layers", "hide_layers");
        if (mSelectedLayer != nullptr) {
            menu.AddItem("Load Object", "load_object");
            menu.AddItem("New Tile", "new_tile");
            menu.AddItem("Bring Layer To Front", "bring_layer_front");
            menu.AddItem("Move All Down", "shift_layer_down");
            menu.AddItem("Move All Up", "shift_layer_up");
            menu.AddItem("Move All Right", "shift_layer_right");
            menu.AddItem("Move All Left", "shift_layer_left");
        }
        menu.AddItem("Exit Editor", "exit");
    } else if (menuName == "layer") {
        menu.AddItem("Level Base", "layer_base_layer");
        mHits.RemoveAll();
        if (mParent != nullptr) {
            for (AnimObject* child = mParent->mChildren.Head(); child != nullptr; child = child->mNext)
                child->CollectObjectsOfKind(mHits, kKindLayer);
        }
        for (const PickNode* node = mHits.Head(); node != nullptr; node = node->mNext)
            menu.AddItem(node->mObject->mName, (std::string("layer_") + node->mObject->mName).c_str());
        menu.AddItem("None", "layer_none");
        menu.AddItem("Cancel", "unselect");
    } else if (menuName == "object") {
        if (mSelection == nullptr)
            return;
        menu.AddItem("Save Object", "save_object");
        menu.AddItem("Duplicate", "duplicate_object");
        menu.AddItem("Change Image", "change_image");
        menu.AddItem("Move", "move");
        menu.AddItem("Rotate", "rotate");
        menu.AddItem("Stage Menu", "spawn_stage_menu");
        menu.AddItem("Toggle Grab Handle", "toggle_handle");
        menu.AddItem("Send To Back", "send_back");
        menu.AddItem("Bring To Front", "send_front");
        menu.AddItem("Flip X", "flip_x");
        menu.AddItem("Flip Y", "flip_y");
        menu.AddItem("Add Overlay", "add_overlay");
        menu.AddItem("Load Child", "load_child");
        menu.AddItem("Select Child", "select_child");
        menu.AddItem(mSelection->mShadow != 0 ? "Remove Shadow" : "Add Shadow", "toggle_shadow");
        menu.AddItem("Tint", "tint");
        menu.AddItem(mSelection->mSnap != 0 ? "Un-Snap To Grid" : "Snap To Grid", "toggle_snap");
        menu.AddItem(mSelection->mBilinear != 0 ? "Disable Bilinear" : "Enable Bilinear", "toggle_bilinear");
        mSelection->EditorMenuItems(menu);
        menu.AddItem("Delete", "delete");
        menu.AddItem("De-Select", "unselect");
    } else if (menuName == "stage") {
        menu.AddItem("Add New Stage", "add_stage");
        if (stage == nullptr)
            return;
        menu.AddItem("Select Different Stage", "select_stage");
        menu.AddItem("Change Duration", "edit_stage_time");
        menu.AddItem("Change Stage Looping", "edit_stage_looping");
        menu.AddItem(stage->mVisible != 0 ? "Visible: Yes" : "Visible: No", "edit_stage_visible");
        menu.AddItem("Edit Current Attribute", "edit_attribute");
        menu.AddItem("Add New Attribute", "add_attribute");
        menu.AddItem("Add Filter", "add_filter");
        menu.AddItem("Delete Filter", "delete_filter");
        menu.AddItem("Add Event", "add_event");
        menu.AddItem("Test Current Stage", "test_stage");
    } else if (menuName == "select_stage") {
        if (mSelection == nullptr)
            return;
        int index = 0;
        for (const Stage* each = mSelection->mStages.Head(); each != nullptr; each = each->mNext, ++index)
            menu.AddItem(each->mName, ("select_stage_" + std::to_string(index)).c_str());
    } else if (menuName == "add_attribute" || menuName == "edit_attribute") {
        const bool onlySet = menuName == "edit_attribute";
        for (int code = 0; code < kAttributeCount; ++code) {
            if (onlySet && (stage == nullptr || (stage->mMask & (1u << code)) == 0))
                continue;
            menu.AddItem(AttributeName(code), ("edit_attribute_" + std::to_string(code)).c_str());
        }
    } else if (menuName == "filter_attribute") {
        for (int code = 0; code < kAttributeCount; ++code)
            menu.AddItem(AttributeName(code), ("filter_attribute_" + std::to_string(code)).c_str());
    } else if (menuName == "add_filter") {
        for (int kind = 0; kind < kEasingKinds; ++kind)
            menu.AddItem(EasingName(kind), ("add_filter_" + std::to_string(kind)).c_str());
        menu.AddItem(EasingName(kVelocityKind), ("add_filter_" + std::to_string(kVelocityKind)).c_str());
    } else if (menuName == "delete_filter") {
        if (stage == nullptr)
            return;
        int index = 0;
        for (const Filter* filter = stage->mFilters.Head(); filter != nullptr; filter = filter->mNext, ++index) {
            const std::string label = std::string(AttributeName(filter->mAttribute)) + " " + EasingName(filter->mType);
            menu.AddItem(label.c_str(), ("delete_filter_" + std::to_string(index)).c_str());
        }
    }
}

// ---- Prompts

void Editor::PromptFloat(const char* caption, float* target, int followX, int followY)
{
    new InputBox(caption, InputBox::kNumber, target, sizeof(float), followX, followY, nullptr, 0, 0, mSelection);
}

void Editor::PromptDuration(const char* caption, float* target)
{
    new InputBox(caption, InputBox::kDuration, target, sizeof(float), 0, 0, nullptr, 0, 0, mSelection);
}

void Editor::PromptInt(const char* caption, int* target)
{
    new InputBox(caption, InputBox::kInteger, target, sizeof(int), 0, 0, nullptr, 0, 0, mSelection);
}

void Editor::PromptText(const char* caption, char* target, size_t size)
{
    new InputBox(caption, InputBox::kText, target, size, 0, 0, nullptr, 0, 0, mSelection);
}

// ---- Commands

void Editor::RunCommand(EditorMenuItem& item)
{
    // The row goes away with its menu: work on a copy of its command.
    const std::string command = item.mCommand;
    RunCommand(command.c_str());
}

void Editor::MoveSelectionToMouse()
{
    if (mSelection == nullptr)
        return;
    if (Platform* platform = Game().mPlatform)
        platform->SetMousePosition(mSelection->mWorld[kAttrX], mSelection->mWorld[kAttrY]);
}

void Editor::Paste(AnimObject* parent, bool atMouse)
{
    if (parent == nullptr)
        return;
    AnimObject* pasted = CreateObjectsFromXml(mXmlBuffer.c_str(), parent, "editor");
    if (pasted == nullptr)
        return;
    pasted->Update();
    if (atMouse)
        pasted->MoveBy(float(mMouseX) - pasted->mWorld[kAttrX], float(mMouseY) - pasted->mWorld[kAttrY]);
    if (Stage* stage = pasted->CurrentStage())
        stage->mVisible = 1;
    Select(pasted);
}

void Editor::ReLayer(bool front)
{
    AnimObject* layer = mSelectedLayer;
    AnimObject* object = mSelection;
    if (object == nullptr || layer == nullptr)
        return;
    if (front) {
        AnimObject* lastWithImage = nullptr;
        for (AnimObject* child = layer->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mImage != nullptr)
                lastWithImage = child;
        }
        if (lastWithImage != nullptr)
            object->mZOrder = lastWithImage->mZOrder + 0.0001f;
    } else {
        AnimObject* first = layer->mChildren.Head();
        if (first == nullptr)
            return;
        object->mZOrder = first->mZOrder - 0.0001f;
    }
    mXmlBuffer.clear();
    object->WriteXml(mXmlBuffer, 1);
    mSelection = nullptr;
    if (object->mParent != nullptr)
        object->mParent->mChildren.Remove(object);
    // Pasted where it was: only its place among the layer's objects changes.
    AnimObject* pasted = CreateObjectsFromXml(mXmlBuffer.c_str(), layer, "editor");
    if (pasted != nullptr) {
        pasted->Update();
        Select(pasted);
    }
}

void Editor::PickStage(Stage* stage)
{
    if (mSelection == nullptr || stage == nullptr)
        return;
    mSelection->SetStage(stage);
    stage->mTicks = 0.0f;
    mSelection->mFrameCounter = 0.0f;
    mSelection->Update();
    if (mSelection->CurrentStage() != stage)
        mSelection->SetStage(stage);
    Select(mSelection);
}

void Editor::EditAttribute(int code)
{
    Stage* stage = mSelection != nullptr ? mSelection->CurrentStage() : nullptr;
    if (stage == nullptr || code < 0 || code >= kAttributeCount)
        return;
    stage->mMask |= 1u << code;
    PromptFloat("Enter Start Value", &stage->mStart[code], code == kAttrX, code == kAttrY);
    PromptFloat("Enter End Value", &stage->mEnd[code], code == kAttrX, code == kAttrY);
}

void Editor::AddStagePrompts()
{
    if (mSelection == nullptr)
        return;
    Stage* stage = mSelection->AddStage(1000.0f, 1, 1, 1, "new_stage");
    if (stage == nullptr)
        return;
    mSelection->SetStage(stage);
    PromptText("Enter Stage Name", stage->mName, sizeof(stage->mName));
    PromptDuration("Enter Stage MS", &stage->mLength);
    PromptInt("Start Loop? (0/1)", &stage->mLoopStart);
    PromptInt("End Loop? (0/1)", &stage->mLoopEnd);
    PromptInt("Visible? (0/1)", &stage->mVisible);
}

void Editor::AddFilter(int kind)
{
    Stage* stage = mSelection != nullptr ? mSelection->CurrentStage() : nullptr;
    if (stage == nullptr || kind < 0 || kind >= kEasingKinds)
        return;
    Filter* filter = stage->AddFilter(Game().mFilterPool, kind, 0, 0.0f, 0.0f, 0.0f, 0);
    if (filter == nullptr)
        return;
    OpenMenu("filter_attribute");
    PromptFloat("Enter Amplitude", &filter->mAmplitude);
    PromptFloat("Enter Period", &filter->mPeriod);
    PromptFloat("Enter Offset", &filter->mOffset);
    PromptInt("Do Only Once? (0/1)", &filter->mRemoveAtStageEnd);
}

bool Editor::RunStageCommand(const std::string& command)
{
    Stage* stage = mSelection != nullptr ? mSelection->CurrentStage() : nullptr;
    std::string rest;
    if (command == "edit_stage_time") {
        if (stage != nullptr)
            PromptDuration("Enter Stage MS", &stage->mLength);
    } else if (command == "edit_stage_looping") {
        if (stage != nullptr) {
            PromptInt("Start Loop? (0/1)", &stage->mLoopStart);
            PromptInt("End Loop? (0/1)", &stage->mLoopEnd);
        }
    } else if (command == "edit_stage_visible") {
        if (stage != nullptr)
            PromptInt("Visible? (0/1)", &stage->mVisible);
    } else if (StartsWith(command, "select_stage_", rest)) {
        if (mSelection != nullptr)
            PickStage(Nth(mSelection->mStages, IndexOf(rest)));
    } else if (StartsWith(command, "edit_attribute_", rest)) {
        EditAttribute(IndexOf(rest));
    } else if (StartsWith(command, "filter_attribute_", rest)) {
        const int code = IndexOf(rest);
        if (stage != nullptr && stage->mFilters.Tail() != nullptr && code >= 0 && code < kAttributeCount)
            stage->mFilters.Tail()->mAttribute = code;
    } else if (command == "test_stage") {
        if (stage != nullptr)
            mMode = kStageTest;
    } else if (command == "add_stage") {
        AddStagePrompts();
    } else if (StartsWith(command, "delete_filter_", rest)) {
        if (stage != nullptr) {
            if (Filter* filter = Nth(stage->mFilters, IndexOf(rest)))
                stage->mFilters.Remove(filter);
        }
    } else if (StartsWith(command, "add_filter_", rest)) {
        AddFilter(IndexOf(rest));
    } else {
        return false;
    }
    return true;
}

void Editor::RunCommand(const char* commandText)
{
    if (commandText == nullptr)
        return;
    const std::string command = commandText;
    AnimObject* s = mSelection;
    AnimObject* l = mSelectedLayer;
    Level* v = EditedLevel();
    std::string rest;

    if (command == "move") {
        if (s == nullptr)
            return;
        mMode = kMove;
        if (s->mSnap != 0) {
            s->mWorld[kAttrX] = float(SaturateToInt(double(s->mWorld[kAttrX])) / 10 * 10);
            s->mWorld[kAttrY] = float(SaturateToInt(double(s->mWorld[kAttrY])) / 10 * 10);
        }
        MoveSelectionToMouse();
    } else if (command == "rotate") {
        if (s == nullptr)
            return;
        mMode = kRotate;
        MoveSelectionToMouse();
    } else if (command == "delete") {
        if (s == nullptr)
            return;
        mSelection = nullptr;
        if (s->mParent != nullptr)
            s->mParent->mChildren.Remove(s);
    } else if (command == "send_front" || command == "send_back") {
        ReLayer(command == "send_front");
    } else if (command == "bring_layer_front") {
        if (l == nullptr || l->mParent == nullptr || l == v)
            return;
        AnimObject* parent = l->mParent;
        if (AnimObject* last = parent->mChildren.Tail())
            l->mZOrder = last->mZOrder + 0.001f;
        parent->mChildren.Unlink(l);
        parent->AppendChild(l);
    } else if (command == "flip_x" || command == "flip_y") {
        if (s == nullptr)
            return;
        uint8_t& flag = command == "flip_x" ? s->mFlipX : s->mFlipY;
        flag = flag != 0 ? 0 : 1;
        mMode = kMove;
        Select(s);
    } else if (command == "unselect") {
        Deselect();
    } else if (command == "toggle_snap") {
        if (s == nullptr)
            return;
        s->mSnap = 1 - s->mSnap;
        if (s->mSnap == 1)
            s->SnapToGrid();
    } else if (command == "toggle_shadow") {
        if (s != nullptr)
            s->mShadow = 1 - s->mShadow;
    } else if (command == "toggle_bilinear") {
        if (s != nullptr)
            s->mBilinear = 1 - s->mBilinear;
    } else if (command == "tint") {
        if (s != nullptr)
            new InputBox("Example: AAFF55", InputBox::kColour, nullptr, 0, 0, 0, nullptr, 0, 0, s);
    } else if (command == "exit") {
        mMode = kLeaving;
    } else if (StartsWith(command, "shift_layer_", rest)) {
        if (l == nullptr)
            return;
        float dx = 0.0f;
        float dy = 0.0f;
        if (rest == "down")
            dy = 10.0f;
        else if (rest == "up")
            dy = -10.0f;
        else if (rest == "left")
            dx = -10.0f;
        else if (rest == "right")
            dx = 10.0f;
        for (ObjectList<AnimObject>::Walk walk(l->mChildren); AnimObject* child = walk.Next();) {
            if (child != this)
                child->MoveBy(dx, dy);
        }
    } else if (command == "new_tile") {
        NewTile();
    } else if (command == "hide_layers") {
        mHideUnselectedLayers = 1;
    } else if (command == "show_layers") {
        mHideUnselectedLayers = 0;
    } else if (command == "load_object") {
        LoadObject();
    } else if (command == "load_level") {
        LoadLevel();
    } else if (command == "next_stage" || command == "prev_stage") {
        Stage* stage = s != nullptr ? s->CurrentStage() : nullptr;
        if (stage == nullptr)
            return;
        Stage* next = command == "next_stage" ? (stage->mNext != nullptr ? stage->mNext : s->mStages.Head())
                                              : (stage->mPrev != nullptr ? stage->mPrev : s->mStages.Tail());
        PickStage(next);
    } else if (command == "spawn_stage_menu") {
        OpenMenu("stage");
    } else if (command == "toggle_handle") {
        mGrabOffset += kGrabStep;
        if (mGrabOffset > kGrabStep)
            mGrabOffset = -kGrabStep;
    } else if (command == "save_object") {
        SaveSelection();
    } else if (command == "duplicate_object") {
        if (l == nullptr) {
            ShowMessage(kNeedLayer);
            return;
        }
        if (s == nullptr)
            return;
        mXmlBuffer.clear();
        s->WriteXml(mXmlBuffer, 1);
        Paste(s->mParent, true);
        mMode = kMove;
    } else if (command == "change_title") {
        if (v != nullptr)
            PromptText("Rename The Level", v->mTitle, sizeof(v->mTitle));
    } else if (command == "save_level") {
        SaveLevel();
    } else if (command == "change_image") {
        if (s != nullptr)
            ChangeImage(s, kImagePlain);
    } else if (command == "add_overlay") {
        AddOverlay();
    } else if (command == "load_child") {
        LoadChild();
    } else if (command == "select_child") {
        if (s == nullptr)
            return;
        Deselect();
        Select(s->mChildren.Head());
    } else if (command == "layer") {
        OpenMenu("layer");
    } else if (StartsWith(command, "layer_", rest)) {
        if (rest == "base_layer") {
            mSelectedLayer = v;
        } else if (rest == "none") {
            mSelectedLayer = nullptr;
        } else {
            AnimObject* found = nullptr;
            for (const PickNode* node = mHits.Head(); node != nullptr; node = node->mNext) {
                if (node->mObject != nullptr && rest == node->mObject->mName)
                    found = node->mObject;
            }
            if (found != nullptr)
                mSelectedLayer = found;
        }
    } else if (command == "select_stage" || command == "add_attribute" || command == "edit_attribute" ||
               command == "add_filter" || command == "delete_filter" || command == "edit_filter") {
        OpenMenu(command.c_str());
    } else if (RunStageCommand(command)) {
        return;
    } else if (s != nullptr) {
        s->EditorCommand(command.c_str());
    } else if (v != nullptr) {
        v->EditorCommand(command.c_str());
    }
}

// ---- Tiles and images

void Editor::NewTile()
{
    AnimObject* layer = mSelectedLayer;
    if (layer == nullptr) {
        ShowMessage(kNeedLayer);
        return;
    }
    Deselect();
    size_t size = 0;
    std::unique_ptr<char[]> text = ReadWholeFile(kTileFile, size);
    if (text == nullptr)
        return;
    mXmlBuffer.assign(text.get(), size);
    Paste(layer, false);
    if (mSelection == nullptr)
        return;
    ReLayer(true);
    if (mSelection != nullptr)
        ChangeImage(mSelection, kImageNewTile);
}

void Editor::AddOverlay()
{
    AnimObject* owner = mSelection;
    if (owner == nullptr)
        return;
    size_t size = 0;
    std::unique_ptr<char[]> text = ReadWholeFile(kTileFile, size);
    if (text == nullptr)
        return;
    AnimObject* overlay = CreateObjectsFromXml(text.get(), owner, kTileFile);
    if (overlay == nullptr)
        return;
    overlay->Update();
    Select(overlay);
    ChangeImage(overlay, kImageOverlay);
}
