#include "framework/sound/FModMusicInterface.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "framework/core/AppDataFolder.h"
#include "framework/sound/FModInstance.h"
#include "framework/core/PathUtils.h"
#include "framework/sound/SongFade.h"
#include "framework/sound/WavWriter.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/FileSystem.h"

namespace Lumo {

namespace {

// FMUSIC takes a looping flag; FSOUND loop modes.
constexpr int kSongOnce = 0;
constexpr int kSongLoops = 1;

} // namespace

FModMusicInterface::FModMusicInterface(Plat::Window* /*window*/) : mFMod(GetFModInstance()) {}

FModMusicInterface::~FModMusicInterface()
{
    ReleaseFModInstance();
}

FModMusicInfo* FModMusicInterface::Find(int songId)
{
    const auto it = mMusicMap.find(songId);
    return it != mMusicMap.end() ? &it->second : nullptr;
}

const FModMusicInfo* FModMusicInterface::FindSong(int songId) const
{
    const auto it = mMusicMap.find(songId);
    return it != mMusicMap.end() ? &it->second : nullptr;
}

void FModMusicInterface::ApplyVolume(int songId, const FModMusicInfo& info)
{
    if (info.mHMusic != nullptr)
        mFMod->FMUSIC_SetMasterVolume(info.mHMusic, int(mMaxMusicVolume * mMasterVolume * info.mVolume));
    else
        mFMod->FSOUND_SetVolume(songId, int(mMaxSampleVolume * mMasterVolume * info.mVolume));
}

void FModMusicInterface::StopSong(int songId, const FModMusicInfo& info)
{
    if (info.mHMusic != nullptr)
        mFMod->FMUSIC_StopSong(info.mHMusic);
    else
        mFMod->FSOUND_StopSound(songId);
}

void FModMusicInterface::FreeUnused(const FModMusicInfo& info)
{
    if (info.mHSample != nullptr)
        mFMod->FSOUND_Sample_Free(info.mHSample);
    else if (info.mHMusic != nullptr && mFMod->FMUSIC_FreeSong != nullptr)
        mFMod->FMUSIC_FreeSong(info.mHMusic);
}

bool FModMusicInterface::LoadMusic(int songId, const std::string& fileName)
{
    FModMusicInfo info;
    info.mHMusic = mFMod->FMUSIC_LoadSong(fileName.c_str());
    if (info.mHMusic == nullptr)
        return false;
    // An id already in use keeps its song.
    if (!mMusicMap.emplace(songId, info).second)
        FreeUnused(info);
    return true;
}

void FModMusicInterface::PlayMusic(int songId, int offset, bool noLoop)
{
    FModMusicInfo* info = Find(songId);
    if (info == nullptr)
        return;
    info->mVolume = info->mVolumeCap;
    info->mVolumeAdd = 0.0;
    if (info->mHMusic != nullptr) {
        ApplyVolume(songId, *info);
        mFMod->FMUSIC_SetLooping(info->mHMusic, noLoop ? kSongOnce : kSongLoops);
        mFMod->FMUSIC_PlaySong(info->mHMusic);
        mFMod->FMUSIC_SetOrder(info->mHMusic, offset);
    } else {
        mFMod->FSOUND_PlaySound(songId, info->mHSample);
        mFMod->FSOUND_SetLoopMode(songId, info->mRepeatSample ? Plat::kFSoundLoopNormal : Plat::kFSoundLoopOff);
        ApplyVolume(songId, *info);
    }
}

void FModMusicInterface::StopMusic(int songId)
{
    FModMusicInfo* info = Find(songId);
    if (info == nullptr)
        return;
    info->mVolume = 0.0;
    StopSong(songId, *info);
}

void FModMusicInterface::SetPaused(int songId, int paused)
{
    const FModMusicInfo* info = Find(songId);
    if (info == nullptr)
        return;
    if (info->mHMusic != nullptr)
        mFMod->FMUSIC_SetPaused(info->mHMusic, paused);
    else
        mFMod->FSOUND_SetPaused(songId, paused);
}

void FModMusicInterface::PauseMusic(int songId)
{
    SetPaused(songId, 1);
}

void FModMusicInterface::ResumeMusic(int songId)
{
    SetPaused(songId, 0);
}

void FModMusicInterface::StopAllMusic()
{
    for (auto& [songId, info] : mMusicMap) {
        info.mVolume = 0.0;
        StopSong(songId, info);
    }
}

void FModMusicInterface::FadeIn(int songId, int offset, double speed, bool noLoop)
{
    FModMusicInfo* info = Find(songId);
    if (info == nullptr)
        return;
    info->mVolumeAdd = speed;
    if (info->mHMusic != nullptr) {
        ApplyVolume(songId, *info);
        mFMod->FMUSIC_SetLooping(info->mHMusic, noLoop ? kSongOnce : kSongLoops);
        if (mFMod->FMUSIC_IsPlaying(info->mHMusic) == 0)
            mFMod->FMUSIC_PlaySong(info->mHMusic);
        if (offset != -1)
            mFMod->FMUSIC_SetOrder(info->mHMusic, offset);
    } else {
        if (mFMod->FSOUND_IsPlaying(songId) == 0) {
            mFMod->FSOUND_PlaySound(songId, info->mHSample);
            mFMod->FSOUND_SetLoopMode(songId,
                                      info->mRepeatSample ? Plat::kFSoundLoopNormal : Plat::kFSoundLoopOff);
        }
        ApplyVolume(songId, *info);
    }
}

void FModMusicInterface::FadeOut(int songId, bool stopSong, double speed)
{
    FModMusicInfo* info = Find(songId);
    if (info == nullptr)
        return;
    info->mStopOnFade = stopSong;
    info->mVolumeAdd = -speed;
}

void FModMusicInterface::FadeOutAll(bool stopSong, double speed)
{
    for (auto& entry : mMusicMap) {
        entry.second.mStopOnFade = stopSong;
        entry.second.mVolumeAdd = -speed;
    }
}

void FModMusicInterface::SetSongVolume(int songId, double volume)
{
    FModMusicInfo* info = Find(songId);
    if (info == nullptr)
        return;
    info->mVolume = volume;
    ApplyVolume(songId, *info);
}

bool FModMusicInterface::IsPlaying(int songId)
{
    const FModMusicInfo* info = Find(songId);
    if (info == nullptr)
        return false;
    // A sample song's state is its channel's.
    if (info->mHMusic != nullptr)
        return mFMod->FMUSIC_IsPlaying(info->mHMusic) != 0;
    return mFMod->FSOUND_IsPlaying(songId) != 0;
}

void FModMusicInterface::SetVolume(double volume)
{
    mMasterVolume = volume;
    for (const auto& [songId, info] : mMusicMap)
        ApplyVolume(songId, info);
}

void FModMusicInterface::Update()
{
    for (auto& [songId, info] : mMusicMap) {
        if (info.mVolumeAdd == 0.0)
            continue;
        if (StepSongFade(info.mVolume, info.mVolumeAdd, info.mVolumeCap, info.mStopOnFade))
            StopSong(songId, info);
        ApplyVolume(songId, info);
    }
}

bool FModMusicInterface::LoadSample(int songId, const std::string& soundName, bool repeat)
{
    FModMusicInfo info;
    info.mHSample = LoadSampleFile(soundName);
    if (info.mHSample == nullptr)
        return false;
    info.mRepeatSample = repeat;
    if (!mMusicMap.emplace(songId, info).second)
        FreeUnused(info);
    return true;
}

bool FModMusicInterface::LoadSampleWithIntro(int songId, const std::string& introName, const std::string& loopName,
                                             bool repeat)
{
    Plat::FSoundSample* intro = LoadSampleFile(introName);
    Plat::FSoundSample* loop = LoadSampleFile(loopName);
    Plat::FSoundSample* joined = nullptr;
    // Every failure frees what was made so far.
    const auto fail = [&]() {
        for (Plat::FSoundSample* sample : {intro, loop, joined})
            if (sample != nullptr)
                mFMod->FSOUND_Sample_Free(sample);
        return false;
    };
    if (intro == nullptr || loop == nullptr)
        return fail();

    const FModSampleFormat introFormat = GetFModSampleFormat(*mFMod, intro);
    const FModSampleFormat loopFormat = GetFModSampleFormat(*mFMod, loop);
    if (introFormat.rate != loopFormat.rate || introFormat.mode != loopFormat.mode)
        return fail();

    const int introRate = introFormat.rate;
    const unsigned introMode = introFormat.mode;
    const uint64_t introLength = introFormat.frames;
    const uint64_t loopLength = loopFormat.frames;
    const uint64_t frameBytes = introFormat.FrameBytes();
    const uint64_t totalLength = introLength + loopLength;
    if (introLength == 0 || loopLength == 0 || totalLength * frameBytes > uint64_t(INT_MAX))
        return fail();
    const uint32_t introBytes = uint32_t(introLength * frameBytes);
    const uint32_t loopBytes = uint32_t(loopLength * frameBytes);
    joined = mFMod->FSOUND_Sample_Alloc(Plat::kFSoundFree, int(totalLength), introMode | Plat::kFSoundLoopNormal,
                                        introRate, 255, 128, 0);
    if (joined == nullptr)
        return fail();

    void* target[2] = {nullptr, nullptr};
    unsigned targetBytes[2] = {0, 0};
    if (mFMod->FSOUND_Sample_Lock(joined, 0, int(introBytes + loopBytes), &target[0], &target[1], &targetBytes[0],
                                  &targetBytes[1]) == 0)
        return fail();
    const bool copied = target[0] != nullptr && targetBytes[0] >= introBytes + loopBytes &&
                        CopyFModSample(*mFMod, intro, target[0], introBytes) &&
                        CopyFModSample(*mFMod, loop, static_cast<uint8_t*>(target[0]) + introBytes, loopBytes);
    mFMod->FSOUND_Sample_Unlock(joined, target[0], target[1], targetBytes[0], targetBytes[1]);
    if (!copied)
        return fail();

    mFMod->FSOUND_Sample_Free(intro);
    mFMod->FSOUND_Sample_Free(loop);
    // The intro plays once, then the loop part repeats whole.
    mFMod->FSOUND_Sample_SetLoopPoints(joined, int(introLength), int(totalLength));

    FModMusicInfo info;
    info.mHSample = joined;
    info.mRepeatSample = repeat;
    if (!mMusicMap.emplace(songId, info).second)
        FreeUnused(info);
    return true;
}

Plat::FSoundSample* FModMusicInterface::LoadSampleFile(const std::string& soundName)
{
    // One flat folder: the copy is named after the file alone.
    const std::string cached = GetAppDataFolder() + "cached\\" + GetFileName(soundName, true) + ".wav";
    MkDir(GetFileDir(cached));
    Plat::FSoundSample* sample = mFMod->FSOUND_Sample_Load(Plat::kFSoundFree, cached.c_str(), 0, 0);
    if (sample != nullptr)
        return sample;
    sample = mFMod->FSOUND_Sample_Load(Plat::kFSoundFree, (soundName + ".ogg").c_str(), 0, 0);
    if (sample == nullptr)
        return nullptr;

    const FModSampleFormat format = GetFModSampleFormat(*mFMod, sample);
    const uint64_t dataSize = format.DataBytes();
    if (dataSize == 0 || dataSize > uint64_t(INT_MAX) || format.rate <= 0)
        return sample;

    // The plain WAVE file: "fmt " and "data" only. Only what the lock hands
    // out is written, never more.
    const uint32_t size = uint32_t(dataSize);
    WavWriter out;
    out.Reserve(44 + size_t(size));
    out.PcmHeader(size + 36, format.channels, uint32_t(format.rate), format.bits);
    out.Tag("data");
    out.U32(size);
    std::vector<uint8_t>& file = out.Data();
    const size_t dataAt = file.size();
    file.resize(dataAt + size);
    // Written whole or not at all: a cut-off copy would be loaded on every
    // later run.
    if (CopyFModSample(*mFMod, sample, file.data() + dataAt, size))
        Plat::WriteFileAtomically(Plat::GetFileSystem().NativePath(cached), file.data(), file.size());
    return sample;
}

} // namespace Lumo
