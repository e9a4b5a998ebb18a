#include "framework/core/KeyNames.h"

#include "framework/core/StringUtils.h"

namespace Lumo {

namespace {

struct KeyName {
    char name[12];
    int code;
};

// Several names share a code; the first match wins.
const KeyName kKeyNames[] = {
    { "UNKNOWN", 0x00 },
    { "LBUTTON", 0x01 },
    { "RBUTTON", 0x02 },
    { "CANCEL", 0x03 },
    { "MBUTTON", 0x04 },
    { "BACK", 0x08 },
    { "TAB", 0x09 },
    { "CLEAR", 0x0C },
    { "RETURN", 0x0D },
    { "SHIFT", 0x10 },
    { "CONTROL", 0x11 },
    { "MENU", 0x12 },
    { "PAUSE", 0x13 },
    { "CAPITAL", 0x14 },
    { "KANA", 0x15 },
    { "HANGEUL", 0x15 },
    { "HANGUL", 0x15 },
    { "JUNJA", 0x17 },
    { "FINAL", 0x18 },
    { "HANJA", 0x19 },
    { "KANJI", 0x19 },
    { "ESCAPE", 0x1B },
    { "CONVERT", 0x1C },
    { "NONCONVERT", 0x1D },
    { "ACCEPT", 0x1E },
    { "MODECHANGE", 0x1F },
    { "SPACE", 0x20 },
    { "PRIOR", 0x21 },
    { "NEXT", 0x22 },
    { "END", 0x23 },
    { "HOME", 0x24 },
    { "LEFT", 0x25 },
    { "UP", 0x26 },
    { "RIGHT", 0x27 },
    { "DOWN", 0x28 },
    { "SELECT", 0x29 },
    { "PRINT", 0x2A },
    { "EXECUTE", 0x2B },
    { "SNAPSHOT", 0x2C },
    { "INSERT", 0x2D },
    { "DELETE", 0x2E },
    { "HELP", 0x2F },
    { "LWIN", 0x5B },
    { "RWIN", 0x5C },
    { "APPS", 0x5D },
    { "NUMPAD0", 0x60 },
    { "NUMPAD1", 0x61 },
    { "NUMPAD2", 0x62 },
    { "NUMPAD3", 0x63 },
    { "NUMPAD4", 0x64 },
    { "NUMPAD5", 0x65 },
    { "NUMPAD6", 0x66 },
    { "NUMPAD7", 0x67 },
    { "NUMPAD8", 0x68 },
    { "NUMPAD9", 0x69 },
    { "MULTIPLY", 0x6A },
    { "ADD", 0x6B },
    { "SEPARATOR", 0x6C },
    { "SUBTRACT", 0x6D },
    { "DECIMAL", 0x6E },
    { "DIVIDE", 0x6F },
    { "F1", 0x70 },
    { "F2", 0x71 },
    { "F3", 0x72 },
    { "F4", 0x73 },
    { "F5", 0x74 },
    { "F6", 0x75 },
    { "F7", 0x76 },
    { "F8", 0x77 },
    { "F9", 0x78 },
    { "F10", 0x79 },
    { "F11", 0x7A },
    { "F12", 0x7B },
    { "F13", 0x7C },
    { "F14", 0x7D },
    { "F15", 0x7E },
    { "F16", 0x7F },
    { "F17", 0x80 },
    { "F18", 0x81 },
    { "F19", 0x82 },
    { "F20", 0x83 },
    { "F21", 0x84 },
    { "F22", 0x85 },
    { "F23", 0x86 },
    { "F24", 0x87 },
    { "NUMLOCK", 0x90 },
    { "SCROLL", 0x91 },
};

} // namespace

int GetKeyCodeFromName(const std::string& name)
{
    if (name.size() >= 11)
        return 0;

    const std::string upper = StringToUpper(name);
    if (upper.size() == 1) {
        const unsigned char c = static_cast<unsigned char>(upper[0]);
        if (c >= 0x30 && c <= 0x5A)
            return c;
        if (c >= 0x5B && c <= 0x60)
            return c + 0x80;
    }

    for (const KeyName& key : kKeyNames) {
        if (upper == key.name)
            return key.code;
    }
    return 0;
}

} // namespace Lumo
