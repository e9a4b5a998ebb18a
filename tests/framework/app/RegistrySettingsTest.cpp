#include "framework/app/LumoApp.h"
#include "platform/files/FileSettingsStore.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <optional>

namespace {

const char* const kProductKey = "Quillo\\Game";

void PutInteger(Plat::SettingsStore& store, const std::string& key, const std::string& name, int value)
{
    const uint32_t bits = static_cast<uint32_t>(value);
    const uint8_t data[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
    ASSERT_TRUE(store.SetValue(key, name, Plat::kSettingsInteger, data, 4));
}

void PutBytes(Plat::SettingsStore& store, const std::string& key, const std::string& name, uint32_t type,
              const std::string& bytes)
{
    ASSERT_TRUE(store.SetValue(key, name, type, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

// The stored integer, or nothing when absent or of another type.
std::optional<int> StoredInteger(Plat::SettingsStore& store, const std::string& key, const std::string& name)
{
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!store.GetValue(key, name, type, data) || type != Plat::kSettingsInteger || data.size() != 4)
        return std::nullopt;
    return static_cast<int>(uint32_t(data[0]) | (uint32_t(data[1]) << 8) | (uint32_t(data[2]) << 16) |
                            (uint32_t(data[3]) << 24));
}

std::string BufferText(const Lumo::Buffer& buffer)
{
    const uint8_t* data = buffer.GetDataPtr();
    return data == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(data), buffer.GetDataLen());
}

class RegistrySettingsTest : public ::testing::Test {
protected:
    RegistrySettingsTest()
        : configHome("XDG_CONFIG_HOME", temp.Join("config")), configDirs("XDG_CONFIG_DIRS", temp.Join("machine")),
          userStore(temp.Join("config/Quillo/Game/settings.dat")),
          machineStore(temp.Join("machine/Quillo/Game/settings.dat"))
    {
    }

    // An application with the product's key, as the game's constructor sets it.
    template <class App = TestApp>
    std::unique_ptr<App> MakeApp()
    {
        auto app = std::make_unique<App>();
        app->registryKey = kProductKey;
        return app;
    }

    TempFolder temp;
    ScopedEnvironment configHome;
    ScopedEnvironment configDirs;
    Plat::FileSettingsStore userStore;    // what the application's settings file holds
    Plat::FileSettingsStore machineStore; // the machine-wide file (writable here)
};

TEST_F(RegistrySettingsTest, ReadFromRegistryConvertsEachStoredValue)
{
    struct Setting {
        const char* name;
        int value;
    };
    struct Case {
        const char* what;
        std::vector<Setting> stored;
        double musicVolume, sfxVolume;
        int muteCount;
        bool windowed;
        int preferredX, preferredY;
        bool customCursors, waitForVSync, graceful;
    } cases[] = {
        {"nothing stored keeps the defaults", {}, 0.85, 0.85, 0, true, -1, -1, false, false, true},
        {"percent volumes", {{"MusicVolume", 57}, {"SfxVolume", 100}}, 57 * 0.01, 1.0, 0, true, -1, -1, false, false,
         true},
        // Out-of-range volumes are taken as the nearest end of the range.
        {"volumes clamped", {{"MusicVolume", 150}, {"SfxVolume", -5}}, 1.0, 0.0, 0, true, -1, -1, false, false, true},
        {"full screen and position",
         {{"Muted", 2}, {"ScreenMode", 2}, {"PreferredX", 300}, {"PreferredY", 40}},
         0.85, 0.85, 2, false, 300, 40, false, false, true},
        {"flags and a crashed last run",
         {{"ScreenMode", 0}, {"CustomCursors", 7}, {"WaitForVSync", 1}, {"InProgress", 1}},
         0.85, 0.85, 0, true, -1, -1, true, true, false},
        {"orderly last run", {{"InProgress", 0}, {"CustomCursors", 0}}, 0.85, 0.85, 0, true, -1, -1, false, false,
         true},
    };
    for (const Case& c : cases) {
        temp.Write("config/Quillo/Game/settings.dat", "");
        for (const Setting& s : c.stored)
            PutInteger(userStore, "", s.name, s.value);
        auto app = MakeApp();
        app->ReadFromRegistry();
        EXPECT_TRUE(app->registryRead) << c.what;
        EXPECT_DOUBLE_EQ(app->musicVolume, c.musicVolume) << c.what;
        EXPECT_DOUBLE_EQ(app->sfxVolume, c.sfxVolume) << c.what;
        EXPECT_EQ(app->muteCount, c.muteCount) << c.what;
        EXPECT_EQ(app->windowed, c.windowed) << c.what;
        EXPECT_EQ(app->preferredX, c.preferredX) << c.what;
        EXPECT_EQ(app->preferredY, c.preferredY) << c.what;
        EXPECT_EQ(app->customCursors, c.customCursors) << c.what;
        EXPECT_EQ(app->waitForVSync, c.waitForVSync) << c.what;
        EXPECT_EQ(app->lastShutdownWasGraceful, c.graceful) << c.what;
        // The run is marked in progress until the orderly write at exit.
        EXPECT_EQ(StoredInteger(userStore, "", "InProgress"), 1) << c.what;
        app->registryRead = false; // no write at destruction
    }

    // Values of the wrong type read as absent.
    temp.Write("config/Quillo/Game/settings.dat", "");
    PutBytes(userStore, "", "MusicVolume", Plat::kSettingsString, "57");
    PutBytes(userStore, "", "ScreenMode", Plat::kSettingsBinary, std::string("\1\0\0\0", 4));
    auto app = MakeApp();
    app->isScreenSaver = true;
    app->ReadFromRegistry();
    EXPECT_DOUBLE_EQ(app->musicVolume, 0.85);
    EXPECT_TRUE(app->windowed);
    // A screen saver leaves no mark of its run.
    EXPECT_EQ(StoredInteger(userStore, "", "InProgress"), std::nullopt);
    app->registryRead = false;
}

TEST_F(RegistrySettingsTest, ACorruptSettingsFileGivesTheDefaults)
{
    PutInteger(userStore, "", "MusicVolume", 10);
    std::string bytes = temp.Read("config/Quillo/Game/settings.dat");
    bytes[bytes.size() / 2] ^= 0x40;
    temp.Write("config/Quillo/Game/settings.dat", bytes);

    auto app = MakeApp();
    int number = 0;
    EXPECT_FALSE(app->RegistryReadInteger("MusicVolume", number));
    app->ReadFromRegistry();
    EXPECT_DOUBLE_EQ(app->musicVolume, 0.85);
    EXPECT_TRUE(app->lastShutdownWasGraceful);
    // The next write starts a sound file.
    EXPECT_EQ(StoredInteger(userStore, "", "InProgress"), 1);
    EXPECT_FALSE(userStore.LastReadWasCorrupt());
    app->registryRead = false;
}

TEST_F(RegistrySettingsTest, WriteToRegistryStoresEachField)
{
    struct Case {
        double musicVolume, sfxVolume;
        int muteCount, autoMuteCount;
        bool windowed, customCursors, waitForVSync;
        int music, sfx, muted, screenMode;
    } cases[] = {
        {0.579, 0.0, 1, 1, true, false, false, 57, 0, 0, 0},  // muted only by losing focus: stores 0
        {1.0, 0.29, 2, 1, false, true, true, 100, 29, 1, 1},
        {0.58, 0.5, 1, 0, true, false, true, 58, 50, 1, 0},
    };
    for (const Case& c : cases) {
        auto app = MakeApp();
        app->musicVolume = c.musicVolume;
        app->sfxVolume = c.sfxVolume;
        app->muteCount = c.muteCount;
        app->autoMuteCount = c.autoMuteCount;
        app->windowed = c.windowed;
        app->customCursors = c.customCursors;
        app->waitForVSync = c.waitForVSync;
        app->preferredX = 12;
        app->preferredY = -1;
        app->WriteToRegistry();
        EXPECT_EQ(StoredInteger(userStore, "", "MusicVolume"), c.music) << c.musicVolume;
        EXPECT_EQ(StoredInteger(userStore, "", "SfxVolume"), c.sfx) << c.sfxVolume;
        EXPECT_EQ(StoredInteger(userStore, "", "Muted"), c.muted);
        EXPECT_EQ(StoredInteger(userStore, "", "ScreenMode"), c.screenMode);
        EXPECT_EQ(StoredInteger(userStore, "", "PreferredX"), 12);
        EXPECT_EQ(StoredInteger(userStore, "", "PreferredY"), -1);
        EXPECT_EQ(StoredInteger(userStore, "", "CustomCursors"), c.customCursors ? 1 : 0);
        EXPECT_EQ(StoredInteger(userStore, "", "WaitForVSync"), c.waitForVSync ? 1 : 0);
        EXPECT_EQ(StoredInteger(userStore, "", "InProgress"), 0);
    }

    // Every stored percent survives a read and a write unchanged.
    for (int percent = 0; percent <= 100; ++percent) {
        PutInteger(userStore, "", "MusicVolume", percent);
        auto app = MakeApp();
        app->ReadFromRegistry();
        app->WriteToRegistry();
        EXPECT_EQ(StoredInteger(userStore, "", "MusicVolume"), percent);
        app->registryRead = false;
    }
}

TEST_F(RegistrySettingsTest, TypedReadersTakeOnlyTheirTypeAndStringsUpTo1023Bytes)
{
    PutBytes(userStore, "", "Exact", Plat::kSettingsString, std::string(1023, 'a'));
    PutBytes(userStore, "", "TooLong", Plat::kSettingsString, std::string(1024, 'b'));
    PutBytes(userStore, "", "Zero", Plat::kSettingsString, std::string("ab\0cd", 5));
    PutBytes(userStore, "", "Binary", Plat::kSettingsBinary, "text");
    PutInteger(userStore, "", "Number", -7);
    PutBytes(userStore, "", "Short", Plat::kSettingsInteger, std::string("\x05", 1));
    auto app = MakeApp();

    std::string text = "keep";
    EXPECT_TRUE(app->RegistryReadString("Exact", text));
    EXPECT_EQ(text, std::string(1023, 'a'));
    text = "keep";
    EXPECT_FALSE(app->RegistryReadString("TooLong", text));
    EXPECT_FALSE(app->RegistryReadString("Binary", text));
    EXPECT_FALSE(app->RegistryReadString("Number", text));
    EXPECT_FALSE(app->RegistryReadString("Missing", text));
    EXPECT_EQ(text, "keep");
    EXPECT_TRUE(app->RegistryReadString("Zero", text));
    EXPECT_EQ(text, "ab");

    int number = 3;
    EXPECT_FALSE(app->RegistryReadInteger("Exact", number));
    EXPECT_FALSE(app->RegistryReadInteger("Missing", number));
    EXPECT_EQ(number, 3);
    EXPECT_TRUE(app->RegistryReadInteger("Number", number));
    EXPECT_EQ(number, -7);
    EXPECT_TRUE(app->RegistryReadInteger("Short", number));
    EXPECT_EQ(number, 5);
    bool flag = false;
    EXPECT_TRUE(app->RegistryReadBoolean("Number", flag));
    EXPECT_TRUE(flag);
    EXPECT_FALSE(app->RegistryReadBoolean("Binary", flag));

    // The raw read refuses a value larger than the buffer and writes nothing past it.
    uint8_t small[5] = {0, 0, 0, 0, 0xEE};
    uint32_t type = 0;
    uint32_t length = 3;
    EXPECT_FALSE(app->RegistryRead("Binary", type, small, length));
    EXPECT_EQ(small[4], 0xEE);
    length = 4;
    EXPECT_TRUE(app->RegistryRead("Binary", type, small, length));
    EXPECT_EQ(type, Plat::kSettingsBinary);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(small), 4), "text");
}

TEST_F(RegistrySettingsTest, SubKeysEmptyKeysAndTheKeyProperty)
{
    auto app = MakeApp();
    EXPECT_TRUE(app->RegistryWriteString("Test3D\\RuntimeError", "lost device"));
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(userStore.GetValue("Test3D", "RuntimeError", type, data));
    EXPECT_EQ(std::string(data.begin(), data.end()), "lost device");
    EXPECT_EQ(type, Plat::kSettingsString);
    EXPECT_FALSE(userStore.GetValue("", "RuntimeError", type, data));
    std::string text;
    EXPECT_TRUE(app->RegistryReadString("test3d\\runtimeerror", text));
    EXPECT_EQ(text, "lost device");
    app->RegistryEraseValue("Test3D\\RuntimeError");
    EXPECT_FALSE(userStore.GetValue("Test3D", "RuntimeError", type, data));

    // Without a key nothing is read or written, and no file appears.
    TempFolder other;
    ScopedEnvironment otherHome("XDG_CONFIG_HOME", other.Path());
    TestApp keyless;
    int number = 0;
    EXPECT_FALSE(keyless.RegistryWriteInteger("MusicVolume", 1));
    EXPECT_FALSE(keyless.RegistryWriteString("Test3D\\RuntimeError", "x"));
    EXPECT_FALSE(keyless.RegistryReadInteger("MusicVolume", number));
    keyless.RegistryEraseValue("MusicVolume");
    keyless.ReadFromRegistry();
    keyless.WriteToRegistry();
    EXPECT_TRUE(keyless.registryRead);
    EXPECT_TRUE(std::filesystem::is_empty(other.Path()));

    // A properties file may name the key.
    keyless.SetString("RegistryKey", u"Partner\\Edition");
    keyless.ReadFromRegistry();
    EXPECT_EQ(keyless.registryKey, "Partner\\Edition");
    Plat::FileSettingsStore partnerStore(other.Join("Partner/Edition/settings.dat"));
    EXPECT_EQ(StoredInteger(partnerStore, "", "InProgress"), 1);
    keyless.registryRead = false;
}

TEST_F(RegistrySettingsTest, AWriteThatIsNotStoredIsReportedAndRecordedAsFailed)
{
    temp.MakeFolder("config/Quillo/Game/settings.dat"); // a folder where the file belongs
    auto app = MakeApp();
    app->recordingDemo = true;
    EXPECT_FALSE(app->RegistryWriteInteger("MusicVolume", 50));
    app->demoBuffer.SeekFront();
    EXPECT_EQ(app->demoBuffer.ReadNumBits(4, false), 0);  // update delta
    EXPECT_EQ(app->demoBuffer.ReadNumBits(1, false), 0);  // long form
    EXPECT_EQ(app->demoBuffer.ReadNumBits(5, false), 12); // registry write
    EXPECT_EQ(app->demoBuffer.ReadNumBits(1, false), 0);  // not written
    EXPECT_TRUE(app->demoBuffer.AtEnd());
}

TEST_F(RegistrySettingsTest, PlaybackAnswersFromTheRecordingWithoutTouchingTheDisk)
{
    temp.Write("data/hello.txt", "hello");
    const std::string helloPath = temp.Join("data\\hello.txt");
    const std::string outPath = temp.Join("out/written.bin");
    PutBytes(userStore, "", "Blob", Plat::kSettingsBinary, "12345678");

    auto recorder = MakeApp();
    recorder->recordingDemo = true;
    int number = 0;
    std::string text;
    Lumo::Buffer buffer;
    uint8_t blob[8] = {};
    uint32_t type = 0;
    uint32_t length = 8;
    EXPECT_TRUE(recorder->RegistryWriteInteger("A", 5));
    EXPECT_TRUE(recorder->RegistryReadInteger("A", number));
    EXPECT_FALSE(recorder->RegistryReadInteger("Missing", number));
    EXPECT_TRUE(recorder->RegistryRead("Blob", type, blob, length));
    EXPECT_TRUE(recorder->ReadBufferFromFile(helloPath, buffer));
    EXPECT_FALSE(recorder->ReadBufferFromFile(temp.Join("missing.txt"), buffer));
    EXPECT_TRUE(recorder->ReadBufferFromFile(helloPath, buffer, true)); // left out of the demo
    EXPECT_TRUE(recorder->WriteBytesToFile(outPath, reinterpret_cast<const uint8_t*>("xyz"), 3));
    EXPECT_FALSE(recorder->RegistryReadString("Blob", text)); // found, but not text

    // The world changes before the replay.
    PutInteger(userStore, "", "A", 99);
    PutInteger(userStore, "", "Missing", 1);
    std::filesystem::remove(temp.Join("data/hello.txt"));
    std::filesystem::remove(outPath);

    auto player = MakeApp();
    player->playingDemo = true;
    player->demoBuffer = recorder->demoBuffer;
    player->demoBuffer.SeekFront();
    number = 0;
    EXPECT_TRUE(player->RegistryWriteInteger("A", 6));
    EXPECT_TRUE(player->RegistryReadInteger("A", number));
    EXPECT_EQ(number, 5);
    EXPECT_FALSE(player->RegistryReadInteger("Missing", number));
    // A recorded value larger than the caller's buffer is refused without
    // writing past it, and the stream stays in step.
    uint8_t small[5] = {0, 0, 0, 0, 0xEE};
    length = 4;
    EXPECT_FALSE(player->RegistryRead("Blob", type, small, length));
    EXPECT_EQ(small[4], 0xEE);
    buffer.Clear();
    EXPECT_TRUE(player->ReadBufferFromFile(helloPath, buffer));
    EXPECT_EQ(BufferText(buffer), "hello");
    EXPECT_EQ(buffer.ReadByte(), 'h');
    EXPECT_FALSE(player->ReadBufferFromFile(temp.Join("missing.txt"), buffer));
    EXPECT_FALSE(player->ReadBufferFromFile(helloPath, buffer, true)); // live: the file is gone now
    EXPECT_TRUE(player->WriteBytesToFile(outPath, reinterpret_cast<const uint8_t*>("xyz"), 3));
    EXPECT_FALSE(player->RegistryReadString("Blob", text));

    // The stream has ended: reads fail, writes succeed, nothing is touched.
    EXPECT_FALSE(player->RegistryReadInteger("A", number));
    EXPECT_TRUE(player->RegistryWriteInteger("A", 7));
    EXPECT_FALSE(player->ReadBufferFromFile(helloPath, buffer));
    EXPECT_TRUE(player->WriteBytesToFile(outPath, reinterpret_cast<const uint8_t*>("xyz"), 3));
    EXPECT_EQ(StoredInteger(userStore, "", "A"), 99);
    EXPECT_FALSE(temp.Exists("out/written.bin"));

    // After the window closed during playback no record is consumed.
    auto closing = MakeApp();
    closing->playingDemo = true;
    closing->demoBuffer = recorder->demoBuffer;
    closing->demoBuffer.SeekFront();
    closing->demoClosing = true;
    EXPECT_FALSE(closing->RegistryReadInteger("A", number));
    EXPECT_TRUE(closing->RegistryWriteInteger("A", 1));
    EXPECT_FALSE(closing->ReadBufferFromFile(helloPath, buffer));
    EXPECT_EQ(StoredInteger(userStore, "", "A"), 99);
}

TEST_F(RegistrySettingsTest, PlaybackRecordsCutShortOrOversizedAreNoAnswer)
{
    temp.Write("data/hello.txt", "hello");
    const std::string helloPath = temp.Join("data\\hello.txt");
    PutBytes(userStore, "", "Blob", Plat::kSettingsBinary, "12345678");
    Lumo::Buffer buffer;
    uint8_t blob[8] = {};
    uint32_t type = 0;
    uint32_t length = 8;

    auto fileRecorder = MakeApp();
    fileRecorder->recordingDemo = true;
    ASSERT_TRUE(fileRecorder->ReadBufferFromFile(helloPath, buffer));
    auto blobRecorder = MakeApp();
    blobRecorder->recordingDemo = true;
    ASSERT_TRUE(blobRecorder->RegistryRead("Blob", type, blob, length));
    // Header 10 bits, found 1, size 32, "hello" 40: 11 bytes. Header, found,
    // type 32, size 32, 8 bytes: 18 bytes.
    ASSERT_EQ(fileRecorder->demoBuffer.GetDataLen(), 11);
    ASSERT_EQ(blobRecorder->demoBuffer.GetDataLen(), 18);

    auto Player = [&](const Lumo::Buffer& stream, int keptBytes) {
        auto player = MakeApp();
        player->playingDemo = true;
        player->demoBuffer.SetData(stream.GetDataPtr(), keptBytes);
        return player;
    };
    // The stream ends inside the recorded bytes.
    EXPECT_FALSE(Player(fileRecorder->demoBuffer, 9)->ReadBufferFromFile(helloPath, buffer));
    length = 8;
    EXPECT_FALSE(Player(blobRecorder->demoBuffer, 16)->RegistryRead("Blob", type, blob, length));

    // A corrupt size far beyond the stream, whose last bits do not fill a
    // byte: no answer, and no read loop past the end.
    Lumo::Buffer corrupt;
    Lumo::Buffer header = fileRecorder->demoBuffer;
    header.SeekFront();
    corrupt.WriteNumBits(header.ReadNumBits(11, false), 11); // header and "found"
    corrupt.WriteLong(-1);
    corrupt.WriteBytes(reinterpret_cast<const uint8_t*>("hello"), 5);
    corrupt.WriteNumBits(0, 3);
    EXPECT_FALSE(Player(corrupt, corrupt.GetDataLen())->ReadBufferFromFile(helloPath, buffer));
}

TEST_F(RegistrySettingsTest, RecordsCarryTheUpdateDeltaWithFillersForLongGaps)
{
    auto app = MakeApp();
    app->recordingDemo = true;
    app->updateCount = 40;
    app->demoNextUpdate = 0;
    EXPECT_TRUE(app->RegistryWriteInteger("A", 1));
    EXPECT_EQ(app->demoNextUpdate, 40);
    // 40 updates: two fillers of 15 (long form, command 31), then delta 10.
    Lumo::Buffer& stream = app->demoBuffer;
    stream.SeekFront();
    for (int filler = 0; filler < 2; ++filler) {
        EXPECT_EQ(stream.ReadNumBits(4, false), 15);
        EXPECT_EQ(stream.ReadNumBits(1, false), 0);
        EXPECT_EQ(stream.ReadNumBits(5, false), 31);
    }
    EXPECT_EQ(stream.ReadNumBits(4, false), 10);
    EXPECT_EQ(stream.ReadNumBits(1, false), 0);
    EXPECT_EQ(stream.ReadNumBits(5, false), 12);
    EXPECT_EQ(stream.ReadNumBits(1, false), 1);
    // A read record: found bit, type, size and the bytes, unaligned.
    app->updateCount = 41;
    int number = 0;
    EXPECT_TRUE(app->RegistryReadInteger("A", number));
    EXPECT_EQ(stream.ReadNumBits(4, false), 1);
    EXPECT_EQ(stream.ReadNumBits(1, false), 0);
    EXPECT_EQ(stream.ReadNumBits(5, false), 11);
    EXPECT_EQ(stream.ReadNumBits(1, false), 1);
    EXPECT_EQ(stream.ReadLong(), 4); // integer type
    EXPECT_EQ(stream.ReadLong(), 4); // byte count
    EXPECT_EQ(stream.ReadLong(), 1);
    EXPECT_TRUE(stream.AtEnd());
}

TEST_F(RegistrySettingsTest, WholeFilesAreWrittenWithTheirFoldersAndReadBack)
{
    auto app = MakeApp();
    const std::string path = temp.Join("saves\\slot 1\\profile.dat");
    const std::string longer = "a longer first content";
    EXPECT_TRUE(app->WriteBytesToFile(path, reinterpret_cast<const uint8_t*>(longer.data()), longer.size()));
    Lumo::Buffer content;
    content.WriteBytes(reinterpret_cast<const uint8_t*>("short"), 5);
    EXPECT_TRUE(app->WriteBufferToFile(path, content));
    EXPECT_EQ(temp.Read("saves/slot 1/profile.dat"), "short");

    Lumo::Buffer read;
    read.WriteByte('x');
    EXPECT_TRUE(app->ReadBufferFromFile(path, read));
    EXPECT_EQ(BufferText(read), "short");
    EXPECT_EQ(read.ReadByte(), 's');

    temp.Write("empty.dat", "");
    EXPECT_TRUE(app->ReadBufferFromFile(temp.Join("empty.dat"), read));
    EXPECT_EQ(read.GetDataLen(), 0);

    // A file in the way of the folder: nothing can be written.
    temp.Write("blocker", "x");
    EXPECT_FALSE(app->WriteBytesToFile(temp.Join("blocker/file.bin"), reinterpret_cast<const uint8_t*>("y"), 1));
    // A folder where the file belongs is not replaced.
    temp.MakeFolder("folder.dat");
    EXPECT_FALSE(app->WriteBytesToFile(temp.Join("folder.dat"), reinterpret_cast<const uint8_t*>("y"), 1));
    EXPECT_FALSE(app->ReadBufferFromFile(temp.Join("missing.dat"), read));
}

TEST_F(RegistrySettingsTest, ProductSettingsAndThePartnerNameOfTheMachine)
{
    PutBytes(userStore, "", "ReferId", Plat::kSettingsString, "ref-1");
    PutInteger(userStore, "", "DontUpdate", 1);
    PutInteger(userStore, "", "DownloadId", 42);
    PutBytes(userStore, "", "Variation", Plat::kSettingsString, "blue");
    PutBytes(machineStore, "", "PartnerName", Plat::kSettingsString, "Partner Games");
    PutBytes(userStore, "", "PartnerName", Plat::kSettingsString, "not the machine's");

    auto app = MakeApp<Lumo::LumoApp>();
    const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
    app->ReadFromRegistry();
    EXPECT_EQ(app->referId, "ref-1");
    EXPECT_TRUE(app->dontUpdate);
    EXPECT_EQ(app->downloadId, 42);
    EXPECT_EQ(app->variation, "blue");
    EXPECT_EQ(app->fullCompanyName, "Partner Games");
    // No check on record: the check time is this run's, written back at exit.
    EXPECT_GE(app->lastVerCheckTime, before);
    EXPECT_LE(app->lastVerCheckTime, before + 5);
    app->WriteToRegistry();
    EXPECT_EQ(StoredInteger(userStore, "", "LastVerCheckQueryTime"), static_cast<int>(app->lastVerCheckTime));
    EXPECT_EQ(StoredInteger(userStore, "", "InProgress"), 0);
    // The machine's settings are never written.
    uint32_t type = 0;
    std::vector<uint8_t> data;
    EXPECT_FALSE(machineStore.GetValue("", "LastVerCheckQueryTime", type, data));

    // Properties override what the settings hold.
    auto partner = MakeApp<Lumo::LumoApp>();
    PutInteger(userStore, "", "LastVerCheckQueryTime", 12345);
    partner->SetString("ReferId", u"from-file");
    partner->SetString("PartnerName", u"File Partner");
    partner->SetBoolean("DontUpdate", false);
    partner->ReadFromRegistry();
    EXPECT_EQ(partner->referId, "from-file");
    EXPECT_EQ(partner->fullCompanyName, "File Partner");
    EXPECT_FALSE(partner->dontUpdate);
    EXPECT_EQ(partner->lastVerCheckTime, 12345u);
    partner->registryRead = false;
    app->registryRead = false;
}

} // namespace
