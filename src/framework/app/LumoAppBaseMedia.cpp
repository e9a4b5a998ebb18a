// The application's images and sounds: pictures loaded from files into
// surface images (through the data cache when it runs), parts of images
// copied, the images of new shared entries, and effects and volumes passed to
// the sound manager and the music interface behind a mute counter.
#include "framework/app/LumoAppBase.h"

#include "framework/display/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/DataCacheClient.h"
#include "framework/sound/MusicInterface.h"
#include "framework/core/PathUtils.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"

#include <algorithm>
#include <memory>

namespace Lumo {

namespace {

// Loaded pictures are cached under their absolute path with this suffix.
constexpr const char* kCacheSuffix = "GetImage";

} // namespace

// ---- Images

DDImage* LumoAppBase::GetImage(const std::string& path, bool commitBits)
{
    DataCacheClient& cache = GetDataCacheClient();
    // Without the cache process both cache steps are skipped.
    const bool cacheConnected = cache.IsConnected();
    const std::string fullPath = cacheConnected ? GetFullPath(path) : std::string();
    if (cacheConnected) {
        if (DDImage* cached = DDImage::ReadFromCache(fullPath, kCacheSuffix)) {
            cached->mFilePath = path;
            return cached;
        }
    }

    std::unique_ptr<ImageLib::Image> picture(ImageLib::GetImage(path, true));
    if (picture == nullptr) {
        return nullptr;
    }
    DDImage* image = new DDImage(ddInterface);
    image->mFilePath = path;
    image->SetBits(picture->GetBits(), picture->GetWidth(), picture->GetHeight(), commitBits);
    picture.reset();

    if (cacheConnected && writeToDataCache) {
        image->WriteToCache(fullPath, kCacheSuffix);
    }
    return image;
}

DDImage* LumoAppBase::CopyImageRect(Image* image, const TRect<int>& rect)
{
    if (image == nullptr) {
        return nullptr;
    }
    DDImage* copy = new DDImage(ddInterface);
    copy->Create(std::max(0, rect.mWidth), std::max(0, rect.mHeight));
    MemoryImage* source = dynamic_cast<MemoryImage*>(image);
    const uint32_t* from = source != nullptr ? source->GetBits() : nullptr;
    if (from != nullptr) {
        // The pixels word for word: a blend onto the transparent copy would
        // round opaque pixels down. Outside the source the copy stays clear.
        uint32_t* to = copy->GetBits();
        const TRect<int> inside = rect.Intersection(TRect<int>(0, 0, source->mWidth, source->mHeight));
        for (int y = inside.mY; y < inside.mY + inside.mHeight; ++y) {
            std::copy(from + size_t(y) * size_t(source->mWidth) + inside.mX,
                      from + size_t(y) * size_t(source->mWidth) + inside.mX + inside.mWidth,
                      to + size_t(y - rect.mY) * size_t(copy->mWidth) + (inside.mX - rect.mX));
        }
        copy->BitsChanged();
    } else {
        Graphics g(copy);
        g.DrawImage(image, -rect.mX, -rect.mY);
    }
    copy->CopyAttributes(image);
    return copy;
}

Image* LumoAppBase::LoadSharedImage(const std::string& fileName)
{
    // "!" names stand for images the program fills itself: no file behind them.
    if (!fileName.empty() && fileName[0] == '!') {
        return new DDImage(ddInterface);
    }
    return GetImage(fileName, false);
}

// ---- Sound effects

void LumoAppBase::PlaySample(int soundId)
{
    if (soundManager == nullptr || soundId < 0) {
        return;
    }
    if (SoundInstance* instance = soundManager->GetSoundInstance(static_cast<unsigned int>(soundId))) {
        // Auto-release: the instance frees itself when it ends.
        instance->Play(false, true);
    }
}

void LumoAppBase::PlaySample(int soundId, int pan)
{
    if (soundManager == nullptr || soundId < 0) {
        return;
    }
    if (SoundInstance* instance = soundManager->GetSoundInstance(static_cast<unsigned int>(soundId))) {
        instance->SetPan(pan);
        instance->Play(false, true);
    }
}

// ---- Volumes and muting

double LumoAppBase::GetMusicVolume()
{
    return musicVolume;
}

double LumoAppBase::GetSfxVolume()
{
    return sfxVolume;
}

double LumoAppBase::GetMasterVolume()
{
    // Before Init there is no mixer to ask.
    if (soundManager == nullptr) {
        return 0.0;
    }
    return soundManager->GetMasterVolume();
}

void LumoAppBase::SetMusicVolume(double volume)
{
    musicVolume = volume;
    if (musicInterface != nullptr) {
        musicInterface->SetVolume(muteCount > 0 ? 0.0 : volume);
    }
}

void LumoAppBase::SetSfxVolume(double volume)
{
    sfxVolume = volume;
    if (soundManager != nullptr) {
        soundManager->SetVolume(muteCount > 0 ? 0.0 : volume);
    }
}

void LumoAppBase::SetMasterVolume(double volume)
{
    // The effects volume follows the mixer's without being passed on.
    sfxVolume = volume;
    if (soundManager != nullptr) {
        soundManager->SetMasterVolume(volume);
    }
}

bool LumoAppBase::IsMuted()
{
    return muteCount > 0;
}

void LumoAppBase::Mute(bool autoMute)
{
    ++muteCount;
    if (autoMute) {
        ++autoMuteCount;
    }
    // Both outputs go silent; the stored volumes stay.
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

void LumoAppBase::Unmute(bool autoMute)
{
    if (muteCount > 0) {
        --muteCount;
        if (autoMute) {
            --autoMuteCount;
        }
    }
    SetMusicVolume(musicVolume);
    SetSfxVolume(sfxVolume);
}

} // namespace Lumo
