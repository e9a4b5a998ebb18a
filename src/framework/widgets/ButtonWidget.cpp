#include "framework/widgets/ButtonWidget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/WidgetManager.h"

namespace Lumo {

namespace {

const int kDefaultColors[ButtonWidget::NUM_COLORS][3] = {
    {0, 0, 0},       // label
    {0, 0, 0},       // label under the mouse
    {0, 0, 0},       // dark bevel
    {255, 255, 255}, // light bevel
    {132, 132, 132}, // medium bevel
    {212, 212, 212}, // face
};

// Ten steps of 0.1 leave a rounding residue, not a visible alpha: a fade
// ends when it is this close to its end.
constexpr double kAlphaSnap = 1e-9;

} // namespace

ButtonWidget::ButtonWidget(int theId, ButtonListener* theListener) : id(theId), listener(theListener)
{
    hasAlpha = true;
    SetColors(kDefaultColors, NUM_COLORS);
}

ButtonWidget::~ButtonWidget()
{
    delete font;
}

void ButtonWidget::DrawButtonImage(Graphics* g, Image* image, const TRect<int>& srcRect, int theX, int theY)
{
    if (srcRect.mWidth == 0) {
        if (image != nullptr)
            g->DrawImage(image, theX, theY);
    } else if (buttonImage != nullptr) {
        g->DrawImage(buttonImage, theX, theY, srcRect);
    }
}

void ButtonWidget::SetFont(Font* theFont)
{
    // Copy first: the font given may be the one held now.
    Font* copy = theFont != nullptr ? theFont->Duplicate() : nullptr;
    delete font;
    font = copy;
    MarkDirty();
}

bool ButtonWidget::IsButtonDown()
{
    return isDown && isOver && !disabled;
}

bool ButtonWidget::HoverChangesLook()
{
    return isDown || HasOverLook() || GetColor(COLOR_LABEL_HILITE) != GetColor(COLOR_LABEL);
}

void ButtonWidget::MouseEnter()
{
    if (overAlphaFadeInSpeed == 0.0 && overAlpha > 0.0)
        overAlpha = 0.0;
    if (HoverChangesLook())
        MarkDirty();
    if (listener != nullptr)
        listener->ButtonMouseEnter(id);
}

void ButtonWidget::MouseLeave()
{
    if (overAlphaSpeed == 0.0 && overAlpha > 0.0)
        overAlpha = 0.0;
    else if (overAlphaSpeed > 0.0 && overAlpha == 0.0)
        overAlpha = 1.0; // the over look fades out from full
    if (HoverChangesLook())
        MarkDirty();
    if (listener != nullptr)
        listener->ButtonMouseLeave(id);
}

void ButtonWidget::MouseMove(int theX, int theY)
{
    if (listener != nullptr)
        listener->ButtonMouseMove(id, theX, theY);
}

void ButtonWidget::MouseDown(int /*theX*/, int /*theY*/, int /*buttonNum*/, int clickCount)
{
    if (listener != nullptr)
        listener->ButtonPress(id, clickCount);
    MarkDirty();
}

void ButtonWidget::MouseUp(int /*theX*/, int /*theY*/, int /*buttonNum*/, int /*clickCount*/)
{
    // A release away from the button, or while another window has the
    // focus, is no click.
    if (isOver && manager != nullptr && manager->hasFocus && listener != nullptr)
        listener->ButtonDepress(id);
    MarkDirty();
}

void ButtonWidget::SetDisabled(bool isDisabled)
{
    Widget::SetDisabled(isDisabled);
    if (HasDisabledLook())
        MarkDirty();
}

void ButtonWidget::Update()
{
    Widget::Update();
    // One tick per update: the listener seldom changes what holds the button.
    if (isDown && isOver && listener != nullptr)
        listener->ButtonDownTick(id);

    if (!isDown && !isOver) {
        if (overAlpha > 0.0) {
            if (overAlphaSpeed > 0.0) {
                overAlpha -= overAlphaSpeed;
                if (overAlpha < kAlphaSnap)
                    overAlpha = 0.0;
            } else {
                overAlpha = 0.0;
            }
            MarkDirty();
        }
    } else if (isOver) {
        if (overAlphaFadeInSpeed > 0.0 && overAlpha < 1.0) {
            overAlpha += overAlphaFadeInSpeed;
            if (overAlpha > 1.0 - kAlphaSnap)
                overAlpha = 1.0;
            MarkDirty();
        }
    }
    // Down but not over: the over look holds.
}

void ButtonWidget::Draw(Graphics* g)
{
    if (noDraw)
        return;
    if (font == nullptr && !label.empty())
        font = new SysFont(manager != nullptr ? manager->app : nullptr, "Arial Unicode MS", 10, 0);

    const bool pressed = IsButtonDown() != inverted;

    int labelX = 0;
    int labelY = 0;
    if (font != nullptr) {
        const int labelWidth = font->StringWidth(label);
        if (labelJustify == 0)
            labelX = (width - labelWidth) / 2;
        else if (labelJustify == 1)
            labelX = width - labelWidth;
        const int ascent = font->GetAscent();
        labelY = (ascent + height - ascent / 6 - 1) / 2;
        g->SetFont(font);
    }

    Color labelColor = GetColor(isOver ? COLOR_LABEL_HILITE : COLOR_LABEL);
    if (buttonImage == nullptr && downImage == nullptr) {
        if (!frameNoDraw) {
            g->SetColor(GetColor(COLOR_BKG));
            g->FillRect(0, 0, width, height);
        }
        const int first = pressed ? COLOR_DARK_OUTLINE : COLOR_LIGHT_OUTLINE;
        const int second = pressed ? COLOR_LIGHT_OUTLINE : COLOR_DARK_OUTLINE;
        if (!frameNoDraw) {
            g->SetColor(GetColor(first));
            g->FillRect(0, 0, width - 1, 1);
            g->FillRect(0, 0, 1, height - 1);
            g->SetColor(GetColor(second));
            g->FillRect(0, height - 1, width, 1);
            g->FillRect(width - 1, 0, 1, height);
            g->SetColor(GetColor(COLOR_MEDIUM_OUTLINE));
            if (pressed) {
                g->FillRect(1, 1, width - 3, 1);
                g->FillRect(1, 1, 1, height - 3);
            } else {
                g->FillRect(1, height - 2, width - 2, 1);
                g->FillRect(width - 2, 1, 1, height - 2);
            }
        }
        if (pressed) {
            ++labelX;
            ++labelY;
        }
    } else if (pressed) {
        if (HasDownLook())
            DrawButtonImage(g, downImage, downRect, 0, 0);
        else if (HasOverLook())
            DrawButtonImage(g, overImage, overRect, 1, 1);
        else
            DrawButtonImage(g, buttonImage, normalRect, 1, 1);
        labelColor = GetColor(COLOR_LABEL_HILITE);
        ++labelX;
        ++labelY;
    } else if (disabled && HasDisabledLook()) {
        DrawButtonImage(g, disabledImage, disabledRect, 0, 0);
    } else if (overAlpha > 0.0 && HasOverLook()) {
        if (HasNormalLook() && overAlpha < 1.0)
            DrawButtonImage(g, buttonImage, normalRect, 0, 0);
        g->SetColorizeImages(true);
        g->SetColor(Color(255, 255, 255, static_cast<int>(overAlpha * 255)));
        DrawButtonImage(g, overImage, overRect, 0, 0);
        g->SetColorizeImages(false);
    } else if ((isOver || isDown) && HasOverLook()) {
        DrawButtonImage(g, overImage, overRect, 0, 0);
    } else if (HasNormalLook()) {
        DrawButtonImage(g, buttonImage, normalRect, 0, 0);
    }

    g->SetColor(labelColor);
    g->DrawString(label, labelX, labelY);
}

} // namespace Lumo
