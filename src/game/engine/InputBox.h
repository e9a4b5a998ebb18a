// A one-line text field typed from the keyboard: a player's name on the
// name screens, and the level editor's value prompt, which writes the typed
// value into its target when committed.
#pragma once

#include "game/engine/AnimObject.h"

#include <cstddef>

class InputBox : public AnimObject {
public:
    static constexpr int kKind = 12;
    static constexpr int kTextSize = 256;
    static constexpr const char* kDefaultFont = "gfx\\sysfont.png";

    // What the text means and where a commit writes it.
    enum ValueKind {
        kNumber = 0,       // float target
        kDuration = 1,     // milliseconds, stored as 4-ms ticks in a float target
        kInteger = 2,      // int target
        kColour = 3,       // six hex digits, into the target object's colour
        kText = 4,         // char target of targetSize bytes
        kLevelNumber = 5,  // the level to play next
    };

    // An empty box, as the object loader makes it.
    InputBox();
    // A prompt of the editor's commands: initialised, and, while the editor
    // is open, one of its children aimed at the object it had selected.
    InputBox(const char* caption, int valueKind, void* target, size_t targetSize, int followMouseX,
             int followMouseY, const char* font, int width, int height, AnimObject* targetObject = nullptr);

    // Clears the key queue, so keys pressed before the box came are not
    // typed. A caption of "none" is none; a width or height of 0 gives
    // 100 x 16; a null font the default one.
    void Init(const char* caption, int valueKind, void* target, size_t targetSize, int followMouseX,
              int followMouseY, const char* font, int width, int height);

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    // One key per tick; returns 0 after a commit, so that the owner removes it.
    int Update() override;
    void Draw() override;
    // Writes the text into the target by value kind.
    void Commit();

    void* mTarget = nullptr;
    size_t mTargetSize = 0;
    int mFollowMouseX = 0;
    int mFollowMouseY = 0;
    int mCapitalised = 0;
    AnimObject* mTargetObject = nullptr;
    int mValueKind = kText;
    int mNoLines = 0;
    int mBoxOffset = 0;
    char mText[kTextSize] = {};
    char mCaption[kTextSize] = {};
    char mFont[kTextSize] = {};
    int mWidth = 100;
    int mHeight = 16;

private:
    // The typed character of a queued key code, 8 for Backspace, 0 for none.
    int CharacterOf(unsigned code) const;
    // Joins the open editor's children, keeping its child cursor.
    void JoinEditor();
    void CommitColour();
};
