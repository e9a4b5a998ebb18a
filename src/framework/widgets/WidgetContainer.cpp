// The child list, dirty propagation and the update and draw walks shared by
// the widget manager and every widget.
#include "framework/widgets/WidgetContainer.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetFlags.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Lumo {

int WidgetContainer::notifyCount = 0;

namespace {

// Applies the node's modifier to both flag sets of the record and puts the
// old sets back when the node is done.
class ScopedFlagsMod {
public:
    ScopedFlagsMod(ModalFlags& modalFlags, uint32_t addFlags, uint32_t removeFlags)
        : mModalFlags(modalFlags), mOldOverFlags(modalFlags.overFlags), mOldUnderFlags(modalFlags.underFlags)
    {
        modalFlags.overFlags = ApplyFlagsMod(modalFlags.overFlags, addFlags, removeFlags);
        modalFlags.underFlags = ApplyFlagsMod(modalFlags.underFlags, addFlags, removeFlags);
    }
    // isOver is deliberately left as the walk set it.
    ~ScopedFlagsMod()
    {
        mModalFlags.overFlags = mOldOverFlags;
        mModalFlags.underFlags = mOldUnderFlags;
    }
    ScopedFlagsMod(const ScopedFlagsMod&) = delete;
    ScopedFlagsMod& operator=(const ScopedFlagsMod&) = delete;

private:
    ModalFlags& mModalFlags;
    uint32_t mOldOverFlags;
    uint32_t mOldUnderFlags;
};

// 0: neither found below the node, 1: a met first, 2: b met first.
int FindFirstOf(WidgetContainer* node, Widget* a, Widget* b)
{
    for (Widget* child : node->children) {
        if (child == a) {
            return 1;
        }
        if (child == b) {
            return 2;
        }
        const int found = FindFirstOf(child, a, b);
        if (found != 0) {
            return found;
        }
    }
    return 0;
}

} // namespace

WidgetContainer::WidgetContainer()
    : manager(nullptr),
      parent(nullptr),
      updateIteratorModified(false),
      updateIterator(children.end()),
      lastUpdateCount(0),
      updateCount(0),
      dirty(false),
      x(0),
      y(0),
      width(0),
      height(0),
      hasAlpha(false),
      clip(true),
      widgetFlagsAdd(0),
      widgetFlagsRemove(0),
      priority(0),
      zOrder(0)
{
}

WidgetContainer::~WidgetContainer() = default;

TRect<int> WidgetContainer::GetRect()
{
    return TRect<int>(x, y, width, height);
}

bool WidgetContainer::Intersects(WidgetContainer* other)
{
    // In 64 bits so that far-off rectangles cannot wrap round.
    const int64_t left0 = x;
    const int64_t top0 = y;
    const int64_t left1 = other->x;
    const int64_t top1 = other->y;
    return left0 < left1 + other->width && left1 < left0 + width && top0 < top1 + other->height
        && top1 < top0 + height;
}

void WidgetContainer::InsertByZOrder(Widget* widget, WidgetList::iterator hint)
{
    WidgetList::iterator it = hint;
    // Forward from the hint to the first child of equal or higher zOrder.
    while (it != children.end()) {
        Widget* child = *it;
        if (widget->zOrder <= child->zOrder) {
            if (it == children.begin() || child->zOrder <= widget->zOrder) {
                children.insert(it, widget);
                return;
            }
            break;
        }
        ++it;
    }
    // Backward to the first child of equal or lower zOrder.
    while (it != children.begin()) {
        --it;
        if ((*it)->zOrder <= widget->zOrder) {
            children.insert(std::next(it), widget);
            return;
        }
    }
    children.push_front(widget);
}

bool WidgetContainer::UnlinkChild(Widget* widget)
{
    const WidgetList::iterator it = std::find(children.begin(), children.end(), widget);
    if (it == children.end()) {
        return false;
    }
    if (it == updateIterator) {
        ++updateIterator;
        updateIteratorModified = true;
    }
    children.erase(it);
    return true;
}

void WidgetContainer::AddWidget(Widget* widget)
{
    if (widget == nullptr || HasWidget(widget)) {
        return;
    }
    InsertByZOrder(widget, children.end());
    widget->manager = manager;
    widget->parent = this;
    if (manager != nullptr) {
        widget->AddedToManager(manager);
        widget->MarkDirtyFull();
        manager->RehupMouse();
    }
    MarkDirty();
}

void WidgetContainer::DetachFromManager(Widget* widget)
{
    WidgetManager* const widgetManager = widget->manager;
    if (widgetManager == nullptr) {
        return;
    }
    for (Widget* child : widget->children) {
        DetachFromManager(child);
    }
    widgetManager->DisableWidget(widget);
    for (PreModalInfo& info : widgetManager->preModalStack) {
        if (info.prevBaseModal == widget) {
            info.prevBaseModal = nullptr;
        }
        if (info.prevFocus == widget) {
            info.prevFocus = nullptr;
        }
    }
    widget->RemovedFromManager(widgetManager);
    widget->MarkDirtyFull();
    widget->manager = nullptr;
}

void WidgetContainer::RemoveWidget(Widget* widget)
{
    if (widget == nullptr || !HasWidget(widget)) {
        return;
    }
    DetachFromManager(widget);
    // The hooks run while detaching may already have taken it out.
    if (UnlinkChild(widget)) {
        widget->parent = nullptr;
    }
}

bool WidgetContainer::HasWidget(Widget* widget)
{
    return std::find(children.begin(), children.end(), widget) != children.end();
}

void WidgetContainer::DisableWidget(Widget* /*widget*/)
{
}

void WidgetContainer::RemoveAllWidgets(bool doDelete, bool recursive)
{
    while (!children.empty()) {
        Widget* child = children.front();
        RemoveWidget(child);
        if (recursive) {
            child->RemoveAllWidgets(doDelete, recursive);
        }
        if (doDelete) {
            delete child;
        }
    }
}

void WidgetContainer::SetFocus(Widget* /*widget*/)
{
}

bool WidgetContainer::IsBelow(Widget* a, Widget* b)
{
    return FindFirstOf(this, a, b) == 1;
}

void WidgetContainer::MarkAllDirty()
{
    MarkDirty();
    for (Widget* child : children) {
        child->dirty = true;
        child->MarkAllDirty();
    }
}

void WidgetContainer::BringToFront(Widget* widget)
{
    if (UnlinkChild(widget)) {
        InsertByZOrder(widget, children.end());
        widget->OrderInManagerChanged();
    }
}

void WidgetContainer::BringToBack(Widget* widget)
{
    if (UnlinkChild(widget)) {
        InsertByZOrder(widget, children.begin());
        widget->OrderInManagerChanged();
    }
}

void WidgetContainer::PutBehind(Widget* widget, Widget* ref)
{
    if (UnlinkChild(widget)) {
        InsertByZOrder(widget, std::find(children.begin(), children.end(), ref));
        widget->OrderInManagerChanged();
    }
}

void WidgetContainer::PutInFront(Widget* widget, Widget* ref)
{
    if (UnlinkChild(widget)) {
        WidgetList::iterator hint = std::find(children.begin(), children.end(), ref);
        if (hint != children.end()) {
            ++hint;
        }
        InsertByZOrder(widget, hint);
        widget->OrderInManagerChanged();
    }
}

TPoint<int> WidgetContainer::GetAbsPos()
{
    if (parent == nullptr) {
        return TPoint<int>(x, y);
    }
    const TPoint<int> parentPos = parent->GetAbsPos();
    return TPoint<int>(parentPos.mX + x, parentPos.mY + y);
}

void WidgetContainer::MarkDirty(WidgetContainer* child)
{
    if (child->dirty) {
        return;
    }
    MarkDirty();
    child->dirty = true;
    if (parent != nullptr) {
        return;
    }
    // Top level: what is drawn above the child must be drawn again over it.
    if (child->hasAlpha) {
        MarkDirtyFull(child);
        return;
    }
    WidgetList::iterator it = std::find(children.begin(), children.end(), child);
    if (it == children.end()) {
        return;
    }
    for (++it; it != children.end(); ++it) {
        Widget* sibling = *it;
        if (sibling->visible && sibling->Intersects(child)) {
            MarkDirty(sibling);
        }
    }
}

void WidgetContainer::MarkDirty()
{
    if (parent != nullptr) {
        parent->MarkDirty(this);
    } else {
        dirty = true;
    }
}

void WidgetContainer::MarkDirtyFull(WidgetContainer* child)
{
    MarkDirtyFull();
    child->dirty = true;
    if (parent != nullptr) {
        return;
    }
    const WidgetList::iterator childIt = std::find(children.begin(), children.end(), child);
    if (childIt == children.end()) {
        return;
    }
    // Below the child: what shows through its area, down to the first
    // opaque sibling that covers all of it.
    const TRect<int> area = TRect<int>(0, 0, width, height).Intersection(child->GetRect());
    for (WidgetList::iterator it = childIt; it != children.begin();) {
        --it;
        Widget* sibling = *it;
        if (!sibling->visible) {
            continue;
        }
        if (!sibling->hasTransparencies && !sibling->hasAlpha && sibling->Contains(area.mX, area.mY)
            && sibling->Contains(area.mX + area.mWidth - 1, area.mY + area.mHeight - 1)) {
            sibling->MarkDirty();
            break;
        }
        if (sibling->Intersects(child)) {
            MarkDirty(sibling);
        }
    }
    // Above the child: everything drawn over its area.
    for (WidgetList::iterator it = std::next(childIt); it != children.end(); ++it) {
        Widget* sibling = *it;
        if (sibling->visible && sibling->Intersects(child)) {
            MarkDirty(sibling);
        }
    }
}

void WidgetContainer::MarkDirtyFull()
{
    if (parent != nullptr) {
        parent->MarkDirtyFull(this);
    } else {
        dirty = true;
    }
}

void WidgetContainer::AddedToManager(WidgetManager* widgetManager)
{
    for (Widget* child : children) {
        child->manager = widgetManager;
        child->AddedToManager(widgetManager);
        MarkDirty();
    }
}

void WidgetContainer::RemovedFromManager(WidgetManager* widgetManager)
{
    for (Widget* child : children) {
        widgetManager->DisableWidget(child);
        child->RemovedFromManager(widgetManager);
        child->manager = nullptr;
    }
    if (widgetManager->popupCommandWidget != nullptr
        && static_cast<WidgetContainer*>(widgetManager->popupCommandWidget) == this) {
        widgetManager->popupCommandWidget = nullptr;
    }
}

void WidgetContainer::Update()
{
    ++updateCount;
}

void WidgetContainer::UpdateChildren(ModalFlags& modalFlags, bool fractional, float fraction)
{
    // A child may remove or reorder itself or its siblings from inside the
    // call: those operations move the iterator on and flag it. A nested walk
    // of this node (a modal loop inside an update) leaves it at the end,
    // flagged, so this walk stops there too.
    updateIterator = children.begin();
    while (updateIterator != children.end()) {
        updateIteratorModified = false;
        Widget* child = *updateIterator;
        if (child == manager->baseModalWidget) {
            modalFlags.isOver = true;
        }
        if (fractional) {
            child->UpdateFAll(modalFlags, fraction);
        } else {
            child->UpdateAll(modalFlags);
        }
        if (!updateIteratorModified) {
            ++updateIterator;
        }
    }
    updateIteratorModified = true;
}

void WidgetContainer::UpdateAll(ModalFlags& modalFlags)
{
    ScopedFlagsMod flagsMod(modalFlags, widgetFlagsAdd, widgetFlagsRemove);
    if ((modalFlags.GetFlags() & WIDGETFLAGS_MARK_DIRTY) != 0) {
        MarkDirty();
    }
    if (manager == nullptr) {
        return;
    }
    if ((modalFlags.GetFlags() & WIDGETFLAGS_UPDATE) != 0 && lastUpdateCount != manager->updateCount) {
        lastUpdateCount = manager->updateCount;
        Update();
    }
    UpdateChildren(modalFlags, false, 0.0f);
}

void WidgetContainer::UpdateF(float /*fraction*/)
{
}

void WidgetContainer::UpdateFAll(ModalFlags& modalFlags, float fraction)
{
    ScopedFlagsMod flagsMod(modalFlags, widgetFlagsAdd, widgetFlagsRemove);
    if (manager == nullptr) {
        return;
    }
    if ((modalFlags.GetFlags() & WIDGETFLAGS_UPDATE) != 0) {
        UpdateF(fraction);
    }
    UpdateChildren(modalFlags, true, fraction);
}

void WidgetContainer::Draw(Graphics* /*g*/)
{
}

void WidgetContainer::DrawAll(ModalFlags& modalFlags, Graphics* g)
{
    if (manager != nullptr && priority > manager->lowestOverlayPriority) {
        manager->FlushDeferredOverlayWidgets(priority);
    }
    ScopedFlagsMod flagsMod(modalFlags, widgetFlagsAdd, widgetFlagsRemove);
    if (clip && (modalFlags.GetFlags() & WIDGETFLAGS_CLIP) != 0) {
        g->ClipRect(0, 0, width, height);
    }
    if (children.empty()) {
        if ((modalFlags.GetFlags() & WIDGETFLAGS_DRAW) != 0) {
            Draw(g);
        }
        return;
    }
    if ((modalFlags.GetFlags() & WIDGETFLAGS_DRAW) != 0) {
        g->PushState();
        Draw(g);
        g->PopState();
    }
    for (Widget* child : children) {
        if (!child->visible) {
            continue;
        }
        if (manager != nullptr && child == manager->baseModalWidget) {
            modalFlags.isOver = true;
        }
        Graphics childGraphics(*g);
        childGraphics.Translate(child->x, child->y);
        child->DrawAll(modalFlags, &childGraphics);
        child->dirty = false;
    }
}

void WidgetContainer::NotifyAll()
{
    Notify();
    if (!children.empty()) {
        ++notifyCount;
    }
    for (Widget* child : children) {
        child->NotifyAll();
    }
}

void WidgetContainer::Notify()
{
}

} // namespace Lumo
