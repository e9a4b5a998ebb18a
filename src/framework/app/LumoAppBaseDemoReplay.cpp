// Demo playback and the rest of recording: the replay of the records due at
// an update, the sync records of values without an operation of their own,
// the checks that keep a diverging replay from garbling the stream, and the
// demo file's writer.
#include "framework/app/LumoAppBase.h"

#include "framework/app/DemoFormat.h"
#include "framework/core/Debug.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/files/FileSystem.h"

#include <cstring>
#include <thread>
#include <vector>

namespace Lumo {

namespace {

void AppendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Skips n recorded bytes; false (at the stream's end) when it holds fewer.
bool SkipBytes(LumoAppBase& app, uint32_t count)
{
    Buffer& stream = app.demoBuffer;
    if (!app.DemoHoldsBits(static_cast<int64_t>(count) * 8)) {
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
    if (!recordingDemo || demoStreamFull || demoLeftAlone)
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

bool LumoAppBase::DemoHoldsBits(int64_t bits) const
{
    return bits <= static_cast<int64_t>(demoBuffer.GetDataLen()) * 8 - demoBuffer.GetReadPos();
}

bool LumoAppBase::DemoStreamEnded() const
{
    return demoBitsPending && !DemoHoldsBits(kDemoShortestRecordBits);
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

bool LumoAppBase::DemoSkipAnswer()
{
    if (demoShortForm)
        return false;
    switch (demoCommand) {
    case kDemoRegistryRead:
        if (demoBuffer.ReadNumBits(1, false) == 0)
            return true;
        demoBuffer.ReadLong();
        return SkipBytes(*this, static_cast<uint32_t>(demoBuffer.ReadLong()));
    case kDemoRegistryWrite:
    case kDemoFileExists:
    case kDemoFileWrite:
        demoBuffer.ReadNumBits(1, false);
        return true;
    case kDemoFileRead:
        return demoBuffer.ReadNumBits(1, false) == 0 || SkipBytes(*this, static_cast<uint32_t>(demoBuffer.ReadLong()));
    case kDemoHttpStatus:
        demoBuffer.ReadLong();
        demoBuffer.ReadByte();
        return SkipBytes(*this, static_cast<uint32_t>(demoBuffer.ReadLong()));
    case kDemoSyncBuffer:
        return SkipBytes(*this, static_cast<uint32_t>(demoBuffer.ReadLong()));
    default:
        return false;
    }
}

bool LumoAppBase::DemoSkipToDisplayRecord()
{
    while (!DemoStreamEnded()) {
        if (!DemoReadCommand() || demoShortForm)
            return false;
        if (demoCommand == kDemoDisplaySetup)
            return DemoHoldsBits(16);
        demoBitsPending = true;
        demoDiverged = true;
        if (!DemoSkipAnswer())
            return false;
    }
    return false;
}

// ---- Sync records

void LumoAppBase::DemoSyncBuffer(Buffer& data)
{
    if (DemoPlaysNow()) {
        if (!DemoTakeSyncRecord(kDemoSyncBuffer))
            return;
        const uint32_t size = static_cast<uint32_t>(demoBuffer.ReadLong());
        if (!DemoHoldsBits(static_cast<int64_t>(size) * 8)) {
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
        DemoBeginRecord(kDemoSyncBuffer);
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
            if (demoCommand == kDemoShortMouseMove) {
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
        case kDemoMouseMove:
            x = demoBuffer.ReadNumBits(12, false);
            y = demoBuffer.ReadNumBits(12, false);
            demoMouseX = x;
            demoMouseY = y;
            if (widgetManager != nullptr) {
                widgetManager->RemapMouse(x, y);
                widgetManager->MouseMove(x, y);
            }
            break;
        case kDemoActivate:
            active = demoBuffer.ReadNumBits(1, false) != 0;
            FollowActivation();
            break;
        case kDemoSize: {
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
        case kDemoKeyDown:
        case kDemoKeyUp: {
            const int key = demoBuffer.ReadNumBits(8, false);
            if (widgetManager != nullptr) {
                if (demoCommand == kDemoKeyDown)
                    widgetManager->KeyDown(key);
                else
                    widgetManager->KeyUp(key);
            }
            break;
        }
        case kDemoChar: {
            const bool wide = demoBuffer.ReadNumBits(1, false) != 0;
            const int character = demoBuffer.ReadNumBits(wide ? 16 : 8, false);
            if (widgetManager != nullptr)
                widgetManager->KeyChar(static_cast<char>(character & 0xFF));
            break;
        }
        case kDemoClose:
            Shutdown();
            break;
        case kDemoMouseEnter:
            mouseIn = true;
            EnforceCursor();
            break;
        case kDemoMouseLeave:
            if (widgetManager != nullptr) {
                widgetManager->RemapMouse(x, y);
                widgetManager->MouseExit(x, y);
            }
            mouseIn = false;
            EnforceCursor();
            break;
        case kDemoLoadingCompleted:
            demoLoadingCompleted = true;
            if (!loadingThreadCompleted)
                return; // waits for this run's loading thread
            HandleLoadingCompleted();
            break;
        case kDemoDisplaySetup:
            windowed = demoBuffer.ReadBoolean();
            refreshRate = demoBuffer.ReadByte();
            break;
        case kDemoMouseWheel: {
            const int notches = demoBuffer.ReadNumBits(8, true);
            if (widgetManager != nullptr)
                widgetManager->MouseWheel(notches);
            break;
        }
        case kDemoFiller:
            break;
        // Answers that a query of the recorded run took: this run did not
        // ask. Skipped whole so that the records after it stay readable.
        case kDemoRegistryRead:
        case kDemoRegistryWrite:
        case kDemoFileExists:
        case kDemoFileRead:
        case kDemoFileWrite:
        case kDemoHttpStatus:
        case kDemoSyncBuffer:
            demoDiverged = true;
            DemoSkipAnswer();
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
        DemoBeginRecord(kDemoFiller);
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
