// The committed songs and sound effects as the game loads them: through our
// sound library's sample loader, the way the sound layer's GetSample does.
// Each song holds one pass of its exact length, is loud enough without
// clipping, and a looping song ends on released notes with no silent gap
// before it starts again; every sound of config.xml's list loads.
#include "game/engine/GameFile.h"
#include "game/engine/ObjectXmlElement.h"
#include "platform/audio/BassAudio.h"
#include "support/CommittedDataFixture.h"
#include "support/SoundFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double kRate = 44100.0;

// Level of an int16 magnitude against full scale, in dB.
double Dbfs(int magnitude)
{
    return 20.0 * std::log10(std::max(magnitude, 1) / 32768.0);
}

class DataSetSongsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Plat::BASS_Init(1, 44100, 0, nullptr, nullptr), 1); }
    void TearDown() override { Plat::BASS_Free(); }

    // The file loaded as the game loads it; 0 when the loader refuses it.
    uint32_t Load(const std::string& name, uint32_t flags)
    {
        size_t size = 0;
        const std::unique_ptr<char[]> data = ReadWholeFile((LumoTest::CommittedDataFolder() + name).c_str(), size);
        EXPECT_NE(data, nullptr) << name;
        if (data == nullptr)
            return 0;
        return Plat::BASS_SampleLoad(1, data.get(), 0, uint32_t(size), 4, flags);
    }

    LumoTest::OfflineSound sound;
};

struct Song {
    const char* file;
    double seconds;     // rows x ticks a row x 2.5 s / tempo
    double tickSeconds; // 2.5 s / tempo
    bool loops;
};

// Worked out from each song's rows and tempo.
const Song kSongs[] = {
    {"audio\\menu_theme.xm", 20.0, 2.5 / 96, true},         // 128 rows x 6 x 2.5 / 96
    {"audio\\lagoon_song.xm", 34.1333, 2.5 / 150, true},    // 256 x 8 x 2.5 / 150
    {"audio\\tide_song.xm", 35.84, 2.5 / 125, true},        // 256 x 7 x 2.5 / 125
    {"audio\\survival_song.xm", 29.8667, 2.5 / 150, true},  // 256 x 7 x 2.5 / 150
    {"audio\\finale.xm", 40.96, 2.5 / 125, true},           // 256 x 8 x 2.5 / 125
    {"audio\\intro_sting.xm", 4.44, 2.5 / 125, false},      // 37 x 6 x 2.5 / 125
    {"audio\\victory_fanfare.xm", 6.24, 2.5 / 125, false},  // 52 x 6 x 2.5 / 125
};

TEST_F(DataSetSongsTest, EverySongHoldsOnePassAtAGoodLevelAndLoopsCleanly)
{
    for (const Song& song : kSongs) {
        SCOPED_TRACE(song.file);
        const uint32_t sample = Load(song.file, song.loops ? Plat::kBassSampleLoop : 0);
        ASSERT_NE(sample, 0u) << Plat::BASS_ErrorGetCode();
        Plat::BassSampleInfo info;
        ASSERT_EQ(Plat::BASS_SampleGetInfo(sample, &info), 1);
        ASSERT_EQ(info.channels, 2u);
        const size_t frames = info.length / 4;
        EXPECT_NEAR(double(frames) / kRate, song.seconds, song.tickSeconds);

        const uint32_t channel = Plat::BASS_SampleGetChannel(sample, 0);
        ASSERT_EQ(Plat::BASS_ChannelPlay(channel, 1), 1);
        const std::vector<int16_t> out = sound.device.Render(frames);
        std::vector<int> magnitude(frames);
        for (size_t i = 0; i < frames; ++i)
            magnitude[i] = std::max(std::abs(int(out[2 * i])), std::abs(int(out[2 * i + 1])));
        const int peak = *std::max_element(magnitude.begin(), magnitude.end());
        EXPECT_GE(Dbfs(peak), -12.0);
        EXPECT_LE(Dbfs(peak), -1.0);

        if (song.loops) {
            // Released notes: the last 10 ms are well below the song's peak...
            const int tail = *std::max_element(magnitude.end() - 441, magnitude.end());
            EXPECT_LT(Dbfs(tail), Dbfs(peak) - 12.0);
            // ...yet the song does not fall silent (under -50 dBFS) for more
            // than a fifth of a second before it starts again.
            const int quiet = int(32768 * std::pow(10.0, -50.0 / 20.0));
            const auto lastSound =
                std::find_if(magnitude.rbegin(), magnitude.rend(), [quiet](int m) { return m >= quiet; });
            EXPECT_LE(double(lastSound - magnitude.rbegin()) / kRate, 0.2);
            // The next pass begins on a beat: sound within its first 10 ms.
            EXPECT_GT(Dbfs(*std::max_element(magnitude.begin(), magnitude.begin() + 441)), -30.0);
        }
        EXPECT_EQ(Plat::BASS_SampleFree(sample), 1);
    }
}

TEST_F(DataSetSongsTest, EverySongInTheDataSetIsChecked)
{
    std::set<std::string> checked;
    for (const Song& song : kSongs)
        checked.insert(std::string(song.file).substr(6)); // past "audio\"
    for (const auto& entry : std::filesystem::directory_iterator(LumoTest::CommittedDataFolder() + "audio")) {
        if (entry.path().extension() == ".xm") {
            EXPECT_EQ(checked.count(entry.path().filename().string()), 1u) << entry.path();
        }
    }
}

TEST_F(DataSetSongsTest, EverySoundOfTheIndexLoads)
{
    size_t size = 0;
    const std::unique_ptr<char[]> text =
        ReadWholeFile((LumoTest::CommittedDataFolder() + "config.xml").c_str(), size);
    ASSERT_NE(text, nullptr);
    int sounds = 0;
    const char* position = text.get();
    for (;;) {
        ObjectXmlElement element;
        position = ReadNextXmlTag(position, element);
        if (element.GetTagName()[0] == '\0')
            break;
        if (std::string(element.GetTagName()) != "sound")
            continue;
        ++sounds;
        const char* name = element.GetAttribute("name");
        ASSERT_NE(name, nullptr);
        const bool loops = element.GetAttributeFloat("loop") != 0.0f;
        const uint32_t sample = Load(name, loops ? Plat::kBassSampleLoop : 0);
        ASSERT_NE(sample, 0u) << name << ": error " << Plat::BASS_ErrorGetCode();
        Plat::BassSampleInfo info;
        ASSERT_EQ(Plat::BASS_SampleGetInfo(sample, &info), 1);
        EXPECT_GT(info.length, 0u) << name;
        // The chain tone is raised 3,000 Hz a step from 22,050 Hz; the hover
        // tick plays at rates around 44,100 Hz.
        const std::string file = name;
        if (file == "audio\\tone.ogg") {
            EXPECT_EQ(info.frequency, 22050u);
        }
        if (file == "audio\\hot.ogg") {
            EXPECT_EQ(info.frequency, 44100u);
        }
        Plat::BASS_SampleFree(sample);
    }
    // Click and hover, and the 28 sounds of play (the chain tone among them).
    EXPECT_EQ(sounds, 30);
}

} // namespace
