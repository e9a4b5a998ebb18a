// The interface controls the object loader makes by "type": input boxes,
// sliders, checkboxes, the player's name and list, and tooltips.
#pragma once

class AnimObject;

// A new control for the type, or null when the type is not a control's.
AnimObject* CreateControlObject(const char* type);
