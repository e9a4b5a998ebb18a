// A node of the widget tree that can be shown, disabled, focused and
// clicked: visibility and focus state, a colour table, the keyboard and
// mouse hooks the widget manager calls, and text and number drawing for
// subclasses.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Point.h"
#include "framework/graphics/Rect.h"
#include "framework/widgets/WidgetContainer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Lumo {

class Graphics;
class Image;

class Widget : public WidgetContainer {
public:
    Widget();
    ~Widget() override;

    // Called after the widget was moved within its parent's list.
    virtual void OrderInManagerChanged();
    virtual void SetVisible(bool isVisible);
    virtual void SetColors(const int table[][4], int numColors);
    virtual void SetColors(const int table[][3], int numColors);
    // Grows the table as needed (new entries opaque black).
    virtual void SetColor(int index, const Color& color);
    virtual const Color& GetColor(int index, const Color& defaultColor);
    // Opaque black beyond the table.
    virtual const Color& GetColor(int index);
    virtual void SetDisabled(bool isDisabled);
    // The hand cursor for true, the pointer for false.
    virtual void ShowFinger(bool on);
    virtual void Resize(const TRect<int>& rect);
    virtual void Resize(int theX, int theY, int theWidth, int theHeight);
    virtual void Move(int theX, int theY);
    virtual bool WantsFocus();
    virtual void DrawOverlay(Graphics* g, int thePriority);
    virtual void DrawOverlay(Graphics* g);
    virtual void GotFocus();
    virtual void LostFocus();
    virtual void KeyChar(char theChar);
    // Tab and Shift+Tab move the focus to tabNext and tabPrev.
    virtual void KeyDown(int keyCode);
    virtual void KeyUp(int keyCode);
    virtual void MouseEnter();
    virtual void MouseLeave();
    // Mouse positions are relative to the widget's own origin.
    virtual void MouseMove(int theX, int theY);
    // Button 0 left, 1 right, 2 middle.
    virtual void MouseDown(int theX, int theY, int buttonNum, int clickCount);
    // Click count as the manager gives it: negative right, 3 middle, else left.
    virtual void MouseDown(int theX, int theY, int clickCount);
    virtual void MouseUp(int theX, int theY, int buttonNum, int clickCount);
    virtual void MouseUp(int theX, int theY, int clickCount);
    virtual void MouseUp(int theX, int theY);
    virtual void MouseDrag(int theX, int theY);
    virtual void MouseWheel(int delta);
    virtual bool IsPointVisible(int theX, int theY);
    // Centred in the widget's width with the baseline at y, shadow first;
    // returns the area written.
    virtual TRect<int> WriteCenteredLine(Graphics* g, int theY, const std::string& line, Color color,
                                         Color shadowColor, const TPoint<int>& shadowOffset);
    virtual TRect<int> WriteCenteredLine(Graphics* g, int theY, const std::string& line);
    // The drawing context's operations with colour tags obeyed.
    virtual int WriteString(Graphics* g, const std::string& text, int theX, int theY, int theWidth,
                            int justification, bool draw, int offset, int length);
    virtual int WriteWordWrapped(Graphics* g, const TRect<int>& rect, const std::string& line, int lineSpacing,
                                 int justification);
    virtual int GetWordWrappedHeight(Graphics* g, int theWidth, const std::string& line, int lineSpacing);
    // Decimal digits of n; 1 for every n below 10.
    virtual int GetNumDigits(int number);
    // Draws n from an image holding the digits 0-9 in ten equal cells.
    virtual void WriteNumberFromStrip(Graphics* g, int number, int theX, int theY, Image* numberStrip,
                                      int spacing);
    // In parent coordinates.
    virtual bool Contains(int theX, int theY);
    virtual TRect<int> GetInsetRect();

    bool visible;
    bool mouseVisible; // the widget itself can be hit (its children either way)
    bool disabled;
    bool hasFocus;
    bool isDown; // owned by the manager
    bool isOver; // owned by the manager
    bool hasTransparencies;
    std::vector<Color> colors;
    int32_t insetLeft;
    int32_t insetTop;
    int32_t insetRight;
    int32_t insetBottom;
    bool doFinger;
    bool wantsFocus;
    Widget* tabPrev;
    Widget* tabNext;

    // Whether WriteString and WriteWordWrapped obey inline colour tags.
    static bool writeColoredString;
};

} // namespace Lumo
