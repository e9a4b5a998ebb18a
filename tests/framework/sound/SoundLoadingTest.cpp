// Sound file loading: the WAV and AU readers on good, odd, oversized and
// cut-off files; Ogg Vorbis files made by the test's own encoder program;
// the cached WAV's exact layout, its reuse and its rebuilding; sounds read
// from a pak archive.
#include "framework/sound/DSoundManager.h"
#include "framework/core/LastWriteTime.h"
#include "framework/core/PakClient.h"
#include "framework/core/PakInterface.h"
#include "platform/audio/SoundBuffer.h"
#include "support/PakArchiveWriter.h"
#include "support/SoundFixtures.h"
#include "support/SoundFolderTest.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using Lumo::DSoundManager;
using LumoTest::FmtBody;
using LumoTest::MakeAuFile;
using LumoTest::MakePcmWav;
using LumoTest::MakeWavFile;
using LumoTest::SampleBytes;
using LumoTest::WavChunk;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr double kPi = 3.14159265358979323846;

struct Loaded {
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
    Bytes data;
};

std::string Text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

uint32_t U32At(const std::string& bytes, size_t at)
{
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

uint16_t U16At(const std::string& bytes, size_t at)
{
    return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
}

class SoundLoadingTest : public LumoTest::SoundFolderTest {
protected:
    void SetUp() override
    {
        SoundFolderTest::SetUp();
        manager = std::make_unique<DSoundManager>(LumoTest::FakeWindow(), false);
        ASSERT_TRUE(manager->Initialized());
    }
    void TearDown() override
    {
        manager.reset();
        SoundFolderTest::TearDown();
    }

    // What the id holds; empty when nothing.
    Loaded Sound(unsigned id) const
    {
        Loaded out;
        Plat::SoundBuffer* buffer = manager->GetSourceBuffer(id);
        if (buffer == nullptr)
            return out;
        Plat::WaveFormat format;
        buffer->GetFormat(format);
        out.channels = format.channels;
        out.rate = format.samplesPerSec;
        out.bits = format.bitsPerSample;
        out.data = BufferBytes(buffer);
        EXPECT_EQ(manager->GetDataSize(id), out.data.size());
        return out;
    }

    // Runs the test's encoder program; false when it fails.
    bool MakeOgg(const std::string& relative, int channels, int rate, int frames)
    {
        const std::string path = temp.Join(relative);
        temp.Write(relative, std::string()); // makes the folders
        const std::string command = std::string("\"") + LUMO_OGG_FIXTURE + "\" \"" + path + "\" " +
                                    std::to_string(channels) + " " + std::to_string(rate) + " " +
                                    std::to_string(frames);
        return std::system(command.c_str()) == 0;
    }

    std::string CachedFile(const std::string& relative) const { return temp.Read("appdata/cached/" + relative); }

    LumoTest::OfflineSound sound;
    std::unique_ptr<DSoundManager> manager;
};

TEST_F(SoundLoadingTest, WaveFiles)
{
    const Bytes pcm = SampleBytes({1, 2, 3, 4, 5, 6, 7, 8});
    const Bytes plain = MakePcmWav(2, 44100, 16, pcm);
    Bytes xored = pcm;
    for (uint8_t& b : xored)
        b ^= 0x0F;
    Bytes depMissing = {7, 0, 'n', 'o', 'n', 'e', '.', 'x', 'x', 0, 0, 0, 0, 0, 0, 0, 0};
    Bytes depStale = depMissing;
    depStale[9] = 1;
    struct Case {
        const char* name;
        Bytes file;
        bool loads;
        Loaded expected;
    };
    // A "fmt " chunk then a "data" chunk.
    const auto wav = [](const Bytes& fmt, const Bytes& data, std::optional<uint32_t> dataSize = {}) {
        return MakeWavFile({{"fmt ", fmt, {}}, {"data", data, dataSize}});
    };
    const Bytes stereo = FmtBody(1, 2, 44100, 16);
    Bytes fmt18 = FmtBody(1, 1, 11025, 16);
    fmt18.resize(18);
    Bytes fmt14 = stereo;
    fmt14.resize(14);
    Bytes notRiff = plain;
    notRiff[3] = 'X';
    Bytes notWave = plain;
    notWave[8] = 'w';
    const Case cases[] = {
        {"plain", plain, true, {2, 44100, 16, pcm}},
        {"LIST before fmt",
         MakeWavFile({{"LIST", {'I', 'N', 'F', 'O', 'x'}, {}},
                      {"fmt ", FmtBody(1, 1, 8000, 8), {}},
                      {"data", {1, 2, 3, 4}, {}}}),
         true,
         {1, 8000, 8, {1, 2, 3, 4}}},
        {"no fmt: 22050 Hz mono 16-bit", MakeWavFile({{"data", pcm, {}}}), true, {1, 22050, 16, pcm}},
        {"fmt of 18 bytes", wav(fmt18, pcm), true, {1, 11025, 16, pcm}},
        {"xor key", MakeWavFile({{"fmt ", stereo, {}}, {"xor ", {0x0F}, {}}, {"data", xored, {}}}), true,
         {2, 44100, 16, pcm}},
        {"dep of a missing source, time 0", MakeWavFile({{"dep ", depMissing, {}}, {"data", pcm, {}}}), true,
         {1, 22050, 16, pcm}},
        {"dep with a stale time", MakeWavFile({{"dep ", depStale, {}}, {"data", pcm, {}}}), false, {}},
        // Sizes beyond the file stand for the bytes present, in whole frames.
        {"data size 0xFFFFFFFF", wav(stereo, pcm, 0xFFFFFFFFu), true, {2, 44100, 16, pcm}},
        {"cut inside the data", Bytes(plain.begin(), plain.end() - 6), true,
         {2, 44100, 16, Bytes(pcm.begin(), pcm.begin() + 8)}},
        {"7 data bytes of 4-byte frames", wav(stereo, Bytes(pcm.begin(), pcm.begin() + 7)), true,
         {2, 44100, 16, Bytes(pcm.begin(), pcm.begin() + 4)}},
        {"tag 3 (float)", wav(FmtBody(3, 2, 44100, 16), pcm), false, {}},
        {"three channels", wav(FmtBody(1, 3, 44100, 16), pcm), false, {}},
        {"24 bits", wav(FmtBody(1, 2, 44100, 24), pcm), false, {}},
        {"rate 0", wav(FmtBody(1, 2, 0, 16), pcm), false, {}},
        {"rate 500000", wav(FmtBody(1, 2, 500000, 16), pcm), false, {}},
        {"fmt of 14 bytes", wav(fmt14, pcm), false, {}},
        {"chunk larger than the file", MakeWavFile({{"junk", {}, 0xFFFFFFF0u}, {"data", pcm, {}}}), false, {}},
        {"chunk reaching past the end", MakeWavFile({{"junk", {}, 0x7FFFFFFFu}, {"data", pcm, {}}}), false, {}},
        {"no data chunk", MakeWavFile({{"fmt ", stereo, {}}}), false, {}},
        {"empty data", wav(stereo, {}), false, {}},
        {"cut inside the header", Bytes(plain.begin(), plain.begin() + 30), false, {}},
        {"cut inside a chunk header", Bytes(plain.begin(), plain.begin() + 14), false, {}},
        {"not RIFF", notRiff, false, {}},
        {"not WAVE", notWave, false, {}},
        {"empty file", {}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        temp.Write("work/case.wav", c.file);
        EXPECT_EQ(manager->ReadWAVFile(9, "case.wav"), c.loads);
        const Loaded got = Sound(9);
        if (c.loads) {
            EXPECT_EQ(got.channels, c.expected.channels);
            EXPECT_EQ(got.rate, c.expected.rate);
            EXPECT_EQ(got.bits, c.expected.bits);
            EXPECT_EQ(got.data, c.expected.data);
        } else {
            EXPECT_TRUE(got.data.empty()); // nothing half-loaded stays behind
        }
        manager->ReleaseSound(9);
    }
    EXPECT_FALSE(manager->ReadWAVFile(9, "missing.wav"));
}

TEST_F(SoundLoadingTest, AuFiles)
{
    // Logarithmic bytes: s = +1 from 0x80 up, m = byte | 0x80, magnitude by
    // segment, sample = s x magnitude x 4.
    const Bytes logBytes = {0xFF, 0x7F, 0x80, 0x00, 0xF5, 0x75, 0xA5, 0x95, 0xC8};
    const Bytes logSamples = SampleBytes({0, 0, 31616, -31616, 80, -80,
                                          6528,  // 12192 - 0xA5 x 64 = 1632
                                          13184, // 22368 - 0x95 x 128 = 3296
                                          1344}); // (0xDD - 0xC8) x 16 = 336
    Bytes offsetPastEnd = MakeAuFile(24, 4, 2, 8000, 1, {1, 2, 3, 4});
    offsetPastEnd[7] = 200; // data offset 200 in a 28-byte file
    Bytes notSnd = MakeAuFile(24, 4, 2, 8000, 1, {1, 2, 3, 4});
    notSnd[0] = 'x';
    struct Case {
        const char* name;
        Bytes file;
        bool loads;
        Loaded expected;
    };
    const Case cases[] = {
        {"logarithmic mono", MakeAuFile(24, 9, 1, 8000, 1, logBytes), true, {1, 8000, 16, logSamples}},
        // Signed 8-bit samples, held offset by 128 as 8-bit buffers play them.
        {"linear stereo", MakeAuFile(32, 4, 2, 11025, 2, {0x00, 0x7F, 0x80, 0xFF}), true,
         {2, 11025, 8, {0x80, 0xFF, 0x00, 0x7F}}},
        {"unknown size", MakeAuFile(24, 0xFFFFFFFFu, 2, 8000, 1, {1, 2, 3, 4, 5}), true,
         {1, 8000, 8, {0x81, 0x82, 0x83, 0x84, 0x85}}},
        {"size past the end, odd stereo bytes", MakeAuFile(24, 100, 2, 8000, 2, {1, 2, 3, 4, 5}), true,
         {2, 8000, 8, {0x81, 0x82, 0x83, 0x84}}},
        {"encoding 3", MakeAuFile(24, 4, 3, 8000, 1, {1, 2, 3, 4}), false, {}},
        {"no channels", MakeAuFile(24, 4, 2, 8000, 0, {1, 2, 3, 4}), false, {}},
        {"three channels", MakeAuFile(24, 6, 2, 8000, 3, {1, 2, 3, 4, 5, 6}), false, {}},
        {"rate 0", MakeAuFile(24, 4, 2, 0, 1, {1, 2, 3, 4}), false, {}},
        {"offset past the end", offsetPastEnd, false, {}},
        {"no data", MakeAuFile(24, 0, 2, 8000, 1, {}), false, {}},
        {"cut inside the header", Bytes({'.', 's', 'n', 'd', 0, 0, 0, 24, 0, 0}), false, {}},
        {"not .snd", notSnd, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        temp.Write("work/case.au", c.file);
        EXPECT_EQ(manager->LoadAUSound(4, "case.au"), c.loads);
        const Loaded got = Sound(4);
        if (c.loads) {
            EXPECT_EQ(got.channels, c.expected.channels);
            EXPECT_EQ(got.rate, c.expected.rate);
            EXPECT_EQ(got.bits, c.expected.bits);
            EXPECT_EQ(got.data, c.expected.data);
        } else {
            EXPECT_TRUE(got.data.empty());
        }
        manager->ReleaseSound(4);
    }
}

TEST_F(SoundLoadingTest, OggVorbisFiles)
{
    struct Case {
        int channels;
        int rate;
        int frames;
    };
    const Case cases[] = {{2, 44100, 4410}, {1, 22050, 3000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channels);
        ASSERT_TRUE(MakeOgg("work/tone.ogg", c.channels, c.rate, c.frames));
        ASSERT_TRUE(manager->LoadOGGSound(2, "tone.ogg"));
        const Loaded got = Sound(2);
        EXPECT_EQ(got.channels, c.channels);
        EXPECT_EQ(got.rate, uint32_t(c.rate));
        EXPECT_EQ(got.bits, 16);
        ASSERT_EQ(got.data.size(), size_t(c.frames) * c.channels * 2);
        // The encoded tones, 440 Hz and 660 Hz at half scale, come back
        // within a small error of the lossy codec.
        const std::vector<int16_t> samples = LumoTest::SamplesOf(got.data.data(), got.data.size() / 2);
        double error = 0.0;
        for (int i = 0; i < c.frames; ++i) {
            for (int channel = 0; channel < c.channels; ++channel) {
                const double frequency = channel == 0 ? 440.0 : 660.0;
                const double expected = 16384.0 * std::sin(2.0 * kPi * frequency * i / c.rate);
                const double diff = samples[size_t(i) * c.channels + channel] - expected;
                error += diff * diff;
            }
        }
        EXPECT_LT(std::sqrt(error / (c.frames * c.channels)), 330.0); // 1% of full scale
        manager->ReleaseSound(2);
    }

    // Damaged files never read out of bounds; a cut-off stream gives at most
    // what it holds, in whole frames.
    ASSERT_TRUE(MakeOgg("work/tone.ogg", 2, 44100, 8820));
    const std::string whole = temp.Read("work/tone.ogg");
    temp.Write("work/cut.ogg", whole.substr(0, whole.size() / 2));
    if (manager->LoadOGGSound(3, "cut.ogg")) {
        EXPECT_GT(manager->GetDataSize(3), 0u);
        EXPECT_LT(manager->GetDataSize(3), 8820u * 4);
        EXPECT_EQ(manager->GetDataSize(3) % 4, 0u);
    } else {
        EXPECT_EQ(manager->GetSourceBuffer(3), nullptr);
    }
    temp.Write("work/garbage.ogg", std::string(5000, 'x'));
    EXPECT_FALSE(manager->LoadOGGSound(3, "garbage.ogg"));
    temp.Write("work/header.ogg", whole.substr(0, 60));
    EXPECT_FALSE(manager->LoadOGGSound(3, "header.ogg"));
    EXPECT_FALSE(manager->LoadOGGSound(3, "missing.ogg"));
}

TEST_F(SoundLoadingTest, ADecodedSoundLeavesTheCachedWAV)
{
    ASSERT_TRUE(MakeOgg("work/audio/x.ogg", 2, 44100, 441));
    ASSERT_TRUE(manager->LoadSound(5, "audio\\x"));
    const Loaded decoded = Sound(5);
    const uint32_t n = uint32_t(decoded.data.size());
    ASSERT_EQ(n, 441u * 4);

    const std::string file = CachedFile("audio/x.wav");
    const std::string source = "audio\\x.ogg";
    const size_t l = source.size();
    uint64_t sourceTime = 0;
    ASSERT_TRUE(Lumo::GetLastWriteTime(source, sourceTime));
    ASSERT_EQ(file.size(), 71 + l + n);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(U32At(file, 4), n + 36);
    EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(U32At(file, 16), 16u);
    EXPECT_EQ(U16At(file, 20), 1);
    EXPECT_EQ(U16At(file, 22), 2);
    EXPECT_EQ(U32At(file, 24), 44100u);
    EXPECT_EQ(U32At(file, 28), 176400u);
    EXPECT_EQ(U16At(file, 32), 4);
    EXPECT_EQ(U16At(file, 34), 16);
    EXPECT_EQ(file.substr(36, 4), "dep ");
    EXPECT_EQ(U32At(file, 40), l + 10);
    EXPECT_EQ(U16At(file, 44), l);
    EXPECT_EQ(file.substr(46, l), source);
    EXPECT_EQ(U32At(file, 46 + l), uint32_t(sourceTime));
    EXPECT_EQ(U32At(file, 50 + l), uint32_t(sourceTime >> 32));
    EXPECT_EQ(file.substr(54 + l, 4), "xor ");
    EXPECT_EQ(U32At(file, 58 + l), 1u);
    const uint8_t key = uint8_t(file[62 + l]);
    EXPECT_EQ(key, DSoundManager::kCachedWAVKey);
    EXPECT_EQ(file.substr(63 + l, 4), "data");
    EXPECT_EQ(U32At(file, 67 + l), n);
    Bytes unscrambled(file.begin() + 71 + l, file.end());
    for (uint8_t& b : unscrambled)
        b ^= key;
    EXPECT_EQ(unscrambled, decoded.data);

    // The next load takes the copy: give it other samples to tell them apart.
    std::string marked = file.substr(0, 71 + l) + std::string(n, char(0x11 ^ key));
    temp.Write("appdata/cached/audio/x.wav", marked);
    ASSERT_TRUE(manager->LoadSound(5, "audio\\x"));
    EXPECT_EQ(Sound(5).data, Bytes(n, 0x11));

    // A source whose time differs from the recorded one is decoded again,
    // and the copy is made afresh.
    marked[46 + l] = char(marked[46 + l] ^ 1);
    temp.Write("appdata/cached/audio/x.wav", marked);
    ASSERT_TRUE(manager->LoadSound(5, "audio\\x"));
    EXPECT_EQ(Sound(5).data, decoded.data);
    EXPECT_EQ(CachedFile("audio/x.wav"), file);
}

TEST_F(SoundLoadingTest, CachedCopiesMirrorTheirSoundsFolders)
{
    ASSERT_TRUE(MakeOgg("work/a/x.ogg", 1, 22050, 300));
    ASSERT_TRUE(MakeOgg("work/b/x.ogg", 2, 44100, 300));
    ASSERT_TRUE(manager->LoadSound(1, "a\\x"));
    ASSERT_TRUE(manager->LoadSound(2, "b/x"));
    EXPECT_EQ(U16At(CachedFile("a/x.wav"), 22), 1);
    EXPECT_EQ(U16At(CachedFile("b/x.wav"), 22), 2);
    // Each comes back from its own copy. The sources are emptied so that
    // decoding them would fail; the copies get their new times.
    for (const std::string folder : {"a", "b"}) {
        temp.Write("work/" + folder + "/x.ogg", std::string());
        std::string copy = CachedFile(folder + "/x.wav");
        const size_t l = U16At(copy, 44);
        uint64_t time = 0;
        ASSERT_TRUE(Lumo::GetLastWriteTime(copy.substr(46, l), time));
        for (size_t i = 0; i < 8; ++i)
            copy[46 + l + i] = char(time >> (8 * i));
        temp.Write("appdata/cached/" + folder + "/x.wav", copy);
    }
    manager->ReleaseSounds();
    ASSERT_TRUE(manager->LoadSound(1, "a\\x"));
    ASSERT_TRUE(manager->LoadSound(2, "b/x"));
    EXPECT_EQ(Sound(1).channels, 1);
    EXPECT_EQ(Sound(2).channels, 2);
}

TEST_F(SoundLoadingTest, OnlyMirrorableDecodedSoundsAreCopied)
{
    ASSERT_TRUE(MakeOgg("work/audio/x.ogg", 1, 22050, 300));
    ASSERT_TRUE(MakeOgg("up/y.ogg", 1, 22050, 300));
    temp.Write("work/snd.wav", MakePcmWav(1, 22050, 16, SampleBytes({1, 2})));
    temp.Write("work/tone.au", MakeAuFile(24, 4, 2, 8000, 1, {1, 2, 3, 4}));

    // An absolute name and a name climbing out of the folder load, and
    // leave no copy anywhere.
    ASSERT_TRUE(manager->LoadSound(1, temp.Join("work/audio/x")));
    ASSERT_TRUE(manager->LoadSound(2, "..\\up\\y"));
    EXPECT_FALSE(temp.Exists("appdata/cached"));
    EXPECT_FALSE(temp.Exists("appdata/up"));
    // A WAV needs no copy; an AU file is decoded and gets one.
    ASSERT_TRUE(manager->LoadSound(3, "snd"));
    EXPECT_FALSE(temp.Exists("appdata/cached/snd.wav"));
    ASSERT_TRUE(manager->LoadSound(4, "tone"));
    const std::string copy = CachedFile("tone.wav");
    EXPECT_EQ(copy.substr(46, U16At(copy, 44)), "tone.au");
    // The copy comes before the sound's own WAV file.
    temp.Write("appdata/cached/snd.wav", MakePcmWav(1, 22050, 16, SampleBytes({7, 8})));
    ASSERT_TRUE(manager->LoadSound(3, "snd"));
    EXPECT_EQ(Sound(3).data, SampleBytes({7, 8}));
    // Only with FMOD is ".mp3" tried.
    temp.Write("work/only.mp3", std::string(100, 'x'));
    EXPECT_FALSE(manager->LoadSound(6, "only"));
}

TEST_F(SoundLoadingTest, SoundsLoadFromThePakArchive)
{
    ASSERT_TRUE(MakeOgg("tone.ogg", 2, 44100, 1000));
    const Bytes wav = MakePcmWav(1, 22050, 16, SampleBytes({5, 6, 7}));
    const std::vector<PakArchiveItem> items = {
        {"pak\\tone.ogg", temp.Read("tone.ogg"), 0, {}},
        {"pak\\click.wav", Text(wav), 0, {}},
    };
    temp.Write("work/sounds.pak", PakArchiveWriter::Build(items));
    PakInterface pak;
    PakInterface* previous = Lumo::SetPakInterface(&pak);
    ASSERT_TRUE(pak.AddPakFile("sounds.pak"));
    EXPECT_TRUE(manager->LoadOGGSound(0, "pak\\tone.ogg"));
    EXPECT_EQ(manager->GetDataSize(0), 4000u);
    EXPECT_TRUE(manager->LoadSound(1, "pak\\click"));
    EXPECT_EQ(Sound(1).data, SampleBytes({5, 6, 7}));
    Lumo::SetPakInterface(previous);
}

TEST(LastWriteTimeTest, FilesOnDiskOnly)
{
    TempFolder temp;
    uint64_t time = 99;
    EXPECT_FALSE(Lumo::GetLastWriteTime(temp.Join("missing"), time));
    EXPECT_EQ(time, 0u);
    EXPECT_FALSE(Lumo::GetLastWriteTime(temp.Path(), time));
    EXPECT_EQ(time, 0u);
    ASSERT_TRUE(Lumo::GetLastWriteTime(temp.Write("f.txt", "x"), time));
    // 100-nanosecond steps since 1601: within a day of now.
    const uint64_t now = uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count()) *
                             10 +
                         116444736000000000ull;
    EXPECT_LT(time > now ? time - now : now - time, 864000000000ull);
}

} // namespace
