#include "framework/sound/DSoundInstance.h"

#include "framework/sound/DSoundManager.h"
#include "platform/system/MessageBox.h"
#include "platform/system/ProcessControl.h"
#include "platform/audio/SoundDevice.h"

#include <algorithm>
#include <cmath>

namespace Lumo {

namespace {

// The texts shown before the process ends on a failed duplicate.
const char* DuplicateFailureText(int32_t result)
{
    switch (result) {
    case Plat::kSoundErrInvalidParam:
        return "DSERR_INVALIDPARAM";
    case Plat::kSoundErrOutOfMemory:
        return "DSERR_OUTOFMEMORY";
    case Plat::kSoundErrAllocated:
        return "DSERR_ALLOCATED";
    case Plat::kSoundErrInvalidCall:
        return "DSERR_INVALIDCALL";
    case Plat::kSoundErrUninitialized:
        return "DSERR_UNINITIALIZED";
    default:
        return nullptr;
    }
}

int32_t ClampPan(int64_t pan)
{
    return int32_t(std::clamp<int64_t>(pan, Plat::kSoundPanLeft, Plat::kSoundPanRight));
}

} // namespace

DSoundInstance::DSoundInstance(DSoundManager* manager, Plat::SoundBuffer* sourceSound)
    : mManager(manager), mSourceSound(sourceSound)
{
    if (mSourceSound != nullptr) {
        Plat::SoundDevice* device = mManager->Device();
        int32_t result = Plat::kSoundErrUninitialized;
        if (device != nullptr)
            result = device->DuplicateSoundBuffer(*mSourceSound, mSoundBuffer);
        if (result != Plat::kSoundOk || mSoundBuffer == nullptr) {
            if (const char* text = DuplicateFailureText(result))
                Plat::GetMessageBoxes().Show(nullptr, text, "Hey", Plat::kMbOk);
            // A fatal end: the exit code says so.
            Plat::ExitProcess(1);
        }
        uint32_t frequency = 0;
        if (mSoundBuffer->GetFrequency(frequency) == Plat::kSoundOk)
            mDefaultFrequency = frequency;
    }
    RehupVolume();
}

DSoundInstance::~DSoundInstance() = default;

int32_t DSoundInstance::VolumeToHundredths(double volume)
{
    // Nothing, or no number at all, is silence; above full is full.
    if (!(volume > 0.0))
        return Plat::kSoundVolumeMin;
    const double hundredths = (std::log10(1.0 + 9.0 * volume) - 1.0) * 2333.0;
    if (!(hundredths < 0.0))
        return 0;
    const int32_t truncated = int32_t(hundredths);
    return truncated < -2000 ? Plat::kSoundVolumeMin : truncated;
}

void DSoundInstance::RehupVolume()
{
    if (mSoundBuffer == nullptr)
        return;
    const double volume = mManager->MasterVolumeFactor() * mVolume * mBaseVolume;
    mSoundBuffer->SetVolume(VolumeToHundredths(volume));
}

void DSoundInstance::Release()
{
    Stop();
    mReleased = true;
}

void DSoundInstance::SetBaseVolume(double volume)
{
    mBaseVolume = volume;
    RehupVolume();
}

void DSoundInstance::SetBasePan(int pan)
{
    mBasePan = pan;
    if (mSoundBuffer != nullptr)
        mSoundBuffer->SetPan(ClampPan(int64_t(mBasePan) + mPan));
}

void DSoundInstance::AdjustPitch(double steps)
{
    if (mSoundBuffer == nullptr)
        return;
    double frequency = double(mDefaultFrequency) * std::pow(1.0594630943592953, steps);
    if (!(frequency >= 100.0))
        frequency = 100.0;
    if (frequency > 100000.0)
        frequency = 100000.0;
    mSoundBuffer->SetFrequency(uint32_t(frequency));
}

void DSoundInstance::SetVolume(double volume)
{
    mVolume = volume;
    RehupVolume();
}

void DSoundInstance::SetPan(int pan)
{
    mPan = pan;
    if (mSoundBuffer != nullptr)
        mSoundBuffer->SetPan(ClampPan(int64_t(mBasePan) + mPan));
}

bool DSoundInstance::Play(bool looping, bool autoRelease)
{
    Stop();
    mHasPlayed = true;
    mAutoRelease = autoRelease;
    if (mSoundBuffer == nullptr)
        return false;
    return mSoundBuffer->Play(0, 0, looping ? Plat::kSoundPlayLooping : 0) == Plat::kSoundOk;
}

void DSoundInstance::Stop()
{
    if (mSoundBuffer == nullptr)
        return;
    mSoundBuffer->Stop();
    mSoundBuffer->SetCurrentPosition(0);
    mAutoRelease = false;
}

bool DSoundInstance::IsPlaying()
{
    if (!mHasPlayed || mSoundBuffer == nullptr)
        return false;
    uint32_t status = 0;
    if (mSoundBuffer->GetStatus(status) != Plat::kSoundOk)
        return false;
    return (status & Plat::kSoundStatusPlaying) != 0;
}

bool DSoundInstance::IsReleased()
{
    if (!mReleased && mAutoRelease && mHasPlayed && !IsPlaying())
        Release();
    return mReleased;
}

double DSoundInstance::GetVolume()
{
    return mVolume;
}

} // namespace Lumo
