// The root of the widget tree. The application feeds it the fixed-step and
// fractional updates and the frame draw, and every mouse, key and focus
// event; it decides which widget gets each event (hit testing, capture of
// the pressed widget, focus, modal blocking) and which top-level widgets are
// redrawn.
#pragma once

#include "framework/graphics/Rect.h"
#include "framework/widgets/ModalFlags.h"
#include "framework/widgets/PreModalInfo.h"
#include "framework/widgets/WidgetContainer.h"
#include "framework/widgets/WidgetFlags.h"

#include <cstdint>
#include <list>
#include <utility>
#include <vector>

namespace Lumo {

class Graphics;
class LumoAppBase;
class MemoryImage;
class Widget;

class WidgetManager : public WidgetContainer {
public:
    explicit WidgetManager(LumoAppBase* theApp);
    // Frees its own lists; the children are neither removed nor deleted.
    ~WidgetManager() override;

    // ---- Called by the main loop

    // One fixed step: runs each widget's Update once; returns the dirty flag.
    bool UpdateFrame();
    bool UpdateFrameF(float fraction);
    // Redraws the dirty top-level widgets into `image`; true when any was drawn.
    bool DrawScreen();

    // ---- Called by the window messages and demo playback

    // Window (or display) coordinates to game coordinates.
    void SetMouseRemap(const TRect<int>& srcRect, const TRect<int>& destRect);
    void RemapMouse(int& theX, int& theY);
    // Moves, or drags while a button is held on a widget.
    bool MouseMove(int theX, int theY);
    // Click count: positive left (2 double), negative right, 3 middle.
    bool MouseDown(int theX, int theY, int clickCount);
    bool MouseUp(int theX, int theY, int clickCount);
    bool MouseExit(int theX, int theY);
    void MouseWheel(int delta);
    bool KeyChar(char theChar);
    // Codes 0-254 enter the key-state table; all codes reach the focus widget.
    bool KeyDown(int keyCode);
    bool KeyUp(int keyCode);

    // ---- Window focus and button release

    void GotFocus();
    // Releases every held key (KeyUp to the focus widget) first.
    void LostFocus();
    // Gives the pressed widget the releases of the buttons it still holds and
    // ends the capture.
    void DoMouseUps();
    void DoMouseUps(Widget* widget, uint32_t buttons);

    // ---- Modal widgets

    // Widgets drawn below w get the default below-modal modifier (no mouse,
    // no focus) until RemoveBaseModal(w).
    void AddBaseModal(Widget* widget);
    void AddBaseModal(Widget* widget, const FlagsMod& belowFlagsMod);
    // Restores the base-modal widget and focus in force before w.
    void RemoveBaseModal(Widget* widget);
    void SetBaseModal(Widget* widget, const FlagsMod& belowFlagsMod);

    // ---- Queries and helpers used by widgets

    // The enabled widget under (x, y) with the point in its own coordinates.
    Widget* GetWidgetAt(int theX, int theY, int* widgetX, int* widgetY);
    bool IsLeftButtonDown();
    // Re-evaluates the widget under the last mouse position after the tree changed.
    void RehupMouse();
    // Sets overWidget from the widget under (x, y) with enter and leave.
    void MouseMoveHelper(int theX, int theY);
    void MouseDrag(int theX, int theY);
    // Draws the pending overlays of priorities below the limit.
    void FlushDeferredOverlayWidgets(int maxPriority);
    // The flags the walks start from: defaultWidgetFlags, with the lost-focus
    // modifier while the window lacks focus.
    uint32_t GetWidgetFlags();
    void InitModalFlags(ModalFlags& modalFlags);

    void DisableWidget(Widget* widget) override;
    void SetFocus(Widget* widget) override;

    Widget* defaultTabWidget;
    Graphics* currentGraphics; // the screen context while DrawScreen runs
    LumoAppBase* app;
    MemoryImage* image; // the screen image; set by the application
    Widget* popupCommandWidget;
    std::vector<std::pair<Widget*, int>> deferredOverlays;
    int32_t lowestOverlayPriority;
    bool hasFocus; // the application window has the keyboard focus
    Widget* focusWidget;
    Widget* lastDownWidget;
    Widget* overWidget;
    Widget* baseModalWidget;
    uint32_t lostFocusFlagsAdd;
    uint32_t lostFocusFlagsRemove;
    uint32_t belowModalFlagsAdd;
    uint32_t belowModalFlagsRemove;
    uint32_t defaultBelowModalFlagsAdd;
    uint32_t defaultBelowModalFlagsRemove;
    std::list<PreModalInfo> preModalStack;
    TRect<int> mouseSourceRect;
    TRect<int> mouseDestRect;
    bool mouseIn;
    int32_t lastMouseX;
    int32_t lastMouseY;
    uint32_t downButtons;       // on lastDownWidget: 1 left, 2 right, 4 middle
    uint32_t actualDownButtons; // physically down
    uint32_t lastInputUpdateCount;
    uint8_t keyDown[255]; // 1 while the key with that code is down
    int32_t lastDownButtonId; // 1 left, -1 right, 2 middle
    uint32_t defaultWidgetFlags;

private:
    // The recursive hit test from a node, in the node's coordinates.
    Widget* GetAnyWidgetAt(WidgetContainer* node, int theX, int theY, uint32_t flags, int* widgetX, int* widgetY);
    void EnterWidget(Widget* widget);
    void LeaveWidget(Widget* widget);
};

} // namespace Lumo
