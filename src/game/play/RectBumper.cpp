#include "game/play/RectBumper.h"

#include "game/engine/EngineUtilities.h"
#include "game/play/ShooterHelpers.h"

void RectBumper::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "rect_bumper");
}

int RectBumper::Update()
{
    const float hw = ShooterRules::FrameWidth(*this) / 2.0f;
    const float hh = ShooterRules::FrameHeight(*this) / 2.0f;
    // Clockwise on screen, so each side's normal points out.
    const float edges[] = {-hw, -hh, hw, -hh, hw, -hh, hw, hh, hw, hh, -hw, hh, -hw, hh, -hw, -hh};
    BounceOffEdges(edges, 4, hw / 16.0f, EdgeRule::kRectangle);
    return Bumper::Update();
}
