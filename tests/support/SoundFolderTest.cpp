#include "support/SoundFolderTest.h"

#include "framework/core/AppDataFolder.h"
#include "platform/files/FileSystem.h"
#include "platform/audio/SoundBuffer.h"

namespace LumoTest {

void SoundFolderTest::SetUp()
{
    mSavedFolder = Plat::GetFileSystem().CurrentFolder();
    temp.MakeFolder("work");
    ASSERT_TRUE(Plat::GetFileSystem().SetCurrentFolder(temp.Join("work")));
    Lumo::SetAppDataFolder(temp.Join("appdata"));
}

void SoundFolderTest::TearDown()
{
    Lumo::SetAppDataFolder("");
    Plat::GetFileSystem().SetCurrentFolder(mSavedFolder);
}

std::vector<uint8_t> SoundFolderTest::BufferBytes(Plat::SoundBuffer* buffer)
{
    if (buffer == nullptr)
        return {};
    void* part = nullptr;
    uint32_t bytes = 0;
    EXPECT_EQ(buffer->Lock(0, 0, &part, &bytes, nullptr, nullptr, Plat::kSoundLockEntireBuffer), Plat::kSoundOk);
    const uint8_t* first = static_cast<const uint8_t*>(part);
    std::vector<uint8_t> out(first, first + bytes);
    buffer->Unlock(part, bytes, nullptr, 0);
    return out;
}

} // namespace LumoTest
