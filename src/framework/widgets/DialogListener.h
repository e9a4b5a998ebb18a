// What the owner of framework dialogs hears from their buttons (1000 yes or
// ok, 1001 no or cancel), with the dialog's id.
#pragma once

namespace Lumo {

class DialogListener {
public:
    virtual ~DialogListener() = default;
    virtual void DialogButtonPress(int /*dialogId*/, int /*buttonId*/) {}
    virtual void DialogButtonDepress(int /*dialogId*/, int /*buttonId*/) {}
};

} // namespace Lumo
