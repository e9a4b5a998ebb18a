// A sound test in a folder of its own: "work" inside a temporary folder is the
// current folder and "appdata" beside it the application data folder, both
// put back afterwards; and the bytes a sound buffer holds, read back.
#pragma once

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Plat {
class SoundBuffer;
}

namespace LumoTest {

class SoundFolderTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The whole buffer's bytes; empty for a null buffer.
    static std::vector<uint8_t> BufferBytes(Plat::SoundBuffer* buffer);

    TempFolder temp;

private:
    std::string mSavedFolder;
};

} // namespace LumoTest
