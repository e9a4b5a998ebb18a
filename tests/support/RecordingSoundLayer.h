// A game sound layer that is on and records what would be heard: every
// sample asked for is "loaded" (unless listed as missing), and every play
// and volume change is logged in order. Header-only.
#pragma once

#include "game/engine/SampleEntry.h"
#include "game/engine/SoundLayer.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace LumoTest {

class RecordingSoundLayer : public SoundLayer {
public:
    struct Play {
        std::string name;
        int frequency;
    };
    struct Volume {
        std::string name;
        float percent;
    };

    bool IsSoundOn() const override { return true; }
    SampleEntry* GetSample(const char* name, int loop, int music) override
    {
        SampleEntry* entry = FindSample(name);
        if (entry == nullptr) {
            if (name == nullptr || missing.count(name) != 0) {
                return nullptr;
            }
            entries.push_back(std::make_unique<SampleEntry>());
            entry = entries.back().get();
            entry->mName = name;
            entry->mSample = static_cast<uint32_t>(entries.size());
        }
        entry->mLoop = loop;
        entry->mMusic = music;
        return entry;
    }
    SampleEntry* FindSample(const char* name) override
    {
        for (const std::unique_ptr<SampleEntry>& entry : entries) {
            if (name != nullptr && entry->mName == name) {
                return entry.get();
            }
        }
        return nullptr;
    }
    void PlaySample(SampleEntry* entry, int frequency) override
    {
        if (entry != nullptr) {
            entry->mChannel = ++lastChannel;
            plays.push_back(Play{entry->mName, frequency});
        }
    }
    void SetChannelVolume(SampleEntry* entry, float percent) override
    {
        if (entry != nullptr) {
            volumes.push_back(Volume{entry->mName, percent});
        }
    }
    int GetSampleChannel(SampleEntry* entry) override { return entry != nullptr ? entry->mChannel : -1; }
    void FreeSample(SampleEntry* entry) override
    {
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (it->get() == entry) {
                entries.erase(it);
                return;
            }
        }
    }

    std::set<std::string> missing; // names whose load fails
    std::vector<std::unique_ptr<SampleEntry>> entries;
    std::vector<Play> plays;
    std::vector<Volume> volumes;
    int lastChannel = 0;
};

} // namespace LumoTest

using LumoTest::RecordingSoundLayer;
