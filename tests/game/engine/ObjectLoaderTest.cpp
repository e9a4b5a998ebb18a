// Building objects from object XML: the element vocabulary and its defaults,
// screens opened by "level" objects, nesting limits, files that load files,
// texts the loader refuses, and opening stored screens by name and number.
#include "game/engine/ObjectLoader.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/Filter.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/Stage.h"
#include "support/GameDataFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class ObjectLoaderTest : public GameDataFixture {
protected:
    ObjectLoaderTest()
    {
        mParent = mGame->mLiveObjects.Append(new Level);
        std::strcpy(mParent->mName, "parent");
    }

    void AddRecord(ObjectList<LevelRecord>& list, const char* name, int number, const std::string& text)
    {
        LevelRecord* record = list.Append(new LevelRecord);
        std::strcpy(record->mName, name);
        record->mNumber = number;
        record->mFileName = std::string(name) + ".xml";
        record->mText.reset(new char[text.size() + 1]);
        std::memcpy(record->mText.get(), text.c_str(), text.size() + 1);
        record->mTextLength = int(text.size());
    }

    static std::string Screen(const std::string& name) { return "<object type=\"level\" name=\"" + name + "\">\n</object>\n"; }

    AnimObject* mParent;
};

TEST_F(ObjectLoaderTest, AStageWithAnAttributeAnimatesTheObject)
{
    AnimObject* object = CreateObjectsFromXml("<object name=\"mover\">\n"
                                              "<stage name=\"idle\" ms=\"1000\">\n"
                                              "<attribute type=\"x\" start=\"0\" end=\"100\">\n"
                                              "</object>\n",
                                              mParent, "mover.xml");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->mParent, mParent);
    Stage* stage = object->mStages.Head();
    ASSERT_NE(stage, nullptr);
    EXPECT_STREQ(stage->mName, "idle");
    EXPECT_EQ(stage->mLength, 250.0f);
    EXPECT_EQ(stage->mMask, 1u << kAttrX);
    EXPECT_EQ(stage->mStart[kAttrX], 0.0f);
    EXPECT_EQ(stage->mEnd[kAttrX], 100.0f);
    EXPECT_EQ(stage->mVisible, 1);
    // Half way: x = 50.
    for (int i = 0; i < 126; ++i)
        object->Update();
    EXPECT_EQ(object->mLocal[kAttrX], 50.0f);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ObjectLoaderTest, AttributesTakeTheirDefaults)
{
    mParent->mBilinear = 0;
    AnimObject* outer = CreateObjectsFromXml("<object name=\"outer\" z_order=\"button\" flip_x=\"5\" tiles_up=\"2\">\n"
                                             "  <object name=\"inherits\">\n"
                                             "  </object>\n"
                                             "  <object name=\"own\" bilinear=\"1\" selectable=\"0\" snap=\"0\">\n"
                                             "  </object>\n"
                                             "  <object name=\"a_name_of_thirty_characters_\" z_order=\"2.5\">\n"
                                             "  </object>\n"
                                             "</object>\n",
                                             mParent, "defaults.xml");
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->mZOrder, 7.0f);
    EXPECT_EQ(outer->mFlipX, 1);
    EXPECT_EQ(outer->mFlipY, 0);
    EXPECT_EQ(outer->mTilesUp, 2);
    EXPECT_EQ(outer->mBilinear, 0) << "taken from the parent";
    EXPECT_EQ(outer->mSelectable, 1);
    EXPECT_EQ(outer->mSnap, 1);
    EXPECT_EQ(outer->mShadow, 0);

    AnimObject* inherits = outer->FindChildByName("inherits");
    AnimObject* own = outer->FindChildByName("own");
    AnimObject* longName = outer->FindChildByName("a_name_of_thirty_charac");
    ASSERT_NE(inherits, nullptr);
    ASSERT_NE(own, nullptr);
    ASSERT_NE(longName, nullptr) << "the name is cut to 23 characters";
    EXPECT_EQ(inherits->mBilinear, 0);
    EXPECT_EQ(own->mBilinear, 1);
    EXPECT_EQ(own->mSelectable, 0);
    EXPECT_EQ(own->mSnap, 0);
    EXPECT_EQ(longName->mZOrder, 2.5f);
    EXPECT_EQ(std::strlen(longName->mName), 23u);
    // Children sorted by z: 0, 0, 2.5.
    EXPECT_EQ(outer->mChildren.Tail(), longName);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "defaults.xml:6: object name \"a_name_of_thirty_characters_\" cut to 23 characters");
    // Unknown types become plain objects, after asking the game.
    EXPECT_EQ(hooks.createdTypes, (std::vector<std::string>{"generic", "generic", "generic", "generic"}));
}

TEST_F(ObjectLoaderTest, MisplacedAndUnknownElementsAreIgnoredWithAMessage)
{
    AnimObject* object = CreateObjectsFromXml("<object name=\"o\" colour=\"red\">\n"
                                              "<attribute type=\"x\" start=\"1\" end=\"2\">\n"
                                              "<filter type=\"sined\" attribute=\"y\">\n"
                                              "<event type=\"click\" action=\"kill_all\">\n"
                                              "<sparkle amount=\"3\">\n"
                                              "<stage ms=\"40\">\n"
                                              "<attribute type=\"wobble\" start=\"1\" end=\"2\">\n"
                                              "<filter type=\"wobbly\">\n"
                                              "</object>\n"
                                              "</object>\n",
                                              mParent, "misplaced.xml");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "misplaced.xml:2: \"attribute\" before the object's first stage; ignored",
                            "misplaced.xml:3: \"filter\" before the object's first stage; ignored",
                            "misplaced.xml:4: \"event\" before the object's first stage; ignored",
                        }));
    Stage* stage = object->mStages.Head();
    ASSERT_NE(stage, nullptr);
    EXPECT_TRUE(stage->mEvents.IsEmpty());
    // Unknown names take the vocabulary's fall-backs: "all" and "super_cos".
    EXPECT_EQ(stage->mMask, 1u << kAttrAll);
    ASSERT_NE(stage->mFilters.Head(), nullptr);
    EXPECT_EQ(stage->mFilters.Head()->mType, 0);
    EXPECT_EQ(stage->mFilters.Head()->mAttribute, kAttrAll);
    EXPECT_EQ(mParent->mChildren.Count(), 1);

    // With no object open and no parent there is nothing to give a stage to.
    messages.clear();
    EXPECT_EQ(CreateObjectsFromXml("<stage ms=\"10\">", nullptr, "loose.xml"), nullptr);
    EXPECT_EQ(messages, (std::vector<std::string>{"loose.xml:1: \"stage\" outside any object; ignored"}));
}

TEST_F(ObjectLoaderTest, ALevelObjectOpensATopmostScreenHoldingTheRest)
{
    EXPECT_EQ(CreateObjectsFromXml("<object type=\"level\" name=\"menu\">\n"
                                   "<stage ms=\"100\">\n"
                                   "<object type=\"button\" name=\"button\">\n"
                                   "<object name=\"label\">\n"
                                   "</object>\n"
                                   "</object>\n"
                                   "</object>\n",
                                   nullptr),
              nullptr);
    Level* menu = Topmost();
    ASSERT_NE(menu, nullptr);
    EXPECT_STREQ(menu->mName, "menu");
    EXPECT_EQ(menu->mKind, 6);
    EXPECT_EQ(menu->mParent, nullptr);
    AnimObject* button = menu->FindChildByName("button");
    ASSERT_NE(button, nullptr);
    EXPECT_NE(button->FindChildByName("label"), nullptr);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"parent", "menu"}));
}

TEST_F(ObjectLoaderTest, TheLevelTestLooksAtTheMostRecentTypeOfAnyElement)
{
    // Right after the level element the untyped object is taken for a level too.
    CreateObjectsFromXml("<object type=\"level\" name=\"first\">\n"
                         "<object name=\"second\">\n"
                         "</object>\n"
                         "</object>\n",
                         nullptr);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"parent", "first", "second"}));

    // A typed element in between (an attribute) makes it a child.
    CreateObjectsFromXml("<object type=\"level\" name=\"third\">\n"
                         "<stage ms=\"10\">\n"
                         "<attribute type=\"x\" start=\"0\" end=\"1\">\n"
                         "<object name=\"child\">\n"
                         "</object>\n"
                         "</object>\n",
                         nullptr);
    EXPECT_EQ(ScreenNames(), (std::vector<std::string>{"parent", "first", "second", "third"}));
    EXPECT_NE(Topmost()->FindChildByName("child"), nullptr);
}

TEST_F(ObjectLoaderTest, NestingStopsAt255Objects)
{
    const auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i)
            text += "<object name=\"n" + std::to_string(i) + "\">\n";
        for (int i = 0; i < depth; ++i)
            text += "</object>\n";
        return text;
    };
    AnimObject* deep = CreateObjectsFromXml(nested(255).c_str(), mParent, "deep.xml");
    ASSERT_NE(deep, nullptr);
    EXPECT_TRUE(messages.empty());
    int depth = 0;
    for (AnimObject* object = deep; object != nullptr; object = object->mChildren.Head())
        ++depth;
    EXPECT_EQ(depth, 255);

    EXPECT_EQ(CreateObjectsFromXml(nested(256).c_str(), mParent, "deeper.xml"), nullptr);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "deeper.xml:256: objects nested more than 255 deep; the rest of the text is not read"}));
}

TEST_F(ObjectLoaderTest, AFileThatLoadsItselfIsLoadedOnce)
{
    mFolder.Write("objects/self.xml", "<object name=\"self\">\n"
                                      "<load_object_from_file file=\"objects\\SELF.xml\">\n"
                                      "</object>\n");
    mFolder.Write("objects/a.xml", "<object name=\"a\">\n<load_object_from_file file=\"objects/b.xml\">\n</object>\n");
    mFolder.Write("objects/b.xml", "<object name=\"b\">\n<load_object_from_file file=\"objects/a.xml\">\n</object>\n");

    AnimObject* self = LoadObjectFromFile("objects\\self.xml", mParent);
    ASSERT_NE(self, nullptr);
    EXPECT_TRUE(self->mChildren.IsEmpty());
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "objects\\self.xml:2: \"objects\\SELF.xml\" loads itself; not loaded again"}));

    messages.clear();
    AnimObject* a = LoadObjectFromFile("objects/a.xml", mParent);
    ASSERT_NE(a, nullptr);
    AnimObject* b = a->FindChildByName("b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetFileName(), "objects/b.xml");
    EXPECT_TRUE(b->mChildren.IsEmpty());
    EXPECT_EQ(messages,
              (std::vector<std::string>{"objects/b.xml:2: \"objects/a.xml\" loads itself; not loaded again"}));
}

TEST_F(ObjectLoaderTest, FilesNestMoreThan16DeepAreRefused)
{
    for (int i = 0; i < 20; ++i)
        mFolder.Write("f" + std::to_string(i) + ".xml", "<object name=\"f" + std::to_string(i) +
                                                            "\">\n<load_object_from_file file=\"f" +
                                                            std::to_string(i + 1) + ".xml\">\n</object>\n");
    ASSERT_NE(LoadObjectFromFile("f0.xml", mParent), nullptr);
    EXPECT_EQ(messages, (std::vector<std::string>{"f15.xml:2: \"f16.xml\" is nested more than 16 files deep; not loaded"}));
    // Files that each load the next one twice would be 1023 loads; 256 are made.
    for (int i = 0; i < 10; ++i) {
        const std::string next = "<load_object_from_file file=\"d" + std::to_string(i + 1) + ".xml\">\n";
        mFolder.Write("d" + std::to_string(i) + ".xml",
                      "<object name=\"d\">\n" + (i < 9 ? next + next : std::string()) + "</object>\n");
    }
    messages.clear();
    AnimObject* d0 = LoadObjectFromFile("d0.xml", mParent);
    ASSERT_NE(d0, nullptr);
    const auto count = [](const auto& self, const AnimObject* object) -> int {
        int total = 1;
        for (const AnimObject* child = object->mChildren.Head(); child != nullptr; child = child->mNext)
            total += self(self, child);
        return total;
    };
    EXPECT_EQ(count(count, d0), 256);
    EXPECT_TRUE(Told("\" would be file number 257 of one build; not loaded"));

    EXPECT_EQ(LoadObjectFromFile("missing.xml", mParent), nullptr);
    EXPECT_TRUE(Told("missing.xml: \"missing.xml\" cannot be read"));
}

TEST_F(ObjectLoaderTest, RefusedAndUnfinishedTexts)
{
    // A top-level object needs a parent, unless it is a level.
    EXPECT_EQ(CreateObjectsFromXml("<object name=\"orphan\">\n</object>\n", nullptr, "orphan.xml"), nullptr);
    EXPECT_EQ(messages,
              (std::vector<std::string>{"orphan.xml:1: an object with no parent to belong to; the text is refused"}));
    EXPECT_EQ(mGame->mObjectPool.CountInUse(), 0);

    // A closing tag with nothing open is ignored.
    messages.clear();
    AnimObject* object = CreateObjectsFromXml("<object name=\"one\">\n</object>\n</object>\n", mParent, "extra.xml");
    EXPECT_NE(object, nullptr);

    // Quitting stops the text after the tag in hand: nothing is returned.
    mGame->SetQuitting();
    EXPECT_EQ(CreateObjectsFromXml("<object name=\"late\">\n<object name=\"inner\">\n</object>\n</object>\n", mParent),
              nullptr);
    AnimObject* late = mParent->FindChildByName("late");
    ASSERT_NE(late, nullptr);
    EXPECT_TRUE(late->mChildren.IsEmpty());
}

TEST_F(ObjectLoaderTest, StoredScreensOpenByNameAndNumber)
{
    AddRecord(mGame->mMainLevels, "main_menu", 0, Screen("main_menu"));
    AddRecord(mGame->mMainLevels, "level5", 5, Screen("level5"));
    AddRecord(mGame->mRelaxedLevels, "relaxed5", 5, Screen("relaxed5"));
    AddRecord(mGame->mTrickLevels, "trick3", 3, Screen("trick3"));
    AddRecord(mGame->mMainLevels, "object_only", 0, "<object name=\"loose\">\n</object>\n");

    InsertLevelByName("main_menu");
    EXPECT_STREQ(Topmost()->mName, "main_menu");
    EXPECT_EQ(hooks.tickClockResets, 1);

    InsertLevelByNumber(1003);
    EXPECT_STREQ(Topmost()->mName, "trick3");
    EXPECT_EQ(Topmost()->mLevelNumber, 3u);
    InsertLevelByNumber(5);
    EXPECT_STREQ(Topmost()->mName, "level5");
    EXPECT_EQ(Topmost()->mLevelNumber, 5u);
    hooks.mode = 1;
    InsertLevelByNumber(5);
    EXPECT_STREQ(Topmost()->mName, "relaxed5");
    EXPECT_EQ(hooks.tickClockResets, 4);

    // A number without a record opens nothing, yet restarts the clock.
    const size_t screens = ScreenNames().size();
    InsertLevelByNumber(7);
    EXPECT_EQ(ScreenNames().size(), screens);
    EXPECT_EQ(hooks.tickClockResets, 5);
    // An unknown name changes nothing, not even the clock.
    InsertLevelByName("nowhere");
    EXPECT_EQ(ScreenNames().size(), screens);
    EXPECT_EQ(hooks.tickClockResets, 5);

    // A record that opens no screen leaves the older screens' numbers alone.
    Topmost()->mLevelNumber = 42;
    InsertLevelByName("object_only");
    EXPECT_EQ(ScreenNames().size(), screens);
    EXPECT_EQ(Topmost()->mLevelNumber, 42u);
    EXPECT_TRUE(Told("object_only.xml:1: an object with no parent"));
}

} // namespace
