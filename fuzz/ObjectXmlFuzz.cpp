// Fuzzes object XML. The tag reader: every tag lies inside the text and
// moves the walk on, a broken text ends the walk with a message that names
// its line, and no read passes the terminating NUL (the input is copied into
// a buffer of its exact size). The loader: the input is built under a test
// screen (every file it names is the input again, every picture one small
// picture), the object built is written out, read back and written again,
// which must give the same text; then the game runs 20 ticks and draws a frame.
#include "GameFuzzSupport.h"

#include "game/engine/AnimObject.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/ObjectXmlReader.h"
#include "game/engine/XmlSaveCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

void CheckTagReader(const char* text, const char* end, FuzzGame& fuzz)
{
    ObjectXmlReader reader(text, "fuzz.xml");
    ObjectXmlElement element;
    const char* last = nullptr;
    fuzz.messages = 0;
    while (reader.Next(element)) {
        const char* start = element.GetTagStart();
        if (start == nullptr || start < text || start >= end || start <= last)
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
        }
        last = start;
    }
    if (reader.Failed() && fuzz.messages == 0)
        __builtin_trap();
    if (reader.GetPosition() != end)
        __builtin_trap();
}

Level* NewScreen(FuzzGame& fuzz)
{
    auto* screen = new Level;
    fuzz.game->mLiveObjects.Append(screen);
    screen->AddStage(100000.0f, 0, 0, 1, "test");
    screen->mSelectable = 1;
    return screen;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzGame fuzz;
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    const char* const end = text.get() + std::strlen(text.get());
    fuzz.files.input.assign(text.get(), size_t(end - text.get()));

    CheckTagReader(text.get(), end, fuzz);

    Level* screen = NewScreen(fuzz);
    AnimObject* built = CreateObjectsFromXml(text.get(), screen, "fuzz.xml");

    // What is written reads back the same: write, read, write. The object
    // built is written, not the screen: a screen's text read back opens a
    // new screen, and objects without a type after it become screens too.
    std::string first;
    bool writable = false;
    if (built != nullptr) {
        XmlSaveCheck check;
        built->WriteXml(first, 0);
        writable = check.Passed() && !first.empty();
    }
    if (writable) {
        fuzz.game->mLiveObjects.Remove(screen);
        screen = NewScreen(fuzz);
        AnimObject* copy = CreateObjectsFromXml(first.c_str(), screen, "written.xml");
        if (copy == nullptr)
            __builtin_trap();
        std::string second;
        copy->WriteXml(second, 0);
        if (second != first)
            __builtin_trap();
    }

    fuzz.TicksAndFrame();
    fuzz.Empty();
    return 0;
}
