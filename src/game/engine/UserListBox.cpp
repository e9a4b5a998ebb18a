#include "game/engine/UserListBox.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/StripFont.h"

#include <cmath>
#include <cstring>

void UserListBox::ReadXmlAttributes(const ObjectXmlElement& element)
{
    if (const char* font = element.GetAttribute("font"))
        CopyToField(mFont, font);
    if (element.HasAttribute("size"))
        mSize = element.GetAttributeFloat("size");
    AnimObject::ReadXmlAttributes(element);
}

void UserListBox::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "user_list_box");
}

StripFont* UserListBox::RowFont(float& rowHeight) const
{
    StripFont* font = Game().mFonts.Find(mFont);
    if (font == nullptr || mImage == nullptr)
        return nullptr;
    rowHeight = StripFont::MeasureString(font, "M", mSize, 0.0f);
    return font;
}

float UserListBox::RowY(int row) const
{
    float rowHeight = 0.0f;
    if (RowFont(rowHeight) == nullptr)
        return mLocal[kAttrY];
    return mLocal[kAttrY] + float(row - 6) * (rowHeight + 5.0f);
}

int UserListBox::Update()
{
    GameState& game = Game();
    const Level* level = dynamic_cast<const Level*>(game.mLevel);
    float rowHeight = 0.0f;
    if (level != nullptr && level->mLeftClick != 0.0f && RowFont(rowHeight) != nullptr) {
        PlayerProfiles& profiles = game.mProfiles;
        int row = 0;
        int chosen = -1;
        for (int i = 0; i < PlayerProfiles::kProfileCount; ++i) {
            if (!profiles.mProfiles[i].IsUsed())
                continue;
            if (BoxesOverlap(mWorld[kAttrX], mWorld[kAttrY] + RowY(row), mImage->mWidth / 2.0f, rowHeight + 5.0f,
                             level->mMouseX, level->mMouseY, 0.0f, 0.0f))
                chosen = i;
            ++row;
        }
        if (chosen >= 0)
            profiles.SetCurrent(chosen);
    }
    return AnimObject::Update();
}

void UserListBox::Draw()
{
    AnimObject::Draw();
    GameState& game = Game();
    float rowHeight = 0.0f;
    StripFont* font = RowFont(rowHeight);
    if (font == nullptr || game.mPlatform == nullptr)
        return;
    Platform& platform = *game.mPlatform;
    const PlayerProfiles& profiles = game.mProfiles;
    const bool unscaled = std::fabs(mWorld[kAttrXScale] - 1.0f) <= 0.01f;
    int row = 0;
    for (int i = 0; i < PlayerProfiles::kProfileCount; ++i) {
        const PlayerProfile& profile = profiles.mProfiles[i];
        if (!profile.IsUsed())
            continue;
        const float x = mWorld[kAttrX];
        const float y = mWorld[kAttrY] + RowY(row);
        if (i == profiles.mCurrent && unscaled) {
            const float halfWidth = mImage->mWidth / 2.0f;
            const float halfHeight = (rowHeight + 5.0f) / 2.0f;
            platform.DrawRect(SaturateToInt(double(x - halfWidth)), SaturateToInt(double(y - halfHeight)),
                              SaturateToInt(double(x + halfWidth)), SaturateToInt(double(y + halfHeight)), 0, 1.0f,
                              1.0f, 1.0f, 0.25f, 0.0f, 0.0f, 0.0f, 0.0f);
        }
        font->DrawString(platform, profile.mName, x, y, mSize, 0.0f, StripFont::kJustifyCentre, 1.0f, 1.0f, 1.0f,
                         mWorld[kAttrAlpha]);
        ++row;
    }
}
