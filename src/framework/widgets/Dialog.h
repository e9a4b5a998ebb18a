// The framework's message box widget: a header line, a word-wrapped body, an
// optional footer line and up to two buttons, over a plain panel with a
// drop shadow or a nine-cell component image. It can be dragged by its body
// and reports its buttons to a dialog listener (normally the application).
// Its buttons are not its children: they sit in the manager just above it.
#pragma once

#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Insets.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Lumo {

class DialogButton;
class DialogListener;
class Font;
class Image;

class Dialog : public Widget, public ButtonListener {
public:
    enum { ID_YES = 1000, ID_NO = 1001, ID_OK = 1000, ID_CANCEL = 1001 };
    // Button modes.
    enum { BUTTONS_NONE = 0, BUTTONS_YES_NO = 1, BUTTONS_OK_CANCEL = 2, BUTTONS_FOOTER = 3 };
    // Colour roles.
    enum {
        COLOR_HEADER = 0,
        COLOR_LINES = 1,
        COLOR_FOOTER = 2,
        COLOR_BUTTON_TEXT = 3,
        COLOR_BUTTON_TEXT_HILITE = 4,
        COLOR_BKG = 5,
        COLOR_OUTLINE = 6,
        NUM_COLORS = 7
    };
    // The result while no button has been released.
    static constexpr int32_t kNoResult = 2147483647;

    // buttonImage is the buttons' component image and sets the button row's
    // height; neither image is owned.
    Dialog(Image* theComponentImage, Image* theButtonImage, int theId, bool isModal, const std::string& theHeader,
           const std::string& theLines, const std::string& theFooter, int theButtonMode);
    ~Dialog() override;

    // Keep copies of the font (null: the default font on next use).
    virtual void SetButtonFont(Font* font);
    virtual void SetHeaderFont(Font* font);
    virtual void SetLinesFont(Font* font);
    // The height the dialog needs at the width.
    virtual int GetPreferredHeight(int theWidth);
    virtual bool IsModal();
    // Runs the application's loop until a button is released or the dialog
    // leaves the manager; with autoKill the application kills it then.
    // kNoResult when it went away without an answer (it may be deleted then).
    virtual int WaitForResult(bool autoKill);

    void AddedToManager(WidgetManager* widgetManager) override;
    void RemovedFromManager(WidgetManager* widgetManager) override;
    void Draw(Graphics* g) override;
    void OrderInManagerChanged() override;
    void SetColor(int index, const Color& color) override;
    void Resize(int theX, int theY, int theWidth, int theHeight) override;
    void Resize(const TRect<int>& rect) override { Widget::Resize(rect); }
    void MouseDown(int theX, int theY, int clickCount) override { Widget::MouseDown(theX, theY, clickCount); }
    void MouseDown(int theX, int theY, int buttonNum, int clickCount) override;
    void MouseUp(int theX, int theY, int clickCount) override { Widget::MouseUp(theX, theY, clickCount); }
    void MouseUp(int theX, int theY) override { Widget::MouseUp(theX, theY); }
    void MouseUp(int theX, int theY, int buttonNum, int clickCount) override;
    void MouseDrag(int theX, int theY) override;

    void ButtonPress(int theId, int clickCount) override { ButtonListener::ButtonPress(theId, clickCount); }
    void ButtonPress(int theId) override;
    void ButtonDepress(int theId) override;

    DialogListener* dialogListener;
    Image* componentImage;
    DialogButton* yesButton = nullptr; // owned
    DialogButton* noButton = nullptr;  // owned
    std::string header;
    std::string footer; // also the single button's label in mode 3
    std::string lines;
    int32_t buttonMode;
    Font* headerFont = nullptr; // owned
    Font* linesFont = nullptr;  // owned
    int32_t linesJustify = 0;
    int32_t extraLineSpacing = 0;
    int32_t buttonHeight;
    Insets backgroundInsets;                // widget edge to the drawn panel
    Insets contentInsets{24, 24, 24, 24};   // panel edge to the text and buttons
    int32_t spaceAfterHeader = 10;
    bool dragging = false;
    int32_t dragX = 0;
    int32_t dragY = 0;
    int32_t id;
    bool isModal;
    int32_t result = kNoResult; // the button released last
    int32_t buttonHorzSpacing = 8;
    int32_t buttonSidePadding = 0;

private:
    void EnsureFonts();
    // Cleared by the destructor: a wait that outlives the dialog sees it.
    std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
};

} // namespace Lumo
