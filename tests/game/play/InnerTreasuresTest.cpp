// The walk over a container's flying treasures that the pieces of the
// building share: each treasure that was there when it began, and is still
// there at its turn, is visited once, whatever the visits do to the container.
#include "game/play/InnerTreasures.h"

#include "game/engine/AnimObject.h"
#include "game/engine/GameState.h"
#include "game/play/PlayState.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace {

// Public: the cases' scripts reach into the fixture.
class InnerTreasuresTest : public ::testing::Test {
public:
    InnerTreasuresTest()
    {
        Play().Reset();
        mGame->mLiveObjects.Append(mScreen);
        mScreen->AddStage(100000.0f, 0, 0, 1, nullptr);
    }
    ~InnerTreasuresTest() override { Play().Reset(); }

    Jewel* AddTreasure(char name)
    {
        auto* treasure = new Jewel(0);
        treasure->mName[0] = name;
        mContainer->AddChild(treasure);
        return treasure;
    }
    Jewel* Find(char name) const
    {
        const char text[2] = {name, '\0'};
        return static_cast<Jewel*>(mContainer->FindChildByName(text));
    }

    std::unique_ptr<GameState> mGame = std::make_unique<GameState>();
    AnimObject* mScreen = new AnimObject;
    AnimObject* mContainer = nullptr;
};

TEST_F(InnerTreasuresTest, EachTreasurePresentAtItsTurnIsVisitedOnceWhateverTheVisitsChange)
{
    struct Case {
        const char* name;
        // Runs in the visit of each treasure, after it is noted.
        std::function<void(InnerTreasuresTest&, Jewel& visiting)> change;
        const char* visited;
    };
    const Case cases[] = {
        {"nothing changes", [](InnerTreasuresTest&, Jewel&) {}, "abcd"},
        {"a visit ends a treasure not visited yet",
         [](InnerTreasuresTest& t, Jewel& v) {
             if (v.mName[0] == 'b')
                 t.mContainer->mChildren.Remove(t.Find('c'));
         },
         "abd"},
        {"a visit ends the visited treasure and adds trails",
         [](InnerTreasuresTest& t, Jewel& v) {
             t.mContainer->AddChild(nullptr);
             if (v.mName[0] == 'b')
                 t.mContainer->mChildren.Remove(&v);
         },
         "abcd"},
        {"treasures that join during the walk wait",
         [](InnerTreasuresTest& t, Jewel& v) {
             if (v.mName[0] == 'b')
                 t.AddTreasure('e');
         },
         "abcd"},
        {"a flag set during the walk is seen at the treasure's turn",
         [](InnerTreasuresTest& t, Jewel& v) {
             if (v.mName[0] == 'a')
                 t.Find('c')->mRemove = 1;
         },
         "abd"},
        // A treasure re-sorted behind the walk has its turn when the list is
        // read again; a visited one re-sorted ahead has had its turn.
        {"re-sorts",
         [](InnerTreasuresTest& t, Jewel& v) {
             if (v.mName[0] == 'b') {
                 t.Find('d')->SetZOrder(-1.0f);
                 t.Find('a')->SetZOrder(9.0f);
             }
         },
         "abdc"},
        {"a walk nested in a visit sees every treasure and leaves the outer one whole",
         [](InnerTreasuresTest&, Jewel& v) {
             if (v.mName[0] != 'b')
                 return;
             std::string nested;
             ForEachInnerTreasure([&](Jewel& treasure) { nested += treasure.mName; });
             EXPECT_EQ(nested, "abcd");
         },
         "abcd"},
        {"the container goes during a visit",
         [](InnerTreasuresTest& t, Jewel& v) {
             if (v.mName[0] == 'b') {
                 t.mScreen->mChildren.Remove(t.mContainer);
                 t.mGame->mInnerLayer = nullptr;
             }
         },
         "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mContainer = new AnimObject;
        mScreen->AddChild(mContainer);
        mGame->mInnerLayer = mContainer;
        for (char name : {'a', 'b', 'c', 'd'})
            AddTreasure(name);
        // Neither another kind of child nor a treasure flagged for removal is visited.
        std::snprintf(mContainer->AddChild(nullptr)->mName, 2, "x");
        AddTreasure('f')->mRemove = 1;
        std::string visited;
        ForEachInnerTreasure([&](Jewel& treasure) {
            visited += treasure.mName;
            c.change(*this, treasure);
        });
        EXPECT_EQ(visited, c.visited);
        mScreen->mChildren.RemoveAll();
    }
}

} // namespace
