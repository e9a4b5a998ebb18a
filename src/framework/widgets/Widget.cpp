// Widget state changes that reach the manager, the default keyboard and
// mouse hooks, and the text and number drawing helpers.
#include "framework/widgets/Widget.h"

#include "framework/app/LumoAppBase.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdlib>

namespace Lumo {

bool Widget::writeColoredString = true;

namespace {

const Color kOpaqueBlack(0, 0, 0, 255);

const int kKeyTab = 9;
const int kKeyShift = 16;

// The cursor kinds of the application.
const int kCursorPointer = 0;
const int kCursorHand = 1;

// The colour-tag flag of a context set for one call and then restored.
class ScopedColoredString {
public:
    ScopedColoredString(Graphics* g, bool on) : mGraphics(g), mOld(g->mWriteColoredString)
    {
        g->mWriteColoredString = on;
    }
    ~ScopedColoredString() { mGraphics->mWriteColoredString = mOld; }
    ScopedColoredString(const ScopedColoredString&) = delete;
    ScopedColoredString& operator=(const ScopedColoredString&) = delete;

private:
    Graphics* mGraphics;
    bool mOld;
};

} // namespace

Widget::Widget()
    : visible(true),
      mouseVisible(true),
      disabled(false),
      hasFocus(false),
      isDown(false),
      isOver(false),
      hasTransparencies(false),
      insetLeft(0),
      insetTop(0),
      insetRight(0),
      insetBottom(0),
      doFinger(false),
      wantsFocus(false),
      tabPrev(nullptr),
      tabNext(nullptr)
{
}

Widget::~Widget() = default;

void Widget::OrderInManagerChanged()
{
}

void Widget::SetVisible(bool isVisible)
{
    if (visible == isVisible) {
        return;
    }
    visible = isVisible;
    if (isVisible) {
        MarkDirty();
    } else {
        // The old area shows what lies below now.
        MarkDirtyFull();
    }
    if (manager != nullptr) {
        manager->RehupMouse();
    }
}

void Widget::SetColors(const int table[][4], int numColors)
{
    colors.clear();
    for (int i = 0; i < numColors; ++i) {
        SetColor(i, Color(table[i][0], table[i][1], table[i][2], table[i][3]));
    }
    MarkDirty();
}

void Widget::SetColors(const int table[][3], int numColors)
{
    colors.clear();
    for (int i = 0; i < numColors; ++i) {
        SetColor(i, Color(table[i][0], table[i][1], table[i][2], 255));
    }
    MarkDirty();
}

void Widget::SetColor(int index, const Color& color)
{
    if (index < 0) {
        return;
    }
    if (static_cast<size_t>(index) >= colors.size()) {
        colors.resize(static_cast<size_t>(index) + 1, kOpaqueBlack);
    }
    colors[static_cast<size_t>(index)] = color;
    MarkDirty();
}

const Color& Widget::GetColor(int index, const Color& defaultColor)
{
    if (index < 0 || static_cast<size_t>(index) >= colors.size()) {
        return defaultColor;
    }
    return colors[static_cast<size_t>(index)];
}

const Color& Widget::GetColor(int index)
{
    return GetColor(index, kOpaqueBlack);
}

void Widget::SetDisabled(bool isDisabled)
{
    if (disabled == isDisabled) {
        return;
    }
    disabled = isDisabled;
    if (isDisabled && manager != nullptr) {
        manager->DisableWidget(this);
    }
    MarkDirty();
    // Enabled under a resting mouse: entered at once, without waiting for a move.
    if (!isDisabled && manager != nullptr && Contains(manager->lastMouseX, manager->lastMouseY)) {
        manager->MouseMoveHelper(manager->lastMouseX, manager->lastMouseY);
    }
}

void Widget::ShowFinger(bool on)
{
    if (manager == nullptr || manager->app == nullptr) {
        return;
    }
    // What the application's cursor setter does: store the kind, show it.
    LumoAppBase* const app = manager->app;
    app->cursorKind = on ? kCursorHand : kCursorPointer;
    app->EnforceCursor();
}

void Widget::Resize(const TRect<int>& rect)
{
    Resize(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Widget::Resize(int theX, int theY, int theWidth, int theHeight)
{
    if (x == theX && y == theY && width == theWidth && height == theHeight) {
        return;
    }
    MarkDirtyFull();
    x = theX;
    y = theY;
    width = theWidth;
    height = theHeight;
    MarkDirty();
    if (manager != nullptr) {
        manager->RehupMouse();
    }
}

void Widget::Move(int theX, int theY)
{
    Resize(theX, theY, width, height);
}

bool Widget::WantsFocus()
{
    return wantsFocus;
}

void Widget::DrawOverlay(Graphics* g, int /*thePriority*/)
{
    DrawOverlay(g);
}

void Widget::DrawOverlay(Graphics* /*g*/)
{
}

void Widget::GotFocus()
{
    hasFocus = true;
}

void Widget::LostFocus()
{
    hasFocus = false;
}

void Widget::KeyChar(char /*theChar*/)
{
}

void Widget::KeyDown(int keyCode)
{
    if (keyCode != kKeyTab || manager == nullptr) {
        return;
    }
    if (manager->keyDown[kKeyShift] == 0) {
        if (tabNext != nullptr) {
            manager->SetFocus(tabNext);
        }
    } else if (tabPrev != nullptr) {
        manager->SetFocus(tabPrev);
    }
}

void Widget::KeyUp(int /*keyCode*/)
{
}

void Widget::MouseEnter()
{
}

void Widget::MouseLeave()
{
}

void Widget::MouseMove(int /*theX*/, int /*theY*/)
{
}

void Widget::MouseDown(int /*theX*/, int /*theY*/, int /*buttonNum*/, int /*clickCount*/)
{
}

void Widget::MouseDown(int theX, int theY, int clickCount)
{
    if (clickCount == 3) {
        MouseDown(theX, theY, 2, 1);
    } else if (clickCount < 0) {
        MouseDown(theX, theY, 1, -clickCount);
    } else {
        MouseDown(theX, theY, 0, clickCount);
    }
}

void Widget::MouseUp(int /*theX*/, int /*theY*/, int /*buttonNum*/, int /*clickCount*/)
{
}

void Widget::MouseUp(int theX, int theY, int clickCount)
{
    MouseUp(theX, theY);
    if (clickCount == 3) {
        MouseUp(theX, theY, 2, 1);
    } else if (clickCount < 0) {
        MouseUp(theX, theY, 1, -clickCount);
    } else {
        MouseUp(theX, theY, 0, clickCount);
    }
}

void Widget::MouseUp(int /*theX*/, int /*theY*/)
{
}

void Widget::MouseDrag(int /*theX*/, int /*theY*/)
{
}

void Widget::MouseWheel(int /*delta*/)
{
}

bool Widget::IsPointVisible(int /*theX*/, int /*theY*/)
{
    return true;
}

TRect<int> Widget::WriteCenteredLine(Graphics* g, int theY, const std::string& line, Color color, Color shadowColor,
                                     const TPoint<int>& shadowOffset)
{
    Font* const font = g->GetFont();
    const int lineWidth = font != nullptr ? font->StringWidth(line) : 0;
    const int ascent = font != nullptr ? font->GetAscent() : 0;
    const int fontHeight = font != nullptr ? font->GetHeight() : 0;
    const int lineX = (width - lineWidth) / 2;

    g->SetColor(shadowColor);
    g->DrawString(line, lineX + shadowOffset.mX, theY + shadowOffset.mY);
    g->SetColor(color);
    g->DrawString(line, lineX, theY);

    return TRect<int>(lineX + std::min(shadowOffset.mX, 0), theY + std::min(shadowOffset.mY, 0) - ascent,
                      lineWidth + std::abs(shadowOffset.mX), fontHeight + std::abs(shadowOffset.mY));
}

TRect<int> Widget::WriteCenteredLine(Graphics* g, int theY, const std::string& line)
{
    Font* const font = g->GetFont();
    const int lineWidth = font != nullptr ? font->StringWidth(line) : 0;
    const int ascent = font != nullptr ? font->GetAscent() : 0;
    const int fontHeight = font != nullptr ? font->GetHeight() : 0;
    const int lineX = (width - lineWidth) / 2;
    g->DrawString(line, lineX, theY);
    return TRect<int>(lineX, theY - ascent, lineWidth, fontHeight);
}

int Widget::WriteString(Graphics* g, const std::string& text, int theX, int theY, int theWidth, int justification,
                        bool draw, int offset, int length)
{
    ScopedColoredString colored(g, writeColoredString);
    return g->WriteString(text, theX, theY, theWidth, justification, draw, offset, length);
}

int Widget::WriteWordWrapped(Graphics* g, const TRect<int>& rect, const std::string& line, int lineSpacing,
                             int justification)
{
    ScopedColoredString colored(g, writeColoredString);
    return g->WriteWordWrapped(rect, line, lineSpacing, justification);
}

int Widget::GetWordWrappedHeight(Graphics* g, int theWidth, const std::string& line, int lineSpacing)
{
    return g->GetWordWrappedHeight(theWidth, line, lineSpacing);
}

int Widget::GetNumDigits(int number)
{
    int digits = 1;
    while (number >= 10) {
        number /= 10;
        ++digits;
    }
    return digits;
}

void Widget::WriteNumberFromStrip(Graphics* g, int number, int theX, int theY, Image* numberStrip, int spacing)
{
    if (numberStrip == nullptr) {
        return;
    }
    const int cellWidth = numberStrip->GetWidth() / 10;
    const int digits = GetNumDigits(number);
    int placeValue = 1;
    for (int i = 1; i < digits; ++i) {
        placeValue *= 10;
    }
    int offset = 0;
    for (; placeValue > 0; placeValue /= 10) {
        const int digit = (number / placeValue) % 10;
        Graphics* cell = g->Create();
        cell->ClipRect(theX + offset, theY, cellWidth, numberStrip->GetHeight());
        cell->DrawImage(numberStrip, theX + offset - digit * cellWidth, theY);
        delete cell;
        offset += cellWidth + spacing;
    }
}

bool Widget::Contains(int theX, int theY)
{
    return theX >= x && theX < x + width && theY >= y && theY < y + height;
}

TRect<int> Widget::GetInsetRect()
{
    return TRect<int>(x + insetLeft, y + insetTop, width - insetLeft - insetRight, height - insetTop - insetBottom);
}

} // namespace Lumo
