// Fuzzes the game data index: the input is "config.xml" and also every file
// it names (level files, the screens they open), every picture one small
// picture. The index is read, the first screen opened, and the game runs 20
// ticks and draws a frame. Every message must name its file.
#include "GameFuzzSupport.h"

#include "game/engine/GameDataLoader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzGame fuzz;
    fuzz.requireLines = false;
    fuzz.files.input.assign(reinterpret_cast<const char*>(data), size);
    LoadGameData("config.xml");
    fuzz.TicksAndFrame();
    fuzz.Empty();
    return 0;
}
