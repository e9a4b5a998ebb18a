#include "game/play/TriBumper.h"

#include "game/engine/EngineUtilities.h"

void TriBumper::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "tri_bumper");
}

int TriBumper::Update()
{
    const float hw = (mSource[2] - mSource[0]) / 2.0f;
    const float hh = (mSource[3] - mSource[1]) / 2.0f;
    const float edges[] = {-hw, -hh, hw, -hh, hw, -hh, 0.0f, hh, 0.0f, hh, -hw, -hh};
    BounceOffEdges(edges, 3, hw / 8.0f, EdgeRule::kTriangle);
    return Bumper::Update();
}
