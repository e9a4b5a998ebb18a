#include "framework/widgets/DialogButton.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/WidgetManager.h"

namespace Lumo {

namespace {

const int kDialogButtonColors[ButtonWidget::NUM_COLORS][3] = {
    {255, 255, 255}, {255, 255, 255}, {0, 0, 0}, {255, 255, 255}, {132, 132, 132}, {212, 212, 212},
};

} // namespace

DialogButton::DialogButton(Image* theComponentImage, int theId, ButtonListener* theListener)
    : ButtonWidget(theId, theListener), componentImage(theComponentImage)
{
    doFinger = true;
    SetColors(kDialogButtonColors, NUM_COLORS);
}

void DialogButton::Draw(Graphics* g)
{
    if (noDraw)
        return;
    if (componentImage == nullptr) {
        ButtonWidget::Draw(g);
        return;
    }
    if (font == nullptr)
        font = new SysFont(manager != nullptr ? manager->app : nullptr, "Arial Unicode MS", 12, 1);

    const bool down = IsButtonDown();
    const TRect<int> box(0, 0, width, height);
    if (normalRect.mWidth == 0) {
        if (down)
            g->Translate(translateX, translateY);
        g->DrawImageBox(box, componentImage);
    } else {
        if (disabled && disabledRect.mWidth > 0 && disabledRect.mHeight > 0) {
            g->DrawImageBox(disabledRect, box, componentImage);
        } else if (down) {
            g->DrawImageBox(downRect, box, componentImage);
        } else if (overAlpha > 0.0) {
            if (overAlpha < 1.0)
                g->DrawImageBox(normalRect, box, componentImage);
            g->SetColorizeImages(true);
            g->SetColor(Color(255, 255, 255, static_cast<int>(overAlpha * 255)));
            g->DrawImageBox(overRect, box, componentImage);
            g->SetColorizeImages(false);
        } else if (isOver) {
            g->DrawImageBox(overRect, box, componentImage);
        } else {
            g->DrawImageBox(normalRect, box, componentImage);
        }
        if (down)
            g->Translate(translateX, translateY);
    }

    if (font != nullptr) {
        g->SetFont(font);
        g->SetColor(GetColor(isOver ? COLOR_LABEL_HILITE : COLOR_LABEL));
        const int ascent = font->GetAscent();
        const int labelX = (width - font->StringWidth(label)) / 2 + textOffsetX;
        const int labelY = (height - ascent / 6 - font->GetAscentPadding() + ascent - 1) / 2 + textOffsetY;
        g->DrawString(label, labelX, labelY);
    }
    if (down)
        g->Translate(-translateX, -translateY);
}

} // namespace Lumo
