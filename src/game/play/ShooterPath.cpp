#include "game/play/ShooterPath.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"

ShooterPath::ShooterPath()
{
    mKind = kKindShooterPath;
}

void ShooterPath::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "shooter_path");
    AnimObject::WriteTypeAttributes(out);
}

int ShooterPath::Update()
{
    if (AnimObject::Update() == 0)
        return 0;
    if (mWorld[kAttrY] >= GameState::kScreenHeight - 20.0f && GetVelocityY() > 0.0f)
        return 0;
    return 1;
}

void ShooterPath::Draw()
{
    if (Game().EditorOpen())
        AnimObject::Draw();
}
