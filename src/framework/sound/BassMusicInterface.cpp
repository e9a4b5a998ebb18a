#include "framework/sound/BassMusicInterface.h"

#include <algorithm>
#include <vector>

#include "framework/sound/BassInstance.h"
#include "framework/core/PakClient.h"
#include "framework/sound/SongFade.h"
#include "framework/core/StringUtils.h"
#include "platform/audio/AudioOutput.h"

namespace Lumo {

namespace {

constexpr uint32_t kLoopFlag = 4;          // BASS_SAMPLE_LOOP / BASS_MUSIC_LOOP
constexpr uint32_t kMusicRamp = 0x200;     // BASS_MUSIC_RAMP
constexpr uint32_t kMusicPosReset = 0x8000; // BASS_MUSIC_POSRESET
constexpr uint32_t kConfigBuffer = 0;
constexpr uint32_t kConfigStreamVolume = 5;
constexpr uint32_t kConfigMusicVolume = 6;

// The file's whole content through the pak layer; false when it cannot be read.
bool ReadWhole(const std::string& fileName, std::vector<uint8_t>& data)
{
    PakFile* file = PakOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;
    PakSeek(file, 0, SEEK_END);
    const long size = PakTell(file);
    PakSeek(file, 0, SEEK_SET);
    bool ok = size >= 0;
    if (ok) {
        data.resize(size_t(size));
        ok = size == 0 || PakRead(data.data(), 1, data.size(), file) == data.size();
    }
    PakClose(file);
    return ok;
}

} // namespace

BassMusicInterface::BassMusicInterface(Plat::Window* window)
{
    mBass = GetBassInstance();
    BASS_INSTANCE* bass = mBass;
    // Starting the library may move the system's wave volume; put it back.
    const uint32_t waveVolume = Plat::GetWaveOutVolume();
    if (bass->mVersion2) {
        bass->BASS_Init2(1, 44100, 0, window, nullptr);
        bass->BASS_SetConfig(kConfigBuffer, 2000);
    } else {
        bass->BASS_Init(-1, 44100, 0, window);
    }
    Plat::SetWaveOutVolume(waveVolume);
    bass->BASS_Start();
    mMaxMusicVolume = 40;
}

BassMusicInterface::~BassMusicInterface()
{
    mBass->BASS_Stop();
    mBass->BASS_Free();
    ReleaseBassInstance();
}

const BassMusicInfo* BassMusicInterface::FindSong(int songId) const
{
    const auto it = mMusicMap.find(songId);
    return it != mMusicMap.end() ? &it->second : nullptr;
}

void BassMusicInterface::SetChannelVolume(const BassMusicInfo& info)
{
    mBass->BASS_ChannelSetAttributes(info.GetHandle(), -1, int(info.mVolume * 100), -101);
}

void BassMusicInterface::FreeSong(const BassMusicInfo& info)
{
    if (info.mHStream != 0)
        mBass->BASS_StreamFree(info.mHStream);
    else if (info.mHMusic != 0)
        mBass->BASS_MusicFree(info.mHMusic);
}

bool BassMusicInterface::LoadMusic(int songId, const std::string& fileName)
{
    BASS_INSTANCE* bass = mBass;
    uint32_t music = 0;
    uint32_t stream = 0;
    const size_t dot = fileName.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : StringToLower(fileName.substr(dot + 1));
    // Songs load from memory (the library copies it) so that songs inside
    // the pak archive play.
    std::vector<uint8_t> data;
    if (!ReadWhole(fileName, data))
        return false;
    const uint32_t length = uint32_t(data.size());
    if (ext == "wav" || ext == "ogg" || ext == "mp3") {
        stream = bass->BASS_StreamCreateFile(1, data.data(), 0, length, 0);
        if (stream == 0)
            return false;
    } else {
        if (bass->mVersion2)
            music = bass->BASS_MusicLoad2(1, data.data(), 0, length, 0x204, 0);
        else
            music = bass->BASS_MusicLoad(1, data.data(), 0, length, kLoopFlag);
        if (music == 0)
            return false;
    }
    BassMusicInfo info;
    info.mHMusic = music;
    info.mHStream = stream;
    if (!mMusicMap.emplace(songId, info).second)
        FreeSong(info); // the id's first song stays; the new one is not kept
    return true;
}

void BassMusicInterface::PlayMusic(int songId, int offset, bool noLoop)
{
    const auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end())
        return;
    BassMusicInfo& info = it->second;
    BASS_INSTANCE* bass = mBass;
    info.mVolume = info.mVolumeCap;
    info.mVolumeAdd = 0.0;
    info.mStopOnFade = noLoop;
    SetChannelVolume(info);
    bass->BASS_ChannelStop(info.GetHandle());
    if (info.mHMusic != 0) {
        uint32_t flags = noLoop ? 0 : kLoopFlag;
        if (bass->mVersion2)
            flags |= kMusicPosReset | kMusicRamp;
        bass->PlayFromOrder(info.mHMusic, offset, flags);
    } else {
        bass->BASS_ChannelSetFlags(info.mHStream, noLoop ? 0 : kLoopFlag);
        bass->BASS_ChannelPlay(info.mHStream, offset != -1 ? 1 : 0);
        if (offset > 0)
            bass->BASS_ChannelSetPosition(info.mHStream, uint64_t(offset));
    }
}

void BassMusicInterface::StopMusic(int songId)
{
    const auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end())
        return;
    it->second.mVolume = 0.0;
    mBass->BASS_ChannelStop(it->second.GetHandle());
}

void BassMusicInterface::PauseMusic(int songId)
{
    const auto it = mMusicMap.find(songId);
    if (it != mMusicMap.end())
        mBass->BASS_ChannelPause(it->second.GetHandle());
}

void BassMusicInterface::ResumeMusic(int songId)
{
    const auto it = mMusicMap.find(songId);
    if (it != mMusicMap.end())
        mBass->BASS_ChannelPlay(it->second.GetHandle(), 0);
}

void BassMusicInterface::StopAllMusic()
{
    for (auto& entry : mMusicMap) {
        entry.second.mVolume = 0.0;
        mBass->BASS_ChannelStop(entry.second.GetHandle());
    }
}

void BassMusicInterface::UnloadMusic(int songId)
{
    const auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end())
        return;
    StopMusic(songId);
    FreeSong(it->second);
    mMusicMap.erase(it);
}

void BassMusicInterface::UnloadAllMusic()
{
    StopAllMusic();
    for (const auto& entry : mMusicMap)
        FreeSong(entry.second);
    mMusicMap.clear();
}

void BassMusicInterface::PauseAllMusic()
{
    for (const auto& entry : mMusicMap)
        if (mBass->BASS_ChannelIsActive(entry.second.GetHandle()) == Plat::kBassActivePlaying)
            mBass->BASS_ChannelPause(entry.second.GetHandle());
}

void BassMusicInterface::ResumeAllMusic()
{
    for (const auto& entry : mMusicMap)
        if (mBass->BASS_ChannelIsActive(entry.second.GetHandle()) == Plat::kBassActivePaused)
            mBass->BASS_ChannelPlay(entry.second.GetHandle(), 0);
}

void BassMusicInterface::FadeIn(int songId, int offset, double speed, bool noLoop)
{
    const auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end())
        return;
    BassMusicInfo& info = it->second;
    BASS_INSTANCE* bass = mBass;
    info.mVolumeAdd = speed;
    info.mStopOnFade = noLoop;
    bass->BASS_ChannelStop(info.GetHandle());
    SetChannelVolume(info);
    if (info.mHMusic != 0) {
        if (offset == -1) {
            bass->BASS_ChannelPlay(info.mHMusic, 1);
        } else {
            uint32_t flags = noLoop ? 0 : kLoopFlag;
            if (bass->mVersion2)
                flags |= kMusicRamp;
            bass->PlayFromOrder(info.mHMusic, offset, flags);
        }
    } else {
        bass->BASS_ChannelSetFlags(info.mHStream, noLoop ? 0 : kLoopFlag);
        bass->BASS_ChannelPlay(info.mHStream, offset != -1 ? 1 : 0);
        if (offset > 0)
            bass->BASS_ChannelSetPosition(info.mHStream, uint64_t(offset));
    }
}

void BassMusicInterface::FadeOut(int songId, bool stopSong, double speed)
{
    const auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end())
        return;
    if (it->second.mVolume != 0.0)
        it->second.mVolumeAdd = -speed;
    it->second.mStopOnFade = stopSong;
}

void BassMusicInterface::FadeOutAll(bool stopSong, double speed)
{
    for (auto& entry : mMusicMap) {
        entry.second.mVolumeAdd = -speed;
        entry.second.mStopOnFade = stopSong;
    }
}

void BassMusicInterface::SetSongVolume(int songId, double volume)
{
    const auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end())
        return;
    it->second.mVolume = volume;
    SetChannelVolume(it->second);
}

void BassMusicInterface::SetSongMaxVolume(int songId, double volume)
{
    const auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end())
        return;
    it->second.mVolumeCap = volume;
    it->second.mVolume = std::min(volume, it->second.mVolume);
    SetChannelVolume(it->second);
}

bool BassMusicInterface::IsPlaying(int songId)
{
    const auto it = mMusicMap.find(songId);
    if (it == mMusicMap.end())
        return false;
    return mBass->BASS_ChannelIsActive(it->second.GetHandle()) == Plat::kBassActivePlaying;
}

void BassMusicInterface::SetVolume(double volume)
{
    BASS_INSTANCE* bass = mBass;
    if (bass->mVersion2) {
        const uint32_t value = uint32_t(int(volume * 100));
        bass->BASS_SetConfig(kConfigMusicVolume, value);
        bass->BASS_SetConfig(kConfigStreamVolume, value);
    } else if (bass->BASS_SetGlobalVolumes != nullptr) {
        const int value = int(mMaxMusicVolume * volume);
        bass->BASS_SetGlobalVolumes(value, value, value);
    } else {
        // A library with only the one master volume.
        bass->BASS_SetVolume(uint32_t(int(volume * 100)));
    }
}

void BassMusicInterface::SetMusicAmplify(int songId, double amplify)
{
    const auto it = mMusicMap.find(songId);
    if (it != mMusicMap.end())
        mBass->BASS_MusicSetAttribute(it->second.GetHandle(), 0, uint32_t(int(amplify * 100)));
}

void BassMusicInterface::Update()
{
    for (auto& entry : mMusicMap) {
        BassMusicInfo& info = entry.second;
        if (info.mVolumeAdd == 0.0)
            continue;
        if (StepSongFade(info.mVolume, info.mVolumeAdd, info.mVolumeCap, info.mStopOnFade))
            mBass->BASS_ChannelStop(info.GetHandle());
        SetChannelVolume(info);
    }
}

} // namespace Lumo
