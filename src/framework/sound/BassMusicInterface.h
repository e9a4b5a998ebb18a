// The music player over the BASS library: module songs and streams, with
// per-frame volume fades.
#pragma once

#include <map>

#include "framework/sound/BassMusicInfo.h"
#include "framework/sound/MusicInterface.h"

namespace Plat {
class Window;
}

namespace Lumo {

class BASS_INSTANCE;

class BassMusicInterface : public MusicInterface {
public:
    explicit BassMusicInterface(Plat::Window* window);
    ~BassMusicInterface() override;

    bool LoadMusic(int songId, const std::string& fileName) override;
    void PlayMusic(int songId, int offset = 0, bool noLoop = false) override;
    void StopMusic(int songId) override;
    void PauseMusic(int songId) override;
    void ResumeMusic(int songId) override;
    void StopAllMusic() override;
    void UnloadMusic(int songId) override;
    void UnloadAllMusic() override;
    void PauseAllMusic() override;
    void ResumeAllMusic() override;
    void FadeIn(int songId, int offset = -1, double speed = 0.002, bool noLoop = false) override;
    void FadeOut(int songId, bool stopSong = true, double speed = 0.004) override;
    void FadeOutAll(bool stopSong = true, double speed = 0.004) override;
    void SetSongVolume(int songId, double volume) override;
    void SetSongMaxVolume(int songId, double volume) override;
    bool IsPlaying(int songId) override;
    void SetVolume(double volume) override;
    void SetMusicAmplify(int songId, double amplify) override;
    void Update() override;

    // The song's state (null when not loaded), for callers that inspect fades.
    const BassMusicInfo* FindSong(int songId) const;

private:
    void SetChannelVolume(const BassMusicInfo& info);
    void FreeSong(const BassMusicInfo& info);

    BASS_INSTANCE* mBass = nullptr; // a counted reference
    std::map<int, BassMusicInfo> mMusicMap;
    int mMaxMusicVolume = 40;
};

} // namespace Lumo
