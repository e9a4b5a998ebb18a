// The framework's dialogs kept by id, the desktop's message boxes and the
// clipboard.
#include "framework/app/LumoAppBase.h"

#include "framework/core/StringUtils.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/window/Clipboard.h"
#include "platform/system/MessageBox.h"
#include "platform/text/TextFont.h"

#include <algorithm>

namespace Lumo {

namespace {

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The clipboard speaks UTF-8; our narrow text is Windows-1252. Stops at the
// first zero byte, as a C string would.
std::string Windows1252ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\0')
            break;
        AppendUtf8(out, Plat::Windows1252ToUnicode(static_cast<unsigned char>(c)));
    }
    return out;
}

// Dialog button ids as the application's own button listener hears them.
constexpr int kYesButtonBase = 2000;
constexpr int kNoButtonBase = 3000;

} // namespace

// ---- Framework dialogs

Dialog* LumoAppBase::NewDialog(int dialogId, bool isModal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode)
{
    return new Dialog(nullptr, nullptr, dialogId, isModal, header, lines, footer, buttonMode);
}

Dialog* LumoAppBase::DoDialog(int dialogId, bool isModal, const std::string& header, const std::string& lines,
                              const std::string& footer, int buttonMode)
{
    KillDialog(dialogId);
    Dialog* dialog = NewDialog(dialogId, isModal, header, lines, footer, buttonMode);
    if (dialog != nullptr)
        AddDialog(dialogId, dialog);
    return dialog;
}

Dialog* LumoAppBase::GetDialog(int dialogId)
{
    const auto found = dialogMap.find(dialogId);
    return found != dialogMap.end() ? found->second : nullptr;
}

void LumoAppBase::AddDialog(Dialog* dialog)
{
    AddDialog(dialog->id, dialog);
}

void LumoAppBase::AddDialog(int dialogId, Dialog* dialog)
{
    // Adding the dialog already shown under the id would queue it for
    // deletion and show it again: nothing to do.
    if (GetDialog(dialogId) == dialog)
        return;
    KillDialog(dialogId);
    if (dialog->width == 0) {
        const int dialogWidth = width / 2;
        const int dialogHeight = dialog->GetPreferredHeight(dialogWidth);
        dialog->Resize((width - dialogWidth) / 2, height / 5, dialogWidth, dialogHeight);
    }
    dialogMap[dialogId] = dialog;
    dialogList.push_back(dialog);
    if (widgetManager != nullptr) {
        widgetManager->AddWidget(dialog);
        if (dialog->IsModal()) {
            widgetManager->AddBaseModal(dialog);
            ModalOpen();
        }
    }
}

bool LumoAppBase::KillDialog(int dialogId, bool removeWidget, bool deleteWidget)
{
    const auto found = dialogMap.find(dialogId);
    if (found == dialogMap.end())
        return false;
    Dialog* dialog = found->second;
    if (dialog->result == -1)
        dialog->result = 0;
    const auto listed = std::find(dialogList.begin(), dialogList.end(), dialog);
    if (listed != dialogList.end())
        dialogList.erase(listed);
    dialogMap.erase(found);
    if (widgetManager != nullptr) {
        if (removeWidget || deleteWidget)
            widgetManager->RemoveWidget(dialog);
        if (dialog->IsModal()) {
            ModalClose();
            widgetManager->RemoveBaseModal(dialog);
        }
    }
    // Deleted once the loop is back where it was queued: a dialog may kill
    // itself from its own button handler.
    if (deleteWidget)
        QueueDeferredDelete(dialog);
    return true;
}

bool LumoAppBase::KillDialog(int dialogId)
{
    return KillDialog(dialogId, true, true);
}

bool LumoAppBase::KillDialog(Dialog* dialog)
{
    return KillDialog(dialog->id);
}

int LumoAppBase::GetDialogCount()
{
    return static_cast<int>(dialogMap.size());
}

void LumoAppBase::DialogButtonPress(int dialogId, int buttonId)
{
    if (buttonId == Dialog::ID_YES)
        ButtonPress(dialogId + kYesButtonBase);
    else if (buttonId == Dialog::ID_NO)
        ButtonPress(dialogId + kNoButtonBase);
}

void LumoAppBase::DialogButtonDepress(int dialogId, int buttonId)
{
    if (buttonId == Dialog::ID_YES)
        ButtonDepress(dialogId + kYesButtonBase);
    else if (buttonId == Dialog::ID_NO)
        ButtonDepress(dialogId + kNoButtonBase);
}

// ---- Message boxes and the clipboard

int LumoAppBase::MsgBox(const std::u16string& text, const std::u16string& title, int flags)
{
    if (isScreenSaver) {
        // Nobody may be at the screen: the log is the only trace.
        WriteScrErrorLog(WStringToString(text));
        return Plat::kIdOk;
    }
    PrepareForGDIDialog();
    const int result = Plat::GetMessageBoxes().Show(mainWindow, text, title, static_cast<uint32_t>(flags));
    // The time the box stood open is not game time.
    ResetTiming();
    return result;
}

int LumoAppBase::MsgBox(const std::string& text, const std::string& title, int flags)
{
    if (isScreenSaver) {
        WriteScrErrorLog(text);
        return Plat::kIdOk;
    }
    PrepareForGDIDialog();
    const int result = Plat::GetMessageBoxes().Show(mainWindow, text, title, static_cast<uint32_t>(flags));
    ResetTiming();
    return result;
}

void LumoAppBase::SetClipboardText(const std::string& text)
{
    // A played demo must not reach into the desktop.
    if (playingDemo)
        return;
    Plat::GetClipboard().SetText(mainWindow, Windows1252ToUtf8(text));
}

} // namespace Lumo
