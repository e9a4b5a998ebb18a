#include "platform/system/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace Plat {

namespace {

void AppendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Narrow text is one character per byte (the first 256 code points).
std::string NarrowToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

// A surrogate without its partner becomes U+FFFD.
std::string WideToUtf8(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00u));
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

const char* AnswerName(int answer)
{
    switch (answer) {
    case kIdOk:
        return "OK";
    case kIdCancel:
        return "Cancel";
    case kIdYes:
        return "Yes";
    case kIdNo:
        return "No";
    case kIdRetry:
        return "Retry";
    default:
        return "?";
    }
}

bool EnvironmentIsHeadless()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0))
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 == nullptr || x11[0] == '\0') && (wayland == nullptr || wayland[0] == '\0');
}

// The answer of a box closed without a button: its cancel or no button, or
// OK when it has only that.
int EscapeAnswer(const std::vector<int>& answers)
{
    for (const int answer : answers) {
        if (answer == kIdCancel)
            return answer;
    }
    for (const int answer : answers) {
        if (answer == kIdNo)
            return answer;
    }
    return answers.front();
}

std::mutex gBoxesLock;
SystemMessageBoxes gSystemBoxes;
MessageBoxes* gBoxes = nullptr;

} // namespace

std::vector<int> ButtonAnswers(uint32_t flags)
{
    switch (flags & 0xF) {
    case kMbOkCancel:
        return {kIdOk, kIdCancel};
    case kMbYesNoCancel:
        return {kIdYes, kIdNo, kIdCancel};
    case kMbYesNo:
        return {kIdYes, kIdNo};
    case kMbRetryCancel:
        return {kIdRetry, kIdCancel};
    default:
        return {kIdOk};
    }
}

int DefaultAnswer(uint32_t flags)
{
    const std::vector<int> answers = ButtonAnswers(flags);
    size_t index = 0;
    if (flags & kMbDefButton3)
        index = 2;
    else if (flags & kMbDefButton2)
        index = 1;
    return index < answers.size() ? answers[index] : answers.front();
}

int SystemMessageBoxes::Show(Window* /*owner*/, const std::string& text, const std::string& title, uint32_t flags)
{
    return ShowUtf8(NarrowToUtf8(text), NarrowToUtf8(title), flags);
}

int SystemMessageBoxes::Show(Window* /*owner*/, const std::u16string& text, const std::u16string& title,
                             uint32_t flags)
{
    return ShowUtf8(WideToUtf8(text), WideToUtf8(title), flags);
}

void SystemMessageBoxes::SetHeadless(bool headless)
{
    std::lock_guard<std::mutex> lock(gBoxesLock);
    mHeadless = headless ? 1 : 0;
}

bool SystemMessageBoxes::IsHeadless() const
{
    std::lock_guard<std::mutex> lock(gBoxesLock);
    return mHeadless < 0 ? EnvironmentIsHeadless() : mHeadless != 0;
}

void SystemMessageBoxes::ScriptAnswers(const std::vector<int>& answers)
{
    std::lock_guard<std::mutex> lock(gBoxesLock);
    mScript = answers;
    mNextAnswer = 0;
}

// The owner window is not passed on: SDL's boxes are modal to the process
// anyway, and the window layer does not exist yet.
int SystemMessageBoxes::ShowUtf8(const std::string& text, const std::string& title, uint32_t flags)
{
    const std::vector<int> answers = ButtonAnswers(flags);
    if (!IsHeadless()) {
        std::vector<SDL_MessageBoxButtonData> buttons;
        const int defaultAnswer = DefaultAnswer(flags);
        const int escapeAnswer = EscapeAnswer(answers);
        for (const int answer : answers) {
            Uint32 buttonFlags = 0;
            if (answer == defaultAnswer)
                buttonFlags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
            if (answer == escapeAnswer)
                buttonFlags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
            buttons.push_back({buttonFlags, answer, AnswerName(answer)});
        }
        Uint32 boxFlags = SDL_MESSAGEBOX_INFORMATION;
        switch (flags & 0xF0) {
        case kMbIconError:
            boxFlags = SDL_MESSAGEBOX_ERROR;
            break;
        case kMbIconWarning:
            boxFlags = SDL_MESSAGEBOX_WARNING;
            break;
        default:
            break;
        }
        boxFlags |= SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
        const SDL_MessageBoxData data = {boxFlags, nullptr, title.c_str(), text.c_str(),
                                         static_cast<int>(buttons.size()), buttons.data(), nullptr};
        int chosen = -1;
        if (SDL_ShowMessageBox(&data, &chosen) == 0)
            return chosen >= 0 ? chosen : escapeAnswer;
        // No box could be shown after all: answer as a headless run does.
    }

    int answer = DefaultAnswer(flags);
    {
        std::lock_guard<std::mutex> lock(gBoxesLock);
        if (mNextAnswer < mScript.size())
            answer = mScript[mNextAnswer++];
    }
    std::fprintf(stderr, "[%s] %s\n[answer: %s]\n", title.c_str(), text.c_str(), AnswerName(answer));
    std::fflush(stderr);
    return answer;
}

MessageBoxes& GetMessageBoxes()
{
    std::lock_guard<std::mutex> lock(gBoxesLock);
    return gBoxes != nullptr ? *gBoxes : gSystemBoxes;
}

MessageBoxes* SetMessageBoxes(MessageBoxes* boxes)
{
    std::lock_guard<std::mutex> lock(gBoxesLock);
    MessageBoxes* previous = gBoxes;
    gBoxes = boxes;
    return previous;
}

} // namespace Plat
