#include "game/engine/EditorMenuItem.h"

#include "game/engine/Editor.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/Platform.h"
#include "game/engine/StripFont.h"

void EditorMenuItem::Init(const char* command, const char* label)
{
    mCommand = command != nullptr ? command : "";
    mLabel = label != nullptr ? label : "";
    mEnabled = 1;
    mSelectable = 0;
}

int EditorMenuItem::Update()
{
    auto* editor = dynamic_cast<Editor*>(Game().mEditor);
    if (editor == nullptr)
        return 1;
    const float x = mLocal[kAttrX];
    const float y = mLocal[kAttrY];
    mHot = mEnabled != 0 && BoxesOverlap(float(editor->mMouseX), float(editor->mMouseY), 1.0f, 1.0f,
                                         x + kHotWidth / 2.0f, y, kHotWidth, kHotHeight)
               ? 1
               : 0;
    if (mHot != 0 && (editor->mLeftClick != 0 || editor->mRightClick != 0)) {
        editor->RunCommand(*this);
        return 0;
    }
    return 1;
}

void EditorMenuItem::Draw()
{
    GameState& game = Game();
    Platform* platform = game.mPlatform;
    if (platform == nullptr)
        return;
    const int x = SaturateToInt(double(mLocal[kAttrX]));
    const int y = SaturateToInt(double(mLocal[kAttrY]));
    if (mHot != 0)
        platform->DrawRect(x - 3, y - 9, x + 195, y + 9, 0, 1.0f, 0.0f, 0.0f, 0.5f, 1.0f, 0.0f, 0.0f, 0.5f);
    AnimObject::DrawString(nullptr, mLabel.c_str(), mLocal[kAttrX], mLocal[kAttrY], Editor::kFont, 2.0f, 0, 1.0f,
                           1.0f);
}
