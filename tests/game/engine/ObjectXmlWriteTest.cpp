// Writing objects back as object XML: what the writer emits reads back to
// the same objects and writes the same text again, and a value the reader
// could not take back refuses the save.
#include "game/engine/XmlSaveCheck.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/Filter.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Stage.h"
#include "support/GameDataFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Every element and attribute the writer knows, in the form it writes them.
const char* const kFixture =
    "<object name=\"panel\" image=\"gfx\\panel.png\" particle_image=\"gfx\\spark.png\" z_order=\"7\" shadow=\"1\""
    " bilinear=\"0\" snap=\"0\" fullscreen_only=\"1\" clip_left=\"1\" clip_right=\"2\" clip_top=\"3\""
    " clip_bottom=\"4\" tiles_left=\"1\" tiles_right=\"2\" tiles_up=\"3\" tiles_down=\"4\" flip_x=\"1\" flip_y=\"1\""
    " blit_style=\"1\">\n"
    "\t<stage name=\"enter\" ms=\"1000\" loop_start=\"1\" loop_end=\"0\" visible=\"1\">\n"
    "\t\t<attribute type=\"x\" start=\"99999\" end=\"400\">\n"
    "\t\t<attribute type=\"alpha\" start=\"0\" end=\"0.5\">\n"
    "\t\t<filter type=\"decay_sined\" attribute=\"rotation\" amplitude=\"12.5\" period=\"2\" offset=\"90\">\n"
    "\t\t<event type=\"click\" action=\"insert_level\" parm1=\"options\" alt_key=\"return\">\n"
    "\t\t<event type=\"click\" action=\"kill_all\" alt_key=\"escape\">\n"
    "\t\t<event type=\"click\" action=\"go_to_stage\" parm1=\"a\" parm2=\"b\" parm3=\"c\" parm4=\"d\" alt_key=\"space\">\n"
    "\t\t<event type=\"click\" action=\"next_stage\" alt_key=\"p\">\n"
    "\t<stage ms=\"10\" loop_start=\"0\" loop_end=\"1\" visible=\"0\">\n"
    "\t\t<attribute type=\"all\" start=\"999999\" end=\"1e+06\">\n"
    "\t\t<filter type=\"squared\" attribute=\"all\" amplitude=\"0\" period=\"0\" offset=\"0\">\n"
    "\t<object name=\"label\" shadow=\"0\" bilinear=\"0\">\n"
    "\t\t<stage ms=\"0\" loop_start=\"0\" loop_end=\"0\" visible=\"1\">\n"
    "\t\t\t<event type=\"interval\" action=\"play_sound\" parm1=\"1000\" parm3=\"audio\\tick.ogg\">\n"
    "\t</object>\n"
    "\t<load_object_from_file file=\"objects\\cursor.xml\">\n"
    "</object>\n";

class ObjectXmlWriteTest : public GameDataFixture {
protected:
    ObjectXmlWriteTest()
    {
        mFolder.Write("objects/cursor.xml", "<object name=\"cursor\">\n</object>\n");
        mRoot = mGame->mLiveObjects.Append(new Level);
    }

    std::string Write(AnimObject& object)
    {
        std::string text;
        object.WriteXml(text, 0);
        return text;
    }

    AnimObject* mRoot;
};

TEST_F(ObjectXmlWriteTest, WrittenTextReadsBackAndWritesTheSame)
{
    AnimObject* panel = CreateObjectsFromXml(kFixture, mRoot, "fixture.xml");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(messages.empty());
    // Filters with a duration of their own and objects that are not selectable are left out.
    Filter* own = panel->mStages.Head()->AddFilter(mGame->mFilterPool, 4, kAttrY, 1.0f, 1.0f, 0.0f, 0);
    ASSERT_NE(own, nullptr);
    own->mOwnLength = 10.0f;
    panel->AddChild(nullptr)->mSelectable = 0;

    const std::string written = Write(*panel);
    EXPECT_EQ(written, kFixture);

    AnimObject* again = CreateObjectsFromXml(written.c_str(), mRoot, "again.xml");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Write(*again), written);
    EXPECT_EQ(again->mStages.Head()->mStartFromObject[kAttrX], 1);
    EXPECT_EQ(again->mStages.Head()->mEvents.Head()->mAltKey, 13);
    EXPECT_EQ(again->FindChildByName("cursor")->GetFileName(), "objects\\cursor.xml");
}

TEST_F(ObjectXmlWriteTest, ADoubleQuoteInAValueRefusesTheSave)
{
    AnimObject* panel = CreateObjectsFromXml("<object name=\"panel\">\n"
                                             "<stage ms=\"10\">\n"
                                             "<object name=\"button\">\n"
                                             "<stage ms=\"10\">\n"
                                             "<event type=\"click\" action=\"insert_level\" parm1=\"x\">\n"
                                             "</object>\n"
                                             "</object>\n",
                                             mRoot);
    ASSERT_NE(panel, nullptr);
    const std::string path = mFolder.Write("levels/panel.xml", "old");
    EXPECT_TRUE(SaveObjectXml(*panel, path.c_str()));
    EXPECT_EQ(mFolder.Read("levels/panel.xml"), Write(*panel));

    // As the editor would let it be typed.
    AnimObject* button = panel->FindChildByName("button");
    std::strcpy(button->mStages.Head()->mEvents.Head()->mParm1, "say \"hi\"");
    const std::string before = mFolder.Read("levels/panel.xml");
    EXPECT_FALSE(SaveObjectXml(*panel, path.c_str()));
    EXPECT_EQ(mFolder.Read("levels/panel.xml"), before);
    EXPECT_EQ(messages, (std::vector<std::string>{path + ": object \"button\": attribute \"parm1\" holds a double "
                                                         "quote; not saved"}));
}

} // namespace
