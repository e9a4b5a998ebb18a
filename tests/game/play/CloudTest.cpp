// Clouds keep the height their file gives them, start at a random place and
// drift left, coming back on the right.
#include "game/engine/ObjectLoader.h"
#include "game/engine/Stage.h"
#include "game/play/Cloud.h"
#include "ModeFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using CloudTest = ModeFixture;

TEST_F(CloudTest, DriftsLeftAtItsHeightAndWrapsPastTheLeftEdge)
{
    Level* level = AddScreen("level_1");
    level->AddStage(1000.0f, 1, 1, 1, nullptr);
    mGame->mRandom.SeedRandom(77);
    AnimObject* cloud = CreateObjectsFromXml("<object type=\"cloud\">\n<stage ms=\"500\">\n"
                                             "<attribute type=\"y\" start=\"-120\" end=\"40\">\n"
                                             "<stage ms=\"500\">\n</object>\n",
                                             level, "level_1.xml");
    ASSERT_NE(dynamic_cast<Cloud*>(cloud), nullptr);
    EXPECT_EQ(cloud->mKind, kKindCloud);
    ASSERT_EQ(cloud->mStages.Count(), 1);
    EXPECT_FLOAT_EQ(cloud->mLocal[kAttrY], -120.0f);
    const float startX = cloud->mLocal[kAttrX];
    EXPECT_GE(startX, -400.0f);
    EXPECT_LE(startX, 400.0f);

    Ticks(100);
    const float speed = (startX - cloud->mLocal[kAttrX]) / 100.0f;
    EXPECT_GE(speed, 0.0099f);
    EXPECT_LE(speed, 0.0351f);
    EXPECT_FLOAT_EQ(cloud->mLocal[kAttrY], -120.0f);

    cloud->mLocal[kAttrX] = -499.99f;
    Ticks(3);
    EXPECT_GT(cloud->mLocal[kAttrX], 499.0f);
    EXPECT_LT(cloud->mLocal[kAttrX], 500.0f);

    std::string saved;
    cloud->WriteTypeAttributes(saved);
    EXPECT_NE(saved.find("type=\"cloud\""), std::string::npos);
}

TEST_F(CloudTest, WithoutAStageItTakesARandomHeightAboveTheWater)
{
    Level* level = AddScreen("level_1");
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        mGame->mRandom.SeedRandom(seed);
        AnimObject* cloud = CreateObjectsFromXml("<object type=\"cloud\">\n</object>\n", level, "level_1.xml");
        ASSERT_NE(cloud, nullptr);
        EXPECT_GE(cloud->mLocal[kAttrY], -300.0f);
        EXPECT_LE(cloud->mLocal[kAttrY], 20.0f);
        EXPECT_NE(cloud->CurrentStage(), nullptr);
    }
}

} // namespace
