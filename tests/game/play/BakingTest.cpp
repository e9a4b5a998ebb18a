// A merged layer bakes its plain pictures into 1022-px strips at its first
// tick: the strips stand where the pictures stood, so the frame looks the
// same as before baking, in software and with 3-D.
#include "LayerFixture.h"

#include "game/engine/ImageRecord.h"
#include "game/engine/PlatformImage.h"
#include "support/TgaWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kFlood = 0;

class BakingTest : public LayerFixture {
protected:
    // A Flood level whose playfield holds pictures at these local positions
    // (each an 8 x 8 picture of its own colour), merged or not, and a plate
    // container that is not baked.
    void OpenPictureLevel(bool merged, const std::vector<std::pair<float, float>>& spots)
    {
        std::string pictures;
        int index = 0;
        for (const auto& [x, y] : spots) {
            const std::string name = "picture" + std::to_string(index++);
            pictures += Placed("generic", name, x, y, " image=\"gfx\\" + name + ".png\"");
        }
        OpenLevel(kFlood, "scrolling", pictures, Placed("test_plate", "plate", 0.0f, -100.0f,
                                                         " image=\"gfx\\plate.png\""));
        // "tiles" is merged outside Survival; the unbaked level turns it off.
        if (!merged)
            Playfield()->mMerged = 0;
    }

    std::vector<AnimObject*> Strips() const
    {
        std::vector<AnimObject*> strips;
        for (AnimObject* child = Playfield()->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindDefault && child->mRemove == 0)
                strips.push_back(child);
        }
        return strips;
    }

    // Writes the screen as a TGA file when LUMO_FRAME_DUMP names a folder.
    void DumpFrame(const char* name)
    {
        const char* folder = std::getenv("LUMO_FRAME_DUMP");
        if (folder == nullptr)
            return;
        TgaHeader header;
        header.width = 800;
        header.height = 600;
        std::vector<uint32_t> pixels(mScreen.GetBits(), mScreen.GetBits() + 800 * 600);
        const std::vector<uint8_t> bytes = TgaWriter::Build(header, pixels);
        std::ofstream(std::string(folder) + "/" + name + ".tga", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
};

// Pictures from y -1100 to 250: the extent runs from 254 down to -1104, so
// two strips, their bottoms at 254 and 254 - 1022 = -768; the lower one is
// whole (centred 511 higher), the upper one shows its 336 rows up to -1104.
TEST_F(BakingTest, MergedLayerBecomesStripsOf1022Pixels)
{
    OpenPictureLevel(true, {{-300.0f, -200.0f}, {0.0f, 0.0f}, {300.0f, 250.0f}, {100.0f, -1100.0f}});
    Ticks(1);
    EXPECT_EQ(Playfield()->mMerged, 0);
    EXPECT_EQ(Playfield()->mExtentBottom, 254.0f);
    EXPECT_EQ(Playfield()->mExtentTop, -1104.0f);
    const std::vector<AnimObject*> strips = Strips();
    ASSERT_EQ(strips.size(), 2u);
    std::vector<std::pair<float, float>> ys; // centre, first row shown
    for (AnimObject* strip : strips) {
        ys.emplace_back(strip->mLocal[kAttrY], strip->mSource[1]);
        ASSERT_NE(strip->mImage, nullptr);
        EXPECT_EQ(strip->mImage->mWidth, 800.0f);
        EXPECT_EQ(strip->mImage->mHeight, 1024.0f);
        EXPECT_EQ(strip->mSource[2], 800.0f);
        EXPECT_EQ(strip->mSource[3], 1022.0f);
        EXPECT_EQ(strip->mBilinear, 0);
        EXPECT_EQ(strip->mSnap, 0);
    }
    std::sort(ys.begin(), ys.end());
    EXPECT_EQ(ys, (std::vector<std::pair<float, float>>{{-768.0f - 168.0f, 1022.0f - 336.0f}, {254.0f - 511.0f, 0.0f}}));
    // The pictures went into the strips; the plate container stays a layer.
    EXPECT_EQ(Playfield()->FindChildByName("picture0"), nullptr);
    EXPECT_NE(Playfield()->FindChildOfKind(kKindLayer), nullptr);
}

// Every picture draws one row lower than it would live: each draw puts a
// picture one row below its centre, and a baked picture is drawn twice (into
// its strip, then the strip). Moved down by that row, the live frame is the
// baked one, pixel for pixel.
TEST_F(BakingTest, BakedFrameIsTheLiveOneOneRowLower)
{
    const std::vector<std::pair<float, float>> spots = {
        {-300.0f, -200.0f}, {0.0f, 0.0f}, {300.0f, 250.0f}, {100.0f, -1100.0f}, {-396.0f, -296.0f}, {396.0f, 296.0f}};
    uint64_t frames[2] = {};
    for (int merged = 0; merged < 2; ++merged) {
        NewGame();
        mGame->mHooks = &playHooks;
        mGame->mProfiles.Current().mExplainFloodShown = 1;
        OpenPictureLevel(merged != 0, spots);
        if (merged == 0) {
            Playfield()->mLocal[kAttrY] = 1.0f;
            Container()->mLocal[kAttrY] = -1.0f; // the plate is not baked
        }
        Ticks(2);
        EXPECT_EQ(Strips().size(), merged != 0 ? 2u : spots.size());
        frames[merged] = DrawChecksum();
        DumpFrame(merged != 0 ? "baked" : "live");
    }
    EXPECT_EQ(frames[1], frames[0]);
    std::printf("Baked frame checksum: %016llx\n", static_cast<unsigned long long>(frames[1]));
}

// With 3-D the strips keep their transparency: the screen shows through
// where nothing was baked, and every picture is there.
TEST_F(BakingTest, BakedStripsWith3DKeepTheirTransparency)
{
    host.accelerated3D = true;
    OpenPictureLevel(true, {{-300.0f, -200.0f}, {0.0f, 0.0f}, {300.0f, 250.0f}});
    Ticks(2);
    ASSERT_EQ(Strips().size(), 1u);
    uint32_t* bits = mScreen.GetBits();
    std::fill(bits, bits + 800 * 600, 0xFF102030u);
    mScreen.BitsChanged();
    DrawLiveObjects(*mGame);
    bits = mScreen.GetBits();
    std::set<uint32_t> colours(bits, bits + 800 * 600);
    EXPECT_TRUE(colours.count(0xFF102030u)) << "the strip hid the screen";
    EXPECT_EQ(colours.size(), 1u + 3u + 1u); // the screen, three pictures, the plate
    DumpFrame("baked3d");
}

// The Survival sky: the background's own pictures give way to one copy of
// the level's full-screen picture; without one nothing is added. With 3-D
// the pictures stay and are baked as they are.
TEST_F(BakingTest, SurvivalBackgroundKeepsOnlyTheSky)
{
    struct Case {
        bool skyPicture;
        bool accelerated;
    };
    for (const Case& c : {Case{true, false}, Case{false, false}, Case{true, true}}) {
        NewGame();
        mGame->mHooks = &playHooks;
        host.accelerated3D = c.accelerated;
        playHooks.mode = 2;
        const std::string text =
            "<object type=\"level\" name=\"survival\">\n"
            "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
            "<attribute type=\"x\" start=\"400\" end=\"400\">\n"
            "<attribute type=\"y\" start=\"300\" end=\"300\">\n" +
            (c.skyPicture ? Placed("generic", "sky", 0.0f, 0.0f, " image=\"gfx\\sky.png\"") : std::string()) +
            "<object type=\"layer\" name=\"background\">\n"
            "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n" +
            Placed("generic", "houses", 0.0f, 95.0f, " image=\"gfx\\houses.png\"") + "</object>\n</object>\n";
        CreateObjectsFromXml(text.c_str(), nullptr, "survival.xml");
        AnimObject* sky = TestLevel()->FindChildByName("sky");
        if (sky != nullptr) // a picture as tall as the screen
            sky->mImage->mFrameHeight = 600.0f;
        Ticks(1);
        Layer* background = Background();
        ASSERT_NE(background, nullptr);
        int strips = 0;
        for (AnimObject* child = background->mChildren.Head(); child != nullptr; child = child->mNext)
            strips += child->mRemove == 0 ? 1 : 0;
        EXPECT_EQ(background->FindChildByName("houses"), nullptr);
        // One strip for the sky copy (or, with 3-D, the houses); none when
        // nothing is left to bake.
        EXPECT_EQ(strips, (c.skyPicture || c.accelerated) ? 1 : 0) << c.skyPicture << c.accelerated;
    }
}

} // namespace
