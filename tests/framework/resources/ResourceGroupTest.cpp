// Loading and releasing resource groups: images through the application's
// shared images, sounds through a recording sound manager, fonts through the
// font classes.
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/ResourceManagerException.h"
#include "framework/sound/SoundManager.h"
#include "framework/parsers/XMLElement.h"
#include "framework/parsers/XMLParser.h"
#include "support/FakeTextRenderer.h"
#include "support/FontTestApp.h"
#include "support/TempFolder.h"
#include "support/TgaWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Lumo::ResourceManager;
using Lumo::ResourceManagerException;

namespace {

// Records the calls the resource manager makes; loads any name not in
// failing.
class RecordingSoundManager : public Lumo::SoundManager {
public:
    bool Initialized() override { return true; }
    int LoadSound(const std::string&) override { return -1; }
    bool LoadSound(unsigned int id, const std::string& fileName) override
    {
        calls.push_back("load " + std::to_string(id) + " " + fileName);
        return fileName.find("bad") == std::string::npos;
    }
    void ReleaseSound(unsigned int id) override { calls.push_back("release " + std::to_string(id)); }
    void SetVolume(double) override {}
    bool SetBaseVolume(unsigned int id, double volume) override
    {
        calls.push_back("volume " + std::to_string(id) + " " + std::to_string(volume));
        return true;
    }
    bool SetBasePan(unsigned int id, int pan) override
    {
        calls.push_back("pan " + std::to_string(id) + " " + std::to_string(pan));
        return true;
    }
    Lumo::SoundInstance* GetSoundInstance(unsigned int) override { return nullptr; }
    void ReleaseSounds() override {}
    void ReleaseChannels() override {}
    double GetMasterVolume() override { return 1.0; }
    void SetMasterVolume(double) override {}
    void Reserved() override {}
    void SetCooperativeWindow(Plat::Window*, bool) override {}
    void StopAllSounds() override {}
    int GetFreeSoundId() override { return nextId < maxIds ? nextId++ : -1; }
    int GetNumSounds() override { return nextId; }

    std::vector<std::string> calls;
    int nextId = 0;
    int maxIds = 256;
};

class ResourceGroupTest : public ::testing::Test {
protected:
    ResourceGroupTest()
    {
        app.soundManager = &sounds;
        manager = app.resourceManager;
    }

    ~ResourceGroupTest() override
    {
        manager->UnloadGroup("");
        app.soundManager = nullptr;
    }

    void WriteTga(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels)
    {
        TgaHeader header;
        header.width = static_cast<uint16_t>(width);
        header.height = static_cast<uint16_t>(height);
        folder.Write(name, TgaWriter::Build(header, pixels));
    }

    // Defines the records of body in group (single quotes stand for double).
    void Define(const std::string& group, const std::string& body)
    {
        std::string text = "<Resources><SetDefaults path='" + folder.Path() + "'/>" + body + "</Resources>";
        std::u16string wide(text.begin(), text.end());
        for (char16_t& c : wide) {
            if (c == u'\'')
                c = u'"';
        }
        Lumo::XMLParser parser;
        parser.SetString(wide);
        Lumo::XMLElement start;
        ASSERT_TRUE(parser.NextElement(start));
        manager->SetCurrentGroup(group);
        manager->mXMLParser = &parser;
        const bool ok = manager->ParseSection();
        manager->mXMLParser = nullptr;
        ASSERT_TRUE(ok) << manager->GetErrorText();
    }

    Lumo::MemoryImage* Image(const std::string& id)
    {
        Lumo::SharedImageRef ref = manager->RequireImage(id);
        return ref;
    }

    TempFolder folder;
    RecordingSoundManager sounds; // outlives the application
    LumoTest::FakeTextRenderer textRenderer;
    FontTestApp app;
    ResourceManager* manager;
};

TEST_F(ResourceGroupTest, ApplicationOwnsOneManager)
{
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->mApp, &app);
}

TEST_F(ResourceGroupTest, ImagesLoadWithTheirAttributesAndUnloadAgain)
{
    WriteTga("a.tga", 4, 2, std::vector<uint32_t>(8, 0xFF102030));
    // The alpha picture's blue byte becomes the alpha: 0x00..0x07.
    std::vector<uint32_t> alpha;
    for (uint32_t i = 0; i < 8; ++i)
        alpha.push_back(0xFF000000 | (0x10 * i) << 16 | i);
    WriteTga("alpha.tga", 4, 2, alpha);
    Define("art", "<Image path='a.tga' alphaimage='alpha.tga' rows='2' cols='2' a4r4g4b4='' minsubdivide=''"
                  " anim='loop' framedelay='40' nopal=''/>");

    app.writeToDataCache = true;
    EXPECT_TRUE(manager->LoadGroup("art")) << manager->GetErrorText();
    EXPECT_TRUE(manager->IsGroupLoaded("art"));
    ASSERT_EQ(app.cacheSwitchDuringLoad.size(), 1u);
    EXPECT_FALSE(app.cacheSwitchDuringLoad[0]) << "the data cache is off while the image loads";
    EXPECT_TRUE(app.writeToDataCache) << "and back on afterwards";

    Lumo::MemoryImage* image = Image("a");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 4);
    EXPECT_EQ(image->mNumRows, 2);
    EXPECT_EQ(image->mNumCols, 2);
    EXPECT_EQ(image->mTextureFlags, 4 | 1);
    ASSERT_NE(image->mAnimInfo, nullptr);
    EXPECT_EQ(image->mAnimInfo->mKind, Lumo::AnimInfo::KIND_LOOP);
    const uint32_t* bits = image->GetBits();
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[0], 0x00102030u);
    EXPECT_EQ(bits[7], 0x07102030u);

    // Loading again touches no file.
    EXPECT_TRUE(manager->LoadGroup("art"));
    EXPECT_EQ(app.loadedFiles.size(), 1u);

    manager->UnloadGroup("art");
    EXPECT_FALSE(manager->IsGroupLoaded("art"));
    EXPECT_THROW(manager->RequireImage("a"), ResourceManagerException);
    EXPECT_EQ(manager->mImageMap.count("a"), 1u) << "the record stays defined";
}

TEST_F(ResourceGroupTest, AlphaGridFillsEveryCell)
{
    WriteTga("sheet.tga", 96, 64, std::vector<uint32_t>(96 * 64, 0xFFFFFFFF));
    std::vector<uint32_t> grid(32 * 32, 0xFF000000);
    grid[0] = 0xFF000011;
    grid[32 * 31 + 31] = 0xFF0000EE;
    WriteTga("grid.tga", 32, 32, grid);
    WriteTga("small.tga", 33, 32, std::vector<uint32_t>(33 * 32, 0));
    Define("good", "<Image path='sheet.tga' alphagrid='grid.tga' rows='2' cols='3'/>");
    Define("bad", "<Image path='sheet.tga' id='other' variant='v2' alphagrid='small.tga' rows='2' cols='3'/>");

    ASSERT_TRUE(manager->LoadGroup("good")) << manager->GetErrorText();
    const uint32_t* bits = Image("sheet")->GetBits();
    ASSERT_NE(bits, nullptr);
    // Cell (row 1, column 2) starts at (64, 32); its last pixel is (95, 63).
    EXPECT_EQ(bits[32 * 96 + 64], 0x11FFFFFFu);
    EXPECT_EQ(bits[63 * 96 + 95], 0xEEFFFFFFu);
    EXPECT_EQ(bits[0], 0x11FFFFFFu);
    EXPECT_EQ(bits[1], 0x00FFFFFFu);

    EXPECT_FALSE(manager->LoadGroup("bad"));
    EXPECT_EQ(manager->GetErrorText(), "GridAlphaImage size mismatch between " + folder.Path() +
                                           "/sheet.tga and " + folder.Path() + "/small.tga");
}

TEST_F(ResourceGroupTest, FailureStopsTheGroupAtTheFailingRecord)
{
    WriteTga("a.tga", 2, 2, std::vector<uint32_t>(4, 0xFF000000));
    Define("g", "<Image path='missing.tga'/><Sound path='s.ogg'/>");
    EXPECT_FALSE(manager->LoadGroup("g"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load image: " + folder.Path() + "/missing.tga");
    EXPECT_FALSE(manager->IsGroupLoaded("g"));
    EXPECT_TRUE(sounds.calls.empty()) << "the rest of the group is not visited";

    Define("sizes", "<Image path='a.tga' id='b' alphaimage='missing.tga'/>");
    EXPECT_FALSE(manager->LoadGroup("sizes"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load image: " + folder.Path() + "/missing.tga");
}

TEST_F(ResourceGroupTest, StepwiseLoadAndProgramRecords)
{
    Define("prog", "<Image path='!program' id='p'/><Sound path='!program' id='ps'/><Font path='!program' id='pf'/>");
    EXPECT_TRUE(manager->LoadGroup("prog"));
    EXPECT_TRUE(manager->IsGroupLoaded("prog"));
    EXPECT_TRUE(app.loadedFiles.empty());
    EXPECT_TRUE(sounds.calls.empty());

    Define("snd", "<Sound path='a.ogg'/><Sound path='b.ogg'/>");
    manager->BeginGroupLoad("snd");
    EXPECT_TRUE(manager->LoadNextPending());
    EXPECT_EQ(sounds.calls.size(), 1u);
    EXPECT_TRUE(manager->LoadNextPending());
    EXPECT_FALSE(manager->LoadNextPending());
    EXPECT_FALSE(manager->HasFailed());
    EXPECT_EQ(manager->RequireSound("b"), 1);

    // An unknown group is simply empty.
    EXPECT_TRUE(manager->LoadGroup("nothing"));
}

TEST_F(ResourceGroupTest, SoundsLoadWithBaseVolumeAndPanOnlyWhenGiven)
{
    Define("snd", "<Sound path='plain.ogg'/><Sound path='tuned.ogg' volume='0.25' pan='-30'/>"
                  "<Sound path='zero.ogg' volume='0'/>");
    ASSERT_TRUE(manager->LoadGroup("snd")) << manager->GetErrorText();
    const std::string dir = folder.Path() + "/";
    EXPECT_EQ(sounds.calls, (std::vector<std::string>{"load 0 " + dir + "plain.ogg", "load 1 " + dir + "tuned.ogg",
                                                       "volume 1 0.250000", "pan 1 -30", "load 2 " + dir + "zero.ogg",
                                                       "volume 2 0.000000"}));
    EXPECT_EQ(manager->RequireSound("tuned"), 1);

    sounds.calls.clear();
    manager->UnloadGroup("snd");
    EXPECT_EQ(sounds.calls, (std::vector<std::string>{"release 0", "release 1", "release 2"}));
    EXPECT_THROW(manager->RequireSound("plain"), ResourceManagerException);

    Define("bad", "<Sound path='bad.ogg'/>");
    EXPECT_FALSE(manager->LoadGroup("bad"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load sound: " + dir + "bad.ogg");

    sounds.maxIds = 0;
    Define("full", "<Sound path='more.ogg'/>");
    EXPECT_FALSE(manager->LoadGroup("full"));
    EXPECT_EQ(manager->GetErrorText(), "Out of free sound ids");
}

TEST_F(ResourceGroupTest, FontsOfEveryKind)
{
    folder.Write("fancy.txt", std::string("CreateLayer Plain; CreateLayer Bold; LayerRequireTags Bold ('bold');"));
    folder.Write("broken.txt", std::string("CreateLayer"));
    // A tag list longer than any fixed buffer.
    std::string tags = "bold";
    while (tags.size() < 3000)
        tags += ", filler";
    tags += "\tlast";
    Define("fonts", "<Font path='!sys:Arial' id='sys' size='12' bold='' shadow=''/>"
                    "<Font path='fancy.txt' tags='" + tags + "'/>"
                    "<Font path='!ref:fancy' id='copy'/>");
    ASSERT_TRUE(manager->LoadGroup("fonts")) << manager->GetErrorText();

    auto* sys = dynamic_cast<Lumo::SysFont*>(manager->RequireFont("sys"));
    ASSERT_NE(sys, nullptr);
    EXPECT_TRUE(sys->mDrawShadow);
    EXPECT_FALSE(sys->mSimulateBold);

    auto* fancy = dynamic_cast<Lumo::ImageFont*>(manager->RequireFont("fancy"));
    ASSERT_NE(fancy, nullptr);
    ASSERT_GE(fancy->mTagVector.size(), 3u);
    EXPECT_EQ(fancy->mTagVector.front(), "BOLD");
    EXPECT_EQ(fancy->mTagVector.back(), "LAST");
    EXPECT_EQ(fancy->mActiveLayerList.size(), 2u) << "the bold layer is active";

    Lumo::Font* copy = manager->RequireFont("copy");
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, fancy);
    EXPECT_EQ(manager->FindFont("copy"), copy);

    Define("broken", "<Font path='broken.txt'/>");
    EXPECT_FALSE(manager->LoadGroup("broken"));
    EXPECT_EQ(manager->GetErrorText(), "Failed to load font: " + folder.Path() + "/broken.txt");

    Define("ref", "<Font path='!ref:nobody' id='lost'/>");
    EXPECT_FALSE(manager->LoadGroup("ref"));
    EXPECT_EQ(manager->GetErrorText(), "Ref font not found: nobody");

    // An empty group name releases every record of all three maps.
    manager->UnloadGroup("");
    EXPECT_EQ(manager->FindFont("sys"), nullptr);
    EXPECT_EQ(manager->FindFont("fancy"), nullptr);
    EXPECT_THROW(manager->RequireFont("copy"), ResourceManagerException);
}

} // namespace
