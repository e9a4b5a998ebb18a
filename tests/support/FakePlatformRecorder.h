// A platform for start-up and shut-down tests: fake video and audio probes,
// message boxes, single-instance lock and notify messages, and an exit that
// unwinds back to the test. Every call goes into one log, in order, so a test
// can check the sequence; the test's own application hooks may log there too.
// Installed for the recorder's lifetime.
#pragma once

#include "platform/system/MediaProbe.h"
#include "platform/system/MessageBox.h"
#include "platform/system/ProcessControl.h"
#include "platform/system/SingleInstance.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace LumoTest {

// Thrown by the recorder's exit handler in place of ending the process.
struct ProcessExit {
    int code;
};

class FakePlatformRecorder : public Plat::MediaProbe, public Plat::MessageBoxes, public Plat::SingleInstance {
public:
    struct Box {
        std::string text;  // UTF-8
        std::string title; // UTF-8
        uint32_t flags;
    };
    struct Message {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };

    FakePlatformRecorder();
    ~FakePlatformRecorder() override;
    FakePlatformRecorder(const FakePlatformRecorder&) = delete;
    FakePlatformRecorder& operator=(const FakePlatformRecorder&) = delete;

    // Runs the body; the exit code when it ended the process, else nothing.
    static std::optional<int> RunUntilExit(const std::function<void()>& body);

    void Record(const std::string& call) { calls.push_back(call); }
    // The log entries that begin with the prefix, in order.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
    bool Called(const std::string& call) const;

    // What the fakes answer.
    bool videoAvailable = true;
    bool audioAvailable = true;
    std::deque<int> boxAnswers; // then each box's default button
    uint32_t messageNumber = 0xC123; // for every registered name; 0: registration fails
    bool lockHeldElsewhere = false;
    std::deque<Message> inbox; // what ReceiveMessage hands out

    std::vector<std::string> calls;
    std::vector<Box> boxes;

    bool StartVideo() override;
    bool StartAudio() override;
    void StopVideo() override;
    void StopAudio() override;

    int Show(Plat::Window* owner, const std::string& text, const std::string& title, uint32_t flags) override;
    int Show(Plat::Window* owner, const std::u16string& text, const std::u16string& title, uint32_t flags) override;

    uint32_t RegisterMessage(const std::string& name) override;
    std::unique_ptr<Plat::InstanceLock> CreateLock(const std::string& name, bool& alreadyExists) override;
    void BroadcastMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    bool ReceiveMessage(uint32_t& message, uintptr_t& wParam, intptr_t& lParam) override;

private:
    static void OnExit(int code);
    int Answer(const std::string& text, const std::string& title, uint32_t flags);

    Plat::MediaProbe* mPreviousProbe;
    Plat::MessageBoxes* mPreviousBoxes;
    Plat::SingleInstance* mPreviousInstance;
    Plat::ExitHandler mPreviousExit;
};

} // namespace LumoTest

using LumoTest::FakePlatformRecorder;
using LumoTest::ProcessExit;
