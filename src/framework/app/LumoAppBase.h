// The one application object of the process: its settings and counters,
// start-up and shut-down, its worker threads, the fatal-error popups, the
// saturation table of additive drawing, the set of live memory images, the
// shared-image table, the display interface and the property tables.
#pragma once

#include "framework/app/PerfTimer.h"
#include "framework/display/NativeDisplay.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/SharedImage.h"
#include "framework/graphics/SharedImageRef.h"
#include "framework/core/Buffer.h"
#include "framework/core/CriticalSection.h"
#include "framework/core/Ratio.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/SettingsStore.h"
#include "platform/window/WindowMessage.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/DialogListener.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Plat {
class InstanceLock;
class Window; // made by the window layer
struct ScreenRect;
class Cursor; // made by the window layer
} // namespace Plat

namespace Lumo {

class DDImage;
class DDInterface;
class Dialog;
class Font;
class Graphics;
class Image;
class MemoryImage;
class MusicInterface;
class ResourceManager;
class SoundManager;
class Widget;
class WidgetManager;

class LumoAppBase;
// The one application object; set by its constructor, cleared by its destructor.
extern LumoAppBase* gLumoAppBase;
// The same object for the crash catcher; set as the constructor's last act.
extern LumoAppBase* gCrashApp;
// Set while the display is lost and not yet restored; the cursor thread
// reads it without a lock.
extern std::atomic<bool> gDisplayLost;
// The desktop's screen saver would now be running over the windowed game:
// updates, drawing and presenting pause. Main thread only.
extern bool gScreenSaverIdle;
// Time of the last attempt to restore a lost display; 0 after a successful
// presentation.
extern uint32_t gLastDisplayReinitTime;

// A named position in a played demo.
struct DemoMarker {
    std::string name;
    int32_t update = 0;
};

// It hears every button and framework dialog it owns: dialog buttons come
// back as button ids dialog id + 2000 (yes, ok) and + 3000 (no, cancel).
class LumoAppBase : public ButtonListener, public DialogListener {
public:
    LumoAppBase();
    ~LumoAppBase() override;
    LumoAppBase(const LumoAppBase&) = delete;
    LumoAppBase& operator=(const LumoAppBase&) = delete;

    // ---- Start-up, shut-down and exit

    // Turns the constructed object into a running one, on the thread that
    // will run the main loop. Ends the process on the failures the player
    // must see (no video, a second copy, an unplayable demo).
    virtual void Init();
    // Stops the run in order; frees nothing. Safe to call again and from any
    // thread: another thread only asks the main thread to do it.
    virtual void Shutdown();
    // Ends the process with the code; never returns.
    [[noreturn]] static void DoExit(int code);
    // Another copy runs: in single-instance mode tells it to come to the
    // front and ends this process with code 0; otherwise returns false.
    virtual bool HandleAlreadyRunning();
    // The reaction to the notify message; kind 0 brings the main window to
    // the front, restored when minimised.
    virtual void RestoreAndActivate(uintptr_t kind, intptr_t param);
    // Takes the notify messages other copies sent and answers each with
    // RestoreAndActivate; the message pump calls it.
    void ProcessNotifyMessages();
    bool IsScreenSaver() const { return isScreenSaver; }

    // ---- Worker threads

    // Starts the loading thread once; it runs LoadingThreadProc.
    void StartLoadingThread();
    // Returns when the loading thread has finished or was never started.
    void WaitForLoadingThread();
    // Starts the cursor thread unless it runs; it ends once `shutdown` is set.
    void StartCursorThread();
    static void LoadingThreadMain(LumoAppBase* app);
    static void CursorThreadMain(LumoAppBase* app);

    // ---- Fatal errors

    // Tells the player about a fatal problem (in screen-saver mode: the error
    // log instead); the caller decides whether the program ends.
    virtual void FatalErrorPopup(const std::u16string& text);
    virtual void FatalErrorPopup(const std::string& text);
    // Appends a line to "ScrError.txt" in the user-data folder; the first
    // line of a run starts the file afresh.
    virtual void WriteScrErrorLog(const std::string& text);

    // ---- Hooks of start-up and shut-down (empty unless noted)

    virtual void InitHook() {}
    virtual void ShutdownHook() {}
    // Reads the product's properties; Init calls it before ReadFromRegistry.
    virtual void PropertiesHook() {}
    virtual void BeforeScreenModeHook() {}
    // The display's first start produced a new 3-D test verdict; empty.
    virtual void Warning3DHook() {}
    // True when the hook chose the working folder itself; false (default)
    // makes Init change to `programDir`.
    virtual bool ChangeDirectoryHook(const std::string& dir);
    // Runs on the loading thread.
    virtual void LoadingThreadProc() {}
    // Runs on the main thread once the loading thread has finished.
    virtual void LoadingThreadCompleted() {}

    // ---- Operations that later parts of the framework fill in. Until then
    // they do what is noted, so that start-up and shut-down run end to end.

    // Destroys the old main window, creates the one of the current mode,
    // makes the display on first use and starts it; falls back to a cheaper
    // mode (or ends the run) when the display cannot start.
    virtual void MakeWindow();
    // Shows the cursor that fits `cursorKind`, the mouse and the mode: the
    // software cursor image of the kind, or the system cursor of the kind.
    virtual void EnforceCursor();
    // Stores the cursor kind (0-12) and shows it.
    void SetCursor(int kind);
    // The music interface for the window; none yet (null).
    virtual MusicInterface* CreateMusicInterface(Plat::Window* window);
    // The sound manager (silent without a window); none yet (null).
    virtual SoundManager* CreateSoundManager(Plat::Window* window, bool useFMod);
    // The demo playback prompts: a time typed as [[h:]m:]s before the end
    // of the recording, or a marker still ahead, becomes the replay's
    // target. Both block the loop while open and return 0.
    virtual int ShowJumpToTimeDialog();
    virtual int ShowMarkerListDialog();
    // Readies a full-screen display for a system box: shows the desktop's
    // surface and stops flipping (`noFlip`) until timing is reset.
    virtual void PrepareForGDIDialog();
    // Forgets elapsed time after something blocked the loop; releases held
    // keys and mouse buttons.
    virtual void ResetTiming();
    // The product version of a program file; empty until versions are stamped.
    virtual std::string GetProductVersion(const std::string& path);
    // The client area of a maximised window on the desktop; false while the
    // desktop cannot be asked (then every size fits).
    virtual bool GetFullScreenClientSize(int& width, int& height);
    // What the cursor thread needs of the window and the display; until they
    // exist there is no mouse position (false) and no software cursor.
    virtual bool GetMouseClientPos(int& x, int& y);
    virtual bool GetSoftwareCursorPos(int& x, int& y);
    virtual void MoveSoftwareCursor(int x, int y);
    virtual void SetPendingCursorPos(int x, int y);
    virtual int GetDisplayFrameMs();

    // ---- Framework dialogs, kept by id

    // A new dialog in the built-in look (no images); the game may override
    // it for a look of its own. buttonMode: 0 none, 1 yes/no, 2 ok/cancel,
    // 3 one button labelled with the footer.
    virtual Dialog* NewDialog(int dialogId, bool isModal, const std::string& header, const std::string& lines,
                              const std::string& footer, int buttonMode);
    // Kills the dialog of the id, then makes and adds a new one.
    virtual Dialog* DoDialog(int dialogId, bool isModal, const std::string& header, const std::string& lines,
                             const std::string& footer, int buttonMode);
    virtual Dialog* GetDialog(int dialogId);
    // Shows the dialog under its id, replacing (and deleting) another dialog
    // of that id; an unsized dialog gets half the width, centred, its top at
    // a fifth of the height. Modal dialogs block what lies below them.
    virtual void AddDialog(int dialogId, Dialog* dialog);
    virtual void AddDialog(Dialog* dialog);
    // Takes the dialog off the screen and deletes it once no loop uses it;
    // false when no dialog has the id.
    virtual bool KillDialog(int dialogId, bool removeWidget, bool deleteWidget);
    virtual bool KillDialog(int dialogId);
    virtual bool KillDialog(Dialog* dialog);
    virtual int GetDialogCount();
    // A modal dialog was added / is being killed.
    virtual void ModalOpen() {}
    virtual void ModalClose() {}
    void DialogButtonPress(int dialogId, int buttonId) override;
    void DialogButtonDepress(int dialogId, int buttonId) override;

    // ---- Message boxes and the clipboard

    // The desktop's message box over the main window (Plat::kMb* flags);
    // returns the chosen button (Plat::kId*). In screen-saver mode nothing is
    // shown: the text goes to the error log and the answer is Plat::kIdOk.
    // The time the box is open does not count as game time.
    virtual int MsgBox(const std::u16string& text, const std::u16string& title, int flags);
    virtual int MsgBox(const std::string& text, const std::string& title, int flags);
    // Puts the (Windows-1252) text on the desktop's clipboard; nothing while
    // a demo plays or when the clipboard cannot be opened.
    void SetClipboardText(const std::string& text);

    // ---- Window, screen modes and display set-up

    // Restarts the display on `mainWindow`; returns the display's result code.
    int ReInitDisplay();
    // Takes the display's refresh rate; while recording writes the display record.
    void RecordDisplaySetup();
    virtual void SwitchScreenMode(bool wantWindowed, bool is3D, bool force);
    // The same with the current 3-D flag, not forced.
    virtual void SwitchScreenMode(bool wantWindowed);
    // Re-creates the window in the current mode.
    virtual void SwitchScreenMode();
    // Switches 3-D drawing; with reinit the display restarts at once.
    void Set3DAccelerated(bool enable, bool reinit = true);
    // Presents the frame (null: all of it); restores a lost display.
    virtual void Redraw(const TRect<int>* clipRect);
    bool Is3DSupported();
    bool Is3DRecommended();
    // A new surface image of the display holding a copy of the image; null
    // without a display.
    DDImage* CopyImage(Image* image);
    virtual void BeforeDisplayInitHook() {}
    virtual void AfterDisplayInitHook() {}
    // Walk the memory images around a display start.
    virtual void ImagesBeforeDisplayInit();
    virtual void ImagesAfterDisplayInit();
    virtual void ImagesUnderDisplayLock();

    // ---- Main loop and fixed-step timing

    // Runs the program's main loop; returns when it ends.
    virtual void Start();
    virtual void DoMainLoop();
    // Steps until an update ran; false when the loop must unwind.
    virtual bool UpdateApp();
    // One step of the loop's state machine; false only once `loopExit` is set.
    virtual bool UpdateAppStep(bool* updated);
    // One timing pass; false only when it would sleep but may not.
    virtual bool Process(bool allowSleep);
    // One fixed-step update when one may run now.
    virtual bool DoUpdateFrames();
    virtual void UpdateFrames();
    virtual void UpdateFramesF(float fraction);
    // Draws and presents when due; true when a frame was drawn.
    virtual bool DrawDirty();
    // Deletes the widget once no loop that may use it still runs.
    virtual void QueueDeferredDelete(Widget* widget);
    void ProcessDeleteQueue();
    // Adds the time since the last call to the update accumulator (at most 200 ms).
    void ClampElapsedTime();
    double GetLoadingThreadProgress();
    virtual void AfterLoopHook() {}

    // ---- Window messages, focus
    // (What the loop needs so far: close, activation, size, mouse, keys.)

    // The procedure of the program's windows.
    static intptr_t WindowProc(Plat::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Handles queued input messages (one with onlyOne); true while some remain.
    bool ProcessDeferredMessages(bool onlyOne);
    // True for the Alt+key characters the program takes itself (Enter, 'r'),
    // so that the desktop does not beep at them.
    virtual bool IsAltShortcut(int charCode);
    // Sees every key-down before it is queued; true swallows the key.
    virtual bool WindowKeyHook(int /*key*/, bool /*ctrl*/, bool /*alt*/) { return false; }
    // The window was asked to close (the request is queued already).
    virtual void CloseRequestHook() {}
    virtual bool IsMainWindowEnabled() { return !windowDisabled; }
    // A key-down while the debug keys are on, and every real key-down during
    // demo playback; true consumes the key: the overlays (F3), the system
    // report and the 3-D switch (F8), stepping and slowing the loop (F10),
    // screenshots and the image dump (F11), the profiler (F2) and the reload
    // of mod values (Alt+R).
    virtual bool DebugKeyDown(int key);
    // A character typed during demo playback steers the replay.
    virtual void DemoPlaybackKey(char key);
    // Compares the mouse's presence over the client area with `mouseIn` and
    // follows a change (demo record, mouse exit, cursor).
    void CheckMouseIn();
    // The frame is dragged: moves the right and bottom edges of the proposed
    // outer rectangle so that the client area keeps the aspect.
    static void KeepSizingAspect(const Plat::ScreenRect& windowRect, const Plat::ScreenRect& clientRect,
                                 const Ratio& aspect, Plat::ScreenRect& proposed);
    // Recomputes the focus from `active` and `minimized`.
    virtual void RehupFocus();
    // Follows a change of `active`, live or replayed: the focus, a full
    // redraw on regaining the full screen, and a pending URL open ends when
    // the browser took the window.
    void FollowActivation();
    virtual void GotFocus() {}
    virtual void LostFocus() {}
    // Forgets every held key.
    void ClearKeyStates();
    // Draws through a video-memory copy (true) or the plain draw surface;
    // the whole screen is drawn again after a change.
    void SetDisplayOption(bool value);
    // Hands the URL (http, https, file, or an absolute path) to the
    // browser; with shutdownWhenOpened the run ends once the browser has
    // taken it. True when the request went out, or the same URL is pending.
    virtual bool OpenURL(const std::string& url, bool shutdownWhenOpened);
    // ---- Crash report

    // The base hook: music off, window hidden, `crashed` set, system arrow.
    // The crash path does not call it (a crashed process only writes its
    // record): the window, the grab and the music go with the process.
    virtual void OnCrash();
    // The information block of the report: product, version, time loaded,
    // full screen, primary thread.
    virtual std::string GetCrashInfoText();
    // A file the upload sends along; empty: none (or the recorded demo).
    virtual std::string GetCrashAttachmentName() { return std::string(); }
    // Extra fields of the upload's form; none in the base.
    virtual void GetCrashFormFields(std::map<std::string, std::string>& /*fields*/) {}
    // Rebuilds what a crash report needs to know of the running program
    // (main thread; at registration, after Init and after mode switches).
    void RefreshCrashContext();
    // The bytes of a demo file before its update count.
    std::vector<uint8_t> DemoFileHead() const;

    // The browser did not take the URL / took it over.
    virtual void UrlOpenError(const std::string& url);
    virtual void UrlOpenDone(const std::string& url);
    // Pauses the windowed game while the desktop's screen saver would run,
    // and resumes it after input; the loop calls it at most once a second.
    virtual void ScreenSaverIdleCheck(uint32_t now);
    // In screen-saver mode sees every message first; true means it is
    // handled and `result` is the answer.
    virtual bool ScreenSaverFilter(Plat::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                                   intptr_t& result);

    // ---- Debug overlays, screenshots, the system report and the image dump

    // Bring the overlay images up to date; DrawDirty calls them while
    // `showOverlay` is set.
    void RefreshFpsOverlay();
    void RefreshMouseOverlay(int x, int y);
    void RefreshDemoTimeOverlay();
    // Draws the overlay images in the bottom-right corner of the screen image.
    void DrawOverlays(Graphics* g);
    // Saves the presented frame as the next "_screenshots/image<n>.png" of
    // the user-data folder; nothing without a display and its draw surface.
    void TakeScreenshot();
    // The "Video Stats" box.
    void ShowSystemReport();
    // The text of that box.
    std::string GetSystemReport();
    // Writes every live memory image and a page listing them by memory use
    // to "_dump/" under the user-data folder.
    void DumpImageList();
    // One more than the largest n of the folder's "image<n>.png" files; 1
    // when there is none.
    static int NextScreenshotNumber(const std::string& folder);

    // ---- Demo file

    // Reads `demoFileName` into the demo stream, its markers and total, takes
    // its seed; false with the player's message in `error`.
    bool OpenDemoFile(std::string& error);
    // Recording: closes the stream with a filler at the current update and
    // writes the file in place of the old one (kept when the save fails).
    void WriteDemoFile();
    // Playback: reads the next record's header when it is still pending;
    // true when the record is due at the current update.
    bool DemoReadCommand();
    // Playback: skips the data of the waiting record when it is an answer
    // a query takes (settings, files, transfers, syncs); false for any
    // other record, or when the stream ends inside it.
    bool DemoSkipAnswer();
    // Playback start: leaves the header of the first display start's record
    // read. That start's queries (the stored 3-D choice, the 3-D test's
    // verdict) come before it; answers this run did not take are skipped
    // (the replay is flagged). False when no display record follows at
    // update 0.
    bool DemoSkipToDisplayRecord();
    // Recording: writes the update delta of a new record (with fillers for
    // long gaps); the caller then writes the form bit, command and data.
    void DemoWriteUpdateDelta();
    // Recording: the whole header of a long-form record (delta, form bit,
    // command); the caller writes its data.
    void DemoBeginRecord(int command);
    // Playback: whether the stream holds that many more bits after the read
    // position (a corrupt size must not run a read past the end).
    bool DemoHoldsBits(int64_t bits) const;
    // Playback: replays the records due at the current update (called by the
    // main loop before each update).
    void DemoReplayEvents();
    // Playback: fewer bits are left than the shortest record holds.
    bool DemoStreamEnded() const;
    // Playback: takes the due record of the command as the caller's answer.
    // False (nothing consumed, the replay flagged diverged) when the next
    // record is not that command at this update; false as well, without a
    // flag, once the window closed or the stream ended.
    bool DemoTakeSyncRecord(int command);
    // Whether this call takes part in the demo: main thread only, and
    // recording stops when the stream is full.
    bool DemoRecordsNow();
    bool DemoPlaysNow() const;
    // Values that can change a run and have no operation of their own pass
    // through the demo: recorded, or answered from it.
    void DemoSyncBuffer(Buffer& data);
    void DemoSyncBool(bool& value);
    void DemoSyncString(std::string& value);
    // Runs the game's completion hook for the loading thread (once).
    void HandleLoadingCompleted();
    // Recording: the record of a queued window message (none for the
    // messages that are not replayed).
    void DemoRecordMessage(const Plat::WindowMessage& msg);
    // Recording: a key-down that reached the widgets.
    void DemoRecordKeyDown(int key);
    // Mouse coordinates as a record holds them (12 bits), live and replayed.
    static int DemoClampPosition(int coordinate);
    // Recording: the mouse entered (true) or left the client area.
    void DemoRecordMouseInside(bool inside);

    // ---- Images and sounds

    // A new surface image with the file's pixels, owned by the caller; null
    // when the file cannot be loaded (nothing is reported: callers do).
    virtual DDImage* GetImage(const std::string& path, bool commitBits = true);
    // A new surface image of the rectangle's size holding that part of the
    // image, with its rows, columns and animation; null for no image.
    virtual DDImage* CopyImageRect(Image* image, const TRect<int>& rect);
    // Plays the effect once (at the pan); the instance frees itself when it
    // ends. Nothing without a sound manager or a free instance.
    virtual void PlaySample(int soundId);
    virtual void PlaySample(int soundId, int pan);
    // Volumes run from 0.0 to 1.0. The music and effect volumes are stored
    // here and passed on as 0.0 while muted.
    virtual double GetMusicVolume();
    virtual double GetSfxVolume();
    // The system mixer's volume; 0.0 before the sound manager exists.
    virtual double GetMasterVolume();
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    // Sets the mixer's volume and stores it as the effects volume.
    virtual void SetMasterVolume(double volume);
    virtual bool IsMuted();
    // Counted: every Mute needs its Unmute. autoMute marks mutes made by the
    // program (focus loss, minimising, fast demo playback), which are not
    // remembered in the settings. Both re-apply the volumes.
    virtual void Mute(bool autoMute);
    virtual void Unmute(bool autoMute);

    // Memory images enter the set at the end of their construction and leave
    // it at the start of their destruction.
    void AddMemoryImage(MemoryImage* image);
    void RemoveMemoryImage(MemoryImage* image);
    // Has the display drop the image's 3-D data; nothing without a display.
    void Remove3DData(MemoryImage* image);
    // The display's 3-D flag; false while there is no display.
    bool Is3DAccelerated() const;
    // The display's pixel format, or the 32-bit default while there is no display.
    NativeDisplay* GetNativeDisplay();

    // The shared image of (file name, variant), both compared without case.
    // A new entry gets its image from LoadSharedImage and sets *isNew. The
    // returned reference holds one count; its image is null when loading failed.
    virtual SharedImageRef GetSharedImage(const std::string& fileName, const std::string& variant,
                                          bool* isNew = nullptr);
    // Enters the image as the shared image of the pair unless the pair has
    // one already (then the image stays with the caller); *isNew tells which.
    virtual SharedImageRef SetSharedImage(const std::string& fileName, const std::string& variant, Image* image,
                                          bool* isNew = nullptr);
    // Deletes the shared images that no reference holds any more, when a
    // release marked the table.
    void CleanSharedImages();

    // Insert or replace the value of an id.
    void SetString(const std::string& id, const std::u16string& value);
    void SetBoolean(const std::string& id, bool value);
    void SetInteger(const std::string& id, int value);
    void SetDouble(const std::string& id, double value);

    // ---- Property lookups and the properties file

    // The text of the id converted to narrow text, or the default unchanged.
    std::string GetString(const std::string& id, const std::string& defaultValue);
    bool GetBoolean(const std::string& id, bool defaultValue);
    // Reads, checks (when asked) and parses a properties file into the
    // tables. An absent file that is not required counts as success; every
    // other failure shows one fatal popup and returns false.
    bool LoadProperties(const std::string& fileName, bool required, bool checkSignature);
    // True when the file's signature verifies; the base accepts nothing.
    virtual bool CheckSignature(const Buffer& buffer, const std::string& fileName);

    // ---- Settings (the registry of the original platform)

    // Values of the current user below "SOFTWARE\\" + registryKey; the part
    // of a value name before its last '\\' names a sub-key. All fail while
    // registryKey is empty. Demo-aware: recorded while recording, answered
    // from the demo while playing.
    // True only once the value is stored.
    bool RegistryWrite(const std::string& valueName, uint32_t valueType, const uint8_t* data, uint32_t length);
    // length: in, the capacity of data; out, the value's size. A value larger
    // than the capacity reads as absent.
    bool RegistryRead(const std::string& valueName, uint32_t& valueType, uint8_t* data, uint32_t& length,
                      Plat::SettingsRoot root = Plat::SettingsRoot::User);
    void RegistryEraseValue(const std::string& valueName);
    bool RegistryWriteString(const std::string& valueName, const std::string& value);
    bool RegistryWriteInteger(const std::string& valueName, int value);
    // The typed readers leave the out value alone unless a value of their
    // type is found; strings of up to 1023 bytes.
    bool RegistryReadString(const std::string& valueName, std::string& value);
    bool RegistryReadInteger(const std::string& valueName, int& value);
    bool RegistryReadBoolean(const std::string& valueName, bool& value);
    // The framework's settings, read at start-up and written at exit.
    virtual void ReadFromRegistry();
    virtual void WriteToRegistry();

    // Whole files, demo-aware like the settings. Reads through the pak
    // layer; leaveDemoAlone keeps the read out of the demo.
    bool ReadBufferFromFile(const std::string& fileName, Buffer& buffer, bool leaveDemoAlone = false);
    // Writes on the disk, making missing folders; the old file is replaced
    // only once the new one is complete. True only when it was written.
    bool WriteBytesToFile(const std::string& fileName, const uint8_t* data, uint32_t length);
    bool WriteBufferToFile(const std::string& fileName, const Buffer& buffer);
    // Whether the file can be opened "rb" through the pak layer; demo-aware
    // like the file reads.
    bool FileExists(const std::string& fileName);

    // ---- Command line

    // Reads the process's command line once (sets cmdLineParsed).
    virtual void ParseCommandLine();
    // The same over a given command line (program name first).
    void ParseCommandLineText(const std::string& commandLine);
    // Splits the argument text into name[=value] options, quotes grouping.
    virtual void ParseCommandLineArgs(const std::string& text);
    // Applies one option; an unknown one is fatal (popup, exit code 0).
    virtual void ParseCommandParam(const std::string& name, const std::string& value);
    // The numbered demo files prefix + N + ".dmo" in the working folder:
    // deletes the lowest when asked and `keep` or more exist; returns the
    // highest number, 0 when there is none.
    int ScanDemoFiles(const std::string& prefix, int keep, bool deleteOldest);

    // Entry i = min(i, 255): a channel plus an added term (at most 510)
    // indexes it for a saturated sum.
    uint8_t AddClampTable[512];

    CriticalSection critSect;
    DDInterface* ddInterface = nullptr; // owned; null until the display is made
    std::set<MemoryImage*> memoryImageSet;
    std::map<std::pair<std::string, std::string>, SharedImage> sharedImageMap; // owns the images
    bool sharedImagesDirty = false; // some shared image lost its last reference
    bool writeToDataCache = true; // newly loaded images go to the data cache
    std::map<std::string, std::u16string> stringTable;
    std::map<std::string, bool> booleanTable;
    std::map<std::string, int> integerTable;
    std::map<std::string, double> doubleTable;
    std::map<std::string, std::vector<std::u16string>> stringVectorTable;

    // Identity, settings and state. Flags that other threads read or set
    // are atomics.
    uint32_t randSeed = 0;
    std::string companyName;
    std::string fullCompanyName; // folder level of the user-data folder
    std::string productName = "Product"; // base of the notify and lock names
    std::string title = "LumoApp";
    std::string registryKey;
    std::string programDir; // folder of the executable; the working folder after Init
    int timingHoldMs = 0;
    int preferredX = -1;
    int preferredY = -1;
    int width = 640;
    int height = 480;
    double musicVolume = 0.85;
    double sfxVolume = 0.85;
    double savedMusicVolume = 0.0; // the player's volumes while a demo plays
    double savedSfxVolume = 0.0;
    bool noSound = false;
    bool useFMod = false;
    bool cmdLineParsed = false; // Init does not parse the command line when set
    std::unique_ptr<Plat::InstanceLock> mutex; // held while this is the single instance
    bool singleInstance = true;
    uint32_t notifyMessage = 0;
    WidgetManager* widgetManager = nullptr; // owned; made with the widget manager
    std::map<int, Dialog*> dialogMap; // owns the dialogs
    std::list<Dialog*> dialogList;    // the same dialogs in the order they were added
    std::thread::id primaryThreadId; // the thread that ran Init
    uint32_t primaryThreadNumber = 0; // the same thread as the system numbers it (0 until Init)
    bool crashed = false;
    std::atomic<bool> shutdown{false};
    std::atomic<bool> loopExit{false};
    bool windowed = true;
    bool physicallyWindowed = true;
    bool forceFullscreen = false;
    bool fullScreenFailed = false;
    bool initialized = false;
    uint32_t loadingStartTime;
    Plat::Window* mainWindow = nullptr;
    Plat::Window* invisWindow = nullptr; // the Linux side needs no invisible window: stays null
    bool isScreenSaver = false;
    bool noFlip = false;
    bool allowFlip = true;
    bool isTabletPC = false; // no tablet test: flipping stays allowed
    bool registryRead = false;
    MusicInterface* musicInterface = nullptr; // owned
    std::string productVersion;
    bool urlOpenPending = false;
    bool shutdownOnUrlOpen = false;
    std::string lastUrl;
    uint32_t displayChangeTime = 0;
    int muteCount = 0;
    int autoMuteCount = 0;
    bool autoMuteOnLostFocus = true;
    int frameTime = 10;
    bool isDrawing = false;
    double updateMultiplier = 1.0;
    int cursorKind = 0;
    SoundManager* soundManager = nullptr; // owned
    Plat::Cursor* handCursor = nullptr;
    Plat::Cursor* draggingCursor = nullptr;
    bool mouseIn = false;
    bool active = true;
    bool minimized = false;
    bool hasFocus = true;
    bool windowDisabled = false;
    uint32_t lastDrawTime;
    std::atomic<uint32_t> drawTimeStamp;
    std::atomic<int> drawCount{0};
    int redrawCount = 0;
    bool autoStartLoadingThread = true;
    std::atomic<bool> loadingThreadStarted{false};
    std::atomic<bool> loadingThreadCompleted{false};
    std::atomic<bool> loadingCompletedHandled{false};
    std::atomic<bool> yieldMainThread{false};
    std::atomic<bool> shutdownRequested{false};
    std::atomic<bool> cursorThreadRunning{false};
    bool customCursors = false;
    bool lastShutdownWasGraceful = true;
    bool recordingDemo = false;
    bool playingDemo = false;
    std::string demoPrefix = "lumoapp";
    std::string demoFileName;
    Buffer demoBuffer;
    std::atomic<int> demoMouseX{0};
    std::atomic<int> demoMouseY{0};
    bool demoBitsPending = true;
    bool allowMaximize = false;
    int refreshRate = 100;
    bool smoothUpdates = false;
    bool vsyncBroken = false;
    bool waitForVSync = false;
    bool sleepPacing = true;
    bool is3DSwitchedThisRun = false;
    bool ignoreStored3D = false;
    bool stored3DTaken = false;
    bool centerScreen = true;
    TRect<int> screenRect;
    bool aspectCorrection = false;
    Ratio windowAspect{4, 3};
    // Display set-up options that the display object reads at each start.
    int colorDepth = 16;          // bits per pixel of a full-screen mode
    bool stretchToAspect = false; // full screen, 3-D: the draw surface takes the desktop's shape
    bool auto3D = false;          // 3-D goes on when the 3-D test passes without warning
    bool test3D = false;          // the first display start runs the 3-D test
    int minVidMemory3D = 0;       // MB of video memory the 3-D test requires
    int recVidMemory3D = 0;       // MB it recommends
    TRect<int> presentationRect;  // the display's presentation rectangle, copied at each start
    ResourceManager* resourceManager; // owned; made with the resource manager

    // Demo playback state used by start-up.
    int updateCount = 0; // updates run so far
    int32_t demoNextUpdate = 0; // update of the record whose header was read last
    bool demoShortForm = false;
    int32_t demoCommand = 0;
    int32_t demoTotalUpdates = 0;
    bool demoClosing = false; // the window closed during playback: no record is consumed any more
    bool demoLoadingCompleted = false; // playback: the loading-completed record was replayed
    std::vector<DemoMarker> demoMarkers;
    bool demoDiverged = false; // playback: a record did not match the query that took it
    Plat::ByteWriter demoFileWriter; // writes the demo file's bytes; empty: the default (tests cut saves short)
    bool demoStreamFull = false; // recording: the stream reached its size limit and stopped
    // Set while a caller reaches the settings through code of its own (the
    // 3-D test's cache, which playback skips): nothing it asks is recorded.
    bool demoLeftAlone = false;
    std::atomic<int> nextTransferId{1}; // HTTP transfer ids, counted from the application's start

    // Main loop and timing; times are milliseconds of the clock.
    int vsyncFastCount = 0;
    uint32_t vsyncCheckTick = 0;
    int vsyncCheckUpdates = 0;
    double updateTimeAccum = 0.0; // never more than 200.0
    uint32_t lastTimingTick = 0;  // 0: not started
    double updateFraction = 0.0;
    int loopState = 0; // 0 messages, 1 update or draw, 2 fractional updates, 3 pass finished
    int loopDepth = 0;
    int stepMode = 0; // 0 run, 1 one step then pause, 2 paused
    int updatesSinceDraw = 0;
    bool updatedSinceDraw = true;
    bool lastDrawSkipped = false;
    bool forceRedraw = false;
    int sleepCount = 0;
    int drawTime = 0;
    int screenBltTime = 0;
    bool inMainLoop = false;
    bool demoPaused = false;
    int64_t demoTargetUpdate = 0; // 64 bits: targets counted back from the end may lie far below 0
    bool demoRunToEnd = false;
    bool demoStepDraw = false;
    bool demoMuted = false;
    std::list<std::pair<int, Widget*>> deleteQueue; // (loop depth, widget)
    int32_t loadingTasksDone = 0;
    int32_t loadingTasksTotal = 0;

    // Window messages.
    std::list<Plat::WindowMessage> deferredMessages;
    bool ctrlDown = false;
    bool altDown = false;
    bool allowAltEnter = true;
    uint32_t lastTimerTick = 0;
    uint32_t lastInputTime = 0;
    bool windowIconic = false;
    bool debugKeysEnabled = false; // toggled by Ctrl+Alt+D
    bool shiftDown = false; // the real Shift key, kept by the window procedure like ctrlDown and altDown
    uint32_t timerResumeTick = 0;  // timer messages came back after a gap of more than 500 ms
    uint32_t urlOpenTime = 0;      // the last URL went to the browser
    uint32_t lastMonitorPowerTick = 0; // the last request to power the monitor down
    int lastMouseMessageX = 0; // position of the last mouse message (clamped as a demo records it)
    int lastMouseMessageY = 0;
    bool pointerOverWindow = false; // the pointer is over the main window (no leave since its last move)

    // Debug overlays. Their images and fonts are made at the first refresh
    // and owned here; they go before the display.
    bool showOverlay = false;
    int overlayMode = 0; // 0 frame rate, 1 mouse position
    DDImage* overlayImage = nullptr;
    DDImage* demoTimeImage = nullptr;
    Font* overlayFont = nullptr;
    Font* demoTimeFont = nullptr;
    std::string overlayText; // what the images show now
    std::string demoTimeText;
    PerfTimer fpsTimer; // since the frame rate was last computed
    int fpsCalls = 0;   // overlay refreshes since then
    int fpsValue = 0;
    bool fpsRestart = false; // the next refresh restarts the count and shows 0
    uint32_t demoTimeTick = 0; // clock of the last demo-time refresh

    // Input, cursor and screen saver.
    Image* cursorImages[13] = {}; // software cursor of each kind; not owned
    bool videoOnlyDraw = false;   // the display option
    uint32_t lastScreenSaverCheck = 0; // when the loop last ran the idle check

protected:
    // The image of a new shared entry, owned by the table: a new empty image
    // for a name beginning with "!", else the loaded file (null when it
    // cannot be loaded). Called outside the lock, with the name as given.
    virtual Image* LoadSharedImage(const std::string& fileName);

protected:
    // Starts a framework thread on the entry; false when it cannot start.
    virtual bool LaunchThread(std::thread& thread, void (*entry)(LumoAppBase*));

private:
    // A queued mouse message: move, then the button.
    void HandleMouseMessage(const Plat::WindowMessage& msg);
    // A queued key-down: Alt+Enter, Ctrl+Alt+D, the debug keys, the widgets.
    void HandleKeyDownMessage(const Plat::WindowMessage& msg);
    // A queued timer message: the timer's tick, a pending URL, the mouse's presence.
    void HandleTimerMessage();
    // The hand and dragging cursors from their masks (none without video).
    void MakeHandCursors();
    void FreeHandCursors();
    // The display's critical section, or the application's own while there
    // is no display.
    CriticalSection& ImageLock();
    // Deletes the overlay images and fonts.
    void FreeOverlays();
    // Ends a framework thread that has said it is done.
    static void JoinThread(std::thread& thread);

    NativeDisplay mDefaultDisplay;
    bool mVideoStarted = false; // Init started the video side; the destructor stops it
    bool mAudioStarted = false;
    std::thread mLoadingThread;
    std::thread mCursorThread;
};

namespace detail {
// The bytes and format code (1 A8R8G8B8, 2 A4R4G4B4, 4 R5G6B5, 8 Palette8)
// of the image's 3-D texture; false when it has none.
bool GetTextureMemory(const MemoryImage* image, int64_t& bytes, int& format);
// Makes the next error-log line start the file afresh, as at a new run.
void ResetScrErrorLog();
// Forgets what the screen-saver logic learnt, as at a new run.
void ResetScreenSaverState();
// The idle time after which the desktop's screen saver counts as running.
uint32_t ScreenSaverTimeout();
} // namespace detail

} // namespace Lumo
