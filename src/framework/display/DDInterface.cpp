// Construction and the image hooks of the display object.
#include "framework/display/DDInterface.h"

#include "framework/graphics/MemoryImage.h"

namespace Lumo {

DDInterface::DDInterface(LumoAppBase* app) : mApp(app), mIs3D(false) {}

DDInterface::~DDInterface() = default;

void DDInterface::RemoveImageData(MemoryImage* image)
{
    // Texture data is made only by the 3-D renderer; without it there is
    // nothing to release.
    if (image == nullptr || image->mTextureData == nullptr) {
        return;
    }
}

} // namespace Lumo
