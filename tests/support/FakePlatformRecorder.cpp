#include "support/FakePlatformRecorder.h"

#include "platform/system/ProcessControl.h"

namespace LumoTest {

namespace {

FakePlatformRecorder* gCurrent = nullptr;

class FakeLock : public Plat::InstanceLock {};

std::string Utf8(const std::u16string& text)
{
    // Enough for the tests' texts: one byte per unit below 0x80, '?' above.
    std::string out;
    for (const char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

} // namespace

FakePlatformRecorder::FakePlatformRecorder()
    : mPreviousProbe(Plat::SetMediaProbe(this)), mPreviousBoxes(Plat::SetMessageBoxes(this)),
      mPreviousInstance(Plat::SetSingleInstance(this)), mPreviousExit(Plat::SetExitHandler(&OnExit))
{
    gCurrent = this;
}

FakePlatformRecorder::~FakePlatformRecorder()
{
    Plat::SetExitHandler(mPreviousExit);
    Plat::SetSingleInstance(mPreviousInstance);
    Plat::SetMessageBoxes(mPreviousBoxes);
    Plat::SetMediaProbe(mPreviousProbe);
    gCurrent = nullptr;
}

std::optional<int> FakePlatformRecorder::RunUntilExit(const std::function<void()>& body)
{
    try {
        body();
    } catch (const ProcessExit& exit) {
        return exit.code;
    }
    return std::nullopt;
}

void FakePlatformRecorder::OnExit(int code)
{
    if (gCurrent != nullptr)
        gCurrent->Record("exit " + std::to_string(code));
    throw ProcessExit{code};
}

std::vector<std::string> FakePlatformRecorder::CallsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> out;
    for (const std::string& call : calls) {
        if (call.compare(0, prefix.size(), prefix) == 0)
            out.push_back(call);
    }
    return out;
}

bool FakePlatformRecorder::Called(const std::string& call) const
{
    for (const std::string& entry : calls) {
        if (entry == call)
            return true;
    }
    return false;
}

bool FakePlatformRecorder::StartVideo()
{
    Record("video start");
    return videoAvailable;
}

bool FakePlatformRecorder::StartAudio()
{
    Record("audio start");
    return audioAvailable;
}

void FakePlatformRecorder::StopVideo()
{
    Record("video stop");
}

void FakePlatformRecorder::StopAudio()
{
    Record("audio stop");
}

int FakePlatformRecorder::Answer(const std::string& text, const std::string& title, uint32_t flags)
{
    boxes.push_back({text, title, flags});
    Record("box " + title);
    if (boxAnswers.empty())
        return Plat::DefaultAnswer(flags);
    const int answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
}

int FakePlatformRecorder::Show(Plat::Window* /*owner*/, const std::string& text, const std::string& title,
                               uint32_t flags)
{
    return Answer(text, title, flags);
}

int FakePlatformRecorder::Show(Plat::Window* /*owner*/, const std::u16string& text, const std::u16string& title,
                               uint32_t flags)
{
    return Answer(Utf8(text), Utf8(title), flags);
}

uint32_t FakePlatformRecorder::RegisterMessage(const std::string& name)
{
    Record("register " + name);
    return messageNumber;
}

std::unique_ptr<Plat::InstanceLock> FakePlatformRecorder::CreateLock(const std::string& name, bool& alreadyExists)
{
    Record("lock " + name);
    alreadyExists = lockHeldElsewhere;
    if (lockHeldElsewhere)
        return nullptr;
    return std::make_unique<FakeLock>();
}

void FakePlatformRecorder::BroadcastMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    Record("broadcast " + std::to_string(message) + " " + std::to_string(wParam) + " " + std::to_string(lParam));
}

bool FakePlatformRecorder::ReceiveMessage(uint32_t& message, uintptr_t& wParam, intptr_t& lParam)
{
    if (inbox.empty())
        return false;
    message = inbox.front().message;
    wParam = inbox.front().wParam;
    lParam = inbox.front().lParam;
    inbox.pop_front();
    return true;
}

} // namespace LumoTest
