// The gameplay's object factory: each key makes its class with its kind,
// near misses make nothing, and a saved level reloads every class.
#include "game/engine/AnimObject.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectLoader.h"
#include "game/play/BonusBasket.h"
#include "game/play/Cloud.h"
#include "game/play/EndlessBonus.h"
#include "game/play/EndlessPanel.h"
#include "game/play/Firework.h"
#include "game/play/GameObjectFactory.h"
#include "game/play/Layer.h"
#include "game/play/LevelLocker.h"
#include "game/play/LevelScroller.h"
#include "game/play/LevelSelect.h"
#include "game/play/Panel.h"
#include "game/play/Pigeon.h"
#include "game/play/Plate.h"
#include "game/play/PowerUp.h"
#include "game/play/ProgressBar.h"
#include "game/play/RectBumper.h"
#include "game/play/RoundBumper.h"
#include "game/play/ScrollPoint.h"
#include "game/play/Shooter.h"
#include "game/play/ShooterCursor.h"
#include "game/play/ShooterPath.h"
#include "game/play/Slot.h"
#include "game/play/TriBumper.h"
#include "game/play/Turret.h"
#include "game/play/Tutorial.h"
#include "game/play/Warp.h"
#include "support/PlayFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <typeindex>
#include <typeinfo>

namespace {

// Keys match whole and in their own letter case only.
TEST(GameObjectFactoryTest, NearMissKeysCreateNothing)
{
    for (const char* type : {"", "Pigeon", "pigeon ", " pigeon", "PLATE", "no_such_kind", "level", "layer_"}) {
        std::unique_ptr<AnimObject> object(CreateGameObject(type));
        EXPECT_EQ(object, nullptr) << '"' << type << '"';
    }
    EXPECT_EQ(CreateGameObject(nullptr), nullptr);
}

class GameObjectFactoryPlayTest : public PlayFixture {};

// Every row of the table is listed here with its kind; the classes whose
// headers this test knows are checked by type too.
TEST_F(GameObjectFactoryPlayTest, EachKeyMakesItsClassAndKind)
{
    struct Case {
        const char* key;
        int kind;
    };
    const Case cases[] = {
        {"round_plate", 17}, {"semicircle_plate", 17}, {"a_plate", 17},  {"x_plate", 17},      {"stick_plate", 17},
        {"block_plate", 17}, {"triangle_plate", 17},   {"t_plate", 17},  {"tosser_plate", 17}, {"key_plate", 17},
        {"spinner_plate", 17}, {"step_plate", 17},     {"square_plate", 17}, {"m_plate", 17},  {"slot", 19},
        {"panel", 21},       {"endless_panel", 22},    {"progress_bar", 20},
        {"pigeon", 23},      {"firework", 0},          {"shooter", 16},  {"shooter_cursor", 35}, {"bonus_basket", 0},
        {"cloud", 34},       {"level_select", 30},     {"level_scroller", 0}, {"endless_bonus", 0}, {"level_locker", 0},
        {"shooter_path", 28}, {"scroll_point", 29}, {"tutorial", 32}, {"layer", 1}, {"powerup", 24},
        {"rect_bumper", 25}, {"round_bumper", 25}, {"tri_bumper", 25}, {"turret", 26}, {"warp", 33},
    };
    std::set<std::string> listed;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        listed.insert(c.key);
        std::unique_ptr<AnimObject> object(CreateGameObject(c.key));
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->mKind, c.kind);
        EXPECT_NE(std::type_index(typeid(*object)), std::type_index(typeid(AnimObject)));
        const std::string key = c.key;
        if (key.size() > 6 && key.compare(key.size() - 6, 6, "_plate") == 0) {
            EXPECT_NE(dynamic_cast<Plate*>(object.get()), nullptr);
        }
    }
    const std::pair<const char*, std::type_index> classes[] = {
        {"slot", typeid(Slot)},
        {"panel", typeid(Panel)},
        {"endless_panel", typeid(EndlessPanel)},
        {"progress_bar", typeid(ProgressBar)},
        {"pigeon", typeid(Pigeon)},
        {"firework", typeid(Firework)},
        {"shooter", typeid(Shooter)},
        {"shooter_cursor", typeid(ShooterCursor)},
        {"bonus_basket", typeid(BonusBasket)},
        {"cloud", typeid(Cloud)},
        {"level_select", typeid(LevelSelect)},
        {"level_scroller", typeid(LevelScroller)},
        {"endless_bonus", typeid(EndlessBonus)},
        {"level_locker", typeid(LevelLocker)},
        {"shooter_path", typeid(ShooterPath)},
        {"scroll_point", typeid(ScrollPoint)},
        {"tutorial", typeid(Tutorial)},
        {"layer", typeid(Layer)},
        {"powerup", typeid(PowerUp)},
        {"rect_bumper", typeid(RectBumper)},
        {"round_bumper", typeid(RoundBumper)},
        {"tri_bumper", typeid(TriBumper)},
        {"turret", typeid(Turret)},
        {"warp", typeid(Warp)},
    };
    for (const auto& [key, type] : classes) {
        std::unique_ptr<AnimObject> object(CreateGameObject(key));
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(std::type_index(typeid(*object)), type) << key;
    }
    // No row of the table is left out of the list above.
    int count = 0;
    const GameObjectRow* rows = GameObjectRows(count);
    for (int i = 0; i < count; ++i) {
        if (rows[i].create != nullptr) {
            EXPECT_EQ(listed.count(rows[i].key), 1u) << rows[i].key << " has no line in this test";
        }
    }
}

// A level holding one object of every key, saved and built again, holds
// each object in its class.
TEST_F(GameObjectFactoryPlayTest, SavedAndReloadedLevelKeepsEveryClass)
{
    int count = 0;
    const GameObjectRow* rows = GameObjectRows(count);
    // A power-up is saved only when its XML named its kind, and is named by its caption.
    const auto extra = [](const std::string& key) { return key == "powerup" ? " powerup_type=\"x2\"" : ""; };
    const auto nameOf = [](const std::string& key) { return key == "powerup" ? std::string("SCORE MULTIPLIER") : key; };
    const std::string loop = "<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n";
    std::string xml = "<object type=\"level\" name=\"every_kind\">\n" + loop;
    for (int i = 0; i < count; ++i) {
        if (rows[i].create != nullptr)
            // One slot each: a plate without slots would complete at once and leave.
            xml += std::string("<object type=\"") + rows[i].key + "\" name=\"" + rows[i].key + "\" num_jewels=\"1\"" +
                   extra(rows[i].key) + ">\n" + loop + "</object>\n";
    }
    xml += "</object>\n";
    Level* level = OpenLevel("levels/every_kind.xml", xml);
    ASSERT_NE(level, nullptr);
    Ticks(2);

    std::string saved;
    level->WriteXml(saved, 0);
    level->mRemove = 1;
    Tick();
    ASSERT_EQ(mGame->mLiveObjects.Count(), 0);
    CreateObjectsFromXml(saved.c_str(), nullptr, "saved level");
    Level* reloaded = Topmost();
    ASSERT_NE(reloaded, nullptr);
    EXPECT_STREQ(reloaded->mName, "every_kind");
    EXPECT_EQ(mGame->mLiveObjects.Count(), 1); // the old level is gone, the new one stands alone
    for (int i = 0; i < count; ++i) {
        if (rows[i].create == nullptr)
            continue;
        SCOPED_TRACE(rows[i].key);
        const AnimObject* object = reloaded->FindChildByName(nameOf(rows[i].key).c_str());
        // The tutorial guides a level and is no piece of it: it is not saved.
        if (std::string(rows[i].key) == "tutorial") {
            EXPECT_EQ(object, nullptr);
            continue;
        }
        ASSERT_NE(object, nullptr);
        std::unique_ptr<AnimObject> fresh(rows[i].create());
        EXPECT_EQ(std::type_index(typeid(*object)), std::type_index(typeid(*fresh)));
        EXPECT_EQ(object->mKind, fresh->mKind);
    }
}

} // namespace
