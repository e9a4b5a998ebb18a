// Fuzzes the demo reader: opens the input as a demo file and replays 2,000
// updates of it through the replay loop and every sync reader. Either the
// file is refused with one of the reader's three messages, or the replay
// runs without touching anything outside the stream.
#include "FuzzTempFile.h"

#include "framework/app/LumoAppBase.h"
#include "framework/core/Buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool IsReaderMessage(const std::string& error, const std::string& fileName)
{
    return error == "Invalid demo file." || error == "Demo file not found: " + fileName ||
           error.rfind("This demo file appears to be for '", 0) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzTempFile file(".dmo");
    if (!file.Write(data, size))
        return 0;

    Lumo::LumoAppBase app;
    app.productVersion = "fuzz";
    app.registryKey = "LumoDemoFuzz"; // playback answers from the stream, never the settings
    app.demoFileName = file.Path();
    app.playingDemo = true;
    std::string error;
    if (!app.OpenDemoFile(error)) {
        if (!IsReaderMessage(error, file.Path()))
            __builtin_trap();
        return 0;
    }
    app.DemoReadCommand();
    app.demoBitsPending = true;
    app.windowed = app.demoBuffer.ReadBoolean();
    app.refreshRate = app.demoBuffer.ReadByte();

    uint8_t value[64];
    for (int update = 0; update < 2000 && !app.shutdown; ++update) {
        app.DemoReplayEvents();
        // What an update of the game may ask.
        uint32_t type = 0;
        uint32_t length = sizeof(value);
        app.RegistryRead("Value", type, value, length);
        app.RegistryWrite("Value", 4, value, 4);
        app.FileExists("file.txt");
        Lumo::Buffer buffer;
        app.ReadBufferFromFile("file.txt", buffer);
        app.WriteBytesToFile("never/written.txt", value, 4);
        app.DemoSyncBuffer(buffer);
        bool flag = false;
        app.DemoSyncBool(flag);
        std::string text;
        app.DemoSyncString(text);
        ++app.updateCount;
    }
    app.playingDemo = false; // nothing is written at the end
    return 0;
}
