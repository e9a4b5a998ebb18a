// Layers and the shooter's editor data as objects of a level file: their
// kinds, what they read and write back, and the path points' own end.
#include "LayerFixture.h"

#include "game/engine/EasingKind.h"
#include "game/play/ScrollPoint.h"
#include "game/play/ShooterPath.h"

#include <memory>
#include <string>

namespace {

class LayerTest : public LayerFixture {};

TEST_F(LayerTest, FactoryKeysGiveTheirClassAndKind)
{
    struct Case {
        const char* key;
        int kind;
    };
    for (const Case& c : {Case{"layer", kKindLayer}, Case{"shooter_path", kKindShooterPath},
                          Case{"scroll_point", kKindScrollPoint}}) {
        std::unique_ptr<AnimObject> object(CreateGameObject(c.key));
        ASSERT_NE(object, nullptr) << c.key;
        EXPECT_EQ(object->mKind, c.kind) << c.key;
    }
    std::unique_ptr<AnimObject> point(CreateGameObject("scroll_point"));
    EXPECT_NE(dynamic_cast<ShooterPath*>(point.get()), nullptr);
}

// "merged" as read, forced on for the background and, outside Survival, for
// the playfield; written back with the type so a saved level reloads the same.
TEST_F(LayerTest, MergedFlagIsReadForcedAndWrittenBack)
{
    struct Case {
        const char* name;
        const char* merged; // null: absent
        int mode;
        int expected;
    };
    const Case cases[] = {
        {"background", nullptr, 2, 1}, {"tiles", nullptr, 0, 1}, {"tiles", nullptr, 2, 0},
        {"tiles", "1", 2, 1},          {"clouds", nullptr, 0, 0}, {"clouds", "1", 0, 1},
        {"Background", nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        playHooks.mode = c.mode;
        std::string text = std::string("<object type=\"layer\" name=\"") + c.name + "\"" +
                           (c.merged != nullptr ? std::string(" merged=\"") + c.merged + "\"" : "") +
                           ">\n<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n";
        AnimObject root;
        AnimObject* layer = CreateObjectsFromXml(text.c_str(), &root);
        ASSERT_NE(dynamic_cast<Layer*>(layer), nullptr) << c.name;
        EXPECT_EQ(static_cast<Layer*>(layer)->mMerged, c.expected) << c.name << " mode " << c.mode;

        std::string saved;
        layer->WriteXml(saved, 0);
        EXPECT_NE(saved.find("type=\"layer\""), std::string::npos) << saved;
        EXPECT_NE(saved.find("merged=\"" + std::to_string(c.expected) + "\""), std::string::npos) << saved;
        // The Survival playfield keeps its own flag through a save.
        playHooks.mode = 2;
        AnimObject* reloaded = CreateObjectsFromXml(saved.c_str(), &root);
        ASSERT_NE(dynamic_cast<Layer*>(reloaded), nullptr) << saved;
        if (std::string(c.name) != "background") {
            EXPECT_EQ(static_cast<Layer*>(reloaded)->mMerged, c.expected) << saved;
        }
    }
}

// Each editor-data class writes its own key, so a saved level reloads it as itself.
TEST_F(LayerTest, EditorDataKeepsItsClassThroughASave)
{
    for (const char* key : {"shooter_path", "scroll_point"}) {
        std::unique_ptr<AnimObject> object(CreateGameObject(key));
        object->AddStage(1000.0f, 1, 1, 1, nullptr);
        object->mSelectable = 1;
        std::string saved;
        object->WriteXml(saved, 0);
        AnimObject root;
        AnimObject* reloaded = CreateObjectsFromXml(saved.c_str(), &root);
        ASSERT_NE(reloaded, nullptr) << saved << (messages.empty() ? "" : messages.back());
        EXPECT_EQ(reloaded->mKind, object->mKind) << saved;
    }
}

TEST_F(LayerTest, PlateContainerGoesAboveItsSiblings)
{
    const std::string text = "<object type=\"layer\" name=\"tiles\">\n"
                             "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n" +
                             Placed("generic", "front", 0.0f, 0.0f, " z_order=\"7.5\"") +
                             Placed("generic", "back", 0.0f, 0.0f, " z_order=\"-2\"") +
                             "<object type=\"layer\" name=\"my_plate_container\">\n"
                             "<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n</object>\n</object>\n";
    AnimObject root;
    AnimObject* tiles = CreateObjectsFromXml(text.c_str(), &root);
    ASSERT_NE(tiles, nullptr);
    AnimObject* container = tiles->FindChildOfKind(kKindLayer);
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->mZOrder, 8.5f);
    EXPECT_EQ(tiles->mChildren.Tail(), container);
}

// A path point falling past 20 px above the bottom edge goes; one rising there stays.
TEST_F(LayerTest, ShooterPathGoesOnceItFallsPastTheBottom)
{
    struct Case {
        float y;
        float velocity;
        bool lives;
    };
    for (const Case& c : {Case{577.0f, 2.0f, true}, Case{578.0f, 2.0f, false}, Case{700.0f, -1.0f, true},
                          Case{700.0f, 0.0f, true}}) {
        ShooterPath path;
        path.AddStage(1000.0f, 1, 1, 1, nullptr);
        path.AddFilter(kEasingVelocity, kAttrY, c.velocity, 0.0f, 0.0f);
        path.mLocal[kAttrY] = c.y;
        // The tick moves it by the velocity first: 579 stays, 580 goes.
        EXPECT_EQ(path.Update() != 0, c.lives) << c.y << " " << c.velocity;
    }
}

} // namespace
