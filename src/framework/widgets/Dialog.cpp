#include "framework/widgets/Dialog.h"

#include "framework/app/LumoAppBase.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Lumo {

namespace {

const int kDialogColors[Dialog::NUM_COLORS][3] = {
    {255, 255, 255}, // header
    {255, 255, 0},   // body
    {255, 255, 255}, // footer
    {255, 255, 255}, // button label
    {255, 255, 255}, // button label under the mouse
    {80, 80, 80},    // panel face
    {255, 255, 255}, // panel outline
};

// How far a dialog may be dragged past the edges of the manager, and how
// close to its own edges the grab point stays.
constexpr int kDragSlack = 8;

Font* CopyOf(Font* font)
{
    return font != nullptr ? font->Duplicate() : nullptr;
}

} // namespace

Dialog::Dialog(Image* theComponentImage, Image* theButtonImage, int theId, bool isModal_, const std::string& theHeader,
               const std::string& theLines, const std::string& theFooter, int theButtonMode)
    : dialogListener(gLumoAppBase),
      componentImage(theComponentImage),
      header(theHeader),
      footer(theFooter),
      lines(theLines),
      buttonMode(theButtonMode),
      buttonHeight(theButtonImage != nullptr ? theButtonImage->GetHeight() : 24),
      id(theId),
      isModal(isModal_)
{
    hasTransparencies = true;
    hasAlpha = true;
    priority = 1;

    if (buttonMode == BUTTONS_YES_NO || buttonMode == BUTTONS_OK_CANCEL) {
        yesButton = new DialogButton(theButtonImage, ID_YES, this);
        noButton = new DialogButton(theButtonImage, ID_NO, this);
        yesButton->label = buttonMode == BUTTONS_YES_NO ? "YES" : "OK";
        noButton->label = buttonMode == BUTTONS_YES_NO ? "NO" : "CANCEL";
    } else if (buttonMode == BUTTONS_FOOTER) {
        yesButton = new DialogButton(theButtonImage, ID_YES, this);
        yesButton->label = footer;
    }

    // Plain buttons have a light face: their labels are black. Only this
    // dialog's colours change; later dialogs start from the same table.
    SetColors(kDialogColors, NUM_COLORS);
    if (theButtonImage == nullptr) {
        SetColor(COLOR_BUTTON_TEXT, Color(0, 0, 0));
        SetColor(COLOR_BUTTON_TEXT_HILITE, Color(0, 0, 0));
    }
}

Dialog::~Dialog()
{
    *mAlive = false;
    // Normally the buttons left the manager with the dialog; a dialog
    // deleted while still shown must not leave them behind.
    for (DialogButton* button : {yesButton, noButton}) {
        if (button != nullptr && button->manager != nullptr)
            button->manager->RemoveWidget(button);
        delete button;
    }
    delete headerFont;
    delete linesFont;
}

void Dialog::EnsureFonts()
{
    LumoAppBase* app = manager != nullptr ? manager->app : gLumoAppBase;
    if (headerFont == nullptr)
        headerFont = new SysFont(app, "Arial Unicode MS", 14, 0);
    if (linesFont == nullptr)
        linesFont = new SysFont(app, "Arial Unicode MS", 12, 0);
}

void Dialog::SetButtonFont(Font* font)
{
    if (yesButton != nullptr)
        yesButton->SetFont(font);
    if (noButton != nullptr)
        noButton->SetFont(font);
}

void Dialog::SetHeaderFont(Font* font)
{
    Font* copy = CopyOf(font); // before the delete: it may be the font held now
    delete headerFont;
    headerFont = copy;
    MarkDirty();
}

void Dialog::SetLinesFont(Font* font)
{
    Font* copy = CopyOf(font);
    delete linesFont;
    linesFont = copy;
    MarkDirty();
}

bool Dialog::IsModal()
{
    return isModal;
}

void Dialog::AddedToManager(WidgetManager* widgetManager)
{
    Widget::AddedToManager(widgetManager);
    if (yesButton != nullptr)
        widgetManager->AddWidget(yesButton);
    if (noButton != nullptr)
        widgetManager->AddWidget(noButton);
}

void Dialog::RemovedFromManager(WidgetManager* widgetManager)
{
    Widget::RemovedFromManager(widgetManager);
    if (yesButton != nullptr)
        widgetManager->RemoveWidget(yesButton);
    if (noButton != nullptr)
        widgetManager->RemoveWidget(noButton);
}

void Dialog::OrderInManagerChanged()
{
    if (manager == nullptr)
        return;
    if (yesButton != nullptr)
        manager->PutInFront(yesButton, this);
    if (noButton != nullptr)
        manager->PutInFront(noButton, this);
}

void Dialog::SetColor(int index, const Color& color)
{
    Widget::SetColor(index, color);
    const int buttonIndex = index == COLOR_BUTTON_TEXT          ? ButtonWidget::COLOR_LABEL
                            : index == COLOR_BUTTON_TEXT_HILITE ? ButtonWidget::COLOR_LABEL_HILITE
                                                                : -1;
    if (buttonIndex < 0)
        return;
    if (yesButton != nullptr)
        yesButton->SetColor(buttonIndex, color);
    if (noButton != nullptr)
        noButton->SetColor(buttonIndex, color);
}

void Dialog::Resize(int theX, int theY, int theWidth, int theHeight)
{
    Widget::Resize(theX, theY, theWidth, theHeight);
    const int sideInsets = backgroundInsets.left + backgroundInsets.right + contentInsets.left + contentInsets.right;
    const int rowX = theX + backgroundInsets.left + contentInsets.left;
    const int rowY = theY + theHeight - backgroundInsets.bottom - contentInsets.bottom - buttonHeight;
    if (yesButton != nullptr && noButton != nullptr) {
        const int buttonWidth = (theWidth - sideInsets - 2 * buttonSidePadding - buttonHorzSpacing) / 2;
        yesButton->Resize(rowX + buttonSidePadding, rowY, buttonWidth, buttonHeight);
        noButton->Resize(yesButton->x + buttonWidth + buttonHorzSpacing, yesButton->y, buttonWidth, buttonHeight);
    } else if (yesButton != nullptr) {
        yesButton->Resize(rowX, rowY, theWidth - sideInsets, buttonHeight);
    }
}

int Dialog::GetPreferredHeight(int theWidth)
{
    EnsureFonts();
    int h = backgroundInsets.top + backgroundInsets.bottom + contentInsets.top + contentInsets.bottom;
    bool anything = false;
    if (!header.empty()) {
        h += headerFont->GetHeight() - headerFont->GetAscentPadding();
        anything = true;
    }
    if (!lines.empty()) {
        if (anything)
            h += spaceAfterHeader;
        Graphics measure;
        measure.SetFont(linesFont);
        const int textWidth = theWidth - backgroundInsets.left - backgroundInsets.right - contentInsets.left -
                              contentInsets.right - 4;
        h += GetWordWrappedHeight(&measure, textWidth, lines, linesFont->GetLineSpacing() + extraLineSpacing);
        anything = true;
    }
    if (!footer.empty() && buttonMode != BUTTONS_FOOTER) {
        if (anything)
            h += 8;
        h += headerFont->GetLineSpacing();
        anything = true;
    }
    if (yesButton != nullptr) {
        if (anything)
            h += 8;
        h += 8 + buttonHeight;
    }
    return h;
}

void Dialog::Draw(Graphics* g)
{
    EnsureFonts();
    if (componentImage == nullptr) {
        g->SetColor(GetColor(COLOR_OUTLINE));
        g->DrawRect(12, 12, width - 25, height - 25);
        g->SetColor(GetColor(COLOR_BKG));
        g->FillRect(13, 13, width - 26, height - 26);
        g->SetColor(Color(0, 0, 0, 128));
        g->FillRect(width - 12, 24, 12, height - 36);
        g->FillRect(24, height - 12, width - 24, 12);
    } else {
        g->DrawImageBox(TRect<int>(backgroundInsets.left, backgroundInsets.top,
                                   width - backgroundInsets.left - backgroundInsets.right,
                                   height - backgroundInsets.top - backgroundInsets.bottom),
                        componentImage);
    }

    int lineY = backgroundInsets.top + contentInsets.top;
    if (!header.empty()) {
        lineY += headerFont->GetAscent() - headerFont->GetAscentPadding();
        g->SetFont(headerFont);
        g->SetColor(GetColor(COLOR_HEADER));
        WriteCenteredLine(g, lineY, header);
        lineY += headerFont->GetHeight() - headerFont->GetAscent() + spaceAfterHeader;
    }

    g->SetFont(linesFont);
    g->SetColor(GetColor(COLOR_LINES));
    const TRect<int> bodyRect(backgroundInsets.left + contentInsets.left + 2, lineY,
                              width - contentInsets.right - backgroundInsets.left - contentInsets.left -
                                  backgroundInsets.right - 4,
                              0);
    const int bodyHeight =
        WriteWordWrapped(g, bodyRect, lines, linesFont->GetLineSpacing() + extraLineSpacing, linesJustify);

    if (!footer.empty() && buttonMode != BUTTONS_FOOTER) {
        g->SetFont(headerFont);
        g->SetColor(GetColor(COLOR_FOOTER));
        WriteCenteredLine(g, lineY + bodyHeight + 8 + headerFont->GetLineSpacing(), footer);
    }
}

void Dialog::MouseDown(int theX, int theY, int /*buttonNum*/, int clickCount)
{
    if (clickCount != 1)
        return;
    if (LumoAppBase* app = manager != nullptr ? manager->app : gLumoAppBase)
        app->SetCursor(2);
    dragging = true;
    dragX = theX;
    dragY = theY;
}

void Dialog::MouseUp(int /*theX*/, int /*theY*/, int /*buttonNum*/, int /*clickCount*/)
{
    if (!dragging)
        return;
    if (LumoAppBase* app = manager != nullptr ? manager->app : gLumoAppBase)
        app->SetCursor(0);
    dragging = false;
}

void Dialog::MouseDrag(int theX, int theY)
{
    if (!dragging || manager == nullptr)
        return;
    int newX = x - dragX + theX;
    int newY = y - dragY + theY;
    newX = std::max(newX, -kDragSlack);
    if (newX + width > manager->width + kDragSlack)
        newX = manager->width - width + kDragSlack;
    newY = std::max(newY, -kDragSlack);
    if (newY + height > manager->height + kDragSlack)
        newY = manager->height - height + kDragSlack;

    // The grab point follows a clamped move and keeps off the edges; a
    // dialog too small for that keeps it in its middle.
    const auto clampGrab = [](int grab, int size) {
        const int low = kDragSlack;
        const int high = size - kDragSlack - 1;
        return low <= high ? std::clamp(grab, low, high) : size / 2;
    };
    dragX = clampGrab(x - newX + theX, width);
    dragY = clampGrab(y - newY + theY, height);
    Move(newX, newY);
}

void Dialog::ButtonPress(int theId)
{
    if ((theId == ID_YES || theId == ID_NO) && dialogListener != nullptr)
        dialogListener->DialogButtonPress(id, theId);
}

void Dialog::ButtonDepress(int theId)
{
    if (theId != ID_YES && theId != ID_NO)
        return;
    result = theId;
    if (dialogListener != nullptr)
        dialogListener->DialogButtonDepress(id, theId);
}

int Dialog::WaitForResult(bool autoKill)
{
    LumoAppBase* app = manager != nullptr ? manager->app : gLumoAppBase;
    if (app == nullptr)
        return result;
    // A step may kill and delete this dialog: only the token and copies are
    // read once it has run.
    const std::shared_ptr<bool> alive = mAlive;
    const int dialogId = id;
    while (app->UpdateAppStep(nullptr) && *alive && manager != nullptr && result == kNoResult) {
    }
    if (!*alive)
        return kNoResult;
    const int answer = result;
    if (autoKill)
        app->KillDialog(dialogId);
    return answer;
}

} // namespace Lumo
