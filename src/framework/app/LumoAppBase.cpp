// The application object: construction and destruction, start-up,
// shut-down and exit, the worker threads, the fatal-error popups, the demo
// file's opening, image bookkeeping and property tables.
#include "framework/app/LumoAppBase.h"
#include "platform/system/CrashSignals.h"
#include "platform/system/ThreadId.h"

#include "framework/app/DemoFormat.h"
#include "framework/app/LeakTracker.h"
#include "framework/app/ProductVersion.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/core/AppDataFolder.h"
#include "framework/core/Debug.h"
#include "framework/sound/MusicInterface.h"
#include "framework/core/PakClient.h"
#include "framework/core/PakInterface.h"
#include "framework/core/PathUtils.h"
#include "framework/core/Random.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/SoundManager.h"
#include "framework/core/StringUtils.h"
#include "framework/core/SystemVersion.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/system/Clock.h"
#include "platform/files/FileSystem.h"
#include "platform/system/MediaProbe.h"
#include "platform/system/MessageBox.h"
#include "platform/system/ProcessControl.h"
#include "platform/system/SingleInstance.h"
#include "platform/window/WindowSystem.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <system_error>

namespace Lumo {

LumoAppBase* gLumoAppBase = nullptr;
LumoAppBase* gCrashApp = nullptr;
std::atomic<bool> gDisplayLost{false};

namespace {

// The log is started afresh by the first message of a run.
std::atomic<bool> gScrErrorFirstWrite{true};


uint32_t Now()
{
    return Plat::GetClock().TickCount();
}

void Sleep(uint32_t milliseconds)
{
    Plat::GetClock().Sleep(milliseconds);
}

// Bounds-checked little-endian reads over a file's bytes.
class ByteReader {
public:
    explicit ByteReader(const std::vector<uint8_t>& bytes) : mBytes(bytes) {}

    size_t Position() const { return mPos; }
    size_t Remaining() const { return mBytes.size() - mPos; }
    bool ReadU16(uint32_t& value)
    {
        if (Remaining() < 2)
            return false;
        value = mBytes[mPos] | (static_cast<uint32_t>(mBytes[mPos + 1]) << 8);
        mPos += 2;
        return true;
    }
    bool ReadU32(uint32_t& value)
    {
        if (Remaining() < 4)
            return false;
        value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(mBytes[mPos + i]) << (8 * i);
        mPos += 4;
        return true;
    }
    const uint8_t* Take(size_t count)
    {
        if (Remaining() < count)
            return nullptr;
        const uint8_t* data = mBytes.data() + mPos;
        mPos += count;
        return data;
    }

private:
    const std::vector<uint8_t>& mBytes;
    size_t mPos = 0;
};

bool ReadWholeFile(const std::string& fileName, std::vector<uint8_t>& bytes)
{
    FILE* file = Plat::GetFileSystem().OpenFile(fileName, "rb");
    if (file == nullptr)
        return false;
    uint8_t chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return true;
}

} // namespace

namespace detail {
void ResetScrErrorLog()
{
    gScrErrorFirstWrite = true;
}
} // namespace detail

LumoAppBase::LumoAppBase()
{
    gLumoAppBase = this;

    // The original loaded its system libraries here. The J2K codec is ours;
    // video and audio are started by Init (an object that is never started
    // touches no device), the idle-time query needs nothing.
    ImageLib::LoadJ2KCodec();

    // Our own version is the one stamped into this program: no need to read
    // it back from the file.
    productVersion = BuiltProductVersion();
    // The working folder stands in for the folder of the executable: the
    // program runs where its data is.
    programDir = RemoveTrailingSlash(Plat::GetFileSystem().CurrentFolder());

    loadingStartTime = Now();
    lastDrawTime = Now();
    drawTimeStamp = lastDrawTime;

    for (int i = 0; i < 512; ++i) {
        AddClampTable[i] = static_cast<uint8_t>(i < 256 ? i : 255);
    }

    SetString("DIALOG_BUTTON_OK", u"OK");
    SetString("DIALOG_BUTTON_CANCEL", u"CANCEL");
    SetString("UPDATE_CHECK_TITLE", u"Update Check");
    SetString("UPDATE_CHECK_BODY", u"Checking if there are any updates available for this product ...");
    SetString("UP_TO_DATE_TITLE", u"Up to Date");
    SetString("UP_TO_DATE_BODY", u"There are no updates available for this product at this time.");
    SetString("NEW_VERSION_TITLE", u"New Version");
    SetString("NEW_VERSION_BODY",
              u"There is an update available for this product.  Would you like to visit the web site to download it?");

    demoFileName = demoPrefix + ".dmo";

    widgetManager = new WidgetManager(this);
    resourceManager = new ResourceManager(this);

    gCrashApp = this;
    RefreshCrashContext();
}

LumoAppBase::~LumoAppBase()
{
    Shutdown();
    // A destructor on another thread only asked for the shut-down; the
    // cursor thread must still end before the object goes.
    if (mCursorThread.joinable()) {
        shutdown = true;
        while (cursorThreadRunning)
            Sleep(10);
        JoinThread(mCursorThread);
    }

    // Both questions about keeping 3-D share the box's title and buttons.
    auto askKeep3D = [this](const std::string& text) {
        const std::string boxTitle =
            companyName + " " + GetString("HARDWARE_ACCEL_CONFIRMATION", "Hardware Acceleration Confirmation");
        return Plat::GetMessageBoxes().Show(nullptr, text, boxTitle, Plat::kMbYesNo | Plat::kMbIconQuestion) ==
               Plat::kIdYes;
    };
    // Hardware acceleration switched during the run: keep the choice, asking
    // first when the display's 3-D test did not vouch for it.
    bool asked = false;
    if (is3DSwitchedThisRun) {
        bool stored = false;
        bool write = true;
        if (!RegistryReadBoolean("Is3D", stored) && !Is3DRecommended()) {
            if (!Is3DAccelerated()) {
                write = false;
            } else {
                asked = true;
                const bool yes = askKeep3D(GetString(
                    "HARDWARE_ACCEL_SWITCHED_ON",
                    "Hardware Acceleration was switched on during this session.\r\nIf this resulted in slower "
                    "performance, it should be switched off.\r\nWould you like to keep Hardware Acceleration "
                    "switched on?"));
                if (ddInterface != nullptr)
                    ddInterface->mIs3D = yes;
                write = yes;
            }
        }
        if (write)
            RegistryWriteInteger("Is3D", Is3DAccelerated() ? 1 : 0);
    }
    // 3-D failed during the run: a "No" keeps it off at the next start, where
    // it would otherwise fail again.
    if (!asked && gD3DTrouble && !isScreenSaver) {
        if (!askKeep3D(GetString("HARDWARE_ACCEL_NOT_WORKING",
                                 "Hardware Acceleration may not have been working correctly during this session.\r\n"
                                 "If you noticed graphics problems, you may want to turn off Hardware "
                                 "Acceleration.\r\nWould you like to keep Hardware Acceleration switched on?")))
            RegistryWriteInteger("Is3D", 0);
    }

    // Open dialogs leave the manager before it goes; dialogs killed but not
    // yet deleted go with them.
    for (auto& entry : dialogMap) {
        if (widgetManager != nullptr)
            widgetManager->RemoveWidget(entry.second);
        delete entry.second;
    }
    dialogMap.clear();
    dialogList.clear();
    for (auto& queued : deleteQueue)
        delete queued.second;
    deleteQueue.clear();
    delete widgetManager;
    widgetManager = nullptr;
    // Its records hold shared images and sounds: release them first.
    delete resourceManager;
    resourceManager = nullptr;

    // The shared images go before the display: their destructors still
    // take its lock.
    for (auto& entry : sharedImageMap) {
        delete entry.second.mImage;
        entry.second.mImage = nullptr;
    }
    sharedImageMap.clear();

    // The overlays are surface images of the display.
    FreeOverlays();

    delete ddInterface;
    ddInterface = nullptr;
    delete musicInterface;
    musicInterface = nullptr;
    delete soundManager;
    soundManager = nullptr;
    if (mainWindow != nullptr) {
        mainWindow->SetUserData(nullptr);
        delete mainWindow;
        mainWindow = nullptr;
    }
    FreeHandCursors();

    WaitForLoadingThread();

    if (gLumoAppBase == this) {
        gLumoAppBase = nullptr;
    }
    WriteDemoFile();

    mutex.reset();
    if (mVideoStarted)
        Plat::GetMediaProbe().StopVideo();
    if (mAudioStarted)
        Plat::GetMediaProbe().StopAudio();
    if (gCrashApp == this) {
        gCrashApp = nullptr;
        // Nothing of this object may be read at a later crash.
        Plat::SetCrashDemo(Plat::CrashDemoView());
        Plat::SetCrashContext(std::string());
    }
}

// ---- Start-up

void LumoAppBase::Init()
{
    primaryThreadId = std::this_thread::get_id();
    primaryThreadNumber = Plat::CurrentThreadId();
    if (shutdown)
        return;

    // The display and sound libraries of the original: here, whether SDL's
    // video and audio can start. No video ends the run; no audio only turns
    // the framework's sound off.
    Plat::MediaProbe& probe = Plat::GetMediaProbe();
    mVideoStarted = probe.StartVideo();
    mAudioStarted = probe.StartAudio();
    if (!mVideoStarted) {
        const std::string text = GetString("APP_REQUIRES_DIRECTX",
                                           "This application requires DirectX to run.  You can get DirectX at "
                                           "https://www.libsdl.org/");
        Plat::GetMessageBoxes().Show(nullptr, text, GetString("YOU_NEED_DIRECTX", "You need DirectX"),
                                     Plat::kMbIconError);
        DoExit(0);
    }
    if (!mAudioStarted)
        noSound = true;

    PropertiesHook();
    ReadFromRegistry();

    if (IsWindowsVersion6OrLater()) {
        SetAppDataFolder(DefaultAppDataFolder(fullCompanyName, productName));
        // The leak report is written during static destruction, so its
        // place is fixed now.
        if (gLeakTracker.reportAtExit)
            MkDir(GetAppDataFolder());
        SetLeakReportFolder(GetAppDataFolder().c_str());
        // Names that already say where they are stay as they are: a drive
        // ("c:..."), a drive root ("..\\..."), or a root of this system.
        const bool absolute = (demoFileName.size() >= 2 && demoFileName[1] == ':') ||
                              (demoFileName.size() >= 3 && demoFileName[2] == '\\') ||
                              (!demoFileName.empty() && demoFileName[0] == '/');
        if (!absolute)
            demoFileName = GetAppDataFolder() + demoFileName;
    }

    // A crash from here on reports into the user-data folder.
    RefreshCrashContext();
    if (!cmdLineParsed)
        ParseCommandLine();
    if (isScreenSaver)
        singleInstance = false;

    // The module handle of the original: nothing on this side.
    if (!ChangeDirectoryHook(programDir))
        Plat::GetFileSystem().SetCurrentFolder(programDir);

    if (PakInterface* pak = GetPakInterface())
        pak->AddPakFile("main.pak");

    Plat::SingleInstance& instance = Plat::GetSingleInstance();
    notifyMessage = instance.RegisterMessage(productName + "Notify");
    bool alreadyExists = false;
    mutex = instance.CreateLock(productName + "Mutex", alreadyExists);
    if (alreadyExists)
        HandleAlreadyRunning();

    randSeed = Now();
    SeedRandom(randSeed);

    if (playingDemo) {
        std::string error;
        if (!OpenDemoFile(error)) {
            playingDemo = false;
            FatalErrorPopup(error);
            DoExit(0);
        }
    }

    std::srand(Now());

    // Window classes and the invisible window of the original: nothing here
    // (the window layer keeps its own state; notify messages arrive through
    // the single-instance socket).
    MakeHandCursors();

    BeforeScreenModeHook();

    // The widget manager's mouse remapping (0, 0, width, height both ways)
    // is set here once the widget manager exists.

    if (windowed) {
        int fullWidth = 0;
        int fullHeight = 0;
        if (GetFullScreenClientSize(fullWidth, fullHeight) && (width >= fullWidth || height >= fullHeight)) {
            windowed = false;
            forceFullscreen = true;
        }
    }

    MakeWindow();

    if (playingDemo) {
        // The display record of the recording's first display start; the
        // display is not switched.
        if (DemoSkipToDisplayRecord()) {
            demoBitsPending = true;
            windowed = demoBuffer.ReadBoolean();
            refreshRate = demoBuffer.ReadByte();
        } else {
            demoDiverged = true;
        }
    }

    if (soundManager == nullptr)
        soundManager = CreateSoundManager(noSound ? nullptr : mainWindow, useFMod);

    SetSfxVolume(sfxVolume);
    musicInterface = CreateMusicInterface(invisWindow);
    SetMusicVolume(musicVolume);

    if (isScreenSaver) {
        cursorKind = 11;
        EnforceCursor();
    }

    InitHook();
    initialized = true;
    RefreshCrashContext();
}

bool LumoAppBase::ChangeDirectoryHook(const std::string& /*dir*/)
{
    return false;
}

// ---- Shut-down and exit

void LumoAppBase::Shutdown()
{
    if (primaryThreadId != std::thread::id() && std::this_thread::get_id() != primaryThreadId) {
        shutdownRequested = true;
        return;
    }
    if (shutdown.exchange(true))
        return;
    loopExit = true;

    ShutdownHook();

    if (playingDemo) {
        SetMusicVolume(savedMusicVolume);
        SetSfxVolume(savedSfxVolume);
    }

    // The cursor thread ends by itself once `shutdown` is set.
    while (cursorThreadRunning)
        Sleep(10);
    JoinThread(mCursorThread);

    // Stopping the music and restoring the desktop's display mode after
    // full screen come with the music interface and the display.
    if (mainWindow != nullptr)
        mainWindow->Show(Plat::kSwHide);

    if (registryRead)
        WriteToRegistry();

    ImageLib::FreeJ2KCodec();
}

void LumoAppBase::DoExit(int code)
{
    Plat::ExitProcess(code);
}

bool LumoAppBase::HandleAlreadyRunning()
{
    if (singleInstance) {
        if (notifyMessage != 0)
            Plat::GetSingleInstance().BroadcastMessage(notifyMessage, 0, 0);
        DoExit(0);
    }
    return singleInstance;
}

void LumoAppBase::RestoreAndActivate(uintptr_t kind, intptr_t /*param*/)
{
    if (kind != 0 || mainWindow == nullptr)
        return;
    // Restoring a minimised main window and bringing it to the front come
    // with the window layer.
}

void LumoAppBase::ProcessNotifyMessages()
{
    Plat::SingleInstance& instance = Plat::GetSingleInstance();
    uint32_t message = 0;
    uintptr_t kind = 0;
    intptr_t param = 0;
    while (instance.ReceiveMessage(message, kind, param)) {
        if (notifyMessage != 0 && message == notifyMessage)
            RestoreAndActivate(kind, param);
    }
}

// ---- Worker threads

bool LumoAppBase::LaunchThread(std::thread& thread, void (*entry)(LumoAppBase*))
{
    try {
        thread = std::thread([this, entry] {
            // A stack overflow on this thread can still be reported.
            if (Plat::CrashSignalsInstalled())
                Plat::AddCrashStackForThread();
            entry(this);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void LumoAppBase::JoinThread(std::thread& thread)
{
    if (thread.joinable() && thread.get_id() != std::this_thread::get_id())
        thread.join();
}

void LumoAppBase::StartLoadingThread()
{
    if (loadingThreadStarted)
        return;
    yieldMainThread = true;
    loadingThreadStarted = true;
    // A thread that does not start would leave the flags set and every
    // wait for it hanging.
    if (!LaunchThread(mLoadingThread, &LoadingThreadMain)) {
        loadingThreadStarted = false;
        yieldMainThread = false;
    }
}

void LumoAppBase::LoadingThreadMain(LumoAppBase* app)
{
    app->LoadingThreadProc();
    const uint32_t elapsed = Now() - app->loadingStartTime;
    OutputDebug("Resource Loading Time: %d\r\n", static_cast<int>(elapsed));
    app->loadingThreadCompleted = true;
}

void LumoAppBase::WaitForLoadingThread()
{
    while (loadingThreadStarted && !loadingThreadCompleted)
        Sleep(20);
    JoinThread(mLoadingThread);
}

void LumoAppBase::StartCursorThread()
{
    if (cursorThreadRunning)
        return;
    JoinThread(mCursorThread); // one that ended before
    cursorThreadRunning = true;
    if (!LaunchThread(mCursorThread, &CursorThreadMain))
        cursorThreadRunning = false;
}

void LumoAppBase::CursorThreadMain(LumoAppBase* app)
{
    int drawnX = 0;
    int drawnY = 0;
    while (!app->shutdown) {
        int x = 0;
        int y = 0;
        bool known = true;
        if (app->playingDemo) {
            x = app->demoMouseX;
            y = app->demoMouseY;
        } else {
            known = app->GetMouseClientPos(x, y);
        }
        if (known) {
            if (app->drawCount != 0)
                app->GetSoftwareCursorPos(drawnX, drawnY);
            if (x != drawnX || y != drawnY) {
                // Right after a presented frame the next frame draws the
                // cursor; moving it now would draw twice in one frame time.
                const uint32_t sinceDraw = Now() - app->drawTimeStamp;
                if (!gDisplayLost && sinceDraw > static_cast<uint32_t>(app->GetDisplayFrameMs() + 5)) {
                    app->MoveSoftwareCursor(x, y);
                    drawnX = x;
                    drawnY = y;
                } else {
                    app->SetPendingCursorPos(x, y);
                }
            }
        }
        Sleep(10);
    }
    app->cursorThreadRunning = false;
}

// ---- Fatal errors

void LumoAppBase::FatalErrorPopup(const std::u16string& text)
{
    if (isScreenSaver) {
        WriteScrErrorLog(WStringToString(text));
        return;
    }
    PrepareForGDIDialog();
    if (!shutdown) {
        const std::u16string boxTitle = StringToWString(GetString("FATAL_ERROR", "FATAL ERROR"));
        Plat::GetMessageBoxes().Show(mainWindow, text, boxTitle, Plat::kMbIconError);
    }
    ResetTiming();
}

void LumoAppBase::FatalErrorPopup(const std::string& text)
{
    if (isScreenSaver) {
        WriteScrErrorLog(text);
        return;
    }
    PrepareForGDIDialog();
    if (!shutdown) {
        Plat::GetMessageBoxes().Show(mainWindow, text, GetString("FATAL_ERROR", "FATAL ERROR"),
                                     Plat::kMbIconError);
    }
    ResetTiming();
}

void LumoAppBase::WriteScrErrorLog(const std::string& text)
{
    const char* mode = gScrErrorFirstWrite.exchange(false) ? "w" : "a+";
    const std::string folder = GetAppDataFolder();
    if (!folder.empty())
        MkDir(folder);
    FILE* file = Plat::GetFileSystem().OpenFile(folder + "ScrError.txt", mode);
    if (file == nullptr)
        return;

    char clock[16] = "00:00:00";
    {
        // localtime's result is shared by the whole process.
        static std::mutex timeLock;
        std::lock_guard<std::mutex> lock(timeLock);
        const std::time_t now = std::time(nullptr);
        if (const std::tm* local = std::localtime(&now))
            std::strftime(clock, sizeof(clock), "%H:%M:%S", local);
    }
    std::fprintf(file, "%s %s %u\n", text.c_str(), clock, static_cast<unsigned>(Now()));
    std::fclose(file);
}

// ---- Operations that later parts fill in

// CreateMusicInterface and CreateSoundManager: LumoAppBaseSound.cpp
// Volumes, muting, effects and image loading: LumoAppBaseMedia.cpp

std::string LumoAppBase::GetProductVersion(const std::string& path)
{
    return ReadProductVersion(path);
}

bool LumoAppBase::GetFullScreenClientSize(int& width, int& height)
{
    return Plat::GetWindowSystem().GetFullScreenClientSize(width, height);
}

bool LumoAppBase::GetMouseClientPos(int& x, int& y)
{
    // The window keeps the last position its events brought. The lock keeps
    // the main thread from replacing the window meanwhile.
    AutoCrit lock(critSect);
    return mainWindow != nullptr && mainWindow->GetCursorClientPos(x, y);
}

bool LumoAppBase::GetSoftwareCursorPos(int& /*x*/, int& /*y*/)
{
    return false;
}

void LumoAppBase::MoveSoftwareCursor(int /*x*/, int /*y*/) {}

void LumoAppBase::SetPendingCursorPos(int /*x*/, int /*y*/) {}

int LumoAppBase::GetDisplayFrameMs()
{
    return 1000 / (refreshRate > 0 ? refreshRate : 60);
}

// ---- Demo file

bool LumoAppBase::OpenDemoFile(std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(demoFileName, bytes)) {
        error = "Demo file not found: " + demoFileName;
        return false;
    }
    const std::string invalid = "Invalid demo file.";
    ByteReader reader(bytes);

    uint32_t magic = 0;
    if (!reader.ReadU32(magic) || magic != kDemoMagic) {
        error = invalid;
        return false;
    }
    uint32_t version = 0;
    uint32_t seed = 0;
    if (!reader.ReadU32(version) || !reader.ReadU32(seed)) {
        error = invalid;
        return false;
    }
    randSeed = seed;
    SeedRandom(randSeed);

    uint32_t versionLength = 0;
    if (!reader.ReadU16(versionLength)) {
        error = invalid;
        return false;
    }
    if (versionLength > 255)
        versionLength = 255;
    const uint8_t* versionBytes = reader.Take(versionLength);
    if (versionBytes == nullptr) {
        error = invalid;
        return false;
    }
    std::string fileVersion(reinterpret_cast<const char*>(versionBytes), versionLength);
    fileVersion = fileVersion.substr(0, fileVersion.find('\0'));
    // An unstamped build on either side plays any demo.
    if (!fileVersion.empty() && !productVersion.empty() && fileVersion != productVersion) {
        error = "This demo file appears to be for '" + fileVersion + "'";
        return false;
    }

    int64_t remaining = static_cast<int64_t>(reader.Remaining());
    if (version >= 2) {
        uint32_t markerLength = 0;
        if (!reader.ReadU32(markerLength) || static_cast<int64_t>(markerLength) >= remaining - 4) {
            error = invalid;
            return false;
        }
        Buffer markers;
        markers.SetData(reader.Take(markerLength), static_cast<int>(markerLength));
        const uint32_t count = static_cast<uint32_t>(markers.ReadLong());
        uint32_t read = 0;
        while (read < count && !markers.AtEnd()) {
            DemoMarker marker;
            marker.name = markers.ReadString();
            marker.update = markers.ReadLong();
            demoMarkers.push_back(marker);
            ++read;
        }
        if (read < count) {
            error = invalid;
            return false;
        }
        remaining -= 4 + static_cast<int64_t>(markerLength);
    }

    uint32_t totalUpdates = 0;
    if (!reader.ReadU32(totalUpdates)) {
        error = invalid;
        return false;
    }
    const int64_t streamLength = remaining - 4;
    // Bit positions are ints: longer streams and totals past INT32_MAX are
    // not ours.
    if (streamLength <= 0 || streamLength > static_cast<int64_t>(reader.Remaining()) ||
        streamLength > static_cast<int64_t>(kMaxDemoStreamBytes) || totalUpdates > static_cast<uint32_t>(INT32_MAX)) {
        error = invalid;
        return false;
    }
    demoTotalUpdates = static_cast<int32_t>(totalUpdates);
    demoBuffer.WriteBytes(reader.Take(static_cast<size_t>(streamLength)), static_cast<int>(streamLength));
    demoBuffer.SeekFront();
    // A recording begins at update 0 with the display record of its first
    // display start (after that start's 3-D test synced its verdict).
    const bool beginsWithDisplay = DemoSkipToDisplayRecord();
    demoBuffer.SeekFront();
    demoNextUpdate = 0;
    demoBitsPending = true;
    demoDiverged = false;
    if (!beginsWithDisplay) {
        demoBuffer.Clear();
        error = invalid;
        return false;
    }
    return true;
}

bool LumoAppBase::DemoReadCommand()
{
    if (demoBitsPending) {
        demoNextUpdate += demoBuffer.ReadNumBits(4, false);
        demoShortForm = demoBuffer.ReadNumBits(1, false) == 1;
        demoCommand = demoBuffer.ReadNumBits(demoShortForm ? 1 : 5, false);
        demoBitsPending = false;
    }
    return updateCount == demoNextUpdate;
}

// ---- Images and tables

CriticalSection& LumoAppBase::ImageLock()
{
    return ddInterface != nullptr ? ddInterface->mCritSect : critSect;
}

void LumoAppBase::AddMemoryImage(MemoryImage* image)
{
    AutoCrit lock(ImageLock());
    memoryImageSet.insert(image);
}

void LumoAppBase::RemoveMemoryImage(MemoryImage* image)
{
    {
        AutoCrit lock(ImageLock());
        memoryImageSet.erase(image);
    }
    Remove3DData(image);
}

void LumoAppBase::Remove3DData(MemoryImage* image)
{
    if (ddInterface != nullptr) {
        ddInterface->RemoveImageData(image);
    }
}

bool LumoAppBase::Is3DAccelerated() const
{
    return ddInterface != nullptr && ddInterface->mIs3D;
}

NativeDisplay* LumoAppBase::GetNativeDisplay()
{
    if (ddInterface != nullptr) {
        return ddInterface;
    }
    return &mDefaultDisplay;
}

namespace {

// Guards SharedImage::mLoading. Another caller of an entry whose first caller
// is still loading its image waits here, outside the display lock, so that the
// loader (which takes that lock to register its images) is never held up and
// nobody reads the image while it is being stored.
std::mutex gSharedLoadMutex;
std::condition_variable gSharedLoadDone;

} // namespace

SharedImageRef LumoAppBase::GetSharedImage(const std::string& fileName, const std::string& variant, bool* isNew)
{
    const std::pair<std::string, std::string> key(StringToUpper(fileName), StringToUpper(variant));
    SharedImageRef ref;
    SharedImage* record = nullptr;
    bool inserted = false;
    {
        AutoCrit lock(ImageLock());
        auto result = sharedImageMap.try_emplace(key);
        record = &result.first->second;
        inserted = result.second;
        ref = record;
        if (inserted) {
            // Marked before the lock is left, so every later caller sees it.
            std::lock_guard<std::mutex> loading(gSharedLoadMutex);
            record->mLoading = true;
        }
    }
    // Loading runs outside the lock; the reference taken above keeps the
    // entry from being cleaned meanwhile.
    if (inserted) {
        Image* image = LoadSharedImage(fileName);
        std::lock_guard<std::mutex> loading(gSharedLoadMutex);
        record->mImage = image;
        record->mLoading = false;
        gSharedLoadDone.notify_all();
    } else {
        std::unique_lock<std::mutex> loading(gSharedLoadMutex);
        gSharedLoadDone.wait(loading, [record] { return !record->mLoading; });
    }
    if (isNew != nullptr) {
        *isNew = inserted;
    }
    return ref;
}

SharedImageRef LumoAppBase::SetSharedImage(const std::string& fileName, const std::string& variant, Image* image,
                                           bool* isNew)
{
    const std::pair<std::string, std::string> key(StringToUpper(fileName), StringToUpper(variant));
    SharedImageRef ref;
    bool inserted = false;
    {
        AutoCrit lock(ImageLock());
        auto result = sharedImageMap.try_emplace(key);
        inserted = result.second;
        if (inserted) {
            result.first->second.mImage = image;
        }
        ref = &result.first->second;
    }
    if (isNew != nullptr) {
        *isNew = inserted;
    }
    return ref;
}

void LumoAppBase::CleanSharedImages()
{
    AutoCrit lock(ImageLock());
    if (!sharedImagesDirty) {
        return;
    }
    for (auto it = sharedImageMap.begin(); it != sharedImageMap.end();) {
        if (it->second.mRefCount <= 0) {
            delete it->second.mImage;
            it = sharedImageMap.erase(it);
        } else {
            ++it;
        }
    }
    sharedImagesDirty = false;
}

void LumoAppBase::SetString(const std::string& id, const std::u16string& value)
{
    stringTable[id] = value;
}

void LumoAppBase::SetBoolean(const std::string& id, bool value)
{
    booleanTable[id] = value;
}

void LumoAppBase::SetInteger(const std::string& id, int value)
{
    integerTable[id] = value;
}

void LumoAppBase::SetDouble(const std::string& id, double value)
{
    doubleTable[id] = value;
}

} // namespace Lumo
