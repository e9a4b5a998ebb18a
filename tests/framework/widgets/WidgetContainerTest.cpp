// The widget tree's own mechanics: z-order insertion and reordering, the
// update walk surviving removals and reorders from inside it, flags
// modifiers, dirty propagation among top-level widgets, the depth-first
// order test, and the draw walk's translation and clipping.
#include "framework/widgets/WidgetContainer.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetFlags.h"
#include "framework/widgets/WidgetManager.h"
#include "support/RecordingWidget.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Lumo::FlagsMod;
using Lumo::TRect;
using Lumo::Widget;
using Lumo::WidgetManager;
using LumoTest::RecordingWidget;

namespace {

// The names of a container's children, bottom first.
std::string Order(Lumo::WidgetContainer& container)
{
    std::string text;
    for (Widget* child : container.children) {
        if (!text.empty()) {
            text += " ";
        }
        text += static_cast<RecordingWidget*>(child)->name;
    }
    return text;
}

size_t CountNodes(Lumo::WidgetContainer& container)
{
    size_t count = 0;
    for (Widget* child : container.children) {
        count += 1 + CountNodes(*child);
    }
    return count;
}

std::vector<std::string> Filter(const std::vector<std::string>& log, const std::string& what)
{
    std::vector<std::string> out;
    for (const std::string& entry : log) {
        if (entry.find(what) != std::string::npos) {
            out.push_back(entry);
        }
    }
    return out;
}

class WidgetTreeTest : public ::testing::Test {
protected:
    WidgetTreeTest() : mManager(nullptr)
    {
        mManager.SetMouseRemap(TRect<int>(0, 0, 100, 100), TRect<int>(0, 0, 100, 100));
    }

    RecordingWidget* Make(const std::string& name, int x = 0, int y = 0, int width = 10, int height = 10)
    {
        mWidgets.push_back(std::make_unique<RecordingWidget>(name, &mLog, x, y, width, height));
        return mWidgets.back().get();
    }

    void ClearDirty()
    {
        mManager.dirty = false;
        for (auto& widget : mWidgets) {
            widget->dirty = false;
        }
    }

    std::vector<std::string> mLog;
    std::vector<std::unique_ptr<RecordingWidget>> mWidgets; // the manager never deletes them
    WidgetManager mManager;
};

// ---- Z-order

enum class Op { None, AddAgain, Front, Back, Behind, InFront };

struct ZCase {
    const char* title;
    std::vector<int> zOrders; // widgets "0", "1", ... added in this order
    Op op;
    int target;
    int ref; // -1: a widget that is not a child
    const char* expected;
};

const ZCase kZCases[] = {
    {"equal keys: later on top", {0, 0, 0}, Op::None, 0, 0, "0 1 2"},
    {"ascending zOrder, equal keys in add order", {1, 0, 2, 0}, Op::None, 0, 0, "1 3 0 2"},
    {"adding twice leaves one entry", {0, 0}, Op::AddAgain, 0, 0, "0 1"},
    {"to back", {0, 0, 0}, Op::Back, 2, 0, "2 0 1"},
    {"to back stays above lower zOrder", {0, 1, 0, -1}, Op::Back, 2, 0, "3 2 0 1"},
    {"to front", {0, 0, 0}, Op::Front, 0, 0, "1 2 0"},
    {"to front stops below higher zOrder", {0, 0, 1}, Op::Front, 0, 0, "1 0 2"},
    {"behind a lower one", {0, 0, 0}, Op::Behind, 2, 0, "2 0 1"},
    {"behind a higher one", {0, 0, 0}, Op::Behind, 0, 2, "1 0 2"},
    {"behind a stranger: to front", {0, 0, 0}, Op::Behind, 0, -1, "1 2 0"},
    {"behind a lower zOrder: zOrder wins", {0, 1, 0}, Op::Behind, 1, 0, "0 2 1"},
    {"in front", {0, 0, 0}, Op::InFront, 2, 0, "0 2 1"},
    {"in front of the top", {0, 0, 0}, Op::InFront, 0, 2, "1 2 0"},
    {"in front of a stranger: to front", {0, 0, 0}, Op::InFront, 0, -1, "1 2 0"},
    {"in front of a higher zOrder: zOrder wins", {1, 0, 0}, Op::InFront, 2, 0, "1 2 0"},
};

TEST_F(WidgetTreeTest, ZOrderInsertionAndReordering)
{
    for (const ZCase& c : kZCases) {
        SCOPED_TRACE(c.title);
        WidgetManager manager(nullptr);
        std::vector<std::string> log;
        std::vector<std::unique_ptr<RecordingWidget>> widgets;
        for (size_t i = 0; i < c.zOrders.size(); ++i) {
            widgets.push_back(std::make_unique<RecordingWidget>(std::to_string(i), &log));
            widgets.back()->zOrder = c.zOrders[i];
            manager.AddWidget(widgets.back().get());
        }
        RecordingWidget stranger("x", &log);
        Widget* target = widgets[static_cast<size_t>(c.target)].get();
        Widget* ref = c.ref < 0 ? &stranger : widgets[static_cast<size_t>(c.ref)].get();
        switch (c.op) {
        case Op::None: break;
        case Op::AddAgain: manager.AddWidget(target); break;
        case Op::Front: manager.BringToFront(target); break;
        case Op::Back: manager.BringToBack(target); break;
        case Op::Behind: manager.PutBehind(target, ref); break;
        case Op::InFront: manager.PutInFront(target, ref); break;
        }
        EXPECT_EQ(Order(manager), c.expected);
        const size_t reorders = Filter(log, "OrderInManagerChanged").size();
        EXPECT_EQ(reorders, (c.op == Op::None || c.op == Op::AddAgain) ? 0u : 1u);
    }
}

TEST_F(WidgetTreeTest, ReorderingAStrangerDoesNothing)
{
    RecordingWidget* a = Make("a");
    RecordingWidget* b = Make("b");
    mManager.AddWidget(a);
    RecordingWidget* stranger = Make("x");
    mManager.BringToBack(stranger);
    mManager.PutInFront(stranger, a);
    mManager.RemoveWidget(b);
    EXPECT_EQ(Order(mManager), "a");
    EXPECT_TRUE(Filter(mLog, "OrderInManagerChanged").empty());
}

// ---- The update walk

enum class Act { RemoveSelf, RemoveNext, RemovePrevious, SelfToFront, SelfToBack, NextToFront, ChildRemovesSelf };

struct WalkCase {
    const char* title;
    Act act; // done by "b" in its first update
    const char* expectedUpdates;
    const char* expectedOrder;
};

const WalkCase kWalkCases[] = {
    {"removing itself skips nothing", Act::RemoveSelf, "a b c d", "a c d"},
    {"removing the next sibling", Act::RemoveNext, "a b d", "a b d"},
    {"removing a visited sibling", Act::RemovePrevious, "a b c d", "b c d"},
    {"moving itself to the front", Act::SelfToFront, "a b c d", "a c d b"},
    {"moving itself to the back", Act::SelfToBack, "a b c d", "b a c d"},
    {"moving the next sibling to the front", Act::NextToFront, "a b d c", "a b d c"},
    {"a grandchild removing itself", Act::ChildRemovesSelf, "a b b1 b2 b3 c d", "a b c d"},
};

TEST_F(WidgetTreeTest, UpdateWalkSurvivesChangesFromInside)
{
    for (const WalkCase& c : kWalkCases) {
        SCOPED_TRACE(c.title);
        WidgetManager manager(nullptr);
        std::vector<std::string> log;
        RecordingWidget a("a", &log), b("b", &log), cc("c", &log), d("d", &log);
        RecordingWidget b1("b1", &log), b2("b2", &log), b3("b3", &log);
        for (RecordingWidget* w : {&a, &b, &cc, &d}) {
            manager.AddWidget(w);
        }
        if (c.act == Act::ChildRemovesSelf) {
            b.AddWidget(&b1);
            b.AddWidget(&b2);
            b.AddWidget(&b3);
            b2.onUpdate = [&](RecordingWidget& self) {
                if (self.updateCount == 1) {
                    b.RemoveWidget(&self);
                }
            };
        } else {
            b.onUpdate = [&](RecordingWidget& self) {
                if (self.updateCount != 1) {
                    return;
                }
                switch (c.act) {
                case Act::RemoveSelf: manager.RemoveWidget(&self); break;
                case Act::RemoveNext: manager.RemoveWidget(&cc); break;
                case Act::RemovePrevious: manager.RemoveWidget(&a); break;
                case Act::SelfToFront: manager.BringToFront(&self); break;
                case Act::SelfToBack: manager.BringToBack(&self); break;
                case Act::NextToFront: manager.BringToFront(&cc); break;
                case Act::ChildRemovesSelf: break;
                }
            };
        }
        manager.UpdateFrame();
        std::string updates;
        for (const std::string& entry : Filter(log, ".Update")) {
            updates += (updates.empty() ? "" : " ") + entry.substr(0, entry.find('.'));
        }
        EXPECT_EQ(updates, c.expectedUpdates);
        EXPECT_EQ(Order(manager), c.expectedOrder);

        // The next frame updates every remaining widget once more.
        log.clear();
        manager.UpdateFrame();
        EXPECT_EQ(Filter(log, ".Update").size(), CountNodes(manager));
    }
}

TEST_F(WidgetTreeTest, ANestedStepInsideAnUpdateEndsTheOuterWalk)
{
    // A modal loop run from inside an update steps the whole tree again.
    RecordingWidget* a = Make("a");
    RecordingWidget* b = Make("b");
    RecordingWidget* c = Make("c");
    for (RecordingWidget* w : {a, b, c}) {
        mManager.AddWidget(w);
    }
    a->onUpdate = [&](RecordingWidget& self) {
        if (self.updateCount == 1) {
            mManager.UpdateFrame();
        }
    };
    mManager.UpdateFrame();
    EXPECT_EQ(Filter(mLog, "Update"), (std::vector<std::string>{"a.Update", "a.Update", "b.Update", "c.Update"}));
    mLog.clear();
    mManager.UpdateFrame();
    EXPECT_EQ(Filter(mLog, "Update"), (std::vector<std::string>{"a.Update", "b.Update", "c.Update"}));
}

TEST_F(WidgetTreeTest, UpdateRunsOncePerManagerStep)
{
    RecordingWidget* a = Make("a");
    mManager.AddWidget(a);
    mManager.UpdateFrame();
    Lumo::ModalFlags flags{61, 61, true};
    mManager.UpdateAll(flags); // the same step again: no second Update
    EXPECT_EQ(Filter(mLog, "Update").size(), 1u);
    mManager.UpdateFrame();
    EXPECT_EQ(Filter(mLog, "Update").size(), 2u);
    EXPECT_EQ(mManager.updateCount, 2u);
    EXPECT_EQ(a->updateCount, 2u);

    mLog.clear();
    mManager.UpdateFrameF(0.5f);
    EXPECT_EQ(mLog, (std::vector<std::string>{"a.UpdateF(0.500000)"}));
    EXPECT_EQ(mManager.updateCount, 2u);
}

TEST_F(WidgetTreeTest, FlagsModifiersApplyToTheSubtree)
{
    RecordingWidget* off = Make("off");
    RecordingWidget* inherits = Make("inherits");
    RecordingWidget* backOn = Make("backOn");
    RecordingWidget* sibling = Make("sibling");
    mManager.AddWidget(off);
    mManager.AddWidget(sibling);
    off->AddWidget(inherits);
    off->AddWidget(backOn);
    off->widgetFlagsRemove = Lumo::WIDGETFLAGS_UPDATE | Lumo::WIDGETFLAGS_DRAW;
    backOn->widgetFlagsAdd = Lumo::WIDGETFLAGS_UPDATE | Lumo::WIDGETFLAGS_DRAW;

    mManager.UpdateFrame();
    EXPECT_EQ(Filter(mLog, "Update"), (std::vector<std::string>{"backOn.Update", "sibling.Update"}));

    Lumo::MemoryImage screen(nullptr);
    screen.Create(100, 100);
    mManager.image = &screen;
    mManager.MarkAllDirty();
    mLog.clear();
    mManager.DrawScreen();
    EXPECT_EQ(Filter(mLog, "Draw"), (std::vector<std::string>{"backOn.Draw", "sibling.Draw"}));

    // Bit 2 marks the node dirty on every update.
    ClearDirty();
    sibling->widgetFlagsAdd = Lumo::WIDGETFLAGS_MARK_DIRTY;
    mManager.UpdateFrame();
    EXPECT_TRUE(sibling->dirty);
    EXPECT_FALSE(off->dirty);
}

// ---- Modal flags in the walks

TEST_F(WidgetTreeTest, WidgetsAfterTheBaseModalGetOverFlagsInOtherBranches)
{
    RecordingWidget* p1 = Make("p1");
    RecordingWidget* before = Make("before");
    RecordingWidget* modal = Make("modal");
    RecordingWidget* p2 = Make("p2");
    RecordingWidget* q = Make("q");
    mManager.AddWidget(p1);
    mManager.AddWidget(p2);
    p1->AddWidget(before);
    p1->AddWidget(modal);
    p2->AddWidget(q);
    mManager.AddBaseModal(modal, FlagsMod{0, Lumo::WIDGETFLAGS_UPDATE | Lumo::WIDGETFLAGS_DRAW});

    mManager.UpdateFrame();
    EXPECT_EQ(Filter(mLog, "Update"), (std::vector<std::string>{"modal.Update", "p2.Update", "q.Update"}));

    Lumo::MemoryImage screen(nullptr);
    screen.Create(100, 100);
    mManager.image = &screen;
    mManager.MarkAllDirty();
    mLog.clear();
    mManager.DrawScreen();
    EXPECT_EQ(Filter(mLog, "Draw"), (std::vector<std::string>{"modal.Draw", "p2.Draw", "q.Draw"}));
}

// ---- Dirty marking

TEST_F(WidgetTreeTest, MarkDirtyReachesTheSiblingsDrawnAboveOnly)
{
    RecordingWidget* below = Make("below", 0, 0, 50, 50);
    RecordingWidget* child = Make("child", 10, 10, 20, 20);
    RecordingWidget* aboveTouching = Make("aboveTouching", 30, 10, 10, 10); // shares the edge x = 30 only
    RecordingWidget* aboveHidden = Make("aboveHidden", 10, 10, 20, 20);
    RecordingWidget* above = Make("above", 25, 25, 10, 10);
    RecordingWidget* aboveAbove = Make("aboveAbove", 33, 33, 10, 10); // overlaps above, not child
    for (RecordingWidget* w : {below, child, aboveTouching, aboveHidden, above, aboveAbove}) {
        mManager.AddWidget(w);
    }
    aboveHidden->visible = false;
    ClearDirty();

    child->MarkDirty();
    EXPECT_TRUE(mManager.dirty);
    EXPECT_TRUE(child->dirty);
    EXPECT_TRUE(above->dirty);
    EXPECT_TRUE(aboveAbove->dirty); // drawn over `above`, so over child's redraw too
    EXPECT_FALSE(below->dirty);
    EXPECT_FALSE(aboveTouching->dirty);
    EXPECT_FALSE(aboveHidden->dirty);

    // An already dirty child does nothing, not even the propagation.
    ClearDirty();
    child->dirty = true;
    child->MarkDirty();
    EXPECT_FALSE(above->dirty);
    EXPECT_FALSE(mManager.dirty);

    // A child that is not opaque needs what lies below too.
    ClearDirty();
    child->hasAlpha = true;
    child->MarkDirty();
    EXPECT_TRUE(below->dirty);
    EXPECT_TRUE(above->dirty);
}

TEST_F(WidgetTreeTest, NestedMarkDirtyMarksTheAncestorsOnly)
{
    RecordingWidget* parentWidget = Make("parent", 0, 0, 50, 50);
    RecordingWidget* first = Make("first", 0, 0, 50, 50);
    RecordingWidget* second = Make("second", 0, 0, 50, 50);
    mManager.AddWidget(parentWidget);
    parentWidget->AddWidget(first);
    parentWidget->AddWidget(second);
    ClearDirty();
    first->MarkDirty();
    EXPECT_TRUE(first->dirty);
    EXPECT_TRUE(parentWidget->dirty);
    EXPECT_TRUE(mManager.dirty);
    EXPECT_FALSE(second->dirty);
}

struct CoverCase {
    const char* title;
    TRect<int> child;
    TRect<int> cover;
    bool coverHasTransparencies;
    bool coverVisible;
    bool coverMarked;
    bool backgroundMarked;
};

const CoverCase kCoverCases[] = {
    {"an opaque cover stops the walk", {20, 20, 10, 10}, {10, 10, 50, 50}, false, true, true, false},
    {"a cover missing a corner does not", {20, 20, 10, 10}, {21, 10, 50, 50}, false, true, true, true},
    {"the bottom-right corner is inclusive", {20, 20, 10, 10}, {20, 20, 10, 10}, false, true, true, false},
    {"a cover with transparencies does not", {20, 20, 10, 10}, {10, 10, 50, 50}, true, true, true, true},
    {"an invisible cover is skipped", {20, 20, 10, 10}, {10, 10, 50, 50}, false, false, false, true},
    {"only the on-screen part needs covering", {-5, -5, 20, 20}, {0, 0, 15, 15}, false, true, true, false},
};

TEST_F(WidgetTreeTest, MarkDirtyFullStopsAtTheFirstOpaqueCover)
{
    for (const CoverCase& c : kCoverCases) {
        SCOPED_TRACE(c.title);
        WidgetManager manager(nullptr);
        manager.SetMouseRemap(TRect<int>(0, 0, 100, 100), TRect<int>(0, 0, 100, 100));
        RecordingWidget background("background", nullptr, 0, 0, 100, 100);
        RecordingWidget cover("cover", nullptr, c.cover.mX, c.cover.mY, c.cover.mWidth, c.cover.mHeight);
        RecordingWidget child("child", nullptr, c.child.mX, c.child.mY, c.child.mWidth, c.child.mHeight);
        RecordingWidget over("over", nullptr, 0, 0, 100, 100);
        RecordingWidget aside("aside", nullptr, 200, 200, 10, 10);
        for (RecordingWidget* w : {&background, &cover, &child, &over, &aside}) {
            manager.AddWidget(w);
        }
        for (RecordingWidget* w : {&background, &cover, &child, &over, &aside}) {
            w->dirty = false;
        }
        cover.hasTransparencies = c.coverHasTransparencies;
        cover.visible = c.coverVisible;

        child.MarkDirtyFull();
        EXPECT_TRUE(child.dirty);
        EXPECT_TRUE(over.dirty);
        EXPECT_FALSE(aside.dirty);
        EXPECT_EQ(cover.dirty, c.coverMarked);
        EXPECT_EQ(background.dirty, c.backgroundMarked);
    }
}

TEST_F(WidgetTreeTest, MarkAllDirtyReachesEveryNode)
{
    RecordingWidget* a = Make("a");
    RecordingWidget* a1 = Make("a1");
    mManager.AddWidget(a);
    a->AddWidget(a1);
    ClearDirty();
    mManager.MarkAllDirty();
    EXPECT_TRUE(mManager.dirty);
    EXPECT_TRUE(a->dirty);
    EXPECT_TRUE(a1->dirty);
}

// ---- Membership

TEST_F(WidgetTreeTest, IsBelowIsDepthFirstWithParentsFirst)
{
    RecordingWidget* a = Make("a");
    RecordingWidget* a1 = Make("a1");
    RecordingWidget* a2 = Make("a2");
    RecordingWidget* b = Make("b");
    RecordingWidget* stranger = Make("x");
    mManager.AddWidget(a);
    mManager.AddWidget(b);
    a->AddWidget(a1);
    a->AddWidget(a2);
    EXPECT_TRUE(mManager.IsBelow(a, a1));
    EXPECT_FALSE(mManager.IsBelow(a1, a));
    EXPECT_TRUE(mManager.IsBelow(a2, b));
    EXPECT_FALSE(mManager.IsBelow(b, a1));
    EXPECT_TRUE(mManager.IsBelow(a1, stranger));
    EXPECT_FALSE(mManager.IsBelow(stranger, a1));
    EXPECT_FALSE(mManager.IsBelow(stranger, nullptr));
}

TEST_F(WidgetTreeTest, AddingAndRemovingCarriesTheWholeSubtree)
{
    RecordingWidget* a = Make("a");
    RecordingWidget* a1 = Make("a1");
    RecordingWidget* a11 = Make("a11");
    RecordingWidget* b = Make("b");
    a->AddWidget(a1);
    a1->AddWidget(a11);
    EXPECT_EQ(a11->manager, nullptr);
    EXPECT_EQ(a1->parent, a);

    mManager.AddWidget(a);
    mManager.AddWidget(b);
    EXPECT_EQ(a->manager, &mManager);
    EXPECT_EQ(a11->manager, &mManager);
    EXPECT_EQ(a->parent, &mManager);
    EXPECT_TRUE(a->dirty);

    // The manager forgets a descendant that held the focus or stands in a
    // pre-modal record.
    mManager.SetFocus(a11);
    mManager.AddBaseModal(a1);
    mManager.AddBaseModal(b, FlagsMod{0, 0});
    mManager.RemoveWidget(a);
    EXPECT_EQ(a->manager, nullptr);
    EXPECT_EQ(a11->manager, nullptr);
    EXPECT_EQ(a->parent, nullptr);
    EXPECT_EQ(a1->parent, a); // the subtree itself stays together
    EXPECT_EQ(Order(mManager), "b");
    EXPECT_EQ(mManager.focusWidget, nullptr);
    EXPECT_EQ(Filter(mLog, "LostFocus"), (std::vector<std::string>{"a11.LostFocus"}));
    ASSERT_EQ(mManager.preModalStack.size(), 2u);
    EXPECT_EQ(mManager.preModalStack.front().prevFocus, nullptr);
    EXPECT_EQ(mManager.preModalStack.back().prevBaseModal, nullptr);
    EXPECT_EQ(mManager.preModalStack.back().prevFocus, nullptr);

    // Removing b unwinds a1's orphaned record in the same call.
    mManager.RemoveBaseModal(b);
    EXPECT_TRUE(mManager.preModalStack.empty());
    EXPECT_EQ(mManager.baseModalWidget, nullptr);
    EXPECT_EQ(mManager.belowModalFlagsRemove, 0u);
}

TEST_F(WidgetTreeTest, RemoveAllWidgetsCanDeleteTheSubtree)
{
    auto* a = new RecordingWidget("a", &mLog);
    auto* a1 = new RecordingWidget("a1", &mLog);
    auto* b = new RecordingWidget("b", &mLog);
    a->AddWidget(a1);
    mManager.AddWidget(a);
    mManager.AddWidget(b);
    mManager.RemoveAllWidgets(true, true); // the sanitizer build checks that all three are freed once
    EXPECT_TRUE(mManager.children.empty());
}

} // namespace
