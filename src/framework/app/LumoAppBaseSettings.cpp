// The application's settings (the registry on Windows) and its
// whole-file reads and writes. Every one of these asks the outside world
// something that can change a run, so each records its answer while a demo
// is recorded and replays the recorded answer while one is played.
#include "framework/app/LumoAppBase.h"

#include "framework/app/DemoFormat.h"
#include "framework/core/PakClient.h"
#include "framework/core/PathUtils.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/FileSystem.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

namespace Lumo {

namespace {

constexpr uint32_t kMaxStringValue = 1023;

// Stores the value under the product's key, outside the demo.
bool StoreSetting(const std::string& registryKey, const std::string& valueName, uint32_t valueType,
                  const uint8_t* data, uint32_t length);

// "Sub\\Key\\Name" -> sub-key "Sub\\Key", value "Name".
void SplitValueName(const std::string& valueName, std::string& subKey, std::string& name)
{
    const size_t slash = valueName.rfind('\\');
    if (slash == std::string::npos) {
        subKey.clear();
        name = valueName;
    } else {
        subKey = valueName.substr(0, slash);
        name = valueName.substr(slash + 1);
    }
}

// A stored volume (percent) as 0..1; values out of range are taken as the
// nearest end of it.
double VolumeFromSetting(int percent)
{
    return std::clamp(std::clamp(percent, 0, 100) * 0.01, 0.0, 1.0);
}

// A volume as a stored percent, truncated. The small allowance keeps a
// volume read as n * 0.01 at n (0.29 * 100 is 28.999...).
int SettingFromVolume(double volume)
{
    return static_cast<int>(std::clamp(volume, 0.0, 1.0) * 100.0 + 1e-6);
}

} // namespace

bool LumoAppBase::RegistryWrite(const std::string& valueName, uint32_t valueType, const uint8_t* data,
                                uint32_t length)
{
    if (registryKey.empty())
        return false;
    if (DemoPlaysNow()) {
        if (!DemoTakeSyncRecord(kDemoRegistryWrite))
            return true;
        return demoBuffer.ReadNumBits(1, false) != 0;
    }

    const bool written = StoreSetting(registryKey, valueName, valueType, data, length);
    if (DemoRecordsNow()) {
        DemoBeginRecord(kDemoRegistryWrite);
        demoBuffer.WriteNumBits(written ? 1 : 0, 1);
    }
    return written;
}

namespace {

bool StoreSetting(const std::string& registryKey, const std::string& valueName, uint32_t valueType,
                  const uint8_t* data, uint32_t length)
{
    std::string subKey;
    std::string name;
    SplitValueName(valueName, subKey, name);
    const std::unique_ptr<Plat::SettingsStore> store = Plat::OpenSettingsStore(Plat::SettingsRoot::User, registryKey);
    // Success means the value is stored, not merely that its key exists.
    return store != nullptr && store->SetValue(subKey, name, valueType, data, length);
}

} // namespace

bool LumoAppBase::RegistryRead(const std::string& valueName, uint32_t& valueType, uint8_t* data, uint32_t& length,
                               Plat::SettingsRoot root)
{
    if (registryKey.empty())
        return false;
    const uint32_t capacity = data != nullptr ? length : 0;
    if (DemoPlaysNow()) {
        if (!DemoTakeSyncRecord(kDemoRegistryRead))
            return false;
        if (demoBuffer.ReadNumBits(1, false) == 0)
            return false;
        const uint32_t type = static_cast<uint32_t>(demoBuffer.ReadLong());
        const uint32_t size = static_cast<uint32_t>(demoBuffer.ReadLong());
        // A record cut short by the end of the demo is no answer.
        if (!DemoHoldsBits(static_cast<int64_t>(size) * 8))
            return false;
        // The whole record is consumed; one larger than the buffer (only
        // possible when the caller's buffer shrank) is refused, as the live
        // query refuses it.
        for (uint32_t taken = 0; taken < size; ++taken) {
            const uint8_t byte = demoBuffer.ReadByte();
            if (taken < capacity)
                data[taken] = byte;
        }
        if (size > capacity)
            return false;
        valueType = type;
        length = size;
        return true;
    }

    std::string subKey;
    std::string name;
    SplitValueName(valueName, subKey, name);
    const std::unique_ptr<Plat::SettingsStore> store = Plat::OpenSettingsStore(root, registryKey);
    uint32_t type = 0;
    std::vector<uint8_t> value;
    const bool found = store != nullptr && store->GetValue(subKey, name, type, value) && value.size() <= capacity;
    if (found) {
        std::copy(value.begin(), value.end(), data);
        valueType = type;
        length = static_cast<uint32_t>(value.size());
    }
    if (DemoRecordsNow()) {
        DemoBeginRecord(kDemoRegistryRead);
        demoBuffer.WriteNumBits(found ? 1 : 0, 1);
        if (found) {
            demoBuffer.WriteLong(static_cast<int>(type));
            demoBuffer.WriteLong(static_cast<int>(value.size()));
            demoBuffer.WriteBytes(value.data(), static_cast<int>(value.size()));
        }
    }
    return found;
}

void LumoAppBase::RegistryEraseValue(const std::string& valueName)
{
    if (registryKey.empty())
        return;
    std::string subKey;
    std::string name;
    SplitValueName(valueName, subKey, name);
    const std::unique_ptr<Plat::SettingsStore> store = Plat::OpenSettingsStore(Plat::SettingsRoot::User, registryKey);
    if (store != nullptr)
        store->DeleteValue(subKey, name);
}

bool LumoAppBase::RegistryWriteString(const std::string& valueName, const std::string& value)
{
    if (value.size() > Plat::kSettingsMaxValueSize)
        return false;
    return RegistryWrite(valueName, Plat::kSettingsString, reinterpret_cast<const uint8_t*>(value.data()),
                         static_cast<uint32_t>(value.size()));
}

bool LumoAppBase::RegistryWriteInteger(const std::string& valueName, int value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    const uint8_t data[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
    return RegistryWrite(valueName, Plat::kSettingsInteger, data, 4);
}

bool LumoAppBase::RegistryReadString(const std::string& valueName, std::string& value)
{
    uint8_t data[kMaxStringValue + 1] = {};
    uint32_t type = 0;
    uint32_t length = kMaxStringValue;
    if (!RegistryRead(valueName, type, data, length) || type != Plat::kSettingsString)
        return false;
    data[length] = 0;
    value = reinterpret_cast<const char*>(data);
    return true;
}

bool LumoAppBase::RegistryReadInteger(const std::string& valueName, int& value)
{
    uint8_t data[4] = {};
    uint32_t type = 0;
    uint32_t length = 4;
    if (!RegistryRead(valueName, type, data, length) || type != Plat::kSettingsInteger)
        return false;
    value = static_cast<int>(uint32_t(data[0]) | (uint32_t(data[1]) << 8) | (uint32_t(data[2]) << 16) |
                             (uint32_t(data[3]) << 24));
    return true;
}

bool LumoAppBase::RegistryReadBoolean(const std::string& valueName, bool& value)
{
    int number = 0;
    if (!RegistryReadInteger(valueName, number))
        return false;
    value = number != 0;
    return true;
}

void LumoAppBase::ReadFromRegistry()
{
    registryRead = true;
    registryKey = GetString("RegistryKey", registryKey);

    if (!registryKey.empty()) {
        int value = 0;
        if (RegistryReadInteger("MusicVolume", value))
            musicVolume = VolumeFromSetting(value);
        if (RegistryReadInteger("SfxVolume", value))
            sfxVolume = VolumeFromSetting(value);
        RegistryReadInteger("Muted", muteCount);
        if (RegistryReadInteger("ScreenMode", value))
            windowed = value == 0;
        RegistryReadInteger("PreferredX", preferredX);
        RegistryReadInteger("PreferredY", preferredY);
        RegistryReadBoolean("CustomCursors", customCursors);
        EnforceCursor();
        RegistryReadBoolean("WaitForVSync", waitForVSync);
        if (RegistryReadInteger("InProgress", value))
            lastShutdownWasGraceful = value == 0;
    }

    // Stays 1 until the orderly write at exit; a run that ends otherwise
    // leaves it behind for the next start to see.
    if (!isScreenSaver)
        RegistryWriteInteger("InProgress", 1);
}

void LumoAppBase::WriteToRegistry()
{
    RegistryWriteInteger("MusicVolume", SettingFromVolume(musicVolume));
    RegistryWriteInteger("SfxVolume", SettingFromVolume(sfxVolume));
    RegistryWriteInteger("Muted", muteCount - autoMuteCount > 0 ? 1 : 0);
    RegistryWriteInteger("ScreenMode", windowed ? 0 : 1);
    RegistryWriteInteger("PreferredX", preferredX);
    RegistryWriteInteger("PreferredY", preferredY);
    RegistryWriteInteger("CustomCursors", customCursors ? 1 : 0);
    RegistryWriteInteger("InProgress", 0);
    if (playingDemo && !registryKey.empty()) {
        // The 1 was written live at start: the orderly end is written live
        // too, or the next run would take this one for a crash.
        const uint8_t zero[4] = {0, 0, 0, 0};
        StoreSetting(registryKey, "InProgress", Plat::kSettingsInteger, zero, 4);
    }
    RegistryWriteInteger("WaitForVSync", waitForVSync ? 1 : 0);
}

bool LumoAppBase::ReadBufferFromFile(const std::string& fileName, Buffer& buffer, bool leaveDemoAlone)
{
    if (DemoPlaysNow() && !leaveDemoAlone) {
        if (!DemoTakeSyncRecord(kDemoFileRead))
            return false;
        if (demoBuffer.ReadNumBits(1, false) == 0)
            return false;
        const uint32_t size = static_cast<uint32_t>(demoBuffer.ReadLong());
        // A record cut short by the end of the demo holds no whole file.
        if (!DemoHoldsBits(static_cast<int64_t>(size) * 8))
            return false;
        buffer.Clear();
        for (uint32_t i = 0; i < size; ++i)
            buffer.WriteByte(demoBuffer.ReadByte());
        return true;
    }

    const bool record = !leaveDemoAlone && DemoRecordsNow();
    PakFile* file = PakOpen(fileName.c_str(), "rb");
    bool read = false;
    std::vector<uint8_t> bytes;
    if (file != nullptr) {
        long size = -1;
        if (PakSeek(file, 0, SEEK_END) == 0)
            size = PakTell(file);
        // The buffer counts bits in an int.
        if (size >= 0 && size <= INT_MAX / 8 && PakSeek(file, 0, SEEK_SET) == 0) {
            bytes.resize(static_cast<size_t>(size));
            read = PakRead(bytes.data(), 1, bytes.size(), file) == bytes.size();
        }
        PakClose(file);
    }
    if (!read) {
        if (record) {
            DemoBeginRecord(kDemoFileRead);
            demoBuffer.WriteNumBits(0, 1);
        }
        return false;
    }

    buffer.Clear();
    buffer.SetData(bytes.data(), static_cast<int>(bytes.size()));
    if (record) {
        DemoBeginRecord(kDemoFileRead);
        demoBuffer.WriteNumBits(1, 1);
        demoBuffer.WriteLong(static_cast<int>(bytes.size()));
        demoBuffer.WriteBytes(bytes.data(), static_cast<int>(bytes.size()));
    }
    return true;
}

bool LumoAppBase::WriteBytesToFile(const std::string& fileName, const uint8_t* data, uint32_t length)
{
    if (DemoPlaysNow()) {
        if (!DemoTakeSyncRecord(kDemoFileWrite))
            return true;
        return demoBuffer.ReadNumBits(1, false) != 0;
    }

    const std::string folder = GetFileDir(fileName);
    if (!folder.empty())
        MkDir(folder);
    // Reported written only once the whole new file has replaced the old one.
    const bool written =
        Plat::WriteFileAtomically(Plat::GetFileSystem().NativePath(fileName), data, static_cast<size_t>(length));
    if (DemoRecordsNow()) {
        DemoBeginRecord(kDemoFileWrite);
        demoBuffer.WriteNumBits(written ? 1 : 0, 1);
    }
    return written;
}

bool LumoAppBase::WriteBufferToFile(const std::string& fileName, const Buffer& buffer)
{
    return WriteBytesToFile(fileName, buffer.GetDataPtr(), static_cast<uint32_t>(buffer.GetDataLen()));
}

} // namespace Lumo
