// What the owner of buttons hears from them; every call carries the button's id.
#pragma once

namespace Lumo {

class ButtonListener {
public:
    virtual ~ButtonListener() = default;

    // A press with the manager's click count; the default forgets the count.
    virtual void ButtonPress(int id, int /*clickCount*/) { ButtonPress(id); }
    virtual void ButtonPress(int /*id*/) {}
    // A release over the button while the window has the focus: a click.
    virtual void ButtonDepress(int /*id*/) {}
    // Once per update while the button is held down under the mouse.
    virtual void ButtonDownTick(int /*id*/) {}
    virtual void ButtonMouseEnter(int /*id*/) {}
    virtual void ButtonMouseLeave(int /*id*/) {}
    virtual void ButtonMouseMove(int /*id*/, int /*x*/, int /*y*/) {}
};

} // namespace Lumo
