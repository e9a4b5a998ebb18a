#include "game/engine/Editor.h"

#include "game/engine/EditorMenu.h"
#include "game/engine/EditorMenuItem.h"
#include "game/engine/EditorPromptDialog.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/InputBox.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/Platform.h"
#include "game/engine/SoundLayer.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;
constexpr int kKeyDelete = 46;
constexpr int kKeySpace = 32;
constexpr float kScrollStep = 40.0f;
constexpr float kRadiansToDegrees = 57.29578f;
constexpr int kGridStep = 160;

Platform* GamePlatform()
{
    return Game().mPlatform;
}

// A stage's x and y end points on screen, through the object's parent.
void StagePoint(const AnimObject& object, const Stage& stage, bool end, float& x, float& y)
{
    const float lx = end ? stage.mEnd[kAttrX] : stage.mStart[kAttrX];
    const float ly = end ? stage.mEnd[kAttrY] : stage.mStart[kAttrY];
    if (object.mParent != nullptr) {
        x = object.mParent->LocalToWorldX(lx, ly);
        y = object.mParent->LocalToWorldY(lx, ly);
    } else {
        x = lx;
        y = ly;
    }
}

void Tint(AnimObject& object)
{
    object.mWorld[kAttrR] = 1.0f;
    object.mWorld[kAttrG] = 0.5f;
    object.mWorld[kAttrB] = 0.5f;
    object.mWorld[kAttrAlpha] = 0.75f;
}

} // namespace

Editor::Editor() : mPromptDialog(std::make_unique<EditorPromptDialog>())
{
    mKind = kKindEditor;
    mZOrder = kZOrder;
    mWorld[kAttrX] = mWorld[kAttrY] = 0.0f;
    GameState& game = Game();
    game.mEditor = this;
    if (Platform* platform = game.mPlatform) {
        platform->ShowCursor();
        platform->SetFallbackFileDialog(mPromptDialog.get());
    }
}

Editor::~Editor()
{
    mHits.RemoveAll();
    // Prompts and menus go first: a prompt still open answers nobody.
    mChildren.RemoveAll();
    if (GameState* game = GameState::TryCurrent()) {
        if (game->mEditor == this)
            game->mEditor = nullptr;
        if (game->mPlatform != nullptr && game->mPlatform->GetFallbackFileDialog() == mPromptDialog.get())
            game->mPlatform->SetFallbackFileDialog(nullptr);
    }
}

Editor* Editor::Start()
{
    GameState& game = Game();
    auto* level = dynamic_cast<Level*>(game.Topmost());
    if (level == nullptr || game.mEditor != nullptr)
        return nullptr;
    auto* editor = new Editor();
    level->AppendChild(editor);
    level->mEditorMode = 1;
    editor->mSelection = nullptr;
    return editor;
}

Level* Editor::EditedLevel() const
{
    return dynamic_cast<Level*>(mParent);
}

bool Editor::HasPrompt() const
{
    for (const AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindInputBox)
            return true;
    }
    return false;
}

// ---- The tick

void Editor::ReadInput()
{
    Platform* platform = GamePlatform();
    if (platform == nullptr)
        return;
    mRightClick = platform->WasRightButtonPressed() ? 1 : 0;
    mLeftClick = platform->WasMouseButtonPressed() ? 1 : 0;
    mMouseX = SaturateToInt(double(platform->GetMouseX()));
    mMouseY = SaturateToInt(double(platform->GetMouseY()));
    // The prompts read the edited screen's input, which it does not copy
    // itself while it is being edited.
    if (Level* level = EditedLevel()) {
        level->mMouseX = float(mMouseX);
        level->mMouseY = float(mMouseY);
        level->mLeftClick = level->mLeftButton = float(mLeftClick);
        level->mRightClick = level->mRightButton = float(mRightClick);
    }
    if (mParent == nullptr)
        return;
    if (platform->WasKeyPressed(kKeyUp))
        mParent->AddToAttribute(kAttrY, kScrollStep);
    if (platform->WasKeyPressed(kKeyDown))
        mParent->AddToAttribute(kAttrY, -kScrollStep);
    if (platform->WasKeyPressed(kKeyRight))
        mParent->AddToAttribute(kAttrX, -kScrollStep);
    if (platform->WasKeyPressed(kKeyLeft))
        mParent->AddToAttribute(kAttrX, kScrollStep);
}

int Editor::Update()
{
    GameState& game = Game();
    // Left on an earlier tick: the screen drops it now, and it takes no
    // input that the screen's own tick needs.
    if (mMode == kLeaving) {
        Leave();
        return 0;
    }
    ReadInput();
    mWorld[kAttrX] = mWorld[kAttrY] = 0.0f;

    // The edited screens stay silent.
    for (AnimObject* screen = game.mLiveObjects.Head(); screen != nullptr; screen = screen->mNext) {
        if (auto* level = dynamic_cast<Level*>(screen)) {
            SampleEntry* entries[] = {level->mMusicEntry, level->mIntroEntry, level->mMainEntry, level->mWinEntry};
            for (SampleEntry* entry : entries) {
                if (entry != nullptr)
                    game.mSound->SetChannelVolume(entry, -1.0f);
            }
        }
    }

    switch (mMode) {
    case kIdle:
        UpdateIdle();
        OpenMenuOnRightClick();
        break;
    case kMove:
        UpdateMove();
        break;
    case kRotate:
        UpdateRotate();
        break;
    case kStageTest:
        UpdateStageTest();
        break;
    default:
        break;
    }
    if (mMode != kLeaving) {
        // Only the oldest menu or prompt is live.
        if (AnimObject* first = mChildren.Head()) {
            if (first->Update() == 0)
                mChildren.Remove(first);
        }
    }
    if (mMode == kLeaving) {
        Leave();
        return 0;
    }
    return 1;
}

void Editor::Leave()
{
    GameState& game = Game();
    if (mSelection != nullptr)
        Deselect();
    if (Level* level = EditedLevel())
        level->mEditorMode = 0;
    if (game.mEditor == this)
        game.mEditor = nullptr;
}

void Editor::OpenMenuOnRightClick()
{
    if (mRightClick != 0 && mChildren.IsEmpty())
        OpenMenu(mSelection != nullptr ? "object" : "base");
}

void Editor::UpdateIdle()
{
    Platform* platform = GamePlatform();
    AnimObject* root = mSelectedLayer != nullptr ? mSelectedLayer : mParent;

    // A click on one of the selection's other stage ends makes that stage current.
    if (mLeftClick != 0 && mSelection != nullptr && mSelection->CurrentStage() != nullptr) {
        Stage* current = mSelection->CurrentStage();
        for (Stage* stage = current->mNext != nullptr ? current->mNext : mSelection->mStages.Head();
             stage != nullptr && stage != current;
             stage = stage->mNext != nullptr ? stage->mNext : mSelection->mStages.Head()) {
            for (const bool end : {true, false}) {
                float x = 0.0f;
                float y = 0.0f;
                StagePoint(*mSelection, *stage, end, x, y);
                if (BoxesOverlap(float(mMouseX), float(mMouseY), 1.0f, 1.0f, x, y, 16.0f, 16.0f)) {
                    PickStage(stage);
                    return;
                }
            }
        }
    }

    if (mLeftClick != 0 && mChildren.IsEmpty() && root != nullptr) {
        Deselect();
        mHits.RemoveAll();
        // Inside a selected layer its own layers stay closed; from the
        // screen the top layers are entered, the ones nested in them not.
        if (root == mSelectedLayer) {
            root->CollectObjectsAt(float(mMouseX), float(mMouseY), mHits, 0);
        } else {
            for (ObjectList<AnimObject>::Walk walk(root->mChildren); AnimObject* child = walk.Next();) {
                if (child != this)
                    child->CollectObjectsAt(float(mMouseX), float(mMouseY), mHits, 0);
            }
        }
        ++mClickCounter;
        const int count = mHits.Count();
        if (count > 0) {
            PickNode* node = mHits.Head();
            for (int i = mClickCounter % count; i > 0 && node != nullptr; --i)
                node = node->mNext;
            if (node != nullptr && node->mObject != nullptr) {
                Select(node->mObject);
                if (node->mObject->mParent != nullptr && node->mObject->mParent->mKind == kKindLayer)
                    mSelectedLayer = node->mObject->mParent;
            }
        }
    }

    if (platform == nullptr || HasPrompt())
        return;
    if (mSelection != nullptr) {
        if (platform->WasKeyPressed(kKeyDelete)) {
            AnimObject* doomed = mSelection;
            mSelection = nullptr;
            if (doomed->mParent != nullptr)
                doomed->mParent->mChildren.Remove(doomed);
            return;
        }
        if (platform->WasKeyPressed('D')) {
            RunCommand("duplicate_object");
            return;
        }
        if (platform->WasKeyPressed('X')) {
            RunCommand("flip_x");
            return;
        }
        if (platform->WasKeyPressed('Y')) {
            RunCommand("flip_y");
            return;
        }
        if (platform->WasKeyPressed('M')) {
            RunCommand("move");
            return;
        }
        if (platform->WasKeyPressed('R')) {
            RunCommand("rotate");
            return;
        }
        if (platform->WasKeyPressed(kKeySpace)) {
            Deselect();
            return;
        }
    }
    if (mSelectedLayer != nullptr && platform->WasKeyPressed('N'))
        RunCommand("new_tile");
}

void Editor::UpdateMove()
{
    if (mSelection != nullptr) {
        const float dx = float(SaturateToInt(double(float(mMouseX) - mSelection->mWorld[kAttrX]))) + mGrabOffset;
        const float dy = float(SaturateToInt(double(float(mMouseY) - mSelection->mWorld[kAttrY])));
        mSelection->MoveBy(dx, dy);
        Tint(*mSelection);
    }
    if (mLeftClick != 0 || mRightClick != 0)
        mMode = kIdle;
}

void Editor::UpdateRotate()
{
    if (mSelection != nullptr) {
        const float dx = float(mMouseX) - mSelection->mWorld[kAttrX];
        const float dy = float(mMouseY) - mSelection->mWorld[kAttrY];
        const int angle = SaturateToInt(double(std::atan2(-dy, dx) * kRadiansToDegrees));
        const int rotation = (angle + 85) / 5 * 5;
        mSelection->RotateBy(float(rotation) - mSelection->mLocal[kAttrRotation]);
        Tint(*mSelection);
    }
    if (mLeftClick != 0 || mRightClick != 0)
        mMode = kIdle;
}

void Editor::UpdateStageTest()
{
    Stage* stage = mSelection != nullptr ? mSelection->CurrentStage() : nullptr;
    if (stage == nullptr) {
        mMode = kIdle;
        return;
    }
    mSelection->Update();
    // The tested stage stays current even when it ended.
    if (mSelection->CurrentStage() != stage)
        mSelection->SetStage(stage);
    Tint(*mSelection);
    if (mLeftClick != 0 || mRightClick != 0 || stage->mTicks >= stage->mLength) {
        mMode = kIdle;
        stage->mTicks = 0.0f;
        mSelection->mFrameCounter = 0.0f;
        mSelection->Update();
        if (mSelection->CurrentStage() != stage)
            mSelection->SetStage(stage);
        Tint(*mSelection);
    }
}

// ---- Selection

void Editor::Select(AnimObject* object)
{
    mSelection = object;
    if (object != nullptr)
        Tint(*object);
}

void Editor::Deselect()
{
    AnimObject* object = mSelection;
    mSelection = nullptr;
    if (object == nullptr)
        return;
    object->mWorld[kAttrR] = object->mWorld[kAttrG] = object->mWorld[kAttrB] = 1.0f;
    object->mWorld[kAttrAlpha] = 1.0f;
    object->mFrameCounter = 0.0f;
    object->Update();
}

// ---- Menus

EditorMenu* Editor::OpenMenu(const char* name)
{
    auto* menu = new EditorMenu();
    if (AddChild(menu) == nullptr)
        return nullptr;
    BuildMenu(*menu, name);
    const int rows = menu->RowCount();
    menu->mChildren.RemoveAll();
    const float lowest = GameState::kScreenHeight - EditorMenu::kRowHeight * float(rows) - 3.0f;
    menu->mLocal[kAttrX] = menu->mWorld[kAttrX] = float(mMouseX);
    menu->mLocal[kAttrY] = menu->mWorld[kAttrY] = float(mMouseY) > lowest ? lowest : float(mMouseY);
    BuildMenu(*menu, name);
    return menu;
}

// ---- Drawing

void Editor::Draw()
{
    GameState& game = Game();
    Platform* platform = game.mPlatform;
    if (platform == nullptr)
        return;
    const int x = SaturateToInt(double(mWorld[kAttrX]));
    const int y = SaturateToInt(double(mWorld[kAttrY]));
    const int width = int(GameState::kScreenWidth);
    const int height = int(GameState::kScreenHeight);
    platform->DrawRect(x, y, x + width, y + 17, 0, 0.0f, 0.0f, 0.0f, 0.45f, 1.0f, 1.0f, 1.0f, 1.0f);

    std::string info = "Layer: ";
    if (mSelectedLayer == nullptr)
        info += "None";
    else if (mSelectedLayer == mParent)
        info += "Level Base";
    else
        info += mSelectedLayer->mName;
    info += "  Object: ";
    info += mSelection != nullptr ? mSelection->mName : " ";
    if (mSelection != nullptr) {
        const Stage* stage = mSelection->CurrentStage();
        char numbers[96];
        std::snprintf(numbers, sizeof numbers, " X:%d  Y:%d  R:%d", SaturateToInt(double(mSelection->mLocal[kAttrX])),
                      SaturateToInt(double(mSelection->mLocal[kAttrY])),
                      SaturateToInt(double(mSelection->mLocal[kAttrRotation])));
        info += "  Stage: ";
        info += stage != nullptr ? stage->mName : "";
        info += numbers;
    }
    AnimObject::DrawString(nullptr, info.c_str(), 5.0f, 9.0f, kFont, 2.0f, 0, 1.0f, 1.0f);

    if (mSelectedLayer != nullptr) {
        int first = (SaturateToInt(double(mSelectedLayer->mWorld[kAttrY])) - 20) % kGridStep;
        if (first < 0)
            first += kGridStep;
        for (int line = first; line < height; line += kGridStep)
            platform->DrawLine(0, line, width, line, 1.0f, 1.0f, 1.0f, 0.2f);
        for (int line = 0; line < width; line += kGridStep)
            platform->DrawLine(line, 0, line, height, 1.0f, 1.0f, 1.0f, 0.2f);
    }

    AnimObject* first = mChildren.Head();
    if (first != nullptr)
        first->Draw();

    if (mSelection == nullptr)
        return;
    for (const Stage* stage = mSelection->mStages.Head(); stage != nullptr; stage = stage->mNext) {
        float x1 = 0.0f;
        float y1 = 0.0f;
        float x2 = 0.0f;
        float y2 = 0.0f;
        StagePoint(*mSelection, *stage, false, x1, y1);
        StagePoint(*mSelection, *stage, true, x2, y2);
        platform->DrawLine(SaturateToInt(x1), SaturateToInt(y1), SaturateToInt(x2), SaturateToInt(y2), 1.0f, 1.0f,
                           1.0f, 1.0f);
    }
    for (const Stage* stage = mSelection->mStages.Head(); stage != nullptr; stage = stage->mNext) {
        for (const bool end : {false, true}) {
            float px = 0.0f;
            float py = 0.0f;
            StagePoint(*mSelection, *stage, end, px, py);
            const int ix = SaturateToInt(px);
            const int iy = SaturateToInt(py);
            platform->DrawRect(ix - 4, iy - 4, ix + 4, iy + 4, 0, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f);
        }
    }

    // A prompt that follows the mouse shows where the value puts the selection.
    auto* prompt = dynamic_cast<InputBox*>(first);
    if (prompt != nullptr && prompt->mValueKind == InputBox::kNumber &&
        (prompt->mFollowMouseX != 0 || prompt->mFollowMouseY != 0)) {
        const float oldX = mSelection->mWorld[kAttrX];
        const float oldY = mSelection->mWorld[kAttrY];
        const float oldAlpha = mSelection->mWorld[kAttrAlpha];
        mSelection->mWorld[kAttrX] = float(mMouseX);
        mSelection->mWorld[kAttrY] = float(mMouseY);
        mSelection->mWorld[kAttrAlpha] = 0.5f;
        mSelection->DrawSelf();
        mSelection->mWorld[kAttrX] = oldX;
        mSelection->mWorld[kAttrY] = oldY;
        mSelection->mWorld[kAttrAlpha] = oldAlpha;
    }
}
