// A clickable widget that reports to a listener. It draws itself from images
// (normal, over, down and disabled looks, each a whole image or a cell of the
// normal image) or, without images, as a bevelled face in its colours, with
// a label; the over look can fade in and out.
#pragma once

#include "framework/graphics/Rect.h"
#include "framework/widgets/Widget.h"

#include <string>

namespace Lumo {

class ButtonListener;
class Font;
class Graphics;
class Image;

class ButtonWidget : public Widget {
public:
    // Colour roles.
    enum {
        COLOR_LABEL = 0,
        COLOR_LABEL_HILITE = 1,
        COLOR_DARK_OUTLINE = 2,
        COLOR_LIGHT_OUTLINE = 3,
        COLOR_MEDIUM_OUTLINE = 4,
        COLOR_BKG = 5,
        NUM_COLORS = 6
    };

    ButtonWidget(int theId, ButtonListener* theListener);
    ~ButtonWidget() override;

    // A whole image at (x, y), or, with a source rectangle, that cell of
    // buttonImage (not of the given image).
    virtual void DrawButtonImage(Graphics* g, Image* image, const TRect<int>& srcRect, int theX, int theY);
    // Keeps a copy of the font (null: the default font on the next draw).
    virtual void SetFont(Font* theFont);
    // Held down under the mouse and enabled.
    virtual bool IsButtonDown();

    void Update() override;
    void Draw(Graphics* g) override;
    void SetDisabled(bool isDisabled) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int theX, int theY) override;
    void MouseDown(int theX, int theY, int clickCount) override { Widget::MouseDown(theX, theY, clickCount); }
    void MouseDown(int theX, int theY, int buttonNum, int clickCount) override;
    void MouseUp(int theX, int theY, int clickCount) override { Widget::MouseUp(theX, theY, clickCount); }
    void MouseUp(int theX, int theY) override { Widget::MouseUp(theX, theY); }
    void MouseUp(int theX, int theY, int buttonNum, int clickCount) override;

    int32_t id;
    std::string label;
    int32_t labelJustify = 0; // 0 centred, 1 right-aligned, else left-aligned
    Font* font = nullptr;     // owned
    Image* buttonImage = nullptr; // not owned, nor are the three below
    Image* overImage = nullptr;
    Image* downImage = nullptr;
    Image* disabledImage = nullptr;
    // Cells of buttonImage; a width of 0 means none.
    TRect<int> normalRect;
    TRect<int> overRect;
    TRect<int> downRect;
    TRect<int> disabledRect;
    bool inverted = false;    // pressed and unpressed looks swapped
    bool noDraw = false;
    bool frameNoDraw = false; // without images: the label only
    ButtonListener* listener;
    double overAlpha = 0.0;            // strength of the over look, 0.0 to 1.0
    double overAlphaSpeed = 0.0;       // fade-out per update
    double overAlphaFadeInSpeed = 0.0; // fade-in per update

protected:
    bool HasOverLook() const { return overImage != nullptr || overRect.mWidth != 0; }
    bool HasNormalLook() const { return buttonImage != nullptr || normalRect.mWidth != 0; }
    bool HasDisabledLook() const { return disabledImage != nullptr || disabledRect.mWidth != 0; }
    bool HasDownLook() const { return downImage != nullptr || downRect.mWidth != 0; }
    // Entering and leaving repaint only when the look changes.
    bool HoverChangesLook();
};

} // namespace Lumo
