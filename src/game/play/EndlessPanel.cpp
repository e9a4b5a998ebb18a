#include "game/play/EndlessPanel.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/StripFont.h"

EndlessPanel::EndlessPanel()
{
    mKind = kKindEndlessPanel;
}

std::string EndlessPanel::TimeText() const
{
    return "Time: " + FormatMinutesSeconds(static_cast<uint32_t>(mFrameCounter));
}

void EndlessPanel::Draw()
{
    if (mVisible == 0 || mFrameCounter == 0.0f)
        return;
    DrawSelf();
    DrawString(this, TimeText().c_str(), -37.0f, 5.0f, "gfx\\font1_tiny.png", -1.0f, StripFont::kJustifyLeft, 1.0f,
               mWorld[kAttrAlpha]);
    DrawChildren();
}

// Its own key, so that a saved level still has its clock when read back.
void EndlessPanel::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "endless_panel");
}
