// The crash windows: plain windows of their own, drawn by the framework's
// drawing into a picture of each window. The crash window shows the message
// and the report and offers to send it; the details window takes the
// player's description; the progress window waits for the upload. What the
// buttons do is the flow's (CrashReportFlow.h).
#pragma once

#include "framework/graphics/Rect.h"
#include "framework/net/CrashReportFlow.h"
#include "platform/window/Window.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Plat {
class FramePresenter;
}

namespace Lumo {

class Font;
class MemoryImage;

class CrashReportWindows {
public:
    // Control ids of the buttons.
    static constexpr int kFirstButton = 1;  // Send Report / Continue
    static constexpr int kSecondButton = 2; // Close Now / Abort

    enum class Pane { Crash = 0, Details = 1, Progress = 2 };

    CrashReportWindows(CrashReportFlow& flow, const std::string& reportText);
    ~CrashReportWindows();
    CrashReportWindows(const CrashReportWindows&) = delete;
    CrashReportWindows& operator=(const CrashReportWindows&) = delete;

    // One pass: handles the waiting messages, runs the flow's timers to the
    // clock's time, shows the window of the flow's screen and draws what
    // changed. False once the flow is done.
    bool Step();
    // Steps until the flow is done (10 ms apart).
    void Run();

    // The window of the pane; null while it was never shown.
    Plat::Window* GetWindow(Pane pane) const;
    bool IsShown(Pane pane) const;
    // A button's rectangle in client coordinates (empty when it has none),
    // and whether it takes clicks.
    TRect<int> ButtonRect(Pane pane, int id) const;
    bool ButtonEnabled(Pane pane, int id) const;
    // The text of the pane's status or details field.
    std::string DetailsText() const;
    std::string StatusText() const;
    // The first report line shown (the report field's scroll position).
    int ReportScroll() const;
    // The last picture presented for the pane (0xAARRGGBB rows).
    const MemoryImage* Picture(Pane pane) const;

    static intptr_t WindowProc(Plat::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

private:
    struct Control {
        enum class Kind { Label, Report, Edit, Button };
        Kind kind = Kind::Label;
        int id = 0;
        TRect<int> rect;
        std::string text;
        Font* font = nullptr;
        bool enabled = true;
        int scroll = 0; // first line shown

        // The report and the edit field scroll and have a bar.
        bool Scrolls() const { return kind == Kind::Report || kind == Kind::Edit; }
    };
    struct PaneState {
        Pane pane = Pane::Crash;
        std::unique_ptr<Plat::Window> window;
        std::unique_ptr<Plat::FramePresenter> picture;
        std::unique_ptr<MemoryImage> image;
        std::vector<Control> controls;
        int width = 0;
        int height = 0;
        bool shown = false;
        bool dirty = true;
        int pressed = 0; // the button under a held left button
    };

    void Open(Pane pane);
    void Show(Pane pane, bool show);
    void Draw(PaneState& state);
    void DrawField(PaneState& state, const Control& control);
    void HandleMessage(PaneState& state, uint32_t message, uintptr_t wParam, intptr_t lParam);
    void Pressed(PaneState& state, int id);
    Control* Find(PaneState& state, int id);
    const Control* Find(const PaneState& state, int id) const;
    Control* FieldAt(PaneState& state, int x, int y);
    std::vector<std::string> WrapLines(const Control& control) const;
    int VisibleLines(const Control& control) const;

    CrashReportFlow& mFlow;
    std::string mReport;
    PaneState mPanes[3];
    std::unique_ptr<Font> mArial;
    std::unique_ptr<Font> mCourier;
    std::unique_ptr<Font> mSmall;
    std::unique_ptr<Font> mBig;
};

} // namespace Lumo
