// The framework's sound-effect service as the application sees it: sounds
// are loaded into numbered ids (0-255) and heard through instances, each of
// which takes one of 32 channels.
#pragma once

#include <string>

namespace Plat {
class Window;
}

namespace Lumo {

class SoundInstance;

class SoundManager {
public:
    virtual ~SoundManager();

    // True when a sound device exists; without one every load "succeeds"
    // and every instance is silent.
    virtual bool Initialized() = 0;
    // Finds a sound already loaded under the name, or loads it into the
    // highest free id; -1 when it cannot.
    virtual int LoadSound(const std::string& fileName) = 0;
    // Loads the sound named without extension into the id.
    virtual bool LoadSound(unsigned int id, const std::string& fileName) = 0;
    virtual void ReleaseSound(unsigned int id) = 0;
    // The manager's own volume, applied to every instance.
    virtual void SetVolume(double volume) = 0;
    // Volume and pan of instances made of the id from now on.
    virtual bool SetBaseVolume(unsigned int id, double volume) = 0;
    virtual bool SetBasePan(unsigned int id, int pan) = 0;
    // A new instance of the id, owned by the manager; null when the id is
    // not loaded or all channels are busy.
    virtual SoundInstance* GetSoundInstance(unsigned int id) = 0;
    virtual void ReleaseSounds() = 0;
    virtual void ReleaseChannels() = 0;
    // The wave-output volume (0 to 1), not the manager's own.
    virtual double GetMasterVolume() = 0;
    virtual void SetMasterVolume(double volume) = 0;
    virtual void Reserved() = 0;
    virtual void SetCooperativeWindow(Plat::Window* window, bool isWindowed) = 0;
    virtual void StopAllSounds() = 0;
    virtual int GetFreeSoundId() = 0;
    virtual int GetNumSounds() = 0;
};

} // namespace Lumo
