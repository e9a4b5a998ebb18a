// The application's images and sounds: the mute counter in front of the
// volumes, effects played through the sound manager, pictures loaded into
// surface images (and through the data cache), parts of images copied, and
// the shared-image table's loading, case folding and clean-up.
#include "framework/app/LumoAppBase.h"

#include "framework/display/DDImage.h"
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/FontData.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImageRef.h"
#include "framework/resources/DataCacheClient.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "support/CodecFixtures.h"
#include "support/FakeCacheServer.h"
#include "support/FakeFileSystem.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using Lumo::DDImage;
using Lumo::Image;
using Lumo::SharedImageRef;
using Lumo::TRect;

namespace {

// What reached the sound side, in order: ("sfx", v), ("music", v),
// ("master", v), ("pan", p), ("play", looping * 2 + autoRelease).
using SoundLog = std::vector<std::pair<std::string, double>>;

class RecordingInstance : public Lumo::SoundInstance {
public:
    explicit RecordingInstance(SoundLog& log) : mLog(log) {}
    void Release() override {}
    void SetBaseVolume(double) override {}
    void SetBasePan(int) override {}
    void AdjustPitch(double) override {}
    void SetVolume(double) override {}
    void SetPan(int pan) override { mLog.emplace_back("pan", pan); }
    bool Play(bool looping, bool autoRelease) override
    {
        mLog.emplace_back("play", (looping ? 2 : 0) + (autoRelease ? 1 : 0));
        return true;
    }
    void Stop() override {}
    bool IsPlaying() override { return false; }
    bool IsReleased() override { return false; }
    double GetVolume() override { return 1.0; }

private:
    SoundLog& mLog;
};

// Hands out instances of id 3 only.
class RecordingSoundManager : public Lumo::SoundManager {
public:
    explicit RecordingSoundManager(SoundLog& log) : mLog(log) {}
    bool Initialized() override { return true; }
    int LoadSound(const std::string&) override { return -1; }
    bool LoadSound(unsigned int, const std::string&) override { return false; }
    void ReleaseSound(unsigned int) override {}
    void SetVolume(double volume) override { mLog.emplace_back("sfx", volume); }
    bool SetBaseVolume(unsigned int, double) override { return false; }
    bool SetBasePan(unsigned int, int) override { return false; }
    Lumo::SoundInstance* GetSoundInstance(unsigned int id) override
    {
        if (id != 3) {
            return nullptr;
        }
        mInstances.push_back(std::make_unique<RecordingInstance>(mLog));
        return mInstances.back().get();
    }
    void ReleaseSounds() override {}
    void ReleaseChannels() override {}
    double GetMasterVolume() override { return 0.25; }
    void SetMasterVolume(double volume) override { mLog.emplace_back("master", volume); }
    void Reserved() override {}
    void SetCooperativeWindow(Plat::Window*, bool) override {}
    void StopAllSounds() override {}
    int GetFreeSoundId() override { return 0; }
    int GetNumSounds() override { return 0; }

private:
    SoundLog& mLog;
    std::vector<std::unique_ptr<RecordingInstance>> mInstances;
};

class RecordingMusic : public Lumo::MusicInterface {
public:
    explicit RecordingMusic(SoundLog& log) : mLog(log) {}
    void SetVolume(double volume) override { mLog.emplace_back("music", volume); }

private:
    SoundLog& mLog;
};

class AppSoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.musicVolume = 0.6;
        app.sfxVolume = 0.4;
        app.soundManager = new RecordingSoundManager(log); // owned by the app
        app.musicInterface = new RecordingMusic(log);
    }
    // The log since the last call.
    SoundLog Take() { return std::exchange(log, SoundLog()); }

    SoundLog log; // outlives the app's sound objects
    TestApp app;
};

TEST_F(AppSoundTest, MuteCounterSilencesBothOutputsAndKeepsTheVolumes)
{
    const SoundLog silent = {{"music", 0.0}, {"sfx", 0.0}};
    const SoundLog stored = {{"music", 0.6}, {"sfx", 0.4}};
    struct Step {
        bool mute; // else unmute
        bool autoMute;
        int muteCount;
        int autoMuteCount;
        const SoundLog& passed;
    };
    const Step steps[] = {
        {true, false, 1, 0, silent},
        {true, true, 2, 1, silent},
        {false, false, 1, 1, silent},   // one mute still holds
        {false, true, 0, 0, stored},    // the last one restores
        {false, true, 0, 0, stored},    // at 0: no count changes, volumes re-applied
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        if (s.mute) {
            app.Mute(s.autoMute);
        } else {
            app.Unmute(s.autoMute);
        }
        EXPECT_EQ(app.muteCount, s.muteCount) << i;
        EXPECT_EQ(app.autoMuteCount, s.autoMuteCount) << i;
        EXPECT_EQ(app.IsMuted(), s.muteCount > 0) << i;
        EXPECT_EQ(Take(), s.passed) << i;
        EXPECT_EQ(app.GetMusicVolume(), 0.6) << i;
        EXPECT_EQ(app.GetSfxVolume(), 0.4) << i;
    }
}

TEST_F(AppSoundTest, VolumeSetWhileMutedIsStoredAndPassedOnUnmute)
{
    app.Mute(false);
    Take();
    app.SetSfxVolume(0.5);
    app.SetMusicVolume(0.7);
    EXPECT_EQ(Take(), (SoundLog{{"sfx", 0.0}, {"music", 0.0}}));
    EXPECT_EQ(app.GetSfxVolume(), 0.5);
    EXPECT_EQ(app.GetMusicVolume(), 0.7);

    app.Unmute(false);
    EXPECT_EQ(Take(), (SoundLog{{"music", 0.7}, {"sfx", 0.5}}));
}

TEST_F(AppSoundTest, MasterVolumeGoesToTheMixerAndBecomesTheEffectsVolume)
{
    EXPECT_EQ(app.GetMasterVolume(), 0.25);
    app.SetMasterVolume(0.3);
    // Stored as the effects volume, not passed to the manager's own volume.
    EXPECT_EQ(Take(), (SoundLog{{"master", 0.3}}));
    EXPECT_EQ(app.GetSfxVolume(), 0.3);
}

TEST_F(AppSoundTest, PlaySamplePansThenPlaysOnceWithAutoRelease)
{
    app.PlaySample(3);
    EXPECT_EQ(Take(), (SoundLog{{"play", 1}}));
    app.PlaySample(3, -2500);
    EXPECT_EQ(Take(), (SoundLog{{"pan", -2500}, {"play", 1}}));
    // Ids without an instance play nothing.
    app.PlaySample(4);
    app.PlaySample(-1, 100);
    EXPECT_TRUE(Take().empty());
}

TEST(AppSoundBeforeInit, OperationsOnlyStoreWithoutSoundObjects)
{
    TestApp app;
    ASSERT_EQ(app.soundManager, nullptr);
    ASSERT_EQ(app.musicInterface, nullptr);
    app.Mute(false);
    app.SetSfxVolume(0.2);
    app.SetMusicVolume(0.1);
    app.SetMasterVolume(0.3);
    app.PlaySample(1);
    app.PlaySample(1, 5);
    EXPECT_EQ(app.GetMasterVolume(), 0.0);
    EXPECT_EQ(app.GetSfxVolume(), 0.3);
    EXPECT_EQ(app.GetMusicVolume(), 0.1);
    EXPECT_TRUE(app.IsMuted());
}

// ---- Images

// A 2 x 2 RGBA PNG of the four pixels (0xAARRGGBB).
std::vector<uint8_t> Png2x2(const uint32_t (&pixels)[4])
{
    PngFixture fixture;
    fixture.width = 2;
    fixture.height = 2;
    for (uint32_t p : pixels) {
        fixture.samples.push_back(static_cast<uint16_t>((p >> 16) & 0xFF));
        fixture.samples.push_back(static_cast<uint16_t>((p >> 8) & 0xFF));
        fixture.samples.push_back(static_cast<uint16_t>(p & 0xFF));
        fixture.samples.push_back(static_cast<uint16_t>(p >> 24));
    }
    return CodecFixtures::Png(fixture);
}

std::vector<uint32_t> Pixels(Lumo::MemoryImage* image)
{
    const uint32_t* bits = image->GetBits();
    return std::vector<uint32_t>(bits, bits + image->PixelCount());
}

Image* ImageOf(SharedImageRef& ref)
{
    return ref;
}

const uint32_t kOpaque[4] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0};

class AppImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Lumo::GetDataCacheClient().IsConnected());
        folder.Write("gfx/a.png", Png2x2(kOpaque));
    }
    // The folder's file with '\\' inside the folder, as data paths are written.
    std::string Path(const std::string& relative) const { return folder.Path() + "/" + relative; }

    TempFolder folder;
    TestApp app;
};

TEST_F(AppImageTest, GetImageLoadsAFileIntoANewSurfaceImage)
{
    app.AddDisplay();
    const std::string path = Path("gfx\\a.png");
    std::unique_ptr<DDImage> image(app.GetImage(path, true));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mDDInterface, app.ddInterface);
    EXPECT_EQ(image->mFilePath, path);
    EXPECT_EQ(image->GetWidth(), 2);
    EXPECT_EQ(image->GetHeight(), 2);
    EXPECT_EQ(Pixels(image.get()), std::vector<uint32_t>(std::begin(kOpaque), std::end(kOpaque)));
    EXPECT_EQ(app.memoryImageSet.count(image.get()), 1u);
}

TEST_F(AppImageTest, GetImageTakesTheAlphaCompanion)
{
    // The companion's blue channel becomes the alpha.
    const uint32_t alpha[4] = {0xFF000000, 0xFF000080, 0xFF0000FF, 0xFF000011};
    folder.Write("gfx/_a.png", Png2x2(alpha));
    std::unique_ptr<DDImage> image(app.GetImage(Path("gfx\\a.png"), false));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(image.get()), (std::vector<uint32_t>{0x00102030, 0x80405060, 0xFF708090, 0x11A0B0C0}));
}

TEST_F(AppImageTest, GetImageOfAMissingOrDamagedFileIsNull)
{
    const std::vector<uint8_t> png = Png2x2(kOpaque);
    folder.Write("cut.png", std::vector<uint8_t>(png.begin(), png.begin() + static_cast<long>(png.size() / 2)));
    folder.Write("junk.png", std::string("not a picture at all"));
    folder.Write("empty.png", std::string());
    const char* const names[] = {"missing.png", "cut.png", "junk.png", "empty.png", "gfx"};
    for (const char* name : names) {
        EXPECT_EQ(app.GetImage(Path(name), true), nullptr) << name;
    }
    EXPECT_TRUE(app.memoryImageSet.empty());
}

TEST_F(AppImageTest, GetImageGoesThroughTheDataCacheWhenItRuns)
{
    FakeCacheServer server;
    Lumo::DataCacheClient client; // made after the server, so it connects
    ASSERT_TRUE(client.IsConnected());
    Lumo::DataCacheClient* previous = Lumo::SetDataCacheClient(&client);

    const std::string path = Path("gfx\\a.png");
    app.writeToDataCache = false;
    delete app.GetImage(path, true);
    EXPECT_EQ(server.MessageCount(Lumo::DataCacheClient::kCodeStore), 0);

    app.writeToDataCache = true;
    delete app.GetImage(path, true);
    EXPECT_EQ(server.MessageCount(Lumo::DataCacheClient::kCodeStore), 1);

    // With the file gone, the cached record still gives the picture.
    ASSERT_EQ(std::remove(folder.Join("gfx/a.png").c_str()), 0);
    std::unique_ptr<DDImage> cached(app.GetImage(path, true));
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(cached->mFilePath, path);
    EXPECT_EQ(Pixels(cached.get()), std::vector<uint32_t>(std::begin(kOpaque), std::end(kOpaque)));
    EXPECT_EQ(server.MessageCount(Lumo::DataCacheClient::kCodeStore), 1);

    Lumo::SetDataCacheClient(previous);
}

TEST_F(AppImageTest, CopyImageRectCopiesThePartAndTheAttributes)
{
    // 4 x 3, pixel (x, y) = 0xFF0000yx.
    Lumo::MemoryImage source(&app);
    source.Create(4, 3);
    uint32_t* bits = source.GetBits();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            bits[y * 4 + x] = 0xFF000000u | static_cast<uint32_t>(y << 4 | x);
        }
    }
    source.BitsChanged();
    source.mNumRows = 3;
    source.mNumCols = 2;
    source.mAnimInfo = new Lumo::AnimInfo();
    source.mAnimInfo->mFrameDelay = 7;

    struct Case {
        TRect<int> rect;
        int width;
        int height;
        std::vector<uint32_t> pixels;
    };
    const Case cases[] = {
        {TRect<int>(1, 1, 2, 2), 2, 2, {0xFF000011, 0xFF000012, 0xFF000021, 0xFF000022}},
        // Partly outside: the rest stays transparent black.
        {TRect<int>(3, 2, 2, 2), 2, 2, {0xFF000023, 0, 0, 0}},
        {TRect<int>(0, 0, 0, 0), 0, 0, {}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<DDImage> copy(app.CopyImageRect(&source, c.rect));
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetWidth(), c.width);
        EXPECT_EQ(copy->GetHeight(), c.height);
        if (c.width > 0) {
            EXPECT_EQ(Pixels(copy.get()), c.pixels) << c.rect.mX << ", " << c.rect.mY;
        }
        EXPECT_EQ(copy->mNumRows, 3);
        EXPECT_EQ(copy->mNumCols, 2);
        ASSERT_NE(copy->mAnimInfo, nullptr);
        EXPECT_NE(copy->mAnimInfo, source.mAnimInfo);
        EXPECT_EQ(copy->mAnimInfo->mFrameDelay, 7);
    }
    EXPECT_EQ(app.CopyImageRect(nullptr, TRect<int>(0, 0, 1, 1)), nullptr);
}

TEST_F(AppImageTest, SharedImagesIgnoreCaseAndLoadOnce)
{
    LumoTest::FakeFileSystem files;
    LumoTest::ScopedFileSystem scope(files);

    bool isNew = false;
    SharedImageRef first = app.GetSharedImage(Path("gfx\\a.png"), "v", &isNew);
    EXPECT_TRUE(isNew);
    ASSERT_NE(ImageOf(first), nullptr);
    EXPECT_NE(dynamic_cast<DDImage*>(ImageOf(first)), nullptr);
    // Loaded with the name as given, not the upper-cased key.
    EXPECT_EQ(ImageOf(first)->mFilePath, Path("gfx\\a.png"));
    const size_t opens = files.CountCalls(LumoTest::FsOp::OpenFile);
    EXPECT_GT(opens, 0u);

    SharedImageRef second = app.GetSharedImage(folder.Path() + "/GFX\\A.PNG", "V", &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(ImageOf(second), ImageOf(first));
    EXPECT_EQ(files.CountCalls(LumoTest::FsOp::OpenFile), opens);

    // Another variant is another entry.
    SharedImageRef other = app.GetSharedImage(Path("gfx\\a.png"), "w", &isNew);
    EXPECT_TRUE(isNew);
    EXPECT_NE(ImageOf(other), ImageOf(first));
    EXPECT_EQ(app.sharedImageMap.size(), 2u);
}

TEST_F(AppImageTest, BangNamesGiveAnEmptySurfaceImageWithoutTouchingTheDisk)
{
    LumoTest::FakeFileSystem files;
    LumoTest::ScopedFileSystem scope(files);
    bool isNew = false;
    SharedImageRef ref = app.GetSharedImage("!scratch", "", &isNew);
    EXPECT_TRUE(isNew);
    auto* image = dynamic_cast<DDImage*>(ImageOf(ref));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 0);
    EXPECT_EQ(image->GetHeight(), 0);
    EXPECT_TRUE(files.Calls().empty());
}

TEST_F(AppImageTest, MissingFileKeepsANullEntry)
{
    bool isNew = false;
    SharedImageRef ref = app.GetSharedImage(Path("none.png"), "", &isNew);
    EXPECT_TRUE(isNew);
    EXPECT_EQ(ImageOf(ref), nullptr);
    SharedImageRef again = app.GetSharedImage(Path("none.png"), "", &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(ImageOf(again), nullptr);
}

TEST_F(AppImageTest, ReleasedImageLivesUntilTheCleanUpAndIsReusedMeanwhile)
{
    const std::string path = Path("gfx\\a.png");
    bool isNew = false;
    Image* image = nullptr;
    {
        SharedImageRef ref = app.GetSharedImage(path, "", &isNew);
        image = ImageOf(ref);
        ASSERT_NE(image, nullptr);
    }
    EXPECT_TRUE(app.sharedImagesDirty);
    EXPECT_EQ(app.sharedImageMap.size(), 1u);

    // Asked again before the clean-up: the same image, not reloaded.
    {
        SharedImageRef ref = app.GetSharedImage(path, "", &isNew);
        EXPECT_FALSE(isNew);
        EXPECT_EQ(ImageOf(ref), image);
        app.CleanSharedImages(); // held: stays
        EXPECT_EQ(app.sharedImageMap.size(), 1u);
    }
    app.CleanSharedImages();
    EXPECT_TRUE(app.sharedImageMap.empty());
    EXPECT_FALSE(app.sharedImagesDirty);
    EXPECT_TRUE(app.memoryImageSet.empty());

    SharedImageRef fresh = app.GetSharedImage(path, "", &isNew);
    EXPECT_TRUE(isNew);
    EXPECT_NE(ImageOf(fresh), nullptr);
}

// ---- The game's own image font, loaded as the running program loads it

class PopupApp : public TestApp {
public:
    using LumoAppBase::FatalErrorPopup;
    void FatalErrorPopup(const std::string& text) override { popups.push_back(text); }
    std::vector<std::string> popups;
};

TEST(AppPixelFont, LoadsItsImageThroughTheSharedImagesAndDraws)
{
    PopupApp app;
    const std::string source = __FILE__;
    const std::string root = source.substr(0, source.rfind("/tests/"));
    Lumo::ImageFont font(&app, root + "/tests/data/fonts/pixel.txt");
    ASSERT_TRUE(app.popups.empty()) << app.popups.front();
    ASSERT_TRUE(font.mFontData->mInitialized);

    // Two layers over one picture: loaded once into a surface image.
    ASSERT_EQ(app.sharedImageMap.size(), 1u);
    Image* strip = app.sharedImageMap.begin()->second.mImage;
    ASSERT_NE(dynamic_cast<DDImage*>(strip), nullptr);
    EXPECT_EQ(strip->GetWidth(), 42 * 12); // 42 glyphs, 12 pixels apart
    EXPECT_EQ(strip->GetHeight(), 14);
    // 12 pixels a character, space included; lower case uses the capitals.
    EXPECT_EQ(font.StringWidth("Ab 9"), 48);
    EXPECT_EQ(font.GetAscent(), 14);

    // "-" fills rows 6 and 7 of its cell, columns 0 to 9; the shadow layer
    // repeats it 2 pixels right and down in black at 60 %.
    Lumo::MemoryImage dest(&app);
    const std::vector<uint32_t> grey(16 * 20, 0xFF808080);
    dest.SetBits(grey.data(), 16, 20);
    Lumo::Graphics g(&dest);
    g.SetFont(&font);
    g.SetColor(Lumo::Color(255, 255, 255));
    g.DrawString("-", 0, 14);
    const uint32_t* out = dest.GetBits();
    const auto red = [&](int x, int y) { return (out[y * 16 + x] >> 16) & 0xFF; };
    EXPECT_GE(red(5, 6), 0xF0u);  // letter
    EXPECT_GE(red(9, 7), 0xF0u);
    EXPECT_LE(red(11, 9), 0x40u); // shadow only
    EXPECT_LE(red(5, 8), 0x40u);
    EXPECT_EQ(red(5, 5), 0x80u);  // untouched
    EXPECT_EQ(red(12, 7), 0x80u);
}

} // namespace
