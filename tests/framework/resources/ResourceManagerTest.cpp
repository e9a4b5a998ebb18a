// Resource description parsing, its error texts and the lookups by id.
#include "framework/resources/ResourceManager.h"
#include "framework/resources/ResourceManagerException.h"
#include "framework/parsers/XMLElement.h"
#include "framework/parsers/XMLParser.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using Lumo::ResourceManager;
using Lumo::ResourceManagerException;
using Lumo::XMLElement;
using Lumo::XMLParser;

namespace {

// Descriptions are written with single quotes for readability; the parser
// reads double ones.
std::u16string Wide(const std::string& text)
{
    std::u16string wide(text.begin(), text.end());
    for (char16_t& c : wide) {
        if (c == u'\'')
            c = u'"';
    }
    return wide;
}

class ResourceManagerTest : public ::testing::Test {
protected:
    // Parses one section "<Resources>" + body + "</Resources>" of group "g".
    bool Parse(const std::string& body)
    {
        parser = std::make_unique<XMLParser>();
        parser->SetString(Wide("<Resources>" + body + "</Resources>"));
        return ParseOpened();
    }

    bool ParseOpened()
    {
        XMLElement start;
        EXPECT_TRUE(parser->NextElement(start));
        EXPECT_EQ(start.mValue, "Resources");
        manager.mXMLParser = parser.get();
        manager.SetCurrentGroup("g");
        const bool ok = manager.ParseSection();
        manager.mXMLParser = nullptr;
        return ok;
    }

    ResourceManager::ImageRes* Image(const std::string& id)
    {
        auto it = manager.mImageMap.find(id);
        return it == manager.mImageMap.end() ? nullptr : static_cast<ResourceManager::ImageRes*>(it->second);
    }

    ResourceManager manager{nullptr};
    std::unique_ptr<XMLParser> parser;
};

TEST_F(ResourceManagerTest, ElementsBecomeRecordsOfTheirKindAndGroup)
{
    ASSERT_TRUE(Parse("<SetDefaults path='images\\' idprefix='IMG_'/>"
                      "<Image path='ball.png'/>"
                      "<Image path='!program' id='Pic'/>"
                      "<Sound path='snd\\pop.ogg' id='Pop' volume='0.5' pan='-20'/>"
                      "<Sound path='!x' id='Quiet'/>"
                      "<Font path='!sys:Arial' id='Sys' size='12' bold='' shadow=''/>"
                      "<Font path='fonts\\big.txt' image='big.png' tags='a, b'/>"))
        << manager.GetErrorText();

    ResourceManager::ImageRes* ball = Image("IMG_ball");
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(ball->mPath, "images/ball.png");
    EXPECT_EQ(ball->mResGroup, "g");
    EXPECT_FALSE(ball->mFromProgram);
    EXPECT_EQ(ball->mRows, 1);
    EXPECT_EQ(ball->mCols, 1);
    EXPECT_TRUE(ball->mPalletize);
    EXPECT_EQ(ball->mAlphaColor, 0xFFFFFFu);
    EXPECT_EQ(ball->mXMLAttributes.at("path"), "ball.png");
    ASSERT_NE(Image("IMG_Pic"), nullptr);
    EXPECT_TRUE(Image("IMG_Pic")->mFromProgram);
    EXPECT_EQ(Image("IMG_Pic")->mPath, "!program");

    auto* pop = static_cast<ResourceManager::SoundRes*>(manager.mSoundMap.at("IMG_Pop"));
    EXPECT_EQ(pop->mPath, "images/snd\\pop.ogg");
    EXPECT_EQ(pop->mVolume, 0.5);
    EXPECT_EQ(pop->mPanning, -20);
    EXPECT_EQ(pop->mSoundId, -1);
    auto* quiet = static_cast<ResourceManager::SoundRes*>(manager.mSoundMap.at("IMG_Quiet"));
    EXPECT_EQ(quiet->mVolume, -1.0);
    EXPECT_EQ(quiet->mPanning, 0);

    auto* sys = static_cast<ResourceManager::FontRes*>(manager.mFontMap.at("IMG_Sys"));
    EXPECT_TRUE(sys->mSysFont);
    EXPECT_EQ(sys->mPath, "Arial");
    EXPECT_EQ(sys->mSize, 12);
    EXPECT_TRUE(sys->mBold);
    EXPECT_TRUE(sys->mShadow);
    EXPECT_FALSE(sys->mItalic);
    auto* big = static_cast<ResourceManager::FontRes*>(manager.mFontMap.at("IMG_big"));
    EXPECT_EQ(big->mImagePath, "big.png") << "the font picture is taken as written";
    EXPECT_EQ(big->mTags, "a, b");

    // The group lists the records in definition order.
    const ResourceManager::ResList& list = manager.mResGroupMap.at("g");
    std::vector<std::string> ids;
    for (const ResourceManager::BaseRes* res : list)
        ids.push_back(res->mId);
    EXPECT_EQ(ids, (std::vector<std::string>{"IMG_ball", "IMG_Pic", "IMG_Pop", "IMG_Quiet", "IMG_Sys", "IMG_big"}));
}

TEST_F(ResourceManagerTest, ImageFlagsAndAnimation)
{
    ASSERT_TRUE(Parse("<Image path='a.png' nopal='' a4r4g4b4='' ddsurface='' nobits='' a8r8g8b8='' minsubdivide=''"
                      " alphaimage='a_.png' alphagrid='g.png' alphacolor='ff00ff' variant='v' rows='2' cols='4'"
                      " anim='LOOP' framedelay='50' begindelay='10' enddelay='20' perframedelay='5,10'"
                      " framemap='3,2,1'/>"
                      "<Image path='b.png' nobits3d='' anim='PingPong'/>"
                      "<Image path='c.png' nobits2d='' anim='once'/>"))
        << manager.GetErrorText();
    ResourceManager::ImageRes* a = Image("a");
    ASSERT_NE(a, nullptr);
    EXPECT_FALSE(a->mPalletize);
    EXPECT_TRUE(a->mA4R4G4B4 && a->mDDSurface && a->mPurgeBits && a->mA8R8G8B8 && a->mMinimizeSubdivisions);
    EXPECT_EQ(a->mAlphaImage, "a_.png");
    EXPECT_EQ(a->mAlphaGridImage, "g.png");
    EXPECT_EQ(a->mAlphaColor, 0xFF00FFu);
    EXPECT_EQ(a->mVariant, "v");
    EXPECT_EQ(a->mRows, 2);
    EXPECT_EQ(a->mCols, 4);
    EXPECT_EQ(a->mAnimInfo.mKind, Lumo::AnimInfo::KIND_LOOP);
    EXPECT_EQ(a->mAnimInfo.mFrameDelay, 50);
    EXPECT_FALSE(a->mAnimInfo.mPerFrameTimes.empty());
    EXPECT_EQ(a->mAnimInfo.mFrameMap, (std::vector<int>{3, 2, 1}));
    // Without a display the application is not 3-D: only "nobits2d" purges.
    EXPECT_EQ(Image("b")->mAnimInfo.mKind, Lumo::AnimInfo::KIND_PING_PONG);
    EXPECT_FALSE(Image("b")->mPurgeBits);
    EXPECT_EQ(Image("c")->mAnimInfo.mKind, Lumo::AnimInfo::KIND_ONCE);
    EXPECT_TRUE(Image("c")->mPurgeBits);
}

TEST_F(ResourceManagerTest, ParseErrorsKeepTheFirstText)
{
    struct Case {
        const char* body;
        const char* error;
    };
    const Case cases[] = {
        {"<Image id='x'/>", "No path specified."},
        {"<Image path=''/>", "No path specified."},
        {"<Image path='a.png'/><Image path='b.png' id='a'/>", "Resource already defined."},
        {"<Image path='a.png' anim='bounce'/>", "Invalid animation type."},
        {"<Image path='a.png' rows='0'/>", "Invalid rows or cols."},
        {"<Image path='a.png' cols='-2'/>", "Invalid rows or cols."},
        {"<Font path='!sys:Arial'/>", "SysFont needs point size"},
        {"<Font path='!sys:Arial' size='0'/>", "SysFont needs point size"},
        {"<Music path='a.ogg'/>", "Invalid Section 'Music'"},
        {"hello<Image path='a.png'/>", "Element Not Expected 'hello'"},
        {"<Image path='a.png'><Sound path='b'/></Image>", "Unexpected element found."},
    };
    for (const Case& c : cases) {
        ResourceManager fresh(nullptr);
        XMLParser xml;
        xml.SetString(Wide(std::string("<Resources>") + c.body + "</Resources>"));
        XMLElement start;
        ASSERT_TRUE(xml.NextElement(start));
        fresh.SetCurrentGroup("g");
        fresh.mXMLParser = &xml;
        EXPECT_FALSE(fresh.ParseSection()) << c.body;
        EXPECT_TRUE(fresh.HasFailed()) << c.body;
        fresh.mXMLParser = nullptr;
        EXPECT_EQ(fresh.GetErrorText(), std::string(c.error) + " on Line 1") << c.body;
    }
}

TEST_F(ResourceManagerTest, RedefinitionKeepsTheFirstRecordUnlessAllowed)
{
    EXPECT_FALSE(Parse("<Image path='a.png' rows='3'/><Image path='other.png' id='a'/>"));
    EXPECT_EQ(manager.GetErrorText(), "Resource already defined. on Line 1");
    ASSERT_NE(Image("a"), nullptr);
    EXPECT_EQ(Image("a")->mPath, "a.png");
    EXPECT_EQ(Image("a")->mRows, 3);
    EXPECT_EQ(manager.mResGroupMap.at("g").size(), 1u);

    ResourceManager allowing(nullptr);
    allowing.mAllowAlreadyDefinedResources = true;
    XMLParser xml;
    xml.SetString(Wide("<R><Image path='a.png' rows='3'/><Image path='other.png' id='a' cols='2'/></R>"));
    XMLElement start;
    ASSERT_TRUE(xml.NextElement(start));
    allowing.SetCurrentGroup("g");
    allowing.mXMLParser = &xml;
    EXPECT_TRUE(allowing.ParseSection()) << allowing.GetErrorText();
    allowing.mXMLParser = nullptr;
    EXPECT_FALSE(allowing.HasFailed());
    auto* a = static_cast<ResourceManager::ImageRes*>(allowing.mImageMap.at("a"));
    EXPECT_EQ(a->mPath, "other.png");
    EXPECT_EQ(a->mRows, 1) << "the new element's attributes are read into the first record";
    EXPECT_EQ(a->mCols, 2);
    EXPECT_EQ(allowing.mResGroupMap.at("g").size(), 1u);
}

TEST_F(ResourceManagerTest, ErrorTextCarriesLineAndFile)
{
    TempFolder folder;
    const std::string path =
        folder.Write("res.xml", std::string("<Resources>\n\n\n\n\n\n\n\n\n\n\n<Image id=\"x\"/>\n</Resources>\n"));
    parser = std::make_unique<XMLParser>();
    ASSERT_TRUE(parser->OpenFile(path));
    EXPECT_FALSE(ParseOpened());
    EXPECT_EQ(manager.GetErrorText(), "No path specified. on Line 12 in File '" + parser->GetFileName() + "'");
}

TEST_F(ResourceManagerTest, ParseIntList)
{
    std::vector<int> list{7};
    ResourceManager::ParseIntList("5,10", list);
    EXPECT_EQ(list, (std::vector<int>{5, 10}));
    ResourceManager::ParseIntList("", list);
    EXPECT_EQ(list, (std::vector<int>{0}));
    ResourceManager::ParseIntList("1,,x,-3", list);
    EXPECT_EQ(list, (std::vector<int>{1, 0, 0, -3}));
}

TEST_F(ResourceManagerTest, LookupsThrowForMissingOrUnloadedRecords)
{
    ASSERT_TRUE(Parse("<Image path='a.png'/><Sound path='s.ogg'/><Font path='f.txt'/>"
                      "<Image path='!program' id='p'/><Sound path='!program' id='ps'/>"
                      "<Font path='!program' id='pf'/>"));
    try {
        manager.RequireSound("nope");
        FAIL() << "no exception";
    } catch (const ResourceManagerException& e) {
        EXPECT_EQ(e.mText, "Sound resource not found: nope");
        EXPECT_STREQ(e.what(), "Sound resource not found: nope");
    }
    // The first error stays: later lookups carry it.
    try {
        manager.RequireImage("a");
        FAIL() << "no exception";
    } catch (const ResourceManagerException& e) {
        EXPECT_EQ(e.mText, "Sound resource not found: nope");
    }
    ResourceManager fresh(nullptr);
    EXPECT_THROW(fresh.RequireFont("f"), ResourceManagerException);
    EXPECT_EQ(fresh.GetErrorText(), "Font resource not found: f");

    // Program records are empty only while missing ones are allowed.
    EXPECT_THROW(manager.RequireImage("p"), ResourceManagerException);
    manager.mAllowMissingProgramResources = true;
    EXPECT_EQ(static_cast<Lumo::Image*>(manager.RequireImage("p")), nullptr);
    EXPECT_EQ(manager.RequireSound("ps"), -1);
    EXPECT_EQ(manager.RequireFont("pf"), nullptr);
    EXPECT_THROW(manager.RequireSound("s"), ResourceManagerException);
    EXPECT_EQ(manager.FindFont("f"), nullptr);
    EXPECT_EQ(manager.FindFont("none"), nullptr);
}

} // namespace
