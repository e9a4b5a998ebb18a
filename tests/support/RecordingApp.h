// An application object for start-up and shut-down tests: each hook that
// start-up and shut-down call writes its name into the platform recorder's
// log, so the log shows the whole order. Settings, properties and the
// command line are left alone (only logged), and the working folder is never
// changed. Header-only, so that only tests that use it link the app library.
#pragma once

#include "framework/app/LumoAppBase.h"
#include "support/FakePlatformRecorder.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace LumoTest {

class RecordingApp : public Lumo::LumoAppBase {
public:
    explicit RecordingApp(FakePlatformRecorder& recorder) : mRecorder(recorder) {}
    ~RecordingApp() override { Shutdown(); } // before the hooks below go away

    // Size of a maximised window's client area; none by default.
    int fullScreenWidth = 0;
    int fullScreenHeight = 0;
    // Volumes at the moment the settings were written.
    double writtenMusicVolume = -1.0;
    double writtenSfxVolume = -1.0;

    // The cursor thread's view of the window and the display.
    std::atomic<bool> mouseKnown{false};
    std::atomic<int> mouseX{0};
    std::atomic<int> mouseY{0};
    std::atomic<int> frameMs{10};
    std::mutex cursorLock;
    std::vector<std::string> cursorCalls; // under cursorLock

    void PropertiesHook() override { Log("PropertiesHook"); }
    void ReadFromRegistry() override { Log("ReadFromRegistry"); }
    void WriteToRegistry() override
    {
        Log("WriteToRegistry");
        writtenMusicVolume = musicVolume;
        writtenSfxVolume = sfxVolume;
    }
    void ParseCommandLine() override { Log("ParseCommandLine"); }
    bool ChangeDirectoryHook(const std::string& dir) override
    {
        Log("ChangeDirectoryHook " + dir);
        return true;
    }
    void BeforeScreenModeHook() override { Log("BeforeScreenModeHook"); }
    void MakeWindow() override { Log("MakeWindow"); }
    Lumo::SoundManager* CreateSoundManager(Plat::Window* window, bool useFMod) override
    {
        Log(std::string("CreateSoundManager ") + (window != nullptr ? "window" : "none") + (useFMod ? " fmod" : ""));
        return nullptr;
    }
    Lumo::MusicInterface* CreateMusicInterface(Plat::Window* /*window*/) override
    {
        Log("CreateMusicInterface");
        return nullptr;
    }
    void SetSfxVolume(double volume) override
    {
        Log("SetSfxVolume " + std::to_string(volume));
        LumoAppBase::SetSfxVolume(volume);
    }
    void SetMusicVolume(double volume) override
    {
        Log("SetMusicVolume " + std::to_string(volume));
        LumoAppBase::SetMusicVolume(volume);
    }
    void EnforceCursor() override { Log("EnforceCursor"); }
    void InitHook() override { Log("InitHook"); }
    void ShutdownHook() override { Log("ShutdownHook"); }
    void PrepareForGDIDialog() override { Log("PrepareForGDIDialog"); }
    void ResetTiming() override { Log("ResetTiming"); }
    void RestoreAndActivate(uintptr_t kind, intptr_t param) override
    {
        Log("RestoreAndActivate " + std::to_string(kind) + " " + std::to_string(param));
    }
    bool GetFullScreenClientSize(int& width, int& height) override
    {
        if (fullScreenWidth <= 0)
            return false;
        width = fullScreenWidth;
        height = fullScreenHeight;
        return true;
    }

    bool GetMouseClientPos(int& x, int& y) override
    {
        x = mouseX;
        y = mouseY;
        return mouseKnown;
    }
    bool GetSoftwareCursorPos(int& /*x*/, int& /*y*/) override { return false; }
    void MoveSoftwareCursor(int x, int y) override { CursorLog("move", x, y); }
    void SetPendingCursorPos(int x, int y) override { CursorLog("pending", x, y); }
    int GetDisplayFrameMs() override { return frameMs; }

    std::vector<std::string> CursorCalls()
    {
        std::lock_guard<std::mutex> lock(cursorLock);
        return cursorCalls;
    }

private:
    // Hooks run on the main thread only; the cursor hooks log apart.
    void Log(const std::string& call) { mRecorder.Record(call); }
    void CursorLog(const char* what, int x, int y)
    {
        std::lock_guard<std::mutex> lock(cursorLock);
        cursorCalls.push_back(std::string(what) + " " + std::to_string(x) + " " + std::to_string(y));
    }

    FakePlatformRecorder& mRecorder;
};

} // namespace LumoTest

using LumoTest::RecordingApp;
