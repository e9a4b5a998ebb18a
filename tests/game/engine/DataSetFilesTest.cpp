// The committed data set read by the engine's own readers: config.xml and
// every screen and level it names go through the tag reader without a broken
// tag or a cut value; every picture the index and the screens name loads into
// the image cache with its frame layout, with no failure box; every strip
// font cuts into one box per character of its set; every sound is there.
#include "game/engine/GameFile.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "platform/audio/AudioDecoder.h"
#include "support/CommittedDataFixture.h"
#include "support/FakePlatformHost.h"
#include "support/FakePlatformRecorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every tag of one text; fails the test on a broken tag or a cut value.
std::vector<ObjectXmlElement> ReadTags(const std::string& relative)
{
    std::vector<ObjectXmlElement> tags;
    size_t size = 0;
    std::unique_ptr<char[]> text = ReadWholeFile((LumoTest::CommittedDataFolder() + relative).c_str(), size);
    EXPECT_NE(text, nullptr) << relative;
    if (text == nullptr) {
        return tags;
    }
    const char* position = text.get();
    for (;;) {
        ObjectXmlElement element;
        position = ReadNextXmlTag(position, element);
        EXPECT_FALSE(element.HasError()) << relative << ": " << element.GetError();
        EXPECT_TRUE(element.GetWarnings().empty()) << relative << ": " << element.GetWarnings().front();
        if (element.GetTagName()[0] == '\0') {
            break;
        }
        tags.push_back(element);
    }
    return tags;
}

// A strip font as the game cuts it: bands of the letter height (a band that
// ends on the bottom edge is not cut), a glyph per run of inked columns.
int CountGlyphs(ImageRecord& record, int letterHeight)
{
    if (!record.GetBits()) {
        return -1;
    }
    const int width = int(record.mWidth);
    const int height = int(record.mHeight);
    const int pitch = record.mRowPitch / 4;
    int count = 0;
    for (int y = 0; y + letterHeight < height; y += letterHeight) {
        bool inRun = false;
        for (int x = 0; x < width; ++x) {
            bool inked = false;
            for (int row = y; row < y + letterHeight && !inked; ++row) {
                inked = (record.mBits[size_t(row) * size_t(pitch) + size_t(x)] >> 24) != 0;
            }
            if (inked && !inRun) {
                ++count;
            }
            inRun = inked;
        }
    }
    return count;
}

class DataSetFilesTest : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return LumoTest::CommittedDataFolder() + name; }

    FakePlatformRecorder boxes;
    FakePlatformHost host;
    Platform platform{&host};
    ImageCache cache{&platform};
};

TEST_F(DataSetFilesTest, IndexScreensPicturesFontsAndSoundsLoad)
{
    const std::vector<ObjectXmlElement> index = ReadTags("config.xml");
    ASSERT_FALSE(index.empty());
    // Screens are found by name, so their names differ; numbered levels are
    // found by number and may share one ("trickshot", "bonus").
    std::vector<std::pair<std::string, bool>> screens;
    int fonts = 0;
    int sounds = 0;
    bool ended = false;
    for (const ObjectXmlElement& tag : index) {
        const char* name = tag.GetAttribute("name");
        if (tag.IsTag("image")) {
            ImageRecord* record = cache.Get(Path(name).c_str(), tag.GetAttributeFloat("frame_width"),
                                            tag.GetAttributeFloat("frame_height"), tag.GetAttributeInt("num_frames"),
                                            tag.GetAttributeFloat("fps"));
            ASSERT_NE(record, nullptr) << name;
            EXPECT_NE(record->mFrames, nullptr) << name;
        } else if (tag.IsTag("font")) {
            ImageRecord* record = cache.Get(Path(name).c_str());
            ASSERT_NE(record, nullptr) << name;
            EXPECT_EQ(CountGlyphs(*record, tag.GetAttributeInt("letter_height")),
                      int(std::strlen(tag.GetAttribute("character_set"))))
                << name;
            ++fonts;
        } else if (tag.IsTag("sound")) {
            size_t size = 0;
            std::unique_ptr<char[]> data = ReadWholeFile(Path(name).c_str(), size);
            ASSERT_NE(data, nullptr) << name;
            EXPECT_EQ(std::string(data.get(), 4), "OggS") << name;
            ++sounds;
        } else if (std::strncmp(tag.GetTagName(), "level_file", 10) == 0) {
            screens.emplace_back(name, tag.IsTag("level_file"));
        } else if (tag.IsTag("/game")) {
            ended = true;
        }
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(fonts, 5);
    EXPECT_GE(sounds, 2);

    std::set<std::string> screenNames;
    for (const auto& [file, byName] : screens) {
        SCOPED_TRACE(file);
        const std::vector<ObjectXmlElement> tags = ReadTags(file);
        ASSERT_FALSE(tags.empty());
        ASSERT_TRUE(tags[0].IsTag("object"));
        ASSERT_STREQ(tags[0].GetAttribute("type"), "level");
        const char* screen = tags[0].GetAttribute("name");
        ASSERT_NE(screen, nullptr);
        EXPECT_LE(std::strlen(screen), 23u);
        if (byName) {
            EXPECT_TRUE(screenNames.insert(screen).second) << "two screens named " << screen;
        }
        for (const ObjectXmlElement& tag : tags) {
            for (const char* key : {"image", "particle_image", "font"}) {
                const char* picture = tag.GetAttribute(key);
                if (picture != nullptr && (tag.IsTag("object") || tag.IsTag("emitter_stage"))) {
                    EXPECT_NE(cache.Get(Path(picture).c_str()), nullptr) << picture;
                }
            }
            const char* objectName = tag.IsTag("object") ? tag.GetAttribute("name") : nullptr;
            if (objectName != nullptr) {
                EXPECT_LE(std::strlen(objectName), 23u) << objectName;
            }
        }
    }
    EXPECT_EQ(screenNames.count("main_menu"), 1u);
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text;
}

TEST_F(DataSetFilesTest, PicturesTheCodeNamesLoad)
{
    const char* const pictures[] = {"gfx\\quillo.jpg", "gfx\\loading.jpg", "gfx\\loadbar.png", "gfx\\gamepaused.png",
                                    "gfx\\sparkle.png", "gfx\\particle2.png", "gfx\\white_particle.png"};
    for (const char* picture : pictures) {
        ImageRecord* record = cache.Get(Path(picture).c_str());
        ASSERT_NE(record, nullptr) << picture;
        if (std::strstr(picture, ".jpg") != nullptr) {
            EXPECT_EQ(record->mWidth, 800.0f) << picture;
            EXPECT_EQ(record->mHeight, 600.0f) << picture;
        }
    }
    for (const char* object : {"objects\\text.xml", "objects\\tile.xml"}) {
        const std::vector<ObjectXmlElement> tags = ReadTags(object);
        ASSERT_FALSE(tags.empty()) << object;
        EXPECT_TRUE(tags[0].IsTag("object")) << object;
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(DataSetFilesTest, MenuSongPlaysThroughTheModulePlayer)
{
    size_t size = 0;
    std::unique_ptr<char[]> data = ReadWholeFile(Path("audio\\menu_theme.xm").c_str(), size);
    ASSERT_NE(data, nullptr);
    std::string error;
    std::unique_ptr<Plat::ModulePlayer> song =
        Plat::ModulePlayer::Load(reinterpret_cast<const uint8_t*>(data.get()), size, 44100, &error);
    ASSERT_NE(song, nullptr) << error;
    EXPECT_EQ(song->OrderCount(), 2);
    // Eight bars of sixteen rows at 96 beats a minute, four rows a beat.
    EXPECT_NEAR(song->LengthSeconds(), 20.0, 0.1);
    std::vector<float> frames(44100 * 2);
    ASSERT_EQ(song->Render(frames.data(), 44100), 44100u);
    double energy = 0;
    for (float v : frames) {
        energy += double(v) * double(v);
    }
    EXPECT_GT(std::sqrt(energy / double(frames.size())), 0.01);
}

} // namespace
