// Fuzzes the properties reader on arbitrary bytes, as the application hands
// it a file's buffer, with one application object whose tables it fills.
#include "framework/app/LumoAppBase.h"
#include "framework/core/Buffer.h"
#include "framework/parsers/PropertiesParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Lumo::LumoAppBase* app = new Lumo::LumoAppBase();
    Lumo::Buffer buffer;
    buffer.SetData(data, static_cast<int>(size));
    Lumo::PropertiesParser parser(app);
    const bool ok = parser.ParsePropertiesBuffer(buffer);
    // A failure always says why; a success says nothing.
    if (ok != parser.GetErrorText().empty())
        __builtin_trap();
    // Keep the tables from growing across runs.
    app->booleanTable.clear();
    app->integerTable.clear();
    app->doubleTable.clear();
    app->stringVectorTable.clear();
    return 0;
}
