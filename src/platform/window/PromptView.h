// What a modal prompt shows and how it answers input, apart from the window
// it lives in: the layout in dialog units of the prompt's font, the list or
// the edit line with its buttons, keys, clicks and the wheel, and the
// picture drawn into 32-bit pixels. The system prompt feeds it SDL's events;
// tests feed it directly.
#pragma once

#include "platform/window/ModalPrompt.h"
#include "platform/window/Window.h"

#include <cstdint>

namespace Plat {

class TextFont;

class PromptView {
public:
    // The font stays the caller's and must outlive the view.
    PromptView(const PromptRequest& request, TextFont& font);

    // The client size in pixels.
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }

    // Keys by virtual-key code; characters typed as Windows-1252 bytes.
    void KeyDown(int virtualKey);
    void Character(uint8_t byte);
    // Left button; clicks 2 (or any even count) is a double click.
    void MouseDown(int x, int y, int clicks);
    void MouseUp(int x, int y);
    void MouseWheel(int notches); // positive: away from the user, up the list
    // The window's close box: cancelled.
    void Close();

    bool IsDone() const { return mDone; }
    const PromptAnswer& Answer() const { return mAnswer; }

    // Draws the whole prompt into Width() x Height() pixels 0x00RRGGBB.
    void Draw(uint32_t* pixels, int pitch);

    // Where things are, in client pixels: a list line (empty when scrolled
    // out of sight), the edit line and the buttons.
    ScreenRect LineRect(int index) const;
    ScreenRect EditRect() const { return mEdit; }
    ScreenRect OkRect() const { return mOk; }
    ScreenRect CancelRect() const { return mCancel; }
    int Selected() const { return mSelected; }
    int TopLine() const { return mTop; }
    const std::string& Text() const { return mText; }
    bool AllSelected() const { return mAllSelected; }

private:
    enum class Pressed { None, Ok, Cancel };

    ScreenRect Units(int x, int y, int width, int height) const;
    int VisibleLines() const;
    void Select(int index);
    void Finish(bool accepted);
    void DrawButton(uint32_t* pixels, int pitch, const ScreenRect& rect, const char* label, bool isDefault);
    void DrawText(uint32_t* pixels, int pitch, const ScreenRect& clip, int x, int y, const std::string& text,
                  uint32_t rgb);

    PromptRequest mRequest;
    TextFont& mFont;
    int mUnitX = 4; // dialog base units: 4 horizontal, 8 vertical units
    int mUnitY = 8;
    int mLineHeight = 1;
    int mWidth = 0;
    int mHeight = 0;
    ScreenRect mList;
    ScreenRect mEdit;
    ScreenRect mOk;
    ScreenRect mCancel;
    int mSelected = -1;
    int mTop = 0;
    std::string mText;
    bool mAllSelected = true;
    Pressed mPressed = Pressed::None;
    bool mDone = false;
    PromptAnswer mAnswer;
};

} // namespace Plat
