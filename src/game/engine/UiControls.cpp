#include "game/engine/UiControls.h"

#include "game/engine/Checkbox.h"
#include "game/engine/InputBox.h"
#include "game/engine/Slider.h"
#include "game/engine/TextBlock.h"
#include "game/engine/UserDataDisplay.h"
#include "game/engine/UserListBox.h"

#include <cstring>

AnimObject* CreateControlObject(const char* type)
{
    if (type == nullptr)
        return nullptr;
    if (std::strcmp(type, "input_box") == 0)
        return new InputBox;
    if (std::strcmp(type, "slider") == 0)
        return new Slider;
    if (std::strcmp(type, "checkbox") == 0)
        return new Checkbox;
    if (std::strcmp(type, "user_data_display") == 0)
        return new UserDataDisplay;
    if (std::strcmp(type, "user_list_box") == 0)
        return new UserListBox;
    if (std::strcmp(type, "tooltip") == 0)
        return new TextBlock;
    return nullptr;
}
