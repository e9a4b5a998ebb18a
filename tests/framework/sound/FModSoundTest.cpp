// The sound manager's FMOD side over a recording library: FSOUND started
// and closed with the device, and ".mp3" sounds decoded by the library.
#include "framework/sound/DSoundManager.h"
#include "framework/sound/FModInstance.h"
#include "platform/audio/SoundBuffer.h"
#include "support/DecoderFixtures.h"
#include "support/FakeFModLibrary.h"
#include "support/SoundFixtures.h"
#include "support/SoundFolderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using Lumo::DSoundManager;
using LumoTest::FakeFModLibrary;
using Calls = std::vector<std::string>;

namespace {

class FModSoundFolderTest : public LumoTest::SoundFolderTest {
protected:
    // The id's sample bytes; empty when the id holds nothing.
    static std::vector<uint8_t> Bytes(const DSoundManager& manager, unsigned id)
    {
        return BufferBytes(manager.GetSourceBuffer(id));
    }

    LumoTest::OfflineSound sound;
};

class FModSoundTest : public FModSoundFolderTest {
protected:
    FakeFModLibrary fake;
};

TEST_F(FModSoundTest, FSoundStartsAndClosesWithTheDeviceWhenAsked)
{
    struct Case {
        const char* name;
        bool window;
        bool useFMod;
        Calls calls;
    };
    const Case cases[] = {
        {"FMOD with a device", true, true,
         {"SetHWND window", "SetBufferSize 200", "Init 44100 64 2", "Close"}},
        {"no FMOD", true, false, {}},
        {"no window", false, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.TakeCalls();
        {
            DSoundManager manager(c.window ? LumoTest::FakeWindow() : nullptr, c.useFMod);
            EXPECT_EQ(Lumo::PeekFModInstance() != nullptr, c.window && c.useFMod);
        }
        EXPECT_EQ(fake.TakeCalls(), c.calls);
        EXPECT_EQ(Lumo::PeekFModInstance(), nullptr);
    }
}

TEST_F(FModSoundTest, Mp3SoundsLoadThroughTheLibraryOnlyWhenAsked)
{
    // 300 frames of 16-bit stereo at 32000 Hz.
    fake.AddSampleFile("audio\\x.mp3", 32000, Plat::kFSound16Bits | Plat::kFSoundStereo, 300, 3);
    const std::vector<uint8_t> expected = fake.sampleFiles["audio\\x.mp3"].bytes;
    {
        DSoundManager manager(LumoTest::FakeWindow(), false);
        EXPECT_FALSE(manager.LoadSound(1, "audio\\x"));
    }
    DSoundManager manager(LumoTest::FakeWindow(), true);
    fake.TakeCalls();
    ASSERT_TRUE(manager.LoadSound(1, "audio\\x"));
    EXPECT_EQ(manager.GetDataSize(1), 1200u);
    EXPECT_EQ(Bytes(manager, 1), expected);
    Plat::WaveFormat format;
    manager.GetSourceBuffer(1)->GetFormat(format);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSec, 32000u);
    EXPECT_EQ(format.bitsPerSample, 16);
    const Calls calls = fake.TakeCalls();
    EXPECT_EQ(Calls(calls.end() - 4, calls.end()), (Calls{"Load -1 audio\\x.mp3 0 0", "Lock audio\\x.mp3 0 1200",
                                                          "Unlock audio\\x.mp3 1200 0", "Free audio\\x.mp3"}));
    EXPECT_TRUE(fake.LiveSamples().empty());
    // The decoded sound is kept as a cached WAV like any compressed one.
    EXPECT_TRUE(temp.Exists("appdata/cached/audio/x.wav"));
}

TEST_F(FModSoundTest, Mp3ThatCannotBeReadOutDoesNotLoad)
{
    fake.AddSampleFile("y.mp3", 22050, Plat::kFSound16Bits | Plat::kFSoundMono, 100, 0, true);
    fake.AddSampleFile("empty.mp3", 22050, Plat::kFSound16Bits | Plat::kFSoundMono, 0);
    DSoundManager manager(LumoTest::FakeWindow(), true);
    for (const char* name : {"y", "empty", "missing"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(manager.LoadSound(2, name));
        EXPECT_EQ(manager.GetSourceBuffer(2), nullptr);
        EXPECT_TRUE(fake.LiveSamples().empty());
    }
}

TEST_F(FModSoundFolderTest, Mp3DecodedByOurLibrary)
{
    temp.Write("work/audio/quiet.mp3", LumoTest::MakeSilentMp3(8, true));
    DSoundManager manager(LumoTest::FakeWindow(), true);
    ASSERT_TRUE(manager.LoadSound(4, "audio\\quiet"));
    Plat::WaveFormat format;
    manager.GetSourceBuffer(4)->GetFormat(format);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSec, 44100u);
    EXPECT_EQ(format.bitsPerSample, 16);
    // Whole stereo frames of silence; at most the 8 x 1152 frames written.
    const std::vector<uint8_t> bytes = Bytes(manager, 4);
    EXPECT_GT(bytes.size(), 0u);
    EXPECT_LE(bytes.size(), 8u * 1152u * 4u);
    EXPECT_EQ(bytes.size() % 4, 0u);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), long(bytes.size()));
    EXPECT_FALSE(manager.LoadSound(5, "audio\\missing"));
}

} // namespace
