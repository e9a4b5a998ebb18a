// A widget for tests of the widget tree: every hook the manager or the walks
// call appends "name.Hook(args)" to a shared log, and tests can run their own
// code from inside Update or Draw. Header-only, so that only tests that use
// it link the widget library.
#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"

#include <functional>
#include <string>
#include <vector>

namespace LumoTest {

class RecordingWidget : public Lumo::Widget {
public:
    RecordingWidget(const std::string& theName, std::vector<std::string>* theLog, int theX = 0, int theY = 0,
                    int theWidth = 0, int theHeight = 0)
        : name(theName), log(theLog)
    {
        x = theX;
        y = theY;
        width = theWidth;
        height = theHeight;
    }

    using Lumo::Widget::DrawOverlay;
    using Lumo::Widget::MouseDown;
    using Lumo::Widget::MouseUp;

    void Update() override
    {
        Lumo::Widget::Update();
        Log("Update");
        if (onUpdate) {
            onUpdate(*this);
        }
    }
    void UpdateF(float fraction) override { Log("UpdateF(" + std::to_string(fraction) + ")"); }
    void Draw(Lumo::Graphics* g) override
    {
        Log("Draw");
        drawClip = g->mClipRect;
        drawTransX = g->mTransX;
        drawTransY = g->mTransY;
        drawFastStretch = g->mFastStretch;
        if (onDraw) {
            onDraw(*this, g);
        }
    }
    void DrawOverlay(Lumo::Graphics* g, int thePriority) override
    {
        Log("DrawOverlay(" + std::to_string(thePriority) + ")");
        drawTransX = g->mTransX;
        drawTransY = g->mTransY;
    }
    void OrderInManagerChanged() override { Log("OrderInManagerChanged"); }
    void GotFocus() override
    {
        Lumo::Widget::GotFocus();
        Log("GotFocus");
    }
    void LostFocus() override
    {
        Lumo::Widget::LostFocus();
        Log("LostFocus");
    }
    void KeyChar(char theChar) override { Log("KeyChar(" + std::to_string(static_cast<int>(theChar)) + ")"); }
    void KeyDown(int keyCode) override
    {
        Log("KeyDown(" + std::to_string(keyCode) + ")");
        Lumo::Widget::KeyDown(keyCode);
    }
    void KeyUp(int keyCode) override { Log("KeyUp(" + std::to_string(keyCode) + ")"); }
    void MouseEnter() override { Log("MouseEnter"); }
    void MouseLeave() override { Log("MouseLeave"); }
    void MouseMove(int theX, int theY) override { Log("MouseMove" + Args({theX, theY})); }
    void MouseDown(int theX, int theY, int buttonNum, int clickCount) override
    {
        Log("MouseDown" + Args({theX, theY, buttonNum, clickCount}));
    }
    void MouseUp(int theX, int theY, int buttonNum, int clickCount) override
    {
        Log("MouseUp" + Args({theX, theY, buttonNum, clickCount}));
    }
    void MouseDrag(int theX, int theY) override { Log("MouseDrag" + Args({theX, theY})); }
    void MouseWheel(int delta) override { Log("MouseWheel(" + std::to_string(delta) + ")"); }

    void Log(const std::string& what)
    {
        if (log != nullptr) {
            log->push_back(name + "." + what);
        }
    }

    static std::string Args(std::initializer_list<int> values)
    {
        std::string text = "(";
        for (const int value : values) {
            if (text.size() > 1) {
                text += ",";
            }
            text += std::to_string(value);
        }
        return text + ")";
    }

    std::string name;
    std::vector<std::string>* log;
    std::function<void(RecordingWidget&)> onUpdate;
    std::function<void(RecordingWidget&, Lumo::Graphics*)> onDraw;
    // The context's state at the last Draw.
    Lumo::TRect<int> drawClip;
    float drawTransX = 0.0f;
    float drawTransY = 0.0f;
    bool drawFastStretch = false;
};

} // namespace LumoTest
