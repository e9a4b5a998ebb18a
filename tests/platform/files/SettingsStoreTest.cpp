#include "platform/files/FileSettingsStore.h"
#include "platform/files/SettingsStore.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

bool Set(Plat::SettingsStore& store, const std::string& key, const std::string& name, uint32_t type,
         const std::string& data)
{
    return store.SetValue(key, name, type, reinterpret_cast<const uint8_t*>(data.data()), data.size());
}

// The value as text, or "<absent>".
std::string Get(Plat::SettingsStore& store, const std::string& key, const std::string& name,
                uint32_t* typeOut = nullptr)
{
    uint32_t type = 0;
    std::vector<uint8_t> data;
    if (!store.GetValue(key, name, type, data))
        return "<absent>";
    if (typeOut != nullptr)
        *typeOut = type;
    return std::string(data.begin(), data.end());
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

uint32_t Crc32(const std::string& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

std::string U32(uint32_t value)
{
    std::string out;
    for (int i = 0; i < 4; ++i)
        out += char(value >> (8 * i));
    return out;
}

// A file of the store's layout around the given payload, with a correct checksum.
std::string Framed(const std::string& payload)
{
    return "LSET" + U32(1) + U32(uint32_t(payload.size())) + U32(Crc32(payload)) + payload;
}

// Cuts every save short after half of its bytes, as a full disk or a killed
// process would.
class InterruptedStore : public Plat::FileSettingsStore {
public:
    using FileSettingsStore::FileSettingsStore;
    bool interrupt = false;

protected:
    bool WriteBytes(int descriptor, const uint8_t* data, size_t size) override
    {
        if (!interrupt)
            return FileSettingsStore::WriteBytes(descriptor, data, size);
        FileSettingsStore::WriteBytes(descriptor, data, size / 2);
        return false;
    }
};

} // namespace

TEST(SettingsStoreTest, ValuesKeepTypeAndBytesAcrossStoresOfOneFile)
{
    TempFolder temp;
    const std::string path = temp.Join("Company/Product/settings.dat");
    {
        Plat::FileSettingsStore store(path);
        const uint8_t dword[4] = {0x39, 0x00, 0x00, 0x00};
        EXPECT_TRUE(store.SetValue("", "MusicVolume", Plat::kSettingsInteger, dword, 4));
        EXPECT_TRUE(Set(store, "", "ReferId", Plat::kSettingsString, "abc"));
        EXPECT_TRUE(Set(store, "", "Blob", Plat::kSettingsBinary, std::string("\0\xff\x01", 3)));
        EXPECT_TRUE(Set(store, "", "Odd", 77, "x"));
        EXPECT_TRUE(Set(store, "", "Empty", Plat::kSettingsString, ""));
    }
    Plat::FileSettingsStore store(path);
    struct Case {
        const char* name;
        uint32_t type;
        std::string data;
    } cases[] = {
        {"MusicVolume", Plat::kSettingsInteger, std::string("\x39\0\0\0", 4)},
        {"musicvolume", Plat::kSettingsInteger, std::string("\x39\0\0\0", 4)},
        {"ReferId", Plat::kSettingsString, "abc"},
        {"Blob", Plat::kSettingsBinary, std::string("\0\xff\x01", 3)},
        {"Odd", 77, "x"},
        {"Empty", Plat::kSettingsString, ""},
    };
    for (const Case& c : cases) {
        uint32_t type = 0;
        EXPECT_EQ(Get(store, "", c.name, &type), c.data) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
    EXPECT_EQ(Get(store, "", "Missing"), "<absent>");
    EXPECT_FALSE(store.LastReadWasCorrupt());

    // Replacing keeps one value, with the new type.
    EXPECT_TRUE(Set(store, "", "REFERID", Plat::kSettingsBinary, "z"));
    uint32_t type = 0;
    EXPECT_EQ(Get(store, "", "ReferId", &type), "z");
    EXPECT_EQ(type, Plat::kSettingsBinary);
}

TEST(SettingsStoreTest, SubKeysAreSeparateAndCreateTheirParents)
{
    TempFolder temp;
    Plat::FileSettingsStore store(temp.Join("settings.dat"));
    EXPECT_FALSE(store.HasKey(""));
    EXPECT_TRUE(Set(store, "Test3D\\Deep", "RuntimeError", Plat::kSettingsString, "lost device"));
    EXPECT_TRUE(Set(store, "", "RuntimeError", Plat::kSettingsString, "top"));

    EXPECT_TRUE(store.HasKey(""));
    EXPECT_TRUE(store.HasKey("Test3D"));
    EXPECT_TRUE(store.HasKey("test3d\\DEEP"));
    EXPECT_TRUE(store.HasKey("\\Test3D\\\\Deep\\")); // empty names do not count
    EXPECT_FALSE(store.HasKey("Deep"));
    EXPECT_EQ(Get(store, "TEST3D\\deep", "runtimeerror"), "lost device");
    EXPECT_EQ(Get(store, "", "RuntimeError"), "top");
    EXPECT_EQ(Get(store, "Test3D", "RuntimeError"), "<absent>");

    EXPECT_TRUE(store.CreateKey("Empty\\Key"));
    EXPECT_TRUE(store.HasKey("Empty"));
    EXPECT_TRUE(store.CreateKey("Empty\\Key")); // already there

    EXPECT_TRUE(store.DeleteValue("Test3D\\Deep", "RuntimeError"));
    EXPECT_FALSE(store.DeleteValue("Test3D\\Deep", "RuntimeError"));
    EXPECT_FALSE(store.DeleteValue("Nowhere", "RuntimeError"));
    EXPECT_EQ(Get(store, "Test3D\\Deep", "RuntimeError"), "<absent>");
    EXPECT_TRUE(store.HasKey("Test3D\\Deep"));
    EXPECT_EQ(Get(store, "", "RuntimeError"), "top");
}

TEST(SettingsStoreTest, CorruptFilesReadAsEmptyAndAreReplacedOnWrite)
{
    TempFolder temp;
    // A sound file to start from, and the payload of a one-value store.
    Plat::FileSettingsStore writer(temp.Join("good.dat"));
    ASSERT_TRUE(Set(writer, "", "Name", Plat::kSettingsString, "value"));
    const std::string good = temp.Read("good.dat");
    ASSERT_GT(good.size(), 16u);

    std::string flipped = good;
    flipped[good.size() - 1] ^= 0x01;
    std::string badVersion = good;
    badVersion[4] = 2;
    std::string badMagic = good;
    badMagic[0] = 'X';
    // Checksums that match around payloads that do not hold together.
    const std::string hugeCount = Framed(U32(0x7FFFFFFF));
    const std::string nameOverrun = Framed(U32(1) + std::string("\x10\x00", 2) + "ab");
    const std::string valueOverrun =
        Framed(U32(1) + std::string("\0\0", 2) + U32(1) + std::string("\x01\0", 2) + "N" + U32(1) + U32(1000) + "x");
    const std::string trailing = Framed(U32(0) + "!");
    const std::string duplicateKeys = Framed(U32(2) + std::string("\0\0", 2) + U32(0) + std::string("\0\0", 2) + U32(0));
    const std::string orphanKey = Framed(U32(1) + std::string("\x01\0", 2) + "A" + U32(0));

    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"garbage", "this is not a settings file at all"},
        {"truncated", good.substr(0, good.size() - 3)},
        {"header only", good.substr(0, 16)},
        {"one bit flipped", flipped},
        {"unknown version", badVersion},
        {"wrong magic", badMagic},
        {"extra byte after the file", good + "x"},
        {"key count beyond the data", hugeCount},
        {"name beyond the data", nameOverrun},
        {"value beyond the data", valueOverrun},
        {"bytes after the last key", trailing},
        {"one key twice", duplicateKeys},
        {"key without its parent", orphanKey},
    };
    for (const Case& c : cases) {
        temp.Write("bad.dat", c.bytes);
        Plat::FileSettingsStore store(temp.Join("bad.dat"));
        EXPECT_EQ(Get(store, "", "Name"), "<absent>") << c.what;
        EXPECT_FALSE(store.HasKey("")) << c.what;
        EXPECT_TRUE(store.LastReadWasCorrupt()) << c.what;
        // Writing starts a sound file again.
        EXPECT_TRUE(Set(store, "", "Fresh", Plat::kSettingsString, "1")) << c.what;
        EXPECT_EQ(Get(store, "", "Fresh"), "1") << c.what;
        EXPECT_FALSE(store.LastReadWasCorrupt()) << c.what;
    }

    // A folder where the file should be cannot be read or replaced.
    temp.MakeFolder("folder.dat");
    Plat::FileSettingsStore onFolder(temp.Join("folder.dat"));
    EXPECT_EQ(Get(onFolder, "", "Name"), "<absent>");
    EXPECT_FALSE(Set(onFolder, "", "Name", Plat::kSettingsString, "v"));
}

TEST(SettingsStoreTest, InterruptedSaveKeepsTheOldFile)
{
    TempFolder temp;
    const std::string path = temp.Join("Product/settings.dat");
    InterruptedStore store(path);
    ASSERT_TRUE(Set(store, "", "MusicVolume", Plat::kSettingsString, "old"));
    const std::string before = temp.Read("Product/settings.dat");

    store.interrupt = true;
    EXPECT_FALSE(Set(store, "", "MusicVolume", Plat::kSettingsString, "new"));
    EXPECT_FALSE(Set(store, "", "Other", Plat::kSettingsString, "x"));
    EXPECT_FALSE(store.CreateKey("Sub"));
    EXPECT_FALSE(store.DeleteValue("", "MusicVolume"));
    EXPECT_EQ(temp.Read("Product/settings.dat"), before);
    // The half-written temporary file is gone.
    EXPECT_EQ(FolderNames(temp.Join("Product")), std::vector<std::string>{"settings.dat"});

    Plat::FileSettingsStore reader(path);
    EXPECT_EQ(Get(reader, "", "MusicVolume"), "old");
    EXPECT_EQ(Get(reader, "", "Other"), "<absent>");
    EXPECT_FALSE(reader.HasKey("Sub"));

    // A temporary file left by a process killed mid-save is not read.
    temp.Write("Product/settings.dat.Ab12Cd", before.substr(0, 10));
    EXPECT_EQ(Get(reader, "", "MusicVolume"), "old");
    store.interrupt = false;
    EXPECT_TRUE(Set(store, "", "MusicVolume", Plat::kSettingsString, "new"));
    EXPECT_EQ(Get(reader, "", "MusicVolume"), "new");
}

TEST(SettingsStoreTest, ReadOnlyStoresAndLimitsRefuseChanges)
{
    TempFolder temp;
    const std::string path = temp.Join("settings.dat");
    {
        Plat::FileSettingsStore writer(path);
        ASSERT_TRUE(Set(writer, "", "PartnerName", Plat::kSettingsString, "Partner"));
    }
    const std::string before = temp.Read("settings.dat");
    Plat::FileSettingsStore readOnly(path, true);
    EXPECT_EQ(Get(readOnly, "", "PartnerName"), "Partner");
    EXPECT_FALSE(Set(readOnly, "", "PartnerName", Plat::kSettingsString, "Other"));
    EXPECT_FALSE(readOnly.CreateKey("Sub"));
    EXPECT_FALSE(readOnly.DeleteValue("", "PartnerName"));
    EXPECT_EQ(temp.Read("settings.dat"), before);

    Plat::FileSettingsStore missing(temp.Join("none/settings.dat"), true);
    EXPECT_EQ(Get(missing, "", "PartnerName"), "<absent>");
    EXPECT_FALSE(missing.LastReadWasCorrupt());

    Plat::FileSettingsStore store(path);
    const std::vector<uint8_t> big(Plat::kSettingsMaxValueSize + 1, 'x');
    EXPECT_FALSE(store.SetValue("", "Big", Plat::kSettingsBinary, big.data(), big.size()));
    EXPECT_TRUE(store.SetValue("", "Big", Plat::kSettingsBinary, big.data(), big.size() - 1));
    EXPECT_FALSE(store.SetValue("", std::string(Plat::kSettingsMaxNameLength + 1, 'n'), 4, big.data(), 4));
    // A key path too long to be read back would make the whole file unreadable.
    EXPECT_FALSE(store.CreateKey(std::string(Plat::kSettingsMaxNameLength + 1, 'k')));
    EXPECT_TRUE(store.HasKey(""));
    EXPECT_FALSE(store.LastReadWasCorrupt());
    EXPECT_FALSE(store.SetValue("", "Null", Plat::kSettingsBinary, nullptr, 4));
    EXPECT_TRUE(store.SetValue("", "Null", Plat::kSettingsBinary, nullptr, 0));
    uint32_t type = 0;
    std::vector<uint8_t> data;
    EXPECT_TRUE(store.GetValue("", "Big", type, data));
    EXPECT_EQ(data.size(), big.size() - 1);
}

TEST(SettingsStoreTest, FilesLiveUnderTheConfigFoldersByProductKey)
{
    TempFolder temp;
    const std::string user = temp.MakeFolder("user");
    const std::string machineA = temp.MakeFolder("machineA");
    const std::string machineB = temp.MakeFolder("machineB");
    ScopedEnvironment home("XDG_CONFIG_HOME", user);
    ScopedEnvironment dirs("XDG_CONFIG_DIRS", "relative/ignored:" + machineA + ":" + machineB);

    EXPECT_EQ(Plat::SettingsFilePath(Plat::SettingsRoot::User, "Quillo\\Game"), user + "/Quillo/Game/settings.dat");
    // Names that would climb out of the folder are dropped.
    EXPECT_EQ(Plat::SettingsFilePath(Plat::SettingsRoot::User, "..\\..\\x/./y\\"), user + "/x/y/settings.dat");
    EXPECT_EQ(Plat::SettingsFilePath(Plat::SettingsRoot::User, "\\..\\"), "");
    EXPECT_EQ(Plat::OpenSettingsStore(Plat::SettingsRoot::User, ""), nullptr);
    // An existing folder is found whatever its case.
    temp.MakeFolder("user/quillo/GAME");
    EXPECT_EQ(Plat::SettingsFilePath(Plat::SettingsRoot::User, "Quillo\\Game"), user + "/quillo/GAME/settings.dat");

    // The machine file is taken from the first folder that holds one.
    EXPECT_EQ(Plat::SettingsFilePath(Plat::SettingsRoot::Machine, "Quillo\\Game"),
              machineA + "/Quillo/Game/settings.dat");
    {
        Plat::FileSettingsStore writer(machineB + "/Quillo/Game/settings.dat");
        ASSERT_TRUE(Set(writer, "", "PartnerName", Plat::kSettingsString, "Partner B"));
    }
    EXPECT_EQ(Plat::SettingsFilePath(Plat::SettingsRoot::Machine, "Quillo\\Game"),
              machineB + "/Quillo/Game/settings.dat");
    auto machine = Plat::OpenSettingsStore(Plat::SettingsRoot::Machine, "Quillo\\Game");
    ASSERT_NE(machine, nullptr);
    EXPECT_EQ(Get(*machine, "", "PartnerName"), "Partner B");
    EXPECT_FALSE(Set(*machine, "", "PartnerName", Plat::kSettingsString, "mine"));

    auto userStore = Plat::OpenSettingsStore(Plat::SettingsRoot::User, "Quillo\\Game");
    ASSERT_NE(userStore, nullptr);
    EXPECT_TRUE(Set(*userStore, "", "ReferId", Plat::kSettingsString, "r"));
    EXPECT_TRUE(temp.Exists("user/quillo/GAME/settings.dat"));
}
