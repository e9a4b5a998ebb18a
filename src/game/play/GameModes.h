// The four game modes and the values the modes keep for the whole run: the
// number the next played level gets, the map's thumbnail order and the
// quotes shown between levels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class AnimObject;
class Level;
class LevelRecord;
class PlayerProfile;
template <class T>
class ObjectList;

enum GameMode : int {
    kFlood = 0,
    kJourney = 1,
    kSurvival = 2,
    kTrickshot = 3,
};

// One quote: its lines as read, in order.
struct Quote {
    std::vector<std::string> lines;
};

struct ModeState {
    // Set by "NEXT_LEVEL", the level-select map and "set_level_number";
    // read by "THIS_LEVEL".
    uint32_t nextLevelNumber = 1;
    // Later thumbnails of the map lie below earlier ones.
    float thumbnailZ = 0.0f;
    // The quote lists, read once on first use.
    bool quotesLoaded = false;
    std::vector<Quote> journeyQuotes;
    std::vector<Quote> floodQuotes;
    // Advances 0, 1, 2, 0, ... with each quote shown.
    int quoteCounter = 0;
};

// The modes' values of the current game (held by the gameplay's hooks).
ModeState& Modes();

// The current profile and its mode (0..3, whatever the record holds).
PlayerProfile& CurrentProfile();
int CurrentMode();
// The current mode's progress, never negative.
int CurrentProgress();

// The level list a mode plays: the relaxed list in Journey, the main list otherwise.
const ObjectList<LevelRecord>& ModeLevelList(int mode);
// The bottom screen of the live list as a level, or null.
Level* BottomLevel();
// The innermost of the three nested layers of a screen, or null.
AnimObject* InnerLayerOf(AnimObject* screen);
