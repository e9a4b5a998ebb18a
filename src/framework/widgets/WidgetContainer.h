// The base of every node of the widget tree (the manager and every widget):
// the ordered child list, the node's rectangle and dirty flag, and the
// update, fractional-update and draw walks over the tree.
#pragma once

#include "framework/graphics/Point.h"
#include "framework/graphics/Rect.h"
#include "framework/widgets/ModalFlags.h"

#include <cstdint>
#include <list>

namespace Lumo {

class Graphics;
class Widget;
class WidgetManager;

class WidgetContainer {
public:
    using WidgetList = std::list<Widget*>;

    WidgetContainer();
    // Frees the list only: children are neither removed nor deleted.
    virtual ~WidgetContainer();
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;

    virtual TRect<int> GetRect();
    // Strict overlap: touching edges do not count.
    virtual bool Intersects(WidgetContainer* other);
    // Inserts by zOrder above siblings of equal or lower zOrder; nothing when
    // the widget is already a child.
    virtual void AddWidget(Widget* widget);
    // Detaches the widget (and its subtree) from the manager; never deletes it.
    virtual void RemoveWidget(Widget* widget);
    virtual bool HasWidget(Widget* widget);
    virtual void DisableWidget(Widget* widget);
    virtual void RemoveAllWidgets(bool doDelete = false, bool recursive = false);
    virtual void SetFocus(Widget* widget);
    // Whether a comes before b in a depth-first walk (parents before children).
    virtual bool IsBelow(Widget* a, Widget* b);
    virtual void MarkAllDirty();
    // Reordering; zOrder always wins over the request.
    virtual void BringToFront(Widget* widget);
    virtual void BringToBack(Widget* widget);
    virtual void PutBehind(Widget* widget, Widget* ref);
    virtual void PutInFront(Widget* widget, Widget* ref);
    virtual TPoint<int> GetAbsPos();
    // Marks the child and, at the top level, what lies above it.
    virtual void MarkDirty(WidgetContainer* child);
    virtual void MarkDirty();
    // Marks the child and, at the top level, what shows through its old area.
    virtual void MarkDirtyFull(WidgetContainer* child);
    virtual void MarkDirtyFull();
    virtual void AddedToManager(WidgetManager* widgetManager);
    virtual void RemovedFromManager(WidgetManager* widgetManager);
    virtual void Update();
    virtual void UpdateAll(ModalFlags& modalFlags);
    virtual void UpdateF(float fraction);
    virtual void UpdateFAll(ModalFlags& modalFlags, float fraction);
    virtual void Draw(Graphics* g);
    virtual void DrawAll(ModalFlags& modalFlags, Graphics* g);
    virtual void NotifyAll();
    virtual void Notify();

    // Bumped by NotifyAll once per node that has children.
    static int notifyCount;

    WidgetList children; // drawing order: first at the bottom; ascending zOrder
    WidgetManager* manager;
    WidgetContainer* parent;
    bool updateIteratorModified;
    WidgetList::iterator updateIterator;
    uint32_t lastUpdateCount;
    uint32_t updateCount;
    bool dirty;
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    bool hasAlpha; // does not cover its rectangle opaquely
    bool clip;
    uint32_t widgetFlagsAdd;
    uint32_t widgetFlagsRemove;
    int32_t priority;
    int32_t zOrder;

protected:
    // Inserts by zOrder starting from the hint (end(): on top of its equals).
    void InsertByZOrder(Widget* widget, WidgetList::iterator hint);
    // Unlinks a child, moving the update walk past it; false when absent.
    bool UnlinkChild(Widget* widget);
    // Detaches a child's subtree from the manager, deepest first.
    void DetachFromManager(Widget* widget);
    // The child walk shared by UpdateAll and UpdateFAll.
    void UpdateChildren(ModalFlags& modalFlags, bool fractional, float fraction);
};

} // namespace Lumo
