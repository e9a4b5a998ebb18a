// A recording FMOD library for tests: every call the players make goes into
// one log as text; sample files and songs are whatever the test declares,
// with the rate, mode and length it chooses, and any lock can be made to
// fail. Installed in place of our own library for the fake's lifetime.
#pragma once

#include "platform/audio/FModLibrary.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace LumoTest {

class FakeFModLibrary {
public:
    struct Sample {
        std::string name; // the file it was loaded from, or "joined" when allocated
        int rate = 0;
        unsigned mode = 0;
        unsigned frames = 0;
        std::vector<uint8_t> bytes; // each byte: its index mod 251, plus the seed
        bool lockFails = false;
        int loopStart = -1;
        int loopEnd = -1;
        bool freed = false;
    };

    FakeFModLibrary();
    ~FakeFModLibrary();
    FakeFModLibrary(const FakeFModLibrary&) = delete;
    FakeFModLibrary& operator=(const FakeFModLibrary&) = delete;

    // A sample file FSOUND_Sample_Load finds under that exact name.
    void AddSampleFile(const std::string& name, int rate, unsigned mode, unsigned frames, uint8_t seed = 0,
                       bool lockFails = false);
    // A song file FMUSIC_LoadSong finds.
    void AddSongFile(const std::string& name) { songFiles.insert(name); }

    // The sample behind a handle the library gave out.
    Sample* Find(Plat::FSoundSample* sample);
    // The samples made so far that were not freed.
    std::vector<const Sample*> LiveSamples() const;
    // The calls logged so far, then cleared.
    std::vector<std::string> TakeCalls();

    Plat::FModLibrary library; // edit before the instance is created
    std::vector<std::string> calls;
    std::set<std::string> songFiles;
    std::map<std::string, Sample> sampleFiles;
    bool allocLockFails = false;      // locks of allocated samples fail
    std::set<int> playingChannels;    // what FSOUND_IsPlaying answers
    std::set<uintptr_t> playingSongs; // what FMUSIC_IsPlaying answers (song numbers)
    std::vector<std::unique_ptr<Sample>> samples;
    uintptr_t nextSong = 1;

private:
    Plat::FModLibraryOverride mPrevious;
    FakeFModLibrary* mPreviousFake;
};

} // namespace LumoTest
