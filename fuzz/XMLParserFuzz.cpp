// Fuzzes the XML pull parser on arbitrary wide text: the first byte picks how
// the rest becomes text (UTF-8, one byte per character, or raw 16-bit units)
// and whether comments are returned.
#include "framework/core/Buffer.h"
#include "framework/parsers/XMLParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;

    std::u16string text;
    switch (mode % 3) {
    case 0: {
        Lumo::Buffer buffer;
        buffer.SetData(data, static_cast<int>(size));
        text = buffer.UTF8ToWideString();
        break;
    }
    case 1:
        text.assign(data, data + size);
        break;
    default:
        for (size_t i = 0; i + 1 < size; i += 2)
            text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        break;
    }

    Lumo::XMLParser parser;
    parser.AllowComments((mode & 0x80) != 0);
    parser.SetString(text);
    Lumo::XMLElement element;
    size_t count = 0;
    while (parser.NextElement(element)) {
        // Every element ends at least one character further on.
        if (++count > text.size() + 1)
            __builtin_trap();
    }
    if (parser.HasFailed() && parser.GetErrorText().empty())
        __builtin_trap();
    return 0;
}
