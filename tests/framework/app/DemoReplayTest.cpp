// Demos as exact replays: a scripted headless run is recorded and played in
// a fresh application with other live input, the server stopped, settings
// and files changed and a slower loading thread; every update must see the
// same state. Also: the end of the stream (padding, the final filler), the
// file writer, divergence checks and playback keys that must not freeze.
#include "framework/app/LumoAppBase.h"

#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/net/HTTPTransfer.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/window/EventPump.h"
#include "platform/window/Window.h"
#include "support/FakeTextRenderer.h"
#include "support/FakeWindowSystem.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScopedEnvironment.h"
#include "support/SimulatedClock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Digests = std::vector<std::pair<int, uint64_t>>;

uint64_t Mix(uint64_t hash, const std::string& text)
{
    for (const char c : text) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 1099511628211ull;
    }
    hash ^= 0xFF;
    return hash * 1099511628211ull;
}

// Folds every event the widget tree gives it into a digest.
class DigestWidget : public Lumo::Widget {
public:
    void Note(const std::string& what) { digest = Mix(digest, what); }

    void MouseMove(int x, int y) override { Note("move " + std::to_string(x) + "," + std::to_string(y)); }
    void MouseDrag(int x, int y) override { Note("drag " + std::to_string(x) + "," + std::to_string(y)); }
    void MouseDown(int x, int y, int button, int count) override
    {
        Note("down " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(button) + " " +
             std::to_string(count));
    }
    void MouseDown(int x, int y, int count) override { Widget::MouseDown(x, y, count); }
    void MouseUp(int x, int y, int count) override
    {
        Note("up " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(count));
    }
    void MouseWheel(int delta) override { Note("wheel " + std::to_string(delta)); }
    void KeyDown(int key) override { Note("key " + std::to_string(key)); }
    void KeyUp(int key) override { Note("keyup " + std::to_string(key)); }
    void KeyChar(char c) override { Note(std::string("char ") + c); }
    void MouseEnter() override { Note("enter"); }
    void MouseLeave() override { Note("leave"); }
    void GotFocus() override
    {
        Widget::GotFocus();
        Note("focus");
    }
    void LostFocus() override
    {
        Widget::LostFocus();
        Note("unfocus");
    }
    void Draw(Lumo::Graphics* g) override
    {
        g->SetColor(Lumo::Color(static_cast<int>(digest & 0xFF), static_cast<int>((digest >> 8) & 0xFF), 40));
        g->FillRect(0, 0, 20, 20);
        g->SetColor(Lumo::Color(200, 10, static_cast<int>((digest >> 16) & 0xFF)));
        g->FillRect(static_cast<int>(digest % 60), 20, 10, 10);
    }

    uint64_t digest = 1469598103934665603ull;
};

class HarnessApp : public Lumo::LumoAppBase {
public:
    HarnessApp(Plat::Window* window, const std::string& folder) : screen(this), mFolder(folder)
    {
        width = 800;
        height = 600;
        autoStartLoadingThread = false;
        registryKey = "LumoDemoHarness";
        productVersion = "1.0 harness";
        demoFileName = folder + "/run.dmo";
        primaryThreadId = std::this_thread::get_id();
        screen.Create(80, 60);
        widgetManager->image = &screen;
        widgetManager->width = 800;
        widgetManager->height = 600;
        widgetManager->SetMouseRemap(Lumo::TRect<int>(0, 0, 800, 600), Lumo::TRect<int>(0, 0, 800, 600));
        widget.Resize(0, 0, 800, 600);
        widgetManager->AddWidget(&widget);
        widgetManager->SetFocus(&widget);
        mainWindow = window;
        window->SetUserData(this);
        window->SetProcedure(&Lumo::LumoAppBase::WindowProc);
    }
    ~HarnessApp() override
    {
        Shutdown();
        WaitForLoadingThread();
        transfer.reset();
        widgetManager->RemoveWidget(&widget);
        mainWindow->SetUserData(nullptr);
        mainWindow = nullptr; // the test's window system owns it
    }

    // Recording: a fixed seed and the display record of the first start.
    void BeginRecording()
    {
        recordingDemo = true;
        randSeed = 20261211;
        Lumo::SeedRandom(randSeed);
        RecordDisplaySetup();
    }
    // Playback: the file as start-up opens it.
    bool BeginPlayback(std::string& error)
    {
        playingDemo = true;
        if (!OpenDemoFile(error))
            return false;
        DemoReadCommand();
        demoBitsPending = true;
        windowed = demoBuffer.ReadBoolean();
        refreshRate = demoBuffer.ReadByte();
        return true;
    }

    void LoadingThreadProc() override { std::this_thread::sleep_for(std::chrono::milliseconds(loadingMs)); }
    void LoadingThreadCompleted() override
    {
        // A demo-aware query inside the completion.
        widget.Note(std::string("loaded ") + (FileExists(mFolder + "/data.txt") ? "1" : "0"));
        completedAt = updateCount;
    }
    // The display restart of Alt+Enter, without a display.
    void SwitchScreenMode(bool wantWindowed, bool /*is3D*/, bool /*force*/) override
    {
        windowed = wantWindowed;
        RecordDisplaySetup();
    }
    void Redraw(const Lumo::TRect<int>* /*clipRect*/) override {}

    void UpdateFrames() override
    {
        LumoAppBase::UpdateFrames();
        const int update = updateCount;
        widget.Note("rand " + std::to_string(Lumo::GetRandomGenerator().Next() % 1000));
        widget.Note(std::string(windowed ? "windowed" : "full") + (minimized ? " min" : "") +
                    (hasFocus ? " focus" : ""));
        if (update == 40) {
            widget.Note("write " + std::to_string(RegistryWriteInteger("HarnessValue", 7)));
            int value = -1;
            RegistryReadInteger("HarnessValue", value);
            widget.Note("read " + std::to_string(value));
        }
        if (update == 45) {
            Lumo::Buffer data;
            const bool read = ReadBufferFromFile(mFolder + "/data.txt", data);
            widget.Note("file " + std::to_string(read) + " " + std::to_string(data.GetDataLen()));
            bool flag = update % 2 == 1;
            DemoSyncBool(flag);
            std::string text = "synced text";
            DemoSyncString(text);
            widget.Note("sync " + std::to_string(flag) + text);
        }
        if (update == 50 && !url.empty()) {
            transfer = std::make_unique<Lumo::HTTPTransfer>();
            transfer->Get(url);
        }
        if (transfer != nullptr) {
            transfer->UpdateStatus();
            const int result = transfer->GetResult();
            widget.Note("http " + std::to_string(result) +
                        (result == Lumo::HTTPTransfer::kResultDone ? transfer->GetContent() : std::string()));
        }
        if (update == 150) {
            Lumo::Dialog* dialog = DoDialog(1, true, "Quit?", "Leave the harness?", "", 1);
            const int answer = dialog->WaitForResult(true);
            widget.Note("dialog " + std::to_string(answer));
        }
        if (update % 50 == 0) {
            // A full draw at fixed updates: the picture must match too.
            widgetManager->MarkAllDirty();
            widgetManager->DrawScreen();
            uint64_t sum = 0;
            const uint32_t* bits = screen.GetBits();
            for (int i = 0; i < 80 * 60; ++i)
                sum = sum * 31 + bits[i];
            widget.Note("picture " + std::to_string(sum));
        }
        if (script) {
            auto step = script->find(update);
            if (step != script->end())
                step->second(*this);
        }
        digests.emplace_back(update, widget.digest);
    }

    // Steps the loop until the update is reached, the run is shut down, or
    // no update came for half a second of real time (the loading thread
    // runs in real time).
    void RunTo(int update)
    {
        auto lastProgress = std::chrono::steady_clock::now();
        int lastCount = updateCount;
        while (updateCount < update && !shutdown) {
            UpdateAppStep(nullptr);
            const auto now = std::chrono::steady_clock::now();
            if (updateCount != lastCount) {
                lastCount = updateCount;
                lastProgress = now;
            } else if (now - lastProgress > std::chrono::milliseconds(500)) {
                break;
            } else {
                std::this_thread::yield();
            }
        }
    }

    Lumo::MemoryImage screen;
    DigestWidget widget;
    Digests digests;
    int loadingMs = 5;
    int completedAt = -1;
    std::string url;
    std::unique_ptr<Lumo::HTTPTransfer> transfer;
    const std::map<int, std::function<void(HarnessApp&)>>* script = nullptr;

private:
    std::string mFolder;
};

// Input as the desktop delivers it.
Plat::InputEvent Event(Plat::InputEvent::Kind kind, Plat::Window* window)
{
    Plat::InputEvent event;
    event.kind = kind;
    event.window = window;
    return event;
}

void Post(const Plat::InputEvent& event)
{
    Plat::GetEventPump().PostInput(event);
}

void Mouse(Plat::Window* window, Plat::InputEvent::Kind kind, int x, int y, int button = 1, int clicks = 1)
{
    Plat::InputEvent event = Event(kind, window);
    event.x = x;
    event.y = y;
    event.button = button;
    event.clicks = clicks;
    Post(event);
}

void Key(Plat::Window* window, Plat::InputEvent::Kind kind, int key, bool alt = false)
{
    Plat::InputEvent event = Event(kind, window);
    event.virtualKey = key;
    event.alt = alt;
    Post(event);
}

using Kind = Plat::InputEvent::Kind;

class DemoReplayTest : public ::testing::Test {
protected:
    DemoReplayTest()
        : mConfig("XDG_CONFIG_HOME", mTemp.Path() + "/config"), mWindow(mWindows.CreateWindow(
                                                                    0, "MainWindow", "t", Plat::kWsCaption, 0, 0,
                                                                    800, 600))
    {
        Plat::GetEventPump().Clear();
        mTemp.Write("data.txt", "recorded file");
    }
    ~DemoReplayTest() override
    {
        Plat::GetEventPump().Clear();
        delete mWindow; // the applications only borrow it
    }

    SimulatedClock mClock{300000};
    LumoTest::FakeTextRenderer mText;
    LumoTest::TempFolder mTemp;
    LumoTest::ScopedEnvironment mConfig;
    LumoTest::FakeWindowSystem mWindows;
    Plat::Window* mWindow;
};

// The recorded run's input, posted after the update of its key.
std::map<int, std::function<void(HarnessApp&)>> RecordedScript(Plat::Window* w)
{
    std::map<int, std::function<void(HarnessApp&)>> script;
    script[3] = [w](HarnessApp&) { Mouse(w, Kind::MouseMotion, 100, 100); };
    script[4] = [w](HarnessApp&) { Mouse(w, Kind::MouseMotion, 110, 95); }; // a short move
    script[6] = [w](HarnessApp&) {
        Mouse(w, Kind::MouseButtonDown, 110, 95);
        Mouse(w, Kind::MouseButtonUp, 110, 95);
    };
    script[8] = [w](HarnessApp&) { Mouse(w, Kind::MouseButtonDown, 300, 300, 3); };
    script[9] = [w](HarnessApp&) {
        Mouse(w, Kind::MouseMotion, -400, 5000); // dragged off the window
        Mouse(w, Kind::MouseMotion, 5000, -30);
    };
    script[12] = [w](HarnessApp&) {
        Mouse(w, Kind::MouseButtonUp, 5000, -30, 3);
        Mouse(w, Kind::MouseMotion, 200, 200);
    };
    script[15] = [w](HarnessApp&) {
        Plat::InputEvent wheel = Event(Kind::MouseWheel, w);
        wheel.wheel = -2;
        Post(wheel);
    };
    script[20] = [w](HarnessApp&) {
        Key(w, Kind::KeyDown, Plat::kVkReturn, true); // Alt+Enter: the display, not the widgets
        Key(w, Kind::KeyUp, Plat::kVkReturn, true);
        Key(w, Kind::KeyDown, 0x41);
        Key(w, Kind::KeyUp, 0x41);
        Plat::InputEvent text = Event(Kind::Text, w);
        text.text = "ab";
        Post(text);
    };
    // Ten quiet updates and more: fillers.
    script[60] = [w](HarnessApp&) { Post(Event(Kind::FocusLost, w)); };
    script[64] = [w](HarnessApp&) { Post(Event(Kind::FocusGained, w)); };
    script[70] = [w](HarnessApp&) { Post(Event(Kind::Minimized, w)); };
    script[75] = [w](HarnessApp&) { Post(Event(Kind::Restored, w)); };
    // The modal dialog of update 150 is answered with its NO button.
    script[160] = [w](HarnessApp& app) {
        Lumo::Dialog* dialog = app.GetDialog(1);
        ASSERT_NE(dialog, nullptr);
        const Lumo::TRect<int> no = dialog->noButton->GetRect();
        Mouse(w, Kind::MouseMotion, no.mX + 4, no.mY + 4);
        Mouse(w, Kind::MouseButtonDown, no.mX + 4, no.mY + 4);
        Mouse(w, Kind::MouseButtonUp, no.mX + 4, no.mY + 4);
    };
    script[200] = [w](HarnessApp&) { Key(w, Kind::KeyDown, 0x42); };
    return script;
}

// Live input during playback: must change nothing.
std::map<int, std::function<void(HarnessApp&)>> LiveNoise(Plat::Window* w)
{
    std::map<int, std::function<void(HarnessApp&)>> script;
    for (int update = 2; update < 300; update += 7) {
        script[update] = [w, update](HarnessApp&) {
            Mouse(w, Kind::MouseMotion, update % 700, update % 500);
            Mouse(w, Kind::MouseButtonDown, update % 700, update % 500);
            Mouse(w, Kind::MouseButtonUp, update % 700, update % 500);
            Key(w, Kind::KeyDown, 0x43);
        };
    }
    return script;
}

TEST_F(DemoReplayTest, ARecordedRunReplaysToTheSameStateAtEveryUpdate)
{
    for (const bool closeAtEnd : {false, true}) {
        SCOPED_TRACE(closeAtEnd ? "ended by a close" : "ended by a timed exit");
        mTemp.Write("data.txt", "recorded file");
        Digests recorded;
        int recordedEnd = 0;
        {
            LumoTest::LoopbackHttpServer server;
            ASSERT_TRUE(server.IsRunning());
            server.SetReply("/news", {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"});
            HarnessApp app(mWindow, mTemp.Path());
            app.url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/news";
            const auto script = RecordedScript(mWindow);
            app.script = &script;
            app.BeginRecording();
            app.StartLoadingThread();
            // Updates can outrun the loader on a fast machine: let it finish
            // early in the recorded run.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (app.completedAt < 0 && app.updateCount < 250 && std::chrono::steady_clock::now() < deadline) {
                app.RunTo(app.updateCount + 1);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            app.RunTo(300);
            if (closeAtEnd) {
                Post(Event(Kind::Close, mWindow));
                app.RunTo(310);
                EXPECT_TRUE(app.shutdown);
            }
            ASSERT_GE(app.updateCount, 300);
            ASSERT_GE(app.completedAt, 0);
            recorded = app.digests;
            recordedEnd = app.updateCount;
        } // the destructor writes the file
        ASSERT_TRUE(mTemp.Exists("run.dmo"));

        // Another machine's day: other settings, another file, no server, a
        // slower loading thread, and someone at the mouse.
        mTemp.Write("data.txt", "a different file of another length");
        {
            HarnessApp other(mWindow, mTemp.Path() + "/elsewhere");
            other.RegistryWriteInteger("HarnessValue", 99);
        }
        Digests played;
        {
            HarnessApp app(mWindow, mTemp.Path());
            app.url = "http://127.0.0.1:1/news"; // nobody listens: the demo answers
            app.loadingMs = 60;
            const auto noise = LiveNoise(mWindow);
            app.script = &noise;
            std::string error;
            ASSERT_TRUE(app.BeginPlayback(error)) << error;
            app.StartLoadingThread();
            app.RunTo(recordedEnd + 50);
            EXPECT_FALSE(app.demoDiverged);
            EXPECT_EQ(app.updateCount, recordedEnd); // no further: the recording ends there
            EXPECT_EQ(app.shutdown.load(), closeAtEnd);
            played = app.digests;
        }
        ASSERT_EQ(played.size(), recorded.size());
        for (size_t i = 0; i < recorded.size(); ++i) {
            ASSERT_EQ(played[i], recorded[i]) << "first difference at entry " << i;
        }
    }
}

// ---- The end of the stream

TEST_F(DemoReplayTest, ZeroPaddingOfTheLastByteIsNoRecord)
{
    // Record sizes: display 26 bits, filler or close 10, character 19: the
    // sums leave 1 to 7 bits of padding in the last byte.
    struct Case {
        int padding;
        int characters;
        int fillers;
    };
    const Case cases[] = {{1, 1, 1}, {2, 0, 2}, {3, 1, 0}, {4, 0, 1}, {5, 3, 0}, {6, 0, 0}, {7, 1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.padding);
        {
            HarnessApp app(mWindow, mTemp.Path());
            app.recordingDemo = true;
            app.RecordDisplaySetup();
            app.demoMouseX = 300;
            app.demoMouseY = 200;
            for (int i = 0; i < c.characters; ++i)
                app.DemoRecordMessage({mWindow, Plat::kWmChar, static_cast<uintptr_t>('x' + i), 0});
            for (int i = 0; i < c.fillers; ++i) {
                app.DemoWriteUpdateDelta();
                app.demoBuffer.WriteNumBits(0, 1);
                app.demoBuffer.WriteNumBits(31, 5);
            }
            const int bits = 26 + 19 * c.characters + 10 * c.fillers;
            ASSERT_EQ((8 - bits % 8) % 8, c.padding);
            app.recordingDemo = false; // written below without the final filler
            std::vector<uint8_t> file = {0x78, 0xEF, 0xBE, 0x42, 2, 0, 0, 0, 1, 0, 0, 0};
            file.push_back(static_cast<uint8_t>(app.productVersion.size()));
            file.push_back(0);
            file.insert(file.end(), app.productVersion.begin(), app.productVersion.end());
            const uint8_t tail[] = {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
            file.insert(file.end(), tail, tail + sizeof(tail));
            file.insert(file.end(), app.demoBuffer.GetDataPtr(), app.demoBuffer.GetDataPtr() + app.demoBuffer.GetDataLen());
            mTemp.Write("run.dmo", file);
        }
        HarnessApp app(mWindow, mTemp.Path());
        std::string error;
        ASSERT_TRUE(app.BeginPlayback(error)) << error;
        app.demoMouseX = 300;
        app.demoMouseY = 200;
        app.DemoReplayEvents();
        EXPECT_TRUE(app.DemoStreamEnded());
        EXPECT_EQ(app.demoMouseX, 300); // no move read from the padding
        EXPECT_EQ(app.demoMouseY, 200);
        EXPECT_FALSE(app.demoDiverged);
        for (int i = 0; i < 5; ++i)
            app.UpdateAppStep(nullptr);
        EXPECT_EQ(app.updateCount, 0); // the recording ended at update 0
    }
}

// ---- The writer

TEST_F(DemoReplayTest, TheWriterRoundTripsAndACutShortSaveKeepsTheOldFile)
{
    {
        HarnessApp app(mWindow, mTemp.Path());
        app.BeginRecording();
        app.updateCount = 40;
        app.DemoRecordKeyDown(0x41);
        app.updateCount = 57;
    }
    const std::string first = mTemp.Read("run.dmo");
    ASSERT_FALSE(first.empty());
    {
        HarnessApp app(mWindow, mTemp.Path());
        std::string error;
        ASSERT_TRUE(app.BeginPlayback(error)) << error;
        EXPECT_EQ(app.randSeed, 20261211u);
        EXPECT_EQ(app.demoTotalUpdates, 57);
        EXPECT_TRUE(app.demoMarkers.empty());
        // The key-down at 40 follows two fillers: deltas 15, 15, 10.
        for (const int update : {15, 30}) {
            app.updateCount = update;
            EXPECT_TRUE(app.DemoReadCommand());
            EXPECT_EQ(app.demoCommand, 31);
            app.demoBitsPending = true;
        }
        app.updateCount = 40;
        EXPECT_TRUE(app.DemoReadCommand());
        EXPECT_EQ(app.demoCommand, 3);
        EXPECT_EQ(app.demoBuffer.ReadNumBits(8, false), 0x41);
    }
    {
        HarnessApp app(mWindow, mTemp.Path());
        app.BeginRecording();
        app.updateCount = 500;
        app.demoFileWriter = [](int fd, const uint8_t* data, size_t size) {
            return Plat::WriteAllBytes(fd, data, size / 2) && false; // the disk fills up halfway
        };
    }
    EXPECT_EQ(mTemp.Read("run.dmo"), first);
}

TEST_F(DemoReplayTest, ASyncReadOfAnotherCommandIsFlaggedAndLeftInPlace)
{
    {
        HarnessApp app(mWindow, mTemp.Path());
        app.BeginRecording();
        app.updateCount = 3;
        app.FileExists(mTemp.Path() + "/data.txt");
    }
    HarnessApp app(mWindow, mTemp.Path());
    std::string error;
    ASSERT_TRUE(app.BeginPlayback(error)) << error;
    app.updateCount = 3;
    Lumo::Buffer data;
    EXPECT_FALSE(app.ReadBufferFromFile("whatever", data)); // the record is a FileExists answer
    EXPECT_TRUE(app.demoDiverged);
    EXPECT_TRUE(app.FileExists("whatever")); // still there for its own query
    EXPECT_FALSE(app.DemoStreamEnded());
}

// ---- Playback keys never freeze the loop

TEST_F(DemoReplayTest, PausedOrFastPlaybackKeepsTakingMessages)
{
    {
        HarnessApp app(mWindow, mTemp.Path());
        app.BeginRecording();
        app.RunTo(120);
    }
    HarnessApp app(mWindow, mTemp.Path());
    std::string error;
    ASSERT_TRUE(app.BeginPlayback(error)) << error;
    app.RunTo(10);

    // 'P' pauses; the loop still takes messages, so 'P' resumes.
    Plat::GetEventPump().PostMessage({mWindow, Plat::kWmChar, 'p', 0});
    for (int i = 0; i < 50; ++i)
        app.UpdateAppStep(nullptr);
    EXPECT_TRUE(app.demoPaused);
    const int pausedAt = app.updateCount;
    for (int i = 0; i < 50; ++i)
        app.UpdateAppStep(nullptr);
    EXPECT_EQ(app.updateCount, pausedAt);
    Plat::GetEventPump().PostMessage({mWindow, Plat::kWmChar, 'p', 0});
    app.RunTo(pausedAt + 5);
    EXPECT_FALSE(app.demoPaused);
    EXPECT_EQ(app.updateCount, pausedAt + 5);

    // Speed 0 ("-" many times is slow, "=" back) and 'M': run to the end,
    // which is unreachable beyond the last record: dropped, sound back.
    Plat::GetEventPump().PostMessage({mWindow, Plat::kWmChar, 'm', 0});
    for (int i = 0; i < 200; ++i)
        app.UpdateAppStep(nullptr);
    EXPECT_EQ(app.updateCount, app.demoTotalUpdates);
    EXPECT_FALSE(app.demoRunToEnd);
    EXPECT_FALSE(app.IsMuted());
    Plat::GetEventPump().PostMessage({mWindow, Plat::kWmChar, 'n', 0}); // one more update: never comes
    for (int i = 0; i < 50; ++i)
        app.UpdateAppStep(nullptr);
    EXPECT_EQ(app.updateCount, app.demoTotalUpdates);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_FALSE(app.demoDiverged);
}

} // namespace
