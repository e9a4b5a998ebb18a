#include "game/engine/Slider.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "game/engine/SoundLayer.h"

#include <cstring>

Slider::Slider() = default;

void Slider::ReadXmlAttributes(const ObjectXmlElement& element)
{
    mLeftValue = element.GetAttributeFloat("left_value");
    mRightValue = element.GetAttributeFloat("right_value");
    if (element.HasAttribute("position"))
        mLocal[kAttrX] = element.GetAttributeFloat("position");
    if (const char* type = element.GetAttribute("slider_type"))
        CopyToField(mSliderType, sizeof(mSliderType), type);
    AnimObject::ReadXmlAttributes(element);

    // The knob starts where the setting stands; a slider of another type
    // stays at its "position".
    SoundLayer* sound = Game().mSound;
    float value = -1.0f;
    if (std::strcmp(mSliderType, "sound_volume") == 0)
        value = float(sound->GetSoundVolume());
    else if (std::strcmp(mSliderType, "music_volume") == 0)
        value = float(sound->GetMusicVolume());
    else if (std::strcmp(mSliderType, "start_level") == 0)
        value = 0.0f;
    if (value >= 0.0f && HasTrack())
        mLocal[kAttrX] = mLeftValue + value / 100.0f * (mRightValue - mLeftValue);
}

void Slider::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "slider");
    WriteXmlFloatAttribute(out, "position", mLocal[kAttrX]);
    WriteXmlFloatAttribute(out, "left_value", mLeftValue);
    WriteXmlFloatAttribute(out, "right_value", mRightValue);
    WriteXmlStringAttribute(out, "slider_type", mSliderType);
}

int Slider::Update()
{
    GameState& game = Game();
    RefreshWorld();
    const float oldX = mLocal[kAttrX];
    bool down = false;
    // The press edge is left to the topmost screen, which reads it before its
    // children update: taken here too, a slider on a covered screen would
    // steal the click meant for the screen above it.
    if (Platform* platform = game.mPlatform)
        down = platform->IsMouseButtonDown();
    const Level* level = dynamic_cast<const Level*>(game.mLevel);
    if (level != nullptr && HasTrack()) {
        const bool sliding = std::strcmp(mState, "sliding") == 0;
        const float trackHeight = mImage != nullptr ? mImage->mHeight : 0.0f;
        bool hit = false;
        if (level->mLeftClick != 0.0f || (down && sliding)) {
            hit = BoxesOverlap(GameState::kScreenWidth / 2.0f, mWorld[kAttrY], mRightValue - mLeftValue + 40.0f,
                               trackHeight, level->mMouseX, level->mMouseY, 0.0f, 0.0f);
            if (hit)
                CopyToField(mState, sizeof(mState), "sliding");
        }
        if (!hit && !down)
            CopyToField(mState, sizeof(mState), "idle");
        if (std::strcmp(mState, "sliding") == 0) {
            const float parentX = mParent != nullptr ? mParent->mWorld[kAttrX] : 0.0f;
            mLocal[kAttrX] = level->mMouseX - parentX;
        }
        if (mLocal[kAttrX] < mLeftValue)
            mLocal[kAttrX] = mLeftValue;
        if (mLocal[kAttrX] > mRightValue)
            mLocal[kAttrX] = mRightValue;
        if (mLocal[kAttrX] != oldX)
            ApplyValue();
    }
    return AnimObject::Update();
}

bool Slider::GetPercent(float& percent) const
{
    if (!HasTrack())
        return false;
    percent = (mLocal[kAttrX] - mLeftValue) * 100.0f / (mRightValue - mLeftValue);
    return true;
}

void Slider::ApplyValue()
{
    float percent = 0.0f;
    if (!GetPercent(percent))
        return;
    GameState& game = Game();
    SoundLayer* sound = game.mSound;
    if (std::strcmp(mSliderType, "music_volume") == 0) {
        // The music is either off or at least at 10.
        if (percent != 0.0f && percent < 10.0f)
            percent = 10.0f;
        sound->SetVolumes(percent, -1.0f);
        // Music already playing follows at once.
        for (AnimObject* screen = game.mLiveObjects.Head(); screen != nullptr; screen = screen->mNext) {
            if (Level* level = dynamic_cast<Level*>(screen)) {
                for (SampleEntry* entry : {level->mMusicEntry, level->mIntroEntry, level->mMainEntry, level->mWinEntry})
                    sound->SetChannelVolume(entry, 100.0f);
            }
        }
    } else if (std::strcmp(mSliderType, "sound_volume") == 0) {
        sound->SetVolumes(-1.0f, percent);
    } else if (std::strcmp(mSliderType, "start_level") == 0) {
        game.mStartLevel = SaturateToInt(double(percent)) * 11 / 100;
    }
}
