// Active font layers: copying and freeing their pictures.
#include "framework/graphics/ActiveFontLayer.h"

#include "framework/graphics/MemoryImage.h"

namespace Lumo {

ActiveFontLayer::ActiveFontLayer() : mBaseFontLayer(nullptr), mImage(nullptr), mOwnsImage(false) {}

ActiveFontLayer::ActiveFontLayer(const ActiveFontLayer& other)
    : mBaseFontLayer(other.mBaseFontLayer), mImage(other.mImage), mOwnsImage(false)
{
    for (int i = 0; i < 256; ++i)
        mScaledCharImageRects[i] = other.mScaledCharImageRects[i];
    if (other.mOwnsImage && other.mImage != nullptr) {
        // Rendered glyphs are always a memory image (see ImageFont::Prepare).
        auto* picture = dynamic_cast<MemoryImage*>(other.mImage);
        mImage = picture != nullptr ? new MemoryImage(*picture) : nullptr;
        mOwnsImage = mImage != nullptr;
    }
}

ActiveFontLayer::~ActiveFontLayer()
{
    if (mOwnsImage)
        delete mImage;
}

} // namespace Lumo
