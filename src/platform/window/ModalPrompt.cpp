#include "platform/window/ModalPrompt.h"

#include "platform/text/TextRenderer.h"
#include "platform/window/EventPump.h"
#include "platform/window/PromptView.h"
#include "platform/window/SdlWindow.h"
#include "platform/window/SdlWindowSystem.h"

#include <SDL.h>

#include <atomic>
#include <memory>
#include <vector>

namespace Plat {

namespace {

constexpr uint32_t kWaitMs = 50;
constexpr int kPromptPoints = 8;

SystemPrompts gSystemPrompts;
std::atomic<ModalPrompts*> gPrompts{nullptr};

// Copies the view's picture to the window.
void Present(SDL_Window* window, PromptView& view, std::vector<uint32_t>& pixels)
{
    view.Draw(pixels.data(), view.Width());
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (target == nullptr)
        return;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), view.Width(), view.Height(), 32,
                                                             view.Width() * 4, SDL_PIXELFORMAT_RGB888);
    if (source == nullptr)
        return;
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(window);
}

// Runs the prompt's own loop until it is answered. Input meant for other
// windows is dropped, as a modal dialog's owner takes none; their window
// events (and a request to end the program) are handed back afterwards.
void RunPrompt(SDL_Window* window, PromptView& view)
{
    const uint32_t id = SDL_GetWindowID(window);
    std::vector<SDL_Event> handBack;
    std::vector<uint32_t> pixels(static_cast<size_t>(view.Width()) * view.Height());
    bool dirty = true;
    // Typed text is on for the whole program; the main window's characters
    // depend on it, so it is only switched off again if it was off before.
    const bool textWasOn = SDL_IsTextInputActive() == SDL_TRUE;
    if (!textWasOn)
        SDL_StartTextInput();
    while (!view.IsDone()) {
        if (dirty) {
            Present(window, view, pixels);
            dirty = false;
        }
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, kWaitMs) == 0)
            continue;
        switch (event.type) {
        case SDL_QUIT:
            handBack.push_back(event);
            view.Close();
            break;
        case SDL_WINDOWEVENT:
            if (event.window.windowID != id) {
                handBack.push_back(event);
            } else if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                view.Close();
            } else {
                dirty = true;
            }
            break;
        case SDL_KEYDOWN:
            if (event.key.windowID == id) {
                view.KeyDown(VirtualKeyFromSdlKey(event.key.keysym.sym, event.key.keysym.scancode));
                dirty = true;
            }
            break;
        case SDL_TEXTINPUT:
            if (event.text.windowID == id) {
                for (const char byte : Utf8ToWindows1252(event.text.text))
                    view.Character(static_cast<uint8_t>(byte));
                dirty = true;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.button.windowID == id && event.button.button == SDL_BUTTON_LEFT) {
                if (event.type == SDL_MOUSEBUTTONDOWN)
                    view.MouseDown(event.button.x, event.button.y, event.button.clicks);
                else
                    view.MouseUp(event.button.x, event.button.y);
                dirty = true;
            }
            break;
        case SDL_MOUSEWHEEL:
            if (event.wheel.windowID == id) {
                view.MouseWheel(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y);
                dirty = true;
            }
            break;
        default:
            break;
        }
    }
    if (!textWasOn)
        SDL_StopTextInput();
    for (SDL_Event& event : handBack)
        SDL_PushEvent(&event);
}

} // namespace

PromptAnswer SystemPrompts::Ask(Window* owner, const PromptRequest& request)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SdlWindowSystem::IsHeadlessDriver())
        return {};
    TextRenderer& text = GetTextRenderer();
    FontDescription description;
    description.faceName = "Tahoma";
    description.height = -(kPromptPoints * text.GetVerticalDpi() + 36) / 72;
    const std::unique_ptr<TextFont> font = text.CreateTextFont(description);
    PromptView view(request, *font);

    // Near the owner's top left corner, as the dialogs stood.
    int x = SDL_WINDOWPOS_CENTERED;
    int y = SDL_WINDOWPOS_CENTERED;
    if (owner != nullptr) {
        int left = view.Width() / 20; // 10 dialog units
        int top = left;
        owner->ClientToScreen(left, top);
        x = left;
        y = top;
    }
    SDL_Window* window = SDL_CreateWindow(request.title.c_str(), x, y, view.Width(), view.Height(),
                                          SDL_WINDOW_SHOWN | SDL_WINDOW_ALWAYS_ON_TOP);
    if (window == nullptr)
        return {};
    auto* sdlOwner = dynamic_cast<SdlWindow*>(owner);
    SDL_Window* ownerHandle = sdlOwner != nullptr ? sdlOwner->Handle() : nullptr;
    if (ownerHandle != nullptr)
        SDL_SetWindowModalFor(window, ownerHandle);
    SDL_RaiseWindow(window);
    RunPrompt(window, view);
    SDL_DestroyWindow(window);
    // The keyboard goes back to the owner, as it does when a dialog ends;
    // without a window manager it would otherwise go nowhere.
    if (ownerHandle != nullptr) {
        SDL_RaiseWindow(ownerHandle);
        SDL_SetWindowInputFocus(ownerHandle);
    }
    return view.Answer();
}

ModalPrompts& GetModalPrompts()
{
    ModalPrompts* prompts = gPrompts.load();
    return prompts != nullptr ? *prompts : gSystemPrompts;
}

ModalPrompts* SetModalPrompts(ModalPrompts* prompts)
{
    return gPrompts.exchange(prompts);
}

} // namespace Plat
