#include "game/engine/EditorMenu.h"

#include "game/engine/Editor.h"
#include "game/engine/EditorMenuItem.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/Platform.h"

EditorMenu::EditorMenu()
{
    mSelectable = 0;
}

EditorMenuItem* EditorMenu::AddItem(const char* label, const char* command)
{
    auto* item = new EditorMenuItem();
    item->Init(command, label);
    if (AppendChild(item) == nullptr)
        return nullptr;
    item->mLocal[kAttrX] = item->mWorld[kAttrX] = mLocal[kAttrX] + 4.0f;
    item->mLocal[kAttrY] = item->mWorld[kAttrY] = mLocal[kAttrY] - 10.0f + kRowHeight * float(RowCount());
    return item;
}

int EditorMenu::Update()
{
    // A row that ran its command closes the menu; the command may have opened
    // the next one already.
    for (EditorMenuItem* row = static_cast<EditorMenuItem*>(mChildren.Head()); row != nullptr;
         row = static_cast<EditorMenuItem*>(row->mNext)) {
        if (row->Update() == 0)
            return 0;
    }
    auto* editor = dynamic_cast<Editor*>(Game().mEditor);
    return editor != nullptr && editor->mLeftClick != 0 ? 0 : 1;
}

void EditorMenu::Draw()
{
    Platform* platform = Game().mPlatform;
    if (platform == nullptr)
        return;
    const int x = SaturateToInt(double(mLocal[kAttrX]));
    const int y = SaturateToInt(double(mLocal[kAttrY]));
    platform->DrawRect(x, y, x + int(kWidth), y + int(kRowHeight) * RowCount(), 0, 0.2f, 0.2f, 0.2f, 0.8f, 1.0f, 1.0f,
                       1.0f, 1.0f);
    for (AnimObject* row = mChildren.Head(); row != nullptr; row = row->mNext)
        row->Draw();
}
