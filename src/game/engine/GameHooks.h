// What the engine asks of the parts built over it: the game's own object
// kinds, text keys, tuning values, strip fonts, player profiles, keys and the
// display. The base answers as a bare engine would (no game kinds, keys as
// their own text, no profile); the game installs its own answers.
#pragma once

#include <string>

class AnimObject;
class Level;
class ObjectEvent;
class ObjectXmlElement;
class PlayerProfiles;

class GameHooks {
public:
    virtual ~GameHooks();

    // An object of a kind the engine does not know, or null: the loader then
    // makes a plain pooled object.
    virtual AnimObject* CreateGameObject(const char* type);
    // The text a key stands for; the base gives the key itself.
    virtual std::string ResolveTextKey(const char* key);

    // Elements of the game data index: "global" (tuning values, read by the
    // gameplay), "font" and "kern" (the base loads the strip font into the
    // game state's font list and kerns the latest one).
    virtual void ReadTuning(const ObjectXmlElement& element);
    virtual void LoadFont(const ObjectXmlElement& element);
    virtual void KernFont(const ObjectXmlElement& element);

    // The current profile's game mode; a mode outside 0..3 is not taken.
    virtual int GetProfileMode();
    virtual void SetProfileMode(int mode);
    // The number the next played level gets.
    virtual void SetNextLevelNumber(int number);
    // The event actions that act on player profiles and scores.
    virtual void RunProfileAction(ObjectEvent& event);
    // The gameplay's part of a progress reset (the trick table) and of the
    // default player file (its own honour rolls); the base does nothing.
    virtual void ResetTrickshotProgress();
    virtual void ResetHonorRolls(PlayerProfiles& profiles);

    // True once per press of the key.
    virtual bool WasKeyPressed(int keyCode);
    virtual void Set3D(bool enable);
    // Restarts the tick clock after a screen was built, so the time spent
    // building is not made up with a burst of ticks.
    virtual void ResetTickClock();
    // The player's music volume, 0 to 100.
    virtual float GetMusicVolume();

    // The played level's own steps of a screen's tick (a bare engine's
    // screens have none): before the music fades, and after them.
    virtual void LevelTickBeforeMusic(Level& level);
    virtual void LevelTickAfterMusic(Level& level);
};
