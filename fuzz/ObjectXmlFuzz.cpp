// Fuzzes the object XML tag reader: every tag must lie inside the text and
// move the walk on, a broken text must end the walk with a message that
// names its line, and no read may pass the terminating NUL (the input is
// copied into a buffer of its exact size).
#include "game/engine/LoadMessages.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/ObjectXmlReader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

size_t gMessages = 0;

void CheckMessage(const std::string& message)
{
    // "fuzz.xml:<line>: what"
    const std::string prefix = "fuzz.xml:";
    if (message.compare(0, prefix.size(), prefix) != 0)
        __builtin_trap();
    size_t i = prefix.size();
    if (i >= message.size() || message[i] < '1' || message[i] > '9')
        __builtin_trap();
    while (i < message.size() && message[i] >= '0' && message[i] <= '9')
        ++i;
    if (message.compare(i, 2, ": ") != 0 || message.size() == i + 2)
        __builtin_trap();
    ++gMessages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool sinkSet = [] {
        LoadMessages::SetSink(CheckMessage);
        return true;
    }();
    (void)sinkSet;

    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    const char* const end = text.get() + std::strlen(text.get());

    ObjectXmlReader reader(text.get(), "fuzz.xml");
    ObjectXmlElement element;
    const char* last = nullptr;
    gMessages = 0;
    while (reader.Next(element)) {
        const char* start = element.GetTagStart();
        if (start == nullptr || start < text.get() || start >= end || start <= last)
            __builtin_trap();
        if (reader.GetPosition() <= start || reader.GetPosition() > end)
            __builtin_trap();
        if (element.GetContent() != nullptr && element.GetContent() + element.GetContentLength() > end)
            __builtin_trap();
        if (element.GetAttributeCount() > ObjectXmlElement::kMaxAttributes)
            __builtin_trap();
        for (int i = 0; i < element.GetAttributeCount(); ++i) {
            const ObjectXmlElement::Attribute& attribute = element.GetAttributeAt(i);
            if (std::strlen(attribute.name) >= size_t(ObjectXmlElement::kTextSize) ||
                std::strlen(attribute.value) >= size_t(ObjectXmlElement::kTextSize))
                __builtin_trap();
            (void)ObjectXmlElement::TextToFloat(attribute.value);
            (void)ObjectXmlElement::TextToInt(attribute.value);
        }
        last = start;
    }
    if (reader.Failed() && gMessages == 0)
        __builtin_trap();
    if (reader.GetPosition() != end && !reader.Failed())
        __builtin_trap();
    return 0;
}
