// Modal message boxes. Behind it, SDL's message boxes; with no display
// (headless, or under test) the text goes to standard error and the answer
// comes from a script or the box's default button, so nothing ever blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Plat {

class Window;

// Button sets, icons and default button, with the values callers pass.
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbOkCancel = 0x1;
constexpr uint32_t kMbYesNoCancel = 0x3;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbRetryCancel = 0x5;
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconWarning = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;
constexpr uint32_t kMbDefButton2 = 0x100;
constexpr uint32_t kMbDefButton3 = 0x200;

// Answers: the button the user chose.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdRetry = 4;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box over the owner (null: no owner) until a button is
    // chosen; returns its answer. Narrow text holds one character per byte.
    virtual int Show(Window* owner, const std::string& text, const std::string& title, uint32_t flags) = 0;
    virtual int Show(Window* owner, const std::u16string& text, const std::u16string& title, uint32_t flags) = 0;
};

// SDL's boxes where a display is reachable, else the headless form.
class SystemMessageBoxes : public MessageBoxes {
public:
    int Show(Window* owner, const std::string& text, const std::string& title, uint32_t flags) override;
    int Show(Window* owner, const std::u16string& text, const std::u16string& title, uint32_t flags) override;

    // Headless: decided from the environment (no display, or SDL's dummy or
    // offscreen video driver) unless set here.
    void SetHeadless(bool headless);
    bool IsHeadless() const;
    // Answers the headless boxes give, in order; once used up, each box
    // gives its default button.
    void ScriptAnswers(const std::vector<int>& answers);

private:
    int ShowUtf8(const std::string& text, const std::string& title, uint32_t flags);

    int mHeadless = -1; // -1: ask the environment
    std::vector<int> mScript;
    size_t mNextAnswer = 0;
};

// The answer of the box's default button: the first button unless the
// flags choose the second or third.
int DefaultAnswer(uint32_t flags);
// The answers of the box's buttons, left to right.
std::vector<int> ButtonAnswers(uint32_t flags);

// The boxes in use; the system's unless a test installed others.
MessageBoxes& GetMessageBoxes();
// Installs boxes (null restores the system's); returns the previous ones.
MessageBoxes* SetMessageBoxes(MessageBoxes* boxes);

} // namespace Plat
