// Routing of mouse, key and focus events to widgets, modal blocking, the
// per-frame update and the redraw of dirty top-level widgets.
#include "framework/widgets/WidgetManager.h"

#include "framework/app/LumoAppBase.h"
#include "framework/display/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"

#include <cstring>
#include <limits>

namespace Lumo {

namespace {

const int32_t kNoOverlayPriority = std::numeric_limits<int32_t>::max();

const int kKeyTab = 9;
const int kKeyControl = 17;
const int kNumKeys = 255;

// Button bits: 1 left, 2 right, 4 middle. Click counts: negative right, 3
// middle, anything else left.
uint32_t ButtonBitOfCount(int clickCount)
{
    if (clickCount < 0) {
        return 2;
    }
    if (clickCount == 3) {
        return 4;
    }
    return 1;
}

int CountOfButtonBit(uint32_t bit)
{
    if (bit == 2) {
        return -1;
    }
    if (bit == 4) {
        return 3;
    }
    return 1;
}

} // namespace

WidgetManager::WidgetManager(LumoAppBase* theApp)
    : defaultTabWidget(nullptr),
      currentGraphics(nullptr),
      app(theApp),
      image(nullptr),
      popupCommandWidget(nullptr),
      lowestOverlayPriority(kNoOverlayPriority),
      hasFocus(true),
      focusWidget(nullptr),
      lastDownWidget(nullptr),
      overWidget(nullptr),
      baseModalWidget(nullptr),
      lostFocusFlagsAdd(0),
      lostFocusFlagsRemove(0),
      belowModalFlagsAdd(0),
      belowModalFlagsRemove(0),
      defaultBelowModalFlagsAdd(0),
      defaultBelowModalFlagsRemove(WIDGETFLAGS_ALLOW_MOUSE | WIDGETFLAGS_ALLOW_FOCUS),
      mouseIn(false),
      lastMouseX(0),
      lastMouseY(0),
      downButtons(0),
      actualDownButtons(0),
      lastInputUpdateCount(0),
      lastDownButtonId(0),
      defaultWidgetFlags(WIDGETFLAGS_UPDATE | WIDGETFLAGS_DRAW | WIDGETFLAGS_CLIP | WIDGETFLAGS_ALLOW_MOUSE
                         | WIDGETFLAGS_ALLOW_FOCUS)
{
    manager = this;
    std::memset(keyDown, 0, sizeof(keyDown));
}

WidgetManager::~WidgetManager() = default;

// ---- Flags

uint32_t WidgetManager::GetWidgetFlags()
{
    if (hasFocus) {
        return defaultWidgetFlags;
    }
    return ApplyFlagsMod(defaultWidgetFlags, lostFocusFlagsAdd, lostFocusFlagsRemove);
}

void WidgetManager::InitModalFlags(ModalFlags& modalFlags)
{
    modalFlags.overFlags = GetWidgetFlags();
    modalFlags.underFlags = ApplyFlagsMod(modalFlags.overFlags, belowModalFlagsAdd, belowModalFlagsRemove);
    modalFlags.isOver = baseModalWidget == nullptr;
}

// ---- Update and draw

bool WidgetManager::UpdateFrame()
{
    ModalFlags modalFlags;
    InitModalFlags(modalFlags);
    // The manager's own Update is not run: its count is the frame clock.
    ++updateCount;
    lastUpdateCount = updateCount;
    UpdateAll(modalFlags);
    return dirty;
}

bool WidgetManager::UpdateFrameF(float fraction)
{
    ModalFlags modalFlags;
    InitModalFlags(modalFlags);
    UpdateFAll(modalFlags, fraction);
    return dirty;
}

bool WidgetManager::DrawScreen()
{
    ModalFlags modalFlags;
    InitModalFlags(modalFlags);
    int dirtyCount = 0;
    for (Widget* child : children) {
        if (child->dirty) {
            ++dirtyCount;
        }
    }
    lowestOverlayPriority = kNoOverlayPriority;
    deferredOverlays.clear();

    Graphics screenGraphics(image);
    currentGraphics = &screenGraphics;
    // A screen over a display surface is locked once for the whole frame.
    DDImage* const surfaceImage = dynamic_cast<DDImage*>(image);
    const bool surfaceLocked = surfaceImage != nullptr && surfaceImage->LockSurface();

    bool drewSomething = false;
    if (dirtyCount > 0) {
        Graphics gameGraphics(screenGraphics);
        gameGraphics.Translate(-mouseSourceRect.mX, -mouseSourceRect.mY);
        const bool is3D = app != nullptr && app->Is3DAccelerated();
        for (Widget* child : children) {
            if (child == baseModalWidget) {
                modalFlags.isOver = true;
            }
            if (child->dirty && child->visible) {
                Graphics childGraphics(gameGraphics);
                childGraphics.SetFastStretch(!is3D);
                childGraphics.SetLinearBlend(is3D);
                childGraphics.Translate(child->x, child->y);
                child->DrawAll(modalFlags, &childGraphics);
                drewSomething = true;
                child->dirty = false;
            }
        }
    }

    FlushDeferredOverlayWidgets(kNoOverlayPriority);
    if (surfaceLocked) {
        surfaceImage->UnlockSurface();
    }
    currentGraphics = nullptr;
    return drewSomething;
}

void WidgetManager::FlushDeferredOverlayWidgets(int maxPriority)
{
    if (currentGraphics == nullptr) {
        return;
    }
    for (;;) {
        int32_t nextPriority = kNoOverlayPriority;
        // By index: an overlay may queue further overlays while it draws.
        for (size_t i = 0; i < deferredOverlays.size(); ++i) {
            Widget* const widget = deferredOverlays[i].first;
            const int32_t overlayPriority = deferredOverlays[i].second;
            if (widget == nullptr) {
                continue;
            }
            if (overlayPriority == lowestOverlayPriority) {
                deferredOverlays[i].first = nullptr;
                Graphics overlayGraphics(*currentGraphics);
                overlayGraphics.Translate(-mouseSourceRect.mX, -mouseSourceRect.mY);
                overlayGraphics.Translate(widget->x, widget->y);
                const bool is3D = overlayGraphics.mIs3D;
                overlayGraphics.SetFastStretch(!is3D);
                overlayGraphics.SetLinearBlend(is3D);
                widget->DrawOverlay(&overlayGraphics, overlayPriority);
            } else if (overlayPriority < nextPriority) {
                nextPriority = overlayPriority;
            }
        }
        lowestOverlayPriority = nextPriority;
        if (nextPriority == kNoOverlayPriority) {
            deferredOverlays.clear();
            return;
        }
        if (nextPriority >= maxPriority) {
            return;
        }
    }
}

// ---- Mouse remapping

void WidgetManager::SetMouseRemap(const TRect<int>& srcRect, const TRect<int>& destRect)
{
    mouseSourceRect = srcRect;
    mouseDestRect = destRect;
    width = srcRect.mWidth + 2 * srcRect.mX;
    height = srcRect.mHeight + 2 * srcRect.mY;
}

void WidgetManager::RemapMouse(int& theX, int& theY)
{
    // An axis without a destination extent has no mapping: it is left as it is.
    if (mouseDestRect.mWidth != 0) {
        theX = static_cast<int>(static_cast<int64_t>(theX - mouseDestRect.mX) * mouseSourceRect.mWidth
                                    / mouseDestRect.mWidth
                                + mouseSourceRect.mX);
    }
    if (mouseDestRect.mHeight != 0) {
        theY = static_cast<int>(static_cast<int64_t>(theY - mouseDestRect.mY) * mouseSourceRect.mHeight
                                    / mouseDestRect.mHeight
                                + mouseSourceRect.mY);
    }
}

// ---- Hit testing

Widget* WidgetManager::GetAnyWidgetAt(WidgetContainer* node, int theX, int theY, uint32_t flags, int* widgetX,
                                      int* widgetY)
{
    flags = ApplyFlagsMod(flags, node->widgetFlagsAdd, node->widgetFlagsRemove);
    bool belowModal = false;
    for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
        Widget* const child = *it;
        uint32_t childFlags = ApplyFlagsMod(flags, child->widgetFlagsAdd, child->widgetFlagsRemove);
        if (belowModal) {
            childFlags = ApplyFlagsMod(childFlags, belowModalFlagsAdd, belowModalFlagsRemove);
        }
        if ((childFlags & WIDGETFLAGS_ALLOW_MOUSE) != 0 && child->visible) {
            // Children lie on top of their parent.
            Widget* const found = GetAnyWidgetAt(child, theX - child->x, theY - child->y, childFlags, widgetX, widgetY);
            if (found != nullptr) {
                return found;
            }
            if (child->mouseVisible) {
                const TRect<int> inset = child->GetInsetRect();
                if (theX >= inset.mX && theX < inset.mX + inset.mWidth && theY >= inset.mY
                    && theY < inset.mY + inset.mHeight && child->IsPointVisible(theX - child->x, theY - child->y)) {
                    *widgetX = theX - child->x;
                    *widgetY = theY - child->y;
                    return child;
                }
            }
        }
        if (child == baseModalWidget) {
            belowModal = true;
        }
    }
    return nullptr;
}

Widget* WidgetManager::GetWidgetAt(int theX, int theY, int* widgetX, int* widgetY)
{
    int localX = theX;
    int localY = theY;
    Widget* const widget = GetAnyWidgetAt(this, theX, theY, GetWidgetFlags(), &localX, &localY);
    if (widget == nullptr || widget->disabled) {
        return nullptr;
    }
    if (widgetX != nullptr) {
        *widgetX = localX;
    }
    if (widgetY != nullptr) {
        *widgetY = localY;
    }
    return widget;
}

bool WidgetManager::IsLeftButtonDown()
{
    return (actualDownButtons & 1) != 0;
}

// ---- Mouse

void WidgetManager::EnterWidget(Widget* widget)
{
    widget->isOver = true;
    widget->MouseEnter();
    if (widget->doFinger) {
        widget->ShowFinger(true);
    }
}

void WidgetManager::LeaveWidget(Widget* widget)
{
    widget->isOver = false;
    widget->MouseLeave();
    if (widget->doFinger) {
        widget->ShowFinger(false);
    }
}

void WidgetManager::MouseMoveHelper(int theX, int theY)
{
    const int oldX = lastMouseX;
    const int oldY = lastMouseY;
    lastMouseX = theX;
    lastMouseY = theY;

    int localX = theX;
    int localY = theY;
    Widget* widget = GetWidgetAt(theX, theY, &localX, &localY);
    // While a widget holds the mouse no other widget is entered.
    if (lastDownWidget != nullptr && widget != lastDownWidget) {
        widget = nullptr;
    }

    if (widget == overWidget) {
        if (widget != nullptr && (oldX != theX || oldY != theY)) {
            widget->MouseMove(localX, localY);
        }
        return;
    }
    Widget* const oldOver = overWidget;
    overWidget = nullptr;
    if (oldOver != nullptr) {
        LeaveWidget(oldOver);
    }
    overWidget = widget;
    if (widget != nullptr) {
        EnterWidget(widget);
        widget->MouseMove(localX, localY);
    }
}

bool WidgetManager::MouseMove(int theX, int theY)
{
    lastInputUpdateCount = updateCount;
    if (downButtons != 0) {
        MouseDrag(theX, theY);
    } else {
        mouseIn = true;
        MouseMoveHelper(theX, theY);
    }
    return true;
}

void WidgetManager::MouseDrag(int theX, int theY)
{
    lastInputUpdateCount = updateCount;
    mouseIn = true;
    lastMouseX = theX;
    lastMouseY = theY;

    if (overWidget != nullptr && overWidget != lastDownWidget) {
        Widget* const oldOver = overWidget;
        overWidget = nullptr;
        LeaveWidget(oldOver);
    }
    if (lastDownWidget == nullptr) {
        return;
    }
    const TPoint<int> absPos = lastDownWidget->GetAbsPos();
    lastDownWidget->MouseDrag(theX - absPos.mX, theY - absPos.mY);

    // The drag hook may have let go of the widget.
    Widget* const widget = GetWidgetAt(theX, theY, nullptr, nullptr);
    if (widget != nullptr && widget == lastDownWidget) {
        if (overWidget == nullptr) {
            overWidget = widget;
            EnterWidget(widget);
        }
    } else if (overWidget != nullptr) {
        Widget* const oldOver = overWidget;
        overWidget = nullptr;
        LeaveWidget(oldOver);
    }
}

bool WidgetManager::MouseDown(int theX, int theY, int clickCount)
{
    lastInputUpdateCount = updateCount;
    const uint32_t bit = ButtonBitOfCount(clickCount);
    actualDownButtons |= bit;

    MouseMoveHelper(theX, theY);

    if (popupCommandWidget != nullptr && !popupCommandWidget->Contains(theX, theY)) {
        Widget* const popup = popupCommandWidget;
        popupCommandWidget = nullptr;
        RemoveWidget(popup);
    }

    int localX = theX;
    int localY = theY;
    Widget* const widget = GetWidgetAt(theX, theY, &localX, &localY);
    // A widget that already holds a button keeps the mouse.
    Widget* const target = lastDownWidget != nullptr ? lastDownWidget : widget;

    downButtons |= bit;
    lastDownButtonId = clickCount < 0 ? -1 : (clickCount == 3 ? 2 : 1);
    lastDownWidget = target;

    if (target != nullptr) {
        if (target->WantsFocus()) {
            SetFocus(target);
        }
        target->isDown = true;
        target->MouseDown(localX, localY, clickCount);
    }
    return true;
}

bool WidgetManager::MouseUp(int theX, int theY, int clickCount)
{
    lastInputUpdateCount = updateCount;
    const uint32_t bit = ButtonBitOfCount(clickCount);
    actualDownButtons &= ~bit;

    if (lastDownWidget != nullptr && (downButtons & bit) != 0) {
        Widget* const widget = lastDownWidget;
        downButtons &= ~bit;
        if (downButtons == 0) {
            lastDownWidget = nullptr;
        }
        widget->isDown = false;
        widget->MouseUp(theX - widget->x, theY - widget->y, clickCount);
    } else {
        downButtons &= ~bit;
    }

    MouseMoveHelper(theX, theY);
    return true;
}

void WidgetManager::DoMouseUps(Widget* widget, uint32_t buttons)
{
    static const uint32_t kBits[3] = {1, 2, 4};
    for (const uint32_t bit : kBits) {
        if ((buttons & bit) != 0) {
            widget->isDown = false;
            widget->MouseUp(lastMouseX - widget->x, lastMouseY - widget->y, CountOfButtonBit(bit));
        }
    }
}

void WidgetManager::DoMouseUps()
{
    Widget* const widget = lastDownWidget;
    const uint32_t buttons = downButtons;
    // Released before the hooks run, so that a hook removing the widget does
    // not release the same buttons again.
    downButtons = 0;
    lastDownWidget = nullptr;
    if (widget != nullptr && buttons != 0) {
        DoMouseUps(widget, buttons);
    }
}

bool WidgetManager::MouseExit(int /*theX*/, int /*theY*/)
{
    lastInputUpdateCount = updateCount;
    mouseIn = false;
    if (overWidget != nullptr) {
        Widget* const oldOver = overWidget;
        overWidget = nullptr;
        LeaveWidget(oldOver);
    }
    return true;
}

void WidgetManager::MouseWheel(int delta)
{
    lastInputUpdateCount = updateCount;
    if (focusWidget != nullptr) {
        focusWidget->MouseWheel(delta);
    }
}

void WidgetManager::RehupMouse()
{
    if (lastDownWidget != nullptr) {
        if (overWidget != nullptr && GetWidgetAt(lastMouseX, lastMouseY, nullptr, nullptr) != lastDownWidget) {
            Widget* const oldOver = overWidget;
            overWidget = nullptr;
            LeaveWidget(oldOver);
        }
    } else if (mouseIn) {
        MouseMoveHelper(lastMouseX, lastMouseY);
    }
}

// ---- Keys

bool WidgetManager::KeyChar(char theChar)
{
    lastInputUpdateCount = updateCount;
    // Ctrl+Tab belongs to the default tab widget, not to the focus.
    if (theChar == kKeyTab && keyDown[kKeyControl] != 0) {
        if (defaultTabWidget != nullptr) {
            defaultTabWidget->KeyChar(theChar);
        }
        return true;
    }
    if (focusWidget != nullptr) {
        focusWidget->KeyChar(theChar);
    }
    return true;
}

bool WidgetManager::KeyDown(int keyCode)
{
    lastInputUpdateCount = updateCount;
    if (keyCode >= 0 && keyCode < kNumKeys) {
        keyDown[keyCode] = 1;
    }
    if (focusWidget != nullptr) {
        focusWidget->KeyDown(keyCode);
    }
    return true;
}

bool WidgetManager::KeyUp(int keyCode)
{
    lastInputUpdateCount = updateCount;
    if (keyCode >= 0 && keyCode < kNumKeys) {
        keyDown[keyCode] = 0;
    }
    if (keyCode == kKeyTab && keyDown[kKeyControl] != 0) {
        return true;
    }
    if (focusWidget != nullptr) {
        focusWidget->KeyUp(keyCode);
    }
    return true;
}

// ---- Focus

void WidgetManager::SetFocus(Widget* widget)
{
    if (widget == focusWidget) {
        return;
    }
    Widget* const oldFocus = focusWidget;
    focusWidget = nullptr;
    if (oldFocus != nullptr) {
        oldFocus->LostFocus();
    }
    if (widget != nullptr && widget->manager == this) {
        focusWidget = widget;
        if (hasFocus) {
            widget->GotFocus();
        }
    }
}

void WidgetManager::GotFocus()
{
    if (hasFocus) {
        return;
    }
    hasFocus = true;
    if (focusWidget != nullptr) {
        focusWidget->GotFocus();
    }
}

void WidgetManager::LostFocus()
{
    if (!hasFocus) {
        return;
    }
    actualDownButtons = 0;
    // Every held key is released, so that nothing stays down while the
    // window cannot see the real release.
    for (int keyCode = 0; keyCode < kNumKeys; ++keyCode) {
        if (keyDown[keyCode] == 0) {
            continue;
        }
        lastInputUpdateCount = updateCount;
        keyDown[keyCode] = 0;
        if (keyCode == kKeyTab && keyDown[kKeyControl] != 0) {
            continue;
        }
        if (focusWidget != nullptr) {
            focusWidget->KeyUp(keyCode);
        }
    }
    hasFocus = false;
    if (focusWidget != nullptr) {
        focusWidget->LostFocus();
    }
}

void WidgetManager::DisableWidget(Widget* widget)
{
    if (widget == nullptr) {
        return;
    }
    if (widget == overWidget) {
        overWidget = nullptr;
        LeaveWidget(widget);
    }
    if (widget == lastDownWidget) {
        const uint32_t buttons = downButtons;
        lastDownWidget = nullptr;
        downButtons = 0;
        DoMouseUps(widget, buttons);
    }
    if (widget == focusWidget) {
        focusWidget = nullptr;
        widget->LostFocus();
    }
    if (widget == baseModalWidget) {
        baseModalWidget = nullptr;
    }
}

// ---- Modal widgets

void WidgetManager::SetBaseModal(Widget* widget, const FlagsMod& belowFlagsMod)
{
    baseModalWidget = widget;
    belowModalFlagsAdd = belowFlagsMod.addFlags;
    belowModalFlagsRemove = belowFlagsMod.removeFlags;

    if ((belowFlagsMod.removeFlags & WIDGETFLAGS_ALLOW_MOUSE) != 0) {
        if (overWidget != nullptr && IsBelow(overWidget, widget)) {
            Widget* const oldOver = overWidget;
            overWidget = nullptr;
            LeaveWidget(oldOver);
        }
        if (lastDownWidget != nullptr && IsBelow(lastDownWidget, widget)) {
            Widget* const oldDown = lastDownWidget;
            const uint32_t buttons = downButtons;
            lastDownWidget = nullptr;
            downButtons = 0;
            DoMouseUps(oldDown, buttons);
        }
    }
    if ((belowFlagsMod.removeFlags & WIDGETFLAGS_ALLOW_FOCUS) != 0) {
        if (focusWidget != nullptr && IsBelow(focusWidget, widget)) {
            Widget* const oldFocus = focusWidget;
            focusWidget = nullptr;
            oldFocus->LostFocus();
        }
    }
}

void WidgetManager::AddBaseModal(Widget* widget)
{
    FlagsMod belowFlagsMod;
    belowFlagsMod.addFlags = defaultBelowModalFlagsAdd;
    belowFlagsMod.removeFlags = defaultBelowModalFlagsRemove;
    AddBaseModal(widget, belowFlagsMod);
}

void WidgetManager::AddBaseModal(Widget* widget, const FlagsMod& belowFlagsMod)
{
    PreModalInfo info;
    info.baseModal = widget;
    info.prevBaseModal = baseModalWidget;
    info.prevFocus = focusWidget;
    info.prevBelowModalFlagsAdd = belowModalFlagsAdd;
    info.prevBelowModalFlagsRemove = belowModalFlagsRemove;
    preModalStack.push_back(info);
    SetBaseModal(widget, belowFlagsMod);
}

void WidgetManager::RemoveBaseModal(Widget* widget)
{
    if (preModalStack.empty() || preModalStack.back().baseModal != widget) {
        return;
    }
    for (;;) {
        // Taken off first: the focus hooks below may open or close modals.
        const PreModalInfo info = preModalStack.back();
        preModalStack.pop_back();

        FlagsMod belowFlagsMod;
        belowFlagsMod.addFlags = info.prevBelowModalFlagsAdd;
        belowFlagsMod.removeFlags = info.prevBelowModalFlagsRemove;
        SetBaseModal(info.prevBaseModal, belowFlagsMod);
        if (focusWidget == nullptr) {
            focusWidget = info.prevFocus;
            if (focusWidget != nullptr) {
                focusWidget->GotFocus();
            }
        }
        // A cleared previous widget left the manager: its own record is
        // unwound too.
        if (info.prevBaseModal != nullptr || preModalStack.empty()) {
            return;
        }
    }
}

} // namespace Lumo
