// The music player over the FMOD library: module songs through FMUSIC and
// whole-file samples through FSOUND (a sample song plays on the channel
// numbered by its id), including looping samples joined from an intro and
// a loop part. FSOUND itself is started by the sound manager.
#pragma once

#include <map>
#include <string>

#include "framework/sound/FModMusicInfo.h"
#include "framework/sound/MusicInterface.h"

namespace Plat {
class Window;
}

namespace Lumo {

class FMOD_INSTANCE;

class FModMusicInterface : public MusicInterface {
public:
    // The window is not used.
    explicit FModMusicInterface(Plat::Window* window);
    // Songs are not freed one by one: closing FSOUND frees them.
    ~FModMusicInterface() override;

    bool LoadMusic(int songId, const std::string& fileName) override;
    void PlayMusic(int songId, int offset = 0, bool noLoop = false) override;
    void StopMusic(int songId) override;
    void PauseMusic(int songId) override;
    void ResumeMusic(int songId) override;
    void StopAllMusic() override;
    void FadeIn(int songId, int offset = -1, double speed = 0.002, bool noLoop = false) override;
    void FadeOut(int songId, bool stopSong = true, double speed = 0.004) override;
    void FadeOutAll(bool stopSong = true, double speed = 0.004) override;
    void SetSongVolume(int songId, double volume) override;
    bool IsPlaying(int songId) override;
    void SetVolume(double volume) override;
    void Update() override;

    // A song played once through its intro, then looping over its loop part
    // (both parts: sound names without extension, same rate and format).
    virtual bool LoadSampleWithIntro(int songId, const std::string& introName, const std::string& loopName,
                                     bool repeat);
    // A whole-file sample song from the sound name (without extension).
    virtual bool LoadSample(int songId, const std::string& soundName, bool repeat);

    // The sound decoded: from the plain WAV copy that an earlier run left in
    // the application data folder ("cached\\" + file name + ".wav"), else
    // from the sound name + ".ogg", leaving that copy for the next run.
    Plat::FSoundSample* LoadSampleFile(const std::string& soundName);

    // The song's state (null when not loaded), for callers that inspect fades.
    const FModMusicInfo* FindSong(int songId) const;

private:
    FModMusicInfo* Find(int songId);
    void ApplyVolume(int songId, const FModMusicInfo& info);
    void StopSong(int songId, const FModMusicInfo& info);
    void SetPaused(int songId, int paused);
    // Frees a song that was loaded into an id already taken.
    void FreeUnused(const FModMusicInfo& info);

    FMOD_INSTANCE* mFMod = nullptr; // a counted reference
    std::map<int, FModMusicInfo> mMusicMap;
    double mMasterVolume = 1.0;
    int mMaxMusicVolume = 100;  // module volume scale
    int mMaxSampleVolume = 100; // sample volume scale
};

} // namespace Lumo
