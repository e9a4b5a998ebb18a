// The game's sound layer over our own sound library and an offline sound
// card: an Ogg Vorbis file from the game's archive is loaded, heard, paused
// and resumed with the focus; without a card the game runs silent.
#include "game/engine/BassSoundLayer.h"

#include "game/engine/GameFile.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/SampleEntry.h"
#include "framework/core/PakClient.h"
#include "framework/core/PakInterface.h"
#include "platform/audio/BassAudio.h"

#include "support/PakArchiveWriter.h"
#include "support/ScopedEnvironment.h"
#include "support/SoundFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 22050;

int Peak(const std::vector<int16_t>& samples)
{
    int peak = 0;
    for (int16_t sample : samples)
        peak = std::max(peak, std::abs(int(sample)));
    return peak;
}

class BassSoundLayerPlaybackTest : public testing::Test {
protected:
    void SetUp() override
    {
        // A mono tone made by the test's own encoder, kept in the archive
        // under the name the data uses.
        const std::string oggPath = folder.Join("tone.ogg");
        const std::string command = std::string("\"") + LUMO_OGG_FIXTURE + "\" \"" + oggPath + "\" 1 " +
                                    std::to_string(kRate) + " " + std::to_string(kFrames);
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(oggPath, std::ios::binary);
        PakArchiveItem item;
        item.name = "audio\\tone.ogg";
        item.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ASSERT_GT(item.bytes.size(), 100u);
        folder.Write("main.pak", PakArchiveWriter::Build({item}));
        ASSERT_TRUE(pak.AddPakFile(folder.Join("main.pak")));
        original = Lumo::SetPakInterface(&pak);
    }
    void TearDown() override
    {
        Plat::BASS_Free();
        Lumo::SetPakInterface(original);
    }

    // An offline sound card for the test; it outlives the output, which is
    // let go in TearDown.
    LumoTest::OfflineSound& InstallCard()
    {
        card = std::make_unique<LumoTest::OfflineSound>();
        return *card;
    }

    TempFolder folder;
    PakInterface pak;
    PakInterface* original = nullptr;
    std::unique_ptr<LumoTest::OfflineSound> card;
};

TEST_F(BassSoundLayerPlaybackTest, PlaysASampleFromTheArchivePausedAndResumedWithTheFocus)
{
    LumoTest::OfflineSound& sound = InstallCard();
    BassSoundLayer layer;
    layer.InitSound(nullptr);
    ASSERT_TRUE(layer.IsSoundOn());
    EXPECT_TRUE(sound.device.IsOpen());

    SampleEntry* entry = layer.GetSample("audio\\tone.ogg", 0, 0);
    ASSERT_NE(entry, nullptr);
    Plat::BassSampleInfo info;
    ASSERT_EQ(Plat::BASS_SampleGetInfo(entry->mSample, &info), 1);
    EXPECT_EQ(info.frequency, uint32_t(kRate));
    EXPECT_EQ(info.length, uint32_t(kFrames * 2));

    layer.PlaySample(entry, kDefaultSampleRate);
    const uint32_t channel = uint32_t(layer.GetSampleChannel(entry));
    EXPECT_EQ(Plat::BASS_ChannelIsActive(channel), Plat::kBassActivePlaying);
    EXPECT_GT(Peak(sound.device.Render(2000)), 1000);

    layer.PauseSound();
    EXPECT_EQ(Peak(sound.device.Render(2000)), 0);
    layer.ResumeSound();
    EXPECT_GT(Peak(sound.device.Render(2000)), 1000);

    // Brought down to silence, the channel plays on unheard; stopped, it ends.
    layer.SetChannelVolume(entry, 0.0f);
    EXPECT_EQ(Peak(sound.device.Render(2000)), 0);
    EXPECT_EQ(Plat::BASS_ChannelIsActive(channel), Plat::kBassActivePlaying);
    layer.SetChannelVolume(entry, -1.0f);
    EXPECT_EQ(Plat::BASS_ChannelIsActive(channel), Plat::kBassActiveStopped);

    const uint32_t sample = entry->mSample;
    layer.FreeAllSamples();
    EXPECT_EQ(Plat::BASS_SampleGetInfo(sample, &info), 0);
}

TEST_F(BassSoundLayerPlaybackTest, WithoutASoundCardTheGameRunsSilent)
{
    LumoTest::OfflineSound& sound = InstallCard();
    sound.device.available = false;
    BassSoundLayer layer;
    layer.InitSound(nullptr);
    EXPECT_FALSE(layer.IsSoundOn());
    EXPECT_EQ(layer.GetSample("audio\\tone.ogg", 0, 0), nullptr);
    layer.PlaySample(nullptr, kDefaultSampleRate);
    layer.PauseSound();
    layer.ResumeSound();
}

// Every sound the data index names loads through the layer; the hover sound
// is recorded at 44.1 kHz, so that its raised rates stay near its own.
TEST_F(BassSoundLayerPlaybackTest, EverySoundOfTheDataSetLoads)
{
    const std::string source = __FILE__;
    const std::string data = source.substr(0, source.rfind("/tests/")) + "/data/";
    size_t size = 0;
    std::unique_ptr<char[]> index = ReadWholeFile((data + "config.xml").c_str(), size);
    ASSERT_NE(index, nullptr);

    InstallCard();
    BassSoundLayer layer;
    layer.InitSound(nullptr);
    ASSERT_TRUE(layer.IsSoundOn());
    int sounds = 0;
    const char* position = index.get();
    for (;;) {
        ObjectXmlElement tag;
        position = ReadNextXmlTag(position, tag);
        if (tag.GetTagName()[0] == '\0')
            break;
        if (!tag.IsTag("sound"))
            continue;
        const std::string name = tag.GetAttribute("name");
        SampleEntry* entry = layer.GetSample((data + name).c_str(), tag.GetAttributeInt("loop"), 0);
        ASSERT_NE(entry, nullptr) << name;
        ++sounds;
        if (name == "audio\\hot.ogg") {
            Plat::BassSampleInfo info;
            ASSERT_EQ(Plat::BASS_SampleGetInfo(entry->mSample, &info), 1);
            EXPECT_EQ(info.frequency, 44100u);
        }
    }
    EXPECT_GE(sounds, 2);
    EXPECT_EQ(layer.SampleCount(), size_t(sounds));
}

// The whole way out through SDL: its disk driver writes what the card
// would have played into a file.
TEST_F(BassSoundLayerPlaybackTest, ThroughSdlsDiskDriverTheToneReachesTheFile)
{
    const std::string output = folder.Join("played.raw");
    {
        LumoTest::ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
        LumoTest::ScopedEnvironment file("SDL_DISKAUDIOFILE", output);
        BassSoundLayer layer;
        layer.InitSound(nullptr);
        if (!layer.IsSoundOn())
            GTEST_SKIP() << "SDL has no disk audio driver here";
        layer.PlaySample(layer.GetSample("audio\\tone.ogg", 0, 0), kDefaultSampleRate);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        layer.FreeAllSamples();
        Plat::BASS_Free();
    }
    const std::string played = folder.Read("played.raw");
    ASSERT_GE(played.size(), 4000u);
    std::vector<int16_t> samples(played.size() / 2);
    std::memcpy(samples.data(), played.data(), samples.size() * 2);
    EXPECT_GT(Peak(samples), 1000);
}

} // namespace
