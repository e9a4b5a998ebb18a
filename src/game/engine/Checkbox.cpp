#include "game/engine/Checkbox.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/SoundLayer.h"

#include <cstring>

void Checkbox::ReadXmlAttributes(const ObjectXmlElement& element)
{
    if (element.HasAttribute("checked"))
        mChecked = element.GetAttributeInt("checked");
    if (element.HasAttribute("right_area"))
        mRightArea = element.GetAttributeFloat("right_area");
    if (const char* type = element.GetAttribute("check_type"))
        CopyToField(mCheckType, type);
    AnimObject::ReadXmlAttributes(element);
}

void Checkbox::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "checkbox");
    WriteXmlStringAttribute(out, "check_type", mCheckType);
    WriteXmlFloatAttribute(out, "right_area", mRightArea);
    if (mChecked != 0)
        WriteXmlFloatAttribute(out, "checked", float(mChecked));
}

int Checkbox::UpdateHover()
{
    GameState& game = Game();
    const Level* level = dynamic_cast<const Level*>(game.mLevel);
    // Not while another screen lies over the current one.
    if (level == nullptr || game.Topmost() != level) {
        mHot = 0;
        return 0;
    }
    // The clickable area reaches right_area to the right of the box, over
    // its label: a strip that wide ending at the mouse must meet the box.
    const int hot = HitTestPoint(level->mMouseX - mRightArea / 2.0f, level->mMouseY, mRightArea, 1.0f, 0.0f) ? 1 : 0;
    if (hot != 0 && mHot == 0) {
        const int rate = 40100 + static_cast<int>(game.mRandom.RandomInt(8000));
        game.mSound->PlaySample(game.mSound->GetSample("audio\\hot.ogg", 0, 0), rate);
    }
    mHot = hot;
    return hot;
}

int Checkbox::ReadSetting() const
{
    GameState& game = Game();
    if (std::strcmp(mCheckType, "3d") == 0)
        return game.mPlatform != nullptr && game.mPlatform->Is3DAccelerated() ? 1 : 0;
    if (std::strcmp(mCheckType, "fullscreen") == 0)
        return game.mPlatform != nullptr && !game.mPlatform->IsWindowed() ? 1 : 0;
    if (std::strcmp(mCheckType, "instructions") == 0)
        return game.mProfiles.Current().mInstructions != 0 ? 1 : 0;
    return mChecked;
}

int Checkbox::Update()
{
    const Level* level = dynamic_cast<const Level*>(Game().mLevel);
    if (UpdateHover() != 0 && level != nullptr && level->mLeftClick != 0.0f)
        Toggle();
    mChecked = ReadSetting();
    // The box's picture is the tick itself.
    mLocal[kAttrAlpha] = mChecked != 0 ? 1.0f : 0.0f;
    return AnimObject::Update();
}

void Checkbox::Toggle()
{
    GameState& game = Game();
    mChecked = 1 - mChecked;
    if (std::strcmp(mCheckType, "3d") == 0) {
        if (game.mPlatform != nullptr)
            game.mPlatform->Check3DSupport(mChecked);
    } else if (std::strcmp(mCheckType, "fullscreen") == 0) {
        if (game.mPlatform != nullptr)
            game.mPlatform->SetWindowed(mChecked != 1);
    } else if (std::strcmp(mCheckType, "instructions") == 0) {
        game.mProfiles.Current().mInstructions = mChecked;
    }
}
