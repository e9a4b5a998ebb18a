#include "platform/text/TextRenderer.h"

#include "platform/text/FreeTypeTextRenderer.h"

namespace Plat {

namespace {

TextRenderer* gTextRenderer = nullptr;

// Made on first use, so fonts built during static initialisation find it.
// Fonts share the FreeType library with it, so one that outlives it at exit
// still works.
FreeTypeTextRenderer& SystemRenderer()
{
    static FreeTypeTextRenderer renderer;
    return renderer;
}

} // namespace

TextRenderer& GetTextRenderer()
{
    return gTextRenderer != nullptr ? *gTextRenderer : SystemRenderer();
}

TextRenderer* SetTextRenderer(TextRenderer* renderer)
{
    TextRenderer* previous = gTextRenderer;
    gTextRenderer = renderer;
    return previous;
}

} // namespace Plat
