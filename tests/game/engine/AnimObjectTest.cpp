// Animated objects without drawing: world values through the parent, z order,
// moving between parents, the stage markers, pointers of the game state, pool
// refusals and the guards of bouncing.
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/Filter.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/PickNode.h"
#include "game/engine/Stage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

class AnimObjectTest : public ::testing::Test {
protected:
    // An object that lives for a long time: one 100-second stage.
    static AnimObject* Living(AnimObject* object)
    {
        object->AddStage(100000.0f, 0, 0, 1, nullptr);
        return object;
    }

    std::unique_ptr<GameState> mGame = std::make_unique<GameState>();
};

std::string Names(const AnimObject& parent)
{
    std::string names;
    for (const AnimObject* child = parent.mChildren.Head(); child != nullptr; child = child->mNext)
        names += child->mName;
    return names;
}

AnimObject* Named(AnimObject* object, const char* name)
{
    std::snprintf(object->mName, sizeof object->mName, "%s", name);
    return object;
}

TEST_F(AnimObjectTest, WorldValuesUnderARotatedScaledTranslucentParent)
{
    AnimObject* parent = Living(AnimObject::TakeFromPool());
    mGame->mLiveObjects.Append(parent);
    parent->mLocal[kAttrX] = 100.0f;
    parent->mLocal[kAttrY] = 50.0f;
    parent->mLocal[kAttrRotation] = 90.0f;
    parent->mLocal[kAttrXScale] = 2.0f;
    parent->mLocal[kAttrYScale] = 0.5f;
    parent->mLocal[kAttrAlpha] = 0.5f;
    parent->mLocal[kAttrR] = 0.5f;
    AnimObject* child = Living(parent->AddChild(nullptr));
    child->mLocal[kAttrX] = 10.0f;
    child->mLocal[kAttrY] = 20.0f;
    child->mLocal[kAttrRotation] = 10.0f;
    child->mLocal[kAttrXScale] = 3.0f;
    child->mLocal[kAttrYScale] = 4.0f;
    child->mLocal[kAttrAlpha] = 0.5f;
    child->mLocal[kAttrR] = 0.5f;
    child->mLocal[kAttrZ] = 7.0f;
    child->mLocal[kAttrFrameNumber] = 3.0f;

    ASSERT_EQ(parent->Update(), 1);
    // A screen's world block is its local block.
    EXPECT_EQ(parent->mWorld[kAttrX], 100.0f);
    EXPECT_EQ(parent->mWorld[kAttrRotation], 90.0f);
    // (10, 20) turned by -90 degrees: x' = 10 cos a - 20 sin a = 20, y' = 20 cos a + 10 sin a = -10;
    // then scaled by (2, 0.5) and moved by (100, 50): (140, 45).
    EXPECT_NEAR(child->mWorld[kAttrX], 140.0f, 1e-4f);
    EXPECT_NEAR(child->mWorld[kAttrY], 45.0f, 1e-4f);
    EXPECT_FLOAT_EQ(child->mWorld[kAttrRotation], 100.0f);
    EXPECT_FLOAT_EQ(child->mWorld[kAttrXScale], 6.0f);
    EXPECT_FLOAT_EQ(child->mWorld[kAttrYScale], 2.0f);
    EXPECT_FLOAT_EQ(child->mWorld[kAttrAlpha], 0.25f);
    EXPECT_FLOAT_EQ(child->mWorld[kAttrR], 0.25f);
    EXPECT_FLOAT_EQ(child->mWorld[kAttrG], 1.0f);
    // z and frame_number keep the local value.
    EXPECT_EQ(child->mWorld[kAttrZ], 7.0f);
    EXPECT_EQ(child->mWorld[kAttrFrameNumber], 3.0f);
    // Without a parent the conversions give 0.
    EXPECT_EQ(parent->LocalToWorldX(5.0f, 5.0f), 0.0f);
    EXPECT_EQ(parent->WorldToLocalY(5.0f), 0.0f);
    EXPECT_NEAR(child->WorldToLocalX(150.0f), 50.0f, 1e-5f);
}

TEST_F(AnimObjectTest, ChildrenStaySortedByZAndTiesKeepInsertionOrder)
{
    AnimObject parent;
    const struct {
        const char* name;
        float z;
    } children[] = {{"a", 1.0f}, {"b", 0.0f}, {"c", 1.0f}, {"d", 0.5f}};
    AnimObject* made[4];
    int i = 0;
    for (const auto& c : children) {
        AnimObject* child = Named(new AnimObject, c.name);
        child->mZOrder = c.z;
        made[i++] = parent.AddChild(child);
        EXPECT_EQ(child->mParent, &parent);
    }
    EXPECT_EQ(Names(parent), "bdac");
    // A new z goes after every child of lower or equal z.
    made[2]->SetZOrder(0.5f);
    EXPECT_EQ(Names(parent), "bdca");
    made[1]->SetZOrder(1.0f);
    EXPECT_EQ(Names(parent), "dcab");
    made[3]->SetZOrder(-1.0f);
    EXPECT_EQ(Names(parent), "dcab");
    // Appending does not sort.
    AnimObject* e = Named(new AnimObject, "e");
    e->mZOrder = -5.0f;
    parent.AppendChild(e);
    EXPECT_EQ(Names(parent), "dcabe");
    // Once out of order, a sorted insert still goes before the first higher z,
    // not after the last child.
    AnimObject* f = Named(new AnimObject, "f");
    f->mZOrder = 0.75f;
    parent.AddChild(f);
    EXPECT_EQ(Names(parent), "dcfabe");
    EXPECT_EQ(parent.FindChildByName("a"), made[0]);
    EXPECT_EQ(parent.FindChildByName("a", made[0]), nullptr);
    EXPECT_EQ(parent.FindChildByName("zz"), nullptr);
}

// A child added on top is raised to the last child's z and goes behind every
// child of a greater z; out of order lists follow the same rule.
TEST_F(AnimObjectTest, AChildAddedOnTopTakesTheLastChildsZ)
{
    struct Child {
        const char* name;
        float z;
    };
    struct Case {
        const char* name;
        std::vector<Child> children;
        bool appended; // by AppendChild: no longer in z order
        float ownZ;
        const char* order;
        float z;
    };
    const Case cases[] = {
        {"no children", {}, false, 0.5f, "n", 0.5f},
        {"above the last z: last, with its own z", {{"a", 0.0f}, {"b", 1.0f}}, false, 2.0f, "abn", 2.0f},
        {"below the last z: last, with the last z", {{"a", 0.0f}, {"b", 1.0f}}, false, 0.5f, "abn", 1.0f},
        // Insertion stops before "a" (1 > 0) and the last child "b" has 0.
        {"out of order, the first greater z comes first", {{"a", 1.0f}, {"b", 0.0f}}, true, 0.0f, "nab", 0.0f},
        // Its own z is above the last child's: kept, and before "b" (1 > 0.5).
        {"out of order, the last z is the smallest", {{"a", 0.0f}, {"b", 1.0f}, {"c", -1.0f}}, true, 0.5f, "anbc",
         0.5f},
        {"out of order, raised to the last z", {{"a", 0.0f}, {"b", 2.0f}, {"c", 1.0f}}, true, 0.5f, "anbc", 1.0f},
        {"out of order, last and nothing greater", {{"a", 1.0f}, {"b", 0.0f}}, true, 2.0f, "abn", 2.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnimObject parent;
        for (const Child& spec : c.children) {
            AnimObject* child = Named(new AnimObject, spec.name);
            child->mZOrder = spec.z;
            if (c.appended)
                parent.AppendChild(child);
            else
                parent.AddChild(child);
        }
        AnimObject* added = Named(new AnimObject, "n");
        added->mZOrder = c.ownZ;
        EXPECT_EQ(parent.AddChildOnTop(added), added);
        EXPECT_EQ(added->mParent, &parent);
        EXPECT_EQ(Names(parent), c.order);
        EXPECT_EQ(added->mZOrder, c.z);
        // A child that is already someone's is refused.
        EXPECT_EQ(parent.AddChildOnTop(added), nullptr);
        parent.mChildren.RemoveAll();
    }
}

TEST_F(AnimObjectTest, ReparentKeepsThePlaceOnScreenAndSparesMarkers)
{
    AnimObject* from = Living(AnimObject::TakeFromPool());
    AnimObject* to = Living(AnimObject::TakeFromPool());
    mGame->mLiveObjects.Append(from);
    mGame->mLiveObjects.Append(to);
    from->mLocal[kAttrX] = 100.0f;
    from->mLocal[kAttrY] = 100.0f;
    to->mLocal[kAttrX] = 300.0f;
    to->mLocal[kAttrY] = 400.0f;
    AnimObject* moving = from->AddChild(nullptr);
    Stage* stage = moving->AddStage(1000.0f, 0, 0, 1, nullptr);
    moving->SetStageAttribute(kAttrX, 0.0f, 50.0f);
    moving->SetStageAttribute(kAttrY, kValueFromObject, 30.0f);
    moving->mLocal[kAttrX] = 10.0f;
    moving->mLocal[kAttrY] = 20.0f;
    from->RefreshWorld();
    to->RefreshWorld();

    to->Reparent(moving, 1);
    EXPECT_EQ(moving->mParent, to);
    EXPECT_TRUE(to->mChildren.Contains(moving));
    EXPECT_TRUE(from->mChildren.IsEmpty());
    // On screen at (110, 120) before and after: local (110 - 300, 120 - 400).
    EXPECT_EQ(moving->mLocal[kAttrX], -190.0f);
    EXPECT_EQ(moving->mLocal[kAttrY], -280.0f);
    // Stage values move with the local position (by -200 and -300), markers stay.
    EXPECT_EQ(stage->mStart[kAttrX], -200.0f);
    EXPECT_EQ(stage->mEnd[kAttrX], -150.0f);
    EXPECT_EQ(stage->mStart[kAttrY], kValueFromObject);
    EXPECT_EQ(stage->mEnd[kAttrY], -270.0f);
    moving->RefreshWorld();
    EXPECT_EQ(moving->mWorld[kAttrX], 110.0f);
    EXPECT_EQ(moving->mWorld[kAttrY], 120.0f);

    // Never under itself or its own descendant.
    AnimObject* grandchild = moving->AddChild(nullptr);
    grandchild->Reparent(moving, 0);
    EXPECT_EQ(moving->mParent, to);
    moving->Reparent(moving, 0);
    EXPECT_EQ(moving->mParent, to);
    EXPECT_EQ(grandchild->AddChild(to), nullptr);
    EXPECT_EQ(grandchild->AppendChild(moving), nullptr);
    EXPECT_EQ(moving->mParent, to);
}

TEST_F(AnimObjectTest, MovesRotationsMirrorsAndSnapsSpareBothMarkers)
{
    AnimObject object;
    object.mSnap = 0;
    Stage* stage = object.AddStage(1000.0f, 0, 0, 1, nullptr);
    object.SetStageAttribute(kAttrX, kValueFromObject, kValueFromPreviousStage);
    object.SetStageAttribute(kAttrY, 10.0f, 20.0f);
    object.SetStageAttribute(kAttrRotation, kValueFromPreviousStage, 45.0f);
    object.mClipLeft = 1;
    object.mClipTop = 2;
    object.mClipRight = 3;
    object.mClipBottom = 4;

    object.MoveBy(5.5f, 7.0f);
    EXPECT_EQ(stage->mStart[kAttrX], kValueFromObject);
    EXPECT_EQ(stage->mEnd[kAttrX], kValueFromPreviousStage);
    EXPECT_EQ(stage->mStart[kAttrY], 17.0f);
    EXPECT_EQ(stage->mEnd[kAttrY], 27.0f);
    EXPECT_EQ(object.mLocal[kAttrX], 5.5f);
    // The clip moves by whole pixels.
    EXPECT_EQ(object.mClipLeft, 6);
    EXPECT_EQ(object.mClipBottom, 11);

    object.RotateBy(10.0f);
    EXPECT_EQ(stage->mStart[kAttrRotation], kValueFromPreviousStage);
    EXPECT_EQ(stage->mEnd[kAttrRotation], 55.0f);
    EXPECT_EQ(object.mLocal[kAttrRotation], 10.0f);

    object.MirrorStagesX();
    EXPECT_EQ(object.mFlipX, 1);
    EXPECT_EQ(stage->mStart[kAttrX], kValueFromObject);
    EXPECT_EQ(stage->mEnd[kAttrX], kValueFromPreviousStage);
    object.SetStageAttribute(kAttrX, 12.0f, kValueFromObject);
    object.MirrorStagesX();
    EXPECT_EQ(stage->mStart[kAttrX], -12.0f);

    // Snapping truncates toward zero to tens and moves the stage values alike.
    object.mSnap = 1;
    object.mLocal[kAttrX] = 23.0f;
    object.mLocal[kAttrY] = -17.0f;
    object.SnapToGrid();
    EXPECT_EQ(object.mLocal[kAttrX], 20.0f);
    EXPECT_EQ(object.mLocal[kAttrY], -10.0f);
    EXPECT_EQ(stage->mStart[kAttrX], -15.0f);
    EXPECT_EQ(stage->mEnd[kAttrX], kValueFromObject);
    EXPECT_EQ(stage->mStart[kAttrY], 24.0f);
}

class CountingObject : public AnimObject {
public:
    void OnFirstUpdate() override { ++mFirstUpdates; }
    int mFirstUpdates = 0;
};

TEST_F(AnimObjectTest, LifeEndsWithoutStagesOrWithTheRemovalFlag)
{
    CountingObject bare;
    EXPECT_EQ(bare.Update(), 0);
    EXPECT_EQ(bare.mFirstUpdates, 1);

    CountingObject killed;
    killed.AddStage(1000.0f, 0, 0, 1, nullptr);
    killed.mKind = 17;
    killed.Kill();
    EXPECT_EQ(killed.mKind, 0);
    EXPECT_EQ(killed.Update(), 0);
    EXPECT_EQ(killed.mFirstUpdates, 0);

    // A two-stage object: 4 ms then 8 ms, one and two ticks long; each stage
    // ends at the step that reaches t = 1.
    CountingObject staged;
    staged.AddStage(4.0f, 0, 0, 1, "one");
    staged.AddStage(8.0f, 0, 0, 1, "two");
    std::vector<int> lives;
    for (int tick = 0; tick < 6; ++tick)
        lives.push_back(staged.Update());
    EXPECT_EQ(lives, (std::vector<int>{1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(staged.mFirstUpdates, 1);
}

TEST_F(AnimObjectTest, DestroyedObjectsAreClearedFromTheGameState)
{
    AnimObject* screen = Living(AnimObject::TakeFromPool());
    mGame->mLiveObjects.Append(screen);
    AnimObject* shooter = Living(screen->AddChild(new AnimObject));
    AnimObject* effects = Living(screen->AddChild(nullptr));
    AnimObject* tutorial = Living(screen->AddChild(nullptr));
    mGame->mShooter = shooter;
    mGame->mEffects = effects;
    mGame->mTutorial = tutorial;
    mGame->mLevel = screen;
    shooter->Kill();
    effects->Kill();
    screen->Update();
    // Read through the state after the objects are gone (the sanitizer build
    // would report a stale pointer).
    EXPECT_EQ(mGame->mShooter, nullptr);
    EXPECT_EQ(mGame->mEffects, nullptr);
    EXPECT_EQ(mGame->mTutorial, tutorial);
    EXPECT_EQ(mGame->mObjectPool.CountInUse(), 2);
    mGame->mLiveObjects.Remove(screen);
    EXPECT_EQ(mGame->mLevel, nullptr);
    EXPECT_EQ(mGame->mTutorial, nullptr);
    EXPECT_EQ(mGame->mObjectPool.CountInUse(), 0);
    EXPECT_EQ(mGame->mStagePool.CountInUse(), 0);
}

TEST_F(AnimObjectTest, CallsMeantForARefusedStageDoNothing)
{
    AnimObject object;
    Stage* first = object.AddStage(1000.0f, 0, 0, 1, "first");
    ASSERT_NE(first, nullptr);
    std::vector<Stage*> held;
    while (Stage* stage = mGame->mStagePool.Take())
        held.push_back(stage);
    EXPECT_EQ(object.AddStage(1000.0f, 0, 0, 1, "second"), nullptr);
    object.SetStageAttribute(kAttrX, 5.0f, 6.0f);
    EXPECT_EQ(object.AddFilter(kEasingSined, kAttrX, 1.0f, 1.0f, 0.0f), nullptr);
    EXPECT_EQ(first->mMask, 0u);
    EXPECT_EQ(first->mFilters.Count(), 0);
    EXPECT_EQ(object.mStages.Count(), 1);
    // The next stage the pool gives is built as usual.
    for (Stage* stage : held)
        stage->mPoolInUse = 0;
    Stage* third = object.AddStage(1000.0f, 0, 0, 1, "third");
    ASSERT_NE(third, nullptr);
    object.SetStageAttribute(kAttrX, 5.0f, 6.0f);
    EXPECT_EQ(third->mMask, 1u << kAttrX);
    EXPECT_EQ(object.CurrentStage(), first);
    EXPECT_EQ(object.GoToStage("third"), third);
    EXPECT_EQ(object.GoToStage("missing"), nullptr);
    EXPECT_EQ(object.CurrentStage(), third);
    EXPECT_EQ(object.StageIndex(), 1);
    EXPECT_EQ(object.StageLabel(), "third_1000ms_0_0_1");
}

TEST_F(AnimObjectTest, ExhaustedObjectPoolMakesNoChild)
{
    AnimObject parent;
    int made = 0;
    while (parent.AddChild(nullptr) != nullptr)
        ++made;
    EXPECT_EQ(made, GameState::kObjectPoolSize);
    EXPECT_EQ(parent.mChildren.Count(), GameState::kObjectPoolSize);
    parent.mChildren.RemoveAll();
    EXPECT_EQ(mGame->mObjectPool.CountInUse(), 0);
}

// The children of a kind are listed again after every change of the child
// list: a child added, taken out or re-sorted.
TEST_F(AnimObjectTest, ChildrenOfKindFollowTheChildList)
{
    AnimObject parent;
    auto kinds = [&parent] {
        std::string names;
        for (const AnimObject* child : parent.ChildrenOfKind(18))
            names += child->mName;
        return names;
    };
    AnimObject* a = Living(parent.AddChild(nullptr));
    AnimObject* b = Living(parent.AddChild(nullptr));
    std::snprintf(a->mName, sizeof a->mName, "a");
    std::snprintf(b->mName, sizeof b->mName, "b");
    a->mKind = 18;
    EXPECT_EQ(kinds(), "a");
    b->mKind = 18; // a kind changed in place is read at the next change
    EXPECT_EQ(kinds(), "a");
    AnimObject* c = Living(parent.AddChild(nullptr));
    std::snprintf(c->mName, sizeof c->mName, "c");
    EXPECT_EQ(kinds(), "ab");
    c->mKind = 18;
    parent.mChildren.MoveBefore(c, a);
    EXPECT_EQ(kinds(), "cab");
    parent.mChildren.Remove(a);
    EXPECT_EQ(kinds(), "cb");
    EXPECT_TRUE(parent.ChildrenOfKind(3).empty());
    parent.mChildren.RemoveAll();
}

TEST_F(AnimObjectTest, NearestSiblingOfKindLooksOnScreenOnly)
{
    AnimObject parent;
    AnimObject* self = parent.AddChild(nullptr);
    EXPECT_EQ(self->NearestSiblingOfKind(17), nullptr);
    const struct {
        float x;
        int kind;
    } siblings[] = {{1000.0f, 17}, {300.0f, 17}, {150.0f, 16}, {200.0f, 17}};
    std::vector<AnimObject*> made;
    for (const auto& s : siblings) {
        AnimObject* sibling = parent.AddChild(nullptr);
        sibling->mKind = s.kind;
        sibling->mLocal[kAttrX] = s.x;
        sibling->mWorld[kAttrX] = s.x;
        sibling->mSource[2] = 10.0f;
        sibling->mSource[3] = 10.0f;
        made.push_back(sibling);
    }
    parent.RefreshWorld();
    // (1000, 0) is off screen; of the others of kind 17, x = 200 is nearest to x = 100.
    self->mWorld[kAttrX] = 100.0f;
    EXPECT_EQ(self->NearestSiblingOfKind(17), made[3]);
    EXPECT_EQ(self->NearestSiblingOfKind(5), nullptr);
    // Without a parent: none.
    AnimObject orphan;
    EXPECT_EQ(orphan.NearestSiblingOfKind(17), nullptr);
}

TEST_F(AnimObjectTest, BounceOffSegmentsReflectsAndStopsAfterALimitedNumberOfUpdates)
{
    AnimObject* wall = Living(AnimObject::TakeFromPool());
    mGame->mLiveObjects.Append(wall);
    wall->mLocal[kAttrX] = 100.0f;
    wall->RefreshWorld();
    struct Case {
        float speed;
        float expectedVelocity;
        float expectedUpdates;
    };
    // Falling at 2 onto the segment y = 0 from y = 5: the normal (0, -1) turns
    // the velocity to -2, and the ball rises 2 a tick until |y| >= 100: 5 - 2 * 53 = -101.
    // Standing still, it never gets clear: the updates stop at 120.
    const Case cases[] = {{2.0f, -2.0f, 53.0f}, {0.0f, 0.0f, 120.0f}};
    for (const Case& c : cases) {
        AnimObject* ball = Living(AnimObject::TakeFromPool());
        mGame->mLiveObjects.Append(ball);
        ball->mLocal[kAttrX] = 100.0f;
        ball->mLocal[kAttrY] = 5.0f;
        ball->Update();
        ASSERT_NE(ball->CurrentStage()->AddFilter(mGame->mFilterPool, kEasingVelocity, kAttrY, c.speed, 0.0f, 0.0f, 0),
                  nullptr);
        float segment[4] = {-50.0f, 0.0f, 50.0f, 0.0f};
        const float before = ball->mFrameCounter;
        EXPECT_EQ(ball->BounceOffSegments(*wall, segment, 1, 100.0f), 1);
        // The segment came back in world coordinates.
        EXPECT_EQ(segment[0], 50.0f);
        EXPECT_EQ(segment[2], 150.0f);
        EXPECT_EQ(ball->GetVelocityY(), c.expectedVelocity);
        EXPECT_EQ(ball->GetVelocityX(), 0.0f);
        EXPECT_EQ(ball->mFrameCounter - before, c.expectedUpdates);
        EXPECT_EQ(ball->CurrentStage()->mTicks, 1.0f);
        // Far from every segment: no bounce.
        float far[4] = {-50.0f, 500.0f, 50.0f, 500.0f};
        EXPECT_EQ(ball->BounceOffSegments(*wall, far, 1, 10.0f), 0);
    }
}

TEST_F(AnimObjectTest, EditorPicksFindSelectableObjectsUnderThePoint)
{
    ImageRecord picture;
    AnimObject screen;
    // Uses of images are given back only while some screen lives.
    mGame->mLiveObjects.Append(Living(AnimObject::TakeFromPool()));
    auto place = [&](AnimObject* parent, const char* name, int selectable, float x) {
        AnimObject* object = Living(Named(parent->AppendChild(nullptr), name));
        object->SetImageRecord(&picture);
        object->mSource[2] = 10.0f;
        object->mSource[3] = 10.0f;
        object->mSelectable = selectable;
        object->mLocal[kAttrX] = x;
        object->mLocal[kAttrY] = 100.0f;
        return object;
    };
    AnimObject* a = place(&screen, "a", 1, 100.0f);
    place(&screen, "far", 1, 300.0f);
    place(&screen, "fixed", 0, 100.0f);
    AnimObject* layer = Living(Named(screen.AppendChild(nullptr), "layer"));
    layer->mKind = kKindLayer;
    place(layer, "b", 1, 104.0f);
    auto picked = [&](int allKinds) {
        ObjectList<PickNode> list;
        screen.CollectObjectsAt(100.0f, 100.0f, list, allKinds);
        std::string names;
        for (PickNode* node = list.Head(); node != nullptr; node = node->mNext)
            names += node->mObject->mName;
        list.RemoveAll();
        return names;
    };
    EXPECT_EQ(picked(0), "a");
    EXPECT_EQ(picked(1), "ab");
    // Each pick is updated once from the start of its stage.
    EXPECT_EQ(a->mFrameCounter, 2.0f);
    EXPECT_EQ(a->CurrentStage()->mTicks, 1.0f);

    ObjectList<PickNode> layers;
    screen.CollectObjectsOfKind(layers, kKindLayer);
    ASSERT_EQ(layers.Count(), 1);
    EXPECT_EQ(layers.Head()->mObject, layer);
    // A kept node is only unlinked.
    PickNode* kept = layers.Head();
    kept->mKeep = 1;
    layers.RemoveAll();
    EXPECT_EQ(kept->mKeep, 0);
    delete kept;
    screen.mChildren.RemoveAll();
    EXPECT_EQ(picture.mUseCount, 1);
}

} // namespace
