// Ticks of the live list and of child lists while the objects being updated
// change those lists: screens open and end, children insert around
// themselves, change z, move siblings away, count, and bounce. Every record
// present when a walk starts, and still present at its turn, updates once.
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameState.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/Stage.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace {

// Records which objects updated, and runs a script inside its own update.
class ScriptedObject : public AnimObject {
public:
    ScriptedObject(std::string name, std::map<std::string, int>& updates) : mLabel(std::move(name)), mUpdates(updates)
    {
        AddStage(100000.0f, 0, 0, 1, nullptr);
    }
    int Update() override
    {
        ++mUpdates[mLabel];
        if (mScript)
            mScript(*this);
        if (mEnds)
            return 0;
        return AnimObject::Update();
    }

    std::string mLabel;
    std::map<std::string, int>& mUpdates;
    std::function<void(ScriptedObject&)> mScript;
    bool mEnds = false;
};

class WalksUnderChangeTest : public ::testing::Test {
protected:
    ScriptedObject* Make(const std::string& name) { return new ScriptedObject(name, mUpdates); }
    ScriptedObject* Screen(const std::string& name)
    {
        ScriptedObject* screen = Make(name);
        mGame->mLiveObjects.Append(screen);
        return screen;
    }
    // A wall "w" and a ball "b" after it among the screen's children; the ball.
    ScriptedObject* WallAndBall(ScriptedObject& screen, ScriptedObject*& wall)
    {
        wall = Make("w");
        screen.AddChild(wall);
        ScriptedObject* ball = Make("b");
        screen.AddChild(ball);
        return ball;
    }
    std::string LiveNames() const
    {
        std::string names;
        for (AnimObject* o = mGame->mLiveObjects.Head(); o != nullptr; o = o->mNext)
            names += static_cast<ScriptedObject*>(o)->mLabel;
        return names;
    }
    static std::string ChildNames(const AnimObject& parent)
    {
        std::string names;
        for (AnimObject* o = parent.mChildren.Head(); o != nullptr; o = o->mNext)
            names += static_cast<ScriptedObject*>(o)->mLabel;
        return names;
    }
    std::string Updated()
    {
        std::string text;
        for (const auto& [name, count] : mUpdates)
            text += name + std::to_string(count);
        mUpdates.clear();
        return text;
    }

    std::unique_ptr<GameState> mGame = std::make_unique<GameState>();
    std::map<std::string, int> mUpdates;
};

TEST_F(WalksUnderChangeTest, AnEndingScreenThatOpensTheNextKeepsTheNewOne)
{
    Screen("a");
    ScriptedObject* b = Screen("b");
    Screen("c");
    // The ending screen opens the next one at its end, as a last-stage "end" event does.
    b->mScript = [this](ScriptedObject& self) {
        Screen("d");
        self.mEnds = true;
        self.mScript = nullptr;
    };
    UpdateLiveObjects(*mGame);
    EXPECT_EQ(Updated(), "a1b1c1");
    EXPECT_EQ(LiveNames(), "acd");
    UpdateLiveObjects(*mGame);
    EXPECT_EQ(Updated(), "a1c1d1");
}

TEST_F(WalksUnderChangeTest, MiddleAndTailScreensEndInOneTick)
{
    Screen("a");
    Screen("b")->mEnds = true;
    Screen("c")->mEnds = true;
    Screen("d");
    Screen("e")->mEnds = true;
    UpdateLiveObjects(*mGame);
    EXPECT_EQ(Updated(), "a1b1c1d1e1");
    EXPECT_EQ(LiveNames(), "ad");
}

TEST_F(WalksUnderChangeTest, AScreenRemovingThoseBelowItStillLetsTheRestUpdate)
{
    Screen("a");
    Screen("b");
    ScriptedObject* c = Screen("c");
    Screen("d");
    // As "kill_all_previous" does: the screens below go at once.
    c->mScript = [this](ScriptedObject& self) {
        while (mGame->mLiveObjects.Head() != &self)
            mGame->mLiveObjects.Remove(mGame->mLiveObjects.Head());
        self.mScript = nullptr;
    };
    UpdateLiveObjects(*mGame);
    EXPECT_EQ(Updated(), "a1b1c1d1");
    EXPECT_EQ(LiveNames(), "cd");
}

TEST_F(WalksUnderChangeTest, ChildrenChangingTheirOwnListUpdateOnceEach)
{
    ScriptedObject* screen = Screen("S");
    ScriptedObject* other = Screen("T");
    for (const char* name : {"a", "b", "c", "d", "e"})
        screen->AddChild(Make(name));
    AnimObject* c = screen->FindChildOfKind(0, nullptr)->mNext->mNext;
    ScriptedObject* b = static_cast<ScriptedObject*>(c->mPrev);
    int counted = -1;
    b->mScript = [&](ScriptedObject& self) {
        AnimObject* parent = self.mParent;
        // Inserts before and after itself (equal z goes to the tail, lower z to the head).
        ScriptedObject* early = Make("x");
        early->mZOrder = -1.0f;
        parent->AddChild(early);
        parent->AddChild(Make("y"));
        // Changes its own z, and the z of an unvisited sibling to the head.
        self.SetZOrder(5.0f);
        for (AnimObject* o = parent->mChildren.Head(); o != nullptr; o = o->mNext) {
            if (static_cast<ScriptedObject*>(o)->mLabel == "d")
                o->SetZOrder(-2.0f);
        }
        // Moves its successor in the old order (c) to another screen.
        other->Reparent(c, 1);
        // Counts its siblings: the count touches no walk.
        counted = parent->mChildren.Count();
        self.mScript = nullptr;
    };
    UpdateLiveObjects(*mGame);
    EXPECT_EQ(counted, 6);
    EXPECT_EQ(ChildNames(*screen), "dxaeyb");
    EXPECT_EQ(ChildNames(*other), "c");
    // d, re-sorted to the head before its turn, still updated; c left before
    // its turn and updated under the other screen, whose walk began later;
    // x and y arrived during the walk and wait.
    EXPECT_EQ(Updated(), "S1T1a1b1c1d1e1");
    UpdateLiveObjects(*mGame);
    EXPECT_EQ(Updated(), "S1T1a1b1c1d1e1x1y1");
}

TEST_F(WalksUnderChangeTest, ABounceReentersTheUpdateOfAChildInTheMiddleOfTheWalk)
{
    ScriptedObject* screen = Screen("S");
    ScriptedObject* wall = nullptr;
    ScriptedObject* ball = WallAndBall(*screen, wall);
    screen->AddChild(Make("c"));
    ball->AddChild(Make("k"));
    // The ball bounces off the wall in its own update: its updates (and those
    // of its child) run again inside the walk of the screen's children.
    ball->mScript = [&](ScriptedObject& self) {
        self.mScript = nullptr;
        float segment[4] = {-10.0f, 0.0f, 10.0f, 0.0f};
        EXPECT_EQ(self.BounceOffSegments(*wall, segment, 1, 1000.0f), 1);
    };
    UpdateLiveObjects(*mGame);
    // The ball and its child updated once in the walk and 120 times in the bounce.
    EXPECT_EQ(Updated(), "S1b121c1k121w1");
    UpdateLiveObjects(*mGame);
    EXPECT_EQ(Updated(), "S1b1c1k1w1");
}

TEST_F(WalksUnderChangeTest, AnUpdateThatEndsABouncingObjectIsItsLast)
{
    ScriptedObject* screen = Screen("S");
    ScriptedObject* wall = nullptr;
    ScriptedObject* ball = WallAndBall(*screen, wall);
    // Its third update in the bounce ends it (caught, or fallen into the
    // water): the bounce stops there and the ball goes at its list's walk,
    // without being run a fourth time.
    ball->mScript = [&](ScriptedObject& self) {
        if (mUpdates["b"] == 1) {
            float segment[4] = {-10.0f, 0.0f, 10.0f, 0.0f};
            EXPECT_EQ(self.BounceOffSegments(*wall, segment, 1, 1000.0f), 1);
            EXPECT_EQ(self.mRemove, 1);
            self.mEnds = false; // only the flag ends it now
        } else if (mUpdates["b"] == 4) {
            self.mEnds = true;
        }
    };
    UpdateLiveObjects(*mGame);
    EXPECT_EQ(Updated(), "S1b4w1");
    EXPECT_EQ(ChildNames(*screen), "w");
}

} // namespace
