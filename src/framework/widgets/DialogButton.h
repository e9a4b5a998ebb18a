// The button of a framework dialog: a button that can draw its looks as
// nine-cell boxes from a component image.
#pragma once

#include "framework/widgets/ButtonWidget.h"

namespace Lumo {

class DialogButton : public ButtonWidget {
public:
    DialogButton(Image* theComponentImage, int theId, ButtonListener* theListener);

    void Draw(Graphics* g) override;

    Image* componentImage; // not owned; none: the plain button look
    int32_t translateX = 1; // offset of the pressed look
    int32_t translateY = 1;
    int32_t textOffsetX = 0;
    int32_t textOffsetY = 0;
};

} // namespace Lumo
