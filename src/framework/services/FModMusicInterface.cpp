#include "framework/services/FModMusicInterface.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "framework/services/AppDataFolder.h"
#include "framework/services/FModInstance.h"
#include "framework/services/PathUtils.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

namespace Lumo {

namespace {

// FMUSIC takes a looping flag; FSOUND loop modes.
constexpr int kSongOnce = 0;
constexpr int kSongLoops = 1;

unsigned FrameBytes(unsigned mode)
{
    const unsigned channels = (mode & Plat::kFSoundMono) != 0 ? 1 : 2;
    const unsigned bytes = (mode & Plat::kFSound8Bits) != 0 ? 1 : 2;
    return channels * bytes;
}

void PutU16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

// The plain WAVE file of the decoded sample: "fmt " and "data" only.
std::vector<uint8_t> PlainWav(unsigned channels, uint32_t rate, unsigned bits, const uint8_t* data, uint32_t size)
{
    const uint32_t blockAlign = channels * bits / 8;
    std::vector<uint8_t> out;
    out.reserve(44 + size_t(size));
    PutTag(out, "RIFF");
    PutU32(out, size + 36);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, 1);
    PutU16(out, channels);
    PutU32(out, rate);
    PutU32(out, blockAlign * rate);
    PutU16(out, blockAlign);
    PutU16(out, bits);
    PutTag(out, "data");
    PutU32(out, size);
    out.insert(out.end(), data, data + size);
    return out;
}

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

void FModMusicInterface::PauseMusic(int songId)
{
    const FModMusicInfo* info = Find(songId);
    if (info == nullptr)
        return;
    if (info->mHMusic != nullptr)
        mFMod->FMUSIC_SetPaused(info->mHMusic, 1);
    else
        mFMod->FSOUND_SetPaused(songId, 1);
}

void FModMusicInterface::ResumeMusic(int songId)
{
    const FModMusicInfo* info = Find(songId);
    if (info == nullptr)
        return;
    if (info->mHMusic != nullptr)
        mFMod->FMUSIC_SetPaused(info->mHMusic, 0);
    else
        mFMod->FSOUND_SetPaused(songId, 0);
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
        info.mVolume += info.mVolumeAdd;
        if (info.mVolume > info.mVolumeCap) {
            info.mVolume = info.mVolumeCap;
            info.mVolumeAdd = 0.0;
        } else if (info.mVolume < 0.0) {
            info.mVolume = 0.0;
            info.mVolumeAdd = 0.0;
            if (info.mStopOnFade)
                StopSong(songId, info);
        }
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

    int introRate = 0;
    int loopRate = 0;
    mFMod->FSOUND_Sample_GetDefaults(intro, &introRate, nullptr, nullptr, nullptr);
    const unsigned introMode = mFMod->FSOUND_Sample_GetMode(intro);
    const uint64_t introLength = mFMod->FSOUND_Sample_GetLength(intro);
    mFMod->FSOUND_Sample_GetDefaults(loop, &loopRate, nullptr, nullptr, nullptr);
    const unsigned loopMode = mFMod->FSOUND_Sample_GetMode(loop);
    const uint64_t loopLength = mFMod->FSOUND_Sample_GetLength(loop);
    if (introRate != loopRate || introMode != loopMode)
        return fail();

    const uint64_t frameBytes = FrameBytes(introMode);
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
    bool copied = targetBytes[0] >= introBytes + loopBytes;
    const struct {
        Plat::FSoundSample* sample;
        uint32_t bytes;
        uint32_t at;
    } parts[2] = {{intro, introBytes, 0}, {loop, loopBytes, introBytes}};
    for (const auto& part : parts) {
        void* source[2] = {nullptr, nullptr};
        unsigned sourceBytes[2] = {0, 0};
        if (!copied || mFMod->FSOUND_Sample_Lock(part.sample, 0, int(part.bytes), &source[0], &source[1],
                                                 &sourceBytes[0], &sourceBytes[1]) == 0) {
            copied = false;
            break;
        }
        if (sourceBytes[0] >= part.bytes)
            std::memcpy(static_cast<uint8_t*>(target[0]) + part.at, source[0], part.bytes);
        else
            copied = false;
        mFMod->FSOUND_Sample_Unlock(part.sample, source[0], source[1], sourceBytes[0], sourceBytes[1]);
    }
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

    const unsigned mode = mFMod->FSOUND_Sample_GetMode(sample);
    int rate = 0;
    mFMod->FSOUND_Sample_GetDefaults(sample, &rate, nullptr, nullptr, nullptr);
    const unsigned channels = (mode & Plat::kFSoundMono) != 0 ? 1 : 2;
    const unsigned bits = (mode & Plat::kFSound8Bits) != 0 ? 8 : 16;
    const uint64_t dataSize = uint64_t(mFMod->FSOUND_Sample_GetLength(sample)) * (channels * bits / 8);
    if (dataSize == 0 || dataSize > uint64_t(INT_MAX) || rate <= 0)
        return sample;

    void* part[2] = {nullptr, nullptr};
    unsigned partBytes[2] = {0, 0};
    if (mFMod->FSOUND_Sample_Lock(sample, 0, int(dataSize), &part[0], &part[1], &partBytes[0], &partBytes[1]) != 0) {
        // Only what the lock handed out is written, never more.
        if (partBytes[0] >= dataSize && part[0] != nullptr) {
            const std::vector<uint8_t> file = PlainWav(channels, uint32_t(rate), bits,
                                                       static_cast<const uint8_t*>(part[0]), uint32_t(dataSize));
            // Written whole or not at all: a cut-off copy would be loaded
            // on every later run.
            Plat::WriteFileAtomically(Plat::GetFileSystem().NativePath(cached), file.data(), file.size());
        }
        mFMod->FSOUND_Sample_Unlock(sample, part[0], part[1], partBytes[0], partBytes[1]);
    }
    return sample;
}

} // namespace Lumo
