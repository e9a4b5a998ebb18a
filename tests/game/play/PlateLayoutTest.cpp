#include "game/engine/GameState.h"
#include "game/engine/ObjectKind.h"
#include "game/play/GameObjectFactory.h"
#include "game/play/Plate.h"
#include "game/play/Slot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Places = std::vector<std::pair<float, float>>;

// The plate of the key with n slots at radius r, its slots' places in child order.
Places LayOut(const char* key, int n, float r)
{
    std::unique_ptr<AnimObject> object(CreateGameObject(key));
    auto* plate = dynamic_cast<Plate*>(object.get());
    if (plate == nullptr)
        return {};
    plate->mNumJewels = n;
    plate->mRadius = r;
    plate->InitType();
    Places places;
    for (AnimObject* child = plate->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindSlot)
            places.emplace_back(child->mLocal[kAttrX], child->mLocal[kAttrY]);
    }
    return places;
}

struct LayoutCase {
    const char* key;
    int n;
    float r;
    Places expected;
};

class PlateLayoutTest : public ::testing::Test {
protected:
    GameState mGame;
};

// Places worked out by hand from each kind's pattern.
TEST_F(PlateLayoutTest, KindsPlaceTheirSlots)
{
    const float r = 20.0f;
    const LayoutCase cases[] = {
        {"round_plate", 1, r, {{r, 0}}},
        {"round_plate", 4, r, {{r, 0}, {0, r}, {-r, 0}, {0, -r}}},
        {"round_plate", 4, -r, {{-r, 0}, {0, -r}, {r, 0}, {0, r}}},
        {"semicircle_plate", 3, r, {{17.320508f, 10}, {0, 20}, {-17.320508f, 10}}},
        {"a_plate", 3, r, {{-r, 0}, {0, -r}, {r, 0}}},
        {"a_plate", 4, r, {{-2 * r, r}, {-r, 0}, {0, -r}, {r, 0}}},
        {"x_plate", 9, r,
         {{-2 * r, -2 * r}, {-r, -r}, {-r, r}, {-2 * r, 2 * r}, {r, r}, {2 * r, 2 * r}, {r, -r}, {2 * r, -2 * r}, {0, 0}}},
        {"stick_plate", 3, r, {{-r, 0}, {r, 0}, {2 * r, 0}}},
        {"stick_plate", 4, r, {{-2 * r, 0}, {-r, 0}, {r, 0}, {2 * r, 0}}},
        {"block_plate", 3, r, {{0, 0}, {0, 0}, {0, 0}}},
        {"triangle_plate", 3, r, {{0, -r}, {17.320508f, 10}, {-17.320508f, 10}}},
        {"t_plate", 3, r, {{-r, 32}, {0, 32}, {r, 32}}},
        {"key_plate", 1, r, {{0, 17}}},
        {"spinner_plate", 3, r, {{-r, 0}, {r, 0}, {r, 0}}},
        {"step_plate", 3, r, {{r, -r / 1.7f}, {0, 0}, {-r, r / 1.7f}}},
        {"step_plate", 3, -r, {{r, r / 1.7f}, {0, 0}, {-r, -r / 1.7f}}},
        {"square_plate", 9, r,
         {{-r, -r}, {0, -r}, {r, -r}, {r, 0}, {r, r}, {0, r}, {-r, r}, {-r, 0}, {0, 0}}},
        {"m_plate", 9, r,
         {{32, -11}, {74, -22}, {133, 36}, {103, 7}, {-32, -11}, {-74, -22}, {-133, 36}, {-103, 7}, {0, 0}}},
    };
    for (const LayoutCase& c : cases) {
        const Places places = LayOut(c.key, c.n, c.r);
        ASSERT_EQ(places.size(), c.expected.size()) << c.key << " n=" << c.n;
        for (size_t i = 0; i < places.size(); ++i) {
            EXPECT_NEAR(places[i].first, c.expected[i].first, 1e-4) << c.key << " n=" << c.n << " r=" << c.r << " i=" << i;
            EXPECT_NEAR(places[i].second, c.expected[i].second, 1e-4) << c.key << " n=" << c.n << " r=" << c.r << " i=" << i;
        }
    }
}

// Each kind stores its own key, so a saved plate loads back as the same kind.
TEST_F(PlateLayoutTest, KindsWriteTheirOwnKey)
{
    int count = 0;
    const GameObjectRow* rows = GameObjectRows(count);
    int plates = 0;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<AnimObject> object(rows[i].create());
        auto* plate = dynamic_cast<Plate*>(object.get());
        if (plate == nullptr)
            continue;
        ++plates;
        plate->InitType();
        EXPECT_STREQ(plate->mType, rows[i].key);
        EXPECT_EQ(plate->mKind, kKindPlate);
        std::string out;
        plate->WriteTypeAttributes(out);
        EXPECT_EQ(out.find(std::string(" type=\"") + rows[i].key + "\""), 0u) << out;
    }
    EXPECT_EQ(plates, 14);
}

} // namespace
