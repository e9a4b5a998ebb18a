// Fuzzes the engine's readers of data-file values: colour texts, the space
// trims of fixed-size fields, and frame layouts from "config.xml" cut into a
// picture. No read may pass the text's NUL (each text is copied into a buffer
// of its exact size), trims must leave no edge spaces, and every frame must
// be empty or lie inside the picture.
#include "game/engine/EngineUtilities.h"
#include "game/engine/ImageRecord.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

float FloatAt(const uint8_t* data, size_t size, size_t at)
{
    float value = 0.0f;
    if (at + sizeof(value) <= size) {
        std::memcpy(&value, data + at, sizeof(value));
    }
    return value;
}

void CheckFrames(const uint8_t* data, size_t size)
{
    ImageRecord record;
    // A picture of up to 255 x 255 and a layout taken from the input.
    record.mWidth = size > 0 ? float(data[0]) : 0.0f;
    record.mHeight = size > 1 ? float(data[1]) : 0.0f;
    int count = 0;
    if (size >= 6) {
        std::memcpy(&count, data + 2, sizeof(count));
    }
    const float fw = FloatAt(data, size, 6);
    const float fh = FloatAt(data, size, 10);
    const float fps = FloatAt(data, size, 14);
    const bool made = record.SetFrames(fw, fh, count, fps);
    if (!made) {
        if (record.mFrames != nullptr || record.mFrameCount != 1)
            __builtin_trap();
        return;
    }
    if (record.mFrameCount != count || count < 1 || count > ImageRecord::kMaxFrames)
        __builtin_trap();
    for (int k = 0; k < count; ++k) {
        const ImageFrame& f = record.mFrames[k];
        const bool empty = f.mX0 == 0.0f && f.mY0 == 0.0f && f.mX1 == 0.0f && f.mY1 == 0.0f;
        if (!empty && (f.mX0 < 0.0f || f.mY0 < 0.0f || f.mX1 > record.mWidth || f.mY1 > record.mHeight))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto text = std::make_unique<char[]>(size + 1);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    const size_t length = std::strlen(text.get());

    float r = -1.0f;
    float g = -1.0f;
    float b = -1.0f;
    ParseHexColor(text.get(), r, g, b);
    for (float channel : {r, g, b}) {
        if (!(channel >= 0.0f && channel <= 1.0f))
            __builtin_trap();
    }

    auto leading = std::make_unique<char[]>(length + 1);
    std::memcpy(leading.get(), text.get(), length + 1);
    TrimLeadingSpaces(leading.get());
    if (leading[0] == ' ')
        __builtin_trap();
    auto trailing = std::make_unique<char[]>(length + 1);
    std::memcpy(trailing.get(), text.get(), length + 1);
    TrimTrailingSpaces(trailing.get());
    const size_t kept = std::strlen(trailing.get());
    if (kept > 0 && trailing[kept - 1] == ' ')
        __builtin_trap();

    CheckFrames(data, size);
    return 0;
}
