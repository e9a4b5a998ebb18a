#include "game/engine/UserDataDisplay.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"

#include <cstring>

namespace {


} // namespace

void UserDataDisplay::ReadXmlAttributes(const ObjectXmlElement& element)
{
    if (const char* type = element.GetAttribute("display_type"))
        CopyToField(mDisplayType, type);
    if (const char* font = element.GetAttribute("font"))
        CopyToField(mFont, font);
    if (element.HasAttribute("number"))
        mNumber = element.GetAttributeInt("number");
    AnimObject::ReadXmlAttributes(element);
}

void UserDataDisplay::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "user_data_display");
    WriteXmlStringAttribute(out, "display_type", mDisplayType);
    WriteXmlStringAttribute(out, "font", mFont);
}

void UserDataDisplay::DrawSelf()
{
    GameState& game = Game();
    if (mVisible == 0 || (mCurrentStage != nullptr && mCurrentStage->mVisible == 0) || game.mPlatform == nullptr)
        return;
    if (std::strcmp(mDisplayType, "current_user_name") != 0)
        return;
    if (const StripFont* font = game.mFonts.Find(mFont))
        font->DrawString(*game.mPlatform, game.mProfiles.Current().mName, mWorld[kAttrX], mWorld[kAttrY], 1.0f, 0.0f,
                         StripFont::kJustifyLeft);
}
