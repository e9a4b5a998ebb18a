// The music service: songs addressed by small integer ids, loaded, played,
// faded and unloaded. This base class is the silent player used when the
// program runs without sound; every operation does nothing.
#pragma once

#include <string>

namespace Lumo {

class MusicInterface {
public:
    MusicInterface() = default;
    virtual ~MusicInterface();
    MusicInterface(const MusicInterface&) = delete;
    MusicInterface& operator=(const MusicInterface&) = delete;

    virtual bool LoadMusic(int songId, const std::string& fileName);
    // Offset: an order for a module song, a byte position for a stream
    // (-1: do not restart).
    virtual void PlayMusic(int songId, int offset = 0, bool noLoop = false);
    virtual void StopMusic(int songId);
    virtual void PauseMusic(int songId);
    virtual void ResumeMusic(int songId);
    virtual void StopAllMusic();
    virtual void UnloadMusic(int songId);
    virtual void UnloadAllMusic();
    virtual void PauseAllMusic();
    virtual void ResumeAllMusic();
    // Speeds are volume changes per Update (once a frame).
    virtual void FadeIn(int songId, int offset = -1, double speed = 0.002, bool noLoop = false);
    virtual void FadeOut(int songId, bool stopSong = true, double speed = 0.004);
    virtual void FadeOutAll(bool stopSong = true, double speed = 0.004);
    virtual void SetSongVolume(int songId, double volume);
    virtual void SetSongMaxVolume(int songId, double volume);
    virtual bool IsPlaying(int songId);
    virtual void SetVolume(double volume);
    virtual void SetMusicAmplify(int songId, double amplify);
    virtual void Update();
};

} // namespace Lumo
