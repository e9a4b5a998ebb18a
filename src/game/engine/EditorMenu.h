// A popup menu of the level editor: a panel whose children are its rows.
// It closes on the editor's next left click, whether or not a row took it.
#pragma once

#include "game/engine/AnimObject.h"

class EditorMenuItem;

class EditorMenu : public AnimObject {
public:
    static constexpr float kRowHeight = 20.0f;
    static constexpr float kWidth = 200.0f;

    EditorMenu();

    // Appends a row below the others.
    EditorMenuItem* AddItem(const char* label, const char* command);
    int RowCount() const { return mChildren.Count(); }

    // Every row's tick; 0 (close) on a left click of the editor.
    int Update() override;
    void Draw() override;
};
