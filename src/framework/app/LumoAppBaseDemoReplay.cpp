// Demo playback and the rest of recording: the replay of the records due at
// an update, the sync records of values without an operation of their own,
// the checks that keep a diverging replay from garbling the stream, and the
// demo file's writer.
#include "framework/app/LumoAppBase.h"

#include "framework/core/Debug.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/files/FileSystem.h"

#include <cstring>
#include <thread>
#include <vector>

namespace Lumo {

namespace {

constexpr uint32_t kDemoMagic = 0x42BEEF78;
constexpr uint32_t kDemoVersion = 2;
// No record is shorter: a 10-bit long-form header without data.
constexpr int kShortestRecordBits = 10;
// Bit positions are ints: the stream stops growing well before they overflow.
constexpr int kMaxDemoStreamBytes = 1 << 28;

// Long-form commands.
constexpr int kMouseMoveAbsolute = 0;
constexpr int kActivate = 1;
constexpr int kSize = 2;
constexpr int kKeyDown = 3;
constexpr int kKeyUp = 4;
constexpr int kChar = 5;
constexpr int kClose = 6;
constexpr int kMouseEnter = 7;
constexpr int kMouseLeave = 8;
constexpr int kLoadingCompleted = 9;
constexpr int kRegistryRead = 11;
constexpr int kRegistryWrite = 12;
constexpr int kFileExists = 14;
constexpr int kFileRead = 15;
constexpr int kFileWrite = 16;
constexpr int kHttpStatus = 17;
constexpr int kSyncBuffer = 18;
constexpr int kMouseWheel = 21;
constexpr int kDisplaySetup = 23;
constexpr int kFiller = 31;

void AppendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Skips n recorded bytes; false when the stream holds fewer.
bool SkipBytes(Buffer& stream, uint32_t count)
{
    const int64_t bitsLeft = static_cast<int64_t>(stream.GetDataLen()) * 8 - stream.GetReadPos();
    if (static_cast<int64_t>(count) * 8 > bitsLeft) {
        stream.SetReadPos(stream.GetDataLen() * 8);
        return false;
    }
    stream.SetReadPos(stream.GetReadPos() + static_cast<int>(count) * 8);
    return true;
}

} // namespace

// ---- Taking part in the demo

bool LumoAppBase::DemoRecordsNow()
{
    if (!recordingDemo || demoStreamFull)
        return false;
    if (primaryThreadId != std::thread::id() && std::this_thread::get_id() != primaryThreadId)
        return false; // the stream belongs to the main thread
    if (demoBuffer.GetDataLen() >= kMaxDemoStreamBytes) {
        demoStreamFull = true;
        OutputDebug("Demo stream full: recording stops at update %d\r\n", updateCount);
        return false;
    }
    return true;
}

bool LumoAppBase::DemoPlaysNow() const
{
    return playingDemo &&
           (primaryThreadId == std::thread::id() || std::this_thread::get_id() == primaryThreadId);
}

bool LumoAppBase::DemoStreamEnded() const
{
    if (!demoBitsPending)
        return false;
    const int64_t bitsLeft = static_cast<int64_t>(demoBuffer.GetDataLen()) * 8 - demoBuffer.GetReadPos();
    return bitsLeft < kShortestRecordBits;
}

bool LumoAppBase::DemoTakeSyncRecord(int command)
{
    if (demoClosing || DemoStreamEnded())
        return false;
    if (!DemoReadCommand() || demoShortForm || demoCommand != command) {
        // Not what the recorded run asked here: the record stays for the
        // query it belongs to, and the caller answers without it.
        demoDiverged = true;
        return false;
    }
    demoBitsPending = true;
    return true;
}

// ---- Sync records

void LumoAppBase::DemoSyncBuffer(Buffer& data)
{
    if (DemoPlaysNow()) {
        if (!DemoTakeSyncRecord(kSyncBuffer))
            return;
        const uint32_t size = static_cast<uint32_t>(demoBuffer.ReadLong());
        const int64_t bitsLeft = static_cast<int64_t>(demoBuffer.GetDataLen()) * 8 - demoBuffer.GetReadPos();
        if (static_cast<int64_t>(size) * 8 > bitsLeft) {
            demoDiverged = true;
            demoBuffer.SetReadPos(demoBuffer.GetDataLen() * 8);
            return;
        }
        data.Clear();
        for (uint32_t i = 0; i < size; ++i)
            data.WriteByte(demoBuffer.ReadByte());
        data.SeekFront();
        return;
    }
    if (DemoRecordsNow()) {
        DemoWriteUpdateDelta();
        demoBuffer.WriteNumBits(0, 1);
        demoBuffer.WriteNumBits(kSyncBuffer, 5);
        demoBuffer.WriteLong(data.GetDataLen());
        demoBuffer.WriteBytes(data.GetDataPtr(), data.GetDataLen());
    }
}

void LumoAppBase::DemoSyncBool(bool& value)
{
    Buffer buffer;
    buffer.WriteBoolean(value);
    DemoSyncBuffer(buffer);
    buffer.SeekFront();
    value = buffer.ReadBoolean();
}

void LumoAppBase::DemoSyncString(std::string& value)
{
    Buffer buffer;
    buffer.WriteString(value);
    DemoSyncBuffer(buffer);
    buffer.SeekFront();
    value = buffer.ReadString();
}

// ---- Replay

void LumoAppBase::HandleLoadingCompleted()
{
    if (loadingCompletedHandled)
        return;
    // The main thread's priority goes back to normal here (priorities do
    // nothing on this side).
    loadingCompletedHandled = true;
    yieldMainThread = false;
    LoadingThreadCompleted();
}

void LumoAppBase::DemoReplayEvents()
{
    if (!playingDemo || shutdown)
        return;
    // The completion's own demo-aware calls follow its record: nothing
    // further is replayed before it has been handled.
    if (demoLoadingCompleted && !loadingCompletedHandled) {
        if (!loadingThreadCompleted)
            return;
        HandleLoadingCompleted();
    }

    while (updateCount == demoNextUpdate && !shutdown) {
        if (DemoStreamEnded())
            return;
        if (!DemoReadCommand())
            return;
        demoBitsPending = true;
        int x = demoMouseX;
        int y = demoMouseY;
        if (demoShortForm) {
            if (demoCommand == 0) {
                x += demoBuffer.ReadNumBits(6, true);
                y += demoBuffer.ReadNumBits(6, true);
                demoMouseX = x;
                demoMouseY = y;
                if (widgetManager != nullptr) {
                    widgetManager->RemapMouse(x, y);
                    widgetManager->MouseMove(x, y);
                }
            } else {
                const bool down = demoBuffer.ReadNumBits(1, false) != 0;
                const int clickCount = demoBuffer.ReadNumBits(3, true);
                if (widgetManager != nullptr) {
                    widgetManager->RemapMouse(x, y);
                    if (down)
                        widgetManager->MouseDown(x, y, clickCount);
                    else
                        widgetManager->MouseUp(x, y, clickCount);
                }
            }
            continue;
        }

        switch (demoCommand) {
        case kMouseMoveAbsolute:
            x = demoBuffer.ReadNumBits(12, false);
            y = demoBuffer.ReadNumBits(12, false);
            demoMouseX = x;
            demoMouseY = y;
            if (widgetManager != nullptr) {
                widgetManager->RemapMouse(x, y);
                widgetManager->MouseMove(x, y);
            }
            break;
        case kActivate:
            active = demoBuffer.ReadNumBits(1, false) != 0;
            FollowActivation();
            break;
        case kSize: {
            const bool nowMinimized = demoBuffer.ReadBoolean();
            if (!shutdown && nowMinimized != minimized) {
                minimized = nowMinimized;
                if (minimized) {
                    Mute(true);
                } else {
                    Unmute(true);
                    if (widgetManager != nullptr)
                        widgetManager->MarkAllDirty();
                }
            }
            RehupFocus();
            break;
        }
        case kKeyDown:
        case kKeyUp: {
            const int key = demoBuffer.ReadNumBits(8, false);
            if (widgetManager != nullptr) {
                if (demoCommand == kKeyDown)
                    widgetManager->KeyDown(key);
                else
                    widgetManager->KeyUp(key);
            }
            break;
        }
        case kChar: {
            const bool wide = demoBuffer.ReadNumBits(1, false) != 0;
            const int character = demoBuffer.ReadNumBits(wide ? 16 : 8, false);
            if (widgetManager != nullptr)
                widgetManager->KeyChar(static_cast<char>(character & 0xFF));
            break;
        }
        case kClose:
            Shutdown();
            break;
        case kMouseEnter:
            mouseIn = true;
            EnforceCursor();
            break;
        case kMouseLeave:
            if (widgetManager != nullptr) {
                widgetManager->RemapMouse(x, y);
                widgetManager->MouseExit(x, y);
            }
            mouseIn = false;
            EnforceCursor();
            break;
        case kLoadingCompleted:
            demoLoadingCompleted = true;
            if (!loadingThreadCompleted)
                return; // waits for this run's loading thread
            HandleLoadingCompleted();
            break;
        case kDisplaySetup:
            windowed = demoBuffer.ReadBoolean();
            refreshRate = demoBuffer.ReadByte();
            break;
        case kMouseWheel: {
            const int notches = demoBuffer.ReadNumBits(8, true);
            if (widgetManager != nullptr)
                widgetManager->MouseWheel(notches);
            break;
        }
        case kFiller:
            break;
        // Answers that a query of the recorded run took: this run did not
        // ask. Skipped whole so that the records after it stay readable.
        case kRegistryRead:
            demoDiverged = true;
            if (demoBuffer.ReadNumBits(1, false) != 0) {
                demoBuffer.ReadLong();
                SkipBytes(demoBuffer, static_cast<uint32_t>(demoBuffer.ReadLong()));
            }
            break;
        case kRegistryWrite:
        case kFileExists:
        case kFileWrite:
            demoDiverged = true;
            demoBuffer.ReadNumBits(1, false);
            break;
        case kFileRead:
            demoDiverged = true;
            if (demoBuffer.ReadNumBits(1, false) != 0)
                SkipBytes(demoBuffer, static_cast<uint32_t>(demoBuffer.ReadLong()));
            break;
        case kHttpStatus:
            // A transfer's result arrives when the transfer asks for it; one
            // that no transfer of this run took is skipped.
            demoDiverged = true;
            demoBuffer.ReadLong();
            demoBuffer.ReadByte();
            SkipBytes(demoBuffer, static_cast<uint32_t>(demoBuffer.ReadLong()));
            break;
        case kSyncBuffer:
            demoDiverged = true;
            SkipBytes(demoBuffer, static_cast<uint32_t>(demoBuffer.ReadLong()));
            break;
        default:
            // Never written: the stream is damaged.
            demoDiverged = true;
            break;
        }
    }
}

// ---- The file

std::vector<uint8_t> LumoAppBase::DemoFileHead() const
{
    std::vector<uint8_t> bytes;
    AppendU32(bytes, kDemoMagic);
    AppendU32(bytes, kDemoVersion);
    AppendU32(bytes, randSeed);
    const size_t versionLength = productVersion.size() < 0xFFFF ? productVersion.size() : 0xFFFF;
    bytes.push_back(static_cast<uint8_t>(versionLength));
    bytes.push_back(static_cast<uint8_t>(versionLength >> 8));
    bytes.insert(bytes.end(), productVersion.begin(), productVersion.begin() + static_cast<long>(versionLength));
    // Markers are only added to a played file: a recording has none.
    AppendU32(bytes, 4);
    AppendU32(bytes, 0);
    return bytes;
}

void LumoAppBase::WriteDemoFile()
{
    if (!recordingDemo)
        return;
    // A filler at the final update lets a run without a close record play
    // to its end. A stream that stopped when full ends where it stopped.
    if (DemoRecordsNow()) {
        DemoWriteUpdateDelta();
        demoBuffer.WriteNumBits(0, 1);
        demoBuffer.WriteNumBits(kFiller, 5);
    }

    std::vector<uint8_t> bytes = DemoFileHead();
    AppendU32(bytes, static_cast<uint32_t>(updateCount));
    const uint8_t* stream = demoBuffer.GetDataPtr();
    if (stream != nullptr)
        bytes.insert(bytes.end(), stream, stream + demoBuffer.GetDataLen());

    const std::string path = Plat::GetFileSystem().NativePath(demoFileName);
    if (!Plat::WriteFileAtomically(path, bytes.data(), bytes.size(), demoFileWriter))
        OutputDebug("Demo file not written: %s\r\n", demoFileName.c_str());
}

} // namespace Lumo
