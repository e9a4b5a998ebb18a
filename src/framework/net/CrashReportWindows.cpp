#include "framework/net/CrashReportWindows.h"

#include "framework/graphics/Color.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "platform/system/Clock.h"
#include "platform/video/FramePresenter.h"
#include "platform/window/EventPump.h"
#include "platform/window/WindowPicture.h"
#include "platform/window/WindowSystem.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace Lumo {

namespace {

// Popup, clip children, caption, system menu, minimise box.
constexpr uint32_t kCrashWindowStyle = 0x82CA0000u;
constexpr int kScrollBarWidth = 16;
constexpr int kWheelLines = 3;
constexpr size_t kMaxDetails = CrashReportFlow::kMaxUserText;

const Color kFace(240, 240, 240);
const Color kText(0, 0, 0);
const Color kGrayText(150, 150, 150);
const Color kFieldBack(255, 255, 255);
const Color kEdge(120, 120, 120);
const Color kButtonFace(225, 225, 225);
const Color kThumb(190, 190, 190);

struct PaneLayout {
    const char* className;
    const char* title;
    int x;
    int y;
    int width;
    int height;
};
constexpr PaneLayout kLayouts[3] = {
    {"SEHWindow", "Fatal Error!", 64, 64, 400, 300},
    {"SubmitInfoWindow", "Error Details", 80, 80, 400, 300},
    {"SEHProgressWindow", "Submitting Report", 64, 64, 240, 64},
};

bool Inside(const TRect<int>& rect, int x, int y)
{
    return x >= rect.mX && y >= rect.mY && x < rect.mX + rect.mWidth && y < rect.mY + rect.mHeight;
}

} // namespace

CrashReportWindows::CrashReportWindows(CrashReportFlow& flow, const std::string& reportText)
    : mFlow(flow), mReport(reportText), mArial(std::make_unique<SysFont>("Arial", 9, true)),
      mCourier(std::make_unique<SysFont>("Courier New", 8)), mSmall(std::make_unique<SysFont>("Tahoma", 8)),
      mBig(std::make_unique<SysFont>("Tahoma", 10, true))
{
    for (int i = 0; i < 3; ++i)
        mPanes[i].pane = static_cast<Pane>(i);
}

CrashReportWindows::~CrashReportWindows()
{
    for (PaneState& state : mPanes) {
        if (state.window != nullptr)
            Plat::GetEventPump().ForgetWindow(state.window.get());
    }
}

void CrashReportWindows::Open(Pane pane)
{
    PaneState& state = mPanes[static_cast<int>(pane)];
    if (state.window != nullptr)
        return;
    const PaneLayout& layout = kLayouts[static_cast<int>(pane)];
    state.width = layout.width;
    state.height = layout.height;
    const CrashReportFlow::Setup& setup = mFlow.GetSetup();
    using Kind = Control::Kind;
    auto add = [&state](Kind kind, int id, TRect<int> rect, const std::string& text, Font* font, bool enabled) {
        state.controls.push_back(Control{kind, id, rect, text, font, enabled});
    };
    switch (pane) {
    case Pane::Crash:
        add(Kind::Label, 10, {8, 8, 384, 84}, setup.messageText, mArial.get(), true);
        add(Kind::Report, 11, {8, 92, 384, 168}, mReport, mCourier.get(), true);
        if (mFlow.HasSendButton()) {
            add(Kind::Button, kFirstButton, {8, 268, 188, 24}, "Send Report", mArial.get(), mFlow.SendEnabled());
            add(Kind::Button, kSecondButton, {204, 268, 188, 24}, "Close Now", mArial.get(), true);
        } else {
            add(Kind::Button, kSecondButton, {8, 268, 384, 24}, "Close Now", mArial.get(), true);
        }
        break;
    case Pane::Details:
        add(Kind::Label, 10, {8, 8, 384, 84}, setup.submitText, mArial.get(), true);
        add(Kind::Edit, 11, {8, 92, 384, 168}, std::string(), mSmall.get(), true);
        add(Kind::Button, kFirstButton, {8, 268, 188, 24}, "Continue", mArial.get(), mFlow.SendEnabled());
        add(Kind::Button, kSecondButton, {204, 268, 188, 24}, "Abort", mArial.get(), true);
        break;
    case Pane::Progress:
        add(Kind::Label, 10, {24, 10, 224, 24}, mFlow.StatusText(), mBig.get(), true);
        add(Kind::Button, kSecondButton, {72, 36, 96, 22}, "Abort", mSmall.get(), true);
        break;
    }

    Plat::WindowSystem& system = Plat::GetWindowSystem();
    Plat::ScreenRect client;
    client.left = layout.x;
    client.top = layout.y;
    client.right = layout.x + layout.width;
    client.bottom = layout.y + layout.height;
    const Plat::ScreenRect outer = system.AdjustWindowRect(client, kCrashWindowStyle);
    state.window.reset(system.CreateWindow(0, layout.className, layout.title, kCrashWindowStyle, outer.left,
                                           outer.top, outer.Width(), outer.Height()));
    if (state.window != nullptr) {
        state.window->SetUserData(this);
        state.window->SetProcedure(&CrashReportWindows::WindowProc);
        state.picture = Plat::MakeWindowPicture(state.window.get());
    }
    state.image = std::make_unique<MemoryImage>();
    state.image->Create(state.width, state.height);
    state.dirty = true;
}

void CrashReportWindows::Show(Pane pane, bool show)
{
    PaneState& state = mPanes[static_cast<int>(pane)];
    if (show)
        Open(pane);
    if (state.shown == show)
        return;
    state.shown = show;
    state.dirty = true;
    if (state.window != nullptr) {
        state.window->Show(show ? Plat::kSwShowNormal : Plat::kSwHide);
        if (show)
            state.window->SetForeground();
    }
}

bool CrashReportWindows::Step()
{
    Plat::EventPump& pump = Plat::GetEventPump();
    Plat::WindowMessage message;
    while (pump.PeekMessage(message, true))
        pump.DispatchMessage(message);
    mFlow.Update(Plat::GetClock().TickCount());

    switch (mFlow.GetScreen()) {
    case CrashReportFlow::Screen::Crash:
        Show(Pane::Crash, true);
        break;
    case CrashReportFlow::Screen::Details:
        Show(Pane::Crash, false);
        Show(Pane::Details, true);
        break;
    case CrashReportFlow::Screen::Progress: {
        Show(Pane::Details, false);
        Show(Pane::Progress, true);
        PaneState& progress = mPanes[static_cast<int>(Pane::Progress)];
        Control* status = Find(progress, 10);
        if (status != nullptr && status->text != mFlow.StatusText()) {
            status->text = mFlow.StatusText();
            progress.dirty = true;
        }
        break;
    }
    case CrashReportFlow::Screen::Done:
        // The crash window goes; the others go with the process.
        Show(Pane::Crash, false);
        mPanes[static_cast<int>(Pane::Crash)].window.reset();
        return false;
    }
    for (PaneState& state : mPanes) {
        if (state.shown && state.dirty)
            Draw(state);
    }
    return true;
}

void CrashReportWindows::Run()
{
    while (Step())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

Plat::Window* CrashReportWindows::GetWindow(Pane pane) const
{
    return mPanes[static_cast<int>(pane)].window.get();
}

bool CrashReportWindows::IsShown(Pane pane) const
{
    return mPanes[static_cast<int>(pane)].shown;
}

TRect<int> CrashReportWindows::ButtonRect(Pane pane, int id) const
{
    const Control* control = Find(mPanes[static_cast<int>(pane)], id);
    return control != nullptr && control->kind == Control::Kind::Button ? control->rect : TRect<int>();
}

bool CrashReportWindows::ButtonEnabled(Pane pane, int id) const
{
    const Control* control = Find(mPanes[static_cast<int>(pane)], id);
    return control != nullptr && control->enabled;
}

std::string CrashReportWindows::DetailsText() const
{
    const Control* control = Find(mPanes[static_cast<int>(Pane::Details)], 11);
    return control != nullptr ? control->text : std::string();
}

std::string CrashReportWindows::StatusText() const
{
    const Control* control = Find(mPanes[static_cast<int>(Pane::Progress)], 10);
    return control != nullptr ? control->text : std::string();
}

int CrashReportWindows::ReportScroll() const
{
    const Control* control = Find(mPanes[static_cast<int>(Pane::Crash)], 11);
    return control != nullptr ? control->scroll : 0;
}

const MemoryImage* CrashReportWindows::Picture(Pane pane) const
{
    return mPanes[static_cast<int>(pane)].image.get();
}

CrashReportWindows::Control* CrashReportWindows::Find(PaneState& state, int id)
{
    return const_cast<Control*>(std::as_const(*this).Find(std::as_const(state), id));
}

const CrashReportWindows::Control* CrashReportWindows::Find(const PaneState& state, int id) const
{
    for (const Control& control : state.controls) {
        if (control.id == id)
            return &control;
    }
    return nullptr;
}

CrashReportWindows::Control* CrashReportWindows::FieldAt(PaneState& state, int x, int y)
{
    for (Control& control : state.controls) {
        if (control.Scrolls() && Inside(control.rect, x, y))
            return &control;
    }
    return nullptr;
}

std::vector<std::string> CrashReportWindows::WrapLines(const Control& control) const
{
    std::vector<std::string> lines;
    const bool scrolls = control.Scrolls();
    const int room = std::max(control.rect.mWidth - 8 - (scrolls ? kScrollBarWidth : 0), 8);
    std::string line;
    int lineWidth = 0;
    auto flush = [&] {
        lines.push_back(line);
        line.clear();
        lineWidth = 0;
    };
    for (const char c : control.text) {
        if (c == '\r')
            continue;
        if (c == '\n') {
            flush();
            continue;
        }
        const int width = control.font->CharWidth(c);
        if (lineWidth + width > room && !line.empty())
            flush();
        line += c;
        lineWidth += width;
    }
    lines.push_back(line);
    return lines;
}

int CrashReportWindows::VisibleLines(const Control& control) const
{
    const int spacing = std::max(control.font->GetLineSpacing(), 1);
    return std::max((control.rect.mHeight - 4) / spacing, 1);
}

void CrashReportWindows::DrawField(PaneState& state, const Control& control)
{
    Graphics g(state.image.get());
    const TRect<int>& r = control.rect;
    const bool scrolls = control.Scrolls();
    if (scrolls) {
        g.SetColor(kFieldBack);
        g.FillRect(r.mX, r.mY, r.mWidth, r.mHeight);
        g.SetColor(kEdge);
        g.DrawRect(r.mX, r.mY, r.mWidth - 1, r.mHeight - 1);
    }
    const std::vector<std::string> lines = WrapLines(control);
    const int spacing = std::max(control.font->GetLineSpacing(), 1);
    const int visible = VisibleLines(control);
    g.ClipRect(r.mX + 2, r.mY + 2, r.mWidth - 4 - (scrolls ? kScrollBarWidth : 0), r.mHeight - 4);
    g.SetFont(control.font);
    g.SetColor(kText);
    const int first = scrolls ? control.scroll : 0;
    for (int i = first; i < static_cast<int>(lines.size()) && i < first + visible + 1; ++i)
        g.DrawString(lines[static_cast<size_t>(i)], r.mX + 4, r.mY + 2 + (i - first) * spacing + control.font->GetAscent());
    if (!scrolls)
        return;
    Graphics bar(state.image.get());
    const int barX = r.mX + r.mWidth - 1 - kScrollBarWidth;
    bar.SetColor(kFace);
    bar.FillRect(barX, r.mY + 1, kScrollBarWidth, r.mHeight - 2);
    const int total = std::max(static_cast<int>(lines.size()), visible);
    const int track = r.mHeight - 2;
    const int thumb = std::max(track * visible / total, 8);
    const int thumbTop = r.mY + 1 + (track - thumb) * control.scroll / std::max(total - visible, 1);
    bar.SetColor(kThumb);
    bar.FillRect(barX + 2, thumbTop, kScrollBarWidth - 4, thumb);
}

void CrashReportWindows::Draw(PaneState& state)
{
    state.dirty = false;
    Graphics g(state.image.get());
    g.SetColor(kFace);
    g.FillRect(0, 0, state.width, state.height);
    for (const Control& control : state.controls) {
        if (control.kind != Control::Kind::Button) {
            DrawField(state, control);
            continue;
        }
        const TRect<int>& r = control.rect;
        g.SetColor(kButtonFace);
        g.FillRect(r.mX, r.mY, r.mWidth, r.mHeight);
        g.SetColor(state.pressed == control.id ? kText : kEdge);
        g.DrawRect(r.mX, r.mY, r.mWidth - 1, r.mHeight - 1);
        g.SetFont(control.font);
        g.SetColor(control.enabled ? kText : kGrayText);
        const int textWidth = control.font->StringWidth(control.text);
        g.DrawString(control.text, r.mX + (r.mWidth - textWidth) / 2,
                     r.mY + (r.mHeight - control.font->GetHeight()) / 2 + control.font->GetAscent());
    }
    if (state.picture != nullptr)
        state.picture->Present(reinterpret_cast<const uint8_t*>(state.image->GetBits()), state.width * 4,
                               Plat::PixelLayout::Xrgb8888, state.width, state.height);
}

void CrashReportWindows::Pressed(PaneState& state, int id)
{
    switch (state.pane) {
    case Pane::Crash:
        if (id == kFirstButton)
            mFlow.SendReport();
        else if (id == kSecondButton)
            mFlow.CloseNow();
        break;
    case Pane::Details:
        if (id == kFirstButton)
            mFlow.Continue(DetailsText());
        else if (id == kSecondButton)
            mFlow.AbortDetails();
        break;
    case Pane::Progress:
        if (id == kSecondButton)
            mFlow.AbortUpload();
        break;
    }
}

void CrashReportWindows::HandleMessage(PaneState& state, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    const int x = Plat::LowWordSigned(lParam);
    const int y = Plat::HighWordSigned(lParam);
    switch (message) {
    case Plat::kWmClose:
        mFlow.CloseWindow();
        break;
    case Plat::kWmLButtonDown: {
        state.pressed = 0;
        for (const Control& control : state.controls) {
            if (control.kind == Control::Kind::Button && control.enabled && Inside(control.rect, x, y))
                state.pressed = control.id;
        }
        // A click on a field's scroll bar pages up or down.
        if (Control* field = FieldAt(state, x, y)) {
            const TRect<int>& r = field->rect;
            if (x >= r.mX + r.mWidth - 1 - kScrollBarWidth) {
                const int lines = static_cast<int>(WrapLines(*field).size());
                const int page = VisibleLines(*field);
                field->scroll += y < r.mY + r.mHeight / 2 ? -page : page;
                field->scroll = std::clamp(field->scroll, 0, std::max(lines - page, 0));
            }
        }
        state.dirty = true;
        break;
    }
    case Plat::kWmLButtonUp: {
        const int pressed = state.pressed;
        state.pressed = 0;
        state.dirty = true;
        const Control* control = Find(state, pressed);
        if (control != nullptr && Inside(control->rect, x, y))
            Pressed(state, pressed);
        break;
    }
    case Plat::kWmMouseWheel:
    case Plat::kWmKeyDown: {
        int delta = 0;
        if (message == Plat::kWmMouseWheel)
            delta = -Plat::HighWordSigned(static_cast<intptr_t>(wParam)) / Plat::kWheelDelta * kWheelLines;
        else if (wParam == static_cast<uintptr_t>(Plat::kVkUp))
            delta = -1;
        else if (wParam == static_cast<uintptr_t>(Plat::kVkDown))
            delta = 1;
        for (Control& field : state.controls) {
            if (!field.Scrolls())
                continue;
            const int lines = static_cast<int>(WrapLines(field).size());
            field.scroll = std::clamp(field.scroll + delta, 0, std::max(lines - VisibleLines(field), 0));
            state.dirty = true;
        }
        break;
    }
    case Plat::kWmChar: {
        Control* edit = nullptr;
        for (Control& control : state.controls) {
            if (control.kind == Control::Kind::Edit)
                edit = &control;
        }
        if (edit == nullptr)
            break;
        const char c = static_cast<char>(wParam & 0xFF);
        if (c == '\b') {
            if (edit->text.size() >= 2 && edit->text.compare(edit->text.size() - 2, 2, "\r\n") == 0)
                edit->text.resize(edit->text.size() - 2);
            else if (!edit->text.empty())
                edit->text.pop_back();
        } else if (c == '\r') {
            if (edit->text.size() + 2 <= kMaxDetails)
                edit->text += "\r\n";
        } else if ((static_cast<unsigned char>(c) >= 0x20 || c == '\t') && edit->text.size() < kMaxDetails) {
            edit->text += c;
        }
        // Keep the end of the text in view.
        const int lines = static_cast<int>(WrapLines(*edit).size());
        edit->scroll = std::max(lines - VisibleLines(*edit), 0);
        state.dirty = true;
        break;
    }
    case Plat::kWmPaint:
        state.dirty = true;
        break;
    default:
        break;
    }
}

intptr_t CrashReportWindows::WindowProc(Plat::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    auto* self = static_cast<CrashReportWindows*>(window->GetUserData());
    if (self == nullptr)
        return Plat::DefWindowProc(window, message, wParam, lParam);
    for (PaneState& state : self->mPanes) {
        if (state.window.get() == window) {
            self->HandleMessage(state, message, wParam, lParam);
            return 0;
        }
    }
    return Plat::DefWindowProc(window, message, wParam, lParam);
}

} // namespace Lumo
