// The framework's display object. So far it carries what the images need:
// the pixel format (from NativeDisplay), the 3-D-on flag and the critical
// section that guards the application's image set and shared-image table.
#pragma once

#include "framework/display/NativeDisplay.h"
#include "framework/services/CriticalSection.h"

namespace Lumo {

class LumoAppBase;
class MemoryImage;

class DDInterface : public NativeDisplay {
public:
    explicit DDInterface(LumoAppBase* app);
    ~DDInterface() override;
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    // Drops the 3-D texture data kept for the image; nothing while the image
    // has none.
    void RemoveImageData(MemoryImage* image);

    LumoAppBase* mApp;
    bool mIs3D; // drawing on the screen image goes through the 3-D renderer
    CriticalSection mCritSect;
};

} // namespace Lumo
